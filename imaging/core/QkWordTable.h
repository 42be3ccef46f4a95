#pragma once
// The library's texts in 23 languages by 146 words: dialog captions, button
// texts and messages. Rows hold UTF-8 text, so every language reads right
// whatever the system's language.

#include <cstdint>
#include <string>

struct TEnumInfo;

// The ordinal is the table's row.
enum TMsgLanguage : uint8_t {
    msSystem,
    msEnglish,
    msItalian,
    msGerman,
    msSpanish,
    msFrench,
    msPortuguese,
    msGreek,
    msRussian,
    msDutch,
    msSwedish,
    msPolish,
    msJapanese,
    msCzech,
    msFinnish,
    msFarsi,
    msChinese,
    msChineseTraditional,
    msDanish,
    msTurkish,
    msKorean,
    msHungarian,
    msUser,
};

// The enumeration's value names, for the components that publish a language.
const TEnumInfo& MsgLanguageInfo();

constexpr int LanguageCount = 23;
constexpr int LanguageWordCount = 146;

// Replaces the text at (language, word); positions outside the table are
// ignored.
void SetLanguageWord(uint8_t language, uint8_t word, const std::string& text);
// A row other than msSystem falls back to English where its entry is empty;
// msSystem takes the row of the system's language as it stands.
std::string GetLanguageWord(uint8_t word, TMsgLanguage language);

// The row for a POSIX locale name such as "de_DE.UTF-8"; English for "C",
// "POSIX", an empty name or a language without a row.
TMsgLanguage MsgLanguageOfLocale(const std::string& locale);
// Reads the system's language from LC_ALL, LC_MESSAGES or LANG (the first
// that is set) for msSystem. Called at start-up.
void ReadSystemMsgLanguage();

// Fills every language's row at start-up. The texts come with the views
// library, which installs its filler here; without it the table stays empty.
extern void (*LanguageWordTableFiller)();
