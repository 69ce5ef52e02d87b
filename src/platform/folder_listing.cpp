#include "src/platform/folder_listing.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "src/platform/code_page.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tovrin {

bool sameFolder(const FolderId& a, const FolderId& b) {
    return a.known && b.known && a.volume == b.volume && a.node == b.node;
}

#ifdef _WIN32

namespace {

// Opening the folder itself (backup semantics is what lets a folder be opened) gives its
// volume and file index; a junction or folder link leads to its target's.
FolderId identityOf(const std::string& folder) {
    FolderId id;
    HANDLE handle =
        CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.node = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.known = true;
    }
    CloseHandle(handle);
    return id;
}

}  // namespace

bool listFolder(const std::string& folder, std::vector<FolderEntry>* entries, FolderId* id) {
    // The wide search: the 8-bit one gives "?" or a look-alike ("l" for "ł") without a word.
    std::wstring pattern;
    if (!wideFromCodePage(GetACP(), folder + "*", &pattern)) return false;
    WIN32_FIND_DATAW record;
    HANDLE search = FindFirstFileW(pattern.c_str(), &record);
    if (search == INVALID_HANDLE_VALUE) return false;  // nothing to close
    do {
        std::string name =
            codePageFromWideMarked(GetACP(), record.cFileName, kMissingCharacterMark);
        // NULs after the name, as the 8-bit search record's fixed field holds them.
        if (name.size() < MAX_PATH) name.resize(MAX_PATH, '\0');
        entries->push_back(FolderEntry{std::move(name),
                                       (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &record) != 0);
    FindClose(search);
    *id = identityOf(folder);
    return true;
}

#else

bool listFolder(const std::string& folder, std::vector<FolderEntry>* entries, FolderId* id) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;

    FolderId self;
    struct stat info;
    if (fstat(dirfd(dir), &info) == 0) {
        self.volume = static_cast<std::uint64_t>(info.st_dev);
        self.node = static_cast<std::uint64_t>(info.st_ino);
        self.known = true;
    }

    // A read error ends the listing with what was read so far, as the Windows search does.
    while (const dirent* entry = readdir(dir)) {
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follows a link to what it names; a dangling link stays a file.
            struct stat target;
            isFolder =
                fstatat(dirfd(dir), entry->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        entries->push_back(FolderEntry{entry->d_name, isFolder});
    }
    closedir(dir);  // a read-only handle: nothing can be lost when closing it fails
    *id = self;
    return true;
}

#endif

}  // namespace tovrin
