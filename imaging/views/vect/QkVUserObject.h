#pragma once
// Objects of application-defined classes on the vector layer: the base an
// application derives from, and the registry that maps stored class names
// to classes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>

#include "platform/ui/Messages.h"

class TBrelvixVect;
class TQkBitmap;
class TStream;
struct TQkVObject;

class TQkVUserObject {
public:
    TQkVUserObject() = default;
    virtual ~TQkVUserObject() = default;
    TQkVUserObject(const TQkVUserObject&) = default;
    TQkVUserObject& operator=(const TQkVUserObject&) = default;

    TBrelvixVect* Owner = nullptr;
    TQkVObject* Record = nullptr;
    int32_t Handle = -1;
    bool Flag = false;

    virtual void Attached() {}
    virtual void SetHandle(int32_t hobj) { Handle = hobj; }
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual std::unique_ptr<TQkVUserObject> Clone() const = 0;
    virtual void MouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void MouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void MouseMove(TShiftState /*shift*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void KeyDown(uint16_t& /*key*/, TShiftState /*shift*/) {}
    virtual void Draw(TQkBitmap& destination, int32_t left, int32_t top, int32_t right, int32_t bottom, double zoomX,
                      double zoomY, bool drawAlpha) = 0;
};

using TQkVUserObjectFactory = std::function<std::unique_ptr<TQkVUserObject>()>;

// Registers a class under a name; an application fills the registry before it
// loads files holding objects of its classes.
void RegisterUserObjectClass(const std::string& name, std::type_index type, TQkVUserObjectFactory factory);
template <class T>
void RegisterUserObjectClass(const std::string& name)
{
    RegisterUserObjectClass(name, typeid(T), [] { return std::make_unique<T>(); });
}
// A new instance of the first class registered under the name; nothing when
// none is.
std::unique_ptr<TQkVUserObject> CreateUserObjectByClassName(const std::string& name);
// The name of the first entry for the instance's class; empty when the class
// is not registered.
std::string GetUserObjectClassName(const TQkVUserObject& object);
void ReleaseUserObjectClasses();
