#include "platform/backend/Gallery.h"

#include "platform/backend/X11Desktop.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/WindowSystem.h"

namespace {

std::vector<TGalleryPage>& Pages()
{
    static std::vector<TGalleryPage> pages;
    return pages;
}

constexpr TPoint PagePosition{20, 20};

struct TImageWriterChoice {
    std::string Extension = "bmp";
    TGalleryImageWriter Writer = [](TBitmap& shot, const std::string& file) { shot.SaveToFile(file); };
};

TImageWriterChoice& ImageWriter()
{
    static TImageWriterChoice choice;
    return choice;
}

TColor ScreenPixel(TBitmap& screen, TPoint p)
{
    if (!PtInRect(Rect(0, 0, screen.Width(), screen.Height()), p))
        return CLR_INVALID;
    const uint8_t* px = screen.ScanLine(p.Y) + 4 * p.X;
    return RGB(px[2], px[1], px[0]);
}

std::string SaveCapture(TBitmap& screen, const TRect& area, const std::string& file)
{
    TRect clipped = IntersectRect(area, Rect(0, 0, screen.Width(), screen.Height()));
    TBitmap shot(std::max(clipped.Width(), 1), std::max(clipped.Height(), 1), pf24bit);
    TCanvas target(&shot);
    TCanvas source(&screen);
    target.BitBlt(0, 0, clipped.Width(), clipped.Height(), &source, clipped.Left, clipped.Top, SRCCOPY);
    ImageWriter().Writer(shot, file);
    return file;
}

TGalleryResult CapturePage(TX11Desktop& desktop, const TGalleryPage& page, const std::string& directory)
{
    TGalleryResult result;
    result.Page = page.Name;
    std::unique_ptr<TCustomForm> form = page.Create();
    form->SetBounds(PagePosition.X, PagePosition.Y, form->Width(), form->Height());
    form->Show();
    Application()->ProcessMessages();
    if (page.Pose) {
        page.Pose(*form);
        Application()->ProcessMessages();
    }
    // Everything once more, now that the window is surely mapped.
    form->AddPresentRect(Rect(0, 0, form->Width(), form->Height()));
    form->PresentChanges();
    std::unique_ptr<TBitmap> screen = desktop.CaptureScreen();
    result.ScreenshotFile =
        SaveCapture(*screen, form->BoundsRect(), directory + "/gallery-" + page.Name + "." + ImageWriter().Extension);
    for (const TGallerySentinel& sentinel : page.Sentinels) {
        TColor expected = ColorToPixelRGB(sentinel.Expected);
        TColor got = ScreenPixel(*screen, form->ClientToScreen(sentinel.ClientPoint));
        if (got != expected)
            result.Mismatches.push_back(Format("(%d, %d): expected $%06X got $%06X", sentinel.ClientPoint.X,
                                               sentinel.ClientPoint.Y, expected, got));
    }
    if (TControl* dragged = CurrentDragControl())
        dragged->EndDrag(false);
    form.reset();
    Application()->ProcessMessages();
    return result;
}

} // namespace

bool SetGalleryImageWriter(const std::string& extension, TGalleryImageWriter writer)
{
    ImageWriter() = {extension, std::move(writer)};
    return true;
}

std::unique_ptr<TForm> NewGalleryForm(int32_t width, int32_t height, TColor color)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, width, height);
    form->SetColor(color);
    return form;
}

void InjectMouse(TInputKind kind, TPoint screen)
{
    TInputEvent event;
    event.Kind = kind;
    event.Position = screen;
    WindowSystem().InjectInput(event);
    Application()->ProcessMessages();
}

void InjectDrag(TPoint from, TPoint to)
{
    InjectMouse(TInputKind::MouseMove, from);
    InjectMouse(TInputKind::MouseDown, from);
    InjectMouse(TInputKind::MouseMove, {from.X + 2 * DefaultDragThreshold, from.Y});
    InjectMouse(TInputKind::MouseMove, to);
}

bool RegisterGalleryPage(TGalleryPage page)
{
    Pages().push_back(std::move(page));
    return true;
}

const std::vector<TGalleryPage>& GalleryPages() { return Pages(); }

std::vector<TGalleryResult> CaptureGalleryPages(TX11Desktop& desktop, const std::string& directory,
                                                const std::string& onlyPage)
{
    std::vector<TGalleryResult> results;
    for (const TGalleryPage& page : Pages())
        if (onlyPage.empty() || SameText(onlyPage, page.Name))
            results.push_back(CapturePage(desktop, page, directory));
    return results;
}
