#include "src/compiler/source_lookup.h"

#include "src/compiler/case_blind_path.h"
#include "src/pkg/text_encoding.h"

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

// Where a source may be: a name below a folder, split into folders at `separators`.
struct Candidate {
    std::u16string folder;  // empty: the current folder, or "/" for a name starting with it
    std::u16string name;
    std::u16string separators;   // empty: the name is one path as it stands
    bool shownInFolder = false;  // an uncompressed package shows folder and name, not the name

    std::filesystem::path current;  // stands for the current folder when not empty

    std::filesystem::path base() const {
        if (!folder.empty()) {
            const std::filesystem::path f = pathFromText(folder);
            return current.empty() || f.is_absolute() ? f : current / f;
        }
        if (!name.empty() && separators.find(name[0]) != std::u16string::npos) return "/";
        return current;
    }
    std::vector<std::filesystem::path> names() const {
        if (separators.empty()) return {pathFromText(name)};
        std::vector<std::filesystem::path> parts;
        for (size_t start = 0; start <= name.size();) {
            size_t end = name.find_first_of(separators, start);
            if (end == std::u16string::npos) end = name.size();
            if (end > start) parts.push_back(pathFromText(name.substr(start, end - start)));
            start = end + 1;
        }
        return parts;
    }
    std::filesystem::path path() const {
        std::filesystem::path p = base();
        for (const std::filesystem::path& part : names()) p /= part;
        return p;
    }
};

#ifdef _WIN32
const std::u16string kAsWritten;  // the host reads both separators itself
#else
const std::u16string kAsWritten = u"/";
#endif

}  // namespace

std::filesystem::path pathFromText(const std::u16string& text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(nameBytes(text));
#endif
}

namespace {

// In the order they are tried.
std::vector<Candidate> candidatesFor(const LookupFolders& folders, const std::u16string& written) {
    std::vector<Candidate> places;
    const auto add = [&](std::u16string folder, std::u16string name, std::u16string separators,
                         bool shownInFolder) {
        places.push_back({std::move(folder), std::move(name), std::move(separators),
                          shownInFolder, folders.current});
    };
    const char16_t letter = driveLetter(written);
    const auto drive = folders.drives.find(letter);
    if (letter != 0 && drive != folders.drives.end()) {
        add(drive->second, written.substr(3), u"\\/", false);
        return places;
    }
    const bool rooted = isRooted(written);
    if (rooted && !folders.root.empty()) {
        add(folders.root, written.substr(1), u"\\/", false);
    } else {
        add({}, written, kAsWritten, false);
#ifndef _WIN32
        if (written.find(u'\\') != std::u16string::npos) add({}, written, u"\\/", false);
#endif
    }
    if (folders.search.empty()) return places;
    if (rooted) {
        add(folders.search, written.substr(1), u"\\/", false);
    } else if (!pathFromText(written).is_absolute()) {
        add(folders.search, written, kAsWritten, true);
#ifndef _WIN32
        if (written.find(u'\\') != std::u16string::npos) add(folders.search, written, u"\\/", true);
#endif
    }
    return places;
}

}  // namespace

bool SourceLookup::find(const std::u16string& written, Source& found,
                        std::vector<std::string>& matches) const {
    const std::vector<Candidate> candidates = candidatesFor(folders_, written);
    const Candidate* place = nullptr;
    for (const Candidate& c : candidates) {
        if (isFile(c.path())) {
            place = &c;
            found.path = c.path();
            break;
        }
    }
#ifndef _WIN32
    // Only on a miss, so that exact names cost nothing more.
    for (size_t i = 0; !place && i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        const std::vector<std::filesystem::path> paths = caseBlindMatches(c.base(), c.names());
        if (paths.size() > 1) {
            for (const std::filesystem::path& path : paths) matches.push_back(path.u8string());
            return false;
        }
        if (paths.size() == 1) {
            place = &c;
            found.path = paths[0];
        }
    }
#endif
    if (!place) return false;
    found.written = readableText(written);
    found.shownPath = found.written;
    if (place->shownInFolder) {
        std::u16string shown = place->folder;
        if (!isSeparator(shown.back())) {
            shown.push_back(static_cast<char16_t>(std::filesystem::path::preferred_separator));
        }
        found.shownPath = shown + found.written;
    }
    return true;
}

}  // namespace tovrin::makesis
