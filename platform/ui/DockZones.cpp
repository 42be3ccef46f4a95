#include "platform/ui/DockZones.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::optional<TZoneArrangement> ArrangementOfSide(TAlign side)
{
    switch (side) {
    case alLeft:
    case alRight: return TZoneArrangement::SideBySide;
    case alTop:
    case alBottom: return TZoneArrangement::Stacked;
    default: return std::nullopt;
    }
}

bool LeadsOnSide(TAlign side) { return side == alLeft || side == alTop; }

int32_t ExtentOf(const TRect& rect, TZoneArrangement arrangement)
{
    return arrangement == TZoneArrangement::SideBySide ? rect.Width() : rect.Height();
}

int32_t StartOf(const TRect& rect, TZoneArrangement arrangement)
{
    return arrangement == TZoneArrangement::SideBySide ? rect.Left : rect.Top;
}

// The part of `rect` from `from` to `to` along the arrangement.
TRect Slice(const TRect& rect, TZoneArrangement arrangement, int32_t from, int32_t to)
{
    return arrangement == TZoneArrangement::SideBySide ? Rect(from, rect.Top, to, rect.Bottom)
                                                       : Rect(rect.Left, from, rect.Right, to);
}

// `extent` pixels at the start or the end of `rect`.
TRect EdgeSlice(const TRect& rect, TZoneArrangement arrangement, bool atStart, int32_t extent)
{
    const int32_t start = StartOf(rect, arrangement);
    const int32_t end = start + ExtentOf(rect, arrangement);
    return atStart ? Slice(rect, arrangement, start, start + extent) : Slice(rect, arrangement, end - extent, end);
}

bool ShowsAnything(const TDockZone& zone, const TDockZones::TShownTest& shown)
{
    if (zone.Client)
        return shown(zone.Client);
    return std::any_of(zone.Children.begin(), zone.Children.end(),
                       [&](const auto& child) { return ShowsAnything(*child, shown); });
}

void Hide(TDockZone& zone)
{
    zone.Shown = false;
    zone.Bounds = {};
    for (auto& child : zone.Children)
        Hide(*child);
}

void LayOut(TDockZone& zone, const TRect& area, int32_t gap, const TDockZones::TShownTest& shown,
            std::vector<TDockSplitter>& splitters)
{
    if (!ShowsAnything(zone, shown)) {
        Hide(zone);
        return;
    }
    zone.Shown = true;
    zone.Bounds = area;
    std::vector<TDockZone*> parts;
    for (auto& child : zone.Children) {
        if (ShowsAnything(*child, shown))
            parts.push_back(child.get());
        else
            Hide(*child);
    }
    if (parts.empty())
        return;
    const auto count = static_cast<int32_t>(parts.size());
    const int32_t start = StartOf(area, zone.Arrangement);
    const int32_t available = std::max(0, ExtentOf(area, zone.Arrangement) - gap * (count - 1));
    double total = 0;
    for (const TDockZone* part : parts)
        total += part->Share;
    double reached = 0;
    int32_t from = start;
    for (int32_t i = 0; i < count; ++i) {
        reached += total > 0 ? parts[i]->Share : 1;
        const double whole = total > 0 ? total : count;
        const int32_t end = i + 1 == count ? available : static_cast<int32_t>(std::lround(available * reached / whole));
        const int32_t to = start + gap * i + end;
        if (i > 0)
            splitters.push_back(
                {parts[i - 1], parts[i], zone.Arrangement, Slice(area, zone.Arrangement, from - gap, from)});
        LayOut(*parts[i], Slice(area, zone.Arrangement, from, std::max(from, to)), gap, shown, splitters);
        from = std::max(from, to) + gap;
    }
}

} // namespace

TDockZone* TDockZones::Find(const TControl* client) const
{
    std::vector<TDockZone*> pending;
    if (root_)
        pending.push_back(root_.get());
    while (!pending.empty()) {
        TDockZone* zone = pending.back();
        pending.pop_back();
        if (zone->Client == client)
            return zone;
        for (auto& child : zone->Children)
            pending.push_back(child.get());
    }
    return nullptr;
}

std::unique_ptr<TDockZone>& TDockZones::OwnerOf(const TDockZone* zone)
{
    if (!zone->Parent)
        return root_;
    auto& siblings = zone->Parent->Children;
    return *std::find_if(siblings.begin(), siblings.end(), [&](const auto& child) { return child.get() == zone; });
}

std::vector<TControl*> TDockZones::Clients() const
{
    std::vector<TControl*> clients;
    std::function<void(const TDockZone&)> collect = [&](const TDockZone& zone) {
        if (zone.Client)
            clients.push_back(zone.Client);
        for (const auto& child : zone.Children)
            collect(*child);
    };
    if (root_)
        collect(*root_);
    return clients;
}

