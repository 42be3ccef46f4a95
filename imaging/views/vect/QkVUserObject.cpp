#include "imaging/views/vect/QkVUserObject.h"

#include <mutex>
#include <vector>

namespace {

struct TRegistryEntry {
    std::string Name;
    std::type_index Type;
    TQkVUserObjectFactory Factory;
};

std::mutex registryLock;
std::vector<TRegistryEntry> registry;

} // namespace

void RegisterUserObjectClass(const std::string& name, std::type_index type, TQkVUserObjectFactory factory)
{
    const std::lock_guard lock(registryLock);
    registry.push_back({name, type, std::move(factory)});
}

std::unique_ptr<TQkVUserObject> CreateUserObjectByClassName(const std::string& name)
{
    TQkVUserObjectFactory factory;
    {
        const std::lock_guard lock(registryLock);
        for (const TRegistryEntry& entry : registry)
            if (entry.Name == name) {
                factory = entry.Factory;
                break;
            }
    }
    return factory ? factory() : nullptr;
}

std::string GetUserObjectClassName(const TQkVUserObject& object)
{
    const std::lock_guard lock(registryLock);
    for (const TRegistryEntry& entry : registry)
        if (entry.Type == std::type_index(typeid(object)))
            return entry.Name;
    return {};
}

void ReleaseUserObjectClasses()
{
    const std::lock_guard lock(registryLock);
    registry.clear();
}
