#pragma once
// The converter's gallery pages show the program's windows and boxes with
// the texts of its start language, read from the shipped language files.

#include "app/ApplicationGlobals.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "platform/core/IniFile.h"

inline void UseStartLanguageTexts()
{
    ApplicationFolder = APP_SOURCE_DIR "/";
    LanguageIndex = StartLanguage;
    TIniFile file(CurrentLanguageFile());
    LoadMessages(file);
}
