#include "tools/tovrin-build/build_options.h"

#include "src/platform/local_text.h"

namespace tovrin::build {
namespace {

#ifdef _WIN32
#define TOVRIN_CONFIG_FOLDER_HELP "%APPDATA%\\Tovrin"
#else
#define TOVRIN_CONFIG_FOLDER_HELP "$XDG_CONFIG_HOME/tovrin"
#endif

// The most characters each box of the window takes.
constexpr std::size_t kNameLimit = 24;
constexpr std::size_t kUidLimit = 8;

enum class Takes { Nothing, Value };

struct Option {
    char shortName;  // 0: none
    const char* longName;
    Takes takes;
};

const Option kOptions[] = {
    {'d', "dest", Takes::Value},        {'n', "name", Takes::Value},
    {'u', "uid", Takes::Value},         {0, "uid-from", Takes::Value},
    {'V', "app-version", Takes::Value}, {'l', "language", Takes::Value},
    {0, "no-series60", Takes::Nothing}, {0, "pkg", Takes::Nothing},
    {'q', "quiet", Takes::Nothing},     {'h', "help", Takes::Nothing},
    {0, "version", Takes::Nothing},     {0, "format", Takes::Value},
    {0, "vendor", Takes::Value},        {0, "platform", Takes::Value},
    {0, "cert", Takes::Value},          {0, "key", Takes::Value},
    {0, "password", Takes::Value},
};

bool isHex(const std::string& text) {
    return !text.empty() && text.size() <= 8 &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// The options that only a Symbian 9 package has, and how they go together.
bool checkSis9Options(const BuildOptions& o, std::string* error) {
    const bool any = !o.vendor.empty() || !o.platform.empty() || !o.certificate.empty() ||
                     !o.key.empty() || !o.password.empty();
    if (!o.sis9) {
        if (any) *error = "--vendor, --platform, --cert, --key and --password need --format sis9";
        return !any;
    }
    if (o.certificate.empty() != o.key.empty()) {
        *error = "--cert and --key go together";
        return false;
    }
    if (!o.password.empty() && o.key.empty()) {
        *error = "--password is that of --key";
        return false;
    }
    for (char c : o.vendor) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20) {
            *error = "--vendor takes no '\"' nor control character";
            return false;
        }
    }
    return true;
}

// "M.N.B": three fields of at most one character each, as the version boxes take them.
bool splitVersion(const std::string& text, BuildOptions& options) {
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string::npos ? first : text.find('.', first + 1);
    if (second == std::string::npos || text.find('.', second + 1) != std::string::npos)
        return false;
    std::string fields[] = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                            text.substr(second + 1)};
    for (const std::string& field : fields)
        if (characterCount(field) > 1) return false;
    options.major = fields[0];
    options.minor = fields[1];
    options.build = fields[2];
    return true;
}

bool apply(const Option& option, const std::string& value, BuildOptions& o, std::string* error) {
    const std::string name = option.longName;
    if (name == "dest") {
        o.destination = value;
    } else if (name == "name") {
        if (characterCount(value) > kNameLimit) {
            *error = "--name takes at most 24 characters";
            return false;
        }
        o.name = value;
    } else if (name == "uid" || name == "uid-from") {
        if (name == "uid" && characterCount(value) > kUidLimit) {
            *error = "--uid takes 8 hexadecimal digits";
            return false;
        }
        (name == "uid" ? o.uid : o.uidFrom) = value;
        (name == "uid" ? o.uidFrom : o.uid).clear();  // the last one given holds
    } else if (name == "app-version") {
        if (!splitVersion(value, o)) {
            *error = "--app-version takes M.N.B, one character each";
            return false;
        }
    } else if (name == "language") {
        o.language = value;
    } else if (name == "format") {
        if (value != "sis9" && value != "er6") {
            *error = "--format takes er6 (the default) or sis9";
            return false;
        }
        o.sis9 = value == "sis9";
    } else if (name == "platform") {
        std::string digits = value.rfind("0x", 0) == 0 || value.rfind("0X", 0) == 0
                                 ? value.substr(2)
                                 : value;
        if (!isHex(digits)) {
            *error = "--platform takes a UID, up to 8 hexadecimal digits";
            return false;
        }
        o.platform = digits;
    } else if (name == "vendor" || name == "cert" || name == "key" || name == "password") {
        (name == "vendor" ? o.vendor
         : name == "cert" ? o.certificate
         : name == "key"  ? o.key
                          : o.password) = value;
    } else {
        bool& flag = name == "no-series60" ? o.series60
                     : name == "pkg"       ? o.pkgOnly
                     : name == "quiet"     ? o.quiet
                     : name == "help"      ? o.help
                                           : o.version;
        flag = name != "no-series60";
    }
    return true;
}

