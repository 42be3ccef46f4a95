#include "app/ApplicationGlobals.h"

#include "app/LanguageFiles.h"
#include "engine/MyUtils.h"

std::string ApplicationFolder;
uint8_t LanguageIndex = 0;

std::string ProgramFolderOf(const std::string& programFile)
{
    return IncludeTrailingBackslashWide(ExtractFilePathWide(programFile));
}

std::string CurrentLanguageFile() { return ApplicationFolder + LanguageFileName(LanguageIndex); }
