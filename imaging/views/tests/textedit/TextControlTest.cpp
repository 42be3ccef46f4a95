#include "imaging/views/textedit/QkEdit.h"
#include "imaging/views/textedit/QkTextControl.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "imaging/core/QkCanvas.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/Strings.h"
#include "platform/ui/Caret.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Form.h"
#include "platform/ui/Messages.h"

namespace {

// Every character 10 pixels wide (CJK 20, the full block 1000) in lines 16
// high with a leading of 2 and a descent of 3.
class FixedWidthMeasurer : public TQkTextMeasurer {
public:
    TQkCharMetrics Measure(char32_t c, const TFont&) override
    {
        const int32_t width = c == U'\u2588' ? 1000 : c >= 0x2E80 ? 20 : 10;
        return {width, 16, 2, 3};
    }
};

class TextControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        TextControlShortcuts = BuildTextControlShortcuts();
        TextControlStaticInit();
        form.SetBounds(0, 0, 400, 300);
        control = new TQkTextControl(&form);
        control->SetParent(&form);
        control->SetBounds(10, 10, 200, 100);
        control->SetMeasurer(std::make_unique<FixedWidthMeasurer>());
        form.Show();
        desktop.Pump();
        Click(5, 5);
    }

    TPoint Screen(int32_t x, int32_t y) { return control->ClientToScreen({x, y}); }
    void Click(int32_t x, int32_t y)
    {
        desktop.Backend().Click(Screen(x, y));
        desktop.Pump();
    }
    void Type(const std::string& text)
    {
        desktop.Backend().TypeText(text);
        desktop.Pump();
    }
    void Press(uint16_t key, uint16_t modifier = 0)
    {
        if (modifier != 0)
            desktop.Backend().KeyDown(modifier);
        desktop.Backend().PressKey(key);
        if (modifier != 0)
            desktop.Backend().KeyUp(modifier);
        desktop.Pump();
    }
    // Lays the text out in a box of the given size without a window.
    void LayOut(TQkTextControl& text, int32_t width, int32_t height)
    {
        TBitmap bitmap(width + 2, height + 2, pf24bit);
        TQkCanvas canvas(*bitmap.Canvas(), true, false);
        text.RenderText(canvas, 0, 0, width, height);
    }
    bool Bold(int32_t index) { return (control->CharRun(index).FontStyle & qkBold) != 0; }

    THeadlessDesktop desktop;
    TForm form{nullptr};
    TQkTextControl* control = nullptr;
};

TEST_F(TextControl, BoldFollowsTheSelectionsFirstCharacter)
{
    Type("ab");
    Press(VK_LEFT, VK_SHIFT);
    EXPECT_EQ(control->SelStart(), 1);
    EXPECT_EQ(control->SelEnd(), 2);
    Press('B', VK_CONTROL);
    EXPECT_FALSE(Bold(0));
    EXPECT_TRUE(Bold(1));
    Press('B', VK_CONTROL);
    EXPECT_FALSE(Bold(1));

    // "a" regular and "b" bold: the first character decides, both become bold.
    Press('B', VK_CONTROL);
    control->SetSelection(0, 2);
    Press('B', VK_CONTROL);
    EXPECT_TRUE(Bold(0));
    EXPECT_TRUE(Bold(1));
    control->PackFontRuns();
    EXPECT_EQ(control->FontRuns().size(), 1u);
}

TEST_F(TextControl, CopyWritesCrLfTextAndThePrivateBlock)
{
    Type("a");
    Press(VK_RETURN);
    Type("b");
    control->SetSelection(0, 3);
    Press('C', VK_CONTROL);
    EXPECT_EQ(Clipboard()->AsText(), "a\r\nb");
    const std::vector<uint8_t> block = Clipboard()->FormatData(TextMemoClipboardFormat);
    ASSERT_EQ(block.size(), 4 + 3 * 284u);
    EXPECT_EQ(block[0], 3);
    EXPECT_EQ(block[4 + 284], 10);
    const std::optional<TQkFormatRun> run = DeserializeFormatRun(block.data() + 4 + 284 + 4);
    ASSERT_TRUE(run.has_value());
    EXPECT_TRUE(SameFormat(*run, control->CharRun(1)));
}

