#include "controls/png/PngChunks.h"

#include "controls/png/PngErrors.h"
#include "controls/png/PngFilters.h"
#include "controls/png/PngPixelLayout.h"
#include "controls/png/PngRowLayout.h"
#include "controls/png/PngStreamIO.h"
#include "controls/png/PngZlib.h"
#include "controls/png/pngimage.h"

#include "platform/core/Streams.h"
#include "platform/core/Types.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// ---- TChunk ---------------------------------------------------------------

TChunk::TChunk(TPNGObject* owner, std::string name) : FOwner(owner), FName(std::move(name)) {}

std::unique_ptr<TChunk> TChunk::CreateSameClass(TPNGObject* owner) const { return std::make_unique<TChunk>(owner); }

void TChunk::Assign(const TChunk& source)
{
    FName = source.FName;
    FData = source.FData;
}

bool TChunk::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    FName = name;
    FData = ReadChunkBytes(stream, length);
    const uint32_t storedCrc = ReadBigEndian32(stream);
    if (storedCrc != ChunkCrc(reinterpret_cast<const uint8_t*>(FName.data()), FData.data(), FData.size()))
        throw EPngInvalidCRC();
    return true;
}

bool TChunk::SaveChunk(TStream& stream) { return WriteChunkData(stream); }

bool TChunk::WriteChunkData(TStream& stream)
{
    WriteChunk(stream, FName, FData.data(), FData.size());
    return true;
}

// ---- IEND -----------------------------------------------------------------

std::unique_ptr<TChunk> TChunkIEND::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkIEND>(owner);
}

// ---- IHDR -----------------------------------------------------------------

std::unique_ptr<TChunk> TChunkIHDR::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkIHDR>(owner);
}

void TChunkIHDR::PrepareImage()
{
    FreeImage();
    if (Width == 0 || Height == 0 || !IsValidPngLayout(ColorType, BitDepth))
        throw EPngInvalidIHDR();
    if (!ImageData.Prepare(Width, Height, ColorType, BitDepth))
        throw EPNGOutMemory();
}

void TChunkIHDR::FreeImage()
{
    ImageData.Free();
    if (Owner())
        Owner()->ReleasePalette();
}

bool TChunkIHDR::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    static_cast<TPngHeader&>(*this) = ParsePngHeader(FData);
    if (Owner())
        Owner()->SetInterlaceMethod(InterlaceMethod);
    PrepareImage();
    return true;
}

bool TChunkIHDR::SaveChunk(TStream& stream)
{
    TPngHeader saved = *this;
    saved.BitDepth = SavedBitDepth(BitDepth);
    if (Owner())
        saved.InterlaceMethod = Owner()->InterlaceMethod();
    FData = PngHeaderBytes(saved);
    return WriteChunkData(stream);
}

void TChunkIHDR::Assign(const TChunk& source)
{
    const auto* header = dynamic_cast<const TChunkIHDR*>(&source);
    if (!header)
        throw EPngError(EPngIncompatibleChunksText);
    static_cast<TPngHeader&>(*this) = *header;
    FreeImage();
    if (!ImageData.CopyFrom(header->ImageData))
        throw EPNGOutMemory();
}

// ---- PLTE -----------------------------------------------------------------

namespace {

constexpr uint32_t MaxPaletteEntries = 256;

TPngImageStore& StoreOf(const TChunk& chunk) { return chunk.Owner()->Header()->ImageData; }

} // namespace

std::unique_ptr<TChunk> TChunkPLTE::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkPLTE>(owner);
}

bool TChunkPLTE::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    if (FData.size() % 3 != 0 || FData.size() > MaxPaletteEntries * 3)
        throw EPNGInvalidPalette();
    Count = DataSize() / 3;
    TPngImageStore& store = StoreOf(*this);
    const uint8_t* gamma = Owner()->GammaTable;
    for (uint32_t i = 0; i < Count; ++i) {
        TPngQuad& entry = store.Palette[i];
        entry.Red = gamma[FData[3 * i]];
        entry.Green = gamma[FData[3 * i + 1]];
        entry.Blue = gamma[FData[3 * i + 2]];
        entry.Reserved = 0;
    }
    Owner()->ReleasePalette();
    return true;
}

bool TChunkPLTE::SaveChunk(TStream& stream)
{
    const TPngImageStore& store = StoreOf(*this);
    const uint8_t* inverse = Owner()->InverseGammaTable;
    const uint32_t count = std::min(Count, MaxPaletteEntries);
    FData.resize(size_t{count} * 3);
    for (uint32_t i = 0; i < count; ++i) {
        FData[3 * i] = inverse[store.Palette[i].Red];
        FData[3 * i + 1] = inverse[store.Palette[i].Green];
        FData[3 * i + 2] = inverse[store.Palette[i].Blue];
    }
    return WriteChunkData(stream);
}

