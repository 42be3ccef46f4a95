#include "engine/FFBaseComponent.h"

#include "engine/MyUtils.h"
#include "platform/core/ClassRegistry.h"

TFFBaseComponent::TFFBaseComponent(TComponent* owner)
    : TComponent(owner), ReadTimeout(DebuggerAttached() ? 0 : 30000), WriteTimeout(ReadTimeout)
{}

namespace {

const bool registered = [] {
    RegisterClass<TFFBaseComponent, TComponent>("TFFBaseComponent")
        .Property("About", &TFFBaseComponent::About, &TFFBaseComponent::SetAbout)
        .Property("Version", &TFFBaseComponent::Version);
    return true;
}();

} // namespace
