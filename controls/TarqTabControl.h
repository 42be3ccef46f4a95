#pragma once
// The tab control: a list of tabs laid out in one scrolling row or several
// rows along one side, painted in one of five shapes with a card (the page
// area) beside them, with hot tracking, keyboard and mouse selection, a
// scroller, a close button, a tab-list menu button and tab dragging.
// TTarqPageControl builds its tabs from pages and publishes it all.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/TarqTabTypes.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/Controls.h"

class TTimer;
class TTarqTabScroller;
class TTarqTabCloseButton;
class TTarqTabMenuButton;

class TTarqCustomTabControl : public TCustomControl {
public:
    explicit TTarqCustomTabControl(TComponent* owner);
    ~TTarqCustomTabControl() override;

    // ---- Tabs ----
    TTarqTabDataList* Tabs() { return &tabs_; }
    int32_t TabIndex() const { return tabIndex_; }
    virtual void SetTabIndex(int32_t value);
    // Whether tab i may become current (asks OnChanging for another tab).
    bool CanChangeTo(int32_t index);
    int32_t TabAtPos(int32_t x, int32_t y);
    int32_t RowCount() const { return rowCount_; }
    int32_t RowThickness() const { return rowThickness_; }
    void SetRowThickness(int32_t value) { rowThickness_ = value; }
    int32_t FirstDisplayedTab() const { return firstDisplayed_; }
    int32_t HotTab() const { return hotTab_; }
    bool Scrolling() const { return scrolling_; }
    bool HotRepaint() const { return hotRepaint_; }

    // ---- Settings ----
    bool AlignTabs() const { return alignTabs_; }
    virtual void SetAlignTabs(bool value);
    bool AllowTabDragging() const { return allowTabDragging_; }
    void SetAllowTabDragging(bool value) { allowTabDragging_ = value; }
    TColor BackgroundColor() const { return backgroundColor_; }
    virtual void SetBackgroundColor(TColor value);
    bool BoldCurrentTab() const { return boldCurrentTab_; }
    virtual void SetBoldCurrentTab(bool value);
    int32_t CutCornerSize() const { return cutCornerSize_; }
    virtual void SetCutCornerSize(int32_t value);
    TColor FlatColor() const { return flatColor_; }
    virtual void SetFlatColor(TColor value);
    int32_t FlatColorAdjustment() const { return flatColorAdjustment_; }
    virtual void SetFlatColorAdjustment(int32_t value);
    bool HotTrack() const { return hotTrack_; }
    virtual void SetHotTrack(bool value);
    TColor HotTrackColor() const { return hotTrackColor_; }
    virtual void SetHotTrackColor(TColor value);
    TTarqHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
    virtual void SetHotTrackColorType(TTarqHotTrackColorType value);
    TTarqTabHotTrackStyle HotTrackStyle() const { return hotTrackStyle_; }
    virtual void SetHotTrackStyle(TTarqTabHotTrackStyle value);
    TTarqHorizontalAlignment ImageAlignment() const { return imageAlignment_; }
    virtual void SetImageAlignment(TTarqHorizontalAlignment value);
    TTarqVerticalAlignment ImageAlignmentVertical() const { return imageAlignmentVertical_; }
    virtual void SetImageAlignmentVertical(TTarqVerticalAlignment value);
    int32_t ImageMargin() const { return imageMargin_; }
    virtual void SetImageMargin(int32_t value);
    TTarqImagePosition ImagePosition() const { return imagePosition_; }
    virtual void SetImagePosition(TTarqImagePosition value);
    TCustomImageList* Images() const { return images_; }
    virtual void SetImages(TCustomImageList* value);
    int32_t Margin() const { return margin_; }
    virtual void SetMargin(int32_t value);
    bool MultiLine() const { return multiLine_; }
    virtual void SetMultiLine(bool value);
    bool ParentBackgroundColor() const { return parentBackgroundColor_; }
    virtual void SetParentBackgroundColor(bool value);
    int32_t RowIndent() const { return rowIndent_; }
    virtual void SetRowIndent(int32_t value);
    int32_t RowOverlap() const { return rowOverlap_; }
    virtual void SetRowOverlap(int32_t value);
    bool ShowCardFrame() const { return showCardFrame_; }
    virtual void SetShowCardFrame(bool value);
    bool ShowCloseButton() const { return showCloseButton_; }
    virtual void SetShowCloseButton(bool value);
    bool ShowFocusRect() const { return showFocusRect_; }
    virtual void SetShowFocusRect(bool value);
    bool ShowFullFrame() const { return showFullFrame_; }
    virtual void SetShowFullFrame(bool value);
    bool ShowMenuButton() const { return showMenuButton_; }
    virtual void SetShowMenuButton(bool value);
    bool ShowShadow() const { return showShadow_; }
    virtual void SetShowShadow(bool value);
    bool SoftCorners() const { return softCorners_; }
    virtual void SetSoftCorners(bool value);
    TTarqTabColors* TabColors() { return &tabColors_; }
    void SetTabColors(const TTarqTabColors* value) { tabColors_.Assign(value); }
    int32_t TabHeight() const { return tabHeight_; }
    virtual void SetTabHeight(int32_t value);
    bool TabHints() const { return tabHints_; }
    virtual void SetTabHints(bool value);
    TTarqTabOrientation TabOrientation() const { return tabOrientation_; }
    virtual void SetTabOrientation(TTarqTabOrientation value);
    int32_t TabOverlap() const { return tabOverlap_; }
    virtual void SetTabOverlap(int32_t value);
    TTarqTabSequence TabSequence() const { return tabSequence_; }
    virtual void SetTabSequence(TTarqTabSequence value);
    TTarqTabStyle TabStyle() const { return tabStyle_; }
    virtual void SetTabStyle(TTarqTabStyle value);
    int32_t TabWidth() const { return tabWidth_; }
    virtual void SetTabWidth(int32_t value);
    TTarqHorizontalAlignment TextAlignment() const { return textAlignment_; }
    virtual void SetTextAlignment(TTarqHorizontalAlignment value);
    TTarqVerticalAlignment TextAlignmentVertical() const { return textAlignmentVertical_; }
    virtual void SetTextAlignmentVertical(TTarqVerticalAlignment value);
    TTarqTextColors* TextColors() { return &textColors_; }
    void SetTextColors(const TTarqTextColors* value) { textColors_.Assign(value); }
    TOrientation TextOrientation() const { return textOrientation_; }
    virtual void SetTextOrientation(TOrientation value);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool UseColoredTabs() const { return useColoredTabs_; }
    virtual void SetUseColoredTabs(bool value);
    bool UseGradients() const { return useGradients_; }
    virtual void SetUseGradients(bool value);
    int32_t RegionCacheCapacity() const { return regionCache_.Capacity(); }
    // Only -1 or a positive value is taken.
    void SetRegionCacheCapacity(int32_t value);

