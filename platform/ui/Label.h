#pragma once
// TLabel: a caption drawn straight onto the parent, with no window of its own.
// It sizes itself to its text by default and can leave the parent's
// background showing through.

#include <string>

#include "platform/ui/Alignment.h"
#include "platform/ui/Controls.h"

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Leaves the parent's background under the text instead of filling with Color.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // "&x" underlines x and "&&" shows "&"; off, the caption shows as it stands.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);

    // The size of the caption in the label's font, as AutoSize takes it.
    TSize TextExtent();

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    bool CanAutoSize(int32_t& newWidth, int32_t& newHeight) override;

private:
    uint32_t TextFormat() const;
    void DrawCaption(TCanvas& canvas, TRect rect, TColor color);

    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool showAccelChar_ = true;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};
