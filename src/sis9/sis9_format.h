#pragma once
// The Symbian 9 package format (Symbian OS 9.1 and later: S60 3rd edition on, .sis and .sisx):
// every constant the reader, the writer and the signer share.
//
// A package is a tree of fields. A field is
//     u32 type, u32 length n of the body (bit 31 set: a second u32 follows and
//     n = (w0 & 0x7FFFFFFF) | (w1 << 31)), the body, then zero bytes up to a multiple of 4.
// The padding belongs to the parent: a field's length excludes it, its container's includes it.
// A composite field's body is its members in a fixed order; optional members are told apart by
// their type word. An array (type 2) is a u32 element type, then the elements without their
// type word. Strings (type 1) are UTF-16LE without a terminator. Integers are little-endian.
//
// File layout:
//     0x00 u32 UID1 0x10201A7A, 0x04 u32 UID2 0, 0x08 u32 UID3 the package UID,
//     0x0C u32 UID4 (the pre-9 UID checksum of the first 12 bytes),
//     0x10 Contents (12): [ControllerChecksum (34)] [DataChecksum (35)]
//                         Compressed (3) holding the Controller (13), Data (30)
// A controller-only stub is a lone Controller field (type 13 at offset 0), or, as an installed
// package's controller is kept, a u32 length and a controller body (type 14 at offset 4).
//
// Controller (13): Info (14), SupportedOptions (16), SupportedLanguages (15),
//     Prerequisites (17), Properties (19), [Logo (23)], InstallBlock (28),
//     SignatureCertificateChain (39) * n, DataIndex (40)
// Info (14): Uid (9), String unique vendor, Array of String names, Array of String vendor names,
//     Version (4), DateTime (8), u8 install type, u8 install flags
// InstallBlock (28): Array of FileDescription (24), Array of Controller (13) (embedded packages),
//     Array of If (26)
// If (26): Expression (29), InstallBlock, Array of ElseIf (27); ElseIf: Expression, InstallBlock.
//     A script's ELSE is an ElseIf whose condition is NOT 0.
// FileDescription (24): String target, String MIME type, [Capabilities (41)], Hash (25),
//     u32 operation, u32 options, u64 stored length, u64 uncompressed length, u32 file index
// Expression (29): u32 operator, i32 value, [String], [Expression left], [Expression right]
// SignatureCertificateChain (39): Array of Signature (36), CertificateChain (22)
// Signature (36): SignatureAlgorithm (38: a String holding a dotted OID), Blob (37)
// CertificateChain (22): Blob of DER certificates, the signer's first, each followed by its issuer
// Data (30): Array of DataUnit (31); DataUnit: Array of FileData (32); FileData: Compressed (3)
// Compressed (3): u32 algorithm (0 stored, 1 zlib stream), u64 size once expanded, the bytes
//
// The data unit of a controller is the sum of its data index and those of every controller
// enclosing it. A signature covers the uncompressed controller body from the start of Info up
// to the start of its own chain. Both checksums are CRC-16/XMODEM (src/sis/crc.h): the
// controller checksum over the whole Compressed field holding the controller, padding
// included; the data checksum over the whole Data field.

#include <cstdint>

namespace tovrin::sis9 {

enum class FieldType : uint32_t {
    String = 1,
    Array = 2,
    Compressed = 3,
    Version = 4,
    VersionRange = 5,
    Date = 6,
    Time = 7,
    DateTime = 8,
    Uid = 9,
    Language = 11,
    Contents = 12,
    Controller = 13,
    Info = 14,
    SupportedLanguages = 15,
    SupportedOptions = 16,
    Prerequisites = 17,
    Dependency = 18,
    Properties = 19,
    Property = 20,
    Signatures = 21,  // never written: signatures are type 39
    CertificateChain = 22,
    Logo = 23,
    FileDescription = 24,
    Hash = 25,
    If = 26,
    ElseIf = 27,
    InstallBlock = 28,
    Expression = 29,
    Data = 30,
    DataUnit = 31,
    FileData = 32,
    SupportedOption = 33,
    ControllerChecksum = 34,
    DataChecksum = 35,
    Signature = 36,
    Blob = 37,
    SignatureAlgorithm = 38,
    SignatureCertificateChain = 39,
    DataIndex = 40,
    Capabilities = 41,
};

constexpr uint32_t kUid1 = 0x10201A7A;
constexpr uint32_t kUid2 = 0;

// A length word with bit 31 set announces the long form (a second word).
constexpr uint32_t kLongLengthBit = 0x80000000u;

enum class Compression : uint32_t { Stored = 0, Deflate = 1 };
// Every deflated stream of real packages is zlib's output at this level.
constexpr int kZlibLevel = 6;

enum class InstallType : uint8_t { SA = 0, SP = 1, PU = 2, PA = 3, PP = 4 };
constexpr uint8_t kFlagNonRemovable = 0x01;  // NR
constexpr uint8_t kFlagRomUpgrade = 0x04;    // RU

// File operations (FileDescription member 5).
constexpr uint32_t kOpLanguageFile = 0;  // a file of a language-dependent list: installed like FF
constexpr uint32_t kOpInstall = 1;       // FF
constexpr uint32_t kOpRun = 2;           // FR
constexpr uint32_t kOpText = 4;          // FT
constexpr uint32_t kOpNull = 8;          // FN

// Operation options (member 6).
constexpr uint32_t kRunInstall = 0x02;   // RI
constexpr uint32_t kRunRemove = 0x04;    // RR
constexpr uint32_t kRunWaitEnd = 0x10;   // RW
constexpr uint32_t kTextAbort = 0x800;   // TA (TC, the default, is 0)

constexpr uint32_t kHashSha1 = 1;

enum class Operator : uint32_t {
    Equal = 1,
    NotEqual = 2,
    Greater = 3,
    Less = 4,
    GreaterOrEqual = 5,
    LessOrEqual = 6,
    And = 7,
    Or = 8,
    Not = 9,
    Exists = 10,
    AppProperty = 11,
    Package = 12,
    String = 13,
    Option = 14,
    Attribute = 15,
    Number = 16,
};
constexpr int32_t kAttributeLanguage = 0x1000;

// Signature algorithms, as the dotted OIDs packages carry.
constexpr const char* kOidRsaSha1 = "1.2.840.113549.1.1.5";
constexpr const char* kOidDsaSha1 = "1.2.840.10040.4.3";
// A DSA signature blob is the DER SEQUENCE { r, s } padded with zero bytes to this length.
constexpr unsigned kDsaBlobSize = 48;

// The creation time of ROM stubs, and the one the SDK compiler's controller checksum was made
// with: 2004-01-01 00:00:00.
constexpr int kStubYear = 2004;

// The platform dependency of S60 3rd edition and later.
constexpr uint32_t kS60ThirdEditionUid = 0x101F7961;

// Embedded controllers nest no deeper than this (the top controller is depth 0).
constexpr int kMaxControllerDepth = 8;

}  // namespace tovrin::sis9
