#include "src/platform/private_file.h"

#ifdef _WIN32
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "src/platform/local_text.h"
#include "src/platform/user_folder.h"

namespace tovrin {
namespace {

std::string temporaryName(const std::string& path) {
    std::random_device random;
    char tag[16];
    std::snprintf(tag, sizeof tag, ".%08x", static_cast<unsigned>(random()));
    return path + tag + ".tmp";
}

// The pieces each host does its own way.
bool createPrivateFile(const std::string& path, const std::string& bytes, std::string* temp,
                       std::string* err);
bool renameOver(const std::string& from, const std::string& to, std::string* err);
void removeFile(const std::string& path);

}  // namespace

PendingPrivateFile::PendingPrivateFile(std::string path) : path_(std::move(path)) {}

PendingPrivateFile::~PendingPrivateFile() {
    if (!temp_.empty()) removeFile(temp_);
}

bool PendingPrivateFile::write(const std::string& bytes, std::string* err) {
    if (!temp_.empty()) removeFile(temp_);
    temp_.clear();
    if (createPrivateFile(path_, bytes, &temp_, err)) return true;
    // Never a part-written secret left to be committed or found later.
    if (!temp_.empty()) removeFile(temp_);
    temp_.clear();
    return false;
}

bool PendingPrivateFile::commit(std::string* err) {
    if (temp_.empty()) {
        *err = "nothing was written for " + path_;
        return false;
    }
    if (!renameOver(temp_, path_, err)) return false;
    temp_.clear();
    return true;
}

bool writeOwnerOnlyFile(const std::string& path, const std::string& bytes, std::string* err) {
    PendingPrivateFile file(path);
    return file.write(bytes, err) && file.commit(err);
}

std::string userConfigFolder() { return userFolder(UserFolder::Config); }

#ifdef _WIN32

namespace {

// The current user's SID, from the process token.
class CurrentUser {
public:
    CurrentUser() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        buffer_.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, buffer_.data(), size, &size))
            buffer_.clear();
        CloseHandle(token);
    }
    PSID sid() const {
        return buffer_.empty() ? nullptr
                               : reinterpret_cast<const TOKEN_USER*>(buffer_.data())->User.Sid;
    }

private:
    std::vector<unsigned char> buffer_;
};

// A protected access list (nothing inherited from the folder) that grants the current user full
// access and no one else anything. The user's own SID, not CREATOR OWNER: the files an elevated
// administrator makes are owned by the Administrators group.
class OwnerOnlyDescriptor {
public:
    OwnerOnlyDescriptor() {
        const CurrentUser user;
        char* sid = nullptr;
        if (!user.sid() || !ConvertSidToStringSidA(user.sid(), &sid)) return;
        const std::string text = std::string("D:P(A;;FA;;;") + sid + ")";
        LocalFree(sid);
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                                  &descriptor_, nullptr))
            descriptor_ = nullptr;
    }
    ~OwnerOnlyDescriptor() {
        if (descriptor_) LocalFree(descriptor_);
    }
    OwnerOnlyDescriptor(const OwnerOnlyDescriptor&) = delete;
    OwnerOnlyDescriptor& operator=(const OwnerOnlyDescriptor&) = delete;
    PSECURITY_DESCRIPTOR get() const { return descriptor_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

bool createPrivateFile(const std::string& path, const std::string& bytes, std::string* temp,
                       std::string* err) {
    const OwnerOnlyDescriptor descriptor;
    if (!descriptor.get()) {
        *err = "cannot create " + path + ": no access list for the current user alone";
        return false;
    }
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), descriptor.get(), FALSE};
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        *temp = temporaryName(path);
        file = CreateFileA(temp->c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        temp->clear();
        *err = "cannot create " + path + ": its folder is missing or not writable";
        return false;
    }
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                       written == bytes.size() && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != 0;
    if (!wrote || !closed) {
        *err = "cannot write " + *temp + " (disk full?)";
        return false;
    }
    return true;
}

// A rename within one folder keeps the file's own access list.
bool renameOver(const std::string& from, const std::string& to, std::string* err) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    *err = "cannot rename " + from + " to " + to;
    return false;
}

void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace

bool isOwnerOnlyFile(const std::string& path) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return false;
    const CurrentUser user;
    // No list at all grants everyone everything.
    bool ownerOnly = list != nullptr && user.sid() != nullptr;
    for (DWORD i = 0; ownerOnly && i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry)) {
            ownerOnly = false;
            break;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        // The system itself reads every file whatever the list says; wine lists it always.
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
        ownerOnly = header->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                    (EqualSid(sid, user.sid()) || IsWellKnownSid(sid, WinLocalSystemSid));
    }
    LocalFree(descriptor);
    return ownerOnly;
}

bool makeConfigFolder(const std::string& folder, std::string* err) {
    if (SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS) return true;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    *err = "cannot create the folder " + folder;
    return false;
}

#else

namespace {

bool createPrivateFile(const std::string& path, const std::string& bytes, std::string* temp,
                       std::string* err) {
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        *temp = temporaryName(path);
        // O_EXCL: never a file someone else made (or linked) beforehand; 0600 from creation, so
        // the key is never readable by others, not even for a moment.
        fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        temp->clear();
        *err = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool wrote = fchmod(fd, 0600) == 0;
    for (size_t done = 0; wrote && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        wrote = n > 0;
        if (wrote) done += size_t(n);
    }
    wrote = wrote && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!wrote || !closed) {
        *err = "cannot write " + *temp + " (disk full?)";
        return false;
    }
    return true;
}

bool renameOver(const std::string& from, const std::string& to, std::string* err) {
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    *err = "cannot rename " + from + " to " + to + ": " + std::strerror(errno);
    return false;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

}  // namespace

bool isOwnerOnlyFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & 077) == 0;
}

bool makeConfigFolder(const std::string& folder, std::string* err) {
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) == 0) continue;
        struct stat info;
        if (errno == EEXIST && stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        *err = "cannot create the folder " + part + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

#endif

}  // namespace tovrin
