#pragma once

#include "platform/gfx/Colors.h"
#include "platform/gfx/GraphicsObject.h"

class TBitmap;

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    // Choosing a colour makes a clear brush solid again.
    void SetColor(TColor value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value) { Update(FStyle, value); }
    // An 8x8 pattern: the top-left 8x8 pixels of the bitmap tile the area.
    // Not owned; the caller keeps the bitmap alive while the brush uses it.
    // A pattern bitmap takes precedence over the style.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* value) { Update(FBitmap, value); }
    // The whole bitmap tiles the area, whatever its size, as a DIB pattern
    // brush does on the NT family of GDI (metafiles made there expect it).
    bool WholeBitmap() const { return FWholeBitmap; }
    void SetWholeBitmap(bool value) { Update(FWholeBitmap, value); }

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    bool FWholeBitmap = false;
};
