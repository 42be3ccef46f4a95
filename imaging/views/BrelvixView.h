#pragma once
// The image view: a windowed control that shows a stack of layers at any
// zoom and scrolls over them with its scroll bars, the mouse wheel, smooth
// scrolling or program calls. Every change funnels into the layout pass
// (Update), which sizes the geometry, the automatic zoom and the scroll
// bars; painting draws the background and the current layer through the
// geometry.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkTransitions.h"
#include "imaging/core/QkView.h"
#include "imaging/views/QkRotatedLayerCopy.h"
#include "imaging/views/QkViewGeometry.h"
#include "imaging/views/QkViewScrolling.h"
#include "imaging/views/background/QkViewBackground.h"
#include "imaging/views/layers/QkLayer.h"
#include "platform/core/Set.h"

class TBitmap;
class TBrelvixIO;
class TBrelvixProc;
class TDrawDib;
class TQkDirectShow;
class TQkTransitionEffects;
class TPen;
class TPicture;
class TTimer;

// Change 0 a new ViewX, 1 a new ViewY, 2 a new zoom.
using TViewChangingEvent = std::function<void(TObject* sender, int32_t change, double newValue)>;
// Change 0 the origin moved, 1 the zoom changed.
using TViewChangeEvent = std::function<void(TObject* sender, int32_t change)>;
using TQkSetCursorEvent = std::function<void(TObject* sender, TCursor& cursor)>;
using TQkZoomEvent = std::function<void(TObject* sender, double& newZoom)>;
using TQkViewProgressEvent = std::function<void(TObject* sender, int32_t percent)>;
using TQkSpecialKeyEvent = std::function<void(TObject* sender, uint16_t charCode, TShiftState shift, bool& handled)>;
using TQkVirtualKeyEvent = std::function<void(TObject* sender, uint32_t virtualKey, LPARAM keyData, bool keyDown)>;

using TQkOnDrawCanvas = std::function<void(TObject* sender, TCanvas* canvas, const TRect& rect)>;
using TQkOnDrawBackground = std::function<void(TObject* sender, TCanvas* canvas, const TRect& rect, bool& handled)>;
using TQkDrawLayerBoxEvent = std::function<void(TObject* sender, TBitmap* bitmap, int32_t layer)>;
using TQkDrawLayerGrip =
    std::function<void(TObject* sender, TBitmap* bitmap, int32_t layer, int32_t grip, const TRect& rect)>;

// The handles of a layer's box: the corners, the sides' middles and the
// rotation centre.
enum class TQkGrip : uint8_t {
    qkNone,
    qkTopLeft,
    qkTopRight,
    qkBottomRight,
    qkBottomLeft,
    qkLeftSide,
    qkRightSide,
    qkTopSide,
    qkBottomSide,
    qkRotationCenter,
};

// What the mouse does in the view.
enum TQkMouseInteractItem : uint8_t {
    miZoom,
    miScroll,
    miSelect,
    miSelectPolygon,
    miSelectCircle,
    miSelectZoom,
    miSelectMagicWand,
    miSelectLasso,
    miMoveLayers,
    miResizeLayers,
    miRotateLayers,
    miMovingScroll,
};
using TQkMouseInteract = TSet<TQkMouseInteractItem>;

// How a selection behaves and is shown.
enum TQkSelectionOption : uint8_t {
    qksoAnimated,
    qksoSizeable,
    qksoMoveable,
    qksoFilled,
    qksoCutBorders,
    qksoMarkOuter,
    qksoCanScroll,
    qksoSelectTranspLayers,
    qksoRightButtonSelectLayers,
    qksoRightButtonTerminatePolySelect,
};
using TQkSelectionOptions = TSet<TQkSelectionOption>;

// How the parts of the picture outside layer 0 are shown.
enum TQkLayerOutsideMode : uint8_t {
    qkloNormal,
    qkloTransparent, // layers above layer 0 fade there
    qkloChecker,
    qkloLighten,
};

// The screen the view copies its picture to: below 24 bits the copy goes
// through a halftone stretch, at 8 and below through DrawDib. Tests switch it.
struct TQkViewDisplay {
    int32_t BitsPerPixel = 24;
    bool Remote = false;
};
TQkViewDisplay& ViewDisplay();

// Zooms from which the pixel grid is drawn.
constexpr double GridMinZoom = 400;
// Layers with both sides below this are not drawn.
constexpr int32_t MinLayerSize = 2;

