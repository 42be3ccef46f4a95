#pragma once
// Language files: INI files beside the program. Section "Messages" holds the
// message texts; every other section is named after a window and holds lines
// "Component.Property=Value", or "Property=Value" for the window itself.

#include <cstdint>
#include <string>

class TComponent;
class TStrings;

// "Languages/" + name + ".isl", relative to the program's folder; only the
// low 7 bits of the index count, and indexes without a file of their own
// name English.
std::string LanguageFileName(int32_t index);

// Empties `list`, then adds the parts of `text` between separators; an empty
// last part is dropped ("a||b||" gives two parts, "a||||b" three).
void SplitString(const std::string& text, const std::string& separator, TStrings& list);

// Sets a published property of `component` from its text: integers, strings,
// string lists (parts split on "||") and list-view column captions. Nothing
// happens without a component, for an unknown property or for another type;
// a text that is no integer for an integer property raises EConvertError.
void SetComponentProperty(TComponent* component, const std::string& name, const std::string& value);

// Applies the section named after `window` to it and its owned components.
// The first line that fails (no value, a bad integer) ends the section; the
// lines before it stay applied. A missing file or section changes nothing.
bool LoadFormLanguage(TComponent& window, const std::string& fileName);
