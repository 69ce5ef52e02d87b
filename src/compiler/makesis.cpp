#include "src/compiler/makesis.h"

#include <filesystem>
#include <sstream>
#include <thread>

#include "src/platform/local_text.h"
#include "src/platform/read_file.h"
#include "src/text/utf16.h"
#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "src/compiler/command_line.h"
#include "src/compiler/fork_packer.h"
#include "src/compiler/help_text.h"
#include "src/compiler/package_metadata.h"
#include "src/compiler/package_plan.h"
#include "src/compiler/pending_file.h"
#include "src/pkg/pkg9_parser.h"
#include "src/pkg/pkg_parser.h"
#include "src/pkg/script_format.h"
#include "src/compiler/sis9_compile.h"
#include "src/compiler/source_lookup.h"
#include "src/pkg/text_encoding.h"

namespace tovrin::makesis {
namespace {

// Messages are made as UTF-8 (from the script's text and from paths); they go out in the
// host's local 8-bit text, as the script's own name from the command line already is.
class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& warnings, std::string script)
        : out_(out), warnings_(warnings), script_(std::move(script)) {}

    int error(int line, const std::string& message, const std::string& detail = {}) {
        if (line > 0) out_ << script_ << "(" << line << ") : ";
        out_ << "error: " << localFromUtf8(message) << "\n";
        if (!detail.empty()) out_ << localFromUtf8(detail) << "\n";
        return 1;
    }
    void note(int line, const std::string& message) {
        out_ << script_ << "(" << line << ") : " << localFromUtf8(message) << "\n";
    }
    void note(const std::string& message) {
        out_ << script_ << " : " << localFromUtf8(message) << "\n";
    }
    void warning(int line, const std::string& message) {
        warnings_ << "warning: " << script_ << "(" << line << "): " << localFromUtf8(message)
                  << "\n";
    }

private:
    std::ostream& out_;
    std::ostream& warnings_;
    std::string script_;
};

// Command-line text, in the host's local 8-bit encoding, as UTF-16.
std::u16string textFromLocal(const std::string& local) {
    std::u16string text;
    for (char32_t cp : codePoints(local)) appendUtf16(text, cp);
    return text;
}

unsigned workerCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 2 : cores;
}

// The checksum: the CRC of every byte but the checksum field, records first, then the data.
uint16_t checksumOf(const std::vector<uint8_t>& metadata, const PackOutcome& data) {
    uint16_t crc = sis::crc16(metadata.data(), sis::header::kChecksum);
    crc = sis::crc16(metadata.data() + sis::header::kChecksum + 2,
                     metadata.size() - sis::header::kChecksum - 2, crc);
    return sis::crc16Concat(crc, data.crc, data.length);
}

int compileSis9(const CommandLine& line, const std::u16string& script, const SourceFinder& finder,
                Reporter& report, std::ostream& out, const ProgressReport& progress,
                const std::filesystem::path& folder, std::vector<uint8_t>* memory) {
    Package9 package;
    std::vector<Diagnostic> diagnostics;
    if (!parsePackage9(script, finder, package, diagnostics, line.stub)) {
        for (const Diagnostic& d : diagnostics) report.error(d.line, d.message, d.detail);
        return 1;
    }
    if (package.signatureLine != 0) {
        report.warning(package.signatureLine,
                       "signature line ignored: Symbian 9 packages are signed after they are "
                       "made, with sissign");
    }
    if (line.verbose) {
        for (const auto& [statementLine, what] : package.statements)
            report.note(statementLine, what);
    }
    Sis9Options options;
    options.stub = line.stub;
    options.time = creationTime(line.time);
    options.markSystemFiles = !line.noSystemMark;
    std::function<bool(size_t, size_t)> fileProgress;
    if (progress) {
        fileProgress = [&progress](size_t done, size_t total) {
            Progress p;
            p.files = done;
            p.totalFiles = total;
            return progress(p);
        };
    }
    std::error_code ec;
    PendingFile file{memory ? std::filesystem::temp_directory_path(ec) / "tovrin-build.sis"
                            : std::filesystem::path(line.output)};
    std::string error;
    if (!file.open(&error)) return report.error(0, error);
    std::stringstream buffer;
    std::ostream& sink = memory ? static_cast<std::ostream&>(buffer) : file.stream();
    int errorLine = 0;
    if (!buildSis9(package, options, sink, file.stem(), &error, &errorLine, fileProgress)) {
        return report.error(errorLine, error);
    }
    if (memory) {
        const std::string bytes = buffer.str();
        memory->assign(bytes.begin(), bytes.end());
        return 0;
    }
    if (!file.commit(&error)) return report.error(0, error);
    out << "Created " << line.output << "\n";
    if (!line.stub) {
        out << "The package is unsigned: a phone installs it only once it is signed, e.g. with\n"
               "  sissign " << line.output << " " << line.output.substr(0, line.output.size() - 4)
            << ".sisx certificate.cer key.pem [password]\n";
    }
    return 0;
}

