#include "src/sis9/controller_model.h"

#include "src/sis9/field_header.h"

namespace tovrin::sis9 {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes field(FieldType type, const Bytes& body) {
    Bytes out;
    appendField(out, type, body);
    return out;
}

Bytes string(const std::u16string& text) {
    Bytes body;
    for (char16_t unit : text) appendU16(body, unit);
    return field(FieldType::String, body);
}

// An array: the element type once, then each element's length, body and padding.
Bytes array(FieldType elementType, const std::vector<Bytes>& fields) {
    Bytes body;
    appendU32(body, static_cast<uint32_t>(elementType));
    for (const Bytes& element : fields) {
        // Each element is a whole field: drop its type word, keep length, body and padding.
        body.insert(body.end(), element.begin() + 4, element.end());
    }
    return field(FieldType::Array, body);
}

Bytes strings(const std::vector<std::u16string>& texts) {
    std::vector<Bytes> elements;
    for (const std::u16string& text : texts) elements.push_back(string(text));
    return array(FieldType::String, elements);
}

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes version(const Version& v) {
    Bytes body;
    appendU32(body, uint32_t(v.major));
    appendU32(body, uint32_t(v.minor));
    appendU32(body, uint32_t(v.build));
    return field(FieldType::Version, body);
}

Bytes u32Field(FieldType type, uint32_t value) {
    Bytes body;
    appendU32(body, value);
    return field(type, body);
}

Bytes dateTime(const DateTime& t) {
    Bytes date, time, body;
    appendU16(date, uint16_t(t.year));
    appendU8(date, uint8_t(t.month - 1));
    appendU8(date, uint8_t(t.day));
    appendU8(time, uint8_t(t.hour));
    appendU8(time, uint8_t(t.minute));
    appendU8(time, uint8_t(t.second));
    append(body, field(FieldType::Date, date));
    append(body, field(FieldType::Time, time));
    return field(FieldType::DateTime, body);
}

Bytes info(const Controller& c) {
    Bytes body;
    append(body, u32Field(FieldType::Uid, c.uid));
    append(body, string(c.uniqueVendor));
    append(body, strings(c.names));
    append(body, strings(c.vendorNames));
    append(body, version(c.version));
    append(body, dateTime(c.created));
    appendU8(body, static_cast<uint8_t>(c.type));
    appendU8(body, c.flags);
    return field(FieldType::Info, body);
}

Bytes dependency(const Dependency& d) {
    Bytes body, range;
    append(body, u32Field(FieldType::Uid, d.uid));
    append(range, version(d.from));
    if (d.hasTo) append(range, version(d.to));
    append(body, field(FieldType::VersionRange, range));
    append(body, strings(d.names));
    return field(FieldType::Dependency, body);
}

Bytes dependencies(const std::vector<Dependency>& list) {
    std::vector<Bytes> elements;
    for (const Dependency& d : list) elements.push_back(dependency(d));
    return array(FieldType::Dependency, elements);
}

Bytes fileDescription(const FileDescription& f) {
    Bytes body, hash;
    append(body, string(f.target));
    append(body, string(f.mimeType));
    if (f.hasCapabilities) append(body, u32Field(FieldType::Capabilities, f.capabilities));
    appendU32(hash, kHashSha1);
    append(hash, field(FieldType::Blob, f.hash));
    append(body, field(FieldType::Hash, hash));
    appendU32(body, f.operation);
    appendU32(body, f.options);
    appendU64(body, f.storedLength);
    appendU64(body, f.length);
    appendU32(body, f.fileIndex);
    return field(FieldType::FileDescription, body);
}

Bytes expression(const Expression& e) {
    Bytes body;
    appendU32(body, static_cast<uint32_t>(e.op));
    appendU32(body, uint32_t(e.value));
    if (e.hasText) append(body, string(e.text));
    for (const Expression& operand : e.operands) append(body, expression(operand));
    return field(FieldType::Expression, body);
}

Bytes installBlock(const Controller& c, const InstallBlock& block) {
    std::vector<Bytes> files, embedded, ifs;
    for (const FileDescription& f : block.files) files.push_back(fileDescription(f));
    for (size_t index : block.embedded) embedded.push_back(c.embedded[index]);
    for (const If& chain : block.ifs) {
        Bytes body;
        std::vector<Bytes> elseIfs;
        for (size_t i = 0; i < chain.branches.size(); ++i) {
            const Branch& branch = chain.branches[i];
            Bytes part;
            append(part, expression(branch.condition));
            append(part, installBlock(c, branch.body));
            if (i == 0) {
                body = part;
            } else {
                elseIfs.push_back(field(FieldType::ElseIf, part));
            }
        }
        append(body, array(FieldType::ElseIf, elseIfs));
        ifs.push_back(field(FieldType::If, body));
    }
    Bytes body;
    append(body, array(FieldType::FileDescription, files));
    append(body, array(FieldType::Controller, embedded));
    append(body, array(FieldType::If, ifs));
    return field(FieldType::InstallBlock, body);
}

}  // namespace

std::vector<uint8_t> controllerField(const Controller& c) {
    Bytes body;
    append(body, info(c));
    std::vector<Bytes> options;
    for (const auto& texts : c.options) options.push_back(field(FieldType::SupportedOption,
                                                                 strings(texts)));
    append(body, field(FieldType::SupportedOptions, array(FieldType::SupportedOption, options)));
    std::vector<Bytes> languages;
    for (uint32_t code : c.languages) languages.push_back(u32Field(FieldType::Language, code));
    append(body, field(FieldType::SupportedLanguages, array(FieldType::Language, languages)));
    Bytes prerequisites = dependencies(c.targets);
    append(prerequisites, dependencies(c.packages));
    append(body, field(FieldType::Prerequisites, prerequisites));
    std::vector<Bytes> properties;
    for (const auto& [key, value] : c.properties) {
        Bytes pair;
        appendU32(pair, uint32_t(key));
        appendU32(pair, uint32_t(value));
        properties.push_back(field(FieldType::Property, pair));
    }
    append(body, field(FieldType::Properties, array(FieldType::Property, properties)));
    if (c.hasLogo) append(body, field(FieldType::Logo, fileDescription(c.logo)));
    append(body, installBlock(c, c.install));
    append(body, u32Field(FieldType::DataIndex, c.dataIndex));
    return field(FieldType::Controller, body);
}

}  // namespace tovrin::sis9
