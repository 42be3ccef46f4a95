#include "app/OutputNames.h"

#include "app/OptionText.h"
#include "platform/core/Files.h"
#include "platform/core/Strings.h"

std::string OutputFolderOf(const std::string& text) { return text.empty() || text.back() == '/' ? text : text + "/"; }

bool SameOutputName(const std::string& a, const std::string& b)
{
    return AnsiLowerCase(Trim(a)) == AnsiLowerCase(Trim(b));
}

std::string UniqueOutputName(const std::string& folder, const std::string& sourceFile,
                             const std::string& dottedExtension, const TOutputNameInUse& inUse)
{
    const std::string outputFolder = folder.empty() ? ExtractFilePath(sourceFile) : folder;
    const std::string sourceName = ExtractFileName(sourceFile);
    const std::string base = outputFolder + sourceName.substr(0, sourceName.size() - ExtractFileExt(sourceName).size());
    for (int32_t n = 1;; ++n) {
        const std::string name = base + "_new" + ZeroPad3(n) + dottedExtension;
        if (!FileExists(name) && !(inUse && inUse(name)))
            return name;
    }
}
