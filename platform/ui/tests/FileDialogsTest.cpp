#include "UiTestSupport.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/core/Files.h"
#include "platform/ui/BrowseFolderForm.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/DialogIcons.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FileMasks.h"
#include "platform/ui/ListView.h"
#include "platform/ui/OpenFileForm.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(FileMasksTest, MasksMatchWithoutRegardToCase)
{
    struct TCase {
        const char* Name;
        const char* Mask;
        bool Matches;
    };
    const TCase cases[] = {
        {"clip.MP4", "*.mp4", true}, {"clip.mp4.part", "*.mp4", false},
        {"a.b.png", "*.png", true},  {"noext", "*.*", true},
        {"ab.png", "?b.png", true},  {"b.png", "?b.png", false},
        {"été.png", "ÉTÉ.*", true},  {"x", "*", true},
        {"clip.mp", "*.mp4", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
}

TEST(FileMasksTest, FilterStringsSplitIntoNamesAndMasks)
{
    std::vector<TFileFilter> filters = ParseFileFilter("Video|*.mp4; *.avi|PNG(*.png)|*.png|Rest");
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].Name, "Video");
    EXPECT_EQ(filters[0].Masks, (std::vector<std::string>{"*.mp4", "*.avi"}));
    EXPECT_EQ(filters[1].Masks, (std::vector<std::string>{"*.png"}));
    EXPECT_EQ(filters[2].Masks, (std::vector<std::string>{"*"}));
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("|*.x|Name|").empty());
}

// A folder with a sub-folder and a few files, made for each test.
class FileDialogsTest : public UiTest {
protected:
    void SetUp() override
    {
        root = IncludeTrailingPathDelimiter(GetTempDir()) + "file-dialogs-" + std::to_string(::getpid()) + "/";
        std::filesystem::remove_all(root);
        ForceDirectories(root + "sub");
        for (const char* name : {"a.mp4", "b.PNG", "notes.txt", "sub/c.png", ".hidden.png"})
            std::ofstream(root + name) << name;
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    static std::vector<std::string> Rows(TListView* list)
    {
        std::vector<std::string> rows;
        for (int32_t i = 0; i < list->Items()->Count(); ++i)
            rows.push_back(list->Items()->Item(i)->Caption());
        return rows;
    }
    // Screen point of a row of a file list.
    static TPoint RowPoint(TListView* list, const std::string& caption)
    {
        for (int32_t i = 0; i < list->Items()->Count(); ++i)
            if (list->Items()->Item(i)->Caption() == caption) {
                TRect r = list->Items()->Item(i)->DisplayRect(drLabel);
                return list->ClientToScreen({r.Left + 5, r.Top + r.Height() / 2});
            }
        ADD_FAILURE() << "no row " << caption;
        return {};
    }
    static TPoint Centre(TControl* control)
    {
        return control->ClientToScreen({control->Width() / 2, control->Height() / 2});
    }

    std::string root;
};

TEST_F(FileDialogsTest, TypingAnExistingNameChoosesIt)
{
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    dialog.OnShow = [this](TObject*) {
        backend.TypeText("a.mp4");
        backend.PressKey(VK_RETURN);
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), root + "a.mp4");
    EXPECT_EQ(dialog.Form(), nullptr);
}

