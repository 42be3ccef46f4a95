// Typing in the combo box: the multi-character search of the list styles
// (messages to the combo window) and the completion of typed text against
// the items in the edit styles (messages to the edit child).

#include "controls/TarqCmboBx.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/ui/KeyChars.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr char32_t KeyBackspace = 8;
constexpr char32_t KeyEnter = 13;
constexpr char32_t KeyEscape = 27;
constexpr char32_t KeyCtrlC = 3;
constexpr char32_t KeyCtrlV = 22;
constexpr char32_t KeyCtrlX = 24;

bool IsPrintable(char32_t ch) { return ch >= 32 && ch != 127; }

// Removes the last code point.
void DropLastCharacter(std::string& text)
{
    std::u32string chars = Utf8ToUtf32(text);
    if (!chars.empty())
        chars.pop_back();
    text = Utf32ToUtf8(chars);
}

std::u32string ClampedErase(std::u32string text, int32_t start, int32_t count)
{
    const auto size = static_cast<int32_t>(text.size());
    start = std::clamp(start, 0, size);
    count = std::clamp(count, 0, size - start);
    return text.erase(static_cast<size_t>(start), static_cast<size_t>(count));
}

} // namespace

// ---- List styles ----------------------------------------------------------------------------

void TTarqCustomComboBox::WndProc(TMessage& message)
{
    if (message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN) {
        if (message.Msg == WM_KEYDOWN && message.WParam == VK_ESCAPE && DroppedDown())
            escClosedList_ = true;
        if (readOnly_ && (message.Msg == WM_KEYDOWN || message.WParam != VK_F4))
            return;
    }
    if (message.Msg == WM_CHAR && ListSearchChar(static_cast<char32_t>(message.WParam)))
        return;
    TCustomComboBox::WndProc(message);
}

// True when the character was the search's.
bool TTarqCustomComboBox::ListSearchChar(char32_t ch)
{
    lastKey_ = ch;
    if (ch == KeyBackspace) {
        ListBackspace();
        return true;
    }
    if (ch == KeyEscape) {
        ListEscape();
        return true;
    }
    if (!IsPrintable(ch))
        return false;
    typing_ = true;
    SelectMatchingItem(searchText_ + Utf8Encode(ch));
    searchTimer_->SetEnabled(false);
    searchTimer_->SetInterval(SearchIntervalMs);
    searchTimer_->SetEnabled(true);
    typing_ = false;
    return true;
}

void TTarqCustomComboBox::ListBackspace()
{
    std::string search = searchText_;
    if (search.empty()) {
        InvalidKeyBeep();
        SelectMatchingItem(search);
        return;
    }
    DropLastCharacter(search);
    if (!search.empty()) {
        SelectMatchingItem(search);
        return;
    }
    SetItemIndex(0);
    FireClickAndChange();
    searchText_.clear();
    PassKey();
}

void TTarqCustomComboBox::ListEscape()
{
    if (escClosedList_) {
        escClosedList_ = false;
        return;
    }
    SetItemIndex(0);
    FireClickAndChange();
}

void TTarqCustomComboBox::SelectMatchingItem(const std::string& search)
{
    const int32_t found = FindItem(search);
    if (found < 0) {
        InvalidKeyBeep();
        return;
    }
    SetItemIndex(found);
    searchText_ = search;
    FireClickAndChange();
    PassKey();
}

void TTarqCustomComboBox::SearchTimerFired(TObject*)
{
    if (typing_)
        return;
    searchTimer_->SetEnabled(false);
    searchText_.clear();
}

void TTarqCustomComboBox::PassKey()
{
    char32_t key = lastKey_;
    FireKeyPress(key);
}

// ---- Edit styles ----------------------------------------------------------------------------

void TTarqCustomComboBox::ComboWndProc(TMessage& message, HWND comboWnd, const TWndMethod& comboProc)
{
    if (message.Msg == CM_MOUSEENTER)
        MouseEntered();
    else if (message.Msg == CM_MOUSELEAVE)
        MouseLeft();
    if (!autoComplete_) {
        TCustomComboBox::ComboWndProc(message, comboWnd, comboProc);
        return;
    }
    bool completeAfter = false;
    bool swallow = false;
    typedNormally_ = false;
    switch (message.Msg) {
    case WM_KEYDOWN:
        swallow =
            EditKeyDown(static_cast<uint16_t>(message.WParam), KeyDataToShiftState(message.LParam), completeAfter);
        break;
    case WM_SYSKEYDOWN:
        altPressed_ = true;
        swallow = readOnly_ && message.WParam != VK_F4;
        break;
    case WM_LBUTTONDOWN:
        if (Style() == csDropDown)
            searchText_ = Text();
        break;
    case WM_CHAR: swallow = EditChar(message, completeAfter); break;
    default: break;
    }
    if (swallow)
        return;
    TCustomComboBox::ComboWndProc(message, comboWnd, comboProc);
    // Free text typed next must extend what the edit now shows.
    if (typedNormally_)
        searchText_ = Text();
    if (completeAfter && allowEdit_)
        CompleteAfterEdit();
}

