#include "tools/makesis/source_lookup.h"

#include "tools/makesis/text_encoding.h"

namespace tovrin::makesis {
namespace {

bool isFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// "\a\b", not "\\server\share".
bool isRooted(const std::u16string& written) {
    return !written.empty() && written[0] == u'\\' && !(written.size() > 1 && written[1] == u'\\');
}

// The lower-case letter of "X:\a" or "X:/a", or 0.
char16_t driveLetter(const std::u16string& written) {
    if (written.size() < 3 || written[1] != u':' || !isSeparator(written[2])) return 0;
    const char16_t c = written[0];
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
    return (c >= u'a' && c <= u'z') ? c : 0;
}

// A name below a folder (the current one when `folder` is empty): the folder's path, then
// the name's folders and file, split at `separators`.
std::filesystem::path below(const std::u16string& folder, const std::u16string& name,
                            const std::u16string& separators) {
    std::filesystem::path path = folder.empty() ? std::filesystem::path() : pathFromText(folder);
    size_t start = 0;
    if (folder.empty() && !name.empty() && separators.find(name[0]) != std::u16string::npos) {
        path = "/";
        start = 1;
    }
    while (start <= name.size()) {
        size_t end = name.find_first_of(separators, start);
        if (end == std::u16string::npos) end = name.size();
        if (end > start) path /= pathFromText(name.substr(start, end - start));
        start = end + 1;
    }
    return path;
}

std::u16string withSeparator(std::u16string folder) {
    if (!isSeparator(folder.back())) {
        folder.push_back(static_cast<char16_t>(std::filesystem::path::preferred_separator));
    }
    return folder;
}

}  // namespace

std::filesystem::path pathFromText(const std::u16string& text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(nameBytes(text));
#endif
}

bool SourceLookup::find(const std::u16string& written, Source& found) const {
    found.written = readableText(written);
    found.shownPath = found.written;
    const char16_t letter = driveLetter(written);
    const auto drive = folders_.drives.find(letter);
    if (letter != 0 && drive != folders_.drives.end()) {
        found.path = below(drive->second, written.substr(3), u"\\/");
        return isFile(found.path);
    }
    if (isRooted(written)) {
        if (!folders_.root.empty()) {
            found.path = below(folders_.root, written.substr(1), u"\\/");
            if (isFile(found.path)) return true;
        } else if (findAsWritten(written, found)) {
            return true;
        }
        if (folders_.search.empty()) return false;
        found.path = below(folders_.search, written.substr(1), u"\\/");
        return isFile(found.path);
    }
    return findAsWritten(written, found) || findInSearchFolder(written, found);
}

bool SourceLookup::findAsWritten(const std::u16string& written, Source& found) const {
    found.path = pathFromText(written);
    if (isFile(found.path)) return true;
#ifndef _WIN32
    if (written.find(u'\\') != std::u16string::npos) {
        found.path = below({}, written, u"\\/");
        if (isFile(found.path)) return true;
    }
#endif
    return false;
}

bool SourceLookup::findInSearchFolder(const std::u16string& written, Source& found) const {
    if (folders_.search.empty() || pathFromText(written).is_absolute()) return false;
    found.path = pathFromText(folders_.search) / pathFromText(written);
    if (!isFile(found.path)) {
#ifdef _WIN32
        return false;
#else
        if (written.find(u'\\') == std::u16string::npos) return false;
        found.path = below(folders_.search, written, u"\\/");
        if (!isFile(found.path)) return false;
#endif
    }
    found.shownPath = withSeparator(folders_.search) + found.written;
    return true;
}

}  // namespace tovrin::makesis
