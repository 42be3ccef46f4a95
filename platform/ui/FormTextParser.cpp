// Parsing and formatting of the form-resource text.

#include <cctype>

#include "platform/core/Strings.h"
#include "platform/ui/FormResources.h"

namespace {

// Objects, lists and collections nest by recursion; real forms stay a few
// dozen levels deep, and a bound keeps hostile text from exhausting the stack.
constexpr int MaxNesting = 1000;

class TFormTextParser {
public:
    explicit TFormTextParser(const std::string& text) : text_(text) {}

    TResourceObject ParseRoot()
    {
        TResourceObject root = ParseObject();
        SkipBlanks();
        if (pos_ < text_.size())
            Fail("text after the last 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw CreateFmt<EParserError>("Line %d: %s", line_, what); }

    // Counts one level of nesting for as long as it lives.
    class TNestingLevel {
    public:
        explicit TNestingLevel(TFormTextParser& parser) : parser_(parser)
        {
            if (parser_.depth_ == MaxNesting)
                parser_.Fail("nesting deeper than " + std::to_string(MaxNesting) + " levels");
            ++parser_.depth_;
        }
        ~TNestingLevel() { --parser_.depth_; }
        TNestingLevel(const TNestingLevel&) = delete;
        TNestingLevel& operator=(const TNestingLevel&) = delete;

    private:
        TFormTextParser& parser_;
    };

    void SkipBlanks()
    {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }

    char Peek()
    {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

    void Expect(char c)
    {
        if (Peek() != c)
            Fail(std::string("'") + c + "' expected");
        ++pos_;
    }

    static bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

    std::string Identifier()
    {
        SkipBlanks();
        size_t start = pos_;
        if (pos_ >= text_.size() || !(std::isalpha(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            Fail("identifier expected");
        while (pos_ < text_.size() && IsIdentChar(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    bool AtKeyword(const char* word)
    {
        SkipBlanks();
        size_t n = std::char_traits<char>::length(word);
        return text_.compare(pos_, n, word) == 0 && (pos_ + n >= text_.size() || !IsIdentChar(text_[pos_ + n]));
    }

    TResourceObject ParseObject()
    {
        if (!AtKeyword("object"))
            Fail("'object' expected");
        TNestingLevel level(*this);
        Identifier();
        TResourceObject object;
        std::string first = Identifier();
        if (Peek() == ':') {
            ++pos_;
            object.Name = first;
            object.ClassName = Identifier();
        } else {
            object.ClassName = first;
        }
        for (;;) {
            if (AtKeyword("end")) {
                Identifier();
                return object;
            }
            if (AtKeyword("object")) {
                object.Children.push_back(ParseObject());
                continue;
            }
            object.Properties.push_back(ParseProperty());
        }
    }

    TResourceProperty ParseProperty()
    {
        TResourceProperty prop;
        prop.Path = Identifier();
        Expect('=');
        prop.Value = ParseValue();
        return prop;
    }

    TResourceValue ParseValue()
    {
        char c = Peek();
        if (c == '\'' || c == '#')
            return ParseString();
        if (c == '[')
            return ParseSet();
        if (c == '(')
            return ParseList();
        if (c == '<')
            return ParseCollection();
        if (c == '{')
            return ParseBinary();
        if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c)))
            return ParseNumber();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            TResourceValue value;
            value.Kind = TResourceValue::Ident;
            value.Text = Identifier();
            return value;
        }
        Fail("value expected");
    }

    // 'quoted' and #code pieces, joined directly or with "+".
    TResourceValue ParseString()
    {
        TResourceValue value;
        value.Kind = TResourceValue::String;
        for (bool first = true;; first = false) {
            char c = first ? Peek() : text_[pos_];
            if (c == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n')
                        Fail("unterminated string");
                    if (text_[pos_] == '\'') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                            value.Text += '\'';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    value.Text += text_[pos_++];
                }
            } else if (c == '#') {
                ++pos_;
                size_t start = pos_;
                while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
                    ++pos_;
                if (start == pos_)
                    Fail("character code expected");
                // Digit by digit, so that any run of digits stays a parser error.
                int64_t code = 0;
                for (size_t i = start; i < pos_; ++i) {
                    code = code * 10 + (text_[i] - '0');
                    if (code > 0x10FFFF)
                        Fail("character code out of range");
                }
                value.Text += Utf8Encode(static_cast<char32_t>(code));
            } else if (c == '+') {
                ++pos_;
                if (Peek() != '\'' && Peek() != '#')
                    Fail("string expected after '+'");
                continue;
            } else {
                return value;
            }
            // Pieces join when they touch ('a'#13'b') or across a "+";
            // strings on separate lines are separate list items.
            if (!StringContinues())
                return value;
        }
    }

    bool StringContinues()
    {
        if (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#'))
            return true;
        size_t save = pos_;
        int line = line_;
        if (Peek() == '+')
            return true;
        pos_ = save;
        line_ = line;
        return false;
    }

    TResourceValue ParseNumber()
    {
        SkipBlanks();
        size_t start = pos_;
        if (text_[pos_] == '-')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '$') {
            ++pos_;
            while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
        } else {
            while (pos_ < text_.size() &&
                   (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.' || text_[pos_] == 'E' ||
                    text_[pos_] == 'e' ||
                    ((text_[pos_] == '-' || text_[pos_] == '+') && (text_[pos_ - 1] == 'E' || text_[pos_ - 1] == 'e'))))
                ++pos_;
        }
        std::string token = text_.substr(start, pos_ - start);
        TResourceValue value;
        int64_t integer = 0;
        double real = 0;
        if (TryStrToInt64(token, integer)) {
            value.Int = integer;
        } else if (TryStrToFloat(token, real)) {
            value.Kind = TResourceValue::Float;
            value.Real = real;
        } else {
            Fail("invalid number '" + token + "'");
        }
        return value;
    }

    TResourceValue ParseSet()
    {
        Expect('[');
        TResourceValue value;
        value.Kind = TResourceValue::Set;
        if (Peek() == ']') {
            ++pos_;
            return value;
        }
        for (;;) {
            value.Elements.push_back(Identifier());
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            Expect(']');
            return value;
        }
    }

    TResourceValue ParseList()
    {
        Expect('(');
        TNestingLevel level(*this);
        TResourceValue value;
        value.Kind = TResourceValue::List;
        while (Peek() != ')') {
            if (pos_ >= text_.size())
                Fail("')' expected");
            value.Items.push_back(ParseValue());
        }
        ++pos_;
        return value;
    }

    TResourceValue ParseCollection()
    {
        Expect('<');
        TNestingLevel level(*this);
        TResourceValue value;
        value.Kind = TResourceValue::Collection;
        while (Peek() != '>') {
            if (!AtKeyword("item"))
                Fail("'item' expected");
            Identifier();
            TResourceItem item;
            while (!AtKeyword("end")) {
                if (pos_ >= text_.size())
                    Fail("'end' expected");
                item.Properties.push_back(ParseProperty());
            }
            Identifier();
            value.CollectionItems.push_back(std::move(item));
        }
        ++pos_;
        return value;
    }

    static int HexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
    }

    // Pairs of hex digits, any blanks and line breaks between them.
    TResourceValue ParseBinary()
    {
        Expect('{');
        TResourceValue value;
        value.Kind = TResourceValue::Binary;
        int high = -1;
        for (;;) {
            const char c = Peek();
            if (c == '}')
                break;
            if (pos_ >= text_.size())
                Fail("'}' expected");
            const int digit = HexDigit(c);
            if (digit < 0)
                Fail(std::string("invalid binary value character '") + c + "'");
            ++pos_;
            if (high < 0) {
                high = digit;
            } else {
                value.Bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
                high = -1;
            }
        }
        if (high >= 0)
            Fail("odd number of hex digits in a binary value");
        ++pos_;
        return value;
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
    int depth_ = 0;
};

// ---- Formatting ----------------------------------------------------------------------

std::string QuoteString(const std::string& text)
{
    if (text.empty())
        return "''";
    std::string out;
    bool quoted = false;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < ' ') {
            if (quoted)
                out += '\'';
            quoted = false;
            out += '#' + std::to_string(u);
            continue;
        }
        if (!quoted)
            out += '\'';
        quoted = true;
        out += c == '\'' ? std::string("''") : std::string(1, c);
    }
    if (quoted)
        out += '\'';
    return out;
}

void FormatValue(std::string& out, const TResourceValue& value, const std::string& indent);

// 32 bytes a line, each line indented under the property; the closing brace
// ends the last line.
void FormatBinary(std::string& out, const std::vector<uint8_t>& bytes, const std::string& indent)
{
    constexpr size_t BytesPerLine = 32;
    static const char Digits[] = "0123456789ABCDEF";
    out += '{';
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % BytesPerLine == 0)
            out += '\n' + indent + "  ";
        out += Digits[bytes[i] >> 4];
        out += Digits[bytes[i] & 0xF];
    }
    out += '}';
}

void FormatProperties(std::string& out, const std::vector<TResourceProperty>& props, const std::string& indent)
{
    for (const TResourceProperty& prop : props) {
        out += indent + prop.Path + " = ";
        FormatValue(out, prop.Value, indent);
        out += '\n';
    }
}

void FormatValue(std::string& out, const TResourceValue& value, const std::string& indent)
{
    switch (value.Kind) {
    case TResourceValue::Integer: out += IntToStr(value.Int); break;
    case TResourceValue::Float: out += FloatToStr(value.Real); break;
    case TResourceValue::String: out += QuoteString(value.Text); break;
    case TResourceValue::Ident: out += value.Text; break;
    case TResourceValue::Set: {
        out += '[';
        for (size_t i = 0; i < value.Elements.size(); ++i)
            out += (i ? ", " : "") + value.Elements[i];
        out += ']';
        break;
    }
    case TResourceValue::List:
        out += '(';
        for (const TResourceValue& item : value.Items) {
            out += '\n' + indent + "  ";
            FormatValue(out, item, indent + "  ");
        }
        out += ')';
        break;
    case TResourceValue::Collection:
        out += '<';
        for (const TResourceItem& item : value.CollectionItems) {
            out += '\n' + indent + "  item\n";
            FormatProperties(out, item.Properties, indent + "    ");
            out += indent + "  end";
        }
        out += '>';
        break;
    case TResourceValue::Binary: FormatBinary(out, value.Bytes, indent); break;
    }
}

void FormatObject(std::string& out, const TResourceObject& object, const std::string& indent)
{
    out += indent + "object " + (object.Name.empty() ? object.ClassName : object.Name + ": " + object.ClassName) + '\n';
    FormatProperties(out, object.Properties, indent + "  ");
    for (const TResourceObject& child : object.Children)
        FormatObject(out, child, indent + "  ");
    out += indent + "end\n";
}

} // namespace

TResourceObject ParseFormText(const std::string& text) { return TFormTextParser(text).ParseRoot(); }

std::string FormatFormText(const TResourceObject& object)
{
    std::string out;
    FormatObject(out, object, "");
    return out;
}
