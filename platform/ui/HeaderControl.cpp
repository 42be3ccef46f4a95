#include "platform/ui/HeaderControl.h"

#include <algorithm>

#include "platform/gfx/DrawText.h"
#include "platform/gfx/Frames.h"
#include "platform/gfx/ImageList.h"

THeaderControl::THeaderControl(TComponent* owner) : TCustomControl(owner)
{
    color_ = clBtnFace;
    parentColor_ = false;
    SetBounds(0, 0, 100, 17);
}

// ---- Sections -------------------------------------------------------------------------

void THeaderControl::InsertSection(int32_t index, const THDItem& item)
{
    index = std::clamp(index, 0, SectionCount());
    items_.insert(items_.begin() + index, item);
    Invalidate();
}

void THeaderControl::DeleteSection(int32_t index)
{
    if (index < 0 || index >= SectionCount())
        return;
    items_.erase(items_.begin() + index);
    hotIndex_ = pressedIndex_ = trackIndex_ = -1;
    Invalidate();
}

void THeaderControl::SetSectionWidth(int32_t index, int32_t width)
{
    if (index < 0 || index >= SectionCount())
        return;
    width = std::max(width, 0);
    THDItem& item = items_[static_cast<size_t>(index)];
    if (item.cxy == width)
        return;
    item.cxy = width;
    Invalidate();
    NotifyParent(HDN_ITEMCHANGED, index);
    if (OnSectionResize)
        OnSectionResize(this, index);
}

void THeaderControl::SetOffsetX(int32_t value)
{
    if (offsetX_ == value)
        return;
    offsetX_ = value;
    Invalidate();
}

void THeaderControl::SetImages(TCustomImageList* value)
{
    if (images_.Set(value))
        Invalidate();
}

void THeaderControl::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    images_.Forget(component, operation);
}

TRect THeaderControl::SectionRect(int32_t index) const
{
    int32_t left = -offsetX_;
    for (int32_t i = 0; i < index && i < SectionCount(); ++i)
        left += items_[static_cast<size_t>(i)].cxy;
    int32_t width = index >= 0 && index < SectionCount() ? items_[static_cast<size_t>(index)].cxy : 0;
    return Rect(left, 0, left + width, ClientHeight());
}

// A divider is grabbed a few pixels either side of a section's right edge;
// where two could be grabbed, the later section wins, so that a section
// squeezed to nothing can be widened again.
int32_t THeaderControl::HitTest(TPoint p, uint32_t* flags) const
{
    uint32_t found = HHT_NOWHERE;
    int32_t index = -1;
    if (p.Y >= 0 && p.Y < ClientHeight()) {
        for (int32_t i = 0; i < SectionCount(); ++i) {
            TRect r = SectionRect(i);
            if (std::abs(p.X - r.Right) <= DividerGrip) {
                found = HHT_ONDIVIDER;
                index = i;
            } else if (found != HHT_ONDIVIDER && p.X >= r.Left && p.X < r.Right) {
                found = HHT_ONHEADER;
                index = i;
            }
        }
    }
    if (flags)
        *flags = found;
    return index;
}

// ---- Messages --------------------------------------------------------------------------

LRESULT THeaderControl::NotifyParent(int32_t code, int32_t index)
{
    THDItem item;
    if (index >= 0 && index < SectionCount()) {
        item = items_[static_cast<size_t>(index)];
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_IMAGE;
    }
    TNMHeader notice;
    notice.hdr.hwndFrom = HandleAllocated() ? handle_ : 0;
    notice.hdr.code = code;
    notice.iItem = index;
    notice.pitem = &item;
    if (parent_)
        return parent_->Perform(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    return 0;
}

void THeaderControl::Dispatch(TMessage& message)
{
    if (HandleHeaderMessage(message))
        return;
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: MouseDownAt(LParamToPoint(message.LParam), message.Msg == WM_LBUTTONDBLCLK); break;
    case WM_MOUSEMOVE: MouseMoveAt(LParamToPoint(message.LParam)); break;
    case WM_LBUTTONUP: MouseUpAt(LParamToPoint(message.LParam)); break;
    case CM_MOUSELEAVE: SetHotIndex(-1); break;
    case WM_SETCURSOR:
        if (static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam))) == HTCLIENT) {
            uint32_t flags = 0;
            HitTest(ScreenToClient(GetCursorPos()), &flags);
            if (flags == HHT_ONDIVIDER || trackIndex_ >= 0) {
                SetCursorShape(crSizeWE);
                message.Result = 1;
                return;
            }
        }
        break;
    default: break;
    }
    TCustomControl::Dispatch(message);
}

