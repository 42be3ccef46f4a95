// The preview's timing: the source's duration and picture count, the track
// bar's range, and the clip marks set on it.

#include <algorithm>
#include <cmath>

#include "app/Messages.h"
#include "app/PreviewGeometry.h"
#include "app/SourceProbe.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqListVw.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqTrkBar.h"
#include "engine/FFEncode.h"
#include "engine/decode/FFDecode.h"
#include "platform/ui/Label.h"

void TFrmQuorvid::ProbeSourceTiming()
{
    TFFDecoder& decoder = *DIVidirov->Decoder();
    VideoStreamIndex = decoder.FirstVideoStreamIndex();
    AudioStreamIndex = decoder.FirstAudioStreamIndex();
    const std::string format = decoder.GetInputFormatName();
    TFileStreamInfo file;
    decoder.GetFileStreamInfo(file);
    const bool video = decoder.VideoStreamCount() > 0 && format != "mp3";
    EnablePlayerControls(SourceHasTiming(decoder), video);
    if (file.Duration >= 0)
        Duration = file.Duration;
    TVideoStreamInfo stream;
    decoder.GetFirstVideoStreamInfo(stream);
    FrameCount = EstimateFrameCount(stream.DurationUs, file.Duration, stream.FrameRate.num, stream.FrameRate.den);
    NextFrame();
    UpdateTrackBarRange();
}

void TFrmQuorvid::UpdateTrackBarRange()
{
    // A bar that is disabled while it moves does not seek.
    const bool enabled = TrackBarPlay->Enabled();
    TrackBarPlay->SetEnabled(false);
    const int32_t oldMax = TrackBarPlay->Max();
    const double ratio = oldMax > 0 ? double(TrackBarPlay->Position()) / oldMax : 0.0;
    if (FrameCount > 0)
        TrackBarPlay->SetMax(static_cast<int32_t>(std::min<int64_t>(FrameCount, LargestBarMax)));
    const int32_t max = TrackBarPlay->Max();
    TrackBarPlay->SetPageSize(static_cast<uint16_t>(BarPageSize(max)));
    TrackBarPlay->SetPosition(static_cast<int32_t>(std::nearbyint(ratio * max)));
    LastBarPosition = TrackBarPlay->Position();
    TrackBarPlay->SetEnabled(enabled);
}

void TFrmQuorvid::EnablePlayerControls(bool timing, bool video)
{
    SuppressEvents = true;
    TrackBarPlay->SetEnabled(timing);
    LabelPTS->SetEnabled(timing);
    CheckBoxCut->SetEnabled(timing);
    for (TTarqBmpButton* button : {BtnPrvKeyFrame, BtnNextFrame, BtnNextKeyFrame})
        button->SetEnabled(timing && video);
    if (!timing) {
        TrackBarPlay->SetPosition(0);
        TrackBarPlay->SetSelStart(0);
        TrackBarPlay->SetSelEnd(0);
        LabelStart->SetCaption("N/A");
        LabelEnd->SetCaption("N/A");
        LabelFile->SetCaption(MS_Ready);
        LabelFile->SetTag(0);
    }
    EnableClipControls(timing && CheckBoxCut->Checked());
    SuppressEvents = false;
}

void TFrmQuorvid::EnableClipControls(bool marking)
{
    for (TControl* control : std::initializer_list<TControl*>{BtnSetStart, BtnSetEnd, LabelStart, LabelEnd})
        control->SetEnabled(marking);
}

void TFrmQuorvid::FocusTrackBar()
{
    // A hidden window cannot take the focus either.
    if (Visible() && Enabled() && TrackBarPlay->CanFocus())
        TrackBarPlay->SetFocus();
}

void TFrmQuorvid::CheckBoxCutClick(TObject*)
{
    if (SuppressEvents)
        return;
    EnableClipControls(CheckBoxCut->Checked());
    FocusTrackBar();
    UpdateClipColumn();
}

void TFrmQuorvid::BtnSetStartClick(TObject*)
{
    TrackBarPlay->SetSelStart(TrackBarPlay->Position());
    LabelStart->SetCaption(FormatTimeStamp(CurrentPTS));
    ClipStart = CurrentPTS;
    FocusTrackBar();
    UpdateClipColumn();
}

void TFrmQuorvid::BtnSetEndClick(TObject*)
{
    TrackBarPlay->SetSelEnd(TrackBarPlay->Position());
    LabelEnd->SetCaption(FormatTimeStamp(CurrentPTS));
    ClipEnd = CurrentPTS;
    FocusTrackBar();
    UpdateClipColumn();
}

void TFrmQuorvid::UpdateClipColumn()
{
    if (!CurrentRow)
        return;
    TStrings& columns = *CurrentRow->SubItems();
    // Both marks set and in order; an unset mark never enters the subtraction.
    const bool marked = CheckBoxCut->Enabled() && CheckBoxCut->Checked() && ClipStart != UnsetStart &&
        ClipEnd != UnsetEnd && ClipEnd >= ClipStart;
    columns.SetStrings(2, marked ? FormatTimeStamp(ClipEnd - ClipStart) : columns.Strings(1));
}

void TFrmQuorvid::ShowClipMarks()
{
    if (!CheckBoxCut->Checked()) {
        LabelStart->SetCaption("N/A");
        LabelEnd->SetCaption("N/A");
        return;
    }
    LabelStart->SetCaption(ClipStart != UnsetStart ? FormatTimeStamp(ClipStart) : "N/A");
    LabelEnd->SetCaption(ClipEnd != UnsetEnd ? FormatTimeStamp(ClipEnd) : "N/A");
    UpdateClipColumn();
}
