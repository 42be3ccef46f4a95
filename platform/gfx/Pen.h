#pragma once

#include "platform/gfx/Colors.h"
#include "platform/gfx/GraphicsObject.h"

#include <cstdint>

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// Pen mix modes; each maps to one binary raster operation (R2_ code).
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Update(FColor, value); }
    // Widths below 1 draw as 1, widths above 4096 as 4096.
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t value) { Update(FWidth, value); }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value) { Update(FStyle, value); }
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode value) { Update(FMode, value); }

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = clBlack;
    int32_t FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};
