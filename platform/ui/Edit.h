#pragma once
// The single-line edit: TCustomEdit holds the behaviour of the window
// class (text, caret, selection, clipboard, one-step undo, horizontal
// scrolling, margins and the EM_* messages), TCustomMaskEdit is the level
// the framed edits derive from, TEdit the plain control.
//
// Positions (caret, selection, margins aside) count code points. The edit
// tells its parent of a change with WM_COMMAND EN_CHANGE, which comes back
// reflected as CN_COMMAND and fires OnChange.

#include <cstdint>
#include <string>

#include "platform/ui/BorderStyle.h"
#include "platform/ui/Controls.h"

// Edit window styles.
constexpr uint32_t ES_LEFT = 0x0000;
constexpr uint32_t ES_CENTER = 0x0001;
constexpr uint32_t ES_RIGHT = 0x0002;
constexpr uint32_t ES_MULTILINE = 0x0004;
constexpr uint32_t ES_UPPERCASE = 0x0008;
constexpr uint32_t ES_LOWERCASE = 0x0010;
constexpr uint32_t ES_PASSWORD = 0x0020;
constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr uint32_t ES_NOHIDESEL = 0x0100;
constexpr uint32_t ES_READONLY = 0x0800;

// Edit messages.
constexpr uint32_t EM_GETSEL =
    0x00B0; // WParam, LParam: int32_t* start, end (either may be null); answers MakeWParam(start, end)
constexpr uint32_t EM_SETSEL = 0x00B1; // WParam anchor (-1: deselect), LParam caret (-1: end of text)
constexpr uint32_t EM_GETRECT = 0x00B2; // LParam: TRect* receiving the formatting rectangle
constexpr uint32_t EM_SCROLLCARET = 0x00B7;
constexpr uint32_t EM_GETMODIFY = 0x00B8;
constexpr uint32_t EM_SETMODIFY = 0x00B9;
constexpr uint32_t EM_REPLACESEL = 0x00C2; // WParam: can undo; LParam: const char* UTF-8
constexpr uint32_t EM_LIMITTEXT = 0x00C5; // WParam: code points, 0 = no limit
constexpr uint32_t EM_CANUNDO = 0x00C6;
constexpr uint32_t EM_UNDO = 0x00C7;
constexpr uint32_t EM_SETPASSWORDCHAR = 0x00CC;
constexpr uint32_t EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr uint32_t EM_SETREADONLY = 0x00CF;
constexpr uint32_t EM_GETPASSWORDCHAR = 0x00D2;
constexpr uint32_t EM_SETMARGINS = 0x00D3; // WParam EC_* flags, LParam MakeWParam(left, right)
constexpr uint32_t EM_GETMARGINS = 0x00D4;
constexpr uint32_t EM_GETLIMITTEXT = 0x00D5;
constexpr uint32_t EM_POSFROMCHAR = 0x00D6; // WParam index; answers MakeWParam(x, y) in client coordinates
constexpr uint32_t EM_CHARFROMPOS = 0x00D7; // LParam MakeWParam(x, y); answers the nearest index
constexpr uint32_t EM_SETLIMITTEXT = EM_LIMITTEXT;

constexpr WPARAM EC_LEFTMARGIN = 0x0001;
constexpr WPARAM EC_RIGHTMARGIN = 0x0002;
constexpr WPARAM EC_USEFONTINFO = 0xFFFF;

