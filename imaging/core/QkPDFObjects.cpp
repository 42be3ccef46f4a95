#include "imaging/core/QkPDFObjects.h"

#include <cstdio>
#include <string_view>

#include "platform/core/Streams.h"

namespace {

constexpr std::string_view nameDelimiters = "#()<>[]{}/%";

std::string HexEscape(uint8_t byte)
{
    char text[4];
    std::snprintf(text, sizeof text, "#%02X", byte);
    return text;
}

std::string EscapedString(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        case '(': out += "\\("; break;
        case ')': out += "\\)"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string EscapedName(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 33 || byte > 126 || nameDelimiters.find(c) != std::string_view::npos)
            out += HexEscape(byte);
        else
            out += c;
    }
    return out;
}

std::string FixedNumber(double value)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.5f", value);
    std::string out(text);
    out.erase(out.find_last_not_of('0') + 1);
    if (out.back() == '.')
        out.pop_back();
    return out == "-0" ? "0" : out;
}

std::string Reference(int32_t number) { return std::to_string(number) + " 0 R"; }

} // namespace

void WritePDFText(TStream& stream, const std::string& text) { stream.WriteBuffer(text.data(), int64_t(text.size())); }

void WritePDFLine(TStream& stream, const std::string& text) { WritePDFText(stream, text + "\n"); }

void TQkPDFObject::WriteToStream(TStream& stream)
{
    Offset = stream.Position();
    WriteSyntax(stream);
}

void TQkPDFRefObject::WriteSyntax(TStream& stream)
{
    WritePDFText(stream, std::to_string(Number) + " " + std::to_string(Generation) + " R");
}

void TQkPDFBooleanObject::WriteSyntax(TStream& stream) { WritePDFText(stream, Value ? "true" : "false"); }

void TQkPDFNumericObject::WriteSyntax(TStream& stream) { WritePDFText(stream, FixedNumber(Value)); }

void TQkPDFStringObject::WriteSyntax(TStream& stream) { WritePDFText(stream, "(" + EscapedString(Value) + ")"); }

void TQkPDFNameObject::WriteSyntax(TStream& stream) { WritePDFText(stream, "/" + EscapedName(Value)); }

void TQkPDFArrayObject::WriteSyntax(TStream& stream)
{
    WritePDFText(stream, "[");
    for (const auto& item : Items) {
        item->WriteToStream(stream);
        WritePDFText(stream, " ");
    }
    WritePDFText(stream, "]");
}

void TQkPDFDictionaryObject::Set(const std::string& key, TQkPDFObjectPtr value)
{
    for (auto& entry : entries_)
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    entries_.emplace_back(key, std::move(value));
}

TQkPDFObjectPtr TQkPDFDictionaryObject::Get(const std::string& key) const
{
    for (const auto& entry : entries_)
        if (entry.first == key)
            return entry.second;
    return nullptr;
}

void TQkPDFDictionaryObject::WriteSyntax(TStream& stream)
{
    WritePDFText(stream, "<< ");
    for (const auto& [key, value] : entries_) {
        WritePDFText(stream, "/" + EscapedName(key) + " ");
        value->WriteToStream(stream);
        WritePDFText(stream, "\n");
    }
    WritePDFText(stream, ">>");
}

TQkPDFStreamObject::TQkPDFStreamObject() { Dictionary.Set("Length", std::make_shared<TQkPDFNumericObject>(0)); }

TQkPDFStreamObject::TQkPDFStreamObject(std::vector<uint8_t> data) : TQkPDFStreamObject() { Data = std::move(data); }

void TQkPDFStreamObject::WriteSyntax(TStream& stream)
{
    Dictionary.Set("Length", std::make_shared<TQkPDFNumericObject>(double(Data.size())));
    Dictionary.WriteToStream(stream);
    WritePDFText(stream, "\nstream\n");
    stream.WriteBuffer(Data.data(), int64_t(Data.size()));
    WritePDFText(stream, "\nendstream");
}

