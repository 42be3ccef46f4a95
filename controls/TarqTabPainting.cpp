// Painting of the tab control: everything goes into the work bitmap (back
// rows first, each row's card after the tabs behind it, the current tab
// last) and reaches the screen in one copy. Outlines and card frames are
// queued as small drawing programs so that shadow lines can blend with the
// parent's image behind the control.

#include <algorithm>

#include "controls/TarqColors.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqScheme.h"
#include "controls/TarqTabButtons.h"
#include "controls/TarqTabControl.h"
#include "platform/core/Exceptions.h"

namespace {

enum TOutlineCode : int32_t {
    ocPenColor = 0,
    ocLineColor = 2,
    ocMoveTo = 3,
    ocLineTo = 4,
    ocShadow30 = 5,
    ocShadow15 = 6
};

void SaveCanvas(TCanvas& canvas)
{
    if (canvas.SaveDC() <= 0)
        throw Exception("Error saving device context");
}

} // namespace

// ---- The paint pass -----------------------------------------------------------------------

void TTarqCustomTabControl::Paint()
{
    paintedOnce_ = true;
    UpdateLayout();
    if (workBitmap_->Width() != Width() || workBitmap_->Height() != Height())
        workBitmap_->SetSize(Width(), Height());
    TCanvas& canvas = *workBitmap_->Canvas();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBlack);
    const TRect whole = Rect(0, 0, Width(), Height());
    bool handled = false;
    DoPaintBackground(&canvas, whole, handled);
    if (!handled) {
        if (transparent_)
            ::PaintParentBackground(*this, canvas, false);
        else
            canvas.FillSolidRect(whole, ColorToRGB(backgroundColor_));
    }
    PositionCloseButton();
    PositionMenuButton();
    PositionScroller();
    RepaintChildButtons();
    DrawTabsAndCards();
    Canvas()->CopyRect(whole, &canvas, whole);
    // A later expose must not lose the card shadow that a hot-tracking
    // repaint left out.
    hotRepaint_ = false;
}

void TTarqCustomTabControl::RepaintChildButtons()
{
    if (menuButton_ && showMenuButton_)
        menuButton_->Invalidate();
    if (closeButton_ && showCloseButton_)
        closeButton_->Invalidate();
    if (scroller_)
        scroller_->Invalidate();
}

void TTarqCustomTabControl::DrawTabsAndCards()
{
    const int32_t count = tabs_.Count();
    int32_t cur = rowCount_ - 1;
    if (count > 0) {
        int32_t start = 0;
        for (int32_t i = 0; i < count; ++i)
            if (tabs_.Item(i)->Visible && tabs_.Item(i)->Row == 0) {
                start = i;
                break;
            }
        int32_t i = start == 0 ? count - 1 : start - 1;
        for (int32_t visited = 0; visited < count; ++visited) {
            const TTarqTabData& tab = *tabs_.Item(i);
            if (tab.Visible && TabIsDisplayable(i) && i >= firstDisplayed_ && i != tabIndex_) {
                if (tab.Row < cur && cur > 0) {
                    DrawCard(cur);
                    cur = tab.Row;
                }
                DrawTab(i);
            }
            i = i == 0 ? count - 1 : i - 1;
        }
    }
    if (cur == 1)
        DrawCard(1);
    if (tabIndex_ >= 0 && tabIndex_ >= firstDisplayed_ && TabIsDisplayable(tabIndex_))
        DrawTab(tabIndex_);
    DrawCard(0);
}

void TTarqCustomTabControl::DrawTab(int32_t index)
{
    TCanvas& canvas = *workBitmap_->Canvas();
    const TRect rect = GetTabControlRect(index);
    if (IsRectEmpty(IntersectRect(rect, canvas.ClipRect())))
        return;
    if (const TRegion* region = GetTabRegion(index)) {
        const TRegion clip = *region;
        SaveCanvas(canvas);
        canvas.SelectClipRgn(&clip);
        PaintTabBackground(index, rect);
        DrawTabContent(index, rect);
        canvas.RestoreDC(-1);
    }
    ops_.clear();
    QueuePointOp(ocLineColor, {0, index});
    QueueTabOutline(index);
    RunOutline();
}

