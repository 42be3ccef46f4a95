#pragma once
// The page control: a tab control whose tabs come from its pages. It shows
// one page (the active page) in the card, switches pages with the current
// tab, moves a page when its tab is dragged, closes the active page through
// the close button and cycles pages with Ctrl+Tab.

#include <cstdint>
#include <vector>

#include "controls/TarqTabControl.h"

class TTarqPageControl;

class TTarqTabSheet : public TCustomControl {
public:
    explicit TTarqTabSheet(TComponent* owner);
    ~TTarqTabSheet() override;

    TTarqPageControl* PageControl() const { return pageControl_; }
    virtual void SetPageControl(TTarqPageControl* value);
    void SetParent(TWinControl* parent) override;

    // Raises Exception when the index is outside 0 .. page count - 1.
    int32_t PageIndex() const;
    virtual void SetPageIndex(int32_t value);
    // -1 while the tab is hidden, else the number of visible tabs before it.
    int32_t TabIndex() const;

    TColor Color() const { return TControl::Color(); }
    virtual void SetColor(TColor value);
    int32_t ImageIndex() const { return imageIndex_; }
    virtual void SetImageIndex(int32_t value);
    int32_t DisabledIndex() const { return disabledIndex_; }
    virtual void SetDisabledIndex(int32_t value);
    bool TabEnabled() const { return tabEnabled_; }
    virtual void SetTabEnabled(bool value);
    bool TabVisible() const { return tabVisible_; }
    virtual void SetTabVisible(bool value);
    // A page is shown and hidden by its page control only.
    bool SheetVisible() const { return Visible(); }
    [[noreturn]] void SetSheetVisible(bool value);

    void CopyToTabData(TTarqTabData& tab) const;
    // For the page control: show or hide, and give up the window handle.
    void SetShown(bool value) { TControl::SetVisible(value); }
    void ReleaseHandle() { DestroyHandle(); }

    TTarqPaintBackgroundEvent OnPaintBackground;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void Dispatch(TMessage& message) override;

private:
    friend class TTarqPageControl;
    void UpdateTabs();

    int32_t disabledIndex_ = -1;
    int32_t imageIndex_ = -1;
    TTarqPageControl* pageControl_ = nullptr;
    bool tabEnabled_ = true;
    bool tabVisible_ = true;
};

class TTarqPageControl : public TTarqCustomTabControl {
public:
    explicit TTarqPageControl(TComponent* owner);
    ~TTarqPageControl() override;

    int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
    TTarqTabSheet* Pages(int32_t index) const;
    int32_t IndexOfPage(const TTarqTabSheet* page) const;
    TTarqTabSheet* ActivePage() const { return activePage_; }
    virtual void SetActivePage(TTarqTabSheet* page);
    TTarqTabSheet* ActivePageDefault() const { return activePageDefault_; }
    void SetActivePageDefault(TTarqTabSheet* page);
    int32_t ActivePageIndex() const;
    virtual void SetActivePageIndex(int32_t index);
    bool DblClickUndocks() const { return dblClickUndocks_; }
    void SetDblClickUndocks(bool value) { dblClickUndocks_ = value; }
    bool SaveResources() const { return saveResources_; }
    virtual void SetSaveResources(bool value);

    void InsertPage(TTarqTabSheet* page);
    void RemovePage(TTarqTabSheet* page);
    void MovePage(TTarqTabSheet* page, int32_t newIndex);
    void ShowPage(TTarqTabSheet* page);
    TTarqTabSheet* PageForTabIndex(int32_t tabIndex) const;
    TTarqTabSheet* FindNextPage(TTarqTabSheet* from, bool forward, bool visibleOnly) const;
    void SelectNextPage(bool forward);
    // The control docked on the page whose tab is at the client point.
    TControl* DockClientAtPos(TPoint clientPos);
    void DockOver(TDragDockObject* source, int32_t x, int32_t y, TDragState state, bool& accept) override;
    void GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos, bool& canDock) override;

    void RequestLayout() override;
    void SetUseColoredTabs(bool value) override;
    void Loaded() override;
    void HideAllTabs() override;
    void ShowAllTabs() override;

protected:
    void DoChanging(int32_t newIndex, bool& allow) override;
    void DoChange() override;
    void DoPageChange() override;
    void DoPaintCardBackground(TCanvas* canvas, int32_t row, const TRect& rect, bool& handled) override;
    void CloseActiveTab() override;
    void MoveActiveTab(int32_t index) override;
    void CreateParams(TCreateParams& params) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Dispatch(TMessage& message) override;
    void DoAddDockClient(TControl* client, const TRect& rect) override;
    void DoRemoveDockClient(TControl* client) override;

private:
    friend class TTarqTabSheet;
    // Docking: each docked control gets a page of its own.
    void CMDockClient(TMessage& message);
    void CMDockNotification(TMessage& message);
    void CMUnDockClient(TMessage& message);
    // The page holding `client` as a docked control, or nullptr.
    TTarqTabSheet* HostPageOf(const TControl* client) const;
    bool DockMouse(TMessage& message);
    void CMDialogKey(TMessage& message);
    void FocusHiddenTabPage();

    TTarqTabSheet* activePage_ = nullptr;
    TComponentRef<TTarqTabSheet> activePageDefault_{this};
    bool dblClickUndocks_ = true;
    std::vector<TTarqTabSheet*> pages_;
    bool saveResources_ = false;
    bool loading_ = false;
    TTarqTabSheet* newDockPage_ = nullptr;
    TTarqTabSheet* undockingPage_ = nullptr;
};

// Registers the tab control classes with their published properties (once).
void RegisterTarqTabClasses();
