// The whole conversion on the headless window system, driven by injected
// mouse clicks and keys.

#include "app/tests/ConvertEndToEnd.h"

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Messages.h"

class HeadlessConvertEndToEnd : public ConvertEndToEnd {
protected:
    HeadlessConvertEndToEnd() { InstallWindowSystem(backend); }
    ~HeadlessConvertEndToEnd() override { UninstallWindowSystem(); }

    void ChooseFile(TOpenDialog&, const std::string& path) override
    {
        backend.TypeText(path);
        backend.PressKey(VK_RETURN);
    }

    // A mouse click at the button's centre, delivered by the message loop.
    void Press(TControl& button) override
    {
        backend.Click(button.ClientToScreen(TPoint{button.Width() / 2, button.Height() / 2}));
        Pump();
    }

    THeadlessBackend backend;
};

TEST_F(HeadlessConvertEndToEnd, ConvertsAClipToTheEnd) { ConvertsAClipToTheEnd(); }

TEST_F(HeadlessConvertEndToEnd, PausedAndCancelledLeavesAPlayablePart) { PausedAndCancelledLeavesAPlayablePart(); }

TEST_F(HeadlessConvertEndToEnd, ClosingMidRunAsksAndStops) { ClosingMidRunAsksAndStops(); }
