#pragma once
// The panel's dock manager: the default dock layout with 14-pixel grabbers
// that carry each docked client's caption in the caption colours (active
// for the client holding the focus) and a close button.

#include <memory>

#include "platform/ui/DockTree.h"

class TTarqCustomPanel;

class TTarqPanelDockManager : public TDockTree {
public:
    explicit TTarqPanelDockManager(TTarqCustomPanel* panel);
    ~TTarqPanelDockManager() override;

protected:
    int32_t GrabberSize() const override { return 14; }
    void PaintDockFrame(TCanvas& canvas, TControl* control, const TRect& rect) override;
    TRect CloseButtonRect(const TRect& zone) const override;

private:
    void WindowProc(TMessage& message);
    void DrawCaptionBar(TCanvas& canvas, TControl* control, const TRect& zone);
    void DrawCloseGlyph(TCanvas& canvas, const TRect& close) const;

    TTarqCustomPanel* panel_;
    std::unique_ptr<TFont> captionFont_;
    TWndMethod previousWndProc_;
};
