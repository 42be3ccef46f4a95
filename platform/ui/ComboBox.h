#pragma once
// The combo box: a face with a drop-down button and, in the csDropDown
// style, an edit child for free text; a popup list window below it. The
// combo tells its parent what happens with WM_COMMAND CBN_* notifications,
// which come back reflected as CN_COMMAND and fire the events. Messages of
// the edit child pass through ComboWndProc, which descendants override.
//
// csSimple behaves as csDropDown (no list that stays open) and
// csOwnerDrawVariable as csOwnerDrawFixed (every item ItemHeight tall).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/StringList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Edit.h"
#include "platform/ui/OwnerDraw.h"

class TComboEdit;
class TCustomEdit;
class TComboListWindow;
class TComboBoxStrings;

// Combo-box messages.
constexpr uint32_t CB_GETEDITSEL = 0x0140; // WParam, LParam: int32_t* start, end
constexpr uint32_t CB_LIMITTEXT = 0x0141;
constexpr uint32_t CB_SETEDITSEL = 0x0142; // LParam MakeWParam(start, end)
constexpr uint32_t CB_ADDSTRING = 0x0143; // LParam const char*
constexpr uint32_t CB_DELETESTRING = 0x0144;
constexpr uint32_t CB_GETCOUNT = 0x0146;
constexpr uint32_t CB_GETCURSEL = 0x0147;
constexpr uint32_t CB_GETLBTEXT = 0x0148; // LParam std::string*
constexpr uint32_t CB_INSERTSTRING = 0x014A;
constexpr uint32_t CB_RESETCONTENT = 0x014B;
constexpr uint32_t CB_FINDSTRING = 0x014C; // WParam start after (-1: from the top), LParam const char*
constexpr uint32_t CB_SELECTSTRING = 0x014D;
constexpr uint32_t CB_SETCURSEL = 0x014E;
constexpr uint32_t CB_SHOWDROPDOWN = 0x014F;
constexpr uint32_t CB_GETITEMDATA = 0x0150;
constexpr uint32_t CB_SETITEMDATA = 0x0151;
constexpr uint32_t CB_SETITEMHEIGHT = 0x0153;
constexpr uint32_t CB_GETITEMHEIGHT = 0x0154;
constexpr uint32_t CB_GETDROPPEDSTATE = 0x0157;
constexpr uint32_t CB_FINDSTRINGEXACT = 0x0158;
constexpr uint32_t CB_GETTOPINDEX = 0x015B;
constexpr uint32_t CB_SETTOPINDEX = 0x015C;
constexpr uint32_t CB_GETDROPPEDWIDTH = 0x015F;
constexpr uint32_t CB_SETDROPPEDWIDTH = 0x0160;
constexpr LRESULT CB_ERR = -1;

// Combo-box notifications (high word of WM_COMMAND's WParam).
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t CBN_DBLCLK = 2;
constexpr uint16_t CBN_SETFOCUS = 3;
constexpr uint16_t CBN_KILLFOCUS = 4;
constexpr uint16_t CBN_EDITCHANGE = 5;
constexpr uint16_t CBN_EDITUPDATE = 6;
constexpr uint16_t CBN_DROPDOWN = 7;
constexpr uint16_t CBN_CLOSEUP = 8;
constexpr uint16_t CBN_SELENDOK = 9;
constexpr uint16_t CBN_SELENDCANCEL = 10;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

