#pragma once
// zlib's deflate and inflate behind the TStream interface, and a routine that
// inflates a whole memory block. The streams neither own nor close the
// stream they work on.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"
#include "platform/core/Streams.h"

class EZLibError : public Exception {
public:
    using Exception::Exception;
};
class EZCompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
};
class EZDecompressionError : public EZLibError {
public:
    using EZLibError::EZLibError;
};

// The text of a zlib result code ("data error" for -3), empty for codes
// without one.
std::string ZlibErrorText(int result);

constexpr size_t ZStreamBufferSize = 65536;

class TCustomZStream : public TStream {
public:
    ~TCustomZStream() override = default;
    TCustomZStream(const TCustomZStream&) = delete;
    TCustomZStream& operator=(const TCustomZStream&) = delete;

    // Called after each 64 KB block moved to or from the underlying stream.
    TNotifyEvent OnProgress;

protected:
    explicit TCustomZStream(TStream& stream);

    virtual void DoProgress();
    // Another user of the underlying stream may have moved it since our
    // last transfer.
    void RestoreStreamPosition();
    void RecordStreamPosition() { FStreamPos = FStream.Position(); }

    TStream& FStream;
    int64_t FStreamPos;
    z_stream FZRec{};
    uint8_t FBuffer[ZStreamBufferSize];
};

// Write-only: what is written arrives deflated in the destination. The data
// is complete only after Finish (or destruction).
class TZCompressionStream : public TCustomZStream {
public:
    // levelIndex 0..3 selects stored, fastest, zlib's default or best.
    TZCompressionStream(TStream& destination, int levelIndex);
    // Finishes quietly when Finish was not called; call Finish to see errors.
    ~TZCompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Returns the count of bytes accepted so far and moves nothing.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    // Flushes the rest of the data and the zlib trailer into the destination.
    void Finish();

private:
    void WriteBufferedOutput();

    bool FFinished = false;
};

// Read-only: inflates the zlib data that starts at the source's position at
// creation. Reaching the end of the data leaves the source exactly after it.
class TZDecompressionStream : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    ~TZDecompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Only forward: a skip from the current position, a position beyond the
    // bytes produced, 0 from the beginning (restarting the data) or 0 from
    // the end. Returns the count of bytes produced.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Inflates to the end, then returns to the current position.
    int64_t Size() override;

private:
    bool FillInput();
    void GiveBackUnusedInput();
    void Restart();
    void Skip(int64_t count);
    void SkipToEnd();

    int64_t FStreamStart;
    bool FEnded = false;
};

constexpr size_t DefaultInflateCap = size_t{1} << 30;

// Inflates a whole zlib stream into a block of exactly its size. The block
// starts at sizeEstimate bytes (or the input size, rounded up to 256, for 0)
// and grows geometrically; output beyond maxOutput raises
// EZDecompressionError "insufficient memory".
std::vector<uint8_t> InflateBuffer(const void* input, size_t inputSize, size_t sizeEstimate = 0,
                                   size_t maxOutput = DefaultInflateCap);
