#include "imaging/core/QkMemory.h"

#include "imaging/core/QkCgroup.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int64_t MixedHeapLimit = 1048576;
constexpr int64_t MixedTagSize = 4;
constexpr uint8_t HeapTag = 0;
constexpr uint8_t GlobalTag = 1;

uint8_t* HeapAllocZero(int64_t size)
{
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max())
        return nullptr;
    return new (std::nothrow) uint8_t[static_cast<size_t>(std::max<int64_t>(size, 1))]();
}

int64_t CgroupMemoryLimit()
{
    std::istringstream limit(ReadCgroupFile("memory.max"));
    int64_t bytes = 0;
    if (!(limit >> bytes) || bytes <= 0)
        return std::numeric_limits<int64_t>::max();
    return bytes;
}

int64_t MemAvailable()
{
    std::ifstream file("/proc/meminfo");
    std::string key;
    int64_t kilobytes = 0;
    std::string unit;
    while (file >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:")
            return kilobytes * 1024;
    }
    return static_cast<int64_t>(sysconf(_SC_AVPHYS_PAGES)) * sysconf(_SC_PAGESIZE);
}

} // namespace

void* GlobalAllocZero(int64_t size)
{
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max())
        return nullptr;
    return std::calloc(static_cast<size_t>(std::max<int64_t>(size, 1)), 1);
}

void GlobalFreeAndNil(void*& block)
{
    std::free(block);
    block = nullptr;
}

uint8_t* AllocMixed(int64_t size)
{
    if (size < 0 || size > std::numeric_limits<int64_t>::max() - MixedTagSize)
        return nullptr;
    const int64_t total = size + MixedTagSize;
    uint8_t* block = nullptr;
    uint8_t tag = GlobalTag;
    if (total < MixedHeapLimit) {
        block = HeapAllocZero(total);
        tag = HeapTag;
    }
    if (block == nullptr) {
        block = static_cast<uint8_t*>(GlobalAllocZero(total));
        tag = GlobalTag;
    }
    if (block == nullptr)
        return nullptr;
    block[0] = tag;
    return block + 1;
}

void FreeMixed(uint8_t*& address)
{
    if (address == nullptr)
        return;
    uint8_t* block = address - 1;
    if (block[0] == HeapTag) {
        delete[] block;
    } else {
        void* global = block;
        GlobalFreeAndNil(global);
    }
    address = nullptr;
}

bool TryGetMem(void*& address, int64_t size)
{
    address = HeapAllocZero(size);
    return address != nullptr;
}

void FreeMem(void*& address)
{
    delete[] static_cast<uint8_t*>(address);
    address = nullptr;
}

int64_t GetPhysicalMemory(bool available)
{
    if (available)
        return std::min(MemAvailable(), CgroupMemoryLimit());
    // Every new bitmap asks for its memory threshold: the machine's memory
    // and the process's limit are read once, not from files each time.
    static const int64_t physical =
        std::min(static_cast<int64_t>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE), CgroupMemoryLimit());
    return physical;
}
