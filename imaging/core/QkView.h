#pragma once
// The base control of the image views and the interfaces through which the
// imaging core reaches the views' own classes (the image view, its layers
// and the vector-object view), which the views subsystem implements.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkSettings.h"
#include "platform/core/Streams.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/BorderStyle.h"
#include "platform/ui/Controls.h"

class TBitmap;
class TQkBitmap;
class TQkMask;
class IBrelvixView;
class IBrelvixVect;

// Told that the view's bitmap changed; `destroying` when the view goes.
using TBitmapChangeEvent = std::function<void(TObject* sender, bool destroying)>;
// 0 is the nil handle; a handle is never reused.
using TBitmapChangeHandle = uint64_t;

class TQkView : public TCustomControl {
public:
    explicit TQkView(TComponent* owner);
    // Calls every bitmap-change handler with `destroying` true.
    ~TQkView() override;

    TColor Background() const { return background_; }
    virtual void SetBackground(TColor value) { background_ = value; }

    // Single: a 2-pixel sunken edge with Ctl3D, else a 1-pixel border. Each
    // change recreates the window; setting the value it has does nothing.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // A load on a worker thread sets the resolution while the view's thread
    // reads it.
    int32_t DpiX() const { return dpiX_.load(std::memory_order_relaxed); }
    int32_t DpiY() const { return dpiY_.load(std::memory_order_relaxed); }
    // 0 keeps the resolution the view has.
    virtual void SetDpiX(int32_t value);
    virtual void SetDpiY(int32_t value);
    virtual void SetDpi(int32_t x, int32_t y);

    TBitmapChangeHandle RegisterBitmapChangeHandler(TBitmapChangeEvent handler);
    // Nil, stale and unknown handles are ignored.
    void UnregisterBitmapChangeHandler(TBitmapChangeHandle handle);
    // Calls every handler with (this view, false). A handler may unregister
    // itself or another handler while it runs.
    void CallBitmapChangeHandlers();

    // The view's current bitmap, or nullptr (the base control has none).
    virtual TQkBitmap* GetImageBitmap() { return nullptr; }
    // The view's class-library bitmap in legacy mode, or nullptr.
    virtual TBitmap* GetLegacyBitmap() { return nullptr; }
    // The image changed; the base control does nothing.
    virtual void DoImageChange() {}
    // The image view and vector-object view interfaces of this view, or
    // nullptr when it is not such a view.
    virtual IBrelvixView* AsBrelvixView() { return nullptr; }
    virtual IBrelvixVect* AsBrelvixVect() { return nullptr; }

    void BeginPaintLock() { ++paintLock_; }
    // Decrements the paint lock, never below 0; at 0 the view lays itself
    // out again (Update). Returns the new count.
    int32_t EndPaintLock();
    // The same without refreshing.
    int32_t EndPaintLockNoRefresh();
    int32_t PaintLock() const { return paintLock_; }

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    // Tells every handler that the view goes and forgets them. A derived
    // view calls it first in its destructor, while its image still exists,
    // so that no component works on a freed image.
    void ReleaseBitmapChangeHandlers();

private:
    struct THandlerRecord {
        TBitmapChangeHandle Handle;
        TBitmapChangeEvent Handler;
    };

    void CallHandlers(bool destroying);

    TColor background_ = clBtnFace;
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
    std::atomic<int32_t> dpiX_ = 0;
    std::atomic<int32_t> dpiY_ = 0;
    std::vector<THandlerRecord> handlers_;
    TBitmapChangeHandle lastHandle_ = 0;
    int32_t paintLock_ = 0;
};

// The view's own client-area canvas.
TCanvas* GetViewCanvas(TQkView& view);

// One layer of an image view.
class IQkLayer {
public:
    virtual ~IQkLayer() = default;

