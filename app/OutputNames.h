#pragma once
// Output file names: the source's name with "_new" and a counter, free on
// disk and in the batch.

#include <functional>
#include <string>

// A folder as the settings record keeps it: ending with "/" unless empty.
std::string OutputFolderOf(const std::string& text);

using TOutputNameInUse = std::function<bool(const std::string& name)>;
// folder + source name without extension + "_new" + 001, 002 ... + extension:
// the first that is neither a file nor in use. An empty folder means the
// source's own folder.
std::string UniqueOutputName(const std::string& folder, const std::string& sourceFile,
                             const std::string& dottedExtension, const TOutputNameInUse& inUse);
// Output names compare trimmed and case-blind.
bool SameOutputName(const std::string& a, const std::string& b);
