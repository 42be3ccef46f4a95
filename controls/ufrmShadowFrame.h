#pragma once
// A soft drop shadow for a borderless form: a layered, click-through tool
// window kept directly behind the form. It follows the form's moves and
// size, hides while the form is minimised, maximised or hidden, and renders
// its image only when the form's size or transparent colour changed: the
// form's shape in white on black, blurred three times, turned into
// per-pixel alpha and tinted with the shadow colour (premultiplied).
//
// On the desktop the per-pixel alpha shows where the backend can show it
// (an X11 ARGB visual with a compositor); elsewhere the window stays
// hidden while its image is still rendered.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>
#include <optional>

// T[i][j] = i * j div 255.
using TPremultiplyTable = uint8_t[256][256];
const TPremultiplyTable& PremultiplyTable();

// `passes` in-place passes over the blue, green and red bytes of a 32-bit
// bitmap; pass i averages the four diagonal neighbours at distance i
// (clamped to the bitmap), reading the values already written above and to
// the left. Alpha bytes are left alone.
void BlurShadow(TBitmap& bitmap, int32_t passes);

class TFormShadow : public TWinControl {
public:
    // The margin of the shadow around each side of the form.
    static constexpr int32_t Margin = 16;

    explicit TFormShadow(TComponent* owner);
    ~TFormShadow() override;

    TCustomForm* Form() const { return FForm; }
    // Hooks the form's window procedure (unhooking the previous form);
    // nullptr detaches.
    void AttachForm(TCustomForm* form);

    bool ShadowVisible() const { return FShadowVisible; }
    void SetShadowVisible(bool value);
    TColor ShadowColor() const { return FShadowColor; }
    // Re-tints the rendered image; without a form the colour is kept for
    // the first rendering.
    void SetShadowColor(TColor value);
    // Added to the form's position when the shadow is placed.
    int32_t Offset() const { return FOffset; }

    // The layer as handed to the desktop: 32-bit premultiplied pixels.
    const TBitmap& ShadowBitmap() const { return *FBitmap; }
    TBitmap& ShadowBitmap() { return *FBitmap; }
    // Constant alpha of the last layer update: the form's AlphaBlendValue
    // when it blends, else 255.
    const TBlendFunction& BlendFunction() const { return FBlend; }

    // Makes the form announce its position, which places (and, when
    // needed, renders) the shadow.
    void RefreshFormPosition();

    // The window procedure installed on the attached form.
    virtual void FormWindowProc(TMessage& message);

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void FormPosChanging(TMessage& message);
    void FormPosChanged(TMessage& message);
    void HideBehindForm();
    void PlaceBehindForm();
    void RenderShadow();
    void PaintFormShape(std::optional<TRegion>& clip, TRect& shapeBox);
    // Transparent-coloured client pixels of the form: `toWhite` paints the
    // opaque ones white and the holes black; otherwise the opaque ones
    // become black and the holes keep their value.
    void MaskTransparentParts(bool toWhite);
    void UpdateLayer(bool copyAlpha);
    void DetachHook();

    TComponentRef<TCustomForm> FForm{this};
    TWndMethod FFormWndProc;
    bool FShadowVisible = false;
    int32_t FOffset = 0;
    TColor FShadowColor = clBlack;
    bool FRenderNeeded = true;
    TColor FFormTransparentColor = clBlack;
    std::unique_ptr<TBitmap> FBitmap;
    TBlendFunction FBlend;
};
