#include "imaging/formats/tiff/TiffPixels.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tiff/TiffBlockDecode.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "imaging/formats/tiff/TiffRowConvert.h"
#include "platform/core/Streams.h"

namespace {

int64_t PixelBytes(TQkPixelFormat format)
{
    switch (format) {
    case qk8p:
    case qk8g: return 1;
    case qk16g: return 2;
    case qkCMYK: return 4;
    case qkRGB48: return 6;
    default: return 3;
    }
}

// Where the strips or tiles lie: a grid of blocks per plane.
struct TBlockGrid {
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t Across = 0;
    int64_t Down = 0;
    int32_t Planes = 1;
    const std::vector<uint32_t>* Offsets = nullptr;
    const std::vector<uint32_t>* ByteCounts = nullptr;
};

TBlockGrid GridOf(const TTiffPage& page)
{
    TBlockGrid grid;
    const bool tiled = page.Tiled();
    const bool tileArrays = tiled && !page.TileOffsets.empty();
    grid.Width = tiled ? page.TileWidth : page.Width;
    grid.Height = tiled ? page.TileLength : page.RowsPerStrip;
    grid.Offsets = tileArrays ? &page.TileOffsets : &page.StripOffsets;
    grid.ByteCounts = tileArrays ? &page.TileByteCounts : &page.StripByteCounts;
    grid.Planes = page.Planar == 2 ? page.Samples : 1;
    if (grid.Width > 0 && grid.Height > 0) {
        grid.Across = (page.Width + grid.Width - 1) / grid.Width;
        grid.Down = (page.Length + grid.Height - 1) / grid.Height;
    }
    return grid;
}

class TPageDecoder {
public:
    TPageDecoder(const TTiffDirectory& directory, const TTiffPage& page, TTiffDecodeTarget& target)
        : directory_(directory), page_(page), target_(target), grid_(GridOf(page)),
          format_(target.Bitmap.GetPixelFormat()), converter_(page, format_, &target.Params, target.Alpha != nullptr),
          progress_(target.Progress, int32_t(std::min<int64_t>(page.Length, INT32_MAX)))
    {}

    void Run();

private:
    bool Aborting() const { return IsAborting(target_.Progress); }
    void Abort() const { SetAborting(target_.Progress); }
    bool ReadBlock(int64_t index, int64_t minimumBytes, std::vector<uint8_t>& bytes) const;
    void DecodeBlock(int64_t blockIndex, int64_t column, int64_t top);
    void DecodeJpegBlock(int64_t blockIndex, int64_t column, int64_t top);
    void PutRows(int64_t column, int64_t top);
    void PutRow(const uint8_t* chunky, int64_t column, int64_t y);
    const uint8_t* ChunkyRow(int64_t row);

