#include "src/package/batch_script.h"

#include "src/platform/path.h"

namespace tovrin {

std::string batchArgument(const std::string& path) {
    static const std::string special = " \t&|<>^()[]{}=;!'+,`~";
    bool quote = path.empty() || path.find_first_of(special) != std::string::npos;
    std::string arg;
    for (char c : path) {
        arg += c;
        if (c == '%') arg += '%';
    }
    return quote ? "\"" + arg + "\"" : arg;
}

std::vector<std::string> goBatLines(const std::string& appFolder) {
    std::string bin = appFolder + kSeparator + "bin" + kSeparator;
    return {
        "cd " + batchArgument(bin),
        "makesis.exe " + batchArgument(binFile(appFolder, "temp.pkg")) + " > " +
            batchArgument(binFile(appFolder, "res.txt")),
    };
}

}  // namespace tovrin
