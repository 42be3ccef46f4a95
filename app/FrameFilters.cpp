#include "app/FrameFilters.h"

#include "app/OptionText.h"
#include "platform/core/Files.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

int32_t EvenTowardZero(int32_t value) { return value / 2 * 2; }

int32_t HalfMargin(double excess) { return static_cast<int32_t>(Round(excess / 2)); }

} // namespace

TFrameSize ParseFrameSize(const std::string& text)
{
    std::string rest = text;
    if (!rest.empty() && rest[0] == 'x')
        rest.erase(0, 1);
    const size_t separator = rest.find('x');
    if (separator == std::string::npos)
        return {};
    return {StrToIntDef(rest.substr(0, separator), 0), StrToIntDef(rest.substr(separator + 1), 0)};
}

TPadding ComputePad(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height)
{
    TPadding pad;
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return pad;
    const double sx = static_cast<double>(sourceWidth) / width;
    const double sy = static_cast<double>(sourceHeight) / height;
    if (sx > sy) {
        pad.Top = pad.Bottom = HalfMargin(height * sx - sourceHeight);
    } else {
        pad.Left = pad.Right = HalfMargin(width * sy - sourceWidth);
    }
    return pad;
}

std::string PadFilter(int32_t sourceWidth, int32_t sourceHeight, const TPadding& pad)
{
    const int32_t left = EvenTowardZero(pad.Left);
    const int32_t right = EvenTowardZero(pad.Right);
    const int32_t top = EvenTowardZero(pad.Top);
    const int32_t bottom = EvenTowardZero(pad.Bottom);
    if (left <= 0 && right <= 0 && top <= 0 && bottom <= 0)
        return {};
    return "pad=" + IntToStr(sourceWidth + left + right) + ":" + IntToStr(sourceHeight + top + bottom) + ":" +
        IntToStr(left) + ":" + IntToStr(top) + ":black";
}

std::string WatermarkFilter(const std::string& chain, const std::string& watermarkFile, int32_t x, int32_t y)
{
    if (!FileExists(watermarkFile))
        return chain;
    const std::string path = EscapeFilterGraphText(EscapeFilterOptionValue(watermarkFile));
    const std::string movie = "movie=" + path + " [watermark]";
    const std::string overlay = "[watermark] overlay=" + IntToStr(x) + ":" + IntToStr(y);
    if (chain.empty())
        return movie + "; [in] " + overlay + " [out]";
    return movie + "; [in] " + overlay + ", " + chain + " [out]";
}
