// Geometry of the tab control. The layout works in strip coordinates (x
// along the strip, y across it, 0 at the strip's outer edge) and maps to the
// control only at the end, so one set of rules serves every orientation.

#include <algorithm>
#include <cstdlib>

#include "controls/TarqTabButtons.h"
#include "controls/TarqTabControl.h"
#include "platform/core/Exceptions.h"

namespace {

TSize Larger(TSize a, TSize b) { return {std::max(a.cx, b.cx), std::max(a.cy, b.cy)}; }

TRect Normalized(TRect r)
{
    if (r.Left > r.Right)
        std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom)
        std::swap(r.Top, r.Bottom);
    return r;
}

} // namespace

// ---- Caption measurement ------------------------------------------------------------------

std::vector<std::string> TTarqCustomTabControl::SplitLines(const std::string& caption)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < caption.size()) {
        const size_t end = caption.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(caption.substr(start));
            break;
        }
        lines.push_back(caption.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string TTarqCustomTabControl::StripAccelerator(const std::string& line)
{
    const size_t amp = line.find('&');
    if (amp == std::string::npos || amp + 1 == line.size())
        return line;
    return line.substr(0, amp) + line.substr(amp + 1);
}

std::unique_ptr<TFont> TTarqCustomTabControl::TabFontFor(bool bold) const
{
    auto font = std::make_unique<TFont>();
    font->Assign(&tabFont_);
    if (bold)
        font->SetStyle(font->Style().Include(fsBold));
    return font;
}

TSize TTarqCustomTabControl::MeasureText(const std::string& text, bool horizontal)
{
    const std::unique_ptr<TFont> font = TabFontFor(boldCurrentTab_);
    TSize size{0, 0};
    for (const std::string& line : SplitLines(text)) {
        TSize extent = measurer_->LineExtent(*font, StripAccelerator(line));
        if (!horizontal)
            std::swap(extent.cx, extent.cy);
        if (horizontal) {
            size.cx = std::max(size.cx, extent.cx);
            size.cy += extent.cy;
        } else {
            size.cx += extent.cx;
            size.cy = std::max(size.cy, extent.cy);
        }
    }
    return size;
}

TSize TTarqCustomTabControl::MinimumTabSize()
{
    const std::string sample = tabStyle_ == tsRoundCorners ? "AAA" : "A";
    const TSize measured = MeasureText(sample, !VerticalText());
    const int32_t fontHeight = std::abs(tabFont_.Height());
    if (!VerticalText())
        return {measured.cx, fontHeight};
    return {fontHeight, measured.cy};
}

TSize TTarqCustomTabControl::ImageSize(int32_t index) const
{
    if (!images_ || tabs_.Item(index)->ImageIndex == -1)
        return {0, 0};
    return {images_->Width(), images_->Height()};
}

TSize TTarqCustomTabControl::ContentSize(int32_t index)
{
    const TTarqTabData& tab = *tabs_.Item(index);
    if (!tab.Visible)
        return {0, 0};
    const TSize image = ImageSize(index);
    const TSize text = tab.Caption.empty() ? TSize{0, 0} : MeasureText(tab.Caption, !VerticalText());
    TSize size;
    switch (imagePosition_) {
    case ipLeft:
    case ipRight: size = {imageMargin_ + image.cx + text.cx, std::max(image.cy, text.cy)}; break;
    case ipTop:
    case ipBottom: size = {std::max(image.cx, text.cx), imageMargin_ + image.cy + text.cy}; break;
    case ipBack: size = Larger(image, text); break;
    case ipStretch: size = text; break;
    }
    const TSize minimum = MinimumTabSize();
    if (tabWidth_ == 0)
        size.cx = std::max(size.cx, minimum.cx);
    if (tabHeight_ == 0)
        size.cy = std::max(size.cy, minimum.cy);
    return size;
}

int32_t TTarqCustomTabControl::TabOverlapOf(int32_t v) const
{
    switch (tabStyle_) {
    case tsSingleSlant:
    case tsBackSlant: return v / 2;
    case tsDoubleSlant: return v;
    default: return tabOverlap_;
    }
}

TSize TTarqCustomTabControl::TabOuterSize(int32_t a, int32_t b) const
{
    const int32_t c = cutCornerSize_;
    const bool horizontal = Horizontal();
    TSize size;
    switch (tabStyle_) {
    case tsSingleSlant:
    case tsBackSlant:
        size = horizontal ? TSize{2 * TabOverlapOf(b + 6) + a + 6 + tabHeight_ / 2, b + 6}
                          : TSize{a + 6, 2 * TabOverlapOf(a + 6) + b + 6 + tabHeight_ / 2};
        break;
    case tsDoubleSlant:
        size = horizontal ? TSize{2 * (b + 2) + a + 6 + tabHeight_, b + 6}
                          : TSize{a + 6, 2 * (a + 2) + b + 6 + tabHeight_};
        break;
    case tsCutCorner:
        if (!VerticalText())
            size = horizontal ? TSize{2 * c + a + 8, b + 7} : TSize{a + c + 7, b + 10};
        else
            size = horizontal ? TSize{a + 10, b + c + 7} : TSize{a + 7, 2 * c + b + 8};
        break;
    case tsRoundCorners: size = VerticalText() ? TSize{a + 6, b + 16} : TSize{a + 16, b + 6}; break;
    }
    if (tabWidth_ > 0)
        size.cx = tabWidth_;
    if (tabHeight_ > 0)
        size.cy = tabHeight_;
    return size;
}

// ---- Rows and placement -------------------------------------------------------------------

int32_t TTarqCustomTabControl::TabLength(int32_t index, TSize largest, int32_t rowLength)
{
    TSize content = ContentSize(index);
    if (Horizontal())
        content.cy = std::max(content.cy, largest.cy);
    else
        content.cx = std::max(content.cx, largest.cx);
    const TSize outer = TabOuterSize(content.cx, content.cy);
    const int32_t length = Horizontal() ? outer.cx : outer.cy;
    return std::min(length, rowLength - (tabStyle_ == tsRoundCorners ? 4 : 0));
}

int32_t TTarqCustomTabControl::CountRows(TSize largest)
{
    if (!multiLine_)
        return 1;
    const int32_t last = LastVisibleTab();
    int32_t visible = 0;
    for (int32_t i = 0; i < tabs_.Count(); ++i)
        visible += tabs_.Item(i)->Visible ? 1 : 0;
    const int32_t overlap = TabOverlapOf(rowThickness_);
    int32_t r = TabStripLength() - 2 * margin_;
    int32_t allowed = 1, row = 1, p = margin_, i = 0;
    while (i < tabs_.Count()) {
        if (!tabs_.Item(i)->Visible) {
            ++i;
            continue;
        }
        const int32_t length = TabLength(i, largest, r);
        if (p + length < r) {
            p += length - overlap + 1;
            ++i;
        } else if (row < allowed) {
            ++row;
            if (p == margin_)
                ++i;
            p = margin_;
        } else if ((p > margin_ || i < last) && allowed <= visible) {
            // Start over with one more row; never more rows than tabs.
            i = 0;
            ++allowed;
            row = 1;
            r -= rowIndent_;
            p = margin_;
        } else {
            ++i;
            p = margin_;
        }
    }
    return row;
}

int32_t TTarqCustomTabControl::RowY(int32_t row) const
{
    return TabStripThickness() - rowThickness_ - row * (rowThickness_ - rowOverlap_);
}

int32_t TTarqCustomTabControl::ChildButtonsLength()
{
    const int32_t close = CloseButtonSize(), menu = MenuButtonSize();
    return (close > 0 ? close + 2 : 0) + (menu > 0 ? menu + 2 : 0);
}

void TTarqCustomTabControl::PlaceTabs(TSize largest)
{
    int32_t d = TabStripLength() - 2 * margin_;
    if (multiLine_)
        d -= (rowCount_ - 1) * rowIndent_;
    else
        d -= ChildButtonsLength() + 2 * ButtonSize() + 2;
    const int32_t overlap = TabOverlapOf(rowThickness_);
    const bool reverse = tabSequence_ == tsReverse;
    int32_t row = 0;
    int32_t e = reverse ? -margin_ : margin_;
    for (int32_t i = 0; i < tabs_.Count(); ++i) {
        TTarqTabData& tab = *tabs_.Item(i);
        if (!tab.Visible) {
            tab.Rect = TRect{};
            tab.Row = 0;
            continue;
        }
        const int32_t length = TabLength(i, largest, d);
        const bool atStart = e == (reverse ? -margin_ : margin_);
        const bool fits = reverse ? e - length > -d : e + length < d;
        bool endRowAfter = false;
        if (multiLine_ && !fits) {
            if (atStart) {
                endRowAfter = true;
            } else {
                ++row;
                e = reverse ? -margin_ : margin_;
            }
        }
        const int32_t y = RowY(row);
        tab.Row = row;
        if (reverse) {
            tab.Rect = Rect(e - length, y, e, y + rowThickness_);
            e = e - length + overlap - 1;
        } else {
            tab.Rect = Rect(e, y, e + length, y + rowThickness_);
            e = e + length - overlap + 1;
        }
        if (endRowAfter) {
            ++row;
            e = reverse ? -margin_ : margin_;
        }
    }
    if (reverse) {
        const int32_t shift = multiLine_ ? Width() : std::abs(e);
        for (int32_t i = 0; i < tabs_.Count(); ++i) {
            TTarqTabData& tab = *tabs_.Item(i);
            if (tab.Visible)
                tab.Rect = OffsetRect(tab.Rect, shift, 0);
        }
    }
}

void TTarqCustomTabControl::JustifyRows()
{
    if (!alignTabs_ || !multiLine_ || (Horizontal() ? tabWidth_ != 0 : tabHeight_ != 0))
        return;
    const bool reverse = tabSequence_ == tsReverse;
    const int32_t available = TabStripLength() - 2 * margin_ - (rowCount_ - 1) * rowIndent_;
    int32_t i = 0;
    while (i < tabs_.Count()) {
        if (!tabs_.Item(i)->Visible) {
            ++i;
            continue;
        }
        std::vector<TTarqTabData*> row;
        const int32_t rowNumber = tabs_.Item(i)->Row;
        for (; i < tabs_.Count(); ++i) {
            TTarqTabData* tab = tabs_.Item(i);
            if (!tab->Visible)
                continue;
            if (tab->Row != rowNumber)
                break;
            row.push_back(tab);
        }
        int32_t used =
            reverse ? row.front()->Rect.Right - row.back()->Rect.Left : row.back()->Rect.Right - row.front()->Rect.Left;
        if (tabStyle_ == tsRoundCorners)
            used += 4;
        const int32_t extra = available - used;
        if (extra < 1)
            continue;
        const auto count = static_cast<int32_t>(row.size());
        int32_t given = 0;
        for (int32_t k = 0; k < count; ++k) {
            const int32_t more = given + extra / count + (k < extra % count ? 1 : 0);
            TRect& r = row[static_cast<size_t>(k)]->Rect;
            if (reverse) {
                r.Left -= more;
                r.Right -= given;
            } else {
                r.Left += given;
                r.Right += more;
            }
            given = more;
        }
    }
}

void TTarqCustomTabControl::CalcTabLayout()
{
    TSize largest{0, 0};
    TSize thickest{0, 0};
    const TSize minimum = MinimumTabSize();
    for (int32_t i = 0; i < tabs_.Count(); ++i) {
        if (!tabs_.Item(i)->Visible)
            continue;
        const TSize content = ContentSize(i);
        largest = Larger(largest, content);
        const TSize raised = Larger(content, minimum);
        thickest = Larger(thickest, TabOuterSize(raised.cx, raised.cy));
    }
    if (tabWidth_ > 0)
        thickest.cx = tabWidth_;
    if (tabHeight_ > 0)
        thickest.cy = tabHeight_;
    rowThickness_ = Horizontal() ? thickest.cy : thickest.cx;
    SetRowCount(CountRows(largest));
    PlaceTabs(largest);
    JustifyRows();
}

void TTarqCustomTabControl::RotateRows(int32_t index)
{
    if (!multiLine_ || index < 0 || index >= tabs_.Count())
        return;
    int32_t largestRow = 0;
    for (int32_t i = 0; i < tabs_.Count(); ++i)
        if (tabs_.Item(i)->Visible)
            largestRow = std::max(largestRow, tabs_.Item(i)->Row);
    const int32_t rows = largestRow + 1;
    const int32_t shift = (largestRow - tabs_.Item(index)->Row + 1) % rows;
    std::vector<std::pair<int32_t, int32_t>> rowSpan(static_cast<size_t>(rows), {0, 0});
    std::vector<bool> seen(static_cast<size_t>(rows), false);
    for (int32_t i = 0; i < tabs_.Count(); ++i) {
        const TTarqTabData& tab = *tabs_.Item(i);
        if (tab.Visible && !seen[static_cast<size_t>(tab.Row)]) {
            seen[static_cast<size_t>(tab.Row)] = true;
            rowSpan[static_cast<size_t>(tab.Row)] = {tab.Rect.Top, tab.Rect.Bottom};
        }
    }
    for (int32_t i = 0; i < tabs_.Count(); ++i) {
        TTarqTabData& tab = *tabs_.Item(i);
        if (!tab.Visible)
            continue;
        tab.Row = (tab.Row + shift) % rows;
        tab.Rect.Top = rowSpan[static_cast<size_t>(tab.Row)].first;
        tab.Rect.Bottom = rowSpan[static_cast<size_t>(tab.Row)].second;
    }
}

// ---- Strip, cards and mapping -------------------------------------------------------------

int32_t TTarqCustomTabControl::TabStripThickness() const
{
    const bool round = tabStyle_ == tsRoundCorners;
    if (cardShown_)
        return (round ? 3 : 0) + rowThickness_ + (rowThickness_ - rowOverlap_) * (rowCount_ - 1);
    const bool farSide = tabOrientation_ == toBottom || tabOrientation_ == toRight;
    return (Horizontal() ? Height() - 1 : Width() - 1) - (round && farSide ? 1 : 0);
}

TRect TTarqCustomTabControl::GetTabStripRect() const
{
    const int32_t w1 = Width() - 1, h1 = Height() - 1, t = TabStripThickness();
    switch (tabOrientation_) {
    case toTop: return Rect(0, 0, w1 - (showShadow_ && tabSequence_ == tsStandard ? 2 : 0), t);
    case toLeft: return Rect(0, 0, t, h1);
    case toBottom: return Rect(0, h1 - t, w1, h1);
    case toRight: return Rect(w1 - t, 0, w1, h1);
    }
    return {};
}

int32_t TTarqCustomTabControl::TabStripLength() const
{
    const TRect strip = GetTabStripRect();
    return Horizontal() ? strip.Width() : strip.Height();
}

int32_t TTarqCustomTabControl::ScrollOffset() const
{
    if (firstDisplayed_ < 0 || firstDisplayed_ >= tabs_.Count())
        return 0;
    const TRect& r = tabs_.Item(firstDisplayed_)->Rect;
    const int32_t round = tabStyle_ == tsRoundCorners ? 2 : 0;
    if (tabSequence_ == tsReverse)
        return r.Right + round + margin_;
    return r.Left - round - margin_;
}

TPoint TTarqCustomTabControl::StripPointToControl(TPoint p) const
{
    const TRect r = GetTabStripRect();
    const int32_t o = ScrollOffset();
    const bool reverse = tabSequence_ == tsReverse;
    switch (tabOrientation_) {
    case toTop: return {(reverse ? r.Right : r.Left) + p.X - o, r.Top + p.Y};
    case toBottom: return {(reverse ? r.Right : r.Left) + p.X - o, r.Bottom - p.Y};
    case toLeft: return {r.Left + p.Y, (reverse ? r.Top : r.Bottom) + o - p.X};
    case toRight: return {r.Right - p.Y, (reverse ? r.Bottom : r.Top) + p.X - o};
    }
    return p;
}

TRect TTarqCustomTabControl::StripRectToControl(const TRect& r) const
{
    const TPoint a = StripPointToControl(r.TopLeft());
    const TPoint b = StripPointToControl(r.BottomRight());
    return Normalized(Rect(a.X, a.Y, b.X, b.Y));
}

TRect TTarqCustomTabControl::GetTabRect(int32_t index) const
{
    const TTarqTabData& tab = *tabs_.Item(index);
    TRect r = tab.Rect;
    if (tab.Row > 0) {
        const int32_t shift = tab.Row * rowIndent_;
        r = OffsetRect(r, tabSequence_ == tsReverse ? -shift : shift, 0);
    }
    if (tabStyle_ == tsRoundCorners && index == tabIndex_) {
        r.Left -= 2;
        r.Right += 2;
        r.Top -= 2;
    }
    return r;
}

TRect TTarqCustomTabControl::GetTabControlRect(int32_t index) const { return StripRectToControl(GetTabRect(index)); }

TRect TTarqCustomTabControl::GetCardRect(int32_t row) const
{
    const int32_t w1 = Width() - 1, h1 = Height() - 1;
    if (tabs_.Count() == 0 && cardShown_)
        return Rect(0, 0, w1, h1);
    const int32_t b = rowThickness_, n = rowCount_;
    const int32_t c = row * rowIndent_, dd = row * (b - rowOverlap_), t = TabStripThickness() - dd;
    const int32_t ri = (n - row - 1) * rowIndent_;
    const bool reverse = tabSequence_ == tsReverse;
    TRect r;
    switch (tabOrientation_) {
    case toTop: r = reverse ? Rect(ri, t, w1 - c, h1 - dd) : Rect(c, t, w1 - ri, h1 - dd); break;
    case toLeft: r = reverse ? Rect(t, c, w1 - dd, h1 - ri) : Rect(t, ri, w1 - dd, h1 - c); break;
    case toBottom: r = reverse ? Rect(ri, dd, w1 - c, h1 - t) : Rect(c, dd, w1 - ri, h1 - t); break;
    case toRight: r = reverse ? Rect(dd, ri, w1 - t, h1 - c) : Rect(dd, c, w1 - t, h1 - ri); break;
    }
    if (r.Right < r.Left || r.Bottom < r.Top)
        return TRect{};
    if (!cardShown_) {
        // Only the card's tab-side edge stays in sight.
        switch (tabOrientation_) {
        case toTop: r = Rect(-3, r.Top, w1 + 3, h1 + 3); break;
        case toLeft: r = Rect(r.Left, -3, w1 + 3, h1 + 3); break;
        case toBottom: r = Rect(-3, -3, w1 + 3, r.Bottom); break;
        case toRight: r = Rect(-3, -3, r.Right, h1 + 3); break;
        }
    }
    return r;
}

TRect TTarqCustomTabControl::GetDisplayRect() const
{
    if (!cardShown_)
        return Rect(-2, -2, -1, -1);
    TRect k = GetCardRect(0);
    if (!showCardFrame_) {
        k.Right += 1;
        k.Bottom += 1;
    } else if (showFullFrame_) {
        k.Left += 1;
        k.Top += 1;
        if (tabOrientation_ == toTop && tabSequence_ == tsStandard && showShadow_) {
            k.Right -= 2;
            k.Bottom -= 2;
        }
    } else {
        if (tabOrientation_ != toRight)
            k.Top += 1;
        k.Right += 1;
        k.Bottom += 1;
    }
    return k;
}

// ---- Shapes and regions -------------------------------------------------------------------

std::vector<TPoint> TTarqCustomTabControl::GetTabShape(int32_t index) const
{
    const TRect r = GetTabRect(index);
    const int32_t l = r.Left, t = r.Top, rt = r.Right, bm = r.Bottom, h = bm - t, c = cutCornerSize_;
    switch (tabStyle_) {
    case tsSingleSlant:
        if (softCorners_)
            return {{l, bm}, {l, t + 2}, {l + 2, t}, {rt - h - 4, t}, {rt - h + 2, t + 2}, {rt, bm}};
        return {{l, bm}, {l, t + 2}, {l + 2, t}, {rt - h, t}, {rt, bm}};
    case tsDoubleSlant:
        if (softCorners_)
            return {{l, bm}, {l + h - 2, t + 2}, {l + h + 4, t}, {rt - h - 4, t}, {rt - h + 2, t + 2}, {rt, bm}};
        return {{l, bm}, {l + h, t}, {rt - h, t}, {rt, bm}};
    case tsCutCorner: return {{l, bm}, {l, t}, {rt - c, t}, {rt, t + c}, {rt, bm}};
    case tsRoundCorners: return {{l, bm}, {l, t + 2}, {l + 2, t}, {rt - 2, t}, {rt, t + 2}, {rt, bm}};
    case tsBackSlant:
        if (softCorners_)
            return {{l, bm}, {l + h - 2, t + 2}, {l + h + 4, t}, {rt - 2, t}, {rt, t + 2}, {rt, bm}};
        return {{l, bm}, {l + h, t}, {rt - 2, t}, {rt, t + 2}, {rt, bm}};
    }
    return {};
}

std::vector<TPoint> TTarqCustomTabControl::GetTabShapeInControl(int32_t index) const
{
    std::vector<TPoint> points = GetTabShape(index);
    for (TPoint& p : points)
        p = StripPointToControl(p);
    return points;
}

const TRegion* TTarqCustomTabControl::GetTabRegion(int32_t index)
{
    const TRect key = GetTabControlRect(index);
    if (const TRegion* cached = regionCache_.Find(key))
        return cached;
    const std::vector<TPoint> shape = GetTabShapeInControl(index);
    if (shape.size() < 3)
        return nullptr;
    return regionCache_.Add(key, TRegion::Polygon(shape, ALTERNATE));
}

void TTarqCustomTabControl::SetRegionCacheCapacity(int32_t value)
{
    if ((value == -1 || value > 0) && value != regionCache_.Capacity())
        regionCache_.SetCapacity(value);
}

// ---- Visibility and scrolling -------------------------------------------------------------

int32_t TTarqCustomTabControl::FirstVisibleTab() const
{
    for (int32_t i = 0; i < tabs_.Count(); ++i)
        if (tabs_.Item(i)->Visible)
            return i;
    return -1;
}

int32_t TTarqCustomTabControl::LastVisibleTab() const
{
    for (int32_t i = tabs_.Count() - 1; i >= 0; --i)
        if (tabs_.Item(i)->Visible)
            return i;
    return -1;
}

bool TTarqCustomTabControl::TabIsDisplayable(int32_t index) const
{
    if (index < 0 || index >= tabs_.Count() || !tabs_.Item(index)->Visible)
        return false;
    if (!scrolling_)
        return true;
    auto* self = const_cast<TTarqCustomTabControl*>(this);
    const int32_t a = TabStripLength() - 2 * self->ButtonSize() - 2 * margin_ - self->ChildButtonsLength();
    const int32_t o = ScrollOffset();
    const TRect& r = tabs_.Item(index)->Rect;
    if (tabSequence_ == tsReverse)
        return r.Right <= o && o - r.Left <= a;
    return r.Left >= o && r.Right - o <= a;
}

void TTarqCustomTabControl::UpdateScrollState()
{
    const int32_t first = FirstVisibleTab();
    if (multiLine_ || first < 0) {
        scrolling_ = false;
        return;
    }
    const int32_t a = TabStripLength() - 2 * margin_ - ChildButtonsLength();
    const int32_t edge =
        tabSequence_ == tsReverse ? tabs_.Item(first)->Rect.Right : tabs_.Item(LastVisibleTab())->Rect.Right;
    scrolling_ = a < edge;
}

void TTarqCustomTabControl::UpdateLayout()
{
    if (!layoutPending_)
        return;
    layoutPending_ = false;
    CalcTabLayout();
    regionCache_.Clear();
    const int32_t oldFirst = firstDisplayed_;
    const int32_t first = FirstVisibleTab();
    UpdateScrollState();
    if (scrolling_) {
        while (firstDisplayed_ >= 0 && firstDisplayed_ < tabs_.Count() && !TabIsDisplayable(firstDisplayed_))
            ++firstDisplayed_;
        if (firstDisplayed_ >= tabs_.Count()) {
            firstDisplayed_ = oldFirst - 1;
            while (firstDisplayed_ >= 0 && !TabIsDisplayable(firstDisplayed_))
                --firstDisplayed_;
        }
        if (firstDisplayed_ < 0)
            firstDisplayed_ = first;
    } else {
        firstDisplayed_ = first;
    }
    ChooseCurrentTabAfterLayout(first);
    // A fresh layout puts the rows back in order; the current tab's row
    // must still lie next to the card.
    if (!scrolling_ && tabIndex_ >= 0)
        RotateRows(tabIndex_);
    if (!layoutInAlign_ && GetDisplayRect() != displayRect_)
        Realign();
}

void TTarqCustomTabControl::ChooseCurrentTabAfterLayout(int32_t firstVisible)
{
    if (firstVisible == -1)
        return;
    const int32_t count = tabs_.Count();
    int32_t chosen = -1;
    for (int32_t i = std::max(tabIndex_, 0); i < count && chosen < 0; ++i)
        if (CanChangeTo(i))
            chosen = i;
    if (chosen < 0)
        for (int32_t i = std::min(tabIndex_, count - 1); i >= 0 && chosen < 0; --i)
            if (CanChangeTo(i))
                chosen = i;
    if (chosen == tabIndex_)
        return;
    changeApproved_ = true;
    try {
        if (chosen != -1)
            SetTabIndex(chosen);
    } catch (...) {
        changeApproved_ = false;
        throw;
    }
    changeApproved_ = false;
}

// ---- Child buttons ------------------------------------------------------------------------

int32_t TTarqCustomTabControl::ButtonSize()
{
    const TSize a = measurer_->LineExtent(*TabFontFor(false), "A");
    const int32_t s = a.cy + (VerticalText() ? 2 : 4);
    const int32_t b = rowThickness_ - 2;
    const bool grow =
        (Horizontal() && !VerticalText() && tabHeight_ >= 1) || (!Horizontal() && VerticalText() && tabWidth_ >= 1);
    return grow ? std::max(s, b) : std::min(s, b);
}

int32_t TTarqCustomTabControl::CloseButtonSize() { return showCloseButton_ && tabs_.Count() > 0 ? ButtonSize() : 0; }

int32_t TTarqCustomTabControl::MenuButtonSize() { return showMenuButton_ && tabs_.Count() > 0 ? ButtonSize() : 0; }

namespace {

// Where a button of `length` along the strip and S across it sits, with
// `before` pixels of other buttons between it and the strip's far end.
TPoint ButtonPlace(TTarqTabOrientation orientation, TTarqTabSequence sequence, const TRect& r, int32_t s,
                   int32_t length, int32_t m, int32_t e, int32_t before)
{
    const bool reverse = sequence == tsReverse;
    switch (orientation) {
    case toTop:
        return reverse ? TPoint{r.Left + m + before, r.Bottom - s - 2}
                       : TPoint{r.Right + e - length - m - before, r.Bottom - s - 2};
    case toLeft:
        return reverse ? TPoint{r.Right - s - 2, r.Bottom - length - m + 1 - before}
                       : TPoint{r.Right - s - 2, r.Top + m + before};
    case toBottom:
        return reverse ? TPoint{r.Left + m + before, r.Top + 2} : TPoint{r.Right - length - m + 1 - before, r.Top + 2};
    case toRight:
        return reverse ? TPoint{r.Left + 2, r.Top + m + before}
                       : TPoint{r.Left + 2, r.Bottom - length - m + 1 - before};
    }
    return {};
}

} // namespace

void TTarqCustomTabControl::PositionCloseButton()
{
    if (!showCloseButton_ || !closeButton_ || IsLoadingOrReading())
        return;
    const int32_t s = ButtonSize();
    const TPoint p =
        ButtonPlace(tabOrientation_, tabSequence_, GetTabStripRect(), s, s, margin_, showShadow_ ? -1 : 1, 0);
    closeButton_->SetBounds(p.X, p.Y, s, s);
    closeButton_->SetVisible(tabs_.Count() > 0);
}

void TTarqCustomTabControl::PositionMenuButton()
{
    if (!showMenuButton_ || !menuButton_ || IsLoadingOrReading())
        return;
    const int32_t s = ButtonSize(), close = CloseButtonSize();
    const TPoint p = ButtonPlace(tabOrientation_, tabSequence_, GetTabStripRect(), s, s, margin_, showShadow_ ? -1 : 1,
                                 close > 0 ? close + 2 : 0);
    menuButton_->SetBounds(p.X, p.Y, s, s);
    menuButton_->SetVisible(tabs_.Count() > 0);
}

void TTarqCustomTabControl::PositionScroller()
{
    if (!scroller_) {
        if (!scrolling_)
            return;
        CreateScroller();
    }
    const int32_t s = ButtonSize();
    scroller_->SetOrientation(Horizontal() ? orHorizontal : orVertical);
    const int32_t width = Horizontal() ? 2 * s - 1 : s, height = Horizontal() ? s : 2 * s - 1;
    if (!scrolling_) {
        scroller_->SetBounds(-width - 1, -height - 1, width, height);
        return;
    }
    const TPoint p = ButtonPlace(tabOrientation_, tabSequence_, GetTabStripRect(), s, 2 * s - 1, margin_,
                                 showShadow_ ? -1 : 1, ChildButtonsLength());
    scroller_->SetBounds(p.X, p.Y, width, height);
}

void TTarqCustomTabControl::AlignControls(TControl* control, TRect& rect)
{
    if (HasState(csDestroying))
        return;
    // Children are placed in the display rectangle of the current layout.
    if (layoutPending_ && !layoutInAlign_) {
        layoutInAlign_ = true;
        try {
            UpdateLayout();
        } catch (...) {
            layoutInAlign_ = false;
            throw;
        }
        layoutInAlign_ = false;
    }
    PositionCloseButton();
    PositionMenuButton();
    PositionScroller();
    rect = GetDisplayRect();
    displayRect_ = rect;
    TCustomControl::AlignControls(control, rect);
}
