// The option parser: option strings become option groups, library options go
// to FFmpeg's option dictionaries, and values reach their targets.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <variant>

#include "engine/FFLog.h"
#include "engine/FFUtils.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/SwResampleStubs.h"
#include "engine/binding/SwScaleStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

std::string OptionErrorText;

namespace {

void LogLine(int Level, const std::string& Text) { av::av_log(nullptr, Level, "%s\n", Text.c_str()); }

void FreeSwsContext(SwsContext*& Context)
{
    if (Context)
        av::sws_freeContext(Context);
    Context = nullptr;
}

// Repeated flag options accumulate only when written as "+flag" or "-flag";
// a plain value replaces the earlier one instead of being glued to it.
int DictFlagsFor(const AVOption* Option, const std::string& Value)
{
    const bool relative = !Value.empty() && (Value[0] == '+' || Value[0] == '-');
    return Option->type == AV_OPT_TYPE_FLAGS && relative ? AV_DICT_APPEND : 0;
}

const AVOption* FindClassOption(const AVClass* Class, const char* Name, int OptionFlags, int SearchFlags)
{
    return av::av_opt_find(&Class, Name, nullptr, OptionFlags, SearchFlags);
}

constexpr int SearchChildrenFake = AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ;

struct TLogLevelName {
    const char* Name;
    int Level;
};
constexpr TLogLevelName FFmpegLevelNames[] = {
    {"quiet", AV_LOG_QUIET},     {"panic", AV_LOG_PANIC}, {"fatal", AV_LOG_FATAL},     {"error", AV_LOG_ERROR},
    {"warning", AV_LOG_WARNING}, {"info", AV_LOG_INFO},   {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG}};

void ApplyFFmpegLogLevel(int64_t Level)
{
    const int64_t ordinal = std::clamp<int64_t>(Level / 8 + 1, 0, 7);
    Logger()->SetLogLevel(static_cast<TLogLevel>(ordinal));
}

std::string InvalidLogLevelText(const std::string& Arg, const char* LineBreak)
{
    std::string text = Format("Invalid loglevel \"%s\". Possible levels are numbers or:%s", Arg.c_str(), LineBreak);
    for (const TLogLevelName& level : FFmpegLevelNames)
        text += Format("\"%s\"%s", level.Name, LineBreak);
    return text;
}

} // namespace

// ---------------------------------------------------------------------------
// TFFOptions

TFFOptions::~TFFOptions() { FreeGroups(); }

void TFFOptions::InitContexts()
{
    FreeContexts();
    SwsOpts = av::sws_getContext(16, 16, AV_PIX_FMT_YUV420P, 16, 16, AV_PIX_FMT_YUV420P, static_cast<int>(SwsFlags),
                                 nullptr, nullptr, nullptr);
}

void TFFOptions::FreeContexts()
{
    FreeSwsContext(SwsOpts);
    SwrOpts.reset();
    FormatOpts.reset();
    CodecOpts.reset();
    ResampleOpts.reset();
}

void TFFOptions::Reset()
{
    FreeGroups();
    InitContexts();
}

static void FreeLibraryOptions(TOptionGroup& Group)
{
    Group.CodecOpts.reset();
    Group.FormatOpts.reset();
    Group.ResampleOpts.reset();
    FreeSwsContext(Group.SwsOpts);
    Group.SwrOpts.reset();
}

static void ClearGroup(TOptionGroup& Group)
{
    Group.Options.clear();
    FreeLibraryOptions(Group);
}

void TFFOptions::FreeGroups()
{
    ClearGroup(FileGroup);
    ClearGroup(GlobalGroup);
    FreeContexts();
}

void TFFOptions::FinishFileGroup()
{
    FreeLibraryOptions(FileGroup);
    std::swap(FileGroup.CodecOpts, CodecOpts);
    std::swap(FileGroup.FormatOpts, FormatOpts);
    std::swap(FileGroup.ResampleOpts, ResampleOpts);
    std::swap(FileGroup.SwsOpts, SwsOpts);
    std::swap(FileGroup.SwrOpts, SwrOpts);
    InitContexts();
}

