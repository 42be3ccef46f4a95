#include "imaging/core/QkSettings.h"

#include <cmath>

#include "platform/core/Types.h"

int32_t GrayWeightRed = 21;
int32_t GrayWeightGreen = 71;
int32_t GrayWeightBlue = 8;
uint8_t DialogsBackgroundStyle = 0;

uint8_t WindowsVersionCode = 9;
bool UnicodeFileNames = true;
int32_t ProcessorCoreCountCache = -1;
int64_t MemoryThresholdOverride = -1;
bool FileFallbackOnMemoryFailure = true;
bool RowBlocksAllowed = true;
TLibraryHandle ColorManagementLibrary = nullptr;
std::array<int32_t, 256> CosineTable{};

int32_t QuantizerMethod = -1;
int32_t QuantizerQuality = -1;
std::string TemporaryDirectory;
bool FileExistsCompatibility = false;
bool ColorManagementEnabled = false;
std::string DebugLogFileName;

TGifLzwDecoder GifLzwDecoderHook;
TGifLzwEncoder GifLzwEncoderHook;
TTiffLzwDecoder TiffLzwDecoderHook;
TTiffLzwEncoder TiffLzwEncoderHook;
int64_t DecodePixelLimit = DefaultDecodePixelLimit;

bool WithinDecodeLimit(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && (height == 0 || width <= DecodePixelLimit / height);
}

int32_t DefaultDpiX = 300;
int32_t DefaultDpiY = 300;
int32_t ScreenDpiX = 96;
int32_t ScreenDpiY = 96;

uint8_t GetWindowsVersionCode() { return 9; }

void BuildCosineTable()
{
    for (size_t i = 0; i < CosineTable.size(); ++i) {
        const double weight = 64.0 - std::cos(static_cast<double>(i) * M_PI / 255.0) * 64.0;
        CosineTable[i] = static_cast<int32_t>(Round(weight));
    }
}
