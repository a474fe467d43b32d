// GetArchiveEntry: describes one entry (converted name, Windows attributes, times, sizes) from its
// central record and its local extra field, or answers the count query.
#include <algorithm>
#include <cstring>
#include <vector>

#include "zip/byte_io.h"
#include "zip/entry_name.h"
#include "zip/handle_check.h"
#include "zip/reader_state.h"
#include "zip/utf.h"
#include "zip/zip_time.h"

namespace {

constexpr uint32_t kDosAttributeBits = zipos::kAttrReadOnly | zipos::kAttrHidden |
                                       zipos::kAttrSystem | zipos::kAttrDirectory |
                                       zipos::kAttrArchive;

// Hosts 0 (MS-DOS, FAT), 7, 11 (NTFS) and 14 (VFAT) keep DOS bits in the low byte of the
// external attributes; every other host keeps a Unix mode in the high 16 bits.
uint32_t AttributesFromRecord(const CentralRecord& r) {
    uint8_t host = static_cast<uint8_t>(r.versionMadeBy >> 8);
    if (host == 0 || host == 7 || host == 11 || host == 14) {
        return r.externalAttributes & kDosAttributeBits;
    }
    uint32_t attributes = zipos::kAttrArchive;
    if ((r.externalAttributes & 0x40000000) != 0) {
        attributes |= zipos::kAttrDirectory;
    }
    if ((r.externalAttributes & 0x00800000) == 0) {
        attributes |= zipos::kAttrReadOnly;
    }
    return attributes;
}

// Replaces the times present in an extended-timestamp ("UT") block of the local extra field.
void ApplyExtendedTimestamp(const std::vector<uint8_t>& extra, ArchiveEntry* entry) {
    size_t length = extra.size();
    if (length <= 4) {
        return;
    }
    size_t offset = 0;
    while (offset + 4 < length) {
        uint16_t tag = LoadU16(&extra[offset]);
        uint16_t size = LoadU16(&extra[offset + 2]);
        if (tag != 0x5455) {
            offset += 4 + size;
            continue;
        }
        uint8_t flags = extra[offset + 4];
        size_t field = offset + 5;
        uint64_t* targets[] = {&entry->lastWriteTime, &entry->lastAccessTime, &entry->creationTime};
        for (int bit = 0; bit < 3; ++bit) {
            if ((flags & (1 << bit)) == 0) {
                continue;
            }
            if (field + 4 <= length) {
                auto seconds = static_cast<int32_t>(LoadU32(&extra[field]));
                *targets[bit] = FileTimeFromUnixTime(seconds);
            }
            field += 4;
        }
        return;
    }
}

// The stored name in UTF-16: UTF-8 when flag bit 11 says so, or when the bytes are UTF-8 anyway
// (many tools store UTF-8 without the flag); otherwise code page 437, the format's default, as
// Windows' own zip folders and older tools wrote names. ASCII reads the same either way.
void DecodeStoredName(const ArchiveReaderState& state, ArchiveChar* out, size_t capacity) {
    bool cut = state.record.nameLength > state.nameBytes;
    if ((state.record.flags & 0x0800) != 0 || IsUtf8(state.name, state.nameBytes, cut)) {
        DecodeUtf8(state.name, state.nameBytes, out, capacity);
    } else {
        DecodeCp437(state.name, state.nameBytes, out, capacity);
    }
}

ArchiveResult DescribeEntry(ArchiveReaderState* state, int32_t index, ArchiveEntry* entry) {
    if (!MoveCursorTo(state, static_cast<uint32_t>(index))) {
        return ArchiveResult::DamagedArchive;
    }
    uint64_t extraStart;
    uint64_t dataStart;
    if (!CheckLocalHeader(state, &extraStart, &dataStart)) {
        return ArchiveResult::DamagedArchive;
    }
    // A name or extra field that runs past the end of the file cannot be read whole.
    if (dataStart > state->fileSize) {
        return ArchiveResult::ReadFailed;
    }
    std::vector<uint8_t> extra(dataStart - extraStart);
    // The extra field often came in with the local header; otherwise it is read on its own.
    uint64_t headerStart = extraStart - kLocalHeaderSize - state->record.nameLength;
    uint32_t got = 0;
    if (dataStart - headerStart <= state->localGot) {
        std::copy(state->localBytes + (extraStart - headerStart),
                  state->localBytes + (dataStart - headerStart), extra.begin());
    } else if (!zipos::ReadFileAt(state->file.Get(), extraStart, extra.data(),
                                  static_cast<uint32_t>(extra.size()), &got) ||
               got != extra.size()) {
        return ArchiveResult::ReadFailed;
    }
    const CentralRecord& r = state->record;
    ArchiveEntry out{};
    out.index = index;
    ArchiveChar decoded[kArchiveNameUnits];
    DecodeStoredName(*state, decoded, kArchiveNameUnits);
    const ArchiveChar* name = StripNamePrefix(decoded);
    size_t units = 0;
    while (name[units] != 0 && units < kArchiveNameUnits - 1) {
        out.name[units] = name[units];
        ++units;
    }
    out.name[units] = 0;
    out.attributes = AttributesFromRecord(r);
    out.compressedSize = static_cast<int32_t>(r.compressedSize);
    out.uncompressedSize = static_cast<int32_t>(r.uncompressedSize);
    // A DOS date that is no calendar date (month or day 0, and so on) gives time 0 in all three
    // fields, the file-time origin; an extended timestamp may still replace them below.
    uint32_t key = (uint32_t{r.dosDate} << 16) | r.dosTime;
    if (!state->dosConverted || state->dosKey != key) {
        state->dosValid = FileTimeFromDosLocal(r.dosDate, r.dosTime, &state->dosFileTime);
        state->dosKey = key;
        state->dosConverted = true;
    }
    uint64_t dosTime = state->dosValid ? state->dosFileTime : 0;
    out.lastAccessTime = out.creationTime = out.lastWriteTime = dosTime;
    ApplyExtendedTimestamp(extra, &out);
    *entry = out;
    state->cache = out;
    state->cacheIndex = index;
    return ArchiveResult::Ok;
}

ArchiveResult GetEntry(ArchiveHandle* handle, int32_t index, ArchiveEntry* entry) {
    ArchiveResult check = CheckHandle(handle, ArchiveKind::Reader);
    if (check != ArchiveResult::Ok) {
        return check;
    }
    auto* state = static_cast<ArchiveReaderState*>(handle->state);
    if (entry == nullptr || index < -1 || (index >= 0 && uint32_t(index) >= state->entryCount)) {
        return ArchiveResult::BadArgument;
    }
    CloseOpenEntry(state);
    if (index != -1 && index == state->cacheIndex) {
        *entry = state->cache;
        return ArchiveResult::Ok;
    }
    if (index == -1) {
        *entry = ArchiveEntry{};
        entry->index = static_cast<int32_t>(state->entryCount);
        return ArchiveResult::Ok;
    }
    return DescribeEntry(state, index, entry);
}

}  // namespace

ArchiveResult GetArchiveEntry(ArchiveHandle* handle, int32_t index, ArchiveEntry* entry) {
    if (entry != nullptr) {
        entry->index = 0;
        entry->name[0] = 0;
        entry->uncompressedSize = 0;
    }
    ReaderLastResult = GetEntry(handle, index, entry);
    return ReaderLastResult;
}
