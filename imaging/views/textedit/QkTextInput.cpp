#include <algorithm>
#include <cstring>

#include "imaging/views/textedit/QkTextControl.h"
#include "platform/core/Strings.h"
#include "platform/ui/Caret.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr uint16_t ShortcutCtrl = 0x4000;

bool ValidCodePoint(uint32_t c) { return c != 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void Put32(std::vector<uint8_t>& block, uint32_t value)
{
    block.resize(block.size() + 4);
    PutLittleEndian32(block.data() + block.size() - 4, value);
}

} // namespace

// ---- Keys --------------------------------------------------------------------------------

void TQkTextControl::KeyPress(char32_t& key)
{
    if (key >= 32 && key != 127) {
        DeleteSelection();
        if (!insertMode_)
            DeleteChar(caretIndex_);
        InsertChar(key);
    }
    Invalidate();
    TCustomControl::KeyPress(key);
}

void TQkTextControl::KeyDown(uint16_t& key, TShiftState shift)
{
    const bool ctrl = (shift & ssCtrl) != 0;
    switch (key) {
    case VK_BACK:
        if (selStart_ < selEnd_)
            DeleteSelection();
        else if (caretIndex_ > 0)
            DeleteChar(--caretIndex_);
        Update();
        break;
    case VK_RETURN:
        InsertChar(U'\n');
        Update();
        break;
    case VK_INSERT: insertMode_ = !insertMode_; break;
    case VK_DELETE:
        if (selStart_ < selEnd_)
            DeleteSelection();
        else
            DeleteChar(caretIndex_);
        Update();
        break;
    case VK_F1:
    case VK_F1 + 1:
        if (shift & ssShift) {
            if (key == VK_F1)
                ShrinkSelectionFont();
            else
                GrowSelectionFont();
            Update();
        }
        break;
    default:
        if (!HandleMoveKey(key, shift) && ctrl)
            HandleShortcut(key, shift);
        break;
    }
    TCustomControl::KeyDown(key, shift);
}

bool TQkTextControl::HandleMoveKey(uint16_t key, TShiftState shift)
{
    const bool ctrl = (shift & ssCtrl) != 0;
    int32_t target = caretIndex_;
    switch (key) {
    case VK_HOME: target = ctrl ? 0 : LineStart(); break;
    case VK_END: target = ctrl ? TextLength() : LineEnd(); break;
    case VK_LEFT: target = ctrl ? WordLeft(caretIndex_) : std::max(0, caretIndex_ - 1); break;
    case VK_RIGHT: target = ctrl ? WordRight(caretIndex_) : std::min(TextLength(), caretIndex_ + 1); break;
    case VK_UP: target = LineUp(); break;
    case VK_DOWN: target = LineDown(); break;
    default: return false;
    }
    if (target != caretIndex_)
        MoveCaretTo(target, (shift & ssShift) != 0);
    return true;
}

void TQkTextControl::MoveCaretTo(int32_t index, bool extend)
{
    const int32_t from = caretIndex_;
    caretIndex_ = std::clamp(index, 0, TextLength());
    FollowCaret();
    if (extend)
        ExtendSelection(from, caretIndex_);
    else
        ClearSelection();
    Update();
}

bool TQkTextControl::HandleShortcut(uint16_t key, TShiftState shift)
{
    const uint16_t value = static_cast<uint16_t>(key + ((shift & ssCtrl) ? ShortcutCtrl : 0));
    const auto found = std::find(TextControlShortcuts.begin(), TextControlShortcuts.end(), value);
    if (value == 0 || found == TextControlShortcuts.end())
        return false;
    switch (static_cast<TQkTextShortcut>(found - TextControlShortcuts.begin())) {
    case tsAlignLeft: SetParagraphAlignment(paLeft); break;
    case tsAlignRight: SetParagraphAlignment(paRight); break;
    case tsAlignCenter: SetParagraphAlignment(paCenter); break;
    case tsJustify: SetParagraphAlignment(paJustify); break;
    case tsCopy: CopyToClipboard(); return true;
    case tsCut:
        CopyToClipboard();
        DeleteSelection();
        break;
    case tsPaste:
        DeleteSelection();
        PasteFromClipboard();
        break;
    case tsFont: {
        TFont font;
        if (singleFormat_ || !OnChooseFont)
            return true;
        RunToFont(currentRun_, font);
        if (OnChooseFont(font))
            SetSelectionFont(font);
        break;
    }
    case tsBold: ToggleSelectionStyle(0); break;
    case tsItalic: ToggleSelectionStyle(1); break;
    case tsUnderline: ToggleSelectionStyle(2); break;
    case tsBackColor: {
        TColor color = currentRun_.BackColor;
        if (singleFormat_ || !OnChooseBackColor)
            return true;
        if (OnChooseBackColor(color))
            SetSelectionBackColor(color);
        break;
    }
    }
    Update();
    return true;
}

