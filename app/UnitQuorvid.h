#pragma once
// The converter's main window: a borderless, skinned window with a rounded
// shape and a drop shadow, dragged by the strip along its top, with its own
// minimise and close buttons and a clickable product title. The left side
// lists and previews the sources, the right side holds the output settings.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ClipTiming.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/Form.h"

class TAALabel;
class TBitmap;
class TBrelvixProc;
class TQkBitmap;
class TFormShadow;
class TImage;
class TImageList;
class TLabel;
class TListItem;
class TMainWindowRun;
class TMenuItem;
class TOpenDialog;
class TPopupMenu;
class TTarqBmpButton;
class TTarqButtonEdit;
class TTarqCheckBox;
class TTarqComboBox;
class TTarqListView;
class TTarqPageControl;
class TTarqPanel;
class TTarqSpinEdit;
class TTarqTabSheet;
class TTarqTrackBar;
class VIDArarozo;
struct TCusOutputOptions;
struct TOutputFrame;

// Where the audio panel sits under the video panel.
inline constexpr int32_t AudioPanelTop = 347;
// The product's title, shown in the window and given to the application.
inline constexpr const char* ProductName = "Vardeno视频转换器";
inline constexpr const char* ProductTitle = "Vardeno视频转换器 - 2.2.0.0";
// What a click on the title opens, beside the program.
inline constexpr const char* ProductDocument = "README.md";
// The language the window starts in: simplified Chinese.
inline constexpr uint8_t StartLanguage = 6;
// The face the language file's texts need ("宋体", SimSun).
inline constexpr const char* LanguageFontName = "宋体";

class TFrmQuorvid : public TForm {
public:
    explicit TFrmQuorvid(TComponent* owner);
    ~TFrmQuorvid() override;

    // ---- Event handlers bound by the form resource ----
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void LabelFormTopMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    void BtnSysMinSizeClick(TObject* sender);
    void BtnSysCloseClick(TObject* sender);
    void LabelTitleClick(TObject* sender);
    void ComboBoxFormatChange(TObject* sender);
    void EditPathButtonClick(TObject* sender);
    void BtnAddClick(TObject* sender);
    void BtnClearClick(TObject* sender);
    void PM_RemoveallClick(TObject* sender);
    void PM_RemoveSelectedClick(TObject* sender);
    void ListViewFilesSelectItem(TObject* sender, TListItem* item, bool selected);
    void CheckBoxCutClick(TObject* sender);
    void BtnSetStartClick(TObject* sender);
    void BtnSetEndClick(TObject* sender);
    void BtnPrvKeyFrameClick(TObject* sender);
    void BtnNextFrameClick(TObject* sender);
    void BtnNextKeyFrameClick(TObject* sender);
    void TrackBarPlayChange(TObject* sender);
    void TrackBarPlayKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
    void BtnPreviewClick(TObject* sender);
    void PM_OutputVideoClick(TObject* sender);
    void ImagePlayClick(TObject* sender);
    void ComboBoxFrameSizeChange(TObject* sender);
    void CheckBoxWatermarkClick(TObject* sender);
    void EditPathWatermarkButtonClick(TObject* sender);
    void ComboBoxPostionChange(TObject* sender);
    void SpinEditXChange(TObject* sender);
    void ComboBoxRotateChange(TObject* sender);

    // ---- Source list ----
    // Appends a checked row owning a fresh record for `path` and selects it,
    // which opens it in the preview.
    void AddSourceFile(const std::string& path, const std::string& formatText);
    // Releases every row's record and empties the list.
    void FreeAllRows();
    // The output panel and the preview state into `record` (a valid one).
    void SaveFileSettings(TCusOutputOptions& record);
    // The output panel and the preview state back from `record`.
    void RestoreFileSettings(TCusOutputOptions& record);
    // The record a row owns.
    static TCusOutputOptions& RecordOf(const TListItem& item);

    // ---- Preview ----
    // Closes the source and clears the preview.
    void ResetPlayer();
    // Opens `path` in the preview decoder; its kind: 1 video, 2 audio only,
    // 0 picture sequence, -1 failure (the decoder is then closed).
    int32_t OpenSource(const std::string& path);
    // Opens the source and shows it when it is a video; its kind as above.
    int32_t OpenAndShow(const std::string& path);
    // The source's duration and picture count, and the controls they allow.
    void ProbeSourceTiming();
    // The bar's range for FrameCount, keeping its relative position.
    void UpdateTrackBarRange();
    // Enables the bar, the time and the cut box by `timing`, the stepping
    // buttons by both; without timing the clip controls are cleared.
    void EnablePlayerControls(bool timing, bool video);
    // The current row's "Clip Time": the marked clip, else its total time.
    void UpdateClipColumn();
    // Decode the next picture, the next or the previous key frame and show
    // it; false when there is none.
    bool NextFrame();
    bool NextKeyFrame();
    bool PreviousKeyFrame();
    // Shows the first picture at or after `time` (µs from the stream's start).
    void SeekToTime(int64_t time);
    // The decoded picture: its time, the bar, and the picture in the mode chosen.
    void ShowCurrentFrame();
    // Draws `frame` as the output rectangle `output` would show it, letterboxed
    // unless `stretch`, turned counter-clockwise by `rotation` degrees.
    void DrawPreviewFrame(TBitmap& frame, const TRect& output, bool stretch, const std::string& rotation);
    // Draws the decoded picture again, with the watermark, while the preview shows.
    void RefreshPreview();

