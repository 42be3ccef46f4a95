#include "engine/binding/FFLoad.h"

#include <atomic>
#include <cerrno>
#include <cfenv>
#include <ctime>
#include <list>
#include <memory>

#include "engine/FFLog.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVDeviceStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/MyUtilStubs.h"
#include "engine/binding/SwResampleStubs.h"
#include "engine/binding/SwScaleStubs.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Strings.h"

const std::array<TLibraryItem, LibraryCount> LibraryTable = {{
    {libAVCodec, "avcodec", false, LIBAVCODEC_VERSION_MAJOR, nullptr, BindAVCodec, UnbindAVCodec},
    {libAVDevice, "avdevice", false, LIBAVDEVICE_VERSION_MAJOR, nullptr, BindAVDevice, UnbindAVDevice},
    {libAVFilter, "avfilter", false, LIBAVFILTER_VERSION_MAJOR, nullptr, BindAVFilter, UnbindAVFilter},
    {libAVFormat, "avformat", false, LIBAVFORMAT_VERSION_MAJOR, nullptr, BindAVFormat, UnbindAVFormat},
    {libAVUtil, "avutil", false, LIBAVUTIL_VERSION_MAJOR, nullptr, BindAVUtil, UnbindAVUtil},
    {libSwResample, "swresample", false, LIBSWRESAMPLE_VERSION_MAJOR, nullptr, BindSwResample, UnbindSwResample},
    {libSwScale, "swscale", false, LIBSWSCALE_VERSION_MAJOR, nullptr, BindSwScale, UnbindSwScale},
    // FFmpeg and the engine share the C library; its row binds nothing.
    {libMsvcrt, "msvcrt", true, -1, "libc.so.6", BindMsvcrt, UnbindMsvcrt},
}};

TFFLoader FFLoader;

namespace {

// Every library is mapped after the libraries it needs, so that a bundled
// folder's copies satisfy the later ones and no second copy is mapped.
constexpr std::array<int32_t, LibraryCount> LoadOrder = {libMsvcrt,  libAVUtil,   libSwResample, libSwScale,
                                                         libAVCodec, libAVFormat, libAVFilter,   libAVDevice};

// libavfilter needs libpostproc, which has no row of its own.
constexpr const char* PostProcFileName = "libpostproc.so.56";

struct TDependencies {
    std::vector<int32_t> Libraries; // in load order
    bool PostProc;
};

const TDependencies& DependenciesOf(int32_t index)
{
    static const std::array<TDependencies, LibraryCount> table = {{
        {{libAVUtil, libSwResample}, false}, // avcodec
        {{libAVUtil, libSwResample, libSwScale, libAVCodec, libAVFormat, libAVFilter}, true}, // avdevice
        {{libAVUtil, libSwResample, libSwScale, libAVCodec, libAVFormat}, true}, // avfilter
        {{libAVUtil, libSwResample, libAVCodec}, false}, // avformat
        {{}, false}, // avutil
        {{libAVUtil}, false}, // swresample
        {{libAVUtil}, false}, // swscale
        {{}, false}, // msvcrt
    }};
    return table[index];
}

std::string DefaultFileName(const TLibraryItem& item)
{
    if (item.SystemFileName)
        return item.SystemFileName;
    std::string name = std::string("lib") + item.BaseName + ".so";
    if (item.MajorVersion >= 0)
        name += "." + IntToStr(item.MajorVersion);
    return name;
}

void CheckIndex(int32_t index)
{
    if (index < 0 || index >= LibraryCount)
        throw CreateFmt<EInvalidArgument>("Library index %d out of range", index);
}

void CheckSetNotEmpty(TLibrarySet libraries)
{
    if (libraries == 0)
        throw EInvalidArgument("Empty library set");
}

bool InSet(TLibrarySet libraries, int32_t index) { return (libraries & LibraryBit(index)) != 0; }

} // namespace

TLibraryHandle LoadDll(const std::string& folder, const std::string& fileName, std::string& error)
{
    std::string path = fileName;
    if (!folder.empty() && FileExists(IncludeTrailingPathDelimiter(folder) + fileName))
        path = IncludeTrailingPathDelimiter(folder) + fileName;
    TLibraryHandle module = LoadDynamicLibrary(path);
    if (!module)
        error = DynamicLibraryError();
    return module;
}

