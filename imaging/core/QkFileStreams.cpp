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
    case 0: return O_RDONLY;
    case 1: return O_WRONLY;
    default: return O_RDWR;
    }
}

bool ValidOpenMode(uint16_t mode) { return (mode & 3) != 3 && ((mode & 0xF0) >> 4) <= 4; }

} // namespace

TQkWideFileStream::TQkWideFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(OpenFile(fileName, mode))
{}

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

TQkTemporaryFileStream::TQkTemporaryFileStream(const std::string& fileName) : THandleStream(CreateFile(fileName)) {}

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
        const std::string name = folder + prefix + "-" + IntToHex(Random(2147483647), 8) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        error = errno;
    }
    throw CreateFmt<EFCreateError>("Cannot create file \"%s\". %s", folder + prefix + "-*.tmp", SysErrorMessage(error));
}
