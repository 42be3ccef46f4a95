// The language files the program ships: every message is there, and every
// line of each window's section reaches the window (a bad line would
// silently end its section).

#include <gtest/gtest.h>

#include "app/LanguageFiles.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqPanel.h"
#include "controls/TarqProgressBar.h"
#include "platform/core/IniFile.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/ui/Label.h"
#include "platform/ui/ListView.h"

namespace {

const char* const ShippedFiles[] = {"English.isl", "Chinese.isl"};

std::string ShippedFile(const char* name) { return std::string(APP_LANGUAGES_DIR) + "/" + name; }

std::string Joined(const TStrings& strings)
{
    std::string text;
    for (int32_t i = 0; i < strings.Count(); ++i)
        text += strings[i] + "||";
    return text;
}

// What the property shows after the line was applied, in the line's own form.
std::string PropertyText(TComponent& component, const std::string& property)
{
    const TPropInfo* prop = GetPropInfo(component, property);
    if (!prop)
        return "<no property " + property + ">";
    TObject* object = prop->Kind == tkStrings || prop->Kind == tkClass ? GetObjectProp(component, *prop) : nullptr;
    if (auto* strings = dynamic_cast<TStrings*>(object))
        return Joined(*strings);
    if (auto* columns = dynamic_cast<TListColumns*>(object)) {
        std::string text;
        for (int32_t i = 0; i < columns->Count(); ++i)
            text += columns->Items(i)->Caption() + "||";
        return text;
    }
    return GetPropText(component, property);
}

std::string ExpectedText(TComponent& component, const std::string& property, const std::string& value)
{
    const TPropInfo* prop = GetPropInfo(component, property);
    if (prop && (prop->Kind == tkStrings || prop->Kind == tkClass)) {
        TStringList parts;
        SplitString(value, "||", parts);
        return Joined(parts);
    }
    return value;
}

void ExpectEveryLineApplied(TComponent& window, const std::string& file)
{
    TIniFile ini(file);
    TStringList lines;
    ini.ReadSectionValues(window.Name(), lines);
    ASSERT_GT(lines.Count(), 0) << window.Name();
    EXPECT_TRUE(LoadFormLanguage(window, file));
    for (int32_t i = 0; i < lines.Count(); ++i) {
        const std::string key = lines.Names(i);
        const size_t dot = key.find('.');
        ASSERT_NE(dot, std::string::npos) << key;
        TComponent* component = window.FindComponent(key.substr(0, dot));
        ASSERT_NE(component, nullptr) << file << ": " << key;
        const std::string property = key.substr(dot + 1);
        EXPECT_EQ(PropertyText(*component, property), ExpectedText(*component, property, lines.ValueFromIndex(i)))
            << file << ": " << key;
    }
}

// The progress window's components, as the language file addresses them.
std::unique_ptr<TForm> ProgressWindowStandIn()
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("FrmPress");
    for (const char* name : {"BtnPause", "BtnCancel"})
        (new TTarqBmpButton(form.get()))->SetName(name);
    for (const char* name : {"LabelOutPutTitle", "LabelOutPut", "LabelSpeedTitle", "LabelSpeed"})
        (new TLabel(form.get()))->SetName(name);
    (new TTarqPanel(form.get()))->SetName("PanelBk");
    (new TTarqProgressBar(form.get()))->SetName("ProgressBarTotal");
    return form;
}

} // namespace

class ShippedLanguagesTest : public AppUiTest {
protected:
    ~ShippedLanguagesTest() override { RestoreDefaultMessages(); }
};

TEST_F(ShippedLanguagesTest, EveryFileSetsEveryMessage)
{
    for (const char* name : ShippedFiles) {
        TIniFile file(ShippedFile(name));
        for (const TMessageText& message : MessageTexts())
            EXPECT_TRUE(file.ValueExists("Messages", message.Key)) << name << ": " << message.Key;
    }
    TIniFile english(ShippedFile("English.isl"));
    for (const TMessageText& message : MessageTexts())
        EXPECT_EQ(english.ReadString("Messages", message.Key, ""), message.Default) << message.Key;
}

TEST_F(ShippedLanguagesTest, EveryLineReachesTheMainWindow)
{
    std::unique_ptr<TFrmQuorvid> form(CreateForm<TFrmQuorvid>(nullptr));
    for (const char* name : ShippedFiles)
        ExpectEveryLineApplied(*form, ShippedFile(name));
}

TEST_F(ShippedLanguagesTest, EveryLineReachesTheProgressWindow)
{
    auto form = ProgressWindowStandIn();
    for (const char* name : ShippedFiles)
        ExpectEveryLineApplied(*form, ShippedFile(name));
}
