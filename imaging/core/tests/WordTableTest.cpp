#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/core/QkStartup.h"
#include "imaging/core/QkWordTable.h"

namespace {

// Sets the locale variables for one case and restores them afterwards.
class LocaleEnvironment {
public:
    explicit LocaleEnvironment(const std::string& lang)
    {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
            unsetenv(name);
        }
        if (!lang.empty())
            setenv("LANG", lang.c_str(), 1);
    }
    ~LocaleEnvironment()
    {
        for (const Saved& saved : saved_) {
            if (saved.set)
                setenv(saved.name, saved.value.c_str(), 1);
            else
                unsetenv(saved.name);
        }
    }

private:
    struct Saved {
        const char* name;
        bool set;
        std::string value;
    };
    std::vector<Saved> saved_;
};

class WordTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLanguageWord(msEnglish, 5, "Cancel");
        SetLanguageWord(msItalian, 5, "");
        SetLanguageWord(msGerman, 5, "");
        SetLanguageWord(msFrench, 5, "Annuler");
        SetLanguageWord(msChinese, 5, "取消");
        SetLanguageWord(msUser, 5, "");
    }
    void TearDown() override
    {
        for (uint8_t language = 0; language < LanguageCount; ++language)
            SetLanguageWord(language, 5, "");
    }
};

TEST_F(WordTable, LookUpWithFallbacksAndTheSystemLanguage)
{
    struct Case {
        const char* lang;
        TMsgLanguage language;
        const char* expected;
    };
    const Case cases[] = {
        {"", msItalian, "Cancel"},
        {"", msUser, "Cancel"},
        {"", msFrench, "Annuler"},
        {"de_DE.UTF-8", msSystem, ""},
        {"fr_CA.UTF-8@euro", msSystem, "Annuler"},
        {"zh_CN.UTF-8", msSystem, "取消"},
        {"zh_HK.UTF-8", msSystem, "Cancel"},
        {"zh", msSystem, "Cancel"},
        {"nb_NO.UTF-8", msSystem, "Cancel"},
        {"C", msSystem, "Cancel"},
        {"", msSystem, "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lang) + " " + std::to_string(c.language));
        LocaleEnvironment environment(c.lang);
        LibraryStaticInit();
        EXPECT_EQ(GetLanguageWord(5, c.language), c.expected);
        LibraryStaticFinal();
    }
}

TEST_F(WordTable, ApplicationRowAndOutOfRangePositions)
{
    SetLanguageWord(msUser, 5, "Mine");
    EXPECT_EQ(GetLanguageWord(5, msUser), "Mine");
    SetLanguageWord(LanguageCount, 5, "ignored");
    SetLanguageWord(msEnglish, LanguageWordCount, "ignored");
    EXPECT_EQ(GetLanguageWord(LanguageWordCount, msEnglish), "");
}

TEST(MsgLanguageOfLocale, PrimaryLanguages)
{
    EXPECT_EQ(MsgLanguageOfLocale("zh_TW.Big5"), msChineseTraditional);
    EXPECT_EQ(MsgLanguageOfLocale("fa_IR"), msFarsi);
    EXPECT_EQ(MsgLanguageOfLocale("pt_BR.UTF-8"), msPortuguese);
    EXPECT_EQ(MsgLanguageOfLocale("POSIX"), msEnglish);
}

} // namespace
