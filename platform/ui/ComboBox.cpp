#include "platform/ui/ComboBox.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/gfx/Frames.h"
#include "platform/ui/ComboBoxStrings.h"
#include "platform/ui/ComboListWindow.h"
#include "platform/ui/Edit.h"

// The edit child of an edit-style combo: every message goes through the
// combo's ComboWndProc first.
class TComboEdit : public TCustomEdit {
public:
    explicit TComboEdit(TCustomComboBox& combo) : TCustomEdit(&combo), combo_(combo)
    {
        SetBorderStyle(bsNone);
        SetTabStop(false);
        ownProc_ = WindowProc;
        WindowProc = [this](TMessage& message) { combo_.ComboWndProc(message, combo_.handle_, ownProc_); };
    }

private:
    TCustomComboBox& combo_;
    TWndMethod ownProc_;
};

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner)
{
    strings_ = std::make_unique<TComboBoxStrings>(*this);
    list_ = std::make_unique<TComboListWindow>(*this);
    color_ = clWindow;
    parentColor_ = false;
    SetTabStop(true);
    controlStyle_ = (controlStyle_ | csFixedHeight) & ~csCaptureMouse;
    edit_ = new TComboEdit(*this);
    edit_->SetParent(this);
    SetBounds(0, 0, 145, 0);
}

// The edit child routes its messages through this object, so it goes first.
TCustomComboBox::~TCustomComboBox()
{
    delete edit_;
    edit_ = nullptr;
    list_.reset();
}

// ---- Properties ----------------------------------------------------------------

TStrings* TCustomComboBox::Items() { return strings_.get(); }

void TCustomComboBox::SetItems(const TStrings* value) { strings_->Assign(value); }

void TCustomComboBox::SetStyle(TComboBoxStyle value)
{
    if (style_ == value)
        return;
    style_ = value;
    if (HasEdit() && !edit_) {
        edit_ = new TComboEdit(*this);
        edit_->SetParent(this);
        edit_->SetCharCase(charCase_);
        edit_->SetMaxLength(maxLength_);
    } else if (!HasEdit() && edit_) {
        delete edit_;
        edit_ = nullptr;
    }
    SetBounds(left_, top_, width_, height_);
    SyncEditText();
    RecreateWnd();
}

void TCustomComboBox::SetItemIndex(int32_t value)
{
    if (value != itemIndex_)
        Perform(CB_SETCURSEL, static_cast<WPARAM>(value));
}

int32_t TCustomComboBox::FontItemHeight() const
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(Font());
    return canvas.TextHeight("Wg");
}

int32_t TCustomComboBox::ItemHeight() const
{
    return IsOwnerDraw() && itemHeight_ > 0 ? itemHeight_ : FontItemHeight();
}

void TCustomComboBox::SetItemHeight(int32_t value)
{
    if (value > 0)
        Perform(CB_SETITEMHEIGHT, 0, value);
}

bool TCustomComboBox::DroppedDown() const { return list_ && list_->IsOpen(); }

void TCustomComboBox::SetDroppedDown(bool value) { Perform(CB_SHOWDROPDOWN, value ? 1 : 0); }

void TCustomComboBox::SetSorted(bool value)
{
    if (sorted_ == value)
        return;
    sorted_ = value;
    if (!value)
        return;
    std::string selected = itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)].Text : "";
    std::stable_sort(items_.begin(), items_.end(),
                     [](const TItem& a, const TItem& b) { return AnsiCompareText(a.Text, b.Text) < 0; });
    if (itemIndex_ >= 0)
        itemIndex_ = FindString(-1, selected, true);
    ItemsChanged();
}

void TCustomComboBox::SetMaxLength(int32_t value)
{
    if (maxLength_ != value)
        Perform(CB_LIMITTEXT, static_cast<WPARAM>(std::max(value, 0)));
}

void TCustomComboBox::SetCharCase(TEditCharCase value)
{
    if (charCase_ == value)
        return;
    charCase_ = value;
    if (edit_)
        edit_->SetCharCase(value);
}

