#include <gtest/gtest.h>

#include <memory>

#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixViewStartup.h"
#include "imaging/views/textedit/QkTextControl.h"
#include "imaging/views/vect/QkVStartup.h"
#include "imaging/views/vect/QkVUserObject.h"

namespace {

class TNothing : public TQkVUserObject {
public:
    void SaveToStream(TStream&) override {}
    void LoadFromStream(TStream&) override {}
    std::unique_ptr<TQkVUserObject> Clone() const override { return std::make_unique<TNothing>(*this); }
    void Draw(TBitmap&, int32_t, int32_t, int32_t, int32_t, double, double, bool) override {}
};

} // namespace

TEST(VectorStartup, RegistersTheFormatAndTheMemoShortcutsAndEmptiesTheRegistry)
{
    InstallBrelvixViewStartup();
    TextControlShortcuts = {};
    LibraryStaticInit();
    EXPECT_NE(VectClipboardFormat, 0u);
    EXPECT_EQ(TextControlShortcuts.front(), 0x4000 + 'L');
    EXPECT_EQ(TextControlShortcuts.back(), 0x4000 + 'G');
    EXPECT_NE(TextMemoClipboardFormat, 0u) << "the text control starts with the views";
    RegisterUserObjectClass<TNothing>("TNothing");
    ASSERT_NE(CreateUserObjectByClassName("TNothing"), nullptr);
    LibraryStaticFinal();
    EXPECT_EQ(CreateUserObjectByClassName("TNothing"), nullptr) << "shut-down releases the classes";
}