int32_t TFFOptions::TrySwsOption(const std::string& Name, const std::string& Value)
{
    const int result = SwsOpts ? av::av_opt_set(SwsOpts, Name.c_str(), Value.c_str(), 0) : AVERROR(EINVAL);
    if (result < 0) {
        OptionErrorText = Format("Error setting option \"%s\"", Name.c_str());
        LogLine(AV_LOG_ERROR, OptionErrorText);
    }
    return result;
}

int32_t TFFOptions::TrySwrOption(const std::string& Name, const std::string& Value)
{
    SwrContext* probe = av::swr_alloc();
    int result = probe ? av::av_opt_set(probe, Name.c_str(), Value.c_str(), 0) : AVERROR(ENOMEM);
    if (probe)
        av::swr_free(&probe);
    if (result < 0) {
        OptionErrorText = Format("Error setting option \"%s\"", Name.c_str());
        LogLine(AV_LOG_ERROR, OptionErrorText);
    }
    return result;
}

int32_t TFFOptions::SetLibraryOption(const std::string& Name, const std::string& Value)
{
    if (Name == "debug" || Name == "fdebug")
        Logger()->SetLogLevel(llDebug);
    const std::string base = Name.substr(0, std::min<size_t>(Name.find(':'), 127));
    const char* name = Name.c_str();
    bool consumed = false;

    const AVOption* option = FindClassOption(av::avcodec_get_class(), base.c_str(), 0, SearchChildrenFake);
    if (!option && Name[0] && std::strchr("asv", Name[0]))
        option = FindClassOption(av::avcodec_get_class(), name + 1, 0, AV_OPT_SEARCH_FAKE_OBJ);
    if (option) {
        av::av_dict_set(InOut(CodecOpts), name, Value.c_str(), DictFlagsFor(option, Value));
        consumed = true;
    }
    option = FindClassOption(av::avformat_get_class(), name, 0, SearchChildrenFake);
    if (option) {
        av::av_dict_set(InOut(FormatOpts), name, Value.c_str(), DictFlagsFor(option, Value));
        if (consumed)
            LogLine(AV_LOG_VERBOSE, Format("Routing %s to codec and muxer layer", name));
        consumed = true;
    }
    if (!consumed && FindClassOption(av::sws_get_class(), name, 0, SearchChildrenFake)) {
        const int32_t result = TrySwsOption(Name, Value);
        if (result < 0)
            return result;
        consumed = true;
    }
    option = consumed ? nullptr : FindClassOption(av::swr_get_class(), name, 0, SearchChildrenFake);
    if (option) {
        const int32_t result = TrySwrOption(Name, Value);
        if (result < 0)
            return result;
        av::av_dict_set(InOut(SwrOpts), name, Value.c_str(), DictFlagsFor(option, Value));
        consumed = true;
    }
    return consumed ? 0 : AVERROR_OPTION_NOT_FOUND;
}

int32_t TFFOptions::SplitOptions(int32_t Count, bool Strict, const TOptionDef* Table, const char* const* Tokens)
{
    av::av_log(nullptr, AV_LOG_DEBUG, "Parsing the options.\n");
    for (int32_t index = 0; index < Count;) {
        av::av_log(nullptr, AV_LOG_DEBUG, "Reading option \"%s\" ... ", Tokens[index]);
        const char* next = index + 1 < Count ? Tokens[index + 1] : nullptr;
        const int32_t result = SplitToken(Strict, Table, Tokens[index], next, index);
        if (result < 0)
            return result;
    }
    FinishFileGroup();
    LogLine(AV_LOG_DEBUG, "Finished parsing the options.");
    return 0;
}

