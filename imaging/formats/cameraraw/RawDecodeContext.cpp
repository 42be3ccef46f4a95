#include "imaging/formats/cameraraw/RawDecodeContext.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "platform/core/Streams.h"

namespace {

constexpr char TableOverflow[] = ": decoder table overflow";

int32_t TakeNode(TRawDecodeContext& context)
{
    if (context.next_free >= RawNodePoolSize)
        throw Exception(TableOverflow);
    return context.next_free++;
}

uint8_t SourceByte(const uint8_t* source, int32_t sourceLength, int32_t index)
{
    return index >= 0 && index < sourceLength ? source[index] : 0;
}

} // namespace

void ReadRawBytes(TRawDecodeContext& context, void* buffer, int64_t count)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t got = context.stream->Read(bytes + done, count - done);
        if (got <= 0)
            break;
        done += got;
    }
    if (done < count)
        std::memset(bytes + done, 0, size_t(count - done));
}

uint8_t Get1(TRawDecodeContext& context)
{
    uint8_t byte = 0;
    ReadRawBytes(context, &byte, 1);
    return byte;
}

uint16_t Sget2(const TRawDecodeContext& context, const uint8_t* b)
{
    if (context.order == 0x4949)
        return uint16_t(b[0] | (b[1] << 8));
    return uint16_t((b[0] << 8) | b[1]);
}

uint32_t Sget4(const TRawDecodeContext& context, const uint8_t* b)
{
    if (context.order == 0x4949)
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}

uint16_t Get2(TRawDecodeContext& context)
{
    uint8_t b[2];
    ReadRawBytes(context, b, 2);
    return Sget2(context, b);
}

uint32_t Get4(TRawDecodeContext& context)
{
    uint8_t b[4];
    ReadRawBytes(context, b, 4);
    return Sget4(context, b);
}

void SeekTo(TRawDecodeContext& context, int64_t position)
{
    context.stream->Seek(std::max<int64_t>(position, 0), soBeginning);
}

void SkipBytes(TRawDecodeContext& context, int64_t count) { SeekTo(context, Tell(context) + count); }

int64_t Tell(TRawDecodeContext& context) { return context.stream->Position(); }

TRawPixel* RawPixelAt(TRawDecodeContext& context, int32_t row, int32_t col)
{
    const int32_t r = row >> context.shrink;
    const int32_t c = col >> context.shrink;
    if (row < 0 || col < 0 || r >= context.iheight || c >= context.iwidth)
        return nullptr;
    return &context.image[size_t(r) * size_t(context.iwidth) + size_t(c)];
}

void SetBayerSample(TRawDecodeContext& context, int32_t row, int32_t col, uint16_t value)
{
    if (TRawPixel* pixel = RawPixelAt(context, row, col))
        (*pixel)[size_t(FilterColor(context, row, col))] = value;
}

uint32_t GetBits(TRawDecodeContext& context, int32_t n)
{
    if (n == 0)
        return 0;
    uint32_t result = 0;
    if (n == -1) {
        context.bit_buffer = 0;
        context.bit_count = 0;
    } else {
        const int32_t up = 32 - context.bit_count;
        const uint32_t aligned = up >= 32 ? 0 : context.bit_buffer << up;
        result = n >= 32 ? aligned : aligned >> (32 - n);
        context.bit_count -= n;
    }
    while (context.bit_count < 25) {
        const uint8_t c = Get1(context);
        context.bit_buffer = (context.bit_buffer << 8) | c;
        if (c == 0xFF && context.zero_after_ff)
            Get1(context);
        context.bit_count += 8;
    }
    return result;
}

void ResetHuffmanPool(TRawDecodeContext& context)
{
    context.node_pool.fill(TRawNode{});
    context.next_free = 0;
}

int32_t BuildHuffmanTree(TRawDecodeContext& context, const uint8_t* source, int32_t sourceLength, int32_t level)
{
    if (level == 0)
        context.leaf_counter = 0;
    const int32_t node = TakeNode(context);
    int32_t next = 0;
    int32_t sum = 0;
    while (context.leaf_counter >= sum && next < 16)
        sum += SourceByte(source, sourceLength, next++);
    if (context.leaf_counter < sum) {
        if (level < next) {
            for (int32_t branch = 0; branch < 2; ++branch) {
                context.node_pool[size_t(node)].Branch[size_t(branch)] = context.next_free;
                BuildHuffmanTree(context, source, sourceLength, level + 1);
            }
        } else {
            context.node_pool[size_t(node)].Leaf = SourceByte(source, sourceLength, 16 + context.leaf_counter++);
        }
    }
    return 16 + context.leaf_counter;
}

