#pragma once
// Dock managers: how a dock site lays out the controls docked into it and
// draws their grabbers. TDockTree, the default, keeps a tree of zones: a
// client dropped on another's zone takes the half of it on the side it was
// dropped nearest; dropped elsewhere on the site it joins the others side
// by side (a site aligned to the top or bottom) or one above the other.
// Dragging a splitter between zones resizes them. Each zone has a grabber
// strip: dragging it undocks the client, a double click floats it, and the
// close button hides it (a form is closed).

#include <cstdint>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/DockZones.h"

class IDockManager {
public:
    virtual ~IDockManager() = default;
    virtual void InsertControl(TControl* control, TAlign insertAt, TControl* dropControl) = 0;
    virtual void RemoveControl(TControl* control) = 0;
    // Lays the docked clients out again (`force`: even when the site's size
    // did not change).
    virtual void ResetBounds(bool force) = 0;
    virtual void PaintSite(TCanvas& canvas) = 0;
    // Where a client dropped on the site would go (screen coordinates).
    virtual void PositionDockRect(TControl* client, TControl* dropControl, TAlign dropAlign, TRect& dockRect) = 0;
    // The docked client a drop at the site's client point would go beside,
    // and on which of its sides (none: beside all of them).
    virtual TControl* DropPlaceAt(TPoint clientPos, TAlign& side) const = 0;
};

class TDockTree : public IDockManager {
public:
    explicit TDockTree(TWinControl* dockSite);
    ~TDockTree() override;
    TDockTree(const TDockTree&) = delete;
    TDockTree& operator=(const TDockTree&) = delete;

    void InsertControl(TControl* control, TAlign insertAt, TControl* dropControl) override;
    void RemoveControl(TControl* control) override;
    void ResetBounds(bool force) override;
    void PaintSite(TCanvas& canvas) override;
    void PositionDockRect(TControl* client, TControl* dropControl, TAlign dropAlign, TRect& dockRect) override;
    TControl* DropPlaceAt(TPoint clientPos, TAlign& side) const override;

    TWinControl* DockSite() const { return dockSite_; }
    // The client whose zone (grabber included) holds the site's client point.
    TControl* ClientAt(TPoint clientPos) const;

protected:
    // The grabber's thickness.
    virtual int32_t GrabberSize() const { return 12; }
    // The gap between neighbouring zones, where the splitter is dragged.
    static constexpr int32_t SplitterWidth = 4;
    // Takes the grabber off a client's zone.
    virtual void AdjustDockRect(TControl* control, TRect& rect);
    // Draws the grabber of `control`, whose zone is `rect`.
    virtual void PaintDockFrame(TCanvas& canvas, TControl* control, const TRect& rect);
    // The close button inside a zone's grabber.
    virtual TRect CloseButtonRect(const TRect& zone) const;
    // True when the grabbers run down the left of the zones (side-by-side clients).
    bool GrabbersAtLeft() const;
    TRect GrabberRect(const TRect& zone) const;
    // The site's window procedure before the manager's.
    TWndMethod oldWndProc_;

private:
    void WindowProc(TMessage& message);
    bool GrabberMouse(TMessage& message);
    bool SplitterMouse(TMessage& message);
    std::vector<TControl*> VisibleClients() const;
    TRect ZoneOf(const TControl* control) const { return zones_.ZoneOf(control); }
    TZoneArrangement UsualArrangement() const;

    TWinControl* dockSite_;
    TDockZones zones_;
    // The splitter being dragged.
    std::optional<TDockSplitter> splitterDrag_;
    TSize laidOutSize_;
};
