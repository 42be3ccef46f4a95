#pragma once
// What the image parameters ask of the input/output component that owns
// them: the image it shows and the view attached to it.

#include <cstdint>

class TBitmap;

class IBrelvixIO {
public:
    virtual ~IBrelvixIO() = default;
    // The class-library bitmap behind the component's image; nil when none.
    virtual TBitmap* GetTBitmap() = 0;
    // Sets the attached view's resolution without repainting it; nothing
    // when no view is attached.
    virtual void SetViewDpiX(int32_t dpi) = 0;
    virtual void SetViewDpiY(int32_t dpi) = 0;
};
