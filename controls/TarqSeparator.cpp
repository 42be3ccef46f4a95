#include "controls/TarqSeparator.h"

#include "controls/TarqGrafx.h"
#include "controls/TarqRegistration.h"
#include "controls/TarqScheme.h"
#include "platform/gfx/Bitmap.h"

const TEnumInfo& HighlightLocationInfo()
{
    static const TEnumInfo info{"TTarqHighlightLocation", {"hlCenter", "hlUpperLeft", "hlLowerRight"}};
    return info;
}

TTarqSeparator::TTarqSeparator(TComponent* owner) : TGraphicControl(owner)
{
    RegisterTarqSeparatorClasses();
    SetBounds(0, 0, 200, 2);
    SetColor(clBtnFace);
    UpdateGradientColors();
}

void TTarqSeparator::SetHighlightColor(TColor value)
{
    if (highlightColor_ == value)
        return;
    highlightColor_ = value;
    UpdateGradientColors();
    Invalidate();
}

void TTarqSeparator::SetHighlightLocation(TTarqHighlightLocation value)
{
    if (highlightLocation_ == value)
        return;
    highlightLocation_ = value;
    UpdateGradientColors();
    Invalidate();
}

void TTarqSeparator::SetShowGradient(bool value)
{
    if (showGradient_ == value)
        return;
    showGradient_ = value;
    Invalidate();
}

void TTarqSeparator::SetOrientation(TOrientation value)
{
    if (orientation_ == value)
        return;
    orientation_ = value;
    if (!IsLoading())
        SetBounds(Left(), Top(), Height(), Width());
    UpdateGradientColors();
    Invalidate();
}

void TTarqSeparator::UpdateGradientColors()
{
    const bool horizontal = orientation_ == orHorizontal;
    if (highlightLocation_ == hlCenter)
        direction_ = horizontal ? gdVerticalCenter : gdHorizontalCenter;
    else
        direction_ = horizontal ? gdVerticalEnd : gdHorizontalEnd;
    const bool highlightFirst = highlightLocation_ == hlUpperLeft;
    startColor_ = highlightFirst ? highlightColor_ : Color();
    stopColor_ = highlightFirst ? Color() : highlightColor_;
}

void TTarqSeparator::Paint()
{
    TCanvas& canvas = *Canvas();
    if (!showGradient_ || !FullColorDisplay) {
        canvas.Brush()->SetColor(showGradient_ ? stopColor_ : Color());
        canvas.FillRect(ClientRect());
        return;
    }
    if (Width() <= 0 || Height() <= 0)
        SetBounds(Left(), Top(), std::max(Width(), 1), std::max(Height(), 1));
    TBitmap work(Width(), Height());
    DrawGradientFill(*work.Canvas(), Rect(0, 0, Width(), Height()), direction_, startColor_, stopColor_, 1);
    canvas.Draw(0, 0, &work);
}

void TTarqSeparator::Loaded()
{
    TGraphicControl::Loaded();
    UpdateGradientColors();
}

void TTarqSeparator::Dispatch(TMessage& message)
{
    TGraphicControl::Dispatch(message);
    if (message.Msg == CM_COLORCHANGED) {
        UpdateGradientColors();
        Invalidate();
    }
}
