#include "imaging/formats/scan/QkScanPage.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkSettings.h"

namespace {

bool IsPlane(int32_t format) { return format == sfRed || format == sfGreen || format == sfBlue; }

} // namespace

bool TQkScanPage::Fail(const std::string& text)
{
    lastError_ = text;
    return false;
}

bool TQkScanPage::BeginFrame(const TQkScanFrameParams& params)
{
    if (inFrame_ || complete_)
        return Fail("the page already ended");
    if (params.Format < sfGray || params.Format > sfBlue)
        return Fail("unknown frame format " + std::to_string(params.Format));
    if (params.Depth != 1 && params.Depth != 8 && params.Depth != 16)
        return Fail("unsupported depth " + std::to_string(params.Depth));
    if (params.Depth == 1 && params.Format != sfGray)
        return Fail("1-bit colour frames are not supported");
    if (params.PixelsPerLine <= 0 || params.BytesPerLine <= 0 || params.Lines == 0 || params.Lines < -1)
        return Fail("empty frame");
    const int64_t channels = params.Format == sfRGB ? 3 : 1;
    const int64_t dataPerLine = (int64_t(params.PixelsPerLine) * params.Depth * channels + 7) / 8;
    if (params.BytesPerLine < dataPerLine)
        return Fail("the lines are shorter than their pixels need");
    if (!WithinDecodeLimit(params.PixelsPerLine, std::max(params.Lines, 1)))
        return Fail("the page is larger than the decode limit");
    const bool plane = IsPlane(params.Format);
    const bool first = framesBegun_ == 0;
    if (!first) {
        if (!plane || !threePass_)
            return Fail("a frame of another kind follows the first one");
        if (params.PixelsPerLine != pixelsPerLine_ || params.Depth != depth_ || params.Lines != params_.Lines)
            return Fail("the colour passes differ in size");
    }
    ++framesBegun_;
    threePass_ = plane;
    current_ = &planes_[plane ? params.Format - sfRed : 0];
    if (plane && !current_->empty())
        return Fail("a colour pass came twice");
    params_ = params;
    pixelsPerLine_ = params.PixelsPerLine;
    depth_ = params.Depth;
    dataPerLine_ = static_cast<int32_t>(dataPerLine);
    lineOffset_ = 0;
    received_ = 0;
    inFrame_ = true;
    return true;
}

int64_t TQkScanPage::ExpectedBytes() const
{
    return params_.Lines < 0 ? -1 : int64_t(params_.Lines) * params_.BytesPerLine;
}

int64_t TQkScanPage::RemainingBytes() const { return params_.Lines < 0 ? -1 : ExpectedBytes() - received_; }

bool TQkScanPage::Append(const uint8_t* data, size_t length)
{
    if (!inFrame_)
        return Fail("no frame was started");
    if (params_.Lines > 0 && int64_t(length) > RemainingBytes())
        return Fail("the device sent more data than it announced");
    received_ += int64_t(length);
    while (length > 0) {
        if (!TakeRowBytes(data, length))
            return false;
    }
    return true;
}

// Takes the pixel bytes of the current line, or skips its padding.
bool TQkScanPage::TakeRowBytes(const uint8_t*& data, size_t& length)
{
    if (lineOffset_ < dataPerLine_) {
        if (lineOffset_ == 0 && params_.Lines < 0) {
            const int64_t rows = int64_t(current_->size() / size_t(dataPerLine_)) + 1;
            if (!WithinDecodeLimit(pixelsPerLine_, rows))
                return Fail("the page is larger than the decode limit");
        }
        const size_t part = std::min(length, size_t(dataPerLine_ - lineOffset_));
        current_->insert(current_->end(), data, data + part);
        data += part;
        length -= part;
        lineOffset_ += int64_t(part);
    } else {
        const size_t part = std::min(length, size_t(params_.BytesPerLine - lineOffset_));
        data += part;
        length -= part;
        lineOffset_ += int64_t(part);
    }
    if (lineOffset_ == params_.BytesPerLine)
        lineOffset_ = 0;
    return true;
}

bool TQkScanPage::EndFrame()
{
    if (!inFrame_)
        return Fail("no frame was started");
    inFrame_ = false;
    if (params_.Lines > 0 && RemainingBytes() > 0)
        return Fail("the frame ended before its last line");
    // A row cut short at the end of a hand scan is dropped.
    current_->resize(current_->size() / size_t(dataPerLine_) * size_t(dataPerLine_));
    if (!params_.LastFrame)
        return true;
    if (threePass_ && (planes_[0].empty() || planes_[1].empty() || planes_[2].empty()))
        return Fail("a colour pass is missing");
    if (RowCount() == 0)
        return Fail("the page has no lines");
    complete_ = true;
    return true;
}

int32_t TQkScanPage::RowCount() const
{
    size_t bytes = planes_[0].size();
    if (threePass_)
        bytes = std::min({planes_[0].size(), planes_[1].size(), planes_[2].size()});
    return static_cast<int32_t>(bytes / size_t(dataPerLine_));
}

std::unique_ptr<TQkBitmap> TQkScanPage::TakeBitmap()
{
    if (!complete_)
        return nullptr;
    const int32_t rows = RowCount();
    TQkPixelFormat format = depth_ == 1 ? qk1g : depth_ == 8 ? qk8g : qk16g;
    if (threePass_ || params_.Format == sfRGB)
        format = depth_ == 8 ? qk24RGB : qkRGB48;
    auto bitmap = std::make_unique<TQkBitmap>();
    if (!bitmap->Allocate(pixelsPerLine_, rows, format)) {
        Fail("no memory for the page");
        return nullptr;
    }
    StoreRows(*bitmap, rows);
    for (std::vector<uint8_t>& plane : planes_)
        std::vector<uint8_t>().swap(plane);
    return bitmap;
}

void TQkScanPage::StoreRows(TQkBitmap& bitmap, int32_t rows)
{
    const size_t line = size_t(dataPerLine_);
    const size_t width = size_t(pixelsPerLine_);
    for (int32_t y = 0; y < rows; ++y) {
        uint8_t* target = bitmap.GetScanline(y);
        const size_t at = size_t(y) * line;
        if (threePass_) {
            // Blue, green, red bytes, or red, green, blue words.
            const size_t sample = depth_ / 8;
            const int order[3] = {depth_ == 8 ? 2 : 0, 1, depth_ == 8 ? 0 : 2};
            for (size_t x = 0; x < width; ++x)
                for (int channel = 0; channel < 3; ++channel)
                    std::memcpy(target + (x * 3 + size_t(channel)) * sample,
                                planes_[order[channel]].data() + at + x * sample, sample);
            continue;
        }
        const uint8_t* source = planes_[0].data() + at;
        if (depth_ == 1) {
            // The device stores 1 for black.
            for (size_t i = 0; i < line; ++i)
                target[i] = uint8_t(~source[i]);
        } else if (params_.Format == sfRGB && depth_ == 8) {
            for (size_t x = 0; x < width; ++x) {
                target[3 * x] = source[3 * x + 2];
                target[3 * x + 1] = source[3 * x + 1];
                target[3 * x + 2] = source[3 * x];
            }
        } else {
            std::memcpy(target, source, line);
        }
    }
}
