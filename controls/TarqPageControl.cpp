#include "controls/TarqPageControl.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/ui/Form.h"

// ---- Tab sheet ----------------------------------------------------------------------------

TTarqTabSheet::TTarqTabSheet(TComponent* owner) : TCustomControl(owner)
{
    RegisterTarqTabClasses();
    TControl::SetVisible(false);
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
    SetAlign(alClient);
    TControl::SetColor(clBtnFace);
}

TTarqTabSheet::~TTarqTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTarqTabSheet::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTarqTabSheet::SetPageControl(TTarqPageControl* value)
{
    if (value == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    TCustomControl::SetParent(value);
    if (value)
        value->InsertPage(this);
}

// A page put into a page control (by code or by a form resource) joins it.
void TTarqTabSheet::SetParent(TWinControl* parent)
{
    auto* pageControl = dynamic_cast<TTarqPageControl*>(parent);
    if (pageControl != pageControl_)
        SetPageControl(pageControl);
    if (Parent() != parent)
        TCustomControl::SetParent(parent);
}

int32_t TTarqTabSheet::PageIndex() const { return pageControl_ ? pageControl_->IndexOfPage(this) : -1; }

void TTarqTabSheet::SetPageIndex(int32_t value)
{
    if (!pageControl_)
        return;
    const int32_t last = pageControl_->PageCount() - 1;
    if (value < 0 || value > last)
        throw CreateFmt<Exception>("%d is an invalid PageIndex value. PageIndex must be between 0 and %d", value, last);
    const int32_t old = PageIndex();
    if (old == value)
        return;
    pageControl_->MovePage(this, value);
    UpdateTabs();
    pageControl_->DoTabOrderChange(old, value);
}

int32_t TTarqTabSheet::TabIndex() const
{
    if (!tabVisible_ || !pageControl_)
        return -1;
    int32_t index = 0;
    for (int32_t i = 0; i < pageControl_->PageCount(); ++i) {
        const TTarqTabSheet* page = pageControl_->Pages(i);
        if (page == this)
            return index;
        if (page->tabVisible_)
            ++index;
    }
    return -1;
}

void TTarqTabSheet::SetColor(TColor value)
{
    if (value == Color())
        return;
    if (pageControl_ && !HasState(csReading)) {
        if (!pageControl_->UseColoredTabs() && pageControl_->Color() != value)
            pageControl_->SetUseColoredTabs(true);
        if (!pageControl_->UseColoredTabs() && Color() == pageControl_->Color())
            return;
    }
    TControl::SetColor(value);
    UpdateTabs();
}

void TTarqTabSheet::SetImageIndex(int32_t value)
{
    if (imageIndex_ == value)
        return;
    imageIndex_ = value;
    UpdateTabs();
}

void TTarqTabSheet::SetDisabledIndex(int32_t value)
{
    if (disabledIndex_ == value)
        return;
    disabledIndex_ = value;
    UpdateTabs();
}

void TTarqTabSheet::SetTabEnabled(bool value)
{
    if (tabEnabled_ == value)
        return;
    tabEnabled_ = value;
    UpdateTabs();
}

void TTarqTabSheet::SetTabVisible(bool value)
{
    if (tabVisible_ == value)
        return;
    tabVisible_ = value;
    UpdateTabs();
}

void TTarqTabSheet::SetSheetVisible(bool) { throw Exception("You cannot change the Visible property of a page"); }

void TTarqTabSheet::UpdateTabs()
{
    if (pageControl_)
        pageControl_->RequestLayout();
}

void TTarqTabSheet::CopyToTabData(TTarqTabData& tab) const
{
    tab.Caption = Caption();
    tab.Color = Color();
    tab.Enabled = tabEnabled_;
    tab.Visible = tabVisible_;
    tab.Hint = Hint();
    tab.ImageIndex = imageIndex_;
    tab.DisabledIndex = disabledIndex_;
}

void TTarqTabSheet::Paint()
{
    const TRect r = Rect(0, 0, Width(), Height());
    bool handled = false;
    if (OnPaintBackground)
        OnPaintBackground(this, Canvas(), r, handled);
    if (!handled)
        Canvas()->FillSolidRect(r, ColorToRGB(Color()));
}

void TTarqTabSheet::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND: message.Result = 1; break;
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(message);
        UpdateTabs();
        break;
    default: TCustomControl::Dispatch(message); break;
    }
}

// ---- Page control -------------------------------------------------------------------------

