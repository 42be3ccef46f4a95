#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/core/MainThread.h"
#include "platform/core/Strings.h"
#include "platform/gfx/DrawText.h"
#include "platform/gfx/Frames.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/Screen.h"

// ---- Shortcuts ----------------------------------------------------------------------

TShortCut ShortCut(uint16_t key, TShiftState shift)
{
    TShortCut result = key & 0xFF;
    if (shift & ssShift)
        result |= scShift;
    if (shift & ssCtrl)
        result |= scCtrl;
    if (shift & ssAlt)
        result |= scAlt;
    return result;
}

namespace {

std::string KeyName(uint16_t key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key < VK_F1 + 12)
        return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return "";
    }
}

} // namespace

std::string ShortCutToText(TShortCut shortCut)
{
    std::string name = KeyName(shortCut & 0xFF);
    if (name.empty())
        return "";
    std::string text;
    if (shortCut & scShift)
        text += "Shift+";
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + name;
}

// ---- TMenuItem --------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) { RegisterUiClasses(); }

TMenuItem::~TMenuItem()
{
    if (parent_)
        parent_->Remove(this);
    for (TMenuItem* item : items_)
        item->parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int32_t index, TMenuItem* item)
{
    if (item->parent_)
        item->parent_->Remove(item);
    index = std::clamp<int32_t>(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    std::erase(items_, item);
    if (item->parent_ == this)
        item->parent_ = nullptr;
}

int32_t TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

void TMenuItem::SetChecked(bool value)
{
    if (checked_ == value)
        return;
    checked_ = value;
    if (value && radioItem_ && parent_)
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
                sibling->checked_ = false;
}

void TMenuItem::Click()
{
    if (!enabled_)
        return;
    if (OnClick)
        OnClick(this);
}

// ---- TPopupMenu ---------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr))
{
    RegisterUiClasses();
}

TPopupMenu::~TPopupMenu()
{
    if (window_)
        window_->Cancel();
}

void TPopupMenu::SetImages(TCustomImageList* value) { images_.Set(value); }

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    images_.Forget(component, operation);
    if (operation == opRemove && component == popupComponent_)
        popupComponent_ = nullptr;
}

bool TPopupMenu::IsShortCut(TShortCut shortCut)
{
    if (shortCut == 0)
        return false;
    for (int32_t i = 0; i < items_->Count(); ++i) {
        TMenuItem* item = items_->Items(i);
        if (item->ShortCut() == shortCut && item->Visible() && item->Enabled()) {
            item->Click();
            return true;
        }
    }
    return false;
}

namespace {

bool IsKeyboardMessage(uint32_t msg) { return msg >= WM_KEYDOWN && msg <= WM_SYSCHAR; }

} // namespace

TMenuItem* TPopupMenu::Popup(int32_t x, int32_t y)
{
    if (OnPopup)
        OnPopup(this);
    TMenuWindow window(*this);
    window.Place({x, y}, alignment_);
    window_ = &window;
    TWindowSystem& ws = WindowSystem();
    window.Show();
    ws.SetCapture(window.Handle());
    // The menu's own loop: keys go to the menu, the mouse comes to it through
    // the capture; the rest of the process keeps running.
    while (!window.Finished()) {
        CheckSynchronize();
        TQueuedMessage queued;
        if (!ws.PeekMessage(queued)) {
            ws.UpdateAllWindows();
            if (!ws.WaitMessage())
                window.Cancel();
            continue;
        }
        if (queued.Message.Msg == WM_QUIT) {
            ws.PostQuitMessage(static_cast<int>(queued.Message.WParam));
            window.Cancel();
        } else if (IsKeyboardMessage(queued.Message.Msg)) {
            window.Perform(queued.Message.Msg, queued.Message.WParam, queued.Message.LParam);
        } else {
            ws.DispatchMessage(queued);
        }
    }
    window_ = nullptr;
    if (ws.GetCapture() == window.Handle())
        ws.ReleaseCapture();
    window.Hide();
    TMenuItem* chosen = window.Chosen();
    if (chosen)
        chosen->Click();
    return chosen;
}