std::string TFFLoader::LibraryFileName(int32_t index) const
{
    CheckIndex(index);
    const std::string& override = status_[index].FileNameOverride;
    return override.empty() ? DefaultFileName(LibraryTable[index]) : override;
}

void TFFLoader::SetLibraryFileName(int32_t index, const std::string& fileName)
{
    CheckIndex(index);
    status_[index].FileNameOverride = fileName;
}

bool TFFLoader::Load(int32_t index)
{
    CheckIndex(index);
    TLibraryStatus& status = status_[index];
    if (!status.Module && !LoadModule(index))
        return false;
    if (!status.Bound)
        BindModule(index);
    if (!status.Bound) {
        Unload(index);
        return false;
    }
    AfterBind(index);
    return true;
}

bool TFFLoader::LoadModule(int32_t index)
{
    TLibraryStatus& status = status_[index];
    const std::string fileName = LibraryFileName(index);
    std::string folder = ExtractFilePath(fileName);
    const std::string bareName = ExtractFileName(fileName);
    if (folder.empty() && !libraryPath_.empty() && !LibraryTable[index].SystemLibrary)
        folder = IncludeTrailingPathDelimiter(libraryPath_);
    if (!folder.empty() && FileExists(folder + bareName) && !LoadBundledDependencies(index, folder))
        return false;
    std::string error;
    status.Module = LoadDll(folder, bareName, error);
    if (!status.Module) {
        lastErrorText_ = Format("Load library %s error: %s", (folder + bareName).c_str(), error.c_str());
        FreeModules(status);
        return false;
    }
    status.LoadedFileName = folder.empty() || !FileExists(folder + bareName) ? bareName : folder + bareName;
    return true;
}

bool TFFLoader::LoadBundledDependencies(int32_t index, const std::string& folder)
{
    const TDependencies& dependencies = DependenciesOf(index);
    std::vector<std::string> files;
    for (int32_t library : dependencies.Libraries)
        files.push_back(folder + DefaultFileName(LibraryTable[library]));
    if (dependencies.PostProc)
        files.push_back(folder + PostProcFileName);
    for (const std::string& file : files) {
        if (!FileExists(file))
            continue;
        TLibraryHandle module = LoadDynamicLibrary(file);
        if (!module) {
            lastErrorText_ = Format("Load library %s error: %s", file.c_str(), DynamicLibraryError().c_str());
            FreeModules(status_[index]);
            return false;
        }
        status_[index].Dependencies.push_back(module);
    }
    return true;
}

void TFFLoader::BindModule(int32_t index)
{
    TLibraryStatus& status = status_[index];
    try {
        LibraryTable[index].Bind(status.LoadedFileName, status.Module);
        status.Bound = true;
    } catch (const Exception& e) {
        lastErrorText_ = e.Message();
    }
}

void TFFLoader::AfterBind(int32_t index)
{
    if (index == libAVCodec && av::av_lockmgr_register)
        av::av_lockmgr_register(LockManagerProc);
    if (index == libAVUtil && HookLog)
        Logger()->HookFFmpegLog();
}

bool TFFLoader::LoadLibraries(TLibrarySet libraries)
{
    CheckSetNotEmpty(libraries);
    for (int32_t index : LoadOrder) {
        if (InSet(libraries, index) && !Load(index)) {
            UnloadLibraries(libraries);
            return false;
        }
    }
    return true;
}

bool TFFLoader::Loaded(int32_t index) const
{
    CheckIndex(index);
    return status_[index].Module && status_[index].Bound;
}

bool TFFLoader::LibrariesLoaded(TLibrarySet libraries) const
{
    CheckSetNotEmpty(libraries);
    for (int32_t index = 0; index < LibraryCount; ++index) {
        if (InSet(libraries, index) && !Loaded(index))
            return false;
    }
    return true;
}

void TFFLoader::CheckLibraries(TLibrarySet libraries) const
{
    for (int32_t index = 0; index < LibraryCount; ++index) {
        if (InSet(libraries, index) && !Loaded(index))
            throw CreateFmt("Library %s not loaded.", LibraryTable[index].BaseName);
    }
}

