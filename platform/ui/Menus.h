#pragma once
// Popup menus: items with caption (a "&" marks the accelerator, "-" is a
// separator), shortcut, image, check and radio marks, enabled, visible,
// tag and OnClick; a popup menu shows them in a window of its own, tracks
// mouse and keys until an item is chosen or the menu is cancelled, then
// clicks the item. Shortcuts of the popup menus along the focused
// control's parents work without opening the menu.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Components.h"
#include "platform/ui/Controls.h"

class TCustomImageList;

// A key with modifiers: the virtual key in the low byte.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(uint16_t key, TShiftState shift);
// "Ctrl+S", "Shift+Del", "F5"; "" for none.
std::string ShortCutToText(TShortCut shortCut);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value) { shortCut_ = value; }
    int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int32_t value) { imageIndex_ = value; }
    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the other radio items of its group.
    void SetChecked(bool value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value) { radioItem_ = value; }
    uint8_t GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(uint8_t value) { groupIndex_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    TNotifyEvent OnClick;

    // ---- Children ----
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    TMenuItem* Items(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    void Add(TMenuItem* item);
    void Insert(int32_t index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int32_t IndexOf(const TMenuItem* item) const;

    virtual void Click();

private:
    std::string caption_;
    TShortCut shortCut_ = 0;
    int32_t imageIndex_ = -1;
    bool checked_ = false;
    bool radioItem_ = false;
    uint8_t groupIndex_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TMenuWindow;

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The root item; its children are the menu's items.
    TMenuItem* Items() const { return items_.get(); }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment value) { alignment_ = value; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    // The control whose context menu it was last shown as.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* value) { popupComponent_ = value; }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    TNotifyEvent OnPopup;

    // Shows the menu at a screen point and returns once an item was chosen
    // (and clicked) or the menu was cancelled; the chosen item, or nullptr.
    TMenuItem* Popup(int32_t x, int32_t y);
    // The visible, enabled item with that shortcut, clicked; false if none.
    bool IsShortCut(TShortCut shortCut);
    // The menu window while the menu is open.
    TMenuWindow* Window() const { return window_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TMenuItem> items_;
    TPopupAlignment alignment_ = paLeft;
    bool autoPopup_ = true;
    TComponent* popupComponent_ = nullptr;
    TComponentRef<TCustomImageList> images_{this};
    TMenuWindow* window_ = nullptr;
};

// The window of an open popup menu.
class TMenuWindow : public TCustomControl {
public:
    TMenuWindow(TPopupMenu& menu);

    // Height of an item row for the menu font; separators are 8 high and
    // the rows start 3 pixels below the window's top.
    static int32_t ItemHeightFor(const TFont* font);

    // Lays the items out and places the window so that it fits the work area.
    void Place(TPoint screenPos, TPopupAlignment alignment);
    int32_t Selected() const { return selected_; }
    void SetSelected(int32_t index);
    bool Finished() const { return finished_; }
    TMenuItem* Chosen() const { return chosen_; }
    // The item under a client point, -1 when none.
    int32_t ItemAt(TPoint clientPos) const;
    TRect ItemRect(int32_t index) const;
    void Cancel();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void Dispatch(TMessage& message) override;

private:
    void Choose(int32_t index);
    void MoveSelection(int32_t step);
    void HandleKey(uint16_t key);
    void HandleChar(char32_t ch);
    void HandleMouse(TMessage& message);

    TPopupMenu& menu_;
    std::vector<TMenuItem*> visibleItems_;
    std::vector<int32_t> tops_;
    int32_t itemHeight_ = 18;
    int32_t shortCutColumn_ = 0;
    int32_t selected_ = -1;
    bool finished_ = false;
    TMenuItem* chosen_ = nullptr;
};
