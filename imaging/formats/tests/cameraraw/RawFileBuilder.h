#pragma once
// Small builders for the camera files the tests make: byte buffers with
// either byte order, TIFF directories and Canon heaps.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/formats/cameraraw/RawDecodeContext.h"
#include "platform/core/Streams.h"

struct TRawBytes {
    std::string data;
    bool big = false;

    explicit TRawBytes(size_t size = 0, bool bigEndian = false) : data(size, '\0'), big(bigEndian) {}

    void Grow(size_t end)
    {
        if (data.size() < end)
            data.resize(end, '\0');
    }
    void Put(size_t at, uint32_t value, int32_t size)
    {
        Grow(at + size_t(size));
        for (int32_t i = 0; i < size; ++i)
            data[at + size_t(i)] = char(big ? value >> (8 * (size - 1 - i)) : value >> (8 * i));
    }
    void Put16(size_t at, uint32_t value) { Put(at, value, 2); }
    void Put32(size_t at, uint32_t value) { Put(at, value, 4); }
    void Text(size_t at, const std::string& text)
    {
        Grow(at + text.size());
        std::memcpy(data.data() + at, text.data(), text.size());
    }
};

struct TTiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
    // Out-of-line data; the value then becomes its offset.
    std::string payload;
};

// A TIFF at `base` of `bytes` whose IFDs follow one another; payloads go
// behind each directory. Returns the offset after the last byte written.
inline size_t WriteTiff(TRawBytes& bytes, size_t base, const std::vector<std::vector<TTiffEntry>>& ifds)
{
    bytes.Text(base, bytes.big ? "MM" : "II");
    bytes.Put16(base + 2, 42);
    size_t at = 8;
    bytes.Put32(base + 4, uint32_t(at));
    for (size_t i = 0; i < ifds.size(); ++i) {
        const auto& entries = ifds[i];
        const size_t payloadStart = at + 2 + 12 * entries.size() + 4;
        size_t payload = payloadStart;
        bytes.Put16(base + at, uint32_t(entries.size()));
        for (size_t k = 0; k < entries.size(); ++k) {
            const TTiffEntry& e = entries[k];
            const size_t entry = base + at + 2 + 12 * k;
            bytes.Put16(entry, e.tag);
            bytes.Put16(entry + 2, e.type);
            bytes.Put32(entry + 4, e.count);
            if (!e.payload.empty()) {
                bytes.Put32(entry + 8, uint32_t(payload));
                bytes.Text(base + payload, e.payload);
                payload += e.payload.size() + (e.payload.size() & 1);
            } else if (e.type == 3 && e.count < 3) {
                bytes.Put16(entry + 8, e.value);
            } else {
                bytes.Put32(entry + 8, e.value);
            }
        }
        const bool last = i + 1 == ifds.size();
        bytes.Put32(base + at + 2 + 12 * entries.size(), last ? 0 : uint32_t(payload));
        at = payload;
    }
    bytes.Grow(base + at);
    return base + at;
}

inline std::string NulText(const std::string& text) { return text + std::string(1, '\0'); }

struct THeapRecord {
    uint16_t type;
    std::string data;
};

// A Canon heap file: "II", header length 26, "HEAPCCDR", then the records'
// data, the directory and its offset. Sub-heaps are records whose data is
// itself a heap made by HeapBlock.
inline std::string HeapBlock(const std::vector<THeapRecord>& records)
{
    TRawBytes block;
    size_t at = 0;
    std::vector<std::pair<size_t, size_t>> places;
    for (const THeapRecord& record : records) {
        block.Text(at, record.data);
        places.emplace_back(at, record.data.size());
        at += record.data.size();
    }
    const size_t directory = at;
    block.Put16(directory, uint32_t(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const size_t entry = directory + 2 + 10 * i;
        block.Put16(entry, records[i].type);
        block.Put32(entry + 2, uint32_t(places[i].second));
        block.Put32(entry + 6, uint32_t(places[i].first));
    }
    block.Put32(directory + 2 + 10 * records.size(), uint32_t(directory));
    return block.data;
}

inline std::string HeapFile(const std::vector<THeapRecord>& records)
{
    TRawBytes file;
    file.Text(0, "II");
    file.Put32(2, 26);
    file.Text(6, "HEAPCCDR");
    file.Grow(26);
    return file.data + HeapBlock(records);
}

// A context reading the given bytes, as the reader sets it up.
struct TRawTestContext {
    TMemoryStream stream;
    std::unique_ptr<TRawDecodeContext> context = std::make_unique<TRawDecodeContext>();

    explicit TRawTestContext(const std::string& bytes)
    {
        stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        stream.SetPosition(0);
        context->stream = &stream;
        context->fsize = int64_t(bytes.size());
    }
    TRawDecodeContext& operator*() { return *context; }
    TRawDecodeContext* operator->() { return context.get(); }
};
