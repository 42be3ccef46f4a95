#pragma once
// The engine's option parser (tokens to option groups, library-option
// routing, value conversion) and the media utility routines the other engine
// units share.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/FFHandles.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

struct AVCodec;
struct AVCodecContext;
struct AVDictionary;
struct AVFormatContext;
struct AVStream;
struct SwsContext;
struct TOptionsContext;

// ---------------------------------------------------------------------------
// Option table rows

// Flag bits of an option table row; the values are part of the table format.
enum TOptionFlag : uint32_t {
    ofHasArg = 0x1,
    ofBool = 0x2,
    ofExpert = 0x4,
    ofString = 0x8,
    ofVideo = 0x10,
    ofAudio = 0x20,
    ofInt = 0x80,
    ofFloat = 0x100,
    ofSubtitle = 0x200,
    ofInt64 = 0x400,
    ofNoArgHandler = 0x800,
    ofData = 0x1000,
    ofPerFile = 0x2000,
    ofOffset = 0x4000,
    ofSpec = 0x8000,
    ofTime = 0x10000,
    ofDouble = 0x20000,
};

// Any of these bits puts an option into the group of the file being opened.
constexpr uint32_t ofFileGroup = ofPerFile | ofOffset | ofSpec;

// A handler receives the object of its row (the job), the options context of
// the file being opened (nil for global options), the option name as written
// (with its specifier) and the argument. Negative results are failures.
using TOptionHandler = int32_t (*)(void* Object, TOptionsContext* Context, const std::string& Name,
                                   const std::string& Arg);

// The value of one per-stream list entry; the row's flags say which member
// holds it.
struct TSpecifierValue {
    std::string Str;
    int32_t I = 0;
    int64_t I64 = 0;
    float F = 0;
    double Dbl = 0;
};

// One entry of a per-stream list: the text after the first ":" of the
// option name as written ("" without one) and the value.
struct TSpecifierOpt {
    std::string Specifier;
    TSpecifierValue Value;
};

using TSpecifierList = std::vector<TSpecifierOpt>;

// A job setting an option row writes.
using TSettingTarget = std::variant<std::monostate, int32_t*, float*>;

// A field of the options context an ofOffset or ofSpec row writes; the
// field's type must agree with the row's value flags.
using TContextField =
    std::variant<std::monostate, std::optional<std::string> TOptionsContext::*, int32_t TOptionsContext::*,
                 int64_t TOptionsContext::*, float TOptionsContext::*, TSpecifierList TOptionsContext::*>;

// One row of the option table. A row whose Name is nil ends the table.
// Exactly one target is used: Field for ofOffset/ofSpec rows, Handler when
// the row has one, Setting otherwise.
struct TOptionDef {
    const char* Name;
    uint32_t Flags;
    TSettingTarget Setting;
    TContextField Field;
    TOptionHandler Handler;
    void* HandlerObject;
    const char* Help; // never nil on a row with a name
    const char* ArgName;
};

// One option found while splitting an option string.
struct TParsedOption {
    const TOptionDef* Def;
    std::string Key; // name as written, after the dash, with its specifier
    std::string Value; // the argument, or "1" / "0" for switches
};

struct TOptionGroup {
    std::vector<TParsedOption> Options;
    TDictionaryPtr CodecOpts;
    TDictionaryPtr FormatOpts;
    TDictionaryPtr ResampleOpts;
    SwsContext* SwsOpts = nullptr; // only an option holder
    TDictionaryPtr SwrOpts;
};

// The library-option state of one job or decoder.
class TFFOptions {
public:
    TFFOptions() = default;
    ~TFFOptions();
    TFFOptions(const TFFOptions&) = delete;
    TFFOptions& operator=(const TFFOptions&) = delete;

    uint32_t SwsFlags = 4; // bicubic
    SwsContext* SwsOpts = nullptr;
    TDictionaryPtr SwrOpts;
    TDictionaryPtr FormatOpts;
    TDictionaryPtr CodecOpts;
    TDictionaryPtr ResampleOpts;
    TOptionGroup GlobalGroup;
    TOptionGroup FileGroup;

    void InitContexts();
    void FreeContexts();
    // Called before every parse: empties both groups and makes fresh contexts.
    void Reset();
    void FreeGroups();
    TOptionGroup* Groups() { return &GlobalGroup; }

