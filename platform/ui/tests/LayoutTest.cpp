#include "UiTestSupport.h"

#include "platform/core/Exceptions.h"

using LayoutTest = UiTest;

TEST_F(LayoutTest, AlignedChildrenShareTheClientAreaInAlignOrder)
{
    auto form = MakeForm(0, 0, 200, 100);
    form->SetBorderWidth(2);
    auto add = [&](TAlign align, int32_t size) {
        auto* c = new TRecordingControl(form.get());
        c->SetBounds(0, 0, size, size);
        c->SetAlign(align);
        c->SetParent(form.get());
        return c;
    };
    TControl* client = add(alClient, 5);
    TControl* top = add(alTop, 10);
    TControl* bottom = add(alBottom, 20);
    TControl* left = add(alLeft, 30);
    TControl* right = add(alRight, 40);
    EXPECT_EQ(top->BoundsRect(), Rect(2, 2, 198, 12));
    EXPECT_EQ(bottom->BoundsRect(), Rect(2, 78, 198, 98));
    EXPECT_EQ(left->BoundsRect(), Rect(2, 12, 32, 78));
    EXPECT_EQ(right->BoundsRect(), Rect(158, 12, 198, 78));
    EXPECT_EQ(client->BoundsRect(), Rect(32, 12, 158, 78));

    form->SetBounds(0, 0, 300, 150); // everything follows
    EXPECT_EQ(bottom->BoundsRect(), Rect(2, 128, 298, 148));
    EXPECT_EQ(client->BoundsRect(), Rect(32, 12, 258, 128));
}

TEST_F(LayoutTest, AnchorsKeepDistancesToTheAnchoredEdges)
{
    struct Case {
        TAnchors anchors;
        TRect expected; // after the parent grows by (40, 20)
    };
    const Case cases[] = {
        {akLeft | akTop, Rect(10, 10, 30, 30)},
        {akRight | akBottom, Rect(50, 30, 70, 50)},
        {akLeft | akTop | akRight | akBottom, Rect(10, 10, 70, 50)},
        {0, Rect(30, 20, 50, 40)}, // neither edge: keeps its relative place
    };
    for (const Case& c : cases) {
        auto form = MakeForm(0, 0, 100, 80);
        auto* child = new TRecordingControl(form.get());
        child->SetParent(form.get());
        child->SetBounds(10, 10, 20, 20);
        child->SetAnchors(c.anchors);
        form->SetBounds(0, 0, 140, 100);
        EXPECT_EQ(child->BoundsRect(), c.expected) << int(c.anchors);
    }
}

TEST_F(LayoutTest, HiddenAlignedControlsGiveUpTheirSpace)
{
    auto form = MakeForm(0, 0, 200, 100);
    auto* header = new TRecordingControl(form.get());
    header->SetHeight(30);
    header->SetAlign(alTop);
    header->SetParent(form.get());
    auto* body = new TRecordingControl(form.get());
    body->SetAlign(alClient);
    body->SetParent(form.get());
    EXPECT_EQ(body->Top(), 30);
    header->Hide();
    EXPECT_EQ(body->Top(), 0);
    EXPECT_EQ(body->Height(), 100);
}

TEST_F(LayoutTest, AControlCannotBePlacedInsideItself)
{
    auto form = MakeForm();
    auto* outer = new TRecordingControl(form.get());
    outer->SetParent(form.get());
    auto* inner = new TRecordingControl(form.get());
    inner->SetParent(outer);
    EXPECT_THROW(outer->SetParent(inner), EInvalidOperation);
    EXPECT_THROW(outer->SetParent(outer), EInvalidOperation);
    EXPECT_EQ(outer->Parent(), form.get());
}
