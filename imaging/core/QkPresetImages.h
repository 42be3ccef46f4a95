#pragma once
// The library's four preset pictures: PNG files inside the program, each
// with the rectangle inside its frame. The list exists from the library's
// start-up to its shut-down.

#include <cstdint>
#include <vector>

struct TQkPresetImage {
    int32_t DataSize;
    const uint8_t* Data; // the program's constant data, not owned
    int32_t FileType; // ioPNG
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

void BuildPresetImageList();
void FreePresetImageList();
// nullptr while the list does not exist.
const std::vector<TQkPresetImage>* PresetImageList();

void PresetImagesStaticInit();
void PresetImagesStaticFinal();
