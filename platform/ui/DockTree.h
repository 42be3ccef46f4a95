#pragma once
// Dock managers: how a dock site lays out the controls docked into it and
// draws their grabbers. TDockTree, the default, puts the clients side by
// side (a site aligned to the top or bottom) or one above the other, each
// in an equal zone with a grabber strip: dragging the grabber undocks the
// client, a double click floats it, and the close button hides it (a form
// is closed).

#include <cstdint>
#include <vector>

#include "platform/ui/Controls.h"

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

    TWinControl* DockSite() const { return dockSite_; }
    // The client whose zone (grabber included) holds the site's client point.
    TControl* ClientAt(TPoint clientPos) const;

protected:
    // The grabber's thickness.
    virtual int32_t GrabberSize() const { return 12; }
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
    std::vector<TControl*> VisibleClients() const;
    TRect ZoneRect(int32_t index, int32_t count) const;
    TRect ZoneOf(const TControl* control) const;

    TWinControl* dockSite_;
    std::vector<TControl*> clients_;
    TSize laidOutSize_;
};
