// The view's public settings that act at once: copying images in, the set
// of mouse interactions and the cursors.

#include "imaging/core/QkBitmap.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/cursors/QkViewCursors.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/WindowSystem.h"

void TBrelvixView::Assign(const TPersistent* source)
{
    if (!source) {
        ClearImage();
        return;
    }
    TQkBitmap& image = *GetImageBitmap();
    if (const auto* view = dynamic_cast<const TBrelvixView*>(source)) {
        auto& other = const_cast<TBrelvixView&>(*view);
        image.Assign(other.GetImageBitmap());
        SetBackground(other.Background());
        SetDpi(other.DpiX(), other.DpiY());
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        image.CopyFromTBitmap(const_cast<TBitmap&>(*bitmap));
        // Only two-colour images keep their depth on the screen.
        if (image.GetPixelFormat() != qk1g && image.GetPixelFormat() != qk24RGB)
            image.ConvertToPixelFormat(qk24RGB);
    } else {
        return;
    }
    Update();
    DoImageChange();
}

namespace {

using enum TQkMouseInteractItem;

// The first rule whose item the new set holds (and, for the first group,
// the old set lacks) reduces the set to the items it keeps.
struct TInteractRule {
    TQkMouseInteractItem Item;
    bool OnlyWhenNew;
    TQkMouseInteract Keeps;
};

const TInteractRule InteractRules[] = {
    {miScroll, true, {miZoom, miScroll}},
    {miSelect, true, {miZoom, miSelect}},
    {miSelectPolygon, true, {miSelectPolygon}},
    {miSelectCircle, true, {miZoom, miSelectCircle}},
    {miSelectLasso, true, {miZoom, miSelectLasso}},
    {miSelectZoom, true, {miZoom, miSelectZoom}},
    {miZoom, true, {miZoom, miScroll, miSelect, miSelectCircle, miSelectZoom, miSelectLasso}},
    {miSelectMagicWand, true, {miSelectMagicWand}},
    {miRotateLayers, false, {miMoveLayers, miRotateLayers}},
    {miMoveLayers, false, {miMoveLayers, miResizeLayers}},
    {miResizeLayers, false, {miMoveLayers, miResizeLayers}},
};

TQkMouseInteract ReduceInteract(TQkMouseInteract value, TQkMouseInteract current)
{
    for (const TInteractRule& rule : InteractRules) {
        if (!value.Contains(rule.Item) || (rule.OnlyWhenNew && current.Contains(rule.Item)))
            continue;
        TQkMouseInteract keeps = rule.Keeps;
        // Moving keeps resizing only when it was asked for.
        if (rule.Item == miMoveLayers && !value.Contains(miResizeLayers))
            keeps.Exclude(miResizeLayers);
        return (value * keeps) + (value * TQkMouseInteract{miMovingScroll});
    }
    return value;
}

} // namespace

void TBrelvixView::SetMouseInteract(TQkMouseInteract value)
{
    if (value == mouseInteract_)
        return;
    const TQkMouseInteract reduced = ReduceInteract(value, mouseInteract_);
    if (!reduced.Contains(miRotateLayers))
        BakeLayerRotations(-1);
    else if (CropLayerBordersOnRotate)
        CropLayerBorders(-1);
    mouseInteract_ = reduced;
    BackBufferDirty = true;
    Invalidate();
}

// ---- Cursors ----

void TBrelvixView::SetCursor(TCursor value)
{
    TCursor cursor = value;
    if (OnSetCursor)
        OnSetCursor(this, cursor);
    savedCursor_ = cursor;
    TCustomControl::SetCursor(cursor);
    ShowViewCursor(cursor);
}

void TBrelvixView::SetTempCursor(TCursor value)
{
    TCursor cursor = value;
    if (OnSetCursor)
        OnSetCursor(this, cursor);
    if (!Owner())
        return;
    TCustomControl::SetCursor(cursor);
    ShowViewCursor(cursor);
}

void TBrelvixView::RestoreCursor() { SetTempCursor(savedCursor_); }

void TBrelvixView::KeyDown(uint16_t& key, TShiftState shift)
{
    TQkView::KeyDown(key, shift);
    if ((shift & ssShift) == 0 || !ShiftAddsSelection)
        return;
    if (Cursor() == crViewSelect)
        SetTempCursor(crViewSelectAdd);
    else if (Cursor() == crViewPolygon)
        SetTempCursor(crViewPolygonAdd);
}

void TBrelvixView::KeyUp(uint16_t& key, TShiftState shift)
{
    TQkView::KeyUp(key, shift);
    if ((shift & ssShift) == 0 && ShiftAddsSelection)
        RestoreCursor();
}

// The view's own cursors are pictures the window layer does not know.
bool TBrelvixView::ShowOwnCursor()
{
    if (!ViewCursorImage(Cursor()))
        return false;
    ShowViewCursor(Cursor());
    return true;
}

void TBrelvixView::ApplyPendingCursor()
{
    if (!cursorPending_ || !Owner())
        return;
    cursorPending_ = false;
    SetCursor(Cursor());
}