void TFFLoader::Unload(int32_t index)
{
    CheckIndex(index);
    TLibraryStatus& status = status_[index];
    if (status.Bound) {
        if (index == libAVCodec && av::av_lockmgr_register)
            av::av_lockmgr_register(nullptr);
        // The library may stay mapped for others; it must not call into a
        // logger that is going away.
        if (index == libAVUtil && av::av_log_set_callback && av::av_log_default_callback)
            av::av_log_set_callback(av::av_log_default_callback);
        LibraryTable[index].Unbind();
        status.Bound = false;
    }
    FreeModules(status);
}

void TFFLoader::UnloadLibraries(TLibrarySet libraries)
{
    CheckSetNotEmpty(libraries);
    for (auto index = LoadOrder.rbegin(); index != LoadOrder.rend(); ++index) {
        if (InSet(libraries, *index))
            Unload(*index);
    }
}

void TFFLoader::FreeModules(TLibraryStatus& status)
{
    if (status.Module)
        FreeDynamicLibrary(status.Module);
    status.Module = nullptr;
    status.LoadedFileName.clear();
    for (auto module = status.Dependencies.rbegin(); module != status.Dependencies.rend(); ++module)
        FreeDynamicLibrary(*module);
    status.Dependencies.clear();
}

// ---------------------------------------------------------------------------
// The mutex and the lock manager