void TTarqCustomTabControl::PaintTabBackground(int32_t index, const TRect& rect)
{
    TCanvas& canvas = *workBitmap_->Canvas();
    bool handled = false;
    DoPaintTabBackground(&canvas, index, rect, handled);
    if (handled)
        return;
    const TTarqTabData& tab = *tabs_.Item(index);
    TColor current = Color(), base = tabColors_.Unselected(), shade = tabColors_.Shadow();
    if (useColoredTabs_) {
        current = base = tab.Color;
        shade = ColorToRGB(tab.Color) == 0xFFFFFF ? clBtnFace : DarkenColor(tab.Color, 30);
    }
    if (index == tabIndex_) {
        canvas.FillSolidRect(rect, ColorToRGB(current));
        return;
    }
    if (!useGradients_ || !FullColorDisplay) {
        canvas.FillSolidRect(rect, ColorToRGB(base));
        return;
    }
    switch (tabOrientation_) {
    case toTop: DrawGradientFill(canvas, rect, gdHorizontalEnd, shade, base, 1); break;
    case toBottom: DrawGradientFill(canvas, rect, gdHorizontalEnd, base, shade, 1); break;
    case toLeft: DrawGradientFill(canvas, rect, gdVerticalEnd, shade, base, 1); break;
    case toRight: DrawGradientFill(canvas, rect, gdVerticalEnd, base, shade, 1); break;
    }
}

// ---- Tab content --------------------------------------------------------------------------

TRect TTarqCustomTabControl::GetTabContentRect(const TRect& tabRect) const
{
    TRect r = tabRect;
    const int32_t w = r.Width(), h = r.Height(), c = cutCornerSize_;
    const bool top = tabOrientation_ == toTop, bottom = tabOrientation_ == toBottom;
    const bool left = tabOrientation_ == toLeft, right = tabOrientation_ == toRight;
    const bool across = Horizontal();
    auto sideEdge = [&](int32_t amount) { // the edge away from the card
        if (across) {
            if (top)
                r.Top += amount;
            else
                r.Bottom -= amount;
        } else if (left) {
            r.Left += amount;
        } else {
            r.Right -= amount;
        }
    };
    auto farShift = [&](int32_t dy, int32_t dx) {
        if (bottom)
            r = OffsetRect(r, 0, dy);
        if (right)
            r = OffsetRect(r, dx, 0);
    };
    switch (tabStyle_) {
    case tsSingleSlant:
        r = InflateRect(r, -1, -1);
        if (across) {
            r.Right -= 2 * TabOverlapOf(h) + 2;
            r = OffsetRect(r, 3, 0);
        } else if (left) {
            r.Top += 2 * TabOverlapOf(w) + 2;
            r = OffsetRect(r, 0, -1);
        } else {
            r.Bottom -= 2 * TabOverlapOf(w) + 2;
            r = OffsetRect(r, 0, 3);
        }
        sideEdge(2);
        farShift(1, 1);
        break;
    case tsDoubleSlant:
        if (across) {
            r = InflateRect(InflateRect(r, 1, -1), -TabOverlapOf(h), 0);
            r = OffsetRect(r, 1, 0);
        } else {
            r = InflateRect(InflateRect(r, -1, 1), 0, -TabOverlapOf(w));
            r.Bottom += 2;
            r = OffsetRect(r, 0, 1);
        }
        sideEdge(2);
        farShift(1, 1);
        break;
    case tsCutCorner:
        if (!VerticalText())
            r = across ? InflateRect(r, -(c + 3), -1) : InflateRect(r, -1, -4);
        else
            r = across ? InflateRect(r, -4, -1) : InflateRect(r, -1, -(c + 3));
        if (across)
            sideEdge(VerticalText() ? c + 3 : 3);
        else
            sideEdge(VerticalText() ? 5 : c + 5);
        farShift(1, 1);
        break;
    case tsRoundCorners: r = VerticalText() ? InflateRect(r, -2, -4) : InflateRect(r, -4, -2); break;
    case tsBackSlant:
        r = InflateRect(r, -1, -1);
        if (across) {
            r.Left += 2 * TabOverlapOf(h) + 2;
            r = OffsetRect(r, -3, 0);
        } else if (left) {
            r.Bottom -= 2 * TabOverlapOf(w) + 2;
            r = OffsetRect(r, 0, 1);
        } else {
            r.Top += 2 * TabOverlapOf(w) + 2;
            r = OffsetRect(r, 0, -3);
        }
        sideEdge(2);
        farShift(-1, 1);
        break;
    }
    return InflateRect(r, -1, -1);
}

