// Times DownloadUrl fetching a 256 MiB file into a memory stream from a
// local server against `curl -s -o /dev/null` fetching the same address,
// alternated five times. Goal: median ratio (ours / curl) <= 1.3.

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "BenchTools.h"
#include "imaging/formats/url/QkUrlDownload.h"
#include "platform/core/Streams.h"

namespace {

constexpr int Runs = 5;
constexpr int64_t FileBytes = int64_t(256) << 20;

void WriteLargeFile(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 31);
    for (int64_t written = 0; written < FileBytes; written += int64_t(block.size()))
        file.write(block.data(), std::streamsize(block.size()));
}

// The helper server's pid; its port goes to `port`.
pid_t StartServer(const std::string& root, int& port)
{
    int output[2];
    if (pipe(output) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        const std::string log = root + "/requests.log";
        execl("/usr/bin/python3", "python3", URL_SERVER_SCRIPT, root.c_str(), log.c_str(), nullptr);
        _exit(127);
    }
    close(output[1]);
    std::string line;
    char c = 0;
    while (read(output[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    close(output[0]);
    port = line.empty() ? 0 : std::stoi(line);
    return pid;
}

double OursMilliseconds(const std::string& url)
{
    const TBenchClock::time_point start = TBenchClock::now();
    TMemoryStream body;
    std::string error;
    if (!DownloadUrl(url, body, TQkDownloadOptions{}, error) || body.Size() != FileBytes)
        std::fprintf(stderr, "download failed: %s\n", error.c_str());
    return Milliseconds(start);
}

} // namespace

int main()
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "url_download_bench";
    std::filesystem::create_directories(root);
    WriteLargeFile((root / "large.bin").string());
    int port = 0;
    const pid_t server = StartServer(root.string(), port);
    if (port == 0) {
        std::fprintf(stderr, "the local server did not start\n");
        return 1;
    }
    BindInternetFunctions();
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/large.bin";
    std::vector<double> ratios;
    for (int run = 0; run < Runs; ++run) {
        const double ours = OursMilliseconds(url);
        const double peer = TimedCommand("curl -s -o /dev/null " + url);
        std::printf("run %d: DownloadUrl %.0f ms, curl %.0f ms\n", run + 1, ours, peer);
        ratios.push_back(ours / peer);
    }
    std::nth_element(ratios.begin(), ratios.begin() + Runs / 2, ratios.end());
    std::printf("median ratio %.2f (goal <= 1.3)\n", ratios[Runs / 2]);
    UnbindInternetFunctions();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::filesystem::remove_all(root);
    return 0;
}
