#include "app/UnitQuorvid.h"

#include "app/ApplicationGlobals.h"
#include "app/ConverterArt.h"
#include "app/CusOutputOptions.h"
#include "app/FormatTable.h"
#include "app/LanguageFiles.h"
#include "app/ListChoice.h"
#include "app/MainWindowRun.h"
#include "app/Messages.h"
#include "app/OpenDocument.h"
#include "app/SkinPainting.h"
#include "app/StartFolder.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqListVw.h"
#include "controls/TarqPageControl.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqRegistration.h"
#include "controls/TarqSeparator.h"
#include "controls/TarqSpnEdt.h"
#include "controls/TarqTrkBar.h"
#include "controls/aa/AACtrls.h"
#include "controls/png/pngimage.h"
#include "controls/ufrmShadowFrame.h"
#include "engine/EncoderAvailable.h"
#include "engine/FFEncode.h"
#include "engine/MyUtils.h"
#include "engine/decode/FFDecode.h"
#include "imaging/core/BrelvixProc.h"
#include "platform/core/Files.h"
#include "platform/core/IniFile.h"
#include "platform/gfx/ImageList.h"
#include "platform/gfx/Resources.h"
#include "platform/ui/Application.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/GraphicControlsRegistration.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

constexpr TColor ShadowGray = 0x808080;
constexpr int32_t LanguageFontSize = 9;
constexpr int32_t TitleFontSize = 11;

void FillList(TTarqComboBox& list, const std::vector<std::string>& entries)
{
    TStrings& items = *list.Items();
    items.BeginUpdate();
    items.Clear();
    items.Add(MS_Auto);
    for (const std::string& entry : entries)
        items.Add(entry);
    items.EndUpdate();
}

void RefillKeepingText(TTarqComboBox& list, const std::vector<std::string>& entries)
{
    const std::string remembered = list.Text();
    FillList(list, entries);
    SelectText(list, remembered);
}

// Item 0 takes the current automatic text; the selection stays.
void ReplaceAutoItem(TTarqComboBox& list)
{
    if (list.Items()->Count() == 0)
        return;
    const int32_t selected = list.ItemIndex();
    list.Items()->SetStrings(0, MS_Auto);
    list.SetItemIndex(selected);
}

void SetFace(TTarqBmpButton& button, const std::string& resource)
{
    TTarqButtonBitmaps& bitmaps = *button.Bitmaps();
    bitmaps.SetUp(LoadBitmapResource(resource).get());
    bitmaps.SetUpAndFocused(LoadBitmapResource(resource).get());
    bitmaps.SetHot(LoadBitmapResource(HotVariant(resource)).get());
    bitmaps.SetDown(LoadBitmapResource(DownVariant(resource)).get());
    bitmaps.SetDisabled(LoadBitmapResource(DisabledVariant(resource)).get());
}

void SetPicture(TImage& image, const std::string& resource)
{
    image.Picture()->SetGraphic(LoadBitmapResource(resource).get());
}

// One 16 × 16 icon out of the kind-icon strip.
std::unique_ptr<TBitmap> KindIcon(int32_t index)
{
    auto strip = LoadBitmapResource(KindIconsResource);
    auto icon = std::make_unique<TBitmap>(16, 16);
    icon->Canvas()->CopyRect(Rect(0, 0, 16, 16), strip->Canvas(), Rect(16 * index, 0, 16 * index + 16, 16));
    return icon;
}

void NotBold(TFont& font)
{
    TFontStyles style = font.Style();
    style.Exclude(fsBold);
    font.SetStyle(style);
}

} // namespace

// Defined by the build from FrmQuorvid.frm; naming it keeps it in the program.
extern const char* const FormResource_TFRMQUORVID;

void RegisterQuorvidClasses()
{
    static const bool registered = [] {
        RegisterFormResource("TFRMQUORVID", FormResource_TFRMQUORVID);
        RegisterClass<TFrmQuorvid, TForm>("TFrmQuorvid");
        RegisterStandardControls();
        RegisterGraphicControls();
        RegisterEncoderClasses();
        RegisterAAControls();
        RegisterTarqCommonClasses();
        RegisterTarqPanelClasses();
        RegisterTarqSeparatorClasses();
        RegisterTarqBmpBtnClasses();
        RegisterTarqButtonEditClasses();
        RegisterTarqComboBoxClasses();
        RegisterTarqListViewClasses();
        RegisterTarqTabClasses();
        RegisterTarqRadChkClasses();
        RegisterTarqSpinEditClasses();
        RegisterTarqTrackBarClasses();
        RegisterConverterResources();
        RegisterPngPictureFormat();
        RegisterBrelvixProcClass();
        return true;
    }();
    (void)registered;
}