void TTarqCustomTabControl::DrawTabContent(int32_t index, const TRect& rect)
{
    const TTarqTabData& tab = *tabs_.Item(index);
    const TRect content = GetTabContentRect(rect);
    const TSize image = ImageSize(index);
    const int32_t im = tab.ImageIndex == -1 ? 0 : imageMargin_;
    TRect textRect = content;
    switch (imagePosition_) {
    case ipLeft: textRect.Left += image.cx + im; break;
    case ipTop: textRect.Top += image.cy + im; break;
    case ipRight: textRect.Right -= image.cx + im; break;
    case ipBottom: textRect.Bottom -= image.cy + im; break;
    default: break;
    }
    DrawTabImage(index, content, image);

    TColor color;
    const bool hot = tab.Enabled && index == hotTab_ && hotTrack_;
    if (hot) {
        color = CaptionColor(index, tsHotTrack, hotTrackStyle_ == htsText ? hotTrackColor_ : textColors_.Selected());
        if (hotTrackStyle_ == htsTab)
            DrawBar(rect, hotTrackColorType_ == htctActual ? hotTrackColor_ : OppositeHueColor(hotTrackColor_, 140));
    } else if (tab.Enabled && index == tabIndex_) {
        color = CaptionColor(index, tsSelected, textColors_.Selected());
        if (hotTrack_ && hotTrackStyle_ == htsTab)
            DrawBar(rect, tabColors_.HighlightBar());
    } else if (tab.Enabled) {
        color = CaptionColor(index, tsUnselected, textColors_.Unselected());
    } else {
        DrawCaption(index, textRect, CaptionColor(index, tsDisabledHighlight, textColors_.DisabledHighlight()), 1);
        color = CaptionColor(index, tsDisabledShadow, textColors_.DisabledShadow());
    }
    DrawCaption(index, textRect, color, 0);
    if (showFocusRect_ && index == tabIndex_ && Focused())
        DrawFocusRectangle(index, textRect);
}

void TTarqCustomTabControl::DrawTabImage(int32_t index, const TRect& content, TSize image)
{
    const TTarqTabData& tab = *tabs_.Item(index);
    if (!images_ || tab.ImageIndex == -1)
        return;
    TRect r = content;
    switch (imagePosition_) {
    case ipLeft: r.Right = r.Left + image.cx; break;
    case ipTop: r.Bottom = r.Top + image.cy; break;
    case ipRight: r.Left = r.Right - image.cx; break;
    case ipBottom: r.Top = r.Bottom - image.cy; break;
    default: break;
    }
    int32_t x = r.Left, y = r.Top;
    if (imagePosition_ != ipStretch) {
        if (imageAlignment_ == haCenter)
            x += (r.Width() - image.cx) / 2;
        else if (imageAlignment_ == haRight)
            x += r.Width() - image.cx;
        if (imageAlignmentVertical_ == vaCenter)
            y += (r.Height() - image.cy) / 2;
        else if (imageAlignmentVertical_ == vaBottom)
            y += r.Height() - image.cy;
    }
    if (tab.DisabledIndex == -1)
        images_->Draw(workBitmap_->Canvas(), x, y, tab.ImageIndex, tab.Enabled);
    else
        images_->Draw(workBitmap_->Canvas(), x, y, tab.Enabled ? tab.ImageIndex : tab.DisabledIndex, true);
}

TColor TTarqCustomTabControl::CaptionColor(int32_t index, TTarqTextStyle style, TColor fallback)
{
    bool handled = false;
    TColor color = fallback;
    DoGetTextColor(index, style, handled, color);
    return handled ? color : fallback;
}

