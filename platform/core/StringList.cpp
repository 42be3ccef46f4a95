#include "platform/core/StringList.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

#include <algorithm>
#include <numeric>

namespace {

const std::string Utf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Takes a quoted item starting at `pos` (on the opening quote); a doubled
// quote stands for one. Leaves `pos` after the closing quote, or at the end
// when the quote is never closed.
std::string ExtractQuoted(const std::string& text, size_t& pos, char quote)
{
    std::string out;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == quote) {
            if (pos + 1 < text.size() && text[pos + 1] == quote) {
                out += quote;
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        out += text[pos++];
    }
    return out;
}

} // namespace

// ---- TStrings: editing ----------------------------------------------------

int32_t TStrings::Add(const std::string& s) { return AddObject(s, nullptr); }

int32_t TStrings::AddObject(const std::string& s, TObject* object)
{
    const int32_t index = Count();
    InsertObject(index, s, object);
    return index;
}

void TStrings::AddStrings(const TStrings& strings)
{
    BeginUpdate();
    try {
        for (int32_t i = 0; i < strings.Count(); ++i)
            AddObject(strings.Strings(i), strings.Objects(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int32_t index1, int32_t index2)
{
    BeginUpdate();
    const std::string s = Strings(index1);
    TObject* object = Objects(index1);
    SetStrings(index1, Strings(index2));
    SetObjects(index1, Objects(index2));
    SetStrings(index2, s);
    SetObjects(index2, object);
    EndUpdate();
}

void TStrings::Move(int32_t currentIndex, int32_t newIndex)
{
    if (currentIndex == newIndex)
        return;
    BeginUpdate();
    try {
        const std::string s = Strings(currentIndex);
        TObject* object = Objects(currentIndex);
        Delete(currentIndex);
        InsertObject(newIndex, s, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TPersistent* source)
{
    const auto* strings = dynamic_cast<const TStrings*>(source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this)
        return;
    BeginUpdate();
    try {
        Clear();
        AddStrings(*strings);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const
{
    if (Count() != other.Count())
        return false;
    for (int32_t i = 0; i < Count(); ++i)
        if (Strings(i) != other.Strings(i))
            return false;
    return true;
}

// ---- TStrings: searching --------------------------------------------------

int TStrings::CompareStrings(const std::string& a, const std::string& b) const { return AnsiCompareText(a, b); }

int32_t TStrings::IndexOf(const std::string& s) const
{
    for (int32_t i = 0; i < Count(); ++i)
        if (CompareStrings(Strings(i), s) == 0)
            return i;
    return -1;
}

int32_t TStrings::IndexOfName(const std::string& name) const
{
    for (int32_t i = 0; i < Count(); ++i) {
        const std::string line = Strings(i);
        const size_t separator = line.find(nameValueSeparator_);
        if (separator != std::string::npos && CompareStrings(line.substr(0, separator), name) == 0)
            return i;
    }
    return -1;
}

int32_t TStrings::IndexOfObject(const TObject* object) const
{
    for (int32_t i = 0; i < Count(); ++i)
        if (Objects(i) == object)
            return i;
    return -1;
}

// ---- TStrings: Name=Value -------------------------------------------------

std::string TStrings::Names(int32_t index) const
{
    const std::string line = Strings(index);
    const size_t separator = line.find(nameValueSeparator_);
    return separator == std::string::npos ? std::string() : line.substr(0, separator);
}

std::string TStrings::Values(const std::string& name) const
{
    const int32_t index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(const std::string& name, const std::string& value)
{
    int32_t index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    if (index < 0)
        index = Add(std::string());
    SetStrings(index, name + nameValueSeparator_ + value);
}

std::string TStrings::ValueFromIndex(int32_t index) const
{
    const std::string line = Strings(index);
    const size_t separator = line.find(nameValueSeparator_);
    return separator == std::string::npos ? std::string() : line.substr(separator + 1);
}

void TStrings::SetValueFromIndex(int32_t index, const std::string& value)
{
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    if (index < 0)
        index = Add(std::string());
    SetStrings(index, Names(index) + nameValueSeparator_ + value);
}

// ---- TStrings: text forms -------------------------------------------------

std::string TStrings::Text() const
{
    std::string text;
    for (int32_t i = 0; i < Count(); ++i)
        text += Strings(i) + lineBreak_;
    return text;
}

void TStrings::SetText(const std::string& text)
{
    BeginUpdate();
    try {
        Clear();
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
            Add(text.substr(pos, end - pos));
            pos = end;
            if (pos < text.size() && text[pos] == '\r')
                ++pos;
            if (pos < text.size() && text[pos] == '\n')
                ++pos;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddQuotedOrPlain(std::string& out, const std::string& item, char delimiter, char quote) const
{
    const bool needsQuotes = std::any_of(item.begin(), item.end(), [&](char c) {
        return c == quote || c == delimiter || (!strictDelimiter_ && IsBlankOrControl(c));
    });
    if (!needsQuotes) {
        out += item;
        return;
    }
    out += quote;
    for (char c : item) {
        if (c == quote)
            out += quote;
        out += c;
    }
    out += quote;
}

std::string TStrings::JoinDelimited(char delimiter, char quote) const
{
    if (Count() == 1 && Strings(0).empty())
        return std::string(2, quote);
    std::string out;
    for (int32_t i = 0; i < Count(); ++i) {
        if (i > 0)
            out += delimiter;
        AddQuotedOrPlain(out, Strings(i), delimiter, quote);
    }
    return out;
}

void TStrings::ParseDelimited(const std::string& text, char delimiter, char quote)
{
    const auto skipBlanks = [&](size_t& pos) {
        while (!strictDelimiter_ && pos < text.size() && IsBlankOrControl(text[pos]))
            ++pos;
    };
    BeginUpdate();
    try {
        Clear();
        size_t pos = 0;
        skipBlanks(pos);
        while (pos < text.size()) {
            if (text[pos] == quote) {
                Add(ExtractQuoted(text, pos, quote));
            } else {
                const size_t start = pos;
                while (pos < text.size() && text[pos] != delimiter &&
                       (strictDelimiter_ || !IsBlankOrControl(text[pos])))
                    ++pos;
                Add(text.substr(start, pos - start));
            }
            skipBlanks(pos);
            if (pos < text.size() && text[pos] == delimiter) {
                if (pos + 1 == text.size())
                    Add(std::string());
                ++pos;
                skipBlanks(pos);
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::DelimitedText() const { return JoinDelimited(delimiter_, quoteChar_); }
void TStrings::SetDelimitedText(const std::string& text) { ParseDelimited(text, delimiter_, quoteChar_); }
std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }
void TStrings::SetCommaText(const std::string& text) { ParseDelimited(text, ',', '"'); }

// ---- TStrings: files ------------------------------------------------------

void TStrings::LoadFromStream(TStream& stream)
{
    const int64_t size = stream.Size() - stream.Position();
    std::string text(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
    text.resize(static_cast<size_t>(stream.Read(text.data(), static_cast<int64_t>(text.size()))));
    if (text.compare(0, Utf8ByteOrderMark.size(), Utf8ByteOrderMark) == 0)
        text.erase(0, Utf8ByteOrderMark.size());
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TStrings: updates ----------------------------------------------------

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0)
        SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::ListIndexError(int32_t index) { throw CreateFmt<EListError>("List index out of bounds (%d)", index); }

// ---- TStringList ----------------------------------------------------------

namespace {

[[noreturn]] void SortedListError() { throw EListError("Operation not allowed on sorted list"); }

} // namespace

void TStringList::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
}

std::string TStringList::Strings(int32_t index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].string;
}

void TStringList::SetStrings(int32_t index, const std::string& s)
{
    if (sorted_)
        SortedListError();
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].string = s;
    Changed();
}

TObject* TStringList::Objects(int32_t index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::SetObjects(int32_t index, TObject* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

void TStringList::InsertObject(int32_t index, const std::string& s, TObject* object)
{
    if (sorted_)
        SortedListError();
    if (index < 0 || index > Count())
        ListIndexError(index);
    InsertItem(index, s, object);
}

void TStringList::InsertItem(int32_t index, const std::string& s, TObject* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Delete(int32_t index)
{
    CheckIndex(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty())
        return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Exchange(int32_t index1, int32_t index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
    Changed();
}

int32_t TStringList::AddObject(const std::string& s, TObject* object)
{
    int32_t index = Count();
    if (sorted_ && Find(s, index)) {
        if (duplicates_ == dupIgnore)
            return index;
        if (duplicates_ == dupError)
            throw EListError("String list does not allow duplicates");
    }
    InsertItem(index, s, object);
    return index;
}

int32_t TStringList::IndexOf(const std::string& s) const
{
    if (!sorted_)
        return TStrings::IndexOf(s);
    int32_t index = 0;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int32_t& index) const
{
    const auto first =
        std::lower_bound(items_.begin(), items_.end(), s, [this](const Item& item, const std::string& value) {
            return CompareStrings(item.string, value) < 0;
        });
    index = static_cast<int32_t>(first - items_.begin());
    return first != items_.end() && CompareStrings(first->string, s) == 0;
}

void TStringList::Sort()
{
    CustomSort([](TStringList& list, int32_t a, int32_t b) {
        return list.CompareStrings(list.items_[static_cast<size_t>(a)].string,
                                   list.items_[static_cast<size_t>(b)].string);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (items_.size() < 2)
        return;
    Changing();
    // Sort a permutation so that `compare` always sees the list as it was.
    std::vector<int32_t> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int32_t index : order)
        sorted.push_back(items_[static_cast<size_t>(index)]);
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted_ == sorted)
        return;
    if (sorted)
        Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive_ == caseSensitive)
        return;
    caseSensitive_ = caseSensitive;
    if (sorted_)
        Sort();
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const
{
    return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}
