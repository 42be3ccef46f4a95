#pragma once
// The list view in report style: columns under a header control, items
// with sub-items, check boxes as state images, small images, selection and
// focus, both scroll bars. Item state changes are announced to the parent
// with WM_NOTIFY LVN_ITEMCHANGING (a non-zero answer vetoes the change) and
// LVN_ITEMCHANGED, which come back reflected as CN_NOTIFY and fire
// OnChanging, OnChange and OnSelectItem. The header sends its WM_NOTIFY and
// WM_DRAWITEM messages to the list view.
//
// One item at a time can be selected. A caption is edited in place after F2
// or a click on the selected item (LVN_BEGINLABELEDIT asks first; a non-zero
// answer refuses). Every view style lays out as the report.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Collection.h"
#include "platform/core/StringList.h"
#include "platform/ui/Alignment.h"
#include "platform/ui/BorderStyle.h"
#include "platform/ui/Controls.h"
#include "platform/ui/OwnerDraw.h"

class TCustomListView;
class TCustomImageList;
class TEdit;
class THeaderControl;

// List-view messages.
constexpr uint32_t LVM_GETBKCOLOR = 0x1000;
constexpr uint32_t LVM_SETBKCOLOR = 0x1001; // LParam colour
constexpr uint32_t LVM_GETITEMRECT = 0x100E; // WParam item, LParam TRect* whose Left holds the LVIR_* code
constexpr uint32_t LVM_HITTEST = 0x1012; // LParam TLVHitTestInfo*
constexpr uint32_t LVM_ENSUREVISIBLE = 0x1013;
constexpr uint32_t LVM_SCROLL = 0x1014; // WParam dx, LParam dy (pixels)
constexpr uint32_t LVM_GETHEADER = 0x101F;
constexpr uint32_t LVM_SETTEXTBKCOLOR = 0x1026;
constexpr uint32_t LVM_GETTOPINDEX = 0x1027;
constexpr uint32_t LVM_GETCOUNTPERPAGE = 0x1028;
constexpr uint32_t LVM_GETSUBITEMRECT = 0x1038; // WParam item, LParam TRect*: Top sub-item, Left LVIR_* code
constexpr uint32_t LVM_GETCOLUMN = 0x105F; // WParam column, LParam TLVColumn*

constexpr int32_t LVIR_BOUNDS = 0, LVIR_ICON = 1, LVIR_LABEL = 2, LVIR_SELECTBOUNDS = 3;
constexpr uint32_t LVIF_TEXT = 0x1, LVIF_IMAGE = 0x2, LVIF_PARAM = 0x4, LVIF_STATE = 0x8;
constexpr uint32_t LVIS_FOCUSED = 0x1, LVIS_SELECTED = 0x2, LVIS_STATEIMAGEMASK = 0xF000;
constexpr uint32_t IndexToStateImageMask(uint32_t index) { return index << 12; }
constexpr uint32_t LVCF_FMT = 0x1, LVCF_WIDTH = 0x2, LVCF_TEXT = 0x4, LVCF_SUBITEM = 0x8, LVCF_IMAGE = 0x10;
constexpr int32_t LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2, LVCFMT_IMAGE = 0x800;
constexpr uint32_t LVHT_NOWHERE = 0x1, LVHT_ONITEMICON = 0x2, LVHT_ONITEMLABEL = 0x4, LVHT_ONITEMSTATEICON = 0x8,
                   LVHT_ONITEM = 0xE, LVHT_ABOVE = 0x8, LVHT_BELOW = 0x10, LVHT_TORIGHT = 0x20, LVHT_TOLEFT = 0x40;

// Notifications (TNMHdr codes).
constexpr int32_t NM_CLICK = -2, NM_DBLCLK = -3, NM_RCLICK = -5, NM_RDBLCLK = -6;
constexpr int32_t LVN_ITEMCHANGING = -100, LVN_ITEMCHANGED = -101, LVN_BEGINLABELEDIT = -105, LVN_COLUMNCLICK = -108;

struct TNMListView {
    TNMHdr hdr;
    int32_t iItem = -1;
    int32_t iSubItem = 0;
    uint32_t uNewState = 0;
    uint32_t uOldState = 0;
    uint32_t uChanged = 0;
    TPoint ptAction;
    intptr_t lParam = 0;
};

struct TLVColumn {
    uint32_t mask = 0;
    int32_t fmt = LVCFMT_LEFT;
    int32_t cx = 0;
    std::string text;
    int32_t iSubItem = 0;
    int32_t iImage = -1;
};

