#include "platform/ui/Clipboard.h"

#include "platform/ui/WindowSystem.h"

#include <map>
#include <mutex>

namespace {

// The first id of a named format, as the desktop clipboards number them.
constexpr TClipFormat FirstNamedFormat = 0xC000;

// Format names and data, shared by every thread of the process.
struct TClipStore {
    std::mutex Lock;
    std::map<std::string, TClipFormat> Names;
    std::map<TClipFormat, std::vector<uint8_t>> Data;
};

TClipStore& Store()
{
    static TClipStore store;
    return store;
}

bool IsKnown(TClipStore& store, TClipFormat format)
{
    return format == CF_BITMAP || (format >= FirstNamedFormat && format < FirstNamedFormat + store.Names.size());
}

} // namespace

TClipFormat RegisterClipboardFormat(const std::string& name)
{
    if (name.empty())
        return 0;
    TClipStore& store = Store();
    const std::lock_guard<std::mutex> guard(store.Lock);
    const auto next = FirstNamedFormat + static_cast<TClipFormat>(store.Names.size());
    return store.Names.emplace(name, next).first->second;
}

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}

std::string TClipboard::AsText() const { return WindowSystem().Backend().ClipboardText(); }

void TClipboard::SetAsText(const std::string& text) { WindowSystem().Backend().SetClipboardText(text); }

bool TClipboard::HasFormat(TClipFormat format) const
{
    TClipStore& store = Store();
    const std::lock_guard<std::mutex> guard(store.Lock);
    return store.Data.count(format) != 0;
}

bool TClipboard::SetFormatData(TClipFormat format, std::vector<uint8_t> data)
{
    TClipStore& store = Store();
    const std::lock_guard<std::mutex> guard(store.Lock);
    if (!IsKnown(store, format))
        return false;
    store.Data[format] = std::move(data);
    return true;
}

std::vector<uint8_t> TClipboard::FormatData(TClipFormat format) const
{
    TClipStore& store = Store();
    const std::lock_guard<std::mutex> guard(store.Lock);
    const auto found = store.Data.find(format);
    return found == store.Data.end() ? std::vector<uint8_t>() : found->second;
}

void TClipboard::ClearFormats()
{
    TClipStore& store = Store();
    const std::lock_guard<std::mutex> guard(store.Lock);
    store.Data.clear();
}
