#include "imaging/core/QkHash.h"

#include <algorithm>

#include "platform/core/Exceptions.h"

THash1::THash1(int32_t bits)
{
    if (bits < 0 || bits > 30)
        throw CreateFmt<EInvalidArgument>("THash1: %d bits", bits);
    slots_.resize(size_t{1} << bits);
    mask_ = (1u << bits) - 1;
}

bool THash1::Insert(uint32_t value)
{
    std::vector<uint32_t>& slot = slots_[value & mask_];
    if (std::find(slot.begin(), slot.end(), value) != slot.end())
        return false;
    slot.push_back(value);
    ++count_;
    return true;
}
