#pragma once
// Lists of equally sized images with transparency, drawn enabled or greyed,
// with change links that tell the controls using a list about changes.

#include "platform/core/Components.h"
#include "platform/gfx/Bitmap.h"

#include <memory>
#include <vector>

class TCustomImageList;

class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    // Leaves the list it is registered with.
    ~TChangeLink() override;

    TCustomImageList* Sender() const { return FSender; }
    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    // A size change empties the list.
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t value);
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t value);
    int32_t Count() const { return static_cast<int32_t>(FImages.size()); }
    // Without masking every image is drawn opaque.
    bool Masked() const { return FMasked; }
    void SetMasked(bool value);
    // Painted under transparent pixels unless clNone.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor value);

    // Adds the image cut into Width-wide pieces (at least one) and returns
    // the index of the first. Where the monochrome mask is 1 the image is
    // transparent; without a mask a 32-bit image with any alpha keeps its
    // (straight) alpha, and other images are opaque.
    int32_t Add(const TBitmap* image, const TBitmap* mask);
    // The pixels of `maskColor` become transparent (clDefault: the colour of
    // the image's bottom-left pixel).
    int32_t AddMasked(const TBitmap* image, TColor maskColor);
    // An index out of range raises EInvalidOperation "Image list index out of bounds (%d)".
    void Delete(int32_t index);
    void Clear();

    // Enabled images are blended onto the canvas; disabled ones show their
    // shape embossed: button highlight one pixel down and right, button
    // shadow on top.
    void Draw(TCanvas* canvas, int32_t x, int32_t y, int32_t index, bool enabled = true);
    // The image as a 32-bit premultiplied bitmap of Width x Height.
    void GetBitmap(int32_t index, TBitmap* image) const;

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    TNotifyEvent OnChange;

protected:
    void Change();

private:
    const TBitmap& ImageAt(int32_t index) const;
    int32_t AddPieces(const TBitmap& image,
                      const std::function<uint32_t(int32_t x, int32_t y, uint32_t alpha)>& alphaOf);

    int32_t FWidth = 16;
    int32_t FHeight = 16;
    bool FMasked = true;
    TColor FBkColor = clNone;
    std::vector<std::unique_ptr<TBitmap>> FImages; // pf32bit, premultiplied
    std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
};
