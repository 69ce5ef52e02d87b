#include "tools/sissign/sissign.h"

#include <ctime>

#include "tools/sissign/key_files.h"
#include "tools/sissign/package_signing.h"

namespace tovrin::sissign {
namespace {

constexpr const char* kUsage =
    "usage: sissign [-s] in.sis out.sisx cert key [password]\n"
    "       sissign -u in.sisx out.sis\n"
    "       sissign -p in.sisx\n"
    "       sissign --new-cert cert key [--subject \"CN=...,O=...\"] [--days N] [--bits N]\n"
    "               [--password P]\n";
constexpr const char* kHelp =
    "Signs Symbian 9 packages (S60 3rd edition and later), removes their signatures, shows\n"
    "them, and makes a key with a self-signed certificate to sign with.\n"
    "  [-s] in out cert key [password]\n"
    "             add a signature chain to in, written as out: after the last chain when in is\n"
    "             signed already. cert: PEM or DER, the signer's certificate first, then its\n"
    "             issuers; key: RSA or DSA, PEM or DER, plain or encrypted (password)\n"
    "  -u in out  remove every signature: out is the package as it was unsigned\n"
    "  -p in      show each chain, its certificates and whether its signature verifies\n"
    "             (embedded packages' chains too, as sislist does)\n"
    "  --new-cert cert key\n"
    "             make an RSA key and a self-signed certificate for it that phones accept\n"
    "    --subject S   the certificate's name (default \"CN=Tovrin self-signed\")\n"
    "    --days N      valid for N days from yesterday (default 3650); it must end before 2050\n"
    "    --bits N      the key's size, 1024 to 4096 (default 2048)\n"
    "    --password P  write the key encrypted with P (otherwise plain, readable by you alone)\n"
    "  -h, --help show this help\n"
    "  --version  show the version\n"
    "Outputs are written under a temporary name and renamed when whole: a failure leaves an\n"
    "earlier file as it was.\n"
    "Exit status: 0 on success (with -p: every chain verifies), 1 on a failure, 2 on a usage\n"
    "error.\n";

int usage(std::ostream& err, const std::string& message) {
    err << "sissign: " << message << "\n" << kUsage;
    return 2;
}

int fail(std::ostream& err, const std::string& message) {
    err << message << "\n";
    return 1;
}

bool number(const std::string& text, unsigned* out) {
    if (text.empty() || text.size() > 6) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + unsigned(c - '0');
    }
    *out = value;
    return true;
}

int newCertificate(const std::vector<std::string>& args, std::ostream& err) {
    NewKeyRequest request;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued =
            arg == "--subject" || arg == "--days" || arg == "--bits" || arg == "--password";
        if (valued && i + 1 >= args.size()) return usage(err, arg + " needs a value");
        if (arg == "--subject") {
            request.certificate.subject = args[++i];
        } else if (arg == "--password") {
            request.password = args[++i];
        } else if (arg == "--days" || arg == "--bits") {
            unsigned value = 0;
            if (!number(args[++i], &value) || value == 0)
                return usage(err, arg + " needs a positive number, not '" + args[i] + "'");
            (arg == "--days" ? request.certificate.days : request.bits) = value;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return usage(err, "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return usage(err, "--new-cert takes a certificate file and a key file");
    if (files[0] == files[1]) return usage(err, "the certificate and the key need two files");
    if (request.bits < 1024 || request.bits > 4096)
        return usage(err, "--bits must be 1024 to 4096");
    request.certificatePath = files[0];
    request.keyPath = files[1];
    request.certificate.now = int64_t(std::time(nullptr));
    std::string message;
    if (!makeKeyAndCertificate(request, &message)) return fail(err, "sissign: " + message);
    return 0;
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
        out << "sissign " TOVRIN_VERSION "\n";
        return 0;
    }
    if (args.empty()) return usage(err, "nothing to do");
    const std::string& mode = args[0];
    std::string message;
    if (mode == "--new-cert") return newCertificate(args, err);
    if (mode == "-u") {
        if (args.size() != 3) return usage(err, "-u takes a package and an output");
        if (!unsignPackage(args[1], args[2], &message)) return fail(err, message);
        return 0;
    }
    if (mode == "-p") {
        if (args.size() != 2) return usage(err, "-p takes one package");
        bool allVerify = false;
        if (!showChains(args[1], out, &allVerify, &message)) return fail(err, message);
        return allVerify ? 0 : 1;
    }
    const size_t first = mode == "-s" ? 1 : 0;
    // The files only: a password may begin with "-".
    for (size_t i = first; i < args.size() && i < first + 4; ++i) {
        if (args[i].size() > 1 && args[i][0] == '-')
            return usage(err, "unknown option '" + args[i] + "'");
    }
    const size_t count = args.size() - first;
    if (count < 4 || count > 5)
        return usage(err, "signing takes a package, an output, a certificate and a key");
    const std::string& in = args[first];
    const std::string& output = args[first + 1];
    const std::string& certificatePath = args[first + 2];
    const std::string& keyPath = args[first + 3];
    const std::string password = count == 5 ? args[first + 4] : std::string();
    std::vector<crypto::Bytes> certificates;
    crypto::PrivateKey key;
    if (!readCertificates(certificatePath, &certificates, &message) ||
        !readSigningKey(keyPath, password, certificates[0], certificatePath, &key, &message) ||
        !signPackage(in, output, certificates, key, &message))
        return fail(err, message);
    return 0;
}

}  // namespace tovrin::sissign
