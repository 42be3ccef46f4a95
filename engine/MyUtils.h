#pragma once
// The engine's small platform functions: path and file functions on UTF-8
// names ("/" is the only delimiter; ":" is an ordinary character), the
// splitting of option strings into arguments, the main-thread call and the
// message pump.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>

// True when a debugger traces the process; computed once.
bool DebuggerAttached();

// The low four bits of a seek-flag set, as FFmpeg's seek flags.
int32_t SeekFlagsToInt(uint8_t seekFlags);

// Runs `method` in the main thread and waits for it; on the main thread it is
// called directly.
void MainThreadCall(const std::function<void()>& method);

// Runs every call queued for the main thread and dispatches pending window
// messages.
void ProcessPendingMessages();

// Splits `text` by the command-line rules (blanks and tabs separate,
// double quotes group, backslashes escape quotes). Counts when `argv` and
// `buffer` are nullptr; fills them otherwise: each argument is copied into
// `buffer` closed by a zero byte, and `argv` gets one more entry, an empty
// string, counted in `argCount`.
void SplitCommandLine(const char* text, char** argv, char* buffer, int32_t& charCount, int32_t& argCount);
// The arguments of `text`, without the terminating empty entry.
std::vector<std::string> SplitCommandLine(const std::string& text);

// `index` is 1-based, in bytes.
bool IsPathDelimiterWide(const std::string& text, int32_t index);
// The text with "/" appended unless it already ends with one.
std::string IncludeTrailingBackslashWide(const std::string& text);
// The first occurrence of `c` in the zero-terminated text, or nullptr.
const char* WStrScan(const char* text, char c);
// 1-based byte index of the last character of `text` that is in
// `delimiters`, 0 when none; a zero character in the set is ignored.
int32_t LastDelimiterWide(const std::string& delimiters, const std::string& text);

// Folder part with its trailing "/", and the name after the last "/".
std::string ExtractFilePathAnsi(const std::string& fileName);
std::string ExtractFileNameAnsi(const std::string& fileName);
std::string ExtractFilePathWide(const std::string& fileName);
std::string ExtractFileNameWide(const std::string& fileName);
// The file exists and is no directory.
bool FileExistsAnsi(const std::string& fileName);
bool FileExistsWide(const std::string& fileName);

std::string GetCurrentDirWide();
bool SetCurrentDirWide(const std::string& directory);
std::string GetEnvironmentVariableWide(const std::string& name);
std::string ExpandFileNameWide(const std::string& fileName);
// -1 when the name is no existing file.
int64_t FileSizeWide(const std::string& fileName);
std::string ModuleFileNameWide();
// The program's folder with a trailing "/".
std::string GetExeDirWide();

// File attributes of a search.
constexpr int32_t faReadOnly = 0x01;
constexpr int32_t faHidden = 0x02; // the name begins with "."
constexpr int32_t faSysFile = 0x04; // neither a regular file nor a directory
constexpr int32_t faDirectory = 0x10;
constexpr int32_t faArchive = 0x20; // a regular file
constexpr int32_t faAnyFile = 0x3F;

struct TSearchRecWide {
    int32_t Time = 0; // local DOS date and time
    int64_t Size = 0;
    int32_t Attr = 0;
    std::string Name;
    // The search in progress.
    DIR* Handle = nullptr;
    std::string Folder;
    std::string Pattern;
    int32_t ExcludeAttr = 0;
};

// `pattern` is a folder and a shell wildcard ("dir/*.ffpreset"). Entries that
// are hidden, system files or directories are skipped unless `attributes`
// asks for them. 0 when an entry was found, else an errno value (ENOENT when
// nothing more matches).
int32_t FindFirstWide(const std::string& pattern, int32_t attributes, TSearchRecWide& searchRec);
int32_t FindMatchingFileWide(TSearchRecWide& searchRec);
void FindCloseWide(TSearchRecWide& searchRec);

// head := the text before the first `separator`; with `cut` the text keeps
// only what follows the separator. Without a separator head := the whole text
// and, with `cut`, the text becomes empty.
void SplitAtFirst(std::string& text, std::string_view separator, bool cut, std::string& head);
