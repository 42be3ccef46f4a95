#pragma once
// The child buttons of a tab strip: the two-half scroller with auto-repeat,
// the close button and the button that lists the visible tabs in a menu.

#include <cstdint>

#include "controls/TarqGlyphs.h"
#include "controls/TarqTabTypes.h"
#include "platform/ui/Controls.h"

class TTarqCustomTabControl;
class TTimer;
class TPopupMenu;

// The face shared by the three buttons: a gradient (or flat) fill in the tab
// colours inside a frame.
void DrawTabButtonFace(TCanvas& canvas, const TRect& rect, TTarqCustomTabControl& control, TColor frameColor,
                       bool pressed);

class TTarqTabScroller : public TCustomControl {
public:
    explicit TTarqTabScroller(TTarqCustomTabControl* control);
    TColor FrameColor() const { return frameColor_; }
    virtual void SetFrameColor(TColor value);
    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation value);
    bool Tracking() const { return tracking_; }
    bool Inside() const { return inside_; }
    // 0: the down or left half, 1: the up or right half.
    uint8_t Half() const { return half_; }
    TTimer* RepeatTimer() const { return repeatTimer_; }

    TNotifyEvent OnUpRightClick;
    TNotifyEvent OnDownLeftClick;

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
    bool InPressedHalf(int32_t x, int32_t y) const;
    void FireHalf();
    void RepeatTimerTick(TObject* sender);
    bool HalfEnabled(bool forward) const;
    void PaintHalf(const TRect& rect, bool forward, bool pressed, TArrowDirection arrow, int32_t themedPart);

    TTarqCustomTabControl* control_;
    TColor frameColor_ = clBtnShadow;
    TOrientation orientation_ = orHorizontal;
    bool tracking_ = false;
    bool inside_ = false;
    uint8_t half_ = 0;
    TTimer* repeatTimer_ = nullptr;
    uint16_t firstDelay_ = 400;
    uint16_t repeatDelay_ = 100;
};

// A button that tracks a press and acts on release inside it.
class TTarqTabPressButton : public TCustomControl {
public:
    explicit TTarqTabPressButton(TTarqCustomTabControl* control);
    TColor FrameColor() const { return frameColor_; }
    virtual void SetFrameColor(TColor value);
    bool Pressed() const { return pressed_; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    virtual void Released() = 0;

    TTarqCustomTabControl* control_;
    TColor frameColor_ = clBtnShadow;
    bool tracking_ = false;
    bool pressed_ = false;
};

class TTarqTabCloseButton : public TTarqTabPressButton {
public:
    explicit TTarqTabCloseButton(TTarqCustomTabControl* control) : TTarqTabPressButton(control) {}
    TNotifyEvent OnClose;

protected:
    void Paint() override;
    void Released() override;
};

class TTarqTabMenuButton : public TTarqTabPressButton {
public:
    explicit TTarqTabMenuButton(TTarqCustomTabControl* control);
    TPopupMenu* Menu() const { return menu_; }
    // Fills the menu with the visible tabs and pops it up beside the button.
    void DisplayMenu();
    // Refills the menu: one item per visible tab, the current one checked.
    void FillMenu();
    void MenuItemClick(TObject* sender);
    // Nothing raises it; kept for form resources that bind it.
    TNotifyEvent OnDisplayMenu;

protected:
    void Paint() override;
    void Released() override { DisplayMenu(); }

private:
    TPopupMenu* menu_;
};
