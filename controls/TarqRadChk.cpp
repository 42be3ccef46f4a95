// TTarqCustomGlyphButton: the glyph beside the caption, composed with a
// cached background off screen, and the frame controller's settings.

#include "controls/TarqRadChk.h"

#include <algorithm>

#include "controls/TarqFrames.h"
#include "controls/TarqGrafx.h"
#include "platform/core/Strings.h"
#include "platform/gfx/DrawText.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

TTarqCustomGlyphButton::TTarqCustomGlyphButton(TComponent* owner)
    : TTarqCustomButton(owner), customGlyphs_(std::make_unique<TBitmap>()), backgroundBmp_(std::make_unique<TBitmap>())
{
    SetControlStyle(ControlStyle() | csSetCaption | csReplicatable);
    customGlyphs_->OnChange = [this](TObject* sender) { CustomGlyphsChanged(sender); };
}

// ---- Properties ----------------------------------------------------------------------

void TTarqCustomGlyphButton::SetAlignment(TAlignment value)
{
    if (value == taCenter)
        return;
    Change(alignment_, value);
}

bool TTarqCustomGlyphButton::CustomGlyphsUsable() const
{
    return useCustomGlyphs_ && customGlyphs_->Height() > 0 && customGlyphs_->Width() >= numStates_;
}

void TTarqCustomGlyphButton::SetUseCustomGlyphs(bool value)
{
    useCustomGlyphs_ = value;
    if (CustomGlyphsUsable()) {
        glyphWidth_ = customGlyphs_->Width() / numStates_;
        glyphHeight_ = customGlyphs_->Height();
    } else {
        glyphWidth_ = 13;
        glyphHeight_ = 13;
    }
    Invalidate();
}

void TTarqCustomGlyphButton::CustomGlyphsChanged(TObject*)
{
    SetUseCustomGlyphs(!customGlyphs_->Empty());
    MarkBackgroundStale(true);
}

void TTarqCustomGlyphButton::SetTransparent(bool value)
{
    updateBg_ = true;
    TTarqCustomButton::SetTransparent(value);
}

void TTarqCustomGlyphButton::MarkBackgroundStale(bool invalidate)
{
    updateBg_ = true;
    if (invalidate)
        Invalidate();
}

// ---- Frame controller -------------------------------------------------------------------

