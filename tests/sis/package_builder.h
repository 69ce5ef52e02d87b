#pragma once
// Assembles small packages laid out like the reference compiler's, for reader and lister
// tests of what the fixture packages do not hold: ER5, options lists, conditions with strings,
// capabilities, MIME types, signatures. Records are given in stored order; strings follow the
// records in the same order, then the data. UID4 and the checksum are computed.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "src/sis/sis_format.h"

namespace tovrin::test {

struct Node {
    Node(sis::NodeType t, uint32_t v = 0, std::string s = "")
        : type(t), value(v), text(std::move(s)) {}
    sis::NodeType type;
    uint32_t value;    // attribute id or number
    std::string text;  // string nodes (UTF-8)
};

class PackageBuilder {
public:
    bool er6 = true;
    uint16_t options = sis::kOptionUnicode;
    uint16_t type = 0;
    uint32_t uid1 = 0x01000000;
    std::vector<uint16_t> languages{1};
    std::vector<std::string> names{"Demo"};
    std::vector<std::pair<uint32_t, uint32_t>> capabilities;
    std::string signature;  // non-empty: appended after the data, left out of the checksum

    // One fork per data element; multi-language records need one per language.
    void file(uint32_t fileType, uint32_t details, const std::string& source,
              const std::string& destination, const std::vector<std::string>& data,
              bool multiLanguage = false, const std::string& mime = "");
    void optionsList(const std::vector<std::vector<std::string>>& texts);
    void condition(sis::RecordType type, const std::vector<Node>& prefixNodes);
    void branch(sis::RecordType type);  // ELSE or ENDIF
    void requisite(uint32_t uid, uint16_t major, uint16_t minor,
                   const std::vector<std::string>& names);

    std::string build() const;

private:
    struct Item {
        sis::RecordType type = sis::RecordType::SimpleFile;
        uint32_t fileType = 0, details = 0;
        std::string source, destination, mime;
        std::vector<std::string> data;
        std::vector<std::vector<std::string>> options;
        std::vector<Node> nodes;
    };
    struct Req {
        uint32_t uid;
        uint16_t major, minor;
        std::vector<std::string> names;
    };
    std::vector<Item> items_;
    std::vector<Req> requisites_;
};

// UTF-8 (BMP and beyond) to UTF-16LE bytes.
std::string utf16le(const std::string& utf8);

}  // namespace tovrin::test
