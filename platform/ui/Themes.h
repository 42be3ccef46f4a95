#pragma once
// Theme services: what the controls ask before drawing a themed element
// (is theming on, the element's details by class, part and state), and the
// drawing itself. The process starts with themes off (classic drawing);
// tests install a recording fake to reach the themed branches.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"

class TWinControl;
class TControl;

enum class TThemedClass { Button, ComboBox, Edit, Header, ListView, Progress, ScrollBar, Spin, Tab, TrackBar, Window };

// Parts and states use the window system's theme numbering.
constexpr int32_t BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3, BP_GROUPBOX = 4;
constexpr int32_t PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5;
constexpr int32_t CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3, CBS_UNCHECKEDDISABLED = 4,
                  CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6, CBS_CHECKEDPRESSED = 7, CBS_CHECKEDDISABLED = 8,
                  CBS_MIXEDNORMAL = 9, CBS_MIXEDHOT = 10, CBS_MIXEDPRESSED = 11, CBS_MIXEDDISABLED = 12;
constexpr int32_t CP_DROPDOWNBUTTON = 1;
constexpr int32_t CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4;
constexpr int32_t EP_EDITTEXT = 1;
constexpr int32_t ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_FOCUSED = 5, ETS_READONLY = 6;
constexpr int32_t HP_HEADERITEM = 1;
constexpr int32_t HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3;
constexpr int32_t LVP_LISTITEM = 1;
constexpr int32_t PP_BAR = 1, PP_BARVERT = 2, PP_CHUNK = 3, PP_CHUNKVERT = 4;
constexpr int32_t SBP_ARROWBTN = 1, SBP_THUMBBTNHORZ = 2, SBP_THUMBBTNVERT = 3, SBP_LOWERTRACKHORZ = 4,
                  SBP_UPPERTRACKHORZ = 5, SBP_LOWERTRACKVERT = 6, SBP_UPPERTRACKVERT = 7, SBP_GRIPPERHORZ = 8,
                  SBP_GRIPPERVERT = 9, SBP_SIZEBOX = 10;
constexpr int32_t SCRBS_NORMAL = 1, SCRBS_HOT = 2, SCRBS_PRESSED = 3, SCRBS_DISABLED = 4;
constexpr int32_t SPNP_UP = 1, SPNP_DOWN = 2, SPNP_UPHORZ = 3, SPNP_DOWNHORZ = 4;
constexpr int32_t UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4;
constexpr int32_t TABP_TABITEM = 1, TABP_PANE = 9;
constexpr int32_t TIS_NORMAL = 1, TIS_HOT = 2, TIS_SELECTED = 3, TIS_DISABLED = 4, TIS_FOCUSED = 5;
constexpr int32_t TKP_TRACK = 1, TKP_THUMB = 3;
constexpr int32_t TUS_NORMAL = 1, TUS_HOT = 2, TUS_PRESSED = 3, TUS_FOCUSED = 4, TUS_DISABLED = 5;

struct TThemedElementDetails {
    TThemedClass Element = TThemedClass::Window;
    int32_t Part = 0;
    int32_t State = 0;
    friend bool operator==(const TThemedElementDetails&, const TThemedElementDetails&) = default;
};

class TThemeServices {
public:
    virtual ~TThemeServices() = default;

    virtual bool ThemesEnabled() const = 0;
    TThemedElementDetails GetElementDetails(TThemedClass element, int32_t part, int32_t state) const
    {
        return {element, part, state};
    }
    // Draws the element over `rect`, limited to `clip` when given.
    virtual void DrawElement(TCanvas& canvas, const TThemedElementDetails& details, const TRect& rect,
                             const TRect* clip = nullptr) = 0;
    // Paints the parent's image behind `control` into `canvas` (whose
    // origin is the control's top-left), within `bounds` when given.
    virtual void DrawParentBackground(TControl& control, TCanvas& canvas, const TRect* bounds = nullptr) = 0;
    // The part of `bounds` inside the element's borders.
    virtual TRect ContentRect(TCanvas& canvas, const TThemedElementDetails& details, const TRect& bounds) = 0;
    // Tells the controls that the theme changed (WM_THEMECHANGED).
    void Changed();
};

// Themes off: no element is drawn; the parent background is painted.
class TClassicThemeServices : public TThemeServices {
public:
    bool ThemesEnabled() const override { return false; }
    void DrawElement(TCanvas&, const TThemedElementDetails&, const TRect&, const TRect*) override {}
    void DrawParentBackground(TControl& control, TCanvas& canvas, const TRect* bounds) override;
    TRect ContentRect(TCanvas&, const TThemedElementDetails&, const TRect& bounds) override { return bounds; }
};

// For tests: themes on; every call is recorded, and each element is filled
// with ElementColor(details) so its pixels can be found.
class TRecordingThemeServices : public TThemeServices {
public:
    struct TCall {
        std::string Operation; // "DrawElement", "DrawParentBackground", "ContentRect"
        TThemedElementDetails Details;
        TRect Rect;
    };

    bool Enabled = true;
    // ContentRect shrinks by this much on every side.
    int32_t ContentMargin = 2;
    std::vector<TCall> Calls;

    bool ThemesEnabled() const override { return Enabled; }
    void DrawElement(TCanvas& canvas, const TThemedElementDetails& details, const TRect& rect,
                     const TRect* clip) override;
    void DrawParentBackground(TControl& control, TCanvas& canvas, const TRect* bounds) override;
    TRect ContentRect(TCanvas& canvas, const TThemedElementDetails& details, const TRect& bounds) override;

    // A colour unique to the element's class, part and state.
    static TColor ElementColor(const TThemedElementDetails& details);
};

// The services in use; never null.
TThemeServices* ThemeServices();
// Installs `services` (not owned; nullptr restores the classic services)
// and tells every control through WM_THEMECHANGED.
void SetThemeServices(TThemeServices* services);
