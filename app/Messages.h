#pragma once
// The fifteen message texts of boxes, buttons and list entries. They start
// with their English texts, so a missing language file still leaves complete
// messages, and a language file replaces them.

#include <span>
#include <string>

class TIniFile;

extern std::string MS_Auto; // item 0 of every choice list
extern std::string MS_Preview; // first part of the preview button's caption
extern std::string MS_Ready; // status line with no source shown
extern std::string MS_Pause;
extern std::string MS_Resume;
extern std::string MS_Close; // the progress window's button once the batch is done
extern std::string MS_Error; // caption of error boxes
extern std::string MS_ErrorLib;
extern std::string MS_ErrorOpen;
extern std::string MS_ErrorCvt;
extern std::string MS_Info; // caption of information and question boxes
extern std::string MS_InfoWait;
extern std::string MS_InfoNoFile;
extern std::string MS_InfoCancelTask;
extern std::string MS_InfoComplet;

struct TMessageText {
    const char* Key; // in section "Messages"
    const char* Default;
    std::string* Text;
};
// In the order of the language files.
std::span<const TMessageText> MessageTexts();

// Every text back to its English default.
void RestoreDefaultMessages();
// Reads every key of section "Messages"; a missing key takes its English text.
void LoadMessages(TIniFile& file);
