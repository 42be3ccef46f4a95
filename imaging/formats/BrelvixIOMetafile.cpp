// Metafile import: a picture rasterised at a chosen size, optionally with
// alpha 0 wherever it drew nothing.

#include <algorithm>
#include <cstdint>

#include "imaging/core/QkDibbitmap.h"
#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/metafile/QkMetafileImport.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Graphic.h"
#include "platform/gfx/Metafile.h"

namespace {

constexpr int64_t metafileSizeLimit = 8000;
// Drawn under the picture to find where it drew; a picture that draws this
// very colour turns transparent there.
constexpr TColor transparencyKey = 0x010203;

struct TTargetSize {
    int64_t Width = 0;
    int64_t Height = 0;
};

// In 64 bits: a file's extent times a caller's size overflows 32.
TTargetSize ChooseTargetSize(int64_t width, int64_t height, int64_t ownWidth, int64_t ownHeight)
{
    if (width > 0 && height > 0)
        return {width, height};
    if (width < 0 && height > 0)
        return {height * ownWidth / ownHeight, height};
    if (height < 0 && width > 0)
        return {width, ownHeight * width / ownWidth};
    return {ownWidth, ownHeight};
}

// The larger side becomes the limit, the other keeps the ratio; neither
// side drops below one pixel.
TTargetSize LimitTargetSize(TTargetSize size)
{
    if (size.Width > metafileSizeLimit || size.Height > metafileSizeLimit) {
        if (size.Width >= size.Height)
            size = {metafileSizeLimit, size.Height * metafileSizeLimit / size.Width};
        else
            size = {size.Width * metafileSizeLimit / size.Height, metafileSizeLimit};
    }
    return {std::max<int64_t>(size.Width, 1), std::max<int64_t>(size.Height, 1)};
}

void DrawOn(TQkDibbitmap& dib, TGraphic& metafile, TColor background)
{
    TCanvas& canvas = *dib.Canvas();
    canvas.FillSolidRect(Rect(0, 0, dib.GetWidth(), dib.GetHeight()), background);
    canvas.StretchDraw(Rect(0, 0, dib.GetWidth(), dib.GetHeight()), &metafile);
}

bool IsKey(const uint8_t* pixel) { return pixel[0] == 1 && pixel[1] == 2 && pixel[2] == 3; }

void SetAlphaWhereDrawn(TQkBitmap& bitmap, TQkDibbitmap& keyed)
{
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    for (int32_t y = 0; y < keyed.GetHeight(); ++y) {
        const uint8_t* row = keyed.GetScanline(y);
        for (int32_t x = 0; x < keyed.GetWidth(); ++x)
            alpha.GetScanline(y)[x] = IsKey(row + 3 * x) ? 0 : 255;
    }
    alpha.UpdateFullAlphaFlag();
}

} // namespace

void TBrelvixIO::ImportMetafile(TGraphic& metafile, int32_t width, int32_t height, bool transparency, bool enhanced)
{
    aborting_ = false;
    if (metafile.Width() <= 0 || metafile.Height() <= 0) {
        aborting_ = true;
        return;
    }
    if (width == 0 || height == 0 || !PrepareBitmap())
        return;
    params_->ResetInfo();
    const TTargetSize size = LimitTargetSize(ChooseTargetSize(width, height, metafile.Width(), metafile.Height()));
    const auto width32 = static_cast<int32_t>(size.Width);
    const auto height32 = static_cast<int32_t>(size.Height);
    TQkDibbitmap dib;
    if (!WithinDecodeLimit(width32, height32) || !dib.AllocateBits(width32, height32, 24)) {
        aborting_ = true;
        return;
    }
    SetMetafileParams(*params_, dib.GetWidth(), dib.GetHeight(), enhanced);
    ApplyDpiToView(params_->DpiX, params_->DpiY);
    DrawOn(dib, metafile, Background());
    bitmap_->CopyFromDibbitmap(&dib);
    bitmap_->RemoveAlphaChannel(false, clWhite);
    if (transparency) {
        DrawOn(dib, metafile, transparencyKey);
        SetAlphaWhereDrawn(*bitmap_, dib);
    }
    RefreshAttachedImage();
}

void TBrelvixIO::ImportMetafileFromFile(const std::string& fileName, int32_t width, int32_t height, bool transparency)
{
    if (HandedToWorker(TQkIOCallKind::MetafileImport, [this, fileName, width, height, transparency] {
            ImportMetafileFromFile(fileName, width, height, transparency);
        }))
        return;
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmOpenRead | fmShareDenyWrite);
    ImportMetafileStream(*file, width, height, transparency);
    params_->FileName = fileName;
    DoFinishWork();
}

void TBrelvixIO::ImportMetafileFromStream(TStream& stream, int32_t width, int32_t height, bool transparency)
{
    ImportMetafileStream(stream, width, height, transparency);
    DoFinishWork();
}

void TBrelvixIO::ImportMetafileStream(TStream& stream, int32_t width, int32_t height, bool transparency)
{
    TMetafile metafile;
    if (LoadMetafile(stream, metafile))
        ImportMetafile(metafile, width, height, transparency, metafile.Enhanced());
    else
        aborting_ = true;
}
