// The image-data chunk: the row reader's raw rows into the header's image
// store, and the store's rows out through the row writer.

#include "controls/png/PngChunks.h"
#include "controls/png/PngErrors.h"
#include "controls/png/PngFilters.h"
#include "controls/png/PngPixelLayout.h"
#include "controls/png/PngRowReader.h"
#include "controls/png/PngRowWriter.h"
#include "controls/png/pngimage.h"

#include <algorithm>
#include <vector>

namespace {

// Gray images show their samples through a ramp of gray palette entries, one
// per stored value (16 for the 2-bit samples the store widens to 4 bits).
void PrepareGrayPalette(TChunkIHDR& header, const uint8_t* gamma)
{
    TPngImageStore& store = header.ImageData;
    if (!store.HasPalette() || header.ColorType == COLOR_PALETTE)
        return;
    const uint32_t top = (1u << store.BitsPerPixel()) - 1;
    for (uint32_t n = 0; n <= top; ++n) {
        const uint8_t level = gamma[n * 255 / top];
        store.Palette[n] = TPngQuad{level, level, level, 0};
    }
}

TPngHeader RowLayoutOf(const TChunkIHDR& header, uint8_t interlaceMethod, uint8_t bitDepth)
{
    TPngHeader layout = header;
    layout.BitDepth = bitDepth;
    layout.InterlaceMethod = interlaceMethod;
    return layout;
}

// Stops quietly where the data ends: the rows not reached keep their zeros.
void DecodeRows(TPngImageDataReader& reader, TChunkIHDR& header, const uint8_t* gamma)
{
    TPngImageStore& store = header.ImageData;
    std::vector<uint8_t> row;
    for (const TPngPass& pass : reader.Passes()) {
        row.resize(pass.RowBytes);
        for (uint32_t n = 0; n < pass.Rows; ++n) {
            if (!reader.ReadRow(row.data()))
                return;
            const uint32_t y = pass.FirstRow + n * pass.RowStep;
            PngRowToStore(header.ColorType, header.BitDepth, row.data(), pass.Columns, gamma, store.Row(y),
                          store.AlphaRow(y));
        }
    }
}

void EncodeRows(TPngImageDataWriter& writer, const TChunkIHDR& header, uint8_t bitDepth, const uint8_t* inverseGamma)
{
    const TPngImageStore& store = header.ImageData;
    std::vector<uint8_t> row;
    for (const TPngPass& pass : writer.Passes()) {
        row.resize(pass.RowBytes);
        for (uint32_t n = 0; n < pass.Rows; ++n) {
            const uint32_t y = pass.FirstRow + n * pass.RowStep;
            std::fill(row.begin(), row.end(), 0);
            StoreToPngRow(header.ColorType, bitDepth, store.Row(y), store.AlphaRow(y), pass.Columns, inverseGamma,
                          row.data());
            writer.WriteRow(row.data());
        }
    }
}

} // namespace

std::unique_ptr<TChunk> TChunkIDAT::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkIDAT>(owner);
}

bool TChunkIDAT::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    SetName(name);
    TPNGObject& owner = *Owner();
    TChunkIHDR& header = *owner.Header();
    if (header.ImageData.Empty())
        throw EPNGHeaderNotPresent();
    if (header.ColorType == COLOR_PALETTE && !owner.Chunks().ItemOfClass<TChunkPLTE>())
        throw EPNGInvalidPalette();
    PrepareGrayPalette(header, owner.GammaTable);
    TPngImageDataReader reader(stream, length, RowLayoutOf(header, owner.InterlaceMethod(), header.BitDepth));
    DecodeRows(reader, header, owner.GammaTable);
    reader.Finish();
    return true;
}

bool TChunkIDAT::SaveChunk(TStream& stream)
{
    TPNGObject& owner = *Owner();
    const TChunkIHDR& header = *owner.Header();
    if (header.ImageData.Empty())
        throw EPNGHeaderNotPresent();
    const TPngHeader layout = RowLayoutOf(header, owner.InterlaceMethod(), SavedBitDepth(header.BitDepth));
    TPngImageDataWriter writer(stream, layout, owner.Filters(), owner.CompressionLevel(), owner.MaxIdatSize());
    EncodeRows(writer, header, layout.BitDepth, owner.InverseGammaTable);
    writer.Finish();
    return true;
}
