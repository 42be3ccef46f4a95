#pragma once
// The chunks of a PNG file as objects: each reads and writes its own bytes;
// the header chunk owns the decoded image and the image-data chunk decodes
// into it and encodes from it. A process-wide registry maps names to classes.

#include "controls/png/PngImageStore.h"
#include "controls/png/PngRowLayout.h"

#include "platform/core/Persistent.h"
#include "platform/gfx/Colors.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TPNGObject;
class TStream;

class TChunk : public TObject {
public:
    explicit TChunk(TPNGObject* owner, std::string name = std::string());

    // The name the class stands for ("IHDR" for TChunkIHDR); empty for a
    // generic chunk.
    virtual std::string ChunkName() const { return std::string(); }
    // A new, empty chunk of the same class.
    virtual std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const;
    // Copies name and data.
    virtual void Assign(const TChunk& source);
    // Reads the data and the CRC; the caller has read the length and name.
    virtual bool LoadChunk(TStream& stream, const std::string& name, uint32_t length);
    // Writes the whole chunk: length, name, data, CRC.
    virtual bool SaveChunk(TStream& stream);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    TPNGObject* Owner() const { return FOwner; }
    const std::vector<uint8_t>& Data() const { return FData; }
    uint32_t DataSize() const { return static_cast<uint32_t>(FData.size()); }

protected:
    bool WriteChunkData(TStream& stream);
    std::vector<uint8_t> FData;

private:
    TPNGObject* FOwner;
    std::string FName;
};

class TChunkIEND : public TChunk {
public:
    explicit TChunkIEND(TPNGObject* owner) : TChunk(owner, "IEND") {}
    std::string ChunkName() const override { return "IEND"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
};

// The header fields are those of TPngHeader.
class TChunkIHDR : public TChunk, public TPngHeader {
public:
    explicit TChunkIHDR(TPNGObject* owner) : TChunk(owner, "IHDR") {}
    std::string ChunkName() const override { return "IHDR"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;

    // Rebuilds the image store from the header fields; raises EPngInvalidIHDR
    // for a layout the format does not have and EPNGOutMemory when the
    // memory cannot be had.
    void PrepareImage();
    void FreeImage();

    TPngImageStore ImageData;
};

class TChunkPLTE : public TChunk {
public:
    explicit TChunkPLTE(TPNGObject* owner) : TChunk(owner, "PLTE") {}
    std::string ChunkName() const override { return "PLTE"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;

    // The palette entry as 0x00RRGGBB; an index past Count raises EPngError.
    uint32_t Entry(uint32_t index) const;

    uint32_t Count = 0;
};

class TChunktRNS : public TChunk {
public:
    explicit TChunktRNS(TPNGObject* owner);
    std::string ChunkName() const override { return "tRNS"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;

    // The key colour as the image shows it (gray and RGB images) or the
    // first fully transparent palette colour.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    // For gray and RGB images: whether a stored pixel is the key colour,
    // compared in the store's own sample domain. `x` is the column.
    bool IsKeyPixel(const uint8_t* storeRow, uint32_t x) const;

    bool BinaryTransparency = false;
    uint8_t Alphas[256];
};

class TChunkgAMA : public TChunk {
public:
    explicit TChunkgAMA(TPNGObject* owner);
    std::string ChunkName() const override { return "gAMA"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;

    uint32_t Gamma() const;
    void SetGamma(uint32_t value);
};

class TChunktIME : public TChunk {
public:
    explicit TChunktIME(TPNGObject* owner) : TChunk(owner, "tIME") {}
    std::string ChunkName() const override { return "tIME"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;

    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint8_t Second = 0;
};

// Latin-1 text: keyword and text keep their bytes.
class TChunktEXt : public TChunk {
public:
    explicit TChunktEXt(TPNGObject* owner, std::string name = "tEXt") : TChunk(owner, std::move(name)) {}
    std::string ChunkName() const override { return "tEXt"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    void Assign(const TChunk& source) override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;

    std::string Keyword;
    std::string Text;
};

class TChunkzTXt : public TChunktEXt {
public:
    explicit TChunkzTXt(TPNGObject* owner) : TChunktEXt(owner, "zTXt") {}
    std::string ChunkName() const override { return "zTXt"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;
};

// The image data; reading consumes every directly following IDAT chunk,
// writing emits as many IDAT chunks as the compressed data needs.
class TChunkIDAT : public TChunk {
public:
    explicit TChunkIDAT(TPNGObject* owner) : TChunk(owner, "IDAT") {}
    std::string ChunkName() const override { return "IDAT"; }
    std::unique_ptr<TChunk> CreateSameClass(TPNGObject* owner) const override;
    bool LoadChunk(TStream& stream, const std::string& name, uint32_t length) override;
    bool SaveChunk(TStream& stream) override;
};

// ---- Registry -------------------------------------------------------------

using TChunkFactory = std::function<std::unique_ptr<TChunk>(TPNGObject* owner)>;

// Adds a chunk class; classes are looked up in the order they were added.
void RegisterChunk(const std::string& name, TChunkFactory factory);
// The registered class for the name, else a generic TChunk; either way the
// chunk carries the given name.
std::unique_ptr<TChunk> CreateChunkByName(TPNGObject* owner, const std::string& name);

// ---- Chunk list -----------------------------------------------------------

// The chunks of one image, in file order; the list owns them.
class TPNGList {
public:
    uint32_t Count() const { return static_cast<uint32_t>(FItems.size()); }
    // Null past the end.
    TChunk* Item(uint32_t index) const { return index < FItems.size() ? FItems[index].get() : nullptr; }
    TChunk* Add(std::unique_ptr<TChunk> chunk);
    // Removes and frees the chunk (its last occurrence).
    void Remove(TChunk* chunk);
    void Clear() { FItems.clear(); }

    // The first chunk of class T, null when none.
    template <class T>
    T* ItemOfClass() const
    {
        for (const auto& item : FItems)
            if (auto* found = dynamic_cast<T*>(item.get()))
                return found;
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<TChunk>> FItems;
};
