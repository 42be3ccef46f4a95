#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> items;
    for (int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

using Texts = std::vector<std::string>;

} // namespace

TEST(StringList, SortedListsHonourDuplicates)
{
    const struct {
        TDuplicates duplicates;
        Texts expected;
    } cases[] = {
        {dupIgnore, {"a", "B", "c"}},
        {dupAccept, {"a", "b", "B", "c"}}, // an equal string goes before its equals
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.duplicates);
        for (const char* s : {"c", "B", "a", "b"})
            list.Add(s);
        EXPECT_EQ(Items(list), c.expected);
    }
    TStringList strict;
    strict.SetSorted(true);
    strict.SetDuplicates(dupError);
    strict.Add("x");
    EXPECT_THROW(strict.Add("X"), EListError);
    EXPECT_THROW(strict.Insert(0, "y"), EListError);
    EXPECT_THROW(strict.SetStrings(0, "y"), EListError);
}

TEST(StringList, FindAndIndexOfFollowCaseSensitivity)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char* s : {"beta", "Alpha", "delta", "alpha"})
        list.Add(s);
    int32_t index = -1;
    EXPECT_TRUE(list.Find("ALPHA", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find("charlie", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf("DELTA"), 4 - 1);
    list.SetCaseSensitive(true); // re-sorts: upper case first
    EXPECT_EQ(Items(list), (Texts{"Alpha", "alpha", "beta", "delta"}));
    EXPECT_EQ(list.IndexOf("DELTA"), -1);

    TStringList plain;
    plain.SetCommaText("x,Y,z");
    EXPECT_EQ(plain.IndexOf("y"), 1);
    EXPECT_EQ(plain.IndexOf("w"), -1);
}

TEST(StringList, CommaTextQuotesOnlyWhereNeeded)
{
    const struct {
        Texts items;
        const char* text;
    } cases[] = {
        {{"a", "b c", "d\"e", "f,g", ""}, "a,\"b c\",\"d\"\"e\",\"f,g\","},
        {{""}, "\"\""},
        {{}, ""},
        {{"caf\xC3\xA9"}, "caf\xC3\xA9"},
    };
    for (const auto& c : cases) {
        TStringList list;
        for (const auto& s : c.items)
            list.Add(s);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(Items(back), c.items);
    }
}

TEST(StringList, DelimitedTextParsing)
{
    const struct {
        const char* text;
        bool strict;
        Texts expected;
    } cases[] = {
        {"a b,c", false, {"a", "b", "c"}}, // blanks split too
        {"a b,c", true, {"a b", "c"}},
        {"  a , b ", false, {"a", "b"}},
        {"a,", false, {"a", ""}},
        {"a,,b", false, {"a", "", "b"}},
        {"\"x, \"\"y\"\"\",z", false, {"x, \"y\"", "z"}},
        {"\"open", false, {"open"}}, // an unclosed quote takes the rest
        {"\"q\"r", false, {"q", "r"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetStrictDelimiter(c.strict);
        list.SetDelimitedText(c.text);
        EXPECT_EQ(Items(list), c.expected) << c.text;
    }
    TStringList semi;
    semi.SetDelimiter(';');
    semi.SetQuoteChar('\'');
    semi.SetDelimitedText("'a;b';c");
    EXPECT_EQ(Items(semi), (Texts{"a;b", "c"}));
    EXPECT_EQ(semi.DelimitedText(), "'a;b';c");
    EXPECT_EQ(semi.CommaText(), "a;b,c");
}

TEST(StringList, NameValuePairs)
{
    TStringList list;
    list.SetText("Width=10\nTitle = x=y\nplain\n");
    EXPECT_EQ(list.Names(0), "Width");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Values("WIDTH"), "10");
    EXPECT_EQ(list.Values("Title "), " x=y");
    EXPECT_EQ(list.Values("Title"), "");
    EXPECT_EQ(list.ValueFromIndex(2), "");
    EXPECT_EQ(list.IndexOfName("width"), 0);
    list.SetValues("Height", "5");
    list.SetValues("Width", "");
    EXPECT_EQ(Items(list), (Texts{"Title = x=y", "plain", "Height=5"}));
    list.SetValueFromIndex(1, "v");
    EXPECT_EQ(list[1], "=v");
}

TEST(StringList, TextSplitsAtEveryLineBreakKind)
{
    TStringList list;
    list.SetText("a\r\nb\rc\n\nd");
    EXPECT_EQ(Items(list), (Texts{"a", "b", "c", "", "d"}));
    EXPECT_EQ(list.Text(), "a\nb\nc\n\nd\n");
    list.SetLineBreak("\r\n");
    list.SetText("x\n");
    EXPECT_EQ(list.Text(), "x\r\n");
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexErrorsAndObjects)
{
    TStringList list;
    TStringList marker;
    list.AddObject("a", &marker);
    list.Add("b");
    EXPECT_EQ(list.Objects(0), &marker);
    EXPECT_EQ(list.IndexOfObject(&marker), 0);
    list.Move(0, 1);
    EXPECT_EQ(Items(list), (Texts{"b", "a"}));
    EXPECT_EQ(list.Objects(1), &marker);
    try {
        list.Delete(2);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (2)");
    }
    EXPECT_THROW(list.Strings(-1), EListError);
    EXPECT_THROW(list.Insert(3, "x"), EListError);
}

TEST(StringList, ChangeEventsWrapUpdates)
{
    TStringList list;
    std::string log;
    list.OnChanging = [&](TObject* sender) { log += sender == &list ? "<" : "?"; };
    list.OnChange = [&](TObject*) { log += ">"; };
    list.Add("a");
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(log, "<><");
    list.EndUpdate();
    EXPECT_EQ(log, "<><>");
    list.SetCommaText("x,y,z"); // one notification for the whole parse
    EXPECT_EQ(log, "<><><>");
}

TEST(StringList, AssignCopiesStringsAndRefusesOtherClasses)
{
    TStringList source, target;
    source.SetCommaText("p,q");
    target.Add("old");
    target.Assign(&source);
    EXPECT_EQ(Items(target), (Texts{"p", "q"}));
    class TOther : public TPersistent {
    } other;
    try {
        target.Assign(&other);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TStringList");
    }
    try {
        target.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
    }
}

TEST(StringList, FilesSkipTheByteOrderMark)
{
    const std::string name = std::string(TEST_BINARY_DIR) + "/stringlist-bom.txt";
    TStringList out;
    out.SetText("\xEF\xBB\xBFone\ntwo");
    out.SaveToFile(name);
    TStringList in;
    in.LoadFromFile(name);
    EXPECT_EQ(Items(in), (Texts{"one", "two"}));
}
