#include "controls/TarqPageControl.h"
#include "platform/core/ClassRegistry.h"

namespace {

using C = TTarqCustomTabControl;
using PC = TTarqPageControl;
using S = TTarqTabSheet;

void RegisterColorSets()
{
    RegisterClass<TTarqTabColors, TPersistent>("TTarqTabColors")
        .Property("HighlightBar", ColorGetter(&TTarqTabColors::HighlightBar),
                  ColorSetter(&TTarqTabColors::SetHighlightBar))
        .Default(ColorProp(clHighlight))
        .Idents(ColorIdents())
        .Property("Shadow", ColorGetter(&TTarqTabColors::Shadow), ColorSetter(&TTarqTabColors::SetShadow))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Property("Unselected", ColorGetter(&TTarqTabColors::Unselected), ColorSetter(&TTarqTabColors::SetUnselected))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents());
    using T = TTarqTextColors;
    RegisterClass<T, TPersistent>("TTarqTextColors")
        .Property("DisabledHighlight", ColorGetter(&T::DisabledHighlight), ColorSetter(&T::SetDisabledHighlight))
        .Default(ColorProp(clBtnHighlight))
        .Idents(ColorIdents())
        .Property("DisabledShadow", ColorGetter(&T::DisabledShadow), ColorSetter(&T::SetDisabledShadow))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents())
        .Property("Selected", ColorGetter(&T::Selected), ColorSetter(&T::SetSelected))
        .Default(ColorProp(clBtnText))
        .Idents(ColorIdents())
        .Property("Unselected", ColorGetter(&T::Unselected), ColorSetter(&T::SetUnselected))
        .Default(ColorProp(clBtnText))
        .Idents(ColorIdents());
}

template <class B>
void RegisterTabControlProperties(B& b)
{
    b.Property("AlignTabs", &C::AlignTabs, &C::SetAlignTabs)
        .Default(false)
        .Property("AllowTabDragging", &C::AllowTabDragging, &C::SetAllowTabDragging)
        .Default(false)
        .Property("BackgroundColor", ColorGetter(&C::BackgroundColor), ColorSetter(&C::SetBackgroundColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const PC& c) { return !c.ParentBackgroundColor(); })
        .Property("BoldCurrentTab", &C::BoldCurrentTab, &C::SetBoldCurrentTab)
        .Default(false)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const PC& c) { return !c.ParentColor(); })
        .Property("CutCornerSize", &C::CutCornerSize, &C::SetCutCornerSize)
        .Default(6)
        .Property("FlatColor", ColorGetter(&C::FlatColor), ColorSetter(&C::SetFlatColor))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents())
        .Property("FlatColorAdjustment", &C::FlatColorAdjustment, &C::SetFlatColorAdjustment)
        .Default(0)
        .Property("HotTrack", &C::HotTrack, &C::SetHotTrack)
        .Default(true)
        .Property("HotTrackColor", ColorGetter(&C::HotTrackColor), ColorSetter(&C::SetHotTrackColor))
        .Default(ColorProp(0x00149BF0))
        .Idents(ColorIdents())
        .Enum("HotTrackColorType", &C::HotTrackColorType, &C::SetHotTrackColorType, HotTrackColorTypeInfo())
        .Default(htctActual)
        .Enum("HotTrackStyle", &C::HotTrackStyle, &C::SetHotTrackStyle, TabHotTrackStyleInfo())
        .Default(htsTab)
        .Enum("ImageAlignment", &C::ImageAlignment, &C::SetImageAlignment, HorizontalAlignmentInfo())
        .Default(haCenter)
        .Enum("ImageAlignmentVertical", &C::ImageAlignmentVertical, &C::SetImageAlignmentVertical,
              VerticalAlignmentInfo())
        .Default(vaCenter)
        .Property("ImageMargin", &C::ImageMargin, &C::SetImageMargin)
        .Default(2)
        .Enum("ImagePosition", &C::ImagePosition, &C::SetImagePosition, ImagePositionInfo())
        .Default(ipLeft)
        .Property("Images", &C::Images, &C::SetImages)
        .Property("Margin", &C::Margin, &C::SetMargin)
        .Default(0)
        .Property("MultiLine", &C::MultiLine, &C::SetMultiLine)
        .Default(false)
        .Property("ParentBackgroundColor", &C::ParentBackgroundColor, &C::SetParentBackgroundColor)
        .Default(true)
        .Property("RowIndent", &C::RowIndent, &C::SetRowIndent)
        .Default(5)
        .Property("RowOverlap", &C::RowOverlap, &C::SetRowOverlap)
        .Default(5)
        .Property("ShowCardFrame", &C::ShowCardFrame, &C::SetShowCardFrame)
        .Default(true)
        .Property("ShowCloseButton", &C::ShowCloseButton, &C::SetShowCloseButton)
        .Default(false)
        .Property("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect)
        .Default(true)
        .Property("ShowFullFrame", &C::ShowFullFrame, &C::SetShowFullFrame)
        .Default(true)
        .Property("ShowMenuButton", &C::ShowMenuButton, &C::SetShowMenuButton)
        .Default(false)
        .Property("ShowShadow", &C::ShowShadow, &C::SetShowShadow)
        .Default(true)
        .Property("SoftCorners", &C::SoftCorners, &C::SetSoftCorners)
        .Default(false)
        .Property("TabColors", [](C& c) { return c.TabColors(); })
        .Property("TabHeight", &C::TabHeight, &C::SetTabHeight)
        .Default(0)
        .Property("TabHints", &C::TabHints, &C::SetTabHints)
        .Default(false)
        .Property("TabIndex", &C::TabIndex, &C::SetTabIndex)
        .Default(-1)
        .Enum("TabOrientation", &C::TabOrientation, &C::SetTabOrientation, TabOrientationInfo())
        .Default(toTop)
        .Property("TabOverlap", &C::TabOverlap, &C::SetTabOverlap)
        .Default(-1)
        .Enum("TabSequence", &C::TabSequence, &C::SetTabSequence, TabSequenceInfo())
        .Default(tsStandard)
        .Enum("TabStyle", &C::TabStyle, &C::SetTabStyle, TabStyleInfo())
        .Default(tsSingleSlant)
        .Property("TabWidth", &C::TabWidth, &C::SetTabWidth)
        .Default(0)
        .Enum("TextAlignment", &C::TextAlignment, &C::SetTextAlignment, HorizontalAlignmentInfo())
        .Default(haCenter)
        .Enum("TextAlignmentVertical", &C::TextAlignmentVertical, &C::SetTextAlignmentVertical, VerticalAlignmentInfo())
        .Default(vaCenter)
        .Property("TextColors", [](C& c) { return c.TextColors(); })
        .Enum("TextOrientation", &C::TextOrientation, &C::SetTextOrientation, OrientationInfo())
        .Default(orHorizontal)
        .Property("Transparent", &C::Transparent, &C::SetTransparent)
        .Default(false)
        .Property("UseColoredTabs", &C::UseColoredTabs, &C::SetUseColoredTabs)
        .Default(false)
        .Property("UseGradients", &C::UseGradients, &C::SetUseGradients)
        .Default(true)
        // The row thickness, always written; the first layout recomputes it.
        .Property("FixedDimension", &C::RowThickness, &C::SetRowThickness)
        .Event("OnChange", &C::OnChange)
        .Event("OnChanging", &C::OnChanging)
        .Event("OnClose", &C::OnClose)
        .Event("OnGetTextColor", &C::OnGetTextColor)
        .Event("OnPageChange", &C::OnPageChange)
        .Event("OnPaintBackground", &C::OnPaintBackground)
        .Event("OnPaintCardBackground", &C::OnPaintCardBackground)
        .Event("OnPaintTabBackground", &C::OnPaintTabBackground)
        .Event("OnTabClick", &C::OnTabClick)
        .Event("OnTabOrderChange", &C::OnTabOrderChange);
}

