#include "imaging/core/QkDrawDib.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDIBBridge.h"
#include "imaging/core/QkDibbitmap.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// The DIB's pixels in a bitmap; false when the DIB does not decode.
bool Decode(TDIBBytes dib, TDIBBytes bits, TQkBitmap& bitmap, int32_t& bitCount)
{
    bitmap.SetLocation(qkMemory);
    bitCount = CopyDIBToBitmap(dib.Data, dib.Length, bitmap, bits.Data, bits.Length);
    return !bitmap.IsEmpty();
}

bool StretchDecoded(TQkBitmap& decoded, TCanvas& canvas, int32_t xDst, int32_t yDst, int32_t dxDst, int32_t dyDst,
                    int32_t xSrc, int32_t ySrc, int32_t dxSrc, int32_t dySrc)
{
    TBitmap* store = decoded.GetVclBitmap();
    if (store == nullptr)
        return false;
    const TStretchMode mode = canvas.StretchMode();
    canvas.SetStretchMode(COLORONCOLOR);
    canvas.StretchBlt(xDst, yDst, dxDst, dyDst, store->Canvas(), xSrc, ySrc, dxSrc, dySrc, SRCCOPY);
    canvas.SetStretchMode(mode);
    return true;
}

} // namespace

std::unique_ptr<TDrawDib> DrawDibOpen() { return std::make_unique<TDrawDib>(); }

bool DrawDibClose(std::unique_ptr<TDrawDib> handle) { return handle != nullptr; }

uint32_t DrawDibRealize(TDrawDib*, TCanvas*, bool) { return 0; }

// No flag changes how a canvas stretch draws, so `flags` is not read.
bool DrawDibDraw(TDrawDib* handle, TCanvas* canvas, int32_t xDst, int32_t yDst, int32_t dxDst, int32_t dyDst,
                 TDIBBytes dib, TDIBBytes bits, int32_t xSrc, int32_t ySrc, int32_t dxSrc, int32_t dySrc, uint32_t)
{
    TQkBitmap decoded;
    int32_t bitCount = 0;
    if (handle == nullptr || canvas == nullptr || !Decode(dib, bits, decoded, bitCount))
        return false;
    return StretchDecoded(decoded, *canvas, xDst, yDst, dxDst, dyDst, xSrc, ySrc, dxSrc, dySrc);
}

int32_t DrawDIBToDibbitmap(TDIBBytes dib, TQkDibbitmap& target, TDIBBytes bits)
{
    TQkBitmap decoded;
    int32_t bitCount = 0;
    // Decoding checks every size against the bytes: only then is the target touched.
    if (!Decode(dib, bits, decoded, bitCount))
        return bitCount;
    const int32_t width = decoded.GetWidth();
    const int32_t height = decoded.GetHeight();
    if (!target.AllocateBits(width, height, bitCount == 1 ? 1 : 24))
        return bitCount;
    // DrawDibDraw's own stretch, on the pixels already decoded.
    StretchDecoded(decoded, *target.Canvas(), 0, 0, width, height, 0, 0, width, height);
    return bitCount;
}
