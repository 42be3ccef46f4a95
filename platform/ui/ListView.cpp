#include "platform/ui/ListView.h"

#include <algorithm>
#include <utility>

#include "platform/core/Strings.h"
#include "platform/gfx/DrawText.h"
#include "platform/gfx/Frames.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/Edit.h"
#include "platform/ui/HeaderControl.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr uint16_t KeyF2 = VK_F1 + 1;

constexpr int32_t CellMargin = 2;
constexpr int32_t CheckBoxSize = 13;

int32_t FontHeight(const TFont* font)
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(font);
    return canvas.TextHeight("Wg");
}

int32_t ColumnFormat(const TListColumn& column)
{
    int32_t fmt = column.Alignment() == taRightJustify ? LVCFMT_RIGHT
        : column.Alignment() == taCenter               ? LVCFMT_CENTER
                                                       : LVCFMT_LEFT;
    return column.ImageIndex() >= 0 ? fmt | LVCFMT_IMAGE : fmt;
}

uint32_t TextAlignment(TAlignment alignment)
{
    return alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
}

} // namespace

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner), columns_(*this), items_(*this)
{
    color_ = clWindow;
    parentColor_ = false;
    SetTabStop(true);
    SetBounds(0, 0, 250, 150);
    header_ = new THeaderControl(this);
    header_->SetParent(this);
    header_->SetVisible(false);
}

TCustomListView::~TCustomListView()
{
    // The in-place edit goes with the components; its exit ends nothing now.
    editor_ = nullptr;
    editedItem_ = nullptr;
    items_.items_.clear();
    columns_.Clear();
    delete header_;
    header_ = nullptr;
}

// ---- Properties ---------------------------------------------------------------------

void TCustomListView::SetViewStyle(TViewStyle value)
{
    if (viewStyle_ == value)
        return;
    viewStyle_ = value;
    UpdateLayout();
}

void TCustomListView::SetCheckboxes(bool value)
{
    if (checkboxes_ == value)
        return;
    checkboxes_ = value;
    for (auto& item : items_.items_)
        item->stateIndex_ = value ? std::max(item->stateIndex_, 1) : 0;
    Invalidate();
}

void TCustomListView::SetRowSelect(bool value)
{
    if (rowSelect_ == value)
        return;
    rowSelect_ = value;
    Invalidate();
}

void TCustomListView::SetHideSelection(bool value)
{
    if (hideSelection_ == value)
        return;
    hideSelection_ = value;
    Invalidate();
}

void TCustomListView::SetShowColumnHeaders(bool value)
{
    if (showColumnHeaders_ == value)
        return;
    showColumnHeaders_ = value;
    UpdateLayout();
}

void TCustomListView::SetColumnClick(bool value)
{
    columnClick_ = value;
    header_->SetButtons(value);
}

void TCustomListView::SetBorderStyle(TBorderStyle value)
{
    if (borderStyle_ == value)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomListView::SetSmallImages(TCustomImageList* value)
{
    if (!smallImages_.Set(value))
        return;
    header_->SetImages(value);
    UpdateLayout();
}

void TCustomListView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (smallImages_.Forget(component, operation))
        UpdateLayout();
}

TListItem* TCustomListView::Selected() const
{
    for (const auto& item : items_.items_)
        if (item->Selected())
            return item.get();
    return nullptr;
}

void TCustomListView::SetSelected(TListItem* item)
{
    if (item) {
        item->SetSelected(true);
        return;
    }
    if (TListItem* current = Selected())
        current->SetSelected(false);
}

TListItem* TCustomListView::ItemFocused() const
{
    for (const auto& item : items_.items_)
        if (item->Focused())
            return item.get();
    return nullptr;
}

void TCustomListView::SetItemFocused(TListItem* item)
{
    if (item)
        item->SetFocused(true);
    else if (TListItem* current = ItemFocused())
        current->SetFocused(false);
}

TListItem* TCustomListView::TopItem() const { return topIndex_ < items_.Count() ? items_.Item(topIndex_) : nullptr; }

// ---- Geometry -------------------------------------------------------------------------

int32_t TCustomListView::HeaderHeight() const
{
    return viewStyle_ == vsReport && showColumnHeaders_ ? FontHeight(Font()) + 6 : 0;
}

