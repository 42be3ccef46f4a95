#pragma once
// What the metafile fuzz target does with one input, shared with the unit
// tests that replay malformed metafiles: load the bytes as a metafile and,
// when they load, play them on a small canvas.

#include <cstddef>
#include <cstdint>

#include "platform/core/Streams.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Metafile.h"

// True when the bytes loaded as a metafile.
inline bool PlayMetafileInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return false;
    }
    TBitmap bitmap(24, 16);
    bitmap.Canvas()->StretchDraw(Rect(0, 0, 24, 16), &metafile);
    return true;
}
