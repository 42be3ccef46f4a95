#include "app/OptionText.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/core/Strings.h"

void AddOption(std::string& options, const std::string& option)
{
    options += ' ';
    options += option;
}

void AddFilter(std::string& chain, const std::string& filter)
{
    if (filter.empty())
        return;
    if (!chain.empty())
        chain += ',';
    chain += filter;
}

std::string ShortestDecimal(double value)
{
    if (!std::isfinite(value))
        return "0";
    // The fixed form of the largest double has 309 digits.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string SecondsText(int64_t microseconds) { return ShortestDecimal(static_cast<double>(microseconds) / 1000000.0); }

std::string ZeroPad3(int32_t n)
{
    std::string digits = IntToStr(n);
    if (digits.size() == 1)
        return "00" + digits;
    if (digits.size() == 2)
        return "0" + digits;
    return digits;
}

namespace {

bool IsFilterBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Backslashes every character of `special` and the blanks at either end,
// which the filter parsers would otherwise strip.
std::string BackslashEscape(const std::string& text, std::string_view special)
{
    size_t first = 0;
    while (first < text.size() && IsFilterBlank(text[first]))
        ++first;
    size_t last = text.size();
    while (last > first && IsFilterBlank(text[last - 1]))
        --last;
    std::string escaped;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool outerBlank = i < first || i >= last;
        if (outerBlank || special.find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::string EscapeFilterOptionValue(const std::string& value) { return BackslashEscape(value, "\\':="); }

std::string EscapeFilterGraphText(const std::string& text) { return BackslashEscape(text, "\\'[],;"); }

std::string QuoteOptionValue(const std::string& value)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : value) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}
