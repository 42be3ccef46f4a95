// The text editing control's page: justified text in mixed fonts with CJK
// characters, a selection and the caret, in a framed white box.

#include "imaging/views/textedit/QkTextControl.h"

#include "platform/backend/Gallery.h"
#include "platform/core/Strings.h"

namespace {

void Restyle(TQkTextControl& text, int32_t start, int32_t end, TFont& font)
{
    text.SetSelection(start, end);
    text.SetSelectionFont(font);
}

std::unique_ptr<TCustomForm> CreatePage()
{
    TextControlStaticInit();
    auto form = NewGalleryForm(320, 160, clSilver);
    auto* text = new TQkTextControl(form.get());
    text->SetBounds(10, 10, 300, 140);
    text->DefaultFont().SetName("DejaVu Sans");
    text->DefaultFont().SetHeight(-15);
    text->DefaultBackBrush().SetColor(clWhite);
    text->BoxBrush().SetColor(clWhite);
    text->SetDefaultAlignment(paJustify);
    text->SetMargins(3, 3, 3, 3);
    text->SetParent(form.get());
    text->SetContent({"Rich text wraps and justifies inside its margins: 中文字符 and bold words share a line.\n"
                      "Last line stays left.",
                      {},
                      {}});
    TFont bold;
    bold.SetName("DejaVu Sans");
    bold.SetHeight(-15);
    bold.SetStyle(TFontStyles{fsBold});
    bold.SetColor(clNavy);
    Restyle(*text, 0, 9, bold);
    TFont cjk;
    cjk.SetName("WenQuanYi Micro Hei");
    cjk.SetHeight(-18);
    cjk.SetColor(clMaroon);
    const int32_t cjkStart = static_cast<int32_t>(Utf8Length("Rich text wraps and justifies inside its margins: "));
    Restyle(*text, cjkStart, cjkStart + 4, cjk);
    text->SetSelection(cjkStart + 9, cjkStart + 13);
    text->SetCaretIndex(cjkStart + 13);
    return form;
}

const bool registered = RegisterGalleryPage({
    "view-text-control",
    CreatePage,
    {{{4, 4}, clSilver}, {{300, 140}, clWhite}},
    [](TCustomForm& form) {
        if (auto* text = dynamic_cast<TQkTextControl*>(form.Controls(0)))
            text->SetFocus();
    },
});

} // namespace
