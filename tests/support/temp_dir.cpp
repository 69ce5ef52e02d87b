#include "tests/support/temp_dir.h"

#include "src/platform/local_text.h"
#include "src/platform/read_file.h"

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace fs = std::filesystem;

namespace tovrin::test {

#ifdef _WIN32
namespace {
// Narrow paths are ANSI text, as in the programs (startConsoleProgram): MinGW's
// std::filesystem reads them in the C locale's code page.
const bool kAnsiPaths = std::setlocale(LC_CTYPE, "") != nullptr;
}  // namespace
#endif

TempDir::TempDir() {
#ifdef _WIN32
    // A name no folder has yet: process numbers come round again, and a run that was stopped
    // may have left its folders behind.
    static unsigned counter = 0;
    const std::string stem = "tovrin-test-" + std::to_string(GetCurrentProcessId()) + "-";
    for (;;) {
        path_ = fs::temp_directory_path() / (stem + std::to_string(++counter));
        if (CreateDirectoryA(localText(path_).c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + path_.string());
    }
#else
    std::string tmpl = (fs::temp_directory_path() / "tovrin-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give back permissions a test may have taken away, so everything can be removed.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        // Files too: Windows refuses to delete a read-only file.
        if (!it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
#ifdef _WIN32
    // A file stays open a moment after the program that wrote it has ended (its console host
    // goes last), and an open file cannot be deleted there: try again for a while.
    for (int tries = 0; ec && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ec.clear();
        fs::remove_all(path_, ec);
    }
#endif
}

fs::path TempDir::write(const std::string& relative, const std::string& bytes) const {
    fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::string readFile(const fs::path& file) {
    std::string bytes;
    return readWholeFile(localText(file), &bytes) ? bytes : "<missing>";
}

void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");  // narrow names are local text
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(localText(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tovrin::test