void TCustomComboBox::SetCtl3D(bool value)
{
    if (ctl3D_ == value)
        return;
    ctl3D_ = value;
    Invalidate();
}

int32_t TCustomComboBox::SelStart() { return edit_ ? edit_->SelStart() : 0; }

void TCustomComboBox::SetSelStart(int32_t value)
{
    if (edit_)
        edit_->SetSelStart(value);
}

int32_t TCustomComboBox::SelLength() { return edit_ ? edit_->SelLength() : static_cast<int32_t>(Utf8Length(text_)); }

void TCustomComboBox::SetSelLength(int32_t value)
{
    if (edit_)
        edit_->SetSelLength(value);
}

std::string TCustomComboBox::SelText() { return edit_ ? edit_->SelText() : text_; }

void TCustomComboBox::SelectAll()
{
    if (edit_)
        edit_->SelectAll();
}

TObject* TCustomComboBox::ItemData(int32_t index) const { return strings_->Objects(index); }

void TCustomComboBox::SetItemData(int32_t index, TObject* data) { strings_->SetObjects(index, data); }

TCustomEdit* TCustomComboBox::EditControl() const { return edit_; }

TRect TCustomComboBox::ButtonRect() const
{
    return Rect(std::max(2, width_ - ButtonWidth - 2), 2, std::max(2, width_ - 2), std::max(2, height_ - 2));
}

bool TCustomComboBox::HasFocus() const
{
    HWND focus = WindowSystemInstalled() ? GetFocus() : 0;
    return focus != 0 &&
        ((handle_ && focus == handle_) || (edit_ && edit_->HandleAllocated() && focus == edit_->Handle()));
}

void TCustomComboBox::Clear()
{
    SetText("");
    strings_->Clear();
}

// ---- Items ----------------------------------------------------------------------

int32_t TCustomComboBox::InsertItem(int32_t index, const std::string& text, uintptr_t data)
{
    if (index < 0 || index > Count()) {
        index = Count();
        if (sorted_)
            index = static_cast<int32_t>(std::upper_bound(items_.begin(), items_.end(), text,
                                                          [](const std::string& t, const TItem& item) {
                                                              return AnsiCompareText(t, item.Text) < 0;
                                                          }) -
                                         items_.begin());
    }
    items_.insert(items_.begin() + index, TItem{text, data});
    if (itemIndex_ >= index)
        ++itemIndex_;
    ItemsChanged();
    return index;
}

void TCustomComboBox::DeleteItem(int32_t index)
{
    uintptr_t data = items_[static_cast<size_t>(index)].Data;
    if (data != 0) {
        TDeleteItemStruct notice{ODT_COMBOBOX, index, handle_, data};
        Perform(WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&notice));
    }
    items_.erase(items_.begin() + index);
    if (itemIndex_ == index) {
        itemIndex_ = -1;
        if (!HasEdit())
            text_.clear();
    } else if (itemIndex_ > index) {
        --itemIndex_;
    }
    ItemsChanged();
}

void TCustomComboBox::ResetContent()
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (items_[static_cast<size_t>(i)].Data != 0) {
            TDeleteItemStruct notice{ODT_COMBOBOX, i, handle_, items_[static_cast<size_t>(i)].Data};
            Perform(WM_DELETEITEM, 0, reinterpret_cast<LPARAM>(&notice));
        }
    items_.clear();
    itemIndex_ = -1;
    if (!HasEdit())
        text_.clear();
    ItemsChanged();
}

void TCustomComboBox::ItemsChanged()
{
    if (DroppedDown()) {
        list_->SetTopIndex(list_->TopIndex());
        list_->Invalidate();
    }
    Invalidate();
}

// The first item after `after` (wrapping round) that begins with `prefix`,
// or equals it when `exact`, without regard to case.
int32_t TCustomComboBox::FindString(int32_t after, const std::string& prefix, bool exact) const
{
    if (items_.empty())
        return CB_ERR;
    std::string wanted = AnsiUpperCase(prefix);
    int32_t start = after < 0 || after >= Count() ? 0 : after + 1;
    for (int32_t k = 0; k < Count(); ++k) {
        int32_t i = (start + k) % Count();
        std::string item = AnsiUpperCase(items_[static_cast<size_t>(i)].Text);
        if (exact ? item == wanted : item.compare(0, wanted.size(), wanted) == 0)
            return i;
    }
    return CB_ERR;
}