void TTarqCustomTabControl::DrawBar(const TRect& tabRect, TColor color)
{
    TCanvas& canvas = *workBitmap_->Canvas();
    TRect r = InflateRect(tabRect, 1, 1);
    switch (tabOrientation_) {
    case toTop: r.Bottom = r.Top + 6; break;
    case toLeft: r.Right = r.Left + 6; break;
    case toBottom: r.Top = r.Bottom - 4; break;
    case toRight: r.Left = r.Right - 4; break;
    }
    const TColor oldBrush = canvas.Brush()->Color();
    canvas.Brush()->SetColor(color);
    canvas.Pen()->SetStyle(psClear);
    canvas.Rectangle(r);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Brush()->SetColor(oldBrush);
}

// ---- Captions -----------------------------------------------------------------------------

void TTarqCustomTabControl::SelectTabFont(TCanvas& canvas, bool bold)
{
    SaveCanvas(canvas);
    ++fontSaveLevel_;
    const std::unique_ptr<TFont> font = TabFontFor(bold);
    if (VerticalText())
        font->SetOrientation(tabOrientation_ == toRight ? 2700 : 900);
    canvas.Font()->Assign(font.get());
}

void TTarqCustomTabControl::RestoreTabFont(TCanvas& canvas)
{
    if (fontSaveLevel_ == 0)
        return;
    --fontSaveLevel_;
    canvas.RestoreDC(-1);
}

TRect TTarqCustomTabControl::FitTextRect(const TRect& textRect, TSize text) const
{
    TRect r = textRect;
    if (!VerticalText()) {
        if (textAlignmentVertical_ == vaCenter) {
            const int32_t inset = (r.Height() - text.cy) / 2;
            r.Top += inset;
            r.Bottom -= inset;
        } else if (textAlignmentVertical_ == vaBottom) {
            r.Top = r.Bottom - text.cy;
        }
        return r;
    }
    const int32_t inset = (r.Width() - text.cx) / 2;
    if (tabOrientation_ == toRight) {
        if (textAlignment_ == haLeft)
            r.Right = r.Left + text.cx;
        else if (textAlignment_ == haCenter) {
            r.Left += inset;
            r.Right -= inset;
        }
    } else if (textAlignment_ == haCenter) {
        r.Left += inset;
        r.Right -= inset;
    } else if (textAlignment_ == haRight) {
        r.Left = r.Right - text.cx;
    }
    return r;
}

void TTarqCustomTabControl::DrawCaption(int32_t index, const TRect& textRect, TColor color, int32_t offset)
{
    const std::string& caption = tabs_.Item(index)->Caption;
    if (caption.empty())
        return;
    TCanvas& canvas = *workBitmap_->Canvas();
    const bool horizontal = !VerticalText();
    const TRect r = FitTextRect(textRect, MeasureText(caption, horizontal));
    const bool bold = index == tabIndex_ && boldCurrentTab_;
    int32_t advance = 0;
    for (const std::string& line : SplitLines(caption)) {
        const TSize size = MeasureText(line, horizontal);
        int32_t x, y;
        if (horizontal) {
            const int32_t a = textAlignment_ == haLeft ? 0
                : textAlignment_ == haCenter           ? (r.Width() - size.cx) / 2
                                                       : r.Width() - size.cx;
            x = r.Left + a;
            y = r.Top + advance;
            advance += size.cy;
        } else if (tabOrientation_ == toRight) {
            const int32_t a = textAlignmentVertical_ == vaTop ? 0
                : textAlignmentVertical_ == vaCenter          ? (r.Height() - size.cy) / 2
                                                              : r.Height() - size.cy;
            x = r.Right - advance;
            y = r.Top + a;
            advance += size.cx;
        } else {
            const int32_t a = textAlignmentVertical_ == vaTop ? r.Height() - size.cy
                : textAlignmentVertical_ == vaCenter          ? (r.Height() - size.cy) / 2
                                                              : 0;
            x = r.Left + advance;
            y = r.Bottom - a;
            advance += size.cx;
        }
        SelectTabFont(canvas, bold);
        DrawTextLine(x + offset, y + offset, color, horizontal, canvas, line);
        RestoreTabFont(canvas);
    }
}

namespace {

size_t CodePointLength(const std::string& text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, text.size() - at);
}

} // namespace

