#pragma once
// A decoder over a TStream: the container's directory is checked within the
// stream's bytes, then jxrlib decodes from the position at Open. jxrlib's
// coefficient decoder reads outside its tables on damaged coded data, which
// no check can foresee: the pixels are decoded in a child process, so that
// a crash or a hang costs the image and not the program.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

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
    // Why the last ReadFrame's pixels failed; "" otherwise.
    const std::string& LastError() const { return lastError_; }

private:
    bool CopyPixels(TQkBitmap& bitmap, bool native, std::atomic<bool>* aborting);
    bool DecodeApart(const PKPixelFormatGUID& source, const TTarget& decoded, TQkBitmap& bitmap,
                     std::atomic<bool>* aborting);
    bool DecodeRows(PKFormatConverter& converter, uint32_t stride, size_t rowBytes, std::span<uint8_t> rows);
    void FillParams(TQkBitmap& bitmap, TIOParamsVals& params, bool pixels);

    TStream* stream_ = nullptr;
    int64_t openedAt_ = 0;
    std::unique_ptr<TJxrStream> bridge_;
    TJxrDecoder decoder_;
    double dpiX_ = 0;
    double dpiY_ = 0;
    std::string lastError_;
};
