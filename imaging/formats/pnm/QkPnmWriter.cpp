#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/pnm/QkPnm.h"

namespace {

enum class TPnmVariant { Bits, Gray, Color16, Color8 };

TPnmVariant ChooseVariant(const TIOParamsVals& params, TQkPixelFormat format)
{
    if ((params.BitsPerSample == 1 && params.SamplesPerPixel == 1) || format == qk1g)
        return TPnmVariant::Bits;
    if (params.BitsPerSample == 8 && params.SamplesPerPixel == 1)
        return TPnmVariant::Gray;
    if (params.BitsPerSample == 16 && params.SamplesPerPixel == 3)
        return TPnmVariant::Color16;
    return TPnmVariant::Color8;
}

std::string Header(TPnmVariant variant, const TIOParamsVals& params, int32_t width, int32_t height)
{
    static const char* const Magic[] = {"P4 ", "P5 ", "P6 ", "P6 "};
    static const char* const MaxValue[] = {"", " 255", " 65535", " 255"};
    std::string header = Magic[static_cast<int>(variant)];
    for (int32_t i = 0; i < params.PxmComments.Count(); ++i)
        header += "\n# " + params.PxmComments.Strings(i) + "\n";
    header += std::to_string(width) + " " + std::to_string(height) + MaxValue[static_cast<int>(variant)] + "\n";
    return header;
}

// Fills `out` with the file bytes of one row.
void EncodeRow(TPnmVariant variant, uint8_t* line, int32_t width, TIOParamsVals& params, std::vector<uint8_t>& out)
{
    switch (variant) {
    case TPnmVariant::Bits:
        out.resize(size_t(width + 7) / 8);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<uint8_t>(~line[i]);
        break;
    case TPnmVariant::Gray:
        out.resize(size_t(width));
        ConvertColorRow(line, ckBGR, out.data(), &params, width, ckGray);
        break;
    case TPnmVariant::Color16:
        out.resize(size_t(width) * 6);
        for (size_t x = 0; x < size_t(width); ++x)
            for (size_t s = 0; s < 3; ++s) {
                const uint8_t value = line[x * 3 + 2 - s];
                out[(x * 3 + s) * 2] = value;
                out[(x * 3 + s) * 2 + 1] = value;
            }
        break;
    case TPnmVariant::Color8:
        out.resize(size_t(width) * 3);
        CopySwapRedBlue(out.data(), line, width);
        break;
    }
}

// The rows a variant needs: packed bits, or blue, green, red bytes.
TQkPixelFormat SourceFormat(TPnmVariant variant) { return variant == TPnmVariant::Bits ? qk1g : qk24RGB; }

} // namespace

void WritePnmImage(TQkWriteRequest& request)
{
    TQkBitmap& bitmap = request.Bitmap;
    const TPnmVariant variant = ChooseVariant(request.Params, bitmap.GetPixelFormat());
    TQkBitmap converted;
    TQkBitmap* source = &bitmap;
    if (bitmap.GetPixelFormat() != SourceFormat(variant)) {
        converted.Assign(&bitmap);
        converted.SetPixelFormat(SourceFormat(variant));
        source = &converted;
    }
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = request.Progress.Aborting ? *request.Progress.Aborting : localAborting;
    const int32_t width = source->GetWidth();
    const int32_t height = source->GetHeight();
    const std::string header = Header(variant, request.Params, width, height);
    SafeStreamWrite(request.Stream, aborting, header.data(), int64_t(header.size()));
    TQkRowProgress progress(request.Progress, height);
    std::vector<uint8_t> out;
    for (int32_t row = 0; row < height && !aborting; ++row) {
        EncodeRow(variant, source->GetScanline(row), width, request.Params, out);
        SafeStreamWrite(request.Stream, aborting, out.data(), int64_t(out.size()));
        progress.Report(row + 1);
    }
}
