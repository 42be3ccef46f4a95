#pragma once
// TQkTextControl: a small multi-line rich-text editor and layout engine.
// Every character carries a format run; lines are word-wrapped inside
// margins in percent, aligned left, right, centred or justified, and drawn
// through a TQkCanvas at any zoom. The vector layer hands a text in with
// SetContent and takes it back with TakeContent; the control owns what it
// holds. Positions (caret, selection, runs) count code points.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/views/textedit/QkFormatRun.h"
#include "imaging/views/textedit/QkTextMeasurer.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Pen.h"
#include "platform/ui/Controls.h"

class TQkCanvas;

// A text with its runs, as handed in and taken back.
struct TQkTextContent {
    std::string Text; // UTF-8, line breaks as code point 10
    std::vector<TQkFormatRun> Runs;
    std::vector<int32_t> CharRuns; // one run index per code point
};

// The twelve editing shortcuts (key + 0x4000 for Ctrl), in the order
// Ctrl+L, E, R, J, C, X, V, F, B, I, U, G.
enum TQkTextShortcut {
    tsAlignLeft,
    tsAlignCenter,
    tsAlignRight,
    tsJustify,
    tsCopy,
    tsCut,
    tsPaste,
    tsFont,
    tsBold,
    tsItalic,
    tsUnderline,
    tsBackColor
};
using TQkTextShortcuts = std::array<uint16_t, 12>;
TQkTextShortcuts BuildTextControlShortcuts();
// The values the control reads; the vector unit's start-up fills them.
extern TQkTextShortcuts TextControlShortcuts;

// The private clipboard format "BRELVIX TEXTMEMO"; 0 before start-up.
extern TClipFormat TextMemoClipboardFormat;
void TextControlStaticInit();
void TextControlStaticFinal();
// Puts the two into the library start-up's "TextControl" slot.
void InstallTextControlStartup();

// A private block longer than this, or a text longer than this in CF_TEXT,
// pastes nothing.
constexpr size_t TextPasteLimit = 16u << 20;

class TQkTextControl : public TCustomControl {
public:
    explicit TQkTextControl(TComponent* owner);
    ~TQkTextControl() override;

    // ---- Content ----
    // Takes the text and its runs and starts editing it (caret and selection
    // at 0). Runs or indexes that do not fit the text are replaced by one
    // default run.
    void SetContent(TQkTextContent content);
    // Packs the runs and gives the content back; the control is then empty.
    TQkTextContent TakeContent();
    std::string Text() const;
    int32_t TextLength() const { return static_cast<int32_t>(chars_.size()); }
    const std::vector<TQkFormatRun>& FontRuns() const { return runs_; }
    const TQkFormatRun& CharRun(int32_t index) const { return runs_[charRuns_[index]]; }
    void PackFontRuns();

    // ---- Editing ----
    void InsertChar(char32_t c);
    // Answers i; does nothing at or past the end.
    int32_t DeleteChar(int32_t i);
    void DeleteSelection();
    void ClearSelection() { selStart_ = selEnd_ = 0; }
    void CopyToClipboard();
    void PasteFromClipboard();
    void SetSelectionFont(const TFont& font);
    void SetSelectionBackColor(TColor color);
    // 0 bold, 1 italic, 2 underline.
    void ToggleSelectionStyle(int32_t style);
    void GrowSelectionFont();
    void ShrinkSelectionFont();
    void SetParagraphAlignment(uint8_t alignment);
    void SetSingleFormat(bool value);

    // ---- Caret and selection ----
    int32_t CaretIndex() const { return caretIndex_; }
    void SetCaretIndex(int32_t index);
    int32_t SelStart() const { return selStart_; }
    int32_t SelEnd() const { return selEnd_; }
    void SetSelection(int32_t start, int32_t end);
    int32_t CaretX() const { return caretX_; }
    int32_t CaretY() const { return caretY_; }
    int32_t CaretHeight() const { return caretHeight_; }
    // Laid-out x of a character and y of its line (-1 before layout).
    int32_t CharX(int32_t index) const { return layout_[index].X; }
    int32_t CharLineY(int32_t index) const { return layout_[index].LineY; }
    const TQkFormatRun& CurrentRun() const { return currentRun_; }
    bool InsertMode() const { return insertMode_; }

    // ---- Appearance ----
    TFont& DefaultFont() { return defaultFont_; }
    TBrush& DefaultBackBrush() { return defaultBackBrush_; }
    TPen& FramePen() { return framePen_; }
    TBrush& BoxBrush() { return boxBrush_; }
    uint8_t DefaultAlignment() const { return defaultAlignment_; }
    void SetDefaultAlignment(uint8_t value) { defaultAlignment_ = value; }
    double Zoom() const { return zoom_; }
    void SetZoom(double value) { zoom_ = value > 0 ? value : 1.0; }
    bool MonochromeDraw() const { return monochromeDraw_; }
    void SetMonochromeDraw(bool value) { monochromeDraw_ = value; }
    bool SingleFormat() const { return singleFormat_; }
    bool AutoHeight() const { return autoHeight_; }
    void SetAutoHeight(bool value) { autoHeight_ = value; }
    int32_t LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(int32_t value) { lineSpacing_ = value; }
    int32_t FixedCharHeight() const { return fixedCharHeight_; }
    void SetFixedCharHeight(int32_t value) { fixedCharHeight_ = value; }
    void SetMargins(double left, double top, double right, double bottom);
    // Not owned: the picture under the control (the view's back buffer).
    void SetBackgroundBitmap(TBitmap* bitmap) { backgroundBitmap_ = bitmap; }
    bool CollectText() const { return collectText_; }
    void SetCollectText(bool value) { collectText_ = value; }
    const std::string& CollectedText() const { return collectedText_; }
    TBitmap& BufferBitmap() { return *bufferBitmap_; }
    void SetMeasurer(std::unique_ptr<TQkTextMeasurer> measurer) { measurer_ = std::move(measurer); }

