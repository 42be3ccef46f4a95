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
    bool DecodePlane(int64_t index, const TTiffBlockShape& shape, const TTiffRowPlace& place);
    bool BlockExists(int64_t index) const { return index >= 0 && index < int64_t(grid_.Offsets->size()); }
    bool ReadBlock(int64_t index);
    void DecodeBlock(int64_t blockIndex, int64_t column, int64_t top);
    bool DecodeIntoBitmap(int64_t blockIndex, int64_t top, const TTiffBlockShape& shape);
    void DecodeJpegBlock(int64_t blockIndex, int64_t column, int64_t top);
    void PutRows(int64_t column, int64_t top);
    const uint8_t* ChunkyRow(int64_t row);
    void RowDone();

    const TTiffDirectory& directory_;
    const TTiffPage& page_;
    TTiffDecodeTarget& target_;
    TBlockGrid grid_;
    TQkPixelFormat format_;
    TTiffRowConverter converter_;
    TQkRowProgress progress_;
    // The compressed bytes of the block being decoded.
    std::vector<uint8_t> data_;
    // Decoded blocks that cannot go straight into the bitmap, one per plane.
    std::vector<std::vector<uint8_t>> planes_;
    std::vector<uint8_t> chunky_;
    int64_t rowsDone_ = 0;
};

// A missing or zero byte count runs to the end of the stream; every count
// is clipped to the bytes there are.
bool TPageDecoder::ReadBlock(int64_t index)
{
    if (!BlockExists(index))
        return false;
    const uint64_t offset = (*grid_.Offsets)[size_t(index)];
    const int64_t available = directory_.BytesFrom(offset);
    int64_t count = index < int64_t(grid_.ByteCounts->size()) ? (*grid_.ByteCounts)[size_t(index)] : 0;
    if (count == 0 || count > available)
        count = available;
    data_.resize(size_t(count));
    return directory_.ReadAt(offset, data_.data(), uint64_t(count));
}

// Uncompressed blocks are read from the file into their rows; the others are
// read whole, then decoded.
bool TPageDecoder::DecodePlane(int64_t index, const TTiffBlockShape& shape, const TTiffRowPlace& place)
{
    if (page_.Compression != tcNone)
        return ReadBlock(index) && DecodeTiffBlock(page_, data_, shape, target_.Lzw, place, *target_.Progress.Aborting);
    return BlockExists(index) && ReadTiffRawBlock(directory_, (*grid_.Offsets)[size_t(index)], page_, shape, place);
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
    // The last strip holds only the rows left; tiles are always whole.
    const int64_t rows = page_.Tiled() ? grid_.Height : std::min(grid_.Height, page_.Length - top);
    const TTiffBlockShape shape{rows, grid_.Width, grid_.Planes > 1 ? 1 : page_.Samples};
    if (!page_.Tiled() && grid_.Planes == 1 && converter_.InPlace()) {
        if (!DecodeIntoBitmap(blockIndex, top, shape))
            Abort();
        return;
    }
    const int64_t perPlane = grid_.Across * grid_.Down;
    const int64_t rowLength = TiffRowLength(shape.PixelsPerRow, shape.Samples, page_.Bits);
    planes_.resize(size_t(grid_.Planes));
    for (int32_t plane = 0; plane < grid_.Planes; ++plane) {
        std::vector<uint8_t>& rowsOfPlane = planes_[size_t(plane)];
        rowsOfPlane.resize(size_t(rowLength * shape.Rows));
        const TTiffRowPlace place = [&rowsOfPlane, rowLength](int64_t row) {
            return rowsOfPlane.data() + row * rowLength;
        };
        if (!DecodePlane(blockIndex + plane * perPlane, shape, place)) {
            Abort();
            return;
        }
    }
    PutRows(column, top);
}

// A strip whose rows are laid out as the bitmap's is decoded into the
// bitmap's rows, then converted where it lies.
bool TPageDecoder::DecodeIntoBitmap(int64_t blockIndex, int64_t top, const TTiffBlockShape& shape)
{
    TQkBitmap& bitmap = target_.Bitmap;
    const TTiffRowPlace place = [&bitmap, top](int64_t row) { return bitmap.GetScanline(int32_t(top + row)); };
    if (!DecodePlane(blockIndex, shape, place))
        return false;
    for (int64_t row = 0; row < shape.Rows && !Aborting(); ++row) {
        uint8_t* bytes = place(row);
        converter_.Convert(bytes, page_.Width, bytes, nullptr);
        RowDone();
    }
    return true;
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

// Only the pixels inside the page are converted: a tile may reach past its
// right edge.
void TPageDecoder::PutRows(int64_t column, int64_t top)
{
    const int64_t rows = std::min(grid_.Height, page_.Length - top);
    const int64_t pixels = std::min(grid_.Width, page_.Width - column);
    const int64_t offset = format_ == qk1g ? column / 8 : column * QkBytesPerPixel(format_);
    for (int64_t row = 0; row < rows && !Aborting(); ++row) {
        const int32_t y = int32_t(top + row);
        uint8_t* alpha = target_.Alpha ? target_.Alpha->GetScanline(y) + column : nullptr;
        converter_.Convert(ChunkyRow(row), pixels, target_.Bitmap.GetScanline(y) + offset, alpha);
        RowDone();
    }
}

void TPageDecoder::RowDone() { progress_.Report(int32_t(std::min<int64_t>(++rowsDone_, INT32_MAX))); }

// Each JPEG strip or tile is a stream of its own, abbreviated when the page
// shares its tables in JPEGTables.
void TPageDecoder::DecodeJpegBlock(int64_t blockIndex, int64_t column, int64_t top)
{
    if (format_ != qk24RGB || !ReadBlock(blockIndex)) {
        Abort();
        return;
    }
    TMemoryStream data;
    data.Write(data_.data(), int64_t(data_.size()));
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
        RowDone();
    }
}

} // namespace

void DecodeTiffPixels(const TTiffDirectory& directory, const TTiffPage& page, TTiffDecodeTarget& target)
{
    TPageDecoder decoder(directory, page, target);
    decoder.Run();
}
