#pragma once
// The converter's gallery pages show the program's windows and boxes with
// the texts of its start language, read from the language files beside the
// program in the build tree.

#include "app/ApplicationGlobals.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "platform/core/IniFile.h"

inline void UseStartLanguageTexts()
{
    ApplicationFolder = APP_BINARY_DIR "/";
    LanguageIndex = StartLanguage;
    TIniFile file(CurrentLanguageFile());
    LoadMessages(file);
}