int32_t TFFOptions::SplitToken(bool Strict, const TOptionDef* Table, const char* Token, const char* Next,
                               int32_t& Index)
{
    if (Token[0] != '-' || Token[1] == 0)
        return SkipStrayToken(Strict, Token, Index);
    const char* name = Token + 1;
    const TOptionDef* def = FindOptionDef(Table, name);
    if (def->Name) {
        const char* value = "1";
        if (def->Flags & ofHasArg) {
            if (!Next) {
                LogLine(AV_LOG_ERROR, Format("Missing argument for option \"%s\".", name));
                return AVERROR(EINVAL);
            }
            value = Next;
            ++Index;
        }
        ++Index;
        AddParsedOption(&GlobalGroup, &FileGroup, def, value, name);
        LogLine(AV_LOG_DEBUG,
                Format("matched as option \"%s\" (%s) with argument \"%s\".", def->Name, def->Help, value));
        return 0;
    }
    if (Next) {
        const int32_t result = SetLibraryOption(name, Next);
        if (result >= 0) {
            LogLine(AV_LOG_DEBUG, Format("matched as AVOption \"%s\" with argument \"%s\".", name, Next));
            Index += 2;
            return 0;
        }
        if (result != AVERROR_OPTION_NOT_FOUND) {
            LogLine(AV_LOG_ERROR, Format("Error parsing option \"%s\" with argument \"%s\".", name, Next));
            return result;
        }
    }
    def = std::strncmp(name, "no", 2) == 0 ? FindOptionDef(Table, name + 2) : nullptr;
    if (def && def->Name && (def->Flags & ofBool)) {
        AddParsedOption(&GlobalGroup, &FileGroup, def, "0", name);
        LogLine(AV_LOG_DEBUG, Format("matched as option \"%s\" (%s) with argument 0.", def->Name, def->Help));
        ++Index;
        return 0;
    }
    LogLine(AV_LOG_ERROR, Format("Unrecognized option \"%s\".", name));
    if (Strict)
        return AVERROR_OPTION_NOT_FOUND;
    ++Index;
    return 0;
}

// A token that is no option: an error in strict mode, else skipped.
int32_t TFFOptions::SkipStrayToken(bool Strict, const char* Token, int32_t& Index)
{
    if (Strict) {
        OptionErrorText = Token[0] ? Format("Failed to parse options on %s", Token) : "Failed to parse options";
        LogLine(AV_LOG_ERROR, OptionErrorText);
        return AVERROR(EINVAL);
    }
    LogLine(AV_LOG_WARNING,
            Token[0] ? Format("Invalid option %s found while parsing options, ignore", Token)
                     : "Invalid option found while parsing options, ignore");
    ++Index;
    return 0;
}

// ---------------------------------------------------------------------------
// Rows and values

const TOptionDef* FindOptionDef(const TOptionDef* Table, const std::string& Name)
{
    const std::string base = Name.substr(0, Name.find(':'));
    while (Table->Name && base != Table->Name)
        ++Table;
    return Table;
}

void AddParsedOption(TOptionGroup* GlobalGroup, TOptionGroup* FileGroup, const TOptionDef* Def,
                     const std::string& Value, const std::string& Key)
{
    TOptionGroup* group = (Def->Flags & ofFileGroup) ? FileGroup : GlobalGroup;
    group->Options.push_back(TParsedOption{Def, Key, Value});
}

int32_t ParseOption(TOptionsContext* Context, const std::string& Name, const char* Arg, const TOptionDef* Table)
{
    const TOptionDef* def = FindOptionDef(Table, Name);
    if (!def->Name && Name.compare(0, 2, "no") == 0) {
        def = FindOptionDef(Table, Name.substr(2));
        if (def->Name && (def->Flags & ofBool))
            Arg = "0";
    } else if (def->Flags & ofBool) {
        Arg = "1";
    }
    if (!def->Name) {
        OptionErrorText = Format("Unrecognized option \"%s\"", Name.c_str());
        LogLine(AV_LOG_ERROR, OptionErrorText);
        return AVERROR(EINVAL);
    }
    if ((def->Flags & ofHasArg) && !Arg) {
        OptionErrorText = Format("Missing argument for option \"%s\"", Name.c_str());
        LogLine(AV_LOG_ERROR, OptionErrorText);
        return AVERROR(EINVAL);
    }
    const int32_t result = WriteOptionValue(Context, def, Name, Arg ? Arg : "");
    if (result < 0)
        return result;
    return (def->Flags & ofHasArg) ? 1 : 0;
}

