#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <sane/sane.h>

#include "imaging/formats/scan/QkScanDevice.h"
#include "platform/core/DynamicLibrary.h"

std::string SaneLibraryName = "libsane.so.1";

namespace {

// libsane's entry points, bound by name so that the program starts without
// the library.
struct TSaneApi {
    decltype(&sane_init) Init = nullptr;
    decltype(&sane_exit) Exit = nullptr;
    decltype(&sane_get_devices) GetDevices = nullptr;
    decltype(&sane_open) Open = nullptr;
    decltype(&sane_close) Close = nullptr;
    decltype(&sane_get_option_descriptor) GetOptionDescriptor = nullptr;
    decltype(&sane_control_option) ControlOption = nullptr;
    decltype(&sane_get_parameters) GetParameters = nullptr;
    decltype(&sane_start) Start = nullptr;
    decltype(&sane_read) Read = nullptr;
    decltype(&sane_cancel) Cancel = nullptr;
    decltype(&sane_strstatus) StrStatus = nullptr;
};

template <typename T>
bool Bind(TLibraryHandle library, const char* name, T& entry)
{
    entry = reinterpret_cast<T>(GetLibrarySymbol(library, name));
    return entry != nullptr;
}

bool BindAll(TLibraryHandle library, TSaneApi& api)
{
    return Bind(library, "sane_init", api.Init) && Bind(library, "sane_exit", api.Exit) &&
        Bind(library, "sane_get_devices", api.GetDevices) && Bind(library, "sane_open", api.Open) &&
        Bind(library, "sane_close", api.Close) &&
        Bind(library, "sane_get_option_descriptor", api.GetOptionDescriptor) &&
        Bind(library, "sane_control_option", api.ControlOption) &&
        Bind(library, "sane_get_parameters", api.GetParameters) && Bind(library, "sane_start", api.Start) &&
        Bind(library, "sane_read", api.Read) && Bind(library, "sane_cancel", api.Cancel) &&
        Bind(library, "sane_strstatus", api.StrStatus);
}

// One initialisation for the whole process, shared by every manager and
// device: sane_exit runs when the last of them is gone, or at the library's
// shut-down once no device is open. Managers that outlive the shut-down find
// the service ended; devices still open keep working until they close.
class TSaneService {
public:
    static std::shared_ptr<TSaneService> Acquire()
    {
        std::lock_guard<std::mutex> guard(CreationLock());
        std::weak_ptr<TSaneService>& current = Current();
        if (auto service = current.lock(); service && !service->Ended())
            return service;
        auto service = std::shared_ptr<TSaneService>(new TSaneService());
        if (!service->started_)
            return nullptr;
        current = service;
        return service;
    }
    static void Shutdown()
    {
        std::lock_guard<std::mutex> guard(CreationLock());
        if (auto service = Current().lock()) {
            std::lock_guard<std::mutex> serviceGuard(service->lock);
            service->shutDown_ = true;
            if (service->openDevices_ == 0)
                service->Exit();
        }
    }
    ~TSaneService()
    {
        Exit();
        if (library_ != nullptr)
            FreeDynamicLibrary(library_);
    }
    TSaneService(const TSaneService&) = delete;
    TSaneService& operator=(const TSaneService&) = delete;

    // Under the lock: whether devices may be listed and opened.
    bool Running() const { return started_ && !shutDown_; }
    // A later Acquire starts a new service once this one has ended, never
    // before: sane_init while devices are open would reset the backends
    // under them.
    bool Ended()
    {
        std::lock_guard<std::mutex> guard(lock);
        return shutDown_ && openDevices_ == 0;
    }
    // Under the lock.
    void DeviceOpened() { ++openDevices_; }
    void DeviceClosed()
    {
        if (--openDevices_ == 0 && shutDown_)
            Exit();
    }

