#include "imaging/formats/url/QkUrlAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The scheme in lower case, or empty when it is not one of ours.
std::string KnownScheme(const std::string& url)
{
    const size_t colon = url.find("://");
    if (colon == std::string::npos)
        return {};
    const std::string scheme = LowerCase(url.substr(0, colon));
    return scheme == "http" || scheme == "https" || scheme == "ftp" ? scheme : std::string();
}

// libcurl accepts "http://host" and "http://host?q"; image addresses need a path.
bool PathFollowsAuthority(const std::string& url)
{
    const size_t start = url.find("://") + 3;
    const size_t end = url.find_first_of("/?#", start);
    return end != std::string::npos && url[end] == '/';
}

std::string UrlPart(CURLU* handle, CURLUPart part)
{
    char* text = nullptr;
    if (curl_url_get(handle, part, &text, CURLU_URLDECODE) != CURLUE_OK || text == nullptr)
        return {};
    std::string result(text);
    curl_free(text);
    return result;
}

uint16_t DefaultPort(const std::string& scheme)
{
    if (scheme == "https")
        return 443;
    return scheme == "ftp" ? 21 : 80;
}

// Zero when the text is present but not a port.
int32_t ExplicitPort(const std::string& text)
{
    int32_t port = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (status != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return 0;
    return port;
}

} // namespace

bool ParseImageUrl(const std::string& url, TQkUrlAddress& address, std::string& error)
{
    address.Scheme = KnownScheme(url);
    if (address.Scheme.empty()) {
        error = "Unsupported address scheme (http, https or ftp expected)";
        return false;
    }
    if (!PathFollowsAuthority(url)) {
        error = "The address has no \"/\" after the host";
        return false;
    }
    TQkUrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        error = "Malformed address";
        return false;
    }
    const std::string portText = UrlPart(handle.get(), CURLUPART_PORT);
    const int32_t port = portText.empty() ? DefaultPort(address.Scheme) : ExplicitPort(portText);
    if (port == 0) {
        error = "The address's port is not a number from 1 to 65535";
        return false;
    }
    curl_url_set(handle.get(), CURLUPART_FRAGMENT, nullptr, 0);
    address.Host = UrlPart(handle.get(), CURLUPART_HOST);
    address.Port = static_cast<uint16_t>(port);
    address.User = UrlPart(handle.get(), CURLUPART_USER);
    address.Password = UrlPart(handle.get(), CURLUPART_PASSWORD);
    address.Handle = std::move(handle);
    return true;
}
