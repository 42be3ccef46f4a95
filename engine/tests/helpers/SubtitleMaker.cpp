// Writes a Matroska file with one DVD subtitle stream of hand-made 4-colour
// bitmaps, encoded by the FFmpeg libraries' own encoder, for the tests of
// subtitles drawn into video ("sub2video"). The ffmpeg tool then muxes it
// beside a generated video.
//
//   engine_subtitle_maker <output.mkv> <canvas width> <canvas height>
//
// Two cues: 0.4-1.2 s a 64x24 box at (40, 30), 1.6-2.4 s a 96x16 bar at
// (100, 180); each is striped in three colours on a transparent ground.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"

namespace {

struct TCue {
    int64_t StartMs, EndMs;
    int X, Y, W, H;
};

constexpr TCue Cues[] = {{400, 1200, 40, 30, 64, 24}, {1600, 2400, 100, 180, 96, 16}};

// Transparent, then opaque white, black and red (0xAARRGGBB).
constexpr uint32_t Palette[4] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFFFF0000};

int Fail(const char* what, int code)
{
    std::fprintf(stderr, "%s failed (%d)\n", what, code);
    return 1;
}

// Stripes of four lines in colours 1, 2, 3, with a transparent border of one sample.
std::vector<uint8_t> Bitmap(const TCue& cue)
{
    std::vector<uint8_t> indexes(static_cast<size_t>(cue.W) * cue.H, 0);
    for (int y = 1; y + 1 < cue.H; ++y)
        for (int x = 1; x + 1 < cue.W; ++x)
            indexes[static_cast<size_t>(y) * cue.W + x] = static_cast<uint8_t>(1 + (y / 4) % 3);
    return indexes;
}

int WriteCue(AVFormatContext* output, AVCodecContext* encoder, AVStream* stream, const TCue& cue)
{
    std::vector<uint8_t> indexes = Bitmap(cue);
    uint32_t palette[4] = {Palette[0], Palette[1], Palette[2], Palette[3]};
    AVSubtitleRect rect{};
    rect.x = cue.X;
    rect.y = cue.Y;
    rect.w = cue.W;
    rect.h = cue.H;
    rect.nb_colors = 4;
    rect.type = SUBTITLE_BITMAP;
    rect.data[0] = indexes.data();
    rect.linesize[0] = cue.W;
    rect.data[1] = reinterpret_cast<uint8_t*>(palette);
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle subtitle{};
    subtitle.num_rects = 1;
    subtitle.rects = rects;
    subtitle.pts = cue.StartMs * 1000;
    subtitle.end_display_time = static_cast<uint32_t>(cue.EndMs - cue.StartMs);
    std::vector<uint8_t> buffer(1 << 16);
    const int size = av::avcodec_encode_subtitle(encoder, buffer.data(), static_cast<int>(buffer.size()), &subtitle);
    if (size < 0)
        return Fail("avcodec_encode_subtitle", size);
    AVPacket* packet = av::av_packet_alloc();
    if (!packet || av::av_new_packet(packet, size) < 0)
        return Fail("av_new_packet", size);
    std::copy(buffer.begin(), buffer.begin() + size, packet->data);
    packet->stream_index = stream->index;
    packet->pts = packet->dts = av::av_rescale_q(cue.StartMs, AVRational{1, 1000}, stream->time_base);
    packet->duration = av::av_rescale_q(cue.EndMs - cue.StartMs, AVRational{1, 1000}, stream->time_base);
    const int result = av::av_interleaved_write_frame(output, packet);
    av::av_packet_free(&packet);
    return result < 0 ? Fail("av_interleaved_write_frame", result) : 0;
}

int Write(const char* fileName, int width, int height)
{
    AVFormatContext* output = nullptr;
    int result = av::avformat_alloc_output_context2(&output, nullptr, "matroska", fileName);
    if (result < 0)
        return Fail("avformat_alloc_output_context2", result);
    const AVCodec* codec = av::avcodec_find_encoder_by_name("dvdsub");
    AVCodecContext* encoder = codec ? av::avcodec_alloc_context3(codec) : nullptr;
    AVStream* stream = av::avformat_new_stream(output, nullptr);
    if (!encoder || !stream)
        return Fail("dvdsub encoder", 0);
    encoder->width = width;
    encoder->height = height;
    encoder->time_base = {1, 1000};
    if ((result = av::avcodec_open2(encoder, codec, nullptr)) < 0)
        return Fail("avcodec_open2", result);
    av::avcodec_parameters_from_context(stream->codecpar, encoder);
    stream->time_base = encoder->time_base;
    if ((result = av::avio_open(&output->pb, fileName, AVIO_FLAG_WRITE)) < 0)
        return Fail("avio_open", result);
    if ((result = av::avformat_write_header(output, nullptr)) < 0)
        return Fail("avformat_write_header", result);
    for (const TCue& cue : Cues)
        if (WriteCue(output, encoder, stream, cue) != 0)
            return 1;
    av::av_write_trailer(output);
    av::avio_closep(&output->pb);
    av::avcodec_free_context(&encoder);
    av::avformat_free_context(output);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: engine_subtitle_maker <output.mkv> <canvas width> <canvas height>\n");
        return 2;
    }
    if (!FFLoader.LoadLibraries(AllLibraries)) {
        std::fprintf(stderr, "%s\n", FFLoader.LastErrorText().c_str());
        return 1;
    }
    return Write(argv[1], std::atoi(argv[2]), std::atoi(argv[3]));
}
