#pragma once
// Bounded reading and writing of the PNG file's building blocks: big-endian
// numbers and whole chunks. A stream that ends early raises EPngUnexpectedEnd.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TStream;

uint32_t BigEndian32(const uint8_t* bytes);
void PutBigEndian32(uint8_t* bytes, uint32_t value);

// Exactly `count` bytes, else EPngUnexpectedEnd.
void ReadExactly(TStream& stream, void* buffer, size_t count);
uint32_t ReadBigEndian32(TStream& stream);
// `length` bytes, read in blocks so that a bogus length cannot claim more
// memory than the stream actually holds.
std::vector<uint8_t> ReadChunkBytes(TStream& stream, uint32_t length);
// Length, name, data and CRC.
void WriteChunk(TStream& stream, const std::string& name, const uint8_t* data, size_t length);
