#pragma once
// Registration of the control library's classes and published properties
// with the class registry, so that form resources and frame controllers can
// create them and set their properties by name. Each call registers once;
// the constructors call them too.

void RegisterTarqCommonClasses(); // TTarqFrameController, TTarqRegIniFile
void RegisterTarqPanelClasses(); // TTarqPanel
void RegisterTarqProgressBarClasses(); // TTarqProgressBar
void RegisterTarqSeparatorClasses(); // TTarqSeparator
void RegisterTarqLabelClasses(); // TTarqLabel
