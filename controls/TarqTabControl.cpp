#include "controls/TarqTabControl.h"

#include "controls/TarqColors.h"
#include "controls/TarqFonts.h"
#include "controls/TarqTabButtons.h"
#include "platform/ui/ExtCtrls.h"

namespace {

// Caption sizes from the font engine, through a one-pixel canvas.
class TCanvasTextMeasurer : public ITarqTextMeasurer {
public:
    // Extents along the baseline, whatever the font's escapement.
    TSize LineExtent(const TFont& font, const std::string& line) override
    {
        TFont* measured = bitmap_.Canvas()->Font();
        measured->Assign(&font);
        measured->SetOrientation(0);
        return bitmap_.Canvas()->TextExtent(line);
    }

private:
    TBitmap bitmap_{1, 1};
};

template <class V>
bool Store(V& field, V value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

TTarqCustomTabControl::TTarqCustomTabControl(TComponent* owner)
    : TCustomControl(owner), workBitmap_(std::make_unique<TBitmap>(300, 100)),
      measurer_(std::make_shared<TCanvasTextMeasurer>())
{
    SetBounds(Left(), Top(), 300, 100);
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks);
    SetColor(clBtnFace);
    SetTabStop(true);
    tabFont_.Assign(Font());
    imagesLink_.OnChange = [this](TObject*) { InvalidateTabs(); };
    SetLayoutFlag(true);
}

TTarqCustomTabControl::~TTarqCustomTabControl()
{
    MarkDestroying();
    StopHotTimer();
    if (images_)
        images_->UnRegisterChanges(&imagesLink_);
    DestroyComponents();
}

void TTarqCustomTabControl::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTarqCustomTabControl::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == images_)
        SetImages(nullptr);
}

void TTarqCustomTabControl::Loaded()
{
    TCustomControl::Loaded();
    savedHint_ = Hint();
    SetLayoutFlag(true);
    if (VerticalText() && !FontIsTrueType(*Font()))
        Font()->SetName("Verdana");
    // A stored TabIndex is kept: the setter only checks it against the tabs.
    const int32_t stored = tabIndex_;
    SetTabIndex(stored);
}

void TTarqCustomTabControl::SetTextMeasurer(std::shared_ptr<ITarqTextMeasurer> measurer)
{
    measurer_ = measurer ? std::move(measurer) : std::make_shared<TCanvasTextMeasurer>();
    RequestLayout();
}

// ---- Virtual hooks ------------------------------------------------------------------------

void TTarqCustomTabControl::DoChanging(int32_t newIndex, bool& allow)
{
    if (OnChanging)
        OnChanging(this, newIndex, allow);
}

void TTarqCustomTabControl::DoGetTextColor(int32_t tabIndex, TTarqTextStyle style, bool& handled, TColor& color)
{
    if (OnGetTextColor)
        OnGetTextColor(this, tabIndex, style, color, handled);
}

void TTarqCustomTabControl::RequestLayout() { SetLayoutFlag(true); }

void TTarqCustomTabControl::DoTabClick()
{
    if (OnTabClick)
        OnTabClick(this);
}

void TTarqCustomTabControl::InvalidateTabs()
{
    hotRepaint_ = false;
    Invalidate();
}

void TTarqCustomTabControl::DoPaintBackground(TCanvas* canvas, const TRect& rect, bool& handled)
{
    if (OnPaintBackground)
        OnPaintBackground(this, canvas, rect, handled);
}

void TTarqCustomTabControl::DoPaintCardBackground(TCanvas* canvas, int32_t row, const TRect& rect, bool& handled)
{
    if (OnPaintCardBackground)
        OnPaintCardBackground(this, canvas, row, rect, handled);
}

void TTarqCustomTabControl::DoPaintTabBackground(TCanvas* canvas, int32_t tabIndex, const TRect& rect, bool& handled)
{
    if (OnPaintTabBackground)
        OnPaintTabBackground(this, canvas, tabIndex, rect, handled);
}

void TTarqCustomTabControl::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TTarqCustomTabControl::DoPageChange()
{
    if (OnPageChange)
        OnPageChange(this);
}