int32_t TCustomListView::SmallImageWidth() const { return smallImages_ ? smallImages_->Width() : 0; }

int32_t TCustomListView::RowHeight() const
{
    int32_t height = FontHeight(Font()) + 4;
    if (smallImages_)
        height = std::max(height, smallImages_->Height() + 1);
    if (checkboxes_)
        height = std::max(height, CheckBoxSize + 4);
    return height;
}

int32_t TCustomListView::VisibleRowCount() const
{
    return std::max((ClientHeight() - HeaderHeight()) / std::max(RowHeight(), 1), 0);
}

int32_t TCustomListView::TotalColumnWidth() const
{
    int32_t total = 0;
    for (int32_t i = 0; i < columns_.Count(); ++i)
        total += columns_.Items(i)->width_;
    return total;
}

int32_t TCustomListView::ColumnLeft(int32_t column) const
{
    int32_t left = -scrollX_;
    for (int32_t i = 0; i < column && i < columns_.Count(); ++i)
        left += columns_.Items(i)->width_;
    return left;
}

int32_t TCustomListView::RowTop(int32_t index) const { return HeaderHeight() + (index - topIndex_) * RowHeight(); }

TRect TCustomListView::SubItemRect(const TListItem* item, int32_t subItem, TDisplayCode code) const
{
    int32_t index = items_.IndexOf(item);
    if (index < 0 || subItem < 0 || subItem >= std::max(columns_.Count(), 1))
        return TRect();
    int32_t top = RowTop(index);
    int32_t left = ColumnLeft(subItem);
    int32_t width = subItem < columns_.Count() ? columns_.Items(subItem)->width_ : 0;
    TRect cell = Rect(left, top, left + width, top + RowHeight());
    if (code == drBounds || subItem > 0)
        return code == drIcon ? Rect(cell.Left, cell.Top, cell.Left, cell.Bottom) : cell;
    int32_t iconLeft = std::min(cell.Left + CellMargin + StateImageWidth(), cell.Right);
    TRect icon = Rect(iconLeft, cell.Top, std::min(iconLeft + SmallImageWidth(), cell.Right), cell.Bottom);
    TRect label = Rect(icon.Right, cell.Top, std::max(icon.Right, cell.Right), cell.Bottom);
    switch (code) {
    case drIcon: return icon;
    case drLabel: return label;
    default: return Rect(icon.Left, cell.Top, label.Right, cell.Bottom);
    }
}

TRect TCustomListView::ItemDisplayRect(const TListItem* item, TDisplayCode code) const
{
    TRect row = SubItemRect(item, 0, drBounds);
    if (code == drBounds || (code == drSelectBounds && rowSelect_)) {
        row.Right = row.Left + TotalColumnWidth();
        return row;
    }
    return SubItemRect(item, 0, code);
}

THitTests TCustomListView::GetHitTestInfoAt(int32_t x, int32_t y) const
{
    if (y < HeaderHeight())
        return htAbove;
    if (y >= ClientHeight())
        return htBelow;
    int32_t index = topIndex_ + (y - HeaderHeight()) / std::max(RowHeight(), 1);
    if (index >= items_.Count())
        return htNowhere;
    if (x < ColumnLeft(0))
        return htToLeft;
    if (x >= ColumnLeft(0) + TotalColumnWidth())
        return htToRight;
    const TListItem* item = items_.Item(index);
    TRect icon = SubItemRect(item, 0, drIcon);
    TRect label = SubItemRect(item, 0, drLabel);
    TPoint p{x, y};
    if (checkboxes_ && x >= icon.Left - StateImageWidth() && x < icon.Left)
        return htOnItem | htOnStateIcon;
    if (PtInRect(icon, p))
        return htOnItem | htOnIcon;
    if (PtInRect(label, p) || rowSelect_)
        return htOnItem | htOnLabel;
    return htNowhere;
}

TListItem* TCustomListView::GetItemAt(int32_t x, int32_t y) const
{
    if (!(GetHitTestInfoAt(x, y) & htOnItem))
        return nullptr;
    return items_.Item(topIndex_ + (y - HeaderHeight()) / std::max(RowHeight(), 1));
}

// ---- Layout and scrolling ---------------------------------------------------------------

