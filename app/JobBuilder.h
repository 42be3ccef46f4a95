#pragma once
// Turns a source row's output settings into the input and output option
// strings of one conversion task: automatic choices filled in from the
// profile and the source, the video filter chain, and a free output name.

#include <cstdint>

#include "app/CodecChoices.h"
#include "app/CusOutputOptions.h"
#include "app/FrameFilters.h"
#include "app/OutputNames.h"
#include "engine/FFEncode.h"

// What the builder takes from the machine and the engine, passed in so that
// tests can pin it.
struct TJobEnvironment {
    int32_t ProcessorCount = 1;
    // The loaded FFmpeg has the AMR-NB encoder, the 3GP container's own audio.
    bool AmrNbAvailable = false;
    TOutputNameInUse OutputNameInUse;
};

// The processors the operating system reports, at least 1.
int32_t GetProcessorCount();

// The source file and its options: " -ss <seconds>" for a clip, " -vn" for
// an audio profile.
TInputOptions BuildInputOptions(const TCusOutputOptions& settings);
// A free output name and every output option, each after one blank.
TOutputOptions BuildOutputOptions(const TCusOutputOptions& settings, const TJobEnvironment& environment);