void TTarqCustomTabControl::DoTabOrderChange(int32_t oldIndex, int32_t newIndex)
{
    if (OnTabOrderChange)
        OnTabOrderChange(this, oldIndex, newIndex);
}

void TTarqCustomTabControl::SetLayoutFlag(bool value)
{
    layoutPending_ = value;
    if (value)
        InvalidateTabs();
}

void TTarqCustomTabControl::SetFrameFlag(bool value)
{
    if (Store(cardShown_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetRowCount(int32_t value) { rowCount_ = value; }

// ---- Setters ------------------------------------------------------------------------------

void TTarqCustomTabControl::SetAlignTabs(bool value)
{
    if (Store(alignTabs_, value) && multiLine_)
        RequestLayout();
}

void TTarqCustomTabControl::SetBackgroundColor(TColor value)
{
    parentBackgroundColor_ = false;
    if (Store(backgroundColor_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetBoldCurrentTab(bool value)
{
    if (Store(boldCurrentTab_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetCutCornerSize(int32_t value)
{
    if (value >= 0 && Store(cutCornerSize_, value) && tabStyle_ == tsCutCorner)
        RequestLayout();
}

TColor TTarqCustomTabControl::LineColor() const { return ShiftLuminance(flatColor_, flatColorAdjustment_); }

void TTarqCustomTabControl::ApplyButtonFrameColors()
{
    const TColor color = LineColor();
    if (scroller_)
        scroller_->SetFrameColor(color);
    if (closeButton_)
        closeButton_->SetFrameColor(color);
    if (menuButton_)
        menuButton_->SetFrameColor(color);
}

void TTarqCustomTabControl::SetFlatColor(TColor value)
{
    if (!Store(flatColor_, value))
        return;
    ApplyButtonFrameColors();
    InvalidateTabs();
}

void TTarqCustomTabControl::SetFlatColorAdjustment(int32_t value)
{
    if (!Store(flatColorAdjustment_, value))
        return;
    ApplyButtonFrameColors();
    InvalidateTabs();
}

void TTarqCustomTabControl::SetHotTrack(bool value)
{
    if (Store(hotTrack_, value) && !value && !tabHints_)
        StopHotTimer();
}

void TTarqCustomTabControl::SetHotTrackColor(TColor value)
{
    if (Store(hotTrackColor_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetHotTrackColorType(TTarqHotTrackColorType value)
{
    if (Store(hotTrackColorType_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetHotTrackStyle(TTarqTabHotTrackStyle value)
{
    if (Store(hotTrackStyle_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetImageAlignment(TTarqHorizontalAlignment value)
{
    if (Store(imageAlignment_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetImageAlignmentVertical(TTarqVerticalAlignment value)
{
    if (Store(imageAlignmentVertical_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetImageMargin(int32_t value)
{
    if (value >= 0 && Store(imageMargin_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetImagePosition(TTarqImagePosition value)
{
    if (Store(imagePosition_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetImages(TCustomImageList* value)
{
    if (images_ == value)
        return;
    if (images_)
        images_->UnRegisterChanges(&imagesLink_);
    images_.Set(value);
    if (images_)
        images_->RegisterChanges(&imagesLink_);
    RequestLayout();
}

void TTarqCustomTabControl::SetMargin(int32_t value)
{
    if (value >= 0 && Store(margin_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetMultiLine(bool value)
{
    if (Store(multiLine_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetParentBackgroundColor(bool value)
{
    if (!Store(parentBackgroundColor_, value))
        return;
    if (value && Parent())
        Perform(CM_PARENTCOLORCHANGED);
}

void TTarqCustomTabControl::SetRowIndent(int32_t value)
{
    if (value >= 0 && Store(rowIndent_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetRowOverlap(int32_t value)
{
    if (value >= 0 && Store(rowOverlap_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetShowCardFrame(bool value)
{
    if (Store(showCardFrame_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetShowCloseButton(bool value)
{
    if (!Store(showCloseButton_, value))
        return;
    if (value && !closeButton_)
        CreateCloseButton();
    if (closeButton_)
        closeButton_->SetVisible(value);
    RequestLayout();
    InvalidateTabs();
}

void TTarqCustomTabControl::SetShowFocusRect(bool value)
{
    if (Store(showFocusRect_, value))
        Invalidate();
}

void TTarqCustomTabControl::SetShowFullFrame(bool value)
{
    if (!Store(showFullFrame_, value))
        return;
    if (!value)
        SetShowShadow(false);
    RequestLayout();
}

void TTarqCustomTabControl::SetShowMenuButton(bool value)
{
    if (!Store(showMenuButton_, value))
        return;
    if (value && !menuButton_)
        CreateMenuButton();
    if (menuButton_)
        menuButton_->SetVisible(value);
    RequestLayout();
    InvalidateTabs();
}

void TTarqCustomTabControl::SetShowShadow(bool value)
{
    if (!Store(showShadow_, value))
        return;
    if (value)
        SetShowFullFrame(true);
    RequestLayout();
    InvalidateTabs();
}

void TTarqCustomTabControl::SetSoftCorners(bool value)
{
    if (Store(softCorners_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTabHeight(int32_t value)
{
    if (value >= 0 && Store(tabHeight_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTabHints(bool value)
{
    if (Store(tabHints_, value) && !value && !hotTrack_)
        StopHotTimer();
}

void TTarqCustomTabControl::SetTabOrientation(TTarqTabOrientation value)
{
    if (Store(tabOrientation_, value) && !IsLoadingOrReading())
        RequestLayout();
}

void TTarqCustomTabControl::SetTabOverlap(int32_t value)
{
    if (Store(tabOverlap_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTabSequence(TTarqTabSequence value)
{
    if (Store(tabSequence_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTabStyle(TTarqTabStyle value)
{
    if (Store(tabStyle_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTabWidth(int32_t value)
{
    if (value >= 0 && Store(tabWidth_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTextAlignment(TTarqHorizontalAlignment value)
{
    if (Store(textAlignment_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTextAlignmentVertical(TTarqVerticalAlignment value)
{
    if (Store(textAlignmentVertical_, value))
        RequestLayout();
}

void TTarqCustomTabControl::SetTextOrientation(TOrientation value)
{
    if (!Store(textOrientation_, value))
        return;
    if (value == orVertical && !IsLoadingOrReading() && !FontIsTrueType(*Font()))
        Font()->SetName("Verdana");
    RequestLayout();
}

void TTarqCustomTabControl::SetTransparent(bool value)
{
    if (Store(transparent_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetUseColoredTabs(bool value)
{
    if (Store(useColoredTabs_, value))
        InvalidateTabs();
}

void TTarqCustomTabControl::SetUseGradients(bool value)
{
    if (Store(useGradients_, value))
        InvalidateTabs();
}

// ---- Messages -----------------------------------------------------------------------------

void TTarqCustomTabControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TCustomControl::Dispatch(message);
        RequestLayout();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateTabs();
        TCustomControl::Dispatch(message);
        break;
    case WM_ERASEBKGND: message.Result = 1; break;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; break;
    case WM_TIMER: WMTimer(message); break;
    case CM_DIALOGCHAR: CMDialogChar(message); break;
    case CM_DESIGNHITTEST: {
        const TPoint p = LParamToPoint(message.LParam);
        const int32_t tab = TabAtPos(p.X, p.Y);
        message.Result = tab >= 0 && tab != tabIndex_ ? 1 : 0;
        break;
    }
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    default: TCustomControl::Dispatch(message); break;
    }
}

// The window system does not announce the new parent's colour on insertion.
void TTarqCustomTabControl::SetParent(TWinControl* parent)
{
    TCustomControl::SetParent(parent);
    if (parentBackgroundColor_ && parent)
        Perform(CM_PARENTCOLORCHANGED);
}

void TTarqCustomTabControl::CMFontChanged(TMessage& message)
{
    tabFont_.Assign(Font());
    RequestLayout();
    TCustomControl::Dispatch(message);
}

void TTarqCustomTabControl::CMParentColorChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (parentBackgroundColor_ && Parent()) {
        SetBackgroundColor(Parent()->Color());
        parentBackgroundColor_ = true;
    }
}

void TTarqCustomTabControl::CMColorChanged(TMessage& message)
{
    if (useColoredTabs_) {
        NotifyChildren(CM_PARENTCOLORCHANGED);
        return;
    }
    TCustomControl::Dispatch(message);
    InvalidateTabs();
}
