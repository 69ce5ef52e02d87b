#include "src/delivery/del_script.h"

#include "src/package/batch_script.h"
#include "src/platform/path.h"
#include "src/platform/process.h"

namespace tovrin {

std::string deliveryCopyName(const std::string& name) {
    return name + ".sis." + std::to_string(currentProcessId()) + ".tmp";
}

std::vector<std::string> delBatLines(const std::string& appFolder, const std::string& destination,
                                     const std::string& name, const std::string& copyName,
                                     bool packageMade) {
    auto bin = [&](const char* file) { return batchArgument(binFile(appFolder, file)); };
    const std::string package = batchArgument(destination + name + ".sis");
    std::vector<std::string> lines{"cd " +
                                   batchArgument(appFolder + kSeparator + "bin" + kSeparator)};
    if (packageMade) {
        // "&&": cmd.exe runs each line whatever the one before did, but the move only when
        // the copy succeeded. Within one folder the move is a rename.
        const std::string copy = batchArgument(destination + copyName);
        lines.push_back("copy " + bin("temp.sis") + " " + copy + " && move /y " + copy + " " +
                        package);
        lines.push_back("del " + copy);
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