TFrmQuorvid::TFrmQuorvid(TComponent* owner) : TForm(owner)
{
    RegisterQuorvidClasses();
    THandlerTable& handlers = Handlers();
    handlers.Bind("FormCreate", this, &TFrmQuorvid::FormCreate);
    handlers.Bind("FormClose", this, &TFrmQuorvid::FormClose);
    handlers.Bind("LabelFormTopMouseDown", this, &TFrmQuorvid::LabelFormTopMouseDown);
    handlers.Bind("BtnSysMinSizeClick", this, &TFrmQuorvid::BtnSysMinSizeClick);
    handlers.Bind("BtnSysCloseClick", this, &TFrmQuorvid::BtnSysCloseClick);
    handlers.Bind("LabelTitleClick", this, &TFrmQuorvid::LabelTitleClick);
    handlers.Bind("ComboBoxFormatChange", this, &TFrmQuorvid::ComboBoxFormatChange);
    handlers.Bind("EditPathButtonClick", this, &TFrmQuorvid::EditPathButtonClick);
    handlers.Bind("BtnAddClick", this, &TFrmQuorvid::BtnAddClick);
    handlers.Bind("BtnClearClick", this, &TFrmQuorvid::BtnClearClick);
    handlers.Bind("PM_RemoveallClick", this, &TFrmQuorvid::PM_RemoveallClick);
    handlers.Bind("PM_RemoveSelectedClick", this, &TFrmQuorvid::PM_RemoveSelectedClick);
    handlers.Bind("ListViewFilesSelectItem", this, &TFrmQuorvid::ListViewFilesSelectItem);
    handlers.Bind("CheckBoxCutClick", this, &TFrmQuorvid::CheckBoxCutClick);
    handlers.Bind("BtnSetStartClick", this, &TFrmQuorvid::BtnSetStartClick);
    handlers.Bind("BtnSetEndClick", this, &TFrmQuorvid::BtnSetEndClick);
    handlers.Bind("BtnPrvKeyFrameClick", this, &TFrmQuorvid::BtnPrvKeyFrameClick);
    handlers.Bind("BtnNextFrameClick", this, &TFrmQuorvid::BtnNextFrameClick);
    handlers.Bind("BtnNextKeyFrameClick", this, &TFrmQuorvid::BtnNextKeyFrameClick);
    handlers.Bind("TrackBarPlayChange", this, &TFrmQuorvid::TrackBarPlayChange);
    handlers.Bind("TrackBarPlayKeyDown", this, &TFrmQuorvid::TrackBarPlayKeyDown);
    handlers.Bind("BtnPreviewClick", this, &TFrmQuorvid::BtnPreviewClick);
    handlers.Bind("PM_OutputVideoClick", this, &TFrmQuorvid::PM_OutputVideoClick);
    handlers.Bind("ImagePlayClick", this, &TFrmQuorvid::ImagePlayClick);
    handlers.Bind("ComboBoxFrameSizeChange", this, &TFrmQuorvid::ComboBoxFrameSizeChange);
    handlers.Bind("CheckBoxWatermarkClick", this, &TFrmQuorvid::CheckBoxWatermarkClick);
    handlers.Bind("EditPathWatermarkButtonClick", this, &TFrmQuorvid::EditPathWatermarkButtonClick);
    handlers.Bind("ComboBoxPostionChange", this, &TFrmQuorvid::ComboBoxPostionChange);
    handlers.Bind("SpinEditXChange", this, &TFrmQuorvid::SpinEditXChange);
    handlers.Bind("ComboBoxRotateChange", this, &TFrmQuorvid::ComboBoxRotateChange);
    Conversion = std::make_unique<TMainWindowRun>(*this);
}

TFrmQuorvid::~TFrmQuorvid()
{
    // The rows point at records_, and the list's events reach the window's
    // members: the components go while the window is whole, and quietly.
    SuppressEvents = true;
    DestroyComponents();
}

