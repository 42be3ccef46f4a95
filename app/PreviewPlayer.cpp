// The preview's pictures: stepping and seeking through the source, the track
// bar and its keys, and drawing each picture as the source or as the output
// would show it.

#include <algorithm>
#include <cstdint>

#include "app/FormatTable.h"
#include "app/Messages.h"
#include "app/PreviewGeometry.h"
#include "app/PreviewLayout.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqTrkBar.h"
#include "engine/FFEncode.h"
#include "engine/decode/FFDecode.h"
#include "imaging/core/BrelvixProc.h"
#include "platform/core/Types.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menus.h"

namespace {

// The preview area's sky blue, shown while no picture is drawn.
constexpr TColor PreviewBackground = 0xF0CAA6;

enum PreviewMode : int32_t { pmOutput = 0, pmSource = 1 };

} // namespace

// ---- Stepping ------------------------------------------------------------------

bool TFrmQuorvid::ShowDecoded(bool decoded)
{
    if (decoded)
        ShowCurrentFrame();
    return decoded;
}

bool TFrmQuorvid::NextFrame() { return ShowDecoded(DIVidirov->Decoder()->Decode(VideoStreamIndex)); }

bool TFrmQuorvid::NextKeyFrame() { return ShowDecoded(DIVidirov->Decoder()->DecodeNextKeyFrame(VideoStreamIndex)); }

bool TFrmQuorvid::PreviousKeyFrame()
{
    return ShowDecoded(DIVidirov->Decoder()->DecodePreviousKeyFrame(VideoStreamIndex));
}

void TFrmQuorvid::SeekToTime(int64_t time)
{
    TFFDecoder& decoder = *DIVidirov->Decoder();
    // Backward first: without a flag, FFmpeg lands on the key frame after
    // the time, and the picture shown would lie up to a whole GOP late.
    if (!decoder.Seek(sfBackward, time) && !decoder.Seek(0, time) && !decoder.Seek(sfAny, time))
        return;
    while (decoder.Decode(VideoStreamIndex)) {
        if (time <= 0 || (decoder.CurrentPTS() != NoTimeStamp && decoder.CurrentPTS() >= time)) {
            ShowCurrentFrame();
            return;
        }
    }
}

void TFrmQuorvid::BtnPrvKeyFrameClick(TObject*)
{
    PreviousKeyFrame();
    FocusTrackBar();
}

void TFrmQuorvid::BtnNextFrameClick(TObject*)
{
    NextFrame();
    FocusTrackBar();
}

void TFrmQuorvid::BtnNextKeyFrameClick(TObject*)
{
    NextKeyFrame();
    FocusTrackBar();
}

// ---- The track bar -------------------------------------------------------------

int64_t TFrmQuorvid::BarTime() const
{
    const int32_t max = TrackBarPlay->Max();
    if (max < 1)
        return 0;
    return Round(static_cast<long double>(TrackBarPlay->Position()) / max * Duration);
}

void TFrmQuorvid::SyncBarToTime()
{
    const int32_t max = TrackBarPlay->Max();
    const int64_t position = Round(static_cast<long double>(max) * CurrentPTS / Duration);
    SyncingBar = true;
    try {
        TrackBarPlay->SetPosition(static_cast<int32_t>(std::clamp<int64_t>(position, INT32_MIN, max)));
    } catch (...) {
        SyncingBar = false;
        throw;
    }
    SyncingBar = false;
}

void TFrmQuorvid::TrackBarPlayChange(TObject*)
{
    if (SuppressEvents)
        return;
    TFFDecoder& decoder = *DIVidirov->Decoder();
    if (decoder.VideoStreamCount() == 0 || decoder.GetInputFormatName() == "mp3") {
        CurrentPTS = BarTime();
        LabelPTS->SetCaption(FormatTimeStamp(CurrentPTS));
        return;
    }
    const int32_t position = TrackBarPlay->Position();
    if (!SyncingBar && TrackBarPlay->Enabled() && position != LastBarPosition) {
        // The bar stays where the user put it while the picture follows.
        SyncingBar = true;
        try {
            if (position == LastBarPosition + 1)
                ShowDecoded(decoder.Decode(VideoStreamIndex));
            else if (position == LastBarPosition - 1)
                ShowDecoded(decoder.DecodePreviousFrame(VideoStreamIndex));
            else
                SeekToTime(BarTime());
        } catch (...) {
            LastBarPosition = TrackBarPlay->Position();
            SyncingBar = false;
            throw;
        }
    }
    LastBarPosition = TrackBarPlay->Position();
    SyncingBar = false;
}

void TFrmQuorvid::TrackBarPlayKeyDown(TObject*, uint16_t& key, TShiftState shift)
{
    const bool shifted = (shift & ssShift) != 0;
    if (key == VK_RIGHT && BtnNextKeyFrame->Enabled()) {
        key = 0;
        (shifted ? BtnNextFrame : BtnNextKeyFrame)->Click();
    } else if (key == VK_LEFT && BtnPrvKeyFrame->Enabled()) {
        key = 0;
        if (!shifted)
            BtnPrvKeyFrame->Click();
    }
}

// ---- Drawing -------------------------------------------------------------------

