#pragma once
// Helpers shared by the input, output-stream and filter-graph code of a
// conversion job: codec tags, format choice, the format lists the filter
// graphs accept, channel-layout guessing and the chapter copy.

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
}

struct TInputFile;
struct TInputStream;
struct TOutputFile;
struct TOutputStream;

// A tag text that strtol reads completely is the number; otherwise its first
// four bytes, first byte lowest (missing bytes are 0).
uint32_t CodecTagFromText(const char* Text);

// The pixel format of Codec nearest to Target; Target when the codec lists
// it or lists none.
AVPixelFormat ChoosePixelFormat(AVCodecContext* EncoderContext, const AVCodec* Codec, AVPixelFormat Target);
// Gives the encoder context the codec's first sample format when its own is
// not one the codec takes.
void ChooseSampleFormat(AVCodecContext* EncoderContext, const AVCodec* Codec);

// The formats an output stream's filter graph must deliver, as filter
// arguments (av_malloc'ed, owned by the caller), or nil for any.
char* PixelFormatList(TOutputStream* Stream);
char* SampleFormatList(TOutputStream* Stream);
char* SampleRateList(TOutputStream* Stream);
char* ChannelLayoutList(TOutputStream* Stream);

// Gives an input stream without a channel layout the default one for its
// channel count, up to its "guess_layout_max"; false when none fits.
bool GuessInputChannelLayout(TInputStream* Stream, int32_t FileIndex);

// Appends the chapters of an input to an output, shifted by the output's
// start and cut at its recording time. 0, or -12 when memory runs out.
int32_t CopyChapters(TInputFile* InputFile, TOutputFile* OutputFile, bool CopyMetadata);