using TDrawItemEvent =
    std::function<void(TWinControl* control, int32_t index, const TRect& rect, TOwnerDrawState state)>;

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    // ---- Properties ----
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle value);
    TStrings* Items();
    void SetItems(const TStrings* value);
    int32_t ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int32_t value);
    int32_t ItemHeight() const;
    void SetItemHeight(int32_t value);
    int32_t DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int32_t value) { dropDownCount_ = value > 0 ? value : 1; }
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t value);
    // The case typed text takes in the edit styles.
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool value) { autoDropDown_ = value; }
    bool AutoCloseUp() const { return autoCloseUp_; }
    void SetAutoCloseUp(bool value) { autoCloseUp_ = value; }
    // The edit child's selection (csDropDown), or the whole text.
    int32_t SelStart();
    void SetSelStart(int32_t value);
    int32_t SelLength();
    void SetSelLength(int32_t value);
    std::string SelText();
    void SelectAll();
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);

    // Item data (the Objects of Items).
    TObject* ItemData(int32_t index) const;
    void SetItemData(int32_t index, TObject* data);

    // The edit child of csDropDown (nullptr in the list styles).
    TCustomEdit* EditControl() const;
    TComboListWindow* ListWindow() const { return list_.get(); }
    // The drop-down button's rectangle in client coordinates.
    TRect ButtonRect() const;

    void Clear();
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    // The canvas an item is being drawn on (during OnDrawItem only).
    TCanvas* Canvas() const { return drawCanvas_; }

    // ---- Events ----
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;

    // Width of the drop-down button.
    static constexpr int32_t ButtonWidth = 16;

protected:
    friend class TComboEdit;
    friend class TComboListWindow;
    friend class TComboBoxStrings;

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& message) override;
    // The combo window's own behaviour: CB_* messages, keys, mouse, painting.
    void DefaultHandler(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    void BoundsChanged() override;

    // Every message of the edit child; `comboProc` is the edit's own window
    // procedure, which the message reaches unless the override swallows it.
    virtual void ComboWndProc(TMessage& message, HWND comboWnd, const TWndMethod& comboProc);
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state);
    bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    bool HasEdit() const { return style_ == csDropDown || style_ == csSimple; }
    // The focused flag as the combo keeps it: itself or its edit child.
    bool HasFocus() const;

    // Sends a CBN_* notification to the parent (reflected back as CN_COMMAND).
    void Notify(uint16_t code);

private:
    struct TItem {
        std::string Text;
        uintptr_t Data = 0;
    };

    // Items.
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    int32_t InsertItem(int32_t index, const std::string& text, uintptr_t data);
    void DeleteItem(int32_t index);
    void ResetContent();
    int32_t FindString(int32_t after, const std::string& prefix, bool exact) const;
    void SetCurSel(int32_t index);
    void ItemsChanged();

    // Messages and input of the combo window.
    bool HandleComboMessage(TMessage& message);
    void CNDrawItem(TMessage& message);
    bool ListKey(uint16_t key, TShiftState shift);
    void SearchByChar(char32_t ch);
    void PressFace(TPoint p);
    void ShowList(bool fromMouse);
    // Closes the list; `accept` picks CBN_SELENDOK over CBN_SELENDCANCEL.
    void HideList(bool accept);
    // A click in the list chose an item.
    void ChooseFromList(int32_t index);
    void MoveListSelection(int32_t index);
    void SyncEditText();
    void LayoutEdit();
    // Draws an item (owner drawing through WM_DRAWITEM) into `canvas`.
    void PaintItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t itemState);
    int32_t FontItemHeight() const;

    TComboBoxStyle style_ = csDropDown;
    std::vector<TItem> items_;
    std::unique_ptr<TComboBoxStrings> strings_;
    int32_t itemIndex_ = -1;
    int32_t itemHeight_ = 0; // 0: from the font
    int32_t dropDownCount_ = 8;
    int32_t droppedWidth_ = 0;
    bool sorted_ = false;
    int32_t maxLength_ = 0;
    TEditCharCase charCase_ = ecNormal;
    bool autoDropDown_ = false;
    bool autoCloseUp_ = false;
    bool ctl3D_ = true;
    bool focused_ = false;
    bool buttonPressed_ = false;
    bool settingEditText_ = false;
    TCanvas* drawCanvas_ = nullptr;
    TComboEdit* edit_ = nullptr;
    std::unique_ptr<TComboListWindow> list_;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};
