#pragma once
// The converter's main window: a borderless, skinned window with a rounded
// shape and a drop shadow, dragged by the strip along its top, with its own
// minimise and close buttons and a clickable product title. The left side
// lists and previews the sources, the right side holds the output settings.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/Form.h"

class TAALabel;
class TBitmap;
class TFormShadow;
class TImage;
class TImageList;
class TLabel;
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

    TFormShadow* Shadow() const { return shadow_.get(); }
    TBitmap* FrameBitmap() const { return frameBitmap_.get(); }
    bool SuppressEvents = false;
    bool SyncingBar = false;
    int64_t Duration = 0;
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

    std::unique_ptr<TFormShadow> shadow_;
    // Receives each decoded frame; freed with the window.
    std::unique_ptr<TBitmap> frameBitmap_;
};

// Registers the classes the form resource names (once).
void RegisterQuorvidClasses();
