#include "imaging/formats/cameraraw/RawIdentify.h"

#include <cstring>

#include "imaging/formats/cameraraw/RawLoaders.h"
#include "platform/core/Streams.h"

namespace {

struct TSizedCamera {
    int32_t size;
    const char* make;
    const char* model;
};

constexpr TSizedCamera SizedCameras[] = {
    {62464, "Kodak", "DC20"},        {124928, "Kodak", "DC20"},          {2465792, "NIKON", "E950"},
    {2940928, "NIKON", "E2100"},     {4771840, "NIKON", "E990"},         {5865472, "NIKON", "E4500"},
    {5869568, "NIKON", "E4300"},     {787456, "Creative", "PC-CAM 600"}, {1976352, "Casio", "QV-2000UX"},
    {3217760, "Casio", "QV-3*00EX"}, {6218368, "Casio", "QV-5700"},      {7684000, "Casio", "QV-4000"},
    {9313536, "Casio", "EX-P600"},   {4841984, "Pentax", "Optio S"},     {6114240, "Pentax", "Optio S4"},
    {12582980, "Sinar", ""},
};

constexpr const char* MakerNames[] = {"Canon", "NIKON", "Kodak", "PENTAX", "MINOLTA", "Minolta", "Konica"};

bool HeadIs(const uint8_t* head, int32_t at, const char* text)
{
    return std::memcmp(head + at, text, std::strlen(text)) == 0;
}

void ClearIdentification(TRawDecodeContext& context)
{
    context.raw_height = context.raw_width = 0;
    context.make.clear();
    context.model.clear();
    context.model2.clear();
    for (auto& row : context.white)
        row.fill(0);
    context.camera_red = context.camera_blue = 0;
    context.data_offset = context.curve_offset = context.tiff_compression = 0;
    context.zero_after_ff = 0;
}

void ParseNucore(TRawDecodeContext& context)
{
    context.make = "Nucore";
    context.order = 0x4949;
    SeekTo(context, 10);
    context.data_offset += int32_t(Get4(context));
    SkipBytes(context, 4);
    context.raw_width = int32_t(Get4(context));
    context.raw_height = int32_t(Get4(context));
    if (StartsWith(context.model, "B") && context.raw_width == 2597) {
        context.raw_width = 2598;
        context.data_offset -= 4096;
    }
}

void ParsePhaseOne(TRawDecodeContext& context, int64_t at)
{
    context.make = "Phase One";
    context.data_offset = int32_t(at);
    SeekTo(context, at + 8);
    SkipBytes(context, int64_t(Get4(context)) + 136);
    context.raw_width = int32_t(Get4(context));
    SkipBytes(context, 12);
    context.raw_height = int32_t(Get4(context));
}

void ParseMinoltaBlocks(TRawDecodeContext& context)
{
    ParseTiff(context, 48);
    SeekTo(context, 4);
    context.data_offset = int32_t(Get4(context) + 8);
    SeekTo(context, 24);
    context.raw_height = Get2(context);
    context.raw_width = Get2(context);
    SeekTo(context, 12);
    SkipBytes(context, int64_t(Get4(context)) + 4);
    SkipBytes(context, int64_t(Get4(context)) + 12);
    const double a = Get2(context), b = Get2(context), c = Get2(context), d = Get2(context);
    context.camera_red = RawRatio(a, b);
    context.camera_blue = RawRatio(d, c);
}

void ParseBySize(TRawDecodeContext& context)
{
    for (const TSizedCamera& camera : SizedCameras)
        if (context.fsize == camera.size) {
            context.make = camera.make;
            context.model = camera.model;
        }
}

void ParseHeaders(TRawDecodeContext& context, const uint8_t* head, uint32_t hlen)
{
    const int64_t phase = FindBytes(head, 32, "MMMMRawT", 8);
    if (phase >= 0) {
        ParsePhaseOne(context, phase);
    } else if (context.order == 0x4949 || context.order == 0x4D4D) {
        if (HeadIs(head, 6, "HEAPCCDR")) {
            context.data_offset = int32_t(hlen);
            ParseCiff(context, hlen, context.fsize - hlen);
        } else {
            ParseTiff(context, 0);
            if (StartsWith(context.make, "NIKON") && context.raw_width == 0)
                context.make.clear();
        }
    } else if (std::memcmp(head, "\0MRM", 4) == 0) {
        ParseMinoltaBlocks(context);
    } else if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && head[3] == 0xE1 && HeadIs(head, 6, "Exif")) {
        SeekTo(context, 4);
        const int64_t length = Get2(context);
        SeekTo(context, length + 4);
        if (Get1(context) != 0xFF)
            ParseTiff(context, 12);
    } else if (HeadIs(head, 0, "BM")) {
        context.data_offset = 4096;
        context.order = 0x4949;
        SeekTo(context, 38);
        const uint32_t xResolution = Get4(context);
        if (xResolution == 2834 && Get4(context) == 2834) {
            context.model = "BMQ";
            ParseNucore(context);
        }
    } else if (HeadIs(head, 0, "BR")) {
        context.model = "RAW";
        ParseNucore(context);
    } else if (HeadIs(head, 25, "ARECOYK")) {
        context.make = "CONTAX";
        context.model = "N DIGITAL";
    } else if (HeadIs(head, 0, "FUJIFILM")) {
        SeekTo(context, 84);
        ParseTiff(context, int64_t(Get4(context)) + 12);
        context.order = 0x4D4D;
        SeekTo(context, 100);
        context.data_offset = int32_t(Get4(context));
    } else if (HeadIs(head, 0, "DSC-Image")) {
        ParseRollei(context);
    } else if (HeadIs(head, 0, "FOVb")) {
        ParseFoveon(context);
    } else {
        ParseBySize(context);
    }
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

void NormaliseNames(TRawDecodeContext& context)
{
    for (const char* name : MakerNames)
        if (Contains(context.make, name))
            context.make = name;
    if (StartsWith(context.make, "KODAK")) {
        context.make = context.make.substr(0, 16);
        context.model = context.model.substr(0, 16);
    }
    context.make = TrimRight(context.make);
    context.model = TrimRight(context.model);
    if (!context.make.empty() && StartsWith(context.model, context.make.c_str())) {
        const size_t from = std::min(context.make.size() + 1, context.model.size());
        context.model = context.model.substr(from, 63 - context.make.size());
    }
}

void SetDefaults(TRawDecodeContext& context)
{
    context.load_raw = nullptr;
    context.height = context.raw_height;
    context.width = context.raw_width;
    context.top_margin = context.left_margin = 0;
    context.colors = 3;
    context.filters = 0x94949494;
    context.black = 0;
    context.is_cmy = context.is_foveon = context.use_coeff = 0;
    context.pre_mul = {1, 1, 1, 1};
    context.xmag = context.ymag = 1;
    context.rgb_max = 0x4000;
}

bool NikonIsCompressed(TRawDecodeContext& context)
{
    if (context.tiff_compression != 34713)
        return false;
    if (context.model != "D100")
        return true;
    uint8_t test[256];
    SeekTo(context, context.data_offset);
    ReadRawBytes(context, test, 256);
    for (int32_t i = 15; i < 256; i += 16)
        if (test[i])
            return true;
    return false;
}

void ChooseMakerLoader(TRawDecodeContext& context, const uint8_t* head)
{
    context.is_canon = context.make == "Canon";
    const bool heap = HeadIs(head, 6, "HEAPCCDR");
    if (context.is_canon && !heap) {
        context.filters = 0x61616161;
        context.load_raw = ljpeg_load_raw;
    } else if (context.is_canon && context.raw_width) {
        context.load_raw = unsupported_load_raw;
    }
    if (context.make == "NIKON")
        context.load_raw = NikonIsCompressed(context) ? nikon_compressed_load_raw : nikon_12bit_load_raw;
}

void ApplyUserColourOptions(TRawDecodeContext& context)
{
    if (context.colors == 4 && !context.use_coeff)
        SetGmcyCoeff(context);
    if (context.use_coeff)
        for (int32_t i = 0; i < context.colors; ++i) {
            context.coeff[0][size_t(i)] *= context.red_scale;
            context.coeff[2][size_t(i)] *= context.blue_scale;
        }
    if (context.four_color_rgb && context.filters && context.colors == 3) {
        for (int32_t shift = 0; shift < 32; shift += 4) {
            const uint32_t nibble = (context.filters >> shift) & 15;
            if (nibble == 9)
                context.filters |= 2u << shift;
            else if (nibble == 6)
                context.filters |= 8u << shift;
        }
        context.colors = 4;
        context.pre_mul[3] = context.pre_mul[1];
        if (context.use_coeff)
            for (auto& row : context.coeff)
                row[1] = row[3] = row[1] / 2;
    }
}

} // namespace

int32_t IdentifyCamera(TRawDecodeContext& context)
{
    ClearIdentification(context);
    context.fsize = context.stream->Size();
    SeekTo(context, 0);
    context.order = int16_t(Get2(context));
    const uint32_t hlen = Get4(context);
    uint8_t head[32];
    SeekTo(context, 0);
    ReadRawBytes(context, head, 32);
    ParseHeaders(context, head, hlen);
    NormaliseNames(context);
    if (context.make.empty())
        return 1;
    SetDefaults(context);
    ChooseMakerLoader(context, head);
    if (!ApplyCameraChain(context, head))
        return 1;
    if (!context.load_raw || context.height <= 0 || context.width <= 0 || context.raw_height < 0 ||
        context.raw_width < 0)
        return 1;
    if (!context.raw_height)
        context.raw_height = context.height;
    if (!context.raw_width)
        context.raw_width = context.width;
    ApplyUserColourOptions(context);
    SeekTo(context, context.data_offset);
    return 0;
}
