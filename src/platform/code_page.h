#pragma once
// Exact conversions between UTF-16 and a Windows code page, the code page passed in (the
// wizard passes the system's ANSI or OEM code page). Each code page is called the way Windows
// documents for it: UTF-8, GB18030 and the stateful code pages refuse WC_NO_BEST_FIT_CHARS
// (UTF-8 also a used-default pointer), so no conversion relies on either: every conversion
// into a code page is checked by converting it back. A conversion that is not exact fails; it
// never gives "?", a look-alike or an empty text in place of the text.

#ifdef _WIN32

#include <string>

namespace tovrin {

// The text, in `codePage`, as UTF-16. False when it is not valid text of that code page.
bool wideFromCodePage(unsigned codePage, const std::string& text, std::wstring* wide);

// The UTF-16 text in `codePage`. False when the code page lacks one of its characters (a
// lone surrogate counts as such).
bool codePageFromWide(unsigned codePage, const std::wstring& wide, std::string* text);

// The text in `codePage`, each character the code page lacks written as `missing`.
std::string codePageFromWideMarked(unsigned codePage, const std::wstring& wide, char missing);

}  // namespace tovrin

#endif