bool THeaderControl::HandleHeaderMessage(TMessage& message)
{
    auto index = static_cast<int32_t>(static_cast<intptr_t>(message.WParam));
    switch (message.Msg) {
    case HDM_GETITEMCOUNT: message.Result = SectionCount(); return true;
    case HDM_INSERTITEM:
        InsertSection(index, *reinterpret_cast<const THDItem*>(message.LParam));
        message.Result = std::clamp(index, 0, SectionCount() - 1);
        return true;
    case HDM_DELETEITEM:
        message.Result = index >= 0 && index < SectionCount() ? 1 : 0;
        DeleteSection(index);
        return true;
    case HDM_GETITEM: {
        if (index < 0 || index >= SectionCount())
            return true;
        auto& out = *reinterpret_cast<THDItem*>(message.LParam);
        const THDItem& item = items_[static_cast<size_t>(index)];
        if (out.mask & HDI_WIDTH)
            out.cxy = item.cxy;
        if (out.mask & HDI_TEXT)
            out.text = item.text;
        if (out.mask & HDI_FORMAT)
            out.fmt = item.fmt;
        if (out.mask & HDI_IMAGE)
            out.iImage = item.iImage;
        if (out.mask & HDI_LPARAM)
            out.lParam = item.lParam;
        message.Result = 1;
        return true;
    }
    case HDM_SETITEM: {
        if (index < 0 || index >= SectionCount())
            return true;
        const auto& in = *reinterpret_cast<const THDItem*>(message.LParam);
        THDItem& item = items_[static_cast<size_t>(index)];
        if (in.mask & HDI_TEXT)
            item.text = in.text;
        if (in.mask & HDI_FORMAT)
            item.fmt = in.fmt;
        if (in.mask & HDI_IMAGE)
            item.iImage = in.iImage;
        if (in.mask & HDI_LPARAM)
            item.lParam = in.lParam;
        Invalidate();
        if (in.mask & HDI_WIDTH)
            SetSectionWidth(index, in.cxy);
        message.Result = 1;
        return true;
    }
    case HDM_HITTEST: {
        auto& info = *reinterpret_cast<THDHitTestInfo*>(message.LParam);
        info.iItem = HitTest(info.pt, &info.flags);
        message.Result = info.iItem;
        return true;
    }
    case HDM_GETITEMRECT:
        if (index < 0 || index >= SectionCount())
            return true;
        *reinterpret_cast<TRect*>(message.LParam) = SectionRect(index);
        message.Result = 1;
        return true;
    default: return false;
    }
}

// ---- Mouse ------------------------------------------------------------------------------

void THeaderControl::SetHotIndex(int32_t index)
{
    if (hotIndex_ == index)
        return;
    hotIndex_ = index;
    Invalidate();
}

void THeaderControl::MouseDownAt(TPoint p, bool dbl)
{
    uint32_t flags = 0;
    int32_t index = HitTest(p, &flags);
    if (flags == HHT_ONDIVIDER) {
        if (dbl) {
            NotifyParent(HDN_DIVIDERDBLCLICK, index);
            return;
        }
        if (NotifyParent(HDN_BEGINTRACK, index) != 0)
            return;
        trackIndex_ = index;
        trackGrab_ = p.X - SectionRect(index).Right;
        return;
    }
    if (flags == HHT_ONHEADER && buttons_) {
        pressed_ = true;
        pressedInside_ = true;
        pressedIndex_ = index;
        Invalidate();
    }
}

