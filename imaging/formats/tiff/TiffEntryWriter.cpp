#include "imaging/formats/tiff/TiffEntryWriter.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkMath.h"
#include "imaging/core/QkStreamRoutines.h"
#include "platform/core/Streams.h"

namespace {

constexpr double RationalPrecision = 5e-9;

} // namespace

void PutWord(uint8_t* bytes, uint16_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
}

void PutLong(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(value >> (8 * i));
}

TTiffEntryWriter::TTiffEntryWriter(TStream& stream, int64_t base, std::atomic<bool>& aborting)
    : stream_(stream), base_(base), aborting_(aborting)
{}

uint32_t TTiffEntryWriter::Align()
{
    if ((stream_.Position() - base_) & 1) {
        const uint8_t zero = 0;
        SafeStreamWrite(stream_, aborting_, &zero, 1);
    }
    return uint32_t(stream_.Position() - base_);
}

void TTiffEntryWriter::AddCounted(uint16_t tag, uint16_t type, uint32_t count, std::span<const uint8_t> bytes)
{
    TEntry entry{tag, type, count, {}};
    if (bytes.size() <= 4) {
        std::copy(bytes.begin(), bytes.end(), entry.Field);
    } else {
        PutLong(entry.Field, Align());
        SafeStreamWrite(stream_, aborting_, bytes.data(), int64_t(bytes.size()));
    }
    entries_.push_back(entry);
}

void TTiffEntryWriter::AddRaw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
{
    TEntry entry{tag, type, count, {}};
    if (type == ttShort && count == 1)
        PutWord(entry.Field, uint16_t(value));
    else
        PutLong(entry.Field, value);
    entries_.push_back(entry);
}

void TTiffEntryWriter::AddShort(uint16_t tag, uint16_t value) { AddShorts(tag, std::span(&value, 1)); }

void TTiffEntryWriter::AddShorts(uint16_t tag, std::span<const uint16_t> values)
{
    std::vector<uint8_t> bytes(values.size() * 2);
    for (size_t i = 0; i < values.size(); ++i)
        PutWord(&bytes[i * 2], values[i]);
    AddCounted(tag, ttShort, uint32_t(values.size()), bytes);
}

void TTiffEntryWriter::AddLong(uint16_t tag, uint32_t value) { AddLongs(tag, std::span(&value, 1)); }

void TTiffEntryWriter::AddLongs(uint16_t tag, std::span<const uint32_t> values)
{
    std::vector<uint8_t> bytes(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i)
        PutLong(&bytes[i * 4], values[i]);
    AddCounted(tag, ttLong, uint32_t(values.size()), bytes);
}

void TTiffEntryWriter::AddRational(uint16_t tag, double value, bool isSigned)
{
    AddRationals(tag, std::span(&value, 1), isSigned);
}

void TTiffEntryWriter::AddRationals(uint16_t tag, std::span<const double> values, bool isSigned)
{
    std::vector<uint8_t> bytes(values.size() * 8);
    for (size_t i = 0; i < values.size(); ++i) {
        int32_t numerator = 0;
        int32_t denominator = 1;
        FloatToRational(numerator, denominator, RationalPrecision, values[i]);
        PutLong(&bytes[i * 8], uint32_t(numerator));
        PutLong(&bytes[i * 8 + 4], uint32_t(denominator));
    }
    AddCounted(tag, isSigned ? ttSRational : ttRational, uint32_t(values.size()), bytes);
}

void TTiffEntryWriter::AddAscii(uint16_t tag, const std::string& text)
{
    if (text.size() <= 4)
        AddCounted(tag, ttAscii, uint32_t(text.size()),
                   std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    else
        AddAsciiWithNul(tag, text);
}

void TTiffEntryWriter::AddAsciiWithNul(uint16_t tag, const std::string& text)
{
    const auto* begin = reinterpret_cast<const uint8_t*>(text.c_str());
    AddCounted(tag, ttAscii, uint32_t(text.size() + 1), std::span(begin, text.size() + 1));
}

void TTiffEntryWriter::AddBytes(uint16_t tag, uint16_t type, std::span<const uint8_t> bytes)
{
    AddCounted(tag, type, uint32_t(bytes.size()), bytes);
}

uint32_t TTiffEntryWriter::WriteDirectory(uint32_t nextOffset)
{
    std::stable_sort(entries_.begin(), entries_.end(), [](const TEntry& a, const TEntry& b) { return a.Tag < b.Tag; });
    const uint32_t offset = Align();
    std::vector<uint8_t> bytes(2 + entries_.size() * 12 + 4);
    PutWord(bytes.data(), uint16_t(entries_.size()));
    uint8_t* entry = bytes.data() + 2;
    for (const TEntry& e : entries_) {
        PutWord(entry, e.Tag);
        PutWord(entry + 2, e.Type);
        PutLong(entry + 4, e.Count);
        std::memcpy(entry + 8, e.Field, 4);
        entry += 12;
    }
    PutLong(entry, nextOffset);
    SafeStreamWrite(stream_, aborting_, bytes.data(), int64_t(bytes.size()));
    return offset;
}
