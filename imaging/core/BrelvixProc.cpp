#include "imaging/core/BrelvixProc.h"

#include "imaging/core/QkResample.h"
#include "imaging/core/QkRotate.h"

#include "platform/core/Strings.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Image.h"

#include <algorithm>
#include <array>

namespace {

// Bytes a layer record starts with: its size and its identifier.
constexpr int64_t LayerRecordHead = 4 + 16;

uint32_t PackedBackground(TColor color)
{
    const TRGBPixel pixel = ColorToRGBPixel(color);
    return (uint32_t(pixel.r) << 16) | (uint32_t(pixel.g) << 8) | pixel.b;
}

} // namespace

TBrelvixProc::TBrelvixProc(TComponent* owner)
    : TComponent(owner), FAutoUndo(owner != nullptr), FPreviewFont(std::make_unique<TFont>())
{
    TakeOwnEmptyBitmap();
}

TBrelvixProc::~TBrelvixProc()
{
    UnregisterFromView();
    ClearUndoStack();
    ClearRedoStack();
}

// ---- Attachment ----

// A borrowed bitmap (or none): the caller keeps it.
void TBrelvixProc::SetWorkBitmap(TQkBitmap* bitmap)
{
    FLegacyBitmap = nullptr;
    FOwnedBitmap.reset();
    FWorkBitmap = bitmap;
}

void TBrelvixProc::TakeOwnEmptyBitmap()
{
    FLegacyBitmap = nullptr;
    FOwnedBitmap = std::make_unique<TQkBitmap>();
    FWorkBitmap = FOwnedBitmap.get();
}

void TBrelvixProc::UnregisterFromView()
{
    if (FAttachedView && FViewRegistration != 0)
        FAttachedView->UnregisterBitmapChangeHandler(FViewRegistration);
    FViewRegistration = 0;
}

// The view is going: its bitmap must not be used any more.
void TBrelvixProc::ForgetView()
{
    FViewRegistration = 0;
    FAttachedView = nullptr;
    TakeOwnEmptyBitmap();
}

void TBrelvixProc::AttachBitmap(TQkBitmap* bitmap)
{
    UnregisterFromView();
    if (!bitmap && (FAttachedView || FAttachedTImage))
        return;
    SetWorkBitmap(bitmap);
    if (!bitmap)
        return;
    if (FAttachedView) {
        FAttachedView->RemoveFreeNotification(this);
        FAttachedView = nullptr;
    }
    if (FAttachedTImage) {
        FAttachedTImage->RemoveFreeNotification(this);
        FAttachedTImage = nullptr;
    }
}

void TBrelvixProc::SetAttachedBrelvix(TQkView* view)
{
    UnregisterFromView();
    if (FAttachedView && FAttachedView != view)
        FAttachedView->RemoveFreeNotification(this);
    if (FAttachedTImage) {
        FAttachedTImage->RemoveFreeNotification(this);
        FAttachedTImage = nullptr;
    }
    FAttachedView = view;
    if (!view) {
        TakeOwnEmptyBitmap();
        return;
    }
    if (TQkBitmap* bitmap = view->GetImageBitmap()) {
        SetWorkBitmap(bitmap);
    } else {
        TakeOwnEmptyBitmap();
        FLegacyBitmap = view->GetLegacyBitmap();
        WrapLegacyBitmap(true);
    }
    view->FreeNotification(this);
    FViewRegistration = view->RegisterBitmapChangeHandler(
        [this](TObject* sender, bool destroying) { ViewBitmapChanged(sender, destroying); });
}

// The control's bitmap is wrapped in a work bitmap of our own: wrapping a
// view's or the caller's bitmap would change an image that is not ours.
void TBrelvixProc::SetAttachedTImage(TImage* image)
{
    if (!image) {
        DetachTImage();
        return;
    }
    UnregisterFromView();
    if (FAttachedView) {
        FAttachedView->RemoveFreeNotification(this);
        FAttachedView = nullptr;
    }
    if (FAttachedTImage && FAttachedTImage != image)
        FAttachedTImage->RemoveFreeNotification(this);
    if (!FOwnedBitmap)
        TakeOwnEmptyBitmap();
    FAttachedTImage = image;
    WrapLegacyBitmap(true);
    image->FreeNotification(this);
}

// Only an attached control is let go: a nil with none attached (as the
// form reader may set) must not free a view's or the caller's image.
void TBrelvixProc::DetachTImage()
{
    if (!FAttachedTImage)
        return;
    FAttachedTImage->RemoveFreeNotification(this);
    ForgetTImage();
}

