#pragma once
// The limits of the process's cgroup (version 2) that the library honours.

#include <string>

// The first whitespace-separated words of a file of the process's cgroup
// folder ("memory.max", "cpu.max"); empty when the process has no cgroup v2
// or the file cannot be read.
std::string ReadCgroupFile(const std::string& name);
