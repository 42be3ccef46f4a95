#pragma once
// The output profiles and the choices each one offers. Every choice list in
// the window starts with the automatic entry, which these tables leave out.

#include <cstdint>
#include <string>
#include <vector>

// Rows of `FormatTable`, indexed by the item index of the profile list.
inline constexpr int32_t FormatTableRows = 19;
// Columns of a row.
inline constexpr int32_t ftExtension = 0; // container and file extension
inline constexpr int32_t ftKind = 1; // device presets, or "audio"
inline constexpr int32_t ftDisplay = 2; // what the profile list shows
// The profile selected at start: "MP4 - MPEG-4 Video".
inline constexpr int32_t DefaultFormatRow = 5;

// The text of a cell, "" for a row outside 0..18 or a column outside 0..2.
std::string FormatTableEntry(int32_t row, int32_t column);
bool IsAudioKind(const std::string& kind);

// The choices of the five lists that follow the profile, by its extension and kind.
struct TProfileLists {
    std::vector<std::string> VideoEncoders;
    std::vector<std::string> AudioEncoders;
    std::vector<std::string> FrameRates;
    std::vector<std::string> FrameSizes;
    std::vector<std::string> AudioBitRates;
};
// `amrAvailable`: the loaded FFmpeg has the AMR encoder the 3GP profile offers.
TProfileLists ProfileLists(const std::string& extension, const std::string& kind, bool amrAvailable);

// The lists that never change.
const std::vector<std::string>& AudioChannelEntries(); // item index = channel count
const std::vector<std::string>& SampleRateEntries();
const std::vector<std::string>& AspectRatioEntries();
const std::vector<std::string>& VideoBitRateEntries(); // kbit/s

// The encoder that 3GP's "AMR" choice needs.
inline constexpr const char* AmrEncoderName = "libopencore_amrnb";
