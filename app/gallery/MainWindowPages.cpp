// The converter's main window: at start, and with an audio profile chosen.

#include "app/ApplicationGlobals.h"
#include "app/ConverterArt.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqCmboBx.h"

#include "platform/backend/Gallery.h"

namespace {

// Inside the rounded shape: the skin's border on the title band, its body at the left edge.
constexpr TPoint TitleBorder{400, 1};
constexpr TPoint LeftEdge{2, 300};
// Below the audio panel's lists once it moved up into the video panel's place.
constexpr TPoint BelowAudioLists{700, 300};

std::unique_ptr<TFrmQuorvid> CreateMainWindow()
{
    std::unique_ptr<TFrmQuorvid> form(CreateForm<TFrmQuorvid>(nullptr));
    // The language files of the source tree, as they ship beside the program.
    ApplicationFolder = APP_SOURCE_DIR "/";
    form->ApplyLanguage(StartLanguage);
    return form;
}

std::unique_ptr<TCustomForm> CreateAudioProfile()
{
    std::unique_ptr<TFrmQuorvid> form = CreateMainWindow();
    form->ComboBoxFormat->SetItemIndex(16); // MP3
    form->ComboBoxFormatChange(form->ComboBoxFormat);
    return form;
}

const bool registered = RegisterGalleryPage({
                            "app-main",
                            [] { return std::unique_ptr<TCustomForm>(CreateMainWindow()); },
                            {{TitleBorder, SkinBorderColor}, {LeftEdge, SkinBodyColor}},
                        }) &&
    RegisterGalleryPage({
        "app-output-audio",
        CreateAudioProfile,
        {{TitleBorder, SkinBorderColor}, {LeftEdge, SkinBodyColor}, {BelowAudioLists, SkinBodyColor}},
    });

} // namespace