uint32_t TChunkPLTE::Entry(uint32_t index) const
{
    if (index >= Count)
        throw EPngError(EPngNoPaletteEntryText);
    const TPngQuad& entry = StoreOf(*this).Palette[index];
    return (uint32_t{entry.Red} << 16) | (uint32_t{entry.Green} << 8) | entry.Blue;
}

void TChunkPLTE::Assign(const TChunk& source)
{
    const auto* palette = dynamic_cast<const TChunkPLTE*>(&source);
    if (!palette)
        throw EPngError(EPngIncompatibleChunksText);
    Count = palette->Count;
}

// ---- tRNS -----------------------------------------------------------------

namespace {

// The bytes a key-colour tRNS needs: one 16-bit gray or three 16-bit samples.
size_t KeySize(uint8_t colorType) { return colorType == COLOR_GRAYSCALE ? 2 : colorType == COLOR_RGB ? 6 : 0; }

uint32_t SampleAt(const uint8_t* alphas, int index)
{
    return (uint32_t{alphas[2 * index]} << 8) | alphas[2 * index + 1];
}

// A 16-bit key sample as the store keeps it; false when no sample of the
// image's depth can have that value.
bool StoredSample(uint32_t sample, uint8_t bitDepth, uint32_t& stored)
{
    if (!IsValidPngLayout(COLOR_GRAYSCALE, bitDepth))
        return false;
    if (bitDepth == 16) {
        stored = sample >> 8;
        return true;
    }
    if (sample >= (1u << bitDepth))
        return false;
    stored = bitDepth == 2 ? sample * 5 : sample;
    return true;
}

// The gray level shown for a stored gray sample of `bits` bits.
uint8_t GrayLevel(uint32_t stored, uint32_t bits) { return static_cast<uint8_t>(stored * 255 / ((1u << bits) - 1)); }

} // namespace

TChunktRNS::TChunktRNS(TPNGObject* owner) : TChunk(owner, "tRNS")
{
    std::fill(std::begin(Alphas), std::end(Alphas), 255);
}

std::unique_ptr<TChunk> TChunktRNS::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunktRNS>(owner);
}

bool TChunktRNS::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    if (FData.size() > 256)
        throw EPNGInvalidPalette();
    const uint8_t colorType = Owner()->Header()->ColorType;
    if (FData.size() < KeySize(colorType))
        throw EPNGInvalidPalette();
    std::fill(std::begin(Alphas), std::end(Alphas), 255);
    std::copy(FData.begin(), FData.end(), Alphas);
    if (colorType == COLOR_GRAYSCALE || colorType == COLOR_RGB)
        BinaryTransparency = true;
    else if (colorType == COLOR_PALETTE)
        BinaryTransparency = std::count_if(FData.begin(), FData.end(), [](uint8_t a) { return a != 255; }) == 1;
    return true;
}

bool TChunktRNS::SaveChunk(TStream& stream)
{
    // A chunk refused as too long stays in the list; it saves what it holds.
    std::copy(Alphas, Alphas + std::min<size_t>(FData.size(), 256), FData.begin());
    return WriteChunkData(stream);
}

TColor TChunktRNS::TransparentColor() const
{
    const TChunkIHDR* header = Owner()->Header();
    const uint8_t* gamma = Owner()->GammaTable;
    uint32_t stored[3] = {0, 0, 0};
    switch (header->ColorType) {
    case COLOR_GRAYSCALE: {
        if (!StoredSample(SampleAt(Alphas, 0), header->BitDepth, stored[0]))
            return 0;
        const uint8_t level = gamma[GrayLevel(stored[0], StoredBitsPerPixel(COLOR_GRAYSCALE, header->BitDepth))];
        return RGB(level, level, level);
    }
    case COLOR_RGB:
        for (int i = 0; i < 3; ++i)
            if (!StoredSample(SampleAt(Alphas, i), header->BitDepth, stored[i]))
                return 0;
        return RGB(gamma[stored[0]], gamma[stored[1]], gamma[stored[2]]);
    case COLOR_PALETTE:
        for (uint32_t i = 0; i < DataSize(); ++i)
            if (Alphas[i] == 0) {
                const TPngQuad& entry = header->ImageData.Palette[i];
                return RGB(entry.Red, entry.Green, entry.Blue);
            }
        return 0;
    default: return 0;
    }
}

