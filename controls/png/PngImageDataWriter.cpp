// Raw rows filtered and deflated into IDAT chunks of a fixed size.

#include "controls/png/PngErrors.h"
#include "controls/png/PngRowWriter.h"
#include "controls/png/PngStreamIO.h"
#include "controls/png/PngZlib.h"

#include "platform/core/Exceptions.h"

TPngImageDataWriter::TPngImageDataWriter(TStream& stream, const TPngHeader& header, TFilters filters, int level,
                                         uint32_t chunkSize)
    : FStream(stream), FOutput(chunkSize), FPasses(PngPasses(header)),
      FChooser(filters, FilterDistanceFor(header.ColorType, header.BitDepth))
{
    const int result = deflateInit(&FZlib, level);
    if (result != Z_OK)
        throw EPNGZLIBError(ZlibResultText(result));
    FZlib.next_out = FOutput.data();
    FZlib.avail_out = static_cast<uInt>(FOutput.size());
    StartPass();
}

TPngImageDataWriter::~TPngImageDataWriter() { deflateEnd(&FZlib); }

void TPngImageDataWriter::StartPass()
{
    FRowInPass = 0;
    if (FPassIndex < FPasses.size())
        FChooser.Restart(FPasses[FPassIndex].RowBytes);
}

void TPngImageDataWriter::WriteRow(const uint8_t* row)
{
    if (FPassIndex >= FPasses.size())
        throw EInvalidOperation("Every row of the image is already written");
    const uint8_t* filtered = nullptr;
    const uint8_t filterType = FChooser.Choose(row, filtered);
    Deflate(&filterType, 1);
    Deflate(filtered, FPasses[FPassIndex].RowBytes);
    if (++FRowInPass == FPasses[FPassIndex].Rows) {
        ++FPassIndex;
        StartPass();
    }
}

void TPngImageDataWriter::Deflate(const uint8_t* data, size_t count)
{
    FZlib.next_in = const_cast<Bytef*>(data);
    FZlib.avail_in = static_cast<uInt>(count);
    while (FZlib.avail_in > 0) {
        const int result = deflate(&FZlib, Z_NO_FLUSH);
        if (result < 0 && result != Z_BUF_ERROR)
            throw EPNGZLIBError(ZlibResultText(result));
        if (FZlib.avail_out == 0)
            FlushOutput();
    }
}

void TPngImageDataWriter::Finish()
{
    if (FPassIndex < FPasses.size())
        throw EInvalidOperation("Rows of the image are missing");
    for (;;) {
        const int result = deflate(&FZlib, Z_FINISH);
        if (result == Z_STREAM_END)
            break;
        if (result < 0 && result != Z_BUF_ERROR)
            throw EPNGZLIBError(ZlibResultText(result));
        FlushOutput();
    }
    FlushOutput();
}

void TPngImageDataWriter::FlushOutput()
{
    const size_t filled = FOutput.size() - FZlib.avail_out;
    if (filled > 0)
        WriteChunk(FStream, "IDAT", FOutput.data(), filled);
    FZlib.next_out = FOutput.data();
    FZlib.avail_out = static_cast<uInt>(FOutput.size());
}
