#include "controls/png/pngimage.h"

#include "controls/png/PngPixelLayout.h"
#include "controls/png/PngRowLayout.h"
#include "controls/png/PngStreamIO.h"

#include "platform/core/Streams.h"
#include "platform/gfx/Picture.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

namespace {

constexpr uint32_t MinIdatSize = 65535;

} // namespace

TPNGObject::TPNGObject() { ResetGamma(); }

TPNGObject::~TPNGObject() { Clear(); }

int32_t TPNGObject::Width() const { return HasHeader() ? static_cast<int32_t>(Header()->Width) : 0; }

int32_t TPNGObject::Height() const { return HasHeader() ? static_cast<int32_t>(Header()->Height) : 0; }

void TPNGObject::SetWidth(int32_t) { throw EPngError(EPngCannotResizeText); }

void TPNGObject::SetHeight(int32_t) { throw EPngError(EPngCannotResizeText); }

void TPNGObject::SetMaxIdatSize(uint32_t value) { FMaxIdatSize = std::max(value, MinIdatSize); }

bool TPNGObject::HasHeader() const
{
    return FChunks.Count() > 0 && dynamic_cast<TChunkIHDR*>(FChunks.Item(0)) != nullptr;
}

TChunkIHDR* TPNGObject::Header() const
{
    auto* header = FChunks.Count() > 0 ? dynamic_cast<TChunkIHDR*>(FChunks.Item(0)) : nullptr;
    if (!header)
        throw EPNGHeaderNotPresent();
    return header;
}

// A failed load may leave a header whose store could not be built.
bool TPNGObject::HasImage() const { return HasHeader() && !Header()->ImageData.Empty(); }

void TPNGObject::PixelInfo(uint64_t& rowBytes, uint32_t& filterDistance) const
{
    rowBytes = 0;
    filterDistance = 0;
    if (!HasHeader())
        return;
    const TChunkIHDR& header = *Header();
    rowBytes = RowBytesFor(header.ColorType, header.BitDepth, header.Width);
    filterDistance = FilterDistanceFor(header.ColorType, header.BitDepth);
}

void TPNGObject::ResetGamma()
{
    for (int i = 0; i < 256; ++i) {
        GammaTable[i] = static_cast<uint8_t>(i);
        InverseGammaTable[i] = static_cast<uint8_t>(i);
    }
}

void TPNGObject::Clear()
{
    ResetGamma();
    FChunks.Clear();
    ReleasePalette();
}

void TPNGObject::UpdateTransparentFlag() { SetTransparent(TransparencyMode() != 0); }

// ---- Streams --------------------------------------------------------------

void TPNGObject::LoadFromStream(TStream& stream)
{
    try {
        LoadChunks(stream);
    } catch (...) {
        UpdateTransparentFlag();
        throw;
    }
    UpdateTransparentFlag();
    Changed();
}

void TPNGObject::LoadChunks(TStream& stream)
{
    Clear();
    uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || !std::equal(signature, signature + 8, PngSignature))
        throw EPNGInvalidFileHeader();
    bool hasImageData = false;
    for (;;) {
        const uint32_t length = ReadBigEndian32(stream);
        char nameBytes[4];
        ReadExactly(stream, nameBytes, 4);
        const std::string name(nameBytes, 4);
        if (FChunks.Count() == 0 && name != "IHDR")
            throw EPNGIHDRNotFirst();
        // Chromaticities are not used, and further IDAT chunks were read with the first.
        if (name == "cHRM" || (name == "IDAT" && hasImageData)) {
            stream.Seek(int64_t{length} + 4, soCurrent);
            continue;
        }
        std::unique_ptr<TChunk> created = CreateChunkByName(this, name);
        const bool generic = typeid(*created) == typeid(TChunk);
        TChunk* chunk = FChunks.Add(std::move(created));
        if (generic && IsCriticalChunkName(name))
            throw EPNGUnknownCriticalChunk();
        if (!chunk->LoadChunk(stream, name, length))
            break;
        if (name == "IDAT")
            hasImageData = true;
        if (name == "IEND")
            break;
    }
    if (!hasImageData)
        throw EPNGNoImageData();
}

void TPNGObject::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(PngSignature, 8);
    for (uint32_t i = 0; i < FChunks.Count(); ++i)
        FChunks.Item(i)->SaveChunk(stream);
}

// ---- Copying --------------------------------------------------------------

void TPNGObject::LoadFromClipboardFormat(TClipFormat format, const std::vector<uint8_t>& data)
{
    TBitmap bitmap;
    bitmap.LoadFromClipboardFormat(format, data);
    AssignBitmap(bitmap, false, clBlack);
}

