// The source list of the main window: adding and removing rows, and moving
// the output panel in and out of the record each row owns.

#include <algorithm>

#include "app/ApplicationGlobals.h"
#include "app/ClipTiming.h"
#include "app/CusOutputOptions.h"
#include "app/FormatTable.h"
#include "app/ListChoice.h"
#include "app/Messages.h"
#include "app/OutputNames.h"
#include "app/PreviewGeometry.h"
#include "app/SourceKinds.h"
#include "app/SourceProbe.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqListVw.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqSpnEdt.h"
#include "controls/TarqTrkBar.h"
#include "engine/EncoderAvailable.h"
#include "engine/FFEncode.h"
#include "engine/decode/FFDecode.h"
#include "engine/transcode/vf_rotate.h"
#include "platform/core/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menus.h"

namespace {

// The library folder an installation may carry beside the program.
constexpr const char* LibraryFolder = "LibAV";

} // namespace

TCusOutputOptions& TFrmQuorvid::RecordOf(const TListItem& item)
{
    return *static_cast<TCusOutputOptions*>(item.Data());
}

// ---- Adding --------------------------------------------------------------------

void TFrmQuorvid::BtnAddClick(TObject*)
{
    if (!DIVidirov->LibrariesLoaded()) {
        if (!DIVidirov->LoadLibraries(ApplicationFolder + LibraryFolder)) {
            Application()->MessageBox(MS_ErrorLib, MS_Error, MB_ICONERROR);
            return;
        }
        if (!RegisterRotateFilter(true)) {
            LabelRotate->Hide();
            ComboBoxRotate->Hide();
        }
        // The AMR encoder may only now be known: the profile lists follow it.
        const int32_t row = ComboBoxFormat->ItemIndex();
        FillFormatLists(FormatTableEntry(row, ftExtension), FormatTableEntry(row, ftKind));
    }
    if (OpenDialogVideo->Execute())
        AddSourceFile(OpenDialogVideo->FileName(), ComboBoxFormat->Text());
}

void TFrmQuorvid::AddSourceFile(const std::string& path, const std::string& formatText)
{
    auto record = std::make_unique<TCusOutputOptions>();
    record->Valid = true;
    record->SourceFile = path;
    TListItems& rows = *ListViewFiles->Items();
    rows.BeginUpdate();
    TListItem* row = rows.Add();
    row->SetCaption(ExtractFileName(path));
    row->SetData(record.get());
    records_.push_back(std::move(record));
    row->SetImageIndex(SourceKindIcon(path));
    row->SubItems()->Add(formatText);
    for (int column = 0; column < 3; ++column)
        row->SubItems()->Add("");
    row->SetChecked(true);
    rows.EndUpdate();
    Application()->ProcessMessages();
    ListViewFiles->SetSelected(row);
}

// ---- Selecting -----------------------------------------------------------------

void TFrmQuorvid::ListViewFilesSelectItem(TObject*, TListItem* item, bool selected)
{
    if (SuppressEvents || !item || !RecordOf(*item).Valid)
        return;
    TCusOutputOptions& record = RecordOf(*item);
    if (!selected) {
        SaveFileSettings(record);
        return;
    }
    if (item == CurrentRow)
        return;
    CurrentRow = item;
    if (OpenAndShow(record.SourceFile) == skVideo) {
        item->SetImageIndex(IconVideo);
        RestoreFileSettings(record);
    } else {
        record.Valid = false;
        item->SetImageIndex(IconOther);
    }
    FocusTrackBar();
}

// ---- Removing ------------------------------------------------------------------

void TFrmQuorvid::BtnClearClick(TObject*)
{
    const TPoint below = BtnClear->ClientToScreen(TPoint{2, BtnClear->Height()});
    PopupMenuRemove->Popup(below.X, below.Y);
}

void TFrmQuorvid::RemoveRow(TListItem* item)
{
    if (item == CurrentRow)
        CurrentRow = nullptr;
    const TCusOutputOptions* record = &RecordOf(*item);
    item->Delete();
    std::erase_if(records_, [record](const auto& owned) { return owned.get() == record; });
}

void TFrmQuorvid::FreeAllRows()
{
    CurrentRow = nullptr;
    ListViewFiles->Items()->Clear();
    records_.clear();
}