TEST_F(TextControl, PasteRoundTripsRunsAndCjkText)
{
    Type("x中文");
    control->SetSelection(1, 2);
    Press('B', VK_CONTROL);
    control->SetSelection(0, 3);
    Press('C', VK_CONTROL);
    Press(VK_LEFT);
    Press(VK_END, VK_CONTROL);
    Press('V', VK_CONTROL);
    EXPECT_EQ(control->Text(), "x中文x中文");
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(SameFormat(control->CharRun(i), control->CharRun(i + 3))) << i;
    EXPECT_TRUE(Bold(4));

    // Without the private block the desktop text is pasted with CR dropped.
    Clipboard()->ClearFormats();
    Clipboard()->SetAsText("1\r\n2");
    Press('V', VK_CONTROL);
    EXPECT_EQ(control->Text(), "x中文x中文1\n2");
}

TEST_F(TextControl, MalformedPrivateBlocksPasteNothing)
{
    Type("keep");
    const TQkFormatRunRecord good = SerializeFormatRun(control->CharRun(0));
    auto block = [&](uint32_t count, uint32_t codePoint, auto tamper) {
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(count), 0, 0, 0};
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(codePoint), static_cast<uint8_t>(codePoint >> 8),
                      static_cast<uint8_t>(codePoint >> 16), static_cast<uint8_t>(codePoint >> 24)});
        bytes.insert(bytes.end(), good.begin(), good.end());
        tamper(bytes);
        return bytes;
    };
    const auto none = [](std::vector<uint8_t>&) {};
    const std::vector<std::vector<uint8_t>> cases = {
        {1, 0}, // shorter than its count
        block(2, 'z', none), // count beyond the data
        block(1, 'z', [](std::vector<uint8_t>& b) { b.push_back(0); }), // a byte too many
        block(1, 0xD800, none), // a surrogate
        block(1, 0x110000, none), // beyond Unicode
        block(1, 0, none), // a zero character
        block(1, 'z', [](std::vector<uint8_t>& b) { b[8 + 277] = 4; }), // alignment
        block(1, 'z', [](std::vector<uint8_t>& b) { b[8 + 276] = 8; }), // back style
        block(1, 'z', [](std::vector<uint8_t>& b) { b[8 + 5 + b[8 + 4]] = 'x'; }), // bytes after the name
        block(1, 'z', [](std::vector<uint8_t>& b) { b[8 + 5] = 0xC3; }), // name not UTF-8
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        Clipboard()->SetFormatData(TextMemoClipboardFormat, cases[i]);
        Press('V', VK_CONTROL);
        EXPECT_EQ(control->Text(), "keep") << i;
    }
    Clipboard()->SetFormatData(TextMemoClipboardFormat, block(1, U'\u00e9', none));
    Press('V', VK_CONTROL);
    EXPECT_EQ(control->Text(), "keepé");
}

TEST_F(TextControl, OverwriteAtTheEndAppendsAndFontSizeSteps)
{
    Type("ab");
    Press(VK_INSERT);
    Press(VK_HOME, VK_CONTROL);
    Type("x");
    EXPECT_EQ(control->Text(), "xb");
    Press(VK_END, VK_CONTROL);
    Type("c");
    EXPECT_EQ(control->Text(), "xbc");

    struct Case {
        int32_t height;
        uint16_t key;
        int32_t expected;
    };
    const Case cases[] = {{-1, VK_F1 + 1, -2}, {1, VK_F1 + 1, 2}, {-1, VK_F1, 1}, {5, VK_F1, 4}};
    for (const Case& c : cases) {
        TFont font;
        font.SetHeight(c.height);
        control->SetSelection(0, 1);
        control->SetSelectionFont(font);
        Press(c.key, VK_SHIFT);
        EXPECT_EQ(control->CharRun(0).FontHeight, c.expected) << c.height;
    }
}