void TPNGObject::SaveToClipboardFormat(TClipFormat& format, std::vector<uint8_t>& data)
{
    TBitmap bitmap(Width(), Height());
    Draw(*bitmap.Canvas(), Rect(0, 0, Width(), Height()));
    bitmap.SaveToClipboardFormat(format, data);
}

std::unique_ptr<TGraphic> TPNGObject::Clone() const
{
    auto copy = std::make_unique<TPNGObject>();
    copy->CopyFrom(*this);
    return copy;
}

void TPNGObject::CopyFrom(const TPNGObject& source)
{
    if (&source == this)
        return;
    FInterlaceMethod = source.FInterlaceMethod;
    SetMaxIdatSize(source.FMaxIdatSize);
    FCompressionLevel = source.FCompressionLevel;
    FFilters = source.FFilters;
    Clear();
    // The copied store holds gamma-corrected colours; saving must undo them alike.
    std::copy(std::begin(source.GammaTable), std::end(source.GammaTable), GammaTable);
    std::copy(std::begin(source.InverseGammaTable), std::end(source.InverseGammaTable), InverseGammaTable);
    for (uint32_t i = 0; i < source.FChunks.Count(); ++i) {
        const TChunk& original = *source.FChunks.Item(i);
        TChunk* chunk = FChunks.Add(original.CreateSameClass(this));
        chunk->Assign(original);
    }
    UpdateTransparentFlag();
    Changed();
}

void TPNGObject::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        UpdateTransparentFlag();
        Changed();
    } else if (const auto* png = dynamic_cast<const TPNGObject*>(source)) {
        CopyFrom(*png);
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        AssignBitmap(*bitmap, bitmap->Transparent(), bitmap->TransparentColor());
    } else {
        TGraphic::Assign(source);
    }
}

