#pragma once
// What a Symbian 9 controller holds, as plain values: the compiler fills it from a script and
// from the files it encodes, and controllerField() lays it out (sis9_format.h gives the layout).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
// The reader (sis9_reader.h) has types of the same names shaped for reading. This inline
// namespace keeps the two sets apart for the linker: without it, code using both (the build
// command compiles and then reads a package) would hold two different definitions of one class,
// and one of them would be used for both.
inline namespace written {

struct Version {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
};

struct Dependency {
    uint32_t uid = 0;
    Version from;
    bool hasTo = false;
    Version to;
    std::vector<std::u16string> names;  // one per language
};

struct Expression {
    Operator op = Operator::Number;
    int32_t value = 0;
    bool hasText = false;
    std::u16string text;
    std::vector<Expression> operands;  // left, then right
};

struct FileDescription {
    std::u16string target;
    std::u16string mimeType;
    uint32_t operation = kOpInstall;
    uint32_t options = 0;
    uint32_t fileIndex = 0;
    // Known once the file is encoded: its SHA-1 (empty when the package carries no data for
    // it), the capability word of an executable, the stored and the expanded length.
    std::vector<uint8_t> hash;
    bool hasCapabilities = false;
    uint32_t capabilities = 0;
    uint64_t storedLength = 0;
    uint64_t length = 0;
};

struct If;

struct InstallBlock {
    std::vector<FileDescription> files;
    // Embedded packages, as numbers into Controller::embedded.
    std::vector<size_t> embedded;
    std::vector<If> ifs;
};

struct Branch {
    Expression condition;
    InstallBlock body;
};

// The IF branch first, then each ELSEIF; an ELSE is a last branch whose condition is NOT 0.
struct If {
    std::vector<Branch> branches;
};

struct DateTime {
    int year = kStubYear;
    int month = 1;  // 1-12; stored counted from 0
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct Controller {
    uint32_t uid = 0;
    std::u16string uniqueVendor;
    std::vector<std::u16string> names;        // one per language
    std::vector<std::u16string> vendorNames;  // one per language
    Version version;
    DateTime created;
    InstallType type = InstallType::SA;
    uint8_t flags = 0;
    std::vector<std::vector<std::u16string>> options;  // each with one text per language
    std::vector<uint32_t> languages;
    std::vector<Dependency> targets;   // platforms and phones: [0x...] lines
    std::vector<Dependency> packages;  // (0x...) lines
    std::vector<std::pair<int32_t, int32_t>> properties;
    bool hasLogo = false;
    FileDescription logo;
    InstallBlock install;
    // Complete controller fields (type 13) of embedded packages, signatures included.
    std::vector<std::vector<uint8_t>> embedded;
    uint32_t dataIndex = 0;
};

}  // namespace written

// The whole Controller field (header, body, padding).
std::vector<uint8_t> controllerField(const Controller& controller);

// Every file description of a controller (the logo's too), for filling in what encoding found.
template <typename F>
void forEachFile(InstallBlock& block, F&& visit) {
    for (FileDescription& file : block.files) visit(file);
    for (If& chain : block.ifs) {
        for (Branch& branch : chain.branches) forEachFile(branch.body, visit);
    }
}

}  // namespace tovrin::sis9
