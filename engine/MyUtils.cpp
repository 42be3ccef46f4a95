#include "engine/MyUtils.h"

#include <cerrno>
#include <ctime>
#include <fnmatch.h>
#include <fstream>
#include <sys/stat.h>

#include "platform/core/Files.h"
#include "platform/core/MainThread.h"

bool DebuggerAttached()
{
    static const bool attached = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("TracerPid:", 0) == 0)
                return std::stol(line.substr(10)) != 0;
        }
        return false;
    }();
    return attached;
}

int32_t SeekFlagsToInt(uint8_t seekFlags) { return seekFlags & 0x0F; }

void MainThreadCall(const std::function<void()>& method) { RunInMainThread(method); }

void ProcessPendingMessages()
{
    if (IsMainThread())
        CheckSynchronize();
    while (ProcessPendingMessage()) {}
}

// ---------------------------------------------------------------------------
// SplitCommandLine

namespace {

class TArgumentWriter {
public:
    TArgumentWriter(char* buffer, int32_t& charCount) : buffer_(buffer), charCount_(charCount) {}
    void Put(char c)
    {
        if (buffer_)
            buffer_[charCount_] = c;
        ++charCount_;
    }
    void PutRepeated(char c, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Put(c);
    }
    char* Position() const { return buffer_ ? buffer_ + charCount_ : nullptr; }

private:
    char* buffer_;
    int32_t& charCount_;
};

// Copies a run of backslashes and the double quote that may follow them;
// returns the position after what was consumed.
const char* CopyBackslashesAndQuote(const char* p, bool& inQuotes, TArgumentWriter& out)
{
    size_t backslashes = 0;
    while (*p == '\\') {
        ++backslashes;
        ++p;
    }
    if (*p != '"') {
        out.PutRepeated('\\', backslashes);
        return p;
    }
    out.PutRepeated('\\', backslashes / 2);
    if (backslashes % 2 == 1) {
        out.Put('"');
        return p + 1;
    }
    // A doubled quote that ends the text inside quotes stands for one quote.
    if (inQuotes && p[1] == '"' && p[2] == '\0') {
        out.Put('"');
        ++p;
    }
    inQuotes = !inQuotes;
    return p + 1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

void SplitCommandLine(const char* text, char** argv, char* buffer, int32_t& charCount, int32_t& argCount)
{
    static char emptyArgument[1] = {'\0'};
    charCount = 0;
    argCount = 0;
    bool inQuotes = false;
    TArgumentWriter out(buffer, charCount);
    const char* p = text;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            break;
        if (argv)
            argv[argCount] = out.Position();
        ++argCount;
        while (*p != '\0' && (inQuotes || !IsBlank(*p))) {
            if (*p == '\\' || *p == '"')
                p = CopyBackslashesAndQuote(p, inQuotes, out);
            else
                out.Put(*p++);
        }
        out.Put('\0');
    }
    if (argv)
        argv[argCount] = emptyArgument;
    ++argCount;
}

std::vector<std::string> SplitCommandLine(const std::string& text)
{
    int32_t charCount = 0;
    int32_t argCount = 0;
    SplitCommandLine(text.c_str(), nullptr, nullptr, charCount, argCount);
    std::vector<char> buffer(static_cast<size_t>(charCount) + 1);
    std::vector<char*> argv(static_cast<size_t>(argCount) + 1);
    SplitCommandLine(text.c_str(), argv.data(), buffer.data(), charCount, argCount);
    return std::vector<std::string>(argv.begin(), argv.begin() + (argCount - 1));
}

// ---------------------------------------------------------------------------
// Paths and files

bool IsPathDelimiterWide(const std::string& text, int32_t index)
{
    return index >= 1 && static_cast<size_t>(index) <= text.size() && text[index - 1] == '/';
}

std::string IncludeTrailingBackslashWide(const std::string& text) { return IncludeTrailingPathDelimiter(text); }

const char* WStrScan(const char* text, char c)
{
    for (; *text; ++text) {
        if (*text == c)
            return text;
    }
    return nullptr;
}

int32_t LastDelimiterWide(const std::string& delimiters, const std::string& text)
{
    for (size_t i = text.size(); i > 0; --i) {
        const char c = text[i - 1];
        if (c != '\0' && delimiters.find(c) != std::string::npos)
            return static_cast<int32_t>(i);
    }
    return 0;
}

std::string ExtractFilePathAnsi(const std::string& fileName) { return ExtractFilePath(fileName); }
std::string ExtractFileNameAnsi(const std::string& fileName) { return ExtractFileName(fileName); }
std::string ExtractFilePathWide(const std::string& fileName) { return ExtractFilePath(fileName); }
std::string ExtractFileNameWide(const std::string& fileName) { return ExtractFileName(fileName); }
bool FileExistsAnsi(const std::string& fileName) { return FileExists(fileName); }
bool FileExistsWide(const std::string& fileName) { return FileExists(fileName); }
std::string GetCurrentDirWide() { return GetCurrentDir(); }
bool SetCurrentDirWide(const std::string& directory) { return SetCurrentDir(directory); }
std::string GetEnvironmentVariableWide(const std::string& name) { return GetEnvironmentVariable(name); }
std::string ExpandFileNameWide(const std::string& fileName) { return ExpandFileName(fileName); }
int64_t FileSizeWide(const std::string& fileName) { return FileSizeOf(fileName); }
std::string ModuleFileNameWide() { return ExecutableFileName(); }
std::string GetExeDirWide() { return ExtractFilePathWide(ModuleFileNameWide()); }

// ---------------------------------------------------------------------------
// File search

namespace {

int32_t DosDateTime(time_t time)
{
    tm local{};
    localtime_r(&time, &local);
    const int year = local.tm_year + 1900 < 1980 ? 0 : local.tm_year + 1900 - 1980;
    return static_cast<int32_t>((static_cast<uint32_t>(year) << 25) | (static_cast<uint32_t>(local.tm_mon + 1) << 21) |
                                (static_cast<uint32_t>(local.tm_mday) << 16) |
                                (static_cast<uint32_t>(local.tm_hour) << 11) |
                                (static_cast<uint32_t>(local.tm_min) << 5) | static_cast<uint32_t>(local.tm_sec / 2));
}

int32_t AttributesOf(const std::string& name, const struct stat& info)
{
    int32_t attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= faDirectory;
    else if (S_ISREG(info.st_mode))
        attributes |= faArchive;
    else
        attributes |= faSysFile;
    if (!(info.st_mode & S_IWUSR))
        attributes |= faReadOnly;
    if (!name.empty() && name[0] == '.')
        attributes |= faHidden;
    return attributes;
}

} // namespace

int32_t FindFirstWide(const std::string& pattern, int32_t attributes, TSearchRecWide& searchRec)
{
    searchRec.Folder = ExtractFilePath(pattern);
    searchRec.Pattern = ExtractFileName(pattern);
    searchRec.ExcludeAttr = ~attributes & (faHidden | faSysFile | faDirectory);
    searchRec.Handle = ::opendir(searchRec.Folder.empty() ? "." : searchRec.Folder.c_str());
    if (!searchRec.Handle)
        return errno;
    const int32_t result = FindMatchingFileWide(searchRec);
    if (result != 0)
        FindCloseWide(searchRec);
    return result;
}

int32_t FindMatchingFileWide(TSearchRecWide& searchRec)
{
    if (!searchRec.Handle)
        return EBADF;
    while (const dirent* entry = ::readdir(searchRec.Handle)) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (::fnmatch(searchRec.Pattern.c_str(), name.c_str(), 0) != 0 ||
            ::stat((searchRec.Folder + name).c_str(), &info) != 0)
            continue;
        const int32_t attributes = AttributesOf(name, info);
        if (attributes & searchRec.ExcludeAttr)
            continue;
        searchRec.Attr = attributes;
        searchRec.Size = info.st_size;
        searchRec.Time = DosDateTime(info.st_mtime);
        searchRec.Name = name;
        return 0;
    }
    return ENOENT;
}

void FindCloseWide(TSearchRecWide& searchRec)
{
    if (searchRec.Handle)
        ::closedir(searchRec.Handle);
    searchRec.Handle = nullptr;
}

void SplitAtFirst(std::string& text, std::string_view separator, bool cut, std::string& head)
{
    const size_t position = text.find(separator);
    if (position == std::string::npos) {
        head = text;
        if (cut)
            text.clear();
        return;
    }
    head = text.substr(0, position);
    if (cut)
        text.erase(0, position + separator.size());
}
