#include "imaging/core/QkDebugLog.h"

#include <cstdio>
#include <mutex>

#include "imaging/core/QkSettings.h"
#include "platform/core/Clock.h"
#include "platform/core/Strings.h"

namespace {

std::mutex logLock;

std::string TimeStamp()
{
    const TSystemTime now = GetLocalTime();
    return Format("%04u-%02u-%02u %02u:%02u:%02u", now.Year, now.Month, now.Day, now.Hour, now.Minute, now.Second);
}

} // namespace

void AppendDebugLog(const std::string& message)
{
    std::lock_guard<std::mutex> lock(logLock);
    if (DebugLogFileName.empty())
        return;
    std::FILE* file = std::fopen(DebugLogFileName.c_str(), "a");
    if (file == nullptr)
        return;
    const std::string line = TimeStamp() + " : " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}