void TFrmQuorvid::PM_RemoveallClick(TObject*)
{
    SuppressEvents = true;
    try {
        FreeAllRows();
    } catch (...) {
        SuppressEvents = false;
        throw;
    }
    SuppressEvents = false;
    ResetPlayer();
    ResetOutputChoices();
}

void TFrmQuorvid::PM_RemoveSelectedClick(TObject* sender)
{
    // Tag 0 removes the checked rows, tag 1 the unchecked ones.
    const bool removeChecked = static_cast<TComponent*>(sender)->Tag() == 0;
    SuppressEvents = true;
    try {
        TListItems& rows = *ListViewFiles->Items();
        for (int32_t index = rows.Count() - 1; index >= 0; --index)
            if (rows[index]->Checked() == removeChecked)
                RemoveRow(rows[index]);
    } catch (...) {
        SuppressEvents = false;
        throw;
    }
    SuppressEvents = false;
    ResetWhenNothingSelected();
}

void TFrmQuorvid::ResetWhenNothingSelected()
{
    if (ListViewFiles->Selected())
        return;
    ResetPlayer();
    ResetOutputChoices();
}

// ---- The record and the panel --------------------------------------------------

void TFrmQuorvid::SaveFileSettings(TCusOutputOptions& record)
{
    if (!record.Valid)
        return;
    record.Saved = true;
    record.BarMax = TrackBarPlay->Max();
    record.BarPosition = TrackBarPlay->Position();
    record.BarSelStart = TrackBarPlay->SelStart();
    record.BarSelEnd = TrackBarPlay->SelEnd();
    record.CurrentPTS = CurrentPTS;
    ReadSourceProperties(*DIVidirov->Decoder(), VideoStreamIndex, AudioStreamIndex, record);
    SaveOutputChoices(record);
    record.CutEnabled = CheckBoxCut->Enabled();
    record.CutChecked = CheckBoxCut->Checked();
    record.ClipStart = ClipStart;
    record.ClipEnd = ClipEnd;
    record.SeekOffset = SeekOffset(FirstPTS, ClipStart);
    record.WatermarkOn = CheckBoxWatermark->Enabled() && CheckBoxWatermark->Checked();
    record.WatermarkFile = EditPathWatermark->Text();
    record.WatermarkPosition = ComboBoxPostion->ItemIndex();
    record.MarginX = SpinEditX->IntValue();
    record.MarginY = SpinEditY->IntValue();
    const TPoint watermark = WatermarkSourcePosition();
    record.WatermarkX = watermark.X;
    record.WatermarkY = watermark.Y;
}

void TFrmQuorvid::SaveOutputChoices(TCusOutputOptions& record) const
{
    record.OutputFolder = OutputFolderOf(EditPath->Text());
    record.FormatIndex = ComboBoxFormat->ItemIndex();
    record.VideoEncoder = ChoiceText(*ComboBoxEncoder);
    record.FrameSize = ChoiceText(*ComboBoxFrameSize);
    record.VideoBitRate = ChoiceText(*ComboBoxVideoBitRate);
    record.FrameRate = ChoiceText(*ComboBoxFrameRate);
    record.AspectRatio = ChoiceText(*ComboBoxAspectRatio);
    record.AudioEncoder = ChoiceText(*ComboBoxAudioEncoder);
    record.AudioBitRate = ChoiceText(*ComboBoxAudioBitRate);
    record.SampleRate = ChoiceText(*ComboBoxAudioSR);
    record.Stretch = CheckBoxStretch->Checked();
    record.Channels = ComboBoxAudioChannel->ItemIndex();
    record.Rotation = ComboBoxRotate->Visible() ? ComboBoxRotate->Text() : "0";
}