// True when the key is swallowed.
bool TTarqCustomComboBox::EditKeyDown(uint16_t key, TShiftState shift, bool& completeAfter)
{
    altPressed_ = false;
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        suppressCompletion_ = true;
        searchText_.clear();
        return readOnly_;
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT: searchText_ = Text(); return false;
    case VK_INSERT:
        if ((shift & ssShift) == 0)
            return false;
        completeAfter = true;
        return !allowEdit_;
    case VK_DELETE: return EditDelete();
    case VK_F4: return readOnly_;
    default: return false;
    }
}

// Without AllowEdit only the whole text may be deleted.
bool TTarqCustomComboBox::EditDelete()
{
    const std::u32string text = Utf8ToUtf32(Text());
    const int32_t selLength = SelLength();
    if (!allowEdit_ && selLength < static_cast<int32_t>(text.size()))
        return true;
    searchText_ = Utf32ToUtf8(ClampedErase(text, SelStart(), std::max(selLength, 1)));
    return false;
}

bool TTarqCustomComboBox::EditChar(TMessage& message, bool& completeAfter)
{
    const auto ch = static_cast<char32_t>(message.WParam);
    lastKey_ = ch;
    if (altPressed_) {
        altPressed_ = false;
        return false;
    }
    if (readOnly_)
        return ch != KeyCtrlC;
    switch (ch) {
    case KeyBackspace: return EditBackspace();
    case KeyEnter:
        if (DroppedDown())
            SelEndOk();
        enterPressed_ = true;
        return false;
    case KeyCtrlV:
    case KeyCtrlX: completeAfter = true; return !allowEdit_;
    case KeyEscape: return EditEscape();
    default: break;
    }
    if (!IsPrintable(ch))
        return false;
    char32_t key = ch;
    FireKeyPress(key);
    if (!IsPrintable(key)) {
        message.WParam = key;
        return false;
    }
    return EditPrintable(key);
}

bool TTarqCustomComboBox::EditBackspace()
{
    std::u32string search = Utf8ToUtf32(searchText_);
    if (search.empty()) {
        InvalidKeyBeep();
        return false;
    }
    const int32_t caret = SelStart();
    const int32_t selLength = SelLength();
    if (caret >= static_cast<int32_t>(search.size()))
        search.pop_back();
    else if (selLength > 0 && allowEdit_)
        search = ClampedErase(search, caret, selLength);
    else if (allowEdit_ && caret > 0)
        search = ClampedErase(search, caret - 1, 1);
    Change();
    if (search.empty()) {
        SetItemIndex(-1);
        if (keepSearchCase_)
            SetText("");
        searchText_.clear();
        FireClickAndChange();
        PassKey();
        return false;
    }
    searchText_ = Utf32ToUtf8(search);
    return AutoCompleteText(searchText_);
}

bool TTarqCustomComboBox::EditEscape()
{
    const bool wasDropped = DroppedDown();
    if (!wasDropped)
        SetItemIndex(-1);
    searchText_.clear();
    FireClickAndChange();
    PassKey();
    return !wasDropped;
}

bool TTarqCustomComboBox::EditPrintable(char32_t ch)
{
    const std::string oldSearch = searchText_;
    const int32_t caret = SelStart();
    std::u32string search = ClampedErase(Utf8ToUtf32(searchText_), caret, SelLength());
    const auto insertAt = static_cast<size_t>(std::clamp(caret, 0, static_cast<int32_t>(search.size())));
    search.insert(insertAt, 1, ch);
    if (AutoCompleteText(Utf32ToUtf8(search)))
        return true;
    if (!allowEdit_) {
        InvalidKeyBeep();
        searchText_ = oldSearch;
        return true;
    }
    // Typed normally: the platform's edit inserts the character.
    suppressCompletion_ = true;
    SetText(oldSearch);
    suppressCompletion_ = false;
    SetSelStart(caret);
    SetSelLength(0);
    typedNormally_ = true;
    return false;
}

void TTarqCustomComboBox::CompleteAfterEdit()
{
    searchText_ = Text();
    AutoCompleteText(searchText_);
}

bool TTarqCustomComboBox::AutoCompleteText(const std::string& search)
{
    const int32_t previous = ItemIndex();
    const int32_t found = FindItem(search);
    if (found < 0)
        return false;
    const std::string item = Items()->Strings(found);
    const auto typed = static_cast<int32_t>(Utf8Length(search));
    searchText_ = search;
    if (keepSearchCase_) {
        suppressCompletion_ = true;
        SetText(search + Utf8Copy(item, static_cast<size_t>(typed)));
        suppressCompletion_ = false;
    } else {
        SetItemIndex(-1);
        SetItemIndex(found);
    }
    FireClickAndChange();
    PassKey();
    SetSelStart(typed);
    SetSelLength(static_cast<int32_t>(Utf8Length(item)) - typed);
    if (ItemIndex() != previous)
        Match();
    return true;
}

// A text set from outside is completed against the items (edit style only).
void TTarqCustomComboBox::CompleteFromText()
{
    if (Style() != csDropDown)
        return;
    if (enterPressed_)
        enterPressed_ = false;
    else
        searchText_ = Text();
    const int32_t found = FindItem(searchText_);
    if (found < 0)
        return;
    Perform(CB_SETCURSEL, static_cast<WPARAM>(found));
    const auto typed = static_cast<int32_t>(Utf8Length(searchText_));
    SetSelStart(typed);
    SetSelLength(static_cast<int32_t>(Utf8Length(Items()->Strings(found))) - typed);
}
