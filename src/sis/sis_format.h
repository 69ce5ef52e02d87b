#pragma once
// The pre-9 installation package format (ER5 and ER6 flavours): constants, record layouts,
// field offsets and widths, the language-code table and little-endian helpers. Writer, reader
// and UID import all take the format from here; nothing of it is repeated elsewhere.
//
// Conventions
//   * Every integer is little-endian, u16 or u32. No padding or alignment anywhere.
//   * A "ptr" is a u32 byte offset from the start of the file (of the embedded file, for an
//     embedded component).
//   * Strings are never NUL-terminated: a u32 byte length plus a ptr. With option kOptionUnicode
//     (always set for ER6) strings are UTF-16LE, so lengths are even; otherwise 8-bit
//     (Windows-1252). Exception: the MIME type of an FM record is 8-bit even in a Unicode package.
//   * Per-language lists (names, option texts, forks) hold all n lengths first, then all n
//     pointers, in the order of the language records.
//   * File-area records, languages, requisites, options and capabilities are stored in the
//     reverse of the script's order; installers walk the file-area records from last to first.
//
// Layout of a package, in the order the writer emits it
//
//   header            100 bytes (ER6) / 68 bytes (ER5)               see namespace header
//   languages         u16 x nLanguages (TLanguage numbers)
//   file-area records nFiles records, each starting with a u32 RecordType
//   requisites        nRequisites x (12 + 8n)                         see namespace requisite
//   certificates      signed packages only
//   capabilities      ER6 only: nCapabilities x 8 (key, value interleaved, as the reference
//                     compiler does)
//   component names   u32 length x n, ptr x n
//   strings           per file-area record: source, destination, MIME, option/condition strings;
//                     then the requisite names; then the component names
//   code              file data: zlib (RFC 1950) streams unless kOptionNoCompress (ER5: always
//                     raw), in stored record order, forks in fork order; runs to the end of
//                     the file
//   signature         signed packages only; excluded from the file checksum
//
// Header (offsets hex)
//   00 u32 UID1   04 u32 UID2   08 u32 UID3   0C u32 UID4 (crc.h: uidChecksum)
//   10 u16 checksum (crc.h: packageChecksum: CRC of every byte but these two and the signature)
//   12 u16 nLanguages   14 u16 nFiles (all file-area records)   16 u16 nRequisites
//   18 u16 installation language (0)   1A u16 installation files (0)
//   1C u16 installation drive ('!' when destinations differ, first letter when all agree,
//          0 with no destination; always 0 in ER5)   1E u16 nCapabilities (0 in ER5)
//   20 u32 installer version (200 ER6, 100 ER5)   24 u16 options   26 u16 type
//   28 u16 major   2A u16 minor   2C u32 variant
//   30 ptr languages   34 ptr files   38 ptr requisites   3C ptr certificates (0)
//   40 ptr component names                                   -- ER5 header ends here (68)
//   44 ptr signature (0)   48 ptr capabilities   4C u32 installed space (0)
//   50 u32 maximum installed space   54 16 bytes reserved (0)  -- ER6 header ends here (100)
//
// Simple (0, n = 1) and multi-language (1, n = nLanguages) file record
//   00 u32 record type   04 u32 FileType   08 u32 details
//   0C u32 source length   10 ptr source   14 u32 destination length   18 ptr destination
//   1C u32 x n stored lengths   1C+4n ptr x n data pointers
//   ER6 only: 1C+8n u32 x n original lengths   1C+12n u32 MIME length   20+12n ptr MIME
//   (size: ER5 28 + 8n, ER6 36 + 12n; with no MIME type the MIME ptr points just past the
//   record's source and destination strings)
//
// Options-list record (2)
//   00 u32 2   04 u32 m (<= 128)   08 m x (u32 x n lengths, ptr x n pointers)
//   08+8mn 16-byte bitmap of selected options (all ones in a fresh package)
//
// IF (3) / ELSEIF (4): u32 type, u32 expression size in bytes, expression.  ELSE (5) / ENDIF (6):
// u32 type only. An expression is a prefix-order tree of nodes: operators and functions are a
// lone u32 node type (4 bytes); string, attribute and number leaves are u32 type + two u32
// words (12 bytes): string (length, ptr), attribute (id, 0), number (value, 0).
//
// Requisite record: 00 u32 UID   04 u16 major   06 u16 minor   08 u32 variant
//   0C u32 x n name lengths   0C+4n ptr x n name pointers

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::sis {

// ---- Little-endian access ------------------------------------------------------------------
// REQUIRES: p addresses at least 2 (u16) or 4 (u32) readable/writable bytes.

inline uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void writeU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void appendU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void appendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline void appendU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
inline void appendU32(std::string& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

// ---- UIDs and versions ---------------------------------------------------------------------

constexpr uint32_t kUid1None = 0x10000000;     // UID1 of a package whose script gives none
constexpr uint32_t kUid2Er5 = 0x1000006D;      // ER3/ER4/ER5 release
constexpr uint32_t kUid2Er6 = 0x10003A12;      // ER6 release (Series 60 1st/2nd Edition)
constexpr uint32_t kUid3Install = 0x10000419;  // "install application"

constexpr uint32_t kInstallerVersionEr5 = 100;  // ER3 packages may carry 68
constexpr uint32_t kInstallerVersionEr6 = 200;

constexpr uint16_t kDriveChosenByUser = 0x21;  // '!'
constexpr uint16_t kDriveStub = 'z';           // stub packages made for ROM

// ---- Header --------------------------------------------------------------------------------

namespace header {
constexpr size_t kUid1 = 0x00;
constexpr size_t kUid2 = 0x04;
constexpr size_t kUid3 = 0x08;
constexpr size_t kUid4 = 0x0C;
constexpr size_t kChecksum = 0x10;  // u16
constexpr size_t kLanguageCount = 0x12;
constexpr size_t kFileCount = 0x14;
constexpr size_t kRequisiteCount = 0x16;
constexpr size_t kInstallLanguage = 0x18;
constexpr size_t kInstallFiles = 0x1A;
constexpr size_t kInstallDrive = 0x1C;
constexpr size_t kCapabilityCount = 0x1E;
constexpr size_t kInstallerVersion = 0x20;  // u32
constexpr size_t kOptions = 0x24;
constexpr size_t kType = 0x26;
constexpr size_t kMajor = 0x28;
constexpr size_t kMinor = 0x2A;
constexpr size_t kVariant = 0x2C;  // u32
constexpr size_t kLanguagesPtr = 0x30;
constexpr size_t kFilesPtr = 0x34;
constexpr size_t kRequisitesPtr = 0x38;
constexpr size_t kCertificatesPtr = 0x3C;
constexpr size_t kComponentNamePtr = 0x40;
constexpr size_t kSizeEr5 = 0x44;  // 68
constexpr size_t kSignaturePtr = 0x44;
constexpr size_t kCapabilitiesPtr = 0x48;
constexpr size_t kInstalledSpace = 0x4C;
constexpr size_t kMaxInstalledSpace = 0x50;
constexpr size_t kReserved = 0x54;
constexpr size_t kReservedSize = 16;
constexpr size_t kSizeEr6 = 0x64;  // 100
// The header counts file-area records (files, options, conditions) in a u16.
constexpr size_t kMaxFileRecords = 0xFFFF;
}  // namespace header

// Header options (bit flags at header::kOptions).
constexpr uint16_t kOptionUnicode = 0x0001;        // IU: strings are UTF-16LE
constexpr uint16_t kOptionDistributable = 0x0002;  // ID: ER5, never implemented
constexpr uint16_t kOptionNoCompress = 0x0008;     // NC: file data stored raw (ER6)
constexpr uint16_t kOptionShutdownApps = 0x0010;   // SH: close running applications first

// Package type (header::kType).
enum class PackageType : uint16_t {
    App = 0,      // SA / SISAPP
    System = 1,   // SY / SISSYSTEM
    Option = 2,   // SO / SISOPTION
    Config = 3,   // SC / SISCONFIG
    Patch = 4,    // SP / SISPATCH
    Upgrade = 5,  // SU / SISUPGRADE
};

// The header as plain values; pointers and counts are what the file holds.
struct Header {
    uint32_t uid1 = kUid1None;
    uint32_t uid2 = kUid2Er6;
    uint32_t uid3 = kUid3Install;
    uint32_t uid4 = 0;
    uint16_t checksum = 0;
    uint16_t languageCount = 0;
    uint16_t fileCount = 0;
    uint16_t requisiteCount = 0;
    uint16_t installLanguage = 0;
    uint16_t installFiles = 0;
    uint16_t installDrive = 0;
    uint16_t capabilityCount = 0;
    uint32_t installerVersion = kInstallerVersionEr6;
    uint16_t options = kOptionUnicode;
    uint16_t type = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint32_t variant = 0;
    uint32_t languagesPtr = 0;
    uint32_t filesPtr = 0;
    uint32_t requisitesPtr = 0;
    uint32_t certificatesPtr = 0;
    uint32_t componentNamePtr = 0;
    // ER6 only
    uint32_t signaturePtr = 0;
    uint32_t capabilitiesPtr = 0;
    uint32_t installedSpace = 0;
    uint32_t maxInstalledSpace = 0;
};

inline bool isEr6(uint32_t uid2) { return uid2 == kUid2Er6; }
inline size_t headerSize(bool er6) { return er6 ? header::kSizeEr6 : header::kSizeEr5; }

// Writes the header's fields at their offsets. REQUIRES: out has headerSize(er6) bytes; the
// reserved bytes of an ER6 header are set to zero.
void encodeHeader(const Header& h, bool er6, uint8_t* out);
// Reads the fields. REQUIRES: in has headerSize(er6) bytes. ER6-only fields are 0 for ER5.
Header decodeHeader(const uint8_t* in, bool er6);

// ---- Language records ----------------------------------------------------------------------

constexpr size_t kLanguageRecordSize = 2;  // u16 TLanguage number
constexpr uint16_t kLanguageDefault = 1;   // UK English, when the script has no language line

struct LanguageCode {
    uint16_t number;   // TLanguage
    const char* code;  // two-letter script code (upper case), nullptr when there is none
    const char* name;
};

// Numbers 0-99. Two notes for a script reader: "IF" (24) reads as the condition keyword in
// the reference compiler, which therefore only accepts &24; "SA" (48) is the later tools' code,
// unknown to the reference compiler; "CG" (55) is missing from that compiler's usage text.
// "SF" is Swiss French (11), "BF" Belgian French (21).
inline constexpr LanguageCode kLanguageCodes[] = {
    {0, nullptr, "Test"},
    {1, "EN", "UK English"},
    {2, "FR", "French"},
    {3, "GE", "German"},
    {4, "SP", "Spanish"},
    {5, "IT", "Italian"},
    {6, "SW", "Swedish"},
    {7, "DA", "Danish"},
    {8, "NO", "Norwegian"},
    {9, "FI", "Finnish"},
    {10, "AM", "American English"},
    {11, "SF", "Swiss French"},
    {12, "SG", "Swiss German"},
    {13, "PO", "Portuguese"},
    {14, "TU", "Turkish"},
    {15, "IC", "Icelandic"},
    {16, "RU", "Russian"},
    {17, "HU", "Hungarian"},
    {18, "DU", "Dutch"},
    {19, "BL", "Belgian Flemish"},
    {20, "AU", "Australian English"},
    {21, "BF", "Belgian French"},
    {22, "AS", "Austrian German"},
    {23, "NZ", "New Zealand English"},
    {24, "IF", "International French"},
    {25, "CS", "Czech"},
    {26, "SK", "Slovak"},
    {27, "PL", "Polish"},
    {28, "SL", "Slovenian"},
    {29, "TC", "Taiwan Chinese"},
    {30, "HK", "Hong Kong Chinese"},
    {31, "ZH", "PRC Chinese"},
    {32, "JA", "Japanese"},
    {33, "TH", "Thai"},
    {34, "AF", "Afrikaans"},
    {35, "SQ", "Albanian"},
    {36, "AH", "Amharic"},
    {37, "AR", "Arabic"},
    {38, "HY", "Armenian"},
    {39, "TL", "Tagalog"},
    {40, "BE", "Belarussian"},
    {41, "BN", "Bengali"},
    {42, "BG", "Bulgarian"},
    {43, "MY", "Burmese"},
    {44, "CA", "Catalan"},
    {45, "HR", "Croatian"},
    {46, "CE", "Canadian English"},
    {47, "IE", "International English"},
    {48, "SA", "South African English"},
    {49, "ET", "Estonian"},
    {50, "FA", "Farsi"},
    {51, "CF", "Canadian French"},
    {52, "GD", "Scots Gaelic"},
    {53, "KA", "Georgian"},
    {54, "EL", "Greek"},
    {55, "CG", "Cyprus Greek"},
    {56, "GU", "Gujarati"},
    {57, "HE", "Hebrew"},
    {58, "HI", "Hindi"},
    {59, "IN", "Indonesian"},
    {60, "GA", "Irish"},
    {61, "SZ", "Swiss Italian"},
    {62, "KN", "Kannada"},
    {63, "KK", "Kazakh"},
    {64, "KM", "Khmer"},
    {65, "KO", "Korean"},
    {66, "LO", "Laothian"},
    {67, "LV", "Latvian"},
    {68, "LT", "Lithuanian"},
    {69, "MK", "Macedonian"},
    {70, "MS", "Malay"},
    {71, "ML", "Malayalam"},
    {72, "MR", "Marathi"},
    {73, "MO", "Moldavian"},
    {74, "MN", "Mongolian"},
    {75, "NN", "Norwegian Nynorsk"},
    {76, "BP", "Brazilian Portuguese"},
    {77, "PA", "Punjabi"},
    {78, "RO", "Romanian"},
    {79, "SR", "Serbian"},
    {80, "SI", "Sinhalese"},
    {81, "SO", "Somali"},
    {82, "OS", "International Spanish"},
    {83, "LS", "Latin American Spanish"},
    {84, "SH", "Swahili"},
    {85, "FS", "Finland Swedish"},
    {86, nullptr, "Reserved"},
    {87, "TA", "Tamil"},
    {88, "TE", "Telugu"},
    {89, "BO", "Tibetan"},
    {90, "TI", "Tigrinya"},
    {91, "CT", "Cyprus Turkish"},
    {92, "TK", "Turkmen"},
    {93, "UK", "Ukrainian"},
    {94, "UR", "Urdu"},
    {95, nullptr, "Reserved"},
    {96, "VI", "Vietnamese"},
    {97, "CY", "Welsh"},
    {98, "ZU", "Zulu"},
    {99, nullptr, "Other"},
};

// The entry for a two-letter code, compared case-insensitively; nullptr when unknown.
const LanguageCode* languageByCode(std::string_view code);
// The entry for a TLanguage number; nullptr outside the table (scripts may give any number
// up to 1000, which is stored as it stands).
const LanguageCode* languageByNumber(uint32_t number);

// ---- File-area records ---------------------------------------------------------------------

enum class RecordType : uint32_t {
    SimpleFile = 0,
    MultiLanguageFile = 1,  // one data fork per language
    Options = 2,
    If = 3,
    ElseIf = 4,
    Else = 5,
    EndIf = 6,
};

// File type (file record offset 0x04).
enum class FileType : uint32_t {
    File = 0,       // FF / FILE: installed
    Text = 1,       // FT / FILETEXT: shown during installation, not installed
    Component = 2,  // embedded package (@ line); details = its UID1
    Run = 3,        // FR / FILERUN
    Null = 4,       // FN / FILENULL: no data; deleted on removal
    Mime = 5,       // FM / FILEMIME: opened by its MIME handler
};

// File details (file record offset 0x08) of FT records: which buttons the dialog shows.
enum class TextDetails : uint32_t {
    Continue = 0,  // TC / TEXTCONTINUE (default)
    Skip = 1,      // TS / TEXTSKIP
    Abort = 2,     // TA / TEXTABORT
    Exit = 3,      // TE / TEXTEXIT
};

// File details of FR records: one of the "when" values, optionally OR-ed with the flags, which
// also apply to FM records.
constexpr uint32_t kRunInstall = 0;  // RI / RUNINSTALL (default)
constexpr uint32_t kRunRemove = 1;   // RR / RUNREMOVE (needs RW)
constexpr uint32_t kRunBoth = 2;     // RB / RUNBOTH (needs RW)
constexpr uint32_t kRunWhenMask = 0xFF;
constexpr uint32_t kRunSendEnd = 0x100;  // RS / RUNSENDEND: closed when installation completes
constexpr uint32_t kRunWaitEnd = 0x200;  // RW / RUNWAITEND: wait until it exits

namespace file_record {
constexpr size_t kRecordType = 0x00;
constexpr size_t kFileType = 0x04;
constexpr size_t kDetails = 0x08;
constexpr size_t kSourceLength = 0x0C;
constexpr size_t kSourcePtr = 0x10;
constexpr size_t kDestinationLength = 0x14;
constexpr size_t kDestinationPtr = 0x18;
constexpr size_t kFixedSize = 0x1C;  // up to the per-fork lists
// Offsets of the per-fork lists for n forks (n = 1 for a simple record).
constexpr size_t storedLengths(size_t) { return kFixedSize; }
constexpr size_t dataPtrs(size_t n) { return kFixedSize + 4 * n; }
constexpr size_t originalLengths(size_t n) { return kFixedSize + 8 * n; }  // ER6 only
constexpr size_t mimeLength(size_t n) { return kFixedSize + 12 * n; }      // ER6 only
constexpr size_t mimePtr(size_t n) { return kFixedSize + 12 * n + 4; }     // ER6 only
constexpr size_t size(size_t n, bool er6) {
    return er6 ? kFixedSize + 12 * n + 8 : kFixedSize + 8 * n;
}
}  // namespace file_record

namespace options_record {
constexpr size_t kRecordType = 0x00;
constexpr size_t kOptionCount = 0x04;
constexpr size_t kOptionTexts = 0x08;  // m x (u32 x n lengths, ptr x n pointers)
constexpr size_t kBitmapSize = 16;
constexpr uint32_t kMaxOptions = 128;
constexpr size_t bitmap(size_t m, size_t n) { return kOptionTexts + 8 * m * n; }
constexpr size_t size(size_t m, size_t n) { return bitmap(m, n) + kBitmapSize; }
}  // namespace options_record

namespace condition_record {  // IF and ELSEIF
constexpr size_t kRecordType = 0x00;
constexpr size_t kExpressionSize = 0x04;
constexpr size_t kExpression = 0x08;
constexpr size_t kBranchRecordSize = 4;  // ELSE and ENDIF: the record type only
}  // namespace condition_record

// Expression node types.
enum class NodeType : uint32_t {
    Equal = 0,
    NotEqual = 1,
    Greater = 2,
    Less = 3,
    GreaterOrEqual = 4,
    LessOrEqual = 5,
    And = 6,
    Or = 7,
    Exists = 8,   // one string operand
    DevCap = 9,   // one number operand
    AppCap = 10,  // two number operands (uid, capability)
    Not = 11,
    String = 12,     // u32 length, ptr
    Attribute = 13,  // u32 attribute id, u32 unused (write 0)
    Number = 14,     // u32 value, u32 unused (write 0)
};
constexpr size_t kOperatorNodeSize = 4;
constexpr size_t kLeafNodeSize = 12;

// Attribute ids of attribute nodes (HAL attributes below 0x1000).
constexpr uint32_t kAttributeManufacturer = 0;
constexpr uint32_t kAttributeModel = 4;
constexpr uint32_t kAttributeMachineUid = 5;
constexpr uint32_t kAttributeCpu = 8;
constexpr uint32_t kAttributeLanguage = 0x1000;
constexpr uint32_t kAttributeRemoteInstall = 0x1001;
constexpr uint32_t kAttributeOptionBase = 0x2000;  // option k (1-based) is 0x2000 + k

// ---- Other records -------------------------------------------------------------------------

namespace requisite {
constexpr size_t kUid = 0x00;
constexpr size_t kMajor = 0x04;  // u16
constexpr size_t kMinor = 0x06;  // u16
constexpr size_t kVariant = 0x08;
constexpr size_t kNameLengths = 0x0C;
constexpr size_t nameLengths(size_t) { return kNameLengths; }
constexpr size_t namePtrs(size_t n) { return kNameLengths + 4 * n; }
constexpr size_t size(size_t n) { return kNameLengths + 8 * n; }
}  // namespace requisite

namespace component_name {
constexpr size_t nameLengths(size_t) { return 0; }
constexpr size_t namePtrs(size_t n) { return 4 * n; }
constexpr size_t size(size_t n) { return 8 * n; }
}  // namespace component_name

constexpr size_t kCapabilityPairSize = 8;  // u32 key, u32 value

// Series 60 platform product UID usable as "any Series 60" in a requisite; a requisite whose
// name ends in "ProductID" is taken as a platform check.
constexpr uint32_t kSeries60ProductUid = 0x101F6F88;

// An empty file compressed by zlib's compress(): what a package stores for a 0-byte source.
inline constexpr uint8_t kEmptyZlibStream[] = {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};

}  // namespace tovrin::sis
