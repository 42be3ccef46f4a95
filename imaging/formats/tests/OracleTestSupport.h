#pragma once
// Reference tools run from the tests: the files they make, their output,
// files they wrote, and the loaded bitmap in the byte layout of ImageMagick's
// "rgb:" output.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/tests/QkCommand.h"

namespace made_files {

inline std::string WithFolder(std::string command, const std::string& from, const std::string& to)
{
    for (size_t at = 0; (at = command.find(from, at)) != std::string::npos; at += to.size())
        command.replace(at, from.size(), to);
    return command;
}

// What decides whether made files can be reused: the commands with the
// test's folder taken out, and the size and time of every existing file they
// name outside it (a script, a sample), so that editing those remakes them.
inline std::string Recipe(const std::string& folder, const std::vector<std::string>& commands)
{
    std::string recipe;
    for (const std::string& command : commands) {
        const std::string normalised = WithFolder(command, folder, "@");
        recipe += normalised + '\n';
        std::istringstream words(normalised);
        for (std::string word; words >> word;) {
            std::error_code error;
            if (word.front() == '/' && std::filesystem::is_regular_file(word, error))
                recipe += word + ' ' + std::to_string(std::filesystem::file_size(word)) + ' ' +
                    std::to_string(std::filesystem::last_write_time(word).time_since_epoch().count()) + '\n';
        }
    }
    return recipe;
}

// Runs the commands in `shared` unless a complete earlier run left its mark.
// The lock makes the other test processes of a parallel run wait for it.
inline void MakeOnce(const std::string& folder, const std::string& shared, const std::vector<std::string>& commands)
{
    std::filesystem::create_directories(std::filesystem::path(shared).parent_path());
    const int lock = open((shared + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    ASSERT_GE(lock, 0) << shared;
    flock(lock, LOCK_EX);
    const std::string complete = shared + "/.complete";
    if (!std::filesystem::exists(complete)) {
        std::filesystem::remove_all(shared);
        std::filesystem::create_directories(shared);
        for (const std::string& command : commands) {
            const std::string here = WithFolder(command, folder, shared);
            EXPECT_EQ(std::system(here.c_str()), 0) << here;
        }
        if (!::testing::Test::HasFailure())
            std::ofstream(complete).put('\n');
    }
    close(lock);
}

} // namespace made_files

// Fills the folder with the files the commands make there; a failing command
// fails the test. The reference tools run once per recipe and build tree, in a
// shared folder under "made-files", and each test process gets its own copy,
// so a suite whose tests each run in their own process makes its files once a
// run. The commands may read what earlier commands made and files outside
// the folder, never what a test wrote into it.
inline void MakeFiles(const std::string& folder, const std::vector<std::string>& commands)
{
    const std::string own = std::filesystem::path(folder).lexically_normal().string();
    const std::string trimmed = own.back() == '/' ? own.substr(0, own.size() - 1) : own;
    const std::string recipe = made_files::Recipe(trimmed, commands);
    const std::string shared =
        std::string(TEST_BINARY_DIR) + "/made-files/" + std::to_string(std::hash<std::string>{}(recipe));
    made_files::MakeOnce(trimmed, shared, commands);
    if (::testing::Test::HasFailure())
        return;
    std::filesystem::create_directories(trimmed);
    std::filesystem::copy(shared, trimmed,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(trimmed + "/.complete");
}

inline std::string FileContent(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// 8 bits a sample, red, green, blue (a qk8p bitmap through its palette),
// and with `withAlpha` the alpha channel's value (255 without one).
inline std::string RgbBytes(TQkBitmap& bitmap, bool withAlpha = false)
{
    std::string rgb;
    TQkBitmap* alpha = bitmap.HasAlphaChannel() ? bitmap.GetAlphaChannel() : nullptr;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            TRGBPixel colour;
            switch (bitmap.GetPixelFormat()) {
            case qk1g: colour.r = colour.g = colour.b = (line[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0; break;
            case qk8p: bitmap.GetPaletteColor(line[x], colour); break;
            default: colour = TRGBPixel{line[3 * x], line[3 * x + 1], line[3 * x + 2]}; break;
            }
            rgb += {char(colour.r), char(colour.g), char(colour.b)};
            if (withAlpha)
                rgb.push_back(char(alpha ? alpha->GetScanline(y)[x] : 255));
        }
    }
    return rgb;
}

inline std::string MagickRgb(const std::string& path) { return CommandOutput("convert " + path + " -depth 8 rgb:-"); }

// The largest difference of two samples; 256 when the sizes differ.
inline int LargestDifference(const std::string& ours, const std::string& theirs)
{
    if (ours.size() != theirs.size())
        return 256;
    int largest = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        largest = std::max(largest, std::abs(int(uint8_t(ours[i])) - int(uint8_t(theirs[i]))));
    return largest;
}

// Empty when equal, else where the bytes first differ (pixel dumps are too
// long to print).
inline std::string Difference(const std::string& ours, const std::string& theirs)
{
    if (ours == theirs)
        return {};
    const auto [at, unused] = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
    return "sizes " + std::to_string(ours.size()) + "/" + std::to_string(theirs.size()) + ", first difference at " +
        std::to_string(at - ours.begin());
}