// The control is going (or let go): its bitmap must not be used any more.
void TBrelvixProc::ForgetTImage()
{
    FAttachedTImage = nullptr;
    FLegacyBitmap = nullptr;
    if (FWorkBitmap)
        FWorkBitmap->FreeImage(true);
}

// The picture may hold a new bitmap since the last operation (a file was
// loaded into it), so the control's bitmap is fetched again each time.
void TBrelvixProc::WrapLegacyBitmap(bool freeFirst)
{
    if (FAttachedTImage)
        FLegacyBitmap = FAttachedTImage->Picture()->Bitmap();
    if (FLegacyBitmap && FWorkBitmap)
        FWorkBitmap->EncapsulateTBitmap(FLegacyBitmap, freeFirst);
}

void TBrelvixProc::ViewBitmapChanged(TObject*, bool destroying)
{
    if (destroying) {
        ForgetView();
        return;
    }
    if (!FAttachedView)
        return;
    if (!FLegacyBitmap) {
        SetWorkBitmap(FAttachedView->GetImageBitmap());
        return;
    }
    FLegacyBitmap = FAttachedView->GetLegacyBitmap();
    if (FOwnedBitmap)
        FWorkBitmap->EncapsulateTBitmap(FLegacyBitmap, true);
}

void TBrelvixProc::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FAttachedView)
        ForgetView();
    else if (component == FAttachedTImage)
        ForgetTImage();
}

TColor TBrelvixProc::Background() const { return FAttachedView ? FAttachedView->Background() : FOwnBackground; }

void TBrelvixProc::SetBackground(TColor value)
{
    if (FAttachedView)
        FAttachedView->SetBackground(value);
    else
        FOwnBackground = value;
}

void TBrelvixProc::SetPreviewFont(TFont* value)
{
    if (value)
        FPreviewFont->Assign(value);
}

IBrelvixView* TBrelvixProc::AttachedImageView() const
{
    return FAttachedView ? FAttachedView->AsBrelvixView() : nullptr;
}

IBrelvixVect* TBrelvixProc::AttachedVectorView() const
{
    return FAttachedView ? FAttachedView->AsBrelvixVect() : nullptr;
}

// ---- Services ----

bool TBrelvixProc::PrepareBitmap(TQkPixelFormatSet allowed)
{
    if (!FWorkBitmap)
        return false;
    WrapLegacyBitmap(false);
    return PrepareFormat(allowed);
}

namespace {

// The formats an image of each format is converted to first, in order:
// those that lose the least.
using TFormatPreferences = std::array<TQkPixelFormat, 7>;
constexpr std::array<TFormatPreferences, QkPixelFormatCount> FormatPreferences = {{
    {},
    {qk8g, qk16g, qk32f, qk24RGB},
    {qk24RGB, qkCMYK, qkRGB48, qkCIELab},
    {qk16g, qk32f, qk24RGB, qkCMYK, qkRGB48},
    {qk32f, qk8g, qkRGB48, qk24RGB, qkCMYK},
    {qkCMYK, qkCIELab, qkRGB48, qk8p, qk16g, qk8g},
    {qk16g, qk8g, qk24RGB, qkRGB48, qkCIELab},
    {qk24RGB, qkRGB48, qkCIELab, qk8g},
    {qk24RGB, qkCMYK, qkCIELab, qk16g},
    {qk24RGB, qkCMYK, qkRGB48, qk8g},
    {qk24RGB, qkCMYK, qkRGB48, qk8g},
}};

} // namespace

bool TBrelvixProc::PrepareFormat(TQkPixelFormatSet allowed)
{
    const TQkPixelFormat current = FWorkBitmap->GetPixelFormat();
    if (allowed.Empty() || allowed.Contains(current))
        return true;
    if (!FAutoConvertFormat)
        return false;
    for (TQkPixelFormat candidate : FormatPreferences[current])
        if (candidate != qkNone && allowed.Contains(candidate))
            return FWorkBitmap->SetPixelFormat(candidate);
    for (int format = QkPixelFormatCount - 1; format >= 0; --format)
        if (allowed.Contains(static_cast<TQkPixelFormat>(format)))
            return FWorkBitmap->SetPixelFormat(static_cast<TQkPixelFormat>(format));
    return false;
}

void TBrelvixProc::NotifyImageChanged()
{
    if (FLegacyBitmap && FWorkBitmap)
        FWorkBitmap->RemoveAlphaChannel(false, clBlack);
    if (FAttachedView) {
        FAttachedView->Update();
        FAttachedView->DoImageChange();
    } else if (FLegacyBitmap) {
        FLegacyBitmap->SetModified(true);
    }
}

