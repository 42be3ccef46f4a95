#pragma once
// The objects of a vector layer: the records (a handle is a record's index
// and stays valid until the set is cleared), the drawing order, the
// selection, the template for new objects and the table of images that
// bitmap objects and memo backgrounds share.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/vect/QkVObject.h"

struct TQkVSharedBitmap {
    std::unique_ptr<TQkBitmap> Bitmap; // none for a free entry
    int32_t UseCount = 0;
};

class TQkVObjectSet {
public:
    // The record of a handle: the template for qkvTemplate, the newest object
    // for qkvLastObject, nothing for qkvAllObjects, qkvNoObject and handles
    // out of range.
    TQkVObject* GetObjectRecord(int32_t hobj);
    const TQkVObject& Template() const { return template_; }
    TQkVObject& Template() { return template_; }

    int32_t ObjectCount() const { return static_cast<int32_t>(records_.size()); }
    const std::vector<int32_t>& ZOrder() const { return zOrder_; }
    std::vector<int32_t>& Selection() { return selection_; }
    const std::vector<TQkVSharedBitmap>& SharedBitmaps() const { return sharedBitmaps_; }

    // Appends a copy of the source as a new object and returns its handle.
    // The copy gets no image entry of its own beyond the source's, no user
    // data, ordered corners for the kinds that have no direction, and only
    // the owned parts its kind uses.
    int32_t AddObjectRecord(const TQkVObject& source);
    // Releases what the record holds: its image entry and every owned part.
    void FreeObjectRecordData(TQkVObject& record);
    // Empties the set; the template keeps its image, in a fresh table.
    void RemoveAllObjects();

    bool ShareBitmaps = true;
    double MeasureScale = 1.0;

    // ---- Shared images ----
    TQkBitmap* GetSharedBitmap(int32_t index);
    // The last entry holding an image equal to the given one, or -1.
    int32_t FindSharedBitmap(TQkBitmap& bitmap);
    int32_t NewSharedBitmapSlot();
    void ReleaseSharedBitmap(int32_t index);
    // Gives the object (or the template) a copy of the image, or an equal
    // image already in the table when sharing; nothing gives no image.
    void SetObjBitmap(int32_t hobj, TQkBitmap* bitmap);
    void SetObjBitmapIndex(int32_t hobj, int32_t index);
    // A system stock icon (IDI_HAND, ...) drawn on a black 24-bit image of
    // that size; an unknown icon gives an all-black image.
    void SetObjBitmapIcon(int32_t hobj, int32_t iconId, int32_t width, int32_t height);
    // Drops empty entries and renumbers every reference.
    void PackSharedBitmaps();
    // For a reader that fills the table itself: `count` empty entries.
    void ResetSharedBitmaps(size_t count);
    void PutSharedBitmap(int32_t index, std::unique_ptr<TQkBitmap> bitmap);

    // ---- Polylines ----
    // A point equal to the last one is not added; the box grows to hold it.
    void AddPolylinePoint(int32_t hobj, int32_t x, int32_t y);
    static void ClearPolylinePoints(TQkVObject& record);

    // Exchanges the objects and images of two sets; templates stay.
    void SwapObjects(TQkVObjectSet& other);

private:
    // A new entry holding a copy of the image, used once.
    int32_t StoreCopy(TQkBitmap& bitmap);
    static std::unique_ptr<TQkBitmap> CopyOf(TQkBitmap& bitmap);
    void UseSharedBitmap(TQkVObject& record, int32_t index);
    bool ValidSharedIndex(int32_t index) const;

    std::deque<TQkVObject> records_; // grows without moving records, which user objects point to
    std::vector<int32_t> zOrder_;
    std::vector<int32_t> selection_;
    std::vector<TQkVSharedBitmap> sharedBitmaps_;
    TQkVObject template_;
};