void TCustomListView::ItemsChanged()
{
    if (updateCount_ > 0)
        return;
    UpdateLayout();
    Invalidate();
}

void TCustomListView::ColumnsChanged()
{
    UpdateLayout();
    Invalidate();
}

void TCustomListView::BoundsChanged() { UpdateLayout(); }

// Auto-sized columns share what the others leave of the client width; the
// scroll bars that come or go change that width, so both are settled twice.
void TCustomListView::UpdateLayout()
{
    if (layingOut_ || !header_)
        return;
    layingOut_ = true;
    for (int pass = 0; pass < 2; ++pass) {
        AutoSizeColumns();
        UpdateScrollBars();
    }
    SyncHeader();
    layingOut_ = false;
}

void TCustomListView::AutoSizeColumns()
{
    int32_t fixed = 0;
    int32_t autoCount = 0;
    for (int32_t i = 0; i < columns_.Count(); ++i)
        columns_.Items(i)->autoSize_ ? ++autoCount : fixed += columns_.Items(i)->width_;
    if (autoCount == 0)
        return;
    int32_t rest = std::max(ClientWidth() - fixed, 0);
    int32_t share = rest / autoCount;
    int32_t given = 0;
    for (int32_t i = 0; i < columns_.Count(); ++i)
        if (TListColumn* column = columns_.Items(i); column->autoSize_) {
            column->width_ = --autoCount == 0 ? rest - given : share;
            given += column->width_;
        }
}

void TCustomListView::SyncHeader()
{
    header_->SetVisible(HeaderHeight() > 0);
    header_->SetBounds(0, 0, ClientWidth(), HeaderHeight());
    header_->SetOffsetX(scrollX_);
    bool rebuild = header_->SectionCount() != columns_.Count();
    if (rebuild)
        while (header_->SectionCount() > 0)
            header_->DeleteSection(header_->SectionCount() - 1);
    for (int32_t i = 0; i < columns_.Count(); ++i) {
        const TListColumn& column = *columns_.Items(i);
        THDItem item;
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
        item.text = column.caption_;
        item.cxy = column.width_;
        item.iImage = column.imageIndex_;
        int32_t kept = rebuild ? HDF_STRING : header_->Section(i).fmt & ~(HDF_JUSTIFYMASK | HDF_IMAGE);
        item.fmt = kept | (ColumnFormat(column) & HDF_JUSTIFYMASK) | (column.imageIndex_ >= 0 ? HDF_IMAGE : 0);
        if (rebuild)
            header_->InsertSection(i, item);
        else
            header_->Perform(HDM_SETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
}

// The bars come and go with the need for them, which changes the window's
// style; the client size that results can change the need once more.
void TCustomListView::UpdateScrollBars()
{
    if (!HandleAllocated())
        return;
    for (int pass = 0; pass < 3; ++pass) {
        bool needV = items_.Count() > VisibleRowCount();
        bool needH = TotalColumnWidth() > ClientWidth();
        bool hasV = (CreatedStyle() & WS_VSCROLL) != 0;
        bool hasH = (CreatedStyle() & WS_HSCROLL) != 0;
        if (needV == hasV && needH == hasH)
            break;
        wantVScroll_ = needV;
        wantHScroll_ = needH;
        RecreateWnd();
    }
    topIndex_ = std::clamp(topIndex_, 0, std::max(0, items_.Count() - VisibleRowCount()));
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, TotalColumnWidth() - ClientWidth()));
    if (CreatedStyle() & WS_VSCROLL) {
        TScrollInfo info;
        info.Max = std::max(items_.Count() - 1, 0);
        info.Page = static_cast<uint32_t>(VisibleRowCount());
        info.Pos = topIndex_;
        SetScrollInfo(*this, SB_VERT, info);
    }
    if (CreatedStyle() & WS_HSCROLL) {
        TScrollInfo info;
        info.Max = std::max(TotalColumnWidth() - 1, 0);
        info.Page = static_cast<uint32_t>(ClientWidth());
        info.Pos = scrollX_;
        SetScrollInfo(*this, SB_HORZ, info);
    }
}