const Option* findLong(const std::string& name) {
    for (const Option& option : kOptions)
        if (name == option.longName) return &option;
    return nullptr;
}

const Option* findShort(char letter) {
    for (const Option& option : kOptions)
        if (option.shortName != 0 && letter == option.shortName) return &option;
    return nullptr;
}

}  // namespace

bool parseBuildOptions(const std::vector<std::string>& args, BuildOptions& options,
                       std::string* error) {
    options = BuildOptions{};
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const Option* option = nullptr;
        std::string value;
        bool hasValue = false;
        if (arg[1] == '-') {
            const std::size_t equals = arg.find('=');
            option = findLong(arg.substr(2, equals == std::string::npos ? equals : equals - 2));
            hasValue = equals != std::string::npos;
            if (hasValue) value = arg.substr(equals + 1);
        } else {
            option = findShort(arg[1]);
            hasValue = arg.size() > 2;
            if (hasValue) value = arg.substr(2);
        }
        if (!option) {
            *error = "unknown option " + arg;
            return false;
        }
        if (option->takes == Takes::Nothing && hasValue) {
            *error = "--" + std::string(option->longName) + " takes no value";
            return false;
        }
        if (option->takes == Takes::Value && !hasValue) {
            if (i + 1 >= args.size()) {
                *error = "--" + std::string(option->longName) + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!apply(*option, value, options, error)) return false;
    }
    if (options.help || options.version) return true;
    if (!checkSis9Options(options, error)) return false;
    if (operands.size() != 1) {
        *error = operands.empty() ? "no project folder given"
                                  : "one project folder only: " + operands[1];
        return false;
    }
    options.project = operands[0];
    return true;
}

const char* const kUsage =
    "usage: tovrin-build [options] PROJECT_FOLDER\n"
    "Try 'tovrin-build --help' for the options.\n";

const char* const kHelp =
    "usage: tovrin-build [options] PROJECT_FOLDER\n"
    "\n"
    "Builds <dest><name>.sis from every file below PROJECT_FOLDER, as the wizard's\n"
    "\"Create .sis file\" does with the same values.\n"
    "\n"
    "  -d, --dest FOLDER         destination folder (default: the project folder)\n"
    "  -n, --name NAME           name of the program, up to 24 characters (default: Name)\n"
    "  -u, --uid HEX             the UID, 8 hexadecimal digits (default: 01000000)\n"
    "      --uid-from FILE       take the UID from an existing package\n"
    "  -V, --app-version M.N.B   major, minor, build, one character each (default: 1.0.0)\n"
    "  -l, --language NAME       a language of languages.wzl, its code or its name, in any\n"
    "                            case (default: no language line)\n"
    "      --no-series60         leave out the Series 60 dependency\n"
    "      --pkg                 write the package script to standard output and stop; its\n"
    "                            about line names AboutInstaller.txt in the current folder\n"
    "      --format sis9         a Symbian 9 package (S60 3rd edition and later), signed;\n"
    "                            the about text is shown at installation (default: er6,\n"
    "                            a pre-9 package)\n"
    "      --vendor NAME         the vendor shown at installation (default: Tovrin)\n"
    "      --platform UID        the platform it needs (default: 101F7961, S60 3rd edition\n"
    "                            and later)\n"
    "      --cert FILE --key FILE [--password P]\n"
    "                            sign with this certificate (PEM or DER, a chain) and key;\n"
    "                            without them, with a self-signed certificate made once and\n"
    "                            kept in the user's configuration folder\n"
    "                            (" TOVRIN_CONFIG_FOLDER_HELP "); a self-signed package\n"
    "                            needs a UID from 80000000 up\n"
    "  -q, --quiet               print nothing but errors and warnings\n"
    "  -h, --help                this text\n"
    "      --version             the program's version\n"
    "\n"
    "Exit status: 0 when the package was written, 1 when a check or the build failed, 2 on\n"
    "a usage error, 130 when interrupted. An earlier package at the target stays as it was\n"
    "unless the new one is complete.\n";

}  // namespace tovrin::build
