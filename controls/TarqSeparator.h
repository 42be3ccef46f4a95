#pragma once
// A thin window-less line, horizontal or vertical, whose colour fades into a
// highlight colour at its centre or toward one end.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

enum TTarqHighlightLocation : uint8_t { hlCenter, hlUpperLeft, hlLowerRight };
const TEnumInfo& HighlightLocationInfo();

class TTarqSeparator : public TGraphicControl {
public:
    explicit TTarqSeparator(TComponent* owner);

    TColor HighlightColor() const { return highlightColor_; }
    virtual void SetHighlightColor(TColor value);
    TTarqHighlightLocation HighlightLocation() const { return highlightLocation_; }
    virtual void SetHighlightLocation(TTarqHighlightLocation value);
    bool ShowGradient() const { return showGradient_; }
    virtual void SetShowGradient(bool value);
    TOrientation Orientation() const { return orientation_; }
    // Swaps Width and Height unless the form is loading.
    virtual void SetOrientation(TOrientation value);

    // The gradient derived from the settings.
    TGradientDirection Direction() const { return direction_; }
    TColor StartColor() const { return startColor_; }
    TColor StopColor() const { return stopColor_; }

protected:
    void Paint() override;
    void Loaded() override;
    void Dispatch(TMessage& message) override;

private:
    void UpdateGradientColors();

    TColor highlightColor_ = clHighlight;
    TTarqHighlightLocation highlightLocation_ = hlCenter;
    TOrientation orientation_ = orHorizontal;
    bool showGradient_ = true;
    TGradientDirection direction_ = gdVerticalCenter;
    TColor startColor_ = clBtnFace;
    TColor stopColor_ = clHighlight;
};