namespace {

// Where one option value goes: a job setting, a field of the options context
// or the entry a per-stream option appended.
using TValueSlot =
    std::variant<std::monostate, std::optional<std::string>*, std::string*, int32_t*, int64_t*, float*, double*>;

// Parses the argument into a slot; the slot's type says how.
struct TValueWriter {
    uint32_t Flags;
    const std::string& Name;
    const std::string& Arg;

    void operator()(std::monostate) const {}
    void operator()(std::optional<std::string>* Target) const { *Target = Arg; }
    void operator()(std::string* Target) const { *Target = Arg; }
    void operator()(int32_t* Target) const { *Target = ParseIntOption(Name, Arg); }
    void operator()(int64_t* Target) const
    {
        *Target = (Flags & ofTime) ? ParseTimeOption(Name, Arg, true) : ParseInt64Option(Name, Arg);
    }
    void operator()(float* Target) const { *Target = ParseFloatOption(Name, Arg); }
    void operator()(double* Target) const { *Target = ParseDoubleOption(Name, Arg); }
};

TValueSlot EntrySlot(TSpecifierValue& Value, uint32_t Flags)
{
    if (Flags & ofString)
        return &Value.Str;
    if (Flags & (ofBool | ofInt))
        return &Value.I;
    if (Flags & (ofInt64 | ofTime))
        return &Value.I64;
    if (Flags & ofFloat)
        return &Value.F;
    if (Flags & ofDouble)
        return &Value.Dbl;
    return {};
}

TValueSlot AppendSpecifierEntry(TSpecifierList& List, const std::string& Name, uint32_t Flags)
{
    const size_t colon = Name.find(':');
    TSpecifierOpt& entry = List.emplace_back();
    entry.Specifier = colon == std::string::npos ? std::string() : Name.substr(colon + 1);
    return EntrySlot(entry.Value, Flags);
}

TValueSlot ContextSlot(TOptionsContext& Context, const TOptionDef* Def, const std::string& Name)
{
    return std::visit(
        [&](auto Member) -> TValueSlot {
            using TMember = decltype(Member);
            if constexpr (std::is_same_v<TMember, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<TMember, TSpecifierList TOptionsContext::*>)
                return AppendSpecifierEntry(Context.*Member, Name, Def->Flags);
            else
                return &(Context.*Member);
        },
        Def->Field);
}

TValueSlot SettingSlot(const TOptionDef* Def)
{
    return std::visit([](auto Target) -> TValueSlot { return Target; }, Def->Setting);
}

} // namespace

static int32_t CallHandler(TOptionsContext* Context, const TOptionDef* Def, const std::string& Name,
                           const std::string& Arg)
{
    OptionErrorText.clear();
    const int32_t result = Def->Handler(Def->HandlerObject, Context, Name, Arg);
    if (result >= 0)
        return result;
    const std::string failure = Format("Failed to set value \"%s\" for option \"%s\"", Arg.c_str(), Name.c_str());
    OptionErrorText = OptionErrorText.empty() ? failure : OptionErrorText + "\r\n" + failure;
    LogLine(AV_LOG_ERROR, failure);
    return result;
}

int32_t WriteOptionValue(TOptionsContext* Context, const TOptionDef* Def, const std::string& Name,
                         const std::string& Arg)
{
    const bool inContext = Def->Flags & (ofOffset | ofSpec);
    if (inContext && !Context)
        throw Exception(Format("Option \"%s\" needs the options of a file", Name.c_str()));
    const TValueSlot slot = inContext ? ContextSlot(*Context, Def, Name) : SettingSlot(Def);
    if (std::holds_alternative<std::monostate>(slot) && Def->Handler)
        return CallHandler(Context, Def, Name, Arg);
    std::visit(TValueWriter{Def->Flags, Name, Arg}, slot);
    return 0;
}

