// The settings objects of the anti-aliased text engine and their INI form.

#include "controls/aa/AAFont.h"

#include "platform/core/IniFile.h"

#include <algorithm>

// ---- TNotifyClass ----------------------------------------------------------------------

TNotifyClass::TNotifyClass(TNotifyEvent onChange, TPersistent* owner) : FOnChange(std::move(onChange)), FOwner(owner) {}

void TNotifyClass::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TNotifyClass::ChildChanged(TObject*) { Changed(); }

void TNotifyClass::Assign(const TPersistent* source)
{
    if (dynamic_cast<const TNotifyClass*>(source))
        return;
    TPersistent::Assign(source);
}

// ---- TEnabledClass ---------------------------------------------------------------------

void TEnabledClass::SetEnabled(bool value)
{
    if (FEnabled == value)
        return;
    FEnabled = value;
    TNotifyClass::Changed();
}

void TEnabledClass::Changed()
{
    if (FEnabled)
        TNotifyClass::Changed();
}

void TEnabledClass::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TEnabledClass*>(source))
        FEnabled = other->FEnabled;
    TNotifyClass::Assign(source);
}

// ---- TAAShadow -------------------------------------------------------------------------

void TAAShadow::SetBlur(TBlurStrength value) { Store(FBlur, std::clamp(value, 0, 100)); }
void TAAShadow::SetAlpha(TAlpha value) { Store(FAlpha, std::clamp(value, 0, 100)); }
void TAAShadow::SetOffsetX(TOffset value) { Store(FOffsetX, std::clamp(value, -20, 20)); }
void TAAShadow::SetOffsetY(TOffset value) { Store(FOffsetY, std::clamp(value, -20, 20)); }

void TAAShadow::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAAShadow*>(source)) {
        FBlur = other->FBlur;
        FAlpha = other->FAlpha;
        FColor = other->FColor;
        FOffsetX = other->FOffsetX;
        FOffsetY = other->FOffsetY;
    }
    TEnabledClass::Assign(source);
}

// ---- TAAGradual ------------------------------------------------------------------------

void TAAGradual::SetStyle(TGradualStyle value) { Store(FStyle, value); }

void TAAGradual::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAAGradual*>(source)) {
        FStyle = other->FStyle;
        FStartColor = other->FStartColor;
        FEndColor = other->FEndColor;
    }
    TEnabledClass::Assign(source);
}

// ---- TAATexture ------------------------------------------------------------------------

TAATexture::TAATexture(TNotifyEvent onChange, TPersistent* owner)
    : TEnabledClass(std::move(onChange), owner), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TObject*) { Changed(); };
}

void TAATexture::SetMode(TTextureMode value) { Store(FMode, value); }

bool TAATexture::HasPicture() const { return Enabled() && FPicture->Graphic() && !FPicture->Graphic()->Empty(); }

void TAATexture::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAATexture*>(source)) {
        FMode = other->FMode;
        FPicture->Assign(other->FPicture.get());
    }
    TEnabledClass::Assign(source);
}

// ---- TAAEffect -------------------------------------------------------------------------

TAAEffect::TAAEffect(TNotifyEvent onChange, TPersistent* owner) : TNotifyClass(std::move(onChange), owner)
{
    auto child = [this](TObject* sender) { ChildChanged(sender); };
    FShadow = std::make_unique<TAAShadow>(child, this);
    FGradual = std::make_unique<TAAGradual>(child, this);
    FTexture = std::make_unique<TAATexture>(child, this);
}

void TAAEffect::SetAlpha(TAlpha value) { Store(FAlpha, std::clamp(value, 0, 100)); }
void TAAEffect::SetBlur(TBlurStrength value) { Store(FBlur, std::clamp(value, 0, 100)); }
void TAAEffect::SetSpray(TSprayRange value) { Store(FSpray, std::clamp(value, 0, 100)); }
void TAAEffect::SetAngle(TAngle value) { Store(FAngle, std::clamp(value, -360, 360)); }

void TAAEffect::SetShadow(const TAAShadow* value)
{
    FShadow->Assign(value);
    Changed();
}

void TAAEffect::SetGradual(const TAAGradual* value)
{
    FGradual->Assign(value);
    Changed();
}

void TAAEffect::SetTexture(const TAATexture* value)
{
    FTexture->Assign(value);
    Changed();
}

