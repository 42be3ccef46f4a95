#pragma once
// Fills the core's effect table: the 214 names and flags, and the painters
// of rows 30 to 213 (effects 31 to 214). Rows 0 to 29 are the engine's own
// and keep no painter.

void RegisterTransitionEffects();
// Blanks every row again.
void UnregisterTransitionEffects();
