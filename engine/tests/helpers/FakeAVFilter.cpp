// A stand-in for libavfilter that exports every entry point the engine binds
// except avfilter_graph_alloc, so that binding it must fail at that name.

#include "engine/binding/AVFilterStubs.h"

// The withheld name is exported under another one.
#define avfilter_graph_alloc withheld_avfilter_graph_alloc
#define FAKE_EXPORT_EXPANDED(name)                                                                                     \
    extern "C" void FakeEntry_##name() __asm__(#name);                                                                 \
    void FakeEntry_##name() {}
#define FAKE_EXPORT(name) FAKE_EXPORT_EXPANDED(name)

AVFILTER_ENTRY_POINTS(FAKE_EXPORT)
