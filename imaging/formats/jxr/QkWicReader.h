#pragma once
// A decoder over a TStream: the container's directory is checked within the
// stream's bytes, then jxrlib decodes from the position at Open.

#include <atomic>
#include <cstdint>
#include <memory>

#include "imaging/core/QkBaseBitmap.h"
#include "imaging/formats/jxr/QkJxrHandles.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;

// A decoded pixel format and the bitmap format that holds it.
struct TTarget {
    PKPixelFormatGUID Wic;
    TQkPixelFormat Bitmap;
};

class TQkWICReader {
public:
    bool IsReady() const;
    // False for a file type other than HD Photo, a container that fails the
    // checks or data jxrlib refuses. `length` bytes from the position; -1 up
    // to the stream's end.
    bool Open(TStream& stream, int32_t fileType, int64_t length = -1);
    // Frame 0 is the only one; with `pixels` false only the parameters are
    // filled. Failures set `aborting` when given.
    void ReadFrame(int32_t index, TQkBitmap& bitmap, TIOParamsVals* params, std::atomic<bool>* aborting,
                   bool pixels = true);
    int32_t GetFrameWidth() const;
    int32_t GetFrameHeight() const;
    void Close();

private:
    bool CopyPixels(TQkBitmap& bitmap, bool native, std::atomic<bool>* aborting);
    bool CopyThrough(PKFormatConverter& converter, const PKPixelFormatGUID& source, const TTarget& target,
                     TQkBitmap& bitmap, std::atomic<bool>* aborting);
    void FillParams(TQkBitmap& bitmap, TIOParamsVals& params, bool pixels);

    TStream* stream_ = nullptr;
    int64_t openedAt_ = 0;
    std::unique_ptr<TJxrStream> bridge_;
    TJxrDecoder decoder_;
    double dpiX_ = 0;
    double dpiY_ = 0;
};
