#pragma once
// The ffmpeg tool and ffprobe for the engine tests: they make the test media
// in the build tree, and their output is the oracle the engine is held to.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "platform/core/Files.h"

namespace media_oracle {

// Everything the shell command writes to its standard output.
inline std::string CommandOutput(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    while (pipe) {
        const size_t count = fread(buffer, 1, sizeof buffer, pipe.get());
        if (count == 0)
            break;
        output.append(buffer, count);
    }
    return output;
}

// Makes `file` with the ffmpeg tool from `arguments` unless it exists. Test
// processes run side by side: each writes its own copy and renames it into
// place, so no process reads a half-written file.
inline void Generate(const std::string& file, const std::string& arguments)
{
    if (FileExists(file))
        return;
    const std::string folder = ExtractFilePath(file);
    ASSERT_TRUE(ForceDirectories(folder)) << folder;
    const std::string part = folder + "part-" + std::to_string(getpid()) + "-" + ExtractFileName(file);
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " \"" + part + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_EQ(std::rename(part.c_str(), file.c_str()), 0) << file;
}

// ffprobe's "key=value" lines (its flat and default writers) for `file`,
// quotes around a value removed: "format.duration" -> "2.000000".
inline std::map<std::string, std::string> ProbeValues(const std::string& file, const std::string& arguments)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(CommandOutput("ffprobe -v error " + arguments + " \"" + file + "\" 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"')
            value = value.substr(1, value.size() - 2);
        values[line.substr(0, equals)] = value;
    }
    return values;
}

} // namespace media_oracle