    // ---- Events ----
    TTarqTabChangingEvent OnChanging;
    TNotifyEvent OnChange;
    TNotifyEvent OnPageChange;
    TNotifyEvent OnTabClick;
    TTarqTabCloseEvent OnClose;
    TTarqGetTextColorEvent OnGetTextColor;
    TTarqPaintBackgroundEvent OnPaintBackground;
    TTarqPaintCardBackgroundEvent OnPaintCardBackground;
    TTarqPaintTabBackgroundEvent OnPaintTabBackground;
    TTarqTabOrderChangeEvent OnTabOrderChange;

    // ---- Text measurement (replaceable, for layout without a font engine) ----
    void SetTextMeasurer(std::shared_ptr<ITarqTextMeasurer> measurer);

    // ---- Layout ----
    virtual void RequestLayout();
    void SetLayoutFlag(bool value);
    void UpdateLayout();
    void CalcTabLayout();
    TRect GetTabStripRect() const;
    int32_t TabStripThickness() const;
    int32_t TabStripLength() const;
    TRect GetCardRect(int32_t row) const;
    TRect GetDisplayRect() const;
    TRect GetTabRect(int32_t index) const;
    TRect GetTabControlRect(int32_t index) const;
    TPoint StripPointToControl(TPoint p) const;
    TRect StripRectToControl(const TRect& r) const;
    int32_t ScrollOffset() const;
    std::vector<TPoint> GetTabShape(int32_t index) const;
    std::vector<TPoint> GetTabShapeInControl(int32_t index) const;
    // The region is the cache's: use it at once. nullptr for a degenerate shape.
    const TRegion* GetTabRegion(int32_t index);
    bool TabIsDisplayable(int32_t index) const;
    int32_t FirstVisibleTab() const;
    int32_t LastVisibleTab() const;
    int32_t ButtonSize();
    int32_t CloseButtonSize();
    int32_t MenuButtonSize();
    void PositionCloseButton();
    void PositionMenuButton();
    void PositionScroller();
    void UpdateScrollState();
    TSize MeasureText(const std::string& text, bool horizontal);
    TSize MinimumTabSize();
    TSize TabOuterSize(int32_t a, int32_t b) const;
    int32_t TabOverlapOf(int32_t v) const;
    void RotateRows(int32_t index);
    static std::vector<std::string> SplitLines(const std::string& caption);
    static std::string StripAccelerator(const std::string& line);

