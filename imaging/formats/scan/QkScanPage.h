#pragma once
// Assembles one scanned page from the frames a device sends: checks what the
// device announces before anything is allocated, keeps each frame's rows
// without their padding, and turns them into a bitmap once the last frame
// is in. Three-pass frames (red, green, blue) become one colour image; a
// frame of unknown length (hand scanners) takes every whole row that comes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/scan/QkScanDevice.h"

class TQkScanPage {
public:
    // False with LastError when the frame's parameters are inconsistent,
    // too large, or do not fit the frames before it.
    bool BeginFrame(const TQkScanFrameParams& params);
    // False with LastError when the device sends more than it announced.
    bool Append(const uint8_t* data, size_t length);
    // False with LastError when the frame ended before its last row.
    bool EndFrame();
    bool Complete() const { return complete_; }
    int32_t FramesBegun() const { return framesBegun_; }
    // The bytes the current frame still owes; -1 for unknown length.
    int64_t RemainingBytes() const;
    int64_t ExpectedBytes() const;
    // The page, once complete; nullptr before.
    std::unique_ptr<TQkBitmap> TakeBitmap();
    const std::string& LastError() const { return lastError_; }

private:
    bool Fail(const std::string& text);
    bool TakeRowBytes(const uint8_t*& data, size_t& length);
    int32_t RowCount() const;
    void StoreRows(TQkBitmap& bitmap, int32_t rows);

    TQkScanFrameParams params_;
    bool inFrame_ = false;
    int32_t framesBegun_ = 0;
    bool complete_ = false;
    // Bytes of a row that carry pixels.
    int32_t dataPerLine_ = 0;
    // Position inside the current line, padding included.
    int64_t lineOffset_ = 0;
    int64_t received_ = 0;
    // The gray or interleaved frame, or the three planes of a three-pass
    // page, rows without padding.
    std::vector<uint8_t> planes_[3];
    std::vector<uint8_t>* current_ = nullptr;
    bool threePass_ = false;
    int32_t pixelsPerLine_ = 0;
    int32_t depth_ = 0;
    std::string lastError_;
};
