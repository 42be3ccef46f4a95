#pragma once
// The popup list of a combo box: a top-level window without activation that
// holds the mouse capture while it is shown. A click outside it closes it;
// a release over an item chooses that item.

#include <cstdint>

#include "platform/ui/Controls.h"

class TCustomComboBox;

class TComboListWindow : public TCustomControl {
public:
    explicit TComboListWindow(TCustomComboBox& combo);

    // Places the list below the combo (above it when the screen lacks room)
    // and shows it, tracking the press that opened it when `fromMouse`.
    void Open(bool fromMouse);
    void Close();
    bool IsOpen() const { return open_; }

    // The item under the highlight.
    int32_t HotIndex() const { return hotIndex_; }
    void SetHotIndex(int32_t index);
    int32_t TopIndex() const { return topIndex_; }
    void SetTopIndex(int32_t index);
    int32_t VisibleRows() const;
    void MakeVisible(int32_t index);
    TRect ItemRect(int32_t index) const;
    int32_t ItemAt(TPoint clientPoint) const;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void Paint() override;

private:
    void Place();
    void UpdateScrollBar();
    void MouseButton(uint32_t msg, TPoint p);
    bool OverScrollBar(TPoint clientPoint) const;

    TCustomComboBox& combo_;
    bool open_ = false;
    bool tracking_ = false; // the press that opened the list is still down
    bool enteredList_ = false;
    bool scrolling_ = false;
    int32_t hotIndex_ = -1;
    int32_t topIndex_ = 0;
};
