#pragma once
// The data of the tabbed controls: enumerations, one tab, the owning tab
// list, the two colour sets, the cache of tab shape regions, the event types
// and the text measurer the layout asks for caption sizes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/TarqTypes.h"
#include "platform/core/Persistent.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

class TTarqCustomTabControl;

enum TTarqTabStyle : uint8_t { tsSingleSlant, tsDoubleSlant, tsCutCorner, tsRoundCorners, tsBackSlant };
enum TTarqTabOrientation : uint8_t { toTop, toLeft, toBottom, toRight };
enum TTarqTabSequence : uint8_t { tsStandard, tsReverse };
enum TTarqImagePosition : uint8_t { ipLeft, ipTop, ipRight, ipBottom, ipBack, ipStretch };
enum TTarqHorizontalAlignment : uint8_t { haLeft, haCenter, haRight };
enum TTarqVerticalAlignment : uint8_t { vaTop, vaCenter, vaBottom };
enum TTarqTabHotTrackStyle : uint8_t { htsTab, htsText };
enum TTarqTextStyle : uint8_t { tsHotTrack, tsSelected, tsUnselected, tsDisabledHighlight, tsDisabledShadow };

const TEnumInfo& TabStyleInfo();
const TEnumInfo& TabOrientationInfo();
const TEnumInfo& TabSequenceInfo();
const TEnumInfo& ImagePositionInfo();
const TEnumInfo& HorizontalAlignmentInfo();
const TEnumInfo& VerticalAlignmentInfo();
const TEnumInfo& TabHotTrackStyleInfo();

// One tab. Rect and Row are written by the layout.
class TTarqTabData : public TPersistent {
public:
    std::string Caption;
    TColor Color = clBtnFace;
    int32_t DisabledIndex = -1;
    bool Enabled = true;
    std::string Hint;
    int32_t ImageIndex = -1;
    TRect Rect;
    bool Visible = true;
    int32_t Row = 0;

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;
};

class TTarqTabDataList : public TPersistent {
public:
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // Raises EListError for an index out of range.
    TTarqTabData* Item(int32_t index) const;
    // Replaces (and frees) the entry at `index`; the list takes `item`.
    void PutItem(int32_t index, TTarqTabData* item);
    TTarqTabData* Add();
    void Clear() { items_.clear(); }
    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    std::vector<std::unique_ptr<TTarqTabData>> items_;
};

// Tab colours; every change repaints the control's tabs.
class TTarqTabColors : public TPersistent {
public:
    explicit TTarqTabColors(TTarqCustomTabControl* control) : control_(control) {}
    TColor HighlightBar() const { return highlightBar_; }
    virtual void SetHighlightBar(TColor value);
    TColor Shadow() const { return shadow_; }
    virtual void SetShadow(TColor value);
    TColor Unselected() const { return unselected_; }
    virtual void SetUnselected(TColor value);
    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    void Change(TColor& field, TColor value);
    TTarqCustomTabControl* control_;
    TColor highlightBar_ = clHighlight;
    TColor shadow_ = clBtnFace;
    TColor unselected_ = clWindow;
};

class TTarqTextColors : public TPersistent {
public:
    explicit TTarqTextColors(TTarqCustomTabControl* control) : control_(control) {}
    TColor DisabledHighlight() const { return disabledHighlight_; }
    virtual void SetDisabledHighlight(TColor value);
    TColor DisabledShadow() const { return disabledShadow_; }
    virtual void SetDisabledShadow(TColor value);
    TColor Selected() const { return selected_; }
    virtual void SetSelected(TColor value);
    TColor Unselected() const { return unselected_; }
    virtual void SetUnselected(TColor value);
    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    void Change(TColor& field, TColor value);
    TTarqCustomTabControl* control_;
    TColor disabledHighlight_ = clBtnHighlight;
    TColor disabledShadow_ = clBtnShadow;
    TColor selected_ = clBtnText;
    TColor unselected_ = clBtnText;
};

// Tab shape regions by tab rectangle (control coordinates), most recent
// first, at most Capacity of them (-1: no limit).
class TTarqTabRegionCache {
public:
    const TRegion* Find(const TRect& rect);
    // An equal rectangle already cached only moves to the front.
    const TRegion* Add(const TRect& rect, TRegion region);
    void Clear() { items_.clear(); }
    int32_t Capacity() const { return capacity_; }
    // Raises Exception for n = 0 or n < -1.
    void SetCapacity(int32_t n);
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }

private:
    struct TItem {
        TRect Rect;
        TRegion Region;
    };
    void Trim();
    std::vector<std::unique_ptr<TItem>> items_;
    int32_t capacity_ = 1;
};

// Sizes of caption lines as drawn horizontally in a font (GetTextExtentPoint32).
class ITarqTextMeasurer {
public:
    virtual ~ITarqTextMeasurer() = default;
    virtual TSize LineExtent(const TFont& font, const std::string& line) = 0;
};

using TTarqTabChangingEvent = std::function<void(TObject* sender, int32_t newIndex, bool& allowChange)>;
using TTarqTabCloseEvent = std::function<void(TObject* sender, bool& allowClose)>;
using TTarqGetTextColorEvent =
    std::function<void(TObject* sender, int32_t tabIndex, TTarqTextStyle style, TColor& color, bool& handled)>;
using TTarqPaintBackgroundEvent =
    std::function<void(TObject* sender, TCanvas* canvas, const TRect& rect, bool& handled)>;
using TTarqPaintCardBackgroundEvent =
    std::function<void(TObject* sender, TCanvas* canvas, int32_t row, const TRect& rect, bool& handled)>;
using TTarqPaintTabBackgroundEvent =
    std::function<void(TObject* sender, TCanvas* canvas, int32_t tabIndex, const TRect& rect, bool& handled)>;
using TTarqTabOrderChangeEvent = std::function<void(TObject* sender, int32_t oldIndex, int32_t newIndex)>;
