// Feeds mutated PNG files to the loader and to the row reader. Built as a plain executable that
// mutates a few seed images with a fixed seed, so a run is repeatable; with
// clang's -fsanitize=fuzzer it is a libFuzzer target instead
// (PNG_FUZZ_WITH_LIBFUZZER).
//
// Usage: controls_png_fuzz [iterations] [seed]

#include "controls/png/PngRowReader.h"
#include "controls/png/pngimage.h"

#include "platform/core/Streams.h"
#include "platform/gfx/Canvas.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// Larger images are only loaded: drawing them would measure the machine, not the loader.
constexpr int64_t MaxDrawnPixels = 1 << 16;

// Loading must either succeed or raise one of the library's exceptions;
// anything else (a crash, a foreign exception) ends the run.
void LoadOnce(const uint8_t* data, size_t size)
{
    TPNGObject png;
    TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        png.LoadFromStream(stream);
    } catch (const Exception&) {}
    // Whatever was kept must be safe to use.
    png.Pixels(0, 0);
    png.TransparencyMode();
    if (int64_t{png.Width()} * png.Height() <= MaxDrawnPixels) {
        TBitmap target(7, 5, pf24bit);
        png.Draw(*target.Canvas(), Rect(0, 0, 7, 5));
        png.Draw(*target.Canvas(), Rect(1, 1, 3, 6));
    }
    try {
        TStringStream out;
        png.SaveToStream(out);
    } catch (const Exception&) {}
}

// Every row the data holds, then the chunks after it.
void ReadRowsOnce(const uint8_t* data, size_t size)
{
    TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        TPngRowReader reader(stream);
        for (const TPngPass& pass : reader.Passes()) {
            std::vector<uint8_t> row(pass.RowBytes);
            for (uint32_t n = 0; n < pass.Rows && reader.ReadRow(row.data()); ++n) {}
        }
        reader.Finish();
    } catch (const Exception&) {}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadOnce(data, size);
    ReadRowsOnce(data, size);
    return 0;
}

#ifndef PNG_FUZZ_WITH_LIBFUZZER

namespace {

// Seed images of several layouts, made by the encoder itself.
std::vector<std::string> SeedFiles()
{
    struct Layout {
        int32_t Width, Height;
        TPixelFormat Format;
        bool Transparent;
        uint8_t Interlace;
    };
    const Layout layouts[] = {
        {5, 3, pf1bit, false, 0},  {7, 9, pf4bit, true, 1},   {9, 4, pf8bit, true, 0},
        {6, 6, pf24bit, false, 1}, {3, 11, pf24bit, true, 0},
    };
    std::vector<std::string> files;
    for (const Layout& layout : layouts) {
        TBitmap bitmap(layout.Width, layout.Height, layout.Format);
        for (int32_t y = 0; y < layout.Height; ++y)
            for (int32_t x = 0; x < layout.Width; ++x)
                bitmap.Canvas()->SetPixel(x, y, RGB(uint8_t(x * 40), uint8_t(y * 30), uint8_t((x + y) * 20)));
        bitmap.SetTransparent(layout.Transparent);
        TPNGObject png;
        png.Assign(&bitmap);
        png.SetInterlaceMethod(layout.Interlace);
        png.SetFilters(pfNone | pfSub | pfUp | pfAverage | pfPaeth);
        TStringStream out;
        png.SaveToStream(out);
        files.push_back(out.DataString());
    }
    return files;
}

uint32_t Crc32(const std::string& bytes, size_t begin, size_t end)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = begin; i < end; ++i) {
        crc ^= static_cast<uint8_t>(bytes[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// Recomputes every chunk's CRC so that mutations reach past the CRC check.
void FixCrcs(std::string& file)
{
    size_t position = 8;
    while (position + 12 <= file.size()) {
        const auto* p = reinterpret_cast<const uint8_t*>(file.data()) + position;
        const uint64_t length = (uint64_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        if (position + 12 + length > file.size())
            return;
        const uint32_t crc = Crc32(file, position + 4, position + 8 + length);
        for (int i = 0; i < 4; ++i)
            file[position + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
        position += 12 + length;
    }
}

std::string Mutate(const std::string& seed, std::mt19937& random)
{
    std::string file = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !file.empty(); ++e) {
        const size_t at = random() % file.size();
        switch (random() % 6) {
        case 0: file[at] = static_cast<char>(file[at] ^ (1 << (random() % 8))); break;
        case 1: file[at] = static_cast<char>(random()); break;
        case 2: file.resize(at); break;
        case 3: file.insert(at, std::string(1 + random() % 8, static_cast<char>(random()))); break;
        case 4: file.erase(at, 1 + random() % 8); break;
        default: {
            // Interesting values over a 32-bit field (lengths, sizes).
            const uint32_t values[] = {0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 65535, 65536, 13};
            const uint32_t v = values[random() % 7];
            for (int i = 0; i < 4 && at + i < file.size(); ++i)
                file[at + i] = static_cast<char>(v >> (24 - 8 * i));
        }
        }
    }
    if (random() % 4 != 0)
        FixCrcs(file);
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1;
    std::mt19937 random(seed);
    const std::vector<std::string> seeds = SeedFiles();
    for (long i = 0; i < iterations; ++i) {
        const std::string file = Mutate(seeds[random() % seeds.size()], random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    }
    std::printf("%ld inputs loaded without a fault (seed %u)\n", iterations, seed);
    return 0;
}

#endif
