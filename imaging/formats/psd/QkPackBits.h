#pragma once
// The run-length scheme of Photoshop rows (PackBits).

#include <cstdint>
#include <span>
#include <vector>

// Decodes one row's bytes into `row`, never writing past it nor reading
// past `packed`; header -128 is a no-op. Bytes the data leaves undecoded
// keep their value. Returns the bytes written.
size_t UnpackBitsRow(std::span<const uint8_t> packed, std::span<uint8_t> row);

// Appends the row packed: runs of four or more equal bytes (up to 128)
// become runs, the rest literals of up to 128 bytes.
void PackBitsRow(std::span<const uint8_t> row, std::vector<uint8_t>& packed);
