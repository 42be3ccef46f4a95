#pragma once
// The library's two button bases: TTarqCustomButton, the windowed base of
// the text buttons (press and hot tracking, transparent background, 3-D
// caption styles), and TTarqControlButton, the small window-less face,
// arrow or drop-down button of compound controls, which can repeat its
// click while held down.

#include <cstdint>
#include <memory>

#include "controls/TarqTypes.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"

class TTarqCustomButton : public TCustomControl {
public:
    explicit TTarqCustomButton(TComponent* owner);
    ~TTarqCustomButton() override;

    TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
    virtual void SetAlignmentVertical(TAlignmentVertical value) { Change(alignmentVertical_, value); }
    bool HotTrack() const { return hotTrack_; }
    virtual void SetHotTrack(bool value) { Change(hotTrack_, value); }
    TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(TColor value) { Change(hotTrackColor_, value); }
    TTarqHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
    void SetHotTrackColorType(TTarqHotTrackColorType value) { Change(hotTrackColorType_, value); }
    TColor HighlightColor() const { return highlightColor_; }
    virtual void SetHighlightColor(TColor value) { Change(highlightColor_, value); }
    bool LightTextStyle() const { return lightTextStyle_; }
    virtual void SetLightTextStyle(bool value) { Change(lightTextStyle_, value); }
    TTextStyle TextStyle() const { return textStyle_; }
    virtual void SetTextStyle(TTextStyle value) { Change(textStyle_, value); }
    TColor TextHighlightColor() const { return textHighlightColor_; }
    virtual void SetTextHighlightColor(TColor value) { Change(textHighlightColor_, value); }
    TColor TextShadowColor() const { return textShadowColor_; }
    virtual void SetTextShadowColor(TColor value) { Change(textShadowColor_, value); }
    int32_t TextShadowDepth() const { return textShadowDepth_; }
    virtual void SetTextShadowDepth(int32_t value) { Change(textShadowDepth_, value); }
    bool ThemeAware() const { return themeAware_; }
    virtual void SetThemeAware(bool value) { Change(themeAware_, value); }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value) { Change(transparent_, value); }

    bool MouseOverButton() const { return mouseOverButton_; }
    bool Dragging() const { return dragging_; }
    // The control is drawn pressed.
    bool ShowDownVersion() const { return showDownVersion_; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // The caption painter of the button family: the caption in `rect`,
    // placed by AlignmentVertical, in the 3-D style of TextStyle.
    virtual void DrawStyledText(TCanvas& canvas, const TRect& rect, uint32_t flags);

protected:
    // After every change of the pressed look.
    virtual void UpdateButtonState() {}
    // After every focus change.
    virtual void RepaintButton() { Repaint(); }
    // What hot tracking repaints.
    virtual TRect GetHotRect() { return ClientRect(); }
    // The action of a completed press.
    virtual void AdvanceState() = 0;

    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Dispatch(TMessage& message) override;
    void SetShowDownVersion(bool value) { showDownVersion_ = value; }

    template <class V>
    void Change(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }

private:
    void WMEraseBkgnd(TMessage& message);
    void CMMouseEnter(TMessage& message);
    void CMMouseLeave(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void InvalidateHotRect();

    TAlignmentVertical alignmentVertical_ = avCenter;
    TColor hotTrackColor_ = 0x00149BF0;
    TTarqHotTrackColorType hotTrackColorType_ = htctActual;
    TColor highlightColor_ = clHighlight;
    bool lightTextStyle_ = false;
    TTextStyle textStyle_ = tsNormal;
    TColor textHighlightColor_ = clBtnHighlight;
    TColor textShadowColor_ = clBtnShadow;
    int32_t textShadowDepth_ = 2;
    bool hotTrack_ = false;
    bool mouseOverButton_ = false;
    bool dragging_ = false;
    bool showDownVersion_ = false;
    bool themeAware_ = true;
    bool transparent_ = false;
};

enum TTarqControlButtonStyle : uint8_t { cbsNone, cbsLeft, cbsUp, cbsRight, cbsDown, cbsDropDown };
const TEnumInfo& ControlButtonStyleInfo();

class TTarqControlButton : public TGraphicControl {
public:
    explicit TTarqControlButton(TComponent* owner);
    ~TTarqControlButton() override;

    bool Flat() const { return flat_; }
    virtual void SetFlat(bool value);
    TBitmap* Glyph() const { return glyph_.get(); }
    // Copies the bitmap.
    virtual void SetGlyph(const TBitmap* value);
    int32_t NumGlyphs() const { return numGlyphs_; }
    // 1..4; other values are ignored.
    virtual void SetNumGlyphs(int32_t value);
    bool RepeatClicks() const { return repeatClicks_; }
    void SetRepeatClicks(bool value) { repeatClicks_ = value; }
    uint16_t InitialDelay() const { return initialDelay_; }
    void SetInitialDelay(uint16_t value) { initialDelay_ = value; }
    uint16_t Delay() const { return delay_; }
    void SetDelay(uint16_t value) { delay_ = value; }
    TTarqControlButtonStyle Style() const { return style_; }
    virtual void SetStyle(TTarqControlButtonStyle value);

    bool Down() const { return down_; }
    bool MouseOverButton() const { return mouseOverButton_; }
    // The cell size of the glyph strip; (0, 0) without a glyph.
    virtual TPoint GetGlyphSize() const;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    // Each leaves `rect` as the interior.
    virtual void DrawButtonFace(TRect& rect);
    virtual void DrawArrowButton(TRect& rect);
    virtual void DrawDropDownButton(TRect& rect);
    virtual void DrawButtonGlyph(const TRect& glyphRect);

    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Dispatch(TMessage& message) override;

private:
    bool IsHot() const;
    int32_t ThemeState(int32_t normal, int32_t hot, int32_t pressed, int32_t disabled) const;
    void DrawClassicFrame(TRect& rect, TFrameStyle raisedStyle);
    void GlyphChanged(TObject* sender);
    void RepeatTimerFired(TObject* sender);
    void SyncHotState();
    void MouseTracking(bool entered);

    bool down_ = false;
    bool dragging_ = false;
    bool flat_ = false;
    bool mouseOverButton_ = false;
    std::unique_ptr<TBitmap> glyph_;
    int32_t numGlyphs_ = 1;
    bool repeatClicks_ = false;
    TTimer* repeatTimer_ = nullptr; // owned as a component
    uint16_t initialDelay_ = 400;
    uint16_t delay_ = 100;
    TTarqControlButtonStyle style_ = cbsNone;
};

// Registers the published properties of TTarqControlButton (once).
void RegisterTarqButtonClasses();
