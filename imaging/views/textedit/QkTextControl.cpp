#include "imaging/views/textedit/QkTextControl.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkStartup.h"
#include "platform/core/Strings.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/FontDialog.h"

TQkTextShortcuts TextControlShortcuts{};
TClipFormat TextMemoClipboardFormat = 0;

TQkTextShortcuts BuildTextControlShortcuts()
{
    constexpr uint16_t ctrl = 0x4000;
    TQkTextShortcuts shortcuts{};
    const char keys[] = "LERJCXVFBIUG";
    for (size_t i = 0; i < shortcuts.size(); ++i)
        shortcuts[i] = static_cast<uint16_t>(ctrl + keys[i]);
    return shortcuts;
}

void TextControlStaticInit() { TextMemoClipboardFormat = RegisterClipboardFormat("BRELVIX TEXTMEMO"); }

void TextControlStaticFinal() {}

void InstallTextControlStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "TextControl") == 0) {
            hook.StaticInit = TextControlStaticInit;
            hook.StaticFinal = TextControlStaticFinal;
        }
}

namespace {

bool ChooseFontWithDialog(TFont& font)
{
    TFontDialog dialog(nullptr);
    dialog.SetFont(&font);
    if (!dialog.Execute())
        return false;
    font.Assign(dialog.Font());
    return true;
}

bool ChooseColorWithDialog(TColor& color)
{
    TColorDialog dialog(nullptr);
    dialog.SetColor(color);
    if (!dialog.Execute())
        return false;
    color = dialog.Color();
    return true;
}

} // namespace

TQkTextControl::TQkTextControl(TComponent* owner)
    : TCustomControl(owner), bufferBitmap_(std::make_unique<TBitmap>(0, 0, pf24bit)),
      measurer_(std::make_unique<TCanvasTextMeasurer>())
{
    SetControlStyle(ControlStyle() | csOpaque);
    if (owner != nullptr)
        SetCursor(crIBeam);
    currentRun_ = DefaultRun();
    ResizeLayout();
    OnChooseFont = ChooseFontWithDialog;
    OnChooseBackColor = ChooseColorWithDialog;
}

TQkTextControl::~TQkTextControl() = default;

// ---- Content -----------------------------------------------------------------------------

namespace {

void TakeFontFields(const TFont& font, TQkFormatRun& run)
{
    run.FontName = font.Name();
    run.FontHeight = font.Height();
    const TFontStyles style = font.Style();
    run.FontStyle = static_cast<uint8_t>(
        (style.Contains(fsBold) ? qkBold : 0) | (style.Contains(fsItalic) ? qkItalic : 0) |
        (style.Contains(fsUnderline) ? qkUnderline : 0) | (style.Contains(fsStrikeOut) ? qkStrikeOut : 0));
    run.FontColor = font.Color();
}

} // namespace

TQkFormatRun TQkTextControl::DefaultRun() const
{
    TQkFormatRun run;
    TakeFontFields(defaultFont_, run);
    run.BackColor = defaultBackBrush_.Color();
    run.BackStyle = static_cast<uint8_t>(defaultBackBrush_.Style());
    run.Alignment = defaultAlignment_;
    return run;
}

void TQkTextControl::SetContent(TQkTextContent content)
{
    chars_ = Utf8ToUtf32(content.Text);
    runs_ = std::move(content.Runs);
    charRuns_ = std::move(content.CharRuns);
    const bool indexesFit = charRuns_.size() == chars_.size() &&
        std::all_of(charRuns_.begin(), charRuns_.end(),
                    [this](int32_t run) { return run >= 0 && run < static_cast<int32_t>(runs_.size()); });
    if (!indexesFit || (runs_.empty() && !chars_.empty())) {
        runs_.clear();
        charRuns_.assign(chars_.size(), 0);
        if (!chars_.empty())
            runs_.push_back(DefaultRun());
    }
    for (TQkFormatRun& run : runs_)
        run.RefCount = 0;
    for (int32_t run : charRuns_)
        ++runs_[run].RefCount;
    caretIndex_ = selStart_ = selEnd_ = 0;
    currentRun_ = DefaultRun();
    layout_.assign(chars_.size() + 1, TCharLayout{});
    PaintBufferBackground();
}

TQkTextContent TQkTextControl::TakeContent()
{
    PackFontRuns();
    TQkTextContent content{Text(), std::move(runs_), std::move(charRuns_)};
    SetContent({});
    return content;
}

std::string TQkTextControl::Text() const { return Utf32ToUtf8(chars_); }

void TQkTextControl::PackFontRuns()
{
    for (int32_t index = static_cast<int32_t>(runs_.size()) - 1; index >= 0; --index) {
        if (runs_[index].RefCount != 0)
            continue;
        runs_.erase(runs_.begin() + index);
        for (int32_t& run : charRuns_)
            if (run > index)
                --run;
    }
}

void TQkTextControl::SetCharRun(int32_t index, const TQkFormatRun& run)
{
    auto found = std::find_if(runs_.begin(), runs_.end(), [&](const TQkFormatRun& r) { return SameFormat(r, run); });
    if (found == runs_.end()) {
        runs_.push_back(run);
        runs_.back().RefCount = 0;
        found = runs_.end() - 1;
    }
    charRuns_[index] = static_cast<int32_t>(found - runs_.begin());
    ++found->RefCount;
}

