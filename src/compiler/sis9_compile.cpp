#include "src/compiler/sis9_compile.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "src/crypto/utc_time.h"
#include "src/sis9/embedded_package.h"
#include "src/sis9/file_encoder.h"
#include "src/sis9/package_writer.h"

namespace tovrin::makesis {
namespace {

// SDK compilers since about 2013 mark the files they install into the phone's system folders (\sys\ and
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

void describe(sis9::FileDescription& file, const sis9::EncodedFile& encoded, bool markSystem) {
    file.hash = encoded.hash;
    file.hasCapabilities = encoded.hasCapabilities;
    file.capabilities = encoded.capabilities;
    file.storedLength = encoded.storedLength;
    file.length = encoded.length;
    if (markSystem && file.operation == sis9::kOpInstall && inSystemFolder(file.target)) {
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

unsigned threadCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 2 : cores;
}

// Encodes every file on all cores, largest first so that the workers finish together; each
// worker keeps what it deflates in a scratch file of its own. Progress is told on the calling
// thread, in files done.
bool encodeAll(const Package9& package, std::vector<sis9::DataFile>& files,
               std::vector<std::unique_ptr<ScratchFile>>& scratch, std::string* err,
               int* errorLine, const std::function<bool(size_t, size_t)>& progress) {
    std::vector<size_t> order(files.size());
    std::vector<uint64_t> sizes(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        order[i] = i;
        std::error_code ec;
        sizes[i] = std::filesystem::file_size(files[i].source, ec);
        if (ec) sizes[i] = 0;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0, done = 0;
    bool stop = false;
    size_t failed = files.size();
    std::string failure;
    const auto work = [&](unsigned w) {
        for (;;) {
            size_t index;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stop || next == order.size()) return;
                index = order[next++];
            }
            std::string error;
            sis9::DataFile& file = files[index];
            file.scratch = &scratch[w]->stream();
            const bool ok = sis9::encodeFile(file.source, package.compress, scratch[w]->stream(),
                                             file.encoded, &error);
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
            if (!ok && (failed == files.size() || index < failed)) {
                failed = index;
                failure = error;
                stop = true;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < scratch.size(); ++w) threads.emplace_back(work, w);
    {
        std::unique_lock<std::mutex> lock(mutex);
        size_t told = 0;
        while (done < files.size() && !stop) {
            changed.wait(lock, [&] { return done != told || stop; });
            if (stop) break;
            told = done;
            if (!progress) continue;
            lock.unlock();
            const bool go = progress(told, files.size());
            lock.lock();
            if (!go) {
                stop = true;
                failure = "interrupted";
            }
        }
    }
    for (std::thread& t : threads) t.join();
    if (!stop) return true;
    *err = failure;
    *errorLine = failed < files.size() ? package.sourceLines[failed] : 0;
    return false;
}

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
    const crypto::CivilTime civil = crypto::civilFromSeconds(seconds);
    sis9::DateTime t;
    t.year = civil.year;
    t.month = civil.month;
    t.day = civil.day;
    t.hour = civil.hour;
    t.minute = civil.minute;
    t.second = civil.second;
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

    sis9::PackageData data;
    data.topUnit = controller.type != sis9::InstallType::PA &&
                   controller.type != sis9::InstallType::PP;
    if (!data.topUnit && !package.sources.empty()) {
        *errorLine = package.sourceLines.front();
        *err = "a package of type PA or PP installs files already on the phone: it carries "
               "no file data (use FN or an empty source \"\" for them)";
        return false;
    }
    data.files.resize(package.sources.size());
    for (size_t i = 0; i < package.sources.size(); ++i) data.files[i].source = package.sources[i].path;
    const unsigned workers = static_cast<unsigned>(
        std::max<size_t>(1, std::min<size_t>(threadCount(), data.files.size())));
    std::vector<std::unique_ptr<ScratchFile>> scratch;
    for (unsigned w = 0; w < workers; ++w) {
        scratch.push_back(std::make_unique<ScratchFile>(std::filesystem::path(scratchStem) +=
                                                        ".data" + std::to_string(w)));
        if (!scratch.back()->stream()) {
            *err = "cannot write the scratch file " + scratch.back()->path().u8string();
            return false;
        }
    }
    if (!encodeAll(package, data.files, scratch, err, errorLine, progress)) return false;
    const auto fill = [&](sis9::FileDescription& file) {
        if (file.operation == sis9::kOpNull) return;
        describe(file, data.files[file.fileIndex].encoded, options.markSystemFiles);
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
    for (auto& file : scratch) file->stream().flush();
    return sis9::writePackage(controller, data, out, err);
}

}  // namespace tovrin::makesis
