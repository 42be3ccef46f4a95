#include "platform/core/Files.h"

#include "platform/core/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool StatPath(const std::string& path, struct stat& info) { return !path.empty() && ::stat(path.c_str(), &info) == 0; }

} // namespace

std::string ExecutableFileName()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableFolder() { return ExtractFilePath(ExecutableFileName()); }

bool FileExists(const std::string& fileName)
{
    struct stat info;
    return StatPath(fileName, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& directory)
{
    struct stat info;
    return StatPath(directory, info) && S_ISDIR(info.st_mode);
}

int64_t FileSizeOf(const std::string& fileName)
{
    struct stat info;
    if (!StatPath(fileName, info) || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

bool DeleteFile(const std::string& fileName) { return !DirectoryExists(fileName) && ::unlink(fileName.c_str()) == 0; }

bool RenameFile(const std::string& oldName, const std::string& newName)
{
    return !oldName.empty() && !newName.empty() && std::rename(oldName.c_str(), newName.c_str()) == 0;
}

bool CreateDir(const std::string& directory) { return !directory.empty() && ::mkdir(directory.c_str(), 0777) == 0; }

bool ForceDirectories(const std::string& directory)
{
    if (directory.empty())
        return false;
    const std::string path = ExcludeTrailingPathDelimiter(ExpandFileName(directory));
    if (DirectoryExists(path))
        return true;
    const std::string parent = ExtractFileDir(path);
    if (parent != path && !ForceDirectories(parent))
        return false;
    return CreateDir(path) || DirectoryExists(path);
}

std::string GetCurrentDir()
{
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool SetCurrentDir(const std::string& directory) { return !directory.empty() && ::chdir(directory.c_str()) == 0; }

std::string GetEnvironmentVariable(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? value : std::string();
}

std::string ExpandFileName(const std::string& fileName)
{
    if (fileName.empty())
        return std::string();
    const std::string absolute =
        fileName[0] == PathDelim ? fileName : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
    std::vector<std::string> parts;
    for (const std::string& part : SplitString(absolute, PathDelim)) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result;
    for (const std::string& part : parts)
        result += PathDelim + part;
    const bool keepsTrailing = absolute.back() == PathDelim && !parts.empty();
    if (result.empty() || keepsTrailing)
        result += PathDelim;
    return result;
}

std::string ExtractFilePath(const std::string& fileName)
{
    const size_t slash = fileName.rfind(PathDelim);
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string ExtractFileDir(const std::string& fileName)
{
    const size_t slash = fileName.rfind(PathDelim);
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string(1, PathDelim) : fileName.substr(0, slash);
}

std::string ExtractFileName(const std::string& fileName)
{
    const size_t slash = fileName.rfind(PathDelim);
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.rfind(PathDelim);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension)
{
    const std::string current = ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - current.size()) + extension;
}

std::string IncludeTrailingPathDelimiter(const std::string& path)
{
    return (!path.empty() && path.back() == PathDelim) ? path : path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& path)
{
    if (path.size() > 1 && path.back() == PathDelim)
        return path.substr(0, path.size() - 1);
    return path;
}

std::string GetTempDir()
{
    const std::string fromEnvironment = GetEnvironmentVariable("TMPDIR");
    return IncludeTrailingPathDelimiter(DirectoryExists(fromEnvironment) ? fromEnvironment : "/tmp");
}

std::string CreateTempFile(const std::string& prefix, const std::string& folder)
{
    const std::string directory = IncludeTrailingPathDelimiter(folder.empty() ? GetTempDir() : folder);
    std::string name = directory + prefix + "XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw CreateFmt<EFCreateError>("Cannot create file \"%s\". %s", name, SysErrorMessage(errno));
    ::close(fd);
    return name;
}
