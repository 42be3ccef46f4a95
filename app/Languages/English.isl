; The converter's English texts: the translators' reference. Lines are
; Component.Property=Value; a list's items are separated by "||".

[Messages]
MS_Auto=Auto
MS_Preview=Preview
MS_Ready=Ready
MS_Pause=Pause
MS_Resume=Resume
MS_Close=Ok
MS_Error=Error
MS_ErrorLib=Can not load library!
MS_ErrorOpen=File open error:
MS_ErrorCvt=Cannot do convert, error:
MS_Info=Information
MS_InfoWait=Please wait for the last task to complete
MS_InfoNoFile=Please add and select video files.
MS_InfoCancelTask=Really want to cancel all the tasks?
MS_InfoComplet=Completed all the tasks.

[FrmQuorvid]
BtnSysMinSize.Hint=Minimize
BtnSysClose.Hint=Close
LabelSource.Caption=Source Files
BtnAdd.Caption=Add
BtnClear.Caption=Clear
ListViewFiles.Columns=Video File||Output Format||Total Time||Clip Time||Progress
BtnPrvKeyFrame.Hint=Previous key frame (Left)
BtnNextFrame.Hint=Next frame (Shift+Right)
BtnNextKeyFrame.Hint=Next key frame (Right)
PM_Removeall.Caption=Remove All
PM_RemoveSelected.Caption=Remove Selected
PM_RemoveUnselected.Caption=Remove Unselected
PM_OutputVideo.Caption=Output Video
PM_SourceVideo.Caption=Source Video
OpenDialogVideo.Filter=Video Files|*.3gp;*.asf;*.avi;*.avm;*.avs;*.dat;*.flv;*.mkv;*.mov;*.mp4;*.mpeg;*.mpg;*.nsv;*.ogm;*.rm;*.rmvb;*.tp;*.ts;*.vob;*.wmv|All Files|*
OpenDialogWM.Filter=PNG(*.png)|*.png
LabelOutput.Caption=Output Settings
BtnSave.Caption=Convert
LabelFolder.Caption=Output Folder:
LabelFormat.Caption=Output Format:
CheckBoxCut.Caption=Cut Clip
BtnSetStart.Caption=Set Start
BtnSetEnd.Caption=Set End
LabelVideo.Caption=Video
TabSheetNormal.Caption=Normal
TabSheetWaterMark.Caption=Water Mark
TabSheetEdit.Caption=Edit
LabelEncoder.Caption=Encoder:
LabelFrameSize.Caption=Frame Size:
CheckBoxStretch.Caption=Stretch
LabelVBitR.Caption=Bit Rate:
LabelKbps1.Caption=kbps
LabelFramRate.Caption=Frame Rate:
LabelAspectRatio.Caption=Aspect Ratio:
CheckBoxWatermark.Caption=Active
LabelPNGFile.Caption=PNG File
LabelPostion.Caption=Postion
ComboBoxPostion.Items=Left - Top||Left - Center||Left - Bottom||Center - Top||Center - Center||Center - Bottom||Right - Top||Right - Center||Right - Bottom
LabelMargin.Caption=Margin
LabelMarginX.Caption=X:
LabelMarginY.Caption=Y:
LabelRotate.Caption=Rotate
LabelAudio.Caption=Audio
LabelAEncoder.Caption=Encoder:
LabelABitR.Caption=Bit Rate:
LabelKbps2.Caption=kbps
LabelAudioSR.Caption=Sample Rate:
LabelHz.Caption=Hz
LabelAudioChannel.Caption=Channels:
ComboBoxAudioChannel.Items=Auto||Mono||Stereo

[FrmPress]
BtnPause.Caption=Pause
BtnCancel.Caption=Cancel
LabelOutPutTitle.Caption=Output:
LabelSpeedTitle.Caption=Speed:
LabelOutPut.Caption=Completed all the tasks.
