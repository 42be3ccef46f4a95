#include "imaging/formats/QkFileFormats.h"

#include <vector>

#include "imaging/formats/jxr/QkHdPhoto.h"
#include "platform/core/Strings.h"

std::function<bool()> HDPhotoCodecAvailable = IsWICAvailable;

namespace {

std::vector<std::unique_ptr<TQkFileFormatInfo>> formats;

// The built-in formats are read and written by their filters through the
// format table; their entries only say which directions exist.
void BuiltInRead(TStream&, TQkBitmap&, TIOParamsVals&, bool, TQkFilterProgress&) {}
void BuiltInWrite(TStream&, TQkBitmap&, TIOParamsVals&, TQkFilterProgress&) {}
bool BuiltInTry(TStream&, int32_t) { return false; }

struct TBuiltInFormat {
    int32_t FileType;
    const char* FullName;
    const char* Extensions;
    uint16_t DialogPage;
    bool Read;
    bool Write;
};

constexpr TBuiltInFormat BuiltInFormats[] = {
    {ioTIFF, "TIFF Bitmap", "TIF;TIFF;FAX;G3N;G3F;XIF", 8, true, true},
    {ioGIF, "CompuServe Bitmap", "GIF", 16, true, true},
    {ioJPEG, "JPEG Bitmap", "JPG;JPEG;JPE;JIF", 4, true, true},
    {ioPCX, "PaintBrush", "PCX", 64, true, true},
    {ioBMP, "Windows Bitmap", "BMP;DIB;RLE", 32, true, true},
    {ioRAWBMP, "Raw Bitmap", "", 0, true, true},
    {ioICO, "Windows Icon", "ICO", 0, true, true},
    {ioCUR, "Windows Cursor", "CUR", 0, true, false},
    {ioPNG, "Portable Network Graphics", "PNG", 128, true, true},
    {ioDICOM, "DICOM Bitmap", "DCM;DIC;DICOM;V2", 0, true, false},
    {ioWMF, "Windows Metafile", "WMF", 0, true, false},
    {ioEMF, "Enhanced Windows Metafile", "EMF", 0, true, false},
    {ioTGA, "Targa Bitmap", "TGA;TARGA;VDA;ICB;VST;PIX", 256, true, true},
    {ioPXM, "Portable Pixmap, GrayMap, BitMap", "PXM;PPM;PGM;PBM", 0, true, true},
    {ioWBMP, "Wireless Bitmap", "WBMP", 0, true, true},
    {ioJP2, "JPEG2000", "JP2", 512, true, true},
    {ioJ2K, "JPEG2000 Code Stream", "J2K;JPC;J2C", 512, true, true},
    {ioPS, "PostScript Level 2", "PS;EPS", 0, false, true},
    {ioPDF, "Adobe PDF", "PDF", 0, false, true},
    {ioDCX, "Multipage PCX", "DCX", 0, true, true},
    {ioRAW, "Camera RAW", "CRW;CR2;NEF;RAW;PEF;RAF;X3F;BAY;ORF;SRF;MRW;DCR;SR2", 0, true, false},
    {ioPSD, "Photoshop PSD", "PSD", 0, true, true},
    {ioQKV, "Vectorial objects", "QKV", 0, true, true},
    {ioLYR, "Layers", "LYR", 0, true, true},
    {ioALL, "Layers and objects", "ALL", 0, true, true},
};

void RegisterBuiltIn(const TBuiltInFormat& builtIn)
{
    auto format = std::make_unique<TQkFileFormatInfo>();
    format->FileType = builtIn.FileType;
    format->FullName = builtIn.FullName;
    format->Extensions = builtIn.Extensions;
    format->InternalFormat = true;
    format->DialogPage = builtIn.DialogPage;
    if (builtIn.Read)
        format->ReadFunction = BuiltInRead;
    if (builtIn.Write)
        format->WriteFunction = BuiltInWrite;
    format->TryFunction = BuiltInTry;
    RegisterFileFormat(std::move(format));
}

} // namespace

void RegisterFileFormats()
{
    for (const TBuiltInFormat& builtIn : BuiltInFormats)
        RegisterBuiltIn(builtIn);
    if (HDPhotoCodecAvailable && HDPhotoCodecAvailable())
        RegisterBuiltIn({ioHDP, "Microsoft HD Photo", "WDP;HDP", 0, true, true});
}

void RegisterFileFormat(std::unique_ptr<TQkFileFormatInfo> format) { formats.push_back(std::move(format)); }

void UnregisterFileFormat(int32_t fileType)
{
    for (auto format = formats.begin(); format != formats.end(); ++format)
        if ((*format)->FileType == fileType) {
            formats.erase(format);
            return;
        }
}

void FreeFileFormats() { formats.clear(); }

int32_t FileFormatCount() { return static_cast<int32_t>(formats.size()); }

TQkFileFormatInfo& FileFormatAt(int32_t index) { return *formats[static_cast<size_t>(index)]; }

TQkFileFormatInfo* FindFileFormat(int32_t fileType)
{
    for (const auto& format : formats)
        if (format->FileType == fileType)
            return format.get();
    return nullptr;
}

std::string GetFileExtension(int32_t fileType, int32_t index)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    if (format == nullptr)
        return {};
    std::string remaining = format->Extensions;
    std::string piece;
    for (int32_t i = 0; i <= index; ++i) {
        if (remaining.empty())
            return {};
        const size_t separator = remaining.find(';');
        piece = remaining.substr(0, separator);
        remaining = separator == std::string::npos ? std::string() : remaining.substr(separator + 1);
    }
    return piece;
}

int32_t GetFileExtensionCount(int32_t fileType)
{
    int32_t count = 0;
    while (!GetFileExtension(fileType, count).empty())
        ++count;
    return count;
}

TQkFileFormatInfo* FindFileFormatByExtension(const std::string& extension)
{
    std::string wanted = LowerCase(extension);
    if (!wanted.empty() && wanted[0] == '.')
        wanted.erase(0, 1);
    for (const auto& format : formats) {
        const int32_t count = GetFileExtensionCount(format->FileType);
        for (int32_t i = 0; i < count; ++i)
            if (LowerCase(GetFileExtension(format->FileType, i)) == wanted)
                return format.get();
    }
    return nullptr;
}
