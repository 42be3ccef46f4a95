#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Format, FormatsPrintfStyleOfAnyLength)
{
    EXPECT_EQ(Format("%.2d:%.2d:%.2d.%.3d", 1, 2, 3, 45), "01:02:03.045");
    EXPECT_EQ(Format("[%.8x] [%X] [%s] [%5s] [%-3d]", 0xabcu, 255u, "text", "ab", 7),
              "[00000abc] [FF] [text] [   ab] [7  ]");
    EXPECT_EQ(Format("%s", ""), "");
    const std::string longText(5000, 'q');
    EXPECT_EQ(Format("<%s|%s>", longText.c_str(), longText.c_str()), "<" + longText + "|" + longText + ">");
}

TEST(Format, CreateFmtBuildsTheExceptionText)
{
    const EReadError e = CreateFmt<EReadError>("%s at %d", std::string("bad"), 3);
    EXPECT_EQ(e.Message(), "bad at 3");
    EXPECT_STREQ(e.what(), "bad at 3");
}

TEST(Utf8, CountsAndIndexesCodePoints)
{
    const std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z"; // a é 中 😀 z
    EXPECT_EQ(Utf8Length(s), 5u);
    EXPECT_EQ(Utf8ByteOffset(s, 3), 6u);
    EXPECT_EQ(Utf8ByteOffset(s, 99), s.size());
    EXPECT_EQ(Utf8Copy(s, 1, 2), "\xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(Utf8At(s, 3), U'\U0001F600');
    EXPECT_EQ(Utf8At(s, 5), 0u);
    EXPECT_EQ(Utf32ToUtf8(Utf8ToUtf32(s)), s);
}

TEST(Utf8, MalformedBytesDecodeAsReplacementOneByteAtATime)
{
    const struct {
        std::string bytes;
        std::u32string decoded;
    } cases[] = {
        {"\xFF"
         "a",
         U"\uFFFDa"},
        {"\xC3", U"\uFFFD"}, // truncated
        {"\xC0\xAF", U"\uFFFD\uFFFD"}, // overlong
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"}, // surrogate
        {"\xE4\xB8"
         "a",
         U"\uFFFD\uFFFDa"}, // missing continuation
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToUtf32(c.bytes), c.decoded);
}

TEST(Case, AsciiAndLatin1)
{
    EXPECT_EQ(UpperCase("abc\xC3\xA9"), "ABC\xC3\xA9");
    EXPECT_EQ(AnsiUpperCase("abc\xC3\xA9\xC3\xB7\xC3\xBF"), "ABC\xC3\x89\xC3\xB7\xC3\xBF"); // ÷ and ÿ stay
    EXPECT_EQ(AnsiLowerCase("\xC3\x89X\xC3\x97"), "\xC3\xA9x\xC3\x97"); // × stays
    EXPECT_TRUE(SameText("Default", "DEFAULT"));
    EXPECT_FALSE(SameText("\xC3\xA9", "\xC3\x89"));
    EXPECT_TRUE(AnsiSameText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_LT(AnsiCompareText("z", "\xC3\xA9"), 0);
}

TEST(Trim, RemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x01"), "  a");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Split, KeepsEmptyParts)
{
    EXPECT_EQ(SplitString("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(SplitString("", ','), (std::vector<std::string>{""}));
}

TEST(StringReplace, HonoursTheFlags)
{
    EXPECT_EQ(StringReplace("aXbxc", "x", "--", 0), "aXb--c");
    EXPECT_EQ(StringReplace("aXbxcx", "x", "-", rfIgnoreCase), "a-bxcx");
    EXPECT_EQ(StringReplace("aXbxcx", "x", "-", rfReplaceAll | rfIgnoreCase), "a-b-c-");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
}

TEST(Integers, ParseLikeTheClassLibrary)
{
    const struct {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"42", true, 42},
        {"  -17", true, -17},
        {"+5", true, 5},
        {"$1F", true, 31},
        {"0x10", true, 16},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"12 ", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"1e3", false, 0},
        {"$G", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    int64_t big = 0;
    EXPECT_TRUE(TryStrToInt64("-9223372036854775808", big));
    EXPECT_EQ(big, INT64_MIN);
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
}

TEST(Integers, ConversionErrorsAndDefaults)
{
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x1' is not a valid integer value");
    }
    EXPECT_EQ(StrToIntDef("oops", 9), 9);
    EXPECT_EQ(IntToStr(-12), "-12");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x12345, 2), "12345");
    EXPECT_EQ(IntToHex(-1, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t{-2}, 1), "FFFFFFFFFFFFFFFE");
    EXPECT_EQ(IntToHex(static_cast<int8_t>(-1), 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(0xABCull, 1), "ABC");
}

TEST(Floats, UseThePointAndTheClassLibraryExponentForm)
{
    EXPECT_DOUBLE_EQ(StrToFloat(" 1.25 "), 1.25);
    EXPECT_DOUBLE_EQ(StrToFloat("-3e2"), -300.0);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_THROW(StrToFloat("0x10"), EConvertError);
    EXPECT_THROW(StrToFloat("nan"), EConvertError);
    EXPECT_THROW(StrToFloat("+-1"), EConvertError);
    EXPECT_THROW(StrToFloat("1e999"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_EQ(StrToFloatDef("", 2.5), 2.5);
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {1.5, "1.5"},
        {100, "100"},
        {-0.25, "-0.25"},
        {1e20, "1E20"},
        {1.5e-5, "1.5E-5"},
        {1.0 / 3, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text);
}

TEST(Floats, FormattedByTheClassLibraryFormats)
{
    const struct {
        double value;
        TFloatFormat format;
        int32_t precision;
        int32_t digits;
        const char* text;
    } cases[] = {
        {1234.5678, ffGeneral, 15, 0, "1234.5678"},
        {1234.5678, ffGeneral, 6, 0, "1234.57"},
        {1234.5678, ffGeneral, 3, 0, "1.23E3"},
        {1234.5678, ffGeneral, 3, 2, "1.23E03"},
        {999.96, ffGeneral, 4, 0, "1000"},
        {9999.6, ffGeneral, 4, 0, "1E4"},
        {0.0001, ffGeneral, 15, 0, "0.0001"},
        {0.00001234, ffGeneral, 15, 0, "1.234E-5"},
        {-2.5, ffGeneral, 15, 0, "-2.5"},
        {0.0, ffGeneral, 15, 0, "0"},
        {0.5, ffGeneral, 1, 0, "0.5"},
        {1234.5678, ffExponent, 4, 2, "1.235E+03"},
        {-0.0012, ffExponent, 3, 0, "-1.20E-3"},
        {10.0, ffExponent, 2, 9, "1.0E+0001"},
        {0.0, ffExponent, 3, 0, "0.00E+0"},
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {0.125, ffFixed, 15, 2, "0.13"},
        {2.5, ffFixed, 15, 0, "3"},
        {1.0 / 3, ffFixed, 4, 6, "0.333300"},
        {123.456, ffFixed, 4, 2, "123.50"},
        {9.9996, ffFixed, 4, 2, "10.00"},
        {0.001, ffFixed, 15, 2, "0.00"},
        {-0.001, ffFixed, 15, 2, "0.00"},
        {-0.006, ffFixed, 15, 2, "-0.01"},
        {123456.0, ffFixed, 4, 2, "1.235E5"},
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-123456.0, ffNumber, 15, 0, "-123,456"},
        {999.0, ffNumber, 15, 1, "999.0"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-0.5, ffCurrency, 15, 2, "-$0.50"},
        {std::nan(""), ffFixed, 15, 2, "NAN"},
        {HUGE_VAL, ffGeneral, 15, 0, "INF"},
        {-HUGE_VAL, ffNumber, 15, 2, "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text)
            << c.value << " format " << c.format << " precision " << c.precision << " digits " << c.digits;
}

TEST(Booleans, BothTextForms)
{
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false, true), "False");
    bool value = false;
    EXPECT_TRUE(TryStrToBool("true", value) && value);
    EXPECT_TRUE(TryStrToBool("0", value) && !value);
    EXPECT_FALSE(TryStrToBool("yes", value));
}
