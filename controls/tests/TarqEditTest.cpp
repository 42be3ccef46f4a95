#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqEdit.h"
#include "controls/TarqFrameController.h"
#include "platform/ui/FormResources.h"

namespace {

using Rows = std::vector<std::string>;

class TarqEdit : public ButtonUiTest {
protected:
    TarqEdit()
    {
        edit = new TTarqEdit(form.get());
        edit->SetBounds(10, 10, 60, 21);
        edit->SetParent(form.get());
        other = new TTarqEdit(form.get());
        other->SetBounds(10, 40, 60, 21);
        other->SetParent(form.get());
        Pump();
    }
    TTarqEdit* edit;
    TTarqEdit* other;
};

TEST_F(TarqEdit, ColourGivenFromOutsideTakesTheFocusColourAlongOnlyWhenTheyWereEqual)
{
    edit->SetColor(clYellow);
    EXPECT_EQ(edit->FocusColor(), clYellow);
    edit->SetFocusColor(clAqua);
    edit->SetColor(clLime);
    EXPECT_EQ(edit->FocusColor(), clAqua);
    EXPECT_EQ(edit->NormalColor(), clLime);
}

TEST_F(TarqEdit, ColourFollowsTheState)
{
    edit->SetColor(clLime);
    edit->SetFocusColor(clAqua);
    edit->SetDisabledColor(clGray);
    edit->SetReadOnlyColor(clYellow);

    edit->SetEnabled(false);
    EXPECT_EQ(edit->Color(), clGray);
    edit->SetEnabled(true);
    EXPECT_EQ(edit->Color(), clLime); // the colour set from outside, not the disabled one

    Focus(*edit);
    EXPECT_EQ(edit->Color(), clAqua);
    edit->SetReadOnly(true);
    EXPECT_EQ(edit->Color(), clAqua); // focus wins over read-only...
    edit->SetReadOnlyColorOnFocus(true);
    EXPECT_EQ(edit->Color(), clYellow); // ...unless asked otherwise
    Focus(*other);
    EXPECT_EQ(edit->Color(), clYellow);
    edit->SetReadOnly(false);
    EXPECT_EQ(edit->Color(), clLime);
    EXPECT_EQ(edit->NormalColor(), clLime);
}

// Rows of the painted frame: S frame colour, w the edit's colour, o another.
Rows FrameRows(TTarqEdit& edit)
{
    auto image = Snapshot(edit);
    TLegend legend = {{'w', ColorToRGB(clWindow)}};
    for (const auto& entry : SystemLegend())
        legend.push_back(entry);
    legend.push_back({'r', clRed});
    legend.push_back({'b', clBlue});
    const Rows rows = Grid(*image, legend);
    return {rows[0].substr(0, 6), rows[1].substr(0, 6), rows[2].substr(0, 6), rows.back().substr(0, 6)};
}

TEST_F(TarqEdit, OwnFrameIsDrawnPerStyleOnlyWithoutTheTheme)
{
    edit->SetFramingPreference(fpCustomFraming);
    const Rows classic = FrameRows(*edit);
    EXPECT_EQ(classic[0], "SSSSSS"); // the standard sunken edge, no frame of its own
    EXPECT_EQ(classic[1], "SDDDDD");

    edit->SetFrameVisible(true);
    edit->SetFrameColor(clRed);
    const Rows flat = FrameRows(*edit);
    EXPECT_EQ(flat[0], "rrrrrr");
    EXPECT_EQ(flat[1], "rwwwww");
    EXPECT_EQ(flat[3], "rrrrrr");

    edit->SetFrameStyle(fsFlatBold);
    const Rows bold = FrameRows(*edit);
    EXPECT_EQ(bold[0], "rrrrrr");
    EXPECT_EQ(bold[1], "rrrrrr");

    edit->SetFrameStyle(fsRaised);
    const Rows raised = FrameRows(*edit);
    EXPECT_EQ(raised[0], "LLLLLL");
    EXPECT_EQ(raised[1], "Lwwwww"); // the inner highlight is white like the window

    edit->SetFrameSides(TSides{sdBottom});
    edit->SetFrameStyle(fsFlat);
    EXPECT_EQ(FrameRows(*edit)[0], "wwwwww"); // the rim is repainted in the edit's colour
    EXPECT_EQ(FrameRows(*edit)[3], "rrrrrr");

    UseRecordingTheme();
    themes.Enabled = true;
    EXPECT_EQ(FrameRows(*edit)[0], "wwwwww");
    edit->SetFramingPreference(fpXPThemes);
    EXPECT_EQ(FrameRows(*edit)[0], "SSSSSS"); // the theme's border stays
}

TEST_F(TarqEdit, HotTrackingShowsTheHotFrameWhileHoveredOrFocused)
{
    edit->SetFramingPreference(fpCustomFraming);
    edit->SetFrameSides(TSides{sdTop});
    edit->SetFrameColor(clRed);
    edit->SetFrameHotColor(clBlue);
    edit->SetFrameHotTrack(true);
    EXPECT_TRUE(edit->FrameVisible());
    EXPECT_EQ(edit->FrameSides(), AllSides);
    EXPECT_EQ(FrameRows(*edit)[1], "rwwwww");

    int entered = 0, left = 0;
    edit->OnMouseEnter = [&](TObject*) { ++entered; };
    edit->OnMouseLeave = [&](TObject*) { ++left; };
    backend.MouseMove(At(*edit, 5, 5));
    Pump();
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(FrameRows(*edit)[1], "bbbbbb"); // fsFlatBold in the hot colour
    backend.MouseMove(At(*form, 200, 150));
    Pump();
    EXPECT_EQ(left, 1);
    EXPECT_EQ(FrameRows(*edit)[1], "rwwwww");

    Focus(*edit);
    EXPECT_EQ(FrameRows(*edit)[1], "bbbbbb");
}

TEST_F(TarqEdit, HotTrackReadFromAFormKeepsTheStoredSides)
{
    RegisterTarqEditClasses();
    TForm loaded(nullptr);
    ReadComponentText(&loaded, R"(object F: TForm
  object E: TTarqEdit
    FrameSides = [sdLeft]
    FrameFlat = True
    FrameFocusStyle = fsRaised
  end
end
)",
                      nullptr);
    auto* e = dynamic_cast<TTarqEdit*>(loaded.FindComponent("E"));
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->FrameHotTrack());
    EXPECT_TRUE(e->FrameVisible());
    EXPECT_EQ(e->FrameSides(), TSides{sdLeft});
    EXPECT_EQ(e->FrameStyle(), fsStatus);
    EXPECT_EQ(e->FrameHotStyle(), fsRaised);
    EXPECT_EQ(e->Text(), ""); // the component's name is not copied into the text
}