void RegisterPageControl()
{
    auto b = RegisterClass<PC, TCustomControl>("TTarqPageControl");
    RegisterTabControlProperties(b);
    b.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Property("ActivePage", &PC::ActivePage, &PC::SetActivePage)
        .Property("ActivePageDefault", &PC::ActivePageDefault, &PC::SetActivePageDefault)
        .Property("DblClickUndocks", &PC::DblClickUndocks, &PC::SetDblClickUndocks)
        .Default(true)
        .Property("SaveResources", &PC::SaveResources, &PC::SetSaveResources)
        .Default(false);
}

void RegisterTabSheet()
{
    RegisterClass<S, TCustomControl>("TTarqTabSheet")
        .Property("Color", ColorGetter(&S::Color), ColorSetter(&S::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const S& s) { return !s.ParentColor(); })
        .Property("DisabledIndex", &S::DisabledIndex, &S::SetDisabledIndex)
        .Default(-1)
        .Property("ImageIndex", &S::ImageIndex, &S::SetImageIndex)
        .Default(-1)
        .Property("PageIndex", &S::PageIndex, &S::SetPageIndex)
        .Property("TabEnabled", &S::TabEnabled, &S::SetTabEnabled)
        .Default(true)
        .Property("TabVisible", &S::TabVisible, &S::SetTabVisible)
        .Default(true)
        // Shown and hidden by the page control only.
        .Property("Visible", &S::SheetVisible, &S::SetSheetVisible)
        .Stored(false)
        .Event("OnPaintBackground", &S::OnPaintBackground);
}

} // namespace

void RegisterTarqTabClasses()
{
    static const bool registered = [] {
        RegisterColorSets();
        RegisterPageControl();
        RegisterTabSheet();
        return true;
    }();
    (void)registered;
}
