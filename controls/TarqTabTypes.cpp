#include "controls/TarqTabTypes.h"

#include "controls/TarqTabControl.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"

#define TARQ_TAB_ENUM_INFO(function, typeName, ...)                                                                    \
    const TEnumInfo& function()                                                                                        \
    {                                                                                                                  \
        static const TEnumInfo info{typeName, {__VA_ARGS__}};                                                          \
        return info;                                                                                                   \
    }

TARQ_TAB_ENUM_INFO(TabStyleInfo, "TTarqTabStyle", "tsSingleSlant", "tsDoubleSlant", "tsCutCorner", "tsRoundCorners",
                   "tsBackSlant")
TARQ_TAB_ENUM_INFO(TabOrientationInfo, "TTarqTabOrientation", "toTop", "toLeft", "toBottom", "toRight")
TARQ_TAB_ENUM_INFO(TabSequenceInfo, "TTarqTabSequence", "tsStandard", "tsReverse")
TARQ_TAB_ENUM_INFO(ImagePositionInfo, "TTarqImagePosition", "ipLeft", "ipTop", "ipRight", "ipBottom", "ipBack",
                   "ipStretch")
TARQ_TAB_ENUM_INFO(HorizontalAlignmentInfo, "TTarqHorizontalAlignment", "haLeft", "haCenter", "haRight")
TARQ_TAB_ENUM_INFO(VerticalAlignmentInfo, "TTarqVerticalAlignment", "vaTop", "vaCenter", "vaBottom")
TARQ_TAB_ENUM_INFO(TabHotTrackStyleInfo, "TTarqTabHotTrackStyle", "htsTab", "htsText")

// ---- Tabs ---------------------------------------------------------------------------------

void TTarqTabData::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TTarqTabData*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    Caption = other->Caption;
    DisabledIndex = other->DisabledIndex;
    ImageIndex = other->ImageIndex;
    Color = other->Color;
    Enabled = other->Enabled;
    Visible = other->Visible;
    Hint = other->Hint;
}

TTarqTabData* TTarqTabDataList::Item(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return items_[static_cast<size_t>(index)].get();
}

void TTarqTabDataList::PutItem(int32_t index, TTarqTabData* item)
{
    std::unique_ptr<TTarqTabData> owned(item);
    Item(index);
    items_[static_cast<size_t>(index)] = std::move(owned);
}

TTarqTabData* TTarqTabDataList::Add()
{
    items_.push_back(std::make_unique<TTarqTabData>());
    return items_.back().get();
}

void TTarqTabDataList::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TTarqTabDataList*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    Clear();
    for (const auto& item : other->items_)
        Add()->Assign(item.get());
}

// ---- Colour sets --------------------------------------------------------------------------

void TTarqTabColors::Change(TColor& field, TColor value)
{
    if (field == value)
        return;
    field = value;
    if (control_)
        control_->InvalidateTabs();
}

void TTarqTabColors::SetHighlightBar(TColor value) { Change(highlightBar_, value); }
void TTarqTabColors::SetShadow(TColor value) { Change(shadow_, value); }
void TTarqTabColors::SetUnselected(TColor value) { Change(unselected_, value); }

void TTarqTabColors::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TTarqTabColors*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetHighlightBar(other->highlightBar_);
    SetShadow(other->shadow_);
    SetUnselected(other->unselected_);
}

void TTarqTextColors::Change(TColor& field, TColor value)
{
    if (field == value)
        return;
    field = value;
    if (control_)
        control_->InvalidateTabs();
}

void TTarqTextColors::SetDisabledHighlight(TColor value) { Change(disabledHighlight_, value); }
void TTarqTextColors::SetDisabledShadow(TColor value) { Change(disabledShadow_, value); }
void TTarqTextColors::SetSelected(TColor value) { Change(selected_, value); }
void TTarqTextColors::SetUnselected(TColor value) { Change(unselected_, value); }

void TTarqTextColors::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TTarqTextColors*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetDisabledHighlight(other->disabledHighlight_);
    SetDisabledShadow(other->disabledShadow_);
    SetSelected(other->selected_);
    SetUnselected(other->unselected_);
}

// ---- Region cache -------------------------------------------------------------------------

const TRegion* TTarqTabRegionCache::Find(const TRect& rect)
{
    for (const auto& item : items_)
        if (item->Rect == rect)
            return &item->Region;
    return nullptr;
}

const TRegion* TTarqTabRegionCache::Add(const TRect& rect, TRegion region)
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Rect == rect) {
            std::unique_ptr<TItem> item = std::move(items_[i]);
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
            items_.insert(items_.begin(), std::move(item));
            return &items_.front()->Region;
        }
    items_.insert(items_.begin(), std::make_unique<TItem>(TItem{rect, std::move(region)}));
    const TRegion* added = &items_.front()->Region;
    Trim();
    return added;
}

void TTarqTabRegionCache::SetCapacity(int32_t n)
{
    if (n < -1 || n == 0)
        throw Exception("Capacity must be -1 (to cache all regions) or > 0");
    if (n == capacity_)
        return;
    capacity_ = n;
    Trim();
}

void TTarqTabRegionCache::Trim()
{
    if (capacity_ == -1)
        return;
    while (Count() > capacity_)
        items_.pop_back();
}