int32_t ApplyOptionGroup(TOptionsContext* Context, TOptionGroup* Group, const std::string& Label)
{
    LogLine(AV_LOG_DEBUG, Format("Parsing a group of options: %s.", Label.c_str()));
    for (size_t i = 0; i < Group->Options.size(); ++i) {
        const TParsedOption& option = Group->Options[i];
        LogLine(AV_LOG_DEBUG,
                Format("Applying option %s (%s) with argument %s.", option.Key.c_str(), option.Def->Help,
                       option.Value.c_str()));
        const int32_t result = WriteOptionValue(Context, option.Def, option.Key, option.Value);
        if (result < 0)
            return result;
    }
    LogLine(AV_LOG_DEBUG, "Successfully parsed a group of options.");
    return 0;
}

int32_t LocateOption(int32_t Count, const char* const* Tokens, const TOptionDef* Table, const char* Name)
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Tokens[i][0] != '-')
            continue;
        const char* text = Tokens[i] + 1;
        const TOptionDef* def = FindOptionDef(Table, text);
        if (std::strcmp(def->Name ? def->Name : text, Name) == 0)
            return i;
        if (def->Name && (def->Flags & ofHasArg))
            ++i;
    }
    return -1;
}

void ParseLogLevelEarly(int32_t Count, const char* const* Tokens, const TOptionDef* Table)
{
    int32_t index = LocateOption(Count, Tokens, Table, "loglevel");
    if (index < 0)
        index = LocateOption(Count, Tokens, Table, "v");
    if (index >= 0 && index + 1 < Count)
        SetLogLevelOption(Tokens[index], Tokens[index + 1]);
}

int32_t SetLogLevelOption([[maybe_unused]] const std::string& Name, const std::string& Arg)
{
    for (const TLogLevelName& level : FFmpegLevelNames) {
        if (Arg == level.Name) {
            ApplyFFmpegLogLevel(level.Level);
            return 0;
        }
    }
    char* tail = nullptr;
    const long long level = std::strtoll(Arg.c_str(), &tail, 10);
    if (Arg.empty() || *tail != 0) {
        OptionErrorText = InvalidLogLevelText(Arg, "\r\n");
        av::av_log(nullptr, AV_LOG_ERROR, "%s", InvalidLogLevelText(Arg, "\n").c_str());
        return AVERROR(EINVAL);
    }
    ApplyFFmpegLogLevel(level);
    return 0;
}

// ---------------------------------------------------------------------------
// Number and time texts

int32_t ParseIntOption(const std::string& Name, const std::string& Text)
{
    int32_t value = 0;
    if (!TryStrToInt(Text, value))
        throw Exception(Format("Expected integer for \"%s\" but found \"%s\"", Name.c_str(), Text.c_str()));
    return value;
}

int64_t ParseInt64Option(const std::string& Name, const std::string& Text)
{
    int64_t value = 0;
    if (!TryStrToInt64(Text, value))
        throw Exception(Format("Expected int64 for \"%s\" but found \"%s\"", Name.c_str(), Text.c_str()));
    return value;
}

float ParseFloatOption(const std::string& Name, const std::string& Text)
{
    double value = 0;
    if (!TryStrToFloat(Text, value) || std::abs(value) > std::numeric_limits<float>::max())
        throw Exception(Format("Expected float for \"%s\" but found \"%s\"", Name.c_str(), Text.c_str()));
    return static_cast<float>(value);
}

double ParseDoubleOption(const std::string& Name, const std::string& Text)
{
    double value = 0;
    if (!TryStrToFloat(Text, value))
        throw Exception(Format("Expected double for \"%s\" but found \"%s\"", Name.c_str(), Text.c_str()));
    return value;
}

int64_t ParseTimeOption(const std::string& Name, const std::string& Text, bool IsDuration)
{
    int64_t value = 0;
    if (av::av_parse_time(&value, Text.c_str(), IsDuration ? 1 : 0) < 0)
        throw Exception(Format("Invalid %s specification for \"%s\": \"%s\"", IsDuration ? "duration" : "date",
                               Name.c_str(), Text.c_str()));
    return value;
}