void TTarqCustomTabControl::DrawTextLine(int32_t x, int32_t y, TColor color, bool horizontal, TCanvas& canvas,
                                         const std::string& line)
{
    struct TPiece {
        std::string Text;
        bool Underlined;
    };
    std::vector<TPiece> pieces;
    const size_t amp = line.find('&');
    if (amp == std::string::npos || amp + 1 == line.size()) {
        pieces.push_back({line, false});
    } else if (line[amp + 1] == '&') {
        pieces.push_back({line.substr(0, amp) + line.substr(amp + 1), false});
    } else {
        const size_t length = CodePointLength(line, amp + 1);
        pieces.push_back({line.substr(0, amp), false});
        pieces.push_back({line.substr(amp + 1, length), true});
        pieces.push_back({line.substr(amp + 1 + length), false});
    }
    canvas.SetTextColor(ColorToRGB(color));
    canvas.SetBackgroundMode(TRANSPARENT);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const TPiece& piece = pieces[i];
        const TFontStyles style = canvas.Font()->Style();
        const bool addUnderline = piece.Underlined && !style.Contains(fsUnderline);
        if (addUnderline)
            canvas.Font()->SetStyle(style + TFontStyles{fsUnderline});
        canvas.TextOut(x, y, piece.Text);
        if (addUnderline)
            canvas.Font()->SetStyle(style);
        if (i + 1 == pieces.size() || piece.Text.empty())
            continue;
        const TSize size = measurer_->LineExtent(*canvas.Font(), piece.Text);
        if (horizontal)
            x += size.cx;
        else if (tabOrientation_ == toRight)
            y += size.cx;
        else
            y -= size.cx;
    }
}

void TTarqCustomTabControl::DrawFocusRectangle(int32_t index, const TRect& textRect)
{
    const std::string& caption = tabs_.Item(index)->Caption;
    TRect r = FitTextRect(textRect, MeasureText(caption, !VerticalText()));
    if (Horizontal()) {
        r = InflateRect(r, 1, 0);
        r.Bottom += 1;
    } else {
        r = InflateRect(r, 0, 1);
    }
    if (tabStyle_ == tsRoundCorners) {
        switch (tabOrientation_) {
        case toTop: r.Top += 1; break;
        case toLeft: r.Left += 2; break;
        case toBottom: r.Bottom -= 1; break;
        case toRight: r.Right -= 2; break;
        }
    }
    workBitmap_->Canvas()->DrawFocusRect(r);
}

// ---- Drop indicator ---------------------------------------------------------------------

// The two black triangles cut an arrow out of the indicator's rectangle.
std::unique_ptr<TBitmap> TTarqCustomTabControl::DropIndicatorPicture(const TRect& r) const
{
    auto mark = std::make_unique<TBitmap>(r.Width(), r.Height());
    TCanvas& m = *mark->Canvas();
    m.FillSolidRect(Rect(0, 0, r.Width(), r.Height()), ColorToRGB(clBtnShadow));
    m.Brush()->SetColor(clBlack);
    m.Pen()->SetStyle(psClear);
    switch (tabOrientation_) {
    case toTop:
        m.Polygon({{0, 0}, {8, 8}, {0, 8}});
        m.Polygon({{7, 8}, {15, 0}, {15, 8}});
        break;
    case toLeft:
        m.Polygon({{1, 0}, {8, 0}, {8, 8}});
        m.Polygon({{-1, 15}, {8, 7}, {8, 15}});
        break;
    case toBottom:
        m.Polygon({{-1, 8}, {-1, -1}, {8, -1}});
        m.Polygon({{7, -1}, {15, 0}, {15, 8}});
        break;
    case toRight:
        m.Polygon({{0, 0}, {7, 0}, {0, 7}});
        m.Polygon({{0, 7}, {8, 15}, {0, 15}});
        break;
    }
    return mark;
}

// ---- Cards --------------------------------------------------------------------------------

void TTarqCustomTabControl::DrawCard(int32_t row)
{
    TRect rect = GetCardRect(row);
    if (rect == TRect{})
        return;
    if (cardShown_) {
        rect.Right += 1;
        rect.Bottom += 1;
    }
    TCanvas& canvas = *workBitmap_->Canvas();
    bool handled = false;
    DoPaintCardBackground(&canvas, row, rect, handled);
    if (!handled) {
        const TColor fill = useColoredTabs_ && tabIndex_ >= 0 ? tabs_.Item(tabIndex_)->Color : Color();
        canvas.FillSolidRect(rect, ColorToRGB(fill));
    }
    if (!showCardFrame_)
        return;
    ops_.clear();
    QueuePointOp(ocLineColor, {1, row});
    QueueCardFrame(row);
    RunOutline();
}

