#include "platform/core/Components.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <string>
#include <vector>

namespace {

// Records what it hears and who heard about its end.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, std::vector<std::string>& log, const std::string& name) : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~TProbe() override { log_.push_back("~" + Name()); }

    TComponentRef<TComponent> Reference{this};

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        log_.push_back(Name() + (operation == opInsert ? "+" : "-") + component->Name());
        TComponent::Notification(component, operation);
        Reference.Forget(component, operation);
    }

private:
    std::vector<std::string>& log_;
};

} // namespace

TEST(Components, OwnerFreesItsComponentsAndTellsReferrersElsewhere)
{
    std::vector<std::string> log;
    TProbe outsider(nullptr, log, "Outsider");
    {
        TProbe form(nullptr, log, "Form");
        auto* first = new TProbe(&form, log, "First");
        auto* second = new TProbe(&form, log, "Second");
        EXPECT_EQ(form.ComponentCount(), 2);
        EXPECT_EQ(second->ComponentIndex(), 1);
        EXPECT_EQ(form.FindComponent("FIRST"), first);
        outsider.Reference.Set(first);
        log.clear();
    }
    EXPECT_EQ(outsider.Reference, nullptr);
    // "~" is logged by the derived destructor, before TComponent's sends notices;
    // the last component goes first, and its sibling hears of it.
    EXPECT_EQ(log, (std::vector<std::string>{"~Form", "First-Second", "~Second", "~First", "Outsider-First"}));
}

TEST(Components, FreeingTheOwnerTellsSiblingsThatHoldEachOther)
{
    std::vector<std::string> log;
    auto form = std::make_unique<TProbe>(nullptr, log, "Form");
    auto* list = new TProbe(form.get(), log, "List");
    auto* images = new TProbe(form.get(), log, "Images");
    list->Reference.Set(images);
    form->DestroyComponents();
    EXPECT_EQ(form->ComponentCount(), 0);
    // The list was told before the images went, so it never reached them afterwards.
    EXPECT_NE(std::find(log.begin(), log.end(), "List-Images"), log.end());
    EXPECT_LT(std::find(log.begin(), log.end(), "List-Images"), std::find(log.begin(), log.end(), "~Images"));
}

TEST(Components, SiblingsHearOfInsertionAndRemovalThroughTheOwner)
{
    std::vector<std::string> log;
    TProbe form(nullptr, log, "Form");
    TProbe* a = new TProbe(&form, log, "A");
    log.clear();
    TProbe* b = new TProbe(&form, log, ""); // named after insertion: notices show ""
    b->SetName("B");
    a->Reference.Set(b);
    delete b;
    EXPECT_EQ(a->Reference, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"Form+", "A+", "~B", "Form-B", "A-B"}));
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(Components, FreeNotificationIsMutualAndRemovable)
{
    std::vector<std::string> log;
    auto* x = new TProbe(nullptr, log, "X");
    TProbe y(nullptr, log, "Y");
    x->FreeNotification(&y);
    y.RemoveFreeNotification(x);
    delete x;
    EXPECT_EQ(log, (std::vector<std::string>{"~X"}));
    TProbe z(nullptr, log, "Z");
    {
        TProbe w(nullptr, log, "W");
        z.FreeNotification(&w); // w asked to hear of z, but goes first: z hears of w
    }
    EXPECT_EQ(log.back(), "Z-W");
}

TEST(Components, ReferenceFollowsOnlyItsCurrentTarget)
{
    std::vector<std::string> log;
    TProbe holder(nullptr, log, "Holder");
    auto* first = new TProbe(nullptr, log, "First");
    auto* second = new TProbe(nullptr, log, "Second");
    EXPECT_TRUE(holder.Reference.Set(first));
    EXPECT_FALSE(holder.Reference.Set(first));
    EXPECT_TRUE(holder.Reference.Set(second));
    delete first; // no longer referred to: the holder hears nothing
    EXPECT_EQ(log, (std::vector<std::string>{"~First"}));
    EXPECT_EQ(holder.Reference.Get(), second);
    delete second;
    EXPECT_EQ(holder.Reference.Get(), nullptr);
    EXPECT_EQ(log.back(), "Holder-Second");
}

TEST(Components, NamesAreValidatedAndUniqueWithinTheOwner)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Button1");
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"1Button", "'1Button' is not a valid component name"},
        {"Bad Name", "'Bad Name' is not a valid component name"},
        {"BUTTON1", "A component named BUTTON1 already exists"},
    };
    for (const auto& c : cases) {
        try {
            b->SetName(c.name);
            ADD_FAILURE() << c.name;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    a->SetName("BUTTON1"); // a case change of its own name is fine
    b->SetName("_Edit_2");
    b->SetName("");
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_TRUE(IsValidIdent("_x9"));
    EXPECT_FALSE(IsValidIdent("\xC3\xA9t\xC3\xA9"));
    EXPECT_THROW(owner.Components(2), EListError);
}

TEST(Components, StateFlagsAndLoaded)
{
    TComponent component(nullptr);
    component.SetStateFlag(csLoading, true);
    component.SetStateFlag(csReading, true);
    EXPECT_EQ(component.ComponentState(), TComponentState(csLoading | csReading));
    component.SetStateFlag(csReading, false);
    component.Loaded();
    EXPECT_EQ(component.ComponentState(), 0u);
}