void TCustomListView::SetTopIndex(int32_t index)
{
    index = std::clamp(index, 0, std::max(0, items_.Count() - VisibleRowCount()));
    if (index == topIndex_)
        return;
    topIndex_ = index;
    UpdateScrollBars();
    Invalidate();
}

void TCustomListView::EnsureVisible(int32_t index)
{
    if (index < 0 || index >= items_.Count())
        return;
    if (index < topIndex_)
        SetTopIndex(index);
    else if (index >= topIndex_ + std::max(VisibleRowCount(), 1))
        SetTopIndex(index - std::max(VisibleRowCount(), 1) + 1);
}

void TCustomListView::Scroll(int32_t dx, int32_t dy)
{
    if (dy != 0) {
        int32_t rows = dy / std::max(RowHeight(), 1);
        if (rows == 0)
            rows = dy > 0 ? 1 : -1;
        SetTopIndex(topIndex_ + rows);
    }
    if (dx != 0) {
        scrollX_ = std::clamp(scrollX_ + dx, 0, std::max(0, TotalColumnWidth() - ClientWidth()));
        UpdateScrollBars();
        header_->SetOffsetX(scrollX_);
        Invalidate();
    }
}

// ---- Sorting ----------------------------------------------------------------------------

bool TCustomListView::CustomSort(const TLVCompare& compare, intptr_t data)
{
    if (!compare)
        return false;
    std::stable_sort(items_.items_.begin(), items_.items_.end(),
                     [&](const std::unique_ptr<TListItem>& a, const std::unique_ptr<TListItem>& b) {
                         return compare(a.get(), b.get(), data) < 0;
                     });
    Invalidate();
    return true;
}

bool TCustomListView::AlphaSort()
{
    return CustomSort(
        [this](TListItem* a, TListItem* b, intptr_t data) {
            int32_t result = AnsiCompareText(a->Caption(), b->Caption());
            if (OnCompare)
                OnCompare(this, a, b, data, result);
            return result;
        },
        0);
}

// ---- State changes and notifications -------------------------------------------------------

bool TCustomListView::ChangeState(TListItem* item, uint32_t newState, uint32_t mask)
{
    int32_t index = items_.IndexOf(item);
    if (index < 0)
        return false;
    uint32_t current = item->state_ | IndexToStateImageMask(static_cast<uint32_t>(item->stateIndex_));
    uint32_t oldBits = current & mask;
    uint32_t newBits = newState & mask;
    if (oldBits == newBits)
        return true;
    if (Notify(LVN_ITEMCHANGING, index, newBits, oldBits, LVIF_STATE) != 0)
        return false;
    item->state_ = (item->state_ & ~(mask & ~LVIS_STATEIMAGEMASK)) | (newBits & ~LVIS_STATEIMAGEMASK);
    if (mask & LVIS_STATEIMAGEMASK)
        item->stateIndex_ = static_cast<int32_t>((newBits & LVIS_STATEIMAGEMASK) >> 12);
    Invalidate();
    Notify(LVN_ITEMCHANGED, index, newBits, oldBits, LVIF_STATE);
    return true;
}

LRESULT TCustomListView::Notify(int32_t code, int32_t item, uint32_t newState, uint32_t oldState, uint32_t changed,
                                TPoint at, int32_t subItem)
{
    TNMListView notice;
    notice.hdr.hwndFrom = handle_;
    notice.hdr.code = code;
    notice.iItem = item;
    notice.iSubItem = subItem;
    notice.uNewState = newState;
    notice.uOldState = oldState;
    notice.uChanged = changed;
    notice.ptAction = at;
    if (parent_ && parent_->HandleAllocated() && HandleAllocated())
        return SendMessage(parent_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    return Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

bool TCustomListView::CanChange(TListItem* item, TItemChange change)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, item, change, allow);
    return allow;
}

void TCustomListView::Change(TListItem* item, TItemChange change)
{
    if (OnChange)
        OnChange(this, item, change);
}

void TCustomListView::DoSelectItem(TListItem* item, bool selected)
{
    if (OnSelectItem)
        OnSelectItem(this, item, selected);
}

void TCustomListView::ColClick(TListColumn* column)
{
    if (OnColumnClick)
        OnColumnClick(this, column);
}

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage)
{
    return target == dtItem && stage == cdPrePaint && static_cast<bool>(OnCustomDrawItem);
}

