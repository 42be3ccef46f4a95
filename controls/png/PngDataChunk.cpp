// The image-data chunk: inflating the IDAT sequence row by row into the
// header's image store, and deflating the store back into IDAT chunks.

#include "controls/png/PngChunks.h"
#include "controls/png/PngErrors.h"
#include "controls/png/PngFilters.h"
#include "controls/png/PngPixelLayout.h"
#include "controls/png/PngStreamIO.h"
#include "controls/png/PngZlib.h"
#include "controls/png/pngimage.h"

#include "platform/core/Streams.h"

#include <zlib.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr size_t InputBlockSize = 65535;
const uint8_t IdatName[4] = {'I', 'D', 'A', 'T'};

// Inflates the compressed bytes of consecutive IDAT chunks, checking the
// CRC of each chunk as it is left.
class TIdatReader {
public:
    TIdatReader(TStream& stream, uint32_t firstLength)
        : Stream(stream), Input(InputBlockSize), Crc(UpdateChunkCrc(0xFFFFFFFFu, IdatName, 4)),
          ChunkRemaining(firstLength)
    {
        const int result = inflateInit(&Zlib);
        if (result != Z_OK)
            throw EPNGZLIBError(ZlibResultText(result));
    }
    ~TIdatReader() { inflateEnd(&Zlib); }
    TIdatReader(const TIdatReader&) = delete;
    TIdatReader& operator=(const TIdatReader&) = delete;

    // Up to `count` inflated bytes; fewer only when the data has ended.
    size_t Read(uint8_t* buffer, size_t count)
    {
        Zlib.next_out = buffer;
        Zlib.avail_out = static_cast<uInt>(count);
        while (Zlib.avail_out > 0 && !Ended) {
            if (Zlib.avail_in == 0 && !FillInput())
                break;
            const int result = inflate(&Zlib, Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                Ended = true;
            else if (result != Z_OK) // a preset dictionary is not allowed in image data either
                throw EPNGZLIBError(ZlibResultText(result));
        }
        return count - Zlib.avail_out;
    }

    // Takes in the rest of the current chunk (the compressed stream may end
    // before the chunk does) and checks its CRC.
    void Finish()
    {
        while (ChunkRemaining > 0) {
            const size_t got = ReadInput(std::min<size_t>(InputBlockSize, ChunkRemaining));
            if (got == 0)
                throw EPngUnexpectedEnd();
        }
        CheckCrc();
    }

private:
    size_t ReadInput(size_t count)
    {
        const int64_t got = Stream.Read(Input.data(), static_cast<int64_t>(count));
        if (got <= 0)
            return 0;
        Crc = UpdateChunkCrc(Crc, Input.data(), static_cast<size_t>(got));
        ChunkRemaining -= static_cast<uint32_t>(got);
        return static_cast<size_t>(got);
    }

    bool FillInput()
    {
        while (ChunkRemaining == 0)
            NextChunk();
        const size_t got = ReadInput(std::min<size_t>(InputBlockSize, ChunkRemaining));
        Zlib.next_in = Input.data();
        Zlib.avail_in = static_cast<uInt>(got);
        return got > 0;
    }

    void CheckCrc()
    {
        if (ReadBigEndian32(Stream) != ~Crc)
            throw EPngInvalidCRC();
    }

    void NextChunk()
    {
        CheckCrc();
        const uint32_t length = ReadBigEndian32(Stream);
        uint8_t name[4];
        ReadExactly(Stream, name, 4);
        if (!std::equal(name, name + 4, IdatName))
            throw EPNGMissingMultipleIDAT();
        Crc = UpdateChunkCrc(0xFFFFFFFFu, name, 4);
        ChunkRemaining = length;
    }

    TStream& Stream;
    z_stream Zlib{};
    std::vector<uint8_t> Input;
    uint32_t Crc;
    uint32_t ChunkRemaining;
    bool Ended = false;
};

// Deflates rows into IDAT chunks of a fixed size.
class TIdatWriter {
public:
    TIdatWriter(TStream& stream, int level, uint32_t chunkSize) : Stream(stream), Output(chunkSize)
    {
        const int result = deflateInit(&Zlib, level);
        if (result != Z_OK)
            throw EPNGZLIBError(ZlibResultText(result));
        RestartOutput();
    }
    ~TIdatWriter() { deflateEnd(&Zlib); }
    TIdatWriter(const TIdatWriter&) = delete;
    TIdatWriter& operator=(const TIdatWriter&) = delete;

    void Write(const uint8_t* data, size_t count)
    {
        Zlib.next_in = const_cast<Bytef*>(data);
        Zlib.avail_in = static_cast<uInt>(count);
        while (Zlib.avail_in > 0) {
            const int result = deflate(&Zlib, Z_NO_FLUSH);
            if (result < 0 && result != Z_BUF_ERROR)
                throw EPNGZLIBError(ZlibResultText(result));
            if (Zlib.avail_out == 0)
                FlushOutput();
        }
    }

    void Finish()
    {
        for (;;) {
            const int result = deflate(&Zlib, Z_FINISH);
            if (result == Z_STREAM_END)
                break;
            if (result < 0 && result != Z_BUF_ERROR)
                throw EPNGZLIBError(ZlibResultText(result));
            FlushOutput();
        }
        FlushOutput();
    }

private:
    void RestartOutput()
    {
        Zlib.next_out = Output.data();
        Zlib.avail_out = static_cast<uInt>(Output.size());
    }

