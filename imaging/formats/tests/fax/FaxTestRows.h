#pragma once
// Row helpers of the fax codec tests: bit strings, polarity, strips.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/tests/CodecTestFiles.h"

using TFaxBytes = std::vector<uint8_t>;

// "0111 0000" -> bytes, most significant bit first, zero-padded; spaces ignored.
inline TFaxBytes BitString(const std::string& bits)
{
    TFaxBytes bytes;
    int32_t count = 0;
    for (char bit : bits) {
        if (bit == ' ')
            continue;
        if (count % 8 == 0)
            bytes.push_back(0);
        if (bit == '1')
            bytes.back() = static_cast<uint8_t>(bytes.back() | 0x80 >> (count % 8));
        ++count;
    }
    return bytes;
}

inline size_t FaxRowBytes(int32_t width) { return (static_cast<size_t>(width) + 7) / 8; }

// Encoder rows (1 black) as decoder rows (1 white), bits past the width set.
inline TFaxBytes AsDecoded(const TFaxBytes& row, int32_t width)
{
    TFaxBytes decoded(row.size());
    for (size_t i = 0; i < row.size(); ++i)
        decoded[i] = static_cast<uint8_t>(~row[i]);
    if (width % 8 != 0)
        decoded.back() = static_cast<uint8_t>(decoded.back() | (0xFF >> (width % 8)));
    return decoded;
}

enum class TFaxScheme { MH, OneD, G3, G4 };

// Encodes rows (1 black) into one strip.
inline TFaxBytes EncodeFaxStrip(TFaxScheme scheme, const std::vector<TFaxBytes>& rows, int32_t width,
                                int32_t fillOrder = 1)
{
    TMemoryStream stream;
    std::atomic<bool> aborting{false};
    TFaxEncoderState state;
    for (const TFaxBytes& row : rows) {
        switch (scheme) {
        case TFaxScheme::MH: FaxEncodeRowMH(row.data(), width, stream, fillOrder, aborting); break;
        case TFaxScheme::OneD: FaxEncodeRow1D(row.data(), width, stream, fillOrder, aborting, state); break;
        case TFaxScheme::G3: FaxEncodeRowG3(row.data(), width, stream, fillOrder, aborting, state); break;
        case TFaxScheme::G4: FaxEncodeRowG4(row.data(), width, stream, fillOrder, aborting, state); break;
        }
    }
    if (scheme == TFaxScheme::OneD)
        FaxEncodeRow1D(nullptr, width, stream, fillOrder, aborting, state);
    if (scheme == TFaxScheme::G3)
        FaxEncodeRowG3(nullptr, width, stream, fillOrder, aborting, state);
    if (scheme == TFaxScheme::G4)
        FaxEncodeRowG4(nullptr, width, stream, fillOrder, aborting, state);
    return StreamBytes(stream);
}

// Decodes `count` rows (1 white) from one strip.
inline std::vector<TFaxBytes> DecodeFaxStrip(TFaxScheme scheme, const TFaxBytes& strip, int32_t width, int32_t count,
                                             int32_t fillOrder = 1)
{
    std::vector<TFaxBytes> rows;
    TFaxBytes reference(FaxRowBytes(width), 0xFF);
    int64_t position = 0;
    for (int32_t i = 0; i < count; ++i) {
        TFaxBytes row(FaxRowBytes(width));
        switch (scheme) {
        case TFaxScheme::MH:
            position += 8 *
                FaxDecodeRowMH(row, std::span(strip).subspan(std::min<size_t>(position / 8, strip.size())), fillOrder,
                               width);
            break;
        case TFaxScheme::OneD: position = FaxDecodeRow1D(row, strip, fillOrder, position, width); break;
        case TFaxScheme::G3:
        case TFaxScheme::G4: position = FaxDecodeRow2D(row, strip, false, fillOrder, position, reference, width); break;
        }
        rows.push_back(row);
    }
    return rows;
}
