#include "platform/gfx/Resources.h"

#include "platform/core/Strings.h"

#include <map>
#include <mutex>

namespace {

std::mutex ResourcesLock;

template <typename Factory>
std::map<std::string, Factory>& Table()
{
    static std::map<std::string, Factory> table;
    return table;
}

template <typename Factory>
Factory Find(const std::string& name)
{
    std::lock_guard<std::mutex> lock(ResourcesLock);
    const auto it = Table<Factory>().find(UpperCase(name));
    if (it == Table<Factory>().end())
        throw EResNotFound(Format("Resource %s not found", name.c_str()));
    return it->second;
}

} // namespace

void RegisterBitmapResource(const std::string& name, TBitmapResourceFactory factory)
{
    std::lock_guard<std::mutex> lock(ResourcesLock);
    Table<TBitmapResourceFactory>()[UpperCase(name)] = std::move(factory);
}

void RegisterCursorResource(const std::string& name, TCursorResourceFactory factory)
{
    std::lock_guard<std::mutex> lock(ResourcesLock);
    Table<TCursorResourceFactory>()[UpperCase(name)] = std::move(factory);
}

bool BitmapResourceExists(const std::string& name)
{
    std::lock_guard<std::mutex> lock(ResourcesLock);
    return Table<TBitmapResourceFactory>().count(UpperCase(name)) != 0;
}

std::unique_ptr<TBitmap> LoadBitmapResource(const std::string& name)
{
    std::unique_ptr<TBitmap> bitmap = Find<TBitmapResourceFactory>(name)();
    if (!bitmap)
        throw EResNotFound(Format("Resource %s not found", name.c_str()));
    return bitmap;
}

TCursorImage LoadCursorResource(const std::string& name) { return Find<TCursorResourceFactory>(name)(); }

std::unique_ptr<TBitmap> CreateMappedBitmapResource(const std::string& name,
                                                    const std::vector<std::pair<TColor, TColor>>& colorMap)
{
    std::unique_ptr<TBitmap> bitmap = LoadBitmapResource(name);
    if (bitmap->BitCount() <= 8) {
        // Palette bitmaps change their colour table, as mapped resources do.
        TPalette palette = bitmap->Palette();
        for (size_t i = 0; i < palette.Count(); ++i)
            for (const auto& [from, to] : colorMap)
                if (palette.EntryColor(i) == ColorToPixelRGB(from)) {
                    const TColor c = ColorToPixelRGB(to);
                    palette.SetEntry(i, {GetRValue(c), GetGValue(c), GetBValue(c), 0});
                    break;
                }
        bitmap->SetPalette(palette);
        return bitmap;
    }
    const TRasterSurface s = bitmap->Surface();
    std::vector<std::pair<uint32_t, uint32_t>> raws;
    for (const auto& [from, to] : colorMap)
        raws.emplace_back(RgbToRaw(ColorToPixelRGB(from), s.Bpp, s.Palette),
                          RgbToRaw(ColorToPixelRGB(to), s.Bpp, s.Palette));
    const uint32_t rgbMask = s.Bpp == 32 ? 0x00FFFFFFu : RawMask(s.Bpp);
    for (int32_t y = 0; y < s.Height; ++y) {
        uint8_t* row = s.Row(y);
        for (int32_t x = 0; x < s.Width; ++x) {
            const uint32_t raw = ReadRaw(row, x, s.Bpp);
            for (const auto& [from, to] : raws)
                if ((raw & rgbMask) == from) {
                    WriteRaw(row, x, s.Bpp, (raw & ~rgbMask) | to);
                    break;
                }
        }
    }
    return bitmap;
}