// ---- TMenuWindow ------------------------------------------------------------------------------

namespace {
constexpr int32_t GlyphColumn = 20; // check mark or image
constexpr int32_t SeparatorHeight = 8;
constexpr int32_t TextGap = 20;
constexpr int32_t Border = 3;
} // namespace

TMenuWindow::TMenuWindow(TPopupMenu& menu) : TCustomControl(nullptr), menu_(menu)
{
    visible_ = false;
    color_ = clMenu;
    parentColor_ = false;
    parentFont_ = false;
    font_->SetColor(clMenuText);
    for (int32_t i = 0; i < menu.Items()->Count(); ++i)
        if (menu.Items()->Items(i)->Visible())
            visibleItems_.push_back(menu.Items()->Items(i));
}

void TMenuWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP;
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = 0;
}

int32_t TMenuWindow::ItemHeightFor(const TFont* font)
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(font);
    return std::max(canvas.TextHeight("Wg") + 6, 18);
}

void TMenuWindow::Place(TPoint screenPos, TPopupAlignment alignment)
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(Font());
    itemHeight_ = ItemHeightFor(Font());
    int32_t textWidth = 0;
    int32_t shortCutWidth = 0;
    int32_t y = Border;
    for (TMenuItem* item : visibleItems_) {
        tops_.push_back(y);
        if (item->IsLine()) {
            y += SeparatorHeight;
            continue;
        }
        TRect r = Rect(0, 0, 0, 0);
        DrawText(canvas, item->Caption(), r, DT_CALCRECT | DT_SINGLELINE);
        textWidth = std::max(textWidth, r.Width());
        shortCutWidth = std::max(shortCutWidth, canvas.TextWidth(ShortCutToText(item->ShortCut())));
        y += itemHeight_;
    }
    tops_.push_back(y);
    shortCutColumn_ = Border + GlyphColumn + textWidth + TextGap;
    int32_t width = shortCutColumn_ + shortCutWidth + (shortCutWidth ? TextGap : 0) + Border;
    int32_t height = y + Border;
    int32_t left = alignment == paRight ? screenPos.X - width
        : alignment == paCenter         ? screenPos.X - width / 2
                                        : screenPos.X;
    int32_t top = screenPos.Y;
    TRect area = Screen()->WorkAreaRect();
    if (left + width > area.Right)
        left = std::max(area.Left, left - width);
    if (top + height > area.Bottom)
        top = std::max(area.Top, top - height);
    SetBounds(std::max(left, area.Left), top, width, height);
}

TRect TMenuWindow::ItemRect(int32_t index) const
{
    return Rect(Border, tops_[static_cast<size_t>(index)], width_ - Border, tops_[static_cast<size_t>(index) + 1]);
}

int32_t TMenuWindow::ItemAt(TPoint p) const
{
    for (int32_t i = 0; i < static_cast<int32_t>(visibleItems_.size()); ++i)
        if (PtInRect(ItemRect(i), p) && !visibleItems_[static_cast<size_t>(i)]->IsLine())
            return i;
    return -1;
}

void TMenuWindow::SetSelected(int32_t index)
{
    if (selected_ == index)
        return;
    selected_ = index;
    Invalidate();
}

void TMenuWindow::Cancel()
{
    finished_ = true;
    chosen_ = nullptr;
}

void TMenuWindow::Choose(int32_t index)
{
    if (index < 0)
        return;
    TMenuItem* item = visibleItems_[static_cast<size_t>(index)];
    if (!item->Enabled() || item->IsLine())
        return;
    chosen_ = item;
    finished_ = true;
}

void TMenuWindow::MoveSelection(int32_t step)
{
    auto count = static_cast<int32_t>(visibleItems_.size());
    if (count == 0)
        return;
    int32_t index = selected_;
    for (int32_t tries = 0; tries < count; ++tries) {
        index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
        if (!visibleItems_[static_cast<size_t>(index)]->IsLine()) {
            SetSelected(index);
            return;
        }
    }
}