// Why a layout pass runs.
enum TQkUpdateReason : uint8_t {
    qkurGeneral,
    qkurCentring,
    qkurZoom,
    qkurSelection,
    qkurBackground, // also a new size or scroll-bar style
};

class TBrelvixView : public TQkView, public IBrelvixView {
public:
    explicit TBrelvixView(TComponent* owner);
    ~TBrelvixView() override;
    TBrelvixView(const TBrelvixView&) = delete;
    TBrelvixView& operator=(const TBrelvixView&) = delete;

    // ---- Layout ----
    // The layout pass; callers set UpdateReason first.
    void Update() override;
    TQkUpdateReason UpdateReason = qkurGeneral;
    const TQkViewGeometry& Geometry() const { return geometry_; }
    void GetMaxViewXY(int32_t& maxX, int32_t& maxY);
    bool IsScrollable();
    int32_t ScreenToBitmapX(int32_t x) const { return geometry_.ScreenToBitmapX(x); }
    int32_t ScreenToBitmapY(int32_t y) const { return geometry_.ScreenToBitmapY(y); }
    int32_t BitmapToScreenX(int32_t column) const { return geometry_.BitmapToScreenX(column); }
    int32_t BitmapToScreenY(int32_t row) const { return geometry_.BitmapToScreenY(row); }
    int32_t GetViewWidth() const { return ClientWidth(); }
    int32_t GetViewHeight() const { return ClientHeight(); }
    // The view lies in a window that exists (the layout waits otherwise).
    bool HasParentWindow() const { return Parent() != nullptr; }
    // Width < 2 and height < 2.
    bool IsImageEmpty();

