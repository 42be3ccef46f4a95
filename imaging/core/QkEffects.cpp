#include "imaging/core/QkEffects.h"

std::array<TEffect, EffectCount>& Effects()
{
    static std::array<TEffect, EffectCount> effects;
    return effects;
}

const TEffect* EffectOfNumber(int32_t number)
{
    if ((number >= 31 && number <= 212) || number == 214)
        return &Effects()[static_cast<size_t>(number - 1)];
    return nullptr;
}
