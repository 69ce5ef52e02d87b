#include "compiler_process.h"

#include <cstdlib>

#include "temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tovrin::test {

std::filesystem::path compilerPath() {
    return std::filesystem::path(TOVRIN_APP_DIR) / "bin" / "makesis.exe";
}

ProcessResult runCompiler(const std::filesystem::path& folder, const std::string& args) {
    TempDir capture;
    const std::filesystem::path out = capture.path() / "stdout.txt";
    const std::filesystem::path err = capture.path() / "stderr.txt";
#ifdef _WIN32
    const std::string command = "cd /d \"" + folder.string() + "\" && \"" + compilerPath().string() +
                                "\" " + args + " > \"" + out.string() + "\" 2> \"" + err.string() + "\"";
    const int raw = std::system(("\"" + command + "\"").c_str());
    ProcessResult result;
    result.status = raw;
#else
    const std::string command = "cd '" + folder.string() + "' && '" + compilerPath().string() +
                                "' " + args + " > '" + out.string() + "' 2> '" + err.string() + "'";
    const int raw = std::system(command.c_str());
    ProcessResult result;
    result.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
#endif
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

}  // namespace tovrin::test
