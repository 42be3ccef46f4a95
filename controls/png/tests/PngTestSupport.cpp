#include "PngTestSupport.h"

#include "controls/png/pngimage.h"

#include "platform/core/Streams.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <random>

namespace {

uint32_t Crc(const std::string& nameAndData)
{
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(nameAndData.data()), static_cast<uInt>(nameAndData.size())));
}

struct TWriteTarget {
    std::string Bytes;
};

void WriteToString(png_structp png, png_bytep data, png_size_t length)
{
    auto* target = static_cast<TWriteTarget*>(png_get_io_ptr(png));
    target->Bytes.append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

struct TReadSource {
    const std::string* Bytes;
    size_t Position = 0;
};

void ReadFromString(png_structp png, png_bytep data, png_size_t length)
{
    auto* source = static_cast<TReadSource*>(png_get_io_ptr(png));
    if (source->Position + length > source->Bytes->size())
        png_error(png, "read past end");
    std::memcpy(data, source->Bytes->data() + source->Position, length);
    source->Position += length;
}

// libpng reports errors by longjmp; these C-style bodies keep C++ objects
// with destructors out of the jump's way.
bool WriteBody(png_structp png, png_infop info, const TRawPng& image, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, image.Width, image.Height, image.BitDepth, image.ColorType, image.Interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.Palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.Palette.data()),
                     static_cast<int>(image.Palette.size() / 3));
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

bool ReadBody(png_structp png, png_infop info, TRawPng& image)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    image.Width = png_get_image_width(png, info);
    image.Height = png_get_image_height(png, info);
    image.ColorType = png_get_color_type(png, info);
    image.BitDepth = png_get_bit_depth(png, info);
    image.Interlace = png_get_interlace_type(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    image.Rows.assign(image.Height, std::vector<uint8_t>(rowBytes));
    std::vector<png_bytep> rows;
    for (auto& row : image.Rows)
        rows.push_back(row.data());
    png_read_image(png, rows.data());
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) & PNG_INFO_PLTE)
        image.Palette.assign(reinterpret_cast<uint8_t*>(palette), reinterpret_cast<uint8_t*>(palette) + 3 * count);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

TRawPng MakePattern(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth, uint8_t interlace,
                    uint32_t seed)
{
    TRawPng image{width, height, colorType, bitDepth, interlace, {}, {}, {}};
    const uint32_t channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
    const size_t rowBytes = (size_t{width} * channels * bitDepth + 7) / 8;
    std::mt19937 random(seed);
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row(rowBytes);
        for (auto& byte : row)
            byte = static_cast<uint8_t>(random());
        // Padding bits past the last sample stay zero, as libpng hands them back.
        const size_t usedBits = size_t{width} * channels * bitDepth;
        if (usedBits % 8)
            row.back() &= static_cast<uint8_t>(0xFF << (8 - usedBits % 8));
        image.Rows.push_back(row);
    }
    if (colorType == 3)
        for (uint32_t i = 0; i < (1u << bitDepth) * 3; ++i)
            image.Palette.push_back(static_cast<uint8_t>(random()));
    return image;
}

std::string WriteWithLibpng(const TRawPng& image)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    TWriteTarget target;
    png_set_write_fn(png, &target, WriteToString, FlushNothing);
    std::vector<png_bytep> rows;
    for (const auto& row : image.Rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    const bool written = WriteBody(png, info, image, rows);
    png_destroy_write_struct(&png, &info);
    EXPECT_TRUE(written);
    return target.Bytes;
}

TRawPng ReadWithLibpng(const std::string& file)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    TReadSource source{&file};
    png_set_read_fn(png, &source, ReadFromString);
    TRawPng image;
    const bool read = ReadBody(png, info, image);
    png_destroy_read_struct(&png, &info, nullptr);
    EXPECT_TRUE(read) << "libpng refused the file";
    return image;
}

std::string BigEndian(uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    return std::string(bytes, 4);
}

std::string Deflate(const std::string& data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), level);
    out.resize(size);
    return out;
}

std::string Inflate(const std::string& data)
{
    z_stream stream{};
    inflateInit(&stream);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buffer[4096];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    EXPECT_EQ(result, Z_STREAM_END);
    return out;
}

TPngBuilder& TPngBuilder::Chunk(const std::string& name, const std::string& data)
{
    FBytes += BigEndian(static_cast<uint32_t>(data.size())) + name + data + BigEndian(Crc(name + data));
    return *this;
}

TPngBuilder& TPngBuilder::ChunkWithBadCrc(const std::string& name, const std::string& data)
{
    FBytes += BigEndian(static_cast<uint32_t>(data.size())) + name + data + BigEndian(Crc(name + data) ^ 1);
    return *this;
}

TPngBuilder& TPngBuilder::Raw(const std::string& bytes)
{
    FBytes += bytes;
    return *this;
}

TPngBuilder& TPngBuilder::Header(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                                 uint8_t interlace)
{
    const char fields[5] = {static_cast<char>(bitDepth), static_cast<char>(colorType), 0, 0,
                            static_cast<char>(interlace)};
    return Chunk("IHDR", BigEndian(width) + BigEndian(height) + std::string(fields, 5));
}

TPngBuilder& TPngBuilder::ImageData(const std::string& filteredRows) { return Chunk("IDAT", Deflate(filteredRows)); }

std::vector<std::pair<std::string, std::string>> SplitChunks(const std::string& file)
{
    std::vector<std::pair<std::string, std::string>> chunks;
    size_t position = 8;
    while (position + 12 <= file.size()) {
        const auto* p = reinterpret_cast<const uint8_t*>(file.data()) + position;
        const uint32_t length = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        chunks.emplace_back(file.substr(position + 4, 4), file.substr(position + 8, length));
        position += 12 + size_t{length};
    }
    return chunks;
}

void LoadPng(TPNGObject& png, const std::string& file)
{
    TStringStream stream(file);
    png.LoadFromStream(stream);
}

std::string SavePng(const TPNGObject& png)
{
    TStringStream stream;
    png.SaveToStream(stream);
    return stream.DataString();
}
