#include "imaging/formats/scan/QkWia.h"

#include "imaging/formats/scan/QkScanPage.h"

namespace {

constexpr int32_t ReadChunk = 64 * 1024;

} // namespace

void TWiaEventCallBack::ImageEventCallback(TQkWiaEventKind kind)
{
    if (wia_ == nullptr || kind < weTreeUpdated || kind > weItemDeleted)
        return;
    wia_->LastEvent = kind;
    if (wia_->OnDeviceEvent)
        wia_->OnDeviceEvent(wia_);
}

TQkWia::TQkWia(TBrelvixIO* owner) : TQkWia(owner, CreateSaneDeviceManager()) {}

TQkWia::TQkWia(TBrelvixIO* owner, std::unique_ptr<IQkScanDeviceManager> manager)
    : ServiceInitialized(manager != nullptr), DeviceManager(std::move(manager)), Owner(owner)
{
    if (DeviceManager)
        EventCallback = std::make_unique<TWiaEventCallBack>(this);
}

TQkWia::~TQkWia()
{
    EventCallback.reset();
    ClearItems();
    DeviceManager.reset();
}

void TQkWia::ClearItems() { Items.clear(); }

void TQkWia::RefreshItems()
{
    std::vector<TQkScanDeviceInfo> devices;
    if (DeviceManager)
        devices = DeviceManager->Devices();
    bool changed = devices.size() != Items.size();
    for (size_t i = 0; !changed && i < devices.size(); ++i)
        changed = !(devices[i] == Items[i]->Device);
    if (!changed)
        return;
    ClearItems();
    for (TQkScanDeviceInfo& device : devices)
        Items.push_back(std::make_unique<TQkWiaItem>(TQkWiaItem{std::move(device)}));
    if (EventCallback)
        EventCallback->ImageEventCallback(weTreeUpdated);
}

bool TQkWia::Fail(const std::string& text)
{
    LastError = text;
    return false;
}

bool TQkWia::Acquire()
{
    LastError.clear();
    if (!DeviceManager)
        return Fail("no scanner service");
    if (ItemIndex < 0 || size_t(ItemIndex) >= Items.size())
        return Fail("no scanner at index " + std::to_string(ItemIndex));
    const std::string& name = Items[size_t(ItemIndex)]->Device.Name;
    std::string error;
    std::unique_ptr<IQkScanDevice> device = DeviceManager->Open(name, error);
    if (!device)
        return Fail(name + ": " + error);
    if (!ApplyOptions(*device))
        return false;
    const bool batch = ScanAllPages && device->FeederSelected();
    bool succeeded = true;
    for (int32_t pages = 0;; ++pages) {
        const TPageOutcome outcome = ScanPage(*device);
        if (outcome == TPageOutcome::Delivered && batch)
            continue;
        // A feeder batch ends when the feeder is empty.
        if (outcome == TPageOutcome::NoDocuments && pages > 0)
            LastError.clear();
        else
            succeeded = outcome == TPageOutcome::Delivered;
        break;
    }
    device->Cancel();
    return succeeded;
}

bool TQkWia::ApplyOptions(IQkScanDevice& device)
{
    for (int32_t i = 0; i < ScanOptions.Count(); ++i) {
        const std::string line = ScanOptions.Strings(i);
        const size_t equals = line.find('=');
        const std::string name = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        const std::string error = device.SetOption(name, value);
        if (!error.empty())
            return Fail("option " + name + ": " + error);
    }
    return true;
}

TQkWia::TPageOutcome TQkWia::ScanPage(IQkScanDevice& device)
{
    TQkScanPage page;
    do {
        const TQkScanStatus status = device.Start();
        if (status == ssNoDocs && page.FramesBegun() == 0) {
            LastError = device.StatusText(status);
            return TPageOutcome::NoDocuments;
        }
        if (status != ssGood) {
            DeviceFailed(device, status);
            return TPageOutcome::Failed;
        }
        if (!ReadFrame(device, page))
            return TPageOutcome::Failed;
    } while (!page.Complete());
    std::unique_ptr<TQkBitmap> bitmap = page.TakeBitmap();
    if (!bitmap) {
        Fail(page.LastError());
        return TPageOutcome::Failed;
    }
    if (TransferCallback)
        TransferCallback(*bitmap, device.Resolution(false), device.Resolution(true));
    return TPageOutcome::Delivered;
}

bool TQkWia::DeviceFailed(IQkScanDevice& device, TQkScanStatus status)
{
    Fail(device.StatusText(status));
    device.Cancel();
    return false;
}

bool TQkWia::ReadFrame(IQkScanDevice& device, TQkScanPage& page)
{
    TQkScanFrameParams params;
    const TQkScanStatus status = device.GetParameters(params);
    if (status != ssGood)
        return DeviceFailed(device, status);
    if (!page.BeginFrame(params)) {
        device.Cancel();
        return Fail(page.LastError());
    }
    const int64_t expected = page.ExpectedBytes();
    std::vector<uint8_t> buffer(ReadChunk);
    for (int64_t received = 0;;) {
        int32_t length = 0;
        const TQkScanStatus read = device.Read(buffer.data(), ReadChunk, length);
        if (read == ssEof)
            break;
        if (read != ssGood)
            return DeviceFailed(device, read);
        if (length < 0 || length > ReadChunk || !page.Append(buffer.data(), size_t(length))) {
            device.Cancel();
            return Fail(length < 0 || length > ReadChunk ? "the device returned a bad length" : page.LastError());
        }
        received += length;
        const int32_t percent = expected > 0 ? int32_t(received * 100 / expected) : 0;
        if (ProgressCallback && !ProgressCallback(percent)) {
            device.Cancel();
            return Fail("cancelled");
        }
    }
    if (!page.EndFrame()) {
        device.Cancel();
        return Fail(page.LastError());
    }
    return true;
}
