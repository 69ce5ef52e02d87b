#include "src/crypto/pem.h"

#include <algorithm>
#include <cstring>

namespace tovrin::crypto::pem {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const std::string kBegin = "-----BEGIN ";
const std::string kEnd = "-----END ";
const std::string kDashes = "-----";

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// The label of a "-----BEGIN X-----" or "-----END X-----" line, or false.
bool markerLabel(const std::string& line, const std::string& marker, std::string* label) {
    if (line.compare(0, marker.size(), marker) != 0 || line.size() < marker.size() + kDashes.size())
        return false;
    if (line.compare(line.size() - kDashes.size(), kDashes.size(), kDashes) != 0) return false;
    *label = line.substr(marker.size(), line.size() - marker.size() - kDashes.size());
    return true;
}

// PEM text is often a private key: what held it is overwritten before it is freed.
void wipe(std::string* s) {
    volatile char* p = &(*s)[0];
    for (size_t i = 0; i < s->size(); ++i) p[i] = 0;
    s->clear();
}

struct WipedOnExit {
    std::string* s;
    ~WipedOnExit() { wipe(s); }
};

}  // namespace

std::string Block::header(const std::string& name) const {
    for (const auto& h : headers)
        if (h.first == name) return h.second;
    return {};
}

bool looksLikePem(const Bytes& content) {
    return std::search(content.begin(), content.end(), kBegin.begin(), kBegin.end()) != content.end();
}

bool readBlocks(const Bytes& content, std::vector<Block>* out, std::string* err) {
    out->clear();
    std::string text(content.begin(), content.end());
    size_t pos = 0;
    Block block;
    bool inBlock = false;
    bool inHeaders = false;
    std::string body;
    WipedOnExit wipeText{&text}, wipeBody{&body};
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = trimmed(text.substr(pos, eol - pos));
        pos = eol + 1;
        std::string label;
        if (!inBlock) {
            if (markerLabel(line, kBegin, &label)) {
                block = Block{};
                block.label = label;
                body.clear();
                inBlock = true;
                inHeaders = true;
            }
            continue;
        }
        if (markerLabel(line, kEnd, &label)) {
            if (label != block.label) {
                if (err) *err = "PEM block \"" + block.label + "\" ends as \"" + label + "\"";
                return false;
            }
            if (!base64Decode(body, &block.der)) {
                if (err) *err = "damaged base64 in PEM block \"" + block.label + "\"";
                return false;
            }
            out->push_back(std::move(block));
            inBlock = false;
            continue;
        }
        if (inHeaders) {
            size_t colon = line.find(':');
            if (colon != std::string::npos) {
                block.headers.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
                continue;
            }
            inHeaders = false;
            if (line.empty()) continue;  // the blank line after the headers
        }
        body += line;
    }
    if (inBlock) {
        if (err) *err = "PEM block \"" + block.label + "\" has no END line";
        return false;
    }
    return true;
}

std::string write(const std::string& label, const Bytes& der) {
    std::string b64 = base64Encode(der.data(), der.size());
    std::string out = kBegin + label + kDashes + "\n";
    for (size_t i = 0; i < b64.size(); i += 64) out += b64.substr(i, 64) + "\n";
    out += kEnd + label + kDashes + "\n";
    wipe(&b64);
    return out;
}

bool base64Decode(const std::string& text, Bytes* out) {
    out->clear();
    uint32_t bits = 0;
    int count = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const char* found = c != 0 ? std::strchr(kAlphabet, c) : nullptr;
        if (found == nullptr || padding != 0) return false;
        bits = (bits << 6) | static_cast<uint32_t>(found - kAlphabet);
        if (++count == 4) {
            out->push_back(static_cast<uint8_t>(bits >> 16));
            out->push_back(static_cast<uint8_t>(bits >> 8));
            out->push_back(static_cast<uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2 || (padding != 0 && count + padding != 4)) return false;
    if (count == 2) {
        out->push_back(static_cast<uint8_t>(bits >> 4));
    } else if (count == 3) {
        out->push_back(static_cast<uint8_t>(bits >> 10));
        out->push_back(static_cast<uint8_t>(bits >> 2));
    }
    return true;
}

std::string base64Encode(const uint8_t* data, size_t size) {
    std::string out;
    for (size_t i = 0; i < size; i += 3) {
        uint32_t v = static_cast<uint32_t>(data[i]) << 16;
        if (i + 1 < size) v |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (i + 2 < size) v |= data[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[v & 63] : '=';
    }
    return out;
}

}  // namespace tovrin::crypto::pem
