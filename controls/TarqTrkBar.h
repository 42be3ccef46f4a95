#pragma once
// A slider drawn entirely by the control: a framed track with an optional
// selection range, ticks, and a thumb taken from the "TARQTRKBAR_*" bitmaps
// (colour-mapped to the system and highlight colours) or from a bitmap of
// the caller's. The thumb is composed off-screen over a cached background,
// so moving it repaints only the thumb. Driven by dragging the thumb,
// paging with auto-repeat on the track, the keyboard and Position.

#include <cstdint>
#include <functional>
#include <memory>

#include "controls/TarqTypes.h"
#include "platform/gfx/CursorImage.h"
#include "platform/ui/Controls.h"

class TTimer;
class TTarqTrackBar;

enum TThumbStyle : uint8_t { tsBox, tsCustom, tsMixer, tsPointer, tsFlat, tsXPPointer, tsXPBox };
enum TPointerType : uint8_t { ptStandard, ptWin95 };
enum TTickStyle : uint8_t { tkStandard, tkOwnerDraw };

const TEnumInfo& ThumbStyleInfo();
const TEnumInfo& PointerTypeInfo();
const TEnumInfo& TickStyleInfo();

using TPositionChangingEvent = std::function<void(TObject* sender, int32_t newPos, bool& allowChange)>;
using TDrawTickEvent = std::function<void(TTarqTrackBar* trackBar, TCanvas* canvas, TPoint location, int32_t index)>;

// Draws and registers every "TARQTRKBAR_*" bitmap and cursor (once).
void RegisterTarqTrackBarResources();
// Registers TTarqTrackBar and its published properties (once).
void RegisterTarqTrackBarClasses();

class TTarqCustomTrackBar : public TCustomControl {
public:
    // Pixels left free at both ends of the track.
    static constexpr int32_t Margin = 4;

    explicit TTarqCustomTrackBar(TComponent* owner);
    ~TTarqCustomTrackBar() override;

    int32_t Min() const { return min_; }
    virtual void SetMin(int32_t value);
    int32_t Max() const { return max_; }
    virtual void SetMax(int32_t value);
    int32_t Position() const { return position_; }
    virtual void SetPosition(int32_t value);
    uint16_t PageSize() const { return pageSize_; }
    void SetPageSize(uint16_t value) { pageSize_ = value; }
    int32_t SelStart() const { return selStart_; }
    virtual void SetSelStart(int32_t value);
    int32_t SelEnd() const { return selEnd_; }
    virtual void SetSelEnd(int32_t value);

    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation value);
    TThumbStyle ThumbStyle() const { return thumbStyle_; }
    virtual void SetThumbStyle(TThumbStyle value);
    TPointerType PointerType() const { return pointerType_; }
    virtual void SetPointerType(TPointerType value);
    // Three equal images side by side: normal (also hot), mask, disabled.
    TBitmap* CustomThumb() const { return customThumb_.get(); }
    virtual void SetCustomThumb(TBitmap* value);

    TColor TrackColor() const { return trackColor_; }
    virtual void SetTrackColor(TColor value);
    TColor TrackFrameColor() const { return trackFrameColor_; }
    virtual void SetTrackFrameColor(TColor value);
    TColor SelColor() const { return selColor_; }
    virtual void SetSelColor(TColor value);
    TColor TickColor() const { return tickColor_; }
    virtual void SetTickColor(TColor value);
    TColor HighlightColor() const { return highlightColor_; }
    virtual void SetHighlightColor(TColor value);
    TColor HotTrackColor() const { return hotTrackColor_; }
    virtual void SetHotTrackColor(TColor value);
    TTarqHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
    virtual void SetHotTrackColorType(TTarqHotTrackColorType value);

    uint16_t TrackOffset() const { return trackOffset_; }
    virtual void SetTrackOffset(uint16_t value);
    // At least 4.
    uint16_t TrackWidth() const { return trackWidth_; }
    virtual void SetTrackWidth(uint16_t value);
    TFrameStyle TrackFrame() const { return trackFrame_; }
    virtual void SetTrackFrame(TFrameStyle value);

    bool ShowTicks() const { return showTicks_; }
    virtual void SetShowTicks(bool value);
    // At least 1.
    int32_t TickStep() const { return tickStep_; }
    virtual void SetTickStep(int32_t value);
    TTickStyle TickStyle() const { return tickStyle_; }
    virtual void SetTickStyle(TTickStyle value);

    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool value) { showFocusRect_ = value; }
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool value) { tabOnEnter_ = value; }

    // Where the track and the thumb lie now (client coordinates).
    TRect TrackRect() const;
    TRect ThumbRect() const;
    // The thumb images in use (normal, hot, disabled, mask).
    TBitmap* ThumbBitmap() const { return thumbNormal_.get(); }
    // The "TARQTRKBAR_H_CURSOR" or "TARQTRKBAR_V_CURSOR" picture for the
    // orientation.
    const TCursorImage& ThumbCursor() const;

    TNotifyEvent OnChange;
    TPositionChangingEvent OnChanging;
    TDrawTickEvent OnDrawTick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void DrawTrack(TCanvas& canvas);
    virtual void DrawSelection(TCanvas& canvas);
    virtual void DrawTicks(TCanvas& canvas);
    virtual void DrawThumb(TCanvas& canvas);
    virtual bool CanChangePosition(int32_t newPos);

    virtual void Change();
    virtual bool CanChange(int32_t newPos);
    virtual void DrawTick(TCanvas& canvas, TPoint location, int32_t index);

    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Dispatch(TMessage& message) override;

