#pragma once
// INI files with the classic profile-file rules: section and key names are
// case-insensitive and trimmed, values are trimmed and lose one pair of
// enclosing quotes, lines starting with ";" are comments, the first of
// duplicate sections or keys wins. Every update rewrites the whole file
// (UTF-8, keeping its line breaks and byte-order mark). A missing or
// unreadable file reads as empty; a failed write raises EFCreateError and
// leaves the file's contents as they were. An existing file that cannot be
// read is never rewritten (EFCreateError with the reason it could not be read).

#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

#include "platform/core/Persistent.h"

class TStrings;

class TIniFile : public TObject {
public:
    explicit TIniFile(const std::string& fileName);

    const std::string& FileName() const { return fileName_; }

    // The default is returned only when the key is absent; a present key with
    // an empty value reads as "".
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def);
    // Decimal, "$" or "0x" hexadecimal; anything else gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def);
    // Read as an integer: 0 is false, other numbers true, text gives the default.
    bool ReadBool(const std::string& section, const std::string& ident, bool def);
    double ReadFloat(const std::string& section, const std::string& ident, double def);

    // Raises EInvalidArgument for a section, key or value holding a line break.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
    void WriteBool(const std::string& section, const std::string& ident, bool value); // "1" or "0"

    // Each fills (after clearing) `strings` with the section's key names, the
    // file's section names, or the section's "key=value" lines.
    void ReadSection(const std::string& section, TStrings& strings);
    void ReadSections(TStrings& strings);
    void ReadSectionValues(const std::string& section, TStrings& strings);
    // A section counts as existing only when it holds at least one key.
    bool SectionExists(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& ident);

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);

private:
    using Lines = std::vector<std::string>;

    // Where a section's lines are, for the first section of each name: its
    // header, the line after its last, and the first line of each key.
    // Names are keyed folded to upper case, so look-ups take constant time.
    struct TSectionIndex {
        std::string Name;
        int32_t Header = 0;
        int32_t End = 0;
        std::unordered_map<std::string, int32_t> KeyLines;
    };

    void Refresh();
    void SetLines(Lines lines);
    void Store(const Lines& lines);
    const TSectionIndex* FindSection(const std::string& section) const;
    int32_t FindKey(const std::string& section, const std::string& ident) const;

    std::string fileName_;
    Lines lines_;
    std::vector<TSectionIndex> sections_; // in file order
    std::unordered_map<std::string, size_t> sectionsByName_;
    std::string readError_; // why an existing file could not be read
    std::string lineBreak_ = "\n";
    bool hasByteOrderMark_ = false;
    // What the lines were read from, to notice changes made by others.
    bool loaded_ = false;
    ino_t inode_ = 0;
    off_t size_ = -1;
    timespec modified_ = {};
};
