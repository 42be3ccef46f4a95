// Option strings and preset texts of one input or output file.

#include <vector>

#include "engine/MyUtils.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/libavutil_error.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Files.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"

namespace {

// The tokens of an option string, split with the command-line rules, as the
// C strings the parser walks; they live as long as the object.
class TOptionTokens {
public:
    explicit TOptionTokens(const std::string& Text) : tokens_(SplitCommandLine(Text))
    {
        for (const std::string& token : tokens_)
            pointers_.push_back(token.c_str());
    }
    int32_t Count() const { return static_cast<int32_t>(pointers_.size()); }
    const char* const* Tokens() const { return pointers_.data(); }

private:
    std::vector<std::string> tokens_;
    std::vector<const char*> pointers_;
};

std::string NormalizeLineBreaks(const std::string& Text, const char* LineBreak)
{
    std::string result = StringReplace(Text, "\r\n", "\n", rfReplaceAll);
    result = StringReplace(result, "\r", "\n", rfReplaceAll);
    return std::string(LineBreak) == "\n" ? result : StringReplace(result, "\n", LineBreak, rfReplaceAll);
}

std::string AppendLine(const std::string& Text, const std::string& Line)
{
    return Text.empty() ? Line : Text + "\r\n" + Line;
}

} // namespace

int32_t TCustomFFmpegOpt::ApplyOption(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    const int32_t result = ParseOption(Context, Name, Arg.c_str(), OptionTable);
    return result < 0 ? result : 0;
}

int32_t TCustomFFmpegOpt::ParseOptions(TOptionsContext* Context, const std::string& Options, const std::string& Label,
                                       const std::string& Presets)
{
    BuildOptionTable();
    int32_t result = 0;
    if (!Options.empty()) {
        Log(llInfo, Format("ParseOptions for %s: %s", Label.c_str(), Options.c_str()));
        const TOptionTokens tokens(Options);
        ParseLogLevelEarly(tokens.Count(), tokens.Tokens(), OptionTable);
        OptionErrorText.clear();
        result = FFOptions->SplitOptions(tokens.Count(), StrictOptions, OptionTable, tokens.Tokens());
        if (result >= 0 && !FFOptions->GlobalGroup.Options.empty())
            result = ApplyOptionGroup(nullptr, &FFOptions->GlobalGroup, "global");
        if (result >= 0)
            result = ParsePresets(Context, Presets, Label);
        if (result >= 0 && !FFOptions->FileGroup.Options.empty())
            result = ApplyOptionGroup(Context, &FFOptions->FileGroup, Label);
    } else {
        result = ParsePresets(Context, Presets, Label);
    }
    if (result >= 0)
        return 0;
    const std::string codeText = GetErrorText("", result);
    Log(llFatal, codeText);
    if (!StrictOptions)
        return 0;
    LastErrorText = AppendLine(OptionErrorText, codeText);
    return result;
}

int32_t TCustomFFmpegOpt::ParsePresets(TOptionsContext* Context, const std::string& Presets, const std::string& Label)
{
    if (Presets.empty())
        return 0;
    Log(llInfo,
        Format("ParsePresets for %s:%s%s", Label.c_str(), "\r\n", NormalizeLineBreaks(Presets, "\r\n").c_str()));
    const std::string text = StringReplace(NormalizeLineBreaks(Trim(Presets), "\n"), "<CRLF>", "\n", rfReplaceAll);
    return ApplyPresetLines(Context, text, "", "");
}

int32_t TCustomFFmpegOpt::ApplyPresetLines(TOptionsContext* Context, const std::string& Text,
                                           const std::string& SyntaxPrefix, const std::string& OptionPrefix)
{
    for (const std::string& rawLine : SplitString(Text, '\n')) {
        const std::string line = Trim(rawLine);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key.empty() || value.empty()) {
            const std::string message = SyntaxPrefix + Format("Invalid syntax: \"%s\"", line.c_str());
            Log(llError, message);
            if (StrictOptions) {
                OptionErrorText = message;
                return AVERROR(EINVAL);
            }
        }
        Log(llDebug, Format("Applying preset %s with argument %s.", key.c_str(), value.c_str()));
        OptionErrorText.clear();
        const int32_t result = ApplyPresetOption(Context, key, value);
        if (result >= 0)
            continue;
        const std::string message = OptionPrefix +
            Format("Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"", line.c_str(), key.c_str(),
                   value.c_str());
        Log(llError, message);
        if (StrictOptions) {
            OptionErrorText = AppendLine(OptionErrorText, message);
            return result;
        }
    }
    return 0;
}

int32_t TCustomFFmpegOpt::ApplyPresetOption(TOptionsContext* Context, const std::string& Key, const std::string& Value)
{
    const std::string key = LowerCase(Key);
    if (key == "acodec")
        return ApplyOption(Context, "codec:a", Value);
    if (key == "vcodec")
        return ApplyOption(Context, "codec:v", Value);
    if (key == "scodec")
        return ApplyOption(Context, "codec:s", Value);
    if (key == "dcodec")
        return ApplyOption(Context, "codec:d", Value);
    return OptDefaultNew(Context, Key, Value);
}

int32_t TCustomFFmpegOpt::OptPresetFile(TOptionsContext* Context, [[maybe_unused]] const std::string& Name,
                                        const std::string& Arg)
{
    if (!FileExists(Arg))
        return Fail(llError, Format("Preset file \"%s\" not found", Arg.c_str()), AVERROR(EINVAL));
    Log(llInfo, Format("Parse preset file: %s", Arg.c_str()));
    TStringList lines;
    lines.LoadFromFile(Arg);
    std::string text;
    for (int32_t i = 0; i < lines.Count(); ++i)
        text += lines[i] + "\n";
    return ApplyPresetLines(Context, text, Arg + ": ", ExtractFileName(Arg) + ": ");
}

int32_t TCustomFFmpegOpt::OptDefaultNew(TOptionsContext* Context, const std::string& Name, const std::string& Value)
{
    TDictionaryPtr globalCodecOpts = std::move(FFOptions->CodecOpts);
    TDictionaryPtr globalFormatOpts = std::move(FFOptions->FormatOpts);
    const int32_t result = FFOptions->SetLibraryOption(Name, Value);
    av::av_dict_copy(InOut(Context->Group->CodecOpts), FFOptions->CodecOpts.get(), 0);
    av::av_dict_copy(InOut(Context->Group->FormatOpts), FFOptions->FormatOpts.get(), 0);
    FFOptions->CodecOpts = std::move(globalCodecOpts);
    FFOptions->FormatOpts = std::move(globalFormatOpts);
    return result;
}
