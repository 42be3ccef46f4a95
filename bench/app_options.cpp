// Prints the option strings the converter would run for one source:
//   app_options <source> <profile> [Setting=value ...]
// The source is opened with the engine as the converter opens it, the
// per-file settings record is filled from the profile (0-18, the converter's
// format list), from the source and from the settings, which are named as the
// record's fields; then the converter's own job builder writes the input and
// the output option strings and picks the output file name. Three lines come
// out, each as the builder writes it: the input options, the output options
// (option strings start with a blank; an empty one is an empty line) and the
// output file name. Anything wrong gives one line on stderr and status 1
// (2 for a wrong command line).
// Compare with the ffmpeg tool, e.g. for an AVI with everything automatic:
//   ffmpeg -f lavfi -i testsrc=size=640x480:rate=25:duration=2 -f lavfi -i sine=sample_rate=44100:duration=2
//          -ac 2 -c:v mpeg4 -c:a libmp3lame -b:a 128k clip.avi
//   app_options clip.avi 1
// and run the output options with "ffmpeg -i clip.avi <options> out.avi" or bench/engine_convert.

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "app/ClipTiming.h"
#include "app/ConversionTask.h"
#include "app/FormatTable.h"
#include "app/JobBuilder.h"
#include "app/Messages.h"
#include "app/PreviewLayout.h"
#include "app/SourceProbe.h"
#include "app/StartFolder.h"
#include "app/WatermarkPicture.h"
#include "bench/AppOptionSettings.h"
#include "controls/png/pngimage.h"
#include "engine/EncoderAvailable.h"
#include "engine/FFEncode.h"
#include "engine/MyUtils.h"
#include "engine/decode/FFDecode.h"
#include "engine/transcode/vf_rotate.h"
#include "platform/core/Strings.h"
#include "platform/gfx/Picture.h"

