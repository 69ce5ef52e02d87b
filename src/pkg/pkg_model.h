#pragma once
// What a package script says, in script order. The storage rules (reversed lists, temporary
// source names, "c:\" in front of targets) are applied later, when the package is laid out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "src/sis/sis_format.h"

namespace tovrin::makesis {

// A source file named by the script, with the file it was found as.
struct Source {
    std::u16string written;      // as in the script
    std::filesystem::path path;  // where it was found; empty for an FN line without source
    std::u16string shownPath;    // what an uncompressed package stores as its name
};

struct Expression {
    sis::NodeType type = sis::NodeType::Number;
    uint32_t value = 0;   // attribute id or number
    std::u16string text;  // string leaves
    std::vector<Expression> operands;
};

struct Record {
    sis::RecordType type = sis::RecordType::SimpleFile;
    int line = 0;

    // SimpleFile, MultiLanguageFile: sources in script order (one per language in a block).
    sis::FileType fileType = sis::FileType::File;
    uint32_t details = 0;
    std::vector<Source> sources;
    std::u16string destination;  // as written
    bool textOption = false;     // FT followed by TC/TS/TA/TE: the target is dropped
    std::string mimeType;        // FM: 8-bit characters

    // Options: option texts in script order, each with one text per language (script order).
    std::vector<std::vector<std::u16string>> options;

    // If, ElseIf
    Expression condition;
};

struct Requisite {
    uint32_t uid = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint32_t variant = 0;
    std::vector<std::u16string> names;  // one per language, script order
};

struct Package {
    std::vector<uint16_t> languages;  // script order; {1} without a language line
    int headerLine = 0;
    std::vector<std::u16string> names;  // one per language, script order
    uint32_t uid = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint32_t variant = 0;
    uint16_t options = sis::kOptionUnicode;
    uint16_t type = 0;
    std::vector<Requisite> requisites;
    std::vector<Record> records;
    std::vector<std::pair<uint32_t, uint32_t>> capabilities;  // key, value; script order
    int signatureLine = 0;  // a signature line read and left out of the unsigned package

    // For -v: each statement's line and what it was.
    std::vector<std::pair<int, std::string>> statements;
};

}  // namespace tovrin::makesis
