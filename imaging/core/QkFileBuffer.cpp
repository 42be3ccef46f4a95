#include "imaging/core/QkFileBuffer.h"

#include <algorithm>
#include <new>

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

} // namespace

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
    const auto view = std::find_if(views_.begin(), views_.end(),
                                   [memory](const TView& v) { return v.Memory.get() == memory; });
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
    store_.reset();
    if (!fileName_.empty()) {
        DeleteFile(fileName_);
        fileName_.clear();
    }
}
