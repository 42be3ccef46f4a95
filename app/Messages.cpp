#include "app/Messages.h"

#include <array>

#include "platform/core/IniFile.h"

std::string MS_Auto;
std::string MS_Preview;
std::string MS_Ready;
std::string MS_Pause;
std::string MS_Resume;
std::string MS_Close;
std::string MS_Error;
std::string MS_ErrorLib;
std::string MS_ErrorOpen;
std::string MS_ErrorCvt;
std::string MS_Info;
std::string MS_InfoWait;
std::string MS_InfoNoFile;
std::string MS_InfoCancelTask;
std::string MS_InfoComplet;

std::span<const TMessageText> MessageTexts()
{
    static const std::array<TMessageText, 15> texts = {{
        {"MS_Auto", "Auto", &MS_Auto},
        {"MS_Preview", "Preview", &MS_Preview},
        {"MS_Ready", "Ready", &MS_Ready},
        {"MS_Pause", "Pause", &MS_Pause},
        {"MS_Resume", "Resume", &MS_Resume},
        {"MS_Close", "Ok", &MS_Close},
        {"MS_Error", "Error", &MS_Error},
        {"MS_ErrorLib", "Can not load library!", &MS_ErrorLib},
        {"MS_ErrorOpen", "File open error:", &MS_ErrorOpen},
        {"MS_ErrorCvt", "Cannot do convert, error:", &MS_ErrorCvt},
        {"MS_Info", "Information", &MS_Info},
        {"MS_InfoWait", "Please wait for the last task to complete", &MS_InfoWait},
        {"MS_InfoNoFile", "Please add and select video files.", &MS_InfoNoFile},
        {"MS_InfoCancelTask", "Really want to cancel all the tasks?", &MS_InfoCancelTask},
        {"MS_InfoComplet", "Completed all the tasks.", &MS_InfoComplet},
    }};
    return texts;
}

void RestoreDefaultMessages()
{
    for (const TMessageText& message : MessageTexts())
        *message.Text = message.Default;
}

// Defined after the texts, so they are constructed before it runs.
[[maybe_unused]] static const bool defaultsSet = (RestoreDefaultMessages(), true);

void LoadMessages(TIniFile& file)
{
    for (const TMessageText& message : MessageTexts())
        *message.Text = file.ReadString("Messages", message.Key, message.Default);
}
