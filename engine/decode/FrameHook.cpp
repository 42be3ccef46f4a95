#include "engine/decode/FrameHook.h"

#include <map>
#include <mutex>

#include "engine/MyUtils.h"
#include "engine/binding/AVUtilStubs.h"
#include "platform/core/DynamicLibrary.h"

namespace {

// Each plug-in library is loaded once per process and stays loaded, since
// entries of running jobs point into it.
std::mutex libraryCacheLock;
std::map<std::string, TLibraryHandle>& LibraryCache()
{
    static auto* cache = new std::map<std::string, TLibraryHandle>();
    return *cache;
}

// Restores the current directory when the load is over, whatever its end.
class TCurrentDirectoryGuard {
public:
    explicit TCurrentDirectoryGuard(const std::string& folder) : saved_(folder.empty() ? "" : GetCurrentDirWide())
    {
        // A plug-in finds the files it opens while it is configured beside it.
        if (!folder.empty())
            SetCurrentDirWide(folder);
    }
    ~TCurrentDirectoryGuard()
    {
        if (!saved_.empty())
            SetCurrentDirWide(saved_);
    }
    TCurrentDirectoryGuard(const TCurrentDirectoryGuard&) = delete;
    TCurrentDirectoryGuard& operator=(const TCurrentDirectoryGuard&) = delete;

private:
    std::string saved_;
};

TLibraryHandle LoadPluginLibrary(const std::string& fileName)
{
    std::lock_guard<std::mutex> lock(libraryCacheLock);
    auto found = LibraryCache().find(fileName);
    if (found != LibraryCache().end())
        return found->second;
    TLibraryHandle library = LoadDynamicLibrary(fileName);
    if (!library) {
        av::av_log(nullptr, AV_LOG_ERROR, "%s\n", DynamicLibraryError().c_str());
        return nullptr;
    }
    LibraryCache()[fileName] = library;
    return library;
}

template <class Function>
Function Entry(TLibraryHandle library, const char* name)
{
    return reinterpret_cast<Function>(GetLibrarySymbol(library, name));
}

void AppendEntry(TFrameHookEntry*& chain, TFrameHookEntry* entry)
{
    TFrameHookEntry** last = &chain;
    while (*last)
        last = &(*last)->Next;
    *last = entry;
}

} // namespace

std::vector<std::string> SplitFrameHookArguments(const std::string& argument)
{
    const bool byBar = argument.find('|') != std::string::npos;
    const char separator = byBar ? '|' : ' ';
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= argument.size() && static_cast<int32_t>(words.size()) < FrameHookLastArgIndex) {
        size_t end = argument.find(separator, start);
        if (end == std::string::npos)
            end = argument.size();
        // Blanks in a row separate once; bars keep empty words.
        if (byBar || end > start)
            words.push_back(argument.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

int32_t FrameHookAdd(TFrameHookEntry*& chain, int32_t argc, char* argv[])
{
    if (argc < 1)
        return -2;
    const std::string fileName = argv[0];
    TCurrentDirectoryGuard directory(ExtractFilePathWide(fileName));
    TLibraryHandle library = LoadPluginLibrary(fileName);
    if (!library)
        return -1;
    auto* entry = static_cast<TFrameHookEntry*>(av::av_mallocz(sizeof(TFrameHookEntry)));
    if (!entry)
        return -12;
    entry->Configure = Entry<TFrameHookConfigure>(library, "Configure");
    entry->Process = Entry<TFrameHookProcess>(library, "Process");
    entry->Release = Entry<TFrameHookRelease>(library, "Release");
    if (!entry->Process || (!entry->Configure && argc > 1)) {
        av::av_log(nullptr, AV_LOG_ERROR, "Failed to find %s entrypoint in %s\n",
                   entry->Process ? "Configure" : "Process", fileName.c_str());
        av::av_free(entry);
        return -2;
    }
    if (entry->Configure && entry->Configure(&entry->Context, argc, argv, FrameHookLastArgIndex) != 0) {
        av::av_log(nullptr, AV_LOG_ERROR, "Failed to Configure %s\n", fileName.c_str());
        av::av_free(entry);
        return -22;
    }
    AppendEntry(chain, entry);
    return 0;
}

void FrameHookProcess(TFrameHookEntry* chain, TFFPicture* picture, int32_t pixelFormat, int32_t width, int32_t height,
                      int64_t ptsUs)
{
    for (TFrameHookEntry* entry = chain; entry; entry = entry->Next)
        entry->Process(entry->Context, picture, pixelFormat, width, height, ptsUs);
}

void FrameHookRelease(TFrameHookEntry*& chain)
{
    while (chain) {
        TFrameHookEntry* entry = chain;
        chain = entry->Next;
        if (entry->Release)
            entry->Release(entry->Context);
        av::av_free(entry);
    }
}
