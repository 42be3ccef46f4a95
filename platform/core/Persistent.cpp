#include "platform/core/Persistent.h"

#include "platform/core/Exceptions.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

std::string TObject::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string name = status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
    // Class-library names carry no scope: drop namespaces and enclosing functions.
    const size_t scope = name.find('<') == std::string::npos ? name.rfind("::") : std::string::npos;
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

std::string ClassNameOf(const TObject* object) { return object ? object->ClassName() : "nil"; }

void TPersistent::Assign(const TPersistent* source)
{
    if (!source)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const
{
    throw CreateFmt<EConvertError>("Cannot assign a %s to a %s", ClassNameOf(source), ClassName());
}
