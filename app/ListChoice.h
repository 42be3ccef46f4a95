#pragma once
// Choosing in the output lists, whose item 0 is the automatic entry.

#include <string>

class TTarqComboBox;

// Selects the item showing `text`, else the automatic entry.
void SelectText(TTarqComboBox& list, const std::string& text);
// The chosen item's text, or empty for the automatic entry.
std::string ChoiceText(TTarqComboBox& list);