void TCustomComboBox::SetCurSel(int32_t index)
{
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    if (itemIndex_ >= 0 || !HasEdit())
        text_ = itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)].Text : "";
    else
        text_.clear();
    SyncEditText();
    if (DroppedDown())
        list_->SetHotIndex(itemIndex_);
    Invalidate();
}

// The edit child shows the combo's text; setting it is no user edit.
void TCustomComboBox::SyncEditText()
{
    if (!edit_ || edit_->Text() == text_)
        return;
    settingEditText_ = true;
    edit_->SetText(text_);
    settingEditText_ = false;
    if (HasFocus())
        edit_->SelectAll();
}

// ---- Notifications ----------------------------------------------------------------

void TCustomComboBox::Notify(uint16_t code)
{
    if (parent_ && parent_->HandleAllocated() && HandleAllocated())
        SendMessage(parent_->Handle(), WM_COMMAND, MakeWParam(0, code), static_cast<LPARAM>(handle_));
    else
        Perform(CN_COMMAND, MakeWParam(0, code), static_cast<LPARAM>(handle_));
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    drawCanvas_->FillRect(rect);
    drawCanvas_->TextOut(rect.Left + 2, rect.Top, items_[static_cast<size_t>(index)].Text);
}

// ---- Dropping down ------------------------------------------------------------------

void TCustomComboBox::ShowList(bool fromMouse)
{
    if (DroppedDown() || !IsEnabledInTree())
        return;
    Notify(CBN_DROPDOWN);
    buttonPressed_ = true;
    list_->Open(fromMouse);
    list_->SetHotIndex(itemIndex_);
    Invalidate();
}

void TCustomComboBox::HideList(bool accept)
{
    if (!DroppedDown())
        return;
    list_->Close();
    buttonPressed_ = false;
    Invalidate();
    Notify(accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    Notify(CBN_CLOSEUP);
}

void TCustomComboBox::ChooseFromList(int32_t index)
{
    SetCurSel(index);
    HideList(true);
    Notify(CBN_SELCHANGE);
}

void TCustomComboBox::MoveListSelection(int32_t index)
{
    index = std::clamp(index, 0, Count() - 1);
    if (index == itemIndex_ || Count() == 0)
        return;
    SetCurSel(index);
    Notify(CBN_SELCHANGE);
}

// ---- Messages ----------------------------------------------------------------------

void TCustomComboBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case CM_WANTSPECIALKEY:
        message.Result = DroppedDown() && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE) ? 1 : 0;
        return;
    case WM_SETFOCUS:
        TWinControl::Dispatch(message);
        if (edit_ && edit_->CanFocus()) {
            WindowSystem().SetFocus(edit_->Handle());
            edit_->SelectAll();
        }
        Invalidate();
        Notify(CBN_SETFOCUS);
        return;
    case WM_KILLFOCUS: Invalidate(); break;
    case CM_EXIT:
        HideList(false);
        Invalidate();
        Notify(CBN_KILLFOCUS);
        break;
    case CM_FONTCHANGED: SetBounds(left_, top_, width_, height_); break;
    case CM_ENABLEDCHANGED:
        if (edit_)
            edit_->SetEnabled(enabled_);
        break;
    case WM_COMMAND:
        if (edit_ && edit_->HandleAllocated() && static_cast<HWND>(message.LParam) == edit_->Handle()) {
            if (HiWord(message.WParam) == EN_CHANGE && !settingEditText_) {
                text_ = edit_->Text();
                Notify(CBN_EDITUPDATE);
                Notify(CBN_EDITCHANGE);
            }
            return;
        }
        break;
    case CN_COMMAND:
        switch (HiWord(message.WParam)) {
        case CBN_EDITCHANGE: Change(); break;
        case CBN_SELCHANGE:
            Click();
            Select();
            break;
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP: CloseUp(); break;
        case CBN_DBLCLK: DblClick(); break;
        default: break;
        }
        return;
    case CN_DRAWITEM: CNDrawItem(message); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: PressFace(LParamToPoint(message.LParam)); break;
    default: break;
    }
    TWinControl::Dispatch(message);
}

