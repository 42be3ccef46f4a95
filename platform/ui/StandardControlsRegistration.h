#pragma once
// Registers the published properties and events of the edit, combo box,
// list view and open-file dialog (once), for form resources and for setting
// properties by name.

void RegisterStandardControls();
