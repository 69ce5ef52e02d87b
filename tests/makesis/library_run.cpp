#include "tests/makesis/library_run.h"

#include <sstream>

#include "src/compiler/makesis.h"

namespace tovrin::test {

std::vector<std::string> LibraryRun::errorLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find(" : error: ") != std::string::npos || line.rfind("error: ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

LibraryRun runInFolder(const std::filesystem::path& folder, const std::vector<std::string>& args) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::ostringstream out;
    LibraryRun result;
    result.status = makesis::run(args, out);
    result.out = out.str();
    std::filesystem::current_path(previous);
    return result;
}

}  // namespace tovrin::test