void THeaderControl::MouseMoveAt(TPoint p)
{
    if (trackIndex_ >= 0) {
        int32_t width = p.X - trackGrab_ - SectionRect(trackIndex_).Left;
        NotifyParent(HDN_TRACK, trackIndex_);
        SetSectionWidth(trackIndex_, width);
        return;
    }
    if (pressed_) {
        bool inside = HitTest(p) == pressedIndex_;
        if (inside != pressedInside_) {
            pressedInside_ = inside;
            Invalidate();
        }
        return;
    }
    uint32_t flags = 0;
    int32_t index = HitTest(p, &flags);
    SetHotIndex(flags == HHT_ONHEADER ? index : -1);
}

void THeaderControl::MouseUpAt(TPoint p)
{
    if (trackIndex_ >= 0) {
        int32_t index = trackIndex_;
        trackIndex_ = -1;
        NotifyParent(HDN_ENDTRACK, index);
        return;
    }
    if (!pressed_)
        return;
    bool clicked = pressedInside_ && HitTest(p) == pressedIndex_;
    int32_t index = pressedIndex_;
    pressed_ = false;
    pressedIndex_ = -1;
    Invalidate();
    if (!clicked)
        return;
    NotifyParent(HDN_ITEMCLICK, index);
    if (OnSectionClick)
        OnSectionClick(this, index);
}

// ---- Painting ---------------------------------------------------------------------------

void THeaderControl::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect client = ClientRect();
    int32_t end = SectionRect(SectionCount() - 1).Right;
    if (SectionCount() == 0)
        end = -offsetX_;
    TRect rest = Rect(std::max(end, client.Left), client.Top, client.Right, client.Bottom);
    if (rest.Right > rest.Left) {
        canvas.Brush()->SetColor(clBtnFace);
        canvas.FillRect(rest);
        DrawEdge(canvas, rest, EDGE_RAISED, BF_RECT);
    }
    for (int32_t i = 0; i < SectionCount(); ++i)
        PaintSection(canvas, i);
}

void THeaderControl::PaintSection(TCanvas& canvas, int32_t index)
{
    const THDItem& item = items_[static_cast<size_t>(index)];
    TRect r = SectionRect(index);
    if (r.Right <= 0 || r.Left >= ClientWidth() || r.Width() == 0)
        return;
    bool pressed = PressedIndex() == index;
    int saved = canvas.SaveDC();
    canvas.IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
    if (item.fmt & HDF_OWNERDRAW) {
        TDrawItemStruct draw;
        draw.CtlType = ODT_HEADER;
        draw.itemID = index;
        draw.itemState = (pressed ? ODS_SELECTED : 0) | (hotIndex_ == index ? ODS_HOTLIGHT : 0);
        draw.hwndItem = HandleAllocated() ? handle_ : 0;
        draw.hDC = &canvas;
        draw.rcItem = r;
        draw.itemData = static_cast<uintptr_t>(item.lParam);
        if (parent_)
            parent_->Perform(WM_DRAWITEM, draw.hwndItem, reinterpret_cast<LPARAM>(&draw));
        canvas.RestoreDC(saved);
        return;
    }
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(r);
    TRect edge = r;
    DrawEdge(canvas, edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | (pressed ? BF_FLAT : 0));
    TRect text = InflateRect(r, -6, -2);
    if (pressed)
        text = OffsetRect(text, 1, 1);
    if ((item.fmt & HDF_IMAGE) && images_ && item.iImage >= 0) {
        images_->Draw(&canvas, text.Left, text.Top + (text.Height() - images_->Height()) / 2, item.iImage);
        text.Left += images_->Width() + 4;
    }
    uint32_t align = (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT
        : (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER           ? DT_CENTER
                                                               : DT_LEFT;
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsClear);
    DrawText(canvas, item.text, text, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    canvas.RestoreDC(saved);
}