    // ---- Zoom ----
    double ZoomX() const { return geometry_.ZoomX(); }
    double ZoomY() const { return geometry_.ZoomY(); }
    // Zooms of 0 and below are ignored; each zoomed side stays within
    // MaxZoomedSide (a larger request lands on the largest zoom allowed).
    void ChangeZoom(double zoom);
    void ChangeZoomX(double zoom);
    void ChangeZoomY(double zoom);
    // Keeps the image point under (x, y), or centres it.
    void ZoomAt(int32_t x, int32_t y, bool centerOnPoint, double zoom);
    void GetFitMargins(int32_t& mx, int32_t& my, bool borderX, bool borderY) const;
    double GetFitZoom() const;
    void Fit();
    bool Center() const { return geometry_.Center; }
    void SetCenter(bool value);
    bool AutoFit() const { return autoFit_; }
    void SetAutoFit(bool value);
    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool value);
    bool AutoShrink() const { return autoShrink_; }
    void SetAutoShrink(bool value);

    // ---- Origin and scrolling ----
    int32_t ViewX() const { return geometry_.ViewX(); }
    int32_t ViewY() const { return geometry_.ViewY(); }
    void SetViewXY(int32_t x, int32_t y);
    void SetViewX(int32_t x) { SetViewXY(x, ViewY()); }
    void SetViewY(int32_t y) { SetViewXY(ViewX(), y); }
    // Commands: 0 set position, 1 end, 2 start, 3 line forward, 4 line back,
    // 5 page forward, 6 page back; any other scrolls to the start.
    void ScrollHorizontal(int32_t command, int32_t position);
    void ScrollVertical(int32_t command, int32_t position);
    TScrollStyle ScrollBars() const { return geometry_.ScrollBars; }
    void SetScrollBars(TScrollStyle value);
    // A bar that is not needed stays visible, disabled.
    bool ScrollBarsAlwaysVisible = false;
    TQkScrollBarParams HorizontalScrollBar;
    TQkScrollBarParams VerticalScrollBar;
    TQkMouseWheelParams MouseWheel;
    void DoMouseWheel(int32_t delta, int32_t x, int32_t y, bool ctrlDown);

    // ---- Smooth scrolling ----
    void SmoothScrollTo(int32_t x, int32_t y);
    void SmoothScrollTick();
    void StopSmoothScroll();
    bool SmoothScrolling() const;
    // 0 goes to the target at once.
    int32_t SmoothScrollDivisor = 8;

    // ---- Zoom filter ----
    TResampleFilter ZoomFilter = rfNone;
    // Zooming and scrolling draw unfiltered; the filter comes back once the
    // view has been still for ZoomFilterDelay ticks of the delay timer.
    bool DelayZoomFilter = false;
    int32_t ZoomFilterDelay = 4;
    int32_t SelectionDelay = 2;
    int32_t ZoomFilterDelayCount() const { return zoomFilterDelayCount_; }
    int32_t SelectionDelayCount() const { return selectionDelayCount_; }
    static constexpr uint32_t DelayTickMs = 210;

    // ---- Background ----
    void SetBackground(TColor value) override;
    TQkBackgroundStyle BackgroundStyle() const { return background_.Style; }
    void SetBackgroundStyle(TQkBackgroundStyle value);
    TColor GradientEndColor() const { return background_.GradientEndColor; }
    void SetGradientEndColor(TColor value);
    int32_t ChessboardSize() const { return background_.ChessboardSize; }
    void SetChessboardSize(int32_t value);
    TBrushStyle ChessboardBrushStyle() const { return background_.ChessboardBrushStyle; }
    void SetChessboardBrushStyle(TBrushStyle value);
    TPicture* WallPaper() const { return wallPaper_.get(); }
    // Keeps a copy.
    void SetWallPaper(const TPicture* picture);
    TQkWallPaperStyle WallPaperStyle() const { return background_.WallPaperStyle; }
    void SetWallPaperStyle(TQkWallPaperStyle value);

    // ---- Layers (BrelvixViewLayerList.cpp) ----
    // Appends a layer showing `bitmap`; returns its index.
    int32_t AddLayer(std::unique_ptr<TQkBitmap> bitmap) override;
    // Appends a layer of the image's size and format filled with the
    // background; it becomes current.
    int32_t AddLayer();
    TQkLayer& Layer(int32_t index) { return *layers_[static_cast<size_t>(index)]; }
    TQkLayer& CurrentLayer() { return Layer(currentLayer_); }
    // The nearest selectable layer at or below `index` becomes current;
    // out-of-range indexes are ignored.
    void SetCurrentLayer(int32_t index);
    void SetLayersCurrent(int32_t index) { SetCurrentLayer(index); }
    // Layer 0 is never removed; a layer's mask goes with it.
    void RemoveLayer(int32_t index);
    void RemoveAllLayers() override;
    // The top layer whose box holds the view point, skipping fully
    // transparent pixels; -1 for none.
    int32_t FindLayerAt(int32_t x, int32_t y, bool selectableOnly);
    bool IsPointInLayer(int32_t x, int32_t y, int32_t index);
    // The current layer shows `bitmap`, which stays the caller's; nullptr
    // gives the layer a new empty bitmap of its own.
    void AttachBitmap(TQkBitmap* bitmap);
    // Fills the image with the background and drops its alpha channel.
    void ClearImage();
    // A 1 x 1 cleared image.
    void ResetImage();
    bool SelectableCheck = true;
    // Index -1: every layer.
    void BakeLayerSizes(int32_t index);
    void CropLayerBorders(int32_t index);
    void BakeLayerRotations(int32_t index);
    bool LayerRotateAntialias = false;
    uint8_t LayerRotateQuality = 0;
    bool LegacyBitmap() const { return legacyBitmap_; }
    // Every layer takes the size of the largest one.
    bool SyncLayerSizes = false;

    // ---- Rendering (BrelvixViewRender.cpp) ----
    // Brings the back buffer up to date and copies `rect` of it to the window.
    void PaintToCanvas(const TRect& rect);
    // Composes the view into `dest` (the view's size, or larger when
    // flattening). `destRows` is the destination's kept row table.
    void RenderToBitmap(TQkBitmap& dest, TQkRenderTables* destRows, const TRect* clipRect, bool drawBackground,
                        bool drawOverlays);
    // Every layer at 100 % into `dest`, resized to the layers' union.
    void FlattenLayersTo(TQkBitmap& dest) override;
    // The layers merged into layer 0.
    void FlattenLayers() override;
    TQkBitmap& BackBuffer() { return *backBuffer_; }
    bool BackBufferDirty = true;
    bool FullRepaint = true;
    // Stored only: the view always paints through its back buffer.
    bool DoubleBuffer = true;
    bool DrawVersion() const { return drawVersion_; }
    void SetDrawVersion(bool value);
    bool EnableAlphaChannel() const { return enableAlphaChannel_; }
    void SetEnableAlphaChannel(bool value);
    TQkLayerOutsideMode LayerOutsideMode = qkloNormal;
    uint32_t LayerOutsideValue = 60;
    // Copy through DrawDib whatever the screen depth.
    bool ForceDrawDib = false;
    // A lens being resized keeps its bitmap's size while rendering.
    bool MagnifierResizing = false;

    // ---- Properties (BrelvixViewProperties.cpp) ----
    // Nil clears the image; another view's image or a platform bitmap is
    // copied (1-bit stays 1-bit, every other depth becomes 24-bit).
    void Assign(const TPersistent* source) override;
    TQkMouseInteract MouseInteract() const { return mouseInteract_; }
    // Items that cannot work together are dropped; leaving layer rotation
    // bakes every layer's angle into its bitmap.
    void SetMouseInteract(TQkMouseInteract value);
    bool CropLayerBordersOnRotate = true;
    bool ShiftAddsSelection = true;
    // Runs OnSetCursor, remembers the cursor and shows it.
    void SetCursor(TCursor value);
    // A cursor for a while; RestoreCursor brings back the remembered one.
    void SetTempCursor(TCursor value);
    void RestoreCursor();
    TQkSetCursorEvent OnSetCursor;

    // ---- Attachments (BrelvixViewAttachments.cpp) ----
    // The view's own components, made on first use with the view's
    // progress and finishing handlers.
    TBrelvixIO& GetIO();
    TBrelvixProc& GetProcessor();
    // Also into the own components made so far.
    void SetOnProgress(TQkViewProgressEvent handler);
    void SetOnFinishWork(TNotifyEvent handler);
    TQkTransitionEffects& Transitions();
    void SetOnTransitionStop(TNotifyEvent handler);
    void SetOnTransitionStep(TQkTransitionStepEvent handler);
    void SetOnTransitionPaint(TQkOnTransitionPaint handler);
    TNotifyEvent OnDShowNewFrame;
    TNotifyEvent OnDShowEvent;
    TQkSaveUndoEvent OnSaveUndo;

    // ---- Overlays (BrelvixViewOverlays.cpp) ----
    bool ShowAllLayerBoxes = false;
    TPen& LayerBoxPen() { return *layerBoxPen_; }
    TColor LayerGripOutlineColor = clBlack;
    TColor LayerGripFillColor = 0xBAFFFF;
    TBrushStyle LayerGripFillStyle = bsSolid;
    int32_t LayerGripHalfSize = 5;
    // 0 square, 1 round.
    uint8_t LayerGripShape = 1;
    bool ShowPixelGrid = false;
    // The image pixel outlined on the grid; negative for none.
    int32_t HighlightedCellX = -1;
    int32_t HighlightedCellY = -1;
    void DrawLayerBox(TQkBitmap& bitmap, int32_t index);
    void DrawLayerGrips(TQkBitmap& bitmap, int32_t index);
    void DrawRotationCenterGrip(TQkBitmap& bitmap, int32_t index);
    // Grip i is TQkGrip i + 1.
    std::array<TRect, 9> GetLayerGripRects(int32_t index);
    TQkGrip FindLayerGripAt(int32_t x, int32_t y);
    void ShadeOutsideLayer(TQkBitmap& bitmap, int32_t index);
    void DrawPixelGrid(TQkBitmap& bitmap);
    void DrawVersionBanner();
    std::string BrelvixVersion() const;
    // Writing is ignored: the version is the library's.
    void SetBrelvixVersion(const std::string&) {}

    // ---- Selection storage (BrelvixViewSelectionStream.cpp) ----
    TQkSelectionOptions SelectionOptions{qksoAnimated, qksoSizeable, qksoMoveable, qksoCanScroll};
    // Polygons in the current layer's pixels, separated by a point whose x
    // is MaskPolygonSeparator.
    void SetSelectionPolygon(std::vector<TPoint> points);
    const TRect& SelectionPolygonBounds() const { return selectionBounds_; }
    // Fills the polygon into the mask; an empty result ends the selection.
    void ApplySelectionToMask();
    void Deselect();
    // Mode 2 moves the selection onto the current layer from the layer it
    // was saved on; mode 1 keeps it inside the image; others cut it. A
    // stream without a whole record answers false and changes nothing.
    bool LoadSelectionFromStream(TStream& stream, int32_t mode);
    void PushSelection();
    // False on an empty stack.
    bool PopSelection(bool remove, int32_t mode);

    // ---- Events ----
    TNotifyEvent OnPaint;
    TNotifyEvent OnDrawBackBuffer;
    TQkOnDrawCanvas OnDrawCanvas;
    TQkOnDrawBackground OnDrawBackground;
    TQkDrawLayerBoxEvent OnDrawLayerBox;
    TQkDrawLayerGrip OnDrawLayerGrip;
    TViewChangingEvent OnViewChanging;
    TViewChangeEvent OnViewChange;
    TQkZoomEvent OnZoomIn;
    TQkZoomEvent OnZoomOut;
    TQkViewProgressEvent OnProgress;
    TNotifyEvent OnFinishWork;
    TNotifyEvent OnImageChange;
    TQkSpecialKeyEvent OnSpecialKey;
    TQkVirtualKeyEvent OnVirtualKey;

    // ---- The base control's image operations ----
    TQkBitmap* GetImageBitmap() override;
    TBitmap* GetLegacyBitmap() override { return legacyTBitmap_; }
    void DoImageChange() override;
    IBrelvixView* AsBrelvixView() override { return this; }

    // ---- The image view as the core uses it ----
    int32_t LayersCurrent() const override { return currentLayer_; }
    bool Selected() const override { return selected_; }
    TQkMask& SelectionMask() override { return selectionMask_; }
    const TPoint* GetSelectionPolygon() const override { return selectionPoints_.data(); }
    int32_t GetSelectionPolygonCount() const override { return static_cast<int32_t>(selectionPoints_.size()); }
    int32_t GetLayerCount() const override { return static_cast<int32_t>(layers_.size()); }
    IQkLayer* GetLayer(int32_t index) override { return layers_[static_cast<size_t>(index)].get(); }
    // Undo restores a selection kept inside the image (mode 1).
    void SaveSelectionToStream(TMemoryStream& stream) override;
    bool LoadSelectionFromStream(TStream& stream, bool rebuild) override
    {
        return LoadSelectionFromStream(stream, rebuild ? 1 : 0);
    }
    // The layers stream: every layer with its image in `imageFormat` (-1
    // raw through zlib, -2 raw, else a file type). A load replaces the
    // layers only when the whole stream was read; otherwise it answers
    // false and the view is as it was.
    void SaveLayersToStream(TMemoryStream& stream, int32_t imageFormat) override;
    bool LoadLayersFromStream(TStream& stream) override;
    // Opened for reading with writing denied to others.
    bool LoadLayersFromFile(const std::string& fileName) override;
    void DrawBackground(TCanvas& canvas) override;
    void SetLegacyBitmap(bool value) override;
    void BeginUpdateLock() override { ++updateLock_; }
    void EndUpdateLockNoRefresh() override { updateLock_ = std::max(updateLock_ - 1, 0); }
    // Runs Update when the lock reaches 0.
    void EndUpdateLock();

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void Paint() override;
    bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void DoViewChanging(int32_t change, double newValue);
    void DoViewChange(int32_t change);
    // Runs on the freshly rendered back buffer before OnDrawBackBuffer.
    virtual void AfterRenderBackBuffer(TQkBitmap& buffer);

