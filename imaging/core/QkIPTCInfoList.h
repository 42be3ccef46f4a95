#pragma once
// IPTC records of an image (captions, keywords, credits ...) and their
// block, bare or inside a Photoshop image resource.

#include <cstdint>
#include <vector>

class TQkIPTCInfoList {
public:
    int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
    // The index functions raise EListError "List index out of bounds (%d)"
    // for an index outside 0 .. GetCount - 1.
    int32_t GetRecordNumber(int32_t index) const;
    int32_t GetDatasetNumber(int32_t index) const;
    const uint8_t* GetItemData(int32_t index) const;
    int32_t GetItemLength(int32_t index) const;

    // Appends a copy of `length` bytes of `data` and returns its index.
    int32_t AddItem(int32_t record, int32_t dataset, int32_t length, const uint8_t* data);
    void Clear();
    // Replaces the entries by copies of the source's; nil is ignored.
    void Assign(const TQkIPTCInfoList* source);

    // Set by every change the caller makes, cleared by a load.
    bool UserChanged() const { return userChanged_; }

    // The block of the entries (an empty list gives an empty block),
    // behind a Photoshop resource header when asked for, else behind a
    // record-version dataset.
    std::vector<uint8_t> SaveToBuffer(bool withPhotoshopHeader) const;
    // Replaces the entries by the datasets of the block, bare or in a
    // Photoshop resource; a malformed or cut dataset ends the block, keeping
    // the ones before it. True when at least one dataset was read.
    bool LoadFromBuffer(const uint8_t* buffer, int64_t length);

private:
    struct TItem {
        int32_t Record = 0;
        int32_t Dataset = 0;
        std::vector<uint8_t> Data;
    };

    const TItem& At(int32_t index) const;

    std::vector<TItem> items_;
    bool userChanged_ = false;
};
