// The actions' page: controls that take their caption, check mark, enabled
// state and visibility from actions. The check box and the first button
// follow a checked "Watermark" and an enabled "Convert"; the second button
// follows a disabled "Pause"; a third button, linked to a hidden "Stop", is
// not shown.

#include "controls/TarqRadChk.h"

#include "platform/backend/Gallery.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/StdCtrls.h"

namespace {

TAction* AddAction(TCustomForm& form, const std::string& caption)
{
    auto* action = new TAction(&form);
    action->SetCaption(caption);
    action->OnExecute = [](TObject*) {};
    return action;
}

template <class T>
T* Place(TCustomForm& form, TRect bounds, TBasicAction* action)
{
    auto* control = new T(&form);
    control->SetBoundsRect(bounds);
    control->SetParent(&form);
    control->SetAction(action);
    return control;
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(300, 80);

    TAction* watermark = AddAction(*form, "&Watermark");
    watermark->SetChecked(true);
    Place<TTarqCheckBox>(*form, Bounds(10, 10, 110, 17), watermark);

    Place<TButton>(*form, Bounds(10, 40, 80, 25), AddAction(*form, "&Convert"));
    TAction* pause = AddAction(*form, "&Pause");
    pause->SetEnabled(false);
    Place<TButton>(*form, Bounds(100, 40, 80, 25), pause);
    TAction* stop = AddAction(*form, "&Stop");
    stop->SetVisible(false);
    Place<TButton>(*form, Bounds(190, 40, 80, 25), stop);
    return form;
}

const bool registered = RegisterGalleryPage({
    "actions",
    CreatePage,
    // The check mark the action set, and the form where the hidden button would be.
    {{{15, 20}, clBlack}, {{230, 52}, clBtnFace}},
});

} // namespace
