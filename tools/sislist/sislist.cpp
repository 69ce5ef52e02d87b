#include "tools/sislist/sislist.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "src/platform/terminal.h"
#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"
#include "tools/sislist/catalogue.h"
#include "tools/sislist/decompile.h"
#include "tools/sislist/extract.h"
#include "tools/sislist/extract9.h"
#include "tools/sislist/listing.h"
#include "tools/sislist/listing9.h"

namespace tovrin::sislist {
namespace {

constexpr const char* kUsage =
    "usage: sislist [-x DIR] [--at YYYY-MM-DD] package.sis\n"
    "       sislist --json [--at YYYY-MM-DD] package.sis... | --json -r FOLDER...\n"
    "       sislist --pkg DIR | --pkg-all DIR package.sis\n";
constexpr const char* kHelp =
    "Lists a Series 60 package and verifies it: a pre-9 package (.sis: its checksums and\n"
    "data), or a Symbian 9 package or stub (.sis, .sisx: its structure, checksums, every\n"
    "file's SHA-1, every signature and certificate).\n"
    "  -x DIR     also extract the package's files below DIR (a Symbian 9 package's embedded\n"
    "             packages too, each as embedded-<UID>.sis); every file is checked first\n"
    "  --at YYYY-MM-DD  judge certificates on that day rather than today\n"
    "  --json     instead, print one JSON object per package (JSON Lines), either family\n"
    "  -r         with --json: the arguments are folders, searched for .sis and .sisx files\n"
    "             (any letter case); progress on standard error when it is a terminal\n"
    "  --pkg DIR  instead, write the package's script and the files it names into DIR (new or\n"
    "             empty), so that the command on the script's first line, run in DIR, rebuilds\n"
    "             the package; the script is built in memory and compared before exiting\n"
    "  --pkg-all DIR  as --pkg, and every embedded package decompiled too, beside its file\n"
    "  -h, --help show this help\n"
    "  --version  show the version\n"
    "Exit status: 0 when the package is whole and verified (with --pkg: and the script\n"
    "rebuilds it as its first line says; with --json: every package), 1 otherwise.\n";

// Seconds since 1970 of 00:00:00 UTC on the day given as YYYY-MM-DD.
bool parseDay(const std::string& text, int64_t* out) {
    int y = 0, m = 0, d = 0;
    char end = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &end) != 3 ||
        m < 1 || m > 12 || d < 1 || d > 31 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    // Days from civil (proleptic Gregorian).
    const int yy = y - (m <= 2);
    const int era = (yy >= 0 ? yy : yy - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(yy - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    *out = (int64_t(era) * 146097 + int64_t(doe) - 719468) * 86400;
    return true;
}

bool packageName(const std::filesystem::path& path) {
    const std::string ext = lowerAscii(path.extension().u8string());
    return ext == ".sis" || ext == ".sisx";
}

// Every package file below the folders, in a fixed order; a folder that cannot be read gives
// an entry of its own (an empty path and the message).
std::vector<std::pair<std::string, std::string>> packagesBelow(const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& folder : folders) {
        std::error_code ec;
        if (!fs::is_directory(fs::u8path(folder), ec)) {
            out.emplace_back(folder, "not a folder");
            continue;
        }
        std::vector<std::string> found;
        fs::recursive_directory_iterator it(fs::u8path(folder),
                                            fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code e;
            if (it->is_regular_file(e) && packageName(it->path())) found.push_back(it->path().u8string());
        }
        if (ec) out.emplace_back(folder, "cannot be read whole: " + ec.message());
        std::sort(found.begin(), found.end());
        for (const std::string& f : found) out.emplace_back(f, "");
    }
    return out;
}

int runCatalogue(const std::vector<std::string>& items, bool folders, int64_t now,
                 std::ostream& out, std::ostream& err) {
    std::vector<std::pair<std::string, std::string>> files;
    if (folders) {
        files = packagesBelow(items);
    } else {
        for (const std::string& f : items) files.emplace_back(f, "");
    }
    const bool progress = standardErrorIsTerminal();
    bool ok = true;
    for (size_t i = 0; i < files.size(); ++i) {
        if (progress) {
            err << "\rsislist: " << (i + 1) << " of " << files.size() << std::flush;
        }
        CatalogueEntry entry;
        if (!files[i].second.empty()) {
            entry.file = files[i].first;
            entry.error = files[i].second;
        } else {
            entry = catalogueFile(files[i].first, now);
        }
        ok = ok && entry.error.empty() && entry.verified;
        out << catalogueJson(entry) << "\n";
    }
    if (progress && !files.empty()) err << "\n";
    return ok ? 0 : 1;
}

int listSis9(sis::ByteSource& source, const std::string& file, bool extract,
             const std::string& folder, int64_t now, std::ostream& out, std::ostream& err) {
    sis9::Package package;
    std::string message;
    if (!sis9::readPackage(source, &package, &message)) {
        err << file << ": " << message << "\n";
        return 1;
    }
    sis9::Verification verification = sis9::verifyPackage(source, package);
    const std::vector<sis9::ChainResult> chains = sis9::verifySignatures(package, now);
    sis9::addSignatureChecks(package, chains, &verification);
    out << formatListing9(package, verification, chains);
    bool ok = true;
    for (const sis9::Check& c : verification.checks) {
        if (c.status == sis9::Status::Failed) {
            err << file << ": " << c.what << ": " << c.detail << "\n";
            ok = false;
        }
    }
    if (extract) {
        std::vector<Extracted9> written;
        std::vector<std::string> errors;
        extractPackage9(source, package, folder, &written, &errors);
        if (package.form != sis9::Form::Package) out << "nothing extracted: a stub holds no file data\n";
        for (const Extracted9& x : written) out << "extracted " << x.what << ": " << x.path << "\n";
        for (const std::string& e : errors) err << file << ": " << e << "\n";
        ok = ok && errors.empty();
    }
    return ok ? 0 : 1;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out << kUsage << kHelp;
            return 0;
        }
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "sislist " TOVRIN_VERSION "\n";
        return 0;
    }
    std::string folder;
    std::vector<std::string> files;
    bool extract = false;
    bool decompiled = false;
    bool components = false;
    bool json = false;
    bool recursive = false;
    bool dayGiven = false;
    int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (size_t i = 0; i < args.size(); ++i) {
        const bool pkg = args[i] == "--pkg" || args[i] == "--pkg-all";
        if ((args[i] == "-x" || pkg) && i + 1 < args.size() && !extract && !decompiled) {
            (pkg ? decompiled : extract) = true;
            components = args[i] == "--pkg-all";
            folder = args[++i];
        } else if (args[i] == "--at" && i + 1 < args.size() && !dayGiven) {
            dayGiven = true;
            if (!parseDay(args[++i], &now)) {
                err << "sislist: --at wants a day as YYYY-MM-DD, not '" << args[i] << "'\n"
                    << kUsage;
                return 1;
            }
        } else if (args[i] == "--json" && !json) {
            json = true;
        } else if (args[i] == "-r" && !recursive) {
            recursive = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            err << "sislist: unknown or repeated option '" << args[i] << "'\n" << kUsage;
            return 1;
        } else {
            files.push_back(args[i]);
        }
    }
    if (json && (extract || decompiled)) {
        err << "sislist: --json lists only: no -x, --pkg or --pkg-all with it\n" << kUsage;
        return 1;
    }
    if (recursive && !json) {
        err << "sislist: -r goes with --json\n" << kUsage;
        return 1;
    }
    if (files.empty()) {
        err << "sislist: no " << (recursive ? "folder" : "package") << " given\n" << kUsage;
        return 1;
    }
    if (json) return runCatalogue(files, recursive, now, out, err);
    if (files.size() > 1) {
        err << "sislist: more than one package given\n" << kUsage;
        return 1;
    }
    const std::string file = files[0];

