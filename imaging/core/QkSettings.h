#pragma once
// Process-wide settings and shared definitions of the imaging library. The
// start-up hooks (QkStartup.h) give every setting its documented value;
// users of the library may change some of them before creating bitmaps or
// dialogs. Settings are plain variables: written at start-up on the main
// thread and read afterwards.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/core/QkLzwHooks.h"
#include "platform/core/DynamicLibrary.h"
#include "platform/core/Persistent.h"

enum TResampleFilter {
    rfNone,
    rfTriangle,
    rfHermite,
    rfBell,
    rfBSpline,
    rfLanczos3,
    rfMitchell,
    rfNearest,
    rfLinear,
    rfFastLinear,
    rfBilinear,
    rfBicubic,
    rfProjectBW,
    rfProjectWB,
};

// Called with the sender and a percentage 0 to 100.
using TQkProgressEvent = std::function<void(TObject* sender, int32_t percent)>;

// The progress record a format filter receives: it calls OnProgress as
// (Sender, percent) and sets *Aborting instead of raising on bad data.
// Aborting may be set from another thread; it is null for local records.
struct TQkFilterProgress {
    TQkProgressEvent OnProgress;
    TObject* Sender = nullptr;
    int32_t Value1 = 0;
    int32_t Value2 = 0;
    double Step = 0;
    std::atomic<bool>* Aborting = nullptr;
};

// A 16-byte identifier (of a layer, for instance).
using TQkGUID = std::array<uint8_t, 16>;

inline const char* const LibraryVersion = "3.1.2";

// File-type ids of the format registry that the core names.
constexpr int32_t ioJPEG = 3;
constexpr int32_t ioPNG = 8;
constexpr int32_t ioRAW = 20;
constexpr int32_t ioDICOM = 28;

// Shared definitions.
extern int32_t GrayWeightRed;
extern int32_t GrayWeightGreen;
extern int32_t GrayWeightBlue;
// 0 plain, 1 four gray stripes, 2 a noisy gray band brighter in the middle.
extern uint8_t DialogsBackgroundStyle;

// Foundation settings.
extern uint8_t WindowsVersionCode;
extern bool UnicodeFileNames;
// -1 until GetProcessorCoreCount has counted.
extern int32_t ProcessorCoreCountCache;
// When not -1, every new bitmap takes it as its memory threshold.
extern int64_t MemoryThresholdOverride;
extern bool FileFallbackOnMemoryFailure;
extern bool RowBlocksAllowed;
// The colour-management library, loaded on first use by the ICC code.
extern TLibraryHandle ColorManagementLibrary;
// Smooth-blend weights: entry i = 64 - cos(i * pi / 255) * 64, rounded.
extern std::array<int32_t, 256> CosineTable;

// Settings of the input/output unit.
extern int32_t QuantizerMethod;
extern int32_t QuantizerQuality;
// Directory for temporary image files; empty means the system's.
extern std::string TemporaryDirectory;
extern bool FileExistsCompatibility;
extern bool ColorManagementEnabled;
// File that AppendDebugLog appends to; empty means logging is off.
extern std::string DebugLogFileName;

// The LZW codecs, plugged in by the formats that own them.
extern TGifLzwDecoder GifLzwDecoderHook;
extern TGifLzwEncoder GifLzwEncoderHook;
extern TTiffLzwDecoder TiffLzwDecoderHook;
extern TTiffLzwEncoder TiffLzwEncoderHook;

// Every reader refuses an image of more pixels than this (it sets Aborting
// instead of allocating); the fuzz targets lower it.
constexpr int64_t DefaultDecodePixelLimit = int64_t(1) << 28;
extern int64_t DecodePixelLimit;
// True when a width x height image stays within DecodePixelLimit.
bool WithinDecodeLimit(int64_t width, int64_t height);

// The library's default resolution and the screen's, set at start-up.
extern int32_t DefaultDpiX;
extern int32_t DefaultDpiY;
extern int32_t ScreenDpiX;
extern int32_t ScreenDpiY;

// Every NT-family system gives 9 here; file names are always Unicode.
uint8_t GetWindowsVersionCode();
void BuildCosineTable();