    TSaneApi api;
    // Every call but a read from an open device.
    std::mutex lock;

private:
    TSaneService()
    {
        library_ = LoadDynamicLibrary(SaneLibraryName);
        if (library_ == nullptr || !BindAll(library_, api))
            return;
        SANE_Int version = 0;
        started_ = api.Init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    static std::mutex& CreationLock()
    {
        static std::mutex creation;
        return creation;
    }
    static std::weak_ptr<TSaneService>& Current()
    {
        static std::weak_ptr<TSaneService> current;
        return current;
    }
    void Exit()
    {
        if (started_)
            api.Exit();
        started_ = false;
    }

    TLibraryHandle library_ = nullptr;
    bool started_ = false;
    bool shutDown_ = false;
    int32_t openDevices_ = 0;
};

std::string Text(SANE_String_Const text) { return text != nullptr ? text : ""; }

bool ParseBool(const std::string& value, SANE_Word& word)
{
    if (value == "yes" || value == "true" || value == "1")
        word = SANE_TRUE;
    else if (value == "no" || value == "false" || value == "0")
        word = SANE_FALSE;
    else
        return false;
    return true;
}

bool ParseNumber(const std::string& value, SANE_Value_Type type, SANE_Word& word)
{
    if (value.empty())
        return false;
    char* end = nullptr;
    if (type == SANE_TYPE_INT) {
        const long number = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || number < INT32_MIN || number > INT32_MAX)
            return false;
        word = static_cast<SANE_Word>(number);
        return true;
    }
    const double number = std::strtod(value.c_str(), &end);
    if (*end != '\0' || !std::isfinite(number) || std::fabs(number) >= 32767.0)
        return false;
    word = SANE_FIX(number);
    return true;
}

class TSaneDevice : public IQkScanDevice {
public:
    // Under the service's lock.
    TSaneDevice(std::shared_ptr<TSaneService> service, SANE_Handle handle)
        : service_(std::move(service)), handle_(handle)
    {
        service_->DeviceOpened();
    }
    ~TSaneDevice() override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        service_->api.Cancel(handle_);
        service_->api.Close(handle_);
        service_->DeviceClosed();
    }

    std::string SetOption(const std::string& name, const std::string& value) override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        const SANE_Int option = FindOption(name);
        if (option < 0)
            return "no such option";
        const SANE_Option_Descriptor* descriptor = service_->api.GetOptionDescriptor(handle_, option);
        if (!SANE_OPTION_IS_ACTIVE(descriptor->cap) || !SANE_OPTION_IS_SETTABLE(descriptor->cap))
            return "the option cannot be set now";
        std::vector<SANE_Word> words(size_t(std::max<SANE_Int>(descriptor->size, 4)) / sizeof(SANE_Word) + 1, 0);
        void* buffer = words.data();
        bool parsed = true;
        switch (descriptor->type) {
        case SANE_TYPE_BOOL: parsed = ParseBool(value, words[0]); break;
        case SANE_TYPE_INT:
        case SANE_TYPE_FIXED: parsed = ParseNumber(value, descriptor->type, words[0]); break;
        case SANE_TYPE_STRING:
            parsed = value.size() < size_t(descriptor->size);
            if (parsed)
                std::memcpy(buffer, value.c_str(), value.size() + 1);
            break;
        case SANE_TYPE_BUTTON: buffer = nullptr; break;
        default: parsed = false; break;
        }
        if (!parsed)
            return "invalid value \"" + value + "\"";
        SANE_Int info = 0;
        const SANE_Status status = service_->api.ControlOption(handle_, option, SANE_ACTION_SET_VALUE, buffer, &info);
        if (status != SANE_STATUS_GOOD)
            return Text(service_->api.StrStatus(status));
        // The device changed the value to one it can use: not what was asked.
        if ((info & SANE_INFO_INEXACT) != 0)
            return "value \"" + value + "\" not supported";
        return {};
    }

    TQkScanStatus Start() override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        return static_cast<TQkScanStatus>(service_->api.Start(handle_));
    }

    TQkScanStatus GetParameters(TQkScanFrameParams& params) override
    {
        SANE_Parameters sane{};
        std::lock_guard<std::mutex> guard(service_->lock);
        const SANE_Status status = service_->api.GetParameters(handle_, &sane);
        params.Format = sane.format;
        params.LastFrame = sane.last_frame != SANE_FALSE;
        params.BytesPerLine = sane.bytes_per_line;
        params.PixelsPerLine = sane.pixels_per_line;
        params.Lines = sane.lines;
        params.Depth = sane.depth;
        return static_cast<TQkScanStatus>(status);
    }

    TQkScanStatus Read(uint8_t* buffer, int32_t maxLength, int32_t& length) override
    {
        SANE_Int got = 0;
        const SANE_Status status = service_->api.Read(handle_, buffer, maxLength, &got);
        length = got;
        return static_cast<TQkScanStatus>(status);
    }

    void Cancel() override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        service_->api.Cancel(handle_);
    }

    int32_t Resolution(bool vertical) override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        SANE_Int option = FindOption(vertical ? "y-resolution" : "x-resolution");
        if (option < 0)
            option = FindOption("resolution");
        if (option < 0)
            return 0;
        const SANE_Option_Descriptor* descriptor = service_->api.GetOptionDescriptor(handle_, option);
        if ((descriptor->type != SANE_TYPE_INT && descriptor->type != SANE_TYPE_FIXED) ||
            descriptor->size < SANE_Int(sizeof(SANE_Word)) || !SANE_OPTION_IS_ACTIVE(descriptor->cap))
            return 0;
        std::vector<SANE_Word> words(size_t(descriptor->size) / sizeof(SANE_Word), 0);
        if (service_->api.ControlOption(handle_, option, SANE_ACTION_GET_VALUE, words.data(), nullptr) !=
            SANE_STATUS_GOOD)
            return 0;
        if (descriptor->type == SANE_TYPE_INT)
            return words[0];
        return static_cast<int32_t>(std::lround(SANE_UNFIX(words[0])));
    }

    std::string StatusText(TQkScanStatus status) override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        return Text(service_->api.StrStatus(static_cast<SANE_Status>(status)));
    }

    bool FeederSelected() override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        const SANE_Int option = FindOption("source");
        if (option < 0)
            return false;
        const SANE_Option_Descriptor* descriptor = service_->api.GetOptionDescriptor(handle_, option);
        if (descriptor->type != SANE_TYPE_STRING || descriptor->size <= 0)
            return false;
        std::string value(size_t(descriptor->size), '\0');
        if (service_->api.ControlOption(handle_, option, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
            SANE_STATUS_GOOD)
            return false;
        value.resize(std::strlen(value.c_str()));
        for (const char* mark : {"ADF", "Feeder", "feeder"})
            if (value.find(mark) != std::string::npos)
                return true;
        return false;
    }

