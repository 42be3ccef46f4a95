#include "imaging/core/QkICC.h"

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "imaging/core/QkBitmap.h"
#include "platform/core/Streams.h"

TQkCmykProfileSource CmykProfileSource;

namespace {

// Intent and flags of every transform: relative colorimetric, evaluated
// through the profiles' own curves and tables (the most exact mode), and
// without the one-pixel cache, so threads may share a built transform.
constexpr cmsUInt32Number TransformIntent = INTENT_RELATIVE_COLORIMETRIC;
constexpr cmsUInt32Number TransformFlags = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;
// Profile texts longer than this are not taken.
constexpr int64_t MaxTextLength = 1000;
constexpr uint32_t MaxTagCount = 1000;
constexpr int64_t HeaderSize = 128;
constexpr int64_t TagEntrySize = 12;

// A bad profile is an answer, not an event: LittleCMS keeps quiet.
void IgnoreLcmsError(cmsContext, cmsUInt32Number, const char*) {}

void SilenceLcms()
{
    static std::once_flag once;
    std::call_once(once, [] { cmsSetLogErrorHandler(IgnoreLcmsError); });
}

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

uint16_t Widen(uint8_t value) { return static_cast<uint16_t>(value * 257); }

// Channels per pixel in the 16-bit buffers given to LittleCMS.
int32_t CodeChannels(int32_t code)
{
    switch (code) {
    case icCMYK:
    case icInkCMYK: return 4;
    case icGray: return 1;
    default: return 3;
    }
}

// The LittleCMS buffer format of a code; 0 for an unknown code.
cmsUInt32Number CodeFormat(int32_t code)
{
    switch (code) {
    case icRGB:
    case icBGR:
    case icRGB48:
    case icRGB48BigEndian: return TYPE_RGB_16;
    case icCMYK:
    case icInkCMYK: return TYPE_CMYK_16;
    case icLab: return TYPE_Lab_16;
    case icGray: return TYPE_GRAY_16;
    case icThreeChannel: return COLORSPACE_SH(PT_ANY) | CHANNELS_SH(3) | BYTES_SH(2);
    default: return 0;
    }
}

// Bytes between input pixels.
int32_t CodeStride(int32_t code)
{
    switch (code) {
    case icCMYK: return 4;
    case icInkCMYK:
    case icRGB48:
    case icRGB48BigEndian: return 6;
    case icGray: return 1;
    default: return 3;
    }
}

void WidenPixel(const uint8_t* in, int32_t code, uint16_t* out)
{
    switch (code) {
    case icBGR: out[0] = Widen(in[2]), out[1] = Widen(in[1]), out[2] = Widen(in[0]); break;
    case icCMYK:
        for (int c = 0; c < 4; ++c)
            out[c] = static_cast<uint16_t>(65535 - Widen(in[c]));
        break;
    case icInkCMYK:
        for (int c = 0; c < 4; ++c)
            out[c] = Widen(in[c]);
        break;
    case icLab:
        // The 16-bit Lab encoding puts a = b = 0 at 128 x 257.
        out[0] = Widen(in[0]);
        out[1] = Widen(static_cast<uint8_t>(static_cast<int8_t>(in[1]) + 128));
        out[2] = Widen(static_cast<uint8_t>(static_cast<int8_t>(in[2]) + 128));
        break;
    case icGray: out[0] = Widen(in[0]); break;
    case icRGB48:
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<uint16_t>(in[2 * c] | in[2 * c + 1] << 8);
        break;
    case icRGB48BigEndian:
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<uint16_t>(in[2 * c] << 8 | in[2 * c + 1]);
        break;
    default: // icRGB, icThreeChannel
        for (int c = 0; c < 3; ++c)
            out[c] = Widen(in[c]);
        break;
    }
}

uint8_t High(uint16_t value) { return static_cast<uint8_t>(value >> 8); }

// Writes one result; codes without an output form write nothing.
void WritePixel(const uint16_t* in, int32_t code, uint8_t* out)
{
    switch (code) {
    case icBGR: out[0] = High(in[2]), out[1] = High(in[1]), out[2] = High(in[0]); break;
    case icCMYK:
        for (int c = 0; c < 4; ++c)
            out[c] = static_cast<uint8_t>(255 - High(in[c]));
        break;
    case icLab:
        out[0] = High(in[0]);
        out[1] = static_cast<uint8_t>(static_cast<int8_t>(High(in[1]) - 128));
        out[2] = static_cast<uint8_t>(static_cast<int8_t>(High(in[2]) - 128));
        break;
    case icGray: out[0] = High(in[0]); break;
    case icRGB48:
        for (int c = 0; c < 3; ++c) {
            out[2 * c] = static_cast<uint8_t>(in[c]);
            out[2 * c + 1] = High(in[c]);
        }
        break;
    default: break;
    }
}

int32_t OutputStride(int32_t code) { return code == icLab ? 3 : CodeStride(code); }

// The pixel code of a bitmap format; -1 for a format without one.
int32_t FormatCode(TQkPixelFormat format)
{
    switch (format) {
    case qk8g: return icGray;
    case qk24RGB: return icBGR;
    case qkCMYK: return icCMYK;
    case qkRGB48: return icRGB48;
    case qkCIELab: return icLab;
    default: return -1;
    }
}

} // namespace

