#include "platform/gfx/ImageList.h"

#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>

TChangeLink::~TChangeLink()
{
    if (FSender)
        FSender->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList()
{
    // Controls that show the images unregister their change links on removal.
    AnnounceFreeing();
    for (TChangeLink* link : FLinks)
        link->FSender = nullptr;
}

void TCustomImageList::Change()
{
    for (TChangeLink* link : std::vector<TChangeLink*>(FLinks))
        if (link->OnChange)
            link->OnChange(this);
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::SetWidth(int32_t value)
{
    if (value == FWidth)
        return;
    if (value <= 0)
        throw EInvalidOperation(Format("Invalid image size %d", value));
    FWidth = value;
    Clear();
}

void TCustomImageList::SetHeight(int32_t value)
{
    if (value == FHeight)
        return;
    if (value <= 0)
        throw EInvalidOperation(Format("Invalid image size %d", value));
    FHeight = value;
    Clear();
}

void TCustomImageList::SetMasked(bool value)
{
    if (value == FMasked)
        return;
    FMasked = value;
    Change();
}

void TCustomImageList::SetBkColor(TColor value)
{
    if (value == FBkColor)
        return;
    FBkColor = value;
    Change();
}

int32_t TCustomImageList::AddPieces(const TBitmap& image,
                                    const std::function<uint32_t(int32_t, int32_t, uint32_t)>& alphaOf)
{
    if (image.Empty())
        throw EInvalidOperation("Cannot add an empty image");
    const int32_t first = Count();
    const int32_t pieces = std::max(1, image.Width() / FWidth);
    const int bpp = image.BitCount();
    for (int32_t piece = 0; piece < pieces; ++piece) {
        auto cell = std::make_unique<TBitmap>(FWidth, FHeight, pf32bit);
        for (int32_t y = 0; y < FHeight; ++y) {
            uint8_t* out = cell->ScanLine(y);
            for (int32_t x = 0; x < FWidth; ++x) {
                const int32_t sx = piece * FWidth + x;
                uint32_t pixel = 0;
                if (sx < image.Width() && y < image.Height()) {
                    const uint32_t raw = ReadRaw(image.ScanLine(y), sx, bpp);
                    const TColor c = RawToRgb(raw, bpp, &image.Palette());
                    const uint32_t a = FMasked ? alphaOf(sx, y, bpp == 32 ? raw >> 24 : 255) : 255;
                    pixel = (a << 24) | ((GetRValue(c) * a / 255) << 16) | ((GetGValue(c) * a / 255) << 8) |
                        (GetBValue(c) * a / 255);
                }
                WriteRaw(out, x, 32, pixel);
            }
        }
        FImages.push_back(std::move(cell));
    }
    Change();
    return first;
}

int32_t TCustomImageList::Add(const TBitmap* image, const TBitmap* mask)
{
    if (!image)
        throw EInvalidOperation("Cannot add an empty image");
    bool keepAlpha = false;
    if (!mask && image->BitCount() == 32)
        for (int32_t y = 0; y < image->Height() && !keepAlpha; ++y)
            for (int32_t x = 0; x < image->Width() && !keepAlpha; ++x)
                keepAlpha = (ReadRaw(image->ScanLine(y), x, 32) >> 24) != 0;
    return AddPieces(*image, [&](int32_t x, int32_t y, uint32_t alpha) -> uint32_t {
        if (mask) {
            if (x >= mask->Width() || y >= mask->Height())
                return 255;
            const int bpp = mask->BitCount();
            const uint32_t raw = ReadRaw(mask->ScanLine(y), x, bpp);
            const bool transparent = bpp == 1 ? raw != 0 : RawToRgb(raw, bpp, &mask->Palette()) == clWhite;
            return transparent ? 0 : 255;
        }
        return keepAlpha ? alpha : 255;
    });
}

int32_t TCustomImageList::AddMasked(const TBitmap* image, TColor maskColor)
{
    if (!image)
        throw EInvalidOperation("Cannot add an empty image");
    const TColor key = maskColor == clDefault ? image->TransparentColor() : ColorToPixelRGB(maskColor);
    const int bpp = image->BitCount();
    return AddPieces(*image, [&](int32_t x, int32_t y, uint32_t) -> uint32_t {
        return RawToRgb(ReadRaw(image->ScanLine(y), x, bpp), bpp, &image->Palette()) == key ? 0 : 255;
    });
}

const TBitmap& TCustomImageList::ImageAt(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation(Format("Image list index out of bounds (%d)", index));
    return *FImages[static_cast<size_t>(index)];
}

void TCustomImageList::Delete(int32_t index)
{
    ImageAt(index);
    FImages.erase(FImages.begin() + index);
    Change();
}

void TCustomImageList::Clear()
{
    FImages.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int32_t x, int32_t y, int32_t index, bool enabled)
{
    const TBitmap& image = ImageAt(index);
    if (!canvas)
        return;
    auto* source = const_cast<TBitmap&>(image).Canvas();
    if (enabled) {
        if (FBkColor != clNone)
            canvas->FillSolidRect(Bounds(x, y, FWidth, FHeight), FBkColor);
        canvas->AlphaBlend(x, y, FWidth, FHeight, source, 0, 0, FWidth, FHeight, TBlendFunction{255, true});
        return;
    }
    // The shape: pixels at least half opaque.
    for (const auto& [offset, colour] : {std::pair<int32_t, TColor>{1, clBtnHighlight}, {0, clBtnShadow}})
        for (int32_t row = 0; row < FHeight; ++row) {
            const uint8_t* line = image.ScanLine(row);
            for (int32_t col = 0; col < FWidth; ++col)
                if ((ReadRaw(line, col, 32) >> 24) >= 128)
                    canvas->FillSolidRect(Bounds(x + col + offset, y + row + offset, 1, 1), colour);
        }
}

void TCustomImageList::GetBitmap(int32_t index, TBitmap* image) const
{
    const TBitmap& cell = ImageAt(index);
    if (image)
        image->Assign(&cell);
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
        return;
    if (link->FSender)
        link->FSender->UnRegisterChanges(link);
    link->FSender = this;
    FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    const auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end())
        return;
    (*it)->FSender = nullptr;
    FLinks.erase(it);
}

namespace {

const bool registered = [] {
    RegisterClass<TCustomImageList, TComponent>("TCustomImageList")
        .Property("BkColor", ColorGetter(&TCustomImageList::BkColor), ColorSetter(&TCustomImageList::SetBkColor))
        .Default(ColorProp(clNone))
        .Idents(ColorIdents())
        .Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight)
        .Default(16)
        .Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked)
        .Default(true)
        .Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth)
        .Default(16)
        .Event("OnChange", &TCustomImageList::OnChange);
    RegisterClass<TImageList, TCustomImageList>("TImageList");
    return true;
}();

} // namespace