private:
    // ---- Layout (BrelvixViewLayout.cpp) ----
    bool LayoutAllowed() const;
    void RunLayout();
    void SyncLayers();
    void GrowLayersToLargest();
    void TakeClientSizes();
    void ApplyAutoZoom();
    void FitSelectionMask();
    void ClampOrigin();
    void UpdateScrollBars();
    void UpdateScrollBar(int32_t bar, int32_t maxOrigin, int32_t viewSize, int32_t origin, double& scale);
    void ShowScrollBar(int32_t bar, bool show);
    void HideScrollBar(int32_t bar);
    void SetScrollPositions();
    bool ShowsBar(int32_t bar) const;
    // ---- Zoom and origin (BrelvixViewZoom.cpp) ----
    void ChangeZoomOf(double zoom, bool x, bool y);
    // The selection's delay always; the filter's when a caller set it.
    void ArmDelays();
    void DelayTick();
    void Relayout(TQkUpdateReason reason);
    // ---- Input (BrelvixViewInput.cpp) ----
    void ScrollMessage(TMessage& message, bool vertical);
    bool KeyMessage(TMessage& message);
    // ---- Painting ----
    template <typename T>
    void SetBackgroundOption(T TQkBackgroundOptions::*option, T value);
    // ---- Rendering (BrelvixViewRender.cpp, BrelvixViewLayerDrawing.cpp) ----
    // One composition's state across its layers.
    struct TLayerPass {
        bool DrawBackground = false;
        bool DrawOverlays = false;
        bool First = true;
    };
    void RenderLayer(TQkBitmap& dest, TQkRenderTables* destRows, const TRect* clipRect, int32_t index,
                     TLayerPass& pass);
    void RenderFastPath(TQkBitmap& dest, TQkRenderTables* destRows, TQkLayer& layer, TQkRenderOptions& options);
    void RenderGeneralPath(TQkBitmap& dest, TQkRenderTables* destRows, TQkLayer& layer, TQkRenderOptions& options);
    void ClipLayerToBackground(TQkLayer& layer, TQkBitmap& bitmap, int32_t w0, int32_t h0, int32_t& x, int32_t& y,
                               int32_t& width, int32_t& height, TQkRenderRect& source);
    // A lens layer's bitmap shows the magnified picture beneath it.
    void PrepareLens(TQkBitmap& dest, TQkLayer& layer, TResampleFilter filter);
    void RenderBackgroundStep(TQkBitmap& dest, const TRect* clipRect, TQkLayer* firstLayer);
    bool CoversDestOpaquely(TQkBitmap& dest, TQkLayer& layer);
    void ShadeOutsideLayerZero(TQkBitmap& dest);
    void DrawLayerOverlays(TQkBitmap& dest, int32_t index);
    void CopyBackBuffer(const TRect& rect);
    TResampleFilter LayerFilter(const TQkLayer& layer) const;
    // The bitmap a rotated layer shows, kept until the next layout pass.
    TQkBitmap& RotatedLayerBitmap(TQkLayer& layer);
    std::unique_ptr<TQkBitmap> MaskedAlpha(TQkLayer& layer, TQkLayer& mask);
    void DropRenderCaches();
    // ---- Video ----
    // The own video object while it draws an active graph, else nullptr.
    TQkDirectShow* ActiveVideo();
    void VideoMessage(const TMessage& message, bool newFrame);
    void PlaceVideo(TQkDirectShow& video);
    // ---- Cursors ----
    bool ShowOwnCursor();
    // The cursor set before the first paint shows once the view paints.
    void ApplyPendingCursor();
    // ---- Layer list and selections ----
    void MakeCurrent(int32_t index);
    struct TStoredSelection;
    bool ReadStoredSelection(TStream& stream, TStoredSelection& stored);
    void FitLoadedSelection(const TStoredSelection& stored, int32_t mode);
    void ShiftSelectionInside(int32_t width, int32_t height);
    void MoveMaskOntoCurrentLayer(int32_t fromLeft, int32_t fromTop, int32_t width, int32_t height);

    TQkViewGeometry geometry_;
    std::vector<std::unique_ptr<TQkLayer>> layers_;
    int32_t currentLayer_ = 0;
    bool legacyBitmap_ = true;
    // The current image's own TBitmap while legacy mode is on.
    TBitmap* legacyTBitmap_ = nullptr;
    TQkMask selectionMask_;
    std::vector<TPoint> selectionPoints_;
    TRect selectionBounds_{};
    bool selected_ = false;
    std::vector<std::unique_ptr<TMemoryStream>> savedSelections_;
    TQkBackgroundOptions background_;
    std::unique_ptr<TPicture> wallPaper_;
    std::unique_ptr<TBrelvixIO> io_;
    std::unique_ptr<TBrelvixProc> processor_;
    std::unique_ptr<TQkTransitionEffects> transitions_;
    std::unique_ptr<TQkBitmap> backBuffer_;
    TQkRenderTables backBufferRows_;
    std::unique_ptr<TPen> layerBoxPen_;
    std::vector<std::unique_ptr<TQkRotatedLayerCopy>> rotatedCopies_;
    TQkMouseInteract mouseInteract_;
    TCursor savedCursor_ = 1785;
    bool cursorPending_ = true;
    bool drawVersion_ = false;
    bool enableAlphaChannel_ = true;
    std::unique_ptr<TDrawDib> drawDib_;
    bool autoFit_ = false;
    bool autoStretch_ = false;
    bool autoShrink_ = false;
    int32_t updateLock_ = 0;
    bool updateRunning_ = false;
    bool updateReentered_ = false;
    bool horizontalBarShown_ = false;
    bool verticalBarShown_ = false;
    double hScrollScale_ = 1.0;
    double vScrollScale_ = 1.0;
    int32_t smoothTargetX_ = 0;
    int32_t smoothTargetY_ = 0;
    std::unique_ptr<TTimer> smoothTimer_;
    int32_t zoomFilterDelayCount_ = 0;
    int32_t selectionDelayCount_ = 0;
    std::unique_ptr<TTimer> delayTimer_;
};
