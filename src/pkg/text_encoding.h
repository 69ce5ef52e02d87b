#pragma once
// Scripts and FT text files are UTF-16 (byte order told by the BOM), UTF-8, or, when the bytes
// are not valid UTF-8, 8-bit: on Windows the ANSI code page, double-byte ones included,
// elsewhere Windows-1252. Both end up as UTF-16LE: the script for the lexer,
// the text files inside the package. Converters work piece by piece so that a text of any
// size streams through a fixed buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin::makesis {

enum class TextEncoding { Utf16Le, Utf16Be, Utf8, Windows1252 };

// Whether the first bytes of a text are a UTF-16 BOM decides; otherwise UTF-8 if the whole
// text is valid UTF-8, else Windows-1252.
TextEncoding detectEncoding(std::string_view head, bool validUtf8);

// Converts to UTF-16LE bytes. UTF-16LE input is passed unchanged (BOM included), UTF-16BE is
// byte-swapped (so its BOM becomes FF FE); UTF-8 and Windows-1252 get no BOM added, and a
// UTF-8 BOM becomes U+FEFF like any other character.
// REQUIRES for Utf8: the whole text passed Utf8Checker (text/utf8.h).
class Utf16Converter {
public:
    explicit Utf16Converter(TextEncoding encoding) : encoding_(encoding) {}
    void convert(const uint8_t* data, size_t size, std::string& out);
    // Flushes an odd final byte of UTF-16 input (kept as it is).
    void finish(std::string& out);

private:
    void putUnit(uint32_t unit, std::string& out);
    void putCodePoint(uint32_t cp, std::string& out);

    TextEncoding encoding_;
    int pending_ = 0;  // UTF-8 continuation bytes still expected
    uint32_t cp_ = 0;
    bool haveOdd_ = false;  // UTF-16: a first byte of a unit waiting for its second
    uint8_t odd_ = 0;
    bool haveLead_ = false;  // 8-bit: the first byte of a double-byte character (Windows)
    uint8_t lead_ = 0;
};

// A whole script as UTF-16 code units, without a leading BOM.
//
// On hosts whose file names are bytes (all but Windows), an 8-bit script that is not UTF-8 as
// a whole is read string by string: a quoted string that is valid UTF-8 as UTF-8, any other
// as Windows-1252, so that one name in Latin-1 does not garble every UTF-8 name beside it.
// The bytes from 0x80 up of such a string are carried as U+DC80 to U+DCFF, so that the string
// still names its file by its exact bytes: nameBytes() gives those bytes back and
// readableText() their characters. Windows reads such a script in its ANSI code page; with a
// double-byte ANSI code page, a script without a BOM that is valid text of that code page is
// read in it, even when it is valid UTF-8 too.
std::u16string decodeScript(std::string_view bytes);

// Script text with each carried byte as its Windows-1252 character.
std::u16string readableText(std::u16string_view text);

// Script text as the bytes of a file name: each carried byte as itself, the rest as UTF-8.
std::string nameBytes(std::u16string_view text);

// The UTF-8 form of UTF-16 text (for messages and file names); unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);
// UTF-16 code units of UTF-8 text (command-line folder names).
std::u16string fromUtf8(std::string_view text);

}  // namespace tovrin::makesis
