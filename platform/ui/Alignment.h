#pragma once
// Horizontal text alignment, shared by the controls that place text, and
// where a control sits in its parent.

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
