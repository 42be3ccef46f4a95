#pragma once
// The class library's exception hierarchy. Every error the platform raises
// derives from Exception and carries its text in Message().

#include <exception>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/core/Strings.h"

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const { return message_; }
    void SetMessage(const std::string& message) { message_ = message; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The "silent" exception: it unwinds like any other but the application's
// handler never shows it to the user.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};
[[noreturn]] void Abort();

#define PLATFORM_DECLARE_EXCEPTION(Name, Base)                                                                         \
    class Name : public Base {                                                                                         \
    public:                                                                                                            \
        using Base::Base;                                                                                              \
    }

PLATFORM_DECLARE_EXCEPTION(EConvertError, Exception);
PLATFORM_DECLARE_EXCEPTION(EStreamError, Exception);
PLATFORM_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
PLATFORM_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
PLATFORM_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
PLATFORM_DECLARE_EXCEPTION(EReadError, EStreamError);
PLATFORM_DECLARE_EXCEPTION(EWriteError, EStreamError);
PLATFORM_DECLARE_EXCEPTION(EHeapException, Exception);
PLATFORM_DECLARE_EXCEPTION(EOutOfMemory, EHeapException);
PLATFORM_DECLARE_EXCEPTION(EInvalidOperation, Exception);
PLATFORM_DECLARE_EXCEPTION(EListError, Exception);
PLATFORM_DECLARE_EXCEPTION(EThread, Exception);
PLATFORM_DECLARE_EXCEPTION(EInvalidPointer, Exception);
PLATFORM_DECLARE_EXCEPTION(EInvalidArgument, Exception);
PLATFORM_DECLARE_EXCEPTION(EInOutError, Exception);

#undef PLATFORM_DECLARE_EXCEPTION

// An operating-system call failed; ErrorCode() is the errno value.
class EOSError : public Exception {
public:
    EOSError(int errorCode, const std::string& message) : Exception(message), errorCode_(errorCode) {}
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

// Text of an errno value, as SysErrorMessage gives it for system error codes.
std::string SysErrorMessage(int errorCode);
// Raises EOSError "System Error.  Code: %d.\n%s" for errno (or the given code).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int errorCode);

namespace platform_detail {
inline const char* FormatArgument(const std::string& s) { return s.c_str(); }
template <class T>
T FormatArgument(T value)
{
    static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T>,
                  "Format arguments must be numbers, pointers or strings");
    return value;
}
} // namespace platform_detail

// The CreateFmt constructor: `throw CreateFmt<EReadError>("bad %s at %d", name, 3);`
// std::string arguments are passed as their C strings.
template <class E = Exception, class... Args>
E CreateFmt(const char* fmt, const Args&... args)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return E(Format(fmt, platform_detail::FormatArgument(args)...));
#pragma GCC diagnostic pop
}
