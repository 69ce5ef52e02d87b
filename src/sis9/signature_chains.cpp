#include "src/sis9/signature_chains.h"

#include "src/sis9/field_header.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
namespace {

// A controller with its body replaced, under a header of the right length and form.
std::vector<uint8_t> rebuilt(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    out.reserve(body.size() + 12);
    appendFieldHeader(out, FieldType::Controller, body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> utf16(const std::string& ascii) {
    std::vector<uint8_t> out;
    for (char c : ascii) {
        out.push_back(uint8_t(c));
        out.push_back(0);
    }
    return out;
}

// The members of a field body, one at a time.
struct Walker {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool next(FieldHeader* header, const uint8_t** body, std::string* err) {
        if (!parseFieldHeader(data + at, size - at, header, err)) return false;
        *body = data + at + header->headerSize;
        const uint64_t step = header->headerSize + padded(header->bodyLength);
        if (step > size - at) {
            *err = "padding runs past its parent";
            return false;
        }
        at += size_t(step);
        return true;
    }
};

}  // namespace

bool findChains(const std::vector<uint8_t>& controller, ControllerChains* out, std::string* err) {
    FieldHeader header;
    if (!parseFieldHeader(controller.data(), controller.size(), &header, err)) return false;
    ControllerChains chains;
    chains.bodyOffset = header.headerSize;
    const size_t end = size_t(header.headerSize + header.bodyLength);
    Walker walk{controller.data(), end, header.headerSize};
    bool afterInstallBlock = false;
    bool haveDataIndex = false;
    while (walk.at < end) {
        const size_t at = walk.at;
        FieldHeader member;
        const uint8_t* body = nullptr;
        if (!walk.next(&member, &body, err)) {
            *err = "controller: " + *err;
            return false;
        }
        const FieldType type = FieldType(member.type);
        if (haveDataIndex) {
            *err = "controller: a field of type " + std::to_string(member.type) +
                   " follows the data index";
            return false;
        }
        if (type == FieldType::InstallBlock) {
            afterInstallBlock = true;
            chains.chainsOffset = walk.at;
        } else if (type == FieldType::SignatureCertificateChain && afterInstallBlock) {
            chains.chains.push_back({at, walk.at - at});
        } else if (type == FieldType::DataIndex && afterInstallBlock) {
            chains.dataIndexOffset = at;
            haveDataIndex = true;
        } else if (afterInstallBlock) {
            *err = "controller: a field of type " + std::to_string(member.type) +
                   " between the install block and the data index";
            return false;
        }
    }
    if (!haveDataIndex) {
        *err = afterInstallBlock ? "controller: no data index" : "controller: no install block";
        return false;
    }
    *out = std::move(chains);
    return true;
}

bool decodeChain(const uint8_t* field, size_t size, Chain* out, std::string* err) {
    Walker top{field, size};
    FieldHeader header;
    const uint8_t* body = nullptr;
    if (!top.next(&header, &body, err)) return false;
    Walker members{body, size_t(header.bodyLength)};
    FieldHeader array;
    const uint8_t* arrayBody = nullptr;
    if (!members.next(&array, &arrayBody, err)) return false;
    if (array.type != uint32_t(FieldType::Array) || array.bodyLength < 4 ||
        loadU32(arrayBody) != uint32_t(FieldType::Signature)) {
        *err = "signature chain: no array of signatures";
        return false;
    }
    Chain chain;
    // Array elements carry no type word: a u32 length, the body, padding.
    size_t at = 4;
    while (at < array.bodyLength) {
        if (array.bodyLength - at < 4) {
            *err = "signature chain: signature cut short";
            return false;
        }
        const uint64_t length = loadU32(arrayBody + at);
        if (length > array.bodyLength - at - 4) {
            *err = "signature chain: signature runs past its array";
            return false;
        }
        Walker signature{arrayBody + at + 4, size_t(length)};
        FieldHeader algorithm, blob, text;
        const uint8_t* algorithmBody = nullptr;
        const uint8_t* blobBody = nullptr;
        const uint8_t* textBody = nullptr;
        if (!signature.next(&algorithm, &algorithmBody, err) ||
            algorithm.type != uint32_t(FieldType::SignatureAlgorithm) ||
            !signature.next(&blob, &blobBody, err) || blob.type != uint32_t(FieldType::Blob)) {
            *err = "signature chain: a signature is not an algorithm and a blob";
            return false;
        }
        Walker name{algorithmBody, size_t(algorithm.bodyLength)};
        if (!name.next(&text, &textBody, err) || text.type != uint32_t(FieldType::String) ||
            text.bodyLength % 2 != 0) {
            *err = "signature chain: the algorithm is not a string";
            return false;
        }
        ChainSignature entry;
        for (uint64_t i = 0; i < text.bodyLength; i += 2) {
            const uint16_t unit = loadU16(textBody + i);
            // An OID is dotted digits; anything else is shown as '?'.
            entry.algorithmOid += unit < 0x80 ? char(unit) : '?';
        }
        entry.value.assign(blobBody, blobBody + blob.bodyLength);
        chain.signatures.push_back(std::move(entry));
        at += size_t(4 + padded(length));
    }
    FieldHeader certificates, certificateBlob;
    const uint8_t* certificatesBody = nullptr;
    const uint8_t* blobBody = nullptr;
    if (!members.next(&certificates, &certificatesBody, err) ||
        certificates.type != uint32_t(FieldType::CertificateChain)) {
        *err = "signature chain: no certificate chain";
        return false;
    }
    Walker inner{certificatesBody, size_t(certificates.bodyLength)};
    if (!inner.next(&certificateBlob, &blobBody, err) ||
        certificateBlob.type != uint32_t(FieldType::Blob)) {
        *err = "signature chain: the certificate chain holds no blob";
        return false;
    }
    chain.certificates.assign(blobBody, blobBody + certificateBlob.bodyLength);
    *out = std::move(chain);
    return true;
}

std::vector<uint8_t> encodeChain(const std::string& algorithmOid,
                                 const std::vector<uint8_t>& signature,
                                 const std::vector<uint8_t>& certificates) {
    std::vector<uint8_t> name;
    appendField(name, FieldType::String, utf16(algorithmOid));
    std::vector<uint8_t> signatureBody;
    appendField(signatureBody, FieldType::SignatureAlgorithm, name);
    appendField(signatureBody, FieldType::Blob, signature);

    std::vector<uint8_t> array;
    appendU32(array, uint32_t(FieldType::Signature));
    appendU32(array, uint32_t(signatureBody.size()));
    array.insert(array.end(), signatureBody.begin(), signatureBody.end());
    appendPadding(array);

    std::vector<uint8_t> blob;
    appendField(blob, FieldType::Blob, certificates);

    std::vector<uint8_t> body;
    appendField(body, FieldType::Array, array);
    appendField(body, FieldType::CertificateChain, blob);
    std::vector<uint8_t> out;
    appendField(out, FieldType::SignatureCertificateChain, body);
    return out;
}

std::vector<uint8_t> withChain(const std::vector<uint8_t>& controller,
                               const ControllerChains& chains, const std::vector<uint8_t>& chain) {
    std::vector<uint8_t> body(controller.begin() + ptrdiff_t(chains.bodyOffset),
                              controller.begin() + ptrdiff_t(chains.dataIndexOffset));
    body.insert(body.end(), chain.begin(), chain.end());
    body.insert(body.end(), controller.begin() + ptrdiff_t(chains.dataIndexOffset),
                controller.end());
    return rebuilt(body);
}

std::vector<uint8_t> withoutChains(const std::vector<uint8_t>& controller,
                                   const ControllerChains& chains) {
    std::vector<uint8_t> body(controller.begin() + ptrdiff_t(chains.bodyOffset),
                              controller.begin() + ptrdiff_t(chains.chainsOffset));
    body.insert(body.end(), controller.begin() + ptrdiff_t(chains.dataIndexOffset),
                controller.end());
    return rebuilt(body);
}

}  // namespace tovrin::sis9