void TFrmQuorvid::ShowCurrentFrame()
{
    TFFDecoder& decoder = *DIVidirov->Decoder();
    // A picture without a time stamp keeps the previous time.
    if (decoder.CurrentPTS() != NoTimeStamp) {
        CurrentPTS = decoder.CurrentPTS();
        if (FirstPTS == UnsetStart)
            FirstPTS = CurrentPTS;
    }
    LabelPTS->SetCaption(FormatTimeStamp(CurrentPTS));
    if (!SyncingBar && Duration > 0)
        SyncBarToTime();
    TBitmap& frame = *FrameBitmap();
    if (decoder.CopyToBitmap(frame)) {
        if (BtnPreview->Tag() == pmSource) {
            DrawPreviewFrame(frame, Rect(0, 0, frame.Width(), frame.Height()), true, "0");
        } else {
            const TOutputFrame output = OutputFrame();
            DrawPreviewFrame(frame, Rect(0, 0, output.Width, output.Height), CheckBoxStretch->Checked(),
                             output.Rotation);
        }
    }
    PanelViewBk->Show();
}

TOutputFrame TFrmQuorvid::OutputFrame() const
{
    const int32_t row = ComboBoxFormat->ItemIndex();
    TOutputChoice choice;
    choice.Extension = FormatTableEntry(row, ftExtension);
    choice.Kind = FormatTableEntry(row, ftKind);
    choice.FrameSizeIndex = ComboBoxFrameSize->ItemIndex();
    choice.FrameSizeText = ComboBoxFrameSize->Text();
    choice.FrameSizeVisible = ComboBoxFrameSize->Visible();
    choice.RotateEnabled = ComboBoxRotate->Enabled();
    choice.RotateText = ComboBoxRotate->Text();
    return OutputFrameOf(choice, FrameBitmap()->Width(), FrameBitmap()->Height());
}

void TFrmQuorvid::DrawPreviewFrame(TBitmap& frame, const TRect& output, bool stretch, const std::string& rotation)
{
    const TPreviewLayout layout =
        LayOutPreview(frame.Width(), frame.Height(), output, stretch, rotation, PanelViewBk->ClientRect());
    // An empty preview area, output or frame leaves nothing to draw.
    if (frame.Width() <= 0 || frame.Height() <= 0 || layout.Empty())
        return;
    TBitmap& picture = *ImagePlay->Picture()->Bitmap();
    if (PanelPlayBk->Width() != layout.Frame.Width() || PanelPlayBk->Height() != layout.Frame.Height() ||
        ImagePlay->Width() != layout.Picture.Width() || ImagePlay->Height() != layout.Picture.Height()) {
        PanelPlayBk->SetBoundsRect(layout.Frame);
        ImagePlay->SetBoundsRect(layout.Picture);
        picture.SetSize(layout.Picture.Width(), layout.Picture.Height());
    }
    if (layout.Angle != 0) {
        workBitmap_->CopyFromTBitmap(frame);
        BrelvixProc->Resample(layout.PictureWidth, layout.PictureHeight, rfNone);
        BrelvixProc->Rotate(layout.Angle, true, 0, static_cast<TColor>(-1));
        picture.Canvas()->Draw(0, 0, workBitmap_->GetVclBitmap());
    } else {
        picture.Canvas()->StretchDraw(Rect(0, 0, layout.PictureWidth, layout.PictureHeight), &frame);
    }
    PreviewScaleX = double(layout.PictureWidth) / frame.Width();
    PreviewScaleY = double(layout.PictureHeight) / frame.Height();
}

void TFrmQuorvid::FillPreviewBackground()
{
    TBitmap& picture = *ImagePlay->Picture()->Bitmap();
    if (picture.Width() != ImagePlay->Width() || picture.Height() != ImagePlay->Height())
        picture.SetSize(ImagePlay->Width(), ImagePlay->Height());
    picture.Canvas()->Brush()->SetColor(PreviewBackground);
    picture.Canvas()->FillRect(Rect(0, 0, picture.Width(), picture.Height()));
}

void TFrmQuorvid::RefreshPreview()
{
    if (!PanelViewBk->Visible())
        return;
    ShowCurrentFrame();
    RefreshWatermark();
}

// ---- Source or output ----------------------------------------------------------

void TFrmQuorvid::BtnPreviewClick(TObject*)
{
    const TPoint below = BtnPreview->ClientToScreen(TPoint{0, BtnPreview->Height()});
    PopupMenuPreview->Popup(below.X, below.Y);
}

void TFrmQuorvid::PM_OutputVideoClick(TObject* sender)
{
    const auto* item = static_cast<TMenuItem*>(sender);
    if (item->Tag() != BtnPreview->Tag()) {
        BtnPreview->SetCaption(MS_Preview + " - " + item->Caption());
        BtnPreview->SetTag(item->Tag());
        RefreshPreview();
    }
    FocusTrackBar();
}

void TFrmQuorvid::ImagePlayClick(TObject*) { FocusTrackBar(); }

void TFrmQuorvid::ComboBoxFrameSizeChange(TObject*)
{
    if (!SuppressEvents)
        RefreshPreview();
}
