#pragma once
// The input/output component: one image (its own, a view's, a TImage's or a
// caller's bitmap) and one parameters object, loaded and saved in every
// registered format through the filters' rows. Every load and save ends
// with DoFinishWork (progress 100, then OnFinishWork), and reports failure
// through Aborting.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBrelvixIOInterface.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/QkIOPreviewsDialog.h"
#include "imaging/formats/async/QkIOWorkers.h"
#include "imaging/formats/print/QkPrintPreviewParams.h"
#include "platform/core/Components.h"

class TFont;
class TForm;
class TGraphic;
class TImage;
class TQkAviReader;
class TQkDirectShow;
class TQkTWainParams;
class TQkWia;
class TQkWideFileStream;
class TStream;
struct TPsDocument;
struct TPdfDocument;

// Sender, the acquired image; setting `handled` keeps it from the component.
using TQkAcquireBitmapEvent = std::function<void(TObject* sender, TQkBitmap& bitmap, bool& handled)>;

// The unit in which the library's dialogs show sizes and margins.
enum TQkDialogsMeasureUnit : uint8_t { qkduInches, qkduCentimeters };

// What the acquisition code knows of an acquired image beside its pixels.
struct TQkAcquiredParams {
    int32_t DpiX = 0;
    int32_t DpiY = 0;
};

class TBrelvixIO : public TComponent, public IBrelvixIO {
public:
    explicit TBrelvixIO(TComponent* owner);
    // `Create` without owner, then SetAttachedQkBitmap(bitmap).
    static std::unique_ptr<TBrelvixIO> CreateFromBitmap(TQkBitmap* bitmap);
    ~TBrelvixIO() override;

    // Writes the trailer of the pending multi-page PostScript document, if
    // any, and closes its stream.
    void ClosePSFile();
    // Writes the pending multi-page PDF document, if any, with the
    // component's parameters, and closes its stream.
    void ClosePdfFile();

    TIOParamsVals& Params() { return *params_; }
    // Nil only after SetAttachedQkBitmap(nullptr) with nothing attached.
    TQkBitmap* Bitmap() { return bitmap_; }
    bool OwnsBitmap() const { return ownsBitmap_; }
    TBitmap* AttachedTBitmap() { return attachedTBitmap_; }

    // The outcome of the last operation; setting it from OnProgress stops
    // the filter at its next unit.
    bool Aborting() const { return aborting_; }
    void SetAborting(bool value) { aborting_ = value; }

    // With a view that provides its own bitmap attached, loads and saves
    // then run on worker threads and return at once (functions answer -1);
    // progress, finish and refresh reach the view as posted messages.
    bool Asynchronous() const { return asynchronous_; }
    void SetAsynchronous(bool value) { asynchronous_ = value; }
    bool InWorkerThread() const { return workers_->InWorkerThread(); }
    // Returns when no worker is left; with `abort` it first asks them to
    // stop. The destructor waits the same way.
    void WaitWorkerThreads(bool abort) { workers_->Wait(abort); }

    TQkView* AttachedBrelvix() const { return attachedView_; }
    void SetAttachedBrelvix(TQkView* view);
    TImage* AttachedTImage() const { return attachedImage_; }
    void SetAttachedTImage(TImage* image);
    // Ignored for nil while a view or TImage is attached.
    void SetAttachedQkBitmap(TQkBitmap* bitmap);

    TColor Background() const;
    void SetBackground(TColor value);
    bool NativePixelFormat() const { return params_->NativePixelFormat; }
    void SetNativePixelFormat(bool value) { params_->NativePixelFormat = value; }
    // TIFF, PCX and JPEG stream saves write a 12-byte header; TIFF and PCX
    // stream loads expect one.
    bool StreamHeaders() const { return streamHeaders_; }
    void SetStreamHeaders(bool value) { streamHeaders_ = value; }
    bool AutoAdjustDPI() const { return autoAdjustDpi_; }
    void SetAutoAdjustDPI(bool value) { autoAdjustDpi_ = value; }
    bool FilteredAdjustDPI() const { return filteredAdjustDpi_; }
    void SetFilteredAdjustDPI(bool value) { filteredAdjustDpi_ = value; }
    bool BWByThreshold() const { return bwByThreshold_; }
    void SetBWByThreshold(bool value);