void TTarqCustomGlyphButton::Notification(TComponent* component, TOperation operation)
{
    TTarqCustomButton::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

void TTarqCustomGlyphButton::ApplyFrameController()
{
    const TTarqFrameController* fc = frameLink_.VisibleController();
    if (!fc)
        return;
    SetHotTrack(true);
    const TTarqFrameControllerNotifications n = frameLink_.Notifications();
    if (n.Contains(fcpColor))
        SetFillColor(fc->Color());
    if (n.Contains(fcpFrameColor))
        SetFrameColor(fc->FrameColor());
    if (n.Contains(fcpFocusColor))
        SetFocusColor(fc->FocusColor());
    if (n.Contains(fcpDisabledColor))
        SetDisabledColor(fc->DisabledColor());
    if (n.Contains(fcpReadOnlyColor))
        SetReadOnlyColor(fc->ReadOnlyColor());
    if (n.Contains(fcpReadOnlyColorOnFocus))
        SetReadOnlyColorOnFocus(fc->ReadOnlyColorOnFocus());
    if (n.Contains(fcpFrameHotTrack))
        SetHotTrackStyle(fc->FrameHotTrack() ? htsFrame : htsInterior);
    if (n.Contains(fcpFrameHotColor) && hotTrackStyle_ == htsFrame)
        SetHotTrackColor(fc->FrameHotColor());
    Invalidate();
}

// ---- Glyph ---------------------------------------------------------------------------------

bool TTarqCustomGlyphButton::GlyphAtRight() const
{
    return UseRightToLeftAlignment() == (alignment_ == taRightJustify);
}

TRect TTarqCustomGlyphButton::GlyphRect() const
{
    const int32_t x = GlyphAtRight() ? Width() - glyphWidth_ : 0;
    int32_t y = 2;
    if (AlignmentVertical() == avCenter)
        y = (Height() - glyphHeight_) / 2;
    else if (AlignmentVertical() == avBottom)
        y = Height() - glyphHeight_ - 2;
    return Bounds(x, y, glyphWidth_, glyphHeight_);
}

void TTarqCustomGlyphButton::ExtractGlyph(int32_t index, TBitmap& target, int32_t height, int32_t width, TBitmap& strip)
{
    target.SetSize(width, height);
    target.Canvas()->CopyRect(Rect(0, 0, width, height), strip.Canvas(),
                              Rect(width * index, 0, width * (index + 1), height));
}

void TTarqCustomGlyphButton::DrawGlyph(TCanvas& canvas)
{
    const TRect place = GlyphRect();
    const TRect cell = Rect(0, 0, glyphWidth_, glyphHeight_);
    TBitmap rendered(glyphWidth_, glyphHeight_);
    RenderGlyph(rendered);

    TBitmap composed(glyphWidth_, glyphHeight_);
    TCanvas& b = *composed.Canvas();
    if (Transparent()) {
        b.CopyRect(cell, &canvas, place);
        const TColor leftOut = ThemeServices()->ThemesEnabled() ? clBtnFace : transparentColor_;
        StretchTransparentBitmap(b, rendered, cell, leftOut, cell);
    } else {
        b.Brush()->SetColor(Color());
        b.BrushCopy(cell, &rendered, cell, transparentColor_);
    }
    TBitmap final(glyphWidth_, glyphHeight_);
    if (CustomGlyphsUsable()) {
        final.Canvas()->Brush()->SetColor(clWindow);
        final.Canvas()->BrushCopy(cell, &composed, cell, winMaskColor_);
    } else {
        final.Assign(&composed);
    }
    if (Transparent())
        GlyphHook(final);
    canvas.BitBlt(place.Left, place.Top, glyphWidth_, glyphHeight_, final.Canvas(), 0, 0, SRCCOPY);
}

// ---- Paint ------------------------------------------------------------------------------------

void TTarqCustomGlyphButton::PaintNow() { Repaint(); }

void TTarqCustomGlyphButton::DrawCaptionAndFocus(TCanvas& canvas)
{
    TRect text = InflateRect(ClientRect(), -1, -1);
    if (GlyphAtRight())
        text.Right -= glyphWidth_ + 4;
    else
        text.Left += glyphWidth_ + 4;
    const bool rightToLeft = UseRightToLeftAlignment();
    DrawStyledText(canvas, text, DT_WORDBREAK | DT_EXPANDTABS | (rightToLeft ? DT_RIGHT : 0));

    if (!Focused() || Caption().empty())
        return;
    TRect focus = InflateRect(text, 1, 1);
    const int32_t width = std::min(focus.Width(), canvas.TextWidth(Trim(Caption())) + 3);
    if (rightToLeft)
        focus.Left = focus.Right - width;
    else
        focus.Right = focus.Left + width;
    DrawDottedFocusRect(canvas, focus);
}

void TTarqCustomGlyphButton::Paint()
{
    const TRect client = ClientRect();
    const int32_t w = std::max(Width(), 1), h = std::max(Height(), 1);
    if (updateBg_) {
        backgroundBmp_->SetSize(w, h);
        TCanvas& bg = *backgroundBmp_->Canvas();
        // A transparent button keeps the parent's image its erase drew.
        if (Transparent())
            bg.CopyRect(client, Canvas(), client);
        else
            bg.FillSolidRect(client, Color());
        updateBg_ = false;
    }
    TBitmap work(w, h);
    TCanvas& canvas = *work.Canvas();
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetColor(Color());
    canvas.BitBlt(0, 0, w, h, backgroundBmp_->Canvas(), 0, 0, SRCCOPY);
    DrawGlyph(canvas);
    DrawCaptionAndFocus(canvas);
    Canvas()->BitBlt(0, 0, w, h, &canvas, 0, 0, SRCCOPY);
}

// ---- Input and messages --------------------------------------------------------------------------

// Enter moves the focus on like Tab when asked to.
void TTarqCustomGlyphButton::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_RETURN && tabOnEnter_) {
        key = 0;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    TTarqCustomButton::KeyDown(key, shift);
}

void TTarqCustomGlyphButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
    case WM_SIZE:
        TTarqCustomButton::Dispatch(message);
        MarkBackgroundStale(false);
        break;
    case CM_ENABLEDCHANGED:
    case CM_PARENTCOLORCHANGED:
        TTarqCustomButton::Dispatch(message);
        MarkBackgroundStale(true);
        break;
    default: TTarqCustomButton::Dispatch(message); break;
    }
}