// ---- Outlines -----------------------------------------------------------------------------

void TTarqCustomTabControl::QueuePointOp(int32_t code, TPoint p)
{
    ops_.push_back(code);
    ops_.push_back(p.X);
    ops_.push_back(p.Y);
}

void TTarqCustomTabControl::QueueTabOutline(int32_t index)
{
    const std::vector<TPoint> t = GetTabShapeInControl(index);
    const auto n = t.size();
    bool valid = false;
    switch (tabStyle_) {
    case tsDoubleSlant: valid = n == (softCorners_ ? 6u : 4u); break;
    case tsSingleSlant:
    case tsBackSlant: valid = n == (softCorners_ ? 6u : 5u); break;
    case tsCutCorner: valid = n == 5; break;
    case tsRoundCorners: valid = n == 6; break;
    }
    if (!valid)
        throw Exception("Incorrect number of points in tab shape");
    QueueOp(ocPenColor);
    if (tabStyle_ != tsRoundCorners) {
        QueuePointOp(ocMoveTo, t[0]);
        for (size_t i = 1; i < n; ++i)
            QueuePointOp(ocLineTo, t[i]);
        return;
    }
    if (tabOrientation_ == toLeft) {
        QueuePointOp(ocMoveTo, t[1]);
        QueuePointOp(ocLineTo, t[0]);
        QueuePointOp(ocMoveTo, t[1]);
        for (size_t i = 2; i < 6; ++i)
            QueuePointOp(ocLineTo, t[i]);
        return;
    }
    QueuePointOp(ocMoveTo, t[4]);
    QueuePointOp(ocLineTo, t[5]);
    QueuePointOp(ocMoveTo, t[4]);
    for (int i = 3; i >= 0; --i)
        QueuePointOp(ocLineTo, t[static_cast<size_t>(i)]);
}

void TTarqCustomTabControl::QueueCardFrame(int32_t row)
{
    const TRect card = GetCardRect(row);
    const TPoint a{card.Left, card.Top}, b{card.Right, card.Top}, c{card.Right, card.Bottom}, d{card.Left, card.Bottom};
    const bool shadowed = tabOrientation_ == toTop && tabSequence_ == tsStandard && showShadow_;
    const bool round = tabStyle_ == tsRoundCorners;
    const bool gap = row == 0 && tabIndex_ >= 0 && TabIsDisplayable(tabIndex_);
    auto path = [this](std::initializer_list<TPoint> points) {
        auto it = points.begin();
        QueuePointOp(ocMoveTo, *it);
        for (++it; it != points.end(); ++it)
            QueuePointOp(ocLineTo, *it);
    };
    QueueOp(ocPenColor);
    if (!gap) {
        if (shadowed) {
            if (round)
                path({{d.X, d.Y - 2}, a, {b.X - 2, b.Y}, {c.X - 2, c.Y - 2}, {d.X - 1, d.Y - 2}});
            else
                path({a, {b.X - 2, b.Y}, {c.X - 2, c.Y - 2}, {d.X, d.Y - 2}, a});
            QueueShadow(b, c, d);
        } else if (showFullFrame_) {
            path({a, b, c, d, a});
        } else {
            path({a, b});
        }
        return;
    }
    const TRect tab = GetTabRect(tabIndex_);
    const TPoint e = StripPointToControl({tab.Left + 1, tab.Bottom});
    const TPoint f = StripPointToControl({tab.Right, tab.Bottom});
    switch (tabOrientation_) {
    case toTop:
        if (shadowed) {
            if (round) {
                path({{d.X, d.Y - 2}, a, e});
                path({f, {b.X - 2, b.Y}, {c.X - 2, c.Y - 2}, {d.X - 1, d.Y - 2}});
            } else {
                path({a, e});
                if (showFullFrame_)
                    path({f, {b.X - 2, b.Y}, {c.X - 2, c.Y - 2}, {d.X, d.Y - 2}, {a.X, a.Y - 1}});
                else
                    path({f, {b.X - 2, b.Y}});
            }
            QueueShadow(b, c, d);
        } else if (showFullFrame_) {
            if (round) {
                path({d, a, e});
                path({f, b, c, {d.X - 1, d.Y}});
            } else {
                path({a, e});
                path({f, b, c, d, a});
            }
        } else {
            path({a, e});
            path({f, {b.X + 1, b.Y}});
        }
        if (round)
            path({f, {f.X + 1, f.Y}});
        break;
    case toLeft:
        if (showFullFrame_) {
            path({a, b, c, d, e});
            path({f, a});
        } else {
            path({{d.X - 1, d.Y}, {e.X - 1, e.Y}});
            path({{f.X - 1, f.Y}, {a.X - 1, a.Y}});
        }
        break;
    case toBottom:
        if (showFullFrame_) {
            path({a, b, c, {f.X - 1, f.Y}});
            path({{e.X - 1, e.Y}, d, a});
        } else {
            path({{c.X, c.Y + 1}, {f.X - 1, f.Y + 1}});
            path({{e.X - 1, e.Y + 1}, {d.X, d.Y + 1}});
        }
        break;
    case toRight:
        if (showFullFrame_) {
            path({a, b, e});
            path({f, c, d, a});
        } else {
            path({{b.X + 1, b.Y}, {e.X + 1, e.Y}});
            path({{f.X + 1, f.Y}, {c.X + 1, c.Y + 1}});
        }
        break;
    }
}

