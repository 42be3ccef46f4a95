#pragma once
// libtiff as the oracle of the TIFF tests, and the comparison of pixel dumps.

#include <algorithm>
#include <cstdlib>
#include <string>

#include "imaging/formats/tests/OracleTestSupport.h"

// libtiff's own reading of the page, as 8-bit RGB.
inline std::string LibtiffRgb(const std::string& path)
{
    const std::string rgba = path + ".rgba.tif";
    return CommandOutput("tiff2rgba -c none " + path + " " + rgba + " && convert " + rgba +
                         " -alpha off -depth 8 rgb:- && rm -f " + rgba);
}

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