    // ---- Painting ----
    TRect GetTabContentRect(const TRect& tabRect) const;
    TBitmap* WorkBitmap() { return workBitmap_.get(); }
    TColor LineColor() const;

    // ---- Input and child buttons ----
    void ScrollTabs(bool forward);
    void ScrollUpRightClick(TObject* sender);
    void ScrollDownLeftClick(TObject* sender);
    void CloseCurrentTab(TObject* sender);
    bool DoClose();
    void ClearHotTab();
    void StopHotTimer();
    bool HotTimerRunning() const { return hotTimerRunning_; }
    TTarqTabScroller* Scroller() const { return scroller_; }
    TTarqTabCloseButton* CloseButton() const { return closeButton_; }
    TTarqTabMenuButton* MenuButton() const { return menuButton_; }
    // Tab dragging within the control.
    bool DropIndicatorShown() const { return dropIndicatorShown_; }
    TRect DropIndicatorRect() const { return dropIndicator_; }
    int32_t DropTarget() const { return dropTarget_; }
    void DragScrollTimer(TObject* sender);
    void DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept) override;
    void DragDrop(TObject* source, int32_t x, int32_t y) override;

    virtual void InvalidateTabs();
    void SetParent(TWinControl* parent) override;
    void AlignControls(TControl* control, TRect& rect) override;
    void Loaded() override;

protected:
    virtual void DoChanging(int32_t newIndex, bool& allow);
    virtual void DoGetTextColor(int32_t tabIndex, TTarqTextStyle style, bool& handled, TColor& color);
    virtual void DoTabClick();
    virtual void DoPaintBackground(TCanvas* canvas, const TRect& rect, bool& handled);
    virtual void DoPaintCardBackground(TCanvas* canvas, int32_t row, const TRect& rect, bool& handled);
    virtual void DoPaintTabBackground(TCanvas* canvas, int32_t tabIndex, const TRect& rect, bool& handled);
    virtual void DrawDropIndicator(const TRect& rect);
    virtual void CloseActiveTab() {}
    virtual void MoveActiveTab(int32_t) {}
    virtual void DoChange();
    virtual void DoPageChange();
    virtual void DoTabOrderChange(int32_t oldIndex, int32_t newIndex);
    virtual void HideAllTabs() {}
    virtual void ShowAllTabs() {}
    void SetFrameFlag(bool value);
    void SetRowCount(int32_t value);
    bool IsLoadingOrReading() const { return HasState(csLoading) || HasState(csReading); }

    void CreateParams(TCreateParams& params) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

    bool changeApproved_ = false;
    int32_t tabIndex_ = -1;

