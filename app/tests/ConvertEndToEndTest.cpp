// The whole conversion on the headless window system, the dialog driven by
// injected keys.

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

    THeadlessBackend backend;
};

TEST_F(HeadlessConvertEndToEnd, ConvertsAClipToTheEnd)
{
    ConvertsAClipToTheEnd();
}

TEST_F(HeadlessConvertEndToEnd, PausedAndCancelledLeavesAPlayablePart)
{
    PausedAndCancelledLeavesAPlayablePart();
}

TEST_F(HeadlessConvertEndToEnd, ClosingMidRunAsksAndStops)
{
    ClosingMidRunAsksAndStops();
}
