#pragma once
// TBrelvixProc: the non-visual image-processing component. It works on one
// TQkBitmap, its work bitmap, which it owns, takes from an attached image
// view, wraps around the picture of an attached TImage or borrows from the
// caller (AttachBitmap). Every operation checks
// the bitmap, saves an undo entry with its caption when AutoUndo is on,
// does its work, tells whatever is attached and ends with DoFinishWork.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIPDialogParams.h"
#include "imaging/core/QkView.h"
#include "imaging/core/QkWordTable.h"

#include "platform/core/Components.h"
#include "platform/core/Set.h"
#include "platform/core/Streams.h"
#include "platform/gfx/Font.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

class TForm;
class TImage;

enum TQkUndoSource : uint8_t {
    qkuUnknown,
    qkuImage, // a copy of the work bitmap
    qkuSelection, // the view's selection
    qkuObject, // the vector objects
    qkuLayer, // the layers without images
    qkuFullLayer, // the layers with the current layer's image
    qkuObjectsAndLayers, // layers and vector objects together
};

enum TPRPreviewsParam : uint8_t { prppDefaultLockPreview, prppShowResetButton, prppHardReset, prppResetSelectedTab };
using TPRPreviewsParams = TSet<TPRPreviewsParam>;

// The pixel formats an operation accepts; empty accepts every format.
using TQkPixelFormatSet = TSet<TQkPixelFormat>;

// What a selection-aware operation works on: the work bitmap itself, or,
// when a selection mask is set, a copy of the mask's bounding box that
// EndRegionOperation copies back through the mask.
struct TQkRegionWork {
    // Right and bottom exclusive, in the target's coordinates.
    TRect Rect;
    TQkMask* Mask = nullptr;
    TQkBitmap* Target = nullptr;
    std::unique_ptr<TQkBitmap> OwnedTarget;
};

using TQkSaveUndoEvent = std::function<void(TObject* sender, TQkUndoSource source)>;
using TQkPreviewEvent = std::function<void(TObject* sender, TForm* previewForm)>;

class TBrelvixProc : public TComponent {
public:
    explicit TBrelvixProc(TComponent* owner);
    ~TBrelvixProc() override;

    // ---- Attachment ----
    // Works on the caller's bitmap (which the caller keeps); nullptr with a
    // view attached changes nothing.
    void AttachBitmap(TQkBitmap* bitmap);
    TQkBitmap* Bitmap() const { return FWorkBitmap; }
    TQkView* AttachedBrelvix() const { return FAttachedView; }
    void SetAttachedBrelvix(TQkView* view);
    // Works on the bitmap of the control's picture; nullptr frees the work
    // bitmap's image.
    TImage* AttachedTImage() const { return FAttachedTImage; }
    void SetAttachedTImage(TImage* image);
    TColor Background() const;
    void SetBackground(TColor value);

    // ---- Published settings ----
    bool AutoUndo() const { return FAutoUndo; }
    void SetAutoUndo(bool value) { FAutoUndo = value; }
    // The most entries each stack keeps; negative counts as 0.
    int32_t UndoLimit() const { return FUndoLimit; }
    void SetUndoLimit(int32_t value) { FUndoLimit = value; }
    bool AutoConvertFormat() const { return FAutoConvertFormat; }
    void SetAutoConvertFormat(bool value) { FAutoConvertFormat = value; }
    TMsgLanguage MsgLanguage() const { return FMsgLanguage; }
    void SetMsgLanguage(TMsgLanguage value) { FMsgLanguage = value; }
    TPRPreviewsParams PreviewsParams() const { return FPreviewsParams; }
    void SetPreviewsParams(TPRPreviewsParams value) { FPreviewsParams = value; }
    TFont* PreviewFont() const { return FPreviewFont.get(); }
    void SetPreviewFont(TFont* value);
    // Where image copies of undo entries are stored (qkFile at creation).
    TQkLocation UndoLocation() const { return FUndoLocation; }
    void SetUndoLocation(TQkLocation value) { FUndoLocation = value; }

    TQkProgressEvent OnProgress;
    TNotifyEvent OnFinishWork;
    TQkSaveUndoEvent OnSaveUndo;
    TQkPreviewEvent OnPreview;

