#include "imaging/core/QkRandom.h"

#include <mutex>

namespace {

std::mutex generatorLock;

std::mt19937& Generator()
{
    static std::mt19937 generator{std::random_device{}()};
    return generator;
}

} // namespace

void SetRandSeed(uint32_t seed)
{
    std::lock_guard<std::mutex> lock(generatorLock);
    Generator().seed(seed);
}

int32_t Random(int32_t range)
{
    std::lock_guard<std::mutex> lock(generatorLock);
    const uint32_t draw = Generator()();
    if (range < 1)
        return 0;
    // The high half of draw * range: 0 <= result < range, one draw per call.
    return static_cast<int32_t>((static_cast<uint64_t>(draw) * static_cast<uint32_t>(range)) >> 32);
}

TRandomState SaveRandomState()
{
    std::lock_guard<std::mutex> lock(generatorLock);
    return {Generator()};
}

void RestoreRandomState(const TRandomState& state)
{
    std::lock_guard<std::mutex> lock(generatorLock);
    Generator() = state.Generator;
}