// The text area of a 100-pixel box is 98 wide: 9 characters of 10 fit
// (x + width + 2 < 98).
TEST_F(TextControl, WrapsInsideLongWordsAfterSpacesAndStopsAtATooWideCharacter)
{
    struct Case {
        const char* text;
        const char* laidOut;
    };
    const Case cases[] = {
        {"abcdefghijklmnop", "abcdefghi\njklmnop\n"},
        {"abc defg hijk", "abc defg \nhijk\n"},
        {"ab\xE2\x96\x88"
         "cd",
         "ab\n"},
        {"\xE2\x96\x88"
         "cd",
         ""},
    };
    for (const Case& c : cases) {
        TQkTextControl text(nullptr);
        text.SetMeasurer(std::make_unique<FixedWidthMeasurer>());
        text.SetContent({c.text, {}, {}});
        text.SetCollectText(true);
        LayOut(text, 100, 200);
        EXPECT_EQ(text.CollectedText(), c.laidOut) << c.text;
    }
}

TEST_F(TextControl, JustifyStretchesAllButTheParagraphsLastLine)
{
    TQkTextControl text(nullptr);
    text.SetMeasurer(std::make_unique<FixedWidthMeasurer>());
    text.SetDefaultAlignment(paJustify);
    text.SetContent({"aaa bbb ccc dd", {}, {}});
    LayOut(text, 100, 200);
    // First line "aaa bbb " ends at 70 and is stretched by 98 / 71.
    EXPECT_EQ(text.CharX(4), 1 + static_cast<int32_t>(40 * 98.0 / 71));
    // The last line "ccc dd" keeps its widths.
    EXPECT_EQ(text.CharX(9), 1 + 10);
    EXPECT_EQ(text.CharX(13), 1 + 50);
}

TEST_F(TextControl, CaretMovesByCharacterWordLineAndClick)
{
    Type("one two three four five six");
    // Lines of 9 characters: "one two " / "three " / "four five " / "six".
    Press(VK_HOME, VK_CONTROL);
    Press(VK_RIGHT);
    EXPECT_EQ(control->CaretIndex(), 1);
    Press(VK_RIGHT, VK_CONTROL);
    EXPECT_EQ(control->CaretIndex(), 3);
    Press(VK_RIGHT, VK_CONTROL);
    EXPECT_EQ(control->CaretIndex(), 7);
    Press(VK_LEFT, VK_CONTROL);
    EXPECT_EQ(control->CaretIndex(), 4);
    Press(VK_END);
    const int32_t lineEnd = control->CaretIndex();
    EXPECT_EQ(control->CharLineY(lineEnd - 1), control->CharLineY(0));
    Press(VK_DOWN);
    EXPECT_GT(control->CaretY(), control->CharLineY(0));
    Press(VK_UP);
    EXPECT_EQ(control->CaretY(), control->CharLineY(0));
    Press(VK_HOME);
    EXPECT_EQ(control->CaretIndex(), 0);
    // A click on the middle of "two"'s w.
    Click(control->CharX(5) + 3, control->CharLineY(5) + 5);
    EXPECT_EQ(control->CaretIndex(), 5);
    // Shift+Right extends, then a double click selects the word.
    Press(VK_RIGHT, VK_SHIFT);
    EXPECT_EQ(control->SelStart(), 5);
    EXPECT_EQ(control->SelEnd(), 6);
    desktop.Backend().TestClock().AdvanceMs(2000);
    desktop.Backend().Click(Screen(control->CharX(5) + 3, control->CharLineY(5) + 5));
    desktop.Backend().Click(Screen(control->CharX(5) + 3, control->CharLineY(5) + 5));
    desktop.Pump();
    EXPECT_EQ(control->SelStart(), 4);
    EXPECT_EQ(control->SelEnd(), 7);
}

TEST_F(TextControl, AutoHeightGrowsTheControl)
{
    control->SetAutoHeight(true);
    const int32_t before = control->Height();
    for (int i = 0; i < 3; ++i)
        Type("one two three four five six seven eight nine ten eleven twelve ");
    desktop.Pump();
    EXPECT_GT(control->Height(), before);
    EXPECT_GE(control->Height(), control->CaretY() + control->CaretHeight());
}