void TCustomComboBox::CNDrawItem(TMessage& message)
{
    auto& item = *reinterpret_cast<TDrawItemStruct*>(message.LParam);
    TOwnerDrawState state = OwnerDrawStateOf(item.itemState);
    drawCanvas_ = item.hDC;
    drawCanvas_->Font()->Assign(Font());
    drawCanvas_->Brush()->SetStyle(bsSolid);
    drawCanvas_->Brush()->SetColor(color_);
    if (item.itemID >= 0 && (state & odSelected)) {
        drawCanvas_->Brush()->SetColor(clHighlight);
        drawCanvas_->Font()->SetColor(clHighlightText);
    }
    if (item.itemID >= 0)
        DrawItem(item.itemID, item.rcItem, state);
    else
        drawCanvas_->FillRect(item.rcItem);
    if (state & odFocused)
        drawCanvas_->DrawFocusRect(item.rcItem);
    drawCanvas_ = nullptr;
    message.Result = 1;
}

void TCustomComboBox::DefaultHandler(TMessage& message)
{
    if (HandleComboMessage(message))
        return;
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!ListKey(static_cast<uint16_t>(message.WParam), KeyDataToShiftState(message.LParam)))
            TWinControl::DefaultHandler(message);
        break;
    case WM_CHAR: SearchByChar(static_cast<char32_t>(message.WParam)); break;
    case WM_SETTEXT: {
        std::string value = reinterpret_cast<const char*>(message.LParam);
        if (HasEdit()) {
            text_ = value;
            SyncEditText();
        } else if (int32_t found = FindString(-1, value, true); found >= 0) {
            SetCurSel(found);
        }
        message.Result = 1;
        break;
    }
    default: TWinControl::DefaultHandler(message); break;
    }
}

bool TCustomComboBox::HandleComboMessage(TMessage& message)
{
    auto text = [&message] { return std::string(reinterpret_cast<const char*>(message.LParam)); };
    auto index = static_cast<int32_t>(static_cast<intptr_t>(message.WParam));
    switch (message.Msg) {
    case CB_ADDSTRING: message.Result = InsertItem(-1, text(), 0); return true;
    case CB_INSERTSTRING:
        message.Result = InsertItem(index < 0 ? Count() : std::min(index, Count()), text(), 0);
        return true;
    case CB_DELETESTRING:
        message.Result = index >= 0 && index < Count() ? (DeleteItem(index), Count()) : CB_ERR;
        return true;
    case CB_RESETCONTENT: ResetContent(); return true;
    case CB_GETCOUNT: message.Result = Count(); return true;
    case CB_GETCURSEL: message.Result = itemIndex_; return true;
    case CB_SETCURSEL:
        SetCurSel(index);
        message.Result = itemIndex_;
        return true;
    case CB_GETLBTEXT:
        if (index < 0 || index >= Count()) {
            message.Result = CB_ERR;
            return true;
        }
        *reinterpret_cast<std::string*>(message.LParam) = items_[static_cast<size_t>(index)].Text;
        message.Result = static_cast<LRESULT>(items_[static_cast<size_t>(index)].Text.size());
        return true;
    case CB_FINDSTRING: message.Result = FindString(index, text(), false); return true;
    case CB_FINDSTRINGEXACT: message.Result = FindString(index, text(), true); return true;
    case CB_SELECTSTRING:
        message.Result = FindString(index, text(), false);
        if (message.Result >= 0)
            SetCurSel(static_cast<int32_t>(message.Result));
        return true;
    case CB_GETITEMDATA:
        message.Result =
            index >= 0 && index < Count() ? static_cast<LRESULT>(items_[static_cast<size_t>(index)].Data) : CB_ERR;
        return true;
    case CB_SETITEMDATA:
        if (index < 0 || index >= Count()) {
            message.Result = CB_ERR;
            return true;
        }
        items_[static_cast<size_t>(index)].Data = static_cast<uintptr_t>(message.LParam);
        return true;
    case CB_SETITEMHEIGHT:
        itemHeight_ = static_cast<int32_t>(message.LParam);
        SetBounds(left_, top_, width_, height_);
        Invalidate();
        return true;
    case CB_GETITEMHEIGHT: message.Result = ItemHeight(); return true;
    case CB_SHOWDROPDOWN:
        if (message.WParam)
            ShowList(false);
        else
            HideList(false);
        message.Result = 1;
        return true;
    case CB_GETDROPPEDSTATE: message.Result = DroppedDown() ? 1 : 0; return true;
    case CB_GETTOPINDEX: message.Result = list_->TopIndex(); return true;
    case CB_SETTOPINDEX:
        list_->SetTopIndex(index);
        message.Result = 0;
        return true;
    case CB_GETDROPPEDWIDTH: message.Result = std::max(droppedWidth_, width_); return true;
    case CB_SETDROPPEDWIDTH:
        droppedWidth_ = std::max(index, 0);
        message.Result = std::max(droppedWidth_, width_);
        return true;
    case CB_LIMITTEXT:
        maxLength_ = index;
        if (edit_)
            edit_->SetMaxLength(index);
        message.Result = 1;
        return true;
    case CB_GETEDITSEL:
        if (edit_)
            message.Result = edit_->Perform(EM_GETSEL, message.WParam, message.LParam);
        return true;
    case CB_SETEDITSEL:
        if (edit_)
            edit_->Perform(EM_SETSEL,
                           static_cast<WPARAM>(static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam)))),
                           static_cast<int16_t>(HiWord(static_cast<uintptr_t>(message.LParam))));
        message.Result = 1;
        return true;
    default: return false;
    }
}

