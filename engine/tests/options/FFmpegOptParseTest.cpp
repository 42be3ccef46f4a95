// Option strings: what a string of one file parses into, and how it fails.

#include <functional>

#include "engine/binding/SwScaleStubs.h"
#include "engine/tests/OptionTestSupport.h"
#include "platform/core/Strings.h"

using namespace option_tests;

namespace {

// Every failure ends with the text of its code.
#define INVALID_ARGUMENT "Invalid argument / Invalid data found when processing input"

std::string Specifier(const TSpecifierList& list, int32_t i) { return list[i].Specifier; }
std::string Text(const TSpecifierList& list, int32_t i) { return list[i].Value.Str; }

struct TParseCase {
    const char* Name;
    const char* Options;
    int32_t Result;
    const char* LastError; // exact text; nullptr: not checked
    std::function<void(const TTestJob&, const TOptionsContext&)> Check;
};

class ParseOptionsCases : public OptionTest, public ::testing::WithParamInterface<TParseCase> {};

const TParseCase ParseCases[] = {
    {"Empty", "", 0, "", [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(c.Group->Options.size(), 0u); }},
    {"OnlyBlanks", "   \t ", 0, "", nullptr},
    {"CodecWithSpecifier", "-c:v copy", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         ASSERT_EQ(c.CodecNames.size(), 1u);
         EXPECT_EQ(Specifier(c.CodecNames, 0), "v");
         EXPECT_EQ(Text(c.CodecNames, 0), "copy");
     }},
    {"CodecWithoutSpecifier", "-c copy", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         ASSERT_EQ(c.CodecNames.size(), 1u);
         EXPECT_EQ(Specifier(c.CodecNames, 0), "");
     }},
    {"QuotedArgumentKeepsBlanks", "-metadata \"title=A B\"", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(Text(c.Metadata, 0), "title=A B"); }},
    {"Switch", "-stats", 0, "", [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.PrintStats, 1); }},
    {"SwitchWithNoPrefix", "-nostats", 0, "",
     [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.PrintStats, 0); }},
    {"NoPrefixBeforeAnotherOption", "-nostats -y", 0, "",
     [](const TTestJob& j, const TOptionsContext&) {
         EXPECT_EQ(j.PrintStats, 0);
         EXPECT_EQ(j.FileOverwrite, 1);
     }},
    {"LibraryCodecOption", "-threads 2", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "threads"), "2"); }},
    {"LibraryOptionKeepsSpecifier", "-threads:v 2", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "threads:v"), "2");
     }},
    {"LibraryOptionWithTypeLetter", "-astrict experimental", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "astrict"), "experimental");
     }},
    {"LibraryFormatOption", "-movflags faststart", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->FormatOpts.get(), "movflags"), "faststart");
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "movflags"), "<none>");
     }},
    {"LibraryScalerOption", "-sws_flags lanczos", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         int64_t flags = 0;
         ASSERT_EQ(av::av_opt_get_int(c.Group->SwsOpts, "sws_flags", 0, &flags), 0);
         EXPECT_EQ(flags, SWS_LANCZOS);
     }},
    {"LibraryScalerOptionBadValue", "-sws_flags nonsense", AVERROR(EINVAL),
     "Error setting option \"sws_flags\"\r\n" INVALID_ARGUMENT, nullptr},
    {"LibraryResamplerOption", "-dither_method triangular", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->SwrOpts.get(), "dither_method"), "triangular");
     }},
    {"UnknownOption", "-bogus 1", AVERROR_OPTION_NOT_FOUND, "Option not found", nullptr},
    {"UnknownOptionLast", "-c copy -bogus", AVERROR_OPTION_NOT_FOUND, "Option not found", nullptr},
    {"StrayToken", "-c copy stray", AVERROR(EINVAL), "Failed to parse options on stray\r\n" INVALID_ARGUMENT, nullptr},
    {"BareDash", "-", AVERROR(EINVAL), "Failed to parse options on -\r\n" INVALID_ARGUMENT, nullptr},
    {"MissingArgument", "-c:v", AVERROR(EINVAL), nullptr, nullptr},
    {"TimeStartInMicroseconds", "-TimeStart 12.5", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(c.StartTime, 12500000); }},
    {"TimeStartRoundsToNearest", "-timestart 0.1234567", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(c.StartTime, 123457); }},
    {"TimeLengthInMicroseconds", "-TimeLength 3", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(c.RecordingTime, 3000000); }},
    {"TimeLengthNotANumber", "-TimeLength abc", AVERROR(EINVAL),
     "'abc' is not a valid floating point value\r\nFailed to set value \"abc\" for option "
     "\"TimeLength\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"DurationTexts", "-ss 1.5 -t 00:01:02.5 -to_microsecond 7", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(c.StartTime, 1500000);
         EXPECT_EQ(c.RecordingTime, 62500000);
         EXPECT_EQ(c.StopTime, 7);
     }},
    {"HookWordsAndJoinChangeNothing",
     "-AudioInputHook -AudioOutputHook -VideoInputHook -VideoOutputHook -FrameInputHook -FrameOutputHook -Join", 0, "",
     [](const TTestJob& j, const TOptionsContext& c) {
         EXPECT_EQ(c.Group->Options.size(), 0u);
         EXPECT_FALSE(j.JoinMode);
     }},
    {"VsyncName", "-vsync VFR", 0, "",
     [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.VideoSyncMethod, 2); }},
    {"VsyncNumber", "-vsync 255", 0, "",
     [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.VideoSyncMethod, 255); }},
    {"VsyncInvalid", "-vsync 3", AVERROR(EINVAL),
     "The value for \"vsync\" was \"3\" which is invalid\r\nFailed to set value \"3\" for option "
     "\"vsync\"\r\n" INVALID_ARGUMENT,
     [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.VideoSyncMethod, -1); }},
    {"AmbiguousBitrate", "-b 500k", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "b:v"), "500k"); }},
    {"BitrateWithSpecifier", "-b:a 128k", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "b:a"), "128k");
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "b:v"), "<none>");
     }},
    {"RemovedOption", "-sameq", AVERROR(EINVAL),
     "Option \"sameq\" was removed. If you are looking for an option to preserve the quality (which is not what "
     "-sameq was for), use -qscale 0 or an equivalent quality factor option.\r\n"
     "Failed to set value \"1\" for option \"sameq\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"UnsupportedOption", "-report", AVERROR(EINVAL),
     "options \"report\" not supported\r\nFailed to set value \"1\" for option \"report\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"UnsupportedBenchmark", "-benchmark", AVERROR(EINVAL), nullptr, nullptr},
    {"InformationOptionOnlyWarns", "-version -formats", 0, "", nullptr},
    {"LastOfRepeatedStringWins", "-f mp4 -f mov", 0, "",
     [](const TTestJob&, const TOptionsContext& c) { EXPECT_EQ(c.Format.value_or("<none>"), "mov"); }},
    {"FloatWithPointSeparator", "-itsscale 1.5 -muxdelay 0.25", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_DOUBLE_EQ(c.TsScales[0].Value.Dbl, 1.5);
         EXPECT_FLOAT_EQ(c.MuxMaxDelay, 0.25f);
     }},
    {"OldNamesRenamed", "-acodec mp2 -vtag xvid -absf aac_adtstoasc -aq 4 -vframes 5", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(Specifier(c.CodecNames, 0), "a");
         EXPECT_EQ(Text(c.CodecNames, 0), "mp2");
         EXPECT_EQ(Specifier(c.CodecTags, 0), "v");
         EXPECT_EQ(Specifier(c.BitstreamFilters, 0), "a");
         EXPECT_EQ(Specifier(c.Qscales, 0), "a");
         EXPECT_DOUBLE_EQ(c.Qscales[0].Value.Dbl, 4.0);
         EXPECT_EQ(Specifier(c.MaxFrames, 0), "v");
         EXPECT_EQ(c.MaxFrames[0].Value.I64, 5);
     }},
    {"AmbiguousQscaleIsVideo", "-qscale 2 -qscale:a 3", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(Specifier(c.Qscales, 0), "v");
         EXPECT_EQ(Specifier(c.Qscales, 1), "a");
     }},
    {"StreamIdGrowsArray", "-streamid 1:256", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         ASSERT_EQ(c.StreamIdMap.size(), 2u);
         EXPECT_EQ(c.StreamIdMap[0], 0);
         EXPECT_EQ(c.StreamIdMap[1], 256);
     }},
    {"StreamIdIndexTooLarge", "-streamid 1024:5", AVERROR(EINVAL),
     "The value for \"streamid\" was \"1024\" which is not within 0 - 1023\r\n"
     "Failed to set value \"1024:5\" for option \"streamid\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"StreamIdNegativeValue", "-streamid 3:-1", AVERROR(EINVAL),
     "The value for \"streamid\" was \"-1\" which is not within 0 - 2147483647\r\n"
     "Failed to set value \"3:-1\" for option \"streamid\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"StreamIdSyntax", "-streamid 3", AVERROR(EINVAL),
     "Invalid value \"3\" for option \"streamid\", required syntax is \"index:value\"\r\n"
     "Failed to set value \"3\" for option \"streamid\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"Attachments", "-attach a.ttf -attach b.ttf", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         ASSERT_EQ(c.Attachments.size(), 2u);
         EXPECT_EQ(c.Attachments[1], "b.ttf");
     }},
    {"ChannelLayout", "-channel_layout:a stereo", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "channel_layout:a"), "3");
         EXPECT_EQ(Specifier(c.AudioChannels, 0), "a");
         EXPECT_EQ(c.AudioChannels[0].Value.I, 2);
     }},
    {"UnknownChannelLayout", "-channel_layout wobbly", AVERROR(EINVAL),
     "Unknown channel layout: wobbly\r\nFailed to set value \"wobbly\" for option "
     "\"channel_layout\"\r\n" INVALID_ARGUMENT,
     nullptr},
    {"DeinterlaceAndVolumeSettings", "-deinterlace -vol 512", 0, "",
     [](const TTestJob& j, const TOptionsContext&) {
         EXPECT_EQ(j.DoDeinterlace, 1);
         EXPECT_EQ(j.AudioVolume, 512);
     }},
    {"Timecode", "-timecode 01:00:00:00", 0, "",
     [](const TTestJob&, const TOptionsContext& c) {
         EXPECT_EQ(Specifier(c.Metadata, 0), "g");
         EXPECT_EQ(Text(c.Metadata, 0), "timecode=01:00:00:00");
         EXPECT_EQ(DictValue(c.Group->CodecOpts.get(), "gop_timecode"), "01:00:00:00");
     }},
    {"FilterComplex", "-filter_complex \"[0:v]scale=32:24[out]\"", 0, "",
     [](const TTestJob& j, const TOptionsContext&) {
         ASSERT_EQ(j.FilterGraphCount(), 1);
         EXPECT_EQ(j.FilterGraph(0)->Index, 0);
         EXPECT_EQ(j.FilterGraph(0)->GraphDesc, "[0:v]scale=32:24[out]");
     }},
    {"VstatsFile", "-vstats_file a.log -vstats_file b.log", 0, "",
     [](const TTestJob& j, const TOptionsContext&) { EXPECT_EQ(j.VStatsFileName, "b.log"); }},
    {"UnreachableProgressUrl", "-progress /no/such/folder/progress.txt", -ENOENT,
     "Failed to open progress URL \"/no/such/folder/progress.txt\": No such file or directory\r\n"
     "Failed to set value \"/no/such/folder/progress.txt\" for option \"progress\"\r\n"
     "No such file or directory",
     nullptr},
    {"InvalidMaxAlloc", "-max_alloc lots", AVERROR(EINVAL), nullptr, nullptr},
};