    // ---- Operations ----
    // -1 keeps the aspect ratio, 0 the current size (see ResampleTargetSize).
    void Resample(int32_t newWidth, int32_t newHeight, TResampleFilter filter);
    // Fills `destination` at the new size; the work bitmap is unchanged.
    void ResampleTo(TQkBitmap& destination, int32_t newWidth, int32_t newHeight, TResampleFilter filter);
    // Positive angles turn counter-clockwise; a background of -1 is Background().
    void Rotate(double angle, bool antialias, uint8_t mode, TColor background);
    // Changes the canvas size keeping the pixels; alignment 0 left or top,
    // 1 centre, 2 right or bottom; a fillAlpha below 255 adds an alpha channel.
    void ImageResize(int32_t newWidth, int32_t newHeight, uint8_t horizAlign, uint8_t vertAlign, int32_t fillAlpha);
    // Of the selection, or of the whole image; colours are packed
    // red << 16 | green << 8 | blue.
    void ConvertToGray();
    void Fill(uint32_t colour);
    // The whole image takes Background(), whatever the selection.
    void Clear();
    // Below 3 colours a black-and-white qk1g image (threshold at the average
    // gray, or ordered dither); up to 1024 a qk24RGB image of at most that
    // many colours; above 1024 nothing changes.
    void ConvertTo(int32_t colours, bool useThreshold);
    // As ConvertTo, and fills `palette` with the colours used: black and
    // white below 3 colours, the quantizer's `colours` entries up to 1024.
    // Nothing at all happens for 0 colours.
    void ConvertToPalette(int32_t colours, std::span<TRGBPixel> palette, bool useThreshold);
    // Keeps the inclusive rectangle; what lies beyond the image comes out
    // black with alpha 0.
    void Crop(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void CropToRect(const TRect& rect);
    // Crops to the pixels whose alpha is not 0, without an undo entry; an
    // image with no such pixel stays as it is.
    void CropTransparentBorders();
    TIPDialogParams* IPDialogParams() const { return FIPDialogParams.get(); }

    // ---- Services of the operations ----
    bool PrepareBitmap(TQkPixelFormatSet allowed);
    bool PrepareFormat(TQkPixelFormatSet allowed);
    void NotifyImageChanged();
    // The rectangle to work on (right and bottom exclusive), the selection
    // mask and polygon; true when an image view with a selection is attached.
    virtual bool GetWorkRegion(TRect& rect, TQkMask*& mask, const TPoint*& polygon, int32_t& polygonCount);
    // OnProgress with 100, then OnFinishWork.
    virtual void DoFinishWork();
    // Saves the undo entry (before the format check), prepares the bitmap
    // and finds the target; false when the bitmap cannot be prepared.
    bool BeginRegionOperation(TQkPixelFormatSet allowed, const std::string& caption, TQkRegionWork& work);
    // Copies a selection's target back through the mask, then notifies.
    void EndRegionOperation(TQkRegionWork& work);

    // ---- Undo and redo (positions count from the newest entry) ----
    virtual bool HasUndo() const { return !FUndo.empty(); }
    virtual bool HasRedo() const { return !FRedo.empty(); }
    virtual int32_t GetUndoCount() const { return static_cast<int32_t>(FUndo.size()); }
    virtual int32_t GetRedoCount() const { return static_cast<int32_t>(FRedo.size()); }
    virtual std::string GetRedoCaption(int32_t position) const;
    virtual std::string GetUndoCaption(int32_t position) const;
    virtual void SaveUndo(TQkUndoSource source);
    virtual void SaveUndoWithCaption(const std::string& caption, TQkUndoSource source);
    virtual void DropLastUndo();
    virtual void ClearUndoStack();
    virtual void Undo(bool saveRedo);
    virtual void UndoFrom(int32_t position, bool saveRedo);
    virtual void SaveRedo(TQkUndoSource source);
    virtual void SaveRedoWithCaption(const std::string& caption, TQkUndoSource source);
    virtual void ClearRedoStack();
    virtual void DropLastRedo();
    virtual void Redo();
    virtual void RedoFrom(int32_t position);
    void DeleteUndoAt(int32_t position);
    // Counted from the OLDEST entry; qkuUnknown outside the stack.
    TQkUndoSource GetUndoSource(int32_t index) const;
    // The image copy of an undo entry (position from the newest), or nullptr.
    TQkBitmap* GetUndoImage(int32_t position) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TUndoEntry {
        TQkUndoSource Source = qkuUnknown;
        std::string Caption;
        std::unique_ptr<TQkBitmap> Image;
        int32_t LayerIndex = -1;
        std::unique_ptr<TMemoryStream> Stream;
    };
    using TUndoStack = std::vector<TUndoEntry>;

    void SetWorkBitmap(TQkBitmap* bitmap);
    void TakeOwnEmptyBitmap();
    void ReduceColours(int32_t colours, std::span<TRGBPixel> palette, bool useThreshold, const std::string& caption);
    void UnregisterFromView();
    void ForgetView();
    void ForgetTImage();
    void DetachTImage();
    void WrapLegacyBitmap(bool freeFirst);
    void ViewBitmapChanged(TObject* sender, bool destroying);
    IBrelvixView* AttachedImageView() const;
    IBrelvixVect* AttachedVectorView() const;
    int32_t EffectiveUndoLimit() const { return FUndoLimit > 0 ? FUndoLimit : 0; }

    bool Save(TUndoStack& stack, TQkUndoSource source);
    bool MakeEntry(TUndoEntry& entry, TQkUndoSource source, std::unique_ptr<TQkBitmap> reusable);
    bool SaveWithCaption(TUndoStack& stack, const std::string& caption, TQkUndoSource source);
    void Restore(TUndoEntry& entry);
    void RestoreLayers(TMemoryStream& stream);
    static const TUndoEntry* EntryAt(const TUndoStack& stack, int32_t position);

    bool FAutoUndo;
    TQkView* FAttachedView = nullptr;
    TBitmapChangeHandle FViewRegistration = 0;
    TColor FOwnBackground = 0;
    TMsgLanguage FMsgLanguage = msSystem;
    TPRPreviewsParams FPreviewsParams{prppShowResetButton, prppHardReset};
    std::unique_ptr<TFont> FPreviewFont;
    TQkBitmap* FWorkBitmap = nullptr;
    std::unique_ptr<TQkBitmap> FOwnedBitmap;
    bool FAutoConvertFormat = true;
    TUndoStack FUndo;
    TUndoStack FRedo;
    TQkLocation FUndoLocation = qkFile;
    int32_t FUndoLimit = 1;
    TBitmap* FLegacyBitmap = nullptr;
    TImage* FAttachedTImage = nullptr;
    // Counts pushed entries, so a caption finds the entry just saved.
    uint64_t FPushCount = 0;
    std::unique_ptr<TIPDialogParams> FIPDialogParams = std::make_unique<TIPDialogParams>();
};

// Registers TBrelvixProc and its published properties.
void RegisterBrelvixProcClass();
