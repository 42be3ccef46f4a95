#pragma once
// Horizontal text alignment, shared by the controls that place text.

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
