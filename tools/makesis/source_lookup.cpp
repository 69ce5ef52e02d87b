#include "tools/makesis/source_lookup.h"

#include <algorithm>
#include <vector>

#include "tools/makesis/text_encoding.h"

namespace tovrin::makesis {
namespace {

bool isFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::filesystem::path pathFromText(const std::u16string& text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(nameBytes(text));
#endif
}

std::filesystem::path SourceLookup::located(const std::filesystem::path& path) const {
    return base_.empty() || path.is_absolute() ? path : base_ / path;
}

bool SourceLookup::find(const std::u16string& written, Source& found) const {
    std::vector<std::u16string> names{written};
#ifndef _WIN32
    if (written.find(u'\\') != std::u16string::npos) {
        std::u16string slashed = written;
        std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
        names.push_back(slashed);
    }
#endif
    for (const std::u16string& name : names) {
        const std::filesystem::path path = located(pathFromText(name));
        if (isFile(path)) {
            found.written = readableText(written);
            found.path = path;
            found.shownPath = found.written;
            return true;
        }
    }
    if (searchFolder_.empty()) return false;
    for (const std::u16string& name : names) {
        const std::filesystem::path relative = pathFromText(name);
        if (relative.is_absolute()) continue;
        const std::filesystem::path path = located(pathFromText(searchFolder_) / relative);
        if (isFile(path)) {
            found.written = readableText(written);
            found.path = path;
            std::u16string shown = searchFolder_;
            const char16_t last = shown.back();
            if (last != u'/' && last != u'\\') {
                shown.push_back(static_cast<char16_t>(std::filesystem::path::preferred_separator));
            }
            found.shownPath = shown + found.written;
            return true;
        }
    }
    return false;
}

}  // namespace tovrin::makesis
