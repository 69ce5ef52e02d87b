#include "src/sis/uid_text.h"

#include <cstdint>
#include <cstdio>
#include <fstream>

#include "src/sis/sis_format.h"

namespace tovrin {
namespace {

std::string hexByte(uint8_t byte) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%X", byte);
    return digits;
}

}  // namespace

std::string forstr(const std::string& value) { return value.size() < 2 ? "0" + value : value; }

std::string uidText(const std::string& firstBytes) {
    uint8_t word[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < 4 && i < firstBytes.size(); ++i)
        word[i] = static_cast<uint8_t>(firstBytes[i]);
    const uint32_t uid = sis::readU32(word);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += forstr(hexByte(static_cast<uint8_t>(uid >> shift)));
    return text;
}

bool readUidText(const std::string& path, std::string* uid) {
    std::ifstream in(path, std::ios::binary);
    char head[4];
    if (in) in.read(head, sizeof head);
    if (!in && !in.eof()) return false;
    *uid = uidText(std::string(head, static_cast<std::size_t>(in.gcount())));
    return true;
}

}  // namespace tovrin
