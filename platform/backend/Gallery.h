#pragma once
// The gallery: a program that shows one page per control, dialog or window
// and, run under a virtual X display, captures each page and checks a few
// sentinel pixels. Pages come from every folder: a source file registers
// its pages with RegisterGalleryPage and is added to the program with
// gallery_add_pages() in that folder's CMakeLists.txt.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Form.h"

class TX11Desktop;

// A pixel the page promises, in the form's client coordinates.
struct TGallerySentinel {
    TPoint ClientPoint;
    TColor Expected;
};

struct TGalleryPage {
    std::string Name; // file-name safe: gallery-<Name>.bmp (or .png)
    std::function<std::unique_ptr<TCustomForm>()> Create;
    std::vector<TGallerySentinel> Sentinels;
    // Puts the shown page into a state only input reaches, such as a drag
    // in progress, with InjectMouse; a drag still going after the capture
    // is cancelled.
    std::function<void(TCustomForm& form)> Pose = {};
};

// The mouse as if the user moved it or pressed its left button, at a
// screen point.
void InjectMouse(TInputKind kind, TPoint screen);
// A press at `from`, a move past the drag threshold and a move to `to`,
// the button held.
void InjectDrag(TPoint from, TPoint to);

// A page's form: borderless, `width` x `height`, on `color`.
std::unique_ptr<TForm> NewGalleryForm(int32_t width, int32_t height, TColor color = clBtnFace);

// For static registration: `const bool registered = RegisterGalleryPage({...});`
bool RegisterGalleryPage(TGalleryPage page);
const std::vector<TGalleryPage>& GalleryPages();

// How screenshots are written: by default BMP files ("bmp", through
// TBitmap). A folder with a PNG writer installs it from its page source:
//   const bool png = SetGalleryImageWriter("png", [](TBitmap& shot, const std::string& file) { ... });
using TGalleryImageWriter = std::function<void(TBitmap& shot, const std::string& file)>;
bool SetGalleryImageWriter(const std::string& extension, TGalleryImageWriter writer);

struct TGalleryResult {
    std::string Page;
    std::string ScreenshotFile;
    std::vector<std::string> Mismatches; // "(x, y): expected $.. got $.."
};

// Shows each page (all when `onlyPage` is empty) at a fixed place, captures
// the screen into `directory`/gallery-<name>.<extension> and checks its
// sentinels.
std::vector<TGalleryResult> CaptureGalleryPages(TX11Desktop& desktop, const std::string& directory,
                                                const std::string& onlyPage);
