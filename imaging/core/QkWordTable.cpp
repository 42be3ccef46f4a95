#include "imaging/core/QkWordTable.h"

#include <array>
#include <cstdlib>
#include <map>

#include "platform/core/ClassRegistry.h"

namespace {

std::array<std::string, LanguageCount * LanguageWordCount> wordTable;
TMsgLanguage systemLanguage = msEnglish;

std::string& Entry(int language, int word) { return wordTable[language * LanguageWordCount + word]; }

TMsgLanguage ChineseRow(const std::string& territory)
{
    if (territory == "TW")
        return msChineseTraditional;
    if (territory == "CN")
        return msChinese;
    return msEnglish;
}

} // namespace

const TEnumInfo& MsgLanguageInfo()
{
    static const TEnumInfo info{
        "TMsgLanguage",
        {"msSystem",     "msEnglish", "msItalian", "msGerman",    "msSpanish", "msFrench",
         "msPortuguese", "msGreek",   "msRussian", "msDutch",     "msSwedish", "msPolish",
         "msJapanese",   "msCzech",   "msFinnish", "msFarsi",     "msChinese", "msChineseTraditional",
         "msDanish",     "msTurkish", "msKorean",  "msHungarian", "msUser"}};
    return info;
}

void SetLanguageWord(uint8_t language, uint8_t word, const std::string& text)
{
    if (language >= LanguageCount || word >= LanguageWordCount)
        return;
    Entry(language, word) = text;
}

std::string GetLanguageWord(uint8_t word, TMsgLanguage language)
{
    if (word >= LanguageWordCount || language >= LanguageCount)
        return std::string();
    if (language == msSystem)
        return Entry(systemLanguage, word);
    const std::string& text = Entry(language, word);
    return text.empty() ? Entry(msEnglish, word) : text;
}

TMsgLanguage MsgLanguageOfLocale(const std::string& locale)
{
    static const std::map<std::string, TMsgLanguage> rows = {
        {"cs", msCzech},   {"da", msDanish},  {"de", msGerman},    {"el", msGreek},      {"es", msSpanish},
        {"fi", msFinnish}, {"fr", msFrench},  {"hu", msHungarian}, {"it", msItalian},    {"ja", msJapanese},
        {"ko", msKorean},  {"nl", msDutch},   {"pl", msPolish},    {"pt", msPortuguese}, {"ru", msRussian},
        {"sv", msSwedish}, {"tr", msTurkish}, {"fa", msFarsi},
    };
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    const size_t underscore = name.find('_');
    const std::string language = name.substr(0, underscore);
    if (language == "zh")
        return underscore == std::string::npos ? msEnglish : ChineseRow(name.substr(underscore + 1));
    const auto row = rows.find(language);
    return row == rows.end() ? msEnglish : row->second;
}

void ReadSystemMsgLanguage()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            systemLanguage = MsgLanguageOfLocale(value);
            return;
        }
    }
    systemLanguage = msEnglish;
}

void (*LanguageWordTableFiller)() = nullptr;