    // ---- Watermark ----
    // Loads `path` into ImageWatermark while the preview shows; a missing,
    // non-PNG or undecodable file leaves it hidden.
    bool LoadWatermarkPreview(const std::string& path);
    // Places the watermark at `placement` with margins in source pixels.
    void PlaceWatermarkPreview(int32_t placement, int32_t marginX, int32_t marginY);
    // The watermark's top-left corner in source pixels; 0, 0 unless it shows.
    TPoint WatermarkSourcePosition() const;

    // ---- Output lists ----
    // The profile list and the four fixed lists, each from its automatic entry.
    void FillOutputLists();
    // Refills the five lists that follow the profile, keeping each list's
    // text where the new list has it.
    void FillFormatLists(const std::string& extension, const std::string& kind);
    // Every choice but the profile and the encoders back to automatic.
    void ResetOutputChoices();

    // ---- Language ----
    // Applies ApplicationFolder + LanguageFileName(index); nothing when the
    // file is missing.
    void ApplyLanguage(uint8_t index);
    // Records the language in "Options.ini" beside the program; a folder that
    // cannot be written is no error.
    void WriteLanguageSetting();

    // Convert, the conversion encoder's notices and the close question.
    std::unique_ptr<TMainWindowRun> Conversion;
    TFormShadow* Shadow() const { return shadow_.get(); }
    TBitmap* FrameBitmap() const { return frameBitmap_.get(); }
    TQkBitmap* WorkBitmap() const { return workBitmap_.get(); }
    bool SuppressEvents = false;
    bool SyncingBar = false;
    int64_t Duration = 0;
    int64_t CurrentPTS = 0;
    int64_t FrameCount = 0;
    int32_t LastBarPosition = 0;
    int64_t ClipStart = UnsetStart;
    int64_t ClipEnd = UnsetEnd;
    int64_t FirstPTS = UnsetStart;
    int32_t VideoStreamIndex = -1;
    int32_t AudioStreamIndex = -1;
    // The row shown in the preview; its record receives the panel when it is left.
    TListItem* CurrentRow = nullptr;
    double PreviewScaleX = 1.0;
    double PreviewScaleY = 1.0;