// Keys every style shares: opening and closing the list and stepping
// through the items. False for keys that are not the combo's.
bool TCustomComboBox::ListKey(uint16_t key, TShiftState shift)
{
    bool alt = (shift & ssAlt) != 0;
    if ((key == VK_F4 && !alt) || (alt && (key == VK_DOWN || key == VK_UP))) {
        if (DroppedDown())
            HideList(true);
        else
            ShowList(false);
        return true;
    }
    if (alt)
        return false;
    int32_t page = DroppedDown() ? std::max(list_->VisibleRows() - 1, 1) : 1;
    bool homeEnd = DroppedDown() || !HasEdit();
    switch (key) {
    case VK_UP: MoveListSelection(itemIndex_ < 0 ? 0 : itemIndex_ - 1); return true;
    case VK_DOWN: MoveListSelection(itemIndex_ + 1); return true;
    case VK_PRIOR: MoveListSelection(std::max(itemIndex_, 0) - page); return true;
    case VK_NEXT: MoveListSelection(itemIndex_ + page); return true;
    case VK_HOME:
        if (!homeEnd)
            return false;
        MoveListSelection(0);
        return true;
    case VK_END:
        if (!homeEnd)
            return false;
        MoveListSelection(Count() - 1);
        return true;
    case VK_RETURN:
    case VK_ESCAPE:
        if (!DroppedDown())
            return false;
        HideList(key == VK_RETURN);
        return true;
    default: return false;
    }
}

// The list styles jump to the next item that begins with a typed letter.
void TCustomComboBox::SearchByChar(char32_t ch)
{
    if (HasEdit() || ch < 32)
        return;
    int32_t found = FindString(itemIndex_, Utf8Encode(ch), false);
    if (found >= 0)
        MoveListSelection(found);
}

void TCustomComboBox::PressFace(TPoint p)
{
    if (!IsEnabledInTree())
        return;
    if (!HasFocus() && CanFocus())
        SetFocus();
    if (HasEdit() && !PtInRect(ButtonRect(), p))
        return;
    ShowList(true);
}

