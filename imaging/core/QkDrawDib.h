#pragma once
// The four DrawDib calls of Video for Windows, which draw packed DIBs
// stretched onto a canvas. No system library stands behind them here: a DIB
// is decoded by the DIB bridge and stretched by the canvas itself with
// COLORONCOLOR, so the calls keep their arguments and their meaning.
//
// DIBs come as a pointer and a length (the pixel data too, when they lie
// apart), never as a bare header: a DIB that does not fit its bytes draws
// nothing.

#include <cstdint>
#include <memory>

class TCanvas;
class TQkDibbitmap;

// The state DrawDib keeps between calls; here there is none to keep.
struct TDrawDib {};

// Packed DIB bytes: a 40-byte header, its colour table or masks, the rows.
struct TDIBBytes {
    const void* Data = nullptr;
    int64_t Length = 0;
};

std::unique_ptr<TDrawDib> DrawDibOpen();
bool DrawDibClose(std::unique_ptr<TDrawDib> handle);
// Nothing to realize without a palette device: 0 colours changed.
uint32_t DrawDibRealize(TDrawDib* handle, TCanvas* canvas, bool background);
// Draws the source rectangle of the DIB into the destination rectangle of
// the canvas. `bits`, when given, hold the pixel data of 16-, 24- and 32-bit
// DIBs and of video frames. False when nothing could be drawn.
bool DrawDibDraw(TDrawDib* handle, TCanvas* canvas, int32_t xDst, int32_t yDst, int32_t dxDst, int32_t dyDst,
                 TDIBBytes dib, TDIBBytes bits, int32_t xSrc, int32_t ySrc, int32_t dxSrc, int32_t dySrc,
                 uint32_t flags);

// Allocates `target` with the DIB's size (1 bit for a 1-bit DIB, else 24)
// and draws the DIB into it 1:1; returns biBitCount (0 when the header is
// cut short). A DIB that does not fit its bytes, or one that is not drawn
// (run-length, unknown compressions or bit counts), leaves `target` alone.
int32_t DrawDIBToDibbitmap(TDIBBytes dib, TQkDibbitmap& target, TDIBBytes bits = {});
