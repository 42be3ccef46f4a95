#pragma once
// Writing a PNG file from raw rows at the file's depth, pass by pass: each
// row is filtered with the best of a set of filters and deflated into IDAT
// chunks.

#include "controls/png/PngRowLayout.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStream;

// The IDAT chunks of an image, written to the stream as the rows come.
class TPngImageDataWriter {
public:
    // level is zlib's compression level; chunkSize the data size of each
    // IDAT chunk but the last.
    TPngImageDataWriter(TStream& stream, const TPngHeader& header, TFilters filters, int level, uint32_t chunkSize);
    ~TPngImageDataWriter();
    TPngImageDataWriter(const TPngImageDataWriter&) = delete;
    TPngImageDataWriter& operator=(const TPngImageDataWriter&) = delete;

    const std::vector<TPngPass>& Passes() const { return FPasses; }
    // The pass the next row belongs to; Passes().size() once every row is written.
    size_t PassIndex() const { return FPassIndex; }
    // The next row in pass order, RowBytes of its pass. Raises
    // EInvalidOperation once every row is written.
    void WriteRow(const uint8_t* row);
    // Writes the rest of the data; raises EInvalidOperation when rows are missing.
    void Finish();

private:
    void Deflate(const uint8_t* data, size_t count);
    void FlushOutput();
    void StartPass();

    TStream& FStream;
    z_stream FZlib{};
    std::vector<uint8_t> FOutput;
    std::vector<TPngPass> FPasses;
    TRowFilterChooser FChooser;
    size_t FPassIndex = 0;
    uint32_t FRowInPass = 0;
};

// A whole file: the signature, the header and the chunks before the data at
// construction, then the rows, then Finish writes the chunks after the data
// and IEND. A header the format does not have raises EPngInvalidIHDR.
class TPngRowWriter {
public:
    TPngRowWriter(TStream& stream, const TPngHeader& header, const std::vector<TPngRawChunk>& chunksBeforeData,
                  TFilters filters, int level);

    const std::vector<TPngPass>& Passes() const { return FData->Passes(); }
    size_t PassIndex() const { return FData->PassIndex(); }
    void WriteRow(const uint8_t* row);
    void Finish(const std::vector<TPngRawChunk>& chunksAfterData = {});

    uint32_t RowsWritten() const { return FRowsWritten; }
    uint32_t RowCount() const { return FRowCount; }
    // Called after each row written.
    std::function<void(const TPngRowWriter& sender)> OnProgress;

private:
    TStream& FStream;
    std::unique_ptr<TPngImageDataWriter> FData;
    uint32_t FRowsWritten = 0;
    uint32_t FRowCount = 0;
};