private:
    friend class TTarqTabOutline;

    // Layout helpers.
    struct TLayoutTab;
    TSize ContentSize(int32_t index);
    TSize ImageSize(int32_t index) const;
    int32_t TabLength(int32_t index, TSize largest, int32_t rowLength);
    int32_t CountRows(TSize largest);
    void PlaceTabs(TSize largest);
    void JustifyRows();
    int32_t RowY(int32_t row) const;
    int32_t ChildButtonsLength();
    bool Horizontal() const { return tabOrientation_ == toTop || tabOrientation_ == toBottom; }
    bool VerticalText() const { return textOrientation_ == orVertical; }
    std::unique_ptr<TFont> TabFontFor(bool bold) const;
    void SelectTabFont(TCanvas& canvas, bool bold);
    void RestoreTabFont(TCanvas& canvas);
    void ChooseCurrentTabAfterLayout(int32_t firstVisible);
    void ApplyButtonFrameColors();

    // Painting helpers.
    void DrawTabsAndCards();
    void DrawTab(int32_t index);
    void DrawCard(int32_t row);
    void PaintTabBackground(int32_t index, const TRect& rect);
    void DrawTabContent(int32_t index, const TRect& rect);
    void DrawTabImage(int32_t index, const TRect& content, TSize image);
    TColor CaptionColor(int32_t index, TTarqTextStyle style, TColor fallback);
    void DrawBar(const TRect& tabRect, TColor color);
    void DrawCaption(int32_t index, const TRect& textRect, TColor color, int32_t offset);
    TRect FitTextRect(const TRect& textRect, TSize text) const;
    void DrawTextLine(int32_t x, int32_t y, TColor color, bool horizontal, TCanvas& canvas, const std::string& line);
    void DrawFocusRectangle(int32_t index, const TRect& textRect);
    // The indicator's picture: an arrow in the shadow colour on black, which
    // leaves what it is drawn over unchanged.
    std::unique_ptr<TBitmap> DropIndicatorPicture(const TRect& rect) const;
    void QueueOp(int32_t code) { ops_.push_back(code); }
    void QueuePointOp(int32_t code, TPoint p);
    void QueueTabOutline(int32_t index);
    void QueueCardFrame(int32_t row);
    void QueueShadow(TPoint b, TPoint c, TPoint d);
    void RunOutline();
    void ShadowLine(TCanvas& canvas, TBitmap& parentImage, TPoint from, TPoint to, uint8_t weight);

    // Input helpers.
    void ApplyTabIndex(int32_t value, int32_t old);
    int32_t KeyTarget(uint16_t key);
    int32_t WalkFrom(int32_t start, int32_t step);
    void StartHotTimer();
    void WMTimer(TMessage& message);
    void CMDialogChar(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMColorChanged(TMessage& message);
    void CMParentColorChanged(TMessage& message);
    void CreateScroller();
    void CreateCloseButton();
    void CreateMenuButton();
    void RepaintChildButtons();
    TRect DropIndicatorFor(int32_t target) const;
    void RemoveDropIndicator();

    std::unique_ptr<TBitmap> workBitmap_;
    std::shared_ptr<ITarqTextMeasurer> measurer_;
    bool layoutPending_ = false;
    bool layoutInAlign_ = false;
    std::vector<int32_t> ops_;
    bool paintedOnce_ = false;
    int32_t firstDisplayed_ = 0;
    int32_t rowThickness_ = 0;
    int32_t fontSaveLevel_ = 0;
    int32_t hotTab_ = -1;
    std::string savedHint_;
    TRect displayRect_;
    int32_t rowCount_ = 1;
    TTarqTabScroller* scroller_ = nullptr;
    TTarqTabCloseButton* closeButton_ = nullptr;
    TTarqTabMenuButton* menuButton_ = nullptr;
    bool scrolling_ = false;
    TTarqTabDataList tabs_;
    TTarqTabRegionCache regionCache_;
    TFont tabFont_;
    bool hotTimerRunning_ = false;
    TTimer* dragScrollTimer_ = nullptr;
    uint16_t dragScrollFirstDelay_ = 400;
    uint16_t dragScrollRepeatDelay_ = 300;
    bool cardShown_ = true;
    bool hotRepaint_ = false;
    TChangeLink imagesLink_;
    int32_t dragStartTab_ = -1;
    TRect dropIndicator_;
    bool dropIndicatorShown_ = false;
    int32_t dropTarget_ = -1;

    bool alignTabs_ = false;
    bool allowTabDragging_ = false;
    TColor backgroundColor_ = clBtnFace;
    bool boldCurrentTab_ = false;
    int32_t cutCornerSize_ = 6;
    TColor flatColor_ = clBtnShadow;
    int32_t flatColorAdjustment_ = 0;
    bool hotTrack_ = true;
    TColor hotTrackColor_ = 0x00149BF0;
    TTarqHotTrackColorType hotTrackColorType_ = htctActual;
    TTarqTabHotTrackStyle hotTrackStyle_ = htsTab;
    TTarqHorizontalAlignment imageAlignment_ = haCenter;
    TTarqVerticalAlignment imageAlignmentVertical_ = vaCenter;
    int32_t imageMargin_ = 2;
    TTarqImagePosition imagePosition_ = ipLeft;
    TComponentRef<TCustomImageList> images_{this};
    int32_t margin_ = 0;
    bool multiLine_ = false;
    bool parentBackgroundColor_ = true;
    int32_t rowIndent_ = 5;
    int32_t rowOverlap_ = 5;
    bool showCardFrame_ = true;
    bool showCloseButton_ = false;
    bool showFocusRect_ = true;
    bool showFullFrame_ = true;
    bool showMenuButton_ = false;
    bool showShadow_ = true;
    bool softCorners_ = false;
    TTarqTabColors tabColors_{this};
    int32_t tabHeight_ = 0;
    bool tabHints_ = false;
    TTarqTabOrientation tabOrientation_ = toTop;
    int32_t tabOverlap_ = -1;
    TTarqTabSequence tabSequence_ = tsStandard;
    TTarqTabStyle tabStyle_ = tsSingleSlant;
    int32_t tabWidth_ = 0;
    TTarqHorizontalAlignment textAlignment_ = haCenter;
    TTarqVerticalAlignment textAlignmentVertical_ = vaCenter;
    TTarqTextColors textColors_{this};
    TOrientation textOrientation_ = orHorizontal;
    bool transparent_ = false;
    bool useColoredTabs_ = false;
    bool useGradients_ = true;
};

// The hot-track window timer's identifier.
constexpr uintptr_t TabHotTrackTimerId = 1;
