#pragma once
// System queries of the imaging library.

#include <cstdint>

#include "platform/ui/Clipboard.h"

// The logical processors this process may run on (its affinity mask),
// capped by its cgroup's CPU quota, at least 1. Counted once and kept in
// ProcessorCoreCountCache; setting the cache to a positive count makes
// that the answer.
int32_t GetProcessorCoreCount();

// False: the desktop session is local.
bool IsRemoteSession();
// The primary mouse button is down, as the window system last saw it.
bool IsLeftButtonDown();
// The clipboard, which the process always reaches at once.
TClipboard* OpenClipboardRetry();
bool IsMMXAvailable();
