#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/DrawText.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogIcons.h"
#include "platform/ui/StdCtrls.h"

namespace {

struct TButtonKind {
    TMsgDlgBtn Kind;
    const char* Name;
    const char* Caption;
    TModalResult Result;
};

const TButtonKind ButtonKinds[] = {
    {mbYes, "Yes", "&Yes", mrYes},
    {mbNo, "No", "&No", mrNo},
    {mbOK, "OK", "OK", mrOk},
    {mbCancel, "Cancel", "Cancel", mrCancel},
    {mbAbort, "Abort", "&Abort", mrAbort},
    {mbRetry, "Retry", "&Retry", mrRetry},
    {mbIgnore, "Ignore", "&Ignore", mrIgnore},
    {mbAll, "All", "&All", mrAll},
    {mbNoToAll, "NoToAll", "N&o to All", mrNoToAll},
    {mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
    {mbHelp, "Help", "&Help", mrNone},
};

const char* TitleOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return "";
    }
}

constexpr int32_t Margin = 8;
constexpr int32_t IconSize = MessageIconSize;
constexpr int32_t ButtonWidth = 75;
constexpr int32_t ButtonHeight = 25;
constexpr int32_t ButtonSpacing = 6;
constexpr int32_t MaxTextWidth = 360;

class TMessageForm : public TForm {
public:
    TMessageForm(TComponent* owner, std::string text, TMsgDlgType type)
        : TForm(owner), text_(std::move(text)), type_(type)
    {}

    TRect TextRect;

protected:
    void Paint() override
    {
        TCanvas& canvas = *Canvas();
        DrawMessageIcon(canvas, Margin * 2, Margin * 2, type_);
        canvas.Font()->Assign(Font());
        canvas.Brush()->SetStyle(bsClear);
        TRect r = TextRect;
        DrawText(canvas, text_, r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }

private:
    std::string text_;
    TMsgDlgType type_;
};

TRect MeasureText(const TFont* font, const std::string& text)
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(font);
    TRect r = Rect(0, 0, MaxTextWidth, 0);
    DrawText(canvas, text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return r;
}

TMsgDlgBtn EscapeButton(const std::vector<TMsgDlgBtn>& buttons)
{
    auto has = [&](TMsgDlgBtn b) { return std::find(buttons.begin(), buttons.end(), b) != buttons.end(); };
    if (has(mbCancel))
        return mbCancel;
    if (has(mbNo))
        return mbNo;
    return buttons.size() == 1 && buttons[0] == mbOK ? mbOK : mbHelp;
}

std::vector<TMsgDlgBtn> InEnumOrder(TMsgDlgButtons buttons)
{
    std::vector<TMsgDlgBtn> list;
    for (const TButtonKind& kind : ButtonKinds)
        if (buttons.Contains(kind.Kind))
            list.push_back(kind.Kind);
    return list;
}

std::unique_ptr<TForm> CreateDialogWithButtons(const std::string& text, const std::string& caption, TMsgDlgType type,
                                               const std::vector<TMsgDlgBtn>& buttons, TMsgDlgBtn defaultButton);

} // namespace

std::unique_ptr<TForm> CreateMessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                                           TMsgDlgButtons buttons, TMsgDlgBtn defaultButton)
{
    return CreateDialogWithButtons(text, caption, type, InEnumOrder(buttons), defaultButton);
}