struct TLVHitTestInfo {
    TPoint pt;
    uint32_t flags = 0;
    int32_t iItem = -1;
    int32_t iSubItem = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TItemChange { ctText, ctImage, ctState };
enum THitTest : uint16_t {
    htAbove = 1 << 0,
    htBelow = 1 << 1,
    htNowhere = 1 << 2,
    htOnItem = 1 << 3,
    htOnButton = 1 << 4,
    htOnIcon = 1 << 5,
    htOnIndent = 1 << 6,
    htOnLabel = 1 << 7,
    htOnRight = 1 << 8,
    htOnStateIcon = 1 << 9,
    htToLeft = 1 << 10,
    htToRight = 1 << 11
};
using THitTests = uint16_t;
enum TCustomDrawTarget { dtControl, dtItem, dtSubItem };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem : uint16_t {
    cdsSelected = 1 << 0,
    cdsGrayed = 1 << 1,
    cdsDisabled = 1 << 2,
    cdsChecked = 1 << 3,
    cdsFocused = 1 << 4,
    cdsDefault = 1 << 5,
    cdsHot = 1 << 6
};
using TCustomDrawState = uint16_t;

// ---------------------------------------------------------------------------
class TListColumn : public TCollectionItem {
public:
    // Joins the collection once its fields are set, so that the list view
    // lays out a complete column.
    explicit TListColumn(TCollection* collection) : TCollectionItem(nullptr) { SetCollection(collection); }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    int32_t Width() const { return width_; }
    void SetWidth(int32_t value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Takes a share of the width the other columns leave.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int32_t value);

private:
    friend class TCustomListView;
    std::string caption_;
    int32_t width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = false;
    int32_t imageIndex_ = -1;
};

// The columns of a list view: a collection, as form resources hold them.
class TListColumns : public TCollection {
public:
    explicit TListColumns(TCustomListView& owner);
    TListColumn* Items(int32_t index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TCustomListView& owner_;
};

// ---------------------------------------------------------------------------
class TListItem {
public:
    explicit TListItem(TCustomListView& owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    // Starts editing the caption in place; false when the list view refuses.
    bool EditCaption();
    TStrings* SubItems() { return subItems_.get(); }
    const TStrings* SubItems() const { return subItems_.get(); }
    int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int32_t value);
    // The state image: 1 unchecked, 2 checked (with check boxes).
    int32_t StateIndex() const { return stateIndex_; }
    bool Checked() const { return stateIndex_ == 2; }
    // Goes through LVN_ITEMCHANGING: a veto leaves the box as it was.
    void SetChecked(bool value);
    bool Selected() const { return (state_ & LVIS_SELECTED) != 0; }
    void SetSelected(bool value);
    bool Focused() const { return (state_ & LVIS_FOCUSED) != 0; }
    void SetFocused(bool value);
    void* Data() const { return data_; }
    void SetData(void* value) { data_ = value; }
    int32_t Index() const;
    TCustomListView* ListView() const { return &owner_; }
    TRect DisplayRect(TDisplayCode code) const;
    void MakeVisible();
    void Delete();

private:
    friend class TCustomListView;
    TCustomListView& owner_;
    std::string caption_;
    std::unique_ptr<TStringList> subItems_;
    int32_t imageIndex_ = -1;
    int32_t stateIndex_ = 0;
    uint32_t state_ = 0;
    void* data_ = nullptr;
};

class TListItems {
public:
    explicit TListItems(TCustomListView& owner) : owner_(owner) {}
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    TListItem* Item(int32_t index) const { return items_.at(static_cast<size_t>(index)).get(); }
    TListItem* operator[](int32_t index) const { return Item(index); }
    TListItem* Add();
    TListItem* Insert(int32_t index);
    void Delete(int32_t index);
    void Clear();
    int32_t IndexOf(const TListItem* item) const;
    // Nested; the view repaints and re-measures once at the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    TCustomListView& owner_;
    std::vector<std::unique_ptr<TListItem>> items_;
};

using TLVNotifyEvent = std::function<void(TObject* sender, TListItem* item)>;
using TLVChangeEvent = std::function<void(TObject* sender, TListItem* item, TItemChange change)>;
using TLVChangingEvent = std::function<void(TObject* sender, TListItem* item, TItemChange change, bool& allowChange)>;
using TLVSelectItemEvent = std::function<void(TObject* sender, TListItem* item, bool selected)>;
using TLVColumnClickEvent = std::function<void(TObject* sender, TListColumn* column)>;
using TLVCompareEvent =
    std::function<void(TObject* sender, TListItem* item1, TListItem* item2, intptr_t data, int32_t& compare)>;
using TLVCustomDrawItemEvent =
    std::function<void(TCustomListView* sender, TListItem* item, TCustomDrawState state, bool& defaultDraw)>;
using TLVEditingEvent = std::function<void(TObject* sender, TListItem* item, bool& allowEdit)>;
// May change the edited text; setting it back to the caption keeps the caption.
using TLVEditedEvent = std::function<void(TObject* sender, TListItem* item, std::string& text)>;
// A sort callback: negative, zero or positive like a comparison.
using TLVCompare = std::function<int32_t(TListItem* item1, TListItem* item2, intptr_t data)>;

// ---------------------------------------------------------------------------
class TCustomListView : public TWinControl {
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;

    // ---- Content ----
    TListColumns* Columns() { return &columns_; }
    TListColumn* Column(int32_t index) { return columns_.Items(index); }
    TListItems* Items() { return &items_; }
    THeaderControl* Header() const { return header_; }

