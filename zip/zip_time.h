// Conversions between MS-DOS date/time, Unix time stamps and Windows file times, as both halves
// of the component store and read them.
#pragma once

#include <cstdint>

constexpr uint64_t kUnixEpochFileTime = 116444736000000000ULL;

// Unix seconds of a file time: (ft - epoch) / 10^7 as a signed 64-bit division, low 32 bits.
[[nodiscard]] int32_t UnixTimeFromFileTime(uint64_t fileTime);

// File time of signed 32-bit Unix seconds.
[[nodiscard]] uint64_t FileTimeFromUnixTime(int32_t seconds);

// MS-DOS value (date in the high 16 bits, time in the low 16) of a file time's calendar
// breakdown, with no zone conversion; seconds are halved, so odd seconds round down. 0 when the
// file time has no calendar form.
[[nodiscard]] uint32_t DosDateTimeFromFileTime(uint64_t fileTime);

// The file time (UTC) of a DOS date and time taken as local time; false when the DOS value is not
// a calendar date (month or day 0, month 13, hour 24, second 60 and the like) or cannot be
// converted.
[[nodiscard]] bool FileTimeFromDosLocal(uint16_t date, uint16_t time, uint64_t* fileTime);
