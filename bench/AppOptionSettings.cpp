#include "bench/AppOptionSettings.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/OutputNames.h"
#include "platform/core/Strings.h"

namespace {

// The spin edits of the watermark margins stop here.
constexpr int32_t LargestMargin = 10000;

using TChoiceList = std::function<const std::vector<std::string>&(const TSettingChoices&)>;
using TApply = std::function<std::string(const std::string& value, const TSettingChoices&, TAppSettingTarget&)>;

struct TSettingRule {
    const char* Name;
    TApply Apply;
};

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// An empty value is the list's automatic entry, where the list has one.
TApply Choice(std::string TCusOutputOptions::*field, TChoiceList list, bool automatic = true)
{
    return [=](const std::string& value, const TSettingChoices& choices, TAppSettingTarget& target) {
        const std::vector<std::string>& offered = list(choices);
        const bool listed = std::find(offered.begin(), offered.end(), value) != offered.end();
        if (!listed && !(automatic && value.empty())) {
            if (!automatic)
                return "is not offered; the choices are: " + Joined(offered);
            return "is not offered; the choices are: " +
                (offered.empty() ? std::string("none but automatic (an empty value)")
                                 : "an empty value for automatic, " + Joined(offered));
        }
        target.Record.*field = value;
        return std::string();
    };
}

TChoiceList Fixed(const std::vector<std::string>& (*entries)())
{
    return [entries](const TSettingChoices&) -> const std::vector<std::string>& { return entries(); };
}

TChoiceList OfProfile(std::vector<std::string> TProfileLists::*list)
{
    return [list](const TSettingChoices& choices) -> const std::vector<std::string>& { return choices.Profile.*list; };
}

const std::vector<std::string>& RotationEntries(const TSettingChoices& choices)
{
    static const std::vector<std::string> quarterTurns = {"0", "90", "180", "270"};
    static const std::vector<std::string> none = {"0"};
    return choices.RotationAvailable ? quarterTurns : none;
}

bool ReadInteger(const std::string& value, int64_t smallest, int64_t largest, int64_t& result)
{
    return TryStrToInt64(value, result) && value == Trim(value) && result >= smallest && result <= largest;
}

std::string RangeError(int64_t smallest, int64_t largest)
{
    return "must be a whole number from " + IntToStr(smallest) + " to " + IntToStr(largest);
}

TApply Integer(int32_t TCusOutputOptions::*field, int32_t smallest, int32_t largest)
{
    return [=](const std::string& value, const TSettingChoices&, TAppSettingTarget& target) {
        int64_t number = 0;
        if (!ReadInteger(value, smallest, largest, number))
            return RangeError(smallest, largest);
        target.Record.*field = static_cast<int32_t>(number);
        return std::string();
    };
}

TApply Microseconds(int64_t TCusOutputOptions::*field, bool TAppSettingTarget::*given)
{
    return [=](const std::string& value, const TSettingChoices&, TAppSettingTarget& target) {
        int64_t number = 0;
        // The largest value stands for an unset clip start.
        if (!ReadInteger(value, 0, INT64_MAX - 1, number))
            return std::string("must be a whole number of microseconds, 0 or more");
        target.Record.*field = number;
        target.*given = true;
        return std::string();
    };
}

TApply Switch(bool TCusOutputOptions::*field, bool TAppSettingTarget::*given = nullptr)
{
    return [=](const std::string& value, const TSettingChoices&, TAppSettingTarget& target) {
        if (value != "0" && value != "1")
            return std::string("must be 0 or 1");
        target.Record.*field = value == "1";
        if (given)
            target.*given = true;
        return std::string();
    };
}

std::string SetWatermarkFile(const std::string& value, const TSettingChoices&, TAppSettingTarget& target)
{
    target.Record.WatermarkFile = value;
    // Naming a picture means wanting it, unless WatermarkOn says otherwise.
    if (!target.WatermarkOnGiven)
        target.Record.WatermarkOn = !value.empty();
    return {};
}

std::string SetOutputFolder(const std::string& value, const TSettingChoices&, TAppSettingTarget& target)
{
    target.Record.OutputFolder = OutputFolderOf(value);
    return {};
}

std::string SetProcessorCount(const std::string& value, const TSettingChoices&, TAppSettingTarget& target)
{
    constexpr int64_t LargestCount = 1024;
    int64_t count = 0;
    if (!ReadInteger(value, 1, LargestCount, count))
        return RangeError(1, LargestCount);
    target.Environment.ProcessorCount = static_cast<int32_t>(count);
    return {};
}

const std::vector<TSettingRule>& Rules()
{
    using R = TCusOutputOptions;
    static const std::vector<TSettingRule> rules = {
        {"VideoEncoder", Choice(&R::VideoEncoder, OfProfile(&TProfileLists::VideoEncoders))},
        {"FrameSize", Choice(&R::FrameSize, OfProfile(&TProfileLists::FrameSizes))},
        {"Stretch", Switch(&R::Stretch)},
        {"VideoBitRate", Choice(&R::VideoBitRate, Fixed(VideoBitRateEntries))},
        {"FrameRate", Choice(&R::FrameRate, OfProfile(&TProfileLists::FrameRates))},
        {"AspectRatio", Choice(&R::AspectRatio, Fixed(AspectRatioEntries))},
        {"AudioEncoder", Choice(&R::AudioEncoder, OfProfile(&TProfileLists::AudioEncoders))},
        {"AudioBitRate", Choice(&R::AudioBitRate, OfProfile(&TProfileLists::AudioBitRates))},
        {"SampleRate", Choice(&R::SampleRate, Fixed(SampleRateEntries))},
        {"Channels", Integer(&R::Channels, 0, static_cast<int32_t>(AudioChannelEntries().size()))},
        {"ClipStart", Microseconds(&R::ClipStart, &TAppSettingTarget::ClipStartGiven)},
        {"ClipEnd", Microseconds(&R::ClipEnd, &TAppSettingTarget::ClipEndGiven)},
        {"Rotation", Choice(&R::Rotation, RotationEntries, false)},
        {"WatermarkOn", Switch(&R::WatermarkOn, &TAppSettingTarget::WatermarkOnGiven)},
        {"WatermarkFile", SetWatermarkFile},
        {"WatermarkPosition", Integer(&R::WatermarkPosition, 0, 8)},
        {"MarginX", Integer(&R::MarginX, 0, LargestMargin)},
        {"MarginY", Integer(&R::MarginY, 0, LargestMargin)},
        {"OutputFolder", SetOutputFolder},
        {"ProcessorCount", SetProcessorCount},
    };
    return rules;
}

} // namespace

std::string ApplySetting(const std::string& word, const TSettingChoices& choices, TAppSettingTarget& target)
{
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const auto& rules = Rules();
    const auto rule =
        std::find_if(rules.begin(), rules.end(), [&name](const TSettingRule& r) { return name == r.Name; });
    if (rule == rules.end())
        return "unknown setting \"" + name + "\"; the settings are: " + SettingNames();
    if (equals == std::string::npos)
        return "setting " + name + " has no \"=\" and value";
    const std::string value = word.substr(equals + 1);
    const std::string error = rule->Apply(value, choices, target);
    return error.empty() ? error : name + "=" + value + ": " + error;
}

std::string SettingNames()
{
    std::string names;
    for (const TSettingRule& rule : Rules())
        names += (names.empty() ? "" : " ") + std::string(rule.Name);
    return names;
}
