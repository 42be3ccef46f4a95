#pragma once
// The vector layer's start-up and shut-down: its clipboard format, the
// memo editor's shortcuts and the registry of user-object classes.

#include "platform/ui/Clipboard.h"

// "BRELVIX VECT", registered for applications that exchange object streams
// through the clipboard; 0 before start-up.
extern TClipFormat VectClipboardFormat;

// Puts the two hooks below into the library start-up's vector slot.
void InstallBrelvixVectStartup();

void BrelvixVectStaticInit();
void BrelvixVectStaticFinal();
