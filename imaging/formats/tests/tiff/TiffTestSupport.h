#pragma once
// libtiff as the oracle of the TIFF tests.

#include <string>

#include "imaging/formats/tests/OracleTestSupport.h"

// libtiff's own reading of the page, as 8-bit RGB.
inline std::string LibtiffRgb(const std::string& path)
{
    const std::string rgba = path + ".rgba.tif";
    return CommandOutput("tiff2rgba -c none " + path + " " + rgba + " && convert " + rgba +
                         " -alpha off -depth 8 rgb:- && rm -f " + rgba);
}
