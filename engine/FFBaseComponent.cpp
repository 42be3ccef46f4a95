#include "engine/FFBaseComponent.h"

#include "engine/MyUtils.h"

TFFBaseComponent::TFFBaseComponent(TComponent* owner)
    : TComponent(owner), ReadTimeout(DebuggerAttached() ? 0 : 30000), WriteTimeout(ReadTimeout)
{
}
