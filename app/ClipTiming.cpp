#include "app/ClipTiming.h"

int64_t SeekOffset(int64_t firstPTS, int64_t clipStart)
{
    if (clipStart == UnsetStart)
        return 0;
    if (firstPTS != UnsetStart && firstPTS < 0)
        return clipStart - firstPTS;
    return clipStart;
}
