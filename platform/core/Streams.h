#pragma once
// Byte streams with the class library's interface: TStream and its file,
// memory and string descendants.

#include <cstdint>
#include <string>

#include "platform/core/Persistent.h"

enum TSeekOrigin {
    soBeginning = 0,
    soCurrent = 1,
    soEnd = 2,
    soFromBeginning = soBeginning,
    soFromCurrent = soCurrent,
    soFromEnd = soEnd,
};

class TStream : public TObject {
public:
    // Transfer up to `count` bytes and return how many moved (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // All or nothing: a short transfer raises EReadError "Stream read error"
    // or EWriteError "Stream write error".
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies `count` bytes from the source's position; 0 (or less) copies the
    // whole source from its start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// File open modes; share modes are accepted and ignored.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

// A stream over a file descriptor, which it owns and closes.
class THandleStream : public TStream {
public:
    explicit THandleStream(int handle) : fd_(handle) {}
    ~THandleStream() override;
    THandleStream(const THandleStream&) = delete;
    THandleStream& operator=(const THandleStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Truncates or extends the file and moves the position to the new end.
    void SetSize(int64_t newSize) override;

    int Handle() const { return fd_; }

protected:
    int fd_ = -1;
};

class TFileStream : public THandleStream {
public:
    // fmCreate creates or truncates the file and opens it for reading and
    // writing. Failure raises EFCreateError "Cannot create file \"%s\". %s" or
    // EFOpenError "Cannot open file \"%s\". %s" with the system's reason.
    TFileStream(const std::string& fileName, uint16_t mode);

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// Bytes in memory; the position may lie beyond the end, and writing there
// fills the gap with zeros.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    // Keeps the position unless it lies beyond the new end.
    void SetSize(int64_t newSize) override;

    void* Memory() { return data_.data(); }
    const void* Memory() const { return data_.data(); }
    void Clear();
    // Room for `capacity` bytes, so that writes up to it never move the data.
    void Reserve(int64_t capacity);
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

protected:
    std::string data_;
    int64_t position_ = 0;
};

class TStringStream : public TMemoryStream {
public:
    explicit TStringStream(const std::string& data = std::string());
    const std::string& DataString() const { return data_; }
    std::string ReadString(int64_t count);
    void WriteString(const std::string& s);
};