bool TBrelvixProc::GetWorkRegion(TRect& rect, TQkMask*& mask, const TPoint*& polygon, int32_t& polygonCount)
{
    WrapLegacyBitmap(false);
    rect = FWorkBitmap ? TRect{0, 0, FWorkBitmap->GetWidth(), FWorkBitmap->GetHeight()} : TRect{};
    mask = nullptr;
    polygon = nullptr;
    polygonCount = 0;
    IBrelvixView* view = AttachedImageView();
    if (!view)
        return false;
    mask = &view->SelectionMask();
    if (!view->Selected())
        return false;
    polygon = view->GetSelectionPolygon();
    polygonCount = view->GetSelectionPolygonCount();
    return true;
}

void TBrelvixProc::DoFinishWork()
{
    if (OnProgress)
        OnProgress(this, 100);
    if (OnFinishWork)
        OnFinishWork(this);
}

// ---- Operations ----

void TBrelvixProc::Resample(int32_t newWidth, int32_t newHeight, TResampleFilter filter)
{
    if (!PrepareBitmap({}))
        return;
    const int32_t width = FWorkBitmap->GetWidth();
    const int32_t height = FWorkBitmap->GetHeight();
    if (width == 0 || height == 0 || (newWidth < 0 && newHeight < 0) || (newWidth == width && newHeight == height))
        return;
    if (FAutoUndo)
        SaveUndoWithCaption(Format("Resample %d, %d", newWidth, newHeight), qkuImage);
    TQkBitmap resampled;
    resampled.SetLocation(FWorkBitmap->TakeOverLocation());
    ResampleTo(resampled, newWidth, newHeight, filter);
    FWorkBitmap->TakeOver(resampled);
    NotifyImageChanged();
    DoFinishWork();
}

void TBrelvixProc::ResampleTo(TQkBitmap& destination, int32_t newWidth, int32_t newHeight, TResampleFilter filter)
{
    if (!PrepareBitmap({}))
        return;
    TQkResampleSize size;
    if (!ResampleTargetSize(FWorkBitmap->GetWidth(), FWorkBitmap->GetHeight(), newWidth, newHeight, size))
        return;
    if (&destination == FWorkBitmap) {
        TQkBitmap resampled;
        resampled.SetLocation(destination.TakeOverLocation());
        ResampleTo(resampled, newWidth, newHeight, filter);
        destination.TakeOver(resampled);
        return;
    }
    destination.Allocate(size.Width, size.Height, FWorkBitmap->GetPixelFormat());
    ResampleBitmap(*FWorkBitmap, destination, filter, this, OnProgress);
    DoFinishWork();
}

void TBrelvixProc::Rotate(double angle, bool antialias, uint8_t mode, TColor background)
{
    if (angle == 0 || !PrepareBitmap({}))
        return;
    if (FAutoUndo)
        SaveUndoWithCaption(Format("Rotate %.2f", angle), qkuImage);
    if (background == static_cast<TColor>(-1))
        background = Background();
    std::unique_ptr<TQkBitmap> alpha;
    if (FWorkBitmap->HasAlphaChannel()) {
        alpha = std::make_unique<TQkBitmap>();
        alpha->Assign(FWorkBitmap->GetAlphaChannel());
    }
    const TQkPixelFormat format = FWorkBitmap->GetPixelFormat();
    if (!antialias || (format != qk24RGB && format != qk1g)) {
        if (alpha)
            RotateBitmap(*alpha, 0, nullptr, TQkProgressEvent(), angle);
        RotateBitmap(*FWorkBitmap, background, this, OnProgress, angle);
    } else if ((mode == 1 || mode == 2) && !IsMultipleOf90(angle) && format == qk24RGB) {
        if (alpha)
            RotateGrayInterpolated(*alpha, 0, mode, angle);
        RotateRGBInterpolated(*FWorkBitmap, background, mode, this, OnProgress, angle);
    } else {
        // Modes beyond 2 name no interpolation: they take the shears of mode 0.
        if (alpha && format == qk1g)
            RotateGrayNearest(*alpha, 0, angle);
        else if (alpha)
            RotateGrayByShear(*alpha, antialias, 0, this, OnProgress, angle);
        RotateByShear(*FWorkBitmap, antialias, this, OnProgress, PackedBackground(background), angle);
    }
    if (alpha)
        FWorkBitmap->AttachAlphaChannel(std::move(alpha));
    NotifyImageChanged();
    DoFinishWork();
}

