#pragma once
// System queries of the imaging library.

#include <cstdint>

// The logical processors this process may run on (its affinity mask),
// capped by its cgroup's CPU quota, at least 1. Counted once and kept in
// ProcessorCoreCountCache; setting the cache to a positive count makes
// that the answer.
int32_t GetProcessorCoreCount();