// Edit notifications (high word of WM_COMMAND's WParam).
constexpr uint16_t EN_SETFOCUS = 0x0100;
constexpr uint16_t EN_KILLFOCUS = 0x0200;
constexpr uint16_t EN_CHANGE = 0x0300;
constexpr uint16_t EN_UPDATE = 0x0400;
constexpr uint16_t EN_MAXTEXT = 0x0501;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    // ---- Properties ----
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // The sunken 2-pixel client edge (with a single border); without it a
    // one-pixel line.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    // Code points; 0 means no limit.
    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t value);
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }
    char32_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t value);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool value);

    // ---- Selection and caret (code points) ----
    int32_t SelStart() const;
    void SetSelStart(int32_t value);
    int32_t SelLength() const;
    void SetSelLength(int32_t value);
    std::string SelText() const;
    // Replaces the selection (undoable), as typing would.
    void SetSelText(const std::string& value);
    // The caret's index; the selection runs from the anchor to it.
    int32_t CaretIndex() const { return caret_; }
    // Whether the blinking caret is drawn now.
    bool CaretShown() const { return focused_ && caretOn_; }
    // Left and right margins inside the client area, in pixels.
    int32_t LeftMargin() const { return leftMargin_; }
    int32_t RightMargin() const { return rightMargin_; }
    // Pixels the text is scrolled to the left.
    int32_t ScrollOffset() const { return scrollX_; }

    void SelectAll();
    void ClearSelection();
    void Clear();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const { return undo_.Valid; }
    void Undo();
    void ClearUndo() { undo_ = {}; }

    TNotifyEvent OnChange;

    // Milliseconds between caret on and off.
    static constexpr uint32_t CaretBlinkMs = 530;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& message) override;
    // The behaviour of the edit window itself, reached by what the class
    // layers leave unhandled.
    void DefaultHandler(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    virtual void Change();

private:
    struct TUndoStep {
        bool Valid = false;
        std::u32string Text;
        int32_t Anchor = 0;
        int32_t Caret = 0;
    };

    // Text and selection.
    int32_t Length() const { return static_cast<int32_t>(chars_.size()); }
    int32_t SelLow() const { return anchor_ < caret_ ? anchor_ : caret_; }
    int32_t SelHigh() const { return anchor_ < caret_ ? caret_ : anchor_; }
    void SetSelection(int32_t anchor, int32_t caret);
    void ReplaceSelection(std::u32string text, bool undoable);
    void StoreText();
    std::u32string ApplyCharCase(std::u32string text) const;
    void NotifyParent(uint16_t code);
    bool RefuseChange();

    // Native message handling.
    bool HandleEditMessage(TMessage& message);
    void HandleKeyDown(TMessage& message);
    void HandleChar(TMessage& message);
    void DeleteForward(TShiftState shift);
    void DeleteBackward(TShiftState shift);
    void MoveCaret(int32_t index, bool extend);
    int32_t WordStartBefore(int32_t index) const;
    int32_t WordStartAfter(int32_t index) const;
    void SelectWordAt(int32_t index);
    void MousePress(TPoint p, bool extend);
    void MouseTrack(TPoint p);
    void SetMargins(WPARAM which, int32_t left, int32_t right);

    // Caret.
    void StartCaret();
    void StopCaret();
    void RestartBlink();

    // Layout.
    std::u32string DisplayChars() const;
    TRect FormatRect() const;
    int32_t TextOffsetX();
    int32_t CharX(int32_t index);
    int32_t IndexAtX(int32_t x);
    int32_t PrefixWidth(int32_t count);
    int32_t TextWidthAll() { return PrefixWidth(Length()); }
    int32_t LineHeight();
    void ScrollCaretIntoView();
    TCanvas& MeasureCanvas();

    std::u32string chars_;
    int32_t anchor_ = 0;
    int32_t caret_ = 0;
    int32_t scrollX_ = 0;
    int32_t leftMargin_ = 1;
    int32_t rightMargin_ = 1;
    TUndoStep undo_;
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    bool ctl3D_ = true;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    int32_t maxLength_ = 0;
    bool modified_ = false;
    char32_t passwordChar_ = 0;
    bool readOnly_ = false;
    bool focused_ = false;
    bool caretOn_ = false;
    bool selecting_ = false;
    bool typingRun_ = false;
    std::unique_ptr<TBitmap> measureBitmap_;
    std::unique_ptr<TCanvas> measureCanvas_;
};

// The masked edit's level of the class tree. Edit masks themselves are not
// offered: every text is accepted as typed.
class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}
    // The text as shown; without a mask, the text itself.
    std::string EditText() const { return Text(); }
};

class TEdit : public TCustomMaskEdit {
public:
    explicit TEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
