#include "platform/ui/Edit.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/KeyChars.h"

namespace {

constexpr uintptr_t CaretTimerId = 1;

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// A single-line edit takes pasted text up to the first line break.
std::u32string FirstLine(const std::u32string& text)
{
    size_t end = text.find_first_of(U"\r\n");
    return end == std::u32string::npos ? text : text.substr(0, end);
}

} // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    color_ = clWindow;
    parentColor_ = false;
    cursor_ = crIBeam;
    controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
}

TCustomEdit::~TCustomEdit() { StopCaret(); }

// ---- Properties -----------------------------------------------------------------

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (borderStyle_ == value)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomEdit::SetCtl3D(bool value)
{
    if (ctl3D_ == value)
        return;
    ctl3D_ = value;
    RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (charCase_ == value)
        return;
    charCase_ = value;
    if (value != ecNormal)
        SetText(Utf32ToUtf8(ApplyCharCase(chars_)));
}

void TCustomEdit::SetHideSelection(bool value)
{
    if (hideSelection_ == value)
        return;
    hideSelection_ = value;
    Invalidate();
}

void TCustomEdit::SetMaxLength(int32_t value)
{
    if (maxLength_ != value)
        Perform(EM_LIMITTEXT, static_cast<WPARAM>(std::max(value, 0)));
}

void TCustomEdit::SetPasswordChar(char32_t value)
{
    if (passwordChar_ != value)
        Perform(EM_SETPASSWORDCHAR, value);
}

void TCustomEdit::SetReadOnly(bool value)
{
    if (readOnly_ != value)
        Perform(EM_SETREADONLY, value ? 1 : 0);
}

// ---- Selection --------------------------------------------------------------------

int32_t TCustomEdit::SelStart() const { return SelLow(); }

int32_t TCustomEdit::SelLength() const { return SelHigh() - SelLow(); }

std::string TCustomEdit::SelText() const { return Utf32ToUtf8(chars_.substr(SelLow(), SelLength())); }

void TCustomEdit::SetSelStart(int32_t value) { Perform(EM_SETSEL, static_cast<WPARAM>(value), value); }

void TCustomEdit::SetSelLength(int32_t value)
{
    int32_t start = SelLow();
    Perform(EM_SETSEL, static_cast<WPARAM>(start), start + std::max(value, 0));
}

void TCustomEdit::SetSelText(const std::string& value)
{
    Perform(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(value.c_str()));
}

void TCustomEdit::SelectAll() { Perform(EM_SETSEL, 0, -1); }

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }

void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }

void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }

void TCustomEdit::Undo() { Perform(WM_UNDO); }

void TCustomEdit::SetSelection(int32_t anchor, int32_t caret)
{
    anchor_ = std::clamp(anchor, 0, Length());
    caret_ = std::clamp(caret, 0, Length());
    ScrollCaretIntoView();
    RestartBlink();
    Invalidate();
}

void TCustomEdit::MoveCaret(int32_t index, bool extend)
{
    typingRun_ = false;
    SetSelection(extend ? anchor_ : index, index);
}

// ---- Changing the text ---------------------------------------------------------------

std::u32string TCustomEdit::ApplyCharCase(std::u32string text) const
{
    if (charCase_ == ecUpperCase)
        std::transform(text.begin(), text.end(), text.begin(), AnsiUpperChar);
    else if (charCase_ == ecLowerCase)
        std::transform(text.begin(), text.end(), text.begin(), AnsiLowerChar);
    return text;
}

bool TCustomEdit::RefuseChange()
{
    if (!readOnly_)
        return false;
    MessageBeep();
    return true;
}

// Replaces the selection with `text`, cut to what MaxLength leaves room for.
void TCustomEdit::ReplaceSelection(std::u32string text, bool undoable)
{
    text = ApplyCharCase(FirstLine(text));
    if (maxLength_ > 0) {
        int32_t room = maxLength_ - (Length() - SelLength());
        if (static_cast<int32_t>(text.size()) > std::max(room, 0)) {
            text.resize(std::max(room, 0));
            NotifyParent(EN_MAXTEXT);
        }
    }
    if (text.empty() && SelLength() == 0)
        return;
    if (undoable)
        undo_ = {true, chars_, anchor_, caret_};
    std::u32string next = chars_;
    next.replace(SelLow(), SelLength(), text);
    int32_t caret = SelLow() + static_cast<int32_t>(text.size());
    chars_ = std::move(next);
    anchor_ = caret_ = caret;
    modified_ = true;
    StoreText();
}

