// The main window previewing a clip: in output mode, with a watermark placed
// bottom right, and turned by 90 degrees.

#include <cstdlib>
#include <memory>
#include <string>

#include "app/ApplicationGlobals.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqPageControl.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqSpnEdt.h"
#include "engine/FFEncode.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "platform/backend/Gallery.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"

namespace {

const std::string MediaFolder = APP_BINARY_DIR "/gallery-media/";
const std::string PreviewClip = MediaFolder + "preview.mp4";
const std::string WatermarkPng = MediaFolder + "mark.png";

// The preview area's origin in the window, and its sky blue.
constexpr TPoint PreviewArea{31, 272};
constexpr TColor PreviewBackground = 0xF0CAA6;
constexpr TColor Yellow = 0x00FFFF;

TPoint InPreview(int32_t x, int32_t y) { return {PreviewArea.X + x, PreviewArea.Y + y}; }

void MakeFile(const std::string& file, const std::string& arguments)
{
    if (FileExists(file))
        return;
    ForceDirectories(MediaFolder);
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " \"" + file + "\"";
    if (std::system(command.c_str()) != 0)
        throw Exception("The ffmpeg tool could not make " + file);
}

// The rotated preview needs the imaging library for the rest of the process,
// started with the formats' start-up as the converter starts it.
void StartImagingLibrary()
{
    struct TImagingLibrary {
        TImagingLibrary()
        {
            InstallBrelvixIOStartup();
            LibraryStaticInit();
        }
        ~TImagingLibrary() { LibraryStaticFinal(); }
    };
    static TImagingLibrary library;
}

std::unique_ptr<TFrmQuorvid> PreviewingWindow()
{
    MakeFile(PreviewClip, "-f lavfi -i testsrc=size=640x480:rate=25:duration=2 -c:v libx264 -pix_fmt yuv420p");
    MakeFile(WatermarkPng, "-f lavfi -i color=c=yellow:size=100x50,format=rgb24 -frames:v 1");
    StartImagingLibrary();
    std::unique_ptr<TFrmQuorvid> form(CreateForm<TFrmQuorvid>(nullptr));
    ApplicationFolder = APP_SOURCE_DIR "/";
    form->ApplyLanguage(StartLanguage);
    if (!form->DIVidirov->LoadLibraries(ApplicationFolder + "LibAV"))
        throw Exception("The FFmpeg libraries could not be loaded.");
    form->AddSourceFile(PreviewClip, form->ComboBoxFormat->Text());
    return form;
}

std::unique_ptr<TCustomForm> Preview() { return PreviewingWindow(); }

std::unique_ptr<TCustomForm> Watermark()
{
    std::unique_ptr<TFrmQuorvid> form = PreviewingWindow();
    form->PageControlVideo->SetActivePage(dynamic_cast<TTarqTabSheet*>(form->FindComponent("TabSheetWaterMark")));
    form->EditPathWatermark->SetText(WatermarkPng);
    form->ComboBoxPostion->SetItemIndex(8);
    form->SpinEditX->SetValue(10);
    form->SpinEditY->SetValue(10);
    form->CheckBoxWatermark->SetChecked(true);
    form->CheckBoxWatermarkClick(form->CheckBoxWatermark);
    return form;
}

std::unique_ptr<TCustomForm> Rotated()
{
    std::unique_ptr<TFrmQuorvid> form = PreviewingWindow();
    form->PageControlVideo->SetActivePage(dynamic_cast<TTarqTabSheet*>(form->FindComponent("TabSheetEdit")));
    form->ComboBoxRotate->SetItemIndex(1); // "90"
    form->ComboBoxRotateChange(form->ComboBoxRotate);
    return form;
}

const bool registered = [] {
    // A 4:3 output frame fills the area's height: sky blue beside it.
    RegisterGalleryPage(
        {"app-preview", Preview, {{InPreview(30, 90), PreviewBackground}, {InPreview(340, 90), PreviewBackground}}});
    // 100 x 50 at 10, 10 from the bottom right: 37 x 19 at (198, 157) of the frame at (64, 0).
    RegisterGalleryPage({"app-watermark",
                         Watermark,
                         {{InPreview(64 + 198 + 18, 157 + 9), Yellow}, {InPreview(30, 90), PreviewBackground}}});
    // Turned, the frame stands tall: sky blue where the wide frame would be.
    RegisterGalleryPage(
        {"app-rotate", Rotated, {{InPreview(100, 90), PreviewBackground}, {InPreview(270, 90), PreviewBackground}}});
    return true;
}();

} // namespace
