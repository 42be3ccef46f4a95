#pragma once
// Image addresses: http, https and ftp locations, parsed by libcurl's URL
// parser with this library's stricter rules on top.

#include <cstdint>
#include <memory>
#include <string>

#include <curl/curl.h>

struct TQkUrlHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using TQkUrlHandle = std::unique_ptr<CURLU, TQkUrlHandleDeleter>;

struct TQkUrlAddress {
    std::string Scheme; // lower case: "http", "https" or "ftp"
    std::string Host;
    uint16_t Port = 0;
    std::string User;
    std::string Password;
    // The parsed address without its fragment, ready for a transfer.
    TQkUrlHandle Handle;
};

// Fills `address`, or returns false with the reason in `error`: an unknown
// scheme, no "/" after the authority, or a port that is not 1 to 65535.
bool ParseImageUrl(const std::string& url, TQkUrlAddress& address, std::string& error);
