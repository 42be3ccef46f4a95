#pragma once
// One ICC colour profile of an image: its raw bytes, the profile opened by
// LittleCMS, the profile's rights and description texts, and a cached
// transform to another profile for converting pixel runs and bitmaps.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBaseBitmap.h"
#include "imaging/core/QkPixels.h"

class TQkBitmap;
class TStream;

// How TQkICC.TransformPixels reads its input and writes its output.
enum TQkICCPixelCode : int32_t {
    icRGB = 0, // 3 bytes red, green, blue; not written
    icBGR = 1, // TRGBPixel
    icCMYK = 2, // TCMYKPixel, stored inverted (255 = no ink)
    icInkCMYK = 3, // CMYK ink amounts, pixels 6 bytes apart; not written
    icLab = 4, // TCIELabPixel
    icGray = 5, // 1 byte
    icRGB48 = 6, // three 16-bit words, little-endian
    icRGB48BigEndian = 7, // three 16-bit words, big-endian; not written
    icThreeChannel = 8, // 3 bytes of any three-channel space; not written
};

// LittleCMS handles, closed by their owners.
struct TQkICCProfileCloser {
    void operator()(void* profile) const;
};
struct TQkICCTransformDeleter {
    void operator()(void* transform) const;
};

class TQkICC {
public:
    TQkICC() = default;
    TQkICC(const TQkICC&) = delete;
    TQkICC& operator=(const TQkICC&) = delete;
    ~TQkICC();

    void Clear();
    // Keeps a copy of the bytes and opens them; the bytes stay even when
    // they are no profile.
    void LoadFromBuffer(const void* data, int32_t length);
    void Assign(const TQkICC& other);
    // The 32-bit length (unless rawOnly), then the raw bytes.
    void SaveToStream(TStream& stream, bool rawOnly) const;
    // The built-in sRGB profile; the raw data stay empty.
    void LoadStandardSRGB();

    bool IsValid() const { return profile_ != nullptr; }
    bool HasTransform() const { return transform_ != nullptr; }
    void FreeTransform();
    // Set whenever a transform is freed, cleared with the profile.
    bool Applied() const { return applied_; }
    const std::vector<uint8_t>& RawData() const { return raw_; }
    const std::string& RightsText() const { return rightsText_; }
    const std::string& Description() const { return description_; }

    // Converts n pixels from this profile to the target's, relative
    // colorimetric. The transform is kept while the codes, intent, flags and
    // target stay the same; intent and flags only key it. The input is never
    // changed. True when a transform exists afterwards; without one the
    // output is untouched.
    bool TransformPixels(TQkICC& target, int32_t inputCode, int32_t outputCode, int32_t intent, int32_t flags,
                         const void* input, void* output, int32_t n);
    // Converts the whole bitmap into `format` of the target profile. False,
    // with the bitmap unchanged, when a format has no code or no transform
    // can be built.
    bool ConvertBitmap(TQkBitmap& bitmap, TQkPixelFormat format, TQkICC& target);

private:
    struct TTransformKey {
        int32_t InputCode = -1;
        int32_t OutputCode = -1;
        int32_t Intent = 0;
        int32_t Flags = 0;
        const void* Target = nullptr;
        bool operator==(const TTransformKey&) const = default;
    };

    void OpenProfile();
    void CloseProfile();
    void ReadTexts();
    bool BuildTransform(TQkICC& target, const TTransformKey& key);

    std::vector<uint8_t> raw_;
    std::unique_ptr<void, TQkICCProfileCloser> profile_;
    std::unique_ptr<void, TQkICCTransformDeleter> transform_;
    TTransformKey key_;
    bool applied_ = false;
    std::string rightsText_;
    std::string description_;
};

// The pair of profiles the CMYK conversions use, supplied by the formats
// subsystem, which owns them.
struct TQkCmykProfiles {
    TQkICC* Cmyk = nullptr;
    TQkICC* Rgb = nullptr;
};
// Answers the pair when conversion through a profile is on and both
// profiles are ready, an empty pair otherwise. Unset means no profile.
using TQkCmykProfileSource = std::function<TQkCmykProfiles()>;
extern TQkCmykProfileSource CmykProfileSource;

// The profile paths of CmykToRgb and RgbToCmyk: false, with the output
// untouched, when there is no profile pair or its transform fails.
bool CmykToRgbThroughProfile(const TCMYKPixel& cmyk, TRGBPixel& rgb);
bool RgbToCmykThroughProfile(uint32_t rgb, TCMYKPixel& cmyk);
