#pragma once
// The converter's own artwork, drawn in code and registered as named bitmap
// resources: the window skin, the button faces, the stepping glyphs and the
// source-kind icons.

#include <string>

#include "platform/gfx/Colors.h"

// Resource names.
inline constexpr const char* SkinResource = "QUORVID_SKIN"; // 100 × 100
inline constexpr const char* ButtonResource = "QUORVID_BUTTON"; // caption buttons, 88 × 24
inline constexpr const char* MinimizeResource = "QUORVID_MINIMIZE"; // 33 × 20
inline constexpr const char* CloseResource = "QUORVID_CLOSE"; // 47 × 20
inline constexpr const char* PrevKeyResource = "QUORVID_PREVKEY"; // stepping buttons, 30 × 24
inline constexpr const char* NextFrameResource = "QUORVID_NEXTFRAME";
inline constexpr const char* NextKeyResource = "QUORVID_NEXTKEY";
inline constexpr const char* KindIconsResource = "QUORVID_KINDS"; // 64 × 16: video, audio, picture, other
inline constexpr const char* InfoResource = "QUORVID_INFO"; // 16 × 16

// The variants of a button face: name + "_HOT", "_DOWN", "_DISABLED".
std::string HotVariant(const std::string& name);
std::string DownVariant(const std::string& name);
std::string DisabledVariant(const std::string& name);

// The skin's colours that tests and screenshots check.
inline constexpr TColor SkinBorderColor = 0x82461E; // RGB(30, 70, 130)
inline constexpr TColor SkinBodyColor = 0xF1E8E0; // the window's colour
inline constexpr TColor SkinTitleTopColor = 0xA86028; // RGB(40, 96, 168)

// Registers every bitmap above (once).
void RegisterConverterResources();
