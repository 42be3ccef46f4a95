#include <algorithm>
#include <cstring>

#include "controls/png/PngRowLayout.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/png/QkPng.h"
#include "imaging/formats/zstreams/QkZStreams.h"

namespace {

// A zlib-compressed text may not unpack to more than this.
constexpr size_t MaxTextSize = size_t(1) << 24;

std::string Latin1ToUtf8(const uint8_t* text, size_t length)
{
    std::string utf8;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < 0x80) {
            utf8.push_back(char(text[i]));
        } else {
            utf8.push_back(char(0xC0 | text[i] >> 6));
            utf8.push_back(char(0x80 | (text[i] & 0x3F)));
        }
    }
    return utf8;
}

// The Latin-1 form of UTF-8 text; false when a character is beyond Latin-1
// or the text is not UTF-8.
bool Utf8ToLatin1(const std::string& text, std::string& latin1)
{
    latin1.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = uint8_t(text[i]);
        if (byte < 0x80) {
            latin1.push_back(char(byte));
        } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < text.size() && (uint8_t(text[i + 1]) & 0xC0) == 0x80) {
            latin1.push_back(char((byte & 0x03) << 6 | (uint8_t(text[++i]) & 0x3F)));
        } else {
            return false;
        }
    }
    return true;
}

// The text of a chunk after its keyword: zero or more fields ended by 0.
struct TTextFields {
    const std::vector<uint8_t>& Data;
    size_t At = 0;

    bool Field(std::string& field)
    {
        const auto end = std::find(Data.begin() + ptrdiff_t(At), Data.end(), 0);
        if (end == Data.end())
            return false;
        field.assign(Data.begin() + ptrdiff_t(At), end);
        At = size_t(end - Data.begin()) + 1;
        return true;
    }
    bool Byte(uint8_t& value)
    {
        if (At >= Data.size())
            return false;
        value = Data[At++];
        return true;
    }
    std::vector<uint8_t> Rest(bool compressed) const
    {
        const uint8_t* rest = Data.data() + At;
        const size_t size = Data.size() - At;
        if (compressed)
            return InflateBuffer(rest, size, 0, MaxTextSize);
        return {rest, rest + size};
    }
};

bool DecodeText(const TPngRawChunk& chunk, std::string& key, std::string& value)
{
    TTextFields fields{chunk.Data};
    std::string keyword;
    if (!fields.Field(keyword))
        return false;
    key = Latin1ToUtf8(reinterpret_cast<const uint8_t*>(keyword.data()), keyword.size());
    uint8_t compressed = 0, method = 0;
    if (chunk.Name == "tEXt" || chunk.Name == "zTXt") {
        if (chunk.Name == "zTXt" && (!fields.Byte(method) || method != 0))
            return false;
        const std::vector<uint8_t> text = fields.Rest(chunk.Name == "zTXt");
        value = Latin1ToUtf8(text.data(), text.size());
        return true;
    }
    std::string language, translated;
    if (!fields.Byte(compressed) || !fields.Byte(method) || !fields.Field(language) || !fields.Field(translated))
        return false;
    if (compressed && method != 0)
        return false;
    const std::vector<uint8_t> text = fields.Rest(compressed != 0);
    value.assign(text.begin(), text.end());
    return true;
}

TPngRawChunk TextChunk(const std::string& key, const std::string& value)
{
    std::string latin1Key, latin1Value;
    TPngRawChunk chunk;
    if (Utf8ToLatin1(key, latin1Key) && Utf8ToLatin1(value, latin1Value)) {
        chunk.Name = "tEXt";
        chunk.Data.assign(latin1Key.begin(), latin1Key.end());
        chunk.Data.push_back(0);
        chunk.Data.insert(chunk.Data.end(), latin1Value.begin(), latin1Value.end());
        return chunk;
    }
    // The keyword stays Latin-1; its characters beyond become "?".
    chunk.Name = "iTXt";
    for (char c : key)
        if ((uint8_t(c) & 0xC0) != 0x80)
            chunk.Data.push_back(uint8_t(c) < 0x80 ? uint8_t(c) : uint8_t('?'));
    const uint8_t afterKey[] = {0, 0, 0, 0, 0};
    chunk.Data.insert(chunk.Data.end(), std::begin(afterKey), std::end(afterKey));
    chunk.Data.insert(chunk.Data.end(), value.begin(), value.end());
    return chunk;
}

} // namespace

void ReadPngText(const TPngRawChunk& chunk, TIOParamsVals& params)
{
    if (chunk.Name != "tEXt" && chunk.Name != "zTXt" && chunk.Name != "iTXt")
        return;
    std::string key, value;
    try {
        if (!DecodeText(chunk, key, value))
            return;
    } catch (const Exception&) {
        return;
    }
    params.PngTextKeys.Add(key);
    params.PngTextValues.Add(value);
}

std::vector<TPngRawChunk> PngTextChunks(const TIOParamsVals& params)
{
    std::vector<TPngRawChunk> chunks;
    const int32_t count = std::min(params.PngTextKeys.Count(), params.PngTextValues.Count());
    for (int32_t i = 0; i < count; ++i) {
        const std::string key = params.PngTextKeys.Strings(i);
        if (!key.empty())
            chunks.push_back(TextChunk(key, params.PngTextValues.Strings(i)));
    }
    return chunks;
}
