#include "tools/tovrin-build/language_choice.h"

#include <algorithm>

namespace tovrin::build {
namespace {

bool sameLetters(const std::string& a, const std::string& b) {
    auto folded = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return folded(x) == folded(y);
           });
}

}  // namespace

std::string chooseLanguage(const std::vector<std::string>& entries, const std::string& given) {
    static const std::string dash = " - ";
    for (const std::string& entry : entries) {
        const std::size_t at = entry.find(dash);
        const bool matches =
            sameLetters(entry, given) ||
            (at != std::string::npos && (sameLetters(entry.substr(0, at), given) ||
                                         sameLetters(entry.substr(at + dash.size()), given)));
        if (matches) return entry;
    }
    return "";
}

}  // namespace tovrin::build