bool TCustomListView::CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage)
{
    bool defaultDraw = true;
    if (stage == cdPrePaint && OnCustomDrawItem)
        OnCustomDrawItem(this, item, state, defaultDraw);
    return defaultDraw;
}

// ---- Messages ------------------------------------------------------------------------------

void TCustomListView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_SETFOCUS:
        focused_ = true;
        Invalidate();
        break;
    case WM_KILLFOCUS:
        focused_ = false;
        Invalidate();
        break;
    case CM_COLORCHANGED:
        Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color_));
        Perform(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color_));
        break;
    case CM_FONTCHANGED:
        header_->SetFont(Font());
        UpdateLayout();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: MouseDownAt(LParamToPoint(message.LParam), mbLeft, message.Msg == WM_LBUTTONDBLCLK); break;
    case WM_RBUTTONDOWN: MouseDownAt(LParamToPoint(message.LParam), mbRight, false); break;
    case CM_RELEASE:
        for (TEdit* editor : std::exchange(retiredEditors_, {}))
            delete editor;
        return;
    case CN_NOTIFY: {
        auto& notice = *reinterpret_cast<TNMListView*>(message.LParam);
        TListItem* item = notice.iItem >= 0 && notice.iItem < items_.Count() ? items_.Item(notice.iItem) : nullptr;
        TItemChange change = (notice.uChanged & LVIF_STATE) ? ctState
            : (notice.uChanged & LVIF_TEXT)                 ? ctText
                                                            : ctImage;
        switch (notice.hdr.code) {
        case LVN_ITEMCHANGING: message.Result = item && !CanChange(item, change) ? 1 : 0; return;
        case LVN_BEGINLABELEDIT: message.Result = item && CanEdit(item) ? 0 : 1; return;
        case LVN_ITEMCHANGED:
            if (!item)
                return;
            Change(item, change);
            if ((notice.uChanged & LVIF_STATE) && ((notice.uNewState ^ notice.uOldState) & LVIS_SELECTED))
                DoSelectItem(item, (notice.uNewState & LVIS_SELECTED) != 0);
            return;
        case LVN_COLUMNCLICK:
            if (notice.iSubItem >= 0 && notice.iSubItem < columns_.Count())
                ColClick(columns_.Items(notice.iSubItem));
            return;
        default: return;
        }
    }
    default: break;
    }
    TWinControl::Dispatch(message);
}

void TCustomListView::DefaultHandler(TMessage& message)
{
    if (HandleListMessage(message))
        return;
    switch (message.Msg) {
    case WM_NOTIFY:
        if (header_->HandleAllocated() &&
            reinterpret_cast<const TNMHdr*>(message.LParam)->hwndFrom == header_->Handle()) {
            HeaderNotify(message);
            return;
        }
        break;
    case WM_KEYDOWN: HandleKeyDown(static_cast<uint16_t>(message.WParam)); return;
    case WM_VSCROLL:
    case WM_HSCROLL: {
        bool vertical = message.Msg == WM_VSCROLL;
        int32_t line = vertical ? 1 : 16;
        int32_t page = vertical ? std::max(VisibleRowCount() - 1, 1) : std::max(ClientWidth(), 1);
        int32_t position = vertical ? topIndex_ : scrollX_;
        switch (LoWord(message.WParam)) {
        case SB_LINEUP: position -= line; break;
        case SB_LINEDOWN: position += line; break;
        case SB_PAGEUP: position -= page; break;
        case SB_PAGEDOWN: position += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = static_cast<int16_t>(HiWord(message.WParam)); break;
        default: return;
        }
        if (vertical)
            SetTopIndex(position);
        else
            Scroll(position - scrollX_, 0);
        return;
    }
    default: break;
    }
    TWinControl::DefaultHandler(message);
}

