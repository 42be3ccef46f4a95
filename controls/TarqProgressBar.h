#pragma once
// A window-less progress indicator: a solid bar with its percentage, a
// segmented bar or two gradients, framed by the border pair or the theme,
// painted off-screen and copied in one step. The percentage is set directly
// or follows a count of completed parts.

#include <cstdint>
#include <functional>

#include "controls/TarqBorder.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

using TProgressChangeEvent = std::function<void(TObject* sender, int32_t percent)>;

class TTarqCustomProgressBar : public TGraphicControl, public ITarqFrameControllerClient {
public:
    explicit TTarqCustomProgressBar(TComponent* owner);

    uint16_t Percent() const { return percent_; }
    virtual void SetPercent(uint16_t value);
    // Both run from 0 to 2147483647; PartsComplete never exceeds TotalParts.
    uint32_t PartsComplete() const { return partsComplete_; }
    virtual void SetPartsComplete(uint32_t value);
    uint32_t TotalParts() const { return totalParts_; }
    virtual void SetTotalParts(uint32_t value);

    TBarStyle BarStyle() const { return barStyle_; }
    virtual void SetBarStyle(TBarStyle value);
    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation value);
    bool ShowPercent() const { return showPercent_; }
    virtual void SetShowPercent(bool value);
    // 1 to 100.
    int32_t NumSegments() const { return numSegments_; }
    virtual void SetNumSegments(int32_t value);
    uint8_t InteriorOffset() const { return interiorOffset_; }
    virtual void SetInteriorOffset(uint8_t value);
    bool ThemeAware() const { return themeAware_; }
    virtual void SetThemeAware(bool value);

    TColor BackColor() const { return backColor_; }
    virtual void SetBackColor(TColor value);
    TColor BarColor() const { return barColor_; }
    // Also the font colour.
    virtual void SetBarColor(TColor value);

    TFrameStyleEx BorderOuter() const { return border_.outer; }
    virtual void SetBorderOuter(TFrameStyleEx value);
    TFrameStyleEx BorderInner() const { return border_.inner; }
    virtual void SetBorderInner(TFrameStyleEx value);
    int32_t BorderWidth() const { return border_.width; }
    virtual void SetBorderWidth(int32_t value);
    int32_t BevelWidth() const { return border_.bevelWidth; }
    virtual void SetBevelWidth(int32_t value);
    TColor BorderColor() const { return border_.color; }
    virtual void SetBorderColor(TColor value);
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

    TProgressChangeEvent OnChange;

    // Taller than wide turns the bar vertical.
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

protected:
    virtual void Change();
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

    // The gradient style's colours, published by TTarqProgressBar.
    TColor backColorStop_ = clBtnFace;
    TColor barColorStop_ = clHotLight;
    TGradientDirection gradientDirection_ = gdHorizontalCenter;

private:
    template <class V>
    void Store(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    bool Themed() const;
    TRect PaintFrame(TCanvas& canvas, const TRect& client);
    void PaintBar(TCanvas& canvas, const TRect& interior);

    uint16_t percent_ = 0;
    uint32_t partsComplete_ = 0;
    uint32_t totalParts_ = 0;
    TBarStyle barStyle_ = bsTraditional;
    TOrientation orientation_ = orHorizontal;
    bool showPercent_ = true;
    int32_t numSegments_ = 20;
    uint8_t interiorOffset_ = 0;
    bool themeAware_ = true;
    TColor backColor_ = 0xFFFFFF;
    TColor barColor_ = clHighlight;
    TTarqBorder border_{fsLowered};
    TTarqFrameLink frameLink_{*this};
};

class TTarqProgressBar : public TTarqCustomProgressBar {
public:
    explicit TTarqProgressBar(TComponent* owner);

    TColor BackColorStop() const { return backColorStop_; }
    void SetBackColorStop(TColor value);
    TColor BarColorStop() const { return barColorStop_; }
    void SetBarColorStop(TColor value);
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value);
};
