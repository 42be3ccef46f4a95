// The list view's header items: formats for the sort display mode and the
// owner drawing of captions, images and the sort arrow.

#include "controls/TarqListVw.h"

#include "controls/TarqShellUtils.h"
#include "platform/core/Strings.h"
#include "platform/gfx/DrawText.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/HeaderControl.h"
#include "platform/ui/Themes.h"

namespace {

// Below 4.70 the common controls cannot owner-draw header items.
constexpr uint32_t OwnerDrawnHeaderVersion = 0x00040046;
constexpr int32_t ArrowGap = 5;

// The square-ish box the sort arrow is drawn in, left-aligned at `left`.
TRect ArrowBox(int32_t left, int32_t top, int32_t bottom)
{
    const int32_t size = (top + bottom) / 2 - 1;
    const int32_t boxTop = (top + bottom - size) / 2 - 1;
    return Rect(left, boxTop, left + size + 1, boxTop + size);
}

TRect MoveBoxInsideRight(const TRect& box, int32_t right) { return OffsetRect(box, right - ArrowGap - box.Right, 0); }

uint32_t TextAlignmentOf(int32_t format)
{
    switch (format & 3) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
    }
}

} // namespace

// ---- Formats ---------------------------------------------------------------------

int32_t TTarqCustomListView::HeaderFormatFor(int32_t column, int32_t format) const
{
    const int32_t alignment = format & HDF_JUSTIFYMASK;
    if (headerSortDisplayMode_ != hsdmNone)
        return alignment | HDF_OWNERDRAW;
    auto* self = const_cast<TTarqCustomListView*>(this);
    const bool image = self->Column(column)->ImageIndex() >= 0 && SmallImages();
    return alignment | HDF_STRING | (image ? HDF_IMAGE : 0);
}

bool TTarqCustomListView::HeaderFormatsCurrent() const
{
    if (ViewStyle() != vsReport || !HandleAllocated())
        return true;
    const THeaderControl& header = *Header();
    for (int32_t i = 0; i < header.SectionCount(); ++i)
        if (header.Section(i).fmt != HeaderFormatFor(i, header.Section(i).fmt))
            return false;
    return true;
}

