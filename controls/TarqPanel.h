#pragma once
// The container of the library: a windowed panel with two styled borders,
// a plain or gradient interior, an optional grid, an aligned caption, a
// transparent mode and settings from a frame controller. Disabling it
// disables its children and remembers which were enabled.

#include <cstdint>
#include <utility>
#include <vector>

#include "controls/TarqFrameController.h"
#include "controls/TarqFrames.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

enum TTarqGridStyle : uint8_t { gsDots, gsDottedLines, gsSolidLines };
const TEnumInfo& GridStyleInfo();

class TTarqCustomPanel : public TCustomControl, public ITarqFrameControllerClient {
public:
    explicit TTarqCustomPanel(TComponent* owner);
    ~TTarqCustomPanel() override;

    // ---- Settings of a panel ----
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    int32_t BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int32_t value);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool value) { fullRepaint_ = value; }
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }

    // ---- Frame ----
    TFrameStyleEx BorderOuter() const { return borderOuter_; }
    virtual void SetBorderOuter(TFrameStyleEx value);
    TFrameStyleEx BorderInner() const { return borderInner_; }
    virtual void SetBorderInner(TFrameStyleEx value);
    TSides BorderSides() const { return borderSides_; }
    virtual void SetBorderSides(TSides value);
    TColor BorderColor() const { return borderColor_; }
    virtual void SetBorderColor(TColor value);
    TColor BorderHighlight() const { return borderHighlight_; }
    virtual void SetBorderHighlight(TColor value);
    TColor BorderShadow() const { return borderShadow_; }
    virtual void SetBorderShadow(TColor value);
    TColor FlatColor() const { return flatColor_; }
    virtual void SetFlatColor(TColor value);
    int32_t FlatColorAdjustment() const { return flatColorAdjustment_; }
    virtual void SetFlatColorAdjustment(int32_t value);

    // ---- Caption ----
    TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
    virtual void SetAlignmentVertical(TAlignmentVertical value);
    int32_t TextMargin() const { return textMargin_; }
    virtual void SetTextMargin(int32_t value);
    bool WordWrap() const { return wordWrap_; }
    virtual void SetWordWrap(bool value);

    // ---- Interior ----
    TTarqVisualStyle VisualStyle() const { return visualStyle_; }
    virtual void SetVisualStyle(TTarqVisualStyle value);
    TTarqGradientColorStyle GradientColorStyle() const { return gradientColorStyle_; }
    virtual void SetGradientColorStyle(TTarqGradientColorStyle value);
    TColor GradientColorStart() const { return gradientColorStart_; }
    virtual void SetGradientColorStart(TColor value);
    TColor GradientColorStop() const { return gradientColorStop_; }
    virtual void SetGradientColorStop(TColor value);
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    virtual void SetGradientDirection(TGradientDirection value);
    bool ShowGrid() const { return showGrid_; }
    virtual void SetShowGrid(bool value);
    TColor GridColor() const { return gridColor_; }
    virtual void SetGridColor(TColor value);
    TTarqGridStyle GridStyle() const { return gridStyle_; }
    virtual void SetGridStyle(TTarqGridStyle value);
    uint16_t GridXSize() const { return gridXSize_; }
    virtual void SetGridXSize(uint16_t value);
    uint16_t GridYSize() const { return gridYSize_; }
    virtual void SetGridYSize(uint16_t value);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);

    // ---- Shared settings ----
    TTarqFrameController* FrameController() const { return frameController_; }
    virtual void SetFrameController(TTarqFrameController* value);
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return notifications_; }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value) { notifications_ = value; }
    void ApplyFrameController() override;

    bool ShowDockClientCaptions() const { return showDockClientCaptions_; }
    void SetShowDockClientCaptions(bool value) { showDockClientCaptions_ = value; }
    // A stored setting of older versions: true turns the gradient style on.
    void ReadUseGradients(bool value);

    TNotifyEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void AlignControls(TControl* control, TRect& rect) override;

    virtual TPoint GetCursorClientPos();
    // `rect` less the border width (when asked) and the two borders.
    virtual TRect ShrinkRectForFrame(const TRect& rect, bool withBorderWidth);
    virtual TRect GetControlRect();
    virtual void GetGradientColors(TColor& start, TColor& stop);

protected:
    void Paint() override;
    virtual void DrawCaption(const TRect& rect);
    virtual void DrawGrid(const TRect& rect);
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    template <class V>
    void Change(V& field, const V& value, bool realign = false)
    {
        if (field == value)
            return;
        field = value;
        if (realign)
            Realign();
        Invalidate();
    }
    void WMEraseBkgnd(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    TBorderPair BorderPair();

    TAlignment alignment_ = taCenter;
    int32_t bevelWidth_ = 1;
    bool fullRepaint_ = true;
    bool locked_ = false;
    TFrameStyleEx borderOuter_ = fsRaised;
    TFrameStyleEx borderInner_ = fsNone;
    TSides borderSides_ = AllSides;
    TColor borderColor_ = clBtnFace;
    TColor borderHighlight_ = clBtnHighlight;
    TColor borderShadow_ = clBtnShadow;
    TColor flatColor_ = clBtnShadow;
    int32_t flatColorAdjustment_ = 30;
    TAlignmentVertical alignmentVertical_ = avCenter;
    int32_t textMargin_ = 0;
    bool wordWrap_ = true;
    TTarqVisualStyle visualStyle_ = vsWinXP;
    TTarqGradientColorStyle gradientColorStyle_ = gcsSystem;
    TColor gradientColorStart_ = 0xFFFFFF;
    TColor gradientColorStop_ = clBtnFace;
    TGradientDirection gradientDirection_ = gdHorizontalEnd;
    bool showGrid_ = false;
    TColor gridColor_ = clBtnShadow;
    TTarqGridStyle gridStyle_ = gsDots;
    uint16_t gridXSize_ = 8;
    uint16_t gridYSize_ = 8;
    bool transparent_ = false;
    TTarqFrameController* frameController_ = nullptr;
    TTarqFrameControllerNotifications notifications_ = AllFrameControllerNotifications;
    bool showDockClientCaptions_ = true;
    // Each child's Enabled when the panel was last disabled.
    std::vector<std::pair<TControl*, bool>> rememberedEnabled_;
};

class TTarqPanel : public TTarqCustomPanel {
public:
    explicit TTarqPanel(TComponent* owner);
};
