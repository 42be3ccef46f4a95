#include "controls/TarqListVw.h"

#include "controls/TarqFrames.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqShellUtils.h"
#include "platform/core/Strings.h"
#include "platform/ui/HeaderControl.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

namespace {

// Check-box state images as LVN_ITEMCHANGING reports them.
constexpr uint32_t UncheckedState = 0x1000;
constexpr uint32_t CheckedState = 0x2000;
// Asks for one more header-format pass once the header window exists.
constexpr uint32_t WM_UPDATEHEADERFORMATS = WM_USER + 100;
// The platform reports no wheel setting; three lines is the desktop default.
constexpr int32_t WheelScrollLines = 3;

struct TFlagGuard {
    bool& flag;
    explicit TFlagGuard(bool& f) : flag(f) { flag = true; }
    ~TFlagGuard() { flag = false; }
};

std::string ColumnText(const TListItem& item, int32_t column)
{
    if (column == 0)
        return item.Caption();
    const TStrings* subItems = item.SubItems();
    return column - 1 < subItems->Count() ? subItems->Strings(column - 1) : std::string();
}

} // namespace

TTarqCustomListView::TTarqCustomListView(TComponent* owner) : TCustomListView(owner) { RegisterTarqListViewClasses(); }

TTarqCustomListView::~TTarqCustomListView() { MarkDestroying(); }

bool TTarqCustomListView::HasComCtl6() const { return FileVersionMS(CommonControlsVersion()) >= 0x00060000; }

uint64_t TTarqCustomListView::CommonControlsVersion() const { return ComCtlVersion; }

// ---- Colours --------------------------------------------------------------------

void TTarqCustomListView::UpdateColors()
{
    if (IsLoading())
        return;
    colors_.Show(*this, !Enabled() ? colors_.disabled : hot_.focused ? colors_.focus : colors_.normal);
}

void TTarqCustomListView::ColorChanged()
{
    colors_.Adopt(Color());
    if (frame_.visible && !UsesThemes())
        InvalidateFrame();
    Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    Perform(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TTarqCustomListView::SetDisabledColor(TColor value)
{
    colors_.disabled = value;
    if (!Enabled())
        UpdateColors();
    InvalidateFrame();
}

void TTarqCustomListView::SetFocusColor(TColor value)
{
    colors_.focus = value;
    if (hot_.focused)
        UpdateColors();
    InvalidateFrame();
}

// Disabled, every item is custom drawn so that it lies on DisabledColor.
bool TTarqCustomListView::IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage)
{
    if (!Enabled())
        return true;
    return TCustomListView::IsCustomDrawn(target, stage);
}

bool TTarqCustomListView::CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage)
{
    bool defaultDraw = TCustomListView::CustomDrawItem(item, state, stage);
    if (!Enabled() && Canvas()) {
        // Through clNone, so that the brush changes even when it already had
        // the colour.
        Canvas()->Brush()->SetColor(clNone);
        Canvas()->Brush()->SetColor(colors_.disabled);
    }
    return defaultDraw;
}

// ---- Hot state and frame ------------------------------------------------------

void TTarqCustomListView::SetMouseState(TTarqMouseStateKind kind, bool value)
{
    hot_.Set(kind, value);
    if (frame_.hotTrack)
        InvalidateFrame();
    UpdateColors();
}

void TTarqCustomListView::InvalidateFrame()
{
    if (!IsLoading() && HandleAllocated())
        RedrawNonClientFrame(*this, Rect(0, 0, Width(), Height()));
}

void TTarqCustomListView::PaintNonClient(TCanvas& windowCanvas)
{
    TCustomListView::PaintNonClient(windowCanvas);
    frame_.DrawNonClient(windowCanvas, Width(), Height(), Color(), IsHot());
}

void TTarqCustomListView::SetFrameColor(TColor value) { ChangeFrame(frame_.color, value); }
void TTarqCustomListView::SetFrameHotColor(TColor value) { ChangeFrame(frame_.hotColor, value); }
void TTarqCustomListView::SetFrameHotStyle(TFrameStyle value) { ChangeFrame(frame_.hotStyle, value); }
void TTarqCustomListView::SetFrameSides(TSides value) { ChangeFrame(frame_.sides, value); }
void TTarqCustomListView::SetFrameStyle(TFrameStyle value) { ChangeFrame(frame_.style, value); }
void TTarqCustomListView::SetFramingPreference(TFramingPreference value)
{
    ChangeFrame(frame_.framingPreference, value);
}

void TTarqCustomListView::SetFrameHotTrack(bool value)
{
    if (!frame_.TakeHotTrack(value, IsLoading()))
        return;
    if (value)
        SetFrameVisible(true);
    InvalidateFrame();
}

void TTarqCustomListView::SetFrameVisible(bool value)
{
    if (frame_.visible == value)
        return;
    frame_.visible = value;
    if (!linking_ && HandleAllocated())
        RecreateWnd();
}

