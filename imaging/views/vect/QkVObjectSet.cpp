#include "imaging/views/vect/QkVObjectSet.h"

#include <algorithm>
#include <utility>

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/views/vect/QkVUserObject.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/DialogIcons.h"

namespace {

bool UsesBitmap(const TQkVObject& record)
{
    return record.Kind == qkvkBitmap || (record.Kind == qkvkMemo && record.MemoHasBitmap);
}

// What a new object keeps of its source's owned parts depends on its kind;
// the rest starts empty.
void KeepOwnedPartsOfKind(TQkVObject& copy, const TQkVObject& source)
{
    copy.Text.reset();
    copy.Font.reset();
    copy.CharRuns.reset();
    copy.FontRuns.clear();
    copy.CurvePoints.clear();
    if (HasLineText(source.Kind)) {
        copy.Text = source.Text.value_or(std::string());
        copy.Font = source.Font;
        copy.CurvePoints = source.CurvePoints;
    } else if (source.Kind == qkvkMemo) {
        copy.Text = source.Text;
        copy.Font = source.Font;
        if (source.CharRuns) {
            const size_t length = copy.Text ? copy.Text->size() : 0;
            std::vector<int32_t> runs(length + 1, 0);
            std::copy_n(source.CharRuns->begin(), std::min(length, source.CharRuns->size()), runs.begin());
            copy.CharRuns = std::move(runs);
            copy.FontRuns = source.FontRuns;
        }
    } else if (source.Kind == qkvkRuler || source.Kind == qkvkAngle) {
        copy.Font = source.Font;
    }
    copy.Name = source.Name.value_or(std::string());
    if (source.Kind != qkvkPolyline) {
        copy.Points.clear();
        copy.BaseX1 = copy.BaseY1 = copy.BaseX2 = copy.BaseY2 = 0;
    }
}

void OrderCorners(TQkVObject& record)
{
    if (record.X1 > record.X2)
        std::swap(record.X1, record.X2);
    if (record.Y1 > record.Y2)
        std::swap(record.Y1, record.Y2);
}

} // namespace

TQkVObject* TQkVObjectSet::GetObjectRecord(int32_t hobj)
{
    if (hobj == qkvTemplate)
        return &template_;
    if (hobj == qkvLastObject)
        return records_.empty() ? nullptr : &records_.back();
    if (hobj < 0 || hobj >= ObjectCount())
        return nullptr;
    return &records_[static_cast<size_t>(hobj)];
}

int32_t TQkVObjectSet::AddObjectRecord(const TQkVObject& source)
{
    const int32_t handle = ObjectCount();
    TQkVObject copy = source; // the user object, if any, is cloned here
    copy.BitmapIndex = -1;
    copy.UserData.clear();
    copy.ScreenPoints.clear();
    KeepOwnedPartsOfKind(copy, source);
    if (!KeepsCornerOrder(source.Kind))
        OrderCorners(copy);
    records_.push_back(std::move(copy));
    zOrder_.push_back(handle);
    TQkVObject& added = records_.back();
    if (added.UserObject) {
        added.UserObject->Record = &added;
        added.UserObject->SetHandle(handle);
    }
    if (UsesBitmap(source))
        SetObjBitmapIndex(handle, source.BitmapIndex);
    return handle;
}

void TQkVObjectSet::FreeObjectRecordData(TQkVObject& record)
{
    ReleaseSharedBitmap(record.BitmapIndex);
    record.BitmapIndex = -1;
    record.Name.reset();
    record.Font.reset();
    record.Text.reset();
    record.CharRuns.reset();
    record.FontRuns.clear();
    record.CurvePoints.clear();
    ClearPolylinePoints(record);
    record.ScreenPoints.clear();
    record.SoftShadow = {};
    record.UserObject = {};
    record.UserData.clear();
}

