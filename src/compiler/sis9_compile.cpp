#include "src/compiler/sis9_compile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "src/sis9/embedded_package.h"
#include "src/sis9/file_encoder.h"
#include "src/sis9/package_writer.h"

namespace tovrin::makesis {
namespace {

// Newer SDK compilers mark the files they install into the phone's system folders (\sys\ and
// \resource\, below any drive) with this option bit; scripts have no word for it.
constexpr uint32_t kSystemFolderFile = 0x8000;

bool inSystemFolder(const std::u16string& target) {
    if (target.size() < 3 || target[1] != u':' || target[2] != u'\\') return false;
    std::u16string folder;
    for (size_t i = 3; i < target.size() && target[i] != u'\\'; ++i) {
        const char16_t c = target[i];
        folder.push_back(c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c);
    }
    const size_t end = 3 + folder.size();
    return end < target.size() && (folder == u"sys" || folder == u"resource");
}

void describe(sis9::FileDescription& file, const sis9::EncodedFile& encoded) {
    file.hash = encoded.hash;
    file.hasCapabilities = encoded.hasCapabilities;
    file.capabilities = encoded.capabilities;
    file.storedLength = encoded.storedLength;
    file.length = encoded.length;
    if (file.operation == sis9::kOpInstall && inSystemFolder(file.target)) {
        file.options |= kSystemFolderFile;
    }
}

class ScratchFile {
public:
    explicit ScratchFile(std::filesystem::path path) : path_(std::move(path)) {
        stream_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    }
    ~ScratchFile() {
        stream_.close();
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    std::fstream& stream() { return stream_; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::fstream stream_;
};

}  // namespace

long long creationTime(long long given) {
    if (given >= 0) return given;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && value >= 0) return value;
    }
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

sis9::DateTime utcDateTime(long long seconds) {
    const long long days = seconds / 86400;
    const long long rest = seconds % 86400;
    // The civil date of a day count (proleptic Gregorian).
    const long long z = days + 719468;
    const long long era = z / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    sis9::DateTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

bool buildSis9(Package9& package, const Sis9Options& options, std::ostream& out,
               const std::filesystem::path& scratchStem, std::string* err, int* errorLine,
               const std::function<bool(size_t, size_t)>& progress) {
    sis9::Controller& controller = package.controller;
    *errorLine = 0;
    if (options.stub) {
        controller.created = sis9::DateTime{};
        return sis9::writeStub(controller, out, err);
    }
    controller.created = utcDateTime(options.time);

    ScratchFile scratch(std::filesystem::path(scratchStem) += ".data");
    if (!scratch.stream()) {
        *err = "cannot write the scratch file " + scratch.path().u8string();
        return false;
    }
    sis9::PackageData data;
    data.scratch = &scratch.stream();
    data.topUnit = controller.type != sis9::InstallType::PA &&
                   controller.type != sis9::InstallType::PP;
    if (!data.topUnit && !package.sources.empty()) {
        *errorLine = package.sourceLines.front();
        *err = "a package of type PA or PP installs files already on the phone: it carries "
               "no file data (use FN or an empty source \"\" for them)";
        return false;
    }
    for (size_t i = 0; i < package.sources.size(); ++i) {
        sis9::DataFile file;
        file.source = package.sources[i].path;
        if (!sis9::encodeFile(file.source, package.compress, scratch.stream(), file.encoded,
                              err)) {
            *errorLine = package.sourceLines[i];
            return false;
        }
        data.files.push_back(std::move(file));
        if (progress && !progress(i + 1, package.sources.size())) {
            *err = "interrupted";
            return false;
        }
    }
    const auto fill = [&](sis9::FileDescription& file) {
        if (file.operation == sis9::kOpNull) return;
        describe(file, data.files[file.fileIndex].encoded);
    };
    sis9::forEachFile(controller.install, fill);
    if (controller.hasLogo) fill(controller.logo);

    uint32_t nextUnit = data.topUnit ? 1 : 0;
    for (const Package9::Embedded& embedded : package.embedded) {
        sis9::EmbeddedPackage read;
        if (!sis9::readEmbeddedPackage(embedded.source.path, read, err)) {
            *errorLine = embedded.line;
            return false;
        }
        if (read.uid != embedded.uid) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "the embedded package's UID is 0x%08X, the line names 0x%08X",
                          static_cast<unsigned>(read.uid), static_cast<unsigned>(embedded.uid));
            *err = text;
            *errorLine = embedded.line;
            return false;
        }
        sis9::setDataIndex(read.controller, nextUnit);
        nextUnit += static_cast<uint32_t>(read.units.size());
        controller.embedded.push_back(std::move(read.controller));
        data.embedded.push_back({embedded.source.path, std::move(read.units)});
    }
    scratch.stream().flush();
    return sis9::writePackage(controller, data, out, err);
}

}  // namespace tovrin::makesis
