#pragma once
// The format parameters preview dialog as the input/output component drives
// it. The dialog lives with the views; until it registers its factory the
// component has no dialog to show.

#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/core/QkWordTable.h"
#include "platform/core/Set.h"

class TComponent;
class TFont;
class TForm;
class TIOParamsVals;
class TQkBitmap;

enum TIOPreviewsParam : uint8_t { ioppDefaultLockPreview, ioppApplyButton };
using TIOPreviewsParams = TSet<TIOPreviewsParam>;

class IQkIOPreviewsDialog {
public:
    virtual ~IQkIOPreviewsDialog() = default;

    virtual void SetDefaultLockPreview(bool value) = 0;
    virtual void SetApplyButtonVisible(bool value) = 0;
    // The dialog edits this object itself on OK and Apply.
    virtual void SetIOParams(TIOParamsVals* params) = 0;
    virtual void SetSimplified(bool value) = 0;
    virtual void SetPageControlHeight(int32_t height) = 0;
    virtual void SetFormHeight(int32_t height) = 0;
    virtual void SetBWByThreshold(bool value) = 0;
    virtual void LocalizeCaptions(TMsgLanguage language) = 0;
    // Takes a copy.
    virtual void SetFont(const TFont& font) = 0;
    // The source preview shows the bitmap (nil detaches it); the result
    // preview is emptied.
    virtual void ShowSourceBitmap(TQkBitmap* bitmap) = 0;
    // False when the page set leaves no page to show.
    virtual bool SelectPages(uint16_t pages) = 0;
    virtual TForm* Form() = 0;
    // True when the dialog was closed with OK.
    virtual bool ShowModalOk() = 0;
    // Frees the form once its pending window messages have run.
    virtual void Release() = 0;
};

using TQkIOPreviewsDialogFactory = std::function<std::unique_ptr<IQkIOPreviewsDialog>(TComponent* owner)>;

// Empty removes the factory.
void SetIOPreviewsDialogFactory(TQkIOPreviewsDialogFactory factory);
const TQkIOPreviewsDialogFactory& IOPreviewsDialogFactory();
