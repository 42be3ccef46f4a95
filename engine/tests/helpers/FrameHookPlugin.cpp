// A frame-hook plug-in for the tests. Configure keeps its argument count in
// its context; Process writes it into the first byte of the picture, or, when
// configured with the single argument "invert", inverts the first plane.
// Built once more without Configure (NO_CONFIGURE).

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/decode/FFPicture.h"

namespace {

struct TContext {
    int Argc;
    bool Invert;
};

void InvertPlane(uint8_t* row, int linesize, int width, int height)
{
    for (int y = 0; y < height; ++y, row += linesize)
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<uint8_t>(255 - row[x]);
}

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
    own->Invert = argc == 2 && std::strcmp(argv[1], "invert") == 0;
    *context = own;
    return 0;
}
#endif

void Process(void* context, TFFPicture* picture, int, int width, int height, int64_t)
{
    if (context && static_cast<TContext*>(context)->Invert) {
        InvertPlane(picture->Data[0], picture->Linesize[0], width, height);
        return;
    }
    picture->Data[0][0] = static_cast<uint8_t>(context ? static_cast<TContext*>(context)->Argc : 99);
}

void Release(void* context)
{
    std::free(context);
    ++ReleasedCount;
}
}
