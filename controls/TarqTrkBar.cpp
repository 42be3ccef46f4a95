#include "controls/TarqTrkBar.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "controls/TarqColors.h"
#include "controls/TarqRegistration.h"
#include "platform/gfx/Resources.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Themes.h"

TTarqCustomTrackBar::TTarqCustomTrackBar(TComponent* owner)
    : TCustomControl(owner), customThumb_(std::make_unique<TBitmap>()), thumbNormal_(std::make_unique<TBitmap>()),
      thumbHot_(std::make_unique<TBitmap>()), thumbDisabled_(std::make_unique<TBitmap>()),
      thumbMask_(std::make_unique<TBitmap>()), background_(std::make_unique<TBitmap>())
{
    RegisterTarqTrackBarResources();
    SetTabStop(true);
    SetBounds(left_, top_, 200, 35);
    pageTimer_ = new TTimer(this);
    pageTimer_->SetEnabled(false);
    pageTimer_->SetInterval(200);
    pageTimer_->OnTimer = [this](TObject* sender) { PageTimerTick(sender); };
    customThumb_->OnChange = [this](TObject* sender) { CustomThumbChanged(sender); };
    LoadThumbBitmaps();
    horizontalCursor_ = LoadCursorResource("TARQTRKBAR_H_CURSOR");
    verticalCursor_ = LoadCursorResource("TARQTRKBAR_V_CURSOR");
}

TTarqCustomTrackBar::~TTarqCustomTrackBar() = default;

// ---- Range and position ----------------------------------------------------

// The range never empties: min_ < max_ always, so max_ - 1 and min_ + 1
// cannot overflow. A position outside the new range is pulled in without
// asking OnChanging, which could otherwise leave it outside for good.
void TTarqCustomTrackBar::SetMin(int32_t value)
{
    if (value == min_)
        return;
    min_ = value >= max_ ? max_ - 1 : value;
    selStart_ = std::max(selStart_, min_);
    selEnd_ = std::max(selEnd_, min_);
    if (position_ < min_)
        ForcePosition(min_);
    Rebuild();
}

void TTarqCustomTrackBar::SetMax(int32_t value)
{
    if (value == max_)
        return;
    max_ = value <= min_ ? min_ + 1 : value;
    selEnd_ = std::min(selEnd_, max_);
    selStart_ = std::min(selStart_, max_);
    if (position_ > max_)
        ForcePosition(max_);
    Rebuild();
}

void TTarqCustomTrackBar::ForcePosition(int32_t value)
{
    position_ = value;
    RedrawThumb();
    Change();
}

void TTarqCustomTrackBar::SetPosition(int32_t value)
{
    if (value == position_)
        return;
    value = std::clamp(value, min_, max_);
    if (value == position_ || !CanChange(value))
        return;
    position_ = value;
    RedrawThumb();
    Change();
}

void TTarqCustomTrackBar::SetSelStart(int32_t value)
{
    if (value == selStart_)
        return;
    value = std::clamp(value, min_, max_);
    if (selEnd_ > 0 && selEnd_ < value)
        value = selEnd_;
    selStart_ = value;
    Rebuild();
}

void TTarqCustomTrackBar::SetSelEnd(int32_t value)
{
    if (value == selEnd_)
        return;
    value = std::clamp(value, min_, max_);
    if (selStart_ > 0 && value < selStart_)
        value = selStart_;
    selEnd_ = value;
    Rebuild();
}

// ---- Appearance --------------------------------------------------------------

