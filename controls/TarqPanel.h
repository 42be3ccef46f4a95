#pragma once
// The container of the library: a windowed panel with two styled borders,
// a plain or gradient interior, an optional grid, an aligned caption, a
// transparent mode and settings from a frame controller. Disabling it
// disables its children and remembers which were enabled.

#include <cstdint>
#include <utility>
#include <vector>

#include "controls/TarqBorder.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqFrames.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

enum TTarqGridStyle : uint8_t { gsDots, gsDottedLines, gsSolidLines };
const TEnumInfo& GridStyleInfo();

class TTarqCustomPanel : public TCustomControl, public ITarqFrameControllerClient {
public:
    explicit TTarqCustomPanel(TComponent* owner);

    // ---- Settings of a panel ----
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    int32_t BevelWidth() const { return border_.bevelWidth; }
    void SetBevelWidth(int32_t value);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool value) { fullRepaint_ = value; }
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }

    // ---- Frame ----
    TFrameStyleEx BorderOuter() const { return border_.outer; }
    virtual void SetBorderOuter(TFrameStyleEx value);
    TFrameStyleEx BorderInner() const { return border_.inner; }
    virtual void SetBorderInner(TFrameStyleEx value);
    TSides BorderSides() const { return border_.sides; }
    virtual void SetBorderSides(TSides value);
    TColor BorderColor() const { return border_.color; }
    virtual void SetBorderColor(TColor value);
    TColor BorderHighlight() const { return border_.highlight; }
    virtual void SetBorderHighlight(TColor value);
    TColor BorderShadow() const { return border_.shadow; }
    virtual void SetBorderShadow(TColor value);
    TColor FlatColor() const { return border_.flatColor; }
    virtual void SetFlatColor(TColor value);
    int32_t FlatColorAdjustment() const { return border_.flatColorAdjustment; }
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
    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value) { frameLink_.Set(value); }
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
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
    void AdjustClientRect(TRect& rect) override;

    virtual TPoint GetCursorClientPos();
    // `rect` less the border width (when asked) and the two borders.
    virtual TRect ShrinkRectForFrame(const TRect& rect, bool withBorderWidth);
    virtual TRect GetControlRect();
    virtual void GetGradientColors(TColor& start, TColor& stop);

protected:
    void Paint() override;
    // As a dock site with UseDockManager: the panel's own dock manager, and
    // the panel double-buffered while it has one.
    std::unique_ptr<IDockManager> CreateDockManager() override;
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
    TTarqBorder border_{fsRaised};
    bool fullRepaint_ = true;
    bool locked_ = false;
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
    TTarqFrameLink frameLink_{*this};
    bool showDockClientCaptions_ = true;
    // Each child's Enabled when the panel was last disabled.
    std::vector<std::pair<TControl*, bool>> rememberedEnabled_;
};

class TTarqPanel : public TTarqCustomPanel {
public:
    explicit TTarqPanel(TComponent* owner);
};
