#include "imaging/views/textedit/QkEdit.h"

#include "platform/ui/Messages.h"

void TQkEdit::Dispatch(TMessage& message)
{
    TEdit::Dispatch(message);
    if (message.Msg == WM_GETDLGCODE)
        message.Result |= DLGC_WANTTAB | DLGC_WANTARROWS;
}

void TQkEdit::KeyPress(char32_t& key)
{
    if (key == U'\t')
        key = 0;
    TEdit::KeyPress(key);
}
