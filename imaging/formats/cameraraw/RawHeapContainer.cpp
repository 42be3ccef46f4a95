// Canon's heap container: maker and model, white balance and the raw frame
// size, in directories nested inside each other.
#include <set>

#include "imaging/formats/cameraraw/RawIdentify.h"

namespace {

constexpr int32_t MaxHeapDepth = 8;
constexpr std::array<int32_t, 6> D30WhiteIndex{1, 2, 3, 4, 5, 1};
constexpr std::array<int32_t, 10> Eos10DWhiteIndex{0, 1, 3, 4, 5, 6, 0, 0, 2, 8};

void ReadWhiteBalance(TRawDecodeContext& context)
{
    const double first = Get2(context), second = Get2(context), third = Get2(context), fourth = Get2(context);
    context.camera_red = float(first);
    if (first != 0)
        context.camera_red = float(second / first);
    context.camera_blue = float(third);
    if (fourth != 0)
        context.camera_blue = float(third / fourth);
}

// The 8 x 8 sample of a white target, scrambled with two key words.
void ReadCiffWhiteSample(TRawDecodeContext& context)
{
    SkipBytes(context, 2);
    if (Get4(context) != 0x80008 || Get4(context) == 0)
        return;
    const int32_t bpp = Get2(context);
    if (bpp != 10 && bpp != 12)
        return;
    constexpr uint16_t keys[2] = {0x2B61, 0x7D0E};
    uint32_t bits = 0;
    int32_t available = 0;
    int32_t word = 0;
    for (auto& row : context.white)
        for (auto& cell : row) {
            while (available < bpp) {
                bits = (bits << 16) | uint16_t(Get2(context) ^ keys[word++ & 1]);
                available += 16;
            }
            available -= bpp;
            cell = int16_t(((bits >> available) & ((1u << bpp) - 1)) << (14 - bpp));
        }
}

void WalkHeap(TRawDecodeContext& context, int64_t offset, int64_t length, int32_t depth, std::set<int64_t>& walked);

struct THeapWalk {
    TRawDecodeContext& context;
    std::set<int64_t>& walked;
    int32_t wbi = -1;
    int32_t depth = 0;

    bool IsModel(const char* name) const { return context.model == name; }

    void CanonBalanceAt(int64_t position);
    void Entry(uint16_t type, uint32_t size, int64_t position);
};

void THeapWalk::CanonBalanceAt(int64_t position)
{
    if (IsModel("Canon PowerShot G1") || IsModel("Canon PowerShot Pro90 IS")) {
        SeekTo(context, position + 120);
        constexpr int32_t cells[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
        for (const auto& cell : cells)
            context.white[size_t(cell[0])][size_t(cell[1])] = int16_t(Get2(context) * 16);
        return;
    }
    SeekTo(context, position + 100);
    if (wbi == 6 && Get4(context) == 0) {
        wbi = 15;
        return;
    }
    SeekTo(context, position + 100);
    ReadWhiteBalance(context);
}

void THeapWalk::Entry(uint16_t type, uint32_t size, int64_t position)
{
    SeekTo(context, position);
    if (type == 0x080A) {
        context.make = ReadRawText(context);
        SeekTo(context, position + int64_t(context.make.size()) + 1);
        context.model = ReadRawText(context);
    } else if (type == 0x102A) {
        SeekTo(context, position + 14);
        wbi = Get2(context);
        if (wbi == 6 && (IsModel("Canon EOS DIGITAL REBEL") || IsModel("Canon EOS 300D DIGITAL")))
            wbi = 7;
    } else if (type == 0x102C) {
        CanonBalanceAt(position);
    } else if (type == 0x0032) {
        if (IsModel("Canon EOS D30")) {
            const int32_t term = wbi >= 0 && wbi < 6 ? D30WhiteIndex[size_t(wbi)] : 0;
            SeekTo(context, position + 80 + 8 * term);
            if (context.camera_red == 0)
                ReadWhiteBalance(context);
        } else {
            SeekTo(context, position + 72);
            ReadWhiteBalance(context);
        }
    } else if (type == 0x10A9) {
        if (IsModel("Canon EOS 10D") && wbi >= 0 && wbi < 10)
            wbi = Eos10DWhiteIndex[size_t(wbi)];
        SeekTo(context, position + 8 * int64_t(wbi) + 2);
        const double a = Get2(context), b = Get2(context), c = Get2(context), d = Get2(context);
        context.camera_red = RawRatio(a, b);
        context.camera_blue = RawRatio(d, c);
    } else if (type == 0x1030 && wbi > 14) {
        ReadCiffWhiteSample(context);
    } else if (type == 0x1031) {
        SeekTo(context, position + 2);
        context.raw_width = Get2(context);
        context.raw_height = Get2(context);
    } else if ((type >> 8) == 0x28 || (type >> 8) == 0x30) {
        WalkHeap(context, position, size, depth + 1, walked);
    }
}

// A heap that names itself or an ancestor as a sub-heap would recurse
// without end, and siblings sharing a directory multiply the work: each
// directory is walked once, at most 8 levels deep.
void WalkHeap(TRawDecodeContext& context, int64_t offset, int64_t length, int32_t depth, std::set<int64_t>& walked)
{
    if (depth > MaxHeapDepth || offset < 0 || length < 4 || offset + length > context.fsize)
        return;
    SeekTo(context, offset + length - 4);
    const int64_t directory = offset + Get4(context);
    if (directory >= context.fsize || !walked.insert(directory).second)
        return;
    SeekTo(context, directory);
    const uint16_t records = Get2(context);
    THeapWalk walk{context, walked, -1, depth};
    for (uint16_t i = 0; i < records; ++i) {
        const uint16_t type = Get2(context);
        const uint32_t size = Get4(context);
        const int64_t position = offset + Get4(context);
        const int64_t next = Tell(context);
        walk.Entry(type, size, position);
        SeekTo(context, next);
    }
    if (walk.wbi == 0 && context.model == "Canon EOS D30")
        context.camera_red = -1;
}

} // namespace

void ParseCiff(TRawDecodeContext& context, int64_t offset, int64_t length)
{
    std::set<int64_t> walked;
    WalkHeap(context, offset, length, 0, walked);
}
