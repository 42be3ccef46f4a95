// Preset texts and preset files.

#include <fstream>

#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

std::string WritePresetFile(const std::string& name, const std::string& text)
{
    const std::string path = ScratchFolder + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST_F(OptionTest, PresetFieldCarriesSeveralLinesAndComments)
{
    ASSERT_EQ(Parse("-c:v mpeg4", "# bit rates\n\nb:v=900k<CRLF>  bufsize=2M  \r\nmovflags=faststart"), 0);
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "b:v"), "900k");
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "bufsize"), "2M");
    EXPECT_EQ(DictValue(ctx.Group->FormatOpts.get(), "movflags"), "faststart");
    EXPECT_TRUE(Logged(llInfo,
                       "ParsePresets for output file:\r\n# bit rates\r\n\r\nb:v=900k<CRLF>  bufsize=2M  \r\n"
                       "movflags=faststart"));
}

TEST_F(OptionTest, PresetLineReplacesLibraryOptionOfTheOptionString)
{
    ASSERT_EQ(Parse("-threads 2", "threads=4"), 0);
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "threads"), "4");
}

TEST_F(OptionTest, CodecOfTheOptionStringWinsOverPresetCodec)
{
    job.OpenInput(AvFile);
    ASSERT_EQ(Parse("-c:a pcm_s16le", "ACodec=mp2"), 0);
    ASSERT_EQ(ctx.CodecNames.size(), 2u);
    EXPECT_EQ(ctx.CodecNames[0].Value.Str, "mp2");
    const char* audioCodec = "default";
    job.MatchStreamOption(ctx.CodecNames, job.InputFiles[0]->Ctx.get(), job.Stream(0, 1), audioCodec);
    EXPECT_STREQ(audioCodec, "pcm_s16le");
    const char* videoCodec = "default";
    job.MatchStreamOption(ctx.CodecNames, job.InputFiles[0]->Ctx.get(), job.Stream(0, 0), videoCodec);
    EXPECT_STREQ(videoCodec, "default");
}

TEST_F(OptionTest, PresetErrorsInStrictMode)
{
    const struct {
        const char* Presets;
        const char* LastError;
    } cases[] = {
        {"b:v=1M\nnovalue",
         "Invalid syntax: \"novalue\"\r\nInvalid argument / Invalid data found when processing input"},
        {"=1", "Invalid syntax: \"=1\"\r\nInvalid argument / Invalid data found when processing input"},
        {"bogus_opt=1",
         "Invalid option or argument: \"bogus_opt=1\", parsed as \"bogus_opt\" = \"1\"\r\nOption not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Presets);
        TTestJob local;
        TOptionsContext context{};
        local.InitOptionsContext(&context);
        EXPECT_LT(local.ParseOptions(&context, "", "output file", c.Presets), 0);
        EXPECT_EQ(local.LastErrorText, c.LastError);
        local.FreeOptionsContext(&context);
    }
}

TEST_F(OptionTest, PresetFileAppliesItsLines)
{
    const std::string path = WritePresetFile("fast.ffpreset", "# video\nvcodec=mpeg4\nb:v=300k\n");
    ASSERT_EQ(Parse("-fpre \"" + path + "\""), 0);
    ASSERT_EQ(ctx.CodecNames.size(), 1u);
    EXPECT_EQ(ctx.CodecNames[0].Specifier, "v");
    EXPECT_EQ(ctx.CodecNames[0].Value.Str, "mpeg4");
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "b:v"), "300k");
    EXPECT_TRUE(Logged(llInfo, "Parse preset file: " + path));
}

TEST_F(OptionTest, PresetFileErrorsNameTheFile)
{
    const std::string path = WritePresetFile("broken.ffpreset", "b:v=300k\nnot_an_option=1\n");
    EXPECT_EQ(Parse("-vpre \"" + path + "\""), AVERROR_OPTION_NOT_FOUND);
    EXPECT_TRUE(Logged(llError,
                       "broken.ffpreset: Invalid option or argument: \"not_an_option=1\", parsed as "
                       "\"not_an_option\" = \"1\""));
    const std::string syntaxPath = WritePresetFile("syntax.ffpreset", "just words\n");
    TTestJob local;
    TOptionsContext context{};
    local.InitOptionsContext(&context);
    EXPECT_EQ(local.ParseOptions(&context, "-apre \"" + syntaxPath + "\"", "output file", ""), AVERROR(EINVAL));
    EXPECT_TRUE(Logged(llError, syntaxPath + ": Invalid syntax: \"just words\""));
    local.FreeOptionsContext(&context);
}

TEST_F(OptionTest, MissingPresetFile)
{
    const std::string path = MediaFolder + "none.ffpreset";
    EXPECT_EQ(Parse("-fpre " + path), AVERROR(EINVAL));
    EXPECT_EQ(job.LastErrorText,
              "Preset file \"" + path + "\" not found\r\nFailed to set value \"" + path +
                  "\" for option \"fpre\"\r\nInvalid argument / Invalid data found when processing input");
}

} // namespace