template <class T>
T* TFrmQuorvid::Find(const char* name) const
{
    auto* component = dynamic_cast<T*>(FindComponent(name));
    if (!component)
        throw CreateFmt<EComponentError>("The form resource lacks %s", std::string(name));
    return component;
}

void TFrmQuorvid::FindComponents()
{
    ImageBk = Find<TImage>("ImageBk");
    LabelFormTop = Find<TLabel>("LabelFormTop");
    LabelTitle = Find<TAALabel>("LabelTitle");
    ImageBkPic = Find<TImage>("ImageBkPic");
    LabelFile = Find<TLabel>("LabelFile");
    ImageInfo = Find<TImage>("ImageInfo");
    LabelLanguage = Find<TAALabel>("LabelLanguage");
    ImageLanguage = Find<TImage>("ImageLanguage");
    PanelFace = Find<TTarqPanel>("PanelFace");
    BtnSysMinSize = Find<TTarqBmpButton>("BtnSysMinSize");
    BtnSysClose = Find<TTarqBmpButton>("BtnSysClose");
    DIVidirov = Find<VIDArarozo>("DIVidirov");
    DIVidirovDo = Find<VIDArarozo>("DIVidirovDo");
    OpenDialogVideo = Find<TOpenDialog>("OpenDialogVideo");
    OpenDialogWM = Find<TOpenDialog>("OpenDialogWM");
    PopupMenuRemove = Find<TPopupMenu>("PopupMenuRemove");
    PopupMenuPreview = Find<TPopupMenu>("PopupMenuPreview");
    PM_OutputVideo = Find<TMenuItem>("PM_OutputVideo");
    PM_SourceVideo = Find<TMenuItem>("PM_SourceVideo");
    ImageList16 = Find<TImageList>("ImageList16");
    ImageListLanguage = Find<TImageList>("ImageListLanguage");
    PanelSource = Find<TTarqPanel>("PanelSource");
    PanelSourceTop = Find<TTarqPanel>("PanelSourceTop");
    PanelSourceBtm = Find<TTarqPanel>("PanelSourceBtm");
    PanelViewBk = Find<TTarqPanel>("PanelViewBk");
    PanelPlayBk = Find<TTarqPanel>("PanelPlayBk");
    ImageViewBk = Find<TImage>("ImageViewBk");
    ImagePlay = Find<TImage>("ImagePlay");
    ImageWatermark = Find<TImage>("ImageWatermark");
    BrelvixProc = Find<TBrelvixProc>("BrelvixProc");
    ListViewFiles = Find<TTarqListView>("ListViewFiles");
    TrackBarPlay = Find<TTarqTrackBar>("TrackBarPlay");
    LabelSource = Find<TLabel>("LabelSource");
    LabelPTS = Find<TLabel>("LabelPTS");
    BtnAdd = Find<TTarqBmpButton>("BtnAdd");
    BtnClear = Find<TTarqBmpButton>("BtnClear");
    BtnPrvKeyFrame = Find<TTarqBmpButton>("BtnPrvKeyFrame");
    BtnNextFrame = Find<TTarqBmpButton>("BtnNextFrame");
    BtnNextKeyFrame = Find<TTarqBmpButton>("BtnNextKeyFrame");
    BtnPreview = Find<TTarqBmpButton>("BtnPreview");
    PanelOutput = Find<TTarqPanel>("PanelOutput");
    PanelVideo = Find<TTarqPanel>("PanelVideo");
    PanelAudio = Find<TTarqPanel>("PanelAudio");
    LabelOutput = Find<TLabel>("LabelOutput");
    LabelVideo = Find<TLabel>("LabelVideo");
    LabelAudio = Find<TLabel>("LabelAudio");
    ImageVideo = Find<TImage>("ImageVideo");
    ImageAudio = Find<TImage>("ImageAudio");
    BtnSave = Find<TTarqBmpButton>("BtnSave");
    BtnSetStart = Find<TTarqBmpButton>("BtnSetStart");
    BtnSetEnd = Find<TTarqBmpButton>("BtnSetEnd");
    EditPath = Find<TTarqButtonEdit>("EditPath");
    ComboBoxFormat = Find<TTarqComboBox>("ComboBoxFormat");
    ComboBoxEncoder = Find<TTarqComboBox>("ComboBoxEncoder");
    ComboBoxFrameSize = Find<TTarqComboBox>("ComboBoxFrameSize");
    ComboBoxVideoBitRate = Find<TTarqComboBox>("ComboBoxVideoBitRate");
    ComboBoxFrameRate = Find<TTarqComboBox>("ComboBoxFrameRate");
    ComboBoxAspectRatio = Find<TTarqComboBox>("ComboBoxAspectRatio");
    ComboBoxAudioEncoder = Find<TTarqComboBox>("ComboBoxAudioEncoder");
    ComboBoxAudioBitRate = Find<TTarqComboBox>("ComboBoxAudioBitRate");
    ComboBoxAudioSR = Find<TTarqComboBox>("ComboBoxAudioSR");
    ComboBoxAudioChannel = Find<TTarqComboBox>("ComboBoxAudioChannel");
    ComboBoxPostion = Find<TTarqComboBox>("ComboBoxPostion");
    ComboBoxRotate = Find<TTarqComboBox>("ComboBoxRotate");
    CheckBoxStretch = Find<TTarqCheckBox>("CheckBoxStretch");
    CheckBoxCut = Find<TTarqCheckBox>("CheckBoxCut");
    CheckBoxWatermark = Find<TTarqCheckBox>("CheckBoxWatermark");
    EditPathWatermark = Find<TTarqButtonEdit>("EditPathWatermark");
    SpinEditX = Find<TTarqSpinEdit>("SpinEditX");
    SpinEditY = Find<TTarqSpinEdit>("SpinEditY");
    LabelRotate = Find<TLabel>("LabelRotate");
    LabelStart = Find<TLabel>("LabelStart");
    LabelEnd = Find<TLabel>("LabelEnd");
    PM_Removeall = Find<TMenuItem>("PM_Removeall");
    PM_RemoveSelected = Find<TMenuItem>("PM_RemoveSelected");
    PM_RemoveUnselected = Find<TMenuItem>("PM_RemoveUnselected");
    PageControlVideo = Find<TTarqPageControl>("PageControlVideo");
}