bool TCustomListView::HandleListMessage(TMessage& message)
{
    auto index = static_cast<int32_t>(static_cast<intptr_t>(message.WParam));
    switch (message.Msg) {
    case LVM_GETBKCOLOR: message.Result = static_cast<LRESULT>(bkColor_); return true;
    case LVM_SETBKCOLOR:
        bkColor_ = static_cast<TColor>(message.LParam);
        Invalidate();
        message.Result = 1;
        return true;
    case LVM_SETTEXTBKCOLOR:
        textBkColor_ = static_cast<TColor>(message.LParam);
        Invalidate();
        message.Result = 1;
        return true;
    case LVM_GETHEADER: message.Result = header_->HandleAllocated() ? header_->Handle() : 0; return true;
    case LVM_GETTOPINDEX: message.Result = topIndex_; return true;
    case LVM_GETCOUNTPERPAGE: message.Result = VisibleRowCount(); return true;
    case LVM_ENSUREVISIBLE:
        EnsureVisible(index);
        message.Result = 1;
        return true;
    case LVM_SCROLL:
        Scroll(index, static_cast<int32_t>(message.LParam));
        message.Result = 1;
        return true;
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT: {
        auto& rect = *reinterpret_cast<TRect*>(message.LParam);
        if (index < 0 || index >= items_.Count())
            return true;
        auto code = static_cast<TDisplayCode>(std::clamp(rect.Left, 0, 3));
        rect = message.Msg == LVM_GETITEMRECT ? ItemDisplayRect(items_.Item(index), code)
                                              : SubItemRect(items_.Item(index), rect.Top, code);
        message.Result = 1;
        return true;
    }
    case LVM_HITTEST: {
        auto& info = *reinterpret_cast<TLVHitTestInfo*>(message.LParam);
        THitTests hits = GetHitTestInfoAt(info.pt.X, info.pt.Y);
        TListItem* item = GetItemAt(info.pt.X, info.pt.Y);
        info.flags = (hits & htOnStateIcon) ? LVHT_ONITEMSTATEICON
            : (hits & htOnIcon)             ? LVHT_ONITEMICON
            : (hits & htOnLabel)            ? LVHT_ONITEMLABEL
            : (hits & htAbove)              ? LVHT_ABOVE
            : (hits & htBelow)              ? LVHT_BELOW
            : (hits & htToLeft)             ? LVHT_TOLEFT
            : (hits & htToRight)            ? LVHT_TORIGHT
                                            : LVHT_NOWHERE;
        info.iItem = item ? item->Index() : -1;
        message.Result = info.iItem;
        return true;
    }
    case LVM_GETCOLUMN: {
        if (index < 0 || index >= columns_.Count())
            return true;
        auto& out = *reinterpret_cast<TLVColumn*>(message.LParam);
        const TListColumn& column = *columns_.Items(index);
        if (out.mask & LVCF_FMT)
            out.fmt = ColumnFormat(column);
        if (out.mask & LVCF_WIDTH)
            out.cx = column.width_;
        if (out.mask & LVCF_TEXT)
            out.text = column.caption_;
        if (out.mask & LVCF_SUBITEM)
            out.iSubItem = index;
        if (out.mask & LVCF_IMAGE)
            out.iImage = column.imageIndex_;
        message.Result = 1;
        return true;
    }
    default: return false;
    }
}

// The header reports clicks and width changes; the columns follow it.
void TCustomListView::HeaderNotify(TMessage& message)
{
    auto& notice = *reinterpret_cast<TNMHeader*>(message.LParam);
    int32_t index = notice.iItem;
    switch (notice.hdr.code) {
    case HDN_ITEMCHANGED:
        if (index >= 0 && index < columns_.Count() && notice.pitem && (notice.pitem->mask & HDI_WIDTH)) {
            columns_.Items(index)->width_ = notice.pitem->cxy;
            UpdateScrollBars();
            Invalidate();
        }
        break;
    case HDN_ITEMCLICK:
        if (columnClick_)
            Notify(LVN_COLUMNCLICK, -1, 0, 0, 0, {}, index);
        break;
    default: break;
    }
    message.Result = 0;
}

// ---- Keys and mouse ----------------------------------------------------------------------

