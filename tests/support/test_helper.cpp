// A program for the interpreter's and the process seam's tests to start.
//   helper --wait-for FILE DONE   waits (a minute at most) until FILE exists, then creates DONE
//   helper --std-files OUT        writes where its standard input, output and error lead into OUT
//   helper ARGS...                prints its current folder, then every argument it received
//                                 (argv[0] included), one per line in brackets

#include <unistd.h>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

bool exists(const char* path) { return access(path, F_OK) == 0; }

int waitFor(const char* file, const char* done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!exists(file)) {
        if (std::chrono::steady_clock::now() > deadline) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::ofstream(done) << "done\n";
    return 0;
}

int describeStandardFiles(const char* out) {
    std::ofstream file(out);
    for (int fd = 0; fd < 3; ++fd) {
        char target[PATH_MAX];
        std::string link = "/proc/self/fd/" + std::to_string(fd);
        ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        file << (n < 0 ? std::string("<closed>") : std::string(target, static_cast<size_t>(n)))
             << '\n';
    }
    return file ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--wait-for") == 0) return waitFor(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--std-files") == 0)
        return describeStandardFiles(argv[2]);
    char cwd[PATH_MAX];
    std::printf("cwd=%s\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
    for (int i = 0; i < argc; ++i) std::printf("[%s]\n", argv[i]);
    return 0;
}
