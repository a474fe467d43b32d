// Byte layout of the records the writer produces: local header, central header, end record and
// the two forms of the extended-timestamp extra field.
#include "zip/byte_io.h"
#include "zip/writer_state.h"

namespace {

// Writes the name and an extra field behind a fixed part; false when either is short.
bool WriteNameAndExtra(ArchiveWriterState* state,
                       const EntryRecord& record,
                       const uint8_t* extra,
                       uint32_t extraLength) {
    bool nameWritten = WriteToImage(state, record.name, record.nameLength) == record.nameLength;
    bool extraWritten = WriteToImage(state, extra, extraLength) == extraLength;
    return nameWritten && extraWritten;
}

}  // namespace

bool WriteLocalHeader(ArchiveWriterState* state,
                      const EntryRecord& record,
                      const uint8_t* localExtra) {
    uint8_t fixed[kLocalFixedLength];
    uint8_t* p = StoreU32(fixed, 0x04034B50);
    p = StoreU16(p, record.versionNeeded);
    p = StoreU16(p, record.localFlags);
    p = StoreU16(p, record.method);
    p = StoreU32(p, record.dosDateTime);  // time, then date
    p = StoreU32(p, record.crc);
    p = StoreU32(p, record.compressedSize);
    p = StoreU32(p, record.uncompressedSize);
    p = StoreU16(p, record.nameLength);
    StoreU16(p, record.localExtraLength);
    // A fixed part that does not fit only latches BufferSize; name and extra field decide.
    (void)WriteToImage(state, fixed, kLocalFixedLength);
    return WriteNameAndExtra(state, record, localExtra, record.localExtraLength);
}

bool WriteCentralHeader(ArchiveWriterState* state, const EntryRecord& record) {
    uint8_t fixed[kCentralFixedLength];
    uint8_t* p = StoreU32(fixed, 0x02014B50);
    p = StoreU16(p, record.versionMadeBy);
    p = StoreU16(p, record.versionNeeded);
    p = StoreU16(p, record.flags);
    p = StoreU16(p, record.method);
    p = StoreU32(p, record.dosDateTime);
    p = StoreU32(p, record.crc);
    p = StoreU32(p, record.compressedSize);
    p = StoreU32(p, record.uncompressedSize);
    p = StoreU16(p, record.nameLength);
    p = StoreU16(p, record.centralExtraLength);
    p = StoreU16(p, record.commentLength);
    p = StoreU16(p, record.diskStart);
    p = StoreU16(p, record.internalAttributes);
    p = StoreU32(p, record.externalAttributes);
    StoreU32(p, record.localHeaderOffset);
    (void)WriteToImage(state, fixed, kCentralFixedLength);
    return WriteNameAndExtra(state, record, record.centralExtra, record.centralExtraLength);
}

void WriteEndRecord(ArchiveWriterState* state, uint32_t count, uint32_t size, uint32_t offset) {
    uint8_t record[kEndRecordLength];
    uint8_t* p = StoreU32(record, 0x06054B50);
    p = StoreU16(p, 0);
    p = StoreU16(p, 0);
    p = StoreU16(p, count & 0xFFFF);
    p = StoreU16(p, count & 0xFFFF);
    p = StoreU32(p, size);
    p = StoreU32(p, offset);
    StoreU16(p, 0);
    (void)WriteToImage(state, record, kEndRecordLength);
}

void BuildTimestampFields(const EntrySource& source, uint8_t* localExtra, uint8_t* centralExtra) {
    uint8_t* p = StoreU16(localExtra, 0x5455);
    p = StoreU16(p, 13);
    *p++ = 7;
    p = StoreU32(p, static_cast<uint32_t>(source.modificationTime));
    p = StoreU32(p, static_cast<uint32_t>(source.accessTime));
    StoreU32(p, static_cast<uint32_t>(source.creationTime));

    p = StoreU16(centralExtra, 0x5455);
    p = StoreU16(p, 5);
    *p++ = 7;  // still names all three times of the local form
    StoreU32(p, static_cast<uint32_t>(source.modificationTime));
}