void TCustomListView::HandleKeyDown(uint16_t key)
{
    if (items_.Count() == 0)
        return;
    TListItem* focused = ItemFocused();
    int32_t current = focused ? focused->Index() : -1;
    int32_t page = std::max(VisibleRowCount() - 1, 1);
    switch (key) {
    case VK_UP: FocusAndSelect(std::max(current - 1, 0)); break;
    case VK_DOWN: FocusAndSelect(current + 1); break;
    case VK_PRIOR: FocusAndSelect(std::max(current - page, 0)); break;
    case VK_NEXT: FocusAndSelect(current + page); break;
    case VK_HOME: FocusAndSelect(0); break;
    case VK_END: FocusAndSelect(items_.Count() - 1); break;
    case VK_LEFT: Scroll(-16, 0); break;
    case VK_RIGHT: Scroll(16, 0); break;
    case VK_SPACE:
        if (checkboxes_ && focused)
            focused->SetChecked(!focused->Checked());
        break;
    case KeyF2:
        if (focused)
            BeginLabelEdit(focused, ScreenToClient(GetCursorPos()));
        break;
    default: break;
    }
}

void TCustomListView::FocusAndSelect(int32_t index)
{
    index = std::clamp(index, 0, items_.Count() - 1);
    TListItem* item = items_.Item(index);
    item->SetSelected(true);
    item->SetFocused(true);
    EnsureVisible(index);
}

void TCustomListView::MouseDownAt(TPoint p, TMouseButton button, bool dbl)
{
    if (CanFocus() && !Focused())
        SetFocus();
    THitTests hits = GetHitTestInfoAt(p.X, p.Y);
    TListItem* item = GetItemAt(p.X, p.Y);
    int32_t index = item ? item->Index() : -1;
    // A second click on the selected item edits its caption: on the label, or
    // anywhere on a selected row.
    const bool editClick = button == mbLeft && !dbl && item && item->Selected() &&
        (hits & (rowSelect_ ? htOnItem : htOnLabel)) != 0 && !(hits & htOnStateIcon);
    if (button == mbLeft && (hits & htOnStateIcon) && checkboxes_ && !dbl)
        item->SetChecked(!item->Checked());
    else if (item)
        FocusAndSelect(index);
    else if (button == mbLeft)
        SetSelected(nullptr);
    int32_t code = button == mbRight ? NM_RCLICK : dbl ? NM_DBLCLK : NM_CLICK;
    Notify(code, index, 0, 0, 0, p);
    if (editClick && items_.IndexOf(item) >= 0)
        BeginLabelEdit(item, p);
}

// ---- Label editing --------------------------------------------------------------------------

namespace {

// Enter and Esc end the edit rather than pressing the form's buttons.
class TLabelEditor : public TEdit {
public:
    using TEdit::TEdit;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_GETDLGCODE)
            message.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        else
            TEdit::Dispatch(message);
    }
};

} // namespace

bool TListItem::EditCaption() { return owner_.BeginLabelEdit(this, owner_.ScreenToClient(GetCursorPos())); }

bool TCustomListView::CanEdit(TListItem* item)
{
    bool allow = !readOnly_;
    if (allow && OnEditing)
        OnEditing(this, item, allow);
    return allow;
}

void TCustomListView::Edited(TListItem* item, std::string& text)
{
    if (OnEdited)
        OnEdited(this, item, text);
}

bool TCustomListView::BeginLabelEdit(TListItem* item, TPoint at)
{
    if (editor_ || !item || !HandleAllocated() || Notify(LVN_BEGINLABELEDIT, item->Index(), 0, 0, 0, at) != 0)
        return false;
    EnsureVisible(item->Index());
    editedItem_ = item;
    editor_ = new TLabelEditor(this);
    const TRect label = SubItemRect(item, 0, drLabel);
    editor_->SetBounds(label.Left, label.Top, std::max(label.Width(), 40), label.Height());
    editor_->SetParent(this);
    editor_->SetText(item->Caption());
    editor_->SelectAll();
    editor_->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
        if (key == VK_RETURN || key == VK_ESCAPE) {
            const bool keep = key == VK_RETURN;
            key = 0;
            EndLabelEdit(keep);
        }
    };
    editor_->OnExit = [this](TObject*) { EndLabelEdit(true); };
    if (editor_->CanFocus())
        editor_->SetFocus();
    return true;
}

// The edit may be the one calling: it is hidden now and freed later.
void TCustomListView::EndLabelEdit(bool keepText)
{
    TEdit* editor = std::exchange(editor_, nullptr);
    TListItem* item = std::exchange(editedItem_, nullptr);
    if (!editor)
        return;
    std::string text = editor->Text();
    const bool hadFocus = editor->Focused();
    editor->SetVisible(false);
    retiredEditors_.push_back(editor);
    PostMessage(Handle(), CM_RELEASE);
    if (hadFocus && CanFocus())
        SetFocus();
    if (!keepText || items_.IndexOf(item) < 0)
        return;
    Edited(item, text);
    item->SetCaption(text);
}

