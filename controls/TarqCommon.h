#pragma once
// The control library's shared types, colour arithmetic, frames, glyphs,
// bar painters, fonts, display facts, frame controller and blink list.

#include "controls/TarqBars.h"
#include "controls/TarqBlinkList.h"
#include "controls/TarqColors.h"
#include "controls/TarqFonts.h"
#include "controls/TarqFrameController.h"
#include "controls/TarqFrames.h"
#include "controls/TarqGlyphs.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqRegIniFile.h"
#include "controls/TarqScheme.h"
#include "controls/TarqTypes.h"