void TTarqCustomListView::SetFrameController(TTarqFrameController* value)
{
    TFlagGuard guard(linking_);
    frameLink_.Set(value);
}

void TTarqCustomListView::Notification(TComponent* component, TOperation operation)
{
    TCustomListView::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

// ---- Last column ------------------------------------------------------------------

void TTarqCustomListView::SetFillLastColumn(bool value)
{
    if (fillLastColumn_ == value)
        return;
    fillLastColumn_ = value;
    FillLastColumnWidth();
}

void TTarqCustomListView::FillLastColumnWidth() { FillLastColumnWidth(false); }

// Without items the vertical bar may still come, and while loading the items
// are not there yet: leave room for it.
void TTarqCustomListView::FillLastColumnWidth(bool fromLoaded)
{
    const int32_t count = Columns()->Count();
    if (!fillLastColumn_ || ViewStyle() != vsReport || HasState(csDestroying) || count == 0)
        return;
    Items()->BeginUpdate();
    int32_t others = 0;
    for (int32_t i = 0; i < count - 1; ++i)
        others += Column(i)->Width();
    int32_t width = ClientWidth();
    if (Items()->Count() == 0 || fromLoaded)
        width -= ScrollBarSize;
    if (others < width)
        Column(count - 1)->SetWidth(width - others > 4 ? width - others : 5);
    Items()->EndUpdate();
}

void TTarqCustomListView::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    const bool changed = left != Left() || top != Top() || width != Width() || height != Height();
    TCustomListView::SetBounds(left, top, width, height);
    if (changed && HandleAllocated())
        FillLastColumnWidth();
}

// ---- Sorting ------------------------------------------------------------------------

int32_t TTarqCustomListView::CompareAscending(const TListItem* item1, const TListItem* item2, int32_t column)
{
    if (!item1 || !item2 || column < 0)
        return 0;
    const std::string text1 = ColumnText(*item1, column);
    const std::string text2 = ColumnText(*item2, column);
    const int32_t result = CompareText(text1, text2);
    if (result > 0 && text2.empty())
        return -1;
    if (result < 0 && text1.empty())
        return 1;
    return result;
}

void TTarqCustomListView::ColClick(TListColumn* column)
{
    if (alphaSortAll_ && column) {
        const int32_t index = column->Index();
        const bool descending = index == lastSortedColumn_;
        SortBy(index, descending);
        lastSortedColumn_ = descending ? -1 : index;
    }
    TCustomListView::ColClick(column);
}

void TTarqCustomListView::SortBy(int32_t column, bool descending)
{
    SetSortColumn(column);
    SetSortDescending(descending);
    CustomSort(
        [descending](TListItem* a, TListItem* b, intptr_t data) {
            const int32_t result = CompareAscending(a, b, static_cast<int32_t>(data));
            return descending ? -result : result;
        },
        column);
}

void TTarqCustomListView::SetSortColumn(int32_t value)
{
    if (sortColumn_ == value)
        return;
    InvalidateHeaderItem(sortColumn_);
    sortColumn_ = value;
    InvalidateHeaderItem(sortColumn_);
    if (HasComCtl6() && Header()->HandleAllocated())
        UpdateHeaderFormats();
}

void TTarqCustomListView::SetSortDescending(bool value)
{
    if (sortDescending_ == value)
        return;
    sortDescending_ = value;
    InvalidateHeaderItem(sortColumn_);
    if (HasComCtl6()) {
        UpdateHeaderFormats();
        Header()->Update();
    }
}

// ---- Check boxes ----------------------------------------------------------------------

void TTarqCustomListView::DoCheckStateChanging(TListItem* item, bool toBeChecked, bool& allowChange)
{
    if (OnCheckStateChanging)
        OnCheckStateChanging(this, item, toBeChecked, allowChange);
}

void TTarqCustomListView::DoCheckStateChange(TListItem* item)
{
    if (OnCheckStateChange)
        OnCheckStateChange(this, item);
}

void TTarqCustomListView::CheckBoxNotify(TMessage& message)
{
    const auto& notice = *reinterpret_cast<const TNMListView*>(message.LParam);
    const bool checkState = notice.uNewState == CheckedState || notice.uNewState == UncheckedState;
    if (!Checkboxes() || !checkState || notice.iItem < 0 || notice.iItem >= Items()->Count())
        return;
    TListItem* item = Items()->Item(notice.iItem);
    if (notice.hdr.code == LVN_ITEMCHANGING && message.Result == 0) {
        bool allow = true;
        DoCheckStateChanging(item, notice.uNewState == CheckedState, allow);
        if (!allow)
            message.Result = 1;
    } else if (notice.hdr.code == LVN_ITEMCHANGED) {
        DoCheckStateChange(item);
    }
}

// ---- Window and messages ------------------------------------------------------------

void TTarqCustomListView::Loaded()
{
    TCustomListView::Loaded();
    UpdateColors();
    SetMouseState(msFocus, false);
    FillLastColumnWidth(true);
}

