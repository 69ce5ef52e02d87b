#include "tools/build/tovrin_build.h"

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
#include "src/sis/uid_text.h"
#include "tools/build/build_options.h"
#include "tools/build/language_choice.h"
#include "tools/build/progress_line.h"
#include "tools/build/scratch_folder.h"
#include "tools/makesis/makesis.h"

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

// A folder as the window's folder choice gives it: a full path ending in a separator.
std::string folderPath(const std::string& given) {
    if (given.empty()) return given;  // refused by the checks, as an empty box is
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(given));
    std::string text = localText(path);
    return path.has_filename() ? text + kSeparator : text;
}

// The UID as "Take from a file" reads it: the first four bytes of the package.
bool uidFromPackage(const std::string& package, std::string& uid) {
    std::ifstream in(package, std::ios::binary);
    char head[4];
    if (in) in.read(head, sizeof head);
    if (!in && !in.eof()) return false;
    uid = uidText(std::string(head, static_cast<std::size_t>(in.gcount())));
    return true;
}

// The language entry the window's box would show, or a message naming the entries.
bool pickLanguage(const std::string& appFolder, const std::string& given, std::string& entry,
                  std::string& error, int& status) {
    std::string bytes;
    if (!readWholeFile(binFile(appFolder, "languages.wzl"), &bytes)) {
        error = "Error opening languages.wzl";
        status = kFailed;
        return false;
    }
    std::vector<std::string> entries = languageEntries(bytes);
    entry = chooseLanguage(entries, given);
    if (!entry.empty()) return true;
    sortLanguages(entries);
    error = "unknown language " + given + "; the languages are:";
    for (const std::string& known : entries) error += "\n  " + known;
    status = kUsageError;
    return false;
}

std::string checkAll(const PackageSettings& s, const std::string& appFolder,
                     std::vector<std::string>& entries) {
    if (std::string m = checkFolders(s, appFolder); !m.empty()) return m;
    if (std::string m = checkNameAndUid(s); !m.empty()) return m;
    if (std::string m = checkSource(s); !m.empty()) return m;
    ScanFolder(s.projectFolder, &entries);
    return checkProjectEntries(entries);
}

// AboutInstaller.txt and the package script in the scratch folder. The script's lines are
// let go before the compiler runs.
bool writeScratchFiles(const PackageSettings& s, const std::vector<std::string>& entries,
                       const ScratchFolder& scratch, std::string& error) {
    const std::string about = aboutText();
    const std::string aboutFile = scratch.file("AboutInstaller.txt");
    const std::vector<std::string> script = packageScript(s, aboutFile, entries);
    return writeTextFile(aboutFile, &about, 1, &error) &&
           writeTextFile(scratch.file("temp.pkg"), script.data(), script.size(), &error);
}

// What the compiler said, less its "Processing" line: its errors as they are.
void passOnCompilerMessages(const std::string& said, std::ostream& err) {
    std::istringstream lines(said);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("Processing ", 0) != 0) err << line << "\n";
}

}  // namespace

int run(const std::vector<std::string>& args, const std::string& appFolder, Console console) {
    const auto start = ProgressLine::Clock::now();
    BuildOptions options;
    std::string error;
    if (!parseBuildOptions(args, options, error)) {
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
    s.projectFolder = folderPath(options.project);
    s.destinationFolder =
        options.destination.empty() ? s.projectFolder : folderPath(options.destination);
    s.name = options.name;
    s.uid = options.uid;
    if (!options.uidFrom.empty() && !uidFromPackage(options.uidFrom, s.uid))
        return fail(console, "Cannot read " + options.uidFrom);
    s.major = options.major;
    s.minor = options.minor;
    s.build = options.build;
    if (!options.language.empty()) {
        int status = kFailed;
        if (!pickLanguage(appFolder, options.language, s.language, error, status)) {
            fail(console, error);
            return status;
        }
    }
    s.supportAll = options.series60;

    std::vector<std::string> entries;
    if (std::string m = checkAll(s, appFolder, entries); !m.empty()) return fail(console, m);

    if (options.pkgOnly) {
        for (const std::string& line : packageScript(s, "AboutInstaller.txt", entries))
            console.out << line << "\r\n";
        console.out.flush();
        return console.out ? 0 : fail(console, "cannot write the package script");
    }

    if (console.interrupted()) return stopped(console);
    ScratchFolder scratch;
    if (!scratch.create(error) || !writeScratchFiles(s, entries, scratch, error))
        return fail(console, error);
    const std::string scriptFile = scratch.file("temp.pkg");

    const std::string target = s.destinationFolder + s.name + ".sis";
    std::ostringstream said;
    int status;
    {
        ProgressLine line(console.err, console.errIsTerminal && !options.quiet, start);
        status = makesis::run({scriptFile, target}, said, [&](const makesis::Progress& p) {
            line.show(p);
            return !console.interrupted();
        });
    }
    if (status != 0 && console.interrupted()) return stopped(console);
    if (status != 0) {
        passOnCompilerMessages(said.str(), console.err);
        return kFailed;
    }
    if (!options.quiet) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(std::filesystem::path(target), ec);
        console.out << target << ": " << (ec ? 0 : size) << " bytes, " << entries.size() + 1
                    << " files\n";
    }
    return 0;
}

}  // namespace tovrin::build