// Keeps the control's Text in step with the characters, then tells the
// parent.
void TCustomEdit::StoreText()
{
    text_ = Utf32ToUtf8(chars_);
    scrollX_ = std::min(scrollX_, std::max(0, TextWidthAll() - FormatRect().Width() + 1));
    ScrollCaretIntoView();
    RestartBlink();
    Invalidate();
    NotifyParent(EN_UPDATE);
    NotifyParent(EN_CHANGE);
}

void TCustomEdit::NotifyParent(uint16_t code)
{
    if (parent_ && parent_->HandleAllocated() && HandleAllocated())
        SendMessage(parent_->Handle(), WM_COMMAND, MakeWParam(0, code), static_cast<LPARAM>(handle_));
    else
        Perform(CN_COMMAND, MakeWParam(0, code), static_cast<LPARAM>(handle_));
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---- Messages ----------------------------------------------------------------------

void TCustomEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_SETFOCUS:
        focused_ = true;
        StartCaret();
        Invalidate();
        NotifyParent(EN_SETFOCUS);
        break;
    case WM_KILLFOCUS:
        focused_ = false;
        selecting_ = false;
        typingRun_ = false;
        StopCaret();
        Invalidate();
        NotifyParent(EN_KILLFOCUS);
        break;
    case CM_ENTER:
        if (autoSelect_ && !GetKeyStateDown(VK_LBUTTON))
            SelectAll();
        break;
    case CN_COMMAND:
        if (HiWord(message.WParam) == EN_CHANGE)
            Change();
        return;
    case CM_FONTCHANGED: ScrollCaretIntoView(); break;
    case WM_LBUTTONDOWN: MousePress(LParamToPoint(message.LParam), (message.WParam & MK_SHIFT) != 0); break;
    case WM_LBUTTONDBLCLK:
        MousePress(LParamToPoint(message.LParam), false);
        SelectWordAt(IndexAtX(LParamToPoint(message.LParam).X));
        break;
    case WM_MOUSEMOVE:
        if (selecting_)
            MouseTrack(LParamToPoint(message.LParam));
        break;
    case WM_LBUTTONUP: selecting_ = false; break;
    case WM_TIMER:
        if (message.WParam == CaretTimerId) {
            caretOn_ = !caretOn_;
            Invalidate();
            return;
        }
        break;
    default: break;
    }
    TWinControl::Dispatch(message);
}

void TCustomEdit::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN: HandleKeyDown(message); break;
    case WM_CHAR: HandleChar(message); break;
    case WM_SETTEXT:
        chars_ = ApplyCharCase(Utf8ToUtf32(reinterpret_cast<const char*>(message.LParam)));
        anchor_ = caret_ = 0;
        scrollX_ = 0;
        typingRun_ = false;
        undo_ = {};
        modified_ = false;
        message.Result = 1;
        StoreText();
        break;
    default:
        if (!HandleEditMessage(message))
            TWinControl::DefaultHandler(message);
        break;
    }
}

