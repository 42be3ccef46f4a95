#include "platform/core/Exceptions.h"

#include <cerrno>
#include <cstring>

void Abort() { throw EAbort(); }

std::string SysErrorMessage(int errorCode)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be the buffer.
    return strerror_r(errorCode, buffer, sizeof buffer);
}

void RaiseLastOSError() { RaiseLastOSError(errno); }

void RaiseLastOSError(int errorCode)
{
    throw EOSError(errorCode, Format("System Error.  Code: %d.\n%s", errorCode, SysErrorMessage(errorCode).c_str()));
}
