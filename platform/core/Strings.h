#pragma once
// String helpers with the class library's semantics over UTF-8 std::string.
// Counting functions count code points; byte offsets are named as such.

#include <cstdarg>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// ---- Formatting -----------------------------------------------------------

// printf-style formatting into a string of any length. Note that, as in C,
// "%x" gives lower-case digits; use "%X" for the class library's upper case.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, va_list args) __attribute__((format(printf, 1, 0)));

// ---- UTF-8 ----------------------------------------------------------------

constexpr char32_t ReplacementCharacter = 0xFFFD;

// Decodes the code point starting at byte `pos` and advances `pos` past it.
// A malformed or truncated sequence yields U+FFFD and advances one byte, so
// iteration always terminates. At or past the end it returns 0 and leaves
// `pos` alone.
char32_t Utf8Next(const std::string& s, size_t& pos);
std::string Utf8Encode(char32_t codePoint);
std::u32string Utf8ToUtf32(const std::string& s);
std::string Utf32ToUtf8(const std::u32string& s);

// Number of code points.
size_t Utf8Length(const std::string& s);
// Byte offset of code point `index` (0-based); s.size() when past the end.
size_t Utf8ByteOffset(const std::string& s, size_t index);
// `count` code points from code point `index` (0-based), clipped to the string.
std::string Utf8Copy(const std::string& s, size_t index, size_t count = std::string::npos);
// The code point at `index` (0-based), or 0 when past the end.
char32_t Utf8At(const std::string& s, size_t index);

// ---- Case -----------------------------------------------------------------

// ASCII letters only, like the class library's UpperCase/LowerCase.
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
// ASCII and Latin-1 letters (U+00C0..U+00FE), like the Ansi variants on a
// Western code page.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
char32_t AnsiUpperChar(char32_t c);
char32_t AnsiLowerChar(char32_t c);

// Comparisons return <0, 0 or >0. The Text variants ignore ASCII case; the
// Ansi variants also ignore Latin-1 case and compare by code point.
int CompareStr(const std::string& a, const std::string& b);
int CompareText(const std::string& a, const std::string& b);
bool SameText(const std::string& a, const std::string& b);
int AnsiCompareStr(const std::string& a, const std::string& b);
int AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);

// ---- Trimming, searching, splitting --------------------------------------

// Remove leading/trailing characters <= ' ' (spaces and control characters).
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// Splits at every delimiter; empty parts are kept ("a,,b" gives 3 parts, "" gives 1).
std::vector<std::string> SplitString(const std::string& s, char delimiter);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags);

bool StartsText(const std::string& prefix, const std::string& s);
bool EndsText(const std::string& suffix, const std::string& s);

// ---- Numbers --------------------------------------------------------------

std::string IntToStr(int64_t value);
// At least `digits` upper-case hexadecimal digits of the value's two's
// complement in its own width (IntToHex(-1, 1) is "FFFFFFFF" for an int32_t).
// Types narrower than 32 bits count as int32_t.
namespace platform_detail {
std::string HexDigits(uint64_t value, int digits);
}
template <class I>
requires std::is_integral_v<I> std::string IntToHex(I value, int digits)
{
    using Wide = std::conditional_t<(sizeof(I) < 4), int32_t, I>;
    return platform_detail::HexDigits(static_cast<std::make_unsigned_t<Wide>>(static_cast<Wide>(value)), digits);
}

// Accepts optional leading blanks, a sign, decimal digits or "$"/"0x" hex.
// Raise EConvertError "'%s' is not a valid integer value" on failure.
bool TryStrToInt(const std::string& s, int32_t& value);
bool TryStrToInt64(const std::string& s, int64_t& value);
int32_t StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);
int64_t StrToInt64Def(const std::string& s, int64_t def);

// The decimal separator is always ".". Surrounding blanks are allowed.
// StrToFloat raises EConvertError "'%s' is not a valid floating point value".
bool TryStrToFloat(const std::string& s, double& value);
double StrToFloat(const std::string& s);
double StrToFloatDef(const std::string& s, double def);
// Up to 15 significant digits, exponent as "E-5"/"E20" like the class library:
// FloatToStrF(value, ffGeneral, 15, 0).
std::string FloatToStr(double value);

// The class library's number formats. The process's locale is "C", so the
// decimal separator is "." and the thousands separator ",".
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
inline constexpr char CurrencyString[] = "$";
// `precision` significant digits (clamped to 2..18).
// ffGeneral: the shorter of fixed and scientific, trailing zeros removed;
//   scientific when the decimal exponent is below -4 or at least `precision`,
//   with at least `digits` (0..4) exponent digits.
// ffExponent: "-d.ddd...E+dddd" with at least `digits` (0..4) exponent digits.
// ffFixed: `digits` (0..18) decimals; the general form when the integer part
//   has more than `precision` digits.
// ffNumber: ffFixed with thousands separators; ffCurrency: ffNumber after
//   CurrencyString. NaN and infinities give "NAN", "INF" and "-INF".
std::string FloatToStrF(double value, TFloatFormat format, int32_t precision, int32_t digits);

// Without useBoolStrs: "-1"/"0" as the class library writes them; with it
// "True"/"False". Parsing takes both forms ("0" is false, other integers true).
std::string BoolToStr(bool value, bool useBoolStrs = false);
bool TryStrToBool(const std::string& s, bool& value);
