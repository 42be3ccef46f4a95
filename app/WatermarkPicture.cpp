#include "app/WatermarkPicture.h"

#include <exception>

#include "platform/core/Files.h"
#include "platform/core/Strings.h"
#include "platform/gfx/Picture.h"

bool IsPngFile(const std::string& path) { return FileExists(path) && AnsiLowerCase(ExtractFileExt(path)) == ".png"; }

bool LoadWatermarkPicture(TPicture& picture, const std::string& path)
{
    if (!IsPngFile(path))
        return false;
    try {
        picture.LoadFromFile(path);
    } catch (const std::exception&) {
        // An undecodable picture is simply not used.
        return false;
    }
    return true;
}
