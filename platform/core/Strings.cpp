#include "platform/core/Strings.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

// ---- Formatting -----------------------------------------------------------

std::string FormatV(const char* fmt, va_list args)
{
    std::string result(256, '\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        const int needed = std::vsnprintf(result.data(), result.size(), fmt, attempt);
        va_end(attempt);
        if (needed < 0)
            throw EConvertError(std::string("Format '") + fmt + "' invalid or incompatible with argument");
        if (static_cast<size_t>(needed) < result.size()) {
            result.resize(static_cast<size_t>(needed));
            return result;
        }
        result.assign(static_cast<size_t>(needed) + 1, '\0');
    }
}

std::string Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    try {
        std::string result = FormatV(fmt, args);
        va_end(args);
        return result;
    } catch (...) {
        va_end(args);
        throw;
    }
}

// ---- UTF-8 ----------------------------------------------------------------

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of a sequence from its lead byte; 0 for a byte that cannot lead.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool IsValidScalar(char32_t c, size_t length)
{
    static const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    return c >= minimum[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

char32_t Utf8Next(const std::string& s, size_t& pos)
{
    if (pos >= s.size())
        return 0;
    const unsigned char lead = static_cast<unsigned char>(s[pos]);
    const size_t length = SequenceLength(lead);
    if (length == 1) {
        ++pos;
        return lead;
    }
    if (length == 0 || pos + length > s.size()) {
        ++pos;
        return ReplacementCharacter;
    }
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(s[pos + i]);
        if (!IsContinuation(next)) {
            ++pos;
            return ReplacementCharacter;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (!IsValidScalar(c, length)) {
        ++pos;
        return ReplacementCharacter;
    }
    pos += length;
    return c;
}

std::string Utf8Encode(char32_t c)
{
    std::string out;
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = ReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::u32string Utf8ToUtf32(const std::string& s)
{
    std::u32string out;
    for (size_t pos = 0; pos < s.size();)
        out += Utf8Next(s, pos);
    return out;
}

std::string Utf32ToUtf8(const std::u32string& s)
{
    std::string out;
    for (char32_t c : s)
        out += Utf8Encode(c);
    return out;
}

size_t Utf8Length(const std::string& s)
{
    size_t count = 0;
    for (size_t pos = 0; pos < s.size(); ++count)
        Utf8Next(s, pos);
    return count;
}

size_t Utf8ByteOffset(const std::string& s, size_t index)
{
    size_t pos = 0;
    for (size_t i = 0; i < index && pos < s.size(); ++i)
        Utf8Next(s, pos);
    return pos;
}

std::string Utf8Copy(const std::string& s, size_t index, size_t count)
{
    const size_t start = Utf8ByteOffset(s, index);
    size_t end = start;
    for (size_t i = 0; i < count && end < s.size(); ++i)
        Utf8Next(s, end);
    return s.substr(start, end - start);
}

char32_t Utf8At(const std::string& s, size_t index)
{
    size_t pos = Utf8ByteOffset(s, index);
    return pos < s.size() ? Utf8Next(s, pos) : 0;
}

// ---- Case -----------------------------------------------------------------

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

template <class Map>
std::string MapCodePoints(const std::string& s, Map map)
{
    std::string out;
    out.reserve(s.size());
    for (size_t pos = 0; pos < s.size();) {
        const size_t start = pos;
        const char32_t c = Utf8Next(s, pos);
        const char32_t mapped = map(c);
        if (mapped == c)
            out.append(s, start, pos - start); // keeps malformed bytes as they were
        else
            out += Utf8Encode(mapped);
    }
    return out;
}

int Sign(int value) { return (value > 0) - (value < 0); }

template <class Fold>
int CompareFolded(const std::string& a, const std::string& b, Fold fold)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = fold(Utf8Next(a, i));
        const char32_t cb = fold(Utf8Next(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

std::string UpperCase(const std::string& s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
    return out;
}

std::string LowerCase(const std::string& s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
    return out;
}

char32_t AnsiUpperChar(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 32;
    return c;
}

char32_t AnsiLowerChar(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    return c;
}

std::string AnsiUpperCase(const std::string& s) { return MapCodePoints(s, AnsiUpperChar); }
std::string AnsiLowerCase(const std::string& s) { return MapCodePoints(s, AnsiLowerChar); }

int CompareStr(const std::string& a, const std::string& b) { return Sign(a.compare(b)); }

int CompareText(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        const unsigned char cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return (a.size() > n) - (b.size() > n);
}

bool SameText(const std::string& a, const std::string& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int AnsiCompareStr(const std::string& a, const std::string& b)
{
    return CompareFolded(a, b, [](char32_t c) { return c; });
}

int AnsiCompareText(const std::string& a, const std::string& b) { return CompareFolded(a, b, AnsiUpperChar); }
bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

// ---- Trimming, searching, splitting --------------------------------------

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string TrimLeft(const std::string& s)
{
    size_t start = 0;
    while (start < s.size() && IsBlank(s[start]))
        ++start;
    return s.substr(start);
}

std::string TrimRight(const std::string& s)
{
    size_t end = s.size();
    while (end > 0 && IsBlank(s[end - 1]))
        --end;
    return s.substr(0, end);
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::vector<std::string> SplitString(const std::string& s, char delimiter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(delimiter, start);
        if (at == std::string::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, at - start));
        start = at + 1;
    }
}

std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags)
{
    if (oldPattern.empty())
        return s;
    const bool ignoreCase = flags & rfIgnoreCase;
    const std::string haystack = ignoreCase ? AnsiUpperCase(s) : s;
    const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    // Upper-casing Latin-1 keeps byte lengths, so offsets match the original.
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t at = haystack.find(needle, start);
        if (at == std::string::npos)
            break;
        out.append(s, start, at - start);
        out += newPattern;
        start = at + needle.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    out.append(s, start, std::string::npos);
    return out;
}

bool StartsText(const std::string& prefix, const std::string& s)
{
    return s.size() >= prefix.size() && AnsiSameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(const std::string& suffix, const std::string& s)
{
    return s.size() >= suffix.size() && AnsiSameText(s.substr(s.size() - suffix.size()), suffix);
}

// ---- Numbers --------------------------------------------------------------

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string platform_detail::HexDigits(uint64_t value, int digits)
{
    std::string out = Format("%llX", static_cast<unsigned long long>(value));
    if (static_cast<int>(out.size()) < digits)
        out.insert(0, static_cast<size_t>(digits) - out.size(), '0');
    return out;
}

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Hex literals may fill all 64 bits ("$FFFFFFFFFFFFFFFF" is -1), as the class
// library's Val accepts them; decimal ones must fit the signed range.
bool ParseInteger(const std::string& s, int64_t& value)
{
    size_t pos = 0;
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+'))
        negative = s[pos++] == '-';
    unsigned base = 10;
    if (pos < s.size() && s[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < s.size() && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= s.size())
        return false;
    const uint64_t limit = base == 16 ? std::numeric_limits<uint64_t>::max()
                                      : static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + negative;
    uint64_t magnitude = 0;
    for (; pos < s.size(); ++pos) {
        const int digit = DigitValue(s[pos]);
        if (digit >= static_cast<int>(base))
            return false;
        if (magnitude > (limit - static_cast<unsigned>(digit)) / base)
            return false;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
    }
    value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

[[noreturn]] void RaiseNotInteger(const std::string& s)
{
    throw EConvertError(Format("'%s' is not a valid integer value", s.c_str()));
}

} // namespace

bool TryStrToInt64(const std::string& s, int64_t& value) { return ParseInteger(s, value); }

bool TryStrToInt(const std::string& s, int32_t& value)
{
    int64_t wide = 0;
    if (!ParseInteger(s, wide))
        return false;
    const bool hex = s.find_first_of("$xX") != std::string::npos;
    if (hex && wide >= 0 && wide <= 0xFFFFFFFFLL)
        wide = static_cast<int32_t>(static_cast<uint32_t>(wide)); // "$FFFFFFFF" is -1
    if (wide < std::numeric_limits<int32_t>::min() || wide > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(wide);
    return true;
}

int32_t StrToInt(const std::string& s)
{
    int32_t value = 0;
    if (!TryStrToInt(s, value))
        RaiseNotInteger(s);
    return value;
}

int64_t StrToInt64(const std::string& s)
{
    int64_t value = 0;
    if (!TryStrToInt64(s, value))
        RaiseNotInteger(s);
    return value;
}

int32_t StrToIntDef(const std::string& s, int32_t def)
{
    int32_t value = 0;
    return TryStrToInt(s, value) ? value : def;
}

int64_t StrToInt64Def(const std::string& s, int64_t def)
{
    int64_t value = 0;
    return TryStrToInt64(s, value) ? value : def;
}

bool TryStrToFloat(const std::string& s, double& value)
{
    // from_chars ignores the locale. Only a sign, digits or a point may lead,
    // which also keeps out "inf", "nan" and hexadecimal forms.
    const std::string text = Trim(s);
    const size_t afterSign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (afterSign >= text.size() ||
        !(std::isdigit(static_cast<unsigned char>(text[afterSign])) || text[afterSign] == '.'))
        return false;
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0); // from_chars takes no "+"
    const char* end = text.data() + text.size();
    double parsed = 0;
    const auto result = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    value = parsed;
    return true;
}

double StrToFloat(const std::string& s)
{
    double value = 0;
    if (!TryStrToFloat(s, value))
        throw EConvertError(Format("'%s' is not a valid floating point value", s.c_str()));
    return value;
}

double StrToFloatDef(const std::string& s, double def)
{
    double value = 0;
    return TryStrToFloat(s, value) ? value : def;
}

namespace {

// A decimal number 0.d1d2d3... x 10^(exponent + 1): the leading digit is
// worth 10^exponent. Zero has no digits.
struct TDecimalDigits {
    std::string digits;
    int32_t exponent = -1;
};

// Every digit of |value| (a double's decimal expansion is finite and
// shorter than 800 digits), without trailing zeros.
TDecimalDigits ExactDecimal(double value)
{
    if (value == 0)
        return {};
    static constexpr int exactDigits = 800;
    std::string text(exactDigits + 16, '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), std::fabs(value),
                                      std::chars_format::scientific, exactDigits);
    text.resize(static_cast<size_t>(result.ptr - text.data()));
    const size_t e = text.find('e');
    TDecimalDigits decimal;
    decimal.exponent = std::atoi(text.c_str() + e + 1);
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            decimal.digits += text[i];
    decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);
    return decimal;
}

// Rounds half away from zero to `count` significant digits, as the class
// library does; the result holds exactly `count` digits (zero holds none).
TDecimalDigits RoundToSignificant(TDecimalDigits decimal, int32_t count)
{
    if (count < 0 || decimal.digits.empty())
        return {};
    const bool roundUp =
        static_cast<int32_t>(decimal.digits.size()) > count && decimal.digits[static_cast<size_t>(count)] >= '5';
    decimal.digits.resize(static_cast<size_t>(count), '0');
    if (!roundUp)
        return decimal.digits.find_first_not_of('0') == std::string::npos ? TDecimalDigits{} : decimal;
    int32_t i = count - 1;
    for (; i >= 0 && decimal.digits[static_cast<size_t>(i)] == '9'; --i)
        decimal.digits[static_cast<size_t>(i)] = '0';
    if (i >= 0) {
        ++decimal.digits[static_cast<size_t>(i)];
    } else {
        decimal.digits.insert(decimal.digits.begin(), '1');
        decimal.digits.resize(static_cast<size_t>(std::max(count, 1)));
        ++decimal.exponent;
    }
    return decimal;
}

// The digits padded with zeros to `significant`, for the formats that show them all.
TDecimalDigits RoundedAndPadded(double value, int32_t significant)
{
    TDecimalDigits decimal = RoundToSignificant(ExactDecimal(value), significant);
    if (decimal.digits.empty())
        decimal.exponent = 0;
    decimal.digits.resize(static_cast<size_t>(significant), '0');
    return decimal;
}

std::string ExponentText(int32_t exponent, bool plusSign, int32_t minimumDigits)
{
    std::string number = std::to_string(std::abs(exponent));
    if (static_cast<int32_t>(number.size()) < minimumDigits)
        number.insert(0, static_cast<size_t>(minimumDigits) - number.size(), '0');
    const char* sign = exponent < 0 ? "-" : plusSign ? "+" : "";
    return "E" + (sign + number);
}

// "d.ddd" from the digits, without the point when only one digit is left.
std::string Mantissa(const std::string& digits)
{
    return digits.size() > 1 ? digits.substr(0, 1) + "." + digits.substr(1) : digits;
}

// The digits at their places with `decimals` decimals: "0" when the
// leading digit lies after the point, zeros where no digit is held.
std::string PlaceDigits(const TDecimalDigits& decimal, int32_t decimals)
{
    const int32_t e = decimal.exponent;
    std::string integerPart = "0";
    std::string fraction = std::string(static_cast<size_t>(std::max(-e - 1, 0)), '0') + decimal.digits;
    if (e >= 0) {
        const auto integerDigits = static_cast<size_t>(e + 1);
        integerPart = decimal.digits.substr(0, integerDigits);
        integerPart.resize(integerDigits, '0');
        fraction = decimal.digits.size() > integerDigits ? decimal.digits.substr(integerDigits) : "";
    }
    fraction.resize(static_cast<size_t>(decimals), '0');
    return decimals > 0 ? integerPart + "." + fraction : integerPart;
}

std::string GeneralText(double value, int32_t precision, int32_t exponentDigits)
{
    TDecimalDigits decimal = RoundedAndPadded(value, precision);
    decimal.digits.erase(std::max<size_t>(decimal.digits.find_last_not_of('0') + 1, 1));
    const int32_t e = decimal.exponent;
    if (e < -4 || e >= precision)
        return Mantissa(decimal.digits) + ExponentText(e, false, exponentDigits);
    return PlaceDigits(decimal, std::max(static_cast<int32_t>(decimal.digits.size()) - e - 1, 0));
}

std::string ExponentFormText(double value, int32_t precision, int32_t exponentDigits)
{
    const TDecimalDigits decimal = RoundedAndPadded(value, precision);
    return Mantissa(decimal.digits) + ExponentText(decimal.exponent, true, exponentDigits);
}

// |value| with `decimals` decimals, rounded once to at most `precision`
// significant digits (the places beyond them are zeros); empty when the
// integer part needs more than `precision` digits.
std::string FixedText(double value, int32_t precision, int32_t decimals)
{
    const TDecimalDigits exact = ExactDecimal(value);
    if (RoundToSignificant(exact, precision).exponent >= precision)
        return {};
    return PlaceDigits(RoundToSignificant(exact, std::min(precision, exact.exponent + 1 + decimals)), decimals);
}

std::string WithThousandsSeparators(const std::string& fixed)
{
    const size_t integerDigits = std::min(fixed.find('.'), fixed.size());
    std::string result;
    for (size_t i = 0; i < fixed.size(); ++i) {
        if (i > 0 && i < integerDigits && (integerDigits - i) % 3 == 0)
            result += ',';
        result += fixed[i];
    }
    return result;
}

std::string UnsignedFloatText(double value, TFloatFormat format, int32_t precision, int32_t digits)
{
    if (format == ffGeneral)
        return GeneralText(value, precision, std::clamp(digits, 0, 4));
    if (format == ffExponent)
        return ExponentFormText(value, precision, std::clamp(digits, 0, 4));
    const std::string fixed = FixedText(value, precision, std::clamp(digits, 0, 18));
    if (fixed.empty())
        return GeneralText(value, precision, 0);
    if (format == ffFixed)
        return fixed;
    const std::string number = WithThousandsSeparators(fixed);
    return format == ffCurrency ? CurrencyString + number : number;
}

} // namespace

std::string FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    const std::string text = UnsignedFloatText(value, format, std::clamp(precision, 2, 18), digits);
    // A value that rounds to zero loses its sign.
    const bool anyNonZeroDigit = text.find_first_of("123456789") < text.find('E');
    return std::signbit(value) && anyNonZeroDigit ? "-" + text : text;
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

std::string BoolToStr(bool value, bool useBoolStrs)
{
    if (useBoolStrs)
        return value ? "True" : "False";
    return value ? "-1" : "0";
}

bool TryStrToBool(const std::string& s, bool& value)
{
    if (SameText(s, "True")) {
        value = true;
        return true;
    }
    if (SameText(s, "False")) {
        value = false;
        return true;
    }
    int64_t number = 0;
    if (!TryStrToInt64(s, number))
        return false;
    value = number != 0;
    return true;
}