// `folder` empty: the script and its sources are named from the current folder and the package
// is written to its file; otherwise they are named from `folder` and the package goes to
// *memory.
int compile(const CommandLine& line, std::ostream& out, std::ostream& warnings,
            const ProgressReport& progress, const std::filesystem::path& folder = {},
            std::vector<uint8_t>* memory = nullptr) {
    Reporter report(out, warnings, line.script);
    out << "Processing " << line.script << "...\n";
    std::string scriptBytes;
    const std::string scriptPath =
        folder.empty() ? line.script : localText(folder / pathFromLocal(line.script));
    if (!readWholeFile(scriptPath, &scriptBytes)) {
        return report.error(
            0, "cannot open " + line.script + ", check the file name and access rights");
    }

    Package package;
    std::vector<Diagnostic> diagnostics;
    LookupFolders folders{fromUtf8(line.searchFolder), fromUtf8(line.rootFolder), {}, folder};
    for (const auto& [letter, drive] : line.driveFolders) {
        folders.drives[static_cast<char16_t>(letter)] = fromUtf8(drive);
    }
    const SourceLookup lookup(std::move(folders));
    const SourceFinder finder = [&lookup](const std::u16string& written, Source& found,
                                          std::vector<std::string>& matches) {
        return lookup.find(written, found, matches);
    };
    const std::u16string script = decodeScript(scriptBytes);
    const int sis9Line = firstSis9Line(script);
    if (sis9Line > 0 && line.formatGiven && !line.sis9) {
        return report.error(sis9Line, std::string("a statement of Symbian 9 scripts in a script "
                                                  "built with --format ") +
                                          (line.er5 ? "er5" : "er6") +
                                          ": build it with --format sis9");
    }
    if (line.sis9 || (sis9Line > 0 && !line.formatGiven)) {
        return compileSis9(line, script, finder, report, out, progress, folder, memory);
    }
    if (!parsePackage(script, finder, package, diagnostics, line.er5, line.allowUnsigned)) {
        for (const Diagnostic& d : diagnostics) report.error(d.line, d.message, d.detail);
        return 1;
    }
    if (package.signatureLine != 0) {
        report.warning(package.signatureLine, "signature line ignored: the package is unsigned");
    }
    if (line.verbose) {
        for (const auto& [statementLine, what] : package.statements)
            report.note(statementLine, what);
    }

    const Plan plan = makePlan(package, probeSourceFile, !line.er5, textFromLocal(line.tempFolder));
    // An ER5 installer takes no ER6 package: refuse the component now, not on the device.
    for (auto it = plan.records.rbegin(); line.er5 && it != plan.records.rend(); ++it) {
        if (it->embedsEr6) {
            return report.error(it->record->line,
                                "an ER5 package can embed ER5 packages only: this component is "
                                "an ER6 package");
        }
    }
    // A file's lengths are stored in 32 bits: refuse a file that cannot fit before anything
    // is compressed, at the line that names it.
    for (const Fork& fork : plan.forks) {
        if (fork.sizeHint >= (uint64_t{1} << 32))
            return report.error(fork.line, fork.path.u8string() + " is larger than 4 GiB");
    }
    MetadataOptions options;
    options.stub = line.stub;
    std::vector<uint8_t> metadata;
    std::string error;
    if (!buildMetadata(package, plan, std::vector<ForkResult>(plan.forks.size()), options, metadata,
                       &error)) {
        return report.error(0, error);
    }

    // In memory the pending file only lends its free name to the packer's scratch files.
    std::error_code ec;
    PendingFile file{memory ? std::filesystem::temp_directory_path(ec) / "tovrin-build.sis"
                            : std::filesystem::path(line.output)};
    if (!file.open(&error)) return report.error(0, error);
    std::stringstream buffer;
    std::ostream& sink = memory ? static_cast<std::ostream&>(buffer) : file.stream();
    // The records go in front of the data but are complete only once the data is: keep
    // their place, write the data behind it, then fill it in.
    const size_t metadataSize = metadata.size();
    if (!line.stub) {
        sink.write(reinterpret_cast<const char*>(metadata.data()),
                            static_cast<std::streamsize>(metadataSize));
    }
    if (line.verbose) {
        report.note((plan.compress ? "compressing " : "copying ") +
                    std::to_string(plan.forks.size()) + " file(s)");
    }
    PackOutcome data;
    ForkProgress forkProgress;
    if (progress) {
        Progress done;
        done.totalFiles = plan.forks.size();
        for (const Fork& fork : plan.forks) done.totalBytes += fork.sizeHint;
        forkProgress = [done, &progress](std::size_t forks, uint64_t bytes) mutable {
            done.files = forks;
            done.bytes = bytes;
            return progress(done);
        };
    }
    if (!packForks(plan, line.stub ? nullptr : &sink, file.stem(), workerCount(), data,
                   forkProgress)) {
        return report.error(data.errorLine, data.error);
    }
    if (line.stub) data = PackOutcome{data.results, 0, 0, 0, {}};
    if (!buildMetadata(package, plan, data.results, options, metadata, &error)) {
        return report.error(0, error);
    }
    if (metadata.size() != metadataSize) {
        return report.error(0, "internal error: the records changed size");
    }
    sis::writeU16(metadata.data() + sis::header::kChecksum, checksumOf(metadata, data));
    if (line.verbose) report.note("writing header, records and checksum");
    sink.seekp(0);
    sink.write(reinterpret_cast<const char*>(metadata.data()),
               static_cast<std::streamsize>(metadata.size()));
    if (memory) {
        const std::string bytes = buffer.str();
        memory->assign(bytes.begin(), bytes.end());
        return 0;
    }
    if (!file.commit(&error)) return report.error(0, error);
    out << "Created " << line.output << "\n";
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, const ProgressReport& progress,
        std::ostream* warnings) {
    CommandLine line;
    std::string error;
    if (!parseCommandLine(args, line, &error)) {
        printBanner(out);
        out << "error: " << error << "\n\n";
        printUsage(out);
        return 1;
    }
    if (line.version && !line.help) {
        printVersion(out);
        return 0;
    }
    if (line.help) {
        printBanner(out);
        printFormatHelp(out);
        return 0;
    }
    return compile(line, out, warnings ? *warnings : out, progress);
}

int buildInMemory(const std::vector<std::string>& args, const std::filesystem::path& folder,
                  std::vector<uint8_t>* package, std::ostream& out) {
    CommandLine line;
    std::string error;
    if (!parseCommandLine(args, line, &error) || line.help || line.version) {
        out << "error: " << (error.empty() ? "not a build" : error) << "\n";
        return 1;
    }
    return compile(line, out, out, {}, folder.empty() ? std::filesystem::path(".") : folder,
                   package);
}

}  // namespace tovrin::makesis
