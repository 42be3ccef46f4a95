#pragma once
// Which kind of source a file is, judged by its extension alone.

#include <cstdint>
#include <string>

// The icons of ImageList16, in the order of the kind lists.
inline constexpr int32_t IconVideo = 0;
inline constexpr int32_t IconAudio = 1;
inline constexpr int32_t IconPicture = 2;
inline constexpr int32_t IconOther = 3;

// The kind icon of `path`: its extension, upper-cased with its dot, looked up
// in the video, audio and picture lists; IconOther when none holds it or the
// name has no extension.
int32_t SourceKindIcon(const std::string& path);
