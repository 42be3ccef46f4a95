#pragma once
// The window-less base of the anti-aliased controls: it holds the text
// drawer and decides when to render again. Nothing renders before the
// control is loaded (or first painted); afterwards every change of what
// the control shows asks for a rebuild.

#include "controls/aa/AAFont.h"

#include "platform/ui/Controls.h"

#include <memory>

enum TBackGroundMode { bmTiled, bmStretched, bmCenter, bmNormal };

class TAAGraphicControl;

// A property object that reaches into its control.
class TPackParam : public TPersistent {
public:
    explicit TPackParam(TAAGraphicControl* control) : FControl(control) {}
    TAAGraphicControl* Control() const { return FControl; }

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TAAGraphicControl* FControl;
};

// The control's parent-following flags, grouped.
class TParentEffect : public TPackParam {
public:
    using TPackParam::TPackParam;

    bool ParentColor() const;
    void SetParentColor(bool value);
    bool ParentFont() const;
    void SetParentFont(bool value);
    bool ParentShowHint() const;
    void SetParentShowHint(bool value);

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;
};

class TAAGraphicControl : public TGraphicControl {
public:
    explicit TAAGraphicControl(TComponent* owner);
    ~TAAGraphicControl() override;

    TParentEffect* ParentEffect() const { return FParentEffect.get(); }
    TAAFontEx* Drawer() const { return FDrawer.get(); }
    bool AutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool value) { FAutoUpdate = value; }
    int32_t Border() const { return FBorder; }
    void SetBorder(int32_t value);
    void SetAutoSize(bool value) override;

    void Loaded() override;
    void WndProc(TMessage& message) override;

    // Fills the rectangle with the canvas brush, then places the graphic.
    static void DrawBackground(TCanvas& canvas, const TRect& rect, TBackGroundMode mode, TGraphic* graphic);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // The paint proper.
    virtual void DisplayHook() {}
    virtual void RebuildDisplay() { RequestRebuild(); }
    virtual void InvalidateDisplay() { Invalidate(); }
    void RequestRebuild();
    void EffectChanged(TObject*) { RequestRebuild(); }
    bool LoadedFlag() const { return FLoadedFlag; }

    void Paint() override;
    void Resize() override;

private:
    bool Busy() const;

    std::unique_ptr<TParentEffect> FParentEffect;
    // The drawer's canvas when no rendering has chosen one yet.
    std::unique_ptr<TBitmap> FMeasureBitmap;
    std::unique_ptr<TAAFontEx> FDrawer;
    bool FAutoUpdate = true;
    bool FLoadedFlag = false;
    bool FPainting = false;
    int32_t FBorder = 0;
    int32_t FLastWidth = 0;
    int32_t FLastHeight = 0;
};
