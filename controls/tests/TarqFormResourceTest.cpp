#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqButton.h"
#include "controls/TarqLabel.h"
#include "controls/TarqPanel.h"
#include "controls/TarqProgressBar.h"
#include "controls/TarqRegistration.h"
#include "controls/TarqSeparator.h"
#include "controls/TarqTrkBar.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/FormResources.h"

namespace {

class TarqFormResource : public TarqUiTest {
protected:
    TarqFormResource()
    {
        RegisterTarqPanelClasses();
        RegisterTarqLabelClasses();
        RegisterTarqProgressBarClasses();
        RegisterTarqSeparatorClasses();
        RegisterTarqButtonClasses();
        RegisterTarqTrackBarClasses();
    }
};

void PaintTestPattern(TBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.SetSize(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bitmap.Canvas()->SetPixel(x, y, RGB(x * 20, y * 20, 200));
}

// Published bitmaps (a glyph, a custom thumb) travel through the form
// resource as binary data and reach their controls, which take them up as
// if set in code.
TEST_F(TarqFormResource, PublishedBitmapsAreWrittenAndReadAsBinaryData)
{
    TForm form(nullptr);
    form.SetName("Form1");
    auto* button = new TTarqControlButton(&form);
    button->SetName("Btn");
    button->SetParent(&form);
    PaintTestPattern(*button->Glyph(), 6, 4);
    auto* track = new TTarqTrackBar(&form);
    track->SetName("Track");
    track->SetParent(&form);
    TBitmap thumb;
    PaintTestPattern(thumb, 9, 11);
    track->SetCustomThumb(&thumb);
    const std::string text = WriteComponentText(&form, nullptr);
    ASSERT_NE(text.find("Glyph.Data = {"), std::string::npos) << text;
    ASSERT_NE(text.find("CustomThumb.Data = {"), std::string::npos) << text;

    TForm copy(nullptr);
    ReadComponentText(&copy, text, nullptr);
    auto* readButton = dynamic_cast<TTarqControlButton*>(copy.FindComponent("Btn"));
    auto* readTrack = dynamic_cast<TTarqTrackBar*>(copy.FindComponent("Track"));
    ASSERT_TRUE(readButton && readTrack);
    EXPECT_EQ(readButton->Glyph()->Width(), 6);
    EXPECT_EQ(readButton->Glyph()->Canvas()->Pixels(5, 3), RGB(100, 60, 200));
    EXPECT_EQ(readTrack->ThumbStyle(), tsCustom);
    EXPECT_EQ(readTrack->CustomThumb()->Height(), 11);
    EXPECT_EQ(readTrack->CustomThumb()->Canvas()->Pixels(8, 10), RGB(160, 200, 200));
    EXPECT_EQ(WriteComponentText(&copy, nullptr), text);
}

TEST_F(TarqFormResource, ControlsReadTheirSettingsAndTheControllerPushesAfterLoading)
{
    const std::string text = R"(object Form1: TForm
  object Frames: TTarqFrameController
    FrameFlat = True
    FrameColor = clRed
    FrameVisible = True
  end
  object Outer: TTarqPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    BorderOuter = fsFlatRounded
    UseGradients = True
    ThemeAware = False
    FrameSides = (
      'sdLeft')
    FrameController = Frames
    FrameControllerNotifications = [fcpFrameStyle]
    object Time: TTarqLabel
      Left = 8
      Top = 8
      Caption = '00:00'
      Angle = -90
      FrameController = Frames
    end
  end
  object Bar: TTarqProgressBar
    Left = 0
    Top = 120
    Width = 259
    Height = 6
    BarStyle = bsGradient
    TotalParts = 4
    PartsComplete = 3
    Percent = 75
  end
  object Line: TTarqSeparator
    Orientation = orVertical
    Width = 2
    Height = 200
  end
end
)";
    TForm form(nullptr);
    ReadComponentText(&form, text, nullptr);
    auto* frames = dynamic_cast<TTarqFrameController*>(form.FindComponent("Frames"));
    auto* outer = dynamic_cast<TTarqPanel*>(form.FindComponent("Outer"));
    auto* time = dynamic_cast<TTarqLabel*>(form.FindComponent("Time"));
    auto* bar = dynamic_cast<TTarqProgressBar*>(form.FindComponent("Bar"));
    auto* line = dynamic_cast<TTarqSeparator*>(form.FindComponent("Line"));
    ASSERT_TRUE(frames && outer && time && bar && line);

    EXPECT_EQ(frames->FrameStyle(), fsStatus); // from the retired FrameFlat
    EXPECT_EQ(outer->VisualStyle(), vsGradient);
    EXPECT_EQ(outer->FrameController(), frames);
    EXPECT_EQ(outer->BorderOuter(), fsStatus); // pushed once everything was read
    EXPECT_EQ(outer->FlatColor(), clBtnShadow); // not accepted
    EXPECT_EQ(time->Parent(), outer);
    EXPECT_EQ(time->Angle(), 270);
    EXPECT_EQ(time->Rotation(), roFlat);
    EXPECT_EQ(time->FlatColor(), clRed);
    EXPECT_EQ(bar->PartsComplete(), 3u); // kept while loading
    EXPECT_EQ(bar->Percent(), 75);
    EXPECT_EQ(line->Width(), 2); // no swap while loading
    EXPECT_EQ(line->Height(), 200);

    const std::string written = WriteComponentText(&form, nullptr);
    for (const char* retired : {"FrameFlat", "UseGradients", "ThemeAware", "FrameFocusStyle"})
        EXPECT_EQ(written.find(retired), std::string::npos) << retired;
    EXPECT_NE(written.find("BorderOuter = fsStatus"), std::string::npos);
    EXPECT_NE(written.find("ShowGradient = True"), std::string::npos);
}

// The drag and dock properties and events are published: a form naming
// them reads, binds and writes them.
TEST_F(TarqFormResource, DragAndDockPropertiesAndEventsAreRead)
{
    const std::string text = R"(object Form1: TForm
  object Site: TTarqPanel
    DockSite = True
    OnDockDrop = SiteDockDrop
    OnGetSiteInfo = SiteGetSiteInfo
    OnUnDock = SiteUnDock
  end
  object Tools: TTarqPanel
    DragKind = dkDock
    DragMode = dmAutomatic
    OnEndDock = ToolsEndDock
    OnStartDrag = ToolsStartDrag
  end
end
)";
    TForm form(nullptr);
    int dropped = 0;
    form.Handlers().Add("SiteDockDrop",
                        TDockDropEvent([&](TObject*, TDragDockObject*, int32_t, int32_t) { ++dropped; }));
    form.Handlers().Add("SiteGetSiteInfo", TGetSiteInfoEvent([](TObject*, TControl*, TRect&, TPoint, bool&) {}));
    form.Handlers().Add("SiteUnDock", TUnDockEvent([](TObject*, TControl*, TWinControl*, bool&) {}));
    form.Handlers().Add("ToolsEndDock", TEndDragEvent([](TObject*, TObject*, int32_t, int32_t) {}));
    form.Handlers().Add("ToolsStartDrag", TStartDragEvent([](TObject*, TDragObject*&) {}));
    ReadComponentText(&form, text, &form.Handlers());
    auto* site = dynamic_cast<TTarqPanel*>(form.FindComponent("Site"));
    auto* tools = dynamic_cast<TTarqPanel*>(form.FindComponent("Tools"));
    ASSERT_TRUE(site && tools);
    EXPECT_TRUE(site->DockSite());
    EXPECT_NE(site->DockManager(), nullptr);
    EXPECT_EQ(tools->DragKind(), dkDock);
    EXPECT_EQ(tools->DragMode(), dmAutomatic);
    ASSERT_TRUE(site->OnDockDrop);
    site->OnDockDrop(site, nullptr, 0, 0);
    EXPECT_EQ(dropped, 1);
    const std::string written = WriteComponentText(&form, &form.Handlers());
    for (const char* line : {"DockSite = True", "DragKind = dkDock", "DragMode = dmAutomatic", "OnUnDock = SiteUnDock",
                             "OnEndDock = ToolsEndDock"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
}

} // namespace
