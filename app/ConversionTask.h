#pragma once
// One source row becomes one task of the conversion encoder.

#include <string>

#include "app/CusOutputOptions.h"
#include "app/JobBuilder.h"

class TCustomEncoder;

// Some task of the encoder already writes to `name` (its first output).
bool OutputNameInUse(TCustomEncoder& encoder, const std::string& name);

// This machine's processor count, the loaded FFmpeg's AMR-NB encoder and the
// encoder's task list.
TJobEnvironment MachineJobEnvironment(TCustomEncoder& encoder);

// Adds the row's task to the encoder; empty on success, otherwise the line
// for the error box. A refused output removes its task again.
std::string AddConversionTask(TCustomEncoder& encoder, const TCusOutputOptions& settings,
                              const TJobEnvironment& environment);
