#include "imaging/core/QkEncoders.h"

#include <algorithm>

namespace {

const char Base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int32_t ASCII85LineLimit = 74;
constexpr int64_t MaxRun = 128;

int64_t LiteralLength(const uint8_t* source, int64_t start, int64_t length)
{
    int64_t end = start + 1;
    while (end < length && end - start < MaxRun && source[end] != source[end - 1])
        ++end;
    return end - start;
}

int64_t RunLength(const uint8_t* source, int64_t start, int64_t length)
{
    int64_t end = start + 1;
    while (end < length && end - start < MaxRun && source[end] == source[start])
        ++end;
    return end - start;
}

} // namespace

void Base64EncodeTriple(const uint8_t* bytes, char* characters, int32_t count)
{
    count = std::clamp(count, 1, 3);
    const uint32_t group = (bytes[0] << 16) | (count > 1 ? bytes[1] << 8 : 0) | (count > 2 ? bytes[2] : 0);
    for (int i = 0; i < 4; ++i)
        characters[i] = i <= count ? Base64Alphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
}

void WriteStreamBase64ToText(TStream& stream, std::string& text, int32_t lineLength)
{
    const int32_t groupsPerLine = std::max(1, (lineLength + 3) / 4);
    int32_t groupsOnLine = 0;
    uint8_t bytes[3];
    for (int64_t got = stream.Read(bytes, 3); got > 0; got = stream.Read(bytes, 3)) {
        char characters[4];
        Base64EncodeTriple(bytes, characters, static_cast<int32_t>(got));
        text.append(characters, 4);
        if (++groupsOnLine == groupsPerLine) {
            text += '\n';
            groupsOnLine = 0;
        }
    }
    if (groupsOnLine > 0)
        text += '\n';
}

int32_t EncodeASCII85Block(const uint8_t* source, int32_t count, char* destination)
{
    count = std::clamp(count, 1, 4);
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | (i < count ? source[i] : 0);
    if (count == 4 && value == 0) {
        destination[0] = 'z';
        return 1;
    }
    char digits[5];
    for (int i = 4; i >= 0; --i) {
        digits[i] = static_cast<char>(value % 85 + 33);
        value /= 85;
    }
    std::copy(digits, digits + count + 1, destination);
    return count + 1;
}

int64_t EncodeASCII85(const uint8_t* source, int64_t count, std::string& destination, int64_t& characters)
{
    const size_t start = destination.size();
    characters = 0;
    int32_t lineLength = 0;
    for (int64_t offset = 0; offset < count; offset += 4) {
        char group[5];
        const int32_t written =
            EncodeASCII85Block(source + offset, static_cast<int32_t>(std::min<int64_t>(4, count - offset)), group);
        destination.append(group, static_cast<size_t>(written));
        characters += written;
        lineLength += written;
        if (lineLength > ASCII85LineLimit) {
            destination += "\r\n";
            lineLength = 0;
        }
    }
    destination += "~>\r\n";
    return static_cast<int64_t>(destination.size() - start);
}

int64_t EncodeRunLength(const uint8_t* source, int64_t length, std::vector<uint8_t>& destination)
{
    const size_t start = destination.size();
    for (int64_t offset = 0; offset < length;) {
        const int64_t run = RunLength(source, offset, length);
        if (run >= 2) {
            destination.push_back(static_cast<uint8_t>(257 - run));
            destination.push_back(source[offset]);
            offset += run;
            continue;
        }
        const int64_t literal = LiteralLength(source, offset, length);
        destination.push_back(static_cast<uint8_t>(literal - 1));
        destination.insert(destination.end(), source + offset, source + offset + literal);
        offset += literal;
    }
    destination.push_back(128);
    return static_cast<int64_t>(destination.size() - start);
}