bool TCustomEdit::HandleEditMessage(TMessage& message)
{
    switch (message.Msg) {
    case EM_GETSEL:
        if (message.WParam)
            *reinterpret_cast<int32_t*>(message.WParam) = SelLow();
        if (message.LParam)
            *reinterpret_cast<int32_t*>(message.LParam) = SelHigh();
        message.Result = static_cast<LRESULT>(MakeWParam(SelLow(), SelHigh()));
        return true;
    case EM_SETSEL: {
        auto anchor = static_cast<int32_t>(static_cast<intptr_t>(message.WParam));
        auto caret = static_cast<int32_t>(message.LParam);
        typingRun_ = false;
        if (anchor < 0)
            SetSelection(caret_, caret_);
        else
            SetSelection(anchor, caret < 0 ? Length() : caret);
        return true;
    }
    case EM_GETRECT: *reinterpret_cast<TRect*>(message.LParam) = FormatRect(); return true;
    case EM_SCROLLCARET:
        ScrollCaretIntoView();
        Invalidate();
        return true;
    case EM_GETMODIFY: message.Result = modified_ ? 1 : 0; return true;
    case EM_SETMODIFY: modified_ = message.WParam != 0; return true;
    case EM_REPLACESEL:
        typingRun_ = false;
        ReplaceSelection(Utf8ToUtf32(reinterpret_cast<const char*>(message.LParam)), message.WParam != 0);
        return true;
    case EM_LIMITTEXT: maxLength_ = static_cast<int32_t>(message.WParam); return true;
    case EM_GETLIMITTEXT: message.Result = maxLength_; return true;
    case EM_CANUNDO: message.Result = undo_.Valid ? 1 : 0; return true;
    case EM_EMPTYUNDOBUFFER: undo_ = {}; return true;
    case EM_SETPASSWORDCHAR:
        passwordChar_ = static_cast<char32_t>(message.WParam);
        scrollX_ = 0;
        ScrollCaretIntoView();
        Invalidate();
        return true;
    case EM_GETPASSWORDCHAR: message.Result = static_cast<LRESULT>(passwordChar_); return true;
    case EM_SETREADONLY:
        readOnly_ = message.WParam != 0;
        message.Result = 1;
        Invalidate();
        return true;
    case EM_SETMARGINS:
        SetMargins(message.WParam, static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam))),
                   static_cast<int16_t>(HiWord(static_cast<uintptr_t>(message.LParam))));
        return true;
    case EM_GETMARGINS:
        message.Result =
            static_cast<LRESULT>(MakeWParam(static_cast<uint16_t>(leftMargin_), static_cast<uint16_t>(rightMargin_)));
        return true;
    case EM_POSFROMCHAR: {
        int32_t index = std::clamp(static_cast<int32_t>(message.WParam), 0, Length());
        message.Result = PointToLParam({CharX(index), FormatRect().Top});
        return true;
    }
    case EM_CHARFROMPOS: message.Result = IndexAtX(LParamToPoint(message.LParam).X); return true;
    case WM_COPY:
        if (SelLength() > 0 && passwordChar_ == 0)
            Clipboard()->SetAsText(SelText());
        return true;
    case WM_CUT:
        if (SelLength() > 0 && passwordChar_ == 0 && !RefuseChange()) {
            Clipboard()->SetAsText(SelText());
            typingRun_ = false;
            ReplaceSelection(U"", true);
        }
        return true;
    case WM_PASTE:
        if (!RefuseChange()) {
            typingRun_ = false;
            ReplaceSelection(Utf8ToUtf32(Clipboard()->AsText()), true);
        }
        return true;
    case WM_CLEAR:
        if (SelLength() > 0 && !RefuseChange()) {
            typingRun_ = false;
            ReplaceSelection(U"", true);
        }
        return true;
    case WM_UNDO:
    case EM_UNDO:
        message.Result = undo_.Valid ? 1 : 0;
        if (undo_.Valid && !RefuseChange()) {
            TUndoStep redo{true, chars_, anchor_, caret_};
            chars_ = undo_.Text;
            anchor_ = std::clamp(undo_.Anchor, 0, Length());
            caret_ = std::clamp(undo_.Caret, 0, Length());
            undo_ = redo;
            typingRun_ = false;
            modified_ = true;
            StoreText();
        }
        return true;
    default: return false;
    }
}

void TCustomEdit::SetMargins(WPARAM which, int32_t left, int32_t right)
{
    if (which == EC_USEFONTINFO) {
        left = right = 1;
        which = EC_LEFTMARGIN | EC_RIGHTMARGIN;
    }
    if (which & EC_LEFTMARGIN)
        leftMargin_ = std::max(left, 0);
    if (which & EC_RIGHTMARGIN)
        rightMargin_ = std::max(right, 0);
    ScrollCaretIntoView();
    Invalidate();
}

// ---- Keys -----------------------------------------------------------------------------

void TCustomEdit::HandleKeyDown(TMessage& message)
{
    TShiftState shift = KeyDataToShiftState(message.LParam);
    bool extend = (shift & ssShift) != 0;
    bool ctrl = (shift & ssCtrl) != 0;
    switch (message.WParam) {
    case VK_LEFT:
        if (SelLength() > 0 && !extend)
            MoveCaret(SelLow(), false);
        else
            MoveCaret(ctrl ? WordStartBefore(caret_) : caret_ - 1, extend);
        break;
    case VK_RIGHT:
        if (SelLength() > 0 && !extend)
            MoveCaret(SelHigh(), false);
        else
            MoveCaret(ctrl ? WordStartAfter(caret_) : caret_ + 1, extend);
        break;
    case VK_HOME: MoveCaret(0, extend); break;
    case VK_END: MoveCaret(Length(), extend); break;
    case VK_DELETE:
        if (extend && !ctrl)
            Perform(WM_CUT);
        else
            DeleteForward(shift);
        break;
    case VK_INSERT:
        if (ctrl)
            Perform(WM_COPY);
        else if (extend)
            Perform(WM_PASTE);
        break;
    default:
        if (HandleAllocated())
            PostKeyDownChar(handle_, message);
        break;
    }
}

