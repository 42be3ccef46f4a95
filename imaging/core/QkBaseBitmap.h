#pragma once
// The pixel formats and storage locations of the imaging library's bitmaps
// and the interface every bitmap of the library offers.

#include "imaging/core/QkBits.h"
#include "imaging/core/QkFileBuffer.h"
#include "imaging/core/QkPixels.h"
#include "imaging/core/QkSettings.h"
#include "platform/core/Persistent.h"
#include "platform/core/Types.h"

#include <cstdint>

enum TQkPixelFormat : uint8_t {
    qkNone, // no image
    qk1g, // 8 pixels a byte, most significant bit first, 1 = white
    qk8p, // palette index
    qk8g, // gray 0-255 (also every alpha channel)
    qk16g, // gray 0-65535, little-endian word
    qk24RGB, // blue, green, red
    qk32f, // gray as a float, 0.0 black to 1.0 white
    qkCMYK, // C, M, Y, K, each stored as 255 minus the ink
    qkRGB48, // little-endian words red, green, blue
    qkCIELab, // L, then a and b as signed bytes
    qk32RGB, // blue, green, red, fourth byte
};
constexpr int QkPixelFormatCount = 11;

enum TQkLocation : uint8_t { qkMemory, qkFile, qkTBitmap };

// Access modes of file-stored rows: a row mapped for reading is filled from
// the file, one mapped for writing is written back when released.
constexpr uint8_t qkaRead = fbRead;
constexpr uint8_t qkaWrite = fbWrite;

struct TRGB48Pixel {
    uint16_t r = 0;
    uint16_t g = 0;
    uint16_t b = 0;
};

class TQkDibbitmap;

class TQkBaseBitmap : public TObject {
public:
    virtual uint8_t* GetScanline(int32_t row) = 0;
    virtual int32_t GetBitCount() = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetWidth() = 0;
    virtual TQkPixelFormat GetPixelFormat() = 0;
    virtual int32_t GetRowLen() = 0;
    virtual TRGBPixel* GetPalette() = 0;
    // An index outside the palette leaves `color` unchanged.
    virtual void GetPaletteColor(int32_t index, TRGBPixel& color) = 0;
    virtual void SetPaletteColor(int32_t index, const TRGBPixel& color) = 0;
    virtual int32_t GetPaletteLength() = 0;
    virtual bool Allocate(int32_t width, int32_t height, TQkPixelFormat format) = 0;
    virtual void Assign(TObject* source) = 0;
    virtual void CopyPaletteTo(TObject* destination) = 0;

    uint8_t Access() const { return FAccess; }
    void SetAccess(uint8_t access) { FAccess = access; }

private:
    uint8_t FAccess = qkaRead | qkaWrite;
};

// Sets an access mode for the lifetime of the guard.
class TQkAccessGuard {
public:
    TQkAccessGuard(TQkBaseBitmap& bitmap, uint8_t access) : FBitmap(bitmap), FSaved(bitmap.Access())
    {
        bitmap.SetAccess(access);
    }
    ~TQkAccessGuard() { FBitmap.SetAccess(FSaved); }
    TQkAccessGuard(const TQkAccessGuard&) = delete;
    TQkAccessGuard& operator=(const TQkAccessGuard&) = delete;

private:
    TQkBaseBitmap& FBitmap;
    uint8_t FSaved;
};
