#pragma once
// Streams over memory and other streams: a stream that only counts, a
// read-only view of a caller's block and a buffered read-only view of
// another stream for readers that fetch a few bytes at a time.

#include <cstdint>
#include <vector>

#include "platform/core/Streams.h"

// Counts what is written to it without storing it: writing a document into
// it measures the document's length.
class TNulStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // From the end the target is size - |offset|, so 3 and -3 both land 3
    // bytes before the end.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }
    void SetSize(int64_t newSize) override;

private:
    int64_t Advance(int64_t count);

    int64_t position_ = 0;
    int64_t size_ = 0;
};

// The caller's memory block as a read-only stream; the block is neither
// copied nor freed and must outlive the stream.
class TQkMemStream : public TStream {
public:
    TQkMemStream(const void* memory, int64_t size);

    int64_t Read(void* buffer, int64_t count) override;
    // Writes nothing.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }
    // Does nothing: the block is the caller's.
    void SetSize(int64_t newSize) override;

    const void* Memory() const { return memory_; }

private:
    const uint8_t* memory_;
    int64_t size_;
    int64_t position_ = 0;
};

// A read-only view of another stream (not owned) through a buffer. With
// relative positions, position 0 is the source's position at creation.
// The source's size is read once, at creation.
class TQkBufferedReadStream : public TStream {
public:
    TQkBufferedReadStream(TStream& source, bool relativePositions, int64_t bufferSize);

    // Reads up to the end of the source; asking for more sets EndOfStream.
    int64_t Read(void* buffer, int64_t count) override;
    // Raises EStreamError "TQkBufferedReadStream cannot write!".
    int64_t Write(const void* buffer, int64_t count) override;
    // Targets before the base clamp to it, targets at or beyond the end
    // clamp to the end and set EndOfStream. From the end the target is
    // size - |offset|. Returns the position relative to the base.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_ - base_; }
    // Does nothing: the stream is read-only.
    void SetSize(int64_t newSize) override;

    // Replaces the buffer by one of `bufferSize` bytes (at least 1) and
    // fills it from the current position.
    void SetBufferSize(int64_t bufferSize);
    int64_t BufferSize() const { return static_cast<int64_t>(buffer_.size()); }
    // Set when the last read or seek reached the end; cleared by the next.
    bool EndOfStream() const { return endOfStream_; }

private:
    void FillBuffer();
    int64_t CurrentPosition() const { return bufferStart_ + bufferOffset_; }
    int64_t BytesLeftInBuffer() const { return bufferFill_ - bufferOffset_; }

    TStream& source_;
    int64_t base_ = 0;
    int64_t size_ = 0;
    std::vector<uint8_t> buffer_;
    int64_t bufferStart_ = 0;
    int64_t bufferFill_ = 0;
    int64_t bufferOffset_ = 0;
    bool endOfStream_ = false;
};
