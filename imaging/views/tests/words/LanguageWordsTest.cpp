#include "imaging/views/words/QkLanguageWords.h"

#include <iconv.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "imaging/core/QkStartup.h"

namespace {

// Every test starts from a filled table; the rows are emptied afterwards so
// that the core's own word-table tests see the table as they expect.
class LanguageWords : public ::testing::Test {
protected:
    void SetUp() override { FillLanguageWordTable(); }
    void TearDown() override
    {
        for (uint8_t language = 0; language < LanguageCount; ++language)
            for (uint8_t word = 0; word < LanguageWordCount; ++word)
                SetLanguageWord(language, word, "");
    }
};

size_t CodePoints(const std::string& text)
{
    size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

TEST_F(LanguageWords, FirstThreeWordsOfEveryLanguage)
{
    struct Row {
        TMsgLanguage language;
        std::array<const char*, 3> words;
    };
    const Row rows[] = {
        {msEnglish, {"Preview", "Original", "Result"}},
        {msItalian, {"Anteprima", "Originale", "Elaborata"}},
        {msGerman, {"Vorschau", "Quelle", "Ergebnis"}},
        {msSpanish, {"Vista Previa", "Original", "Resultado"}},
        {msFrench, {"Prévisualisation", "Source", "Résultat"}},
        {msPortuguese, {"Visualizar", "Original", "Resultado"}},
        {msGreek, {"Προεπισκόπηση", "Αρχικό", "Αποτέλεσμα"}},
        {msRussian, {"Просмотр", "Оригинал", "Результат"}},
        {msDutch, {"Voorbeeld", "Origineel", "Resultaat"}},
        {msSwedish, {"Granska", "Original", "Resultat"}},
        {msPolish, {"Podgląd", "Źródło", "Rezultat"}},
        {msJapanese, {"プレビュー", "オリジナル", "結果"}},
        {msCzech, {"Náhled", "Originál", "Výsledek"}},
        {msFinnish, {"Esikatselu", "Alkuperäinen", "Kohde"}},
        {msFarsi, {"پيش نمايش", "اصلي", "نتيجه"}},
        {msChinese, {"预览", "原图", "效果图"}},
        {msChineseTraditional, {"預覽", "原圖", "效果圖"}},
        {msDanish, {"Visning", "Original", "Resultat"}},
        {msTurkish, {"Önizleme", "Orjinal", "Sonuç"}},
        {msKorean, {"미리보기", "원본", "결과"}},
        {msHungarian, {"Előnézet", "Forrás", "Eredmény"}},
    };
    for (const Row& row : rows)
        for (uint8_t word = 0; word < 3; ++word)
            EXPECT_EQ(GetLanguageWord(word, row.language), row.words[word]) << int(row.language) << " " << int(word);
}

TEST_F(LanguageWords, EnglishAndTheDistinctValueWords)
{
    EXPECT_EQ(GetLanguageWord(37, msEnglish), "Parameters Preview");
    EXPECT_EQ(GetLanguageWord(11, msEnglish), "Value");
    EXPECT_EQ(GetLanguageWord(103, msEnglish), "Value");
    EXPECT_EQ(GetLanguageWord(145, msEnglish), "Fit");
    const std::string longest = GetLanguageWord(128, msEnglish);
    EXPECT_EQ(longest, "Automatically updates your preview with the changes you have selected");
    for (uint8_t word = 0; word < LanguageWordCount; ++word)
        EXPECT_LE(CodePoints(GetLanguageWord(word, msEnglish)), CodePoints(longest)) << int(word);
    EXPECT_EQ(GetLanguageWord(11, msGerman), "Helligkeitswert");
    EXPECT_EQ(GetLanguageWord(103, msGerman), "Wert");
    EXPECT_EQ(GetLanguageWord(11, msJapanese), "明度");
    EXPECT_EQ(GetLanguageWord(103, msJapanese), "ガンマ値");
}

TEST_F(LanguageWords, PolishRateAndTheUserRowFallBackToEnglish)
{
    EXPECT_EQ(GetLanguageWord(0, msPolish), "Podgląd");
    EXPECT_EQ(GetLanguageWord(123, msPolish), "Rate");
    for (uint8_t word = 0; word < LanguageWordCount; ++word)
        EXPECT_EQ(GetLanguageWord(word, msUser), GetLanguageWord(word, msEnglish)) << int(word);
}

// Every language stores every word (Polish all but 123, which falls back),
// and nothing reads empty.
TEST_F(LanguageWords, EveryLanguageFilledAndNothingEmpty)
{
    for (const TLanguageWordFile& file : LanguageWordFiles) {
        std::istringstream lines{std::string(EmbeddedWordFile(file.Code))};
        int stored = 0;
        for (std::string line; std::getline(lines, line);)
            stored += line.find('\t') != std::string::npos;
        EXPECT_EQ(stored, file.Language == msPolish ? LanguageWordCount - 1 : LanguageWordCount) << file.Code;
        for (uint8_t word = 0; word < LanguageWordCount; ++word)
            EXPECT_FALSE(GetLanguageWord(word, file.Language).empty()) << file.Code << " " << int(word);
    }
}

// Converts with glibc's iconv; false when a character has no place in the
// code page or the text is not valid UTF-8.
bool Encodable(const std::string& text, const char* codePage)
{
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in = text;
    std::string out(in.size() * 4 + 4, '\0');
    char* inPointer = in.data();
    char* outPointer = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const bool converted = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1);
    iconv_close(converter);
    return converted && inLeft == 0;
}

TEST_F(LanguageWords, EveryWordFitsItsLanguagesCodePage)
{
    const std::array<const char*, 21> codePages = {
        "CP1252", "CP1252", "CP1252", "CP1252", "CP1252", "CP1252", "CP1253", "CP1251", "CP1252", "CP1252", "CP1250",
        "CP932",  "CP1250", "CP1252", "CP1256", "CP936",  "CP936",  "CP1252", "CP1254", "CP949",  "CP1250",
    };
    for (size_t row = 0; row < codePages.size(); ++row) {
        const TMsgLanguage language = LanguageWordFiles[row].Language;
        for (uint8_t word = 0; word < LanguageWordCount; ++word)
            EXPECT_TRUE(Encodable(GetLanguageWord(word, language), codePages[row]))
                << LanguageWordFiles[row].Code << " " << int(word) << " " << GetLanguageWord(word, language);
    }
}

TEST_F(LanguageWords, FillingTwiceStoresTheSame)
{
    std::vector<std::string> first;
    for (uint8_t language = 0; language < LanguageCount; ++language)
        for (uint8_t word = 0; word < LanguageWordCount; ++word)
            first.push_back(GetLanguageWord(word, static_cast<TMsgLanguage>(language)));
    FillLanguageWordTable();
    size_t i = 0;
    for (uint8_t language = 0; language < LanguageCount; ++language)
        for (uint8_t word = 0; word < LanguageWordCount; ++word)
            EXPECT_EQ(GetLanguageWord(word, static_cast<TMsgLanguage>(language)), first[i++]);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The Traditional row is OpenCC's conversion of the Simplified one.
TEST_F(LanguageWords, TraditionalRowIsOpenCCOfTheSimplifiedRow)
{
    if (std::system("command -v opencc > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "opencc is not installed";
    const std::string command = "opencc -c s2t.json -i " WORDS_SOURCE_DIR "/zh_CN.txt";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    std::string converted;
    std::array<char, 4096> buffer;
    for (size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        converted.append(buffer.data(), got);
    EXPECT_EQ(converted, ReadFile(WORDS_SOURCE_DIR "/zh_TW.txt"));
    EXPECT_EQ(std::string(EmbeddedWordFile("zh_TW")), ReadFile(WORDS_SOURCE_DIR "/zh_TW.txt"));
}

// The start-up fills the table once the views installed their filler, and a
// Farsi locale reads the Farsi row through msSystem.
TEST_F(LanguageWords, StartUpFillsTheTableInTheSystemLanguage)
{
    TearDown();
    const char* saved = std::getenv("LANG");
    const std::string savedLang = saved != nullptr ? saved : "";
    for (const char* name : {"LC_ALL", "LC_MESSAGES"})
        unsetenv(name);
    setenv("LANG", "fa_IR.UTF-8", 1);
    InstallLanguageWords();
    LibraryStaticInit();
    EXPECT_EQ(MsgLanguageOfLocale("fa_IR.UTF-8"), msFarsi);
    EXPECT_EQ(GetLanguageWord(0, msSystem), "پيش نمايش");
    LibraryStaticFinal();
    LanguageWordTableFiller = nullptr;
    if (saved != nullptr)
        setenv("LANG", savedLang.c_str(), 1);
    else
        unsetenv("LANG");
}

} // namespace
