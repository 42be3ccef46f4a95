// Media utilities shared by the engine units.

#include <cstdlib>
#include <fstream>

#include "engine/binding/AVCodecStubs.h"
#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

TEST(TimeToText, RoundsToTheNearestMillisecond)
{
    const struct {
        int64_t Microseconds;
        const char* Text;
    } cases[] = {
        {0, "00:00:00.000"},       {1999000, "00:00:01.999"},    {1999499, "00:00:01.999"},
        {1999500, "00:00:02.000"}, {3661001000, "01:01:01.001"}, {360000000000, "100:00:00.000"},
        {-1500, "-00:00:00.002"},  {AV_NOPTS_VALUE, "N/A"},      {INT64_MAX, "2562047788:00:54.776"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeToText(c.Microseconds), c.Text) << c.Microseconds;
}

TEST(MediaTexts, NamesOfTypesAndPictures)
{
    EXPECT_EQ(MediaTypeName(0), "Video");
    EXPECT_EQ(MediaTypeName(4), "Attachment");
    EXPECT_EQ(MediaTypeName(-1), "Unknown");
    EXPECT_EQ(MediaTypeName(5), "Unknown");
    EXPECT_EQ(PictureTypeName(1), "Intra");
    EXPECT_EQ(PictureTypeName(4), "S(GMC)-VOP MPEG4");
    EXPECT_EQ(PictureTypeName(7), "BI type");
    EXPECT_EQ(PictureTypeName(0), "Unknown");
    EXPECT_EQ(MakeTag('D', 'I', 'V', 'X'), 0x58564944u);
    EXPECT_EQ(FrameDurationUs(25, 1), 40000);
    EXPECT_EQ(FrameDurationUs(30000, 1001), 33366);
    EXPECT_EQ(FrameDurationUs(0, 1), 40000);
    EXPECT_TRUE(IsPrintableChar('~'));
    EXPECT_FALSE(IsPrintableChar(127));
}

TEST(TimeZone, StandardBiasText)
{
    const char* saved = std::getenv("TZ");
    const std::string savedValue = saved ? saved : "";
    const struct {
        const char* Zone;
        const char* Text;
    } cases[] = {{"UTC0", "UTC"}, {"CST-8", "UTC-08:00"}, {"EST5EDT", "UTC+05:00"}, {"IST-5:30", "UTC-05:30"}};
    for (const auto& c : cases) {
        setenv("TZ", c.Zone, 1);
        EXPECT_EQ(TimeZoneText(), c.Text) << c.Zone;
    }
    setenv("TZ", "CST-8", 1);
    EXPECT_DOUBLE_EQ(UnixTimeToLocalDateTime(0), 25569 + 8.0 / 24);
    saved ? setenv("TZ", savedValue.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST_F(OptionTest, ReadFileToBufferAddsATerminator)
{
    const std::string path = ScratchFolder + "buffer.txt";
    std::ofstream(path, std::ios::binary) << "abc";
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    ASSERT_EQ(ReadFileToBuffer(path, buffer, size), 0);
    EXPECT_EQ(size, 4);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "abc");
    av::av_free(buffer);
    EXPECT_EQ(ReadFileToBuffer(MediaFolder + "missing.txt", buffer, size), -1);
    EXPECT_TRUE(Logged(llError, "Cannot read file \"" + MediaFolder + "missing.txt\""));
}

TEST_F(OptionTest, DictionaryAndErrorTexts)
{
    AVDictionary* dictionary = nullptr;
    av::av_dict_set(&dictionary, "title", "Clip", 0);
    EXPECT_EQ(DictValueOrDefault(dictionary, "title", "none"), "Clip");
    EXPECT_EQ(DictValueOrDefault(dictionary, "artist", "none"), "none");
    av::av_dict_free(&dictionary);
    EXPECT_EQ(GetErrorText("", AVERROR_EOF), "End of file");
    EXPECT_EQ(GetErrorText("in.avi", -2), "in.avi: No such file or directory");
    EXPECT_EQ(GetErrorText("", -41), "Error number -41 occurred");
}

TEST_F(OptionTest, CodecNameTexts)
{
    AVCodecContext* context = av::avcodec_alloc_context3(nullptr);
    context->codec_id = AV_CODEC_ID_MPEG4;
    EXPECT_EQ(CodecNameText(context, true), "mpeg4(MPEG-4 part 2)");
    context->codec_id = AV_CODEC_ID_NONE;
    context->codec_tag = MakeTag('X', 'V', 'I', 'D');
    EXPECT_EQ(CodecNameText(context, false), "XVID / 0x44495658");
    context->codec_tag = 0x01;
    EXPECT_EQ(CodecNameText(context, false), "0x0001");
    av::avcodec_free_context(&context);
}

TEST_F(OptionTest, RegistrationFromOutsideIsReportedAsUnavailable)
{
    EXPECT_FALSE(RegisterProtocolOnce("unicode"));
    EXPECT_FALSE(RegisterFilterOnce("nativerotate"));
}

} // namespace

namespace {

// The layout is routed as its decimal mask; the codec layer must read it back.
TEST_F(OptionTest, RoutedChannelLayoutIsUnderstoodByTheCodecLayer)
{
    ASSERT_EQ(Parse("-channel_layout 5.1"), 0);
    AVCodecContext* context = av::avcodec_alloc_context3(nullptr);
    AVDictionary* options = nullptr;
    av::av_dict_copy(&options, ctx.Group->CodecOpts.get(), 0);
    ASSERT_EQ(av::av_opt_set_dict(context, &options), 0);
    EXPECT_EQ(av::av_dict_count(options), 0);
    int64_t layout = 0;
    ASSERT_EQ(av::av_opt_get_int(context, "channel_layout", 0, &layout), 0);
    EXPECT_EQ(layout, 0x3F);
    av::av_dict_free(&options);
    av::avcodec_free_context(&context);
}

} // namespace