// ---------------------------------------------------------------------------
// Per-stream codec options

int32_t MatchStreamSpecifier(AVFormatContext* FormatContext, AVStream* Stream, const char* Spec)
{
    return av::avformat_match_stream_specifier(FormatContext, Stream, Spec);
}

namespace {

struct TStreamOptionKind {
    int Flags;
    char TypeLetter;
};

TStreamOptionKind StreamOptionKind(const AVFormatContext* FormatContext, const AVStream* Stream)
{
    TStreamOptionKind kind{FormatContext->oformat ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM, 0};
    switch (Stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        kind.Flags |= AV_OPT_FLAG_VIDEO_PARAM;
        kind.TypeLetter = 'v';
        break;
    case AVMEDIA_TYPE_AUDIO:
        kind.Flags |= AV_OPT_FLAG_AUDIO_PARAM;
        kind.TypeLetter = 'a';
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        kind.Flags |= AV_OPT_FLAG_SUBTITLE_PARAM;
        kind.TypeLetter = 's';
        break;
    default: break;
    }
    return kind;
}

// Takes one entry into Result when the codec (generic or private options)
// knows its key, or knows it without the stream's type letter in front.
void TakeCodecOption(TDictionaryPtr& Result, const std::string& Key, const char* Value, const AVCodec* Codec,
                     const TStreamOptionKind& Kind)
{
    const AVClass* codecClass = av::avcodec_get_class();
    if (FindClassOption(codecClass, Key.c_str(), Kind.Flags, AV_OPT_SEARCH_FAKE_OBJ) ||
        (Codec->priv_class && FindClassOption(Codec->priv_class, Key.c_str(), Kind.Flags, AV_OPT_SEARCH_FAKE_OBJ))) {
        av::av_dict_set(InOut(Result), Key.c_str(), Value, 0);
    } else if (Kind.TypeLetter && Key[0] == Kind.TypeLetter &&
               FindClassOption(codecClass, Key.c_str() + 1, Kind.Flags, AV_OPT_SEARCH_FAKE_OBJ)) {
        av::av_dict_set(InOut(Result), Key.c_str() + 1, Value, 0);
    }
}

} // namespace

TDictionaryPtr FilterCodecOptions(const AVDictionary* Opts, AVCodecID CodecId, AVFormatContext* FormatContext,
                                  AVStream* Stream, const AVCodec* Codec)
{
    const TStreamOptionKind kind = StreamOptionKind(FormatContext, Stream);
    if (!Codec)
        Codec = FormatContext->oformat ? av::avcodec_find_encoder(CodecId) : av::avcodec_find_decoder(CodecId);
    TDictionaryPtr result;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av::av_dict_get(Opts, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        std::string key = entry->key;
        const size_t colon = key.find(':');
        if (colon != std::string::npos) {
            const int32_t match = MatchStreamSpecifier(FormatContext, Stream, entry->key + colon + 1);
            if (match < 0)
                return nullptr;
            if (match == 0)
                continue;
            key.resize(colon);
        }
        if (Codec)
            TakeCodecOption(result, key, entry->value, Codec, kind);
    }
    return result;
}

AVDictionary** FindStreamInfoOptions(AVFormatContext* FormatContext, const AVDictionary* CodecOpts)
{
    if (FormatContext->nb_streams == 0)
        return nullptr;
    auto** opts = static_cast<AVDictionary**>(av::av_calloc(FormatContext->nb_streams, sizeof(AVDictionary*)));
    if (!opts) {
        LogLine(AV_LOG_ERROR, "Could not alloc memory for stream options.");
        return nullptr;
    }
    for (unsigned i = 0; i < FormatContext->nb_streams; ++i) {
        AVStream* stream = FormatContext->streams[i];
        opts[i] = FilterCodecOptions(CodecOpts, stream->codecpar->codec_id, FormatContext, stream, nullptr).release();
    }
    return opts;
}
