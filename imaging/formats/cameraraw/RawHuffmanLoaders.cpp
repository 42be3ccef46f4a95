// Loaders of Huffman-coded data: lossless JPEG, Nikon's compressed
// differences and Foveon's three-layer code.
#include <algorithm>
#include <climits>

#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/cameraraw/RawLoaderSupport.h"
#include "imaging/formats/cameraraw/RawLoaders.h"

namespace {

constexpr int32_t MaxNikonCurve = 0x4000;

struct TLosslessHeader {
    int32_t rows = 0;
    int32_t columns = 0;
    std::array<int32_t, 2> roots{};
};

// The segments up to the start of scan; false for data that is not a
// lossless JPEG the loader can place.
bool ReadLosslessHeader(TRawDecodeContext& context, TLosslessHeader& header)
{
    if (Get2(context) != 0xFFD8)
        return false;
    uint32_t mark = 0;
    do {
        mark = Get2(context);
        const int32_t length = int32_t(Get2(context)) - 2;
        if (mark <= 0xFF00 || length < 0 || length >= 256)
            return false;
        uint8_t data[256];
        ReadRawBytes(context, data, length);
        if (mark == 0xFFC3) {
            header.rows = data[1] << 8 | data[2];
            header.columns = (data[3] << 8 | data[4]) * 2;
        } else if (mark == 0xFFC4) {
            ResetHuffmanPool(context);
            header.roots = {0, 0};
            int32_t at = 0;
            while (at < length && data[at] < 2) {
                const uint8_t table = data[at];
                header.roots[table] = context.next_free;
                at += 1 + BuildHuffmanTree(context, data + at + 1, length - at - 1, 0);
            }
        }
    } while (mark != 0xFFDA);
    return int64_t(header.rows) * header.columns <= int64_t(context.raw_width) * context.raw_height;
}

// Where JPEG sample i lands in the frame; the widest sensor stores three
// vertical slices one after another.
void LosslessPosition(const TRawDecodeContext& context, int64_t i, int32_t rows, int32_t& row, int32_t& col)
{
    if (context.raw_width == 5108 && rows > 0) {
        const int64_t slice = i / (int64_t(rows) * 1680);
        if (slice < 2) {
            row = int32_t((i / 1680) % rows);
            col = int32_t(i % 1680 + slice * 1680);
        } else {
            const int64_t rest = i - int64_t(rows) * 3360;
            row = int32_t(rest / 1748);
            col = int32_t(rest % 1748 + 3360);
        }
        return;
    }
    row = int32_t(i / context.raw_width);
    col = int32_t(i % context.raw_width);
}

int32_t Clamp(int64_t value, int32_t high) { return int32_t(std::clamp<int64_t>(value, 0, high)); }

} // namespace

void ljpeg_load_raw(TRawDecodeContext& context)
{
    const std::vector<uint16_t> curve = ReadKodakCurve(context);
    context.order = 0x4D4D;
    TLosslessHeader header;
    if (context.raw_width <= 0 || !ReadLosslessHeader(context, header))
        return;
    context.zero_after_ff = 1;
    GetBits(context, -1);
    int64_t vertical[2] = {2048, 2048};
    int64_t horizontal[2] = {0, 0};
    int32_t minimum = INT_MAX;
    uint64_t blackSum = 0;
    SetRowProgressCount(context, header.rows);
    for (int32_t jrow = 0; jrow < header.rows; ++jrow) {
        ReportRowProgress(context, jrow);
        for (int32_t jcol = 0; jcol < header.columns; ++jcol) {
            const int32_t diff = DecodeDifference(context, header.roots[size_t(jcol & 1)]);
            if (jcol < 2)
                horizontal[jcol] = vertical[jcol] += diff;
            else
                horizontal[jcol & 1] += diff;
            int32_t frameRow = 0;
            int32_t frameCol = 0;
            LosslessPosition(context, int64_t(jrow) * header.columns + jcol, header.rows, frameRow, frameCol);
            const int32_t row = frameRow - context.top_margin;
            const int32_t col = frameCol - context.left_margin;
            if (row < 0 || row >= context.height)
                continue;
            const uint16_t value = curve[size_t(Clamp(horizontal[jcol & 1], 4095))];
            if (col >= 0 && col < context.width) {
                SetBayerSample(context, row, col, uint16_t(value << 2));
                minimum = std::min<int32_t>(minimum, value);
            } else {
                blackSum += value;
            }
        }
    }
    TMaskedBlack{blackSum}.Finish(context, 4);
    if (SameText(context.make, "KODAK") && minimum != INT_MAX)
        context.black = minimum * 4;
}

