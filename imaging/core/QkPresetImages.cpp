#include "imaging/core/QkPresetImages.h"

#include <memory>

#include "imaging/core/QkPresetImageData.h"
#include "imaging/core/QkSettings.h"

namespace {

struct TInnerRect {
    int32_t Left, Top, Right, Bottom;
};

constexpr TInnerRect InnerRects[PresetImageCount] = {{18, 29, 140, 119},
                                                     {13, 1, 95, 98},
                                                     {30, 14, 147, 92},
                                                     {17, 17, 131, 131}};

std::unique_ptr<std::vector<TQkPresetImage>> presetImages;

} // namespace

void BuildPresetImageList()
{
    presetImages = std::make_unique<std::vector<TQkPresetImage>>();
    for (int i = 0; i < PresetImageCount; ++i) {
        const TInnerRect& r = InnerRects[i];
        presetImages->push_back(
            {PresetImageBytes[i].Size, PresetImageBytes[i].Data, ioPNG, r.Left, r.Top, r.Right, r.Bottom});
    }
}

void FreePresetImageList() { presetImages.reset(); }

const std::vector<TQkPresetImage>* PresetImageList() { return presetImages.get(); }

void PresetImagesStaticInit() { BuildPresetImageList(); }

void PresetImagesStaticFinal() { FreePresetImageList(); }
