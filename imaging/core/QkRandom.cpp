#include "imaging/core/QkRandom.h"

#include <mutex>
#include <random>

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
    if (range < 1)
        return 0;
    std::lock_guard<std::mutex> lock(generatorLock);
    return std::uniform_int_distribution<int32_t>(0, range - 1)(Generator());
}
