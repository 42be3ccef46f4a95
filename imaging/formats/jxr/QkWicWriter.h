#pragma once
// An encoder over a TStream: the bitmap's rows go to jxrlib in bands with the
// codec parameters the writer's properties name.

#include "imaging/formats/jxr/QkJxrLib.h"

#include <cstdint>
#include <memory>

#include "imaging/formats/jxr/QkHdPhotoMetadata.h"
#include "imaging/formats/jxr/QkJxrHandles.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;

class TQkWICWriter {
public:
    bool IsReady() const;
    // False for a file type other than HD Photo or when no encoder is made.
    bool Open(TStream& stream, int32_t fileType);
    // The bitmap must be in a format with a WIC pixel format; the
    // parameters' EXIF data goes into the container. False when the encoder
    // or the stream refuses the data.
    bool WriteFrame(TQkBitmap& bitmap, TIOParamsVals* params);
    void Close();

private:
    CWMIStrCodecParam CodecParameters(TQkBitmap& bitmap) const;
    bool WriteRows(TQkBitmap& bitmap);

    std::unique_ptr<TJxrStream> bridge_;
    TJxrEncoder encoder_;
    TQkHdPhotoMetadata metadata_;
    double dpiX_ = 0;
    double dpiY_ = 0;
    double imageQuality_ = -1;
    bool lossless_ = false;
};
