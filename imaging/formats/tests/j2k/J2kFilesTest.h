#pragma once
// JPEG 2000 files made by opj_compress from raw samples the tests compute,
// in a folder of the build tree.

#include <cstdint>
#include <string>
#include <vector>

// Samples component after component, as opj_compress reads raw input.
struct TJ2kRaw {
    int32_t Width = 13;
    int32_t Height = 9;
    int32_t Depth = 8;
    bool Signed = false;
    // Per component: its sampling step in both directions.
    std::vector<int32_t> Steps{1};
    std::vector<std::vector<int32_t>> Planes;

    int32_t PlaneWidth(size_t component) const { return (Width + Steps[component] - 1) / Steps[component]; }
    int32_t At(size_t component, int32_t x, int32_t y) const
    {
        const int32_t step = Steps[component];
        return Planes[component][size_t((y / step) * PlaneWidth(component) + x / step)];
    }
};

// A pattern that reaches both ends of the depth's range.
TJ2kRaw PatternRaw(int32_t depth, bool isSigned, std::vector<int32_t> steps, int32_t width = 13, int32_t height = 9);
// opj_compress of the samples into the folder's `name` (.jp2 or .j2k). Its
// raw input takes even depths only.
std::string CompressRaw(const TJ2kRaw& raw, const std::string& name, const std::string& options = "");
std::string J2kPath(const std::string& name);