    // Sorts Count tokens into the global and the file group; 0 or a negative
    // error code.
    int32_t SplitOptions(int32_t Count, bool Strict, const TOptionDef* Table, const char* const* Tokens);
    // 0 when an FFmpeg option class took the option, else the option-not-found
    // code or the error of the scaler/resampler test.
    int32_t SetLibraryOption(const std::string& Name, const std::string& Value);
    // Moves the current library-option holders into the file group.
    void FinishFileGroup();

private:
    int32_t SplitToken(bool Strict, const TOptionDef* Table, const char* Token, const char* Next, int32_t& Index);
    int32_t SkipStrayToken(bool Strict, const char* Token, int32_t& Index);
    int32_t TrySwsOption(const std::string& Name, const std::string& Value);
    int32_t TrySwrOption(const std::string& Name, const std::string& Value);
};

// The text of the last option error; handlers set or extend it.
extern std::string OptionErrorText;

// The row whose name equals Name up to its first ":", or the terminating row.
const TOptionDef* FindOptionDef(const TOptionDef* Table, const std::string& Name);
// Applies one option by name (used by handlers that re-issue an option under
// another name). Arg may be nil. 1 when Arg was consumed, 0 when not,
// negative on error.
int32_t ParseOption(TOptionsContext* Context, const std::string& Name, const char* Arg, const TOptionDef* Table);
int32_t WriteOptionValue(TOptionsContext* Context, const TOptionDef* Def, const std::string& Name,
                         const std::string& Arg);
int32_t ApplyOptionGroup(TOptionsContext* Context, TOptionGroup* Group, const std::string& Label);
void AddParsedOption(TOptionGroup* GlobalGroup, TOptionGroup* FileGroup, const TOptionDef* Def,
                     const std::string& Value, const std::string& Key);
int32_t LocateOption(int32_t Count, const char* const* Tokens, const TOptionDef* Table, const char* Name);
void ParseLogLevelEarly(int32_t Count, const char* const* Tokens, const TOptionDef* Table);
// 0, or -22 with OptionErrorText naming the accepted levels.
int32_t SetLogLevelOption(const std::string& Name, const std::string& Arg);

// Value conversions; a text they reject raises Exception with the
// "Expected ..." / "Invalid ... specification" messages.
int32_t ParseIntOption(const std::string& Name, const std::string& Text);
int64_t ParseInt64Option(const std::string& Name, const std::string& Text);
float ParseFloatOption(const std::string& Name, const std::string& Text);
double ParseDoubleOption(const std::string& Name, const std::string& Text);
int64_t ParseTimeOption(const std::string& Name, const std::string& Text, bool IsDuration);

// 1 match, 0 no match, negative error.
int32_t MatchStreamSpecifier(AVFormatContext* FormatContext, AVStream* Stream, const char* Spec);
// The codec options of Opts that apply to one stream.
TDictionaryPtr FilterCodecOptions(const AVDictionary* Opts, AVCodecID CodecId, AVFormatContext* FormatContext,
                                  AVStream* Stream, const AVCodec* Codec);
// One dictionary per stream (free each with av_dict_free and the array with
// av_freep), nil when the file has no streams.
AVDictionary** FindStreamInfoOptions(AVFormatContext* FormatContext, const AVDictionary* CodecOpts);

// The error table's text of Code (or "Error number %d occurred"), prefixed
// with Name and ": " when Name is not empty.
std::string GetErrorText(const std::string& Name, int32_t Code);

// ---------------------------------------------------------------------------
// Media utilities

uint32_t MakeTag(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
// "UTC", or "UTC" with the standard bias (UTC minus local time) as +hh:mm.
std::string TimeZoneText();
double LocalTimeOffsetDays();
// Days from 30 December 1899, in local time.
double UnixTimeToLocalDateTime(int64_t Seconds);
// "hh:mm:ss.zzz" rounded to the nearest millisecond; "N/A" for no time.
std::string TimeToText(int64_t Microseconds);
int64_t FrameDurationUs(int32_t Numerator, int32_t Denominator);
// Reads a whole file into an av_malloc'ed, NUL-terminated buffer.
int32_t ReadFileToBuffer(const std::string& FileName, uint8_t*& Buffer, int32_t& Size);
bool IsPrintableChar(uint8_t Code);
std::string DictValueOrDefault(const AVDictionary* Dictionary, const std::string& Key, const std::string& Default);
std::string CodecNameText(const AVCodecContext* CodecContext, bool Encoder);
std::string MediaTypeName(int32_t MediaType);
std::string PictureTypeName(int32_t PictureType);
// FFmpeg 5.1 cannot register protocols or filters from outside; both report
// false so that callers take the engine's own paths.
bool RegisterProtocolOnce(const std::string& ProtocolName);
bool RegisterFilterOnce(const std::string& FilterName);