    void FlushOutput()
    {
        const size_t filled = Output.size() - Zlib.avail_out;
        if (filled > 0)
            WriteChunk(Stream, "IDAT", Output.data(), filled);
        RestartOutput();
    }

    TStream& Stream;
    z_stream Zlib{};
    std::vector<uint8_t> Output;
};

uint8_t SavedBitDepth(uint8_t bitDepth) { return bitDepth == 2 ? 4 : bitDepth; }

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

class TRowDecoder {
public:
    TRowDecoder(TIdatReader& reader, TChunkIHDR& header, const uint8_t* gamma, uint32_t distance)
        : Reader(reader), Header(header), Gamma(gamma), Distance(distance)
    {
    }

    // Decodes the rows from `rowStart` in `rowStep`s, each holding `columns`.
    // Returns false when the data ended first.
    bool DecodePass(uint32_t rowStart, uint32_t rowStep, const TRowColumns& columns)
    {
        const size_t rowBytes = static_cast<size_t>(RowBytesFor(Header.ColorType, Header.BitDepth, columns.Count));
        if (rowBytes == 0)
            return true;
        Current.assign(rowBytes + 1, 0);
        Previous.assign(rowBytes + 1, 0);
        TPngImageStore& store = Header.ImageData;
        for (uint32_t y = rowStart; y < Header.Height; y += rowStep) {
            if (Reader.Read(Current.data(), rowBytes + 1) == 0)
                return false;
            UnfilterRow(Current[0], Current.data() + 1, Previous.data() + 1, rowBytes, Distance);
            PngRowToStore(Header.ColorType, Header.BitDepth, Current.data() + 1, columns, Gamma, store.Row(y),
                          store.AlphaRow(y));
            std::swap(Current, Previous);
        }
        return true;
    }

private:
    TIdatReader& Reader;
    TChunkIHDR& Header;
    const uint8_t* Gamma;
    uint32_t Distance;
    std::vector<uint8_t> Current;
    std::vector<uint8_t> Previous;
};

class TRowEncoder {
public:
    TRowEncoder(TIdatWriter& writer, const TChunkIHDR& header, const uint8_t* inverseGamma, TFilters filters)
        : Writer(writer), Header(header), InverseGamma(inverseGamma), BitDepth(SavedBitDepth(header.BitDepth)),
          Chooser(filters, FilterDistanceFor(header.ColorType, BitDepth))
    {
    }

    void EncodePass(uint32_t rowStart, uint32_t rowStep, const TRowColumns& columns)
    {
        const size_t rowBytes = static_cast<size_t>(RowBytesFor(Header.ColorType, BitDepth, columns.Count));
        if (rowBytes == 0)
            return;
        Chooser.Restart(rowBytes);
        Raw.resize(rowBytes);
        const TPngImageStore& store = Header.ImageData;
        for (uint32_t y = rowStart; y < Header.Height; y += rowStep) {
            std::fill(Raw.begin(), Raw.end(), 0);
            StoreToPngRow(Header.ColorType, BitDepth, store.Row(y), store.AlphaRow(y), columns, InverseGamma,
                          Raw.data());
            const uint8_t* filtered = nullptr;
            const uint8_t filterType = Chooser.Choose(Raw.data(), filtered);
            Writer.Write(&filterType, 1);
            Writer.Write(filtered, rowBytes);
        }
    }

private:
    TIdatWriter& Writer;
    const TChunkIHDR& Header;
    const uint8_t* InverseGamma;
    uint8_t BitDepth;
    TRowFilterChooser Chooser;
    std::vector<uint8_t> Raw;
};

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
    TIdatReader reader(stream, length);
    TRowDecoder decoder(reader, header, owner.GammaTable, FilterDistanceFor(header.ColorType, header.BitDepth));
    if (owner.InterlaceMethod() == 0) {
        decoder.DecodePass(0, 1, TRowColumns{header.Width});
    } else {
        for (const TAdam7Pass& pass : Adam7Passes) {
            const TRowColumns columns{Adam7PassColumns(pass, header.Width), pass.ColumnStart, pass.ColumnStep};
            if (!decoder.DecodePass(pass.RowStart, pass.RowStep, columns))
                break;
        }
    }
    reader.Finish();
    return true;
}

bool TChunkIDAT::SaveChunk(TStream& stream)
{
    TPNGObject& owner = *Owner();
    const TChunkIHDR& header = *owner.Header();
    if (header.ImageData.Empty())
        throw EPNGHeaderNotPresent();
    TIdatWriter writer(stream, owner.CompressionLevel(), owner.MaxIdatSize());
    TRowEncoder encoder(writer, header, owner.InverseGammaTable, owner.Filters());
    if (owner.InterlaceMethod() == 0) {
        encoder.EncodePass(0, 1, TRowColumns{header.Width});
    } else {
        for (const TAdam7Pass& pass : Adam7Passes)
            encoder.EncodePass(pass.RowStart, pass.RowStep,
                               TRowColumns{Adam7PassColumns(pass, header.Width), pass.ColumnStart, pass.ColumnStep});
    }
    writer.Finish();
    return true;
}
