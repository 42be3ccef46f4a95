#include "UiTestSupport.h"

#include "platform/ui/FormResources.h"
#include "platform/ui/Menus.h"

class MenusTest : public UiTest {
protected:
    MenusTest()
    {
        form = MakeForm(100, 100, 300, 200);
        edit = new TRecordingControl(form.get());
        edit->SetBounds(10, 10, 100, 20);
        edit->SetParent(form.get());
        menu = new TPopupMenu(form.get());
        open = Add("&Open", "open");
        open->SetShortCut(scCtrl | 'O');
        Add("-", "");
        removeAll = Add("&Remove all", "all");
        removeAll->SetEnabled(false);
        removeSelected = Add("Remove &selected", "selected");
        edit->SetPopupMenu(menu);
        form->Show();
        form->SetActiveControl(edit);
        Pump();
        TFont font;
        itemHeight = TMenuWindow::ItemHeightFor(&font);
    }
    TMenuItem* Add(const std::string& caption, const std::string& tag)
    {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        item->OnClick = [this, tag](TObject*) { clicked.push_back(tag); };
        menu->Items()->Add(item);
        return item;
    }
    // The middle of a row of a menu opened at (x, y).
    TPoint Row(int32_t x, int32_t y, int32_t row) const
    {
        int32_t top = y + 3 + row * itemHeight + (row >= 2 ? 8 - itemHeight : 0);
        return {x + 30, top + itemHeight / 2};
    }
    std::unique_ptr<TForm> form;
    TRecordingControl* edit = nullptr;
    TPopupMenu* menu = nullptr;
    TMenuItem* open = nullptr;
    TMenuItem* removeAll = nullptr;
    TMenuItem* removeSelected = nullptr;
    std::vector<std::string> clicked;
    int32_t itemHeight = 0;
};

TEST_F(MenusTest, ArrowsSkipSeparatorsAndEnterChoosesTheSelectedItem)
{
    backend.PressKey(VK_DOWN); // Open
    backend.PressKey(VK_DOWN); // past the separator: Remove all (disabled)
    backend.PressKey(VK_RETURN); // refused: disabled
    backend.PressKey(VK_DOWN);
    backend.PressKey(VK_RETURN);
    EXPECT_EQ(menu->Popup(150, 150), removeSelected);
    EXPECT_EQ(clicked, std::vector<std::string>{"selected"});
    EXPECT_EQ(menu->Window(), nullptr);
}

TEST_F(MenusTest, AcceleratorAndEscape)
{
    backend.TypeText("s");
    EXPECT_EQ(menu->Popup(150, 150), removeSelected);
    backend.PressKey(VK_ESCAPE);
    EXPECT_EQ(menu->Popup(150, 150), nullptr);
    EXPECT_EQ(clicked, std::vector<std::string>{"selected"});
}

TEST_F(MenusTest, MouseChoosesAnEnabledItemAndAClickOutsideCancels)
{
    backend.Click(Row(150, 150, 2)); // disabled: the menu stays open
    backend.MouseMove(Row(150, 150, 0));
    backend.Click(Row(150, 150, 0));
    EXPECT_EQ(menu->Popup(150, 150), open);

    backend.Click({600, 600});
    EXPECT_EQ(menu->Popup(150, 150), nullptr);
    EXPECT_EQ(clicked, std::vector<std::string>{"open"});
}

TEST_F(MenusTest, RightClickOpensTheControlsMenuAndShortcutsWorkWhileClosed)
{
    std::vector<TComponent*> shownFor;
    menu->OnPopup = [&](TObject*) { shownFor.push_back(menu->PopupComponent()); };
    backend.Click(edit->ClientToScreen({5, 5}), 1);
    backend.PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(shownFor, std::vector<TComponent*>{edit});

    backend.KeyDown(VK_CONTROL);
    backend.PressKey('O');
    backend.KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(clicked, std::vector<std::string>{"open"});
}

TEST_F(MenusTest, RadioItemsOfAGroupExcludeEachOtherAndShortcutsReadAsText)
{
    open->SetRadioItem(true);
    removeSelected->SetRadioItem(true);
    open->SetChecked(true);
    removeSelected->SetChecked(true);
    EXPECT_FALSE(open->Checked());
    EXPECT_EQ(ShortCutToText(scCtrl | 'O'), "Ctrl+O");
    EXPECT_EQ(ShortCutToText(scShift | scCtrl | VK_DELETE), "Shift+Ctrl+Del");
    EXPECT_EQ(ShortCutToText(VK_F1 + 4), "F5");
}

TEST_F(MenusTest, MenusTravelThroughFormResources)
{
    TForm owner(nullptr);
    const char* text = R"(object Owner: TForm
  object PopupMenuRemove: TPopupMenu
    Alignment = paRight
    object PM_Removeall: TMenuItem
      Caption = 'Remove all'
      ShortCut = 16449
    end
    object PM_RemoveSelected: TMenuItem
      Caption = 'Remove selected'
      Enabled = False
    end
  end
end
)";
    ReadComponentText(&owner, text, nullptr);
    auto* popup = dynamic_cast<TPopupMenu*>(owner.FindComponent("PopupMenuRemove"));
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->Items()->Count(), 2);
    EXPECT_EQ(popup->Items()->Items(0)->ShortCut(), scCtrl | 'A');
    EXPECT_FALSE(popup->Items()->Items(1)->Enabled());
    std::string written = WriteComponentText(&owner, nullptr);
    EXPECT_NE(written.find("object PopupMenuRemove: TPopupMenu\n    Alignment = paRight\n    object PM_Removeall"),
              std::string::npos)
        << written;
}
