#include "imaging/core/QkStreams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/core/Exceptions.h"

namespace {

// The target of a seek in a stream whose positions run from 0 to size.
int64_t SeekTarget(int64_t offset, TSeekOrigin origin, int64_t position, int64_t size)
{
    switch (origin) {
    case soBeginning: return offset;
    case soCurrent: return position + offset;
    case soEnd: return size - std::llabs(offset);
    }
    return position;
}

} // namespace

int64_t TNulStream::Advance(int64_t count)
{
    count = std::max<int64_t>(count, 0);
    position_ += count;
    size_ = std::max(size_, position_);
    return count;
}

int64_t TNulStream::Read(void*, int64_t count) { return Advance(count); }

int64_t TNulStream::Write(const void*, int64_t count) { return Advance(count); }

int64_t TNulStream::Seek(int64_t offset, TSeekOrigin origin)
{
    position_ = std::max<int64_t>(SeekTarget(offset, origin, position_, size_), 0);
    if (origin != soEnd)
        size_ = std::max(size_, position_);
    return position_;
}

void TNulStream::SetSize(int64_t newSize)
{
    size_ = std::max<int64_t>(newSize, 0);
    position_ = std::min(position_, size_);
}

TQkMemStream::TQkMemStream(const void* memory, int64_t size)
    : memory_(static_cast<const uint8_t*>(memory)), size_(memory == nullptr ? 0 : std::max<int64_t>(size, 0))
{}

int64_t TQkMemStream::Read(void* buffer, int64_t count)
{
    const int64_t available = std::clamp<int64_t>(size_ - position_, 0, std::max<int64_t>(count, 0));
    if (available > 0)
        std::memcpy(buffer, memory_ + position_, static_cast<size_t>(available));
    position_ += available;
    return available;
}

int64_t TQkMemStream::Write(const void*, int64_t) { return 0; }

int64_t TQkMemStream::Seek(int64_t offset, TSeekOrigin origin)
{
    position_ = std::max<int64_t>(SeekTarget(offset, origin, position_, size_), 0);
    return position_;
}

void TQkMemStream::SetSize(int64_t) {}

TQkBufferedReadStream::TQkBufferedReadStream(TStream& source, bool relativePositions, int64_t bufferSize)
    : source_(source)
{
    const int64_t start = source.Position();
    base_ = relativePositions ? start : 0;
    size_ = source.Size();
    bufferStart_ = start;
    SetBufferSize(bufferSize);
}

void TQkBufferedReadStream::SetBufferSize(int64_t bufferSize)
{
    const int64_t position = CurrentPosition();
    buffer_.assign(static_cast<size_t>(std::max<int64_t>(bufferSize, 1)), 0);
    bufferStart_ = position;
    FillBuffer();
}

void TQkBufferedReadStream::FillBuffer()
{
    bufferOffset_ = 0;
    bufferFill_ = 0;
    source_.SetPosition(bufferStart_);
    const int64_t wanted = std::min(BufferSize(), std::max<int64_t>(size_ - bufferStart_, 0));
    while (bufferFill_ < wanted) {
        const int64_t got = source_.Read(buffer_.data() + bufferFill_, wanted - bufferFill_);
        if (got <= 0)
            break;
        bufferFill_ += got;
    }
}

int64_t TQkBufferedReadStream::Read(void* buffer, int64_t count)
{
    endOfStream_ = false;
    if (count <= 0)
        return 0;
    const int64_t remaining = std::max<int64_t>(size_ - CurrentPosition(), 0);
    if (count > remaining) {
        endOfStream_ = true;
        count = remaining;
    }
    auto* destination = static_cast<uint8_t*>(buffer);
    int64_t copied = 0;
    while (copied < count) {
        if (BytesLeftInBuffer() <= 0) {
            bufferStart_ = CurrentPosition();
            FillBuffer();
            if (bufferFill_ == 0)
                break;
        }
        const int64_t chunk = std::min(count - copied, BytesLeftInBuffer());
        std::memcpy(destination + copied, buffer_.data() + bufferOffset_, static_cast<size_t>(chunk));
        bufferOffset_ += chunk;
        copied += chunk;
    }
    return copied;
}

int64_t TQkBufferedReadStream::Write(const void*, int64_t)
{
    throw EStreamError("TQkBufferedReadStream cannot write!");
}

int64_t TQkBufferedReadStream::Seek(int64_t offset, TSeekOrigin origin)
{
    endOfStream_ = false;
    const int64_t position = CurrentPosition();
    int64_t target = origin == soBeginning ? base_ + offset : SeekTarget(offset, origin, position, size_);
    target = std::max(target, base_);
    if (target >= size_) {
        target = std::max(size_, base_);
        endOfStream_ = true;
    }
    if (target >= bufferStart_ && target < bufferStart_ + bufferFill_) {
        bufferOffset_ = target - bufferStart_;
    } else {
        bufferStart_ = target;
        FillBuffer();
    }
    return target - base_;
}

void TQkBufferedReadStream::SetSize(int64_t) {}
