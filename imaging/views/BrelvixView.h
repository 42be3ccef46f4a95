#pragma once
// The image view: a windowed control that shows a stack of layers at any
// zoom and scrolls over them with its scroll bars, the mouse wheel, smooth
// scrolling or program calls. Every change funnels into the layout pass
// (Update), which sizes the geometry, the automatic zoom and the scroll
// bars; painting draws the background and the current layer through the
// geometry.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/core/QkMask.h"
#include "imaging/core/QkView.h"
#include "imaging/views/QkViewGeometry.h"
#include "imaging/views/QkViewScrolling.h"
#include "imaging/views/background/QkViewBackground.h"
#include "imaging/views/layers/QkLayer.h"

class TBitmap;
class TDrawDib;
class TPicture;
class TTimer;

// Change 0 a new ViewX, 1 a new ViewY, 2 a new zoom.
using TViewChangingEvent = std::function<void(TObject* sender, int32_t change, double newValue)>;
// Change 0 the origin moved, 1 the zoom changed.
using TViewChangeEvent = std::function<void(TObject* sender, int32_t change)>;
using TQkZoomEvent = std::function<void(TObject* sender, double& newZoom)>;
using TQkViewProgressEvent = std::function<void(TObject* sender, int32_t percent)>;
using TQkSpecialKeyEvent = std::function<void(TObject* sender, uint16_t charCode, TShiftState shift, bool& handled)>;
using TQkVirtualKeyEvent = std::function<void(TObject* sender, uint32_t virtualKey, LPARAM keyData, bool keyDown)>;

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

    // ---- Layers ----
    // The layer's bitmap becomes the view's; returns its index.
    int32_t AddLayer(std::unique_ptr<TQkBitmap> bitmap) override;
    TQkLayer& Layer(int32_t index) { return *layers_[static_cast<size_t>(index)]; }
    void SetLayersCurrent(int32_t index);
    // Index -1: every layer.
    void BakeLayerSizes(int32_t index);
    void CropLayerBorders(int32_t index);
    void BakeLayerRotations(int32_t index);
    bool LayerRotateAntialias = false;
    uint8_t LayerRotateQuality = 0;
    bool LegacyBitmap() const { return legacyBitmap_; }

    // ---- Events ----
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
    bool Selected() const override { return false; }
    TQkMask& SelectionMask() override { return selectionMask_; }
    const TPoint* GetSelectionPolygon() const override { return nullptr; }
    int32_t GetSelectionPolygonCount() const override { return 0; }
    int32_t GetLayerCount() const override { return static_cast<int32_t>(layers_.size()); }
    IQkLayer* GetLayer(int32_t index) override { return layers_[static_cast<size_t>(index)].get(); }
    void SaveSelectionToStream(TMemoryStream&) override {}
    bool LoadSelectionFromStream(TStream&, bool) override { return false; }
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
    void DoViewChanging(int32_t change, double newValue);
    void DoViewChange(int32_t change);

private:
    // ---- Layout (BrelvixViewLayout.cpp) ----
    bool LayoutAllowed() const;
    void RunLayout();
    void SyncLayers();
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
    void PaintImage(TBitmap& buffer);

    TQkViewGeometry geometry_;
    std::vector<std::unique_ptr<TQkLayer>> layers_;
    int32_t currentLayer_ = 0;
    bool legacyBitmap_ = true;
    // The current image's own TBitmap while legacy mode is on.
    TBitmap* legacyTBitmap_ = nullptr;
    TQkMask selectionMask_;
    TQkBackgroundOptions background_;
    std::unique_ptr<TPicture> wallPaper_;
    std::unique_ptr<TBitmap> backBuffer_;
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
