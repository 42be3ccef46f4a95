// The progress window in its two looks: during a real run, right after the
// first progress report was handled, and at the end of a batch.

#include <cstdlib>
#include <string>

#include "GallerySupport.h"
#include "app/ConversionRun.h"
#include "app/FrmPress.h"
#include "app/tests/ClipRow.h"
#include "engine/binding/FFLoad.h"
#include "platform/backend/Gallery.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/MainThread.h"

namespace {

const std::string MediaFolder = APP_BINARY_DIR "/gallery-media/";
const std::string Clip = MediaFolder + "clip.avi";

// One row: a 5-second clip converted to MP4.
class TGalleryHost : public TConversionHost {
public:
    int32_t RowCount() override { return 1; }
    const TCusOutputOptions* RowToConvert(int32_t) override { return &settings; }
    void SetRowProgress(int32_t, const std::string& text) override { progress = text; }
    void SaveSelectedRow() override {}
    void LockMainWindow() override {}
    void UnlockMainWindow() override {}

    TCusOutputOptions settings = ClipRow(Clip, MediaFolder, 5);
    std::string progress;
};

void MakeMedia()
{
    ForceDirectories(MediaFolder);
    if (!FileExists(Clip)) {
        const std::string command =
            "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=5 -f lavfi -i "
            "sine=frequency=440:sample_rate=44100:duration=5 -ac 2 -c:v mpeg4 -c:a libmp3lame \"" +
            Clip + "\"";
        if (std::system(command.c_str()) != 0)
            throw Exception("The ffmpeg tool could not make " + Clip);
    }
    DeleteFile(MediaFolder + "clip_new001.mp4");
    if (!FFLoader.LoadLibraries(AllLibraries))
        throw Exception(FFLoader.LastErrorText());
}

std::unique_ptr<TCustomForm> DuringRun()
{
    UseStartLanguageTexts();
    MakeMedia();
    VIDArarozo encoder(nullptr);
    TGalleryHost host;
    TConversionRun run(encoder, host);
    run.MessageBox = [](const std::string& text, const std::string&, uint32_t) -> int32_t { throw Exception(text); };
    encoder.OnProgress = [&run](TObject* sender, PProgressInfo info) { run.Progress(sender, info); };
    encoder.OnTerminate = [&run](TObject* sender, const TTerminateInfo& info) { run.Terminate(sender, info); };
    run.Convert();
    while (host.progress.empty() && run.Running())
        CheckSynchronize(20);
    // The picture is taken now: nothing after this report may reach the window.
    encoder.OnProgress = nullptr;
    encoder.OnTerminate = nullptr;
    encoder.Stop(true);
    while (!encoder.AllDone())
        CheckSynchronize(20);
    TFrmPress* window = FrmPress;
    if (!window)
        throw Exception("The batch ended before its progress window was shown.");
    window->Run = nullptr;
    FrmPress = nullptr;
    return std::unique_ptr<TCustomForm>(window);
}

std::unique_ptr<TCustomForm> BatchDone()
{
    UseStartLanguageTexts();
    TFrmPress* window = CreateForm<TFrmPress>(nullptr);
    FrmPress = window;
    ShowProgressDone(0);
    FrmPress = nullptr;
    return std::unique_ptr<TCustomForm>(window);
}

const bool registered = [] {
    RegisterGalleryPage({"app-progress",
                         DuringRun,
                         {
                             {{297, 90}, clSkyBlue}, // the window's face beside the buttons
                             {{30, 28}, clNavy}, // the bar's filled start
                             {{230, 84}, 0xC0C0C0}, // Cancel, disabled while running
                         }});
    RegisterGalleryPage({"app-done",
                         BatchDone,
                         {
                             {{130, 84}, clSkyBlue}, // where Pause was
                             {{30, 28}, clNavy},
                             {{230, 84}, 0xD69343}, // the Ok button, enabled
                         }});
    return true;
}();

} // namespace