void TQkICCProfileCloser::operator()(void* profile) const { cmsCloseProfile(profile); }

void TQkICCTransformDeleter::operator()(void* transform) const { cmsDeleteTransform(transform); }

TQkICC::~TQkICC() { Clear(); }

void TQkICC::Clear()
{
    CloseProfile();
    raw_.clear();
    applied_ = false;
}

void TQkICC::LoadFromBuffer(const void* data, int32_t length)
{
    Clear();
    if (data != nullptr && length > 0) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        raw_.assign(bytes, bytes + length);
    }
    OpenProfile();
}

void TQkICC::Assign(const TQkICC& other)
{
    if (&other == this)
        return;
    // The built-in sRGB has no bytes to copy; a copy of it is that profile
    // again, or every copied parameter set would lose its output profile.
    if (other.IsValid() && other.raw_.empty()) {
        LoadStandardSRGB();
        return;
    }
    Clear();
    raw_ = other.raw_;
    OpenProfile();
}

void TQkICC::SaveToStream(TStream& stream, bool rawOnly) const
{
    if (!rawOnly) {
        const uint32_t length = static_cast<uint32_t>(raw_.size());
        const uint8_t bytes[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
        stream.WriteBuffer(bytes, 4);
    }
    if (!raw_.empty())
        stream.WriteBuffer(raw_.data(), static_cast<int64_t>(raw_.size()));
}

void TQkICC::LoadStandardSRGB()
{
    Clear();
    SilenceLcms();
    profile_.reset(cmsCreate_sRGBProfile());
}

void TQkICC::OpenProfile()
{
    SilenceLcms();
    if (!raw_.empty())
        profile_.reset(cmsOpenProfileFromMem(raw_.data(), static_cast<cmsUInt32Number>(raw_.size())));
    ReadTexts();
}

void TQkICC::CloseProfile()
{
    FreeTransform();
    profile_.reset();
    key_ = {};
}

void TQkICC::FreeTransform()
{
    if (transform_ == nullptr)
        return;
    transform_.reset();
    applied_ = true;
}

// Walks the tag table of the raw bytes for the "cprt" and "desc" texts;
// every entry, offset and text stays inside the data.
void TQkICC::ReadTexts()
{
    rightsText_.clear();
    description_.clear();
    const int64_t length = static_cast<int64_t>(raw_.size());
    if (length < HeaderSize + 4)
        return;
    const uint32_t count = BigEndian32(&raw_[HeaderSize]);
    if (count > MaxTagCount)
        return;
    const auto textAt = [&](int64_t start) {
        if (start >= length)
            return std::string();
        const auto begin = raw_.begin() + start;
        return std::string(begin, std::find(begin, raw_.end(), uint8_t(0)));
    };
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t entry = HeaderSize + 4 + TagEntrySize * i;
        if (entry + TagEntrySize > length)
            break;
        const auto offset = static_cast<int32_t>(BigEndian32(&raw_[entry + 4]));
        const auto size = static_cast<int32_t>(BigEndian32(&raw_[entry + 8]));
        if (offset < 0 || size < 0 || offset > length || size > length)
            break;
        const bool isRights = std::memcmp(&raw_[entry], "cprt", 4) == 0;
        const bool isDescription = std::memcmp(&raw_[entry], "desc", 4) == 0;
        if ((!isRights && !isDescription) || size >= MaxTextLength)
            continue;
        std::string text = textAt(int64_t(offset) + (isRights ? 8 : 12));
        if (static_cast<int64_t>(text.size()) < MaxTextLength)
            (isRights ? rightsText_ : description_) = std::move(text);
    }
}

