// Metadata specifiers and the metadata copy between an input and an output.

#include <cstdlib>
#include <cstring>

#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Strings.h"

namespace {

int32_t MetadataFailure(TCustomFFmpegOpt& Job, const std::string& Message, int32_t Code)
{
    Job.LastErrorText = Message;
    Logger()->Log(&Job, llFatal, Message);
    return Code;
}

// The metadata of the file, or of chapter or program Index; -1 with the
// error set when the index is outside the file's chapters or programs.
int32_t FileLevelMetadata(TCustomFFmpegOpt& Job, AVFormatContext* Context, char Type, int32_t Index,
                          AVDictionary**& Metadata)
{
    if (Type == 'g') {
        Metadata = &Context->metadata;
        return 0;
    }
    const bool chapter = Type == 'c';
    const unsigned count = chapter ? Context->nb_chapters : Context->nb_programs;
    if (Index < 0 || static_cast<unsigned>(Index) >= count)
        return MetadataFailure(
            Job, Format("Invalid %s index %d while processing metadata maps.", chapter ? "chapter" : "program", Index),
            -1);
    Metadata = chapter ? &Context->chapters[Index]->metadata : &Context->programs[Index]->metadata;
    return 0;
}

} // namespace

int32_t TCustomFFmpegOpt::ParseMetaType(const char* Spec, char& Type, const char*& StreamSpec, int32_t& Index)
{
    Type = 'g';
    StreamSpec = "";
    if (!*Spec)
        return 0;
    Type = Spec[0];
    switch (Type) {
    case 'g': return 0;
    case 's':
        if (Spec[1] && Spec[1] != ':')
            return MetadataFailure(*this, Format("Invalid metadata specifier %s.", Spec + 1), -1);
        if (Spec[1] == ':')
            StreamSpec = Spec + 2;
        return 0;
    case 'c':
    case 'p':
        if (Spec[1] == ':')
            Index = static_cast<int32_t>(std::strtol(Spec + 2, nullptr, 0));
        return 0;
    default: return MetadataFailure(*this, Format("Invalid metadata type %c.", Type), -1);
    }
}

int32_t TCustomFFmpegOpt::CopyMetadata(const char* OutSpec, const char* InSpec, TOptionsContext* Context,
                                       AVFormatContext* Output, AVFormatContext* Input)
{
    char typeOut = 'g';
    char typeIn = 'g';
    const char* streamSpecOut = "";
    const char* streamSpecIn = "";
    int32_t indexOut = 0;
    int32_t indexIn = 0;
    if (ParseMetaType(OutSpec, typeOut, streamSpecOut, indexOut) < 0 ||
        ParseMetaType(InSpec, typeIn, streamSpecIn, indexIn) < 0)
        return -1;
    if (!Input) {
        const bool all = !*OutSpec;
        if (typeOut == 'g' || all)
            Context->MetadataGlobalManual = 1;
        if (typeOut == 's' || all)
            Context->MetadataStreamsManual = 1;
        if (typeOut == 'c' || all)
            Context->MetadataChaptersManual = 1;
        return 0;
    }
    if (typeIn == 'g' || typeOut == 'g')
        Context->MetadataGlobalManual = 1;
    if (typeIn == 's' || typeOut == 's')
        Context->MetadataStreamsManual = 1;
    if (typeIn == 'c' || typeOut == 'c')
        Context->MetadataChaptersManual = 1;

    AVDictionary** source = nullptr;
    if (typeIn == 's') {
        for (unsigned i = 0; i < Input->nb_streams && !source; ++i) {
            const int32_t match = MatchStreamSpecifier(Input, Input->streams[i], streamSpecIn);
            if (match < 0)
                return MetadataFailure(*this, GetErrorText("check_stream_specifier", match), match);
            if (match > 0)
                source = &Input->streams[i]->metadata;
        }
        if (!source)
            return MetadataFailure(*this, Format("Stream specifier %s does not match  any streams.", streamSpecIn), -1);
    } else if (FileLevelMetadata(*this, Input, typeIn, indexIn, source) < 0) {
        return -1;
    }

    if (typeOut != 's') {
        AVDictionary** target = nullptr;
        if (FileLevelMetadata(*this, Output, typeOut, indexOut, target) < 0)
            return -1;
        av::av_dict_copy(target, *source, AV_DICT_DONT_OVERWRITE);
        return 0;
    }
    for (unsigned i = 0; i < Output->nb_streams; ++i) {
        const int32_t match = MatchStreamSpecifier(Output, Output->streams[i], streamSpecOut);
        if (match < 0)
            return MetadataFailure(*this, GetErrorText("check_stream_specifier", match), match);
        if (match > 0)
            av::av_dict_copy(&Output->streams[i]->metadata, *source, AV_DICT_DONT_OVERWRITE);
    }
    return 0;
}
