#pragma once
// Finding font files by family name through fontconfig. Family names that
// Linux lacks are first replaced by installed faces:
//   Tahoma, MS Sans Serif, Microsoft Sans Serif, MS Shell Dlg, Verdana,
//   System           -> DejaVu Sans
//   Arial            -> Liberation Sans
//   SimSun (宋体)    -> WenQuanYi Micro Hei

#include <string>
#include <vector>

struct TFontFile {
    std::string Path;
    int Index = 0;
    // The file's face lacks the weight or slant asked for; the renderer
    // emboldens or slants the outlines itself.
    bool SyntheticBold = false;
    bool SyntheticItalic = false;
};

std::string SubstituteFamily(const std::string& family);

// Loads fontconfig's configuration and font list now rather than at the
// first lookup; false when fontconfig cannot start.
bool LoadFontConfiguration();

// The best installed match (a fixed-pitch face when `fixedPitch`); raises
// EInvalidGraphic when fontconfig finds no font at all.
TFontFile FindFontFile(const std::string& family, bool bold, bool italic, bool fixedPitch = false);

// A face that has the character, for characters the chosen face lacks;
// an empty path when no installed font has it.
TFontFile FindFallbackFont(char32_t character);

// The families of the installed scalable fonts, sorted without regard to
// case, each once (a family with several names under its first).
std::vector<std::string> InstalledFontFamilies();
