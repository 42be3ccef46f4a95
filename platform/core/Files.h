#pragma once
// Files, folders and path names. "/" is the only path delimiter; the
// extraction functions work on text alone and never touch the disk.

#include <cstdint>
#include <string>

constexpr char PathDelim = '/';

// The running program's full file name (from /proc/self/exe) and its folder
// with a trailing "/".
std::string ExecutableFileName();
std::string ExecutableFolder();

bool FileExists(const std::string& fileName); // false for directories
bool DirectoryExists(const std::string& directory);
int64_t FileSizeOf(const std::string& fileName); // -1 if missing or a directory
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& oldName, const std::string& newName);
bool CreateDir(const std::string& directory);
// Creates the folder and any missing parents; true if it exists afterwards.
bool ForceDirectories(const std::string& directory);

std::string GetCurrentDir();
bool SetCurrentDir(const std::string& directory);

// The variable's value, or "" if it is not set.
std::string GetEnvironmentVariable(const std::string& name);

// Absolute form of the name against the current folder, with "." and ".."
// resolved textually (symbolic links are not followed).
std::string ExpandFileName(const std::string& fileName);

std::string ExtractFilePath(const std::string& fileName); // folder with trailing "/"
std::string ExtractFileDir(const std::string& fileName); // folder without it ("/" stays)
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName); // with the dot, "" if none
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);

// The folder for temporary files ($TMPDIR or /tmp), with a trailing "/".
std::string GetTempDir();
// Creates a new, empty, uniquely named file in `folder` (default: the temporary
// folder) whose name starts with `prefix`, and returns its full name. Raises
// EFCreateError if no file can be created.
std::string CreateTempFile(const std::string& prefix, const std::string& folder = std::string());
