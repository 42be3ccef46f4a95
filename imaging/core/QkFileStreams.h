#pragma once
// Streams over an operating-system file handle: a file opened by name and
// a temporary file that no other process can see and that disappears when
// the stream is destroyed.

#include <cstdint>
#include <string>

#include "platform/core/Streams.h"

class TQkWideFileStream : public THandleStream {
public:
    // fmCreate creates or truncates the file for reading and writing;
    // failure raises EFCreateError "Cannot create file \"%s\". %s". Any
    // other mode opens an existing file: access by mode AND 3 (0 read,
    // 1 write, 2 both; 3 fails), sharing by (mode AND 0xF0) >> 4 (above 4
    // fails, other values are accepted and not enforced). Failure raises
    // EFOpenError "Cannot open file \"%s\". %s".
    TQkWideFileStream(const std::string& fileName, uint16_t mode);

private:
    static int OpenFile(const std::string& fileName, uint16_t mode);
};

class TQkTemporaryFileStream : public THandleStream {
public:
    // A nameless file (mode 0600) in the folder of `fileName`, or, where the
    // file system cannot make nameless files, `fileName` itself, removed
    // from its folder at once. Raises EInOutError "Unable to create " +
    // fileName.
    explicit TQkTemporaryFileStream(const std::string& fileName);

private:
    static int CreateFile(const std::string& fileName);
};

// Creates a new empty file (mode 0600) named directory + prefix + "-" +
// eight hexadecimal digits + ".tmp" and returns its name. The file is made
// exclusively, so a file or link planted at a drawn name is never opened:
// the name is drawn again. Raises EFCreateError when no file can be made.
std::string MakeTempFileName(const std::string& prefix, const std::string& directory);
