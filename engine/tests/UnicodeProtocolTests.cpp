#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/Files.h"

namespace {

TEST(UnicodeNames, RecogniseAndConvert)
{
    EXPECT_FALSE(IsUnicodeName("unicode:utf8:"));
    EXPECT_TRUE(IsUnicodeName("unicode:utf8:a"));
    EXPECT_FALSE(IsUnicodeName("unicode:utf16:a"));
    EXPECT_EQ(MakeUnicodeName("/v/\xd0\xb2.png"), "unicode:utf8:/v/\xd0\xb2.png");
    EXPECT_EQ(UnicodeNameToWide("unicode:utf8:/v/C:x.png"), "/v/C:x.png");
    EXPECT_EQ(FromFFmpegFileName("unicode:utf8:/v/a.png"), "/v/a.png");
    EXPECT_EQ(FromFFmpegFileName("/v/\xd0\xb2.avi"), "/v/\xd0\xb2.avi");
}

TEST(UnicodeNames, OnlyImageNamesThatAreNoValidTextBecomeUnicodeNames)
{
    EXPECT_NE(IsImageFileName("/a/frame%03d.PNG"), 0);
    EXPECT_NE(IsImageFileName("x.jpeg"), 0);
    EXPECT_EQ(IsImageFileName("/a.png/clip"), 0);
    EXPECT_EQ(IsImageFileName("clip.avi"), 0);

    const std::string cyrillicVideo = "/m/\xd0\xb2\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe.avi";
    const std::string cyrillicImage = "/m/\xd0\xba\xd0\xb0\xd0\xb4\xd1\x80%03d.png";
    const std::string brokenImage = "/m/\xff\xfe%03d.png";
    EXPECT_EQ(ToFFmpegFileName(cyrillicVideo), cyrillicVideo);
    EXPECT_EQ(ToFFmpegFileName(cyrillicImage), cyrillicImage);
    EXPECT_EQ(ToFFmpegFileName(brokenImage), "unicode:utf8:" + brokenImage);
    EXPECT_EQ(FromFFmpegFileName(ToFFmpegFileName(brokenImage).c_str()), brokenImage);

    for (const char* protocol : {"unicode", "stream", "gopher", "http", "pipe", "rtp", "tcp", "udp"})
        EXPECT_FALSE(NeedsUnicodeName(std::string(protocol) + ":\xff.png")) << protocol;
    EXPECT_TRUE(NeedsUnicodeName("C:\xff.png"));
    EXPECT_TRUE(NeedsUnicodeName("HTTP:\xff.png"));
}

TEST(UnicodeFile, SeeksWithinTheFileOnly)
{
    const std::string name = TEST_BINARY_DIR "/unicode-\xc3\xa9.bin";
    std::ofstream(name) << "0123456789";
    void* file = nullptr;
    ASSERT_EQ(UnicodeOpen(&file, ("unicode:utf8:" + name).c_str(), AVIO_FLAG_READ), 0);
    EXPECT_EQ(UnicodeSeek(file, 0, AVSEEK_SIZE), 10);
    EXPECT_EQ(UnicodeSeek(file, 4, SEEK_SET), 4);
    uint8_t buffer[16] = {};
    EXPECT_EQ(UnicodeRead(file, buffer, 16), 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "456789");
    EXPECT_EQ(UnicodeRead(file, buffer, 16), AVERROR_EOF);
    EXPECT_EQ(UnicodeSeek(file, -11, SEEK_END), -1);
    EXPECT_EQ(UnicodeClose(file), 0);

    EXPECT_EQ(UnicodeOpen(&file, "unicode:utf8:" TEST_BINARY_DIR "/missing.bin", AVIO_FLAG_READ), AVERROR(ENOENT));
}

class UnicodeThroughFFmpeg : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FFLoader.LoadLibraries(DecoderLibraries)) << FFLoader.LastErrorText();
        ForceDirectories(folder_);
        const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=64x48:rate=10 "
                                    "-c:v mpeg4 '" +
            folder_ + "/\xd0\xb2\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe \xc3\xa9.mkv'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

    // One folder per process: test processes may run side by side.
    static inline const std::string folder_ = TEST_BINARY_DIR "/unicode-media-" + std::to_string(::getpid());
};

