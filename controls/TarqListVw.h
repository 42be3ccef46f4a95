#pragma once
// The library's list view: a background colour that follows the state
// (normal, focused, disabled), an optional frame of its own in the client
// edge with a "hot" look, a last column that stretches to the client width,
// sorting by a click on a column header with a sort arrow drawn into
// owner-drawn header items, and events around check-box changes.

#include <cstdint>
#include <functional>

#include "controls/TarqFieldColors.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqFrameSettings.h"
#include "controls/TarqHotState.h"
#include "controls/TarqTypes.h"
#include "platform/ui/ListView.h"

class THeaderControl;
class TPopupMenu;

// Where the sort arrow is drawn in the sorted column's header item.
enum TTarqLVHeaderSortDisplayMode : uint8_t { hsdmNone, hsdmLeftAlign, hsdmRightOfText, hsdmRightAlign };

using TTarqLVCheckStateChanging =
    std::function<void(TObject* sender, TListItem* item, bool toBeChecked, bool& allowChange)>;
// May move the item's context menu or replace it (nullptr shows none).
using TTarqLVOnItemContextMenuEvent =
    std::function<void(TObject* sender, TListItem* item, TPoint& pos, TPopupMenu*& menu)>;

class TTarqCustomListView : public TCustomListView {
public:
    explicit TTarqCustomListView(TComponent* owner);
    ~TTarqCustomListView() override;

    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    void SetViewStyle(TViewStyle value) override;

    // ---- Sorting and columns ----
    bool AlphaSortAll() const { return alphaSortAll_; }
    void SetAlphaSortAll(bool value) { alphaSortAll_ = value; }
    // In a row-select report, label editing starts only with the mouse on the
    // item's caption unless this lets the whole row start it.
    bool EditOnRowClick() const { return editOnRowClick_; }
    void SetEditOnRowClick(bool value) { editOnRowClick_ = value; }
    bool FillLastColumn() const { return fillLastColumn_; }
    virtual void SetFillLastColumn(bool value);
    // Widens the last column to what the others leave of the client width.
    virtual void FillLastColumnWidth();

    // The column showing the sort arrow (-1 none) and its direction.
    int32_t SortColumn() const { return sortColumn_; }
    void SetSortColumn(int32_t value);
    bool SortDescending() const { return sortDescending_; }
    void SetSortDescending(bool value);
    TTarqLVHeaderSortDisplayMode HeaderSortDisplayMode() const { return headerSortDisplayMode_; }
    void SetHeaderSortDisplayMode(TTarqLVHeaderSortDisplayMode value);
    bool HeaderDefaultDrawing() const { return headerDefaultDrawing_; }
    void SetHeaderDefaultDrawing(bool value);
    // Column c's order: empty texts after all others, case ignored.
    static int32_t CompareAscending(const TListItem* item1, const TListItem* item2, int32_t column);
    // Rewrites the header items' formats for the sort display mode.
    void UpdateHeaderFormats();

    // ---- Colours by state ----
    TColor DisabledColor() const { return colors_.disabled; }
    virtual void SetDisabledColor(TColor value);
    TColor FocusColor() const { return colors_.focus; }
    virtual void SetFocusColor(TColor value);
    // What Color shows while the control is idle.
    TColor NormalColor() const { return colors_.normal; }

