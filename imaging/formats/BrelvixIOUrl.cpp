#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/url/QkUrlDownload.h"
#include "platform/core/Streams.h"

void TBrelvixIO::LoadFromURL(const std::string& url)
{
    if (HandedToWorker(TQkIOCallKind::Url, [this, url] { LoadFromURL(url); }))
        return;
    // A failure before must not stop this transfer at its first read.
    aborting_ = false;
    TQkDownloadOptions options;
    options.Proxy = UrlProxy;
    options.ProxyUser = UrlProxyUser;
    options.ProxyPassword = UrlProxyPassword;
    options.CaFile = UrlCaFile;
    options.ConnectTimeoutSeconds = UrlConnectTimeout;
    options.StallTimeoutSeconds = UrlStallTimeout;
    options.MaxBytes = UrlMaxBytes;
    options.Progress = [this](int32_t percent) { DoProgress(this, percent); };
    options.Aborting = &aborting_;
    TMemoryStream body;
    urlLastError_.clear();
    if (!DownloadUrl(url, body, options, urlLastError_)) {
        Fail();
        return;
    }
    body.SetPosition(0);
    LoadFromStream(body);
    if (aborting_)
        urlLastError_ = "The downloaded data could not be read as an image";
}
