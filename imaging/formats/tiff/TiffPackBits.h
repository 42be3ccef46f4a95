#pragma once
// PackBits (compression 32773) encoding of one row.

#include <cstdint>
#include <span>
#include <vector>

// Appends the row's code to `output`: runs of 4 or more equal bytes as
// repeats (at most 128 each), everything else as literal blocks of at most
// 128 bytes.
void PackBitsEncodeRow(std::span<const uint8_t> row, std::vector<uint8_t>& output);
