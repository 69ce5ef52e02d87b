#include "tools/sislist/catalogue.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "src/crypto/sha1.h"
#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "src/sis9/condition_text.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/signature_text.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"
#include "tools/sislist/listing.h"
#include "tools/sislist/listing9.h"

namespace tovrin::sislist {
namespace {

using sis9::Controller;
using sis9::InstallBlock;

const char* statusName(sis9::Status s) {
    switch (s) {
    case sis9::Status::Ok: return "ok";
    case sis9::Status::Warning: return "warning";
    case sis9::Status::Failed: return "failed";
    }
    return "failed";
}

std::string join(const std::string& outer, const std::string& inner) {
    if (outer.empty()) return inner;
    if (inner.empty()) return outer;
    return "(" + outer + ") AND (" + inner + ")";
}

// The embedded controllers a controller's install block holds itself (not their own).
void directEmbedded(const InstallBlock& b, std::vector<const Controller*>* out) {
    for (const Controller& c : b.embedded) out->push_back(&c);
    for (const InstallBlock::If& i : b.ifs) {
        directEmbedded(i.body, out);
        for (const auto& e : i.elseIfs) directEmbedded(e.body, out);
    }
}

CatalogueEntry controllerEntry(const sis9::Package& p, const Controller& c,
                               const sis9::Verification& v,
                               const std::vector<sis9::ChainResult>& chains) {
    CatalogueEntry e;
    e.format = "SIS9";
    e.stub = p.form != sis9::Form::Package;
    e.uid = c.uid;
    e.version = versionText(c.version);
    for (size_t i = 0; i < c.names.size(); ++i) {
        e.names.emplace_back(i < c.languages.size() ? languageLabel(c.languages[i]) : "", c.names[i]);
    }
    e.hasVendor = true;
    e.vendor = c.uniqueVendor;
    for (uint32_t l : c.languages) e.languages.push_back(languageLabel(l));
    bool ok = true;
    sis9::forEachFile(c, [&](const sis9::FileDescription& f, const std::string& condition) {
        CatalogueFile file;
        file.destination = f.target;
        file.condition = condition;
        if (!f.hash.empty()) file.hash = sis9::hexDigest(f.hash.data(), f.hash.size());
        const auto r = v.files.find(&f);
        if (r != v.files.end()) {
            file.hasData = r->second.hasData;
            file.size = r->second.size;
            file.sha1 = sis9::hexDigest(r->second.sha1.data(), r->second.sha1.size());
            ok = ok && r->second.ok;
        }
        e.files.push_back(file);
    });
    for (const sis9::ChainResult& r : chains) {
        if (r.controller != &c) continue;
        CatalogueSignature s;
        s.algorithm = r.algorithm == crypto::SignatureAlgorithm::Unsupported
                          ? r.chain->algorithmOid
                          : crypto::algorithmName(r.algorithm);
        s.verified = r.verified;
        ok = ok && r.verified;
        for (const sis9::CertificateResult& cert : r.certificates) {
            if (!cert.decoded) continue;
            s.certificates.push_back({cert.info.subject, cert.info.issuer, cert.info.serialHex,
                                      cert.info.notBefore, cert.info.notAfter,
                                      cert.info.selfSigned, cert.expired});
        }
        e.signatures.push_back(s);
    }
    std::vector<const Controller*> inner;
    directEmbedded(c.install, &inner);
    for (const Controller* x : inner) {
        CatalogueEntry sub = controllerEntry(p, *x, v, chains);
        sub.file = x->path;
        ok = ok && sub.verified;
        e.embedded.push_back(std::move(sub));
    }
    e.verified = ok;
    return e;
}

CatalogueEntry sis9Entry(sis::ByteSource& source, const std::string& path, int64_t now) {
    CatalogueEntry e;
    sis9::Package p;
    std::string message;
    if (!sis9::readPackage(source, &p, &message)) {
        e.file = path;
        e.error = message;
        return e;
    }
    sis9::Verification v = sis9::verifyPackage(source, p);
    const std::vector<sis9::ChainResult> chains = sis9::verifySignatures(p, now);
    sis9::addSignatureChecks(p, chains, &v);
    e = controllerEntry(p, p.controller, v, chains);
    e.file = path;
    for (const sis9::Check& c : v.checks) e.checks.push_back({c.what, statusName(c.status), c.detail});
    e.verified = v.verified();
    return e;
}

CatalogueEntry pre9Entry(sis::ByteSource& source, const std::string& path) {
    CatalogueEntry e;
    e.file = path;
    sis::Package p;
    std::string message;
    if (!sis::readPackage(source, &p, &message)) {
        e.error = message;
        return e;
    }
    e.format = p.er6 ? "ER6" : "ER5";
    e.uid = p.header.uid1;
    e.version = std::to_string(p.header.major) + "." + std::to_string(p.header.minor) + "." +
                std::to_string(p.header.variant);
    for (size_t i = 0; i < p.componentNames.size(); ++i) {
        e.names.emplace_back(i < p.languages.size() ? languageLabel(p.languages[i]) : "",
                             p.componentNames[i]);
    }
    for (uint16_t l : p.languages) e.languages.push_back(languageLabel(l));
    bool ok = true;
    for (const sis::Check& c : sis::verifyPackage(source, p)) {
        e.checks.push_back({c.what, c.ok ? "ok" : "failed", c.detail});
        ok = ok && c.ok;
    }
    // Records are stored in the reverse of installation order; conditions nest in the latter.
    struct Frame {
        std::string current, none;
    };
    std::vector<Frame> frames;
    auto guard = [&]() {
        std::string s;
        for (const Frame& f : frames) s = join(s, f.current);
        return s;
    };
    for (size_t n = p.records.size(); n-- > 0;) {
        const sis::Record& r = p.records[n];
        switch (r.type) {
        case sis::RecordType::If: {
            const std::string c = formatExpression(r.condition);
            frames.push_back({c, "NOT (" + c + ")"});
            break;
        }
        case sis::RecordType::ElseIf:
            if (!frames.empty()) {
                const std::string c = formatExpression(r.condition);
                frames.back().current = frames.back().none + " AND (" + c + ")";
                frames.back().none += " AND NOT (" + c + ")";
            }
            break;
        case sis::RecordType::Else:
            if (!frames.empty()) frames.back().current = frames.back().none;
            break;
        case sis::RecordType::EndIf:
            if (!frames.empty()) frames.pop_back();
            break;
        case sis::RecordType::Options: break;
        case sis::RecordType::SimpleFile:
        case sis::RecordType::MultiLanguageFile:
            for (size_t k = 0; k < r.forks.size(); ++k) {
                CatalogueFile f;
                f.destination = r.destination;
                f.condition = guard();
                if (r.type == sis::RecordType::MultiLanguageFile && k < p.languages.size()) {
                    f.condition = join(f.condition, "Language=" + std::to_string(p.languages[k]));
                }
                if (r.fileType != static_cast<uint32_t>(sis::FileType::Null)) {
                    crypto::Sha1 sha;
                    uint64_t size = 0;
                    std::string err;
                    if (sis::readForkData(source, p, r.forks[k],
                                          [&](const uint8_t* d, size_t s, std::string*) {
                                              sha.update(d, s);
                                              size += s;
                                              return true;
                                          },
                                          &err)) {
                        const crypto::Sha1Digest digest = sha.finish();
                        f.hasData = true;
                        f.size = size;
                        f.sha1 = sis9::hexDigest(digest.data(), digest.size());
                    } else {
                        ok = false;
                    }
                }
                e.files.push_back(f);
            }
            break;
        }
    }
    e.verified = ok;
    return e;
}

nlohmann::ordered_json toJson(const CatalogueEntry& e, bool top) {
    using json = nlohmann::ordered_json;
    json j = json::object();
    j["file"] = e.file;
    if (!e.error.empty()) {
        j["error"] = e.error;
        return j;
    }
    char uid[16];
    std::snprintf(uid, sizeof uid, "0x%08X", e.uid);
    j["format"] = e.format;
    j["stub"] = e.stub;
    j["uid"] = uid;
    j["version"] = e.version;
    json names = json::object();
    for (const auto& n : e.names) names[n.first] = n.second;
    j["names"] = names;
    j["vendor"] = e.hasVendor ? json(e.vendor) : json(nullptr);
    j["languages"] = e.languages;
    json files = json::array();
    for (const CatalogueFile& f : e.files) {
        files.push_back({{"destination", f.destination},
                         {"condition", f.condition.empty() ? json(nullptr) : json(f.condition)},
                         {"size", f.hasData ? json(f.size) : json(nullptr)},
                         {"sha1", f.hasData ? json(f.sha1) : json(nullptr)},
                         {"hash", f.hash.empty() ? json(nullptr) : json(f.hash)}});
    }
    j["files"] = files;
    json embedded = json::array();
    for (const CatalogueEntry& x : e.embedded) embedded.push_back(toJson(x, false));
    j["embedded"] = embedded;
    json signatures = json::array();
    for (const CatalogueSignature& s : e.signatures) {
        json certificates = json::array();
        for (const CatalogueCertificate& c : s.certificates) {
            certificates.push_back({{"subject", c.subject},
                                    {"issuer", c.issuer},
                                    {"serial", c.serial},
                                    {"not_before", sis9::formatTime(c.notBefore, true)},
                                    {"not_after", sis9::formatTime(c.notAfter, true)},
                                    {"self_signed", c.selfSigned},
                                    {"expired", c.expired}});
        }
        signatures.push_back(
            {{"algorithm", s.algorithm}, {"verified", s.verified}, {"certificates", certificates}});
    }
    j["signatures"] = signatures;
    if (top) {
        json checks = json::array();
        for (const CatalogueCheck& c : e.checks) {
            checks.push_back({{"what", c.what}, {"status", c.status}, {"detail", c.detail}});
        }
        j["checks"] = checks;
    }
    j["verified"] = e.verified;
    return j;
}

}  // namespace

CatalogueEntry catalogueFile(const std::string& path, int64_t now) {
    sis::FileSource source;
    std::string message;
    if (!source.open(path, &message)) {
        CatalogueEntry e;
        e.file = path;
        e.error = message;
        return e;
    }
    return sis9::looksLikeSis9(source) ? sis9Entry(source, path, now) : pre9Entry(source, path);
}

std::string catalogueJson(const CatalogueEntry& entry) {
    // Names are UTF-8 from the reader, but a file name given by the user may be anything.
    return toJson(entry, true).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace tovrin::sislist
