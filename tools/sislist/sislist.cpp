#include "tools/sislist/sislist.h"

#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "tools/sislist/decompile.h"
#include "tools/sislist/extract.h"
#include "tools/sislist/listing.h"

namespace tovrin::sislist {
namespace {

constexpr const char* kUsage =
    "usage: sislist [-x DIR] package.sis\n"
    "       sislist --pkg DIR | --pkg-all DIR package.sis\n";
constexpr const char* kHelp =
    "Lists a pre-9 Series 60 package (.sis) and verifies its checksums.\n"
    "  -x DIR     also extract the package's files below DIR\n"
    "  --pkg DIR  instead, write the package's script and the files it names into DIR (new or\n"
    "             empty), so that the command on the script's first line, run in DIR, rebuilds\n"
    "             the package; the script is built in memory and compared before exiting\n"
    "  --pkg-all DIR  as --pkg, and every embedded package decompiled too, beside its file\n"
    "  -h, --help show this help\n"
    "  --version  show the version\n"
    "Exit status: 0 when the package is whole and verified (with --pkg: and the script\n"
    "rebuilds it as its first line says), 1 otherwise.\n";

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
    std::string file;
    bool extract = false;
    bool decompiled = false;
    bool components = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool pkg = args[i] == "--pkg" || args[i] == "--pkg-all";
        if ((args[i] == "-x" || pkg) && i + 1 < args.size() && !extract && !decompiled) {
            (pkg ? decompiled : extract) = true;
            components = args[i] == "--pkg-all";
            folder = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            err << "sislist: unknown or repeated option '" << args[i] << "'\n" << kUsage;
            return 1;
        } else if (file.empty()) {
            file = args[i];
        } else {
            err << "sislist: more than one package given\n" << kUsage;
            return 1;
        }
    }
    if (file.empty()) {
        err << "sislist: no package given\n" << kUsage;
        return 1;
    }

    if (decompiled) return decompile(file, folder, components, out, err);

    sis::FileSource source;
    std::string message;
    if (!source.open(file, &message)) {
        err << file << ": " << message << "\n";
        return 1;
    }
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