TTarqPageControl::TTarqPageControl(TComponent* owner) : TTarqCustomTabControl(owner)
{
    RegisterTarqTabClasses();
    SetControlStyle((ControlStyle() & ~csAcceptsControls) | csOpaque);
    SetHeight(150);
    SetUseColoredTabs(false);
}

TTarqPageControl::~TTarqPageControl()
{
    for (TTarqTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
}

void TTarqPageControl::CreateParams(TCreateParams& params)
{
    TTarqCustomTabControl::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

TTarqTabSheet* TTarqPageControl::Pages(int32_t index) const
{
    if (index < 0 || index >= PageCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return pages_[static_cast<size_t>(index)];
}

int32_t TTarqPageControl::IndexOfPage(const TTarqTabSheet* page) const
{
    const auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int32_t>(it - pages_.begin());
}

void TTarqPageControl::InsertPage(TTarqTabSheet* page)
{
    HandleNeeded();
    pages_.push_back(page);
    page->pageControl_ = this;
    RequestLayout();
}

void TTarqPageControl::RemovePage(TTarqTabSheet* page)
{
    if (activePage_ == page)
        SetActivePage(nullptr);
    std::erase(pages_, page);
    RequestLayout();
    page->pageControl_ = nullptr;
}

void TTarqPageControl::MovePage(TTarqTabSheet* page, int32_t newIndex)
{
    std::erase(pages_, page);
    pages_.insert(pages_.begin() + newIndex, page);
}

void TTarqPageControl::RequestLayout()
{
    TTarqTabDataList& tabs = *Tabs();
    tabs.Clear();
    for (TTarqTabSheet* page : pages_)
        if (page->TabVisible())
            page->CopyToTabData(*tabs.Add());
    if (activePage_) {
        const int32_t index = activePage_->TabIndex();
        if (activePage_->TabVisible() && index != TabIndex())
            SetTabIndex(index);
        else if (!activePage_->TabVisible())
            SetTabIndex(-1);
    }
    TTarqCustomTabControl::RequestLayout();
}

// ---- Changing pages -----------------------------------------------------------------------

void TTarqPageControl::DoChanging(int32_t newIndex, bool& allow)
{
    if (!loading_)
        TTarqCustomTabControl::DoChanging(newIndex, allow);
    if (allow)
        ShowPage(PageForTabIndex(newIndex));
}

void TTarqPageControl::DoChange()
{
    if (!loading_)
        TTarqCustomTabControl::DoChange();
}

void TTarqPageControl::DoPageChange()
{
    if (!loading_)
        TTarqCustomTabControl::DoPageChange();
}

TTarqTabSheet* TTarqPageControl::PageForTabIndex(int32_t tabIndex) const
{
    if (tabIndex < 0)
        return nullptr;
    for (TTarqTabSheet* page : pages_)
        if (page->TabIndex() == tabIndex)
            return page;
    return nullptr;
}

void TTarqPageControl::ShowPage(TTarqTabSheet* page)
{
    if (page == activePage_)
        return;
    TCustomForm* form = GetParentForm(this);
    if (form && activePage_ && activePage_->ContainsControl(form->ActiveControl()))
        form->SetActiveControl(activePage_);
    if (page) {
        page->BringToFront();
        page->SetShown(true);
        if (form && activePage_ && form->ActiveControl() == activePage_)
            form->SetActiveControl(page->CanFocus() ? static_cast<TWinControl*>(page) : this);
    }
    if (activePage_) {
        activePage_->SetShown(false);
        if (saveResources_)
            activePage_->ReleaseHandle();
    }
    activePage_ = page;
    if (form && page && form->ActiveControl() == page)
        page->SelectFirst();
}

void TTarqPageControl::SetActivePage(TTarqTabSheet* page)
{
    if (page && page->PageControl() != this)
        return;
    if (page)
        page->SetShown(true);
    if (IsLoadingOrReading()) {
        activePage_ = page;
        return;
    }
    const int32_t index = page ? page->TabIndex() : -1;
    if (index < 0) {
        ShowPage(page);
        DoPageChange();
    }
    SetTabIndex(index);
}

void TTarqPageControl::SetActivePageDefault(TTarqTabSheet* page) { activePageDefault_.Set(page); }

int32_t TTarqPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TTarqPageControl::SetActivePageIndex(int32_t index)
{
    if (index < 0 || index >= PageCount())
        SetTabIndex(-1);
    else
        SetActivePage(Pages(index));
}

void TTarqPageControl::Loaded()
{
    // No change event fires while the form's choice of page is applied.
    loading_ = true;
    try {
        TTarqCustomTabControl::Loaded();
        CalcTabLayout();
        SetTabIndex(-1);
        TTarqTabSheet* page = activePage_;
        if (activePageDefault_ && activePageDefault_ != activePage_) {
            if (activePage_)
                activePage_->SetShown(false);
            page = activePageDefault_;
        }
        activePage_ = nullptr;
        RequestLayout();
        SetActivePage(page);
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
}

void TTarqPageControl::Notification(TComponent* component, TOperation operation)
{
    TTarqCustomTabControl::Notification(component, operation);
    activePageDefault_.Forget(component, operation);
}

// ---- Colours, closing, moving -------------------------------------------------------------

void TTarqPageControl::DoPaintCardBackground(TCanvas* canvas, int32_t row, const TRect& rect, bool& handled)
{
    TTarqCustomTabControl::DoPaintCardBackground(canvas, row, rect, handled);
    if (handled || row != 0 || TabIndex() < 0 || !activePage_)
        return;
    canvas->FillSolidRect(rect, ColorToRGB(activePage_->Color()));
    handled = true;
}

void TTarqPageControl::SetUseColoredTabs(bool value)
{
    const bool turnedOff = UseColoredTabs() && !value;
    TTarqCustomTabControl::SetUseColoredTabs(value);
    if (turnedOff && Parent())
        Perform(CM_COLORCHANGED);
}

void TTarqPageControl::CloseActiveTab()
{
    if (!activePage_)
        return;
    const int32_t index = TabIndex();
    delete activePage_;
    SetTabIndex(index > 0 ? index - 1 : index);
}

void TTarqPageControl::MoveActiveTab(int32_t index)
{
    if (activePage_)
        activePage_->SetPageIndex(index);
}

void TTarqPageControl::HideAllTabs()
{
    for (TTarqTabSheet* page : std::vector<TTarqTabSheet*>(pages_))
        page->SetTabVisible(false);
}

void TTarqPageControl::ShowAllTabs()
{
    for (TTarqTabSheet* page : std::vector<TTarqTabSheet*>(pages_))
        page->SetTabVisible(true);
}

void TTarqPageControl::SetSaveResources(bool value)
{
    if (saveResources_ == value)
        return;
    saveResources_ = value;
    if (value)
        for (TTarqTabSheet* page : pages_)
            if (page != activePage_)
                page->ReleaseHandle();
}

// ---- Page cycling and messages ------------------------------------------------------------

TTarqTabSheet* TTarqPageControl::FindNextPage(TTarqTabSheet* from, bool forward, bool visibleOnly) const
{
    const int32_t count = PageCount();
    if (count == 0)
        return nullptr;
    int32_t start = IndexOfPage(from);
    if (start < 0)
        start = forward ? count - 1 : 0;
    int32_t i = start;
    do {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        TTarqTabSheet* page = pages_[static_cast<size_t>(i)];
        if (!visibleOnly || page->TabVisible())
            return page;
    } while (i != start);
    return nullptr;
}

void TTarqPageControl::SelectNextPage(bool forward)
{
    if (TTarqTabSheet* page = FindNextPage(activePage_, forward, true))
        SetActivePage(page);
}

void TTarqPageControl::CMDialogKey(TMessage& message)
{
    TTarqCustomTabControl::Dispatch(message);
    if (message.Result != 0)
        return;
    TCustomForm* form = GetParentForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    if (!active || (active != this && !ContainsControl(active)))
        return;
    if (message.WParam != VK_TAB || !GetKeyStateDown(VK_CONTROL))
        return;
    SelectNextPage(!GetKeyStateDown(VK_SHIFT));
    message.Result = 1;
}

void TTarqPageControl::FocusHiddenTabPage()
{
    if (!activePage_ || activePage_->TabVisible())
        return;
    for (int32_t i = 0; i < activePage_->ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(activePage_->Controls(i)); child && child->CanFocus()) {
            child->SetFocus();
            return;
        }
}

void TTarqPageControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGKEY: CMDialogKey(message); break;
    case CM_COLORCHANGED:
        if (!UseColoredTabs())
            for (TTarqTabSheet* page : pages_)
                page->SetColor(Color());
        TTarqCustomTabControl::Dispatch(message);
        break;
    case WM_SETFOCUS:
        TTarqCustomTabControl::Dispatch(message);
        FocusHiddenTabPage();
        break;
    case CM_DOCKCLIENT: CMDockClient(message); break;
    case CM_DOCKNOTIFICATION: CMDockNotification(message); break;
    case CM_UNDOCKCLIENT: CMUnDockClient(message); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TTarqCustomTabControl::Dispatch(message);
        DockMouse(message);
        break;
    default: TTarqCustomTabControl::Dispatch(message); break;
    }
}