bool TQkICC::BuildTransform(TQkICC& target, const TTransformKey& key)
{
    FreeTransform();
    const cmsUInt32Number inputFormat = CodeFormat(key.InputCode);
    const cmsUInt32Number outputFormat = CodeFormat(key.OutputCode);
    if (!IsValid() || !target.IsValid() || inputFormat == 0 || outputFormat == 0)
        return false;
    cmsHPROFILE profiles[2] = {profile_.get(), target.profile_.get()};
    transform_.reset(
        cmsCreateMultiprofileTransform(profiles, 2, inputFormat, outputFormat, TransformIntent, TransformFlags));
    if (transform_ != nullptr)
        key_ = key;
    return transform_ != nullptr;
}

bool TQkICC::TransformPixels(TQkICC& target, int32_t inputCode, int32_t outputCode, int32_t intent, int32_t flags,
                             const void* input, void* output, int32_t n)
{
    const TTransformKey key{inputCode, outputCode, intent, flags, target.profile_.get()};
    if (transform_ == nullptr || !(key == key_)) {
        if (!BuildTransform(target, key))
            return false;
    }
    if (input == nullptr || output == nullptr || n <= 0)
        return true;
    const int32_t inChannels = CodeChannels(inputCode);
    const int32_t outChannels = CodeChannels(outputCode);
    std::vector<uint16_t> in(size_t(n) * inChannels);
    std::vector<uint16_t> out(size_t(n) * outChannels);
    const auto* source = static_cast<const uint8_t*>(input);
    for (int32_t i = 0; i < n; ++i)
        WidenPixel(source + int64_t(i) * CodeStride(inputCode), inputCode, &in[size_t(i) * inChannels]);
    cmsDoTransform(transform_.get(), in.data(), out.data(), static_cast<cmsUInt32Number>(n));
    auto* destination = static_cast<uint8_t*>(output);
    for (int32_t i = 0; i < n; ++i)
        WritePixel(&out[size_t(i) * outChannels], outputCode, destination + int64_t(i) * OutputStride(outputCode));
    return true;
}

bool TQkICC::ConvertBitmap(TQkBitmap& bitmap, TQkPixelFormat format, TQkICC& target)
{
    const int32_t sourceCode = FormatCode(bitmap.GetPixelFormat());
    const int32_t targetCode = FormatCode(format);
    if (sourceCode < 0 || targetCode < 0)
        return false;
    TQkBitmap converted(bitmap.GetWidth(), bitmap.GetHeight(), format);
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row) {
        if (!TransformPixels(target, sourceCode, targetCode, 0, 0, bitmap.GetScanline(row), converted.GetScanline(row),
                             bitmap.GetWidth())) {
            return false;
        }
    }
    FreeTransform();
    bitmap.AssignImage(converted);
    return true;
}

bool CmykToRgbThroughProfile(const TCMYKPixel& cmyk, TRGBPixel& rgb)
{
    if (!CmykProfileSource)
        return false;
    const TQkCmykProfiles profiles = CmykProfileSource();
    return profiles.Cmyk != nullptr && profiles.Rgb != nullptr &&
        profiles.Cmyk->TransformPixels(*profiles.Rgb, icCMYK, icBGR, 0, 0, &cmyk, &rgb, 1);
}

bool RgbToCmykThroughProfile(uint32_t rgb, TCMYKPixel& cmyk)
{
    if (!CmykProfileSource)
        return false;
    const TQkCmykProfiles profiles = CmykProfileSource();
    const TRGBPixel pixel =
        MakeRGBPixel(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
    return profiles.Cmyk != nullptr && profiles.Rgb != nullptr &&
        profiles.Rgb->TransformPixels(*profiles.Cmyk, icBGR, icCMYK, 0, 0, &pixel, &cmyk, 1);
}
