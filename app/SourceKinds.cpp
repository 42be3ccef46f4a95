#include "app/SourceKinds.h"

#include <array>
#include <cctype>
#include <filesystem>

namespace {

constexpr std::array<const char*, 3> KindLists = {
    "*.3GP;*.ASF;*.AVI;*.AVM;*.AVS;*.DAT;*.FLV;*.MKV;*.MOV;*.MP4;*.MPEG;*.MPG;*.NSV;*.OGM;*.RM;*.RMVB;*.TP;*.TS;*.VOB;"
    "*.WMV;",
    "*.AAC;*.AC3;*.APE;*.DTS;*.FLAC;*.M4A;*.MKA;*.MP2;*.MP3;*.MPA;*.MPC;*.OFR;*.OGG;*.RA;*.TTA;*.WAV;*.WMA;",
    "*.BMP;*.GIF;*.JPEG;*.JPG;*.PNG;",
};

} // namespace

int32_t SourceKindIcon(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    // An empty extension, or a bare dot, would be found in every list.
    if (extension.size() < 2)
        return IconOther;
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t kind = 0; kind < KindLists.size(); ++kind)
        if (std::string(KindLists[kind]).find(extension) != std::string::npos)
            return static_cast<int32_t>(kind);
    return IconOther;
}
