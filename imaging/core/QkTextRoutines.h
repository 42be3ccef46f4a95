#pragma once
// String and file-name routines of the imaging library. Numbers are always
// written and read with "." (the process's number locale is "C").

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Strings.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/LogFont.h"

// The text as a number; a "," is taken for "." (and the other way round)
// on a second try; `defaultValue` when both fail. Never raises.
double StrToFloatLenient(const std::string& text, double defaultValue);
void FloatToStrDot(std::string& text, double value);
// 1 "http://", 2 "https://", 3 "ftp://" (any letter case), 0 otherwise.
int32_t GetURLKind(const std::string& name);
// The lower-case extension of a file name, with the dot only when asked.
std::string ExtractFileExtLower(const std::string& name, bool withDot);
inline std::string QkExtractFileExt(const std::string& name, bool withDot)
{
    return ExtractFileExtLower(name, withDot);
}
// An existing entry that is not a folder.
bool QkFileExists(const std::string& name);
// A heap copy of a NUL-terminated string; null for null.
std::unique_ptr<char[]> QkStrDup(const char* text);

std::string QkTrim(const std::string& text);
std::string QkUpperCase(const std::string& text);
std::string QkLowerCase(const std::string& text);
std::string QkIntToStr(int64_t value);
int32_t QkStrToIntDef(const std::string& text, int32_t defaultValue);
// `count` bytes from the 1-based `index`; empty outside the text.
std::string QkCopy(const std::string& text, int64_t index, int64_t count);
std::string QkIntToHex(int64_t value, int32_t digits);
std::string QkFloatToStrF(TFloatFormat format, int32_t precision, int32_t digits, double value);
// The 1-based position of `part` in `text`, 0 when absent.
int64_t QkPos(const std::string& part, const std::string& text);

// Bold from weight 700 up, italic, underline and strike-out from the flags.
TFontStyles LogFontToFontStyles(const TLogFont& logFont);