// ---- Caret moves -------------------------------------------------------------------------

void TQkTextControl::ExtendSelection(int32_t from, int32_t to)
{
    if (selEnd_ <= selStart_) {
        selStart_ = from;
        selEnd_ = to;
    } else if (to > from) {
        if (selEnd_ < to)
            selEnd_ = to;
        else
            selStart_ = to;
    } else {
        if (to < selStart_)
            selStart_ = to;
        else
            selEnd_ = to;
    }
    if (selEnd_ < selStart_)
        std::swap(selStart_, selEnd_);
}

int32_t TQkTextControl::WordLeft(int32_t index) const
{
    int32_t i = index - 1;
    while (i > 0 && chars_[i] <= 32)
        --i;
    while (i > 0 && chars_[i] > 32)
        --i;
    if (i >= 0 && i < TextLength() && chars_[i] <= 32)
        ++i;
    return std::clamp(i, 0, std::max(0, TextLength() - 1));
}

int32_t TQkTextControl::WordRight(int32_t index) const
{
    int32_t i = index;
    while (i < TextLength() && chars_[i] < 33)
        ++i;
    while (i < TextLength() && chars_[i] > 32)
        ++i;
    return std::clamp(i, 0, TextLength());
}

int32_t TQkTextControl::LineStart() const
{
    int32_t i = std::min(caretIndex_, TextLength());
    while (i > 0 && layout_[i - 1].LineY >= 0 && layout_[i - 1].LineY >= caretY_)
        --i;
    return i;
}

int32_t TQkTextControl::LineEnd() const
{
    int32_t i = caretIndex_;
    while (i < TextLength() && layout_[i].LineY == caretY_ && chars_[i] != U'\n')
        ++i;
    return i;
}

int32_t TQkTextControl::LineUp() const
{
    int32_t target = -1;
    for (int32_t i = 0; i < TextLength(); ++i)
        if (layout_[i].LineY >= 0 && layout_[i].LineY < caretY_)
            target = i;
    if (target < 0)
        return caretIndex_;
    const int32_t lineY = layout_[target].LineY;
    while (target > 0 && layout_[target - 1].LineY == lineY && layout_[target].X > caretX_)
        --target;
    if (target + 1 < TextLength() && layout_[target + 1].LineY == lineY &&
        std::abs(layout_[target + 1].X - caretX_) < std::abs(layout_[target].X - caretX_))
        ++target;
    return target;
}

int32_t TQkTextControl::LineDown() const
{
    int32_t target = caretIndex_;
    while (target < TextLength() && (layout_[target].LineY == caretY_ || layout_[target].LineY < 0))
        ++target;
    if (target >= TextLength())
        return caretIndex_;
    const int32_t lineY = layout_[target].LineY;
    while (target + 1 < TextLength() && layout_[target + 1].LineY == lineY && layout_[target].X < caretX_)
        ++target;
    if (target > 0 && layout_[target - 1].LineY == lineY &&
        std::abs(layout_[target - 1].X - caretX_) < std::abs(layout_[target].X - caretX_))
        --target;
    return target;
}

// The character under the point or the nearest one to its left: the caret
// goes before it.
int32_t TQkTextControl::CaretFromPoint(int32_t x, int32_t y) const
{
    int32_t i = 0;
    while (i < TextLength() && layout_[i].LineY >= 0 && layout_[i].LineY < y)
        ++i;
    if (i > 0)
        --i;
    while (i > 0 && x < layout_[i].X - 1)
        --i;
    return std::max(0, i);
}

void TQkTextControl::SelectWordAtCaret()
{
    if (chars_.empty())
        return;
    ClearSelection();
    const int32_t start =
        caretIndex_ < TextLength() && chars_[caretIndex_] > 32 && (caretIndex_ == 0 || chars_[caretIndex_ - 1] <= 32)
        ? caretIndex_
        : WordLeft(caretIndex_);
    int32_t end = WordRight(start);
    while (end > start && chars_[end - 1] <= 32)
        --end;
    caretIndex_ = end;
    FollowCaret();
    selStart_ = start;
    selEnd_ = end;
    Update();
}

// ---- Mouse -------------------------------------------------------------------------------

void TQkTextControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (!Focused())
        SetFocus();
    if (shift & ssDouble) {
        SelectWordAtCaret();
    } else if (shift & ssShift) {
        const int32_t anchor = CaretFromPoint(anchorX_, anchorY_);
        caretIndex_ = CaretFromPoint(x, y);
        FollowCaret();
        if (anchor != caretIndex_)
            ExtendSelection(anchor, caretIndex_);
        anchorX_ = x;
        anchorY_ = y;
    } else {
        anchorX_ = x;
        anchorY_ = y;
        ClearSelection();
        caretIndex_ = CaretFromPoint(x, y);
        FollowCaret();
    }
    Update();
    if (OnCaretMove)
        OnCaretMove(this);
    TCustomControl::MouseDown(button, shift, x, y);
}

void TQkTextControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (MouseCapture() && (shift & ssLeft)) {
        ClearSelection();
        const int32_t anchor = CaretFromPoint(anchorX_, anchorY_);
        caretIndex_ = CaretFromPoint(x, y);
        FollowCaret();
        if (anchor != caretIndex_)
            ExtendSelection(anchor, caretIndex_);
        Update();
        if (OnCaretMove)
            OnCaretMove(this);
    }
    TCustomControl::MouseMove(shift, x, y);
}

// ---- Messages ----------------------------------------------------------------------------

void TQkTextControl::Dispatch(TMessage& message)
{
    auto runShortcut = [&](TQkTextShortcut shortcut) {
        uint16_t key = static_cast<uint16_t>(TextControlShortcuts[shortcut] & 0xFF);
        HandleShortcut(key, (TextControlShortcuts[shortcut] & ShortcutCtrl) ? ssCtrl : 0);
    };
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS; return;
    case WM_ERASEBKGND: message.Result = 0; return;
    case WM_CUT: runShortcut(tsCut); return;
    case WM_COPY: runShortcut(tsCopy); return;
    case WM_PASTE: runShortcut(tsPaste); return;
    case WM_KILLFOCUS: DestroyCaret(); break;
    default: break;
    }
    TCustomControl::Dispatch(message);
    if (message.Msg == WM_SIZE)
        Update();
    else if (message.Msg == WM_SETFOCUS)
        PlaceSystemCaret();
}

// The caret is the window system's: it blinks and is drawn over the paint
// there, so the control only keeps its place and height up to date.
void TQkTextControl::PlaceSystemCaret()
{
    if (!HandleAllocated() || !Focused())
        return;
    const TCaretService& caret = WindowSystem().Caret();
    if (caret.Owner() != Handle() || caret.Size().cy != caretHeight_) {
        CreateCaret(Handle(), 1, caretHeight_);
        ShowCaret(Handle());
    }
    SetCaretPos(caretX_, caretY_);
}

// ---- Clipboard ---------------------------------------------------------------------------

void TQkTextControl::CopyToClipboard()
{
    if (selStart_ >= selEnd_)
        return;
    const int32_t end = std::min(selEnd_, TextLength());
    std::string text;
    std::vector<uint8_t> block;
    Put32(block, static_cast<uint32_t>(end - selStart_));
    for (int32_t i = selStart_; i < end; ++i) {
        text += chars_[i] == U'\n' ? std::string("\r\n") : Utf8Encode(chars_[i]);
        Put32(block, chars_[i]);
        const TQkFormatRunRecord record = SerializeFormatRun(CharRun(i));
        block.insert(block.end(), record.begin(), record.end());
    }
    Clipboard()->ClearFormats();
    Clipboard()->SetAsText(text);
    if (TextMemoClipboardFormat != 0)
        Clipboard()->SetFormatData(TextMemoClipboardFormat, std::move(block));
}

void TQkTextControl::PasteFromClipboard()
{
    if (TextMemoClipboardFormat != 0 && Clipboard()->HasFormat(TextMemoClipboardFormat)) {
        PastePrivateBlock(Clipboard()->FormatData(TextMemoClipboardFormat));
        return;
    }
    const std::string text = Clipboard()->AsText();
    if (text.size() > TextPasteLimit)
        return;
    std::u32string chars = Utf8ToUtf32(text);
    std::erase(chars, U'\r');
    InsertText(chars);
}

void TQkTextControl::InsertText(const std::u32string& text)
{
    for (char32_t c : text)
        InsertChar(c);
}

// The block is checked whole before anything is inserted: a count n, then
// n code points each with its 280-byte run.
bool TQkTextControl::PastePrivateBlock(const std::vector<uint8_t>& block)
{
    constexpr size_t entry = 4 + FormatRunRecordSize;
    if (block.size() < 4 || block.size() > TextPasteLimit)
        return false;
    const uint32_t count = GetLittleEndian32(block.data());
    if (block.size() != 4 + entry * static_cast<size_t>(count))
        return false;
    std::u32string chars;
    std::vector<TQkFormatRun> runs;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* at = block.data() + 4 + i * entry;
        const uint32_t c = GetLittleEndian32(at);
        std::optional<TQkFormatRun> run = DeserializeFormatRun(at + 4);
        if (!ValidCodePoint(c) || !run)
            return false;
        chars.push_back(c);
        runs.push_back(std::move(*run));
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        currentRun_ = runs[i];
        InsertChar(chars[i]);
    }
    return true;
}
