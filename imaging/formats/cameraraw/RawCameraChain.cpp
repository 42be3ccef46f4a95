// The camera tests: the first that matches sets the camera's geometry,
// filter pattern, levels, multipliers and loader.
#include <cstring>

#include "imaging/formats/cameraraw/RawIdentify.h"
#include "imaging/formats/cameraraw/RawLoaders.h"

namespace {

struct TChain {
    TRawDecodeContext& c;
    const uint8_t* head;

    bool Is(const char* model) const { return c.model == model; }
    bool HeadIs8Bps() const { return std::memcmp(head, "8BPS", 4) == 0; }
    bool Prefix(const char* prefix) const { return StartsWith(c.model, prefix); }
    char ModelAt(size_t index) const { return index < c.model.size() ? c.model[index] : '\0'; }
    void Size(int32_t height, int32_t width)
    {
        c.height = height;
        c.width = width;
    }
    void Margins(int32_t top, int32_t left)
    {
        c.top_margin = top;
        c.left_margin = left;
    }
    void Multipliers(float a, float b, float d, float e) { c.pre_mul = {a, b, d, e}; }
    void Filters(uint32_t filters, int32_t colors)
    {
        c.filters = filters;
        c.colors = colors;
    }

    bool Canon();
    bool CanonHeapSizes();
    bool Nikon();
    bool Fuji();
    bool Minolta();
    bool Pentax();
    bool MediumFormat();
    bool Olympus();
    bool Kodak(bool& known);
    void KodakModels();
    void KodakSmallCameras();
    bool Others();
    bool Sigma();
    bool Casio();
    void MinoltaBalance(int32_t at);
};

void TChain::MinoltaBalance(int32_t at)
{
    c.order = 0x4D4D;
    SeekTo(c, at);
    const uint32_t a = Get2(c), b = Get2(c), d = Get2(c), e = Get2(c);
    c.camera_red = RawRatio(a, d);
    c.camera_blue = RawRatio(b, e);
    Multipliers(1.42f, 1, 1.25f, 1);
}

bool TChain::Canon()
{
    if (Is("PowerShot 600")) {
        Size(613, 854);
        Filters(0xE1E4E1E4, 4);
        c.load_raw = powershot600_load_raw;
        Multipliers(1.137f, 1.257f, 1, 1);
    } else if (Is("PowerShot A5") || Is("PowerShot A5 Zoom")) {
        Size(776, 960);
        c.raw_width = 992;
        Filters(0x1E4E1E4E, 4);
        c.load_raw = canon_packed10_load_raw;
    } else if (Is("PowerShot A50")) {
        Size(968, 1290);
        c.raw_width = 1320;
        Filters(0x1B4E4B1E, 4);
        c.load_raw = canon_packed10_load_raw;
    } else if (Is("PowerShot Pro70")) {
        Size(1024, 1552);
        Filters(0x1E4B4E1B, 4);
        c.load_raw = canon_packed10_load_raw;
    } else if (Is("PowerShot Pro90 IS")) {
        c.width = 1896;
        Filters(0xB4B4B4B4, 4);
    } else if (c.is_canon && CanonHeapSizes()) {
    } else if (Is("EOS-1D")) {
        Size(1662, 2496);
        c.data_offset = 288912;
    } else if (Is("EOS-1DS")) {
        Size(2718, 4082);
        c.data_offset = 289168;
        c.rgb_max = 14464;
    } else if (Is("EOS-1D Mark II") || Is("EOS 20D")) {
        c.raw_height = 2360;
        c.raw_width = 3596;
        Margins(12, 74);
        Size(c.raw_height - 12, c.raw_width - 74);
        c.filters = 0x94949494;
        Multipliers(1.95f, 1, 1.36f, 1);
    } else if (Is("EOS-1Ds Mark II")) {
        c.raw_height = 3349;
        c.raw_width = 5108;
        Margins(13, 98);
        Size(c.raw_height - 13, c.raw_width - 98);
        c.filters = 0x94949494;
        c.rgb_max = 14848;
    } else if (Is("EOS D2000C")) {
        c.black = 800;
    } else {
        return false;
    }
    return true;
}

bool TChain::CanonHeapSizes()
{
    struct TSizes {
        int32_t rawWidth, height, width, top, left;
    };
    static constexpr TSizes sizes[] = {
        {2144, 1550, 2088, 8, 4},   {2224, 1448, 2176, 6, 48},  {2376, 1720, 2312, 6, 12}, {2672, 1960, 2616, 6, 12},
        {3152, 2056, 3088, 12, 64}, {3160, 2328, 3112, 12, 44}, {3344, 2472, 3288, 6, 4},
    };
    for (const TSizes& s : sizes)
        if (c.raw_width == s.rawWidth) {
            Size(s.height, s.width);
            Margins(s.top, s.left);
            if (s.rawWidth == 2144 && Is("PowerShot G1"))
                Filters(0xB4B4B4B4, 4);
            if (s.rawWidth == 3152)
                c.rgb_max = 16000;
            return true;
        }
    return false;
}

bool NikonIsE990(TRawDecodeContext& c)
{
    uint8_t bytes[2000];
    SeekTo(c, 2383920);
    ReadRawBytes(c, bytes, sizeof bytes);
    int32_t histogram[256]{};
    for (const uint8_t b : bytes)
        ++histogram[b];
    return histogram[0] > 400 || histogram[0x55] > 400 || histogram[0xAA] > 400 || histogram[0xFF] > 400;
}

bool NikonIsE2100(TRawDecodeContext& c)
{
    SeekTo(c, 0);
    for (int32_t record = 0; record < 1024; ++record) {
        uint8_t t[12];
        ReadRawBytes(c, t, 12);
        if (((t[2] & t[4] & t[7] & t[9]) >> 4 & t[1] & t[6] & t[8] & t[11] & 3) != 3)
            return false;
    }
    return true;
}

bool MinoltaIsZ2(TRawDecodeContext& c)
{
    uint8_t tail[424];
    SeekTo(c, c.fsize - 424);
    ReadRawBytes(c, tail, sizeof tail);
    for (const uint8_t b : tail)
        if (b)
            return true;
    return false;
}

bool TChain::Nikon()
{
    if (Is("D1") || Is("D1H")) {
        c.filters = 0x16161616;
    } else if (Is("D1X")) {
        c.width = 4024;
        c.filters = 0x16161616;
        c.ymag = 2;
    } else if (Is("D100")) {
        if (c.tiff_compression == 34713 && c.load_raw == nikon_12bit_load_raw) {
            c.raw_width = c.width + 6;
            c.width += 3;
        }
        c.filters = 0x61616161;
        c.rgb_max = 15632;
    } else if (Is("D2H")) {
        c.width = 2482;
        c.left_margin = 6;
        c.filters = 0x49494949;
    } else if (Is("D70")) {
        c.filters = 0x16161616;
    } else if (Is("E950")) {
        Size(1203, 1616);
        Filters(0x4B4B4B4B, 4);
        c.load_raw = nikon_10bit_load_raw;
        SetE950Coeff(c);
    } else if (Is("E990")) {
        Size(1540, 2064);
        c.colors = 4;
        if (NikonIsE990(c)) {
            c.filters = 0xB4B4B4B4;
            SetE950Coeff(c);
        } else {
            c.model = "E995";
            c.filters = 0xE1E1E1E1;
        }
    } else if (Is("E2100")) {
        c.width = 1616;
        if (NikonIsE2100(c)) {
            c.height = 1206;
            c.load_raw = nikon_packed12_load_raw;
        } else {
            c.model = "E2500";
            c.height = 1204;
            Filters(0x4B4B4B4B, 4);
            Multipliers(1.3f, 1.3f, 1, 1.148f);
        }
    } else if (Is("E4300")) {
        Size(1710, 2288);
        c.filters = 0x16161616;
        if (MinoltaIsZ2(c)) {
            c.make = "Minolta";
            c.model = "DiMAGE Z2";
            c.load_raw = nikon_packed12_load_raw;
        }
    } else if (Is("E4500")) {
        Size(1708, 2288);
        Filters(0xB4B4B4B4, 4);
        Multipliers(1.3f, 1.3f, 1, 1.148f);
    } else if (Is("E5000") || Is("E5700")) {
        Filters(0xB4B4B4B4, 4);
        Multipliers(1.3f, 1.3f, 1, 1.148f);
    } else if (Is("E5400") || Is("E8700") || Is("E8800")) {
        c.filters = 0x16161616;
    } else {
        return false;
    }
    return true;
}

bool TChain::Fuji()
{
    if (Is("FinePixS2Pro")) {
        Size(3584, 3583);
        c.filters = 0x61616161;
        c.load_raw = fuji_s2pro_load_raw;
        c.black = 512;
    } else if (Is("FinePix S5000")) {
        Size(2499, 2500);
        c.filters = 0x49494949;
        c.load_raw = fuji_s5000_load_raw;
        c.rgb_max = 0xF800;
    } else if (Is("FinePix S7000") || Is("FinePix E550")) {
        Size(3587, 3588);
        c.filters = 0x49494949;
        c.load_raw = fuji_s7000_load_raw;
        c.rgb_max = 0xF800;
    } else if (Is("FinePix F700") || Is("FinePix S20Pro")) {
        Size(2523, 2524);
        c.filters = 0x49494949;
        c.load_raw = fuji_f700_load_raw;
        c.rgb_max = 0x3E00;
    } else if (Is("Digital Camera KD-400Z")) {
        Size(1712, 2312);
        c.raw_width = 2336;
        c.data_offset = 4034;
        MinoltaBalance(2032);
        c.load_raw = be_low10_load_raw;
        c.rgb_max = 15856;
    } else if (Is("Digital Camera KD-510Z")) {
        Size(1956, 2607);
        c.raw_width = 2624;
        c.filters = 0x61616161;
        c.data_offset = 4032;
        MinoltaBalance(2032);
        c.load_raw = be_low10_load_raw;
        c.rgb_max = 15856;
    } else {
        return false;
    }
    return true;
}

bool TChain::Minolta()
{
    if (!SameText(c.make, "MINOLTA"))
        return false;
    c.load_raw = be_low12_load_raw;
    c.rgb_max = 15860;
    if (Prefix("DiMAGE A")) {
        c.load_raw = packed12_load_raw;
        c.rgb_max = ModelAt(8) == '1' ? 15916 : 16380;
    } else if (Prefix("DiMAGE G")) {
        int32_t at = 0;
        if (ModelAt(8) == '4') {
            c.data_offset = 5056;
            at = 2078;
            Size(1716, 2304);
        } else if (ModelAt(8) == '5') {
            c.data_offset = 4016;
            at = 1936;
            Size(1956, 2607);
            c.raw_width = 2624;
        } else if (ModelAt(8) == '6') {
            c.data_offset = 4032;
            at = 2030;
            Size(2136, 2848);
        }
        c.filters = 0x61616161;
        c.load_raw = be_low10_load_raw;
        c.rgb_max = 15856;
        MinoltaBalance(at);
    }
    return true;
}

bool TChain::Pentax()
{
    if (Is("*ist D")) {
        Size(2024, 3040);
        c.data_offset = 65536;
        c.load_raw = be_low12_load_raw;
    } else if (Is("Optio S")) {
        Size(1544, 2068);
        c.raw_width = 3136;
        c.load_raw = packed12_load_raw;
    } else if (Is("Optio S4")) {
        Size(1737, 2324);
        c.raw_width = 3520;
        c.load_raw = packed12_load_raw;
    } else {
        return false;
    }
    return true;
}

bool TChain::MediumFormat()
{
    if (c.make == "Phase One") {
        struct TBack {
            int32_t rawHeight;
            const char* model;
            int32_t height, width, top, left;
        };
        static constexpr TBack backs[] = {
            {2060, "LightPhase", 2048, 3080, 5, 22},
            {2682, "H10", 2672, 4012, 5, 26},
            {4128, "H20", 4098, 4098, 20, 26},
            {5488, "H25", 5458, 4098, 20, 26},
        };
        for (const TBack& back : backs)
            if (c.raw_height == back.rawHeight) {
                c.model = back.model;
                Size(back.height, back.width);
                Margins(back.top, back.left);
            }
        c.filters = (c.top_margin & 1) ? 0x94949494 : 0x49494949;
        c.load_raw = phase_one_load_raw;
        c.rgb_max = 0xFFFF;
    } else if (Is("Ixpress")) {
        Size(4084, 4080);
        c.filters = 0x49494949;
        c.load_raw = ixpress_load_raw;
        c.rgb_max = 0xFFFF;
    } else if (c.make == "Sinar" && HeadIs8Bps()) {
        SeekTo(c, 14);
        c.height = int32_t(Get4(c));
        c.width = int32_t(Get4(c));
        c.filters = 0x61616161;
        c.data_offset = 68;
        c.load_raw = be16_load_raw;
        c.rgb_max = 0xFFFF;
    } else if (c.make == "Leaf") {
        if (c.height > c.width)
            c.filters = 0x16161616;
        c.load_raw = be16_load_raw;
        c.rgb_max = 0xFFFF;
    } else {
        return false;
    }
    return true;
}

bool TChain::Olympus()
{
    if (Is("DIGILUX 2") || Is("DMC-LC1")) {
        Size(1928, 2568);
        c.data_offset = 1024;
        c.load_raw = le_high12_load_raw;
    } else if (Is("E-1")) {
        c.filters = 0x61616161;
        c.load_raw = le_high12_load_raw;
    } else if (Is("E-10")) {
        c.load_raw = be_high12_load_raw;
    } else if (Prefix("E-20")) {
        c.load_raw = be_high12_load_raw;
        c.black = 640;
    } else if (Is("C5050Z") || Is("C8080WZ")) {
        c.filters = 0x16161616;
        c.load_raw = olympus_interlaced_load_raw;
    } else if (Is("C5060WZ")) {
        c.load_raw = olympus_interlaced_load_raw;
    } else if (Is("N DIGITAL")) {
        Size(2047, 3072);
        c.filters = 0x61616161;
        c.data_offset = 6656;
        c.load_raw = packed12_load_raw;
    } else if (Is("DSC-F828")) {
        Size(2460, 3288);
        c.raw_width = 3360;
        c.left_margin = 5;
        Filters(0xB4B4B4B4, 4);
        c.load_raw = sony_f828_load_raw;
        SetSonyCoeff(c);
        Multipliers(1.512f, 1.02f, 1.405f, 1);
    } else {
        return false;
    }
    return true;
}

void TChain::KodakModels()
{
    if (Is("NC2000F")) {
        c.width -= 4;
        c.left_margin = 1;
        c.curve_length = 176;
    } else if (Is("EOSDCS3B") || Is("EOSDCS1") || Is("DCS420") || Is("DCS460")) {
        c.width -= 4;
        c.left_margin = 2;
    } else if (Is("DCS460A")) {
        c.width -= 4;
        c.left_margin = 2;
        Filters(0, 1);
    } else if (Is("DCS315C") || Is("DCS330C")) {
        c.black = 32;
    } else if (Is("DCS520C") || Is("DCS620C")) {
        c.black = 720;
    } else if (Is("DCS560C")) {
        c.black = 750;
    } else if (Is("DCS62$")) {
        c.black = 740;
        c.is_cmy = 1;
    } else if (Is("DCS660C")) {
        c.black = 855;
    } else if (Is("DCS660M")) {
        c.black = 855;
        Filters(0, 1);
    } else if (Is("DCS72$")) {
        c.is_cmy = 1;
    } else if (Is("DCS760M")) {
        Filters(0, 1);
    }
    // DCS760C, ProBack, PB645 backs and the DCS Pro bodies differ only in
    // their multipliers, which stay at 1.
}

void TChain::KodakSmallCameras()
{
    const bool small = c.fsize < 100000;
    if (Is("DC20")) {
        c.height = 242;
        c.width = small ? 249 : 501;
        c.raw_width = small ? 256 : 512;
        c.data_offset = c.raw_width + 1;
        Filters(0x8D8D8D8D, 4);
        SetDc20Coeff(c, 0.5f);
        c.pre_mul[1] = 1.179f;
        c.pre_mul[2] = 1.209f;
        c.pre_mul[3] = 1.036f;
        c.load_raw = kodak_easy_load_raw;
    } else if (Contains(c.model, "DC25")) {
        c.model = "DC25";
        c.height = 242;
        c.width = small ? 249 : 501;
        c.raw_width = small ? 256 : 512;
        c.data_offset = small ? 15681 : 15937;
        Filters(0xB4B4B4B4, 4);
        c.load_raw = kodak_easy_load_raw;
    } else if (Is("Digital Camera 40")) {
        c.model = "DC40";
        Size(512, 768);
        c.data_offset = 1152;
        c.load_raw = unsupported_load_raw;
    } else if (Contains(c.model, "DC50")) {
        c.model = "DC50";
        Size(512, 768);
        c.data_offset = 19712;
        c.load_raw = unsupported_load_raw;
    } else if (Contains(c.model, "DC120")) {
        c.model = "DC120";
        Size(976, 848);
        c.load_raw = c.tiff_compression == 7 ? kodak_jpeg_load_raw : kodak_dc120_load_raw;
    }
}

bool TChain::Kodak(bool& known)
{
    if (!SameText(c.make, "KODAK"))
        return false;
    c.filters = 0x61616161;
    KodakModels();
    switch (c.tiff_compression) {
    case 0:
    case 1: c.load_raw = kodak_easy_load_raw; break;
    case 7: c.load_raw = ljpeg_load_raw; break;
    case 32867: break;
    case 65000:
        if (c.photometric == 32803) {
            c.load_raw = kodak_compressed_load_raw;
        } else {
            c.load_raw = kodak_yuv_load_raw;
            c.height = (c.height + 1) & -2;
            c.width = (c.width + 1) & -2;
            c.filters = 0;
        }
        break;
    default: known = false; return true;
    }
    KodakSmallCameras();
    return true;
}

bool TChain::Sigma()
{
    if (c.make != "SIGMA")
        return false;
    if (c.raw_height == 763) {
        c.height = 756;
        c.top_margin = 2;
    } else if (c.raw_height == 1531) {
        c.height = 1514;
        c.top_margin = 7;
    }
    if (c.raw_width == 1152) {
        c.width = 1136;
        c.left_margin = 8;
    } else if (c.raw_width == 2304) {
        c.width = 2271;
        c.left_margin = 17;
    }
    if (2 * c.height < c.width)
        c.ymag = 2;
    c.filters = 0;
    c.load_raw = foveon_load_raw;
    c.is_foveon = 1;
    Multipliers(1.179f, 1, 0.713f, 1);
    if (Is("SD10")) {
        c.pre_mul[0] *= 2.07f;
        c.pre_mul[2] *= 2.3f;
    }
    SetFoveonCoeff(c);
    c.rgb_max = 5600;
    return true;
}

bool TChain::Casio()
{
    if (Is("PC-CAM 600")) {
        Size(768, 1024);
        c.filters = 0x49494949;
        c.data_offset = 1024;
        c.load_raw = eight_bit_load_raw;
    } else if (Is("QV-2000UX")) {
        Size(1208, 1632);
        c.data_offset = 3264;
        c.load_raw = eight_bit_load_raw;
    } else if (Is("QV-3*00EX")) {
        Size(1546, 2070);
        c.raw_width = 2080;
        c.load_raw = eight_bit_load_raw;
    } else if (Is("QV-4000")) {
        Size(1700, 2260);
        c.load_raw = be_high12_load_raw;
    } else if (Is("QV-5700")) {
        Size(1924, 2576);
        c.load_raw = qv5700_load_raw;
    } else if (Is("EX-P600")) {
        Size(2142, 2844);
        c.raw_width = 4288;
        c.load_raw = packed12_load_raw;
    } else if (c.make == "Nucore") {
        c.filters = 0x61616161;
        c.load_raw = nucore_load_raw;
    } else {
        return false;
    }
    return true;
}

bool TChain::Others()
{
    if (c.make == "Rollei") {
        if (c.raw_width == 1316) {
            Size(1030, 1300);
            Margins(1, 6);
        } else if (c.raw_width == 2568) {
            Size(1960, 2560);
            Margins(2, 8);
        }
        c.filters = 0x16161616;
        c.load_raw = rollei_load_raw;
        Multipliers(1.8f, 1, 1.3f, 1);
        return true;
    }
    return Sigma() || Casio();
}

} // namespace

bool ApplyCameraChain(TRawDecodeContext& context, const uint8_t* head)
{
    TChain chain{context, head};
    bool known = true;
    chain.Canon() || chain.Nikon() || chain.Fuji() || chain.Minolta() || chain.Pentax() || chain.MediumFormat() ||
        chain.Olympus() || chain.Kodak(known) || chain.Others();
    return known;
}
