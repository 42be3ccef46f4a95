#pragma once
// Frame-hook plug-ins: shared libraries that a conversion job loads with the
// option "vhook" and hands every decoded picture to. A plug-in exports, with
// the C calling convention:
//   int  Configure(void** context, int argc, char* argv[], int lastIndex)
//        0 on success; optional when the plug-in takes no argument;
//   void Process(void* context, TFFPicture* picture, int pixelFormat,
//                int width, int height, int64_t ptsUs)   mandatory;
//   void Release(void* context)                          optional.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/decode/FFPicture.h"

using TFrameHookConfigure = int (*)(void** context, int argc, char* argv[], int lastIndex);
using TFrameHookProcess = void (*)(void* context, TFFPicture* picture, int pixelFormat, int width, int height,
                                   int64_t pts);
using TFrameHookRelease = void (*)(void* context);

// One plug-in in use, allocated zero-filled with av_mallocz.
struct TFrameHookEntry {
    TFrameHookEntry* Next;
    TFrameHookConfigure Configure;
    TFrameHookProcess Process;
    TFrameHookRelease Release;
    void* Context;
};

// The highest index of the argument vector handed to Configure.
constexpr int32_t FrameHookLastArgIndex = 63;

// The words of a "vhook" argument: split at "|" when it holds one, otherwise
// at blanks; at most FrameHookLastArgIndex words. The first is the library.
std::vector<std::string> SplitFrameHookArguments(const std::string& argument);

// Loads the library argv[0] (once per process), configures it with the
// arguments and appends it to the chain. 0, or -2 (no argument, or a missing
// entry point), -22 (Configure failed), -12 (no memory), -1 (not loaded).
int32_t FrameHookAdd(TFrameHookEntry*& chain, int32_t argc, char* argv[]);
// Calls every Process in chain order.
void FrameHookProcess(TFrameHookEntry* chain, TFFPicture* picture, int32_t pixelFormat, int32_t width, int32_t height,
                      int64_t ptsUs);
// Calls every Release in chain order, frees the entries, empties the chain.
void FrameHookRelease(TFrameHookEntry*& chain);
