#pragma once
// Test helpers for the PNG codec: libpng as the oracle that writes and reads
// reference files, and a builder for hand-made (often malformed) files.

#include <cstdint>
#include <string>
#include <vector>

class TPNGObject;

// An image as PNG samples: one unfiltered PNG row (big-endian 16-bit
// samples, sub-byte samples packed from the most significant bits) per line.
struct TRawPng {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint8_t ColorType = 0;
    uint8_t BitDepth = 0;
    uint8_t Interlace = 0;
    std::vector<std::vector<uint8_t>> Rows;
    // PLTE entries as r, g, b triples, and tRNS bytes, when present.
    std::vector<uint8_t> Palette;
    std::vector<uint8_t> Transparency;
};

// Pseudo-random samples (fixed seed) for the layout, a palette of 2^depth
// entries for palette images.
TRawPng MakePattern(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth, uint8_t interlace,
                    uint32_t seed);
// Written and read by libpng; failures make the calling test fail.
std::string WriteWithLibpng(const TRawPng& image);
TRawPng ReadWithLibpng(const std::string& file);

// Hand-made files: the signature and chunks with correct CRCs unless asked otherwise.
class TPngBuilder {
public:
    TPngBuilder& Chunk(const std::string& name, const std::string& data);
    TPngBuilder& ChunkWithBadCrc(const std::string& name, const std::string& data);
    TPngBuilder& Raw(const std::string& bytes);
    TPngBuilder& Header(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType, uint8_t interlace = 0);
    // One IDAT with the zlib stream of the given unfiltered rows (filter bytes included).
    TPngBuilder& ImageData(const std::string& filteredRows);
    TPngBuilder& End() { return Chunk("IEND", ""); }
    std::string Bytes() const { return FBytes; }

private:
    std::string FBytes = std::string("\x89PNG\r\n\x1a\n", 8);
};

std::string BigEndian(uint32_t value);
std::string Deflate(const std::string& data, int level = 9);
std::string Inflate(const std::string& data);
// The chunks of a file as (name, data) pairs.
std::vector<std::pair<std::string, std::string>> SplitChunks(const std::string& file);

// Loads a file from memory into the object (exceptions pass through).
void LoadPng(TPNGObject& png, const std::string& file);
std::string SavePng(const TPNGObject& png);
