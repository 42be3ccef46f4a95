// Published properties and events of the window-system classes, for form
// resources and for setting properties by name.

#include "platform/core/ClassRegistry.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/GraphicControlsRegistration.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

namespace {

template <class T>
std::function<bool(const T&)> When(std::function<bool(const T&)> predicate)
{
    return predicate;
}

const TEnumInfo AlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"}};
const TEnumInfo DragModeInfo{"TDragMode", {"dmManual", "dmAutomatic"}};
const TEnumInfo DragKindInfo{"TDragKind", {"dkDrag", "dkDock"}};
const TEnumInfo AnchorKindInfo{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
const TEnumInfo BorderStyleInfo{"TFormBorderStyle",
                                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo FormStyleInfo{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
const TEnumInfo PositionInfo{"TPosition",
                             {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                              "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
const TEnumInfo PopupAlignmentInfo{"TPopupAlignment", {"paLeft", "paRight", "paCenter"}};
const TEnumInfo ScrollBarKindInfo{"TScrollBarKind", {"sbHorizontal", "sbVertical"}};
const TEnumInfo WindowStateInfo{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};

const TIdentMap& CursorIdents()
{
    static const TIdentMap idents{
        {crDefault, "crDefault"},     {crNone, "crNone"},
        {crArrow, "crArrow"},         {crCross, "crCross"},
        {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
        {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},
        {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},
        {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
        {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},
        {crVSplit, "crVSplit"},       {crNo, "crNo"},
        {crAppStart, "crAppStart"},   {crHelp, "crHelp"},
        {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
    };
    return idents;
}

void RegisterControls()
{
    RegisterClass<TControl, TComponent>("TControl")
        .Property("Left", &TControl::Left, &TControl::SetLeft)
        .Property("Top", &TControl::Top, &TControl::SetTop)
        .Property("Width", &TControl::Width, &TControl::SetWidth)
        .Property("Height", &TControl::Height, &TControl::SetHeight)
        .Enum("Align", &TControl::Align, &TControl::SetAlign, AlignInfo)
        .Default(alNone)
        .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, AnchorKindInfo)
        .Default(DefaultAnchors)
        .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
        .Default(false)
        .Property("Action", &TControl::Action, &TControl::SetAction)
        .Property("Caption", &TControl::Caption, &TControl::SetCaption)
        .Default(std::string())
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored(When<TControl>([](const TControl& c) { return !c.ParentColor(); }))
        .Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
        .Default(crDefault)
        .Idents(CursorIdents())
        .Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor)
        .Default(crDrag)
        .Idents(CursorIdents())
        .Enum("DragKind", &TControl::DragKind, &TControl::SetDragKind, DragKindInfo)
        .Default(dkDrag)
        .Enum("DragMode", &TControl::DragMode, &TControl::SetDragMode, DragModeInfo)
        .Default(dmManual)
        .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
        .Default(true)
        .Property("Font", [](TControl& c) { return c.Font(); })
        .Stored(When<TControl>([](const TControl& c) { return !c.ParentFont(); }))
        .Property("Hint", &TControl::Hint, &TControl::SetHint)
        .Default(std::string())
        .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
        .Default(true)
        .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
        .Default(true)
        .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Default(false)
        .Stored(When<TControl>([](const TControl& c) { return !c.ParentShowHint(); }))
        .Property("Visible", &TControl::Visible, &TControl::SetVisible)
        .Default(true)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnContextPopup", &TControl::OnContextPopup)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnDragDrop", &TControl::OnDragDrop)
        .Event("OnDragOver", &TControl::OnDragOver)
        .Event("OnEndDock", &TControl::OnEndDock)
        .Event("OnEndDrag", &TControl::OnEndDrag)
        .Event("OnStartDock", &TControl::OnStartDock)
        .Event("OnStartDrag", &TControl::OnStartDrag)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnResize", &TControl::OnResize);

    RegisterClass<TWinControl, TControl>("TWinControl")
        .Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth)
        .Default(0)
        .Property("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite)
        .Default(false)
        .Property("UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager)
        .Default(false)
        .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
        .Stored(When<TWinControl>([](const TWinControl& c) { return c.Parent() != nullptr; }))
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(false)
        .Event("OnDockDrop", &TWinControl::OnDockDrop)
        .Event("OnDockOver", &TWinControl::OnDockOver)
        .Event("OnEnter", &TWinControl::OnEnter)
        .Event("OnExit", &TWinControl::OnExit)
        .Event("OnKeyDown", &TWinControl::OnKeyDown)
        .Event("OnKeyPress", &TWinControl::OnKeyPress)
        .Event("OnGetSiteInfo", &TWinControl::OnGetSiteInfo)
        .Event("OnKeyUp", &TWinControl::OnKeyUp)
        .Event("OnMouseWheel", &TWinControl::OnMouseWheel)
        .Event("OnUnDock", &TWinControl::OnUnDock);

    RegisterClass<TGraphicControl, TControl>("TGraphicControl");
    RegisterClass<TCustomControl, TWinControl>("TCustomControl");

    RegisterClass<TButton, TCustomControl>("TButton")
        .Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
        .Default(false)
        .Property("Default", &TButton::Default, &TButton::SetDefault)
        .Default(false)
        .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
        .Default(mrNone)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true);

    RegisterClass<TScrollBar, TWinControl>("TScrollBar")
        .Enum("Kind", &TScrollBar::Kind, &TScrollBar::SetKind, ScrollBarKindInfo)
        .Default(sbHorizontal)
        .Property("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange)
        .Default(1)
        .Property("Max", &TScrollBar::Max, &TScrollBar::SetMax)
        .Default(100)
        .Property("Min", &TScrollBar::Min, &TScrollBar::SetMin)
        .Default(0)
        .Property("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize)
        .Default(0)
        .Property("Position", &TScrollBar::Position, &TScrollBar::SetPosition)
        .Default(0)
        .Property("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange)
        .Default(1)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Event("OnChange", &TScrollBar::OnChange)
        .Event("OnScroll", &TScrollBar::OnScroll);
}

void RegisterForms()
{
    RegisterClass<TCustomForm, TCustomControl>("TCustomForm")
        // The client size is what a form's layout depends on; the outer size
        // follows from it.
        .Property("Width", &TControl::Width, &TControl::SetWidth)
        .Stored(false)
        .Property("Height", &TControl::Height, &TControl::SetHeight)
        .Stored(false)
        .Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth)
        .Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored(When<TCustomForm>([](const TCustomForm& c) { return !c.ParentColor(); }))
        .Property("Visible", &TControl::Visible, &TControl::SetVisible)
        .Default(false)
        .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
        .Default(false)
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(false)
        .Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
        .Property("AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend)
        .Default(false)
        .Property("AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue)
        .Default(255)
        .Enum("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, BorderStyleInfo)
        .Default(bsSizeable)
        .Enum("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, FormStyleInfo)
        .Default(fsNormal)
        .Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
        .Default(false)
        .Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition, PositionInfo)
        .Default(poDesigned)
        .Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled)
        .Default(true)
        .Property("TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor)
        .Default(false)
        .Property("TransparentColorValue", ColorGetter(&TCustomForm::TransparentColorValue),
                  ColorSetter(&TCustomForm::SetTransparentColorValue))
        .Default(ColorProp(clBlack))
        .Idents(ColorIdents())
        .Enum("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, WindowStateInfo)
        .Default(wsNormal)
        .Event("OnActivate", &TCustomForm::OnActivate)
        .Event("OnClose", &TCustomForm::OnClose)
        .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
        .Event("OnCreate", &TCustomForm::OnCreate)
        .Event("OnDeactivate", &TCustomForm::OnDeactivate)
        .Event("OnDestroy", &TCustomForm::OnDestroy)
        .Event("OnHide", &TCustomForm::OnHide)
        .Event("OnPaint", &TCustomForm::OnPaint)
        .Event("OnShow", &TCustomForm::OnShow)
        // Written by the older form designer; nothing here uses them.
        .Retired("OldCreateOrder")
        .Retired("PixelsPerInch")
        .Retired("TextHeight");
    RegisterClass<TForm, TCustomForm>("TForm");

    RegisterClass<TMenuItem, TComponent>("TMenuItem")
        .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
        .Default(std::string())
        .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
        .Default(false)
        .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
        .Default(true)
        .Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
        .Default(0)
        .Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
        .Default(-1)
        .Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
        .Default(false)
        .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
        .Default(0)
        .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
        .Default(true)
        .Event("OnClick", &TMenuItem::OnClick);
    RegisterClass<TPopupMenu, TComponent>("TPopupMenu")
        .Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, PopupAlignmentInfo)
        .Default(paLeft)
        .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
        .Default(true)
        .Property("Images", &TPopupMenu::Images, &TPopupMenu::SetImages)
        .Event("OnPopup", &TPopupMenu::OnPopup);

    RegisterClass<TBasicAction, TComponent>("TBasicAction").Event("OnExecute", &TBasicAction::OnExecute);
    RegisterClass<TAction, TBasicAction>("TAction")
        .Property("Caption", &TAction::Caption, &TAction::SetCaption)
        .Default(std::string())
        .Property("Checked", &TAction::Checked, &TAction::SetChecked)
        .Default(false)
        .Property("Enabled", &TAction::Enabled, &TAction::SetEnabled)
        .Default(true)
        .Property("Hint", &TAction::Hint, &TAction::SetHint)
        .Default(std::string())
        .Property("Visible", &TAction::Visible, &TAction::SetVisible)
        .Default(true);

    RegisterClass<TTimer, TComponent>("TTimer")
        .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
        .Default(true)
        .Property("Interval", &TTimer::Interval, &TTimer::SetInterval)
        .Default(1000)
        .Event("OnTimer", &TTimer::OnTimer);
}

} // namespace

void RegisterUiClasses()
{
    static const bool registered = [] {
        RegisterControls();
        RegisterForms();
        // A form may name a label or a picture before any was made.
        RegisterGraphicControls();
        return true;
    }();
    (void)registered;
}
