#include "imaging/core/QkTextRoutines.h"

#include <cstring>
#include <sys/stat.h>

#include "imaging/core/QkSettings.h"
#include "platform/core/Files.h"
#include "platform/core/Strings.h"

double StrToFloatLenient(const std::string& text, double defaultValue)
{
    double value = 0;
    if (TryStrToFloat(text, value))
        return value;
    std::string swapped = text;
    const size_t comma = swapped.find(',');
    if (comma != std::string::npos) {
        swapped[comma] = '.';
    } else {
        const size_t dot = swapped.find('.');
        if (dot != std::string::npos)
            swapped[dot] = ',';
    }
    return TryStrToFloat(swapped, value) ? value : defaultValue;
}

void FloatToStrDot(std::string& text, double value) { text = StringReplace(FloatToStr(value), ",", ".", rfReplaceAll); }

int32_t GetURLKind(const std::string& name)
{
    const std::string lower = LowerCase(name);
    if (lower.rfind("http://", 0) == 0)
        return 1;
    if (lower.rfind("https://", 0) == 0)
        return 2;
    if (lower.rfind("ftp://", 0) == 0)
        return 3;
    return 0;
}

std::string ExtractFileExtLower(const std::string& name, bool withDot)
{
    const std::string extension = LowerCase(ExtractFileExt(name));
    return withDot || extension.empty() ? extension : extension.substr(1);
}

bool QkFileExists(const std::string& name)
{
    if (FileExistsCompatibility)
        return FileExists(name);
    struct stat info {};
    return stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::unique_ptr<char[]> QkStrDup(const char* text)
{
    if (text == nullptr)
        return nullptr;
    const size_t length = std::strlen(text) + 1;
    auto copy = std::make_unique<char[]>(length);
    std::memcpy(copy.get(), text, length);
    return copy;
}

std::string QkTrim(const std::string& text) { return Trim(text); }

std::string QkUpperCase(const std::string& text) { return UpperCase(text); }

std::string QkLowerCase(const std::string& text) { return LowerCase(text); }

std::string QkIntToStr(int64_t value) { return IntToStr(value); }

int32_t QkStrToIntDef(const std::string& text, int32_t defaultValue) { return StrToIntDef(text, defaultValue); }

std::string QkCopy(const std::string& text, int64_t index, int64_t count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || index > static_cast<int64_t>(text.size()))
        return std::string();
    return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

std::string QkIntToHex(int64_t value, int32_t digits) { return IntToHex(value, digits); }

std::string QkFloatToStrF(TFloatFormat format, int32_t precision, int32_t digits, double value)
{
    return FloatToStrF(value, format, precision, digits);
}

int64_t QkPos(const std::string& part, const std::string& text)
{
    if (part.empty())
        return 0;
    const size_t found = text.find(part);
    return found == std::string::npos ? 0 : static_cast<int64_t>(found) + 1;
}

TFontStyles LogFontToFontStyles(const TLogFont& logFont)
{
    TFontStyles styles;
    if (logFont.lfWeight >= FW_BOLD)
        styles.Include(fsBold);
    if (logFont.lfItalic != 0)
        styles.Include(fsItalic);
    if (logFont.lfUnderline != 0)
        styles.Include(fsUnderline);
    if (logFont.lfStrikeOut != 0)
        styles.Include(fsStrikeOut);
    return styles;
}
