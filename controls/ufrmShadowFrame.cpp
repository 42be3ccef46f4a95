// The drop shadow of borderless forms.

#include "controls/ufrmShadowFrame.h"

#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace {

constexpr int32_t BlurPasses = 3;

struct TPremultiplier {
    TPremultiplyTable Table;
    TPremultiplier()
    {
        for (int i = 0; i < 256; ++i)
            for (int j = 0; j < 256; ++j)
                Table[i][j] = static_cast<uint8_t>(i * j / 255);
    }
};

void BlurPass(TBitmap& bitmap, int32_t distance)
{
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    auto at = [&](int32_t x, int32_t y) {
        return bitmap.ScanLine(std::clamp(y, 0, height - 1)) + 4 * std::clamp(x, 0, width - 1);
    };
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = at(x, y);
            for (int channel = 0; channel < 3; ++channel) {
                const int32_t sum = at(x - distance, y - distance)[channel] + at(x + distance, y - distance)[channel] +
                    at(x - distance, y + distance)[channel] + at(x + distance, y + distance)[channel];
                pixel[channel] = static_cast<uint8_t>(sum >> 2);
            }
        }
}

// Moves a top-level window to the front of its band, in the window system
// and on the desktop.
void RaiseTopLevel(HWND window)
{
    WindowSystem().BringToFront(window);
    if (TWinControl* control = WindowSystem().FindControl(window))
        if (INativeWindow* native = control->NativeWindow())
            native->BringToFront(false);
}

} // namespace

const TPremultiplyTable& PremultiplyTable()
{
    static const TPremultiplier premultiplier;
    return premultiplier.Table;
}

void BlurShadow(TBitmap& bitmap, int32_t passes)
{
    if (bitmap.Empty() || bitmap.PixelFormat() != pf32bit)
        return;
    for (int32_t distance = 1; distance <= passes; ++distance)
        BlurPass(bitmap, distance);
}

// ---- Life and attachment ---------------------------------------------------------------

TFormShadow::TFormShadow(TComponent* owner) : TWinControl(owner), FBitmap(std::make_unique<TBitmap>(0, 0, pf32bit))
{
    visible_ = false;
}

TFormShadow::~TFormShadow() { AttachForm(nullptr); }

void TFormShadow::AttachForm(TCustomForm* form)
{
    if (form == FForm)
        return;
    DetachHook();
    FForm.Set(form);
    if (form) {
        FFormWndProc = form->WindowProc;
        form->WindowProc = [this](TMessage& message) { FormWindowProc(message); };
        FFormTransparentColor = form->TransparentColorValue();
    }
    FRenderNeeded = true;
    RefreshFormPosition();
}

void TFormShadow::DetachHook()
{
    if (FForm && FFormWndProc)
        FForm->WindowProc = FFormWndProc;
    FFormWndProc = nullptr;
    FForm.Set(nullptr);
}

void TFormShadow::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (FForm.Forget(component, operation)) {
        // The form is going with its window procedure: nothing to restore.
        FFormWndProc = nullptr;
        SetVisible(false);
    }
}

void TFormShadow::SetShadowVisible(bool value)
{
    if (FShadowVisible == value)
        return;
    FShadowVisible = value;
    RefreshFormPosition();
}

void TFormShadow::SetShadowColor(TColor value)
{
    if (FShadowColor == value)
        return;
    FShadowColor = value;
    if (FForm && !FBitmap->Empty())
        UpdateLayer(false);
}

void TFormShadow::RefreshFormPosition()
{
    if (!FForm || !FForm->HandleAllocated())
        return;
    FForm->SetWindowPos(
        {FForm->Handle(), 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED});
}

// ---- The window ------------------------------------------------------------------------

void TFormShadow::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WndParent = 0;
    params.WindowClassStyle = CS_OWNDC | CS_DBLCLKS;
    params.Style = WS_POPUP;
    params.ExStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW;
}

void TFormShadow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_NCHITTEST:
        // Clicks pass to the windows below.
        message.Result = HTTRANSPARENT;
        return;
    case WM_ERASEBKGND:
        TWinControl::Dispatch(message);
        message.Result = 1;
        return;
    default: TWinControl::Dispatch(message);
    }
}

// ---- Following the form ----------------------------------------------------------------

void TFormShadow::FormWindowProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_WINDOWPOSCHANGING: FormPosChanging(message); break;
    case WM_WINDOWPOSCHANGED: FormPosChanged(message); break;
    default: FFormWndProc(message); break;
    }
}

void TFormShadow::FormPosChanging(TMessage& message)
{
    FFormWndProc(message);
    const auto* pos = reinterpret_cast<const TWindowPos*>(message.LParam);
    if (FForm && (FForm->WindowState() != wsNormal || (pos->flags & SWP_HIDEWINDOW)))
        HideBehindForm();
}

void TFormShadow::FormPosChanged(TMessage& message)
{
    FFormWndProc(message);
    if (!FForm)
        return;
    const auto* pos = reinterpret_cast<const TWindowPos*>(message.LParam);
    const TPoint formAt = (pos->flags & SWP_NOMOVE) ? TPoint{FForm->Left(), FForm->Top()} : TPoint{pos->x, pos->y};
    if (FForm->WindowState() != wsMaximized)
        RenderShadow();
    HandleNeeded();
    // Our window system raises a window it restacks; the place directly
    // behind the form is set once the shadow shows.
    SetWindowPos({Handle(), 0, formAt.X + FOffset - Margin, formAt.Y + FOffset - Margin, FBitmap->Width(),
                  FBitmap->Height(), SWP_NOACTIVATE | SWP_NOZORDER});
    const bool show = FShadowVisible && FForm->WindowState() == wsNormal;
    const uint32_t visibility = show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    SetWindowPos({Handle(), 0, 0, 0, 0, 0, visibility | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE});
    if (show)
        PlaceBehindForm();
}