    virtual TQkBitmap* Bitmap() = 0;
    virtual const TQkGUID& Identifier() const = 0;
    virtual int32_t PosX() const = 0;
    virtual void SetPosX(int32_t value) = 0;
    virtual int32_t PosY() const = 0;
    virtual void SetPosY(int32_t value) = 0;
    virtual uint8_t Opacity() const = 0;
    virtual void SetOpacity(uint8_t value) = 0;
    virtual std::string Name() const = 0;
    virtual void SetName(const std::string& value) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool value) = 0;
    // Set by the PSD reader when a layer record's clipping byte is 0.
    virtual bool PsdBaseClipping() const = 0;
    virtual void SetPsdBaseClipping(bool value) = 0;
    // A layer holding the mask of the layer before it.
    virtual bool IsMask() const = 0;
    virtual void SetIsMask(bool value) = 0;
    virtual TResampleFilter ResampleFilter() const = 0;
    virtual void SetResampleFilter(TResampleFilter value) = 0;
    virtual bool UseResampleFilter() const = 0;
    virtual void SetUseResampleFilter(bool value) = 0;
    // The layer's own size, or its bitmap's when that is 0.
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    // One record: its 4-byte size, its identifier, its properties and, when
    // asked, its image.
    virtual void SaveToStream(TMemoryStream& stream, bool withImage) = 0;
    // Reads one record and leaves the position after it. A short or
    // impossible record answers false and changes nothing.
    virtual bool LoadFromStream(TStream& stream) = 0;
    // The defaults of placement, drawing and interaction; the bitmap, the
    // identity and the name stay.
    virtual void SetDefaults() = 0;
    // Copies the pixels, the placement and the options of any layer.
    virtual void Assign(IQkLayer& source) = 0;
    virtual void SetLocked(bool value) = 0;
};

// The image view as the core uses it.
class IBrelvixView {
public:
    virtual ~IBrelvixView() = default;

    virtual int32_t LayersCurrent() const = 0;
    virtual bool Selected() const = 0;
    // Always present.
    virtual TQkMask& SelectionMask() = 0;
    virtual const TPoint* GetSelectionPolygon() const = 0;
    virtual int32_t GetSelectionPolygonCount() const = 0;
    virtual int32_t GetLayerCount() const = 0;
    // The caller keeps the index within 0 .. count - 1.
    virtual IQkLayer* GetLayer(int32_t index) = 0;
    virtual void SaveSelectionToStream(TMemoryStream& stream) = 0;
    virtual bool LoadSelectionFromStream(TStream& stream, bool rebuild) = 0;
    virtual void SaveLayersToStream(TMemoryStream& stream, int32_t imageFormat) = 0;
    // False when the stream's header does not match.
    virtual bool LoadLayersFromStream(TStream& stream) = 0;
    // Paints the view's background over the canvas's client area.
    virtual void DrawBackground(TCanvas& canvas) = 0;
    virtual void SetLegacyBitmap(bool value) = 0;
    // Changes made between the two lay nothing out; the end repaints nothing.
    virtual void BeginUpdateLock() = 0;
    virtual void EndUpdateLockNoRefresh() = 0;

    // The layered-file and Photoshop steps of the input/output component.
    // A view without a layer list of its own answers them with Exception.
    // Adds a layer holding `bitmap` (an empty one for nullptr); returns its
    // index.
    virtual int32_t AddLayer(std::unique_ptr<TQkBitmap> bitmap);
    // Every layer but layer 0 goes.
    virtual void RemoveAllLayers();
    // Every layer at 100 % composed into `dest`, sized to their union.
    virtual void FlattenLayersTo(TQkBitmap& dest);
    // The layers merged into layer 0.
    virtual void FlattenLayers();
    // False when the file holds no layers stream.
    virtual bool LoadLayersFromFile(const std::string& fileName);
};

// Makes the windowless image view that the layered-file loads use when no
// view is attached; the views' start-up registers it.
using TQkTemporaryViewFactory = std::function<std::unique_ptr<TQkView>()>;
void SetTemporaryViewFactory(TQkTemporaryViewFactory factory);
// nullptr while no factory is registered.
std::unique_ptr<TQkView> CreateTemporaryView();

// The vector-object view as the core uses it.
class IBrelvixVect {
public:
    virtual ~IBrelvixVect() = default;

    virtual void SaveObjectsToStream(TMemoryStream& stream) = 0;
    virtual bool LoadObjectsFromStream(TStream& stream) = 0;
    virtual void SaveAllToStream(TMemoryStream& stream, int32_t imageFormat) = 0;
    virtual bool LoadAllFromStream(TStream& stream) = 0;
};
