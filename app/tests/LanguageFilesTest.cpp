#include "app/LanguageFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>

#include "app/ApplicationGlobals.h"
#include "app/Messages.h"
#include "app/OpenDocument.h"
#include "app/tests/AppTestSupport.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

const std::string SampleFile = TEST_SOURCE_DIR "/fixtures/Sample.isl";

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> items;
    for (int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

} // namespace

TEST(LanguageFilesTest, SplitStringDropsOnlyTheEmptyLastPart)
{
    struct Case {
        std::string Text;
        std::vector<std::string> Parts;
    };
    const Case cases[] = {
        {"a||b||", {"a", "b"}}, {"a||||b", {"a", "", "b"}}, {"", {}},
        {"a", {"a"}},           {"||a", {"", "a"}},         {"a||b", {"a", "b"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("left over");
        SplitString(c.Text, "||", list);
        EXPECT_EQ(Items(list), c.Parts) << c.Text;
    }
}

TEST(LanguageFilesTest, LanguageFileNameByIndex)
{
    const std::pair<int32_t, const char*> cases[] = {
        {0, "English"}, {1, "English"},  {2, "Spanish"}, {3, "German"},    {4, "Italian"},   {5, "French"},
        {6, "Chinese"}, {7, "Japanese"}, {8, "English"}, {134, "Chinese"}, {127, "English"}, {-1, "English"},
    };
    for (const auto& [index, name] : cases)
        EXPECT_EQ(LanguageFileName(index), std::string("Languages/") + name + ".isl") << index;
}

TEST(LanguageFilesTest, LoadMessagesGivesMissingKeysTheirEnglishText)
{
    TIniFile file(SampleFile);
    LoadMessages(file);
    EXPECT_EQ(MS_Auto, "Automatic");
    EXPECT_EQ(MS_Ready, "Waiting");
    EXPECT_EQ(MS_Close, "Ok");
    EXPECT_EQ(MS_ErrorLib, "Can not load library!");
    EXPECT_EQ(MS_InfoComplet, "Completed all the tasks.");
    RestoreDefaultMessages();
    EXPECT_EQ(MS_Auto, "Auto");
    EXPECT_EQ(MessageTexts().size(), 15u);
}

class FormLanguageTest : public AppUiTest {
protected:
    FormLanguageTest()
    {
        RegisterStandardControls();
        form.SetName("FrmSample");
        form.SetCaption("Built in");
        for (TControl* control : {static_cast<TControl*>(labelOne), static_cast<TControl*>(labelTwo),
                                  static_cast<TControl*>(combo), static_cast<TControl*>(list)})
            control->SetParent(&form);
        labelOne->SetName("LabelOne");
        labelTwo->SetName("LabelTwo");
        labelTwo->SetWidth(40);
        combo->SetName("ComboBoxList");
        list->SetName("ListViewFiles");
        for (const char* caption : {"A", "B", "C"})
            list->Columns()->Add()->SetCaption(caption);
    }

    TForm form{nullptr};
    TEdit* labelOne = new TEdit(&form);
    TEdit* labelTwo = new TEdit(&form);
    TComboBox* combo = new TComboBox(&form);
    TListView* list = new TListView(&form);
};

TEST_F(FormLanguageTest, AppliesLinesUntilTheFirstBadOne)
{
    const std::string fontName = labelOne->Font()->Name();
    EXPECT_TRUE(LoadFormLanguage(form, SampleFile));

    EXPECT_EQ(form.Caption(), "Sample Window");
    EXPECT_EQ(labelOne->Caption(), "a"); // the text after a second "=" is lost
    EXPECT_EQ(labelOne->Font()->Name(), fontName); // sub-object paths are not followed
    EXPECT_EQ(Items(*combo->Items()), (std::vector<std::string>{"One", "Two", "Three"}));
    ASSERT_EQ(list->Columns()->Count(), 3);
    EXPECT_EQ(list->Columns()->Items(0)->Caption(), "File");
    EXPECT_EQ(list->Columns()->Items(2)->Caption(), "Time");
    EXPECT_EQ(labelTwo->Hint(), "before the bad line");
    EXPECT_EQ(labelTwo->Width(), 40);
    EXPECT_EQ(labelTwo->Caption(), "");
}

TEST_F(FormLanguageTest, MissingFileOrSectionChangesNothing)
{
    EXPECT_TRUE(LoadFormLanguage(form, TEST_BINARY_DIR "/no-such-file.isl"));
    form.SetName("FrmNone");
    EXPECT_TRUE(LoadFormLanguage(form, SampleFile));
    EXPECT_EQ(form.Caption(), "Built in");
}

TEST_F(FormLanguageTest, SetComponentPropertyByType)
{
    SetComponentProperty(labelTwo, "Width", "$20");
    EXPECT_EQ(labelTwo->Width(), 32);
    EXPECT_THROW(SetComponentProperty(labelTwo, "Width", "12px"), EConvertError);
    SetComponentProperty(labelTwo, "Visible", "False"); // other types are ignored
    EXPECT_TRUE(labelTwo->Visible());
    SetComponentProperty(nullptr, "Caption", "x");
    SetComponentProperty(labelTwo, "NoSuchProperty", "x");
    SetComponentProperty(list, "Columns", "Only");
    EXPECT_EQ(list->Columns()->Items(0)->Caption(), "Only");
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), "B");
}

TEST(LanguageFilesTest, ProgramFolderEndsWithOneSlash)
{
    EXPECT_EQ(ProgramFolderOf("/opt/converter/converter"), "/opt/converter/");
    EXPECT_EQ(ProgramFolderOf("/converter"), "/");
}

TEST(LanguageFilesTest, CurrentLanguageFileIsBesideTheProgram)
{
    ApplicationFolder = "/opt/converter/";
    LanguageIndex = 6;
    EXPECT_EQ(CurrentLanguageFile(), "/opt/converter/Languages/Chinese.isl");
}

TEST(OpenDocumentTest, HandsTheTrimmedTargetToTheLauncher)
{
    std::vector<std::vector<std::string>> launched;
    SetDocumentLauncher([&](const std::vector<std::string>& command) { launched.push_back(command); });
    OpenDocument("   ");
    OpenDocument("");
    OpenDocument("  /opt/converter/README.md ");
    SetDocumentLauncher(nullptr);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", "/opt/converter/README.md"}));
}

TEST(OpenDocumentTest, DetachedLaunchDoesNotWaitForTheProgram)
{
    // The program blocks writing into a pipe that only this test reads after
    // the launch returned: a launch that waited would never return.
    const std::string pipe = TEST_BINARY_DIR "/launch-pipe";
    std::remove(pipe.c_str());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    LaunchDetached({"sh", "-c", "echo started > '" + pipe + "'"});
    std::ifstream reader(pipe);
    std::string line;
    std::getline(reader, line);
    EXPECT_EQ(line, "started");
    // Nothing to start is no error.
    LaunchDetached({"/no/such/program"});
    LaunchDetached({});
}
