#pragma once
// What both windows of the converter share: the program's folder, the base of
// "Options.ini", of the language files and of the "LibAV" library folder, and
// the user-interface language.

#include <cstdint>
#include <string>

extern std::string ApplicationFolder; // ends with "/"
extern uint8_t LanguageIndex; // 6, simplified Chinese, from start-up on

// The folder of the program file `programFile`, with exactly one trailing "/".
std::string ProgramFolderOf(const std::string& programFile);
// The language file of `LanguageIndex` beside the program.
std::string CurrentLanguageFile();
