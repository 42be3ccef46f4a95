object FrmQuorvid: TFrmQuorvid
  Left = 0
  Top = 0
  BorderStyle = bsNone
  Caption = 'Vardeno视频转换器'
  ClientWidth = 842
  ClientHeight = 544
  Color = 15853792
  Font.Name = 'Tahoma'
  Font.Height = -11
  Position = poScreenCenter
  Scaled = False
  OnClose = FormClose
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  object ImageBk: TImage
    Left = 0
    Top = 0
    Width = 842
    Height = 544
  end
  object LabelFormTop: TLabel
    AutoSize = False
    Left = 0
    Top = 0
    Width = 842
    Height = 31
    Transparent = True
    OnMouseDown = LabelFormTopMouseDown
  end
  object LabelTitle: TAALabel
    Left = 29
    Top = 10
    Caption = 'Vardeno视频转换器 - 2.2.0.0'
    Cursor = crHandPoint
    Font.Color = clWhite
    Font.Style = [fsBold]
    Font.Height = -15
    Effect.FontEffect.Shadow.Enabled = True
    Effect.Transparent = True
    OnClick = LabelTitleClick
  end
  object ImageBkPic: TImage
    Left = 0
    Top = 0
    Width = 100
    Height = 100
    Visible = False
  end
  object ImageInfo: TImage
    Left = 10
    Top = 521
    Width = 16
    Height = 16
    Transparent = True
  end
  object LabelFile: TLabel
    Left = 30
    Top = 522
    Caption = 'Ready'
    Transparent = True
    ShowAccelChar = False
    Font.Color = clWhite
  end
  object LabelLanguage: TAALabel
    Left = 700
    Top = 10
    Caption = 'Language'
    Font.Color = clWhite
    Visible = False
  end
  object ImageLanguage: TImage
    Left = 680
    Top = 10
    Width = 16
    Height = 16
    Visible = False
  end
  object PanelFace: TTarqPanel
    Left = 4
    Top = 40
    Width = 834
    Height = 476
    BorderOuter = fsNone
    Color = 15853792
    object ImageLock: TImage
      Left = 0
      Top = 0
      Width = 834
      Height = 476
      Visible = False
    end
    object PanelSource: TTarqPanel
      Left = 0
      Top = 0
      Width = 422
      Height = 476
      BorderOuter = fsNone
      Color = 15853792
      object ImageViewBk: TImage
        OnClick = ImagePlayClick
        Left = 3
        Top = 228
        Width = 416
        Height = 186
        Stretch = True
      end
      object TarqSeparator2: TTarqSeparator
        Left = 3
        Top = 224
        Width = 416
        Height = 2
      end
      object ListViewFiles: TTarqListView
        Left = 3
        Top = 32
        Width = 416
        Height = 188
        ViewStyle = vsReport
        Checkboxes = True
        RowSelect = True
        ReadOnly = True
        ColumnClick = False
        HideSelection = False
        SmallImages = ImageList16
        OnSelectItem = ListViewFilesSelectItem
        Columns = <
      item
        Caption = 'Video File'
        Width = 150
      end
      item
        Caption = 'Output Format'
        Width = 90
      end
      item
        Caption = 'Total Time'
        Width = 80
      end
      item
        Caption = 'Clip Time'
        Width = 80
      end
      item
        Caption = 'Progress'
        Width = 55
      end>
      end
      object TrackBarPlay: TTarqTrackBar
        OnChange = TrackBarPlayChange
        OnKeyDown = TrackBarPlayKeyDown
        Left = 3
        Top = 417
        Width = 416
        Height = 23
        Enabled = False
        ShowTicks = False
        ShowFocusRect = False
        TrackWidth = 4
        TrackOffset = 10
      end
      object PanelViewBk: TTarqPanel
        OnClick = ImagePlayClick
        Left = 27
        Top = 232
        Width = 367
        Height = 180
        BorderOuter = fsNone
        Color = 15780518
        Visible = False
        object PanelPlayBk: TTarqPanel
          OnClick = ImagePlayClick
          Left = 0
          Top = 0
          Width = 367
          Height = 180
          BorderOuter = fsNone
          Color = clBlack
          object ImagePlay: TImage
            OnClick = ImagePlayClick
            Left = 0
            Top = 0
            Width = 367
            Height = 180
            Stretch = True
          end
          object ImageWatermark: TImage
            OnClick = ImagePlayClick
            Left = 0
            Top = 0
            Width = 32
            Height = 32
            Stretch = True
            Visible = False
          end
        end
      end
      object PanelSourceTop: TTarqPanel
        Left = 0
        Top = 0
        Width = 422
        Height = 30
        BorderOuter = fsNone
        Color = 15853792
        object LabelSource: TLabel
          Left = 8
          Top = 8
          Caption = 'Source Files'
          Transparent = True
          Font.Style = [fsBold]
        end
        object BtnAdd: TTarqBmpButton
          Left = 238
          Top = 3
          Width = 88
          Height = 24
          Caption = 'Add'
          ButtonSize = bszStretchToButton
          OnClick = BtnAddClick
        end
        object BtnClear: TTarqBmpButton
          Left = 330
          Top = 3
          Width = 88
          Height = 24
          Caption = 'Clear'
          ButtonSize = bszStretchToButton
          OnClick = BtnClearClick
        end
      end
      object PanelSourceBtm: TTarqPanel
        Left = 3
        Top = 444
        Width = 250
        Height = 28
        BorderOuter = fsNone
        Color = 15853792
        object LabelPTS: TLabel
          Left = 4
          Top = 7
          Caption = '00:00:00.000'
          Transparent = True
          Enabled = False
        end
        object BtnPrvKeyFrame: TTarqBmpButton
          OnClick = BtnPrvKeyFrameClick
          Left = 110
          Top = 2
          Width = 30
          Height = 24
          ButtonSize = bszStretchToButton
          Hint = 'Previous key frame (Left)'
          ShowHint = True
          Enabled = False
        end
        object BtnNextFrame: TTarqBmpButton
          OnClick = BtnNextFrameClick
          Left = 144
          Top = 2
          Width = 30
          Height = 24
          ButtonSize = bszStretchToButton
          Hint = 'Next frame (Shift+Right)'
          ShowHint = True
          Enabled = False
        end
        object BtnNextKeyFrame: TTarqBmpButton
          OnClick = BtnNextKeyFrameClick
          Left = 178
          Top = 2
          Width = 30
          Height = 24
          ButtonSize = bszStretchToButton
          Hint = 'Next key frame (Right)'
          ShowHint = True
          Enabled = False
        end
      end
      object BtnPreview: TTarqBmpButton
        OnClick = BtnPreviewClick
        Left = 258
        Top = 446
        Width = 160
        Height = 24
        Caption = 'Preview - Output Video'
        ButtonSize = bszStretchToButton
      end
    end
    object PanelOutput: TTarqPanel
      Left = 424
      Top = 0
      Width = 410
      Height = 476
      BorderOuter = fsNone
      Color = 15853792
      object PanelOutputTop: TTarqPanel
        Left = 0
        Top = 0
        Width = 410
        Height = 30
        BorderOuter = fsNone
        Color = 15853792
        object LabelOutput: TLabel
          Left = 8
          Top = 8
          Caption = 'Output Settings'
          Transparent = True
          Font.Style = [fsBold]
        end
        object BtnSave: TTarqBmpButton
          Left = 316
          Top = 3
          Width = 88
          Height = 24
          Caption = 'Convert'
          ButtonSize = bszStretchToButton
          OnClick = BtnSaveClick
        end
      end
      object LabelFolder: TLabel
        Left = 8
        Top = 42
        Caption = 'Output Folder:'
        Transparent = True
      end
      object EditPath: TTarqButtonEdit
        Left = 100
        Top = 38
        Width = 300
        Height = 21
        OnButtonClick = EditPathButtonClick
      end
      object LabelFormat: TLabel
        Left = 8
        Top = 72
        Caption = 'Output Format:'
        Transparent = True
      end
      object ComboBoxFormat: TTarqComboBox
        Left = 100
        Top = 68
        Width = 300
        Height = 21
        Style = csDropDownList
        DropDownCount = 30
        OnChange = ComboBoxFormatChange
      end
      object CheckBoxCut: TTarqCheckBox
        Left = 8
        Top = 102
        Width = 90
        Height = 17
        Caption = 'Cut Clip'
        Transparent = True
        OnClick = CheckBoxCutClick
      end
      object BtnSetStart: TTarqBmpButton
        Left = 100
        Top = 99
        Width = 72
        Height = 22
        Caption = 'Set Start'
        OnClick = BtnSetStartClick
        ButtonSize = bszStretchToButton
        Enabled = False
      end
      object LabelStart: TLabel
        Left = 178
        Top = 103
        Caption = 'N/A'
        Transparent = True
        Enabled = False
      end
      object BtnSetEnd: TTarqBmpButton
        Left = 100
        Top = 126
        Width = 72
        Height = 22
        Caption = 'Set End'
        OnClick = BtnSetEndClick
        ButtonSize = bszStretchToButton
        Enabled = False
      end
      object LabelEnd: TLabel
        Left = 178
        Top = 130
        Caption = 'N/A'
        Transparent = True
        Enabled = False
      end
      object PanelVideo: TTarqPanel
        Left = 0
        Top = 155
        Width = 408
        Height = 190
        BorderOuter = fsNone
        Color = 15853792
        object TarqSeparator1: TTarqSeparator
          Left = 4
          Top = 0
          Width = 400
          Height = 2
        end
        object ImageVideo: TImage
          Left = 8
          Top = 6
          Width = 16
          Height = 16
          Transparent = True
        end
        object LabelVideo: TLabel
          Left = 28
          Top = 7
          Caption = 'Video'
          Transparent = True
          Font.Style = [fsBold]
        end
        object PageControlVideo: TTarqPageControl
          Left = 4
          Top = 26
          Width = 400
          Height = 160
          ActivePage = TabSheetNormal
          TabStyle = tsRoundCorners
          object TabSheetNormal: TTarqTabSheet
            Caption = 'Normal'
            PageIndex = 0
            object LabelEncoder: TLabel
              Left = 6
              Top = 10
              Caption = 'Encoder:'
              Transparent = True
            end
            object ComboBoxEncoder: TTarqComboBox
              Left = 84
              Top = 6
              Width = 110
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
            end
            object LabelFramRate: TLabel
              Left = 212
              Top = 10
              Caption = 'Frame Rate:'
              Transparent = True
            end
            object ComboBoxFrameRate: TTarqComboBox
              Left = 296
              Top = 6
              Width = 90
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
            end
            object LabelFrameSize: TLabel
              Left = 6
              Top = 40
              Caption = 'Frame Size:'
              Transparent = True
            end
            object ComboBoxFrameSize: TTarqComboBox
              OnChange = ComboBoxFrameSizeChange
              Left = 84
              Top = 36
              Width = 110
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
            end
            object CheckBoxStretch: TTarqCheckBox
              OnClick = ComboBoxFrameSizeChange
              Left = 212
              Top = 38
              Width = 120
              Height = 17
              Caption = 'Stretch'
              Transparent = True
            end
            object LabelVBitR: TLabel
              Left = 6
              Top = 70
              Caption = 'Bit Rate:'
              Transparent = True
            end
            object ComboBoxVideoBitRate: TTarqComboBox
              Left = 84
              Top = 66
              Width = 110
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
            end
            object LabelKbps1: TLabel
              Left = 198
              Top = 70
              Caption = 'kbps'
              Transparent = True
            end
            object LabelAspectRatio: TLabel
              Left = 212
              Top = 100
              Caption = 'Aspect Ratio:'
              Transparent = True
            end
            object ComboBoxAspectRatio: TTarqComboBox
              Left = 296
              Top = 96
              Width = 90
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
            end
          end
          object TabSheetWaterMark: TTarqTabSheet
            Caption = 'Water Mark'
            PageIndex = 1
            object CheckBoxWatermark: TTarqCheckBox
              OnClick = CheckBoxWatermarkClick
              Left = 6
              Top = 8
              Width = 120
              Height = 17
              Caption = 'Active'
              Transparent = True
            end
            object LabelPNGFile: TLabel
              Left = 6
              Top = 40
              Caption = 'PNG File'
              Transparent = True
            end
            object EditPathWatermark: TTarqButtonEdit
              OnButtonClick = EditPathWatermarkButtonClick
              Left = 84
              Top = 36
              Width = 300
              Height = 21
              Enabled = False
            end
            object LabelPostion: TLabel
              Left = 6
              Top = 70
              Caption = 'Postion'
              Transparent = True
            end
            object ComboBoxPostion: TTarqComboBox
              OnChange = ComboBoxPostionChange
              Left = 84
              Top = 66
              Width = 150
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
              Enabled = False
              Items.Strings = ('Left - Top'
'Left - Center'
'Left - Bottom'
'Center - Top'
'Center - Center'
'Center - Bottom'
'Right - Top'
'Right - Center'
'Right - Bottom')
            end
            object LabelMargin: TLabel
              Left = 6
              Top = 100
              Caption = 'Margin'
              Transparent = True
            end
            object LabelMarginX: TLabel
              Left = 84
              Top = 100
              Caption = 'X:'
              Transparent = True
            end
            object SpinEditX: TTarqSpinEdit
              OnChange = SpinEditXChange
              Left = 100
              Top = 96
              Width = 70
              Height = 21
              Enabled = False
              Max = 10000
              AllowBlank = True
              IntegersOnly = True
            end
            object LabelMarginY: TLabel
              Left = 184
              Top = 100
              Caption = 'Y:'
              Transparent = True
            end
            object SpinEditY: TTarqSpinEdit
              OnChange = SpinEditXChange
              Left = 200
              Top = 96
              Width = 70
              Height = 21
              Enabled = False
              Max = 10000
              AllowBlank = True
              IntegersOnly = True
            end
          end
          object TabSheetEdit: TTarqTabSheet
            Caption = 'Edit'
            PageIndex = 2
            object LabelRotate: TLabel
              Left = 6
              Top = 10
              Caption = 'Rotate'
              Transparent = True
            end
            object ComboBoxRotate: TTarqComboBox
              OnChange = ComboBoxRotateChange
              Left = 84
              Top = 6
              Width = 90
              Height = 21
              Style = csDropDownList
              DropDownCount = 20
              Items.Strings = ('0'
'90'
'180'
'270')
              ItemIndex = 0
            end
          end
        end
      end
      object PanelAudio: TTarqPanel
        Left = 0
        Top = 347
        Width = 408
        Height = 125
        BorderOuter = fsNone
        Color = 15853792
        object TarqSeparator4: TTarqSeparator
          Left = 4
          Top = 0
          Width = 400
          Height = 2
        end
        object ImageAudio: TImage
          Left = 8
          Top = 6
          Width = 16
          Height = 16
          Transparent = True
        end
        object LabelAudio: TLabel
          Left = 28
          Top = 7
          Caption = 'Audio'
          Transparent = True
          Font.Style = [fsBold]
        end
        object LabelAEncoder: TLabel
          Left = 10
          Top = 36
          Caption = 'Encoder:'
          Transparent = True
        end
        object ComboBoxAudioEncoder: TTarqComboBox
          Left = 88
          Top = 32
          Width = 110
          Height = 21
          Style = csDropDownList
          DropDownCount = 20
        end
        object LabelAudioSR: TLabel
          Left = 212
          Top = 36
          Caption = 'Sample Rate:'
          Transparent = True
        end
        object ComboBoxAudioSR: TTarqComboBox
          Left = 296
          Top = 32
          Width = 80
          Height = 21
          Style = csDropDownList
          DropDownCount = 20
        end
        object LabelHz: TLabel
          Left = 380
          Top = 36
          Caption = 'Hz'
          Transparent = True
        end
        object LabelABitR: TLabel
          Left = 10
          Top = 66
          Caption = 'Bit Rate:'
          Transparent = True
        end
        object ComboBoxAudioBitRate: TTarqComboBox
          Left = 88
          Top = 62
          Width = 110
          Height = 21
          Style = csDropDownList
          DropDownCount = 20
        end
        object LabelKbps2: TLabel
          Left = 202
          Top = 66
          Caption = 'kbps'
          Transparent = True
        end
        object LabelAudioChannel: TLabel
          Left = 236
          Top = 66
          Caption = 'Channels:'
          Transparent = True
        end
        object ComboBoxAudioChannel: TTarqComboBox
          Left = 296
          Top = 62
          Width = 80
          Height = 21
          Style = csDropDownList
          DropDownCount = 20
        end
      end
    end
  end
  object BtnSysMinSize: TTarqBmpButton
    Left = 742
    Top = 1
    Width = 33
    Height = 20
    ButtonSize = bszStretchToButton
    Hint = 'Minimize'
    ShowHint = True
    OnClick = BtnSysMinSizeClick
  end
  object BtnSysClose: TTarqBmpButton
    Left = 775
    Top = 1
    Width = 47
    Height = 20
    ButtonSize = bszStretchToButton
    Hint = 'Close'
    ShowHint = True
    OnClick = BtnSysCloseClick
  end
  object DIVidirov: VIDArarozo
  end
  object OpenDialogVideo: TOpenDialog
  end
  object BrelvixProc: TBrelvixProc
  end
  object OpenDialogWM: TOpenDialog
    Filter = 'PNG(*.png)|*.png'
  end
  object XPManifest1: TXPManifest
  end
  object PopupMenuRemove: TPopupMenu
    object PM_Removeall: TMenuItem
      Caption = 'Remove All'
      OnClick = PM_RemoveallClick
    end
    object PM_RemoveSelected: TMenuItem
      Caption = 'Remove Selected'
      OnClick = PM_RemoveSelectedClick
    end
    object PM_RemoveUnselected: TMenuItem
      Caption = 'Remove Unselected'
      OnClick = PM_RemoveSelectedClick
      Tag = 1
    end
  end
  object ImageList16: TImageList
  end
  object PopupMenuPreview: TPopupMenu
    object PM_OutputVideo: TMenuItem
      OnClick = PM_OutputVideoClick
      Caption = 'Output Video'
    end
    object PM_SourceVideo: TMenuItem
      OnClick = PM_OutputVideoClick
      Caption = 'Source Video'
      Tag = 1
    end
  end
  object DIVidirovDo: VIDArarozo
    OnProgress = DIVidirovDoProgress
    OnTerminate = DIVidirovDoTerminate
  end
  object ImageListLanguage: TImageList
  end
  object PopupMenuLanguage: TPopupMenu
    object PM_English: TMenuItem
      Caption = 'English'
    end
    object PM_Spanish: TMenuItem
      Caption = 'Spanish'
    end
    object PM_German: TMenuItem
      Caption = 'German'
    end
    object PM_Italian: TMenuItem
      Caption = 'Italian'
    end
    object PM_French: TMenuItem
      Caption = 'French'
    end
    object PM_Chinese: TMenuItem
      Caption = 'Chinese'
    end
    object PM_Japanese: TMenuItem
      Caption = 'Japanese'
    end
  end
end
