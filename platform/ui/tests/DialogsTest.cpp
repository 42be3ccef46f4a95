#include <set>

#include "UiTestSupport.h"

#include "platform/ui/DialogIcons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

using DialogsTest = UiTest;

TEST_F(DialogsTest, MessageBoxAnswersFollowKeysAndDefaults)
{
    struct Case {
        uint32_t flags;
        uint16_t key;
        int32_t expected;
    };
    const Case cases[] = {
        {MB_OK, VK_RETURN, IDOK},
        {MB_OK, VK_ESCAPE, IDOK},
        {MB_OKCANCEL, VK_ESCAPE, IDCANCEL},
        {MB_YESNO, VK_RETURN, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, VK_RETURN, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, VK_RETURN, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, VK_RETURN, IDRETRY},
        {MB_RETRYCANCEL, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        backend.PressKey(c.key);
        EXPECT_EQ(ShowMessageBox("Text", "Caption", c.flags), c.expected) << c.flags << " key " << c.key;
    }
}

TEST_F(DialogsTest, AcceleratorsTabAndSpacePickButtons)
{
    backend.KeyDown(VK_MENU);
    backend.PressKey('N');
    backend.KeyUp(VK_MENU);
    EXPECT_EQ(ShowMessageBox("Save?", "Q", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);

    backend.PressKey(VK_TAB); // from Yes to No
    backend.PressKey(VK_SPACE);
    EXPECT_EQ(ShowMessageBox("Save?", "Q", MB_YESNO), IDNO);

    backend.PressKey(VK_TAB);
    backend.PressKey(VK_RETURN); // Enter presses the focused button
    EXPECT_EQ(ShowMessageBox("Save?", "Q", MB_YESNO), IDNO);
}

TEST_F(DialogsTest, ClickingAButtonOfAMessageDialogGivesItsResult)
{
    std::unique_ptr<TForm> dialog =
        CreateMessageDialog("Delete the file?", "Confirm", mtConfirmation, mbYesNoCancel, mbYes);
    auto* no = dynamic_cast<TButton*>(dialog->FindComponent("No"));
    ASSERT_NE(no, nullptr);
    EXPECT_EQ(no->Caption(), "&No");
    EXPECT_TRUE(dynamic_cast<TButton*>(dialog->FindComponent("Yes"))->Default());
    EXPECT_TRUE(dynamic_cast<TButton*>(dialog->FindComponent("Cancel"))->Cancel());
    // The dialog centres itself when shown; find the button then.
    dialog->OnShow = [&](TObject*) {
        TPoint p = no->ClientToScreen({no->Width() / 2, no->Height() / 2});
        backend.Click(p);
    };
    EXPECT_EQ(dialog->ShowModal(), mrNo);
}

TEST_F(DialogsTest, BoxesBeepWithTheirIconsSoundAndShowTheText)
{
    backend.PressKey(VK_RETURN);
    ShowMessageBox("Disk full", "Error", MB_OK | MB_ICONERROR);
    backend.PressKey(VK_RETURN);
    ShowMessageBox("Done", "Info", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(backend.Beeps(), (std::vector<TBeepKind>{TBeepKind::Error, TBeepKind::Information}));

    std::unique_ptr<TForm> dialog =
        CreateMessageDialog("Completed all the tasks.", "Info", mtInformation, {mbOK}, mbOK);
    dialog->Show();
    Pump();
    // Some pixels of the text are in the font's colour, right of the icon.
    bool textDrawn = false;
    for (int32_t y = 16; y < 32 && !textDrawn; ++y)
        for (int32_t x = 56; x < dialog->ClientWidth() - 8 && !textDrawn; ++x)
            textDrawn = StorePixel(*dialog, x, y) == ColorToPixelRGB(clWindowText);
    EXPECT_TRUE(textDrawn);
    // The icon's disc is blue and smooth: its rim blends into the form in
    // many shades, where a jagged drawing has only its few flat colours.
    const TColor disc = StorePixel(*dialog, 16 + 16, 16 + 3);
    EXPECT_GT(GetBValue(disc), 2 * GetRValue(disc));
    std::set<TColor> shades;
    for (int32_t y = 16; y < 16 + MessageIconSize; ++y)
        for (int32_t x = 16; x < 16 + MessageIconSize; ++x)
            shades.insert(StorePixel(*dialog, x, y));
    EXPECT_GT(shades.size(), 12u);
}
