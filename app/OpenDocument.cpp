#include "app/OpenDocument.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/Strings.h"

namespace {

TDocumentLauncher& CurrentLauncher()
{
    static TDocumentLauncher launcher;
    return launcher;
}

[[noreturn]] void ExecOrExit(const std::vector<char*>& arguments)
{
    ::execvp(arguments[0], arguments.data());
    ::_exit(127);
}

} // namespace

void LaunchDetached(const std::vector<std::string>& command)
{
    if (command.empty())
        return;
    // Built before forking: a child of a threaded process must not allocate.
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return;
    if (child == 0) {
        // The intermediate child starts the program and ends at once; the
        // program is then the init process's to reap.
        ::setsid();
        if (::fork() == 0)
            ExecOrExit(arguments);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
}

void SetDocumentLauncher(TDocumentLauncher launcher) { CurrentLauncher() = std::move(launcher); }

void OpenDocument(const std::string& target)
{
    const std::string trimmed = Trim(target);
    if (trimmed.empty())
        return;
    const std::vector<std::string> command = {"xdg-open", trimmed};
    if (CurrentLauncher())
        CurrentLauncher()(command);
    else
        LaunchDetached(command);
}
