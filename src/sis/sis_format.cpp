#include "src/sis/sis_format.h"

#include <cstring>

namespace tovrin::sis {

void encodeHeader(const Header& h, bool er6, uint8_t* out) {
    using namespace header;
    writeU32(out + kUid1, h.uid1);
    writeU32(out + kUid2, h.uid2);
    writeU32(out + kUid3, h.uid3);
    writeU32(out + kUid4, h.uid4);
    writeU16(out + kChecksum, h.checksum);
    writeU16(out + kLanguageCount, h.languageCount);
    writeU16(out + kFileCount, h.fileCount);
    writeU16(out + kRequisiteCount, h.requisiteCount);
    writeU16(out + kInstallLanguage, h.installLanguage);
    writeU16(out + kInstallFiles, h.installFiles);
    writeU16(out + kInstallDrive, h.installDrive);
    writeU16(out + kCapabilityCount, h.capabilityCount);
    writeU32(out + kInstallerVersion, h.installerVersion);
    writeU16(out + kOptions, h.options);
    writeU16(out + kType, h.type);
    writeU16(out + kMajor, h.major);
    writeU16(out + kMinor, h.minor);
    writeU32(out + kVariant, h.variant);
    writeU32(out + kLanguagesPtr, h.languagesPtr);
    writeU32(out + kFilesPtr, h.filesPtr);
    writeU32(out + kRequisitesPtr, h.requisitesPtr);
    writeU32(out + kCertificatesPtr, h.certificatesPtr);
    writeU32(out + kComponentNamePtr, h.componentNamePtr);
    if (!er6) return;
    writeU32(out + kSignaturePtr, h.signaturePtr);
    writeU32(out + kCapabilitiesPtr, h.capabilitiesPtr);
    writeU32(out + kInstalledSpace, h.installedSpace);
    writeU32(out + kMaxInstalledSpace, h.maxInstalledSpace);
    std::memset(out + kReserved, 0, kReservedSize);
}

Header decodeHeader(const uint8_t* in, bool er6) {
    using namespace header;
    Header h;
    h.uid1 = readU32(in + kUid1);
    h.uid2 = readU32(in + kUid2);
    h.uid3 = readU32(in + kUid3);
    h.uid4 = readU32(in + kUid4);
    h.checksum = readU16(in + kChecksum);
    h.languageCount = readU16(in + kLanguageCount);
    h.fileCount = readU16(in + kFileCount);
    h.requisiteCount = readU16(in + kRequisiteCount);
    h.installLanguage = readU16(in + kInstallLanguage);
    h.installFiles = readU16(in + kInstallFiles);
    h.installDrive = readU16(in + kInstallDrive);
    h.capabilityCount = readU16(in + kCapabilityCount);
    h.installerVersion = readU32(in + kInstallerVersion);
    h.options = readU16(in + kOptions);
    h.type = readU16(in + kType);
    h.major = readU16(in + kMajor);
    h.minor = readU16(in + kMinor);
    h.variant = readU32(in + kVariant);
    h.languagesPtr = readU32(in + kLanguagesPtr);
    h.filesPtr = readU32(in + kFilesPtr);
    h.requisitesPtr = readU32(in + kRequisitesPtr);
    h.certificatesPtr = readU32(in + kCertificatesPtr);
    h.componentNamePtr = readU32(in + kComponentNamePtr);
    if (er6) {
        h.signaturePtr = readU32(in + kSignaturePtr);
        h.capabilitiesPtr = readU32(in + kCapabilitiesPtr);
        h.installedSpace = readU32(in + kInstalledSpace);
        h.maxInstalledSpace = readU32(in + kMaxInstalledSpace);
    } else {
        h.signaturePtr = 0;
        h.capabilitiesPtr = 0;
        h.installedSpace = 0;
        h.maxInstalledSpace = 0;
    }
    return h;
}

const LanguageCode* languageByCode(std::string_view code) {
    if (code.size() != 2) return nullptr;
    auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    for (const LanguageCode& l : kLanguageCodes) {
        if (l.code && upper(code[0]) == l.code[0] && upper(code[1]) == l.code[1]) return &l;
    }
    return nullptr;
}

const LanguageCode* languageByNumber(uint32_t number) {
    for (const LanguageCode& l : kLanguageCodes) {
        if (l.number == number) return &l;
    }
    return nullptr;
}

}  // namespace tovrin::sis
