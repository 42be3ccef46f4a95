#include "platform/core/Streams.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- TStream --------------------------------------------------------------

int64_t TStream::Size()
{
    const int64_t position = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count <= 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr int64_t ChunkSize = 64 * 1024;
    std::string chunk(static_cast<size_t>(std::min(count, ChunkSize)), '\0');
    int64_t copied = 0;
    while (copied < count) {
        const int64_t part = std::min(count - copied, ChunkSize);
        source.ReadBuffer(chunk.data(), part);
        WriteBuffer(chunk.data(), part);
        copied += part;
    }
    return copied;
}

// ---- TFileStream ----------------------------------------------------------

namespace {

int OpenFlags(uint16_t mode)
{
    if ((mode & fmCreate) == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (mode & 0x0003) {
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

bool IsDirectory(int fd)
{
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : THandleStream(-1), fileName_(fileName)
{
    const bool creating = (mode & fmCreate) == fmCreate;
    int error = ENOENT;
    if (!fileName.empty()) {
        fd_ = ::open(fileName.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
        error = errno;
    }
    if (fd_ >= 0 && IsDirectory(fd_)) {
        ::close(fd_);
        fd_ = -1;
        error = EISDIR;
    }
    if (fd_ < 0) {
        const std::string reason = SysErrorMessage(error);
        if (creating)
            throw CreateFmt<EFCreateError>("Cannot create file \"%s\". %s", fileName, reason);
        throw CreateFmt<EFOpenError>("Cannot open file \"%s\". %s", fileName, reason);
    }
}

// ---- THandleStream --------------------------------------------------------

THandleStream::~THandleStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t THandleStream::Read(void* buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Write(const void* buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin)
{
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return ::lseek(fd_, offset, whence[origin]);
}

void THandleStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(fd_, newSize) != 0)
        RaiseLastOSError();
    Seek(newSize, soBeginning);
}

// ---- TMemoryStream --------------------------------------------------------

namespace {

// A large buffer is backed by huge pages where the kernel offers them on
// request: filling hundreds of megabytes page by page costs more in page
// faults than copying the bytes.
void AdviseHugePages(std::string& data)
{
    constexpr uintptr_t HugePage = uintptr_t(2) << 20;
    if (data.capacity() < 4 * HugePage)
        return;
    const auto begin = reinterpret_cast<uintptr_t>(data.data());
    const uintptr_t first = (begin + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t end = (begin + data.capacity()) & ~(HugePage - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    const int64_t size = Size();
    if (count <= 0 || position_ < 0 || position_ >= size)
        return 0;
    const int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || position_ < 0 || position_ > INT64_MAX - count)
        return 0;
    const char* bytes = static_cast<const char*>(buffer);
    const int64_t overwritten = std::clamp<int64_t>(Size() - position_, 0, count);
    // Growing appends: the new bytes are copied once into the grown buffer
    // instead of being zero-filled first, which costs as much again on large
    // downloads. Only the gap after a seek past the end is zero-filled.
    try {
        if (position_ > Size()) {
            data_.reserve(static_cast<size_t>(position_ + count));
            data_.resize(static_cast<size_t>(position_), '\0');
        }
        const size_t capacity = data_.capacity();
        data_.append(bytes + overwritten, static_cast<size_t>(count - overwritten));
        if (data_.capacity() != capacity)
            AdviseHugePages(data_);
    } catch (const std::exception&) {
        return 0; // cannot grow: a short write, which WriteBuffer reports
    }
    std::memcpy(data_.data() + position_, bytes, static_cast<size_t>(overwritten));
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: position_ = offset; break;
    case soCurrent: position_ += offset; break;
    case soEnd: position_ = Size() + offset; break;
    }
    return position_;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Invalid stream size");
    try {
        data_.resize(static_cast<size_t>(newSize), '\0');
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory while expanding memory stream");
    }
    position_ = std::min(position_, newSize);
}

void TMemoryStream::Reserve(int64_t capacity)
{
    if (capacity <= Size())
        return;
    data_.reserve(static_cast<size_t>(capacity));
    AdviseHugePages(data_);
}

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    SetSize(size);
    stream.ReadBuffer(data_.data(), size);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TStringStream --------------------------------------------------------

TStringStream::TStringStream(const std::string& data) { data_ = data; }

std::string TStringStream::ReadString(int64_t count)
{
    std::string out(static_cast<size_t>(std::clamp<int64_t>(count, 0, Size())), '\0');
    out.resize(static_cast<size_t>(Read(out.data(), static_cast<int64_t>(out.size()))));
    return out;
}

void TStringStream::WriteString(const std::string& s) { WriteBuffer(s.data(), static_cast<int64_t>(s.size())); }
