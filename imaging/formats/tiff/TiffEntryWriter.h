#pragma once
// Builds one TIFF directory while its out-of-line values go to the stream:
// values are placed at even offsets, entries are kept and written sorted by
// tag as a little-endian IFD at the end.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/core/QkTIFFHandler.h"

class TStream;

class TTiffEntryWriter {
public:
    // Offsets are written relative to `base`, the header's position.
    TTiffEntryWriter(TStream& stream, int64_t base, std::atomic<bool>& aborting);

    void AddShort(uint16_t tag, uint16_t value);
    void AddShorts(uint16_t tag, std::span<const uint16_t> values);
    void AddLong(uint16_t tag, uint32_t value);
    void AddLongs(uint16_t tag, std::span<const uint32_t> values);
    // RATIONAL, or SRATIONAL when `isSigned`.
    void AddRational(uint16_t tag, double value, bool isSigned = false);
    void AddRationals(uint16_t tag, std::span<const double> values, bool isSigned = false);
    // ASCII: out of line with a NUL counted; up to 4 characters in the value
    // field without one.
    void AddAscii(uint16_t tag, const std::string& text);
    // ASCII with its NUL counted wherever it stands.
    void AddAsciiWithNul(uint16_t tag, const std::string& text);
    void AddBytes(uint16_t tag, uint16_t type, std::span<const uint8_t> bytes);
    // Bytes of `count` values of `type`, in or out of the value field.
    void AddCounted(uint16_t tag, uint16_t type, uint32_t count, std::span<const uint8_t> bytes);
    // An entry whose value or offset the caller already wrote.
    void AddRaw(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);

    // Pads the stream to an even position and returns it (from the base).
    uint32_t Align();
    // Writes the sorted directory at an even position; returns its offset.
    uint32_t WriteDirectory(uint32_t nextOffset);

    TStream& Stream() { return stream_; }
    int64_t Base() const { return base_; }
    std::atomic<bool>& Aborting() { return aborting_; }

private:
    struct TEntry {
        uint16_t Tag;
        uint16_t Type;
        uint32_t Count;
        uint8_t Field[4];
    };
    TStream& stream_;
    int64_t base_;
    std::atomic<bool>& aborting_;
    std::vector<TEntry> entries_;
};

// Little-endian stores of the writer.
void PutWord(uint8_t* bytes, uint16_t value);
void PutLong(uint8_t* bytes, uint32_t value);