    // ---- Properties ----
    TViewStyle ViewStyle() const { return viewStyle_; }
    virtual void SetViewStyle(TViewStyle value);
    bool Checkboxes() const { return checkboxes_; }
    void SetCheckboxes(bool value);
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool value);
    bool ColumnClick() const { return columnClick_; }
    void SetColumnClick(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TCustomImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* value);

    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    TListItem* TopItem() const;
    int32_t VisibleRowCount() const;
    int32_t RowHeight() const;
    int32_t HeaderHeight() const;

    // ---- Geometry ----
    TListItem* GetItemAt(int32_t x, int32_t y) const;
    THitTests GetHitTestInfoAt(int32_t x, int32_t y) const;
    // A cell's rectangle in client coordinates; sub-item 0 is the caption.
    TRect SubItemRect(const TListItem* item, int32_t subItem, TDisplayCode code) const;
    TRect ItemDisplayRect(const TListItem* item, TDisplayCode code) const;
    void Scroll(int32_t dx, int32_t dy);
    int32_t ScrollLeft() const { return scrollX_; }

    // ---- Sorting ----
    bool CustomSort(const TLVCompare& compare, intptr_t data);
    // By caption (or OnCompare when assigned).
    bool AlphaSort();

    // ---- Label editing ----
    bool IsEditing() const { return editor_ != nullptr; }
    // The in-place edit while a caption is edited, else null.
    TEdit* EditControl() const { return editor_; }

    // The canvas of the item being drawn (during custom drawing only).
    TCanvas* Canvas() const { return drawCanvas_; }

    // ---- Events ----
    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVSelectItemEvent OnSelectItem;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TLVCustomDrawItemEvent OnCustomDrawItem;
    TLVNotifyEvent OnDeletion;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;

protected:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumns;

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    // The list window's own behaviour: LVM_* messages, keys, mouse, painting,
    // the header's notifications.
    void DefaultHandler(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    void Notification(TComponent* component, TOperation operation) override;
    void BoundsChanged() override;

    virtual bool CanChange(TListItem* item, TItemChange change);
    virtual void Change(TListItem* item, TItemChange change);
    virtual void DoSelectItem(TListItem* item, bool selected);
    virtual void ColClick(TListColumn* column);
    // Whether the caption may be edited: not in a read-only view, and OnEditing agrees.
    virtual bool CanEdit(TListItem* item);
    virtual void Edited(TListItem* item, std::string& text);
    virtual bool IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage);
    // Returns whether the item is drawn the default way (on Canvas's colours).
    virtual bool CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage);

private:
    // State changes with their notifications; false when vetoed.
    bool ChangeState(TListItem* item, uint32_t newState, uint32_t mask);
    LRESULT Notify(int32_t code, int32_t item, uint32_t newState = 0, uint32_t oldState = 0, uint32_t changed = 0,
                   TPoint at = {}, int32_t subItem = 0);
    void ItemsChanged();
    void ColumnsChanged();
    void SyncHeader();
    void UpdateLayout();
    void AutoSizeColumns();
    void UpdateScrollBars();
    int32_t TotalColumnWidth() const;
    int32_t ColumnLeft(int32_t column) const;
    int32_t RowTop(int32_t index) const;
    int32_t StateImageWidth() const { return checkboxes_ ? 16 : 0; }
    int32_t SmallImageWidth() const;
    void SetTopIndex(int32_t index);
    void EnsureVisible(int32_t index);

    bool HandleListMessage(TMessage& message);
    void HeaderNotify(TMessage& message);
    void HandleKeyDown(uint16_t key);
    void MouseDownAt(TPoint p, TMouseButton button, bool dbl);
    void FocusAndSelect(int32_t index);
    // `at` (client coordinates) is where the mouse is, for LVN_BEGINLABELEDIT.
    bool BeginLabelEdit(TListItem* item, TPoint at);
    void EndLabelEdit(bool keepText);
    void PaintItem(TCanvas& canvas, int32_t index);
    void PaintCell(TCanvas& canvas, TListItem* item, int32_t column, bool highlighted);

    TListColumns columns_;
    TListItems items_;
    THeaderControl* header_ = nullptr;
    TViewStyle viewStyle_ = vsIcon;
    bool checkboxes_ = false;
    bool rowSelect_ = false;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    bool showColumnHeaders_ = true;
    bool columnClick_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    TComponentRef<TCustomImageList> smallImages_{this};
    TEdit* editor_ = nullptr; // owned as a component, like the ended ones
    TListItem* editedItem_ = nullptr;
    std::vector<TEdit*> retiredEditors_; // freed by the CM_RELEASE posted when an edit ends
    TColor bkColor_ = clWindow;
    TColor textBkColor_ = clWindow;
    int32_t topIndex_ = 0;
    int32_t scrollX_ = 0;
    int32_t updateCount_ = 0;
    bool layingOut_ = false;
    bool wantVScroll_ = false;
    bool wantHScroll_ = false;
    bool focused_ = false;
    TCanvas* drawCanvas_ = nullptr;
};

class TListView : public TCustomListView {
public:
    explicit TListView(TComponent* owner) : TCustomListView(owner) {}
};
