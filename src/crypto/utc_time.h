#pragma once
// Seconds since 1970-01-01 UTC to and from the calendar, for certificate validity: libksba gives
// times as "YYYYMMDDTHHMMSS", X.509 writes them as UTCTime "YYMMDDHHMMSSZ". No time zone or
// C library call is involved, so both hosts give the same answer.

#include <cstdint>
#include <string>

namespace tovrin::crypto {

struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

int64_t secondsFromCivil(const CivilTime& t);
CivilTime civilFromSeconds(int64_t seconds);

// "YYYYMMDDTHHMMSS" (libksba's form) to seconds; false when malformed.
bool secondsFromIsoTime(const std::string& iso, int64_t* seconds);

}  // namespace tovrin::crypto
