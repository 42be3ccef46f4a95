#pragma once
// What the scanned-page fuzz target does with one input, shared with the
// unit tests that replay inputs which once failed: frames, each an 11-byte
// announcement (format, last-frame flag, depth, then little-endian 16-bit
// bytes per line, pixels per line, signed lines and the length of the data
// that follows) and its data, given in pieces of 7 bytes, until the page is
// complete or the input ends. Refusals are fine; crashes, hangs and reads
// outside the bytes are not.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "imaging/formats/scan/QkScanPage.h"

inline void AssembleScanPage(const uint8_t* data, size_t size)
{
    const auto word = [](const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); };
    TQkScanPage page;
    while (size >= 11 && !page.Complete()) {
        TQkScanFrameParams params;
        params.Format = data[0];
        params.LastFrame = (data[1] & 1) != 0;
        params.Depth = data[2];
        params.BytesPerLine = word(data + 3);
        params.PixelsPerLine = word(data + 5);
        params.Lines = int16_t(word(data + 7));
        const size_t length = std::min<size_t>(word(data + 9), size - 11);
        data += 11;
        size -= 11;
        if (!page.BeginFrame(params))
            return;
        for (size_t at = 0; at < length; at += 7)
            if (!page.Append(data + at, std::min<size_t>(7, length - at)))
                return;
        data += length;
        size -= length;
        if (!page.EndFrame())
            return;
    }
    page.TakeBitmap();
}
