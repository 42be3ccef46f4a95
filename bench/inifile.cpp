// INI file reads on large files: listing a section of many keys and a file
// of many sections. Each runs at several sizes and reports its complexity,
// which stays linear because sections and keys are indexed once per load.

#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A file written for one benchmark run and removed after it.
class TScratchIni {
public:
    explicit TScratchIni(const std::string& text)
        : path_(std::filesystem::temp_directory_path() / ("inifile-bench-" + std::to_string(::getpid()) + ".ini"))
    {
        std::ofstream(path_) << text;
    }
    ~TScratchIni() { std::filesystem::remove(path_); }
    TScratchIni(const TScratchIni&) = delete;
    TScratchIni& operator=(const TScratchIni&) = delete;
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

std::string OneSection(int64_t keys)
{
    std::string text = "[Files]\n";
    for (int64_t i = 0; i < keys; ++i)
        text += "File" + std::to_string(i) + "=/home/user/Videos/clip " + std::to_string(i) + ".mp4\n";
    return text;
}

std::string ManySections(int64_t sections)
{
    std::string text;
    for (int64_t i = 0; i < sections; ++i)
        text += "[Preset " + std::to_string(i) + "]\nCodec=h264\nBitrate=2000\n\n";
    return text;
}

// Each iteration loads the file afresh, as a reader after another's write would.
void ReadSectionValues(benchmark::State& state)
{
    const TScratchIni file(OneSection(state.range(0)));
    TStringList values;
    for (auto _ : state) {
        TIniFile ini(file.Path());
        ini.ReadSectionValues("files", values);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ReadSectionValues)->RangeMultiplier(2)->Range(2500, 20000)->Complexity(benchmark::oN);

void ReadSections(benchmark::State& state)
{
    const TScratchIni file(ManySections(state.range(0)));
    TStringList sections;
    for (auto _ : state) {
        TIniFile ini(file.Path());
        ini.ReadSections(sections);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ReadSections)->RangeMultiplier(2)->Range(1250, 10000)->Complexity(benchmark::oN);

// Every key of a loaded file read once by name.
void ReadEveryString(benchmark::State& state)
{
    const TScratchIni file(OneSection(state.range(0)));
    TIniFile ini(file.Path());
    for (auto _ : state)
        for (int64_t i = 0; i < state.range(0); ++i)
            benchmark::DoNotOptimize(ini.ReadString("Files", "file" + std::to_string(i), ""));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ReadEveryString)->RangeMultiplier(2)->Range(2500, 20000)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
