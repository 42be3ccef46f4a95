#pragma once
// A local server for the image-address tests, started from the helpers'
// script (by the system's python3, which has pyftpdlib) on a free port
// and ended by its pid.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

class UrlTestServer {
public:
    // The script's arguments after its name.
    UrlTestServer(const std::string& script, const std::vector<std::string>& arguments)
    {
        int output[2];
        if (pipe(output) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(output[1], STDOUT_FILENO);
            close(output[0]);
            close(output[1]);
            std::vector<char*> argv{const_cast<char*>("python3"), const_cast<char*>(script.c_str())};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv("/usr/bin/python3", argv.data());
            _exit(127);
        }
        close(output[1]);
        ReadPort(output[0]);
        close(output[0]);
    }
    ~UrlTestServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    UrlTestServer(const UrlTestServer&) = delete;
    UrlTestServer& operator=(const UrlTestServer&) = delete;

    // Zero when the server did not start.
    int Port() const { return port_; }

private:
    void ReadPort(int descriptor)
    {
        std::string line;
        char c = 0;
        while (read(descriptor, &c, 1) == 1 && c != '\n')
            line.push_back(c);
        port_ = line.empty() ? 0 : std::stoi(line);
    }

    pid_t pid_ = -1;
    int port_ = 0;
};
