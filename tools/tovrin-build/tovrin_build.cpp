#include "tools/tovrin-build/tovrin_build.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "src/lang/language_list.h"
#include "src/package/check_order.h"
#include "src/package/package_script.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/platform/read_file.h"
#include "src/platform/text_file.h"
#include "src/scan/folder_walk.h"
#include "src/sis/byte_source.h"
#include "src/sis/uid_text.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/sis9_reader.h"
#include "tools/tovrin-build/build_options.h"
#include "tools/tovrin-build/language_choice.h"
#include "tools/tovrin-build/progress_line.h"
#include "tools/tovrin-build/scratch_folder.h"
#include "src/compiler/makesis.h"
#include "src/package/package_script9.h"
#include "src/platform/private_file.h"
#include "tools/sissign/package_signing.h"
#include "tools/tovrin-build/signing_identity.h"

#ifndef TOVRIN_VERSION
#define TOVRIN_VERSION "unknown"
#endif

namespace tovrin::build {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int fail(Console& console, const std::string& message) {
    console.err << "tovrin-build: " << message << "\n";
    return kFailed;
}

int stopped(Console& console) {
    console.err << "tovrin-build: interrupted\n";
    return kInterrupted;
}

// A folder as the window's folder choice gives it: a full path with native separators, ending
// in one.
std::string folderPath(const std::string& given) {
    if (given.empty()) return given;  // refused by the checks, as an empty box is
    // "." and ".." are resolved as the folder dialog would have: a file line names no "/./".
    std::filesystem::path path =
        std::filesystem::absolute(std::filesystem::path(given)).lexically_normal();
    std::string text = localText(path.make_preferred());
    return path.has_filename() ? text + kSeparator : text;
}

// The language entry the window's box would show for the name given. Returns 0, or the exit
// status with `error` set (naming the entries when none answers).
int pickLanguage(const std::string& appFolder, const std::string& given, std::string& entry,
                 std::string* error) {
    std::string bytes;
    if (!readWholeFile(binFile(appFolder, "languages.wzl"), &bytes)) {
        *error = "Error opening languages.wzl";
        return kFailed;
    }
    std::vector<std::string> entries = languageEntries(bytes);
    entry = chooseLanguage(entries, given);
    if (!entry.empty()) return 0;
    sortLanguages(entries);
    *error = "unknown language " + given + "; the languages are:";
    for (const std::string& known : entries) *error += "\n  " + known;
    return kUsageError;
}

// The values the window's controls would hold. Returns 0, or the exit status with `error` set.
int readOptions(const BuildOptions& o, const std::string& appFolder, PackageSettings& s,
                std::string* error) {
    s.projectFolder = folderPath(o.project);
    s.destinationFolder = o.destination.empty() ? s.projectFolder : folderPath(o.destination);
    s.name = o.name;
    s.uid = o.uid;
    if (!o.uidFrom.empty() && !readUidText(o.uidFrom, &s.uid)) {
        *error = "Cannot read " + o.uidFrom;
        return kFailed;
    }
    if (!o.uidFrom.empty() && o.sis9) {
        // A Symbian 9 package begins with the UID of its kind; its own is the third word.
        std::ifstream in(std::filesystem::path(o.uidFrom), std::ios::binary);
        char head[12] = {};
        if (in.read(head, sizeof head) && std::string(head, 4) == "\x7A\x1A\x20\x10")
            s.uid = uidText(std::string(head + 8, 4));
    }
    s.major = o.major;
    s.minor = o.minor;
    s.build = o.build;
    s.supportAll = o.series60;
    return o.language.empty() ? 0 : pickLanguage(appFolder, o.language, s.language, error);
}

std::string checkAll(const PackageSettings& s, std::vector<std::string>& entries) {
    // The window's checks of the folders and the name, but none of the program's own folder:
    // the command writes no batch script that would name it.
    if (std::string m = checkFolders(s, ""); !m.empty()) return m;
    if (std::string m = checkNameAndUid(s); !m.empty()) return m;
    if (std::string m = checkSource(s); !m.empty()) return m;
    ScanFolder(s.projectFolder, &entries);
    return checkProjectEntries(entries);
}

// AboutInstaller.txt and the package script in the scratch folder. The script's lines are
// let go before the compiler runs.
bool writeScratchFiles(const PackageSettings& s, const std::vector<std::string>& entries,
                       const ScratchFolder& scratch, std::string* error) {
    const std::string about = aboutText();
    const std::string aboutFile = scratch.file("AboutInstaller.txt");
    const std::vector<std::string> script = packageScript(s, aboutFile, entries);
    return writeTextFile(aboutFile, &about, 1, error) &&
           writeTextFile(scratch.file("temp.pkg"), script.data(), script.size(), error);
}

// What the compiler said, less its "Processing" line: its errors as they are.
void passOnCompilerMessages(const std::string& said, std::ostream& err) {
    std::istringstream lines(said);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("Processing ", 0) != 0) err << line << "\n";
}

void report(const std::string& target, std::size_t files, Console& console) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(std::filesystem::path(target), ec);
    console.out << target << ": " << (ec ? 0 : size) << " bytes, " << files << " files\n";
}

