#include "engine/UnicodeProtocol.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/binding/AVUtilStubs.h"
#include "platform/core/Strings.h"

namespace {

constexpr char UnicodePrefix[] = "unicode:utf8:";
constexpr size_t UnicodePrefixLength = sizeof(UnicodePrefix) - 1;
constexpr int IOBufferSize = 32768;

struct TImageExtension {
    AVCodecID CodecId;
    const char* Extension;
};

const std::array<TImageExtension, 48> ImageExtensions = {{
    {AV_CODEC_ID_MJPEG, "jpeg"},
    {AV_CODEC_ID_MJPEG, "jpg"},
    {AV_CODEC_ID_MJPEG, "jps"},
    {AV_CODEC_ID_LJPEG, "ljpg"},
    {AV_CODEC_ID_JPEGLS, "jls"},
    {AV_CODEC_ID_PNG, "png"},
    {AV_CODEC_ID_PNG, "pns"},
    {AV_CODEC_ID_PNG, "mng"},
    {AV_CODEC_ID_PPM, "ppm"},
    {AV_CODEC_ID_PPM, "pnm"},
    {AV_CODEC_ID_PGM, "pgm"},
    {AV_CODEC_ID_PGMYUV, "pgmyuv"},
    {AV_CODEC_ID_PBM, "pbm"},
    {AV_CODEC_ID_PAM, "pam"},
    {AV_CODEC_ID_MPEG1VIDEO, "mpg1-img"},
    {AV_CODEC_ID_MPEG2VIDEO, "mpg2-img"},
    {AV_CODEC_ID_MPEG4, "mpg4-img"},
    {AV_CODEC_ID_FFV1, "ffv1-img"},
    {AV_CODEC_ID_RAWVIDEO, "y"},
    {AV_CODEC_ID_RAWVIDEO, "raw"},
    {AV_CODEC_ID_BMP, "bmp"},
    {AV_CODEC_ID_GIF, "gif"},
    {AV_CODEC_ID_TARGA, "tga"},
    {AV_CODEC_ID_TIFF, "tiff"},
    {AV_CODEC_ID_TIFF, "tif"},
    {AV_CODEC_ID_SGI, "sgi"},
    {AV_CODEC_ID_PTX, "ptx"},
    {AV_CODEC_ID_PCX, "pcx"},
    {AV_CODEC_ID_BRENDER_PIX, "pix"},
    {AV_CODEC_ID_SUNRAST, "sun"},
    {AV_CODEC_ID_SUNRAST, "ras"},
    {AV_CODEC_ID_SUNRAST, "rs"},
    {AV_CODEC_ID_SUNRAST, "im1"},
    {AV_CODEC_ID_SUNRAST, "im8"},
    {AV_CODEC_ID_SUNRAST, "im24"},
    {AV_CODEC_ID_SUNRAST, "im32"},
    {AV_CODEC_ID_SUNRAST, "sunras"},
    {AV_CODEC_ID_JPEG2000, "j2c"},
    {AV_CODEC_ID_JPEG2000, "j2k"},
    {AV_CODEC_ID_JPEG2000, "jp2"},
    {AV_CODEC_ID_JPEG2000, "jpc"},
    {AV_CODEC_ID_DPX, "dpx"},
    {AV_CODEC_ID_EXR, "exr"},
    {AV_CODEC_ID_PICTOR, "pic"},
    {AV_CODEC_ID_V210X, "yuv10"},
    {AV_CODEC_ID_XBM, "xbm"},
    {AV_CODEC_ID_XFACE, "xface"},
    {AV_CODEC_ID_XWD, "xwd"},
}};

bool SameAsciiText(const char* a, const char* b) { return LowerCase(a) == LowerCase(b); }

} // namespace

