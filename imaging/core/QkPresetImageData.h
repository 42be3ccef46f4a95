#pragma once
// The preset pictures' PNG files, drawn by presets/PresetImageGenerator.cpp
// at build time and compiled into the library.

#include <cstdint>

struct TPresetImageBytes {
    const uint8_t* Data;
    int32_t Size;
};

constexpr int PresetImageCount = 4;
extern const TPresetImageBytes PresetImageBytes[PresetImageCount];
