#pragma once
// Registers TLabel, TImage and TXPManifest with their published properties
// (once), for form resources and for setting properties by name. Their
// constructors call it too.

void RegisterGraphicControls();
