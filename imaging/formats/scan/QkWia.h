#pragma once
// The scanner service of the input/output component: the devices the
// service lists, their changes reported as events, and acquisition from the
// chosen device page by page.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/scan/QkScanDevice.h"
#include "platform/core/Persistent.h"
#include "platform/core/StringList.h"

class TBrelvixIO;
class TQkScanPage;
class TQkWia;

enum TQkWiaEventKind : uint8_t {
    weTreeUpdated = 1,
    weItemCreated = 2,
    weItemDeleted = 3,
};

// Where the service's device events arrive.
class TWiaEventCallBack {
public:
    explicit TWiaEventCallBack(TQkWia* wia) : wia_(wia) {}
    void ImageEventCallback(TQkWiaEventKind kind);

private:
    TQkWia* wia_;
};

// One device the service lists.
struct TQkWiaItem {
    TQkScanDeviceInfo Device;
};

// A delivered page: the image with its resolution read back from the device.
using TQkWiaTransferEvent = std::function<void(TQkBitmap& page, int32_t dpiX, int32_t dpiY)>;

class TQkWia : public TObject {
public:
    // Starts the SANE service; without it DeviceManager stays nil.
    explicit TQkWia(TBrelvixIO* owner);
    // Takes the given manager (nil: no service) in place of the SANE one.
    TQkWia(TBrelvixIO* owner, std::unique_ptr<IQkScanDeviceManager> manager);
    ~TQkWia() override;
    TQkWia(const TQkWia&) = delete;
    TQkWia& operator=(const TQkWia&) = delete;

    void ClearItems();
    // Fills Items with the devices the service lists now; a list that
    // changed is reported as "tree updated".
    void RefreshItems();
    // Scans Items[ItemIndex] with ScanOptions applied in order, one page, or
    // with ScanAllPages every page the feeder holds; each page goes to
    // TransferCallback. False with LastError when anything fails: a page
    // that failed is not delivered and nothing more is scanned.
    bool Acquire();

    bool ServiceInitialized = false;
    std::unique_ptr<IQkScanDeviceManager> DeviceManager;
    std::vector<std::unique_ptr<TQkWiaItem>> Items;
    TBrelvixIO* const Owner;
    TQkWiaTransferEvent TransferCallback;
    std::unique_ptr<TWiaEventCallBack> EventCallback;
    // Asked with the percentage of the page read; false stops the scan.
    std::function<bool(int32_t percent)> ProgressCallback;
    int32_t ItemIndex = 0;
    std::function<void(TObject* sender)> OnDeviceEvent;
    // 1 tree updated, 2 item created, 3 item deleted.
    uint8_t LastEvent = 0;
    // "name=value" lines.
    TStringList ScanOptions;
    bool ScanAllPages = false;
    std::string LastError;

private:
    friend class TWiaEventCallBack;

    enum class TPageOutcome { Delivered, NoDocuments, Failed };

    bool Fail(const std::string& text);
    bool ApplyOptions(IQkScanDevice& device);
    TPageOutcome ScanPage(IQkScanDevice& device);
    bool ReadFrame(IQkScanDevice& device, TQkScanPage& page);
    // Stops the scan with the device's text for the status.
    bool DeviceFailed(IQkScanDevice& device, TQkScanStatus status);
};