    const TTiffDirectory& directory_;
    const TTiffPage& page_;
    TTiffDecodeTarget& target_;
    TBlockGrid grid_;
    TQkPixelFormat format_;
    TTiffRowConverter converter_;
    TQkRowProgress progress_;
    std::vector<std::vector<uint8_t>> planes_;
    std::vector<uint8_t> chunky_;
    std::vector<uint8_t> row_;
    std::vector<uint8_t> alphaRow_;
    int64_t rowsDone_ = 0;
};

// A missing or zero byte count runs to the end of the stream; every count
// is clipped to the bytes there are.
bool TPageDecoder::ReadBlock(int64_t index, int64_t minimumBytes, std::vector<uint8_t>& bytes) const
{
    if (index < 0 || index >= int64_t(grid_.Offsets->size()))
        return false;
    const uint64_t offset = (*grid_.Offsets)[size_t(index)];
    const int64_t available = directory_.BytesFrom(offset);
    int64_t count = index < int64_t(grid_.ByteCounts->size()) ? (*grid_.ByteCounts)[size_t(index)] : 0;
    if (page_.Compression == tcNone)
        count = std::max(count, minimumBytes);
    if (count == 0 || count > available)
        count = available;
    bytes.resize(size_t(count));
    return directory_.ReadAt(offset, bytes.data(), uint64_t(count));
}

void TPageDecoder::Run()
{
    if (grid_.Across <= 0 || grid_.Down <= 0 || (grid_.Planes > 1 && page_.Bits != 8 && page_.Bits != 16) ||
        (format_ == qk1g && page_.Tiled() && grid_.Width % 8 != 0)) {
        Abort();
        return;
    }
    const int64_t perPlane = grid_.Across * grid_.Down;
    if (target_.TileIndex >= 0) {
        if (grid_.Planes > 1)
            Abort();
        else
            DecodeBlock(target_.TileIndex, 0, 0);
        return;
    }
    for (int64_t block = 0; block < perPlane && !Aborting(); ++block) {
        const int64_t column = block % grid_.Across * grid_.Width;
        const int64_t top = block / grid_.Across * grid_.Height;
        DecodeBlock(block, column, top);
    }
}

void TPageDecoder::DecodeBlock(int64_t blockIndex, int64_t column, int64_t top)
{
    if (page_.Compression == tcJpeg) {
        DecodeJpegBlock(blockIndex, column, top);
        return;
    }
    const int64_t perPlane = grid_.Across * grid_.Down;
    // The last strip holds only the rows left; tiles are always whole.
    const int64_t rows = page_.Tiled() ? grid_.Height : std::min(grid_.Height, page_.Length - top);
    TTiffBlockShape shape{rows, grid_.Width, grid_.Planes > 1 ? 1 : page_.Samples};
    const int64_t rowLength = TiffRowLength(shape.PixelsPerRow, shape.Samples, page_.Bits);
    planes_.resize(size_t(grid_.Planes));
    std::vector<uint8_t> bytes;
    for (int32_t plane = 0; plane < grid_.Planes; ++plane) {
        if (!ReadBlock(blockIndex + plane * perPlane, rowLength * shape.Rows, bytes) ||
            !DecodeTiffBlock(page_, bytes, shape, target_.Lzw, planes_[size_t(plane)], *target_.Progress.Aborting)) {
            Abort();
            return;
        }
    }
    PutRows(column, top);
}

// Samples of separate planes are interleaved into one chunky row.
const uint8_t* TPageDecoder::ChunkyRow(int64_t row)
{
    const int64_t planeRow = TiffRowLength(grid_.Width, grid_.Planes > 1 ? 1 : page_.Samples, page_.Bits);
    if (grid_.Planes == 1)
        return planes_[0].data() + row * planeRow;
    const size_t sampleBytes = size_t(page_.Bits / 8);
    chunky_.resize(size_t(planeRow) * size_t(grid_.Planes));
    for (int64_t x = 0; x < grid_.Width; ++x)
        for (int32_t plane = 0; plane < grid_.Planes; ++plane)
            std::memcpy(chunky_.data() + (size_t(x) * size_t(grid_.Planes) + size_t(plane)) * sampleBytes,
                        planes_[size_t(plane)].data() + size_t(row * planeRow) + size_t(x) * sampleBytes, sampleBytes);
    return chunky_.data();
}

void TPageDecoder::PutRows(int64_t column, int64_t top)
{
    const int64_t rows = std::min(grid_.Height, page_.Length - top);
    for (int64_t row = 0; row < rows && !Aborting(); ++row)
        PutRow(ChunkyRow(row), column, top + row);
}

void TPageDecoder::PutRow(const uint8_t* chunky, int64_t column, int64_t y)
{
    const int64_t pixels = std::min(grid_.Width, page_.Width - column);
    row_.resize(size_t(format_ == qk1g ? (grid_.Width + 7) / 8 : grid_.Width * PixelBytes(format_)));
    alphaRow_.resize(size_t(grid_.Width));
    converter_.Convert(chunky, grid_.Width, row_.data(), target_.Alpha ? alphaRow_.data() : nullptr);
    uint8_t* destination = target_.Bitmap.GetScanline(int32_t(y));
    if (format_ == qk1g)
        std::memcpy(destination + column / 8, row_.data(), size_t((pixels + 7) / 8));
    else
        std::memcpy(destination + column * PixelBytes(format_), row_.data(), size_t(pixels * PixelBytes(format_)));
    if (target_.Alpha)
        std::memcpy(target_.Alpha->GetScanline(int32_t(y)) + column, alphaRow_.data(), size_t(pixels));
    progress_.Report(int32_t(std::min<int64_t>(++rowsDone_, INT32_MAX)));
}

// Each JPEG strip or tile is a stream of its own, abbreviated when the page
// shares its tables in JPEGTables.
void TPageDecoder::DecodeJpegBlock(int64_t blockIndex, int64_t column, int64_t top)
{
    std::vector<uint8_t> bytes;
    if (format_ != qk24RGB || !ReadBlock(blockIndex, 0, bytes)) {
        Abort();
        return;
    }
    TMemoryStream data;
    data.Write(bytes.data(), int64_t(bytes.size()));
    data.SetPosition(0);
    TMemoryStream tables;
    tables.Write(page_.JpegTables.data(), int64_t(page_.JpegTables.size()));
    tables.SetPosition(0);
    TIOParamsVals jpegParams(nullptr);
    TQkJpegReadOptions options;
    options.Tables = page_.JpegTables.empty() ? nullptr : &tables;
    options.RawYCbCr = !page_.JpegTables.empty() && page_.Photometric == tpRgb;
    options.Metadata = false;
    TQkFilterProgress progress;
    progress.Aborting = target_.Progress.Aborting;
    TQkBitmap decoded;
    const int64_t expected = std::min(grid_.Height, page_.Length - top);
    const int32_t rows = ReadJpegImage(data, decoded, jpegParams, progress, options);
    if (Aborting() || rows < expected || decoded.GetPixelFormat() != qk24RGB || decoded.GetWidth() < grid_.Width) {
        Abort();
        return;
    }
    const int64_t pixels = std::min(grid_.Width, page_.Width - column);
    for (int64_t row = 0; row < expected; ++row) {
        uint8_t* source = decoded.GetScanline(int32_t(row));
        if (options.RawYCbCr)
            for (int64_t x = 0; x < pixels; ++x)
                std::swap(source[x * 3], source[x * 3 + 2]);
        std::memcpy(target_.Bitmap.GetScanline(int32_t(top + row)) + column * 3, source, size_t(pixels * 3));
        progress_.Report(int32_t(std::min<int64_t>(++rowsDone_, INT32_MAX)));
    }
}

} // namespace

void DecodeTiffPixels(const TTiffDirectory& directory, const TTiffPage& page, TTiffDecodeTarget& target)
{
    TPageDecoder decoder(directory, page, target);
    decoder.Run();
}
