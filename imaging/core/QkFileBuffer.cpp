#include "imaging/core/QkFileBuffer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkSettings.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"

namespace {

constexpr int64_t CopyBufferSize = 1048576;

std::unique_ptr<uint8_t[]> AllocateZeroed(int64_t length)
{
    std::unique_ptr<uint8_t[]> memory(new (std::nothrow) uint8_t[static_cast<size_t>(std::max<int64_t>(length, 1))]());
    if (!memory)
        throw EOutOfMemory("Out of memory");
    return memory;
}

// Gathers the rows into vectored writes; a short write goes on from where
// it stopped.
bool WriteRowsToFile(int handle, const uint8_t* const* rows, int32_t count, int64_t rowLength, int64_t offset)
{
    const int32_t batch = IOV_MAX;
    std::vector<iovec> pieces;
    for (int32_t first = 0; first < count; first += batch) {
        const int32_t n = std::min(batch, count - first);
        pieces.clear();
        for (int32_t i = 0; i < n; ++i)
            pieces.push_back(iovec{const_cast<uint8_t*>(rows[first + i]), static_cast<size_t>(rowLength)});
        size_t next = 0;
        while (next < pieces.size()) {
            const ssize_t written = pwritev(handle, &pieces[next], static_cast<int>(pieces.size() - next), offset);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            offset += written;
            for (size_t left = static_cast<size_t>(written); left > 0 && next < pieces.size();) {
                const size_t taken = std::min(left, pieces[next].iov_len);
                pieces[next].iov_base = static_cast<uint8_t*>(pieces[next].iov_base) + taken;
                pieces[next].iov_len -= taken;
                left -= taken;
                if (pieces[next].iov_len == 0)
                    ++next;
            }
        }
    }
    return true;
}

} // namespace

void TQkFileBuffer::TUnmap::operator()(uint8_t* address) const { munmap(address, Size); }

TQkFileBuffer::~TQkFileBuffer() { Close(); }

bool TQkFileBuffer::Open(const std::string& prefix, bool onDisk, int64_t size)
{
    Close();
    try {
        const std::string folder = TemporaryDirectory.empty() ? GetTempDir() : TemporaryDirectory;
        fileName_ = MakeTempFileName(prefix, folder);
        if (onDisk)
            store_ = std::make_unique<TQkTemporaryFileStream>(fileName_);
        else
            store_ = std::make_unique<TMemoryStream>();
        store_->SetSize(size);
        return true;
    } catch (const std::exception&) {
        Close();
        return false;
    }
}

uint8_t* TQkFileBuffer::MapView(uint8_t access, int64_t length, int64_t offset)
{
    if (length < 0 || offset < 0)
        throw EInvalidArgument("MapView: negative length or offset");
    TView view{offset, length, AllocateZeroed(length), access};
    if (store_ && (access & fbRead) != 0) {
        store_->SetPosition(offset);
        int64_t done = 0;
        while (done < length) {
            const int64_t got = store_->Read(view.Memory.get() + done, length - done);
            if (got <= 0)
                break;
            done += got;
        }
    }
    views_.push_back(std::move(view));
    return views_.back().Memory.get();
}

void TQkFileBuffer::WriteBack(const TView& view)
{
    if (store_ && (view.Access & fbWrite) != 0) {
        store_->SetPosition(view.Offset);
        store_->WriteBuffer(view.Memory.get(), view.Length);
    }
}

void TQkFileBuffer::UnmapView(const uint8_t* memory)
{
    const auto view =
        std::find_if(views_.begin(), views_.end(), [memory](const TView& v) { return v.Memory.get() == memory; });
    if (view == views_.end())
        return;
    const TView unmapped = std::move(*view);
    views_.erase(view);
    WriteBack(unmapped);
}

void TQkFileBuffer::UnmapAll()
{
    while (!views_.empty())
        UnmapView(views_.back().Memory.get());
}

// Writing through a mapping kept open is a plain memory copy once its pages
// are in place, where every write call walks the file system per page. The
// blocks are reserved first: a full disk then refuses the mapping instead of
// faulting on a later store into a hole.
uint8_t* TQkFileBuffer::MappingReaching(int handle, int64_t end)
{
    if (!mapping_ && !mappingTried_) {
        mappingTried_ = true;
        const int64_t size = store_->Size();
        if (size > 0 && static_cast<uint64_t>(size) <= std::numeric_limits<size_t>::max() &&
            posix_fallocate(handle, 0, size) == 0) {
            void* address = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, handle, 0);
            if (address != MAP_FAILED)
                mapping_ = TMapping(static_cast<uint8_t*>(address), TUnmap{static_cast<size_t>(size)});
        }
    }
    if (!mapping_ || end > static_cast<int64_t>(mapping_.get_deleter().Size))
        return nullptr;
    return mapping_.get();
}

bool TQkFileBuffer::WriteRows(const uint8_t* const* rows, int32_t count, int64_t rowLength, int64_t offset)
{
    if (!IsOpen() || count < 0 || rowLength < 0 || offset < 0)
        return false;
    if (count == 0 || rowLength == 0)
        return true;
    if (rowLength > (std::numeric_limits<int64_t>::max() - offset) / count)
        return false;
    try {
        if (auto* file = dynamic_cast<THandleStream*>(store_.get())) {
            uint8_t* mapped = MappingReaching(file->Handle(), offset + rowLength * count);
            if (!mapped)
                return WriteRowsToFile(file->Handle(), rows, count, rowLength, offset);
            for (int32_t i = 0; i < count; ++i)
                std::memcpy(mapped + offset + rowLength * i, rows[i], static_cast<size_t>(rowLength));
            return true;
        }
        store_->SetPosition(offset);
        for (int32_t i = 0; i < count; ++i)
            store_->WriteBuffer(rows[i], rowLength);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TQkFileBuffer::CopyTo(TQkFileBuffer& destination, int64_t count, int64_t offset)
{
    if (!IsOpen() || !destination.IsOpen() || count <= 0 || offset < 0)
        return;
    UnmapAll();
    destination.UnmapAll();
    store_->SetPosition(offset);
    destination.store_->SetPosition(offset);
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, CopyBufferSize)));
    for (int64_t left = count; left > 0;) {
        const int64_t chunk = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        store_->ReadBuffer(buffer.data(), chunk);
        destination.store_->WriteBuffer(buffer.data(), chunk);
        left -= chunk;
    }
}

void TQkFileBuffer::Close()
{
    // The store goes with its views, so writing them back would be lost work.
    views_.clear();
    mapping_.reset();
    mappingTried_ = false;
    store_.reset();
    if (!fileName_.empty()) {
        DeleteFile(fileName_);
        fileName_.clear();
    }
}
