#include "tools/sislist/extract.h"

#include <filesystem>
#include <fstream>
#include <set>

#include "tools/sislist/listing.h"

namespace tovrin::sislist {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(part);
    return parts;
}

// One safe file or folder name; empty when the part is to be dropped.
std::string safePart(std::string part) {
    if (part == "." || part == "..") return "";
    for (char& c : part) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string("<>:\"|?*").find(c) != std::string::npos) c = '_';
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    return part;
}

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool hasFileName(const std::string& path) {
    return !path.empty() && path.back() != '\\' && path.back() != '/';
}

// No part of `path` below `root` may be a symbolic link: it could lead outside the folder.
bool linkFree(const fs::path& root, const fs::path& relative, std::string* err) {
    fs::path at = root;
    for (const fs::path& part : relative) {
        at /= part;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(at, ec))) {
            *err = at.string() + ": is a symbolic link, not written through";
            return false;
        }
    }
    return true;
}

bool writeFork(sis::ByteSource& source, const sis::Package& package, const sis::Fork& fork,
               const fs::path& target, std::string* err) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
        *err = target.parent_path().string() + ": cannot create folder: " + ec.message();
        return false;
    }
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) {
        *err = target.string() + ": cannot create";
        return false;
    }
    std::string dataErr;
    const bool ok = sis::readForkData(
        source, package, fork,
        [&out](const uint8_t* data, size_t size, std::string* e) {
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
            if (!out) *e = "write failed";
            return static_cast<bool>(out);
        },
        &dataErr);
    out.close();
    if (ok && out) return true;
    *err = target.string() + ": " + (ok ? std::string("write failed") : dataErr);
    fs::remove(target, ec);
    return false;
}

}  // namespace

std::string safeRelativePath(const std::string& destination) {
    std::vector<std::string> parts = splitPath(destination);
    if (parts.front().size() == 2 && parts.front()[1] == ':') parts.front().pop_back();
    std::string name;
    for (const std::string& raw : parts) {
        const std::string part = safePart(raw);
        if (!part.empty()) name += (name.empty() ? "" : "/") + part;
    }
    return name;
}

std::string lowerAscii(const std::string& text) { return lower(text); }

bool noLinkBelow(const std::string& root, const std::string& relative, std::string* err) {
    return linkFree(fs::u8path(root), fs::u8path(relative), err);
}

std::string extractionName(const sis::Package& package, size_t record, size_t fork) {
    const sis::Record& r = package.records[record];
    std::string path = r.destination;
    if (!hasFileName(path)) {
        const std::vector<std::string> sourceParts = splitPath(r.source);
        path += "\\" + sourceParts.back();
    }
    std::vector<std::string> parts = splitPath(path);
    if (parts.front().size() == 2 && parts.front()[1] == ':') parts.front().pop_back();
    std::string name;
    for (const std::string& raw : parts) {
        const std::string part = safePart(raw);
        if (part.empty()) continue;
        name += (name.empty() ? "" : "/") + part;
    }
    // The last part may have been dropped: the name must still end in a file name.
    if (name.empty() || safePart(parts.back()).empty()) {
        name += (name.empty() ? "" : "/") + std::string("record") + std::to_string(record);
    }
    if (r.type == sis::RecordType::MultiLanguageFile) {
        const uint32_t language = fork < package.languages.size() ? package.languages[fork] : 0;
        const sis::LanguageCode* l = sis::languageByNumber(language);
        name += std::string(".") + ((l && l->code) ? l->code : std::to_string(language));
    }
    return name;
}

bool extractPackage(sis::ByteSource& source, const sis::Package& package, const std::string& folder,
                    std::vector<Extracted>* written, std::vector<std::string>* errors) {
    const fs::path root(folder);
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) {
        errors->push_back(folder + ": cannot create folder: " + ec.message());
        return false;
    }
    std::set<std::string> used;
    for (size_t i = 0; i < package.records.size(); ++i) {
        const sis::Record& r = package.records[i];
        if (r.fileType == static_cast<uint32_t>(sis::FileType::Null)) continue;
        for (size_t k = 0; k < r.forks.size(); ++k) {
            const std::string base = extractionName(package, i, k);
            std::string name = base;
            for (int n = 1; used.count(lower(name)); ++n) name = base + "." + std::to_string(n);
            used.insert(lower(name));

            const fs::path relative = fs::u8path(name);
            std::string err;
            if (!linkFree(root, relative, &err) ||
                !writeFork(source, package, r.forks[k], root / relative, &err)) {
                errors->push_back("record " + std::to_string(i) + " fork " + std::to_string(k) +
                                  ": " + err);
                continue;
            }
            written->push_back({i, k, name});
        }
    }
    return errors->empty();
}

}  // namespace tovrin::sislist