namespace {

template <class V>
bool Store(V& field, const V& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void TTarqCustomTrackBar::SetOrientation(TOrientation value)
{
    if (Store(orientation_, value))
        ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetThumbStyle(TThumbStyle value)
{
    if (!Store(thumbStyle_, value))
        return;
    if (!IsLoading())
        trackWidth_ = value == tsMixer || value == tsFlat ? 6 : 8;
    ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetPointerType(TPointerType value)
{
    if (Store(pointerType_, value))
        ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetCustomThumb(TBitmap* value) { customThumb_->Assign(value); }

void TTarqCustomTrackBar::CustomThumbChanged(TObject*)
{
    thumbStyle_ = tsCustom;
    ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetHighlightColor(TColor value)
{
    if (Store(highlightColor_, value))
        ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetHotTrackColor(TColor value)
{
    if (Store(hotTrackColor_, value))
        ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetHotTrackColorType(TTarqHotTrackColorType value)
{
    if (Store(hotTrackColorType_, value))
        ReloadAndRebuild();
}

void TTarqCustomTrackBar::SetTrackColor(TColor value)
{
    if (Store(trackColor_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTrackFrameColor(TColor value)
{
    if (Store(trackFrameColor_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetSelColor(TColor value)
{
    if (Store(selColor_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTickColor(TColor value)
{
    if (Store(tickColor_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTrackOffset(uint16_t value)
{
    if (Store(trackOffset_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTrackWidth(uint16_t value)
{
    if (Store(trackWidth_, std::max<uint16_t>(value, 4)))
        Rebuild();
}

void TTarqCustomTrackBar::SetTrackFrame(TFrameStyle value)
{
    if (Store(trackFrame_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetShowTicks(bool value)
{
    if (Store(showTicks_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTickStep(int32_t value)
{
    if (Store(tickStep_, std::max(value, 1)))
        Rebuild();
}

void TTarqCustomTrackBar::SetTickStyle(TTickStyle value)
{
    if (Store(tickStyle_, value))
        Rebuild();
}

void TTarqCustomTrackBar::SetTransparent(bool value)
{
    if (Store(transparent_, value))
        Rebuild();
}

void TTarqCustomTrackBar::Rebuild()
{
    rebuildBackground_ = true;
    Invalidate();
}

void TTarqCustomTrackBar::ReloadAndRebuild()
{
    LoadThumbBitmaps();
    Rebuild();
}

const TCursorImage& TTarqCustomTrackBar::ThumbCursor() const
{
    return Horizontal() ? horizontalCursor_ : verticalCursor_;
}

// ---- Thumb bitmaps -------------------------------------------------------------

namespace {

const char* ResourceBase(TThumbStyle style, TPointerType pointer, bool horizontal)
{
    switch (style) {
    case tsBox: return horizontal ? "TARQTRKBAR_H_BOX" : "TARQTRKBAR_V_BOX";
    case tsMixer: return horizontal ? "TARQTRKBAR_H_MIXER" : "TARQTRKBAR_V_MIXER";
    case tsFlat: return horizontal ? "TARQTRKBAR_H_FLAT" : "TARQTRKBAR_V_FLAT";
    case tsXPPointer: return horizontal ? "TARQTRKBAR_H_XPPTR" : "TARQTRKBAR_V_XPPTR";
    case tsXPBox: return horizontal ? "TARQTRKBAR_H_XPBOX" : "TARQTRKBAR_V_XPBOX";
    default:
        if (!horizontal)
            return "TARQTRKBAR_V_PTR";
        return pointer == ptWin95 ? "TARQTRKBAR_WIN95" : "TARQTRKBAR_H_PTR";
    }
}

std::vector<std::pair<TColor, TColor>> ThumbColorMap(TColor highlight, TColor hot, TTarqHotTrackColorType hotType)
{
    TColor h1 = hot, h2 = hot, h3 = MixColors(0xFFFFFF, hot, 190);
    if (hotType == htctComplement) {
        const TColor opposite = OppositeHueColor(hot, 140);
        h1 = DarkenColor(opposite, 15);
        h2 = DarkenColor(opposite, 30);
        h3 = opposite;
    }
    // The highlight one step of red away, so that it stays apart from the
    // key colour it replaces. The step never carries into green: a full red
    // steps down instead.
    const TColor highlightRGB = ColorToPixelRGB(highlight);
    const TColor highlightNudged = (highlightRGB & 0xFF) == 0xFF ? highlightRGB - 1 : highlightRGB + 1;
    return {
        {0xC0C0C0, clBtnFace},
        {0x808080, clBtnShadow},
        {0x008080, cl3DDkShadow},
        {0x00FFFF, cl3DLight},
        {0x008000, LightenColor(clBtnShadow, 30)},
        {0xFF0000, highlightNudged},
        {0x800000, DarkenColor(highlight, 30)},
        {0xFFFF00, LightenColor(highlight, 30)},
        {0x0000FF, h1},
        {0x000080, h2},
        {0xFF00FF, h3},
        {0x808000, clBtnShadow},
        {0x800080, DarkenColor(clBtnShadow, 30)},
        {0x00FF00, LightenColor(clBtnShadow, 30)},
    };
}

std::unique_ptr<TBitmap> CutPart(TBitmap& source, int32_t index, int32_t width)
{
    auto part = std::make_unique<TBitmap>(width, source.Height());
    part->Canvas()->CopyRect(Rect(0, 0, width, source.Height()), source.Canvas(),
                             Rect(index * width, 0, (index + 1) * width, source.Height()));
    return part;
}

} // namespace

void TTarqCustomTrackBar::LoadThumbBitmaps()
{
    TThumbStyle style = thumbStyle_;
    if (ThemeServices()->ThemesEnabled() && style == tsBox)
        style = tsXPBox;
    if (ThemeServices()->ThemesEnabled() && style == tsPointer)
        style = tsXPPointer;
    if (style == tsCustom)
        CutCustomThumb();
    else
        LoadResourceThumb(style);
    thumbAcross_ = Horizontal() ? thumbNormal_->Height() : thumbNormal_->Width();
    thumbAlong_ = Horizontal() ? thumbNormal_->Width() : thumbNormal_->Height();
    thumbHalf_ = thumbAlong_ / 2;
}

void TTarqCustomTrackBar::LoadResourceThumb(TThumbStyle style)
{
    const std::string base = ResourceBase(style, pointerType_, Horizontal());
    const bool mapped = style != tsXPPointer && style != tsXPBox;
    auto load = [&](const std::string& name) {
        return mapped
            ? CreateMappedBitmapResource(name, ThumbColorMap(highlightColor_, hotTrackColor_, hotTrackColorType_))
            : LoadBitmapResource(name);
    };
    thumbNormal_ = load(base);
    thumbHot_ = load(base + "_HOT");
    thumbDisabled_ = load(base + "_DISABLED");
    thumbMask_ = LoadBitmapResource(base + "_MASK");
}

void TTarqCustomTrackBar::CutCustomThumb()
{
    const int32_t width = customThumb_->Width() / 3;
    if (width == 0 || customThumb_->Height() == 0) {
        for (auto* image : {&thumbNormal_, &thumbHot_, &thumbDisabled_, &thumbMask_})
            *image = std::make_unique<TBitmap>();
        return;
    }
    thumbNormal_ = CutPart(*customThumb_, 0, width);
    thumbHot_ = CutPart(*customThumb_, 0, width);
    thumbMask_ = CutPart(*customThumb_, 1, width);
    thumbDisabled_ = CutPart(*customThumb_, 2, width);
}

// ---- Geometry ------------------------------------------------------------------

TRect TTarqCustomTrackBar::TrackRect() const
{
    const int32_t end = Margin + thumbHalf_;
    if (Horizontal())
        return Rect(end, trackOffset_, Width() - end, trackOffset_ + trackWidth_);
    return Rect(trackOffset_, end, trackOffset_ + trackWidth_, Height() - end);
}

int32_t TTarqCustomTrackBar::TravelSpan() const
{
    const int32_t length = Horizontal() ? Width() : Height();
    return std::max(length - thumbAlong_ - 2 * Margin, 0);
}

TRect TTarqCustomTrackBar::ThumbRect() const
{
    const int32_t k = IsPointerThumb() && !(Horizontal() && pointerType_ == ptWin95) ? 2 : 0;
    const int32_t across = (trackWidth_ - thumbAcross_) / 2 + trackOffset_ - k;
    const auto travelled = static_cast<int32_t>(TravelSpan() * (int64_t{position_} - min_) / Range());
    if (Horizontal())
        return Rect(travelled + Margin, across, travelled + Margin + thumbAlong_, across + thumbAcross_);
    const int32_t bottom = Height() - (travelled + Margin);
    return Rect(across, bottom - thumbAlong_, across + thumbAcross_, bottom);
}
