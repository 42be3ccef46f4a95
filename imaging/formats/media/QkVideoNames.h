#pragma once
// The names acquisition shows for video subtypes and analog video standards.

#include <array>
#include <string_view>

inline constexpr std::array<std::string_view, 36> VideoSubtypeNames = {
    "CLPL", "YUYV", "IYUV",   "YVU9",   "Y411",  "Y41P",  "YUY2",     "YVYU",     "UYVY",   "Y211", "YV12", "CLJR",
    "IF09", "CPLA", "MJPG",   "TVMJ",   "WAKE",  "CFCC",  "IJPG",     "Plum",     "DVCS",   "DVSD", "MDVF", "RGB1",
    "RGB4", "RGB8", "RGB565", "RGB555", "RGB24", "RGB32", "ARGB1555", "ARGB4444", "ARGB32", "AYUV", "AI44", "IA44",
};

inline constexpr std::array<std::string_view, 20> AnalogVideoStandardNames = {
    "None",   "NTSC_M",  "NTSC_M_J", "NTSC_433", "PAL_B",   "PAL_D",   "PAL_H",    "PAL_I",   "PAL_M",    "PAL_N",
    "PAL_60", "SECAM_B", "SECAM_D",  "SECAM_G",  "SECAM_H", "SECAM_K", "SECAM_K1", "SECAM_L", "SECAM_L1", "PAL_N_COMBO",
};