namespace {

std::unique_ptr<TForm> CreateDialogWithButtons(const std::string& text, const std::string& caption, TMsgDlgType type,
                                               const std::vector<TMsgDlgBtn>& buttons, TMsgDlgBtn defaultButton)
{
    auto form = std::make_unique<TMessageForm>(nullptr, text, type);
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    form->SetCaption(caption);
    form->SetKeyPreview(false);
    int32_t textLeft = type == mtCustom ? Margin * 2 : Margin * 3 + IconSize;
    TRect textSize = MeasureText(form->Font(), text);
    form->TextRect = Bounds(textLeft, Margin * 2, textSize.Width(), textSize.Height());

    std::vector<const TButtonKind*> kinds;
    for (TMsgDlgBtn b : buttons)
        kinds.push_back(&*std::find_if(std::begin(ButtonKinds), std::end(ButtonKinds),
                                       [b](const TButtonKind& k) { return k.Kind == b; }));
    auto count = static_cast<int32_t>(kinds.size());
    int32_t rowWidth = count * ButtonWidth + std::max(count - 1, 0) * ButtonSpacing;
    int32_t contentBottom = std::max(form->TextRect.Bottom, type == mtCustom ? 0 : Margin * 2 + IconSize);
    int32_t width = std::max(form->TextRect.Right + Margin * 2, rowWidth + Margin * 4);
    int32_t height = contentBottom + Margin * 2 + ButtonHeight + Margin * 2;
    form->SetClientSize(width, height);

    TMsgDlgBtn escape = EscapeButton(buttons);
    int32_t x = (width - rowWidth) / 2;
    for (const TButtonKind* kind : kinds) {
        auto* button = new TButton(form.get());
        button->SetName(kind->Name);
        button->SetCaption(kind->Caption);
        button->SetModalResult(kind->Result);
        button->SetBounds(x, contentBottom + Margin * 2, ButtonWidth, ButtonHeight);
        button->SetParent(form.get());
        button->SetCancel(kind->Kind == escape);
        if (kind->Kind == defaultButton) {
            button->SetDefault(true);
            form->SetActiveControl(button);
        }
        x += ButtonWidth + ButtonSpacing;
    }
    return form;
}

} // namespace

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    std::vector<TMsgDlgBtn> list = InEnumOrder(buttons);
    TMsgDlgBtn first = list.empty() ? mbOK : list.front();
    const char* title = TitleOf(type);
    std::string caption = *title ? title : Application()->Title();
    std::unique_ptr<TForm> dialog = CreateMessageDialog(text, caption, type, buttons, first);
    return dialog->ShowModal();
}

namespace {

std::vector<TMsgDlgBtn> BoxButtons(uint32_t flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {mbOK, mbCancel};
    case MB_ABORTRETRYIGNORE: return {mbAbort, mbRetry, mbIgnore};
    case MB_YESNOCANCEL: return {mbYes, mbNo, mbCancel};
    case MB_YESNO: return {mbYes, mbNo};
    case MB_RETRYCANCEL: return {mbRetry, mbCancel};
    default: return {mbOK};
    }
}

TMsgDlgType BoxType(uint32_t flags)
{
    switch (flags & 0xF0) {
    case MB_ICONHAND: return mtError;
    case MB_ICONQUESTION: return mtConfirmation;
    case MB_ICONEXCLAMATION: return mtWarning;
    case MB_ICONASTERISK: return mtInformation;
    default: return mtCustom;
    }
}

int32_t BoxAnswer(TModalResult result, const std::vector<TMsgDlgBtn>& buttons)
{
    switch (result) {
    case mrOk: return IDOK;
    case mrYes: return IDYES;
    case mrNo: return IDNO;
    case mrAbort: return IDABORT;
    case mrRetry: return IDRETRY;
    case mrIgnore: return IDIGNORE;
    default:
        // Closed without a button: Cancel, or OK for a box that has only OK.
        return buttons.size() == 1 && buttons[0] == mbOK ? IDOK : IDCANCEL;
    }
}

} // namespace

int32_t ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    std::vector<TMsgDlgBtn> buttons = BoxButtons(flags);
    size_t defaultIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    defaultIndex = std::min(defaultIndex, buttons.size() - 1);
    std::unique_ptr<TForm> dialog =
        CreateDialogWithButtons(text, caption, BoxType(flags), buttons, buttons[defaultIndex]);
    MessageBeep(static_cast<TBeepKind>(flags & 0xF0));
    return BoxAnswer(dialog->ShowModal(), buttons);
}

void ShowMessage(const std::string& text) { ShowMessageBox(text, Application()->Title(), MB_OK); }