TEST_F(TextControl, TheWindowSystemsCaretFollowsTheTextCaret)
{
    const TCaretService& caret = WindowSystem().Caret();
    Type("ab\ncd");
    ASSERT_EQ(caret.Owner(), control->Handle());
    EXPECT_TRUE(caret.Shown());
    EXPECT_EQ(caret.Pos(), (TPoint{control->CaretX(), control->CaretY()}));
    EXPECT_EQ(caret.Size().cy, control->CaretHeight());
    Press(VK_HOME, VK_CONTROL);
    EXPECT_EQ(caret.Pos(), (TPoint{control->CharX(0), control->CharLineY(0)}));

    auto* other = new TQkEdit(&form);
    other->SetParent(&form);
    other->SetBounds(10, 200, 100, 24);
    other->SetFocus();
    desktop.Pump();
    EXPECT_EQ(caret.Owner(), 0u) << "the caret goes with the focus";
}

TEST_F(TextControl, CtrlFAndCtrlGOpenTheFontAndColourDialogs)
{
    Type("ab");
    Press(VK_LEFT, VK_SHIFT);
    auto& backend = desktop.Backend();
    backend.KeyDown(VK_CONTROL);
    backend.PressKey('F');
    backend.KeyUp(VK_CONTROL);
    backend.PressKey(VK_HOME);
    backend.KeyDown(VK_SHIFT);
    backend.PressKey(VK_END);
    backend.KeyUp(VK_SHIFT);
    backend.TypeText("DejaVu Serif");
    backend.PressKey(VK_RETURN);
    desktop.Pump();
    EXPECT_EQ(control->CharRun(1).FontName, "DejaVu Serif");
    EXPECT_NE(control->CharRun(0).FontName, "DejaVu Serif");

    backend.KeyDown(VK_CONTROL);
    backend.PressKey('G');
    backend.KeyUp(VK_CONTROL);
    // Tab from the swatches through hue, lum and sat to red, green and blue.
    for (const char* value : {"", "", "", "12", "34", "56"}) {
        backend.PressKey(VK_TAB);
        if (*value)
            backend.TypeText(value);
    }
    backend.PressKey(VK_RETURN);
    desktop.Pump();
    EXPECT_EQ(control->CharRun(1).BackColor, RGB(12, 34, 56));
    EXPECT_NE(control->CharRun(0).BackColor, RGB(12, 34, 56));
}

// The one-line editor keeps Tab for itself and never types it.
TEST(QkEdit, ClaimsTabAndDoesNotTypeIt)
{
    THeadlessDesktop desktop;
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* edit = new TQkEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 10, 100, 24);
    form.Show();
    desktop.Pump();
    edit->SetFocus();
    desktop.Backend().TypeText("a\tb");
    desktop.Pump();
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_NE(edit->Perform(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
}

std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream file(std::string(TEST_SOURCE_DIR) + "/textedit/fixtures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(FormatRun, RecordMatchesTheGoldenFileAndComparesFillers)
{
    TQkFormatRun run;
    run.RefCount = 7;
    run.FontName = "Arial";
    run.FontHeight = -13;
    run.FontStyle = qkBold;
    run.FontColor = 0x0000FF;
    run.BackColor = 0xFFFFFF;
    run.BackStyle = bsClear;
    run.Alignment = paJustify;
    const std::vector<uint8_t> golden = ReadFixture("run-arial-bold.bin");
    const TQkFormatRunRecord record = SerializeFormatRun(run);
    ASSERT_EQ(golden.size(), record.size());
    EXPECT_TRUE(std::equal(record.begin(), record.end(), golden.begin()));

    std::vector<uint8_t> tampered = golden;
    tampered[265] = 1;
    const std::optional<TQkFormatRun> loaded = DeserializeFormatRun(tampered.data());
    ASSERT_TRUE(loaded.has_value());
    EXPECT_FALSE(SameFormat(*loaded, run));
    TQkFormatRun counted = run;
    counted.RefCount = 1;
    EXPECT_TRUE(SameFormat(counted, run));
}

TEST(FormatRun, LongFontNamesAreCutAtACodePoint)
{
    TQkFormatRun run;
    run.FontName = std::string(254, 'a') + "é";
    const TQkFormatRunRecord record = SerializeFormatRun(run);
    EXPECT_EQ(record[4], 254);
    const std::optional<TQkFormatRun> loaded = DeserializeFormatRun(record.data());
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->FontName, std::string(254, 'a'));
}

} // namespace
