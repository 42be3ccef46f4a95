#pragma once
// The zones of a dock site: a tree whose leaves hold the docked clients and
// whose branches lay their zones side by side or one above the other, with a
// splitter between neighbours. A client dropped beside another splits that
// client's zone; dragging a splitter moves space from one zone to its
// neighbour; a client leaving gives its space back to its neighbours.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gfx/Geometry.h"
#include "platform/ui/Alignment.h"

class TControl;

enum class TZoneArrangement { SideBySide, Stacked };

struct TDockZone {
    // A leaf holds a client; a branch holds at least two zones.
    TControl* Client = nullptr;
    TZoneArrangement Arrangement = TZoneArrangement::SideBySide;
    std::vector<std::unique_ptr<TDockZone>> Children;
    TDockZone* Parent = nullptr;
    // The zone's part of its parent's extent, relative to its siblings'.
    double Share = 1;
    // Where the last layout put the zone, and whether it showed it (a zone
    // whose clients are all hidden takes no space).
    TRect Bounds;
    bool Shown = false;
};

// A splitter between two neighbouring zones shown in a branch.
struct TDockSplitter {
    TDockZone* Before = nullptr;
    TDockZone* After = nullptr;
    TZoneArrangement Arrangement = TZoneArrangement::SideBySide;
    TRect Bounds;
};

class TDockZones {
public:
    using TShownTest = std::function<bool(const TControl*)>;

    // Puts `client` on the `side` of `beside`'s zone, or of all zones when
    // `beside` holds none. A side other than left, top, right or bottom adds
    // the client after the others in the `usual` arrangement.
    void Insert(TControl* client, TAlign side, const TControl* beside, TZoneArrangement usual);
    // False when the client had no zone.
    bool Remove(const TControl* client);
    bool Contains(const TControl* client) const { return Find(client) != nullptr; }
    std::vector<TControl*> Clients() const;

    // Lays the zones of the shown clients out over `area`, `splitterWidth`
    // pixels apart.
    void Layout(const TRect& area, int32_t splitterWidth, const TShownTest& shown);
    // The zone the last layout gave the client (empty if not shown).
    TRect ZoneOf(const TControl* client) const;
    std::optional<TDockSplitter> SplitterAt(TPoint point) const;
    // Moves the splitter so that the zone before it ends at `position`
    // (along the arrangement), each of the two zones keeping at least
    // `minimum` pixels; takes effect at the next layout.
    void MoveSplitter(const TDockSplitter& splitter, int32_t position, int32_t minimum);

    // Where a client put by Insert would go, as laid out in `area` now.
    TRect InsertionRect(const TRect& area, int32_t splitterWidth, TAlign side, const TControl* beside,
                        TZoneArrangement usual) const;

private:
    TDockZone* Find(const TControl* client) const;
    // The pointer that owns the zone: the root or a slot of its parent.
    std::unique_ptr<TDockZone>& OwnerOf(const TDockZone* zone);

    std::unique_ptr<TDockZone> root_;
    std::vector<TDockSplitter> splitters_;
};

// The side of `zone` a point lies nearest to (left, top, right or bottom).
TAlign NearestSide(const TRect& zone, TPoint point);
