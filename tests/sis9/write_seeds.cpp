// Writes the Symbian 9 packages of tests/data/sis9 with the tests' package writer: the seeds
// of the reader's fuzz target and the lister's golden listings. Run it again (with the folder
// as its argument) when the writer changes, and review the listings that change.
//     build/tests/sis9/sis9_seed_writer tests/data/sis9
#include <cstdio>
#include <fstream>
#include <string>

#include "src/crypto/private_key.h"
#include "tests/crypto/test_data.h"
#include "tests/sis9/package_writer.h"

namespace tovrin::test {
namespace {

std::function<Bytes(const Bytes&)> signer(const char* key, const char* certificate,
                                          const char* oid) {
    return [=](const Bytes& data) {
        crypto::PrivateKey k;
        crypto::Bytes signature;
        std::vector<crypto::Bytes> certificates;
        std::string err;
        if (!crypto::loadPrivateKey(cryptoData(key), "", &k, &err) ||
            !crypto::signData(k, data.data(), data.size(), &signature, &err) ||
            !crypto::loadCertificateFile(cryptoData(certificate), &certificates, &err)) {
            std::fprintf(stderr, "%s: %s\n", key, err.c_str());
        }
        Bytes chain;
        for (const auto& c : certificates) chain.insert(chain.end(), c.begin(), c.end());
        return chainField9(oid, signature, chain);
    };
}

bool save(const std::string& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return static_cast<bool>(out);
}

int run(const std::string& folder) {
    using sis9::Operator;
    Package9 plain;
    plain.controller.files = {{"!:\\private\\E0000001\\hello.txt", "Hello\n"},
                              {"!:\\sys\\bin\\demo.exe", std::string(3000, 'x'), sis9::kOpRun,
                               sis9::kRunInstall | sis9::kRunWaitEnd, true, 0x0009E000},
                              {"", "Terms", sis9::kOpText, sis9::kTextAbort, false},
                              {"c:\\data\\*.*", "", sis9::kOpNull, 0, true, -1, true}};

    Package9 conditions;
    conditions.controller.languages = {1, 2};
    conditions.controller.names = {"Demo", "Demo FR"};
    conditions.controller.options = {{"Help", "Aide"}, {"Sounds", "Sons"}};
    const std::string path = "c:\\x.txt";
    const Bytes exists = expression9(Operator::Exists, 0, {}, &path);
    const Bytes machine = expression9(Operator::Equal, 0,
                                      {expression9(Operator::Attribute, 5),
                                       expression9(Operator::Number, 0x20022E6D)});
    auto language = [](int code) {
        return expression9(Operator::Equal, 0,
                           {expression9(Operator::Attribute, sis9::kAttributeLanguage),
                            expression9(Operator::Number, code)});
    };
    conditions.controller.ifs = {
        {language(1), {{"!:\\r\\demo.rsc", "english"}}, {{language(2), {{"!:\\r\\demo.rsc", "french"}}}}},
        {expression9(Operator::And, 0, {exists, machine}),
         {{"!:\\data\\n8.txt", "n8"}},
         {{expression9(Operator::Option, 1), {{"!:\\data\\help.txt", "help"}}},
          {expression9(Operator::Not, 0, {expression9(Operator::Number, 0)}),
           {{"!:\\data\\none.txt", "none"}}}}}};

    Package9 embedded;
    embedded.controller.files = {{"!:\\outer.txt", "outer"}};
    Controller9 inner;
    inner.uid = 0xE0000002;
    inner.names = {"Inner"};
    inner.files = {{"!:\\inner.txt", "inner"}};
    inner.signers = {signer("dsa-pkcs8.pem", "dsa-self.der", sis9::kOidDsaSha1)};
    embedded.controller.embedded = {inner};

    Package9 rsa = plain;
    rsa.controller.signers = {signer("leaf-key.pem", "chain.der", sis9::kOidRsaSha1),
                              signer("rsa-pkcs8.pem", "expired.pem", sis9::kOidRsaSha1)};

    Package9 longForm = plain;
    longForm.longForm = true;
    longForm.deflateController = false;

    Controller9 stub;
    stub.year = 2004;
    stub.month = 1;
    stub.files = {{"z:\\sys\\bin\\lib.dll", "", sis9::kOpInstall, 0, true, -1, true}};
    std::vector<std::vector<Bytes>> units;
    const Bytes stubBytes = writeController9(stub, false, &units);

    const bool ok = save(folder, "plain.sisx", writePackage9(plain)) &&
                    save(folder, "conditions.sisx", writePackage9(conditions)) &&
                    save(folder, "embedded.sisx", writePackage9(embedded)) &&
                    save(folder, "signed.sisx", writePackage9(rsa)) &&
                    save(folder, "long-lengths.sisx", writePackage9(longForm)) &&
                    save(folder, "stub.sisx", stubBytes) &&
                    save(folder, "bare-controller.sisx", Bytes(stubBytes.begin() + 4, stubBytes.end()));
    if (!ok) std::fprintf(stderr, "sis9_seed_writer: cannot write into %s\n", folder.c_str());
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tovrin::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sis9_seed_writer FOLDER\n");
        return 2;
    }
    return tovrin::test::run(argv[1]);
}