void TTarqCustomListView::CreateWnd()
{
    TCustomListView::CreateWnd();
    Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    Perform(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    UpdateHeaderFormats();
    PostMessage(Handle(), WM_UPDATEHEADERFORMATS, 0, 0);
}

void TTarqCustomListView::SetViewStyle(TViewStyle value)
{
    TCustomListView::SetViewStyle(value);
    if (value == vsReport)
        UpdateHeaderFormats();
}

// The header's sections are rebuilt with plain formats whenever the columns
// change; the formats are put right before the header paints.
void TTarqCustomListView::PaintWindow(TCanvas& canvas)
{
    if (!HeaderFormatsCurrent())
        UpdateHeaderFormats();
    TCustomListView::PaintWindow(canvas);
}

// OnMouseWheel still has the first say; the list then scrolls by itself.
bool TTarqCustomListView::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    const int32_t step = ViewStyle() == vsIcon ? 32 : 16;
    const int32_t distance = WheelScrollLines * step;
    Scroll(0, wheelDelta < 0 ? distance : -distance);
    return true;
}

void TTarqCustomListView::LabelEditNotify(TMessage& message)
{
    const auto& notice = *reinterpret_cast<const TNMListView*>(message.LParam);
    if (notice.hdr.code != LVN_BEGINLABELEDIT || message.Result != 0 || ViewStyle() != vsReport || !RowSelect() ||
        editOnRowClick_)
        return;
    const bool known = notice.iItem >= 0 && notice.iItem < Items()->Count();
    if (!known || !PtInRect(Items()->Item(notice.iItem)->DisplayRect(drLabel), notice.ptAction))
        message.Result = 1;
}

void TTarqCustomListView::Dispatch(TMessage& message)
{
    const auto inherited = [this](TMessage& routed) { TCustomListView::Dispatch(routed); };
    const auto setMouseState = [this](TTarqMouseStateKind kind, bool value) { SetMouseState(kind, value); };
    if (DispatchHotMessage(*this, message, inherited, setMouseState))
        return;
    switch (message.Msg) {
    case CN_NOTIFY:
        if (reinterpret_cast<const TNMHdr*>(message.LParam)->code == NM_RCLICK)
            RightClickNotify(*reinterpret_cast<const TNMListView*>(message.LParam));
        TCustomListView::Dispatch(message);
        CheckBoxNotify(message);
        LabelEditNotify(message);
        break;
    case WM_CONTEXTMENU: ContextMenuRequest(message); break;
    case WM_RBUTTONUP: RightButtonUp(message); break;
    case WM_NOTIFY:
        TCustomListView::Dispatch(message);
        if (Header()->HandleAllocated() &&
            reinterpret_cast<const TNMHdr*>(message.LParam)->hwndFrom == Header()->Handle())
            HeaderNotify(message);
        break;
    case WM_DRAWITEM: {
        auto& draw = *reinterpret_cast<TDrawItemStruct*>(message.LParam);
        if (draw.CtlType != ODT_HEADER) {
            TCustomListView::Dispatch(message);
            break;
        }
        DrawHeaderItem(draw);
        message.Result = 1;
        break;
    }
    case WM_UPDATEHEADERFORMATS: UpdateHeaderFormats(); break;
    case CM_ENABLEDCHANGED:
        TCustomListView::Dispatch(message);
        UpdateColors();
        break;
    case CM_COLORCHANGED:
        TCustomListView::Dispatch(message);
        ColorChanged();
        break;
    case CM_SYSCOLORCHANGE:
        TCustomListView::Dispatch(message);
        if (static_cast<int32_t>(Color()) < 0)
            Perform(CM_COLORCHANGED);
        break;
    case CM_PARENTCOLORCHANGED:
        TCustomListView::Dispatch(message);
        if (frame_.visible)
            InvalidateFrame();
        break;
    case WM_SIZE:
        TCustomListView::Dispatch(message);
        if (frame_.visible && !UsesThemes())
            InvalidateFrame();
        break;
    default: TCustomListView::Dispatch(message); break;
    }
}

void TTarqCustomListView::HeaderNotify(TMessage& message)
{
    switch (reinterpret_cast<const TNMHdr*>(message.LParam)->code) {
    case HDN_ENDTRACK:
    case HDN_DIVIDERDBLCLICK: FillLastColumnWidth(); break;
    default: break;
    }
    switch (reinterpret_cast<const TNMHdr*>(message.LParam)->code) {
    case HDN_BEGINTRACK:
    case HDN_ENDTRACK:
    case HDN_ITEMCHANGED:
        UpdateHeaderFormats();
        if (frame_.visible)
            Invalidate();
        break;
    case HDN_ITEMCLICK: Header()->Invalidate(); break;
    default: break;
    }
}

TTarqListView::TTarqListView(TComponent* owner) : TTarqCustomListView(owner) {}