TEST_P(ParseOptionsCases, ParsesIntoContextAndJob)
{
    const TParseCase& c = GetParam();
    const int32_t result = Parse(c.Options);
    EXPECT_EQ(result, c.Result);
    if (c.LastError) {
        EXPECT_EQ(job.LastErrorText, c.LastError);
    }
    if (c.Check)
        c.Check(job, ctx);
}

INSTANTIATE_TEST_SUITE_P(OptionStrings, ParseOptionsCases, ::testing::ValuesIn(ParseCases),
                         [](const ::testing::TestParamInfo<TParseCase>& testCase) { return testCase.param.Name; });

} // namespace

namespace {

// The strings the converter application writes, in its order.
TEST_F(OptionTest, ConverterApplicationInputString)
{
    ASSERT_EQ(Parse("-ss 12.5 -vn", "", "input file"), 0);
    EXPECT_EQ(ctx.StartTime, 12500000);
    EXPECT_EQ(ctx.VideoDisable, 1);
}

TEST_F(OptionTest, ConverterApplicationOutputString)
{
    const std::string options =
        "-b:a 128k -b:v 1200k -aspect 4:3 -t 10.5 -vn -f mp4 -ac 2 -ar 44100 -r 29.97 -c:a aac -astrict experimental "
        "-c:v mpeg4 -vf \"movie=/tmp/logo.png [watermark]; [in] scale=320:240,nativerotate=90 [scaled]; "
        "[scaled][watermark] overlay=10:10 [out]\" -threads 2 -sn";
    ASSERT_EQ(Parse(options), 0) << job.LastErrorText;
    AVDictionary* codecOpts = ctx.Group->CodecOpts.get();
    EXPECT_EQ(DictValue(codecOpts, "b:a"), "128k");
    EXPECT_EQ(DictValue(codecOpts, "b:v"), "1200k");
    EXPECT_EQ(DictValue(codecOpts, "astrict"), "experimental");
    EXPECT_EQ(DictValue(codecOpts, "threads"), "2");
    EXPECT_EQ(Text(ctx.FrameAspectRatios, 0), "4:3");
    EXPECT_EQ(ctx.RecordingTime, 10500000);
    EXPECT_EQ(ctx.VideoDisable, 1);
    EXPECT_EQ(ctx.Format.value_or("<none>"), "mp4");
    EXPECT_EQ(ctx.AudioChannels[0].Value.I, 2);
    EXPECT_EQ(ctx.AudioSampleRates[0].Value.I, 44100);
    EXPECT_EQ(Text(ctx.FrameRates, 0), "29.97");
    ASSERT_EQ(ctx.CodecNames.size(), 2u);
    EXPECT_EQ(Text(ctx.CodecNames, 0), "aac");
    EXPECT_EQ(Text(ctx.CodecNames, 1), "mpeg4");
    EXPECT_EQ(Specifier(ctx.Filters, 0), "v");
    EXPECT_EQ(Text(ctx.Filters, 0),
              "movie=/tmp/logo.png [watermark]; [in] scale=320:240,nativerotate=90 [scaled]; "
              "[scaled][watermark] overlay=10:10 [out]");
    EXPECT_EQ(ctx.SubtitleDisable, 1);
}

} // namespace