    // The preview dialog's language, options, form size and font (copied).
    TMsgLanguage MsgLanguage() const { return msgLanguage_; }
    void SetMsgLanguage(TMsgLanguage value) { msgLanguage_ = value; }
    TIOPreviewsParams PreviewsParams() const { return previewsParams_; }
    void SetPreviewsParams(TIOPreviewsParams value) { previewsParams_ = value; }
    bool SimplifiedParamsDialogs() const { return simplifiedParamsDialogs_; }
    void SetSimplifiedParamsDialogs(bool value) { simplifiedParamsDialogs_ = value; }
    TFont* PreviewFont() const { return previewFont_.get(); }
    void SetPreviewFont(const TFont* font);
    TQkDialogsMeasureUnit DialogsMeasureUnit() const { return dialogsMeasureUnit_; }
    void SetDialogsMeasureUnit(TQkDialogsMeasureUnit value) { dialogsMeasureUnit_ = value; }

    TQkProgressEvent OnProgress;
    std::function<void(TObject* sender)> OnFinishWork;
    // Called with the preview dialog's form before it is shown.
    std::function<void(TObject* sender, TForm* previewForm)> OnIOPreview;
    // Setting handled replaces the preview dialog.
    std::function<void(TObject* sender, bool& handled)> OnDoPreviews;

    // Loads by the extension's entry ("" sets Aborting).
    void LoadFromFile(const std::string& fileName);
    // Loads as the id's format; an id without an entry sets Aborting.
    void LoadFromFileFormat(const std::string& fileName, int32_t fileType);
    // By content; by extension when the content is not recognised.
    void LoadFromFileAuto(const std::string& fileName);
    // By content from the position.
    void LoadFromStream(TStream& stream);
    // 0 detects.
    void LoadFromStreamFormat(TStream& stream, int32_t fileType);
    // The caller's block, not copied; 0 detects.
    void LoadFromBuffer(const void* buffer, int64_t size, int32_t fileType);
    void SaveToFile(const std::string& fileName);
    void SaveToStream(TStream& stream, int32_t fileType);

    // The common steps around a built-in format's filter; the loads answer
    // the number of frames or pages the reader found.
    int32_t LoadFormatFromFile(const std::string& fileName, int32_t fileType);
    int32_t LoadFormatFromStream(TStream& stream, int32_t fileType);
    void SaveFormatToFile(const std::string& fileName, int32_t fileType);
    void SaveFormatToStream(TStream& stream, int32_t fileType);

