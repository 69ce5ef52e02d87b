#include "src/delivery/del_script.h"

#include "src/package/batch_script.h"
#include "src/platform/path.h"

namespace tovrin {

std::vector<std::string> delBatLines(const std::string& appFolder, const std::string& destination,
                                     const std::string& name, bool packageMade) {
    auto bin = [&](const char* file) { return batchArgument(binFile(appFolder, file)); };
    const std::string package = batchArgument(destination + name + ".sis");
    std::vector<std::string> lines{"cd " +
                                   batchArgument(appFolder + kSeparator + "bin" + kSeparator)};
    if (packageMade) {
        lines.push_back("del " + package);
        lines.push_back("copy " + bin("temp.sis") + " " + package);
    }
#ifdef _WIN32
    lines.push_back("del " + bin("RES.TXT"));
#else
    // File names are case-sensitive here: name the file as go.bat wrote it.
    lines.push_back("del " + bin("res.txt"));
#endif
    for (const char* file : {"AboutInstaller.txt", "temp.pkg", "temp.sis", "go.bat"})
        lines.push_back("del " + bin(file));
    return lines;
}

}  // namespace tovrin