void TFrmQuorvid::RestoreFileSettings(TCusOutputOptions& record)
{
    if (!record.Valid)
        return;
    if (!record.Saved) {
        CheckBoxCut->SetChecked(false);
        CheckBoxCutClick(CheckBoxCut);
        return;
    }
    SuppressEvents = true;
    try {
        ClipStart = record.ClipStart;
        ClipEnd = record.ClipEnd;
        CurrentPTS = record.CurrentPTS;
        RestoreOutputChoices(record);
        CheckBoxWatermark->SetChecked(record.WatermarkOn);
        EditPathWatermark->SetText(record.WatermarkFile);
        ComboBoxPostion->SetItemIndex(record.WatermarkPosition);
        SpinEditX->SetValue(record.MarginX);
        SpinEditY->SetValue(record.MarginY);
        CheckBoxCut->SetEnabled(record.CutEnabled);
        CheckBoxCut->SetChecked(record.CutEnabled && record.CutChecked);
        TrackBarPlay->SetMax(record.BarMax);
        TrackBarPlay->SetPosition(record.BarPosition);
        TrackBarPlay->SetSelStart(record.BarSelStart);
        TrackBarPlay->SetSelEnd(record.BarSelEnd);
    } catch (...) {
        SuppressEvents = false;
        throw;
    }
    SuppressEvents = false;
    // The lists were refilled quietly: the panels still need the profile's layout.
    LayOutForProfile();
    LabelPTS->SetCaption(FormatTimeStamp(CurrentPTS));
    CheckBoxCutClick(CheckBoxCut);
    ShowClipMarks();
    SeekToTime(CurrentPTS);
    CheckBoxWatermarkClick(CheckBoxWatermark);
}

void TFrmQuorvid::RestoreOutputChoices(const TCusOutputOptions& record)
{
    EditPath->SetText(record.OutputFolder);
    ComboBoxFormat->SetItemIndex(record.FormatIndex);
    FillFormatLists(FormatTableEntry(record.FormatIndex, ftExtension), FormatTableEntry(record.FormatIndex, ftKind));
    SelectText(*ComboBoxRotate, record.Rotation);
    SelectText(*ComboBoxFrameSize, record.FrameSize);
    CheckBoxStretch->SetChecked(record.Stretch);
    SelectText(*ComboBoxVideoBitRate, record.VideoBitRate);
    SelectText(*ComboBoxAudioBitRate, record.AudioBitRate);
    SelectText(*ComboBoxFrameRate, record.FrameRate);
    SelectText(*ComboBoxAudioSR, record.SampleRate);
    ComboBoxAudioChannel->SetItemIndex(record.Channels);
    SelectText(*ComboBoxEncoder, record.VideoEncoder);
    SelectText(*ComboBoxAspectRatio, record.AspectRatio);
    SelectText(*ComboBoxAudioEncoder, record.AudioEncoder);
}

// ---- Opening a source ----------------------------------------------------------

void TFrmQuorvid::ResetPlayer()
{
    if (DIVidirov->LibrariesLoaded())
        DIVidirov->Decoder()->CloseFile();
    FrameBitmap()->SetSize(0, 0);
    FillPreviewBackground();
    PanelViewBk->Hide();
    Duration = 0;
    FirstPTS = UnsetStart;
    ClipStart = UnsetStart;
    ClipEnd = UnsetEnd;
    FrameCount = 0;
    LastBarPosition = 0;
    CurrentPTS = 0;
    EnablePlayerControls(false, false);
    LabelPTS->SetCaption(FormatTimeStamp(0));
}

int32_t TFrmQuorvid::OpenSource(const std::string& path)
{
    ResetPlayer();
    TFFDecoder& decoder = *DIVidirov->Decoder();
    const TSourceKind kind = OpenSourceKind(decoder, path);
    VideoStreamIndex = decoder.FirstVideoStreamIndex();
    AudioStreamIndex = decoder.FirstAudioStreamIndex();
    return kind;
}

int32_t TFrmQuorvid::OpenAndShow(const std::string& path)
{
    const int32_t kind = OpenSource(path);
    if (kind != skVideo) {
        DIVidirov->Decoder()->CloseFile();
        return kind;
    }
    ProbeSourceTiming();
    // Tag 1 keeps the language from overwriting the file's name.
    LabelFile->SetCaption(path);
    LabelFile->SetTag(1);
    if (CurrentRow) {
        TStrings& columns = *CurrentRow->SubItems();
        columns.SetStrings(1, FormatTimeStamp(Duration));
        if (columns.Strings(2).empty())
            columns.SetStrings(2, columns.Strings(1));
    }
    RefreshWatermark();
    FocusTrackBar();
    return kind;
}
