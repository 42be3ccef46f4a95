#pragma once
// Shared fixture: a headless desktop with the window system installed, and
// small recording controls.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/WindowSystem.h"

class UiTest : public ::testing::Test {
protected:
    void Pump() { desktop.Pump(); }

    // A shown borderless form at (left, top) with the given client size.
    std::unique_ptr<TForm> MakeForm(int32_t left = 100, int32_t top = 100, int32_t width = 200, int32_t height = 150)
    {
        auto form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(left, top, width, height);
        return form;
    }

    // RGB of a pixel of a top-level window's backing store (0x00BBGGRR).
    static TColor StorePixel(TWinControl& top, int32_t x, int32_t y) { return THeadlessDesktop::PixelOf(top, x, y); }

    THeadlessDesktop desktop;
    THeadlessBackend& backend = desktop.Backend();
};

// Records every message id it sees, by name where the tests care.
class TRecordingControl : public TCustomControl {
public:
    explicit TRecordingControl(TComponent* owner, std::vector<std::string>* log = nullptr, std::string name = "")
        : TCustomControl(owner), log_(log), tagName_(std::move(name))
    {
        SetTabStop(true);
    }
    TColor PaintColor = clRed;
    LRESULT DialogCode = 0;

protected:
    void Paint() override
    {
        Note("paint");
        Canvas()->Brush()->SetColor(PaintColor);
        Canvas()->FillRect(ClientRect());
    }
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case WM_ERASEBKGND: Note("erase"); break;
        case CM_ENTER: Note("enter"); break;
        case CM_EXIT: Note("exit"); break;
        case CM_MOUSEENTER: Note("mouseenter"); break;
        case CM_MOUSELEAVE: Note("mouseleave"); break;
        case WM_SETFOCUS: Note("setfocus"); break;
        case WM_KILLFOCUS: Note("killfocus"); break;
        case WM_GETDLGCODE: message.Result = DialogCode; return;
        default: break;
        }
        TCustomControl::Dispatch(message);
    }
    void KeyDown(uint16_t& key, TShiftState shift) override
    {
        Note("keydown:" + std::to_string(key));
        TCustomControl::KeyDown(key, shift);
    }
    void KeyPress(char32_t& key) override
    {
        Note("char:" + std::string(1, static_cast<char>(key)));
        TCustomControl::KeyPress(key);
    }

private:
    void Note(const std::string& what)
    {
        if (log_)
            log_->push_back(tagName_.empty() ? what : tagName_ + "." + what);
    }
    std::vector<std::string>* log_;
    std::string tagName_;
};
