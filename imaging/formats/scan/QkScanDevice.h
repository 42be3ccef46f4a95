#pragma once
// The scanner service as the acquisition code sees it: a device manager that
// lists devices and opens them, and an open device that takes options and
// delivers frames. The SANE implementation binds libsane at run time; tests
// may put a fake in its place.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The statuses and frame formats keep SANE's numbers.
enum TQkScanStatus : int32_t {
    ssGood = 0,
    ssUnsupported = 1,
    ssCancelled = 2,
    ssDeviceBusy = 3,
    ssInvalid = 4,
    ssEof = 5,
    ssJammed = 6,
    ssNoDocs = 7,
    ssCoverOpen = 8,
    ssIOError = 9,
    ssNoMem = 10,
    ssAccessDenied = 11,
};

enum TQkScanFrameFormat : int32_t {
    sfGray = 0,
    sfRGB = 1,
    sfRed = 2,
    sfGreen = 3,
    sfBlue = 4,
};

struct TQkScanDeviceInfo {
    std::string Name;
    std::string Vendor;
    std::string Model;
    std::string Type;
    friend bool operator==(const TQkScanDeviceInfo&, const TQkScanDeviceInfo&) = default;
};

// What the device announces for the frame it is about to send; Lines is -1
// when the device does not know (hand scanners).
struct TQkScanFrameParams {
    int32_t Format = sfGray;
    bool LastFrame = true;
    int32_t BytesPerLine = 0;
    int32_t PixelsPerLine = 0;
    int32_t Lines = 0;
    int32_t Depth = 8;
};

class IQkScanDevice {
public:
    virtual ~IQkScanDevice() = default;
    // Converts the text by the option's type; "" when the device took it,
    // else why not.
    virtual std::string SetOption(const std::string& name, const std::string& value) = 0;
    virtual TQkScanStatus Start() = 0;
    virtual TQkScanStatus GetParameters(TQkScanFrameParams& params) = 0;
    // Never called under the service's lock, so Cancel can reach a read in
    // progress.
    virtual TQkScanStatus Read(uint8_t* buffer, int32_t maxLength, int32_t& length) = 0;
    virtual void Cancel() = 0;
    // The resolution the device uses now, in dots an inch; 0 when unknown.
    virtual int32_t Resolution(bool vertical) = 0;
    virtual std::string StatusText(TQkScanStatus status) = 0;
    // Whether the chosen source is a document feeder, which ends a batch
    // with "no documents".
    virtual bool FeederSelected() = 0;
};

class IQkScanDeviceManager {
public:
    virtual ~IQkScanDeviceManager() = default;
    virtual std::vector<TQkScanDeviceInfo> Devices() = 0;
    // Nullptr with `error` set when the device cannot be opened.
    virtual std::unique_ptr<IQkScanDevice> Open(const std::string& name, std::string& error) = 0;
};

// The library the SANE service is loaded from; tests change it.
extern std::string SaneLibraryName;
// Nullptr when the library is missing or does not start.
std::unique_ptr<IQkScanDeviceManager> CreateSaneDeviceManager();
// The library's shut-down: ends the SANE service now when no device is open,
// else when the last open device closes. Managers made before it list no
// devices and open none afterwards.
void ShutdownSaneService();
