#pragma once
// The image view unit's start-up and shut-down: the screen resolution the
// core reads, the transition painters of the core's effect table, and the
// layers stream's probe and temporary view for the input/output component.

// Puts the two hooks below into the library start-up's view slot, and the
// text control's and the vector layer's hooks into theirs; programs and
// tests that use the views call it before LibraryStaticInit.
void InstallBrelvixViewStartup();

void BrelvixViewStaticInit();
void BrelvixViewStaticFinal();
