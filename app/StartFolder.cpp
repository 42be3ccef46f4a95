#include "app/StartFolder.h"

#include <fstream>

#include "platform/core/Files.h"
#include "platform/core/Strings.h"

namespace {

// The value of XDG_VIDEOS_DIR="..." in the file, "" when there is none.
std::string UserDirsVideosEntry(const std::string& userDirsFile, const std::string& home)
{
    std::ifstream file(userDirsFile);
    const std::string key = "XDG_VIDEOS_DIR=";
    std::string line;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        const std::string homeVariable = "$HOME";
        if (value.compare(0, homeVariable.size(), homeVariable) == 0)
            value = home + value.substr(homeVariable.size());
        return value;
    }
    return {};
}

} // namespace

std::string VideosFolderFrom(const std::string& userDirsFile, const std::string& home)
{
    const std::string videos = UserDirsVideosEntry(userDirsFile, home);
    if (!videos.empty() && DirectoryExists(videos))
        return IncludeTrailingPathDelimiter(videos);
    if (!home.empty() && DirectoryExists(home))
        return IncludeTrailingPathDelimiter(home);
    return "/";
}

std::string DefaultOutputFolder()
{
    const std::string home = GetEnvironmentVariable("HOME");
    std::string configHome = GetEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.empty())
        configHome = home + "/.config";
    return VideosFolderFrom(IncludeTrailingPathDelimiter(configHome) + "user-dirs.dirs", home);
}
