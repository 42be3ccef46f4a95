// The selection's storage as a stream: saved for undo and to carry a
// selection from one layer to another, and the stack of saved selections.
// Every number is little-endian; a stream that does not hold a whole,
// possible record is refused before anything changes.

#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/BrelvixView.h"

namespace {

// Bytes of the record before its points, and after them before the rows.
constexpr int64_t HeadBytes = 12;
constexpr int64_t TailBytes = 46;
// Mask sides beyond this are not a selection of any image the view shows.
constexpr int32_t MaxMaskSide = 1 << 24;

void PutInt32(std::vector<uint8_t>& out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int32_t i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

int32_t GetInt32(const uint8_t* at)
{
    uint32_t bits = 0;
    for (int32_t i = 3; i >= 0; --i)
        bits = (bits << 8) | at[i];
    return static_cast<int32_t>(bits);
}

void PutRect(std::vector<uint8_t>& out, const TRect& rect)
{
    PutInt32(out, rect.Left);
    PutInt32(out, rect.Top);
    PutInt32(out, rect.Right);
    PutInt32(out, rect.Bottom);
}

TRect GetRect(const uint8_t* at) { return {GetInt32(at), GetInt32(at + 4), GetInt32(at + 8), GetInt32(at + 12)}; }

int64_t MaskRowLength(int32_t width, int32_t bitsPerPixel) { return (int64_t(width) * bitsPerPixel + 31) / 32 * 4; }

// Reads exactly `count` bytes, or fails.
bool ReadExactly(TStream& stream, void* buffer, int64_t count)
{
    return count == 0 || stream.Read(buffer, count) == count;
}

} // namespace

// A record read whole before it is applied.
struct TBrelvixView::TStoredSelection {
    int32_t MaskWidth = 0;
    int32_t MaskHeight = 0;
    std::vector<TPoint> Points;
    TRect Bounds{};
    bool Selected = false;
    int32_t LayerLeft = 0;
    int32_t LayerTop = 0;
    int32_t BitsPerPixel = 1;
    bool Full = false;
    std::vector<uint8_t> Rows;
};

void TBrelvixView::SetSelectionPolygon(std::vector<TPoint> points)
{
    selectionPoints_ = std::move(points);
    selectionBounds_ = TRect{};
    bool first = true;
    for (const TPoint& p : selectionPoints_) {
        if (p.X == MaskPolygonSeparator)
            continue;
        if (first) {
            selectionBounds_ = Rect(p.X, p.Y, p.X, p.Y);
            first = false;
        }
        selectionBounds_.Left = std::min(selectionBounds_.Left, p.X);
        selectionBounds_.Top = std::min(selectionBounds_.Top, p.Y);
        selectionBounds_.Right = std::max(selectionBounds_.Right, p.X);
        selectionBounds_.Bottom = std::max(selectionBounds_.Bottom, p.Y);
    }
}

void TBrelvixView::ApplySelectionToMask()
{
    selectionMask_.DrawPolygons(1, selectionPoints_.data(), GetSelectionPolygonCount());
    selectionMask_.UpdateBounds();
    selected_ = !selectionMask_.IsEmpty();
    if (!selected_)
        selectionPoints_.clear();
}

void TBrelvixView::Deselect()
{
    selected_ = false;
    selectionPoints_.clear();
    selectionBounds_ = TRect{};
    selectionMask_.Empty();
    UpdateReason = qkurSelection;
    Update();
}

void TBrelvixView::SaveSelectionToStream(TMemoryStream& stream)
{
    std::vector<uint8_t> out;
    PutInt32(out, selectionMask_.Width());
    PutInt32(out, selectionMask_.Height());
    PutInt32(out, GetSelectionPolygonCount());
    for (const TPoint& p : selectionPoints_) {
        PutInt32(out, p.X);
        PutInt32(out, p.Y);
    }
    PutRect(out, selectionBounds_);
    out.push_back(selected_ ? 1 : 0);
    const TQkLayer& layer = Layer(currentLayer_);
    PutInt32(out, layer.Left);
    PutInt32(out, layer.Top);
    PutInt32(out, selectionMask_.BitsPerPixel());
    PutRect(out, Rect(selectionMask_.Left(), selectionMask_.Top(), selectionMask_.Right(), selectionMask_.Bottom()));
    out.push_back(selectionMask_.Full() ? 1 : 0);
    const int64_t rowLength = MaskRowLength(selectionMask_.Width(), selectionMask_.BitsPerPixel());
    // Rows as the mask stores them: bottom-up.
    for (int32_t y = selectionMask_.Height() - 1; y >= 0; --y) {
        const uint8_t* row = selectionMask_.GetScanline(y);
        out.insert(out.end(), row, row + rowLength);
    }
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

bool TBrelvixView::ReadStoredSelection(TStream& stream, TStoredSelection& stored)
{
    const int64_t available = stream.Size() - stream.Position();
    uint8_t head[HeadBytes];
    if (available < HeadBytes + TailBytes || !ReadExactly(stream, head, HeadBytes))
        return false;
    stored.MaskWidth = GetInt32(head);
    stored.MaskHeight = GetInt32(head + 4);
    const int32_t count = GetInt32(head + 8);
    if (stored.MaskWidth < 0 || stored.MaskHeight < 0 || stored.MaskWidth > MaxMaskSide ||
        stored.MaskHeight > MaxMaskSide || count < 0 || count > (available - HeadBytes - TailBytes) / 8)
        return false;
    std::vector<uint8_t> points(size_t(count) * 8);
    uint8_t tail[TailBytes];
    if (!ReadExactly(stream, points.data(), int64_t(points.size())) || !ReadExactly(stream, tail, TailBytes))
        return false;
    for (int32_t i = 0; i < count; ++i)
        stored.Points.push_back({GetInt32(&points[size_t(i) * 8]), GetInt32(&points[size_t(i) * 8 + 4])});
    stored.Bounds = GetRect(tail);
    stored.Selected = tail[16] != 0;
    stored.LayerLeft = GetInt32(tail + 17);
    stored.LayerTop = GetInt32(tail + 21);
    stored.BitsPerPixel = GetInt32(tail + 25);
    stored.Full = tail[45] != 0;
    if (stored.BitsPerPixel != 1 && stored.BitsPerPixel != 8)
        return false;
    const int64_t rowsSize = MaskRowLength(stored.MaskWidth, stored.BitsPerPixel) * stored.MaskHeight;
    if (rowsSize > stream.Size() - stream.Position())
        return false;
    stored.Rows.resize(size_t(rowsSize));
    return ReadExactly(stream, stored.Rows.data(), rowsSize);
}

bool TBrelvixView::LoadSelectionFromStream(TStream& stream, int32_t mode)
{
    const int64_t start = stream.Position();
    TStoredSelection stored;
    if (!ReadStoredSelection(stream, stored)) {
        stream.SetPosition(start);
        return false;
    }
    SetSelectionPolygon(std::move(stored.Points));
    selectionBounds_ = stored.Bounds;
    selectionMask_.AllocateBits(stored.MaskWidth, stored.MaskHeight, stored.BitsPerPixel);
    const int64_t rowLength = MaskRowLength(stored.MaskWidth, stored.BitsPerPixel);
    for (int32_t y = 0; y < stored.MaskHeight && rowLength > 0; ++y)
        std::memcpy(selectionMask_.GetScanline(stored.MaskHeight - 1 - y), stored.Rows.data() + y * rowLength,
                    size_t(rowLength));
    selectionMask_.UpdateBounds();
    selectionMask_.SetFull(stored.Full);
    BeginUpdateLock();
    FitLoadedSelection(stored, mode);
    selected_ = !selectionMask_.IsEmpty();
    if (!selected_) {
        selectionPoints_.clear();
        selectionBounds_ = TRect{};
    }
    EndUpdateLock();
    Update();
    return true;
}

// The loaded mask over the current image: moved onto another layer
// (mode 2), kept inside the image (mode 1) or cut to it.
void TBrelvixView::FitLoadedSelection(const TStoredSelection& stored, int32_t mode)
{
    TQkBitmap& image = *GetImageBitmap();
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    if (mode == 2) {
        selectionPoints_.clear();
        MoveMaskOntoCurrentLayer(stored.LayerLeft, stored.LayerTop, width, height);
    } else if (width != stored.MaskWidth || height != stored.MaskHeight) {
        if (!selectionMask_.IsEmpty() && mode == 1)
            ShiftSelectionInside(width, height);
        selectionMask_.Resize(width, height);
    }
    selectionMask_.UpdateFullFlag();
    selectionMask_.UpdateBounds();
}

// The mask saved on a layer at (fromLeft, fromTop) redrawn in the current
// layer's pixels: what falls left of or above the image, or outside the new
// mask, is cut. Only the stored box is visited, so no stored offset makes
// anything larger than the image.
void TBrelvixView::MoveMaskOntoCurrentLayer(int32_t fromLeft, int32_t fromTop, int32_t width, int32_t height)
{
    const TQkMask& stored = selectionMask_;
    // An empty stored mask may have no depth: it becomes an empty 1-bit one.
    const int32_t bits = stored.BitsPerPixel() == 8 ? 8 : 1;
    TQkMask moved;
    moved.AllocateBits(width, height, bits);
    const TQkLayer& layer = Layer(currentLayer_);
    for (int32_t y = stored.Top(); !stored.IsEmpty() && y <= stored.Bottom(); ++y) {
        const int64_t imageY = int64_t(y) + fromTop;
        const int64_t ty = imageY - layer.Top;
        if (imageY < 0 || ty < 0 || ty >= height)
            continue;
        for (int32_t x = stored.Left(); x <= stored.Right(); ++x) {
            const int64_t imageX = int64_t(x) + fromLeft;
            const int64_t tx = imageX - layer.Left;
            if (imageX >= 0 && tx >= 0 && tx < width)
                moved.SetPixel(int32_t(tx), int32_t(ty), stored.GetPixel(x, y));
        }
    }
    selectionMask_.AllocateBits(width, height, bits);
    for (int32_t y = 0; y < height && width > 0; ++y)
        std::memcpy(selectionMask_.GetScanline(y), moved.GetScanline(y), size_t(moved.RowLen()));
}

// A selection past the right or bottom edge moves back so its far edge is
// the last column or row.
void TBrelvixView::ShiftSelectionInside(int32_t width, int32_t height)
{
    int32_t dx = 0, dy = 0;
    if (selectionMask_.Right() >= width)
        dx = width - 1 - selectionMask_.Right();
    if (selectionMask_.Bottom() >= height)
        dy = height - 1 - selectionMask_.Bottom();
    if (dx == 0 && dy == 0)
        return;
    selectionMask_.Translate(dx, dy, false);
    for (TPoint& p : selectionPoints_)
        if (p.X != MaskPolygonSeparator) {
            p.X += dx;
            p.Y += dy;
        }
    SetSelectionPolygon(std::move(selectionPoints_));
}

void TBrelvixView::PushSelection()
{
    auto stream = std::make_unique<TMemoryStream>();
    SaveSelectionToStream(*stream);
    savedSelections_.push_back(std::move(stream));
}

bool TBrelvixView::PopSelection(bool remove, int32_t mode)
{
    if (savedSelections_.empty())
        return false;
    TMemoryStream& stream = *savedSelections_.back();
    stream.SetPosition(0);
    const bool loaded = LoadSelectionFromStream(stream, mode);
    if (remove)
        savedSelections_.pop_back();
    return loaded;
}