int32_t IsImageFileName(const char* name)
{
    if (av::ff_guess_image2_codec)
        return av::ff_guess_image2_codec(name);
    const char* dot = std::strrchr(name, '.');
    if (!dot)
        return 0;
    for (const TImageExtension& row : ImageExtensions) {
        if (SameAsciiText(dot + 1, row.Extension))
            return row.CodecId;
    }
    return 0;
}

bool NeedsUnicodeName(const std::string& name)
{
    const size_t colon = name.find(':');
    if (colon != std::string::npos) {
        const std::string protocol = ":" + name.substr(0, colon) + ":";
        if (std::string(":unicode:stream:gopher:http:pipe:rtp:tcp:udp:").find(protocol) != std::string::npos)
            return false;
    }
    return Utf32ToUtf8(Utf8ToUtf32(name)) != name;
}

bool IsUnicodeName(const char* name)
{
    return std::strlen(name) > UnicodePrefixLength && std::strncmp(name, UnicodePrefix, UnicodePrefixLength) == 0;
}

std::string MakeUnicodeName(const std::string& name) { return UnicodePrefix + name; }

std::string UnicodeNameToWide(const char* name)
{
    std::string text = name;
    for (int i = 0; i < 2; ++i) {
        const size_t colon = text.find(':');
        if (colon != std::string::npos)
            text.erase(0, colon + 1);
    }
    return text;
}

std::string ToFFmpegFileName(const std::string& name)
{
    if (IsImageFileName(name.c_str()) && NeedsUnicodeName(name))
        return MakeUnicodeName(name);
    return name;
}

std::string FromFFmpegFileName(const char* name)
{
    return IsUnicodeName(name) ? UnicodeNameToWide(name) : std::string(name);
}

// ---------------------------------------------------------------------------
// File callbacks

namespace {

int FileDescriptor(void* file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)); }

} // namespace

