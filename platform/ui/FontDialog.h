#pragma once
// The font dialog: TFontDialog asks for a family, a size and the bold,
// italic, underline and strike-out styles on our own modal form,
// TFontDialogForm, which lists fontconfig's families and shows a sample.
// The font's colour and other fields pass through unchanged.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Components.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Form.h"

class TEdit;
class TButton;
class TComboBox;
class TListView;
class TListItem;
class TCheckBox;

class TFontDialogForm : public TForm {
public:
    // `families`: the names listed, in order.
    TFontDialogForm(TComponent* owner, const TFont& initial, std::vector<std::string> families);

    // The font as chosen so far.
    const TFont& ChosenFont() const { return chosen_; }

    TEdit* FamilyEdit() const { return familyEdit_; }
    TListView* FamilyList() const { return familyList_; }
    TComboBox* SizeBox() const { return sizeBox_; }
    // Bold, italic, underline, strike-out.
    TCheckBox* StyleBox(TFontStyle style) const { return styleBoxes_[style]; }
    TButton* OkButton() const { return ok_; }
    TRect SampleRect() const { return Rect(220, 130, 422, 198); }

protected:
    void Paint() override;

private:
    void FamilyTyped();
    void FamilyPicked(TListItem* item);
    void StylesChanged();
    // OK closes only with a family that exists (or the one given) and a size.
    void Confirm();

    TFont chosen_;
    std::string initialFamily_;
    std::vector<std::string> families_;
    bool picking_ = false;
    TEdit* familyEdit_ = nullptr;
    TListView* familyList_ = nullptr;
    TComboBox* sizeBox_ = nullptr;
    TCheckBox* styleBoxes_[4] = {};
    TButton* ok_ = nullptr;
};

class TFontDialog : public TComponent {
public:
    explicit TFontDialog(TComponent* owner);

    // The font shown first and, after a confirmed Execute, the choice.
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }

    bool Execute();
    TFontDialogForm* Form() const { return form_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

private:
    std::unique_ptr<TFont> font_;
    TFontDialogForm* form_ = nullptr;
};