// The form resource holds no pictures: they come from the program's own artwork.
void TFrmQuorvid::AssignArtwork()
{
    SetPicture(*ImageBkPic, SkinResource);
    SetPicture(*ImageInfo, InfoResource);
    ImageVideo->Picture()->SetGraphic(KindIcon(0).get());
    ImageAudio->Picture()->SetGraphic(KindIcon(1).get());
    ImageList16->SetWidth(16);
    ImageList16->SetHeight(16);
    ImageList16->AddMasked(LoadBitmapResource(KindIconsResource).get(), clOlive);
    SetFace(*BtnSysMinSize, MinimizeResource);
    SetFace(*BtnSysClose, CloseResource);
    for (TTarqBmpButton* button : {BtnAdd, BtnClear, BtnSave, BtnPreview, BtnSetStart, BtnSetEnd})
        SetFace(*button, ButtonResource);
    SetFace(*BtnPrvKeyFrame, PrevKeyResource);
    SetFace(*BtnNextFrame, NextFrameResource);
    SetFace(*BtnNextKeyFrame, NextKeyResource);
}

void TFrmQuorvid::PaintBackground()
{
    TBitmap* background = ImageBk->Picture()->Bitmap();
    background->SetSize(ImageBk->Width(), ImageBk->Height());
    PaintSkin(*background->Canvas(), *ImageBkPic->Picture()->Bitmap(), ImageBk->Height(), ImageBk->Width());
    ImageBk->Invalidate();
    SetWindowRgn(SkinRegion(ImageBk->BoundsRect()));
}

void TFrmQuorvid::FormCreate(TObject*)
{
    FindComponents();
    ApplicationFolder = ProgramFolderOf(ModuleFileNameWide());
    for (TTarqPanel* panel : {PanelFace, PanelSource, PanelOutput, PanelPlayBk, PanelSourceBtm})
        panel->SetDoubleBuffered(true);
    AssignArtwork();
    for (TTarqBmpButton* button : {BtnAdd, BtnClear, BtnSave, BtnPreview})
        button->Bitmaps()->SetDisabled(button->Bitmaps()->Up());
    PaintBackground();
    shadow_ = std::make_unique<TFormShadow>(nullptr);
    shadow_->AttachForm(this);
    shadow_->SetShadowColor(ShadowGray);
    frameBitmap_ = std::make_unique<TBitmap>();
    workBitmap_ = std::make_unique<TQkBitmap>();
    BrelvixProc->AttachBitmap(workBitmap_.get());
    SyncingBar = false;
    SuppressEvents = false;
    Duration = 0;
    PreviewScaleX = PreviewScaleY = 1.0;
    EditPath->SetText(DefaultOutputFolder());
    FillOutputLists();
    const int32_t row = ComboBoxFormat->ItemIndex();
    FillFormatLists(FormatTableEntry(row, ftExtension), FormatTableEntry(row, ftKind));
    ImageLanguage->Hide();
    LabelLanguage->Hide();
    ApplyLanguage(StartLanguage);
}

