#pragma once
// Reading a PNG file as rows: the header, the other chunks as name and
// bytes, and the image data inflated and unfiltered into raw rows at the
// file's own depth (16-bit samples big-endian, sub-byte samples packed),
// pass by pass.

#include "controls/png/PngRowLayout.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStream;

// The image data of consecutive IDAT chunks as raw rows. The stream stands
// at the data of the first IDAT chunk, whose length the caller has read.
class TPngImageDataReader {
public:
    TPngImageDataReader(TStream& stream, uint32_t firstLength, const TPngHeader& header);
    ~TPngImageDataReader();
    TPngImageDataReader(const TPngImageDataReader&) = delete;
    TPngImageDataReader& operator=(const TPngImageDataReader&) = delete;

    const std::vector<TPngPass>& Passes() const { return FPasses; }
    // The pass the next row belongs to; Passes().size() once every row is read.
    size_t PassIndex() const { return FPassIndex; }
    // Unfilters the next row into `row` (the pass's RowBytes). A row the data
    // ends inside keeps zeros for its missing bytes; false when no byte of
    // the row came or every row has been read.
    bool ReadRow(uint8_t* row);
    // Takes in the rest of the last IDAT chunk and checks its CRC; the
    // stream then stands after it.
    void Finish();

private:
    size_t Inflate(uint8_t* buffer, size_t count);
    bool FillInput();
    size_t ReadInput(size_t count);
    void CheckCrc();
    void NextChunk();
    void StartPass();

    TStream& FStream;
    z_stream FZlib{};
    std::vector<uint8_t> FInput;
    uint32_t FCrc;
    uint32_t FChunkRemaining;
    bool FEnded = false;
    std::vector<TPngPass> FPasses;
    size_t FDistance;
    size_t FPassIndex = 0;
    uint32_t FRowInPass = 0;
    std::vector<uint8_t> FCurrent;
    std::vector<uint8_t> FPrevious;
};

// A whole file: construction reads the signature and the chunks up to the
// image data; then the rows; Finish reads the chunks after it up to IEND.
// Malformed files raise the codec's exceptions (PngErrors.h); a bad CRC
// raises EPngInvalidCRC on a critical chunk and only marks an ancillary one.
class TPngRowReader {
public:
    explicit TPngRowReader(TStream& stream);

    const TPngHeader& Header() const { return FHeader; }
    const std::vector<TPngRawChunk>& ChunksBeforeData() const { return FChunksBefore; }
    const std::vector<TPngRawChunk>& ChunksAfterData() const { return FChunksAfter; }
    const std::vector<TPngPass>& Passes() const { return FData->Passes(); }
    size_t PassIndex() const { return FData->PassIndex(); }

    // As TPngImageDataReader::ReadRow.
    bool ReadRow(uint8_t* row);
    // Skips the rows not read and reads the chunks after the image data.
    void Finish();

    uint32_t RowsRead() const { return FRowsRead; }
    uint32_t RowCount() const { return FRowCount; }
    // Called after each row read.
    std::function<void(const TPngRowReader& sender)> OnProgress;

private:
    TPngRawChunk ReadChunk(uint32_t length, const std::string& name);

    TStream& FStream;
    TPngHeader FHeader;
    std::vector<TPngRawChunk> FChunksBefore;
    std::vector<TPngRawChunk> FChunksAfter;
    std::unique_ptr<TPngImageDataReader> FData;
    uint32_t FRowsRead = 0;
    uint32_t FRowCount = 0;
};