void TQkVObjectSet::RemoveAllObjects()
{
    records_.clear(); // the records' images go with the table below
    zOrder_.clear();
    selection_.clear();
    std::unique_ptr<TQkBitmap> kept;
    if (ValidSharedIndex(template_.BitmapIndex))
        kept = std::move(sharedBitmaps_[static_cast<size_t>(template_.BitmapIndex)].Bitmap);
    sharedBitmaps_.clear();
    template_.BitmapIndex = -1;
    if (kept)
        SetObjBitmap(qkvTemplate, kept.get());
}

TQkBitmap* TQkVObjectSet::GetSharedBitmap(int32_t index)
{
    return ValidSharedIndex(index) ? sharedBitmaps_[static_cast<size_t>(index)].Bitmap.get() : nullptr;
}

int32_t TQkVObjectSet::FindSharedBitmap(TQkBitmap& bitmap)
{
    for (int32_t index = static_cast<int32_t>(sharedBitmaps_.size()) - 1; index >= 0; --index) {
        TQkBitmap* entry = sharedBitmaps_[static_cast<size_t>(index)].Bitmap.get();
        if (entry && SameBitmaps(*entry, bitmap))
            return index;
    }
    return -1;
}

int32_t TQkVObjectSet::NewSharedBitmapSlot()
{
    const auto free = std::find_if(sharedBitmaps_.begin(), sharedBitmaps_.end(),
                                   [](const TQkVSharedBitmap& entry) { return !entry.Bitmap; });
    if (free != sharedBitmaps_.end())
        return static_cast<int32_t>(free - sharedBitmaps_.begin());
    sharedBitmaps_.emplace_back();
    return static_cast<int32_t>(sharedBitmaps_.size()) - 1;
}

void TQkVObjectSet::ReleaseSharedBitmap(int32_t index)
{
    if (!ValidSharedIndex(index))
        return;
    TQkVSharedBitmap& entry = sharedBitmaps_[static_cast<size_t>(index)];
    if (entry.UseCount <= 1)
        entry = {};
    else
        --entry.UseCount;
}

void TQkVObjectSet::SetObjBitmap(int32_t hobj, TQkBitmap* bitmap)
{
    TQkVObject* record = GetObjectRecord(hobj);
    if (!record)
        return;
    ReleaseSharedBitmap(record->BitmapIndex);
    record->BitmapIndex = -1;
    if (!bitmap)
        return;
    const int32_t found = ShareBitmaps ? FindSharedBitmap(*bitmap) : -1;
    if (found >= 0)
        UseSharedBitmap(*record, found);
    else
        record->BitmapIndex = StoreCopy(*bitmap);
}

void TQkVObjectSet::SetObjBitmapIndex(int32_t hobj, int32_t index)
{
    TQkVObject* record = GetObjectRecord(hobj);
    if (!record || (ShareBitmaps && index == record->BitmapIndex))
        return;
    // Copied before the release, which may empty the entry asked for.
    std::unique_ptr<TQkBitmap> copy;
    if (!ShareBitmaps && ValidSharedIndex(index))
        copy = CopyOf(*GetSharedBitmap(index));
    ReleaseSharedBitmap(record->BitmapIndex);
    record->BitmapIndex = index < 0 ? index : -1;
    if (copy)
        record->BitmapIndex = StoreCopy(*copy);
    else if (ShareBitmaps && ValidSharedIndex(index))
        UseSharedBitmap(*record, index);
}

void TQkVObjectSet::SetObjBitmapIcon(int32_t hobj, int32_t iconId, int32_t width, int32_t height)
{
    TBitmap drawn(std::max(width, 1), std::max(height, 1), pf24bit);
    for (int32_t y = 0; y < drawn.Height(); ++y)
        std::fill_n(drawn.ScanLine(y), drawn.Width() * 3, uint8_t(0));
    DrawSystemIcon(*drawn.Canvas(), 0, 0, iconId, std::min(drawn.Width(), drawn.Height()));
    TQkBitmap image;
    image.CopyFromTBitmap(drawn);
    SetObjBitmap(hobj, &image);
}

