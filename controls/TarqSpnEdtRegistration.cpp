#include "controls/TarqEditRegistration.h"
#include "controls/TarqRegistration.h"
#include "controls/TarqSpnEdt.h"
#include "platform/ui/Controls.h"

namespace {

void RegisterSpinButtons()
{
    using B = TTarqSpinButtons;
    RegisterClass<B, TWinControl>("TTarqSpinButtons")
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const B& b) { return !b.ParentColor(); })
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Property("Delay", &B::Delay, &B::SetDelay)
        .Default(100)
        .Property("InitialDelay", &B::InitialDelay, &B::SetInitialDelay)
        .Default(400)
        .Enum("Direction", &B::Direction, &B::SetDirection, SpinDirectionInfo())
        .Default(sdUpDown)
        .Enum("Orientation", &B::Orientation, &B::SetOrientation, OrientationInfo())
        .Default(orVertical)
        .Property("Flat", &B::Flat, &B::SetFlat)
        .Default(false)
        .Property("FocusControl", &B::FocusControl, &B::SetFocusControl)
        .Property("GlyphUpRight", &B::GlyphUpRight, &B::SetGlyphUpRight)
        .Stored([](const B& b) { return b.CustomGlyphUpRight(); })
        .Property("GlyphDownLeft", &B::GlyphDownLeft, &B::SetGlyphDownLeft)
        .Stored([](const B& b) { return b.CustomGlyphDownLeft(); })
        .Property("NumGlyphsUpRight", &B::NumGlyphsUpRight, &B::SetNumGlyphsUpRight)
        .Default(2)
        .Property("NumGlyphsDownLeft", &B::NumGlyphsDownLeft, &B::SetNumGlyphsDownLeft)
        .Default(2)
        .Event("OnUpRightClick", &B::OnUpRightClick)
        .Event("OnDownLeftClick", &B::OnDownLeftClick)
        .Retired("About");
}

template <class G, class S>
void Number(TClassBuilder<TTarqSpinEdit>& builder, const char* name, G get, S set, long double def)
{
    builder.Property(name, get, set).Stored([get, def](const TTarqSpinEdit& s) { return (s.*get)() != def; });
}

void RegisterSpinEdit()
{
    using S = TTarqSpinEdit;
    auto builder = RegisterClass<S, TWinControl>("TTarqSpinEdit");
    AddFramedEditProperties(builder);
    builder.Enum("Alignment", &S::Alignment, &S::SetAlignment, EditAlignmentInfo())
        .Default(taRightJustify)
        .Property("AllowBlank", &S::AllowBlank, &S::SetAllowBlank)
        .Default(false)
        .Property("AllowKeyEdit", &S::AllowKeyEdit, &S::SetAllowKeyEdit)
        .Default(false)
        .Property("ButtonWidth", &S::ButtonWidth, &S::SetButtonWidth)
        .Default(17)
        .Property("ButtonUpGlyph", &S::ButtonUpGlyph, &S::SetButtonUpGlyph)
        .Stored([](const S& s) { return s.SpinButtons()->CustomGlyphUpRight(); })
        .Property("ButtonDownGlyph", &S::ButtonDownGlyph, &S::SetButtonDownGlyph)
        .Stored([](const S& s) { return s.SpinButtons()->CustomGlyphDownLeft(); })
        .Property("ButtonUpNumGlyphs", &S::ButtonUpNumGlyphs, &S::SetButtonUpNumGlyphs)
        .Default(2)
        .Stored([](const S& s) { return s.SpinButtons()->CustomGlyphUpRight(); })
        .Property("ButtonDownNumGlyphs", &S::ButtonDownNumGlyphs, &S::SetButtonDownNumGlyphs)
        .Default(2)
        .Stored([](const S& s) { return s.SpinButtons()->CustomGlyphDownLeft(); })
        .Property("CheckRange", &S::CheckRange, &S::SetCheckRange)
        .Default(false)
        .Property("Decimals", &S::Decimals, &S::SetDecimals)
        .Default(0)
        .Enum("Direction", &S::Direction, &S::SetDirection, SpinDirectionInfo())
        .Default(sdUpDown)
        .Property("IntegersOnly", &S::IntegersOnly, &S::SetIntegersOnly)
        .Default(true)
        .Enum("Orientation", &S::Orientation, &S::SetOrientation, OrientationInfo())
        .Default(orVertical);
    Number(builder, "BlankValue", &S::BlankValue, &S::SetBlankValue, 0);
    Number(builder, "Increment", &S::Increment, &S::SetIncrement, 1);
    Number(builder, "Min", &S::Min, &S::SetMin, 0);
    Number(builder, "Max", &S::Max, &S::SetMax, 100);
    Number(builder, "PageSize", &S::PageSize, &S::SetPageSize, 10);
    builder
        .Property(
            "Value", [](S& s) { return s.Value(); }, [](S& s, long double v) { s.SetValue(v); })
        .Stored([](const S& s) { return !s.Text().empty() && s.Text() != "0"; })
        .Event("OnChanging", &S::OnChanging)
        .Event("OnButtonClick", &S::OnButtonClick)
        .Event("OnMouseWheelDown", &S::OnMouseWheelDown)
        .Event("OnMouseWheelUp", &S::OnMouseWheelUp)
        // Settings of older versions: read, never written.
        .Retired("FlatButtonParentColor");
}

} // namespace

void RegisterTarqSpinEditClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterTarqButtonClasses();
        RegisterSpinButtons();
        RegisterSpinEdit();
        return true;
    }();
    (void)registered;
}
