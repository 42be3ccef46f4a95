#include "imaging/core/QkSystem.h"

#include <algorithm>
#include <limits>
#include <sched.h>
#include <sstream>
#include <string>

#include "imaging/core/QkCgroup.h"
#include "imaging/core/QkSettings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowSystem.h"

namespace {

int32_t AffinityProcessorCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return CPU_COUNT(&set);
}

// Whole processors of the cgroup's "quota period" CPU limit, rounded up.
int32_t CgroupProcessorLimit()
{
    std::istringstream limit(ReadCgroupFile("cpu.max"));
    int64_t quota = 0;
    int64_t period = 0;
    if (!(limit >> quota >> period) || quota <= 0 || period <= 0)
        return std::numeric_limits<int32_t>::max();
    const int64_t processors = quota / period + (quota % period != 0 ? 1 : 0);
    return static_cast<int32_t>(std::min<int64_t>(processors, std::numeric_limits<int32_t>::max()));
}

} // namespace

int32_t GetProcessorCoreCount()
{
    if (ProcessorCoreCountCache < 1)
        ProcessorCoreCountCache = std::max(1, std::min(AffinityProcessorCount(), CgroupProcessorLimit()));
    return ProcessorCoreCountCache;
}

bool IsRemoteSession() { return false; }

bool IsLeftButtonDown() { return GetKeyStateDown(VK_LBUTTON); }

TClipboard* OpenClipboardRetry() { return Clipboard(); }

bool IsMMXAvailable() { return __builtin_cpu_supports("mmx"); }
