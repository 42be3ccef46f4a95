#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/IniFile.h"
#include "platform/core/Streams.h"
#include "platform/core/StringList.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ForceDirectories(folder_);
        DeleteFile(name_);
    }

    void WriteText(const std::string& text) { TStringStream(text).SaveToFile(name_); }

    std::string ReadText()
    {
        TStringStream content;
        content.LoadFromFile(name_);
        return content.DataString();
    }

    std::string folder_ = std::string(TEST_BINARY_DIR) + "/ini-test/";
    std::string name_ = folder_ + testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
};

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> items;
    for (int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

} // namespace

TEST_F(IniFileTest, ReadingFollowsTheProfileRules)
{
    WriteText("top=ignored\n"
              "; comment=no\n"
              "  [ Messages ]  \n"
              "  Hello  =  Hi there  \n"
              "Quoted=\"  kept  \"\n"
              "Single='x'\n"
              "Half=\"x\n"
              "Empty=\n"
              "hello=second\n"
              ";Hidden=1\n"
              "[messages]\n"
              "Other=from duplicate section\n"
              "[Main]\r\n");
    TIniFile ini(name_);
    const struct {
        const char* section;
        const char* ident;
        const char* expected;
    } cases[] = {
        {"MESSAGES", "hello", "Hi there"},  {"Messages", " Hello ", "Hi there"}, {"Messages", "Quoted", "  kept  "},
        {"Messages", "Single", "x"},        {"Messages", "Half", "\"x"},         {"Messages", "Empty", ""},
        {"Messages", ";Hidden", "default"}, {"Messages", "Other", "default"},    {"", "top", "default"},
        {"Main", "Hello", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.ident, "default"), c.expected) << c.section << "/" << c.ident;
}

TEST_F(IniFileTest, TypedReads)
{
    WriteText("[N]\nDec=-12\nHex=$1F\nCHex=0x10\nBad=12a\nOne=1\nZero=0\nWord=True\nF=2.5\nFBad=2,5\n");
    TIniFile ini(name_);
    EXPECT_EQ(ini.ReadInteger("N", "Dec", 0), -12);
    EXPECT_EQ(ini.ReadInteger("N", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "CHex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("N", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "Missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool("N", "One", false));
    EXPECT_FALSE(ini.ReadBool("N", "Zero", true));
    EXPECT_FALSE(ini.ReadBool("N", "Word", false)); // text is not a number: the default
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "F", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "FBad", 1), 1);
}

TEST_F(IniFileTest, ListingSectionsAndKeys)
{
    WriteText("[A]\nk1=1\nK2 = \"two\"\n[b]\n[B]\nx=1\n[C]\n;only=comment\n");
    TIniFile ini(name_);
    TStringList list;
    list.Add("stale");
    ini.ReadSections(list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"A", "b", "C"}));
    ini.ReadSection("a", list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"k1", "K2"}));
    ini.ReadSectionValues("A", list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"k1=1", "K2=two"}));
    EXPECT_TRUE(ini.SectionExists("a"));
    EXPECT_FALSE(ini.SectionExists("B")); // the first [b] has no keys
    EXPECT_FALSE(ini.SectionExists("C"));
    EXPECT_TRUE(ini.ValueExists("A", "k2"));
    EXPECT_FALSE(ini.ValueExists("A", "k3"));
}

// Names fold like the rest of the profile rules (accented Latin-1 letters
// too), a key written twice lists twice with the first one's value, and the
// look-ups stay right after each rewrite moves the lines.
TEST_F(IniFileTest, NamesFoldAndLookUpsFollowEveryRewrite)
{
    WriteText("[\xC3\x84rger]\nK=1\nk=2\n[Zw\xC3\xB6lf]\nA=x\n");
    TIniFile ini(name_);
    TStringList list;
    ini.ReadSectionValues("\xC3\xA4RGER", list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"K=1", "k=1"}));
    EXPECT_EQ(ini.ReadString("ZW\xC3\x96LF", "a", ""), "x");
    ini.WriteString("\xC3\xA4rger", "New", "3");
    ini.EraseSection("\xC3\x84RGER");
    ini.WriteString("Zw\xC3\xB6lf", "B", "y");
    EXPECT_EQ(ini.ReadString("Zw\xC3\xB6lf", "A", ""), "x");
    EXPECT_EQ(ini.ReadString("Zw\xC3\xB6lf", "b", ""), "y");
    EXPECT_FALSE(ini.SectionExists("\xC3\x84rger"));
    ini.ReadSections(list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Zw\xC3\xB6lf"}));
}

TEST_F(IniFileTest, WritingRewritesTheFileInPlace)
{
    WriteText("; settings\r\n[LANGUAGE]\r\nDefault=English\r\n\r\n[Other]\r\nx=1\r\n");
    TIniFile ini(name_);
    ini.WriteString("language", "DEFAULT", "Deutsch");
    ini.WriteString("Language", "Extra", " padded ");
    ini.WriteInteger("New", "Count", -3);
    ini.WriteBool("New", "Flag", true);
    EXPECT_EQ(ReadText(),
              "; settings\r\n[LANGUAGE]\r\nDEFAULT=Deutsch\r\nExtra= padded \r\n\r\n[Other]\r\nx=1\r\n"
              "\r\n[New]\r\nCount=-3\r\nFlag=1\r\n");
    EXPECT_EQ(ini.ReadString("Language", "Extra", ""), "padded");
    ini.DeleteKey("Other", "X");
    ini.EraseSection("language");
    EXPECT_EQ(ReadText(), "; settings\r\n[Other]\r\n\r\n[New]\r\nCount=-3\r\nFlag=1\r\n");
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedOnWrite)
{
    TIniFile ini(name_);
    EXPECT_EQ(ini.ReadString("S", "K", "d"), "d");
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Count(), 0);
    ini.WriteString("S", "K", "v");
    EXPECT_EQ(ReadText(), "[S]\nK=v\n");
}

TEST_F(IniFileTest, SeesChangesMadeByOthersAndKeepsTheByteOrderMark)
{
    WriteText("\xEF\xBB\xBF[S]\nK=1\n");
    TIniFile first(name_), second(name_);
    EXPECT_EQ(first.ReadString("S", "K", ""), "1");
    second.WriteString("S", "K", "22");
    EXPECT_EQ(first.ReadString("S", "K", ""), "22");
    EXPECT_EQ(ReadText(), "\xEF\xBB\xBF[S]\nK=22\n");
}

TEST_F(IniFileTest, FailedWriteRaisesAndChangesNothing)
{
    TIniFile ini(folder_ + "no-such-folder/Options.ini");
    EXPECT_THROW(ini.WriteString("S", "K", "v"), EFCreateError);
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "none");
    TIniFile directory(folder_);
    EXPECT_THROW(directory.WriteString("S", "K", "v"), EFCreateError);
    const std::string pipe = folder_ + "pipe.ini";
    DeleteFile(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    TIniFile special(pipe); // neither read (which would block) nor replaced
    EXPECT_EQ(special.ReadString("S", "K", "none"), "none");
    EXPECT_THROW(special.WriteString("S", "K", "v"), EFCreateError);
    DeleteFile(pipe);
    TIniFile good(name_);
    EXPECT_THROW(good.WriteString("S", "K", "one\n[Other]\nx=2"), EInvalidArgument);
    EXPECT_FALSE(FileExists(name_));
}
