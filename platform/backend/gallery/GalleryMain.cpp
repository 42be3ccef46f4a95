// The gallery program: `gallery` shows every page; `gallery --screenshots
// DIR [--page NAME]` captures them (under a virtual X display) and fails
// when a sentinel pixel is wrong.

#include <cstdio>
#include <string>

#include "platform/backend/Gallery.h"
#include "platform/backend/SdlBackend.h"
#include "platform/backend/X11Desktop.h"
#include "platform/ui/Application.h"

namespace {

// The window system lives inside the backend's lifetime on every way out,
// an exception included: windows still open at the end talk to the backend
// as they close.
class TWindowSystemScope {
public:
    explicit TWindowSystemScope(IWindowBackend& backend) { InstallWindowSystem(backend); }
    ~TWindowSystemScope() { UninstallWindowSystem(); }
    TWindowSystemScope(const TWindowSystemScope&) = delete;
    TWindowSystemScope& operator=(const TWindowSystemScope&) = delete;
};

int Capture(TSdlBackend& backend, const std::string& directory, const std::string& page)
{
    if (!backend.X11()) {
        std::fprintf(stderr, "gallery: screenshots need an X display\n");
        return 2;
    }
    int failures = 0;
    for (const TGalleryResult& result : CaptureGalleryPages(*backend.X11(), directory, page)) {
        std::printf("%s: %s\n", result.Page.c_str(), result.ScreenshotFile.c_str());
        for (const std::string& mismatch : result.Mismatches) {
            std::printf("  %s\n", mismatch.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

int Browse(const std::string& page)
{
    std::vector<std::unique_ptr<TCustomForm>> forms;
    int32_t offset = 20;
    for (const TGalleryPage& entry : GalleryPages()) {
        if (!page.empty() && page != entry.Name)
            continue;
        forms.push_back(entry.Create());
        TCustomForm* form = forms.back().get();
        form->SetBounds(offset, offset, form->Width(), form->Height());
        form->OnClose = [](TObject*, TCloseAction&) { Application()->Terminate(); };
        form->Show();
        offset += 40;
    }
    if (forms.empty())
        return 0;
    Application()->Run();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string directory;
    std::string page;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--screenshots")
            directory = argv[i + 1];
        else if (option == "--page")
            page = argv[i + 1];
    }
    try {
        TSdlBackend backend;
        TWindowSystemScope windows(backend);
        return directory.empty() ? Browse(page) : Capture(backend, directory, page);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gallery: %s\n", error.what());
        return 1;
    }
}
