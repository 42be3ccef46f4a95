// Log levels chosen by options, and the warnings and errors options log.

#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

struct TLevelCase {
    const char* Options;
    TLogLevel Expected;
};

class LogLevelOption : public OptionTest, public ::testing::WithParamInterface<TLevelCase> {};

TEST_P(LogLevelOption, SetsTheProcessLogLevel)
{
    EXPECT_EQ(Parse(GetParam().Options), 0);
    EXPECT_EQ(Logger()->LogLevel(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(NamesAndNumbers, LogLevelOption,
                         ::testing::Values(TLevelCase{"-loglevel debug", llDebug}, TLevelCase{"-loglevel 48", llDebug},
                                           TLevelCase{"-v error", llError}, TLevelCase{"-v 17", llError},
                                           TLevelCase{"-loglevel quiet", llQuiet},
                                           TLevelCase{"-loglevel -100", llQuiet}, TLevelCase{"-loglevel 1000", llDebug},
                                           TLevelCase{"-loglevel verbose -c copy", llVerbose},
                                           TLevelCase{"-debug 1", llDebug}));

TEST_F(OptionTest, UnknownLogLevelListsTheLevelNames)
{
    EXPECT_EQ(Parse("-loglevel loud"), AVERROR(EINVAL));
    EXPECT_EQ(
        job.LastErrorText,
        "Invalid loglevel \"loud\". Possible levels are numbers or:\r\n"
        "\"quiet\"\r\n\"panic\"\r\n\"fatal\"\r\n\"error\"\r\n\"warning\"\r\n\"info\"\r\n\"verbose\"\r\n\"debug\"\r\n"
        "\r\nFailed to set value \"loud\" for option \"loglevel\"\r\n"
        "Invalid argument / Invalid data found when processing input");
    EXPECT_EQ(Logger()->LogLevel(), llInfo);
}

TEST_F(OptionTest, WarningsOfAcceptedOptions)
{
    ASSERT_EQ(Parse("-b 500k -profile main -qscale 3 -deinterlace -version"), 0);
    EXPECT_TRUE(Logged(llWarning, "Please use -b:a or -b:v, -b is ambiguous"));
    EXPECT_TRUE(Logged(llWarning, "Please use -profile:a or -profile:v, -profile is ambiguous"));
    EXPECT_TRUE(Logged(llWarning, "Please use -q:a or -q:v, -qscale is ambiguous"));
    EXPECT_TRUE(Logged(llWarning, "-deinterlace is deprecated, use -filter:v yadif instead"));
    EXPECT_TRUE(Logged(llWarning, "options \"version\" not supported, ignore"));
    EXPECT_TRUE(Logged(llInfo, "ParseOptions for output file: -b 500k -profile main -qscale 3 -deinterlace -version"));
}

TEST_F(OptionTest, UnknownOptionIsReportedAndFailsInStrictMode)
{
    EXPECT_EQ(Parse("-c copy -bogus"), AVERROR_OPTION_NOT_FOUND);
    EXPECT_TRUE(Logged(llError, "Unrecognized option \"bogus\"."));
    EXPECT_TRUE(Logged(llFatal, "Option not found"));
}

TEST_F(OptionTest, WithoutStrictModeUnknownOptionsAndStrayTokensAreSkipped)
{
    job.StrictOptions = false;
    EXPECT_EQ(Parse("-unheard stray -c copy"), 0);
    EXPECT_TRUE(Logged(llError, "Unrecognized option \"unheard\"."));
    EXPECT_TRUE(Logged(llWarning, "Invalid option stray found while parsing options, ignore"));
    EXPECT_EQ(ctx.CodecNames.size(), 1u);
    EXPECT_EQ(job.LastErrorText, "");
}

TEST_F(OptionTest, ConversionErrorsLeaveTheParseAsExceptions)
{
    const struct {
        const char* Options;
        const char* Message;
    } cases[] = {
        {"-ar fast", "Expected integer for \"ar\" but found \"fast\""},
        {"-fs big", "Expected int64 for \"fs\" but found \"big\""},
        {"-muxdelay 0,25", "Expected float for \"muxdelay\" but found \"0,25\""},
        {"-itsscale:v x", "Expected double for \"itsscale:v\" but found \"x\""},
        {"-t soon", "Invalid duration specification for \"t\": \"soon\""},
        {"-timestamp never", "Invalid date specification for \"timestamp\": \"never\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        TTestJob local;
        TOptionsContext context{};
        local.InitOptionsContext(&context);
        try {
            local.ParseOptions(&context, c.Options, "output file", "");
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        local.FreeOptionsContext(&context);
    }
}

TEST_F(OptionTest, EmptyOptionsAndPresetsLogNothing)
{
    EXPECT_EQ(Parse("", ""), 0);
    EXPECT_TRUE(logLines.empty());
}

} // namespace
