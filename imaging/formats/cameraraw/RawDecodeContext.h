#pragma once
// The state of one camera raw decode: what identification learnt about the
// camera, the pixel array the loader fills, and the bit reader, Huffman
// pool and scramble pad the loaders share. One context lives for one call
// of the reader and is never shared.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/QkSettings.h"
#include "platform/core/Exceptions.h"

class TStream;
struct TRawDecodeContext;

using TRawLoader = void (*)(TRawDecodeContext&);

// Stage buffers above this many entries are refused before allocation.
constexpr int64_t RawDecodeLimit = int64_t(1) << 28;
constexpr int32_t RawNodePoolSize = 2048;
constexpr int32_t RawHistogramSize = 0x2000;

// A Huffman node; branches are pool indices, 0 meaning none (node 0 is
// always a root, never a branch). A node without branch 0 is a leaf.
struct TRawNode {
    std::array<int32_t, 2> Branch{};
    int32_t Leaf = 0;
};

using TRawPixel = std::array<uint16_t, 4>;

struct TRawDecodeContext {
    std::vector<TRawPixel> image;
    TStream* stream = nullptr;
    int64_t fsize = 0;
    int16_t order = 0x4949;
    std::string make, model, model2;
    int32_t data_offset = 0;
    int32_t curve_offset = 0, curve_length = 0;
    int32_t tiff_compression = 0;
    int32_t photometric = 0;
    int32_t raw_height = 0, raw_width = 0;
    int32_t top_margin = 0, left_margin = 0;
    int32_t height = 0, width = 0;
    int32_t colors = 3;
    int32_t black = 0;
    int32_t rgb_max = 0x4000;
    int32_t iheight = 0, iwidth = 0, shrink = 0;
    int32_t is_canon = 0, is_cmy = 0, is_foveon = 0, use_coeff = 0;
    int32_t trim = 0;
    int32_t xmag = 1, ymag = 1;
    int32_t zero_after_ff = 0;
    uint32_t filters = 0;
    std::array<std::array<int16_t, 8>, 8> white{};
    TRawLoader load_raw = nullptr;
    // The loader exists for the camera but is not part of this build.
    bool load_raw_unsupported = false;
    float gamma = 0.6f, bright = 1.0f, red_scale = 1.0f, blue_scale = 1.0f;
    int32_t four_color_rgb = 0, document_mode = 0, quick_interpolate = 0, use_auto_wb = 0, use_camera_wb = 0,
            use_secondary = 0;
    float camera_red = 0, camera_blue = 0;
    std::array<float, 4> pre_mul{1, 1, 1, 1};
    std::array<std::array<float, 4>, 3> coeff{};
    std::array<int32_t, RawHistogramSize> histogram{};
    std::array<uint32_t, 128> pad{};
    uint32_t pad_cursor = 0;
    uint32_t bit_buffer = 0;
    int32_t bit_count = 0;
    int32_t leaf_counter = 0;
    std::array<TRawNode, RawNodePoolSize> node_pool{};
    int32_t second_tree = 0;
    int32_t next_free = 0;
    bool fuji_rotated = false;
    // A loader met data it cannot decode soundly; the reader aborts.
    bool data_error = false;
    TQkFilterProgress progress;
};

// Reads that run past the end give zero bytes.
uint8_t Get1(TRawDecodeContext& context);
uint16_t Get2(TRawDecodeContext& context);
uint32_t Get4(TRawDecodeContext& context);
// Reads up to `count` bytes and zero-fills whatever the stream lacks.
void ReadRawBytes(TRawDecodeContext& context, void* buffer, int64_t count);
uint16_t Sget2(const TRawDecodeContext& context, const uint8_t* bytes);
uint32_t Sget4(const TRawDecodeContext& context, const uint8_t* bytes);
void SeekTo(TRawDecodeContext& context, int64_t position);
void SkipBytes(TRawDecodeContext& context, int64_t count);
int64_t Tell(TRawDecodeContext& context);

inline int32_t FilterColor(const TRawDecodeContext& context, int32_t row, int32_t col)
{
    return int32_t((context.filters >> ((((row << 1) & 14) | (col & 1)) << 1)) & 3);
}
// The sensor value at a visible (row, col); positions outside the pixel
// array are dropped.
void SetBayerSample(TRawDecodeContext& context, int32_t row, int32_t col, uint16_t value);
// The pixel at a visible (row, col), nil outside the array.
TRawPixel* RawPixelAt(TRawDecodeContext& context, int32_t row, int32_t col);

// n = 0: 0 without reading; n = -1: reset; otherwise the next n <= 25 bits.
uint32_t GetBits(TRawDecodeContext& context, int32_t n);

void ResetHuffmanPool(TRawDecodeContext& context);
// Counts-and-symbols table; returns the symbols used so far.
int32_t BuildHuffmanTree(TRawDecodeContext& context, const uint8_t* source, int32_t sourceLength, int32_t level);
// A tree of 16 counts and symbols rooted at the next free node; the root.
int32_t BuildHuffmanRoot(TRawDecodeContext& context, const uint8_t* source, int32_t sourceLength);
// Pairs of (length, value) in tree order; returns the pairs consumed.
size_t BuildTreeFromPairs(TRawDecodeContext& context, const std::vector<std::array<int32_t, 2>>& pairs, size_t cursor,
                          int32_t level);
void BuildTreeFromCodes(TRawDecodeContext& context, const std::vector<uint32_t>& codes, uint32_t code);
int32_t DecodeToken(TRawDecodeContext& context, int32_t root);
// A Huffman length and the difference that follows it, sign-extended.
int32_t DecodeDifference(TRawDecodeContext& context, int32_t root);
int32_t SignExtendBits(uint32_t bits, int32_t length);

void SonyDecrypt(TRawDecodeContext& context, uint32_t* data, int32_t count, bool start, uint32_t key);

void SetRowProgressCount(TRawDecodeContext& context, int32_t rows);
void ReportRowProgress(TRawDecodeContext& context, int32_t row);
void ReportPercent(TRawDecodeContext& context, int32_t percent);
// Raises EOutOfMemory ": Out of memory in <where>" for a block over the
// decode limit or one the system refuses.
void CheckAllocSize(int64_t count, const char* where);

bool SameText(const std::string& a, const char* b);
bool StartsWith(const std::string& text, const char* prefix);
bool Contains(const std::string& text, const char* part);
// First position of the pattern wholly inside the buffer, -1 for none.
int64_t FindBytes(const uint8_t* buffer, int64_t length, const char* pattern, int64_t patternLength);