TEST_F(UnicodeThroughFFmpeg, OpensAndReadsAUnicodeName)
{
    const std::string name = "unicode:utf8:" + folder_ + "/\xd0\xb2\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe \xc3\xa9.mkv";
    AVFormatContext* input = nullptr;
    ASSERT_EQ(OpenInputFile(&input, name.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(av::avformat_find_stream_info(input, nullptr), 0);
    EXPECT_EQ(input->nb_streams, 1u);
    EXPECT_EQ(input->streams[0]->codecpar->codec_id, AV_CODEC_ID_MPEG4);

    AVPacket* packet = av::av_packet_alloc();
    int packets = 0;
    while (av::av_read_frame(input, packet) >= 0) {
        ++packets;
        av::av_packet_unref(packet);
    }
    av::av_packet_free(&packet);
    EXPECT_EQ(packets, 10);
    CloseInputFile(&input);
    EXPECT_EQ(input, nullptr);
}

TEST_F(UnicodeThroughFFmpeg, AMissingUnicodeNameIsNoSuchFile)
{
    AVFormatContext* input = nullptr;
    const std::string name = "unicode:utf8:" + folder_ + "/missing \xc3\xa9.mkv";
    EXPECT_EQ(OpenInputFile(&input, name.c_str(), nullptr, nullptr), AVERROR(ENOENT));
    EXPECT_EQ(input, nullptr);
}

TEST_F(UnicodeThroughFFmpeg, WritesThroughAUnicodeOutput)
{
    const std::string file = folder_ + "/\xc3\xa9-out.txt";
    AVIOContext* output = nullptr;
    ASSERT_EQ(OpenOutputIO(&output, ("unicode:utf8:" + file).c_str(), AVIO_FLAG_WRITE, nullptr, nullptr), 0);
    av::avio_write(output, reinterpret_cast<const unsigned char*>("hello"), 5);
    EXPECT_EQ(av::avio_seek(output, 1, SEEK_SET), 1);
    av::avio_write(output, reinterpret_cast<const unsigned char*>("E"), 1);
    EXPECT_EQ(CloseOutputIO(&output), 0);
    EXPECT_EQ(output, nullptr);

    std::ifstream written(file);
    std::string content;
    std::getline(written, content);
    EXPECT_EQ(content, "hEllo");
}

TEST_F(UnicodeThroughFFmpeg, AMuxerOpensEveryFrameFileByUnicodeName)
{
    const std::string pattern = folder_ + "/\xd0\xba\xd0\xb0\xd0\xb4\xd1\x80%03d.png";
    AVFormatContext* output = nullptr;
    ASSERT_GE(av::avformat_alloc_output_context2(&output, nullptr, "image2", ("unicode:utf8:" + pattern).c_str()), 0);
    InstallUnicodeIO(output);
    AVStream* stream = av::avformat_new_stream(output, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_PNG;
    stream->codecpar->width = 2;
    stream->codecpar->height = 2;
    stream->time_base = AVRational{1, 10};
    ASSERT_GE(av::avformat_write_header(output, nullptr), 0);
    AVPacket* packet = av::av_packet_alloc();
    for (int frame = 1; frame <= 2; ++frame) {
        const std::string data = "frame " + std::to_string(frame);
        ASSERT_EQ(av::av_new_packet(packet, static_cast<int>(data.size())), 0);
        std::copy(data.begin(), data.end(), packet->data);
        packet->pts = packet->dts = frame;
        ASSERT_GE(av::av_write_frame(output, packet), 0);
        av::av_packet_unref(packet);
    }
    av::av_packet_free(&packet);
    EXPECT_GE(av::av_write_trailer(output), 0);
    av::avformat_free_context(output);

    for (int frame = 1; frame <= 2; ++frame) {
        std::ifstream file(folder_ + "/\xd0\xba\xd0\xb0\xd0\xb4\xd1\x80" + (frame == 1 ? "001" : "002") + ".png");
        std::string content;
        std::getline(file, content);
        EXPECT_EQ(content, "frame " + std::to_string(frame));
    }
}

} // namespace