void TCustomEdit::HandleChar(TMessage& message)
{
    auto ch = static_cast<char32_t>(message.WParam);
    switch (ch) {
    case 1: SelectAll(); return;
    case 3: Perform(WM_COPY); return;
    case 8: DeleteBackward(KeyDataToShiftState(message.LParam)); return;
    case 22: Perform(WM_PASTE); return;
    case 24: Perform(WM_CUT); return;
    case 26: Perform(WM_UNDO); return;
    case 13:
    case 27: MessageBeep(); return;
    default: break;
    }
    if (ch < 32 || ch == 127 || RefuseChange())
        return;
    if (maxLength_ > 0 && Length() - SelLength() >= maxLength_) {
        NotifyParent(EN_MAXTEXT);
        MessageBeep();
        return;
    }
    // Consecutive typing is undone as one step.
    bool continuing = typingRun_ && SelLength() == 0;
    ReplaceSelection(std::u32string(1, ch), !continuing);
    typingRun_ = true;
}

void TCustomEdit::DeleteForward(TShiftState shift)
{
    if (RefuseChange())
        return;
    typingRun_ = false;
    if (SelLength() == 0) {
        if (caret_ >= Length())
            return;
        anchor_ = (shift & ssCtrl) ? WordStartAfter(caret_) : caret_ + 1;
    }
    ReplaceSelection(U"", true);
}

void TCustomEdit::DeleteBackward(TShiftState)
{
    if (RefuseChange())
        return;
    typingRun_ = false;
    if (SelLength() == 0) {
        if (caret_ == 0)
            return;
        anchor_ = caret_ - 1;
    }
    ReplaceSelection(U"", true);
}

int32_t TCustomEdit::WordStartBefore(int32_t index) const
{
    while (index > 0 && IsBlank(chars_[index - 1]))
        --index;
    while (index > 0 && !IsBlank(chars_[index - 1]))
        --index;
    return index;
}

int32_t TCustomEdit::WordStartAfter(int32_t index) const
{
    while (index < Length() && !IsBlank(chars_[index]))
        ++index;
    while (index < Length() && IsBlank(chars_[index]))
        ++index;
    return index;
}

void TCustomEdit::SelectWordAt(int32_t index)
{
    if (index >= Length() && index > 0)
        --index;
    if (index >= Length())
        return;
    bool blank = IsBlank(chars_[index]);
    int32_t start = index;
    int32_t end = index;
    while (start > 0 && IsBlank(chars_[start - 1]) == blank)
        --start;
    while (end < Length() && IsBlank(chars_[end]) == blank)
        ++end;
    SetSelection(start, end);
}

// ---- Mouse ------------------------------------------------------------------------------

void TCustomEdit::MousePress(TPoint p, bool extend)
{
    if (!focused_ && CanFocus())
        SetFocus();
    MoveCaret(IndexAtX(p.X), extend);
    selecting_ = true;
}

// Dragging past either end of the text scrolls it, one move at a time.
void TCustomEdit::MouseTrack(TPoint p)
{
    if (!GetKeyStateDown(VK_LBUTTON)) {
        selecting_ = false;
        return;
    }
    int32_t index = IndexAtX(p.X);
    TRect format = FormatRect();
    if (p.X < format.Left)
        index = std::max(0, IndexAtX(format.Left) - 1);
    else if (p.X >= format.Right)
        index = std::min(Length(), IndexAtX(format.Right - 1) + 1);
    if (index != caret_)
        MoveCaret(index, true);
}

// ---- Caret -----------------------------------------------------------------------------

void TCustomEdit::StartCaret()
{
    caretOn_ = true;
    if (HandleAllocated())
        SetTimer(handle_, CaretTimerId, CaretBlinkMs);
}

void TCustomEdit::StopCaret()
{
    caretOn_ = false;
    if (HandleAllocated() && WindowSystemInstalled())
        KillTimer(handle_, CaretTimerId);
}

// Any caret movement shows the caret at once and starts a new blink period.
void TCustomEdit::RestartBlink()
{
    if (focused_)
        StartCaret();
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    if (focused_)
        StartCaret();
}