void nikon_compressed_load_raw(TRawDecodeContext& context)
{
    static constexpr uint8_t table[] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 2, 0, 0,  0,  0, 0,
                                        0, 5, 4, 3, 6, 2, 7, 1, 0, 8, 9, 11, 10, 12};
    ResetHuffmanPool(context);
    const int32_t root = BuildHuffmanRoot(context, table, int32_t(sizeof table));
    SeekTo(context, context.curve_offset);
    int64_t vertical[4];
    for (int64_t& v : vertical)
        v = int16_t(Get2(context));
    const int32_t size = Get2(context);
    if (size < 1 || size > MaxNikonCurve) {
        context.data_error = true;
        return;
    }
    std::vector<uint16_t> curve(static_cast<size_t>(size));
    for (uint16_t& entry : curve)
        entry = Get2(context);
    SeekTo(context, context.data_offset);
    GetBits(context, -1);
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        int64_t horizontal[2] = {0, 0};
        for (int32_t col = 0; col < context.raw_width; ++col) {
            const int32_t diff = DecodeDifference(context, root);
            if (col < 2) {
                int64_t& v = vertical[2 * (row & 1) + (col & 1)];
                v += diff;
                horizontal[col] = v;
            } else {
                horizontal[col & 1] += diff;
            }
            const int32_t visible = col - context.left_margin;
            if (visible >= 0 && visible < context.width)
                SetBayerSample(context, row, visible,
                               uint16_t(curve[size_t(Clamp(horizontal[col & 1], size - 1))] << 2));
        }
    }
}

void foveon_load_raw(TRawDecodeContext& context)
{
    SeekTo(context, 260);
    std::vector<int16_t> differences(1024);
    for (int16_t& d : differences)
        d = int16_t(Get2(context));
    std::vector<uint32_t> codes(1024);
    for (uint32_t& code : codes)
        code = Get4(context);
    ResetHuffmanPool(context);
    BuildTreeFromCodes(context, codes, 0);
    uint32_t buffer = 0;
    int32_t bit = -1;
    SetRowProgressCount(context, context.raw_height);
    for (int32_t row = 0; row < context.raw_height; ++row) {
        ReportRowProgress(context, row);
        int64_t predictor[3] = {0, 0, 0};
        if (bit == 0)
            Get4(context);
        bit = 0;
        for (int32_t col = 0; col < context.raw_width; ++col) {
            for (int64_t& p : predictor) {
                const TRawNode* node = &context.node_pool[0];
                while (node->Branch[0]) {
                    if (bit == 0) {
                        uint8_t b[4];
                        ReadRawBytes(context, b, 4);
                        buffer = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
                    }
                    bit = (bit - 1) & 31;
                    node = &context.node_pool[size_t(node->Branch[(buffer >> bit) & 1])];
                }
                p += differences[size_t(node->Leaf & 1023)];
            }
            TRawPixel* pixel = RawPixelAt(context, row - context.top_margin, col - context.left_margin);
            const bool visible = row - context.top_margin < context.height && col - context.left_margin < context.width;
            if (pixel && visible)
                for (size_t c = 0; c < 3; ++c)
                    if (predictor[c] > 0)
                        (*pixel)[c] = uint16_t(std::min<int64_t>(predictor[c], 0xFFFF));
        }
    }
}

void unsupported_load_raw(TRawDecodeContext& context)
{
    throw EQkFormatNotSupported("Camera RAW: " + context.make + " " + context.model +
                                " compressed data is not supported in this build");
}