private:
    // Under the lock; -1 when the device has no option of that name.
    SANE_Int FindOption(const std::string& name)
    {
        const SANE_Option_Descriptor* first = service_->api.GetOptionDescriptor(handle_, 0);
        SANE_Word count = 0;
        if (first == nullptr ||
            service_->api.ControlOption(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
            return -1;
        for (SANE_Int option = 1; option < count; ++option) {
            const SANE_Option_Descriptor* descriptor = service_->api.GetOptionDescriptor(handle_, option);
            if (descriptor != nullptr && descriptor->name != nullptr && name == descriptor->name &&
                descriptor->type != SANE_TYPE_GROUP)
                return option;
        }
        return -1;
    }

    std::shared_ptr<TSaneService> service_;
    SANE_Handle handle_;
};

class TSaneDeviceManager : public IQkScanDeviceManager {
public:
    explicit TSaneDeviceManager(std::shared_ptr<TSaneService> service) : service_(std::move(service)) {}

    std::vector<TQkScanDeviceInfo> Devices() override
    {
        std::lock_guard<std::mutex> guard(service_->lock);
        const SANE_Device** list = nullptr;
        std::vector<TQkScanDeviceInfo> devices;
        if (!service_->Running() || service_->api.GetDevices(&list, SANE_FALSE) != SANE_STATUS_GOOD || list == nullptr)
            return devices;
        for (; *list != nullptr; ++list)
            devices.push_back({Text((*list)->name), Text((*list)->vendor), Text((*list)->model), Text((*list)->type)});
        return devices;
    }

    std::unique_ptr<IQkScanDevice> Open(const std::string& name, std::string& error) override
    {
        SANE_Handle handle = nullptr;
        std::lock_guard<std::mutex> guard(service_->lock);
        if (!service_->Running()) {
            error = "the scanner service has ended";
            return nullptr;
        }
        const SANE_Status status = service_->api.Open(name.c_str(), &handle);
        if (status != SANE_STATUS_GOOD) {
            error = Text(service_->api.StrStatus(status));
            return nullptr;
        }
        return std::make_unique<TSaneDevice>(service_, handle);
    }

private:
    std::shared_ptr<TSaneService> service_;
};

} // namespace

std::unique_ptr<IQkScanDeviceManager> CreateSaneDeviceManager()
{
    std::shared_ptr<TSaneService> service = TSaneService::Acquire();
    if (!service)
        return nullptr;
    return std::make_unique<TSaneDeviceManager>(std::move(service));
}

void ShutdownSaneService() { TSaneService::Shutdown(); }
