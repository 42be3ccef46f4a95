#pragma once
// The codecs behind the encoder lists' display names, and the automatic video
// bit rate each codec needs for a frame size and rate.

#include <cstdint>
#include <string>

// The video codec of a display name of the encoder list; empty for a name
// the lists do not offer.
std::string VideoCodecOfDisplayName(const std::string& displayName);
// The audio codec of a display name of the encoder list (lower-cased and
// mapped; "aac" and "ac3" stay).
std::string AudioCodecOfDisplayName(const std::string& displayName);

// kbit/s as text, from the frame size, the frame rate, the codec's factor and
// the caps of the frame size and of ".3gp".
std::string AutoVideoBitRate(const std::string& frameSize, int32_t frameRate, const std::string& videoCodec,
                             const std::string& dottedExtension);
