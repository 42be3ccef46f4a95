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

    // Input injected through the headless backend, each followed by a pump.
    TPoint At(TControl& control, int32_t x, int32_t y) const { return control.ClientToScreen({x, y}); }
    void ClickAt(TControl& control, int32_t x, int32_t y)
    {
        backend.Click(At(control, x, y));
        Pump();
    }
    void Focus(TWinControl& control)
    {
        control.SetFocus();
        Pump();
    }
    // `key` pressed while the `modifiers` are held down.
    void Press(uint16_t key, const std::vector<uint16_t>& modifiers = {})
    {
        for (uint16_t m : modifiers)
            backend.KeyDown(m);
        backend.PressKey(key);
        for (uint16_t m : modifiers)
            backend.KeyUp(m);
        Pump();
    }
    void Type(const std::string& text)
    {
        backend.TypeText(text);
        Pump();
    }
    // Advances the test clock, so that timers due by then fire.
    void Wait(int64_t ms)
    {
        backend.TestClock().AdvanceMs(ms);
        Pump();
    }
    size_t Beeps() const { return backend.Beeps().size(); }

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