void WritePDFHeader(TStream& stream)
{
    WritePDFLine(stream, "%PDF-1.4");
    WritePDFLine(stream, std::string("%\xC8\xD2\xF0\xFE"));
}

void AddPDFObject(TQkPDFDocument& list, const TQkPDFObjectPtr& object)
{
    list.push_back(object);
    object->ObjectNumber = static_cast<int32_t>(list.size());
}

void WritePDFObjects(TStream& stream, const TQkPDFDocument& list)
{
    for (const auto& object : list) {
        const int64_t start = stream.Position();
        WritePDFLine(stream, std::to_string(object->ObjectNumber) + " 0 obj");
        object->WriteToStream(stream);
        WritePDFText(stream, "\n");
        WritePDFLine(stream, "endobj");
        object->Offset = start;
    }
}

void WritePDFTrailer(TStream& stream, const TQkPDFDocument& list, const TQkPDFObject& info)
{
    const int64_t crossReference = stream.Position();
    const std::string size = std::to_string(list.size() + 1);
    WritePDFLine(stream, "xref");
    WritePDFLine(stream, "0 " + size);
    WritePDFLine(stream, "0000000000 65535 f ");
    for (const auto& object : list) {
        char line[32];
        std::snprintf(line, sizeof line, "%010lld 00000 n ", static_cast<long long>(object->Offset));
        WritePDFLine(stream, line);
    }
    for (const std::string& line : {std::string("trailer"), "<< /Size " + size, std::string("/Root 1 0 R"),
                                    "/Info " + Reference(info.ObjectNumber), std::string(">>"),
                                    std::string("startxref"), std::to_string(crossReference), std::string("%%EOF")})
        WritePDFLine(stream, line);
}

std::shared_ptr<TQkPDFDictionaryObject> CreatePDFCatalog(TQkPDFDocument& list)
{
    auto catalog = std::make_shared<TQkPDFDictionaryObject>();
    catalog->Set("Type", std::make_shared<TQkPDFNameObject>("Catalog"));
    AddPDFObject(list, catalog);
    return catalog;
}

std::shared_ptr<TQkPDFDictionaryObject>
CreatePDFPages(TQkPDFDocument& list, const std::vector<std::shared_ptr<TQkPDFDictionaryObject>>& pages)
{
    auto tree = std::make_shared<TQkPDFDictionaryObject>();
    AddPDFObject(list, tree);
    tree->Set("Type", std::make_shared<TQkPDFNameObject>("Pages"));
    auto kids = std::make_shared<TQkPDFArrayObject>();
    for (const auto& page : pages) {
        page->Set("Parent", std::make_shared<TQkPDFRefObject>(tree->ObjectNumber, 0));
        kids->Items.push_back(std::make_shared<TQkPDFRefObject>(page->ObjectNumber, 0));
    }
    tree->Set("Kids", kids);
    tree->Set("Count", std::make_shared<TQkPDFNumericObject>(double(pages.size())));
    if (auto* catalog = list.empty() ? nullptr : dynamic_cast<TQkPDFDictionaryObject*>(list.front().get()))
        catalog->Set("Pages", std::make_shared<TQkPDFRefObject>(tree->ObjectNumber, 0));
    return tree;
}

std::shared_ptr<TQkPDFDictionaryObject> CreatePDFPage(TQkPDFDocument& list,
                                                      std::vector<std::shared_ptr<TQkPDFDictionaryObject>>& pages,
                                                      const TQkPDFObject* resources, int32_t contents,
                                                      std::shared_ptr<TQkPDFArrayObject> mediaBox)
{
    auto page = std::make_shared<TQkPDFDictionaryObject>();
    page->Set("Type", std::make_shared<TQkPDFNameObject>("Page"));
    if (resources != nullptr)
        page->Set("Resources", std::make_shared<TQkPDFRefObject>(resources->ObjectNumber, 0));
    page->Set("MediaBox", std::move(mediaBox));
    page->Set("Contents", std::make_shared<TQkPDFRefObject>(contents, 0));
    AddPDFObject(list, page);
    pages.push_back(page);
    return page;
}