bool TChunktRNS::IsKeyPixel(const uint8_t* storeRow, uint32_t x) const
{
    const TChunkIHDR* header = Owner()->Header();
    uint32_t stored[3];
    if (header->ColorType == COLOR_GRAYSCALE) {
        return StoredSample(SampleAt(Alphas, 0), header->BitDepth, stored[0]) &&
            GetPackedSample(storeRow, x, header->ImageData.BitsPerPixel()) == stored[0];
    }
    if (header->ColorType != COLOR_RGB)
        return false;
    const uint8_t* gamma = Owner()->GammaTable;
    for (int i = 0; i < 3; ++i)
        if (!StoredSample(SampleAt(Alphas, i), header->BitDepth, stored[i]))
            return false;
    const uint8_t* pixel = storeRow + size_t{x} * 3;
    return pixel[0] == gamma[stored[2]] && pixel[1] == gamma[stored[1]] && pixel[2] == gamma[stored[0]];
}

void TChunktRNS::SetTransparentColor(TColor color)
{
    const TChunkIHDR* header = Owner()->Header();
    std::fill(std::begin(Alphas), std::end(Alphas), 0);
    BinaryTransparency = true;
    switch (header->ColorType) {
    case COLOR_GRAYSCALE:
        Alphas[1] = GetRValue(color);
        FData.assign(2, 0);
        break;
    case COLOR_RGB:
        Alphas[1] = GetRValue(color);
        Alphas[3] = GetGValue(color);
        Alphas[5] = GetBValue(color);
        FData.assign(6, 0);
        break;
    case COLOR_PALETTE: {
        const TPngQuad* palette = header->ImageData.Palette;
        uint32_t index = 0;
        while (index < 256 &&
               !(palette[index].Red == GetRValue(color) && palette[index].Green == GetGValue(color) &&
                 palette[index].Blue == GetBValue(color)))
            ++index;
        if (index == 256)
            index = 0;
        std::fill(Alphas, Alphas + index, 255);
        Alphas[index] = 0;
        FData.assign(index + 1, 0);
        break;
    }
    default: break;
    }
    std::copy(Alphas, Alphas + FData.size(), FData.begin());
}

void TChunktRNS::Assign(const TChunk& source)
{
    if (const auto* transparency = dynamic_cast<const TChunktRNS*>(&source)) {
        std::copy(std::begin(transparency->Alphas), std::end(transparency->Alphas), Alphas);
        BinaryTransparency = transparency->BinaryTransparency;
    }
    TChunk::Assign(source);
}

// ---- gAMA -----------------------------------------------------------------

TChunkgAMA::TChunkgAMA(TPNGObject* owner) : TChunk(owner, "gAMA") { SetGamma(1); }

std::unique_ptr<TChunk> TChunkgAMA::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkgAMA>(owner);
}

uint32_t TChunkgAMA::Gamma() const { return FData.size() == 4 ? BigEndian32(FData.data()) : 1; }

void TChunkgAMA::SetGamma(uint32_t value)
{
    FData.assign(4, 0);
    PutBigEndian32(FData.data(), value);
}

bool TChunkgAMA::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    const uint32_t gamma = Gamma();
    SetGamma(gamma);
    if (gamma == 0)
        return true;
    const long double exponent = 1.0L / (gamma / 100000.0L * 2.2L);
    for (int i = 0; i < 256; ++i) {
        const auto value = static_cast<uint8_t>(Round(255.0L * std::pow(i / 255.0L, exponent)));
        Owner()->GammaTable[i] = value;
        Owner()->InverseGammaTable[value] = static_cast<uint8_t>(i);
    }
    return true;
}

void TChunkgAMA::Assign(const TChunk& source)
{
    const auto* gamma = dynamic_cast<const TChunkgAMA*>(&source);
    if (!gamma)
        throw EPngError(EPngIncompatibleChunksText);
    SetGamma(gamma->Gamma());
}

// ---- tIME -----------------------------------------------------------------

std::unique_ptr<TChunk> TChunktIME::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunktIME>(owner);
}

bool TChunktIME::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    if (FData.size() == 7) {
        Year = static_cast<uint16_t>((FData[0] << 8) | FData[1]);
        Month = FData[2];
        Day = FData[3];
        Hour = FData[4];
        Minute = FData[5];
        Second = FData[6];
    }
    return true;
}

bool TChunktIME::SaveChunk(TStream& stream)
{
    FData = {static_cast<uint8_t>(Year >> 8), static_cast<uint8_t>(Year), Month, Day, Hour, Minute, Second};
    return WriteChunkData(stream);
}

void TChunktIME::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* time = dynamic_cast<const TChunktIME*>(&source)) {
        Year = time->Year;
        Month = time->Month;
        Day = time->Day;
        Hour = time->Hour;
        Minute = time->Minute;
        Second = time->Second;
    }
}

// ---- tEXt and zTXt --------------------------------------------------------

