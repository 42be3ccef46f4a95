#pragma once
// The file-backed pixel store of a bitmap: the image lives in a temporary
// file (or in memory) and byte ranges are handed out as memory copies,
// written back when they are unmapped with write access.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Streams.h"

constexpr uint8_t fbRead = 1;
constexpr uint8_t fbWrite = 2;

class TQkFileBuffer {
public:
    TQkFileBuffer() = default;
    ~TQkFileBuffer();
    TQkFileBuffer(const TQkFileBuffer&) = delete;
    TQkFileBuffer& operator=(const TQkFileBuffer&) = delete;

    // Closes an open store, then makes a store of `size` bytes: a temporary
    // file in TemporaryDirectory (the system's when empty) when `onDisk`,
    // memory otherwise. False, with no store, on any failure.
    bool Open(const std::string& prefix, bool onDisk, int64_t size);
    bool IsOpen() const { return store_ != nullptr; }
    const std::string& FileName() const { return fileName_; }

    // A zero-filled copy of `length` bytes at `offset`, read from the store
    // when `access` has fbRead. Stays valid until unmapped. Raises
    // EInvalidArgument for a negative length or offset and EOutOfMemory
    // when the copy cannot be allocated.
    uint8_t* MapView(uint8_t access, int64_t length, int64_t offset);
    // Writes the copy back when its access has fbWrite, then frees it.
    // Memory that MapView did not return is ignored.
    void UnmapView(const uint8_t* memory);
    // Unmaps every view, the most recent first.
    void UnmapAll();
    // Copies `count` bytes at `offset` from this store into the same place
    // of `destination`, after unmapping the views of both.
    void CopyTo(TQkFileBuffer& destination, int64_t count, int64_t offset);
    // Writes `count` rows of `rowLength` bytes each, one after the other
    // from `offset` on (the caller's rows need not be adjacent in memory).
    // Within the size the file was opened with they are copied into a shared
    // mapping of the file, kept from the first call to Close; elsewhere, or
    // where the file cannot be mapped, they go out in vectored writes. Views
    // over the range must be unmapped first. False when the store is closed
    // or a write fails.
    bool WriteRows(const uint8_t* const* rows, int32_t count, int64_t rowLength, int64_t offset);
    // Drops every view, frees the store and deletes its file.
    void Close();

private:
    struct TUnmap {
        size_t Size;
        void operator()(uint8_t* address) const;
    };
    using TMapping = std::unique_ptr<uint8_t, TUnmap>;

    struct TView {
        int64_t Offset;
        int64_t Length;
        std::unique_ptr<uint8_t[]> Memory;
        uint8_t Access;
    };

    void WriteBack(const TView& view);
    // The mapping of the whole file, made on first use; nullptr when the
    // file cannot be mapped or does not reach `end`.
    uint8_t* MappingReaching(int handle, int64_t end);

    std::string fileName_;
    std::unique_ptr<TStream> store_;
    std::vector<TView> views_;
    TMapping mapping_{nullptr, TUnmap{0}};
    bool mappingTried_ = false;
};