int UnicodeOpen(void** file, const char* name, int flags)
{
    int mode = O_RDONLY;
    if ((flags & AVIO_FLAG_READ_WRITE) == AVIO_FLAG_READ_WRITE)
        mode = O_RDWR | O_CREAT | O_TRUNC;
    else if (flags & AVIO_FLAG_WRITE)
        mode = O_WRONLY | O_CREAT | O_TRUNC;
    std::string path;
    try {
        path = UnicodeNameToWide(name);
    } catch (...) {
        // Reached from FFmpeg's C frames: nothing may unwind into them.
        return AVERROR(ENOMEM);
    }
    const int descriptor = ::open(path.c_str(), mode | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return AVERROR(ENOENT);
    *file = reinterpret_cast<void*>(static_cast<intptr_t>(descriptor));
    return 0;
}

int UnicodeRead(void* file, uint8_t* buffer, int size)
{
    const ssize_t count = ::read(FileDescriptor(file), buffer, static_cast<size_t>(size));
    if (count < 0)
        return -1;
    return count == 0 ? AVERROR_EOF : static_cast<int>(count);
}

int UnicodeWrite(void* file, uint8_t* buffer, int size)
{
    const ssize_t count = ::write(FileDescriptor(file), buffer, static_cast<size_t>(size));
    return count < 0 ? -1 : static_cast<int>(count);
}

int64_t UnicodeSeek(void* file, int64_t position, int whence)
{
    if (whence & AVSEEK_SIZE) {
        struct stat info {};
        return ::fstat(FileDescriptor(file), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
    }
    const off_t result = ::lseek(FileDescriptor(file), position, whence & ~AVSEEK_FORCE);
    return result < 0 ? -1 : static_cast<int64_t>(result);
}

int UnicodeClose(void* file) { return ::close(FileDescriptor(file)); }

// ---------------------------------------------------------------------------
// I/O contexts over the callbacks

namespace {

using TIOOpen = int (*)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);
using TIOClose = int (*)(AVFormatContext*, AVIOContext*);

// FFmpeg's own callbacks, the same for every context, kept at the first install.
TIOOpen defaultIOOpen = nullptr;
TIOClose defaultIOClose = nullptr;

bool IsUnicodeIO(const AVIOContext* io) { return io && io->read_packet == UnicodeRead; }

int OpenUnicodeIO(AVIOContext** io, const char* url, int flags)
{
    void* file = nullptr;
    const int result = UnicodeOpen(&file, url, flags);
    if (result < 0)
        return result;
    auto* buffer = static_cast<unsigned char*>(av::av_malloc(IOBufferSize));
    *io = buffer ? av::avio_alloc_context(buffer, IOBufferSize, (flags & AVIO_FLAG_WRITE) ? 1 : 0, file, UnicodeRead,
                                          UnicodeWrite, UnicodeSeek)
                 : nullptr;
    if (!*io) {
        av::av_free(buffer);
        UnicodeClose(file);
        return AVERROR(ENOMEM);
    }
    return 0;
}

int CloseUnicodeIO(AVIOContext** io)
{
    av::avio_flush(*io);
    const int writeError = (*io)->error;
    const int closeError = UnicodeClose((*io)->opaque) < 0 ? AVERROR(errno) : 0;
    av::av_freep(&(*io)->buffer);
    av::avio_context_free(io);
    return writeError < 0 ? writeError : closeError;
}

// FFmpeg calls these from its C frames: nothing may unwind into them.
int HookedIOOpen(AVFormatContext* context, AVIOContext** io, const char* url, int flags, AVDictionary** options)
{
    try {
        if (IsUnicodeName(url))
            return OpenUnicodeIO(io, url, flags);
    } catch (...) {
        return AVERROR(ENOMEM);
    }
    return defaultIOOpen(context, io, url, flags, options);
}

int HookedIOClose(AVFormatContext* context, AVIOContext* io)
{
    if (IsUnicodeIO(io))
        return CloseUnicodeIO(&io);
    return defaultIOClose(context, io);
}

} // namespace

void InstallUnicodeIO(AVFormatContext* context)
{
    if (context->io_open == HookedIOOpen)
        return;
    if (!defaultIOOpen) {
        defaultIOOpen = context->io_open;
        defaultIOClose = context->io_close2;
    }
    context->io_open = HookedIOOpen;
    context->io_close2 = HookedIOClose;
}

int OpenInputFile(AVFormatContext** context, const char* url, const AVInputFormat* format, AVDictionary** options)
{
    if (!IsUnicodeName(url))
        return av::avformat_open_input(context, url, format, options);
    AVIOContext* io = nullptr;
    int result = OpenUnicodeIO(&io, url, AVIO_FLAG_READ);
    if (result < 0)
        return result;
    AVFormatContext* input = *context ? *context : av::avformat_alloc_context();
    if (!input) {
        CloseUnicodeIO(&io);
        return AVERROR(ENOMEM);
    }
    input->pb = io;
    input->flags |= AVFMT_FLAG_CUSTOM_IO;
    InstallUnicodeIO(input);
    result = av::avformat_open_input(&input, url, format, options);
    *context = input;
    if (result < 0)
        CloseUnicodeIO(&io);
    return result;
}

void CloseInputFile(AVFormatContext** context)
{
    AVIOContext* io = *context ? (*context)->pb : nullptr;
    const bool ownIO = *context && ((*context)->flags & AVFMT_FLAG_CUSTOM_IO) && IsUnicodeIO(io);
    av::avformat_close_input(context);
    if (ownIO)
        CloseUnicodeIO(&io);
}

int OpenOutputIO(AVIOContext** io, const char* url, int flags, const AVIOInterruptCB* interrupt, AVDictionary** options)
{
    if (IsUnicodeName(url))
        return OpenUnicodeIO(io, url, flags);
    return av::avio_open2(io, url, flags, interrupt, options);
}

int CloseOutputIO(AVIOContext** io)
{
    if (!*io)
        return 0;
    if (IsUnicodeIO(*io))
        return CloseUnicodeIO(io);
    return av::avio_closep(io);
}
