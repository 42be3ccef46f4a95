// The source export: an image encoded in a format and written as program
// text (a constant array, a list of hexadecimal literals or Base64), or a
// character picture of its pixels.

#include <algorithm>
#include <string>
#include <vector>

#include "imaging/core/QkEncoders.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "platform/core/Streams.h"

namespace {

constexpr size_t pendingLineLimit = 70;
constexpr int32_t base64LineLength = 76;
// Darkest first; the last one is a blank.
constexpr char characterRamp[] = "W@#*+:., ";
constexpr int32_t rampLast = sizeof characterRamp - 2;

void WriteText(TStream& file, const std::string& text) { file.WriteBuffer(text.data(), int64_t(text.size())); }

void WriteLine(TStream& file, const std::string& text) { WriteText(file, text + "\n"); }

std::string HexDigits(uint8_t byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[byte >> 4], digits[byte & 0x0F]};
}

// The file name as given, directories and all, with its first "." made "_".
std::string SourceIdentifier(const std::string& fileName)
{
    std::string identifier = fileName;
    const size_t dot = identifier.find('.');
    if (dot != std::string::npos)
        identifier[dot] = '_';
    return identifier;
}

// Every byte but the last as prefix, digits and ",", a line written each
// time the pending text passes the limit; then the last line.
void WriteHexItems(TStream& file, const std::vector<uint8_t>& bytes, const std::string& indent,
                   const std::string& prefix, const std::string& ending)
{
    std::string pending;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        pending += prefix + HexDigits(bytes[i]) + ",";
        if (pending.size() > pendingLineLimit) {
            WriteLine(file, indent + pending);
            pending.clear();
        }
    }
    WriteLine(file, indent + pending + prefix + HexDigits(bytes.back()) + ending);
}

void WriteConstantArray(TStream& file, const std::vector<uint8_t>& bytes, const std::string& identifier)
{
    const std::string sizeName = identifier + "_Size";
    WriteLine(file, "const");
    WriteLine(file, "  " + sizeName + " = " + std::to_string(bytes.size()) + ";");
    WriteLine(file, "  " + identifier + " : array [0.." + sizeName + "-1] of byte = (");
    WriteHexItems(file, bytes, "    ", "$", ");");
}

void WriteHexLiterals(TStream& file, const std::vector<uint8_t>& bytes)
{
    WriteLine(file, "// Size=" + std::to_string(bytes.size()));
    WriteHexItems(file, bytes, "", "0x", "");
}

void WriteBase64(TStream& file, const std::vector<uint8_t>& bytes)
{
    TMemoryStream encoded;
    encoded.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    encoded.SetPosition(0);
    std::string text;
    WriteStreamBase64ToText(encoded, text, base64LineLength);
    WriteText(file, text);
}

char RampCharacter(const TRGBPixel& pixel)
{
    const int32_t gray = (pixel.r * GrayWeightRed + pixel.g * GrayWeightGreen + pixel.b * GrayWeightBlue) / 100;
    return characterRamp[std::clamp(gray * (rampLast + 1) / 255, 0, rampLast)];
}

void WriteCharacterPicture(TStream& file, TQkBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        std::string line;
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            line += RampCharacter(*bitmap.GetRGBPixelAddress(x, y));
        WriteLine(file, line);
    }
}

} // namespace

std::vector<uint8_t> TBrelvixIO::EncodeForExport(int32_t fileType)
{
    TMemoryStream encoded;
    SaveToStream(encoded, fileType);
    const auto* data = static_cast<const uint8_t*>(encoded.Memory());
    return std::vector<uint8_t>(data, data + encoded.Size());
}

void TBrelvixIO::ExportToSource(const std::string& fileName, int32_t fileType, uint8_t flavour)
{
    TFileStream file(fileName, fmCreate);
    if (flavour == 3) {
        if (!PrepareBitmap() || bitmap_->GetPixelFormat() != qk24RGB)
            return;
        WriteCharacterPicture(file, *bitmap_);
    } else if (flavour <= 2) {
        const std::vector<uint8_t> bytes = EncodeForExport(fileType);
        // Nothing encoded leaves the text file empty: an array of one
        // invented byte would look like a successful export.
        if (bytes.empty()) {
            aborting_ = true;
            return;
        }
        if (flavour == 0)
            WriteConstantArray(file, bytes, SourceIdentifier(fileName));
        else if (flavour == 1)
            WriteHexLiterals(file, bytes);
        else
            WriteBase64(file, bytes);
    }
    params_->FileName = fileName;
}