namespace {

// Index of the keyword's terminating zero; the data size when there is none.
size_t KeywordEnd(const std::vector<uint8_t>& data)
{
    return static_cast<size_t>(std::find(data.begin(), data.end(), 0) - data.begin());
}

std::string BytesToString(const uint8_t* begin, const uint8_t* end) { return std::string(begin, end); }

} // namespace

std::unique_ptr<TChunk> TChunktEXt::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunktEXt>(owner);
}

bool TChunktEXt::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunk::LoadChunk(stream, name, length);
    if (FData.size() >= 3) {
        const size_t end = KeywordEnd(FData);
        const uint8_t* data = FData.data();
        Keyword = BytesToString(data, data + end);
        Text = end < FData.size() ? BytesToString(data + end + 1, data + FData.size()) : std::string();
    }
    return true;
}

bool TChunktEXt::SaveChunk(TStream& stream)
{
    FData.assign(Keyword.begin(), Keyword.end());
    FData.push_back(0);
    FData.insert(FData.end(), Text.begin(), Text.end());
    return WriteChunkData(stream);
}

void TChunktEXt::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* text = dynamic_cast<const TChunktEXt*>(&source)) {
        Keyword = text->Keyword;
        Text = text->Text;
    }
}

std::unique_ptr<TChunk> TChunkzTXt::CreateSameClass(TPNGObject* owner) const
{
    return std::make_unique<TChunkzTXt>(owner);
}

bool TChunkzTXt::LoadChunk(TStream& stream, const std::string& name, uint32_t length)
{
    TChunktEXt::LoadChunk(stream, name, length);
    if (FData.size() < 4)
        return true;
    const size_t end = KeywordEnd(FData);
    Keyword = BytesToString(FData.data(), FData.data() + end);
    Text.clear();
    const size_t method = end + 1;
    if (method >= FData.size() || FData[method] != 0)
        return true;
    std::vector<uint8_t> inflated;
    std::string error;
    if (InflateBuffer(FData.data() + method + 1, FData.size() - method - 1, inflated, error))
        Text.assign(inflated.begin(), inflated.end());
    return true;
}

bool TChunkzTXt::SaveChunk(TStream& stream)
{
    if (Text.empty())
        Text = " ";
    std::vector<uint8_t> compressed;
    std::string error;
    if (!DeflateBuffer(reinterpret_cast<const uint8_t*>(Text.data()), Text.size(), Owner()->CompressionLevel(),
                       compressed, error))
        return false;
    FData.assign(Keyword.begin(), Keyword.end());
    FData.push_back(0);
    FData.push_back(0);
    FData.insert(FData.end(), compressed.begin(), compressed.end());
    return WriteChunkData(stream);
}

// ---- Registry -------------------------------------------------------------

namespace {

struct TRegisteredChunk {
    std::string Name;
    TChunkFactory Factory;
};

template <class T>
TRegisteredChunk Standard(const char* name)
{
    return {name, [](TPNGObject* owner) -> std::unique_ptr<TChunk> { return std::make_unique<T>(owner); }};
}

std::vector<TRegisteredChunk>& ChunkClasses()
{
    static std::vector<TRegisteredChunk> classes = {
        Standard<TChunkIEND>("IEND"), Standard<TChunkIHDR>("IHDR"), Standard<TChunkIDAT>("IDAT"),
        Standard<TChunkPLTE>("PLTE"), Standard<TChunkgAMA>("gAMA"), Standard<TChunktRNS>("tRNS"),
        Standard<TChunktIME>("tIME"), Standard<TChunktEXt>("tEXt"), Standard<TChunkzTXt>("zTXt"),
    };
    return classes;
}

} // namespace

void RegisterChunk(const std::string& name, TChunkFactory factory)
{
    ChunkClasses().push_back({name, std::move(factory)});
}

std::unique_ptr<TChunk> CreateChunkByName(TPNGObject* owner, const std::string& name)
{
    std::unique_ptr<TChunk> chunk;
    for (const auto& registered : ChunkClasses())
        if (registered.Name == name) {
            chunk = registered.Factory(owner);
            break;
        }
    if (!chunk)
        chunk = std::make_unique<TChunk>(owner);
    chunk->SetName(name);
    return chunk;
}

// ---- TPNGList -------------------------------------------------------------

TChunk* TPNGList::Add(std::unique_ptr<TChunk> chunk)
{
    FItems.push_back(std::move(chunk));
    return FItems.back().get();
}

void TPNGList::Remove(TChunk* chunk)
{
    for (size_t i = FItems.size(); i-- > 0;)
        if (FItems[i].get() == chunk) {
            FItems.erase(FItems.begin() + static_cast<ptrdiff_t>(i));
            return;
        }
}
