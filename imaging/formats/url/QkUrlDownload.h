#pragma once
// Downloads an image address (http, https, ftp) into memory through libcurl.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class TMemoryStream;

struct TQkDownloadOptions {
    // Empty: the environment's proxy variables, else a direct connection.
    std::string Proxy;
    std::string ProxyUser;
    std::string ProxyPassword;
    // An extra certificate bundle beside the system's.
    std::string CaFile;
    int32_t ConnectTimeoutSeconds = 30;
    // The transfer fails when under 1 byte a second for this long.
    int32_t StallTimeoutSeconds = 60;
    int64_t MaxBytes = int64_t(1) << 30;
    // Whole percentages of an announced length, each once.
    std::function<void(int32_t)> Progress;
    // Checked at least once a second; set, the transfer stops and fails.
    const std::atomic<bool>* Aborting = nullptr;
};

// The library start-up's step: true when transfers can run.
bool BindInternetFunctions();
void UnbindInternetFunctions();

// True when the whole resource arrived with a success status; otherwise
// false with libcurl's or this routine's reason in `error`, and `target`
// may hold part of the body.
bool DownloadUrl(const std::string& url, TMemoryStream& target, const TQkDownloadOptions& options, std::string& error);