    // The built-in formats' own operations; the GIF and TIFF loads answer
    // the number of frames or pages.
    int32_t LoadTiffFromFile(const std::string& fileName) { return LoadFormatFromFile(fileName, ioTIFF); }
    int32_t LoadTiffFromStream(TStream& stream) { return LoadFormatFromStream(stream, ioTIFF); }
    void SaveTiffToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioTIFF); }
    void SaveTiffToStream(TStream& stream) { SaveFormatToStream(stream, ioTIFF); }
    // Frames 0 to GifImageIndex of an animation composed with their
    // disposal (the last one for an index past the end); a single frame as
    // it is. Answers the frame count.
    int32_t LoadGifFromFile(const std::string& fileName);
    int32_t LoadGifFromStream(TStream& stream);
    void SaveGifToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioGIF); }
    void SaveGifToStream(TStream& stream) { SaveFormatToStream(stream, ioGIF); }
    void LoadJpegFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioJPEG); }
    void LoadJpegFromStream(TStream& stream) { LoadFormatFromStream(stream, ioJPEG); }
    void SaveJpegToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioJPEG); }
    void SaveJpegToStream(TStream& stream) { SaveFormatToStream(stream, ioJPEG); }
    void LoadPcxFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioPCX); }
    void LoadPcxFromStream(TStream& stream) { LoadFormatFromStream(stream, ioPCX); }
    void SavePcxToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPCX); }
    void SavePcxToStream(TStream& stream) { SaveFormatToStream(stream, ioPCX); }
    void LoadBmpFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioBMP); }
    void LoadBmpFromStream(TStream& stream) { LoadFormatFromStream(stream, ioBMP); }
    void SaveBmpToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioBMP); }
    void SaveBmpToStream(TStream& stream) { SaveFormatToStream(stream, ioBMP); }
    void LoadIcoFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioICO); }
    void LoadIcoFromStream(TStream& stream) { LoadFormatFromStream(stream, ioICO); }
    void SaveIcoToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioICO); }
    void SaveIcoToStream(TStream& stream) { SaveFormatToStream(stream, ioICO); }
    void LoadCurFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioCUR); }
    void LoadCurFromStream(TStream& stream) { LoadFormatFromStream(stream, ioCUR); }
    void LoadPngFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioPNG); }
    void LoadPngFromStream(TStream& stream) { LoadFormatFromStream(stream, ioPNG); }
    void SavePngToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPNG); }
    void SavePngToStream(TStream& stream) { SaveFormatToStream(stream, ioPNG); }
    void LoadTargaFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioTGA); }
    void LoadTargaFromStream(TStream& stream) { LoadFormatFromStream(stream, ioTGA); }
    void SaveTargaToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioTGA); }
    void SaveTargaToStream(TStream& stream) { SaveFormatToStream(stream, ioTGA); }
    void LoadPnmFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioPXM); }
    void LoadPnmFromStream(TStream& stream) { LoadFormatFromStream(stream, ioPXM); }
    void SavePnmToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPXM); }
    void SavePnmToStream(TStream& stream) { SaveFormatToStream(stream, ioPXM); }
    void LoadJp2FromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioJP2); }
    void LoadJp2FromStream(TStream& stream) { LoadFormatFromStream(stream, ioJP2); }
    void SaveJp2ToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioJP2); }
    void SaveJp2ToStream(TStream& stream) { SaveFormatToStream(stream, ioJP2); }
    void LoadJ2kFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioJ2K); }
    void LoadJ2kFromStream(TStream& stream) { LoadFormatFromStream(stream, ioJ2K); }
    void SaveJ2kToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioJ2K); }
    void SaveJ2kToStream(TStream& stream) { SaveFormatToStream(stream, ioJ2K); }
    void LoadWbmpFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioWBMP); }
    void LoadWbmpFromStream(TStream& stream) { LoadFormatFromStream(stream, ioWBMP); }
    void SaveWbmpToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioWBMP); }
    void SaveWbmpToStream(TStream& stream) { SaveFormatToStream(stream, ioWBMP); }
    void SavePsToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPS); }
    void SavePsToStream(TStream& stream) { SaveFormatToStream(stream, ioPS); }
    void SavePdfToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPDF); }
    void SavePdfToStream(TStream& stream) { SaveFormatToStream(stream, ioPDF); }
    void LoadDcxFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioDCX); }
    void LoadDcxFromStream(TStream& stream) { LoadFormatFromStream(stream, ioDCX); }
    void SaveDcxToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioDCX); }
    void SaveDcxToStream(TStream& stream) { SaveFormatToStream(stream, ioDCX); }
    // With the camera-raw entry unregistered, the format that now owns the
    // extension "RAW" reads the data (0: detected from the contents).
    void LoadCameraRawFromFile(const std::string& fileName);
    void LoadCameraRawFromStream(TStream& stream);
    void LoadRawBitmapFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioRAWBMP); }
    void LoadRawBitmapFromStream(TStream& stream) { LoadFormatFromStream(stream, ioRAWBMP); }
    void LoadPsdFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioPSD); }
    void LoadPsdFromStream(TStream& stream) { LoadFormatFromStream(stream, ioPSD); }
    void SavePsdToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioPSD); }
    void SavePsdToStream(TStream& stream) { SaveFormatToStream(stream, ioPSD); }
    void LoadDicomFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioDICOM); }
    void LoadDicomFromStream(TStream& stream) { LoadFormatFromStream(stream, ioDICOM); }
    void LoadHdpFromFile(const std::string& fileName) { LoadFormatFromFile(fileName, ioHDP); }
    void LoadHdpFromStream(TStream& stream) { LoadFormatFromStream(stream, ioHDP); }
    void SaveHdpToFile(const std::string& fileName) { SaveFormatToFile(fileName, ioHDP); }
    void SaveHdpToStream(TStream& stream) { SaveFormatToStream(stream, ioHDP); }
    // Vector objects, layers, and both (ids 25 to 27): into the attached
    // image view, else (files only) through a temporary view whose
    // flattened layers become the image. Vector objects are not supported.
    void LoadLayeredFromFile(const std::string& fileName, int32_t fileType);
    // Without an attached image view nothing loads and Aborting is set.
    void LoadLayeredFromStream(TStream& stream, int32_t fileType);

    // Parameters only: no pixels, no progress, never handed to a worker,
    // failures leave FileType 0.
    void ParamsFromFile(const std::string& fileName);
    void ParamsFromFileFormat(const std::string& fileName, int32_t fileType);
    void ParamsFromStream(TStream& stream);
    void ParamsFromStreamFormat(TStream& stream, int32_t fileType);
    void ParamsFromBuffer(const void* buffer, int64_t size, int32_t fileType);

    // The image saved as the id's format, written into a text file as
    // program source: 0 a constant array, 1 hexadecimal literals, 2 Base64;
    // 3 writes a character picture of a 24-bit image instead. Afterwards
    // FileName is the text file's. Nothing to export leaves the file empty
    // and sets Aborting; errors of the text file go to the caller.
    void ExportToSource(const std::string& fileName, int32_t fileType, uint8_t flavour);

    // Rasterises a metafile picture: both sizes positive as given, one
    // negative keeping the aspect ratio, both negative the picture's own
    // size; the larger side at most 8000 pixels. A zero size changes
    // nothing; an empty picture sets Aborting. With transparency, alpha is
    // 255 only where the picture drew.
    void ImportMetafile(TGraphic& metafile, int32_t width, int32_t height, bool transparency, bool enhanced);
    // A Windows or enhanced metafile read from the file or stream and
    // imported; malformed data sets Aborting.
    void ImportMetafileFromFile(const std::string& fileName, int32_t width, int32_t height, bool transparency);
    void ImportMetafileFromStream(TStream& stream, int32_t width, int32_t height, bool transparency);

    // Resamples the image so that both resolutions equal the larger side's.
    void AdjustDpi();
    // A resolution below 2 becomes the library default.
    void FixDefaultDpi();
    // False without an image; re-wraps an attached TBitmap.
    bool PrepareBitmap();

    // Opens an AVI file's first video stream for ReadAVIFrame and answers
    // its frame count; 0 with Aborting set when that fails, nothing open
    // then. A file already open is closed first.
    int32_t OpenAVIFile(const std::string& fileName);
    // Decodes frame `index` of the open file into the image. Without a file,
    // for an index out of range or a frame that cannot be decoded, the image
    // stays as it was and Aborting is set.
    void ReadAVIFrame(int32_t index);
    // Waits for a handed-off ReadAVIFrame first.
    void CloseAVIFile();
    TIOPrintPreviewParams& PrintPreviewParams() { return printPreviewParams_; }

    // Acquisition. One acquired image: unless OnAcquireBitmap handles it,
    // it becomes the component's image, with its size, samples and the
    // given resolution in the parameters.
    virtual void DoAcquireBitmap(TQkBitmap& bitmap, const TQkAcquiredParams& acquired);
    TQkAcquireBitmapEvent OnAcquireBitmap;
    // The images acquired since the last ResetCounter.
    int32_t AcquireCounter() const { return acquireCounter_; }
    virtual void ResetCounter() { acquireCounter_ = 0; }
    // Created on first use, owned by the component.
    virtual TQkWia* GetWia();
    virtual TQkDirectShow* GetDirectShow();
    // The video object when one was made, never making it.
    TQkDirectShow* ExistingDirectShow() const { return directShow_.get(); }
    // Gives the scanner's progress to OnProgress; false once Aborting is set.
    bool WiaProgress(int32_t percent);
    // Scans with GetWia()'s device and options; Aborting tells the outcome,
    // the reason is in GetWia()->LastError. Asynchronous kind 11.
    void Acquire();
    TQkTWainParams& TwainParams() { return *twainParams_; }
    void FreeCaptureDirectShow();

    // IBrelvixIO.
    TBitmap* GetTBitmap() override;
    void SetViewDpiX(int32_t dpi) override;
    void SetViewDpiY(int32_t dpi) override;

    virtual void DoProgress(TObject* sender, int32_t percent);
    virtual void DoFinishWork();

    // Loads the image an http, https or ftp address names, detecting its
    // format. Any failure sets Aborting with the reason in UrlLastError;
    // image and parameters stay as they were.
    void LoadFromURL(const std::string& url);
    // Empty: the environment's proxy variables apply.
    std::string UrlProxy;
    // Sent to the proxy only; the address's own credentials go to the server.
    std::string UrlProxyUser;
    std::string UrlProxyPassword;
    // An extra certificate bundle trusted beside the system's.
    std::string UrlCaFile;
    int32_t UrlConnectTimeout = 30;
    // Seconds under 1 byte a second before a transfer fails.
    int32_t UrlStallTimeout = 60;
    int64_t UrlMaxBytes = int64_t(1) << 30;
    const std::string& UrlLastError() const { return urlLastError_; }
    virtual void ApplyDpiToView(int32_t dpiX, int32_t dpiY);
    // The format parameters dialog on the image, for the pages of the set
    // (bit 0 all, bit 1 the current file type's, then one a format). True
    // when closed with OK or handled by OnDoPreviews; false without a
    // dialog, an image or a page to show.
    virtual bool DoPreviews(uint16_t pages);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Hands `operation` (the calling operation with its arguments) to a
    // worker when the component is asynchronous and the caller is not
    // already one of its workers; false when the caller runs it itself.
    bool HandedToWorker(TQkIOCallKind kind, std::function<void()> operation);
    // Tells the attached view that its image changed; on a worker the view
    // is reached in the main thread.
    virtual void RefreshAttachedImage();
    // Makes the attached view create its window; runs in the main thread.
    void AllocateViewHandle();
    // Frame `frameIndex` of the file, which is then closed again.
    virtual void LoadAviFrame(const std::string& fileName, int32_t frameIndex);

    // A multi-page PostScript document still open, with the stream it goes
    // to; both are cleared by ClosePSFile.
    std::unique_ptr<TPsDocument> psDocument_;
    std::unique_ptr<TStream> psStream_;
    // The same for a multi-page PDF document; cleared by ClosePdfFile.
    std::unique_ptr<TPdfDocument> pdfDocument_;
    std::unique_ptr<TStream> pdfStream_;