TEST_F(TarqEdit, EnterMovesTheFocusLikeTabWithoutReachingOnKeyPress)
{
    std::vector<char32_t> pressed;
    edit->OnKeyPress = [&](TObject*, char32_t& key) { pressed.push_back(key); };
    edit->SetTabOnEnter(true);
    Focus(*edit);
    backend.TypeText("a");
    backend.PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(pressed, std::vector<char32_t>{U'a'});
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(edit->Text(), "a");

    edit->SetTabOnEnter(false);
    Focus(*edit);
    backend.PressKey(VK_RETURN);
    Pump();
    EXPECT_TRUE(edit->Focused());
}

TEST_F(TarqEdit, ControllerSettingsArePushedAndNotWrittenToTheForm)
{
    auto* frames = new TTarqFrameController(form.get());
    frames->SetName("Frames");
    edit->SetName("E");
    frames->SetFrameStyle(fsGroove);
    frames->SetFrameVisible(true);
    edit->SetFrameControllerNotifications(AllFrameControllerNotifications -
                                          TTarqFrameControllerNotifications{fcpFrameColor});
    frames->SetFrameColor(clRed);
    edit->SetFrameController(frames);
    EXPECT_EQ(edit->FrameStyle(), fsGroove);
    EXPECT_TRUE(edit->FrameVisible());
    EXPECT_EQ(edit->FrameColor(), clBtnShadow);

    edit->SetFrameColor(clBlue);
    const std::string formText = WriteComponentText(form.get(), nullptr);
    const size_t start = formText.find("object E:");
    const std::string text = formText.substr(start, formText.find("  end", start) - start);
    EXPECT_NE(text.find("FrameColor = clBlue"), std::string::npos);
    EXPECT_EQ(text.find("FrameStyle ="), std::string::npos);
    EXPECT_EQ(text.find("FrameVisible ="), std::string::npos);

    delete frames;
    EXPECT_EQ(edit->FrameController(), nullptr);
}

} // namespace
