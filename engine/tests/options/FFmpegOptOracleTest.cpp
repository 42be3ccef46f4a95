// The ffmpeg tool as an oracle: which library options exist, and the
// wording of the messages the engine shares with it.

#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

std::string ToolOutput(const std::string& input, const std::string& options)
{
    return CommandOutput("ffmpeg -nostdin -hide_banner -i \"" + input + "\" " + options + " -t 0.05 -f null - 2>&1");
}

class ToolOracle : public OptionTest {
protected:
    // Everything the engine said about one parse: log lines and error texts.
    std::string EngineOutput(const std::string& options)
    {
        logLines.clear();
        job.LastErrorText.clear();
        std::string text;
        try {
            Parse(options);
        } catch (const Exception& e) {
            text += e.Message() + "\n";
        }
        for (const TLogLine& line : logLines)
            text += line.Text + "\n";
        return text + job.LastErrorText;
    }
};

TEST_F(ToolOracle, LibraryOptionsAcceptedLikeTheTool)
{
    const char* const cases[] = {"-threads:v 2",       "-astrict experimental",     "-vstrict 1", "-movflags faststart",
                                 "-sws_flags lanczos", "-dither_method triangular", "-bogus 1",   "-sstrictly 1"};
    for (const char* options : cases) {
        SCOPED_TRACE(options);
        const std::string command = std::string("ffmpeg -nostdin -v quiet -f lavfi -i sine=duration=0.05 ") + options +
            " -f null - >/dev/null 2>&1";
        const bool toolAccepts = std::system(command.c_str()) == 0;
        EXPECT_EQ(Parse(options) == 0, toolAccepts);
    }
}

TEST_F(ToolOracle, SharedMessagesKeepTheToolsWording)
{
    job.OpenInput(AvFile);
    const struct {
        const char* Options;
        const char* Message;
    } cases[] = {
        {"-b 64k", "Please use -b:a or -b:v, -b is ambiguous"},
        {"-profile main", "Please use -profile:a or -profile:v, -profile is ambiguous"},
        {"-qscale 3", "Please use -q:a or -q:v, -qscale is ambiguous"},
        {"-map 1", "Invalid input file index: 1."},
        {"-map_channel 0.1.5", "mapchan: invalid audio channel #0.1.5"},
        {"-map_channel 0.1", "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]"},
        {"-channel_layout wobbly", "Unknown channel layout: wobbly"},
        {"-loglevel loud", "Invalid loglevel \"loud\". Possible levels are numbers or:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        EXPECT_NE(ToolOutput(AvFile, c.Options).find(c.Message), std::string::npos);
        EXPECT_NE(EngineOutput(c.Options).find(c.Message), std::string::npos);
    }
}

} // namespace
