#pragma once
// A thin decompression interface for callers that drive the JPEG library
// row by row, such as camera raw loaders with JPEG-coded data. Each call
// that meets a library error raises EQkJpegException.

#include <cstddef>
#include <cstdint>
#include <memory>

class TStream;
struct TJpegDecompressorState;

class TJpegDecompressor {
public:
    // Called when the library needs input: it hands the next bytes over
    // with SetSourceBuffer. It runs inside the library, so it must not raise.
    using TFillInput = void (*)(TJpegDecompressor& decompressor, void* context);

    // Reads from the stream, which must outlive the decompressor.
    explicit TJpegDecompressor(TStream& stream);
    ~TJpegDecompressor();
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    // Replaces reading the stream by the caller's routine.
    void SetFillInput(TFillInput fill, void* context);
    // The bytes the library reads next; they must stay until it asks again.
    void SetSourceBuffer(const uint8_t* bytes, size_t count);

    // The library's read-header result.
    int ReadHeader(bool requireImage);
    void Start();
    uint32_t OutputWidth() const;
    uint32_t OutputHeight() const;
    int OutputComponents() const;
    uint32_t OutputScanline() const;
    // Rows of OutputWidth x OutputComponents bytes each; returns the rows read.
    uint32_t ReadScanlines(uint8_t* const* rows, uint32_t count);
    void Finish();

private:
    std::unique_ptr<TJpegDecompressorState> FState;
};
