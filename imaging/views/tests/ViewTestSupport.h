#pragma once
// A headless desktop with the imaging library started, and an image view
// without a frame in a form, so that its client area is its whole size.

#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixView.h"
#include "platform/ui/tests/UiTestSupport.h"

// Counts the layout passes, the one a pass runs inside itself included.
class TCountingView : public TBrelvixView {
public:
    using TBrelvixView::TBrelvixView;
    void Update() override
    {
        ++Passes;
        TBrelvixView::Update();
    }
    int32_t Passes = 0;
};

class ViewTest : public UiTest {
protected:
    ViewTest()
    {
        LibraryStaticInit();
        view = new TCountingView(form.get());
        view->SetBorderStyle(bsNone);
        view->SetParent(form.get());
        view->SetBounds(0, 0, 400, 300);
    }
    ~ViewTest() override
    {
        form.reset();
        LibraryStaticFinal();
    }

    // The view's image becomes `width` x `height` of one colour.
    void SetImage(int32_t width, int32_t height, TColor colour = clWhite)
    {
        TBitmap& image = *view->GetLegacyBitmap();
        image.SetSize(width, height);
        image.Canvas()->FillSolidRect(Rect(0, 0, width, height), colour);
        view->Update();
    }
    void Show()
    {
        form->Show();
        Pump();
    }
    // A view pixel as the desktop shows it.
    TColor ViewPixel(int32_t x, int32_t y) { return StorePixel(*form, x, y); }

    std::unique_ptr<TForm> form = MakeForm(0, 0, 500, 400);
    TCountingView* view = nullptr;
};
