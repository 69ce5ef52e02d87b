#pragma once
// Package strings to UTF-8: UTF-16LE in Unicode packages, Windows-1252 in 8-bit ones (and for
// MIME types). Never fails: an unpaired surrogate becomes U+FFFD, so does an odd final byte.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovrin::sis {

std::string utf16leToUtf8(const uint8_t* data, size_t size);
std::string cp1252ToUtf8(const uint8_t* data, size_t size);

}  // namespace tovrin::sis
