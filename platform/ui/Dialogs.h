#pragma once
// Message boxes as our own modal windows: an icon drawn by code, the text
// wrapped to a reasonable width and a centred row of standard buttons.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Set.h"
#include "platform/ui/Form.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The dialog, not yet shown (the caller owns it). Buttons are named after
// their kind ("Yes", "OK", ...); `defaultButton` is focused and answers
// Enter, the Cancel (else No, else the only) button answers Escape.
std::unique_ptr<TForm> CreateMessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                                           TMsgDlgButtons buttons, TMsgDlgBtn defaultButton);

// Shows the dialog modally and answers the button's modal result
// (mrCancel when closed another way). The caption is the type's title.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// The window system's message box: MB_* flags in, ID* answer out; beeps
// with the icon's sound.
int32_t ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// An information box with an OK button and the application's title.
void ShowMessage(const std::string& text);