void TFrmQuorvid::FormClose(TObject*, TCloseAction&)
{
    SuppressEvents = true;
    if (DIVidirov->LibrariesLoaded())
        DIVidirov->Decoder()->CloseFile();
    FreeAllRows();
    shadow_.reset();
    WriteLanguageSetting();
}

void TFrmQuorvid::DoShow()
{
    TForm::DoShow();
    if (shadow_)
        shadow_->SetShadowVisible(true);
}

void TFrmQuorvid::DoHide()
{
    if (shadow_)
        shadow_->SetShadowVisible(false);
    TForm::DoHide();
}

void TFrmQuorvid::LabelFormTopMouseDown(TObject*, TMouseButton, TShiftState, int32_t, int32_t)
{
    LabelFormTop->SetMouseCapture(false);
    Perform(WM_SYSCOMMAND, SC_DRAGMOVE, 0);
}

void TFrmQuorvid::BtnSysMinSizeClick(TObject*) { Application()->Minimize(); }

void TFrmQuorvid::BtnSysCloseClick(TObject*) { Close(); }

void TFrmQuorvid::LabelTitleClick(TObject*) { OpenDocument(ApplicationFolder + ProductDocument); }

// ---- Output lists ------------------------------------------------------------

void TFrmQuorvid::FillOutputLists()
{
    TStrings& formats = *ComboBoxFormat->Items();
    formats.BeginUpdate();
    formats.Clear();
    for (int32_t row = 0; row < FormatTableRows; ++row)
        formats.Add(FormatTableEntry(row, ftDisplay));
    formats.EndUpdate();
    ComboBoxFormat->SetItemIndex(DefaultFormatRow);
    ComboBoxFormatChange(ComboBoxFormat);
    const std::pair<TTarqComboBox*, const std::vector<std::string>*> fixedLists[] = {
        {ComboBoxAudioChannel, &AudioChannelEntries()},
        {ComboBoxAudioSR, &SampleRateEntries()},
        {ComboBoxAspectRatio, &AspectRatioEntries()},
        {ComboBoxVideoBitRate, &VideoBitRateEntries()},
    };
    for (const auto& [list, entries] : fixedLists) {
        FillList(*list, *entries);
        list->SetItemIndex(0);
    }
}

void TFrmQuorvid::FillFormatLists(const std::string& extension, const std::string& kind)
{
    const TProfileLists lists = ProfileLists(extension, kind, EncoderAvailable(AmrEncoderName));
    RefillKeepingText(*ComboBoxEncoder, lists.VideoEncoders);
    RefillKeepingText(*ComboBoxAudioEncoder, lists.AudioEncoders);
    RefillKeepingText(*ComboBoxFrameRate, lists.FrameRates);
    RefillKeepingText(*ComboBoxFrameSize, lists.FrameSizes);
    RefillKeepingText(*ComboBoxAudioBitRate, lists.AudioBitRates);
}

void TFrmQuorvid::ComboBoxFormatChange(TObject*)
{
    if (SuppressEvents)
        return;
    const int32_t row = ComboBoxFormat->ItemIndex();
    FillFormatLists(FormatTableEntry(row, ftExtension), FormatTableEntry(row, ftKind));
    LayOutForProfile();
    if (CurrentRow && RecordOf(*CurrentRow).Valid)
        CurrentRow->SubItems()->SetStrings(0, ComboBoxFormat->Text());
    RefreshPreview();
}

