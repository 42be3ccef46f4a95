#pragma once
// TTarqBmpButton: a focusable push button whose look comes from up to six
// bitmaps, one per state. It sizes itself to its bitmap or stretches or
// tiles it, can draw a border, lays a caption out beside the bitmap, and
// acts as a sticky toggle in a group of buttons (one down at a time).

#include <cstdint>
#include <memory>

#include "platform/core/Persistent.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Frames.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Form.h"

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonBorder : uint8_t { bbNone, bbSingle, bbButton };
enum TBtnSize : uint8_t { bszNeither, bszButtonToBitmap, bszStretchToButton, bszTileToButton };
const TEnumInfo& ButtonLayoutInfo();
const TEnumInfo& ButtonBorderInfo();
const TEnumInfo& BtnSizeInfo();
const TEnumInfo& ButtonStyleInfo();

// The group message: WParam = the group index, LParam = the sending button.
constexpr uint32_t CM_TARQBUTTONPRESSED = 9248;

// The six state bitmaps; any change raises OnChange.
class TTarqButtonBitmaps : public TPersistent {
public:
    TTarqButtonBitmaps();
    ~TTarqButtonBitmaps() override;

    TBitmap* Up() const { return up_.get(); }
    void SetUp(const TBitmap* value) { up_->Assign(value); }
    TBitmap* UpAndFocused() const { return upAndFocused_.get(); }
    void SetUpAndFocused(const TBitmap* value) { upAndFocused_->Assign(value); }
    TBitmap* Disabled() const { return disabled_.get(); }
    void SetDisabled(const TBitmap* value) { disabled_->Assign(value); }
    TBitmap* Down() const { return down_.get(); }
    void SetDown(const TBitmap* value) { down_->Assign(value); }
    TBitmap* StayDown() const { return stayDown_.get(); }
    void SetStayDown(const TBitmap* value) { stayDown_->Assign(value); }
    TBitmap* Hot() const { return hot_.get(); }
    void SetHot(const TBitmap* value) { hot_->Assign(value); }
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);

    TNotifyEvent OnChange;

private:
    std::unique_ptr<TBitmap> MakeBitmap();
    void Changed();

    std::unique_ptr<TBitmap> up_, upAndFocused_, disabled_, down_, stayDown_, hot_;
    TColor transparentColor_ = clOlive;
};

// A bitmap that holds an image.
inline bool BitmapPresent(const TBitmap* bitmap) { return bitmap && !bitmap->Empty(); }

class TTarqBmpButton : public TCustomControl {
public:
    enum TState : uint8_t { bsUp, bsDisabled, bsPressed, bsStayDown };

    explicit TTarqBmpButton(TComponent* owner);
    ~TTarqBmpButton() override;

    TTarqButtonBitmaps* Bitmaps() const { return bitmaps_.get(); }
    bool AllowAllUp() const { return allowAllUp_; }
    virtual void SetAllowAllUp(bool value);
    TButtonBorder ButtonBorder() const { return buttonBorder_; }
    virtual void SetButtonBorder(TButtonBorder value);
    TBtnSize ButtonSize() const { return buttonSize_; }
    virtual void SetButtonSize(TBtnSize value);
    TButtonStyle ButtonStyle() const { return buttonStyle_; }
    virtual void SetButtonStyle(TButtonStyle value);
    int32_t CaptionDownOffset() const { return captionDownOffset_; }
    virtual void SetCaptionDownOffset(int32_t value) { Change(captionDownOffset_, value); }
    bool Down() const { return down_; }
    virtual void SetDown(bool value);
    int32_t GroupIndex() const { return groupIndex_; }
    virtual void SetGroupIndex(int32_t value);
    TButtonLayout Layout() const { return layout_; }
    virtual void SetLayout(TButtonLayout value) { Change(layout_, value); }
    int32_t Margin() const { return margin_; }
    // -1 centres bitmap and caption; values below -1 are ignored.
    virtual void SetMargin(int32_t value);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool ShowDownPattern() const { return showDownPattern_; }
    virtual void SetShowDownPattern(bool value) { Change(showDownPattern_, value); }
    bool ShowFocus() const { return showFocus_; }
    virtual void SetShowFocus(bool value) { Change(showFocus_, value); }
    int32_t Spacing() const { return spacing_; }
    // -1 spaces bitmap and caption automatically.
    virtual void SetSpacing(int32_t value) { Change(spacing_, value); }

    TState State() const { return state_; }
    bool MouseOver() const { return mouseOver_; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    void Click() override;
    // Places bitmap and caption on the face `face`: returns the caption's
    // rectangle and leaves the bitmap's rectangle in `face` (unchanged when
    // no bitmap is laid out).
    TRect CalcLayout(TRect& face, const TBitmap* bitmap);

protected:
    void Paint() override;
    void Loaded() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Dispatch(TMessage& message) override;

private:
    template <class V>
    void Change(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    bool NewStyle() const;
    void AdjustSizeToBitmap();
    void BitmapsChanged(TObject* sender);
    void NotifyGroup();
    void FinishPress(bool clicked);
    void GroupButtonPressed(TMessage& message);
    void MouseTracking(TMessage& message, bool entered);
    void DialogChar(TMessage& message);
    bool Inside(int32_t x, int32_t y) const;
    // The stay-down checkerboard lives while any bitmap button does.
    static void RetainDownPattern();
    static void ReleaseDownPattern();
    // Painting.
    TRect MeasureCaption(int32_t width) const;
    TRect PaintBorder(TCanvas& canvas);
    void PaintStayDownFace(TCanvas& canvas, const TRect& face);
    TBitmap* ChooseBitmap(std::unique_ptr<TBitmap>& greyed);
    void PaintBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& face, const TRect& laidOut);
    void PaintCaption(TCanvas& canvas, const TRect& captionRect);

    std::unique_ptr<TTarqButtonBitmaps> bitmaps_;
    int32_t groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    int32_t spacing_ = 4;
    int32_t margin_ = -1;
    TButtonStyle buttonStyle_ = bsAutoDetect;
    TButtonBorder buttonBorder_ = bbNone;
    TBtnSize buttonSize_ = bszButtonToBitmap;
    bool showFocus_ = true;
    bool showDownPattern_ = true;
    int32_t captionDownOffset_ = 1;
    TModalResult modalResult_ = mrNone;
    TState state_ = bsUp;
    bool pressing_ = false;
    bool hasFocus_ = false;
    bool mouseOver_ = false;
};

// The embossed grey image of a disabled button, made from its Up bitmap:
// the black pixels of `up` drawn in the button shadow colour over a
// highlight copy one pixel down and right, on the button face.
std::unique_ptr<TBitmap> CreateGreyedBitmap(TBitmap& up);

// Registers the published properties of TTarqBmpButton (once).
void RegisterTarqBmpBtnClasses();
