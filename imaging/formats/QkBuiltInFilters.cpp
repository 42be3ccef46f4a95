#include "imaging/formats/QkBuiltInFilters.h"

#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/gif/QkGif.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/jxr/QkHdPhoto.h"
#include "imaging/formats/metafile/QkMetafileImport.h"
#include "imaging/formats/metafile/QkMetafileProbes.h"
#include "imaging/formats/pcx/QkPcx.h"
#include "imaging/formats/png/QkPng.h"
#include "imaging/formats/pnm/QkPnm.h"
#include "imaging/formats/ps/QkPdf.h"
#include "imaging/formats/ps/QkPostScript.h"
#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/raw/QkRawBitmapReader.h"
#include "imaging/formats/targa/QkTarga.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/QkTiffWriter.h"
#include "imaging/formats/wbmp/QkWbmp.h"

namespace {

void ReadParamsOnly(const TQkFormatReader& reader, TQkReadRequest& request)
{
    request.ParamsOnly = true;
    reader(request);
}

void SetFilters(int32_t fileType, TQkStreamProbe probe, TQkFormatReader reader, TQkFormatWriter writer)
{
    TQkFormatRow& row = FormatRow(fileType);
    row.Probe = std::move(probe);
    row.Read = reader;
    row.ReadParams = [reader](TQkReadRequest& request) { ReadParamsOnly(reader, request); };
    row.Write = std::move(writer);
}

} // namespace

void RegisterBuiltInFilters()
{
    SetFilters(ioPXM, IsPnmStream, ReadPnmImage, WritePnmImage);
    // Detection finds JPEG data by its start-of-image search.
    SetFilters(ioJPEG, nullptr, ReadJpegFile, WriteJpegFile);
    SetFilters(ioPNG, IsPngStream, ReadPngImage, WritePngImage);
    // Loading metafiles is the format-specific steps' work.
    FormatRow(ioWMF).Probe = IsWmfStream;
    FormatRow(ioEMF).Probe = IsEmfStream;
    FormatRow(ioWMF).ReadParams = [](TQkReadRequest& request) { ReadMetafileParams(request, false); };
    FormatRow(ioEMF).ReadParams = [](TQkReadRequest& request) { ReadMetafileParams(request, true); };
    SetFilters(ioWBMP, nullptr, ReadWbmpImage, WriteWbmpImage);
    SetFilters(
        ioBMP, nullptr, [](TQkReadRequest& request) { ReadBmpImage(request); }, WriteBmpImage);
    SetFilters(ioICO, IsIcoStream, ReadIconImage, WriteIconImage);
    // There is no cursor writer.
    SetFilters(ioCUR, IsCurStream, ReadCursorImage, nullptr);
    // The caller sizes the bitmap, so there are no parameters to read.
    FormatRow(ioRAWBMP).Read = ReadRawBitmap;
    // Detection knows GIF by its signature.
    SetFilters(ioGIF, nullptr, ReadGifImage, WriteGifImage);
    SetFilters(ioTGA, IsTgaStream, ReadTargaImage, WriteTargaImage);
    // PCX has no probe of its own: detection's header test knows it.
    SetFilters(ioPCX, nullptr, ReadPcxImage, WritePcxImage);
    SetFilters(ioDCX, IsDcxStream, ReadDcxImage, WriteDcxImage);
    // PostScript is written only.
    FormatRow(ioPS).Write = WritePostScriptImage;
    // PDF is written only.
    FormatRow(ioPDF).Write = WritePdfImage;
    SetFilters(ioTIFF, IsTiffStream, ReadTiffImage, WriteTiffFile);
    SetFilters(ioPSD, IsPsdStream, ReadPsdFile, WritePsdFile);
    SetFilters(ioJP2, IsJp2Stream, ReadJpeg2000Image,
               [](TQkWriteRequest& request) { WriteJpeg2000Image(request, TJ2kContainer::Jp2); });
    SetFilters(ioJ2K, IsJ2kStream, ReadJpeg2000Image,
               [](TQkWriteRequest& request) { WriteJpeg2000Image(request, TJ2kContainer::CodeStream); });
    SetFilters(ioHDP, IsHdPhotoStream, ReadHdPhotoImage, WriteHdPhotoImage);
    // DICOM is read only.
    SetFilters(ioDICOM, IsDicom, ReadDicom, nullptr);
    // Camera raw is read only; its probe is detection's last, and TIFF
    // detection hands camera TIFFs over to it.
    SetFilters(ioRAW, IsCameraRaw, ReadCameraRaw, nullptr);
    CameraRawTiffProbe = IsCameraRawTiff;
}