private:
    void LoadThumbBitmaps();
    void LoadResourceThumb(TThumbStyle style);
    void CutCustomThumb();
    void CustomThumbChanged(TObject* sender);
    void RenderBackground(TCanvas& canvas);
    void RedrawThumb();
    void Rebuild();
    void ReloadAndRebuild();
    bool Horizontal() const { return orientation_ == orHorizontal; }
    bool IsPointerThumb() const { return thumbStyle_ == tsPointer || thumbStyle_ == tsXPPointer; }
    bool IsWin95Pointer() const { return thumbStyle_ == tsPointer && pointerType_ == ptWin95; }
    // Free pixels along the track for the thumb's travel (never negative).
    int32_t TravelSpan() const;
    int64_t Range() const { return int64_t{max_} - min_; }
    bool OverThumb(TPoint clientPoint) const { return PtInRect(thumbRect_, clientPoint); }
    TPoint CursorInClient() const;
    void ForcePosition(int32_t value);
    void PageTowards(int32_t x, int32_t y);
    void StopPaging();
    void PageTimerTick(TObject* sender);
    void DragTo(int32_t x, int32_t y);
    void CMMouseLeave(TMessage& message);
    void WMSetCursor(TMessage& message);
    void WMEraseBkgnd(TMessage& message);

    int32_t min_ = 0;
    int32_t max_ = 10;
    int32_t position_ = 0;
    uint16_t pageSize_ = 1;
    int32_t selStart_ = 0;
    int32_t selEnd_ = 0;
    TOrientation orientation_ = orHorizontal;
    TThumbStyle thumbStyle_ = tsPointer;
    TPointerType pointerType_ = ptStandard;
    std::unique_ptr<TBitmap> customThumb_;
    TColor trackColor_ = cl3DLight;
    TColor trackFrameColor_ = clBtnShadow;
    TColor selColor_ = 0x008080;
    TColor tickColor_ = clBtnShadow;
    TColor highlightColor_ = clHighlight;
    TColor hotTrackColor_ = 0x149BF0;
    TTarqHotTrackColorType hotTrackColorType_ = htctActual;
    uint16_t trackOffset_ = 20;
    uint16_t trackWidth_ = 8;
    TFrameStyle trackFrame_ = fsStatus;
    bool showTicks_ = true;
    int32_t tickStep_ = 1;
    TTickStyle tickStyle_ = tkStandard;
    bool transparent_ = false;
    bool showFocusRect_ = true;
    bool tabOnEnter_ = false;

    int32_t thumbAcross_ = 0;
    int32_t thumbAlong_ = 0;
    int32_t thumbHalf_ = 0;
    TRect thumbRect_;
    std::unique_ptr<TBitmap> thumbNormal_;
    std::unique_ptr<TBitmap> thumbHot_;
    std::unique_ptr<TBitmap> thumbDisabled_;
    std::unique_ptr<TBitmap> thumbMask_;
    std::unique_ptr<TBitmap> background_;
    bool rebuildBackground_ = true;

    bool dragging_ = false;
    int32_t grabDx_ = 0;
    int32_t grabDy_ = 0;
    bool hot_ = false;
    bool paging_ = false;
    bool pageForward_ = false;
    TPoint pagePoint_;
    TTimer* pageTimer_ = nullptr; // owned as a component
    TCursorImage horizontalCursor_;
    TCursorImage verticalCursor_;
};

class TTarqTrackBar : public TTarqCustomTrackBar {
public:
    explicit TTarqTrackBar(TComponent* owner);
};