void TQkTextControl::ReleaseCharRun(int32_t index)
{
    TQkFormatRun& run = runs_[charRuns_[index]];
    run.RefCount = std::max(0, run.RefCount - 1);
}

void TQkTextControl::FollowCaret()
{
    if (chars_.empty())
        return;
    currentRun_ = CharRun(caretIndex_ > 0 ? caretIndex_ - 1 : 0);
}

void TQkTextControl::ClearLayoutFrom(int32_t index)
{
    for (size_t i = static_cast<size_t>(std::max(index, 0)); i < layout_.size(); ++i)
        layout_[i] = TCharLayout{};
}

void TQkTextControl::ResizeLayout() { layout_.resize(chars_.size() + 1); }

// ---- Editing -----------------------------------------------------------------------------

void TQkTextControl::InsertChar(char32_t c)
{
    chars_.insert(chars_.begin() + caretIndex_, c);
    charRuns_.insert(charRuns_.begin() + caretIndex_, 0);
    SetCharRun(caretIndex_, currentRun_);
    ResizeLayout();
    ClearLayoutFrom(caretIndex_);
    ++caretIndex_;
}

int32_t TQkTextControl::DeleteChar(int32_t i)
{
    if (i < 0 || i >= TextLength())
        return i;
    ReleaseCharRun(i);
    chars_.erase(chars_.begin() + i);
    charRuns_.erase(charRuns_.begin() + i);
    ResizeLayout();
    ClearLayoutFrom(i);
    if (caretIndex_ > TextLength())
        caretIndex_ = TextLength();
    return i;
}

void TQkTextControl::DeleteSelection()
{
    if (selStart_ >= selEnd_)
        return;
    for (int32_t i = std::min(selEnd_, TextLength()) - 1; i >= selStart_; --i)
        DeleteChar(i);
    caretIndex_ = std::min(selStart_, TextLength());
    ClearSelection();
}

void TQkTextControl::SetCaretIndex(int32_t index)
{
    caretIndex_ = std::clamp(index, 0, TextLength());
    FollowCaret();
}

void TQkTextControl::SetSelection(int32_t start, int32_t end)
{
    selStart_ = std::clamp(start, 0, TextLength());
    selEnd_ = std::clamp(end, 0, TextLength());
}

void TQkTextControl::SetMargins(double left, double top, double right, double bottom)
{
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
}

void TQkTextControl::SetSingleFormat(bool value)
{
    singleFormat_ = value;
    Update();
}

// Gives every selected character a changed copy of its run.
template <typename Change>
void TQkTextControl::ChangeSelectionRuns(Change change, bool changeCurrent)
{
    for (int32_t i = selStart_; i < std::min(selEnd_, TextLength()); ++i) {
        TQkFormatRun run = CharRun(i);
        change(run);
        ReleaseCharRun(i);
        SetCharRun(i, run);
    }
    ClearLayoutFrom(selStart_);
    if (changeCurrent)
        change(currentRun_);
}

void TQkTextControl::SetSelectionFont(const TFont& font)
{
    ChangeSelectionRuns([&font](TQkFormatRun& run) { TakeFontFields(font, run); }, true);
}

void TQkTextControl::SetSelectionBackColor(TColor color)
{
    ChangeSelectionRuns([color](TQkFormatRun& run) { run.BackColor = color; }, true);
}

void TQkTextControl::ToggleSelectionStyle(int32_t style)
{
    const uint8_t bit = static_cast<uint8_t>(1u << style);
    if (selStart_ >= selEnd_ || selStart_ >= TextLength()) {
        currentRun_.FontStyle ^= bit;
        return;
    }
    const uint8_t styles = CharRun(selStart_).FontStyle ^ bit;
    ChangeSelectionRuns([styles](TQkFormatRun& run) { run.FontStyle = styles; }, false);
}

namespace {

int32_t StepHeight(int32_t height, int32_t step)
{
    const int32_t result = height < 0 ? height - step : height + step;
    return result == 0 ? 1 : result;
}

} // namespace

void TQkTextControl::GrowSelectionFont()
{
    ChangeSelectionRuns([](TQkFormatRun& run) { run.FontHeight = StepHeight(run.FontHeight, 1); }, true);
}

void TQkTextControl::ShrinkSelectionFont()
{
    ChangeSelectionRuns([](TQkFormatRun& run) { run.FontHeight = StepHeight(run.FontHeight, -1); }, true);
}

void TQkTextControl::SetParagraphAlignment(uint8_t alignment)
{
    int32_t start = std::min(caretIndex_, TextLength());
    while (start > 0 && chars_[start - 1] != U'\n')
        --start;
    int32_t end = caretIndex_;
    while (end < TextLength() && chars_[end] != U'\n')
        ++end;
    for (int32_t i = start; i < end; ++i) {
        TQkFormatRun run = CharRun(i);
        run.Alignment = alignment;
        ReleaseCharRun(i);
        SetCharRun(i, run);
    }
    ClearLayoutFrom(start);
    currentRun_.Alignment = alignment;
}

void TQkTextControl::Update()
{
    ClearLayoutFrom(0);
    Invalidate();
}