int32_t BuildHuffmanRoot(TRawDecodeContext& context, const uint8_t* source, int32_t sourceLength)
{
    const int32_t root = context.next_free;
    BuildHuffmanTree(context, source, sourceLength, 0);
    return root;
}

size_t BuildTreeFromPairs(TRawDecodeContext& context, const std::vector<std::array<int32_t, 2>>& pairs, size_t cursor,
                          int32_t level)
{
    const int32_t node = TakeNode(context);
    if (cursor >= pairs.size())
        return cursor;
    if (level < pairs[cursor][0]) {
        for (int32_t branch = 0; branch < 2; ++branch) {
            context.node_pool[size_t(node)].Branch[size_t(branch)] = context.next_free;
            cursor = BuildTreeFromPairs(context, pairs, cursor, level + 1);
        }
        return cursor;
    }
    context.node_pool[size_t(node)].Leaf = pairs[cursor][1];
    return cursor + 1;
}

void BuildTreeFromCodes(TRawDecodeContext& context, const std::vector<uint32_t>& codes, uint32_t code)
{
    const int32_t node = TakeNode(context);
    if (code) {
        const auto found = std::find(codes.begin(), codes.end(), code);
        if (found != codes.end()) {
            context.node_pool[size_t(node)].Leaf = int32_t(found - codes.begin());
            return;
        }
    }
    const uint32_t length = code >> 27;
    if (length >= 27)
        return;
    const uint32_t longer = ((length + 1) << 27) | ((code & 0x3FFFFFF) << 1);
    for (uint32_t branch = 0; branch < 2; ++branch) {
        context.node_pool[size_t(node)].Branch[branch] = context.next_free;
        BuildTreeFromCodes(context, codes, longer + branch);
    }
}

int32_t DecodeToken(TRawDecodeContext& context, int32_t root)
{
    const TRawNode* node = &context.node_pool[size_t(root)];
    while (node->Branch[0])
        node = &context.node_pool[size_t(node->Branch[GetBits(context, 1)])];
    return node->Leaf;
}

int32_t SignExtendBits(uint32_t bits, int32_t length)
{
    if (length <= 0)
        return 0;
    int32_t diff = int32_t(bits);
    if ((bits & (1u << (length - 1))) == 0)
        diff -= int32_t((1u << length) - 1);
    return diff;
}

int32_t DecodeDifference(TRawDecodeContext& context, int32_t root)
{
    const int32_t length = std::min(DecodeToken(context, root), 16);
    return SignExtendBits(GetBits(context, length), length);
}

void SonyDecrypt(TRawDecodeContext& context, uint32_t* data, int32_t count, bool start, uint32_t key)
{
    auto& pad = context.pad;
    if (start) {
        for (size_t p = 0; p < 4; ++p) {
            key = key * 48828125u + 1u;
            pad[p] = key;
        }
        pad[3] = (pad[3] << 1) | ((pad[0] ^ pad[2]) >> 31);
        for (size_t p = 4; p < 127; ++p)
            pad[p] = ((pad[p - 4] ^ pad[p - 2]) << 1) | ((pad[p - 3] ^ pad[p - 1]) >> 31);
        for (size_t p = 0; p < 127; ++p)
            pad[p] = (pad[p] >> 24) | ((pad[p] >> 8) & 0xFF00) | ((pad[p] << 8) & 0xFF0000) | (pad[p] << 24);
        context.pad_cursor = 127;
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = context.pad_cursor;
        const uint32_t w = pad[(p + 1) & 127] ^ pad[(p + 65) & 127];
        pad[p & 127] = w;
        data[i] ^= w;
        context.pad_cursor = p + 1;
    }
}

void SetRowProgressCount(TRawDecodeContext& context, int32_t rows)
{
    context.progress.Step = rows > 0 ? 100.0 / rows / 2 : 0;
}

void ReportRowProgress(TRawDecodeContext& context, int32_t row)
{
    if (context.progress.OnProgress)
        context.progress.OnProgress(context.progress.Sender, int32_t(row * context.progress.Step));
}

void ReportPercent(TRawDecodeContext& context, int32_t percent)
{
    if (context.progress.OnProgress)
        context.progress.OnProgress(context.progress.Sender, percent);
}

void CheckAllocSize(int64_t count, const char* where)
{
    if (count < 0 || count > RawDecodeLimit)
        throw EOutOfMemory(std::string(": Out of memory in ") + where);
}

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

int64_t FindBytes(const uint8_t* buffer, int64_t length, const char* pattern, int64_t patternLength)
{
    for (int64_t i = 0; i + patternLength <= length; ++i)
        if (std::memcmp(buffer + i, pattern, size_t(patternLength)) == 0)
            return i;
    return -1;
}
