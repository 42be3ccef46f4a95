#pragma once
// Smooth text with effects, independent of the font smoothing of the
// platform: the text is drawn white on black at N times its size into an
// 8-bit grey bitmap, averaged down into a coverage mask, optionally
// outlined, sprayed, mirrored and blurred, and a colour, gradient, texture
// or noisy colour is blended through the mask onto the target canvas,
// after an optional soft shadow made from the same mask.

#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Picture.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

class TIniFile;
class TAAFont;

class EInvalidLine : public Exception {
public:
    EInvalidLine() : Exception("Invalid line!") {}
};
class EInvalidForeBmp : public Exception {
public:
    EInvalidForeBmp() : Exception("Invalid foreground bitmap!") {}
};

// Entry i is grey level i, so a sample's palette index is its brightness.
const TPalette& GrayPalette();

// The engine's uniform random numbers; seedable so that sprayed and noisy
// renderings can be repeated.
class TAARandom {
public:
    virtual ~TAARandom() = default;
    void Seed(uint32_t seed) { FEngine.seed(seed); }
    // 0 .. range-1; 0 for a range of 0 or less, drawing nothing.
    int32_t Random(int32_t range) { return range <= 0 ? 0 : Next(range); }

protected:
    virtual int32_t Next(int32_t range);

private:
    std::mt19937 FEngine{0x41414641u};
};

// ---- Settings ------------------------------------------------------------------------

using TBlurStrength = int32_t; // 0..100
using TAlpha = int32_t; // 0..100
using TOffset = int32_t; // -20..20
using TSprayRange = int32_t; // 0..100
using TAngle = int32_t; // -360..360

enum TGradualStyle { gsLeftToRight, gsRightToLeft, gsTopToBottom, gsBottomToTop, gsCenterToLR, gsCenterToTB };
enum TTextureMode { tmTiled, tmStretched, tmCenter, tmNormal };
enum TAAQuality { aqHigh, aqNormal, aqLow, aqNone };

// A settings object that reports its changes to one callback.
class TNotifyClass : public TPersistent {
public:
    TNotifyClass(TNotifyEvent onChange = nullptr, TPersistent* owner = nullptr);

    TPersistent* GetOwner() const { return FOwner; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    virtual void Changed();
    // The callback handed to owned settings objects.
    void ChildChanged(TObject* sender);

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

protected:
    // Stores a changed value and reports the change.
    template <class V>
    void Store(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }

private:
    TNotifyEvent FOnChange;
    TPersistent* FOwner;
};

// Settings that take effect only while enabled: changes are reported only
// then, while switching them on or off is always reported.
class TEnabledClass : public TNotifyClass {
public:
    using TNotifyClass::TNotifyClass;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    void Changed() override;

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    bool FEnabled = false;
};

class TAAShadow : public TEnabledClass {
public:
    using TEnabledClass::TEnabledClass;

    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength value);
    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Store(FColor, value); }
    TOffset OffsetX() const { return FOffsetX; }
    void SetOffsetX(TOffset value);
    TOffset OffsetY() const { return FOffsetY; }
    void SetOffsetY(TOffset value);

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TBlurStrength FBlur = 80;
    TAlpha FAlpha = 70;
    TColor FColor = 0x00444444;
    TOffset FOffsetX = 2;
    TOffset FOffsetY = 2;
};

class TAAGradual : public TEnabledClass {
public:
    using TEnabledClass::TEnabledClass;

    TGradualStyle Style() const { return FStyle; }
    void SetStyle(TGradualStyle value);
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor value) { Store(FStartColor, value); }
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value) { Store(FEndColor, value); }

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TGradualStyle FStyle = gsLeftToRight;
    TColor FStartColor = 0x00FFFFFF;
    TColor FEndColor = 0;
};

class TAATexture : public TEnabledClass {
public:
    TAATexture(TNotifyEvent onChange = nullptr, TPersistent* owner = nullptr);

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* value) { FPicture->Assign(value); }
    TTextureMode Mode() const { return FMode; }
    void SetMode(TTextureMode value);
    // Enabled with a picture that holds a non-empty graphic.
    bool HasPicture() const;

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    std::unique_ptr<TPicture> FPicture;
    TTextureMode FMode = tmTiled;
};

// Every effect of a rendering. Values outside a setting's range are
// clamped into it.
class TAAEffect : public TNotifyClass {
public:
    TAAEffect(TNotifyEvent onChange = nullptr, TPersistent* owner = nullptr);

    TAlpha Alpha() const { return FAlpha; }
    void SetAlpha(TAlpha value);
    TBlurStrength Blur() const { return FBlur; }
    void SetBlur(TBlurStrength value);
    uint8_t Noise() const { return FNoise; }
    void SetNoise(uint8_t value) { Store(FNoise, value); }
    TSprayRange Spray() const { return FSpray; }
    void SetSpray(TSprayRange value);
    TAngle Angle() const { return FAngle; }
    void SetAngle(TAngle value);
    bool Outline() const { return FOutline; }
    void SetOutline(bool value) { Store(FOutline, value); }
    bool HorzMirror() const { return FHorzMirror; }
    void SetHorzMirror(bool value) { Store(FHorzMirror, value); }
    bool VertMirror() const { return FVertMirror; }
    void SetVertMirror(bool value) { Store(FVertMirror, value); }

    TAAShadow* Shadow() const { return FShadow.get(); }
    void SetShadow(const TAAShadow* value);
    TAAGradual* Gradual() const { return FGradual.get(); }
    void SetGradual(const TAAGradual* value);
    TAATexture* Texture() const { return FTexture.get(); }
    void SetTexture(const TAATexture* value);

