#pragma once
// Runs a shell command of a reference tool and returns what it printed.

#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

inline std::string CommandOutput(const std::string& command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, got);
    EXPECT_EQ(pclose(pipe.release()), 0) << command;
    return output;
}