void TCustomComboBox::ComboWndProc(TMessage& message, HWND, const TWndMethod& comboProc)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (DoKeyDown(message))
            return;
        if (ListKey(static_cast<uint16_t>(message.WParam), KeyDataToShiftState(message.LParam)))
            return;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (DoKeyUp(message))
            return;
        break;
    case WM_CHAR:
        if (DoKeyPress(message))
            return;
        break;
    case CM_WANTSPECIALKEY:
        if (DroppedDown() && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE)) {
            message.Result = 1;
            return;
        }
        break;
    default: break;
    }
    comboProc(message);
}

// ---- Window and layout ------------------------------------------------------------------

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TCustomComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    LayoutEdit();
}

void TCustomComboBox::DestroyWnd()
{
    list_->Close();
    buttonPressed_ = false;
    TWinControl::DestroyWnd();
}

// The face is as tall as an item plus its edge and padding, whatever is asked.
void TCustomComboBox::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    (void)height;
    TWinControl::SetBounds(left, top, width, ItemHeight() + 8);
}

void TCustomComboBox::BoundsChanged() { LayoutEdit(); }

void TCustomComboBox::LayoutEdit()
{
    if (edit_)
        edit_->SetBounds(3, 3, std::max(0, ButtonRect().Left - 4), std::max(0, height_ - 6));
}

// ---- Painting ---------------------------------------------------------------------------

void TCustomComboBox::PaintWindow(TCanvas& canvas)
{
    TRect r = ClientRect();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color_);
    canvas.FillRect(r);
    if (ctl3D_) {
        DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
    } else {
        canvas.Brush()->SetColor(clWindowFrame);
        canvas.FrameRect(r);
    }
    uint32_t state = DFCS_SCROLLCOMBOBOX;
    if (buttonPressed_)
        state |= DFCS_PUSHED | DFCS_FLAT;
    if (!Enabled())
        state |= DFCS_INACTIVE;
    DrawFrameControl(canvas, ButtonRect(), DFC_SCROLL, state);
    if (!HasEdit()) {
        uint32_t itemState = ODS_COMBOBOXEDIT;
        if (HasFocus() && !DroppedDown())
            itemState |= ODS_SELECTED | ODS_FOCUS;
        if (!Enabled())
            itemState |= ODS_DISABLED;
        PaintItem(canvas, itemIndex_, Rect(3, 3, ButtonRect().Left - 1, height_ - 3), itemState);
    }
}

void TCustomComboBox::PaintItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t itemState)
{
    if (IsOwnerDraw()) {
        TDrawItemStruct item;
        item.CtlType = ODT_COMBOBOX;
        item.itemID = index;
        item.itemState = itemState;
        item.hwndItem = handle_;
        item.hDC = &canvas;
        item.rcItem = rect;
        item.itemData = index >= 0 ? items_[static_cast<size_t>(index)].Data : 0;
        int saved = canvas.SaveDC();
        canvas.IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
        if (parent_ && parent_->HandleAllocated() && HandleAllocated())
            SendMessage(parent_->Handle(), WM_DRAWITEM, static_cast<WPARAM>(handle_), reinterpret_cast<LPARAM>(&item));
        else
            Perform(CN_DRAWITEM, static_cast<WPARAM>(handle_), reinterpret_cast<LPARAM>(&item));
        canvas.RestoreDC(saved);
        return;
    }
    bool selected = (itemState & ODS_SELECTED) != 0 && index >= 0;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(selected ? clHighlight : color_);
    canvas.FillRect(rect);
    canvas.Font()->Assign(Font());
    if (itemState & ODS_DISABLED)
        canvas.Font()->SetColor(clGrayText);
    else if (selected)
        canvas.Font()->SetColor(clHighlightText);
    if (index >= 0) {
        int saved = canvas.SaveDC();
        canvas.IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
        canvas.Brush()->SetStyle(bsClear);
        int32_t y = rect.Top + (rect.Height() - canvas.TextHeight("Wg")) / 2;
        canvas.TextOut(rect.Left + 2, y, items_[static_cast<size_t>(index)].Text);
        canvas.RestoreDC(saved);
    }
    if (itemState & ODS_FOCUS) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.DrawFocusRect(rect);
    }
}
