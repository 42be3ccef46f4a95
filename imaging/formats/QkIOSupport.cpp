#include "imaging/formats/QkIOSupport.h"

#include "imaging/formats/QkFileFormats.h"
#include "platform/core/Files.h"
#include "platform/core/Streams.h"

bool CmykProfileConversion = true;
std::string CmykProfileFileName;
std::unique_ptr<TQkICC> CmykProfile;
std::unique_ptr<TQkICC> CmykRgbProfile;
std::vector<TQkIOPlugin> IOPlugins;

namespace {

bool cmykProfileFailed = false;

std::string ReadProfileBytes()
{
    try {
        TFileStream file(CmykProfileFileName, fmOpenRead);
        std::string bytes(static_cast<size_t>(file.Size()), '\0');
        file.ReadBuffer(bytes.data(), file.Size());
        return bytes;
    } catch (const std::exception&) {
        return {};
    }
}

bool OpenCmykProfiles()
{
    const std::string bytes = ReadProfileBytes();
    CmykProfile = std::make_unique<TQkICC>();
    CmykProfile->LoadFromBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    if (!CmykProfile->IsValid())
        return false;
    CmykRgbProfile = std::make_unique<TQkICC>();
    CmykRgbProfile->LoadStandardSRGB();
    // Each profile keeps the transform of its direction for the pixel calls.
    const TCMYKPixel cmyk{};
    TRGBPixel rgb{};
    TCMYKPixel back{};
    return CmykProfile->TransformPixels(*CmykRgbProfile, icCMYK, icBGR, 0, 0, &cmyk, &rgb, 1) &&
        CmykRgbProfile->TransformPixels(*CmykProfile, icBGR, icCMYK, 0, 0, &rgb, &back, 1);
}

} // namespace

bool LoadCmykProfile()
{
    if (CmykProfile && CmykRgbProfile)
        return true;
    if (cmykProfileFailed)
        return false;
    if (CmykProfileFileName.empty() || !OpenCmykProfiles()) {
        cmykProfileFailed = true;
        CmykProfile.reset();
        CmykRgbProfile.reset();
        return false;
    }
    return true;
}

void FreeCmykProfiles()
{
    CmykProfile.reset();
    CmykRgbProfile.reset();
    cmykProfileFailed = false;
}

TQkCmykProfiles CurrentCmykProfiles()
{
    if (!CmykProfileConversion || !LoadCmykProfile())
        return {};
    return {CmykProfile.get(), CmykRgbProfile.get()};
}

int32_t FileTypeOfExtension(const std::string& extension)
{
    const TQkFileFormatInfo* format = FindFileFormatByExtension(extension);
    return format != nullptr ? format->FileType : 0;
}

void ReleaseIOPlugins()
{
    for (const TQkIOPlugin& plugin : IOPlugins) {
        UnregisterFileFormat(plugin.FileType);
        if (plugin.Module != nullptr)
            FreeDynamicLibrary(plugin.Module);
    }
    IOPlugins.clear();
}