// Compiles the script in the scratch folder to the target and reports the package.
int compile(const std::vector<std::string>& formatArgs, const std::string& script,
            const std::string& target, std::size_t files, bool quiet, ProgressLine& line,
            Console& console) {
    std::ostringstream said;
    std::vector<std::string> args = formatArgs;
    args.push_back(script);
    args.push_back(target);
    const int status = makesis::run(args, said, [&](const makesis::Progress& p) {
        line.show(p);
        return !console.interrupted();
    });
    line.clear();
    if (status != 0 && console.interrupted()) return stopped(console);
    if (status != 0) {
        passOnCompilerMessages(said.str(), console.err);
        return kFailed;
    }
    if (!quiet) report(target, files, console);
    return 0;
}

// A self-signed package installs only when its files ask for no more than the capabilities a
// user may grant; the package is still made, since a trusted signature may follow.
void warnAboutCapabilities(const std::string& package, std::ostream& err) {
    sis::FileSource source;
    sis9::Package read;
    std::string message;
    if (!source.open(package, &message) || !sis9::readPackage(source, &read, &message)) return;
    for (const auto& [file, warning] : sis9::capabilityWarnings(read.controller, true))
        err << "tovrin-build: warning: " << localFromUtf8(file->target) << " " << warning << "\n";
}

// A Symbian 9 build: the 9.x script, compiled unsigned into the scratch folder, then signed
// to the target, which is renamed into place only when whole.
int buildSis9(const BuildOptions& options, const PackageSettings& s,
              std::vector<std::string>& entries, const ProgressLine::Clock::time_point start,
              Console& console) {
    Sis9Settings n;
    if (!options.vendor.empty()) n.vendor = options.vendor;
    if (!options.platform.empty()) n.platform = uint32_t(std::stoul(options.platform, nullptr, 16));
    if (options.pkgOnly) {
        for (const std::string& line : packageScript9(s, n, "AboutInstaller.txt", entries))
            console.out << line << "\r\n";
        console.out.flush();
        return console.out ? 0 : fail(console, "cannot write the package script");
    }
    // The kept certificate is self-signed: a protected UID is refused before one is made.
    if (options.certificate.empty()) {
        if (std::string m = checkSelfSignedUid(s.uid); !m.empty()) return fail(console, m);
    }
    SigningIdentity identity;
    std::string error;
    if (!signingIdentity(options.certificate, options.key, options.password, userConfigFolder(),
                         console.err, &identity, &error))
        return fail(console, error);
    if (identity.selfSigned) {
        if (std::string m = checkSelfSignedUid(s.uid); !m.empty()) return fail(console, m);
    }

    if (console.interrupted()) return stopped(console);
    ScratchFolder scratch;
    if (!scratch.create(&error)) return fail(console, error);
    {
        const std::string about = aboutText();
        const std::string aboutFile = scratch.file("AboutInstaller.txt");
        const std::vector<std::string> script = packageScript9(s, n, aboutFile, entries);
        if (!writeTextFile(aboutFile, &about, 1, &error) ||
            !writeTextFile(scratch.file("temp.pkg"), script.data(), script.size(), &error))
            return fail(console, error);
    }
    const std::size_t files = entries.size() + 1;
    std::vector<std::string>().swap(entries);
    ProgressLine line(console.err, console.errIsTerminal && !options.quiet, start);
    const std::string unsignedPackage = scratch.file("unsigned.sis");
    if (int status = compile({"--format", "sis9"}, scratch.file("temp.pkg"), unsignedPackage,
                             files, true, line, console);
        status != 0)
        return status;
    if (identity.selfSigned) warnAboutCapabilities(unsignedPackage, console.err);
    if (console.interrupted()) return stopped(console);
    const std::string target = s.destinationFolder + s.name + ".sis";
    if (!sissign::signPackage(unsignedPackage, target, identity.certificates, identity.key,
                              &error))
        return fail(console, error);
    if (!options.quiet) report(target, files, console);
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& args, const std::string& appFolder, Console console) {
    const auto start = ProgressLine::Clock::now();
    BuildOptions options;
    std::string error;
    if (!parseBuildOptions(args, options, &error)) {
        console.err << "tovrin-build: " << error << "\n" << kUsage;
        return kUsageError;
    }
    if (options.help) {
        console.out << kHelp;
        return 0;
    }
    if (options.version) {
        console.out << "tovrin-build " << TOVRIN_VERSION << "\n";
        return 0;
    }

    PackageSettings s;
    if (int status = readOptions(options, appFolder, s, &error); status != 0) {
        console.err << "tovrin-build: " << error << "\n";
        return status;
    }

    std::vector<std::string> entries;
    if (std::string m = checkAll(s, entries); !m.empty()) return fail(console, m);
    if (options.sis9) return buildSis9(options, s, entries, start, console);

    if (options.pkgOnly) {
        for (const std::string& line : packageScript(s, "AboutInstaller.txt", entries))
            console.out << line << "\r\n";
        console.out.flush();
        return console.out ? 0 : fail(console, "cannot write the package script");
    }

    if (console.interrupted()) return stopped(console);
    ScratchFolder scratch;
    if (!scratch.create(&error) || !writeScratchFiles(s, entries, scratch, &error))
        return fail(console, error);

    // The compiler reads the files from the script: the list is let go before it runs.
    const std::size_t files = entries.size() + 1;
    std::vector<std::string>().swap(entries);
    ProgressLine line(console.err, console.errIsTerminal && !options.quiet, start);
    return compile({}, scratch.file("temp.pkg"), s.destinationFolder + s.name + ".sis", files,
                   options.quiet, line, console);
}

}  // namespace tovrin::build
