#pragma once
// The word table's texts: one UTF-8 file per language (words/<code>.txt,
// lines "index<TAB>text"), embedded at build time.

#include <string_view>

#include "imaging/core/QkWordTable.h"

struct TLanguageWordFile {
    TMsgLanguage Language;
    const char* Code;
};

// The filled languages in enumeration order, English first, with the code
// of their word file.
extern const TLanguageWordFile LanguageWordFiles[21];

// The embedded text of the word file with this code; empty when there is none.
std::string_view EmbeddedWordFile(std::string_view code);

// Stores the words of every filled language with SetLanguageWord, language by
// language in enumeration order and word by word in ascending index order.
// A word a language leaves out keeps what its row held.
void FillLanguageWordTable();

// Makes the library's start-up fill the word table with these texts.
void InstallLanguageWords();