void TMenuWindow::HandleKey(uint16_t key)
{
    switch (key) {
    case VK_DOWN: MoveSelection(1); break;
    case VK_UP: MoveSelection(-1); break;
    case VK_HOME:
        selected_ = -1;
        MoveSelection(1);
        break;
    case VK_END:
        selected_ = -1;
        MoveSelection(-1);
        break;
    case VK_RETURN: Choose(selected_); break;
    case VK_ESCAPE:
    case VK_MENU: Cancel(); break;
    default: break;
    }
}

// A character chooses the item whose accelerator it is.
void TMenuWindow::HandleChar(char32_t ch)
{
    for (int32_t i = 0; i < static_cast<int32_t>(visibleItems_.size()); ++i)
        if (IsAccel(ch, visibleItems_[static_cast<size_t>(i)]->Caption())) {
            SetSelected(i);
            Choose(i);
            return;
        }
}

void TMenuWindow::HandleMouse(TMessage& message)
{
    TPoint p = LParamToPoint(message.LParam);
    bool inside = PtInRect(ClientRect(), p);
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        if (inside)
            SetSelected(ItemAt(p));
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!inside)
            Cancel();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (inside)
            Choose(ItemAt(p));
        break;
    default: break;
    }
}

void TMenuWindow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: HandleKey(static_cast<uint16_t>(message.WParam)); return;
    case WM_CHAR:
    case WM_SYSCHAR: HandleChar(static_cast<char32_t>(message.WParam)); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK: HandleMouse(message); return;
    case WM_CAPTURECHANGED:
        if (!finished_)
            Cancel();
        return;
    default: TCustomControl::Dispatch(message); return;
    }
}

void TMenuWindow::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect frame = ClientRect();
    DrawEdge(canvas, frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    canvas.Font()->Assign(Font());
    for (int32_t i = 0; i < static_cast<int32_t>(visibleItems_.size()); ++i) {
        TMenuItem* item = visibleItems_[static_cast<size_t>(i)];
        TRect r = ItemRect(i);
        if (item->IsLine()) {
            TRect line =
                Rect(r.Left + 1, r.Top + SeparatorHeight / 2 - 1, r.Right - 1, r.Top + SeparatorHeight / 2 + 1);
            DrawEdge(canvas, line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        bool selected = i == selected_;
        canvas.Brush()->SetColor(selected ? clHighlight : clMenu);
        canvas.FillRect(r);
        TColor text = !item->Enabled() ? clGrayText : selected ? clHighlightText : clMenuText;
        TRect glyph = Rect(r.Left, r.Top, r.Left + GlyphColumn, r.Bottom);
        if (menu_.Images() && item->ImageIndex() >= 0 && item->ImageIndex() < menu_.Images()->Count()) {
            menu_.Images()->Draw(&canvas, glyph.Left + (GlyphColumn - menu_.Images()->Width()) / 2,
                                 glyph.Top + (glyph.Height() - menu_.Images()->Height()) / 2, item->ImageIndex(),
                                 item->Enabled());
        } else if (item->Checked()) {
            canvas.Pen()->SetColor(text);
            canvas.Brush()->SetColor(text);
            TPoint c{glyph.Left + GlyphColumn / 2, glyph.Top + glyph.Height() / 2};
            if (item->RadioItem())
                canvas.Ellipse(c.X - 3, c.Y - 3, c.X + 3, c.Y + 3);
            else
                for (int32_t d = 0; d < 3; ++d) {
                    canvas.MoveTo(c.X - 3, c.Y - 1 + d);
                    canvas.LineTo(c.X - 1, c.Y + 1 + d);
                    canvas.LineTo(c.X + 4, c.Y - 4 + d);
                }
        }
        canvas.Brush()->SetStyle(bsClear);
        canvas.Font()->SetColor(text);
        TRect caption = Rect(r.Left + GlyphColumn, r.Top, shortCutColumn_, r.Bottom);
        DrawText(canvas, item->Caption(), caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        TRect shortCut = Rect(shortCutColumn_, r.Top, r.Right - TextGap / 2, r.Bottom);
        DrawText(canvas, ShortCutToText(item->ShortCut()), shortCut, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        canvas.Brush()->SetStyle(bsSolid);
    }
}