// ---- Undo and redo ----

const TBrelvixProc::TUndoEntry* TBrelvixProc::EntryAt(const TUndoStack& stack, int32_t position)
{
    if (position < 0 || position >= static_cast<int32_t>(stack.size()))
        return nullptr;
    return &stack[stack.size() - 1 - position];
}

std::string TBrelvixProc::GetUndoCaption(int32_t position) const
{
    const TUndoEntry* entry = EntryAt(FUndo, position);
    return entry ? entry->Caption : std::string();
}

std::string TBrelvixProc::GetRedoCaption(int32_t position) const
{
    const TUndoEntry* entry = EntryAt(FRedo, position);
    return entry ? entry->Caption : std::string();
}

TQkUndoSource TBrelvixProc::GetUndoSource(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(FUndo.size()))
        return qkuUnknown;
    return FUndo[index].Source;
}

TQkBitmap* TBrelvixProc::GetUndoImage(int32_t position) const
{
    const TUndoEntry* entry = EntryAt(FUndo, position);
    return entry ? entry->Image.get() : nullptr;
}

// Fills a new entry; false when there is nothing to save (an image under
// 2 x 2 pixels, or no view of the kind the source needs).
bool TBrelvixProc::MakeEntry(TUndoEntry& entry, TQkUndoSource source, std::unique_ptr<TQkBitmap> reusable)
{
    IBrelvixView* view = AttachedImageView();
    IBrelvixVect* vect = AttachedVectorView();
    entry.Source = source;
    switch (source) {
    case qkuImage:
        entry.Image = reusable ? std::move(reusable) : std::make_unique<TQkBitmap>();
        entry.Image->SetMemoryThreshold(0);
        entry.Image->SetLocation(FUndoLocation);
        entry.Image->Assign(FWorkBitmap);
        entry.LayerIndex = view ? view->LayersCurrent() : -1;
        return true;
    case qkuSelection:
        if (!view)
            return false;
        entry.Stream = std::make_unique<TMemoryStream>();
        view->SaveSelectionToStream(*entry.Stream);
        return true;
    case qkuObject:
        if (!vect)
            return false;
        entry.Stream = std::make_unique<TMemoryStream>();
        vect->SaveObjectsToStream(*entry.Stream);
        return true;
    case qkuLayer:
    case qkuFullLayer:
        if (!view)
            return false;
        entry.Stream = std::make_unique<TMemoryStream>();
        for (int32_t i = 0; i < view->GetLayerCount(); ++i)
            view->GetLayer(i)->SaveToStream(*entry.Stream, source == qkuFullLayer && i == view->LayersCurrent());
        return true;
    case qkuObjectsAndLayers:
        if (!vect && !view)
            return false;
        entry.Stream = std::make_unique<TMemoryStream>();
        if (vect)
            vect->SaveAllToStream(*entry.Stream, -1);
        else
            view->SaveLayersToStream(*entry.Stream, -2);
        return true;
    case qkuUnknown: break;
    }
    return false;
}

// False when nothing at all happens (no event either).
bool TBrelvixProc::Save(TUndoStack& stack, TQkUndoSource source)
{
    const int32_t limit = EffectiveUndoLimit();
    if (limit == 0)
        return false;
    if (source == qkuImage) {
        if (!PrepareBitmap({}))
            return false;
        if (FWorkBitmap->GetWidth() < 2 || FWorkBitmap->GetHeight() < 2)
            return true;
    }
    // The entries the limit pushes out go first, so that the image copy of
    // the last one can take the new image.
    std::unique_ptr<TQkBitmap> reusable;
    while (static_cast<int32_t>(stack.size()) >= limit) {
        if (stack.front().Image)
            reusable = std::move(stack.front().Image);
        stack.erase(stack.begin());
    }
    TUndoEntry entry;
    if (MakeEntry(entry, source, std::move(reusable))) {
        stack.push_back(std::move(entry));
        ++FPushCount;
    }
    return true;
}

void TBrelvixProc::SaveUndo(TQkUndoSource source)
{
    if (Save(FUndo, source) && OnSaveUndo)
        OnSaveUndo(this, source);
}

void TBrelvixProc::SaveRedo(TQkUndoSource source) { Save(FRedo, source); }