// ---- Window and painting ---------------------------------------------------------------------

void TCustomListView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    if (wantVScroll_)
        params.Style |= WS_VSCROLL;
    if (wantHScroll_)
        params.Style |= WS_HSCROLL;
    if (borderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateLayout();
}

void TCustomListView::PaintWindow(TCanvas& canvas)
{
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(bkColor_);
    canvas.FillRect(ClientRect());
    int32_t last = std::min(items_.Count(), topIndex_ + VisibleRowCount() + 1);
    for (int32_t i = topIndex_; i < last; ++i)
        PaintItem(canvas, i);
}

void TCustomListView::PaintItem(TCanvas& canvas, int32_t index)
{
    TListItem* item = items_.Item(index);
    bool highlighted = item->Selected() && (focused_ || !hideSelection_);
    TCustomDrawState state = 0;
    if (item->Selected())
        state |= cdsSelected;
    if (item->Focused() && focused_)
        state |= cdsFocused;
    if (!Enabled())
        state |= cdsDisabled;
    int saved = canvas.SaveDC();
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(textBkColor_);
    if (IsCustomDrawn(dtItem, cdPrePaint)) {
        drawCanvas_ = &canvas;
        bool defaultDraw = CustomDrawItem(item, state, cdPrePaint);
        drawCanvas_ = nullptr;
        if (!defaultDraw) {
            canvas.RestoreDC(saved);
            return;
        }
    }
    TRect row = ItemDisplayRect(item, drBounds);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(row);
    if (highlighted) {
        canvas.Brush()->SetColor(focused_ ? clHighlight : clBtnFace);
        canvas.FillRect(rowSelect_ ? row : SubItemRect(item, 0, drLabel));
    }
    for (int32_t column = 0; column < columns_.Count(); ++column)
        PaintCell(canvas, item, column, highlighted && (rowSelect_ || column == 0));
    if (item->Focused() && focused_) {
        canvas.Brush()->SetColor(clWindow);
        canvas.DrawFocusRect(rowSelect_ ? row : SubItemRect(item, 0, drLabel));
    }
    canvas.RestoreDC(saved);
}

void TCustomListView::PaintCell(TCanvas& canvas, TListItem* item, int32_t column, bool highlighted)
{
    TRect cell = SubItemRect(item, column, drBounds);
    int saved = canvas.SaveDC();
    canvas.IntersectClipRect(cell.Left, cell.Top, cell.Right, cell.Bottom);
    if (column == 0) {
        TRect icon = SubItemRect(item, 0, drIcon);
        if (checkboxes_ && item->stateIndex_ > 0) {
            int32_t top = cell.Top + (cell.Height() - CheckBoxSize) / 2;
            TRect box = Bounds(icon.Left - StateImageWidth() + 1, top, CheckBoxSize, CheckBoxSize);
            DrawFrameControl(canvas, box, DFC_BUTTON,
                             DFCS_BUTTONCHECK | DFCS_FLAT | (item->Checked() ? DFCS_CHECKED : 0));
        }
        if (smallImages_ && item->imageIndex_ >= 0)
            smallImages_->Draw(&canvas, icon.Left, cell.Top + (cell.Height() - smallImages_->Height()) / 2,
                               item->imageIndex_, Enabled());
    }
    std::string text = column == 0              ? item->caption_
        : column - 1 < item->subItems_->Count() ? item->subItems_->Strings(column - 1)
                                                : std::string();
    TRect textRect = InflateRect(SubItemRect(item, column, drLabel), -CellMargin, 0);
    canvas.Brush()->SetStyle(bsClear);
    if (!Enabled())
        canvas.Font()->SetColor(clGrayText);
    else if (highlighted)
        canvas.Font()->SetColor(focused_ ? clHighlightText : clBtnText);
    DrawText(canvas, text, textRect,
             TextAlignment(columns_.Items(column)->alignment_) | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    canvas.RestoreDC(saved);
}
