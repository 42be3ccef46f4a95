// libFuzzer target: any bytes load as vector objects, or fail with an
// exception or a refusal that leaves the set empty, without crashing or
// reading outside them; what loads saves and loads again to the same objects.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/views/vect/QkVObjectSet.h"
#include "imaging/views/vect/QkVStream.h"
#include "platform/core/Exceptions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(1 << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream input;
    input.WriteBuffer(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TQkVObjectSet set;
    try {
        if (!LoadObjectsFromStream(set, input, nullptr))
            return 0;
    } catch (const Exception&) {
        if (set.ObjectCount() != 0)
            std::abort();
        return 0;
    }
    TMemoryStream saved;
    SaveObjectsToStream(set, saved);
    saved.SetPosition(0);
    TQkVObjectSet again;
    if (!LoadObjectsFromStream(again, saved, nullptr) || again.ObjectCount() != set.ObjectCount())
        std::abort();
    return 0;
}