void TPNGObject::AssignTo(TPersistent* dest) const
{
    if (auto* png = dynamic_cast<TPNGObject*>(dest)) {
        png->CopyFrom(*this);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap && HasImage()) {
        bitmap->Assign(StoreToBitmap().get());
        if (TransparencyMode() == 1) {
            bitmap->SetTransparentMode(tmFixed);
            bitmap->SetTransparentColor(TransparentColor());
            bitmap->SetTransparent(true);
        }
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TPNGObject::AssignBitmap(const TBitmap& bitmap, bool transparent, TColor transparentColor)
{
    Clear();
    if (bitmap.Empty()) {
        UpdateTransparentFlag();
        Changed();
        return;
    }
    const int bits = bitmap.BitCount();
    const bool indexed = bits < 16;
    auto* header = static_cast<TChunkIHDR*>(FChunks.Add(std::make_unique<TChunkIHDR>(this)));
    auto* palette = indexed ? static_cast<TChunkPLTE*>(FChunks.Add(std::make_unique<TChunkPLTE>(this))) : nullptr;
    auto* transparency =
        transparent ? static_cast<TChunktRNS*>(FChunks.Add(std::make_unique<TChunktRNS>(this))) : nullptr;
    FChunks.Add(std::make_unique<TChunkIDAT>(this));
    FChunks.Add(std::make_unique<TChunkIEND>(this));

    header->Width = static_cast<uint32_t>(bitmap.Width());
    header->Height = static_cast<uint32_t>(bitmap.Height());
    header->BitDepth = static_cast<uint8_t>(indexed ? bits : 8);
    header->ColorType = indexed ? COLOR_PALETTE : COLOR_RGB;
    header->CompressionMethod = 0;
    header->InterlaceMethod = 0;
    FInterlaceMethod = 0;
    header->PrepareImage();
    TPngImageStore& store = header->ImageData;
    for (uint32_t y = 0; y < header->Height; ++y) {
        const uint8_t* source = bitmap.ScanLine(static_cast<int32_t>(y));
        uint8_t* target = store.Row(y);
        if (indexed || bits == 24) {
            std::memcpy(target, source, std::min<size_t>(store.RowBytes(), static_cast<size_t>(bitmap.RowBytes())));
            continue;
        }
        for (uint32_t x = 0; x < header->Width; ++x) {
            const TColor color = RawToRgb(ReadRaw(source, static_cast<int32_t>(x), bits), bits, &bitmap.Palette());
            target[3 * x] = GetBValue(color);
            target[3 * x + 1] = GetGValue(color);
            target[3 * x + 2] = GetRValue(color);
        }
    }
    if (palette) {
        palette->Count = 1u << bits;
        const TPalette& colors = bitmap.Palette();
        for (size_t i = 0; i < std::min<size_t>(colors.Count(), 256); ++i) {
            const TPaletteEntry& entry = colors.Entry(i);
            store.Palette[i] = TPngQuad{entry.peBlue, entry.peGreen, entry.peRed, 0};
        }
    }
    if (transparency)
        transparency->SetTransparentColor(transparentColor & 0xFFFFFF);
    UpdateTransparentFlag();
    Changed();
}

// ---- Transparency and pixels ----------------------------------------------

int TPNGObject::TransparencyMode() const
{
    if (!HasHeader())
        return 0;
    const auto* transparency = FChunks.ItemOfClass<TChunktRNS>();
    switch (Header()->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_RGB: return transparency ? 1 : 0;
    case COLOR_PALETTE: return !transparency ? 0 : transparency->BinaryTransparency ? 1 : 2;
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: return 2;
    default: return 0;
    }
}

TColor TPNGObject::TransparentColor() const
{
    const auto* transparency = FChunks.ItemOfClass<TChunktRNS>();
    return transparency && HasHeader() ? transparency->TransparentColor() : 0;
}

uint8_t* TPNGObject::RowPointer(uint32_t y) const { return Header()->ImageData.Row(y); }

TColor TPNGObject::Pixels(int32_t x, int32_t y) const
{
    if (!HasImage() || x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    const TChunkIHDR& header = *Header();
    const TPngImageStore& store = header.ImageData;
    const uint8_t* row = store.Row(static_cast<uint32_t>(y));
    if (store.BitsPerPixel() == 24) {
        const uint8_t* pixel = row + 3 * size_t(x);
        return RGB(pixel[2], pixel[1], pixel[0]);
    }
    // Every stored sample shows as its palette entry: the gray ramp of a gray
    // image (gamma applied) or the colour of a palette image.
    const uint32_t sample = GetPackedSample(row, static_cast<uint64_t>(x), store.BitsPerPixel());
    if (header.ColorType == COLOR_PALETTE) {
        const auto* palette = FChunks.ItemOfClass<TChunkPLTE>();
        if (!palette || sample >= palette->Count)
            return 0;
    }
    const TPngQuad& entry = store.Palette[sample];
    return RGB(entry.Red, entry.Green, entry.Blue);
}

void TPNGObject::SetPixels(int32_t x, int32_t y, TColor color)
{
    if (!HasImage() || x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    TPngImageStore& store = Header()->ImageData;
    uint8_t* row = store.Row(static_cast<uint32_t>(y));
    if (store.BitsPerPixel() == 24) {
        uint8_t* pixel = row + 3 * size_t(x);
        pixel[0] = GetBValue(color);
        pixel[1] = GetGValue(color);
        pixel[2] = GetRValue(color);
        ReleasePalette();
        return;
    }
    const size_t entries = size_t{1} << store.BitsPerPixel();
    std::vector<TPaletteEntry> usable(entries);
    for (size_t i = 0; i < entries; ++i)
        usable[i] = TPaletteEntry{store.Palette[i].Red, store.Palette[i].Green, store.Palette[i].Blue, 0};
    const uint32_t index = TPalette(std::move(usable)).NearestIndex(color & 0xFFFFFF);
    SetPackedSample(row, static_cast<uint64_t>(x), store.BitsPerPixel(), index);
}

const TPalette* TPNGObject::GetPalette()
{
    if (!HasImage())
        return nullptr;
    const uint8_t colorType = Header()->ColorType;
    if (colorType != COLOR_GRAYSCALE && colorType != COLOR_PALETTE)
        return nullptr;
    if (!FPalette) {
        std::vector<TPaletteEntry> entries(256);
        const TPngQuad* palette = Header()->ImageData.Palette;
        for (size_t i = 0; i < 256; ++i)
            entries[i] = TPaletteEntry{palette[i].Red, palette[i].Green, palette[i].Blue, 0};
        FPalette = std::make_unique<TPalette>(std::move(entries));
    }
    return FPalette.get();
}

// ---- Picture registry -----------------------------------------------------

void RegisterPngPictureFormat()
{
    RegisterFileFormat("PNG", "Portable Network Graphics", [] { return std::make_unique<TPNGObject>(); });
    RegisterGraphicClass("TPNGObject", [] { return std::make_unique<TPNGObject>(); });
}

void UnregisterPngPictureFormat() { UnregisterFileFormat("PNG"); }