namespace {

// A failure of the harness's inputs, reported as one line.
class EHarnessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int32_t ProfileIndex(const std::string& text)
{
    int32_t row = -1;
    if (!TryStrToInt(text, row) || text != Trim(text) || row < 0 || row >= FormatTableRows)
        throw EHarnessError("profile \"" + text + "\" is not a row of the format list, 0 to " +
                            IntToStr(FormatTableRows - 1));
    return row;
}

void LoadEngine(VIDArarozo& encoder, TSettingChoices& choices)
{
    if (!encoder.LoadLibraries(GetExeDirWide() + "LibAV"))
        throw EHarnessError(MS_ErrorLib + " " + encoder.LastErrorText);
    choices.RotationAvailable = RegisterRotateFilter(true);
    RegisterPngPictureFormat();
}

// The profile's lists, known once the engine says whether AMR exists.
void ChooseProfile(TCusOutputOptions& record, int32_t row, TSettingChoices& choices)
{
    record.FormatIndex = row;
    const std::string kind = FormatTableEntry(row, ftKind);
    choices.Profile = ProfileLists(FormatTableEntry(row, ftExtension), kind, EncoderAvailable(AmrEncoderName));
}

// The record of a source just added and opened, with the output panel as
// the converter shows it at start: everything automatic, no clip marks.
TCusOutputOptions FreshRecord(const std::string& source)
{
    TCusOutputOptions record;
    record.Valid = true;
    record.Saved = true;
    record.SourceFile = source;
    record.OutputFolder = DefaultOutputFolder();
    record.Rotation = "0";
    record.ClipStart = UnsetStart;
    record.ClipEnd = UnsetEnd;
    return record;
}

// Only a source that opens as video can be converted.
void OpenSource(TFFDecoder& decoder, const std::string& path)
{
    switch (OpenSourceKind(decoder, path)) {
    case skVideo: return;
    case skAudio: throw EHarnessError(path + ": audio only; the converter converts only sources that open as video");
    case skPictures:
        throw EHarnessError(path + ": a picture sequence; the converter converts only sources that open as video");
    case skFailed:
        // The decoder's text names the file already.
        throw EHarnessError(MS_ErrorOpen + " " + (decoder.LastErrorText().empty() ? path : decoder.LastErrorText()));
    }
}

// The first picture's time stamp, as the preview takes it when the source
// opens; UnsetStart when it has none.
int64_t FirstPicture(TFFDecoder& decoder, int32_t videoStream)
{
    if (!decoder.Decode(videoStream) || decoder.CurrentPTS() == NoTimeStamp)
        return UnsetStart;
    return decoder.CurrentPTS();
}

void ApplySettings(int argc, char** argv, const TSettingChoices& choices, TAppSettingTarget& target)
{
    for (int argument = 3; argument < argc; ++argument) {
        const std::string error = ApplySetting(argv[argument], choices, target);
        if (!error.empty())
            throw EHarnessError(error);
    }
}

// Clip marks come in pairs, in order, on a source with a time line.
void MarkClip(const TAppSettingTarget& target, TCusOutputOptions& record, int64_t firstPTS)
{
    if (!target.ClipStartGiven && !target.ClipEndGiven)
        return;
    if (target.ClipStartGiven != target.ClipEndGiven)
        throw EHarnessError("a clip needs both ClipStart and ClipEnd");
    if (record.ClipEnd <= record.ClipStart)
        throw EHarnessError("ClipEnd must come after ClipStart");
    if (!record.CutEnabled)
        throw EHarnessError(record.SourceFile + ": no duration, so the converter offers no clip for it");
    record.CutChecked = true;
    record.SeekOffset = SeekOffset(firstPTS, record.ClipStart);
}

void PlaceWatermark(TFFDecoder& decoder, TCusOutputOptions& record)
{
    if (!record.WatermarkOn)
        return;
    TPicture picture;
    if (!LoadWatermarkPicture(picture, record.WatermarkFile))
        throw EHarnessError("the watermark needs a PNG picture the converter can load; WatermarkFile=\"" +
                            record.WatermarkFile + "\" is none");
    const TPoint corner =
        WatermarkPosition(record.WatermarkPosition, record.MarginX, record.MarginY, decoder.FrameWidth(),
                          decoder.FrameHeight(), picture.Width(), picture.Height());
    record.WatermarkX = corner.X;
    record.WatermarkY = corner.Y;
}

void PrintUsage(const char* program)
{
    std::fprintf(stderr, "usage: %s <source> <profile> [Setting=value ...]\nprofiles:\n", program);
    for (int32_t row = 0; row < FormatTableRows; ++row)
        std::fprintf(stderr, "  %2d  %s\n", row, FormatTableEntry(row, ftDisplay).c_str());
    std::fprintf(stderr, "settings: %s\n", SettingNames().c_str());
}

void PrintOptions(int argc, char** argv)
{
    const std::string source = argv[1];
    const int32_t row = ProfileIndex(argv[2]);
    VIDArarozo encoder(nullptr);
    TSettingChoices choices;
    LoadEngine(encoder, choices);
    TCusOutputOptions record = FreshRecord(source);
    ChooseProfile(record, row, choices);
    TJobEnvironment environment = MachineJobEnvironment(encoder);
    TAppSettingTarget target{record, environment};
    ApplySettings(argc, argv, choices, target);

    TFFDecoder& decoder = *encoder.Decoder();
    OpenSource(decoder, source);
    const int32_t videoStream = decoder.FirstVideoStreamIndex();
    ReadSourceProperties(decoder, videoStream, decoder.FirstAudioStreamIndex(), record);
    record.CutEnabled = SourceHasTiming(decoder);
    // The preview shows the first picture on opening: its time and size.
    const int64_t firstPTS = FirstPicture(decoder, videoStream);
    MarkClip(target, record, firstPTS);
    PlaceWatermark(decoder, record);

    const TInputOptions input = BuildInputOptions(record);
    const TOutputOptions output = BuildOutputOptions(record, environment);
    std::printf("%s\n%s\n%s\n", input.Options.c_str(), output.Options.c_str(), output.FileName.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        PrintUsage(argv[0]);
        return 2;
    }
    try {
        PrintOptions(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "app_options: %s\n", error.what());
        return 1;
    }
    return 0;
}
