// The list view's context menus: one per item, chosen by OnItemContextMenu,
// shown once per right click.

#include "controls/TarqListVw.h"

#include "platform/ui/Menus.h"

namespace {

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

} // namespace

void TTarqCustomListView::DoItemContextMenu(TListItem* item, TPoint& point, TPopupMenu*& menu)
{
    if (OnItemContextMenu)
        OnItemContextMenu(this, item, point, menu);
}

void TTarqCustomListView::ShowItemContextMenu(TPoint point)
{
    TPopupMenu* menu = PopupMenu();
    DoItemContextMenu(ItemFocused(), point, menu);
    menuShown_ = true;
    if (!menu)
        return;
    menu->SetPopupComponent(this);
    const TPoint screen = ClientToScreen(point);
    menu->Popup(screen.X, screen.Y);
}

void TTarqCustomListView::ShowDefaultPopup(TPoint point)
{
    TPopupMenu* menu = PopupMenu();
    if (!menu || !menu->AutoPopup())
        return;
    if (MouseCapture())
        SetMouseCapture(false);
    menu->SetPopupComponent(this);
    const TPoint screen = ClientToScreen(point);
    menu->Popup(screen.X, screen.Y);
}

// A click beside the items or a keyboard request shows the menu of the
// focused (or else the selected) item at its icon.
void TTarqCustomListView::ShowContextMenu(TPoint point)
{
    if (rightClickOnItem_) {
        ShowItemContextMenu(point);
        return;
    }
    TListItem* focused = ItemFocused();
    if (!focused) {
        ShowDefaultPopup(point);
        menuShown_ = true;
        return;
    }
    TListItem* item = focused->Selected() ? focused : Selected();
    if (item)
        ShowItemContextMenu(Centre(item->DisplayRect(drIcon)));
    else
        ShowDefaultPopup(point);
}

void TTarqCustomListView::RightClickNotify(const TNMListView& notice)
{
    const THitTests hits = GetHitTestInfoAt(notice.ptAction.X, notice.ptAction.Y);
    rightClickOnItem_ = (hits & (htOnItem | htOnIcon | htOnLabel | htOnStateIcon)) != 0;
    ShowContextMenu(notice.ptAction);
}

void TTarqCustomListView::ContextMenuRequest(TMessage& message)
{
    message.Result = 1;
    if (menuShown_ || !Selected() || !ItemFocused())
        return;
    const TPoint screen = LParamToPoint(message.LParam);
    if (screen.X == -1 && screen.Y == -1) {
        rightClickOnItem_ = false;
        ShowContextMenu({0, 0});
    } else
        ShowItemContextMenu(ScreenToClient(screen));
}

void TTarqCustomListView::KeyDown(uint16_t& key, TShiftState shift)
{
    const bool noShift = (shift & (ssShift | ssAlt | ssCtrl)) == 0;
    if ((key == VK_APPS && noShift) || (key == VK_F10 && shift == ssShift)) {
        key = 0;
        rightClickOnItem_ = false;
        ShowContextMenu({0, 0});
    }
    TCustomListView::KeyDown(key, shift);
}

// After a menu was shown for this click, the release must not pop up the
// control's own menu a second time.
void TTarqCustomListView::RightButtonUp(TMessage& message)
{
    TPopupMenu* menu = PopupMenu();
    if (menuShown_ && menu) {
        SetPopupMenu(nullptr);
        TCustomListView::Dispatch(message);
        SetPopupMenu(menu);
    } else {
        TCustomListView::Dispatch(message);
    }
    menuShown_ = false;
}