void TQkVObjectSet::PackSharedBitmaps()
{
    std::vector<int32_t> newIndex(sharedBitmaps_.size(), -1);
    std::vector<TQkVSharedBitmap> packed;
    for (size_t index = 0; index < sharedBitmaps_.size(); ++index)
        if (sharedBitmaps_[index].Bitmap) {
            newIndex[index] = static_cast<int32_t>(packed.size());
            packed.push_back(std::move(sharedBitmaps_[index]));
        }
    sharedBitmaps_ = std::move(packed);
    const auto renumber = [&](TQkVObject& record) {
        if (record.BitmapIndex >= 0)
            record.BitmapIndex = static_cast<size_t>(record.BitmapIndex) < newIndex.size()
                ? newIndex[static_cast<size_t>(record.BitmapIndex)]
                : -1;
    };
    renumber(template_);
    for (const int32_t handle : zOrder_)
        renumber(records_[static_cast<size_t>(handle)]);
}

void TQkVObjectSet::ResetSharedBitmaps(size_t count)
{
    sharedBitmaps_.clear();
    sharedBitmaps_.resize(count);
}

void TQkVObjectSet::PutSharedBitmap(int32_t index, std::unique_ptr<TQkBitmap> bitmap)
{
    if (index >= 0 && static_cast<size_t>(index) < sharedBitmaps_.size())
        sharedBitmaps_[static_cast<size_t>(index)].Bitmap = std::move(bitmap);
}

void TQkVObjectSet::AddPolylinePoint(int32_t hobj, int32_t x, int32_t y)
{
    TQkVObject* record = GetObjectRecord(hobj);
    if (!record)
        return;
    if (!record->Points.empty() && record->Points.back() == TPoint{x, y})
        return;
    record->Points.push_back({x, y});
    TRect box{record->X1, record->Y1, record->X2, record->Y2};
    IncludePointInRect(box, x, y);
    record->X1 = box.Left;
    record->Y1 = box.Top;
    record->X2 = box.Right;
    record->Y2 = box.Bottom;
    record->BaseX1 = record->X1;
    record->BaseY1 = record->Y1;
    record->BaseX2 = record->X2;
    record->BaseY2 = record->Y2;
}

void TQkVObjectSet::ClearPolylinePoints(TQkVObject& record)
{
    record.Points.clear();
    record.Points.shrink_to_fit();
    record.BaseX1 = record.BaseY1 = record.BaseX2 = record.BaseY2 = 0;
}

void TQkVObjectSet::SwapObjects(TQkVObjectSet& other)
{
    std::swap(records_, other.records_);
    std::swap(zOrder_, other.zOrder_);
    std::swap(selection_, other.selection_);
    std::swap(sharedBitmaps_, other.sharedBitmaps_);
    std::swap(template_.BitmapIndex, other.template_.BitmapIndex);
    std::swap(MeasureScale, other.MeasureScale);
}

int32_t TQkVObjectSet::StoreCopy(TQkBitmap& bitmap)
{
    const int32_t slot = NewSharedBitmapSlot();
    sharedBitmaps_[static_cast<size_t>(slot)] = {CopyOf(bitmap), 1};
    return slot;
}

std::unique_ptr<TQkBitmap> TQkVObjectSet::CopyOf(TQkBitmap& bitmap)
{
    auto copy = std::make_unique<TQkBitmap>();
    copy->Assign(&bitmap);
    return copy;
}

void TQkVObjectSet::UseSharedBitmap(TQkVObject& record, int32_t index)
{
    ++sharedBitmaps_[static_cast<size_t>(index)].UseCount;
    record.BitmapIndex = index;
}

bool TQkVObjectSet::ValidSharedIndex(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < sharedBitmaps_.size() &&
        sharedBitmaps_[static_cast<size_t>(index)].Bitmap;
}