    // Keys of the section, each read with the current value as default.
    virtual void LoadFromIni(TIniFile& ini, const std::string& section);
    virtual void SaveToIni(TIniFile& ini, const std::string& section) const;

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TAlpha FAlpha = 100;
    TBlurStrength FBlur = 0;
    uint8_t FNoise = 0;
    TSprayRange FSpray = 0;
    TAngle FAngle = 0;
    bool FOutline = false;
    bool FHorzMirror = false;
    bool FVertMirror = false;
    std::unique_ptr<TAAShadow> FShadow;
    std::unique_ptr<TAAGradual> FGradual;
    std::unique_ptr<TAATexture> FTexture;
};

// ---- Drawing ---------------------------------------------------------------------------

// The size of a text's box and where the text's origin lies inside it.
struct TTextExtent {
    TSize Size;
    TPoint Origin;
};

// The box of a w x h rectangle turned by `angle` radians about its centre,
// and the position of the turned top-left corner inside it.
TTextExtent RotatedTextBox(int32_t width, int32_t height, double angle);

// A coverage mask: one byte (0..255) per pixel, rows padded to 4 bytes and
// stored bottom-up.
class TAAMask : public TPersistent {
public:
    explicit TAAMask(TAAFont* font);

    TAAFont* Font() const { return FFont; }
    TAAQuality Quality() const { return FQuality; }
    // Also sets the scale: 4, 3, 2, 1 for aqHigh .. aqNone.
    void SetQuality(TAAQuality value);
    int32_t Scale() const { return FScale; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t RowStride() const { return FRowStride; }

    // Row y from the top; raises EInvalidLine outside the mask.
    uint8_t* MaskRow(int32_t y);
    const uint8_t* MaskRow(int32_t y) const;
    // Resizes the buffer (contents undefined) for a mask of that size.
    void SetSize(int32_t width, int32_t height);

    // The text's size in target pixels at the canvas font; (0, 0) without
    // a canvas.
    TTextExtent MeasureText(const std::string& text) const;
    // Renders the text at `point` (target pixels) into a mask of `size`.
    void BuildMask(const std::string& text, TSize size, TPoint point);
    void BuildTextMask(const std::string& text);

    void OutlineMask();
    void BlurMask(int32_t amount);
    void SprayMask(int32_t amount, TAARandom& random);
    void MirrorHorizontally();
    void MirrorVertically();

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    void Downsample(TBitmap& samples);

    TAAFont* FFont;
    TAAQuality FQuality = aqNormal;
    int32_t FScale = 3;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FRowStride = 0;
    std::vector<uint8_t> FBuffer;
};

// Blends colours through a mask onto the font's canvas.
class TAABlend : public TPersistent {
public:
    explicit TAABlend(TAAFont* font);

    TAAFont* Font() const { return FFont; }
    // The 24-bit foreground of BlendForeBitmap.
    TBitmap* ForeBmp() const { return FForeBmp.get(); }
    TBitmap* WorkBmp() const { return FWorkBmp.get(); }

    // `alpha` in percent.
    void BlendSolidColor(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha, TColor color);
    // Raises EInvalidForeBmp unless ForeBmp is 24-bit and of the mask's size.
    void BlendForeBitmap(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha);

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    template <class ColorAt>
    void Blend(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha, ColorAt colorAt);
    void ReadBackground(int32_t x, int32_t y, int32_t width, int32_t height);

    TAAFont* FFont;
    std::unique_ptr<TBitmap> FForeBmp;
    std::unique_ptr<TBitmap> FWorkBmp;
};

// Draws a graphic repeatedly from the rectangle's top-left corner until the
// rectangle is covered.
void TileGraphic(TCanvas& canvas, const TRect& rect, TGraphic* graphic);
// Stretches a graphic over the rectangle; an icon is first laid on a bitmap
// of its own size filled with `iconBackground`.
void StretchGraphic(TCanvas& canvas, const TRect& rect, TGraphic* graphic, TColor iconBackground);

class TAAFont : public TObject {
public:
    explicit TAAFont(TCanvas* canvas);
    ~TAAFont() override;

    TCanvas* Canvas() const { return FCanvas; }
    void SetCanvas(TCanvas* value) { FCanvas = value; }
    TAAMask* Mask() const { return FMask.get(); }
    TAABlend* Blend() const { return FBlend.get(); }
    TAAQuality Quality() const { return FMask->Quality(); }
    void SetQuality(TAAQuality value) { FMask->SetQuality(value); }
    // The generator of spraying and noise.
    TAARandom& Random() { return *FRandom; }
    void SetRandom(std::unique_ptr<TAARandom> value) { FRandom = std::move(value); }

    virtual TSize MeasureText(const std::string& text);
    int32_t TextPixelHeight(const std::string& text) { return MeasureText(text).cy; }
    int32_t TextPixelWidth(const std::string& text) { return MeasureText(text).cx; }

private:
    TCanvas* FCanvas;
    std::unique_ptr<TAAMask> FMask;
    std::unique_ptr<TAABlend> FBlend;
    std::unique_ptr<TAARandom> FRandom;
};

class TAAFontEx : public TAAFont {
public:
    explicit TAAFontEx(TCanvas* canvas);

    // Set up by the control that uses the drawer.
    TAAEffect* Effect() const { return FEffect.get(); }

    // Includes the effect's angle and the shadow's offsets.
    TSize MeasureText(const std::string& text) override;
    // Draws the text with every effect, its top-left corner at (x, y).
    void RenderText(int32_t x, int32_t y, const std::string& text);

    // The foreground builders of RenderText, on the mask's size.
    void BuildGradualFore();
    void BuildNoiseFore();
    void BuildTextureFore();
    void AddNoise(int32_t amount);

private:
    void RenderShadow(TPoint at);
    void FillText(TPoint at);

    std::unique_ptr<TAAEffect> FEffect;
};