bool TBrelvixProc::SaveWithCaption(TUndoStack& stack, const std::string& caption, TQkUndoSource source)
{
    if (!PrepareBitmap({}) || FWorkBitmap->GetWidth() < 2 || FWorkBitmap->GetHeight() < 2)
        return false;
    const uint64_t pushesBefore = FPushCount;
    if (&stack == &FUndo)
        SaveUndo(source);
    else
        SaveRedo(source);
    if (FPushCount == pushesBefore || stack.empty())
        return false;
    stack.back().Caption = caption;
    return true;
}

void TBrelvixProc::SaveUndoWithCaption(const std::string& caption, TQkUndoSource source)
{
    SaveWithCaption(FUndo, caption, source);
}

void TBrelvixProc::SaveRedoWithCaption(const std::string& caption, TQkUndoSource source)
{
    SaveWithCaption(FRedo, caption, source);
}

void TBrelvixProc::DropLastUndo()
{
    if (!FUndo.empty())
        FUndo.pop_back();
}

void TBrelvixProc::DropLastRedo()
{
    if (!FRedo.empty())
        FRedo.pop_back();
}

void TBrelvixProc::DeleteUndoAt(int32_t position)
{
    if (EntryAt(FUndo, position))
        FUndo.erase(FUndo.end() - 1 - position);
}

void TBrelvixProc::ClearUndoStack() { FUndo.clear(); }

void TBrelvixProc::ClearRedoStack() { FRedo.clear(); }

void TBrelvixProc::Undo(bool saveRedo) { UndoFrom(0, saveRedo); }

void TBrelvixProc::UndoFrom(int32_t position, bool saveRedo)
{
    if (!PrepareBitmap({}) || !EntryAt(FUndo, position))
        return;
    TUndoEntry& entry = FUndo[FUndo.size() - 1 - position];
    if (saveRedo)
        SaveRedo(entry.Source);
    Restore(entry);
}

void TBrelvixProc::Redo() { RedoFrom(0); }

void TBrelvixProc::RedoFrom(int32_t position)
{
    if (!PrepareBitmap({}) || !EntryAt(FRedo, position))
        return;
    Restore(FRedo[FRedo.size() - 1 - position]);
}

void TBrelvixProc::Restore(TUndoEntry& entry)
{
    IBrelvixView* view = AttachedImageView();
    IBrelvixVect* vect = AttachedVectorView();
    if (entry.Source == qkuImage) {
        if (!entry.Image)
            return;
        if (view && entry.LayerIndex >= 0 && view->GetLayerCount() > 0) {
            const int32_t index = std::min(entry.LayerIndex, view->GetLayerCount() - 1);
            view->GetLayer(index)->Bitmap()->Assign(entry.Image.get());
        } else {
            FWorkBitmap->Assign(entry.Image.get());
        }
        NotifyImageChanged();
        return;
    }
    if (!entry.Stream)
        return;
    entry.Stream->SetPosition(0);
    switch (entry.Source) {
    case qkuSelection:
        if (view)
            view->LoadSelectionFromStream(*entry.Stream, true);
        break;
    case qkuObject:
        if (vect)
            vect->LoadObjectsFromStream(*entry.Stream);
        break;
    case qkuLayer:
    case qkuFullLayer:
        if (view)
            RestoreLayers(*entry.Stream);
        break;
    case qkuObjectsAndLayers:
        if (vect)
            vect->LoadAllFromStream(*entry.Stream);
        else if (view)
            view->LoadLayersFromStream(*entry.Stream);
        break;
    default: break;
    }
}

// Each layer record goes back to the layer with its identifier; records
// of layers that are gone are skipped by their length.
void TBrelvixProc::RestoreLayers(TMemoryStream& stream)
{
    IBrelvixView& view = *AttachedImageView();
    while (stream.Size() - stream.Position() >= LayerRecordHead) {
        const int64_t start = stream.Position();
        uint8_t head[LayerRecordHead];
        stream.ReadBuffer(head, LayerRecordHead);
        const uint32_t length = head[0] | (head[1] << 8) | (head[2] << 16) | (uint32_t(head[3]) << 24);
        if (length < LayerRecordHead || start + length > stream.Size())
            break;
        TQkGUID identifier;
        std::copy(head + 4, head + LayerRecordHead, identifier.begin());
        IQkLayer* match = nullptr;
        for (int32_t i = 0; i < view.GetLayerCount() && !match; ++i)
            if (view.GetLayer(i)->Identifier() == identifier)
                match = view.GetLayer(i);
        stream.SetPosition(start);
        if (match)
            match->LoadFromStream(stream);
        if (stream.Position() <= start || !match)
            stream.SetPosition(start + length);
    }
    FAttachedView->Update();
}
