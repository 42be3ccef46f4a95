#pragma once
// The plain-value fields of the image parameters that belong to one file
// format each, grouped so that the parameters' reset can give a group its
// defaults in one step, in the order the reset's side effects rely on.

#include <array>
#include <cstdint>
#include <string>

#include "imaging/core/QkPixels.h"
#include "imaging/core/QkSettings.h"

// Multipage PCX and GIF.
struct TGifFields {
    int32_t DcxImageIndex = 0;
    std::string GifVersion = "GIF89a";
    int32_t GifImageIndex = 0;
    int32_t GifXPos = 0;
    int32_t GifYPos = 0;
    // In 1/100 s.
    int32_t GifDelayTime = 0;
    bool GifTransparent = false;
    TRGBPixel GifTranspColor;
    bool GifInterlaced = false;
    int32_t GifScreenWidth = 0;
    int32_t GifScreenHeight = 0;
    TRGBPixel GifBackground;
    int32_t GifPixelAspect = 0;
    uint8_t GifDisposal = 2;
    // Empty when the codec is unavailable.
    TGifLzwDecoder GifLzwDecompress;
    TGifLzwEncoder GifLzwCompress;
    int32_t GifImageCount = 0;
};

// JPEG and JPEG 2000.
struct TJpegFields {
    // 0 RGB, 1 gray, 2 YCbCr, 3 CMYK, 4 YCCK.
    uint8_t JpegColorSpace = 2;
    int32_t JpegQuality = 80;
    // 0 slow integer, 1 fast integer, 2 floating point.
    uint8_t JpegDCTMethod = 0;
    // 0 = 2 x 1, 1 = 2 x 2, 2 = 1 x 1.
    uint8_t JpegChromaSubsampling = 1;
    bool JpegOptimalHuffman = false;
    int32_t JpegSmooth = 0;
    bool JpegProgressive = false;
    // 0 automatic, 1 full size, 2 half, 3 quarter, 4 eighth.
    uint8_t JpegScale = 1;
    int32_t JpegScaleUsed = 1;
    bool JpegAutoOrient = false;
    bool JpegReadExifThumbnail = false;
    // The decoder's warnings on the last read.
    int32_t JpegWarningCount = 0;
    int32_t JpegLastWarningCode = 0;
    // 0 one gray component; 1 or 2 three colour components.
    uint8_t J2000ColorSpace = 1;
    double J2000Rate = 1.0;
    // 0 LRCP, 1 RLCP.
    uint8_t J2000Progression = 0;
};

struct TQkIcoSize {
    int32_t Width = 0;
    int32_t Height = 0;
};
constexpr size_t IcoImageSlots = 16;

// PCX, BMP, icon, cursor and PNG.
struct TRasterFields {
    int32_t PcxVersion = 5;
    bool PcxCompression = true;
    // 0 or 1 the information header, 2 OS/2 core, 3 OS/2 version 2.
    uint8_t BmpVersion = 1;
    // 0 uncompressed, 1 run-length.
    uint8_t BmpCompression = 0;
    bool BmpAlpha = false;
    int32_t IcoImageIndex = 0;
    TRGBPixel IcoBackground{255, 255, 255};
    int32_t CurImageIndex = 0;
    int32_t CurXHotSpot = 0;
    int32_t CurYHotSpot = 0;
    TRGBPixel CurBackground{255, 255, 255};
    bool PngInterlaced = false;
    TRGBPixel PngBackground;
    // 0 none, 1 sub, 2 Paeth.
    uint8_t PngFilter = 0;
    int32_t PngCompression = 5;
    // The images an icon save writes; the icon reader fills the first size.
    std::array<TQkIcoSize, IcoImageSlots> IcoSizes{TQkIcoSize{64, 64}};
    std::array<int32_t, IcoImageSlots> IcoBitCount{8};
};

struct TTargaFields {
    int32_t TgaXPos = 0;
    int32_t TgaYPos = 0;
    bool TgaCompressed = true;
    std::string TgaImageId;
    std::string TgaAuthor;
    // Days since 30 December 1899; the reset stamps today's date.
    double TgaDate = 0;
    std::string TgaJobName;
    TRGBPixel TgaBackground;
    double TgaAspectRatio = 1.0;
    double TgaGamma = 2.2;
    bool TgaWriteGray = false;
};

// AVI, PostScript and PDF.
struct TDocumentFields {
    int32_t AviFrameCount = 0;
    // Milliseconds per frame.
    int32_t AviFrameDelayTime = 0;
    // Pages in points.
    int32_t PsPaperWidth = 595;
    int32_t PsPaperHeight = 842;
    // 0 run-length, 1 G4 fax, 2 G3 fax, 3 JPEG.
    uint8_t PsCompression = 1;
    std::string PsTitle = "No Title";
    int32_t PdfPaperWidth = 595;
    int32_t PdfPaperHeight = 842;
    // 0 none, 1 run-length, 2 G4 fax, 3 G3 fax, 4 JPEG, 5 LZW.
    uint8_t PdfCompression = 2;
    // Entries of the document information; an empty one is left out.
    std::string PdfTitle;
    std::string PdfAuthor;
    std::string PdfSubject;
    std::string PdfKeywords;
    std::string PdfCreator;
    std::string PdfProducer;
};

// Camera raw, headerless raw, PSD and HD Photo.
struct TRawFields {
    bool RawHalfSize = false;
    double RawGamma = 0.6;
    double RawBright = 1.0;
    double RawRedScale = 1.0;
    double RawBlueScale = 1.0;
    bool RawQuickInterpolate = true;
    bool RawUseAutoWB = false;
    bool RawUseCameraWB = false;
    bool RawFourColorRGB = false;
    bool RawReadThumbnail = false;
    bool RawAutoAdjustColors = false;
    // Maker, model and secondary model joined by blanks.
    std::string RawCamera;
    // Headerless raw data.
    bool BmpRawBGR = false;
    // 0 interleaved, 1 planar.
    uint8_t BmpRawPlanar = 0;
    int32_t BmpRawRowAlign = 8;
    int32_t BmpRawDataOffset = 0;
    // 0 bytes, 1 ASCII decimal, 2 ASCII hexadecimal.
    uint8_t BmpRawFormat = 0;
    bool PsdLoadLayers = false;
    bool PsdReplaceLayers = true;
    double HdpImageQuality = 0.9;
    bool HdpLossless = false;
};