void TAAEffect::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAAEffect*>(source)) {
        FAlpha = other->FAlpha;
        FBlur = other->FBlur;
        FNoise = other->FNoise;
        FSpray = other->FSpray;
        FAngle = other->FAngle;
        FOutline = other->FOutline;
        FHorzMirror = other->FHorzMirror;
        FVertMirror = other->FVertMirror;
        FShadow->Assign(other->FShadow.get());
        FGradual->Assign(other->FGradual.get());
        FTexture->Assign(other->FTexture.get());
    }
    TNotifyClass::Assign(source);
}

void TAAEffect::LoadFromIni(TIniFile& ini, const std::string& section)
{
    auto readInt = [&](const char* key, int32_t current) { return ini.ReadInteger(section, key, current); };
    auto readBool = [&](const char* key, bool current) { return ini.ReadBool(section, key, current); };
    SetAlpha(readInt("Alpha", FAlpha));
    SetBlur(readInt("Blur", FBlur));
    SetNoise(static_cast<uint8_t>(std::clamp(readInt("Noise", FNoise), 0, 255)));
    SetSpray(readInt("Spray", FSpray));
    SetAngle(readInt("Angle", FAngle));
    SetOutline(readBool("Outline", FOutline));
    SetHorzMirror(readBool("HorzMirror", FHorzMirror));
    SetVertMirror(readBool("VertMirror", FVertMirror));
    FShadow->SetEnabled(readBool("Shadow", FShadow->Enabled()));
    FShadow->SetAlpha(readInt("ShadowAlpha", FShadow->Alpha()));
    FShadow->SetBlur(readInt("ShadowBlur", FShadow->Blur()));
    FShadow->SetColor(static_cast<TColor>(readInt("ShadowColor", static_cast<int32_t>(FShadow->Color()))));
    FShadow->SetOffsetX(readInt("ShadowOffsetX", FShadow->OffsetX()));
    FShadow->SetOffsetY(readInt("ShadowOffsetY", FShadow->OffsetY()));
    FGradual->SetEnabled(readBool("Gradual", FGradual->Enabled()));
    FGradual->SetStartColor(
        static_cast<TColor>(readInt("GradualStartColor", static_cast<int32_t>(FGradual->StartColor()))));
    FGradual->SetEndColor(static_cast<TColor>(readInt("GradualEndColor", static_cast<int32_t>(FGradual->EndColor()))));
    // An unknown style or mode falls back to the first one.
    int32_t style = readInt("GradualStyle", FGradual->Style());
    FGradual->SetStyle(style >= gsLeftToRight && style <= gsCenterToTB ? static_cast<TGradualStyle>(style)
                                                                       : gsLeftToRight);
    FTexture->SetEnabled(readBool("Texture", FTexture->Enabled()));
    int32_t mode = readInt("TextureMode", FTexture->Mode());
    FTexture->SetMode(mode >= tmTiled && mode <= tmNormal ? static_cast<TTextureMode>(mode) : tmTiled);
}

void TAAEffect::SaveToIni(TIniFile& ini, const std::string& section) const
{
    auto writeInt = [&](const char* key, int32_t value) { ini.WriteInteger(section, key, value); };
    auto writeBool = [&](const char* key, bool value) { ini.WriteBool(section, key, value); };
    writeInt("Alpha", FAlpha);
    writeInt("Blur", FBlur);
    writeInt("Noise", FNoise);
    writeInt("Spray", FSpray);
    writeInt("Angle", FAngle);
    writeBool("Outline", FOutline);
    writeBool("HorzMirror", FHorzMirror);
    writeBool("VertMirror", FVertMirror);
    writeBool("Shadow", FShadow->Enabled());
    writeInt("ShadowAlpha", FShadow->Alpha());
    writeInt("ShadowBlur", FShadow->Blur());
    writeInt("ShadowColor", static_cast<int32_t>(FShadow->Color()));
    writeInt("ShadowOffsetX", FShadow->OffsetX());
    writeInt("ShadowOffsetY", FShadow->OffsetY());
    writeBool("Gradual", FGradual->Enabled());
    writeInt("GradualStartColor", static_cast<int32_t>(FGradual->StartColor()));
    writeInt("GradualEndColor", static_cast<int32_t>(FGradual->EndColor()));
    writeInt("GradualStyle", FGradual->Style());
    writeBool("Texture", FTexture->Enabled());
    writeInt("TextureMode", FTexture->Mode());
}
