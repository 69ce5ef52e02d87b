#include "src/crypto/x509_name.h"

#include <algorithm>
#include <cctype>

#include "src/crypto/der.h"

namespace tovrin::crypto {

namespace {

struct Attribute {
    const char* name;
    const char* oid;
    uint8_t stringTag;
};

const Attribute kAttributes[] = {
    {"CN", "2.5.4.3", der::Utf8String},
    {"O", "2.5.4.10", der::Utf8String},
    {"OU", "2.5.4.11", der::Utf8String},
    {"L", "2.5.4.7", der::Utf8String},
    {"ST", "2.5.4.8", der::Utf8String},
    {"C", "2.5.4.6", der::PrintableString},
    {"E", "1.2.840.113549.1.9.1", 0x16},
    {"EMAILADDRESS", "1.2.840.113549.1.9.1", 0x16},
};

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool encodeDistinguishedName(const std::string& text, std::vector<uint8_t>* der, std::string* err) {
    // Split at commas that no backslash escapes.
    std::vector<std::string> parts{""};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            parts.back() += text[++i];
            parts.back().insert(parts.back().size() - 1, 1, '\0');  // marks an escaped character
        } else if (text[i] == ',') {
            parts.emplace_back();
        } else {
            parts.back() += text[i];
        }
    }
    std::vector<std::vector<uint8_t>> rdns;
    bool haveCn = false;
    for (const std::string& raw : parts) {
        size_t eq = raw.find('=');
        if (eq == std::string::npos) {
            if (err) *err = "subject \"" + text + "\": \"" + trimmed(raw) + "\" is not NAME=value";
            return false;
        }
        std::string key = upper(trimmed(raw.substr(0, eq)));
        std::string value = trimmed(raw.substr(eq + 1));
        value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
        const Attribute* attribute = nullptr;
        for (const Attribute& a : kAttributes)
            if (key == a.name) attribute = &a;
        if (attribute == nullptr) {
            if (err) *err = "subject \"" + text + "\": unknown attribute \"" + key + "\" (CN, O, OU, L, ST, C, E)";
            return false;
        }
        if (value.empty()) {
            if (err) *err = "subject \"" + text + "\": " + key + " is empty";
            return false;
        }
        if (key == "C" &&
            (value.size() != 2 || !std::isalpha(static_cast<unsigned char>(value[0])) ||
             !std::isalpha(static_cast<unsigned char>(value[1])))) {
            if (err) *err = "subject \"" + text + "\": C is a two-letter country code, not \"" + value + "\"";
            return false;
        }
        haveCn = haveCn || key == "CN";
        rdns.push_back(der::element(
            der::Set, der::sequence({der::oid(attribute->oid),
                                     der::element(attribute->stringTag, std::vector<uint8_t>(value.begin(), value.end()))})));
    }
    if (!haveCn) {
        if (err) *err = "subject \"" + text + "\": a CN=name is needed";
        return false;
    }
    std::reverse(rdns.begin(), rdns.end());
    *der = der::sequence(rdns);
    return true;
}

}  // namespace tovrin::crypto