void TDockZones::Insert(TControl* client, TAlign side, const TControl* beside, TZoneArrangement usual)
{
    splitters_.clear();
    auto leaf = std::make_unique<TDockZone>();
    leaf->Client = client;
    if (!root_) {
        root_ = std::move(leaf);
        return;
    }
    TDockZone* target = beside ? Find(beside) : nullptr;
    if (!target)
        target = root_.get();
    const TZoneArrangement arrangement = ArrangementOfSide(side).value_or(usual);
    const bool first = LeadsOnSide(side);
    if (!target->Client && target->Arrangement == arrangement) {
        // Beside all the zones, in their own arrangement: one more of equal share.
        double total = 0;
        for (const auto& child : target->Children)
            total += child->Share;
        leaf->Share = total / static_cast<double>(target->Children.size());
        leaf->Parent = target;
        target->Children.insert(first ? target->Children.begin() : target->Children.end(), std::move(leaf));
        return;
    }
    if (TDockZone* branch = target->Parent; branch && branch->Arrangement == arrangement) {
        target->Share /= 2;
        leaf->Share = target->Share;
        leaf->Parent = branch;
        auto at = std::find_if(branch->Children.begin(), branch->Children.end(),
                               [&](const auto& child) { return child.get() == target; });
        branch->Children.insert(first ? at : at + 1, std::move(leaf));
        return;
    }
    // A new branch takes the target's place and splits it with the client.
    auto split = std::make_unique<TDockZone>();
    split->Arrangement = arrangement;
    split->Share = target->Share;
    split->Parent = target->Parent;
    TDockZone* branch = split.get();
    std::unique_ptr<TDockZone> old = std::exchange(OwnerOf(target), std::move(split));
    old->Share = leaf->Share = 1;
    old->Parent = leaf->Parent = branch;
    branch->Children.push_back(first ? std::move(leaf) : std::move(old));
    branch->Children.push_back(first ? std::move(old) : std::move(leaf));
}

bool TDockZones::Remove(const TControl* client)
{
    TDockZone* zone = Find(client);
    if (!zone)
        return false;
    splitters_.clear();
    TDockZone* branch = zone->Parent;
    if (!branch) {
        root_.reset();
        return true;
    }
    // The neighbours' shares stay as they were, so they divide the space in
    // the same proportions.
    std::erase_if(branch->Children, [&](const auto& child) { return child.get() == zone; });
    if (branch->Children.size() == 1) {
        std::unique_ptr<TDockZone> only = std::move(branch->Children.front());
        only->Share = branch->Share;
        only->Parent = branch->Parent;
        OwnerOf(branch) = std::move(only);
    }
    return true;
}

void TDockZones::Layout(const TRect& area, int32_t splitterWidth, const TShownTest& shown)
{
    splitters_.clear();
    if (root_)
        LayOut(*root_, area, splitterWidth, shown, splitters_);
}

TRect TDockZones::ZoneOf(const TControl* client) const
{
    const TDockZone* zone = Find(client);
    return zone && zone->Shown ? zone->Bounds : TRect{};
}

std::optional<TDockSplitter> TDockZones::SplitterAt(TPoint point) const
{
    for (const TDockSplitter& splitter : splitters_)
        if (PtInRect(splitter.Bounds, point))
            return splitter;
    return std::nullopt;
}

void TDockZones::MoveSplitter(const TDockSplitter& splitter, int32_t position, int32_t minimum)
{
    TDockZone* branch = splitter.Before->Parent;
    const TZoneArrangement arrangement = splitter.Arrangement;
    // The shares become the shown zones' pixel extents (the hidden zones'
    // scaled alike), so the two zones get exactly the extents asked for.
    double shownShares = 0;
    double shownPixels = 0;
    for (const auto& child : branch->Children)
        if (child->Shown) {
            shownShares += child->Share;
            shownPixels += ExtentOf(child->Bounds, arrangement);
        }
    if (shownShares <= 0 || shownPixels <= 0)
        return;
    const double scale = shownPixels / shownShares;
    for (auto& child : branch->Children)
        child->Share = child->Shown ? ExtentOf(child->Bounds, arrangement) : child->Share * scale;
    const int32_t together =
        ExtentOf(splitter.Before->Bounds, arrangement) + ExtentOf(splitter.After->Bounds, arrangement);
    const int32_t least = std::min(minimum, together / 2);
    const int32_t before =
        std::clamp(position - StartOf(splitter.Before->Bounds, arrangement), least, together - least);
    splitter.Before->Share = before;
    splitter.After->Share = together - before;
}

TRect TDockZones::InsertionRect(const TRect& area, int32_t splitterWidth, TAlign side, const TControl* beside,
                                TZoneArrangement usual) const
{
    if (!root_ || !root_->Shown)
        return area;
    const TDockZone* target = beside ? Find(beside) : nullptr;
    if (!target || !target->Shown)
        target = root_.get();
    const TZoneArrangement arrangement = ArrangementOfSide(side).value_or(usual);
    const bool first = LeadsOnSide(side);
    const TRect& rect = target == root_.get() ? area : target->Bounds;
    const int32_t extent = ExtentOf(rect, arrangement);
    if (!target->Client && target->Arrangement == arrangement) {
        const auto count = static_cast<int32_t>(std::count_if(target->Children.begin(), target->Children.end(),
                                                              [](const auto& child) { return child->Shown; })) +
            1;
        return EdgeSlice(rect, arrangement, first, std::max(0, extent - splitterWidth * (count - 1)) / count);
    }
    return EdgeSlice(rect, arrangement, first, std::max(0, extent - splitterWidth) / 2);
}

TAlign NearestSide(const TRect& zone, TPoint point)
{
    const double across = zone.Width() > 0 ? double(point.X - zone.Left) / zone.Width() : 0.5;
    const double down = zone.Height() > 0 ? double(point.Y - zone.Top) / zone.Height() : 0.5;
    const std::pair<double, TAlign> sides[] = {{across, alLeft},
                                               {down, alTop},
                                               {1 - across, alRight},
                                               {1 - down, alBottom}};
    return std::min_element(std::begin(sides), std::end(sides),
                            [](const auto& a, const auto& b) { return a.first < b.first; })
        ->second;
}
