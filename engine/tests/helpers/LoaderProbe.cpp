// Runs the library loader in a process of its own and prints what happened,
// one "key: value" line per fact, for the loader tests.
//
//   engine_loader_probe system
//   engine_loader_probe folder <library folder>
//   engine_loader_probe override <library index> <file name>
//   engine_loader_probe codec-only <library folder>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

namespace {

// The distinct files mapped into this process whose name contains `library`.
std::set<std::string> MappedFiles(const std::string& library)
{
    std::set<std::string> files;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const size_t path = line.find('/');
        if (path != std::string::npos && line.find(library, path) != std::string::npos)
            files.insert(line.substr(path));
    }
    return files;
}

void Print(const char* key, const std::string& value) { std::printf("%s: %s\n", key, value.c_str()); }

void PrintMapped(const char* key, const std::string& library)
{
    const std::set<std::string> files = MappedFiles(library);
    Print((std::string(key) + " count").c_str(), IntToStr(static_cast<int64_t>(files.size())));
    for (const std::string& file : files)
        Print(key, file);
}

std::string CheckText(TLibrarySet libraries)
{
    try {
        FFLoader.CheckLibraries(libraries);
        return "ok";
    } catch (const Exception& e) {
        return e.Message();
    }
}

// Loads libavcodec alone: its bundled dependencies must come from the folder too.
void ReportCodecOnly()
{
    Print("loaded", FFLoader.Load(libAVCodec) ? "true" : "false");
    Print("error", FFLoader.LastErrorText());
    PrintMapped("avutil", "libavutil.so");
    PrintMapped("swresample", "libswresample.so");
}

void ReportLoad()
{
    Print("loaded", FFLoader.LoadLibraries(AllLibraries) ? "true" : "false");
    Print("error", FFLoader.LastErrorText());
    Print("any loaded", FFLoader.LibrariesLoaded(LibraryBit(libAVUtil)) ? "true" : "false");
    Print("check", CheckText(AllLibraries));
    Print("entry bound", av::avformat_open_input ? "true" : "false");
    Print("optional bound", av::ff_filter_frame ? "true" : "false");
    PrintMapped("avutil", "libavutil.so");
    PrintMapped("avfilter", "libavfilter.so");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "codec-only" && argc > 2) {
        FFLoader.SetLibraryPath(argv[2]);
        ReportCodecOnly();
        return 0;
    }
    if (mode == "folder" && argc > 2)
        FFLoader.SetLibraryPath(argv[2]);
    else if (mode == "override" && argc > 3)
        FFLoader.SetLibraryFileName(StrToInt(argv[2]), argv[3]);
    else if (mode != "system")
        return 2;
    ReportLoad();
    if (FFLoader.LibrariesLoaded(AllLibraries)) {
        FFLoader.UnloadLibraries(DecoderLibraries);
        Print("after unload", CheckText(AllLibraries));
    }
    return 0;
}
