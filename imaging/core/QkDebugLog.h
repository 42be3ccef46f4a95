#pragma once
// The input/output unit's debug log.

#include <string>

// When DebugLogFileName is set, appends "date time : message" as one line,
// creating the file when it does not exist. A write that fails is ignored:
// logging never ends the caller's work. Safe from any thread.
void AppendDebugLog(const std::string& message);