TEST_F(FileDialogsTest, TheFilterDecidesWhichFilesAreListed)
{
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    dialog.SetFilter("PNG(*.png)|*.png");
    dialog.SetFileName(root + "proposed.png");
    std::vector<std::string> rows;
    std::string proposed;
    dialog.OnShow = [&](TObject*) {
        rows = Rows(dialog.Form()->FileList());
        proposed = dialog.Form()->FileNameEdit()->Text();
        backend.PressKey(VK_ESCAPE);
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(rows, (std::vector<std::string>{"..", "sub", "b.PNG"}));
    EXPECT_EQ(proposed, "proposed.png");
    EXPECT_EQ(dialog.FileName(), root + "proposed.png") << "cancelling keeps the old name";
}

TEST_F(FileDialogsTest, RowsShowFolderFileAndVideoIcons)
{
    TOpenFileForm dialog(nullptr, ParseFileFilter("All|*"), 1);
    dialog.ShowFolder(root);
    dialog.Show();
    Pump();
    TListView* list = dialog.FileList();
    std::map<std::string, int32_t> icons;
    for (int32_t i = 0; i < list->Items()->Count(); ++i)
        icons[list->Items()->Item(i)->Caption()] = list->Items()->Item(i)->ImageIndex();
    EXPECT_EQ(icons,
              (std::map<std::string, int32_t>{{"..", fiFolder},
                                              {"sub", fiFolder},
                                              {"a.mp4", fiVideo},
                                              {"b.PNG", fiFile},
                                              {"notes.txt", fiFile}}));
    // The folder icon is drawn, in its yellow.
    const TRect icon = list->Items()->Item(1)->DisplayRect(drIcon);
    const TPoint middle = list->ClientToScreen({icon.Left + 8, icon.Top + icon.Height() / 2 + 1});
    const TColor folder = StorePixel(dialog, middle.X - dialog.Left(), middle.Y - dialog.Top());
    EXPECT_GT(GetRValue(folder), GetBValue(folder) + 100);
    EXPECT_EQ(FileIconFor("CLIP.MKV"), fiVideo);
    EXPECT_EQ(FileIconFor("mkv"), fiFile);
}

TEST_F(FileDialogsTest, AMissingNameBeepsAndKeepsTheDialogOpen)
{
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    dialog.OnShow = [this](TObject*) {
        backend.TypeText("missing.mp4");
        backend.PressKey(VK_RETURN);
        backend.PressKey(VK_ESCAPE);
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(backend.Beeps().size(), 1u);
}

TEST_F(FileDialogsTest, MouseOpensAFolderAndPicksAFileThere)
{
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    dialog.SetFilter("Video|*.mp4|Pictures|*.png");
    dialog.SetFilterIndex(2);
    std::vector<std::string> folders;
    dialog.OnShow = [&](TObject*) {
        TPoint sub = RowPoint(dialog.Form()->FileList(), "sub");
        backend.Click(sub);
        backend.Click(sub);
    };
    dialog.OnFolderChange = [&](TObject*) {
        TOpenFileForm* form = dialog.Form();
        folders.push_back(form->Folder());
        if (folders.size() == 2 && form->Showing()) {
            backend.TestClock().AdvanceMs(1000);
            backend.Click(RowPoint(form->FileList(), "c.png"));
            backend.Click(Centre(form->OkButton()));
        }
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), root + "sub/c.png");
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_EQ(folders.back(), root + "sub/");
}

TEST_F(FileDialogsTest, ChangingTheFileTypeListsOtherFiles)
{
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir(root);
    dialog.SetFilter("Video|*.mp4|Pictures|*.png");
    std::vector<std::string> before;
    std::vector<std::string> after;
    dialog.OnShow = [&](TObject*) {
        before = Rows(dialog.Form()->FileList());
        backend.Click(Centre(dialog.Form()->TypeCombo()));
        backend.PressKey(VK_DOWN);
    };
    dialog.OnTypeChange = [&](TObject*) {
        after = Rows(dialog.Form()->FileList());
        backend.PressKey(VK_RETURN);
        backend.Click(RowPoint(dialog.Form()->FileList(), "b.PNG"));
        backend.Click(RowPoint(dialog.Form()->FileList(), "b.PNG"));
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(before, (std::vector<std::string>{"..", "sub", "a.mp4"}));
    EXPECT_EQ(after, (std::vector<std::string>{"..", "sub", "b.PNG"}));
    EXPECT_EQ(dialog.FileName(), root + "b.PNG");
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(FileDialogsTest, FolderBrowserAnswersTheSelectedOrTheShownFolder)
{
    TFolderBrowser browser(nullptr);
    browser.SetFolder(root);
    std::vector<std::string> rows;
    browser.OnShow = [&](TObject*) {
        rows = Rows(browser.Form()->FileList());
        backend.PressKey(VK_DOWN);
        backend.PressKey(VK_DOWN);
        backend.PressKey(VK_RETURN);
    };
    ASSERT_TRUE(browser.Execute());
    EXPECT_EQ(rows, (std::vector<std::string>{"..", "sub"})) << "no files in a folder browser";
    EXPECT_EQ(browser.Folder(), root + "sub");

    std::string directory = root;
    backend.PressKey(VK_RETURN);
    ASSERT_TRUE(SelectDirectory("", "/", directory));
    EXPECT_EQ(directory, ExcludeTrailingPathDelimiter(root));

    directory = root + "gone";
    backend.PressKey(VK_ESCAPE);
    EXPECT_FALSE(SelectDirectory("Pick", root + "sub", directory));
    EXPECT_EQ(directory, root + "gone");
}

TEST_F(FileDialogsTest, EnterOnTheParentRowGoesUp)
{
    TFolderBrowser browser(nullptr);
    browser.SetFolder(root + "sub");
    std::vector<std::string> folders;
    browser.OnShow = [&](TObject*) {
        backend.PressKey(VK_DOWN);
        backend.PressKey(VK_RETURN);
    };
    browser.OnFolderChange = [&](TObject*) {
        folders.push_back(browser.Form()->Folder());
        if (folders.size() == 2)
            backend.PressKey(VK_ESCAPE);
    };
    EXPECT_FALSE(browser.Execute());
    EXPECT_EQ(folders, (std::vector<std::string>{root + "sub/", root}));
}

} // namespace
