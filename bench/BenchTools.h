#pragma once
// Timing helpers shared by the benchmarks: wall-clock milliseconds, a
// command's output, a peer's median time net of a baseline command, and
// processor seconds per call.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
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

// The processor time this thread has used, in seconds: on a shared machine
// the wall clock also counts the time other programs take.
inline double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Processor seconds per call of `operation`, over calls using about a tenth
// of a second.
inline double SecondsPerCall(const std::function<void()>& operation)
{
    operation();
    int calls = 0;
    const double start = ThreadSeconds();
    double spent = 0;
    while (spent < 0.1) {
        operation();
        ++calls;
        spent = ThreadSeconds() - start;
    }
    return spent / calls;
}
