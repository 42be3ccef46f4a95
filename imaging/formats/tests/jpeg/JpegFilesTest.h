#pragma once
// JPEG fixtures made by the library's own tools in a folder of the build
// tree, and the pieces the tests splice into them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/formats/tests/CodecTestFiles.h"

inline const std::string& JpegFolder()
{
    static const std::string folder = [] {
        const std::string path = std::string(TEST_BINARY_DIR) + "/jpeg-files-" + std::to_string(getpid());
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// A photo-like colour image of the size, as a PPM file; made once.
inline std::string SourcePpm(int width = 67, int height = 45)
{
    const std::string path = JpegFolder() + "/source-" + std::to_string(width) + "x" + std::to_string(height) + ".ppm";
    if (!std::filesystem::exists(path))
        CommandOutput("convert -seed 7 -size " + std::to_string(width) + "x" + std::to_string(height) +
                      " plasma:fractal -depth 8 " + path);
    return path;
}

// The bytes cjpeg writes with these options.
inline std::vector<uint8_t> Cjpeg(const std::string& options, const std::string& source = SourcePpm())
{
    const std::string path = JpegFolder() + "/cjpeg.jpg";
    CommandOutput("cjpeg " + options + " -outfile " + path + " " + source);
    return ReadFileBytes(path);
}

// A marker segment: FF, the type, the length, the payload.
inline std::vector<uint8_t> Segment(uint8_t type, const std::vector<uint8_t>& payload)
{
    const size_t length = payload.size() + 2;
    std::vector<uint8_t> segment{0xFF, type, uint8_t(length >> 8), uint8_t(length)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    return segment;
}

// The file with the segments put right after the start-of-image marker, or
// after its first segment.
inline std::vector<uint8_t> Spliced(const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& segments,
                                    bool afterFirstSegment = false)
{
    size_t at = 2;
    if (afterFirstSegment)
        at += 2 + size_t(jpeg[4] << 8 | jpeg[5]);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + ptrdiff_t(at));
    out.insert(out.end(), segments.begin(), segments.end());
    out.insert(out.end(), jpeg.begin() + ptrdiff_t(at), jpeg.end());
    return out;
}

// The samples of a binary PPM or PGM that djpeg printed.
inline std::vector<uint8_t> NetpbmSamples(const std::string& file, int& width, int& height)
{
    int maxValue = 0;
    int consumed = 0;
    char magic[3] = {};
    if (std::sscanf(file.c_str(), "%2s %d %d %d%n", magic, &width, &height, &maxValue, &consumed) != 4)
        return {};
    return {file.begin() + consumed + 1, file.end()};
}
