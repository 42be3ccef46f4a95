#include "imaging/core/QkCgroup.h"

#include <fstream>

namespace {

std::string CgroupFolder()
{
    std::ifstream file("/proc/self/cgroup");
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("0::", 0) == 0)
            return "/sys/fs/cgroup" + line.substr(3);
    }
    return std::string();
}

} // namespace

std::string ReadCgroupFile(const std::string& name)
{
    const std::string folder = CgroupFolder();
    if (folder.empty())
        return std::string();
    std::ifstream file(folder + "/" + name);
    std::string line;
    std::getline(file, line);
    return line;
}
