#pragma once
// The anti-aliased label: its caption drawn through the anti-aliased text
// engine with every effect, over an optional background picture, with
// alignment, layout and auto-size. An opaque label renders into an
// off-screen bitmap when something changes and copies it when painted; a
// transparent label renders over its parent's background while painting.

#include "controls/aa/AAGraphicControl.h"
#include "controls/aa/TextPlacement.h"

#include <memory>

class TAALabel;

// The label's settings besides the engine's own effect.
class TCustomParam : public TNotifyClass {
public:
    TCustomParam(TAALabel* label, TNotifyEvent onChange);

    TAALabel* Label() const { return FLabel; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { Store(FAlignment, value); }
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value) { Store(FLayout, value); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { Store(FTransparent, value); }
    TPicture* BackGround() const { return FBackGround.get(); }
    void SetBackGround(const TPicture* value) { FBackGround->Assign(value); }
    TBackGroundMode BackGroundMode() const { return FBackGroundMode; }
    void SetBackGroundMode(TBackGroundMode value) { Store(FBackGroundMode, value); }
    // No graphic, or an empty one.
    bool BackGroundEmpty() const;

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TAALabel* FLabel;
    TAlignment FAlignment = taLeftJustify;
    uint8_t FReserved = 0;
    bool FTransparent = false;
    TTextLayout FLayout = tlTop;
    std::unique_ptr<TPicture> FBackGround;
    TBackGroundMode FBackGroundMode = bmCenter;
};

// The published Effect of the label.
class TAAFontEffect : public TCustomParam {
public:
    using TCustomParam::TCustomParam;

    TAAQuality Quality() const;
    void SetQuality(TAAQuality value);
    // The drawer's own effect; setting it assigns.
    TAAEffect* FontEffect() const;
    void SetFontEffect(const TAAEffect* value);
    // The label's Color.
    TColor BackColor() const;
    void SetBackColor(TColor value);

    using TPersistent::Assign;
    // Also takes the other label's quality and engine effect.
    void Assign(const TPersistent* source) override;
};

class TAALabel : public TAAGraphicControl {
public:
    explicit TAALabel(TComponent* owner);
    ~TAALabel() override;

    TAAFontEffect* Effect() const { return FEffect.get(); }
    void SetEffect(const TAAFontEffect* value) { FEffect->Assign(value); }
    // The off-screen image of an opaque label.
    TBitmap* Bitmap() const { return FBitmap.get(); }

    void RenderToBitmap();
    void RenderDirect();

protected:
    void DisplayHook() override;
    void InvalidateDisplay() override;

private:
    // Fits the size to the text when AutoSize asks for it and answers where
    // the text's top-left corner goes.
    TPoint MeasureAndPlace();

    std::unique_ptr<TAAFontEffect> FEffect;
    std::unique_ptr<TBitmap> FBitmap;
};

// Registers the published properties of the anti-aliased label and its
// settings objects, for form resources (once; later calls do nothing).
void RegisterAAControls();
