#include "imaging/formats/ico/QkIcoFormat.h"

#include "imaging/formats/bmp/QkBmpBytes.h"

namespace {

int32_t SideOfByte(uint8_t value) { return value == 0 ? 256 : value; }

} // namespace

int32_t ReadIcoHeader(TStream& stream, uint16_t type)
{
    uint8_t bytes[IcoHeaderSize];
    ReadZeroFilled(stream, bytes, IcoHeaderSize);
    if (GetLe16(bytes) != 0 || GetLe16(bytes + 2) != type)
        return -1;
    return GetLe16(bytes + 4);
}

TQkIcoEntry ReadIcoEntry(TStream& stream)
{
    uint8_t bytes[IcoEntrySize];
    ReadZeroFilled(stream, bytes, IcoEntrySize);
    TQkIcoEntry entry;
    entry.Width = SideOfByte(bytes[0]);
    entry.Height = SideOfByte(bytes[1]);
    entry.ColourCount = bytes[2];
    entry.Reserved = bytes[3];
    entry.Field1 = GetLe16(bytes + 4);
    entry.Field2 = GetLe16(bytes + 6);
    entry.ByteCount = GetLe32(bytes + 8);
    entry.Offset = GetLe32(bytes + 12);
    return entry;
}

void PutIcoEntry(std::vector<uint8_t>& out, const TQkIcoEntry& entry)
{
    out.push_back(uint8_t(entry.Width));
    out.push_back(uint8_t(entry.Height));
    out.push_back(uint8_t(entry.ColourCount));
    out.push_back(entry.Reserved);
    PutLe16(out, entry.Field1);
    PutLe16(out, entry.Field2);
    PutLe32(out, entry.ByteCount);
    PutLe32(out, entry.Offset);
}