    // ---- Components of the form resource ----
    TImage* ImageBk = nullptr;
    TLabel* LabelFormTop = nullptr;
    TAALabel* LabelTitle = nullptr;
    TImage* ImageBkPic = nullptr;
    TLabel* LabelFile = nullptr;
    TImage* ImageInfo = nullptr;
    TAALabel* LabelLanguage = nullptr;
    TImage* ImageLanguage = nullptr;
    TTarqPanel* PanelFace = nullptr;
    TTarqBmpButton* BtnSysMinSize = nullptr;
    TTarqBmpButton* BtnSysClose = nullptr;
    VIDArarozo* DIVidirov = nullptr;
    VIDArarozo* DIVidirovDo = nullptr;
    TOpenDialog* OpenDialogVideo = nullptr;
    TOpenDialog* OpenDialogWM = nullptr;
    TPopupMenu* PopupMenuRemove = nullptr;
    TPopupMenu* PopupMenuPreview = nullptr;
    TMenuItem* PM_OutputVideo = nullptr;
    TMenuItem* PM_SourceVideo = nullptr;
    TMenuItem* PM_Removeall = nullptr;
    TMenuItem* PM_RemoveSelected = nullptr;
    TMenuItem* PM_RemoveUnselected = nullptr;
    TImageList* ImageList16 = nullptr;
    TImageList* ImageListLanguage = nullptr;
    // Source side.
    TTarqPanel* PanelSource = nullptr;
    TTarqPanel* PanelSourceTop = nullptr;
    TTarqPanel* PanelSourceBtm = nullptr;
    TTarqPanel* PanelViewBk = nullptr;
    TTarqPanel* PanelPlayBk = nullptr;
    TImage* ImageViewBk = nullptr;
    TImage* ImagePlay = nullptr;
    TImage* ImageWatermark = nullptr;
    TBrelvixProc* BrelvixProc = nullptr;
    TTarqListView* ListViewFiles = nullptr;
    TTarqTrackBar* TrackBarPlay = nullptr;
    TLabel* LabelSource = nullptr;
    TLabel* LabelPTS = nullptr;
    TTarqBmpButton* BtnAdd = nullptr;
    TTarqBmpButton* BtnClear = nullptr;
    TTarqBmpButton* BtnPrvKeyFrame = nullptr;
    TTarqBmpButton* BtnNextFrame = nullptr;
    TTarqBmpButton* BtnNextKeyFrame = nullptr;
    TTarqBmpButton* BtnPreview = nullptr;
    // Output side.
    TTarqPanel* PanelOutput = nullptr;
    TTarqPanel* PanelVideo = nullptr;
    TTarqPanel* PanelAudio = nullptr;
    TLabel* LabelOutput = nullptr;
    TLabel* LabelVideo = nullptr;
    TLabel* LabelAudio = nullptr;
    TImage* ImageVideo = nullptr;
    TImage* ImageAudio = nullptr;
    TTarqBmpButton* BtnSave = nullptr;
    TTarqBmpButton* BtnSetStart = nullptr;
    TTarqBmpButton* BtnSetEnd = nullptr;
    TTarqButtonEdit* EditPath = nullptr;
    TTarqComboBox* ComboBoxFormat = nullptr;
    TTarqComboBox* ComboBoxEncoder = nullptr;
    TTarqComboBox* ComboBoxFrameSize = nullptr;
    TTarqComboBox* ComboBoxVideoBitRate = nullptr;
    TTarqComboBox* ComboBoxFrameRate = nullptr;
    TTarqComboBox* ComboBoxAspectRatio = nullptr;
    TTarqComboBox* ComboBoxAudioEncoder = nullptr;
    TTarqComboBox* ComboBoxAudioBitRate = nullptr;
    TTarqComboBox* ComboBoxAudioSR = nullptr;
    TTarqComboBox* ComboBoxAudioChannel = nullptr;
    TTarqComboBox* ComboBoxPostion = nullptr;
    TTarqComboBox* ComboBoxRotate = nullptr;
    TTarqCheckBox* CheckBoxStretch = nullptr;
    TTarqCheckBox* CheckBoxCut = nullptr;
    TTarqCheckBox* CheckBoxWatermark = nullptr;
    TTarqButtonEdit* EditPathWatermark = nullptr;
    TTarqSpinEdit* SpinEditX = nullptr;
    TTarqSpinEdit* SpinEditY = nullptr;
    TLabel* LabelRotate = nullptr;
    TLabel* LabelStart = nullptr;
    TLabel* LabelEnd = nullptr;
    TTarqPageControl* PageControlVideo = nullptr;

protected:
    void DoShow() override;
    void DoHide() override;

private:
    template <class T>
    T* Find(const char* name) const;
    void FindComponents();
    void AssignArtwork();
    void PaintBackground();
    void ApplyLanguageFonts();
    // The nine lists whose item 0 is the automatic entry.
    std::array<TTarqComboBox*, 9> AutoLists() const;
    // Shows the panels the profile's kind needs.
    void LayOutForProfile();
    // Removes a row and releases its record.
    void RemoveRow(TListItem* item);
    // After rows went: with no row selected, the preview and the choices reset.
    void ResetWhenNothingSelected();
    void SaveOutputChoices(TCusOutputOptions& record) const;
    void FocusTrackBar();
    void EnableClipControls(bool marking);
    // Shows the clip marks, or "N/A" while the cut box is unchecked.
    void ShowClipMarks();
    void RestoreOutputChoices(const TCusOutputOptions& record);
    // ImagePlay's picture in the preview's background colour.
    void FillPreviewBackground();
    // The output frame the panel's choices give the decoded picture.
    TOutputFrame OutputFrame() const;
    // Shows the picture when `decoded`; answers `decoded`.
    bool ShowDecoded(bool decoded);
    // The bar where `CurrentPTS` lies, without seeking.
    void SyncBarToTime();
    // The bar position's time in µs.
    int64_t BarTime() const;
    bool WatermarkShown() const;
    void RefreshWatermark();

    std::unique_ptr<TFormShadow> shadow_;
    // Receives each decoded frame; freed with the window.
    std::unique_ptr<TBitmap> frameBitmap_;
    // The rotated preview's copy of the frame, worked on by BrelvixProc.
    std::unique_ptr<TQkBitmap> workBitmap_;
    // The rows' records; a row's data points at its own.
    std::vector<std::unique_ptr<TCusOutputOptions>> records_;
};

// Registers the classes the form resource names (once).
void RegisterQuorvidClasses();