    // Lays out and draws the text into a box of width x height unscaled
    // pixels at (x, y); nothing when either is 1 or less.
    void RenderText(TQkCanvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height);
    // Clears every character's layout cache and repaints.
    void Update() override;

    TNotifyEvent OnCaretMove;
    // Ctrl+F and Ctrl+G ask these for a font or a colour; false keeps the
    // selection as it is. They start as the platform's font and colour
    // dialogs.
    std::function<bool(TFont& font)> OnChooseFont;
    std::function<bool(TColor& color)> OnChooseBackColor;

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;

private:
    struct TCharLayout {
        int32_t Width = 0;
        int32_t Height = 0;
        int32_t Leading = 0;
        int32_t Descent = 0;
        int32_t X = -1;
        int32_t LineY = -1;
    };
    struct TLine; // one laid-out line (QkTextLayout.cpp)
    // A character or gap space of the drawing pass, drawn once the pass is
    // done so that a zoom can scale every glyph from the box origin.
    struct TGlyph {
        int32_t X;
        int32_t Baseline;
        char32_t Character;
        int32_t Index;
    };

    // Runs.
    TQkFormatRun DefaultRun() const;
    void SetCharRun(int32_t index, const TQkFormatRun& run);
    void ReleaseCharRun(int32_t index);
    void FollowCaret();
    template <typename Change>
    void ChangeSelectionRuns(Change change, bool changeCurrent);
    void ClearLayoutFrom(int32_t index);
    void ResizeLayout();

    // Caret moves and selection (QkTextInput.cpp).
    bool HandleMoveKey(uint16_t key, TShiftState shift);
    bool HandleShortcut(uint16_t key, TShiftState shift);
    void MoveCaretTo(int32_t index, bool extend);
    void ExtendSelection(int32_t from, int32_t to);
    int32_t WordLeft(int32_t index) const;
    int32_t WordRight(int32_t index) const;
    int32_t LineStart() const;
    int32_t LineEnd() const;
    int32_t LineUp() const;
    int32_t LineDown() const;
    int32_t CaretFromPoint(int32_t x, int32_t y) const;
    void SelectWordAtCaret();
    void InsertText(const std::u32string& text);
    bool PastePrivateBlock(const std::vector<uint8_t>& block);

    // Layout and drawing (QkTextLayout.cpp).
    TQkCharMetrics MeasureChar(int32_t index);
    TLine MeasureLine(int32_t start, int32_t w);
    // Places the line's characters; true when collecting text reached the
    // bottom of the text area.
    bool PlaceLine(const TLine& line, int32_t x, int32_t y, int32_t ox, int32_t oy, int32_t w, int32_t h,
                   int32_t lineTop, int32_t baseline, std::vector<TGlyph>& glyphs);
    void PlaceCaret(int32_t ox, int32_t oy, int32_t nextLineTop, int32_t lastHeight);
    void PlaceSystemCaret();
    int32_t LineHeightAt(int32_t index) const;
    void DrawGlyphs(TCanvas& target, const std::vector<TGlyph>& glyphs, int32_t x, int32_t y, const TRect& clip);
    void ScaleLayout();
    void ApplyRun(TCanvas& canvas, const TQkFormatRun& run, bool selected) const;
    void PaintBufferBackground();

    std::u32string chars_;
    std::vector<int32_t> charRuns_;
    std::vector<TQkFormatRun> runs_;
    std::vector<TCharLayout> layout_;
    TQkFormatRun currentRun_;
    int32_t caretIndex_ = 0;
    int32_t selStart_ = 0;
    int32_t selEnd_ = 0;
    int32_t caretX_ = 0;
    int32_t caretY_ = 0;
    int32_t caretHeight_ = 0;
    int32_t anchorX_ = 0;
    int32_t anchorY_ = 0;
    bool insertMode_ = true;
    uint8_t defaultAlignment_ = paLeft;
    double zoom_ = 1.0;
    bool monochromeDraw_ = false;
    bool singleFormat_ = false;
    bool autoHeight_ = false;
    int32_t lineSpacing_ = 0;
    int32_t fixedCharHeight_ = 0;
    double marginLeft_ = 0, marginTop_ = 0, marginRight_ = 0, marginBottom_ = 0;
    bool collectText_ = false;
    std::string collectedText_;
    TBitmap* backgroundBitmap_ = nullptr;
    std::unique_ptr<TBitmap> bufferBitmap_;
    std::unique_ptr<TQkTextMeasurer> measurer_;
    TFont defaultFont_;
    TBrush defaultBackBrush_;
    TPen framePen_;
    TBrush boxBrush_;
};