void TFrmQuorvid::LayOutForProfile()
{
    const int32_t row = ComboBoxFormat->ItemIndex();
    const std::string extension = FormatTableEntry(row, ftExtension);
    if (IsAudioKind(FormatTableEntry(row, ftKind))) {
        PanelVideo->Hide();
        PanelAudio->SetTop(PanelVideo->Top());
    } else {
        PanelVideo->Show();
        PanelAudio->Show();
        PanelAudio->SetTop(AudioPanelTop);
    }
    ComboBoxRotate->SetEnabled(extension != "3gp");
}

void TFrmQuorvid::EditPathButtonClick(TObject*)
{
    TFolderBrowser browser(nullptr);
    if (DirectoryExists(EditPath->Text()))
        browser.SetFolder(EditPath->Text());
    if (browser.Execute() && DirectoryExists(browser.Folder()))
        EditPath->SetText(browser.Folder());
}

void TFrmQuorvid::ResetOutputChoices()
{
    for (TTarqComboBox* list : {ComboBoxFrameSize, ComboBoxVideoBitRate, ComboBoxFrameRate, ComboBoxRotate,
                                ComboBoxAudioBitRate, ComboBoxAudioSR, ComboBoxAudioChannel})
        list->SetItemIndex(0);
}

// ---- Language ----------------------------------------------------------------

std::array<TTarqComboBox*, 9> TFrmQuorvid::AutoLists() const
{
    return {ComboBoxEncoder,      ComboBoxFrameSize,    ComboBoxVideoBitRate, ComboBoxFrameRate,   ComboBoxAspectRatio,
            ComboBoxAudioEncoder, ComboBoxAudioBitRate, ComboBoxAudioSR,      ComboBoxAudioChannel};
}

void TFrmQuorvid::ApplyLanguage(uint8_t index)
{
    const std::string file = ApplicationFolder + LanguageFileName(index);
    if (!FileExists(file))
        return;
    SuppressEvents = true;
    try {
        LanguageIndex = index == 0 ? 1 : index;
        // The file may replace the items of these lists; their choices stay.
        const int32_t placement = ComboBoxPostion->ItemIndex();
        const int32_t channels = ComboBoxAudioChannel->ItemIndex();
        TIniFile languageFile(file);
        LoadMessages(languageFile);
        LoadFormLanguage(*this, file);
        ComboBoxPostion->SetItemIndex(placement);
        ComboBoxAudioChannel->SetItemIndex(channels);
        for (TTarqComboBox* list : AutoLists())
            ReplaceAutoItem(*list);
        const TMenuItem* mode = BtnPreview->Tag() == 1 ? PM_SourceVideo : PM_OutputVideo;
        BtnPreview->SetCaption(MS_Preview + " - " + mode->Caption());
        if (LabelFile->Tag() == 0)
            LabelFile->SetCaption(MS_Ready);
        ApplyLanguageFonts();
    } catch (...) {
        SuppressEvents = false;
        throw;
    }
    SuppressEvents = false;
}

void TFrmQuorvid::ApplyLanguageFonts()
{
    Application()->SetTitle(ProductName);
    LabelTitle->SetCaption(ProductTitle);
    Font()->SetName(LanguageFontName);
    Font()->SetSize(LanguageFontSize);
    for (TControl* title : {static_cast<TControl*>(LabelTitle), static_cast<TControl*>(LabelLanguage)}) {
        title->Font()->SetName(Font()->Name());
        title->Font()->SetSize(TitleFontSize);
    }
    for (TControl* label : {static_cast<TControl*>(LabelSource), static_cast<TControl*>(LabelOutput)})
        label->Font()->SetName(LanguageFontName);
    for (TTarqBmpButton* button : {BtnAdd, BtnClear, BtnSave}) {
        button->Font()->SetName(LanguageFontName);
        NotBold(*button->Font());
    }
    for (TTarqBmpButton* button : {BtnSetStart, BtnSetEnd}) {
        button->Font()->SetName(LanguageFontName);
        button->Font()->SetSize(Font()->Size());
    }
    for (TLabel* label : {LabelVideo, LabelAudio}) {
        label->Font()->SetName(Font()->Name());
        label->Font()->SetSize(Font()->Size());
        NotBold(*label->Font());
    }
}

void TFrmQuorvid::WriteLanguageSetting()
{
    try {
        TIniFile options(ApplicationFolder + "Options.ini");
        options.WriteInteger("LANGUAGE", "Default", LanguageIndex);
    } catch (const EFCreateError&) {
        // An installed program's folder is often not writable; the setting is
        // only a record, never read back.
    }
}
