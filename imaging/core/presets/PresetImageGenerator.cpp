// Draws the four preset pictures (simple frames around their inner
// rectangles), encodes them as PNG files and writes them as a C++ source of
// byte arrays: PresetImageGenerator <output.cpp>

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct TColour {
    uint8_t r, g, b, a;
};

// The parts of a frame, also the palette indices of the palette pictures.
enum TFramePart { fpInner, fpEdge, fpBody, fpHighlight, fpShadow, fpPartCount };

struct TPicture {
    int width;
    int height;
    int colourType; // PNG_COLOR_TYPE_*
    bool transparentInner;
    int left, top, right, bottom; // inner rectangle, right and bottom outside
    std::array<TColour, fpPartCount> colours;
};

const TPicture Pictures[] = {
    {162,
     159,
     PNG_COLOR_TYPE_RGB_ALPHA,
     true,
     18,
     29,
     140,
     119,
     {{{0, 0, 0, 0}, {60, 36, 20, 255}, {150, 100, 60, 255}, {210, 170, 120, 255}, {90, 60, 35, 255}}}},
    {112,
     100,
     PNG_COLOR_TYPE_RGB,
     false,
     13,
     1,
     95,
     98,
     {{{255, 255, 255, 255}, {30, 30, 30, 255}, {40, 80, 140, 255}, {120, 160, 220, 255}, {20, 40, 80, 255}}}},
    {163,
     108,
     PNG_COLOR_TYPE_PALETTE,
     true,
     30,
     14,
     147,
     92,
     {{{0, 0, 0, 0}, {20, 60, 20, 255}, {60, 140, 60, 255}, {150, 210, 150, 255}, {30, 90, 30, 255}}}},
    {150,
     150,
     PNG_COLOR_TYPE_PALETTE,
     false,
     17,
     17,
     131,
     131,
     {{{240, 240, 240, 255}, {50, 20, 20, 255}, {170, 40, 40, 255}, {230, 130, 130, 255}, {100, 25, 25, 255}}}},
};

// Rings around the inner rectangle: a shadow next to it, a highlight at
// the outer side, a dark line along the picture's edge.
TFramePart PartAt(const TPicture& p, int x, int y)
{
    const int outside = std::max({p.left - x, x - (p.right - 1), p.top - y, y - (p.bottom - 1), 0});
    const int toEdge = std::min({x, y, p.width - 1 - x, p.height - 1 - y});
    if (outside == 0)
        return fpInner;
    if (toEdge == 0)
        return fpEdge;
    if (outside <= 2)
        return fpShadow;
    if (toEdge <= 2)
        return fpHighlight;
    return fpBody;
}

std::vector<uint8_t> PixelRow(const TPicture& p, int y)
{
    std::vector<uint8_t> row;
    for (int x = 0; x < p.width; ++x) {
        const TFramePart part = PartAt(p, x, y);
        const TColour c = p.colours[part];
        if (p.colourType == PNG_COLOR_TYPE_PALETTE) {
            row.push_back(static_cast<uint8_t>(part));
            continue;
        }
        row.insert(row.end(), {c.r, c.g, c.b});
        if (p.colourType == PNG_COLOR_TYPE_RGB_ALPHA)
            row.push_back(c.a);
    }
    return row;
}

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void SetPalette(png_structp png, png_infop info, const TPicture& p)
{
    std::array<png_color, fpPartCount> palette{};
    for (int i = 0; i < fpPartCount; ++i)
        palette[i] = {p.colours[i].r, p.colours[i].g, p.colours[i].b};
    png_set_PLTE(png, info, palette.data(), fpPartCount);
    if (p.transparentInner) {
        png_byte alpha[] = {0};
        png_set_tRNS(png, info, alpha, 1, nullptr);
    }
}

bool Encode(const TPicture& p, std::vector<uint8_t>& out)
{
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < p.height; ++y)
        rows.push_back(PixelRow(p, y));
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows)
        rowPointers.push_back(row.data());

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, p.width, p.height, 8, p.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (p.colourType == PNG_COLOR_TYPE_PALETTE)
        SetPalette(png, info, p);
    png_set_rows(png, info, rowPointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void WriteArray(std::ofstream& source, int index, const std::vector<uint8_t>& bytes)
{
    source << "const uint8_t Image" << index << "[] = {";
    for (size_t i = 0; i < bytes.size(); ++i)
        source << (i % 20 == 0 ? "\n    " : " ") << static_cast<int>(bytes[i]) << ",";
    source << "\n};\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.cpp>\n", argv[0]);
        return 2;
    }
    std::ofstream source(argv[1]);
    source << "// Made by the preset image generator at build time.\n"
              "#include \"imaging/core/QkPresetImageData.h\"\n\nnamespace {\n\n";
    int index = 0;
    for (const TPicture& picture : Pictures) {
        std::vector<uint8_t> bytes;
        if (!Encode(picture, bytes)) {
            std::fprintf(stderr, "PresetImageGenerator: picture %d could not be encoded\n", index);
            return 1;
        }
        WriteArray(source, index++, bytes);
    }
    source << "\n} // namespace\n\nconst TPresetImageBytes PresetImageBytes[PresetImageCount] = {\n";
    for (int i = 0; i < index; ++i)
        source << "    {Image" << i << ", static_cast<int32_t>(sizeof(Image" << i << "))},\n";
    source << "};\n";
    source.close();
    return source ? 0 : 1;
}
