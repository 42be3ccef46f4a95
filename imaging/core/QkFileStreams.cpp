#include "imaging/core/QkFileStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/core/QkRandom.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Strings.h"

namespace {

constexpr int MaxTempNameDraws = 1000;

bool IsDirectory(int fd)
{
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

int AccessFlags(uint16_t mode)
{
    switch (mode & 3) {
    case 0:
        return O_RDONLY;
    case 1:
        return O_WRONLY;
    default:
        return O_RDWR;
    }
}

bool ValidOpenMode(uint16_t mode) { return (mode & 3) != 3 && ((mode & 0xF0) >> 4) <= 4; }

} // namespace

TQkHandleStream::~TQkHandleStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t TQkHandleStream::Read(void* buffer, int64_t count)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, bytes + done, static_cast<size_t>(count - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

int64_t TQkHandleStream::Write(const void* buffer, int64_t count)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd_, bytes + done, static_cast<size_t>(count - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += put;
    }
    return done;
}

int64_t TQkHandleStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(fd_, offset, whence);
    return position < 0 ? ::lseek(fd_, 0, SEEK_CUR) : position;
}

int64_t TQkHandleStream::Size()
{
    struct stat info {};
    return fstat(fd_, &info) == 0 ? info.st_size : 0;
}

void TQkHandleStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(fd_, newSize) != 0)
        throw EStreamError("Stream size error. " + SysErrorMessage(newSize < 0 ? EINVAL : errno));
    Seek(newSize, soBeginning);
}

TQkWideFileStream::TQkWideFileStream(const std::string& fileName, uint16_t mode)
    : TQkHandleStream(OpenFile(fileName, mode))
{
}

int TQkWideFileStream::OpenFile(const std::string& fileName, uint16_t mode)
{
    const bool creating = (mode & fmCreate) == fmCreate;
    int fd = -1;
    int error = EINVAL;
    if (creating)
        fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    else if (ValidOpenMode(mode))
        fd = ::open(fileName.c_str(), AccessFlags(mode) | O_CLOEXEC);
    if (fd < 0 && (creating || ValidOpenMode(mode)))
        error = errno;
    if (fd >= 0 && IsDirectory(fd)) {
        ::close(fd);
        fd = -1;
        error = EISDIR;
    }
    if (fd >= 0)
        return fd;
    const std::string reason = SysErrorMessage(error);
    if (creating)
        throw CreateFmt<EFCreateError>("Cannot create file \"%s\". %s", ExpandFileName(fileName), reason);
    throw CreateFmt<EFOpenError>("Cannot open file \"%s\". %s", ExpandFileName(fileName), reason);
}

TQkTemporaryFileStream::TQkTemporaryFileStream(const std::string& fileName)
    : TQkHandleStream(CreateFile(fileName))
{
}

int TQkTemporaryFileStream::CreateFile(const std::string& fileName)
{
    std::string folder = ExtractFileDir(fileName);
    if (folder.empty())
        folder = ".";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && !fileName.empty()) {
        // Never follows a link planted at the name; the name goes at once.
        fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::unlink(fileName.c_str());
    }
    if (fd < 0)
        throw EInOutError("Unable to create " + fileName);
    return fd;
}

std::string MakeTempFileName(const std::string& prefix, const std::string& directory)
{
    const std::string folder = directory.empty() ? directory : IncludeTrailingPathDelimiter(directory);
    int error = EEXIST;
    for (int draw = 0; draw < MaxTempNameDraws && error == EEXIST; ++draw) {
        const std::string name =
            folder + prefix + "-" + IntToHex(Random(2147483647), 8) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        error = errno;
    }
    throw CreateFmt<EFCreateError>("Cannot create file \"%s\". %s", folder + prefix + "-*.tmp",
                                   SysErrorMessage(error));
}
