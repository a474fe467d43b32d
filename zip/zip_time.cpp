// Time conversions shared by the reader (DOS local time and extended timestamps into file times)
// and the writer (file times into DOS values and Unix stamps).
#include "zip/zip_time.h"

#include "zip/os_seam.h"

int32_t UnixTimeFromFileTime(uint64_t fileTime) {
    int64_t seconds =
        (static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochFileTime)) / 10000000;
    return static_cast<int32_t>(static_cast<uint32_t>(seconds));
}

uint64_t FileTimeFromUnixTime(int32_t seconds) {
    return static_cast<uint64_t>((static_cast<int64_t>(seconds) + 11644473600LL) * 10000000LL);
}

uint32_t DosDateTimeFromFileTime(uint64_t fileTime) {
    zipos::CalendarTime t;
    if (!zipos::FileTimeToCalendar(fileTime, &t)) {
        return 0;
    }
    uint32_t date = (((t.year - 1980) & 0x7F) << 9) | ((t.month & 0x0F) << 5) | (t.day & 0x1F);
    uint32_t time = ((t.hour & 0x1F) << 11) | ((t.minute & 0x3F) << 5) | ((t.second / 2) & 0x1F);
    return (date << 16) | time;
}

bool FileTimeFromDosLocal(uint16_t date, uint16_t time, uint64_t* fileTime) {
    zipos::CalendarTime local{(date >> 9) + 1980,
                              (date >> 5) & 0x0F,
                              date & 0x1F,
                              time >> 11,
                              (time >> 5) & 0x3F,
                              (time & 0x1F) * 2,
                              0};
    uint64_t localFileTime;
    return zipos::CalendarToFileTime(local, &localFileTime) &&
           zipos::LocalFileTimeToUtc(localFileTime, fileTime);
}
