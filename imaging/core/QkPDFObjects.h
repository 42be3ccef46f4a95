#pragma once
// A small object model of PDF 1.4 and the routines that lay out a file:
// header, numbered indirect objects, cross-reference table and trailer,
// with builders for the catalog, the page tree and pages. Every line ends
// with a single LF.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TStream;

class TQkPDFObject {
public:
    virtual ~TQkPDFObject() = default;
    // 0 until the object joins a document list.
    int32_t ObjectNumber = 0;
    // Where the object was last written; for a document's objects, their
    // "obj" line.
    int64_t Offset = 0;

    // Records the offset and writes the object's syntax.
    void WriteToStream(TStream& stream);

protected:
    virtual void WriteSyntax(TStream& stream) = 0;
};

// Objects are shared between the document list and the arrays and
// dictionaries that hold them.
using TQkPDFObjectPtr = std::shared_ptr<TQkPDFObject>;
using TQkPDFDocument = std::vector<TQkPDFObjectPtr>;

class TQkPDFRefObject : public TQkPDFObject {
public:
    TQkPDFRefObject(int32_t number, int32_t generation) : Number(number), Generation(generation) {}
    int32_t Number;
    int32_t Generation;

protected:
    void WriteSyntax(TStream& stream) override;
};

class TQkPDFBooleanObject : public TQkPDFObject {
public:
    explicit TQkPDFBooleanObject(bool value) : Value(value) {}
    bool Value;

protected:
    void WriteSyntax(TStream& stream) override;
};

// Written in fixed notation (PDF has no exponent form), with at most five
// decimals and no trailing zeros.
class TQkPDFNumericObject : public TQkPDFObject {
public:
    explicit TQkPDFNumericObject(double value) : Value(value) {}
    double Value;

protected:
    void WriteSyntax(TStream& stream) override;
};

// A literal string: parentheses, backslashes and control characters escaped.
class TQkPDFStringObject : public TQkPDFObject {
public:
    explicit TQkPDFStringObject(std::string value) : Value(std::move(value)) {}
    std::string Value;

protected:
    void WriteSyntax(TStream& stream) override;
};

// A name, without its slash: "#", delimiters, white space and bytes outside
// "!" .. "~" are written as "#" and two hexadecimal digits.
class TQkPDFNameObject : public TQkPDFObject {
public:
    explicit TQkPDFNameObject(std::string value) : Value(std::move(value)) {}
    std::string Value;

protected:
    void WriteSyntax(TStream& stream) override;
};

class TQkPDFArrayObject : public TQkPDFObject {
public:
    std::vector<TQkPDFObjectPtr> Items;

protected:
    void WriteSyntax(TStream& stream) override;
};

// Keys are names: written with the names' escapes.
class TQkPDFDictionaryObject : public TQkPDFObject {
public:
    // Replaces the value of a key in its place, or appends the entry.
    void Set(const std::string& key, TQkPDFObjectPtr value);
    // Nil when the key is missing.
    TQkPDFObjectPtr Get(const std::string& key) const;
    const std::vector<std::pair<std::string, TQkPDFObjectPtr>>& Entries() const { return entries_; }

protected:
    void WriteSyntax(TStream& stream) override;

private:
    std::vector<std::pair<std::string, TQkPDFObjectPtr>> entries_;
};

// Its dictionary's "Length" follows the data whenever it is written.
class TQkPDFStreamObject : public TQkPDFObject {
public:
    TQkPDFStreamObject();
    explicit TQkPDFStreamObject(std::vector<uint8_t> data);
    std::vector<uint8_t> Data;
    TQkPDFDictionaryObject Dictionary;

protected:
    void WriteSyntax(TStream& stream) override;
};

void WritePDFLine(TStream& stream, const std::string& text);
void WritePDFText(TStream& stream, const std::string& text);

// "%PDF-1.4" and a comment of four bytes above 127.
void WritePDFHeader(TStream& stream);
// The object's number becomes its place in the list, from 1.
void AddPDFObject(TQkPDFDocument& list, const TQkPDFObjectPtr& object);
void WritePDFObjects(TStream& stream, const TQkPDFDocument& list);
// The cross-reference table, the trailer (object 1 as the root, `info` as
// the document information) and the end marker.
void WritePDFTrailer(TStream& stream, const TQkPDFDocument& list, const TQkPDFObject& info);

// The catalog; it must be the document's first object.
std::shared_ptr<TQkPDFDictionaryObject> CreatePDFCatalog(TQkPDFDocument& list);
// The page tree of the pages, linked from the catalog and from each page.
std::shared_ptr<TQkPDFDictionaryObject>
CreatePDFPages(TQkPDFDocument& list, const std::vector<std::shared_ptr<TQkPDFDictionaryObject>>& pages);
// A page showing content stream number `contents`, with the resources when
// given, added to the document and to the pages.
std::shared_ptr<TQkPDFDictionaryObject> CreatePDFPage(TQkPDFDocument& list,
                                                      std::vector<std::shared_ptr<TQkPDFDictionaryObject>>& pages,
                                                      const TQkPDFObject* resources, int32_t contents,
                                                      std::shared_ptr<TQkPDFArrayObject> mediaBox);