void TFormShadow::HideBehindForm()
{
    if (!HandleAllocated())
        return;
    SetWindowPos({Handle(), 0, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER});
}

void TFormShadow::PlaceBehindForm()
{
    if (!FForm || !FForm->HandleAllocated() || !NativeWindow())
        return;
    const std::vector<HWND>& order = WindowSystem().TopLevelOrder();
    const HWND form = FForm->Handle(), self = Handle();
    auto formAt = std::find(order.begin(), order.end(), form);
    if (formAt == order.end() || (formAt != order.begin() && *(formAt - 1) == self))
        return;
    std::vector<HWND> above(formAt + 1, order.end());
    std::erase(above, self);
    RaiseTopLevel(self);
    RaiseTopLevel(form);
    for (HWND window : above)
        RaiseTopLevel(window);
}

// ---- Rendering -------------------------------------------------------------------------

void TFormShadow::RenderShadow()
{
    if (!FShadowVisible || !FForm || !FForm->HandleAllocated())
        return;
    const int32_t width = FForm->Width() + 2 * Margin, height = FForm->Height() + 2 * Margin;
    if (FBitmap->Width() != width || FBitmap->Height() != height) {
        FBitmap->SetSize(width, height);
        FRenderNeeded = true;
    } else if (FForm->TransparentColor() && FForm->TransparentColorValue() != FFormTransparentColor) {
        FRenderNeeded = true;
    }
    if (!FRenderNeeded)
        return;
    FRenderNeeded = false;

    TCanvas& canvas = *FBitmap->Canvas();
    canvas.FillSolidRect(Rect(0, 0, width, height), clBlack);
    std::optional<TRegion> clip;
    TRect shapeBox;
    PaintFormShape(clip, shapeBox);
    if (FForm->TransparentColor())
        MaskTransparentParts(true);
    BlurShadow(*FBitmap, BlurPasses);
    // Only the fringe outside the shape (and inside its holes) stays.
    if (FForm->TransparentColor())
        MaskTransparentParts(false);
    else
        canvas.FillSolidRect(shapeBox, clBlack);
    UpdateLayer(true);
    canvas.SelectClipRgn(nullptr);
}

void TFormShadow::PaintFormShape(std::optional<TRegion>& clip, TRect& shapeBox)
{
    TCanvas& canvas = *FBitmap->Canvas();
    const std::optional<TRegion>& region = FForm->WindowRgn();
    if (region && region->Kind() == COMPLEXREGION) {
        clip = *region;
        clip->Offset(Margin, Margin);
        canvas.SelectClipRgn(&*clip);
        shapeBox = clip->BoundingBox();
    } else {
        shapeBox = Rect(0, 0, FForm->Width(), FForm->Height());
        if (FForm->BorderStyle() != bsNone) {
            // A third of the border widths, as a framed window's shape
            // reaches a little beyond its client area.
            const TRect client = FForm->ClientRectInWindow();
            shapeBox = InflateRect(shapeBox, client.Left / 3, (FForm->Height() - client.Bottom) / 3);
        }
        shapeBox = OffsetRect(shapeBox, Margin, Margin);
    }
    canvas.FillSolidRect(shapeBox, clWhite);
}

void TFormShadow::MaskTransparentParts(bool toWhite)
{
    TBitmap formImage(FForm->Width(), FForm->Height(), pf24bit);
    FForm->PaintTo(*formImage.Canvas(), 0, 0);
    const TRect client = FForm->ClientRectInWindow();
    const TColor key = ColorToPixelRGB(FForm->TransparentColorValue());
    for (int32_t y = std::max(client.Top, 0); y < std::min(client.Bottom, FForm->Height()); ++y) {
        const uint8_t* source = formImage.ScanLine(y);
        uint8_t* shadow = FBitmap->ScanLine(y + Margin);
        for (int32_t x = std::max(client.Left, 0); x < std::min(client.Right, FForm->Width()); ++x) {
            const uint8_t* s = source + 3 * x;
            const bool hole = RGB(s[2], s[1], s[0]) == key;
            uint8_t* d = shadow + 4 * (x + Margin);
            if (toWhite)
                std::fill(d, d + 3, hole ? 0 : 255);
            else if (!hole)
                std::fill(d, d + 3, 0);
        }
    }
    if (toWhite)
        FFormTransparentColor = FForm->TransparentColorValue();
}

void TFormShadow::UpdateLayer(bool copyAlpha)
{
    FBlend.SourceConstantAlpha = FForm && FForm->AlphaBlend() ? FForm->AlphaBlendValue() : 255;
    FBlend.UseSourceAlpha = true;
    const TColor color = ColorToPixelRGB(FShadowColor);
    const uint8_t red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    const TPremultiplyTable& table = PremultiplyTable();
    for (int32_t y = 0; y < FBitmap->Height(); ++y) {
        uint8_t* pixel = FBitmap->ScanLine(y);
        for (int32_t x = 0; x < FBitmap->Width(); ++x, pixel += 4) {
            if (copyAlpha)
                pixel[3] = pixel[0];
            const uint8_t alpha = pixel[3];
            pixel[0] = table[blue][alpha];
            pixel[1] = table[green][alpha];
            pixel[2] = table[red][alpha];
        }
    }
    UpdateLayered(*FBitmap, FBlend.SourceConstantAlpha);
}
