#pragma once
// Timing helpers shared by the benchmarks that compare with command-line
// peers: wall-clock milliseconds, a command's output, and a peer's median
// time net of a baseline command.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using TBenchClock = std::chrono::steady_clock;

inline double Milliseconds(TBenchClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TBenchClock::now() - start).count();
}

inline std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

// Milliseconds of one run, its output discarded.
inline double TimedCommand(const std::string& command)
{
    const TBenchClock::time_point start = TBenchClock::now();
    (void)std::system((command + " >/dev/null 2>&1").c_str());
    return Milliseconds(start);
}

// The median of `command` less `baseline` over `runs` pairs run back to
// back, so that the tool's start and the machine's load of the moment
// cancel out.
inline double MedianNetTime(const std::string& command, const std::string& baseline, int runs)
{
    std::vector<double> net;
    for (int i = 0; i < runs; ++i) {
        const double base = TimedCommand(baseline);
        net.push_back(TimedCommand(command) - base);
    }
    std::nth_element(net.begin(), net.begin() + net.size() / 2, net.end());
    return std::max(0.0, net[net.size() / 2]);
}
