#include "platform/ui/FontDialog.h"

#include "platform/core/Strings.h"
#include "platform/gfx/DrawText.h"
#include "platform/gfx/FontLookup.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr int32_t SizeLimit = 1638;
const char* const SampleText = "AaBbYyZz";

bool StartsWithText(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && AnsiCompareText(text.substr(0, prefix.size()), prefix) == 0;
}

} // namespace

TFontDialogForm::TFontDialogForm(TComponent* owner, const TFont& initial, std::vector<std::string> families)
    : TForm(owner), initialFamily_(initial.Name()), families_(std::move(families))
{
    chosen_.Assign(&initial);
    SetCaption("Font");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(430, 244);

    MakeChildLabel(this, "&Font:", 8, 8);
    familyEdit_ = MakeChildControl<TEdit>(this, "FamilyEdit", Bounds(8, 24, 200, 21));
    familyList_ = MakeChildControl<TListView>(this, "FamilyList", Bounds(8, 48, 200, 150));
    familyList_->SetViewStyle(vsReport);
    familyList_->SetShowColumnHeaders(false);
    familyList_->SetRowSelect(true);
    familyList_->SetReadOnly(true);
    familyList_->SetHideSelection(false);
    familyList_->Columns()->Add()->SetAutoSize(true);
    familyList_->Items()->BeginUpdate();
    for (const std::string& family : families_)
        familyList_->Items()->Add()->SetCaption(family);
    familyList_->Items()->EndUpdate();
    familyList_->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
        if (selected)
            FamilyPicked(item);
    };
    familyEdit_->OnChange = [this](TObject*) { FamilyTyped(); };

    MakeChildLabel(this, "&Size:", 220, 8);
    sizeBox_ = MakeChildControl<TComboBox>(this, "SizeBox", Bounds(220, 24, 60, 21));
    for (int32_t size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        sizeBox_->Items()->Add(std::to_string(size));
    sizeBox_->OnChange = [this](TObject*) { Invalidate(); };

    static const char* const captions[4] = {"&Bold", "&Italic", "&Underline", "Stri&keout"};
    static const char* const names[4] = {"BoldBox", "ItalicBox", "UnderlineBox", "StrikeOutBox"};
    for (int32_t style = fsBold; style <= fsStrikeOut; ++style) {
        TCheckBox* box = MakeChildControl<TCheckBox>(this, names[style], Bounds(300, 24 + 24 * style, 110, 17));
        box->SetCaption(captions[style]);
        box->SetChecked(initial.Style().Contains(static_cast<TFontStyle>(style)));
        box->OnClick = [this](TObject*) { StylesChanged(); };
        styleBoxes_[style] = box;
    }
    MakeChildLabel(this, "Sample", 220, 112);

    const TDialogButtons buttons = MakeOkCancelButtons(this, 210, 422);
    ok_ = buttons.Ok;
    ok_->SetModalResult(mrNone);
    ok_->OnClick = [this](TObject*) { Confirm(); };

    familyEdit_->SetText(initial.Name());
    sizeBox_->SetText(std::to_string(initial.Size()));
    SetActiveControl(familyEdit_);
}

// Typing selects the first family the text begins, leaving the text alone.
void TFontDialogForm::FamilyTyped()
{
    if (picking_)
        return;
    const std::string text = familyEdit_->Text();
    for (int32_t i = 0; i < familyList_->Items()->Count(); ++i) {
        TListItem* item = familyList_->Items()->Item(i);
        if (!text.empty() && StartsWithText(item->Caption(), text)) {
            picking_ = true;
            familyList_->SetSelected(item);
            item->MakeVisible();
            picking_ = false;
            break;
        }
    }
    Invalidate();
}

void TFontDialogForm::FamilyPicked(TListItem* item)
{
    if (picking_)
        return;
    picking_ = true;
    familyEdit_->SetText(item->Caption());
    picking_ = false;
    Invalidate();
}

void TFontDialogForm::StylesChanged()
{
    TFontStyles styles;
    for (int32_t style = fsBold; style <= fsStrikeOut; ++style)
        if (styleBoxes_[style] && styleBoxes_[style]->Checked())
            styles.Include(static_cast<TFontStyle>(style));
    chosen_.SetStyle(styles);
    Invalidate();
}

void TFontDialogForm::Confirm()
{
    const std::string text = Trim(familyEdit_->Text());
    std::string family;
    for (const std::string& name : families_)
        if (AnsiCompareText(name, text) == 0)
            family = name;
    if (family.empty() && AnsiCompareText(text, initialFamily_) == 0)
        family = initialFamily_;
    int32_t size = 0;
    if (family.empty() || !TryStrToInt(Trim(sizeBox_->Text()), size) || size < 1 || size > SizeLimit) {
        MessageBeep();
        return;
    }
    chosen_.SetName(family);
    chosen_.SetSize(size);
    SetModalResult(mrOk);
}

void TFontDialogForm::Paint()
{
    TForm::Paint();
    TCanvas& canvas = *Canvas();
    TRect sample = DrawSunkenSample(canvas, SampleRect(), clWindow);
    TFont font;
    font.Assign(&chosen_);
    font.SetName(Trim(familyEdit_->Text()));
    int32_t size = 0;
    if (TryStrToInt(Trim(sizeBox_->Text()), size) && size >= 1 && size <= 72)
        font.SetSize(size);
    canvas.Font()->Assign(&font);
    canvas.Brush()->SetStyle(bsClear);
    const int saved = canvas.SaveDC();
    canvas.IntersectClipRect(sample.Left, sample.Top, sample.Right, sample.Bottom);
    DrawText(canvas, SampleText, sample, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    canvas.RestoreDC(saved);
}

// ---- TFontDialog -----------------------------------------------------------------------

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {}

bool TFontDialog::Execute()
{
    TFontDialogForm form(nullptr, *font_, InstalledFontFamilies());
    TFormScope<TFontDialogForm> scope(form_, &form);
    form.OnShow = [this](TObject*) {
        if (OnShow)
            OnShow(this);
    };
    const bool chosen = form.ShowModal() == mrOk;
    if (chosen)
        font_->Assign(&form.ChosenFont());
    if (OnClose)
        OnClose(this);
    return chosen;
}
