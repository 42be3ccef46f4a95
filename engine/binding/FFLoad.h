#pragma once
// The run-time loader of the FFmpeg libraries, the lock manager that older
// libavcodec generations take their mutexes from, and the mutex under it.

#include <array>
#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <string>
#include <vector>

#include "platform/core/DynamicLibrary.h"
#include "platform/core/Sync.h"

// Library indexes: the rows of the library table.
enum TLibraryIndex : int32_t {
    libAVCodec = 0,
    libAVDevice = 1,
    libAVFilter = 2,
    libAVFormat = 3,
    libAVUtil = 4,
    libSwResample = 5,
    libSwScale = 6,
    libMsvcrt = 7,
};
constexpr int32_t LibraryCount = 8;

// A set of library indexes, bit i for library i.
using TLibrarySet = uint8_t;
constexpr TLibrarySet LibraryBit(int32_t index) { return static_cast<TLibrarySet>(1u << index); }
constexpr TLibrarySet AllLibraries = 0xFF;
// avcodec, avformat, avutil, swresample, swscale and the system runtime.
constexpr TLibrarySet DecoderLibraries = 0xF9;

struct TLibraryItem {
    int32_t Index;
    const char* BaseName;
    bool SystemLibrary; // never taken from the library folder
    int32_t MajorVersion; // -1: no version suffix
    const char* SystemFileName; // the file of a system library
    void (*Bind)(const std::string& fileName, TLibraryHandle library);
    void (*Unbind)();
};
extern const std::array<TLibraryItem, LibraryCount> LibraryTable;

// None of the operations raises except CheckLibraries; failures leave their
// text in LastErrorText.
class TFFLoader {
public:
    TFFLoader() = default;
    TFFLoader(const TFFLoader&) = delete;
    TFFLoader& operator=(const TFFLoader&) = delete;

    // When true, loading avutil installs the logger's FFmpeg log callback.
    bool HookLog = true;

    // The folder for every library that is not a system library and whose
    // file name has no folder of its own.
    const std::string& LibraryPath() const { return libraryPath_; }
    void SetLibraryPath(const std::string& folder) { libraryPath_ = folder; }
    // The text of the last load or bind failure; a success does not clear it.
    const std::string& LastErrorText() const { return lastErrorText_; }

    // The override when set, else "lib<base>.so.<major>" (the soname).
    std::string LibraryFileName(int32_t index) const;
    // Used unchanged as the library's file name; "" restores the default.
    void SetLibraryFileName(int32_t index, const std::string& fileName);

    bool Load(int32_t index);
    // Loads the set in dependency order; on a failure unloads the whole set.
    bool LoadLibraries(TLibrarySet libraries);
    bool Loaded(int32_t index) const;
    bool LibrariesLoaded(TLibrarySet libraries) const;
    // Raises Exception "Library %s not loaded." for the first library of the
    // set, in index order, that is not loaded.
    void CheckLibraries(TLibrarySet libraries) const;
    void Unload(int32_t index);
    void UnloadLibraries(TLibrarySet libraries);

private:
    struct TLibraryStatus {
        std::string FileNameOverride;
        TLibraryHandle Module = nullptr;
        bool Bound = false;
        std::string LoadedFileName; // the path given to the system loader
        // Bundled copies of the libraries this one needs, mapped before it.
        std::vector<TLibraryHandle> Dependencies;
    };

    bool LoadModule(int32_t index);
    bool LoadBundledDependencies(int32_t index, const std::string& folder);
    void BindModule(int32_t index);
    void AfterBind(int32_t index);
    void FreeModules(TLibraryStatus& status);

    std::string libraryPath_;
    std::string lastErrorText_;
    std::array<TLibraryStatus, LibraryCount> status_{};
};

extern TFFLoader FFLoader;

// Loads `folder` + `fileName` when that file exists, else `fileName` through the
// system's search; nullptr on failure with the reason in `error`.
TLibraryHandle LoadDll(const std::string& folder, const std::string& fileName, std::string& error);

// A system mutex: recursive for its owner, released only by the thread that
// holds it; a holder that dies leaves it abandoned.
class TMutex {
public:
    TMutex(); // raises EOSError when the system refuses
    ~TMutex();
    TMutex(const TMutex&) = delete;
    TMutex& operator=(const TMutex&) = delete;

    TWaitResult WaitFor(uint32_t timeoutMs);
    void Acquire(); // raises EOSError on a wait error
    void Release(); // raises EOSError when the caller does not hold it
    // The errno value of the last failed wait.
    int LastError() const { return lastError_; }
    // Identifies the mutex among those alive, for messages.
    int32_t Identity() const { return identity_; }

private:
    void TakeOwnership(bool abandoned);

    pthread_mutex_t mutex_;
    // Written by the holder only; read by others to refuse their release.
    std::atomic<pthread_t> owner_{};
    uint32_t depth_ = 0;
    int lastError_ = 0;
    int32_t identity_;
};

// FFmpeg's lock-manager callback: operation 0 create, 1 obtain, 2 release,
// 3 destroy on the mutex kept in *slot; 0 on success, -1 on failure (logged).
// After the engine's shut-down has begun it does nothing and returns 0.
extern "C" int LockManagerProc(void** slot, int operation);