void TCustomEdit::DestroyWnd()
{
    StopCaret();
    TWinControl::DestroyWnd();
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= ES_AUTOHSCROLL;
    if (charCase_ == ecUpperCase)
        params.Style |= ES_UPPERCASE;
    else if (charCase_ == ecLowerCase)
        params.Style |= ES_LOWERCASE;
    if (passwordChar_ != 0)
        params.Style |= ES_PASSWORD;
    if (readOnly_)
        params.Style |= ES_READONLY;
    if (!hideSelection_)
        params.Style |= ES_NOHIDESEL;
    if (borderStyle_ == bsSingle) {
        if (ctl3D_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

// ---- Layout -----------------------------------------------------------------------------

TCanvas& TCustomEdit::MeasureCanvas()
{
    if (!measureCanvas_) {
        measureBitmap_ = std::make_unique<TBitmap>();
        measureBitmap_->SetSize(1, 1);
        measureCanvas_ = std::make_unique<TCanvas>(measureBitmap_.get());
    }
    measureCanvas_->Font()->Assign(Font());
    return *measureCanvas_;
}

std::u32string TCustomEdit::DisplayChars() const
{
    return passwordChar_ != 0 ? std::u32string(chars_.size(), passwordChar_) : chars_;
}

int32_t TCustomEdit::PrefixWidth(int32_t count)
{
    if (count <= 0)
        return 0;
    return MeasureCanvas().TextWidth(Utf32ToUtf8(DisplayChars().substr(0, count)));
}

int32_t TCustomEdit::LineHeight() { return MeasureCanvas().TextHeight("Wg"); }

TRect TCustomEdit::FormatRect() const
{
    TRect r = ClientRect();
    r.Left += leftMargin_;
    r.Right = std::max(r.Left, r.Right - rightMargin_);
    r.Top = std::min(r.Top + 1, r.Bottom);
    return r;
}

// Where the text starts inside the format rectangle: alignment applies
// only while the whole text fits.
int32_t TCustomEdit::TextOffsetX()
{
    int32_t room = FormatRect().Width() - TextWidthAll();
    if (room <= 0)
        return 0;
    uint32_t style = HandleAllocated() ? CreatedStyle() : 0;
    if (style & ES_RIGHT)
        return room - 1;
    if (style & ES_CENTER)
        return room / 2;
    return 0;
}

int32_t TCustomEdit::CharX(int32_t index) { return FormatRect().Left + TextOffsetX() + PrefixWidth(index) - scrollX_; }

int32_t TCustomEdit::IndexAtX(int32_t x)
{
    int32_t previous = CharX(0);
    for (int32_t i = 1; i <= Length(); ++i) {
        int32_t next = CharX(i);
        if (x < (previous + next + 1) / 2)
            return i - 1;
        previous = next;
    }
    return Length();
}

void TCustomEdit::ScrollCaretIntoView()
{
    int32_t width = FormatRect().Width();
    int32_t total = TextWidthAll();
    if (total < width) {
        scrollX_ = 0;
        return;
    }
    int32_t caretX = PrefixWidth(caret_);
    if (caretX < scrollX_)
        scrollX_ = std::max(0, caretX - width / 4);
    else if (caretX >= scrollX_ + width)
        scrollX_ = caretX - width + width / 4;
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, total - width + 1));
}

// ---- Painting -----------------------------------------------------------------------------

void TCustomEdit::PaintWindow(TCanvas& canvas)
{
    TRect client = ClientRect();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color_);
    canvas.FillRect(client);
    TRect format = FormatRect();
    int saved = canvas.SaveDC();
    canvas.IntersectClipRect(format.Left, client.Top, format.Right, client.Bottom);
    canvas.Font()->Assign(Font());
    if (!Enabled())
        canvas.Font()->SetColor(clGrayText);
    std::string shown = Utf32ToUtf8(DisplayChars());
    int32_t x = CharX(0);
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(x, format.Top, shown);
    if (SelLength() > 0 && (focused_ || !hideSelection_)) {
        int32_t left = CharX(SelLow());
        int32_t right = CharX(SelHigh());
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(clHighlight);
        canvas.FillRect(Rect(left, format.Top, right, format.Top + LineHeight()));
        canvas.Brush()->SetStyle(bsClear);
        canvas.Font()->SetColor(clHighlightText);
        canvas.TextOut(left, format.Top, Utf32ToUtf8(DisplayChars().substr(SelLow(), SelLength())));
    }
    if (CaretShown()) {
        int32_t caretX = CharX(caret_);
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(clWindowText);
        canvas.FillRect(Rect(caretX, format.Top, caretX + 1, format.Top + LineHeight()));
    }
    canvas.RestoreDC(saved);
}
