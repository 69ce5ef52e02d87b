#include "src/compiler/case_blind_path.h"

#include <algorithm>
#include <string_view>

#include "src/text/case_folding.h"
#include "src/text/utf8.h"

namespace tovrin::makesis {
namespace {

namespace fs = std::filesystem;

// A name's characters folded; a byte that is not part of a UTF-8 character keeps its value,
// moved out of the way of the code points (as U+DC80 to U+DCFF are kept apart in scripts).
std::u32string folded(const std::string& name) {
    std::u32string out;
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = utf8CharacterLength(name, pos);
        const auto lead = static_cast<uint8_t>(name[pos]);
        if (length == 0) {
            out.push_back(0x110000 + lead);
            ++pos;
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t i = 1; i < length; ++i) cp = (cp << 6) | (name[pos + i] & 0x3F);
        out.push_back(foldCase(cp));
        pos += length;
    }
    return out;
}

}  // namespace

std::vector<fs::path> caseBlindMatches(const fs::path& folder, const std::vector<fs::path>& names) {
    std::vector<fs::path> found{folder};
    for (size_t i = 0; i < names.size() && !found.empty(); ++i) {
        const bool last = i + 1 == names.size();
        const auto wanted = [&](const fs::path& p) {
            std::error_code ec;
            return last ? fs::is_regular_file(p, ec) : fs::is_directory(p, ec);
        };
        std::vector<fs::path> next;
        const std::string name = names[i].u8string();
        if (name == "." || name == "..") {
            for (const fs::path& p : found) {
                if (wanted(p / names[i])) next.push_back(p / names[i]);
            }
            found = std::move(next);
            continue;
        }
        const std::u32string key = folded(name);
        for (const fs::path& p : found) {
            std::error_code ec;
            for (fs::directory_iterator it(p.empty() ? fs::path(".") : p, ec), end;
                 !ec && it != end; it.increment(ec)) {
                const fs::path entry = it->path().filename();
                if (folded(entry.u8string()) == key && wanted(p / entry)) next.push_back(p / entry);
            }
        }
        found = std::move(next);
    }
    if (names.empty()) found.clear();
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace tovrin::makesis
