#include "imaging/formats/url/QkUrlDownload.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include <sys/mman.h>

#include <curl/curl.h>

#include "imaging/formats/url/QkUrlAddress.h"
#include "platform/core/Streams.h"

namespace {

std::atomic<bool> internetReady{false};

struct TEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using TEasyHandle = std::unique_ptr<CURL, TEasyDeleter>;

// The first write to each fresh page of a large body makes the kernel clear
// it, which on some machines (virtual ones above all) costs as much as the
// transfer itself. A helper thread faults the reserved pages in while the
// bytes arrive, so the two overlap. It only maps pages, never writes them,
// and stops between pieces when the transfer ends first.
class TPrefaulter {
public:
    TPrefaulter() = default;
    TPrefaulter(const TPrefaulter&) = delete;
    TPrefaulter& operator=(const TPrefaulter&) = delete;
    ~TPrefaulter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    void Start(void* memory, size_t length)
    {
        constexpr uintptr_t page = 4096;
        const auto begin = (reinterpret_cast<uintptr_t>(memory) + page - 1) & ~(page - 1);
        const auto end = (reinterpret_cast<uintptr_t>(memory) + length) & ~(page - 1);
        if (end <= begin || end - begin < 2 * Piece)
            return;
        thread_ = std::thread([this, begin, end] {
            for (uintptr_t at = begin; at < end && !stop_; at += Piece)
                ::madvise(reinterpret_cast<void*>(at), std::min<uintptr_t>(Piece, end - at), MADV_POPULATE_WRITE);
        });
    }

private:
    static constexpr size_t Piece = size_t(8) << 20;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct TTransfer {
    TTransfer(CURL* curl, TMemoryStream& target, const TQkDownloadOptions& options)
        : Curl(curl), Target(target), Options(options)
    {}

    CURL* Curl;
    TMemoryStream& Target;
    const TQkDownloadOptions& Options;
    int32_t LastPercent = -1;
    bool TooLarge = false;
    bool Reserved = false;
    TPrefaulter Prefaulter;
};

// Growing a large body step by step moves it many times over.
void ReserveAnnouncedLength(TTransfer& transfer)
{
    transfer.Reserved = true;
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length <= 0 || length > transfer.Options.MaxBytes)
        return;
    TMemoryStream& target = transfer.Target;
    target.Reserve(target.Size() + length);
    transfer.Prefaulter.Start(static_cast<char*>(target.Memory()) + target.Size(), static_cast<size_t>(length));
}

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<TTransfer*>(user);
    const int64_t bytes = static_cast<int64_t>(size * count);
    if (!transfer.Reserved)
        ReserveAnnouncedLength(transfer);
    // Without an announced length libcurl cannot refuse a large body itself.
    if (transfer.Target.Size() + bytes > transfer.Options.MaxBytes) {
        transfer.TooLarge = true;
        return 0;
    }
    return static_cast<size_t>(transfer.Target.Write(data, bytes));
}

int ReportTransfer(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t)
{
    auto& transfer = *static_cast<TTransfer*>(user);
    if (transfer.Options.Aborting != nullptr && transfer.Options.Aborting->load())
        return 1;
    if (total > 0 && transfer.Options.Progress) {
        const auto percent = static_cast<int32_t>(received * 100 / total);
        if (percent != transfer.LastPercent) {
            transfer.LastPercent = percent;
            transfer.Options.Progress(percent);
        }
    }
    return 0;
}

void SetProxy(CURL* curl, const TQkDownloadOptions& options)
{
    if (options.Proxy.empty())
        return; // libcurl reads http_proxy, https_proxy, no_proxy and the rest
    curl_easy_setopt(curl, CURLOPT_PROXY, options.Proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, options.ProxyUser.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, options.ProxyPassword.c_str());
}

void SetRequest(CURL* curl, const TQkUrlAddress& address, TTransfer& transfer)
{
    const TQkDownloadOptions& options = transfer.Options;
    curl_easy_setopt(curl, CURLOPT_CURLU, address.Handle.get());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "BrelvixIO/1.0");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    // A secure address never continues in the clear.
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, address.Scheme == "https" ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options.ConnectTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options.StallTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.MaxBytes));
    if (!options.CaFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, options.CaFile.c_str());
    SetProxy(curl, options);
    // Large reads, as the curl tool makes them; the default 16 KiB costs
    // a third of a local transfer's speed.
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 512L * 1024);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportTransfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
}

bool StatusSucceeded(CURL* curl, const std::string& scheme, std::string& error)
{
    if (scheme == "ftp")
        return true;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && status < 300)
        return true;
    error = "The server answered with status " + std::to_string(status);
    return false;
}

bool Transfer(CURL* curl, const TQkUrlAddress& address, TTransfer& transfer, std::string& error)
{
    char curlError[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
    SetRequest(curl, address, transfer);
    const CURLcode result = curl_easy_perform(curl);
    if (transfer.TooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        error = "The resource is larger than the download limit";
        return false;
    }
    if (result != CURLE_OK) {
        error = curlError[0] != '\0' ? curlError : curl_easy_strerror(result);
        return false;
    }
    return StatusSucceeded(curl, address.Scheme, error);
}

} // namespace

bool BindInternetFunctions()
{
    if (!internetReady)
        internetReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return internetReady;
}

void UnbindInternetFunctions()
{
    if (internetReady.exchange(false))
        curl_global_cleanup();
}

bool DownloadUrl(const std::string& url, TMemoryStream& target, const TQkDownloadOptions& options, std::string& error)
{
    TQkUrlAddress address;
    if (!ParseImageUrl(url, address, error))
        return false;
    TEasyHandle curl(internetReady ? curl_easy_init() : nullptr);
    if (!curl) {
        error = "Could not resolve host: the internet library is not available";
        return false;
    }
    TTransfer transfer(curl.get(), target, options);
    return Transfer(curl.get(), address, transfer, error);
}
