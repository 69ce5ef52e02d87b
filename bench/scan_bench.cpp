// Times the project-folder walk, as the wizard runs it (entries collected into a vector),
// against `find <tree> -type f > /dev/null` on the same warm tree of 100,000 files.
// Usage: scan_bench <empty folder>   (the tree is built in it)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "src/scan/folder_walk.h"

extern char** environ;

namespace {

constexpr int kFanOut = 10;         // folders per level, three levels deep
constexpr int kFilesPerLeaf = 100;  // 10 * 10 * 10 leaves * 100 = 100,000 files
constexpr int kRounds = 5;

bool makeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    std::perror(path.c_str());
    return false;
}

bool makeTree(const std::string& root) {
    for (int a = 0; a < kFanOut; ++a) {
        const std::string da = root + "/d" + std::to_string(a);
        if (!makeFolder(da)) return false;
        for (int b = 0; b < kFanOut; ++b) {
            const std::string db = da + "/d" + std::to_string(b);
            if (!makeFolder(db)) return false;
            for (int c = 0; c < kFanOut; ++c) {
                const std::string dc = db + "/d" + std::to_string(c);
                if (!makeFolder(dc)) return false;
                for (int f = 0; f < kFilesPerLeaf; ++f) {
                    const std::string file = dc + "/file" + std::to_string(f) + ".dat";
                    int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd < 0 || close(fd) != 0) {
                        std::perror(file.c_str());
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One walk as the wizard runs it; returns the time, sets the number of entries.
double timeWalk(const std::string& root, std::size_t* count) {
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> entries;
    tovrin::ScanFolder(root + "/", &entries);
    double seconds = secondsSince(start);
    *count = entries.size();
    return seconds;
}

// One run of find with its output thrown away; a negative time when it did not succeed.
double timeFind(const std::string& root) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string tree = root;
    char name[] = "find", type[] = "-type", f[] = "f";
    char* argv[] = {name, tree.data(), type, f, nullptr};

    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    int rc = posix_spawnp(&pid, "find", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return secondsSince(start);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <empty folder>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    if (!makeTree(root)) return 1;
    const std::size_t expected =
        static_cast<std::size_t>(kFanOut * kFanOut * kFanOut * kFilesPerLeaf);

    // Warm the tree once with each, then alternate so both see the same cache.
    std::size_t count = 0;
    timeWalk(root, &count);
    if (timeFind(root) < 0) {
        std::fprintf(stderr, "scan_bench: find failed\n");
        return 1;
    }
    std::vector<double> walks, finds;
    for (int i = 0; i < kRounds; ++i) {
        walks.push_back(timeWalk(root, &count));
        if (count != expected) {
            std::fprintf(stderr, "scan_bench: the walk gave %zu entries, not %zu\n", count,
                         expected);
            return 1;
        }
        finds.push_back(timeFind(root));
        if (finds.back() < 0) {
            std::fprintf(stderr, "scan_bench: find failed\n");
            return 1;
        }
    }

    const double walk = median(walks), find = median(finds);
    std::printf("files: %zu in %d folders\n", expected,
                kFanOut + kFanOut * kFanOut + kFanOut * kFanOut * kFanOut);
    std::printf("walk (entries into a vector): %.1f ms  (median of %d, best %.1f ms)\n", walk * 1e3,
                kRounds, *std::min_element(walks.begin(), walks.end()) * 1e3);
    std::printf("find -type f > /dev/null:     %.1f ms  (median of %d, best %.1f ms)\n", find * 1e3,
                kRounds, *std::min_element(finds.begin(), finds.end()) * 1e3);
    std::printf("ratio walk/find: %.2f  (target: at most 1.50)\n", walk / find);
    return 0;
}
