#pragma once
// Roots of the class library's object model: TObject with its class name,
// and TPersistent with Assign.

#include <functional>
#include <string>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class's name as written in code ("TStringList").
    virtual std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// Class name of a possibly null object, "nil" for none (as error texts show it).
std::string ClassNameOf(const TObject* object);

class TPersistent : public TObject {
public:
    // Copies `source` into this object. The default asks the source to
    // AssignTo this one; an unsupported pair raises EConvertError
    // "Cannot assign a %s to a %s".
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