private:
    TQkFilterProgress NewProgress(bool withCallback);
    // Aborting set, DoFinishWork, then EQkFormatNotSupported.
    [[noreturn]] void NotSupported(int32_t fileType, bool reading);
    // A load or save that cannot start: Aborting set, OnFinishWork once.
    void Fail();
    // Opens the file; when that fails, the operation still finishes once
    // before the error goes to the caller.
    std::unique_ptr<TQkWideFileStream> OpenFileOrFinish(const std::string& fileName, uint16_t mode);

    // The attached view's image-view interface, or nullptr.
    IBrelvixView* AttachedImageView() const;
    // Photoshop documents with an attached image view: the layers go into
    // the view, and a save writes the view's layers over their flattening.
    void ReadPsd(TQkReadRequest& request);
    void WritePsd(TQkWriteRequest& request);

    // Loads.
    void CallReader(const TQkFormatReader& reader, TQkReadRequest& request);
    void FinishLoad(TQkReadRequest& request, int32_t fileType, const std::string& fileName, bool fileForm);
    int32_t ReadFormat(TStream& stream, int32_t fileType, int64_t byteBudget, const std::string& fileName,
                       bool fileForm, int64_t endPosition);
    int32_t LoadFormatStream(TStream& stream, int32_t fileType, bool expectHeader);
    void LoadInternalFromFile(const std::string& fileName, int32_t fileType);
    void LoadFromStreamEntry(TStream& stream, int32_t fileType, bool detected);
    void LoadExternalFromFile(const std::string& fileName, int32_t fileType, bool catchErrors);
    void LoadExternalFromStream(TStream& stream, int32_t fileType);
    int32_t LoadComposedGif(TStream& stream);
    int32_t ReadGifFrame(TStream& stream, int32_t index, TQkBitmap& frame, TQkFilterProgress& progress);

    // Saves.
    bool PrepareSave(int32_t fileType, bool convert);
    void RunWriter(TStream& stream, int32_t fileType);
    void WriteWithHeader(TStream& stream, int32_t fileType, const char* signature);
    void SaveExternalToFile(const std::string& fileName, int32_t fileType);
    void SaveExternalToStream(TStream& stream, int32_t fileType);

    void SetUpPreviewsDialog(IQkIOPreviewsDialog& dialog);
    void ImportMetafileStream(TStream& stream, int32_t width, int32_t height, bool transparency);
    // Always on the caller's thread.
    std::vector<uint8_t> EncodeForExport(int32_t fileType);

    // Parameters only.
    void ReadParamsAs(TStream& stream, int32_t fileType, int64_t skip);
    void ReadParamsFromStream(TStream& stream, int32_t fileType, int64_t skip);

    // The image source.
    void DetachView();
    void ForgetImage();
    void UseOwnBitmap();
    void WrapAttachedTBitmap();
    void ViewBitmapChanged(bool destroying);
    // Workers read the view under viewLock_; only the main thread changes it.
    void SetViewPointer(TQkView* view);
    // From a worker: posts to the window of an attached view that has a
    // parent, its handle made first when needed; false without such a view.
    bool PostToView(uint32_t message, WPARAM wParam);
    void ShowNewImage(bool repaintView);

    std::unique_ptr<TIOParamsVals> params_;
    std::unique_ptr<TQkBitmap> ownBitmap_;
    TQkBitmap* bitmap_ = nullptr;
    bool ownsBitmap_ = true;
    TBitmap* attachedTBitmap_ = nullptr;
    TQkView* attachedView_ = nullptr;
    TImage* attachedImage_ = nullptr;
    TBitmapChangeHandle viewChangeHandle_ = 0;
    TColor backgroundColor_ = 0;
    bool bwByThreshold_ = true;
    bool streamHeaders_ = false;
    bool autoAdjustDpi_ = false;
    bool filteredAdjustDpi_ = false;
    TMsgLanguage msgLanguage_ = msSystem;
    TIOPreviewsParams previewsParams_;
    TQkDialogsMeasureUnit dialogsMeasureUnit_ = qkduInches;
    bool simplifiedParamsDialogs_ = true;
    std::unique_ptr<TFont> previewFont_;
    // Shared with the filters, which may run on workers.
    std::atomic<bool> aborting_{false};
    std::atomic<bool> asynchronous_{false};
    std::mutex viewLock_;
    std::unique_ptr<TQkIOWorkers> workers_ = std::make_unique<TQkIOWorkers>(aborting_);
    std::string urlLastError_;
    std::unique_ptr<TQkAviReader> aviReader_;
    std::unique_ptr<TQkTWainParams> twainParams_;
    std::unique_ptr<TQkWia> wia_;
    std::unique_ptr<TQkDirectShow> directShow_;
    std::unique_ptr<TQkDirectShow> captureDirectShow_;
    int32_t acquireCounter_ = 0;
    TIOPrintPreviewParams printPreviewParams_;
};

// Publishes the component's properties and events in the class registry.
void RegisterBrelvixIOClass();
