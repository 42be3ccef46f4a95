#pragma once
// libtiff as the oracle of the TIFF tests.

#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "imaging/formats/tests/OracleTestSupport.h"

// libtiff's own reading of the page, as 8-bit RGB.
inline std::string LibtiffRgb(const std::string& path)
{
    const std::string rgba = path + ".rgba.tif";
    return CommandOutput("tiff2rgba -c none " + path + " " + rgba + " && convert " + rgba +
                         " -alpha off -depth 8 rgb:- && rm -f " + rgba);
}

// tiffdump's values of the first directory's tags by tag number, as printed
// between its angle brackets ("8 8 8", "fax2tiff\\0").
inline std::map<int, std::string> TiffdumpTags(const std::string& path)
{
    std::istringstream lines(CommandOutput("tiffdump " + path));
    const std::regex entry(R"(\((\d+)\) \w+ \(\d+\) \d+<(.*)>$)");
    std::map<int, std::string> tags;
    int directories = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Directory ") && ++directories > 1)
            break;
        std::smatch match;
        if (std::regex_search(line, match, entry))
            tags[std::stoi(match[1])] = match[2];
    }
    return tags;
}
