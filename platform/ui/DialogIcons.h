#pragma once
// The icons of the common dialogs, drawn anti-aliased in code: the message
// box's type icons at the classic 32 x 32 and the file lists' 16 x 16
// folder, file and video icons.

#include <cstdint>
#include <string>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/Dialogs.h"

constexpr int32_t MessageIconSize = 32;

// The icon of a message type with its top-left corner at (x, y), blended
// onto what is there; mtCustom has none.
void DrawMessageIcon(TCanvas& canvas, int32_t x, int32_t y, TMsgDlgType type);

// The system's stock icons by their resource numbers: the message types'.
constexpr int32_t IDI_HAND = 32513, IDI_QUESTION = 32514, IDI_EXCLAMATION = 32515, IDI_ASTERISK = 32516;
// The stock icon drawn `size` pixels square at (x, y); false, drawing
// nothing, for a number that names no stock icon.
bool DrawSystemIcon(TCanvas& canvas, int32_t x, int32_t y, int32_t iconId, int32_t size);

enum TFileIcon : int32_t { fiFolder, fiFile, fiVideo };

// Adds the folder, file and video icons to a 16 x 16 image list, at the
// indexes of TFileIcon when the list starts empty.
void AddFileIcons(TCustomImageList& images);

// The icon for a file name: video files by their extension, else a file.
TFileIcon FileIconFor(const std::string& fileName);
