#include "controls/TarqCmboBx.h"

#include "controls/TarqFrames.h"
#include "platform/ui/KeyChars.h"
#include "platform/ui/OwnerDraw.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

TTarqCustomComboBox::TTarqCustomComboBox(TComponent* owner) : TCustomComboBox(owner)
{
    RegisterTarqComboBoxClasses();
    // The component's name must not become the text.
    SetControlStyle(ControlStyle() & ~csSetCaption);
    searchTimer_ = new TTimer(this);
    searchTimer_->SetEnabled(false);
    searchTimer_->SetInterval(SearchIntervalMs);
    searchTimer_->OnTimer = [this](TObject* sender) { SearchTimerFired(sender); };
}

TTarqCustomComboBox::~TTarqCustomComboBox() { MarkDestroying(); }

void TTarqCustomComboBox::AddItem(const std::string& text) { Items()->Add(text); }

int32_t TTarqCustomComboBox::IndexOfItem(const std::string& text) { return Items()->IndexOf(text); }

int32_t TTarqCustomComboBox::FindItem(const std::string& prefix)
{
    return static_cast<int32_t>(
        Perform(CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix.c_str())));
}

void TTarqCustomComboBox::SetTextSilently(const std::string& text)
{
    if (Text() == text)
        return;
    const bool saved = autoComplete_;
    autoComplete_ = false;
    SetText(text);
    autoComplete_ = saved;
}

