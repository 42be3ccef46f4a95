#pragma once
// The reader's working state: the attributes the element walk gathered,
// which the frame decoder turns into pixels.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/QkStreams.h"
#include "imaging/formats/QkFormatRows.h"

// A lookup table of palette colour: the descriptor (entries, first mapped
// value, bits per entry) and the entries widened to 16 bits.
struct TDicomLut {
    int32_t FirstMapped = 0;
    int32_t EntryBits = 16;
    int32_t DescribedEntries = 0;
    std::vector<uint16_t> Entries;

    // The entry of a sample value, clamped into the table; 0 when empty.
    uint16_t Map(int32_t value) const;
};

struct TDicomContext {
    TDicomContext(TQkReadRequest& request, TStream& stream) : Request(request), Stream(stream) {}

    TQkReadRequest& Request;
    TStream& Stream;
    int64_t Size = 0;
    bool LittleEndian = true;
    std::string TransferSyntax;
    int32_t SamplesPerPixel = 1;
    std::string Photometric;
    int32_t PlanarConfiguration = 0;
    int32_t Frames = 1;
    int32_t PixelRepresentation = 0;
    int32_t Columns = 0;
    int32_t Rows = 0;
    int32_t BitsAllocated = 0;
    int32_t BitsStored = 0;
    TDicomLut Red, Green, Blue;
    double WindowCenter = -1;
    double WindowWidth = -1;
    double RescaleIntercept = 0;
    double RescaleSlope = 1;
    // Where the pixel data value starts and its length (-1: undefined).
    int64_t PixelPosition = -1;
    int64_t PixelLength = -1;
    // Big-endian words (OW) holding byte samples: each pair comes swapped.
    bool PixelBytesSwapped = false;

    bool Signed() const { return PixelRepresentation == 1; }
    bool IsPalette() const { return Photometric == "PALETTE COLOR"; }
    bool IsMonochrome1() const { return Photometric == "MONOCHROME1"; }
};

// Turns the frame chosen by the parameters' image index into the bitmap;
// sets Aborting when it cannot.
void DecodeDicomFrame(TDicomContext& context);