    sis::FileSource source;
    std::string message;
    const bool opened = source.open(file, &message);
    if (decompiled) {
        if (opened && sis9::looksLikeSis9(source)) {
            err << file << ": a Symbian 9 package: --pkg and --pkg-all take pre-9 packages\n";
            return 1;
        }
        return decompile(file, folder, components, out, err);
    }
    if (!opened) {
        err << file << ": " << message << "\n";
        return 1;
    }
    if (sis9::looksLikeSis9(source)) return listSis9(source, file, extract, folder, now, out, err);
    sis::Package package;
    if (!sis::readPackage(source, &package, &message)) {
        err << file << ": " << message << "\n";
        return 1;
    }
    const std::vector<sis::Check> checks = sis::verifyPackage(source, package);
    out << formatListing(package, checks);

    bool ok = true;
    for (const sis::Check& c : checks) {
        if (!c.ok) {
            err << file << ": " << c.what << ": " << c.detail << "\n";
            ok = false;
        }
    }
    if (extract) {
        std::vector<Extracted> written;
        std::vector<std::string> errors;
        extractPackage(source, package, folder, &written, &errors);
        for (const Extracted& x : written) {
            out << "extracted record " << x.record << " fork " << x.fork << ": " << x.path << "\n";
        }
        for (const std::string& e : errors) err << file << ": " << e << "\n";
        ok = ok && errors.empty();
    }
    return ok ? 0 : 1;
}

}  // namespace tovrin::sislist