void TTarqCustomComboBox::FireKeyPress(char32_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TTarqCustomComboBox::FireClickAndChange()
{
    Click();
    Change();
}

void TTarqCustomComboBox::InvalidKeyBeep()
{
    if (beepOnInvalidKey_)
        MessageBeep();
}

void TTarqCustomComboBox::DoDeleteItem(void* item)
{
    if (OnDeleteItem)
        OnDeleteItem(this, item);
}

void TTarqCustomComboBox::Match()
{
    if (OnMatch)
        OnMatch(this);
}

void TTarqCustomComboBox::NotInList()
{
    if (OnNotInList)
        OnNotInList(this);
}

void TTarqCustomComboBox::SelEndCancel()
{
    if (OnSelEndCancel)
        OnSelEndCancel(this);
}

void TTarqCustomComboBox::SelEndOk()
{
    if (OnSelEndOk)
        OnSelEndOk(this);
}

// ---- Colours ------------------------------------------------------------------------

void TTarqCustomComboBox::UpdateColors()
{
    if (IsLoading())
        return;
    if (!Enabled())
        colors_.Show(*this, colors_.disabled);
    else if (hot_.focused)
        colors_.Show(*this, readOnly_ && readOnlyColorOnFocus_ ? readOnlyColor_ : colors_.focus);
    else if (readOnly_)
        colors_.Show(*this, readOnlyColor_);
    else
        colors_.Show(*this, colors_.normal);
}

void TTarqCustomComboBox::ColorChanged() { colors_.Adopt(Color()); }

void TTarqCustomComboBox::SetDisabledColor(TColor value)
{
    colors_.disabled = value;
    if (!Enabled())
        UpdateColors();
}

void TTarqCustomComboBox::SetFocusColor(TColor value)
{
    colors_.focus = value;
    if (hot_.focused)
        UpdateColors();
}

void TTarqCustomComboBox::SetReadOnlyColor(TColor value)
{
    readOnlyColor_ = value;
    if (readOnly_)
        UpdateColors();
}

void TTarqCustomComboBox::SetReadOnlyColorOnFocus(bool value)
{
    if (readOnlyColorOnFocus_ == value)
        return;
    readOnlyColorOnFocus_ = value;
    if (hot_.focused && readOnly_)
        UpdateColors();
}

void TTarqCustomComboBox::SetReadOnly(bool value)
{
    if (readOnly_ == value)
        return;
    readOnly_ = value;
    if (HasEdit() && HandleAllocated() && EditControl())
        EditControl()->SetReadOnly(value);
    UpdateColors();
    Invalidate();
}

// ---- Hot state ------------------------------------------------------------------------

void TTarqCustomComboBox::SetMouseState(TTarqMouseStateKind kind, bool value)
{
    hot_.Set(kind, value);
    if ((flatButtons_ || frame_.hotTrack) && !DroppedDown())
        InvalidateHotArea();
    UpdateColors();
}

// The edit child is part of the combo: moving between the two is no
// entering or leaving.
void TTarqCustomComboBox::MouseEntered()
{
    if (hot_.mouseOver)
        return;
    if (OnMouseEnter)
        OnMouseEnter(this);
    SetMouseState(msMouse, true);
}

void TTarqCustomComboBox::MouseLeft()
{
    if (!hot_.mouseOver || PtInRect(ClientRect(), ScreenToClient(GetCursorPos())))
        return;
    if (OnMouseLeave)
        OnMouseLeave(this);
    SetMouseState(msMouse, false);
}

// ---- Frame settings ---------------------------------------------------------------------

void TTarqCustomComboBox::SetFlatButtons(bool value) { ChangeFrame(flatButtons_, value); }
void TTarqCustomComboBox::SetFlatButtonColor(TColor value) { ChangeFrame(flatButtonColor_, value); }
void TTarqCustomComboBox::SetFrameColor(TColor value) { ChangeFrame(frame_.color, value); }
void TTarqCustomComboBox::SetFrameHotColor(TColor value) { ChangeFrame(frame_.hotColor, value); }
void TTarqCustomComboBox::SetFrameHotStyle(TFrameStyle value) { ChangeFrame(frame_.hotStyle, value); }
void TTarqCustomComboBox::SetFrameSides(TSides value) { ChangeFrame(frame_.sides, value); }
void TTarqCustomComboBox::SetFrameStyle(TFrameStyle value) { ChangeFrame(frame_.style, value); }

void TTarqCustomComboBox::SetFrameHotTrack(bool value)
{
    if (!frame_.TakeHotTrack(value, IsLoading()))
        return;
    if (value)
        SetFrameVisible(true);
    Invalidate();
}

// A framed combo is flat underneath: its own frame replaces the 3-D border.
void TTarqCustomComboBox::SetFrameVisible(bool value)
{
    if (frame_.visible == value)
        return;
    frame_.visible = value;
    SetCtl3D(!value);
    Invalidate();
}

void TTarqCustomComboBox::SetFramingPreference(TFramingPreference value)
{
    if (frame_.framingPreference == value)
        return;
    frame_.framingPreference = value;
    if (value == fpCustomFraming)
        Invalidate();
}

void TTarqCustomComboBox::SetDropDownWidth(int32_t value)
{
    if (dropDownWidth_ == value)
        return;
    dropDownWidth_ = value;
    if (HandleAllocated())
        Perform(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(value));
}

void TTarqCustomComboBox::SetOwnerDrawItemHeight(int32_t value)
{
    if (!IsOwnerDraw() || value == ItemHeight())
        return;
    SetItemHeight(value);
    if (HandleAllocated())
        RecreateWnd();
}

// ---- Frame controller -------------------------------------------------------------------

void TTarqCustomComboBox::Notification(TComponent* component, TOperation operation)
{
    TCustomComboBox::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

// ---- Life cycle ---------------------------------------------------------------------------

void TTarqCustomComboBox::Loaded()
{
    TCustomComboBox::Loaded();
    UpdateColors();
    SetMouseState(msFocus, false);
}

void TTarqCustomComboBox::CreateWnd()
{
    TCustomComboBox::CreateWnd();
    if (dropDownWidth_ != 0)
        Perform(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(dropDownWidth_));
    if (readOnly_ && HasEdit() && EditControl())
        EditControl()->SetReadOnly(true);
}

void TTarqCustomComboBox::CloseUp()
{
    TCustomComboBox::CloseUp();
    Invalidate();
}

// ---- Messages of the combo window -----------------------------------------------------

void TTarqCustomComboBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
        if (message.WParam == VK_ESCAPE || (message.WParam >= VK_PRIOR && message.WParam <= VK_DOWN))
            searchText_.clear();
        TCustomComboBox::Dispatch(message);
        // The platform's combo window turns no key into a character itself;
        // the search needs Backspace and Esc as characters.
        if (!HasEdit() && HandleAllocated())
            PostKeyDownChar(Handle(), message);
        return;
    case WM_CUT:
        if (!allowEdit_)
            return;
        searchText_ = Text();
        AutoCompleteText(searchText_);
        break;
    case WM_PASTE:
        if (!allowEdit_)
            return;
        TCustomComboBox::Dispatch(message);
        searchText_ = Text();
        AutoCompleteText(searchText_);
        return;
    case WM_KILLFOCUS: searchText_.clear(); break;
    case CN_DRAWITEM: DrawOwnerItem(message); return;
    case WM_DELETEITEM: {
        auto& notice = *reinterpret_cast<TDeleteItemStruct*>(message.LParam);
        if (notice.itemData != 0) {
            DoDeleteItem(reinterpret_cast<void*>(notice.itemData));
            notice.itemData = 0;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (readOnly_)
            return;
        break;
    case CM_ENTER:
        TCustomComboBox::Dispatch(message);
        SetMouseState(msFocus, true);
        return;
    case CM_EXIT: CMExit(); return;
    case CM_MOUSEENTER:
        TCustomComboBox::Dispatch(message);
        MouseEntered();
        return;
    case CM_MOUSELEAVE:
        TCustomComboBox::Dispatch(message);
        MouseLeft();
        return;
    case CM_ENABLEDCHANGED:
        TCustomComboBox::Dispatch(message);
        UpdateColors();
        return;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
        TCustomComboBox::Dispatch(message);
        ColorChanged();
        return;
    case CM_TEXTCHANGED:
        TCustomComboBox::Dispatch(message);
        if (autoComplete_ && !suppressCompletion_ && !DroppedDown())
            CompleteFromText();
        suppressCompletion_ = false;
        return;
    case CN_COMMAND:
        TCustomComboBox::Dispatch(message);
        CommandNotified(HiWord(message.WParam));
        return;
    case WM_SIZE:
        TCustomComboBox::Dispatch(message);
        if (frame_.visible && !UsesThemes())
            Invalidate();
        return;
    default: break;
    }
    TCustomComboBox::Dispatch(message);
}

// A selected item or face shows a dotted focus rectangle rather than the
// platform's focus rectangle of the focused one.
void TTarqCustomComboBox::DrawOwnerItem(TMessage& message)
{
    auto& item = *reinterpret_cast<TDrawItemStruct*>(message.LParam);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    item.itemState &= ~ODS_FOCUS;
    TCustomComboBox::Dispatch(message);
    if (selected)
        DrawDottedFocusRect(*item.hDC, item.rcItem);
}

void TTarqCustomComboBox::CMExit()
{
    TMessage message{CM_EXIT, 0, 0, 0};
    TCustomComboBox::Dispatch(message);
    SetMouseState(msFocus, false);
    if (Style() == csDropDown && !Text().empty() && Items()->IndexOf(Text()) < 0)
        NotInList();
}

void TTarqCustomComboBox::CommandNotified(uint16_t code)
{
    if (code == CBN_SELENDOK) {
        suppressCompletion_ = true;
        SelEndOk();
    } else if (code == CBN_SELENDCANCEL) {
        SelEndCancel();
    }
}

// ---- Keyboard -----------------------------------------------------------------------------

void TTarqCustomComboBox::KeyPress(char32_t& key)
{
    if (tabOnEnter_ && key == U'\r' && !DroppedDown()) {
        key = 0;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    if (Style() == csDropDown && key >= 32 && MaxLength() > 0 &&
        static_cast<int32_t>(Utf8Length(Text())) >= MaxLength() && SelLength() == 0) {
        MessageBeep();
        key = 0;
    }
    TCustomComboBox::KeyPress(key);
    if (key == 0 || key == U'\b' || key == 27)
        return;
    if (key == U'\t') {
        if (AutoDropDown() && DroppedDown())
            SetDroppedDown(false);
    } else if (AutoDropDown() && !DroppedDown()) {
        SetDroppedDown(true);
    }
}

// ---- Mouse wheel ----------------------------------------------------------------------------

namespace {
// Rows the wheel scrolls an open list per notch.
constexpr int32_t WheelScrollLines = 3;
} // namespace

bool TTarqCustomComboBox::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
    if (readOnly_)
        return true;
    if (TCustomComboBox::DoMouseWheel(shift, wheelDelta, mousePos))
        return true;
    return wheelDelta < 0 ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
}

bool TTarqCustomComboBox::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    if (handled)
        return true;
    if (DroppedDown()) {
        const auto top = static_cast<int32_t>(Perform(CB_GETTOPINDEX));
        Perform(CB_SETTOPINDEX, static_cast<WPARAM>(top + WheelScrollLines));
    } else if (ItemIndex() < Items()->Count() - 1) {
        SetItemIndex(ItemIndex() + 1);
        FireClickAndChange();
    }
    return true;
}

bool TTarqCustomComboBox::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    if (handled)
        return true;
    if (DroppedDown()) {
        const auto top = static_cast<int32_t>(Perform(CB_GETTOPINDEX));
        Perform(CB_SETTOPINDEX, static_cast<WPARAM>(std::max(top - WheelScrollLines, 0)));
    } else if (ItemIndex() > 0) {
        SetItemIndex(ItemIndex() - 1);
        FireClickAndChange();
    } else {
        SetItemIndex(0);
    }
    return true;
}
