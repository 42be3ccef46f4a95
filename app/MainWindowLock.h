#pragma once
// While a batch converts, the main window shows a still picture of its
// panels in their place, so nothing in them can be touched.

class TFrmQuorvid;

// ImageLock takes a copy of PanelFace as painted now and covers it; the
// source and output panels hide and the language switch is disabled.
void LockMainWindow(TFrmQuorvid& window);
// The panels and the language switch come back and the picture goes.
void UnlockMainWindow(TFrmQuorvid& window);
