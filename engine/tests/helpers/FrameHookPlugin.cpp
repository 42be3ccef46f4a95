// A frame-hook plug-in for the tests. Configure keeps its argument count in
// its context; Process writes it into the first byte of the picture.
// Built once more without Configure (NO_CONFIGURE).

#include <cstdint>
#include <cstdlib>

#include "engine/FFPicture.h"

namespace {

struct TContext {
    int Argc;
};

} // namespace

extern "C" {

// How many contexts Release has freed, read by the tests.
int ReleasedCount = 0;

#ifndef NO_CONFIGURE
int Configure(void** context, int argc, char* argv[], int lastIndex)
{
    if (lastIndex != 63 || (argc > 1 && argv[1][0] == '!'))
        return -1;
    auto* own = static_cast<TContext*>(std::malloc(sizeof(TContext)));
    own->Argc = argc;
    *context = own;
    return 0;
}
#endif

void Process(void* context, TFFPicture* picture, int, int, int, int64_t)
{
    picture->Data[0][0] = static_cast<uint8_t>(context ? static_cast<TContext*>(context)->Argc : 99);
}

void Release(void* context)
{
    std::free(context);
    ++ReleasedCount;
}
}
