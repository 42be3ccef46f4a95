#pragma once
// Tab controls with a fixed-width text measurer, so that tab sizes in the
// tests follow from the captions alone.

#include <memory>
#include <string>

#include "TarqTestSupport.h"
#include "controls/TarqPageControl.h"

// Every character is 6 pixels wide (7 in bold) and every line 13 high.
class TFixedTextMeasurer : public ITarqTextMeasurer {
public:
    TSize LineExtent(const TFont& font, const std::string& line) override
    {
        const int32_t width = font.Style().Contains(fsBold) ? 7 : 6;
        return {static_cast<int32_t>(line.size()) * width, 13};
    }
};

inline void UseFixedMeasurer(TTarqCustomTabControl& control)
{
    control.SetTextMeasurer(std::make_shared<TFixedTextMeasurer>());
}

inline TTarqTabData* AddTab(TTarqCustomTabControl& control, const std::string& caption)
{
    TTarqTabData* tab = control.Tabs()->Add();
    tab->Caption = caption;
    control.RequestLayout();
    return tab;
}

inline TTarqTabSheet* AddPage(TTarqPageControl& control, const std::string& caption)
{
    auto* page = new TTarqTabSheet(control.Owner());
    page->SetCaption(caption);
    page->SetPageControl(&control);
    return page;
}