namespace {

std::atomic<int32_t> nextMutexIdentity{1};

timespec DeadlineAfter(uint32_t timeoutMs)
{
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

} // namespace

TMutex::TMutex() : identity_(nextMutexIdentity++)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    const int result = pthread_mutex_init(&mutex_, &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (result != 0)
        RaiseLastOSError(result);
}

TMutex::~TMutex() { pthread_mutex_destroy(&mutex_); }

TWaitResult TMutex::WaitFor(uint32_t timeoutMs)
{
    int result = 0;
    if (timeoutMs == INFINITE) {
        result = pthread_mutex_lock(&mutex_);
    } else {
        const timespec deadline = DeadlineAfter(timeoutMs);
        result = pthread_mutex_timedlock(&mutex_, &deadline);
    }
    switch (result) {
    case 0: TakeOwnership(false); return wrSignaled;
    case ETIMEDOUT: return wrTimeout;
    case EOWNERDEAD:
        pthread_mutex_consistent(&mutex_);
        TakeOwnership(true);
        return wrAbandoned;
    default: lastError_ = result; return wrError;
    }
}

void TMutex::Acquire()
{
    if (WaitFor(INFINITE) == wrError)
        RaiseLastOSError(lastError_);
}

void TMutex::TakeOwnership(bool abandoned)
{
    if (abandoned || depth_ == 0) {
        owner_ = pthread_self();
        depth_ = 0;
    }
    ++depth_;
}

void TMutex::Release()
{
    if (!pthread_equal(owner_.load(), pthread_self()) || depth_ == 0)
        RaiseLastOSError(EPERM);
    if (--depth_ == 0)
        owner_ = pthread_t{};
    const int result = pthread_mutex_unlock(&mutex_);
    if (result != 0)
        RaiseLastOSError(result);
}

namespace {

struct TLockRecord {
    void** Slot;
    std::unique_ptr<TMutex> Mutex;
};

// Guards the records; never held while a mutex is awaited.
TCriticalSection lockListLock;
std::list<TLockRecord> lockRecords;
// Set when the engine shuts down: FFmpeg may still destroy its mutexes then.
std::atomic<bool> finalizing{false};

void LogLockManager(TLogLevel level, const std::string& message) { Logger()->Log(nullptr, level, message); }

TLockRecord* FindLockRecord(void** slot)
{
    TCriticalSectionGuard guard(lockListLock);
    if (!*slot) {
        lockRecords.push_front(TLockRecord{slot, nullptr});
        *slot = &lockRecords.front();
    }
    auto* record = static_cast<TLockRecord*>(*slot);
    return record->Slot == slot ? record : nullptr;
}

void RemoveLockRecord(TLockRecord* record)
{
    TCriticalSectionGuard guard(lockListLock);
    *record->Slot = nullptr;
    lockRecords.remove_if([record](const TLockRecord& item) { return &item == record; });
}

void FreeLockRecords()
{
    TCriticalSectionGuard guard(lockListLock);
    lockRecords.clear();
}

int MutexNotAvailable()
{
    LogLockManager(llError, "[lock manager] error, mutex not available.");
    return -1;
}

int CreateLockMutex(TLockRecord& record)
{
    if (record.Mutex) {
        LogLockManager(llError, Format("[lock manager] error, mutex [%d] already exist.", record.Mutex->Identity()));
        return -1;
    }
    try {
        record.Mutex = std::make_unique<TMutex>();
    } catch (const EOSError& e) {
        LogLockManager(
            llError,
            Format("[lock manager] error, failed to create mutex: %s.", SysErrorMessage(e.ErrorCode()).c_str()));
        return -1;
    }
    LogLockManager(llDebug, Format("[lock manager] mutex [%d] created.", record.Mutex->Identity()));
    return 0;
}

int ObtainLockMutex(TMutex& mutex)
{
    if (mutex.WaitFor(INFINITE) == wrError) {
        LogLockManager(llError,
                       Format("[lock manager] error, could not wait on mutex [%d]: %s.", mutex.Identity(),
                              SysErrorMessage(mutex.LastError()).c_str()));
        return -1;
    }
    LogLockManager(llDebug, Format("[lock manager] mutex [%d] obtained.", mutex.Identity()));
    return 0;
}

int ReleaseLockMutex(TMutex& mutex)
{
    try {
        mutex.Release();
    } catch (const Exception& e) {
        LogLockManager(
            llError,
            Format("[lock manager] error, could not release mutex [%d]: %s.", mutex.Identity(), e.Message().c_str()));
        return -1;
    }
    LogLockManager(llDebug, Format("[lock manager] mutex [%d] release.", mutex.Identity()));
    return 0;
}

int DestroyLockMutex(TLockRecord* record)
{
    int result = -1;
    if (record->Mutex) {
        LogLockManager(llDebug, Format("[lock manager] mutex [%d] destroyed.", record->Mutex->Identity()));
        result = 0;
    } else {
        MutexNotAvailable();
    }
    RemoveLockRecord(record);
    return result;
}

int RunLockOperation(void** slot, int operation)
{
    TLockRecord* record = FindLockRecord(slot);
    if (!record)
        return MutexNotAvailable();
    switch (operation) {
    case 0: return CreateLockMutex(*record);
    case 1: return record->Mutex ? ObtainLockMutex(*record->Mutex) : MutexNotAvailable();
    case 2: return record->Mutex ? ReleaseLockMutex(*record->Mutex) : MutexNotAvailable();
    case 3: return DestroyLockMutex(record);
    default: LogLockManager(llError, Format("[lock manager] error, invalid mutex operation %d.", operation)); return -1;
    }
}

} // namespace

extern "C" int LockManagerProc(void** slot, int operation)
{
    if (finalizing || !slot)
        return finalizing ? 0 : -1;
    try {
        return RunLockOperation(slot, operation);
    } catch (...) {
        // Nothing may unwind into FFmpeg's frames.
        return -1;
    }
}

// ---------------------------------------------------------------------------
// Engine start-up and shut-down

namespace {

class TFFLoadUnit {
public:
    TFFLoadUnit()
    {
        // Saves the caller's floating-point environment and masks every
        // floating-point exception for the engine and FFmpeg; rounding is to
        // nearest, halves to even.
        std::feholdexcept(&savedEnvironment_);
        std::fesetround(FE_TONEAREST);
    }

    ~TFFLoadUnit()
    {
        std::fesetenv(&savedEnvironment_);
        finalizing = true;
        // The logger may already be gone; FFmpeg may still log while it unloads.
        if (av::av_log_set_callback && av::av_log_default_callback)
            av::av_log_set_callback(av::av_log_default_callback);
        // At process exit nobody is left to hear of a failed unload, and an
        // exception leaving a destructor would end the process instead.
        try {
            FFLoader.UnloadLibraries(AllLibraries);
        } catch (...) {}
        FreeLockRecords();
    }

private:
    std::fenv_t savedEnvironment_{};
};

TFFLoadUnit unit;

} // namespace