void TTarqCustomListView::UpdateHeaderFormats()
{
    if (!HandleAllocated() || ViewStyle() != vsReport || headerUpdateDepth_ > 0)
        return;
    ++headerUpdateDepth_;
    THeaderControl& header = *Header();
    for (int32_t i = header.SectionCount() - 1; i >= 0; --i) {
        THDItem item;
        item.mask = HDI_FORMAT;
        header.Perform(HDM_GETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt = HeaderFormatFor(i, item.fmt);
        header.Perform(HDM_SETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    RepaintHeader();
    --headerUpdateDepth_;
}

void TTarqCustomListView::SetHeaderSortDisplayMode(TTarqLVHeaderSortDisplayMode value)
{
    if (headerSortDisplayMode_ == value)
        return;
    headerSortDisplayMode_ = FileVersionMS(CommonControlsVersion()) >= OwnerDrawnHeaderVersion ? value : hsdmNone;
    UpdateHeaderFormats();
    RepaintHeader();
}

void TTarqCustomListView::SetHeaderDefaultDrawing(bool value)
{
    if (headerDefaultDrawing_ == value)
        return;
    headerDefaultDrawing_ = value;
    RepaintHeader();
}

void TTarqCustomListView::RepaintHeader()
{
    if (Header()->HandleAllocated())
        Header()->Invalidate();
}

void TTarqCustomListView::InvalidateHeaderItem(int32_t index)
{
    if (index < 0 || !Header()->HandleAllocated())
        return;
    TRect rect;
    if (Header()->Perform(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != 0)
        Header()->InvalidateRect(rect, true);
}

// ---- Drawing -----------------------------------------------------------------------

void TTarqCustomListView::DrawHeaderItem(TDrawItemStruct& draw)
{
    TCanvas& canvas = *draw.hDC;
    const int saved = canvas.SaveDC();
    canvas.Font()->Assign(Font());
    canvas.Font()->SetColor(clBtnText);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    TRect bounds = draw.rcItem;
    if (!ThemeServices()->ThemesEnabled()) {
        canvas.FillRect(bounds);
        bounds = InflateRect(bounds, -2, -2);
    }
    if (headerDefaultDrawing_)
        DrawHeaderItemContents(canvas, draw.itemID, bounds);
    canvas.RestoreDC(saved);
}

void TTarqCustomListView::DrawSortArrow(TCanvas& canvas, int32_t index, const TRect& box)
{
    if (index != sortColumn_ || 2 * box.Width() >= Column(index)->Width())
        return;
    const int32_t height = box.Height() * 3 / 4;
    const int32_t centre = box.Left + box.Width() / 2;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnShadow);
    for (int32_t row = 0; row < height; ++row) {
        // Row 0 is the apex.
        const int32_t y = sortDescending_ ? box.Bottom - 1 - row : box.Bottom - height + row;
        canvas.FillRect(Rect(centre - row, y, centre + row + 1, y + 1));
    }
}

void TTarqCustomListView::DrawHeaderItemContents(TCanvas& canvas, int32_t index, const TRect& bounds)
{
    const bool themed = ThemeServices()->ThemesEnabled();
    if (themed) {
        THeaderControl& header = *Header();
        const int32_t state = header.PressedIndex() == index ? HIS_PRESSED
            : header.HotIndex() == index                     ? HIS_HOT
                                                             : HIS_NORMAL;
        ThemeServices()->DrawElement(
            canvas, ThemeServices()->GetElementDetails(TThemedClass::Header, HP_HEADERITEM, state), bounds, nullptr);
    }
    TRect text = themed ? InflateRect(bounds, -2, -2) : bounds;
    text.Left += 4;
    text.Right -= 4;
    canvas.IntersectClipRect(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);

    TLVColumn column;
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_IMAGE;
    Perform(LVM_GETCOLUMN, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    const std::string caption = Utf8Copy(column.text, 0, 255);
    const uint32_t alignment = TextAlignmentOf(column.fmt);
    const bool sorted = index == sortColumn_;

    if (SmallImages() && column.iImage >= 0) {
        SmallImages()->Draw(&canvas, text.Left, text.Top, column.iImage);
        text.Left += SmallImages()->Width() + 4;
    }
    canvas.Brush()->SetStyle(themed ? bsClear : bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    const uint32_t format = alignment | DT_SINGLELINE | DT_END_ELLIPSIS;

    switch (headerSortDisplayMode_) {
    case hsdmNone: break;
    case hsdmLeftAlign:
        if (sorted && Column(index)->Width() > 15) {
            const TRect box = ArrowBox(text.Left, text.Top, text.Bottom);
            DrawSortArrow(canvas, index, box);
            text.Left = box.Right + ArrowGap;
        }
        break;
    case hsdmRightOfText:
        if (alignment == DT_LEFT) {
            DrawText(canvas, caption, text, format);
            TRect measured = text;
            DrawText(canvas, caption, measured, format | DT_CALCRECT);
            measured = OffsetRect(measured, measured.Width() + ArrowGap, 0);
            DrawSortArrow(canvas, index, ArrowBox(measured.Left, measured.Top, measured.Bottom));
            return;
        }
        if (sorted) {
            text.Bottom = text.Top + canvas.TextHeight(caption.empty() ? std::string("Wg") : caption);
            const TRect box = MoveBoxInsideRight(ArrowBox(text.Left, text.Top, text.Bottom), text.Right);
            DrawSortArrow(canvas, index, box);
            if (alignment == DT_RIGHT) {
                text.Right = box.Left - ArrowGap;
            } else {
                text.Left += box.Width() + ArrowGap;
                text.Right -= box.Width() + ArrowGap;
            }
        }
        break;
    case hsdmRightAlign: {
        const TRect box = MoveBoxInsideRight(ArrowBox(text.Left, text.Top, text.Bottom), text.Right);
        DrawSortArrow(canvas, index, box);
        if (sorted)
            text.Right = box.Left - ArrowGap;
        break;
    }
    }
    canvas.Brush()->SetStyle(themed ? bsClear : bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    DrawText(canvas, caption, text, format);
}
