#pragma once
// TStrings and TStringList: ordered lists of strings with associated objects,
// Name=Value access, delimited and line-broken text forms, files and change
// notification.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Persistent.h"

class TStream;

class TStrings : public TPersistent {
public:
    // ---- The storage a descendant provides ----
    virtual int32_t Count() const = 0;
    virtual std::string Strings(int32_t index) const = 0;
    virtual void SetStrings(int32_t index, const std::string& s) = 0;
    virtual TObject* Objects(int32_t index) const = 0;
    virtual void SetObjects(int32_t index, TObject* object) = 0;
    virtual void InsertObject(int32_t index, const std::string& s, TObject* object) = 0;
    virtual void Delete(int32_t index) = 0;
    virtual void Clear() = 0;

    std::string operator[](int32_t index) const { return Strings(index); }

    // Returns the index of the new item (its sorted place in a sorted list).
    virtual int32_t Add(const std::string& s);
    virtual int32_t AddObject(const std::string& s, TObject* object);
    void Append(const std::string& s) { Add(s); }
    void AddStrings(const TStrings& strings);
    void Insert(int32_t index, const std::string& s) { InsertObject(index, s, nullptr); }
    virtual void Exchange(int32_t index1, int32_t index2);
    void Move(int32_t currentIndex, int32_t newIndex);
    void Assign(const TPersistent* source) override;
    bool Equals(const TStrings& other) const;

    // -1 when absent. Comparison follows CompareStrings (case-insensitive
    // unless a string list is made case-sensitive).
    virtual int32_t IndexOf(const std::string& s) const;
    int32_t IndexOfName(const std::string& name) const;
    int32_t IndexOfObject(const TObject* object) const;

    // ---- Name=Value lines ----
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char separator) { nameValueSeparator_ = separator; }
    // The part before the separator; "" for a line without one.
    std::string Names(int32_t index) const;
    // The value of the first line named `name`; "" if there is none.
    std::string Values(const std::string& name) const;
    // Replaces or appends "name=value"; an empty value deletes the line.
    void SetValues(const std::string& name, const std::string& value);
    // The part after the separator; "" for a line without one.
    std::string ValueFromIndex(int32_t index) const;
    void SetValueFromIndex(int32_t index, const std::string& value);

    // ---- Text forms ----
    // Text joins every line with LineBreak ("\n" by default) after each; setting
    // it splits at CR, LF or CR LF.
    std::string Text() const;
    void SetText(const std::string& text);
    const std::string& LineBreak() const { return lineBreak_; }
    void SetLineBreak(const std::string& lineBreak) { lineBreak_ = lineBreak; }

    // Items joined by Delimiter; items holding blanks, control characters, the
    // delimiter or the quote are quoted (with StrictDelimiter only the last two).
    // Parsing splits at the delimiter and, unless StrictDelimiter, at blanks.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& text);
    // DelimitedText with "," and "\"".
    std::string CommaText() const;
    void SetCommaText(const std::string& text);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char delimiter) { delimiter_ = delimiter; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char quoteChar) { quoteChar_ = quoteChar; }
    bool StrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool strict) { strictDelimiter_ = strict; }

    // ---- Files (UTF-8; a leading byte-order mark is skipped) ----
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // ---- Change notification ----
    // Nested pairs: the first BeginUpdate announces the change (OnChanging in a
    // string list) and the last EndUpdate reports it (OnChange).
    void BeginUpdate();
    void EndUpdate();
    int32_t UpdateCount() const { return updateCount_; }

protected:
    virtual void SetUpdateState(bool updating);
    virtual int CompareStrings(const std::string& a, const std::string& b) const;
    [[noreturn]] static void ListIndexError(int32_t index);

private:
    void AddQuotedOrPlain(std::string& out, const std::string& item, char delimiter, char quote) const;
    std::string JoinDelimited(char delimiter, char quote) const;
    void ParseDelimited(const std::string& text, char delimiter, char quote);

    int32_t updateCount_ = 0;
    char nameValueSeparator_ = '=';
    char delimiter_ = ',';
    char quoteChar_ = '"';
    bool strictDelimiter_ = false;
    std::string lineBreak_ = "\n";
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList& list, int32_t index1, int32_t index2)>;

class TStringList : public TStrings {
public:
    int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
    std::string Strings(int32_t index) const override;
    // Raises EListError "Operation not allowed on sorted list" when sorted.
    void SetStrings(int32_t index, const std::string& s) override;
    TObject* Objects(int32_t index) const override;
    void SetObjects(int32_t index, TObject* object) override;
    // Raises EListError "Operation not allowed on sorted list" when sorted.
    void InsertObject(int32_t index, const std::string& s, TObject* object) override;
    void Delete(int32_t index) override;
    void Clear() override;
    void Exchange(int32_t index1, int32_t index2) override;

    // In a sorted list an equal string is ignored (dupIgnore, returning its
    // index), refused (dupError: EListError "String list does not allow
    // duplicates") or inserted before its equals (dupAccept).
    int32_t AddObject(const std::string& s, TObject* object) override;
    int32_t IndexOf(const std::string& s) const override;

    // Binary search for a sorted list: true if found, `index` is the first
    // equal item or the place where `s` would be inserted.
    bool Find(const std::string& s, int32_t& index) const;
    void Sort();
    void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    int CompareStrings(const std::string& a, const std::string& b) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        std::string string;
        TObject* object = nullptr;
    };

    void CheckIndex(int32_t index) const;
    void InsertItem(int32_t index, const std::string& s, TObject* object);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
