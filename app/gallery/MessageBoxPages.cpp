// The program's message boxes about converting, in the start language.

#include <vector>

#include "GallerySupport.h"
#include "app/Messages.h"
#include "platform/backend/Gallery.h"
#include "platform/ui/Dialogs.h"

namespace {

// `text` and `caption` are message globals, read once the language is loaded.
std::unique_ptr<TCustomForm> Box(const std::string& text, const std::string& caption, TMsgDlgType type,
                                 TMsgDlgButtons buttons = {mbOK})
{
    UseStartLanguageTexts();
    return CreateMessageDialog(text, caption, type, buttons, buttons.Contains(mbYes) ? mbYes : mbOK);
}

std::unique_ptr<TCustomForm> TwoRefusedRows()
{
    UseStartLanguageTexts();
    const std::string text = MS_ErrorOpen + " /videos/missing.avi: No such file or directory\r\n" + MS_ErrorCvt +
        " Unknown encoder 'libopencore_amrnb'\r\n";
    return CreateMessageDialog(text, MS_Error, mtWarning, {mbOK}, mbOK);
}

// Every box shows its face colour at the top-left corner.
const std::vector<TGallerySentinel> BoxFace{{{5, 5}, clBtnFace}};

const bool registered = [] {
    RegisterGalleryPage({"app-msg-nofile", [] { return Box(MS_InfoNoFile, MS_Info, mtInformation); }, BoxFace});
    RegisterGalleryPage({"app-msg-wait", [] { return Box(MS_InfoWait, MS_Info, mtInformation); }, BoxFace});
    RegisterGalleryPage({"app-msg-errors", TwoRefusedRows, BoxFace});
    RegisterGalleryPage({"app-msg-cancel",
                         [] {
                             return Box(MS_InfoCancelTask, MS_Info, mtConfirmation, {mbYes, mbNo});
                         },
                         BoxFace});
    RegisterGalleryPage({"app-msg-lib", [] { return Box(MS_ErrorLib, MS_Error, mtError); }, BoxFace});
    return true;
}();

} // namespace
