#pragma once
// A window-less label with an outer and inner border, an interior margin,
// three-dimensional text styles, text rotated by any angle or laid along a
// curve, caption condensing with ellipses, blinking through the shared blink
// list, a fly-by colour under the mouse and frame-controller settings.

#include <cstdint>
#include <functional>
#include <string>

#include "controls/TarqBorder.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqFrames.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

enum TRotation : uint8_t { roNone, roFlat, roCurve };
enum TCenterPoint : uint8_t {
    cpUpperLeft,
    cpUpperCenter,
    cpUpperRight,
    cpLeftCenter,
    cpCenter,
    cpRightCenter,
    cpLowerLeft,
    cpLowerCenter,
    cpLowerRight
};
enum TTarqCondenseCaption : uint8_t { ccNone, ccAtEnd, ccWithinPath };
const TEnumInfo& RotationInfo();
const TEnumInfo& CenterPointInfo();
const TEnumInfo& CondenseCaptionInfo();

class TTarqLabel : public TGraphicControl, public ITarqFrameControllerClient {
public:
    explicit TTarqLabel(TComponent* owner);
    ~TTarqLabel() override;

    // ---- The plain label's settings ----
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    virtual void SetLayout(TTextLayout value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // "&x" underlines x and makes it the accelerator of FocusControl.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    void SetAutoSize(bool value) override;
    virtual std::string GetLabelText() const { return Caption(); }

    // ---- Rotation ----
    // 0..359 degrees: the text angle of roFlat, the start angle of roCurve.
    int32_t Angle() const { return angle_; }
    virtual void SetAngle(int32_t value);
    TRotation Rotation() const { return rotation_; }
    virtual void SetRotation(TRotation value);
    TCenterPoint CenterPoint() const { return centerPoint_; }
    virtual void SetCenterPoint(TCenterPoint value);

    // ---- Text style ----
    TTextStyle TextStyle() const { return textStyle_; }
    virtual void SetTextStyle(TTextStyle value);
    bool LightTextStyle() const { return lightTextStyle_; }
    virtual void SetLightTextStyle(bool value);
    TColor HighlightColor() const { return highlightColor_; }
    virtual void SetHighlightColor(TColor value);
    TColor ShadowColor() const { return shadowColor_; }
    virtual void SetShadowColor(TColor value);
    int32_t ShadowDepth() const { return shadowDepth_; }
    virtual void SetShadowDepth(int32_t value);
    int32_t TextMargin() const { return textMargin_; }
    virtual void SetTextMargin(int32_t value);
    // Any value but ccNone turns AutoSize off.
    TTarqCondenseCaption CondenseCaption() const { return condense_; }
    virtual void SetCondenseCaption(TTarqCondenseCaption value);

    // ---- Blinking and fly-by ----
    bool Blinking() const { return blinking_; }
    virtual void SetBlinking(bool value);
    TColor BlinkColor() const { return blinkColor_; }
    virtual void SetBlinkColor(TColor value);
    bool BlinkState() const { return blinkState_; }
    // The shared blink list's intervals: one setting for every label.
    virtual uint16_t GetBlinkIntervalOn() const;
    virtual void SetBlinkIntervalOn(uint16_t value);
    virtual uint16_t GetBlinkIntervalOff() const;
    virtual void SetBlinkIntervalOff(uint16_t value);
    bool FlyByEnabled() const { return flyByEnabled_; }
    virtual void SetFlyByEnabled(bool value);
    TColor FlyByColor() const { return flyByColor_; }
    virtual void SetFlyByColor(TColor value);
    // The colour the caption is drawn in now.
    TColor CurrentColor() const { return currentColor_; }

    // ---- Frame ----
    TFrameStyleEx BorderOuter() const { return border_.outer; }
    virtual void SetBorderOuter(TFrameStyleEx value);
    TFrameStyleEx BorderInner() const { return border_.inner; }
    virtual void SetBorderInner(TFrameStyleEx value);
    TSides BorderSides() const { return border_.sides; }
    virtual void SetBorderSides(TSides value);
    int32_t BorderWidth() const { return border_.width; }
    virtual void SetBorderWidth(int32_t value);
    int32_t BevelWidth() const { return border_.bevelWidth; }
    virtual void SetBevelWidth(int32_t value);
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

    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value) { frameLink_.Set(value); }
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
    void ApplyFrameController() override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    virtual TRect ShrinkRectForFrame(const TRect& rect, bool withBorderWidth);
    // The growth of an auto-sized text box for the borders, shadow and angle.
    virtual void AdjustRectForBorder(TRect& rect);
    // Sizes the label to its caption when AutoSize is on.
    void AdjustBounds();

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Dispatch(TMessage& message) override;
    virtual void ApplyBlinkState(bool on);
    // Draws (or with DT_CALCRECT measures) the caption in `rect` with the
    // canvas font.
    int32_t DoDrawText(TCanvas& canvas, TRect& rect, uint32_t flags);

private:
    template <class V>
    void Store(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    uint32_t CondenseFlag() const;
    uint32_t TextFlags() const;
    TRect TextArea() const;
    void OffsetForLayout(TCanvas& canvas, uint32_t flags, TRect& rect);
    void DrawLabelText(TCanvas& canvas);
    void DrawFlatText(TCanvas& canvas, const TRect& rect, uint32_t flags);
    // The reference point and text alignment of rotated text.
    struct TTextAnchor {
        TPoint Point;
        uint32_t Align;
    };
    TTextAnchor RotatedAnchor(TCanvas& canvas, const TRect& area, uint32_t flags);
    // The shadow and highlight passes of tsRaised and tsRecessed.
    void Draw3DPasses(const std::function<void(TColor, int32_t, int32_t)>& pass);
    void DrawRotatedText(TCanvas& canvas, const TRect& rect, uint32_t flags);
    void DrawCurvedText(TCanvas& canvas);
    TPoint ArcCenter() const;
    TPoint ArcRadius() const;
    void UseVerdanaUnlessTrueType();
    void FontChanged();
    void MouseEntered(TMessage& message);
    void MouseLeft(TMessage& message);

    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TComponentRef<TWinControl> focusControl_{this};
    int32_t angle_ = 0;
    TRotation rotation_ = roNone;
    TCenterPoint centerPoint_ = cpCenter;
    TTextStyle textStyle_ = tsNormal;
    bool lightTextStyle_ = false;
    TColor highlightColor_ = clBtnHighlight;
    TColor shadowColor_ = clBtnShadow;
    int32_t shadowDepth_ = 2;
    int32_t textMargin_ = 0;
    TTarqCondenseCaption condense_ = ccNone;
    bool blinking_ = false;
    TColor blinkColor_ = clHighlight;
    bool blinkState_ = false;
    TColor fontColor_ = clWindowText;
    TColor currentColor_ = clWindowText;
    bool flyByEnabled_ = false;
    TColor flyByColor_ = clHighlight;
    TColor origColor_ = clWindowText;
    // The fly-by colour is showing and OrigColor holds the colour to restore.
    bool flyByShowing_ = false;
    TTarqBorder border_{fsNone};
    TTarqFrameLink frameLink_{*this};
    bool initColor_ = false;
};