    // ---- Frame ----
    TColor FrameColor() const { return frame_.color; }
    virtual void SetFrameColor(TColor value);
    TColor FrameHotColor() const { return frame_.hotColor; }
    virtual void SetFrameHotColor(TColor value);
    bool FrameHotTrack() const { return frame_.hotTrack; }
    virtual void SetFrameHotTrack(bool value);
    TFrameStyle FrameHotStyle() const { return frame_.hotStyle; }
    virtual void SetFrameHotStyle(TFrameStyle value);
    TSides FrameSides() const { return frame_.sides; }
    virtual void SetFrameSides(TSides value);
    TFrameStyle FrameStyle() const { return frame_.style; }
    virtual void SetFrameStyle(TFrameStyle value);
    bool FrameVisible() const { return frame_.visible; }
    virtual void SetFrameVisible(bool value);
    TFramingPreference FramingPreference() const { return frame_.framingPreference; }
    virtual void SetFramingPreference(TFramingPreference value);
    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value);
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
    bool ControlledByFrameController(TTarqFrameControllerProperty property) const
    {
        return frameLink_.Controls(property);
    }

    virtual bool UsesThemes() const { return frame_.UsesThemes(); }
    // The frame's style and colour as they show now.
    TFrameStyle CurrentFrameStyle() const { return frame_.CurrentStyle(IsHot()); }
    bool IsHot() const { return hot_.Hot(); }
    TColor CurrentFrameColor() const { return frame_.CurrentColor(IsHot()); }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TTarqLVCheckStateChanging OnCheckStateChanging;
    TLVNotifyEvent OnCheckStateChange;
    TTarqLVOnItemContextMenuEvent OnItemContextMenu;

protected:
    virtual void UpdateColors();
    virtual void SetMouseState(TTarqMouseStateKind kind, bool value);
    virtual void InvalidateFrame();
    // The common controls' file version the header features depend on.
    virtual uint64_t CommonControlsVersion() const;
    virtual void DoCheckStateChanging(TListItem* item, bool toBeChecked, bool& allowChange);
    virtual void DoCheckStateChange(TListItem* item);
    // Context menus; points in client coordinates.
    virtual void ShowContextMenu(TPoint point);
    virtual void ShowItemContextMenu(TPoint point);
    virtual void DoItemContextMenu(TListItem* item, TPoint& point, TPopupMenu*& menu);
    void KeyDown(uint16_t& key, TShiftState shift) override;

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    void PaintNonClient(TCanvas& windowCanvas) override;
    bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) override;
    void ColClick(TListColumn* column) override;
    bool IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage) override;
    bool CustomDrawItem(TListItem* item, TCustomDrawState state, TCustomDrawStage stage) override;

private:
    void LabelEditNotify(TMessage& message);
    template <class V>
    void ChangeFrame(V& field, V value)
    {
        if (field == value)
            return;
        field = value;
        InvalidateFrame();
    }
    bool HasComCtl6() const;
    void ColorChanged();
    void SortBy(int32_t column, bool descending);
    void FillLastColumnWidth(bool fromLoaded);
    void CheckBoxNotify(TMessage& message);
    void RightClickNotify(const TNMListView& notice);
    void ShowDefaultPopup(TPoint point);
    void ContextMenuRequest(TMessage& message);
    void RightButtonUp(TMessage& message);
    void HeaderNotify(TMessage& message);
    void InvalidateHeaderItem(int32_t index);
    void RepaintHeader();
    bool HeaderFormatsCurrent() const;
    int32_t HeaderFormatFor(int32_t column, int32_t format) const;
    // Owner-drawn header items.
    void DrawHeaderItem(TDrawItemStruct& draw);
    void DrawHeaderItemContents(TCanvas& canvas, int32_t index, const TRect& bounds);
    void DrawSortArrow(TCanvas& canvas, int32_t index, const TRect& box);

    bool alphaSortAll_ = false;
    int32_t lastSortedColumn_ = -1;
    bool fillLastColumn_ = true;
    bool editOnRowClick_ = false;
    TTarqFieldColors colors_;
    TTarqFrameSettings frame_;
    TTarqFrameLink frameLink_{*this};
    int32_t sortColumn_ = -1;
    bool sortDescending_ = false;
    TTarqLVHeaderSortDisplayMode headerSortDisplayMode_ = hsdmRightOfText;
    bool headerDefaultDrawing_ = true;
    int32_t headerUpdateDepth_ = 0;
    TTarqHotState hot_;
    bool linking_ = false;
    bool rightClickOnItem_ = false;
    bool menuShown_ = false;
};

class TTarqListView : public TTarqCustomListView {
public:
    explicit TTarqListView(TComponent* owner);
};

// Registers TTarqListView and its published properties (once).
void RegisterTarqListViewClasses();
