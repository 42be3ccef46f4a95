#pragma once
// Turns a source row's output settings into the input and output option
// strings of one conversion task: automatic choices filled in from the
// profile and the source, the video filter chain, and a free output name.

#include <cstdint>
#include <functional>
#include <string>

#include "app/CusOutputOptions.h"
#include "engine/FFEncode.h"

struct TFrameSize {
    int32_t Width = 10;
    int32_t Height = 10;
};

// Letterbox margins in source pixels.
struct TPadding {
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;
};

// "WxH", with an optional leading "x"; 10 x 10 when there is no second "x",
// 0 for a side that is not a number.
TFrameSize ParseFrameSize(const std::string& text);

// The margins that give a SourceWidth x SourceHeight picture the aspect ratio
// of Width x Height; none when any side is not positive.
TPadding ComputePad(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height);
// "pad=W:H:left:top:black" with every margin made even toward zero; empty
// when no margin is above 0.
std::string PadFilter(int32_t sourceWidth, int32_t sourceHeight, const TPadding& pad);

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

// The chain with the PNG laid over the source picture at (x, y); unchanged
// when the file does not exist.
std::string WatermarkFilter(const std::string& chain, const std::string& watermarkFile, int32_t x, int32_t y);

using TOutputNameInUse = std::function<bool(const std::string& name)>;
// folder + source name without extension + "_new" + 001, 002 ... + extension:
// the first that is neither a file nor in use. An empty folder means the
// source's own folder.
std::string UniqueOutputName(const std::string& folder, const std::string& sourceFile,
                             const std::string& dottedExtension, const TOutputNameInUse& inUse);
// Output names compare trimmed and case-blind.
bool SameOutputName(const std::string& a, const std::string& b);

// What the builder takes from the machine and the engine, passed in so that
// tests can pin it.
struct TJobEnvironment {
    int32_t ProcessorCount = 1;
    // The loaded FFmpeg has the AMR-NB encoder, the 3GP container's own audio.
    bool AmrNbAvailable = false;
    TOutputNameInUse OutputNameInUse;
};

// The processors the operating system reports, at least 1.
int32_t GetProcessorCount();

// The source file and its options: " -ss <seconds>" for a clip, " -vn" for
// an audio profile.
TInputOptions BuildInputOptions(const TCusOutputOptions& settings);
// A free output name and every output option, each after one blank.
TOutputOptions BuildOutputOptions(const TCusOutputOptions& settings, const TJobEnvironment& environment);
