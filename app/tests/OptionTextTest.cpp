#include "app/OptionText.h"

#include <gtest/gtest.h>

#include "engine/MyUtils.h"

TEST(OptionTextTest, ShortestDecimalNeverUsesAnExponentOrTheLocale)
{
    const std::pair<double, const char*> cases[] = {
        {12.2, "12.2"},     {4.75, "4.75"}, {128, "128"},
        {1.5, "1.5"},       {90, "90"},     {100000, "100000"},
        {0.0001, "0.0001"}, {0, "0"},       {1e21, "1000000000000000000000"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(ShortestDecimal(value), text) << value;
    EXPECT_EQ(SecondsText(500000), "0.5");
    EXPECT_EQ(SecondsText(90000000), "90");
    EXPECT_EQ(SecondsText(1), "0.000001");
}

TEST(OptionTextTest, ZeroPad3WidensToThreeDigitsOnly)
{
    EXPECT_EQ(ZeroPad3(1), "001");
    EXPECT_EQ(ZeroPad3(12), "012");
    EXPECT_EQ(ZeroPad3(999), "999");
    EXPECT_EQ(ZeroPad3(1000), "1000");
}

TEST(OptionTextTest, OptionsAndFiltersJoin)
{
    std::string options;
    AddOption(options, "-sn");
    AddOption(options, "-r 25");
    EXPECT_EQ(options, " -sn -r 25");
    std::string chain;
    AddFilter(chain, "");
    AddFilter(chain, "pad=1:2:0:0:black");
    AddFilter(chain, "");
    AddFilter(chain, "scale=1:2");
    EXPECT_EQ(chain, "pad=1:2:0:0:black,scale=1:2");
}

TEST(OptionTextTest, FilterEscapingBackslashesEachParsersSpecials)
{
    EXPECT_EQ(EscapeFilterOptionValue("/a/b.png"), "/a/b.png");
    EXPECT_EQ(EscapeFilterOptionValue("C:\\x='y'"), "C\\:\\\\x\\=\\'y\\'");
    EXPECT_EQ(EscapeFilterOptionValue(" a b "), "\\ a b\\ ");
    EXPECT_EQ(EscapeFilterOptionValue("[,;]"), "[,;]");
    EXPECT_EQ(EscapeFilterGraphText("a,b;c[d]e'f\\g:h=i"), "a\\,b\\;c\\[d\\]e\\'f\\\\g:h=i");
    EXPECT_EQ(EscapeFilterGraphText("\\ x\\ "), "\\\\ x\\\\\\ ");
}

TEST(OptionTextTest, QuotedValuesSurviveTheEnginesSplitter)
{
    const std::string values[] = {"scale=640:480", "a\"b", "a\\\"b", "tail\\", "x\\\\y\\\\", "a b\\ c", ""};
    for (const std::string& value : values) {
        const auto tokens = SplitCommandLine(" -vf " + QuoteOptionValue(value) + " -sn");
        ASSERT_EQ(tokens.size(), 3u) << value;
        EXPECT_EQ(tokens[1], value);
        EXPECT_EQ(tokens[2], "-sn");
    }
    EXPECT_EQ(QuoteOptionValue("scale=640:480"), "\"scale=640:480\"");
}
