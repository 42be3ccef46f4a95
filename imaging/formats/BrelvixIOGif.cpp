// GIF loads compose an animation's frames on a screen-sized canvas, with
// each frame's disposal, up to the requested frame.

#include <algorithm>

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkRender.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"

namespace {

constexpr uint8_t restoreToBackground = 2;

// The composed image so far, and what the last frame's disposal asks of it.
struct TGifCanvas {
    TQkBitmap Image;
    uint8_t Disposal = 0;
    TQkRenderRect Previous;
};

void ClearRect(TQkBitmap& canvas, const TQkRenderRect& rect, TColor background)
{
    const int32_t right = rect.X + rect.Width - 1;
    const int32_t bottom = rect.Y + rect.Height - 1;
    canvas.FillRect(rect.X, rect.Y, right, bottom, background);
    canvas.GetAlphaChannel()->FillRect(rect.X, rect.Y, right, bottom, 0);
}

bool PrepareCanvas(TGifCanvas& canvas, int32_t width, int32_t height, TColor background)
{
    TQkBitmap& image = canvas.Image;
    if (canvas.Disposal == restoreToBackground)
        ClearRect(image, canvas.Previous, background);
    if (image.IsEmpty()) {
        if (!image.Allocate(width, height, qk24RGB))
            return false;
        image.Fill(background);
        image.GetAlphaChannel()->Fill(0);
    }
    if (image.GetPixelFormat() != qk24RGB)
        image.SetPixelFormat(qk24RGB);
    if (image.GetWidth() < width || image.GetHeight() < height)
        image.Resize(width, height, background, 255, 0, 0);
    return true;
}

void DrawFrame(TGifCanvas& canvas, TQkBitmap& frame, int32_t x, int32_t y)
{
    const TQkRenderRect whole{0, 0, frame.GetWidth(), frame.GetHeight()};
    const TQkRenderRect placed{x, y, whole.Width, whole.Height};
    TQkRenderTables tables;
    RenderToTQkBitmapEx(frame, canvas.Image, tables, placed, whole, TQkRenderOptions{});
    TQkBitmap& canvasAlpha = *canvas.Image.GetAlphaChannel();
    frame.MergeAlphaRectTo(canvas.Image, 0, 0, x, y, whole.Width, whole.Height);
    canvasAlpha.SetFull(false);
    canvas.Previous = placed;
}

// Composes the frame onto the canvas, then makes the parameters describe
// the composed full-screen image. False when the screen the file states is
// too large to allocate.
bool ComposeFrame(TGifCanvas& canvas, TQkBitmap& frame, TIOParamsVals& params)
{
    const int32_t width = std::max(params.GifScreenWidth, frame.GetWidth());
    const int32_t height = std::max(params.GifScreenHeight, frame.GetHeight());
    if (!WithinDecodeLimit(width, height) ||
        !PrepareCanvas(canvas, width, height, RGBPixelToColor(params.GifBackground)))
        return false;
    DrawFrame(canvas, frame, params.GifXPos, params.GifYPos);
    canvas.Disposal = params.GifDisposal;
    params.GifDisposal = restoreToBackground;
    params.GifXPos = 0;
    params.GifYPos = 0;
    return true;
}

} // namespace

int32_t TBrelvixIO::LoadGifFromFile(const std::string& fileName)
{
    if (HandedToWorker(TQkIOCallKind::FileFunction, [this, fileName] { LoadGifFromFile(fileName); }))
        return -1;
    aborting_ = true;
    if (!FormatRow(ioGIF).Read)
        NotSupported(ioGIF, true);
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmOpenRead | fmShareDenyWrite);
    const int32_t frames = LoadComposedGif(*file);
    params_->FileName = fileName;
    return frames;
}

int32_t TBrelvixIO::LoadGifFromStream(TStream& stream)
{
    if (HandedToWorker(TQkIOCallKind::StreamFunction, [this, &stream] { LoadGifFromStream(stream); }))
        return -1;
    if (!FormatRow(ioGIF).Read)
        NotSupported(ioGIF, true);
    return LoadComposedGif(stream);
}

// Reads frame `index` into `frame` with its alpha; answers the frame count.
int32_t TBrelvixIO::ReadGifFrame(TStream& stream, int32_t index, TQkBitmap& frame, TQkFilterProgress& progress)
{
    params_->SetImageIndex(index);
    TQkReadRequest request(stream, frame, *params_, progress);
    CallReader(FormatRow(ioGIF).Read, request);
    FixDefaultDpi();
    if (request.AlphaMask) {
        // Composition merges alpha bytes: a bilevel mask becomes 0 and 255.
        TQkBitmap& alpha = *frame.GetAlphaChannel();
        alpha.CopyFromMask(request.AlphaMask.get());
        alpha.SetPixelFormat(qk8g);
    }
    return request.ImageCount;
}

int32_t TBrelvixIO::LoadComposedGif(TStream& stream)
{
    aborting_ = false;
    if (!PrepareBitmap()) {
        DoFinishWork();
        return 0;
    }
    params_->ResetInfo();
    bitmap_->RemoveAlphaChannel(false, clWhite);
    const int64_t start = stream.Position();
    const int32_t requested = params_->GifImageIndex;
    // Past the first frame the loop reports progress itself.
    TQkFilterProgress progress = NewProgress(requested < 1);
    TGifCanvas canvas;
    int32_t frames = 0;
    for (int32_t i = 0;; ++i) {
        TQkBitmap frame;
        stream.SetPosition(start);
        frames = ReadGifFrame(stream, i, frame, progress);
        const TQkPixelFormat frameFormat = frame.GetPixelFormat();
        const bool animated = frames > 1;
        if (animated && !ComposeFrame(canvas, frame, *params_))
            aborting_ = true;
        if (aborting_)
            break;
        if (frames > 0) {
            bitmap_->Assign(animated ? &canvas.Image : &frame);
            bitmap_->SetPixelFormat(frameFormat);
            if (requested >= 1)
                DoProgress(this, static_cast<int32_t>(i * (100.0 / frames)));
        }
        if (i + 1 >= frames || i == requested)
            break;
    }
    params_->SetImageIndex(requested);
    if (autoAdjustDpi_)
        AdjustDpi();
    SetBackground(RGBPixelToColor(params_->GifTransparent ? params_->GifTranspColor : params_->GifBackground));
    params_->FileType = ioGIF;
    params_->FileName.clear();
    RefreshAttachedImage();
    DoFinishWork();
    return frames;
}
