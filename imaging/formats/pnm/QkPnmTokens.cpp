#include <cctype>

#include "imaging/formats/pnm/QkPnm.h"
#include "platform/core/Streams.h"

namespace {

constexpr size_t LongestNumber = 20;
constexpr size_t LongestComment = 4096;

bool IsTokenByte(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string Trimmed(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

void ReadComment(TStream& stream, std::string& token)
{
    std::string text;
    char c;
    while (stream.Read(&c, 1) == 1 && c != '\n' && c != '\r')
        if (text.size() < LongestComment)
            text.push_back(c);
    token = "#" + Trimmed(text);
}

// One byte past the longest number is kept, so an overlong run is no number.
void ReadTokenRest(TStream& stream, std::string& token)
{
    char c;
    while (stream.Read(&c, 1) == 1 && IsTokenByte(c))
        if (token.size() <= LongestNumber)
            token.push_back(c);
}

} // namespace

void ReadPnmToken(TStream& stream, std::string& token)
{
    token.clear();
    char c;
    while (stream.Read(&c, 1) == 1) {
        if (c == '#') {
            ReadComment(stream, token);
            return;
        }
        if (IsTokenByte(c)) {
            token.push_back(c);
            ReadTokenRest(stream, token);
            return;
        }
    }
}

int64_t PnmTokenNumber(const std::string& token)
{
    if (token.empty() || token.size() > LongestNumber)
        return -1;
    constexpr int64_t Saturated = int64_t(1) << 62;
    int64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return -1;
        value = value >= Saturated / 10 ? Saturated : value * 10 + (c - '0');
    }
    return value;
}
