; 转换器的简体中文界面文字。

[Messages]
MS_Auto=自动
MS_Preview=预览
MS_Ready=就绪
MS_Pause=暂停
MS_Resume=继续
MS_Close=确定
MS_Error=错误
MS_ErrorLib=无法加载库！
MS_ErrorOpen=文件打开错误：
MS_ErrorCvt=无法转换，错误：
MS_Info=信息
MS_InfoWait=请等待上一个任务完成
MS_InfoNoFile=请添加并选择视频文件。
MS_InfoCancelTask=确定要取消所有任务吗？
MS_InfoComplet=已完成所有任务。

[FrmQuorvid]
BtnSysMinSize.Hint=最小化
BtnSysClose.Hint=关闭
LabelSource.Caption=源文件
BtnAdd.Caption=添加
BtnClear.Caption=清除
ListViewFiles.Columns=视频文件||输出格式||总时长||剪辑时长||进度
BtnPrvKeyFrame.Hint=上一关键帧 (左方向键)
BtnNextFrame.Hint=下一帧 (Shift+右方向键)
BtnNextKeyFrame.Hint=下一关键帧 (右方向键)
PM_Removeall.Caption=全部移除
PM_RemoveSelected.Caption=移除选中项
PM_RemoveUnselected.Caption=移除未选中项
PM_OutputVideo.Caption=输出视频
PM_SourceVideo.Caption=源视频
OpenDialogVideo.Filter=视频文件|*.3gp;*.asf;*.avi;*.avm;*.avs;*.dat;*.flv;*.mkv;*.mov;*.mp4;*.mpeg;*.mpg;*.nsv;*.ogm;*.rm;*.rmvb;*.tp;*.ts;*.vob;*.wmv|所有文件|*
OpenDialogWM.Filter=PNG 图片(*.png)|*.png
LabelOutput.Caption=输出设置
BtnSave.Caption=转换
LabelFolder.Caption=输出目录：
LabelFormat.Caption=输出格式：
CheckBoxCut.Caption=剪辑片段
BtnSetStart.Caption=设置起点
BtnSetEnd.Caption=设置终点
LabelVideo.Caption=视频
TabSheetNormal.Caption=常规
TabSheetWaterMark.Caption=水印
TabSheetEdit.Caption=编辑
LabelEncoder.Caption=编码器：
LabelFrameSize.Caption=分辨率：
CheckBoxStretch.Caption=拉伸
LabelVBitR.Caption=比特率：
LabelKbps1.Caption=kbps
LabelFramRate.Caption=帧率：
LabelAspectRatio.Caption=宽高比：
CheckBoxWatermark.Caption=启用
LabelPNGFile.Caption=PNG 文件
LabelPostion.Caption=位置
ComboBoxPostion.Items=左 - 上||左 - 中||左 - 下||中 - 上||中 - 中||中 - 下||右 - 上||右 - 中||右 - 下
LabelMargin.Caption=边距
LabelMarginX.Caption=X：
LabelMarginY.Caption=Y：
LabelRotate.Caption=旋转
LabelAudio.Caption=音频
LabelAEncoder.Caption=编码器：
LabelABitR.Caption=比特率：
LabelKbps2.Caption=kbps
LabelAudioSR.Caption=采样率：
LabelHz.Caption=Hz
LabelAudioChannel.Caption=声道：
ComboBoxAudioChannel.Items=自动||单声道||立体声

[FrmPress]
BtnPause.Caption=暂停
BtnCancel.Caption=取消
LabelOutPutTitle.Caption=输出：
LabelSpeedTitle.Caption=速度：
LabelOutPut.Caption=已完成所有任务。
