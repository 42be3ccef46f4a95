#include "imaging/core/QkByteArray.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/core/Exceptions.h"

TQkByteArray::TQkByteArray(int64_t initialCapacity) : growth_(std::max<int64_t>(initialCapacity, 0))
{
    Reallocate(growth_, 0);
}

void TQkByteArray::Reallocate(int64_t capacity, int64_t newLength)
{
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(std::max<int64_t>(capacity, 1))]());
    if (!block)
        throw EOutOfMemory("Out of memory");
    const int64_t kept = std::min(length_, newLength);
    if (kept > 0)
        std::memcpy(block.get(), data_.get(), static_cast<size_t>(kept));
    data_ = std::move(block);
    capacity_ = capacity;
}

void TQkByteArray::SetLength(int64_t length)
{
    if (length < 0)
        throw CreateFmt<EInvalidArgument>("TQkByteArray: length %lld", static_cast<long long>(length));
    if (length > std::numeric_limits<int64_t>::max() - growth_)
        throw EOutOfMemory("Out of memory");
    if (length > capacity_ || length < capacity_ - growth_)
        Reallocate(length + growth_, length);
    else if (length < length_)
        std::memset(data_.get() + length, 0, static_cast<size_t>(length_ - length));
    length_ = length;
}

void TQkByteArray::AppendByte(uint8_t value)
{
    SetLength(length_ + 1);
    data_[static_cast<size_t>(length_ - 1)] = value;
}

int64_t TQkByteArray::AppendFromStream(TStream& stream, int64_t count)
{
    // Never grows beyond what the stream holds, whatever a file claims.
    count = std::min(count, stream.Size() - stream.Position());
    if (count <= 0)
        return 0;
    const int64_t start = length_;
    SetLength(start + count);
    int64_t got = 0;
    while (got < count) {
        const int64_t read = stream.Read(data_.get() + start + got, count - got);
        if (read <= 0)
            break;
        got += read;
    }
    SetLength(start + got);
    return got;
}
