object FrmPress: TFrmPress
  Left = 0
  Top = 0
  BorderStyle = bsNone
  Caption = 'Progress'
  ClientHeight = 112
  ClientWidth = 312
  Color = 15853792
  Font.Color = clWhite
  Font.Height = -11
  Font.Name = 'Tahoma'
  FormStyle = fsStayOnTop
  Position = poMainFormCenter
  Scaled = False
  OnClose = FormClose
  OnCreate = FormCreate
  object PanelBk: TTarqPanel
    Left = 0
    Top = 0
    Width = 312
    Height = 112
    Align = alClient
    BorderOuter = fsFlatRounded
    Color = clSkyBlue
    FlatColor = clSkyBlue
    FlatColorAdjustment = 0
    object TarqPanel1: TTarqPanel
      Left = 1
      Top = 1
      Width = 289
      Height = 73
      BorderOuter = fsNone
      Color = clSkyBlue
      object LabelOutPutTitle: TLabel
        Left = 8
        Top = 41
        Width = 61
        Height = 13
        Alignment = taRightJustify
        AutoSize = False
        Caption = 'Output:'
        Transparent = True
      end
      object LabelOutPut: TLabel
        Left = 77
        Top = 41
        Width = 140
        Height = 13
        Caption = 'Completed all the tasks.'
        Transparent = True
      end
      object LabelSpeedTitle: TLabel
        Left = 8
        Top = 57
        Width = 61
        Height = 13
        Alignment = taRightJustify
        AutoSize = False
        Caption = 'Speed:'
        Transparent = True
      end
      object LabelSpeed: TLabel
        Left = 77
        Top = 57
        Width = 3
        Height = 13
        Transparent = True
      end
      object ProgressBarTotal: TTarqProgressBar
        Left = 27
        Top = 24
        Width = 259
        Height = 6
        BarStyle = bsGradient
        BorderOuter = fsFlat
        FlatColor = 12164479
        FlatColorAdjustment = 0
        ShowPercent = False
        ThemeAware = False
      end
    end
    object BtnPause: TTarqBmpButton
      Left = 82
      Top = 78
      Width = 100
      Height = 26
      Caption = 'Pause'
      Font.Color = clWhite
      Font.Height = -15
      Font.Name = 'Arial'
      Font.Style = [fsBold]
      OnClick = BtnPauseClick
    end
    object BtnCancel: TTarqBmpButton
      Left = 187
      Top = 78
      Width = 100
      Height = 26
      Caption = 'Cancel'
      Enabled = False
      Font.Color = clWhite
      Font.Height = -15
      Font.Name = 'Arial'
      Font.Style = [fsBold]
      OnClick = BtnCancelClick
    end
  end
end
