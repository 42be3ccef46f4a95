#include "platform/core/IniFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Utf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(const std::string& trimmed) { return !trimmed.empty() && trimmed[0] == ';'; }

// True for "[name]" (blanks allowed around it and the name).
bool ParseSectionHeader(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    const size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

bool ParseKeyLine(const std::string& line, std::string& key, std::string& value)
{
    const std::string trimmed = TrimLeft(line);
    const size_t equals = trimmed.find('=');
    if (IsComment(trimmed) || trimmed.empty() || trimmed[0] == '[' || equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

TIniFile::TIniFile(const std::string& fileName) : fileName_(fileName) {}

// ---- Loading and storing --------------------------------------------------

void TIniFile::Refresh()
{
    readError_.clear();
    struct stat info;
    if (::stat(fileName_.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        SetLines({});
        loaded_ = false;
        if (::access(fileName_.c_str(), F_OK) == 0) // a folder, pipe or device: never read or replaced
            readError_ = CreateFmt<EFCreateError>("Cannot open file \"%s\". Not a regular file", fileName_).Message();
        return;
    }
    if (loaded_ && info.st_ino == inode_ && info.st_size == size_ && info.st_mtim.tv_sec == modified_.tv_sec &&
        info.st_mtim.tv_nsec == modified_.tv_nsec)
        return;
    std::string text;
    try {
        TStringStream content;
        content.LoadFromFile(fileName_);
        text = content.DataString();
    } catch (const Exception& e) {
        SetLines({});
        loaded_ = false;
        readError_ = e.Message();
        return;
    }
    hasByteOrderMark_ = text.compare(0, Utf8ByteOrderMark.size(), Utf8ByteOrderMark) == 0;
    lineBreak_ = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    TStringList lines;
    lines.SetText(hasByteOrderMark_ ? text.substr(Utf8ByteOrderMark.size()) : text);
    Lines loaded;
    loaded.reserve(static_cast<size_t>(lines.Count()));
    for (int32_t i = 0; i < lines.Count(); ++i)
        loaded.push_back(lines[i]);
    SetLines(std::move(loaded));
    loaded_ = true;
    inode_ = info.st_ino;
    size_ = info.st_size;
    modified_ = info.st_mtim;
}

void TIniFile::SetLines(Lines lines)
{
    lines_ = std::move(lines);
    sections_.clear();
    sectionsByName_.clear();
    TSectionIndex* current = nullptr; // null outside a section and in later duplicates
    std::string name, key, value;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto line = static_cast<int32_t>(i);
        if (ParseSectionHeader(lines_[i], name)) {
            if (current)
                current->End = line;
            current = nullptr;
            if (sectionsByName_.emplace(AnsiUpperCase(name), sections_.size()).second) {
                sections_.push_back({name, line, static_cast<int32_t>(lines_.size()), {}});
                current = &sections_.back();
            }
        } else if (current && ParseKeyLine(lines_[i], key, value)) {
            current->KeyLines.emplace(AnsiUpperCase(key), line);
        }
    }
}

void TIniFile::Store(const Lines& lines)
{
    // Rewriting a file that exists but could not be read would lose its contents.
    if (!readError_.empty())
        throw EFCreateError(readError_);
    std::string text = hasByteOrderMark_ ? Utf8ByteOrderMark : std::string();
    for (const std::string& line : lines)
        text += line + lineBreak_;
    {
        TFileStream file(fileName_, fmCreate);
        file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    }
    loaded_ = false; // the next read takes the file's new identity
    Refresh();
}

// ---- Finding --------------------------------------------------------------

const TIniFile::TSectionIndex* TIniFile::FindSection(const std::string& section) const
{
    const auto found = sectionsByName_.find(AnsiUpperCase(Trim(section)));
    return found == sectionsByName_.end() ? nullptr : &sections_[found->second];
}

int32_t TIniFile::FindKey(const std::string& section, const std::string& ident) const
{
    const TSectionIndex* index = FindSection(section);
    if (!index)
        return -1;
    const auto found = index->KeyLines.find(AnsiUpperCase(Trim(ident)));
    return found == index->KeyLines.end() ? -1 : found->second;
}

// ---- Reading --------------------------------------------------------------

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def)
{
    Refresh();
    const int32_t line = FindKey(section, ident);
    std::string key, value;
    if (line < 0 || !ParseKeyLine(lines_[static_cast<size_t>(line)], key, value))
        return def;
    return Unquote(value);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def)
{
    return StrToIntDef(ReadString(section, ident, std::string()), def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& ident, double def)
{
    return StrToFloatDef(ReadString(section, ident, std::string()), def);
}

void TIniFile::ReadSection(const std::string& section, TStrings& strings)
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    if (const TSectionIndex* index = FindSection(section)) {
        std::string key, value;
        for (int32_t i = index->Header + 1; i < index->End; ++i)
            if (ParseKeyLine(lines_[static_cast<size_t>(i)], key, value))
                strings.Add(key);
    }
    strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& strings)
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    for (const TSectionIndex& index : sections_)
        strings.Add(index.Name);
    strings.EndUpdate();
}

// A key written twice lists twice, each time with the first one's value.
void TIniFile::ReadSectionValues(const std::string& section, TStrings& strings)
{
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    if (const TSectionIndex* index = FindSection(section)) {
        std::string key, value, firstKey, firstValue;
        for (int32_t i = index->Header + 1; i < index->End; ++i) {
            if (!ParseKeyLine(lines_[static_cast<size_t>(i)], key, value))
                continue;
            const int32_t first = index->KeyLines.at(AnsiUpperCase(key));
            ParseKeyLine(lines_[static_cast<size_t>(first)], firstKey, firstValue);
            strings.Add(key + "=" + Unquote(firstValue));
        }
    }
    strings.EndUpdate();
}

bool TIniFile::SectionExists(const std::string& section)
{
    Refresh();
    const TSectionIndex* index = FindSection(section);
    return index && !index->KeyLines.empty();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident)
{
    Refresh();
    return FindKey(section, ident) >= 0;
}

// ---- Writing --------------------------------------------------------------

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    // A line break would turn the rest of the value into lines of their own.
    if ((section + ident + value).find_first_of("\r\n") != std::string::npos)
        throw EInvalidArgument("INI file entries cannot contain line breaks");
    Refresh();
    Lines lines = lines_;
    const std::string entry = Trim(ident) + "=" + value;
    const int32_t existing = FindKey(section, ident);
    if (existing >= 0) {
        lines[static_cast<size_t>(existing)] = entry;
    } else if (const TSectionIndex* index = FindSection(section)) {
        // After the section's last non-blank line, so blank separators stay between sections.
        int32_t at = index->End;
        while (at > index->Header + 1 && Trim(lines[static_cast<size_t>(at - 1)]).empty())
            --at;
        lines.insert(lines.begin() + at, entry);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + Trim(section) + "]");
        lines.push_back(entry);
    }
    Store(lines);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value)
{
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section)
{
    Refresh();
    const TSectionIndex* index = FindSection(section);
    if (!index)
        return;
    Lines lines = lines_;
    lines.erase(lines.begin() + index->Header, lines.begin() + index->End);
    Store(lines);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    Refresh();
    const int32_t line = FindKey(section, ident);
    if (line < 0)
        return;
    Lines lines = lines_;
    lines.erase(lines.begin() + line);
    Store(lines);
}