void TTarqCustomTabControl::QueueShadow(TPoint b, TPoint c, TPoint d)
{
    if (hotRepaint_)
        return;
    QueuePointOp(ocMoveTo, {b.X - 1, b.Y + 1});
    QueuePointOp(ocShadow30, {c.X - 1, c.Y - 1});
    QueuePointOp(ocShadow30, {d.X, d.Y - 1});
    QueuePointOp(ocMoveTo, {b.X - 1, b.Y});
    QueuePointOp(ocShadow15, b);
    QueuePointOp(ocShadow15, c);
    QueuePointOp(ocShadow15, d);
    QueuePointOp(ocShadow15, {d.X, d.Y - 1});
}

void TTarqCustomTabControl::RunOutline()
{
    TCanvas& canvas = *workBitmap_->Canvas();
    std::unique_ptr<TBitmap> parentImage;
    for (size_t i = 0; i < ops_.size(); i += ops_[i] == ocPenColor ? 1 : 3)
        if (ops_[i] == ocShadow30 || ops_[i] == ocShadow15) {
            parentImage = std::make_unique<TBitmap>(Width(), Height());
            ::PaintParentBackground(*this, *parentImage->Canvas(), false);
            break;
        }
    TColor lineColor = LineColor();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    size_t i = 0;
    while (i < ops_.size()) {
        const int32_t code = ops_[i];
        if (code == ocPenColor) {
            canvas.Pen()->SetColor(lineColor);
            ++i;
            continue;
        }
        if (i + 2 >= ops_.size())
            break;
        const TPoint p{ops_[i + 1], ops_[i + 2]};
        i += 3;
        switch (code) {
        case ocLineColor: lineColor = LineColor(); break;
        case ocMoveTo: canvas.MoveTo(p.X, p.Y); break;
        case ocLineTo: canvas.LineTo(p.X, p.Y); break;
        case ocShadow30:
        case ocShadow15:
            ShadowLine(canvas, *parentImage, canvas.PenPos(), p, code == ocShadow30 ? 30 : 15);
            canvas.MoveTo(p.X, p.Y);
            break;
        default: break;
        }
    }
}

void TTarqCustomTabControl::ShadowLine(TCanvas& canvas, TBitmap& parentImage, TPoint from, TPoint to, uint8_t weight)
{
    auto blend = [&](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= Width() || y >= Height())
            return;
        canvas.SetPixel(x, y, MixColors(clBlack, parentImage.Canvas()->Pixels(x, y), weight));
    };
    if (from.Y == to.Y) {
        for (int32_t x = std::min(from.X, to.X); x <= std::max(from.X, to.X); ++x)
            blend(x, from.Y);
    } else if (from.X == to.X) {
        for (int32_t y = std::min(from.Y, to.Y); y <= std::max(from.Y, to.Y); ++y)
            blend(from.X, y);
    }
}
