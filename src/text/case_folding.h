#pragma once
// Names compared as the phone compares them: without regard to case, for every letter that
// has one (Latin, Greek, Cyrillic, Armenian, Georgian, Cherokee, Glagolitic, Deseret, ...),
// by Unicode's simple case folding: each code point folds to one code point.

#include <cstdint>
#include <string>

namespace tovrin {

char32_t foldCase(char32_t cp);

std::u32string foldCase(std::u32string text);

}  // namespace tovrin
