// libFuzzer target: any bytes on the clipboard as the text control's private
// block paste whole or not at all, never crashing or reading outside them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/views/textedit/QkTextControl.h"
#include "platform/ui/Clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool started = (TextControlStaticInit(), true);
    (void)started;
    TQkTextControl text(nullptr);
    text.SetContent({"ab", {}, {}});
    text.SetCaretIndex(1);
    Clipboard()->SetFormatData(TextMemoClipboardFormat, std::vector<uint8_t>(data, data + size));
    text.PasteFromClipboard();
    const int32_t pasted = text.TextLength() - 2;
    const bool whole = size >= 4 && static_cast<size_t>(pasted) * 284 + 4 == size;
    if (pasted != 0 && !whole)
        std::abort();
    for (int32_t i = 0; i < text.TextLength(); ++i)
        if (text.CharRun(i).Alignment > paJustify)
            std::abort();
    return 0;
}
