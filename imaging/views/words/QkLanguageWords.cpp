#include "imaging/views/words/QkLanguageWords.h"

#include <charconv>

const TLanguageWordFile LanguageWordFiles[21] = {
    {msEnglish, "en"},
    {msItalian, "it"},
    {msGerman, "de"},
    {msSpanish, "es"},
    {msFrench, "fr"},
    {msPortuguese, "pt"},
    {msGreek, "el"},
    {msRussian, "ru"},
    {msDutch, "nl"},
    {msSwedish, "sv"},
    {msPolish, "pl"},
    {msJapanese, "ja"},
    {msCzech, "cs"},
    {msFinnish, "fi"},
    {msFarsi, "fa"},
    {msChinese, "zh_CN"},
    {msChineseTraditional, "zh_TW"},
    {msDanish, "da"},
    {msTurkish, "tr"},
    {msKorean, "ko"},
    {msHungarian, "hu"},
};

namespace {

// Stores one line "index<TAB>text"; a line without a valid index is skipped.
void StoreWordLine(TMsgLanguage language, std::string_view line)
{
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos)
        return;
    int word = -1;
    const auto [end, error] = std::from_chars(line.data(), line.data() + tab, word);
    if (error != std::errc() || end != line.data() + tab || word < 0 || word >= LanguageWordCount)
        return;
    SetLanguageWord(language, static_cast<uint8_t>(word), std::string(line.substr(tab + 1)));
}

void FillLanguage(TMsgLanguage language, std::string_view text)
{
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        StoreWordLine(language, text.substr(0, newline));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
}

} // namespace

void FillLanguageWordTable()
{
    for (const TLanguageWordFile& file : LanguageWordFiles)
        FillLanguage(file.Language, EmbeddedWordFile(file.Code));
}

void InstallLanguageWords() { LanguageWordTableFiller = FillLanguageWordTable; }
