// Texts: the 255-character limit, label editing and its guard, the value events.
#include "TreeTestKit.h"

using namespace treetest;
using namespace xo::test;

namespace {
using TreeEditing = TreeFixture;
} // namespace

TEST_F(TreeEditing, TextsUpTo255CharactersAreAccepted) {
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    Paint();
    a->SetText(std::string(255, 'x'));
    EXPECT_EQ(a->Text().size(), 255u);
    // Characters, not bytes: 255 two-byte letters are fine, 256 are not.
    std::string aa;
    for (int i = 0; i < 255; ++i)
        aa += "\xC3\xA5";
    a->SetText(aa);
    EXPECT_EQ(a->TreeNode()->Text(), aa);
    for (const std::string& tooLong : {std::string(256, 'y'), aa + "\xC3\xA5"}) {
        try {
            a->SetText(tooLong);
            FAIL() << "no exception";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Treenodes only allow strings smaller than 255 chars");
        }
        EXPECT_EQ(a->Text(), aa);
        EXPECT_EQ(a->TreeNode()->Text(), aa);
    }
}

TEST_F(TreeEditing, LabelEditingIsRefusedWithinASecondOfChangingTheCurrentEntity) {
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    int asked = 0;
    tree->SetOnBeforeCanEditItem([&](TObject*, TxoDataEntity* e) {
        ++asked;
        e->SetCanEdit(true);
    });
    Paint();
    ClickOn(a);
    PressKey(tree, VK_F2);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(asked, 0);
    Pump(1100);
    PressKey(tree, VK_F2);
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(asked, 1);
}

TEST_F(TreeEditing, AnEditedLabelReachesTheEntity) {
    TxoDataEntity_Tree* a = Add(nullptr, "Alpha");
    std::vector<std::string> values;
    tree->SetOnBeforeCanEditItem([](TObject*, TxoDataEntity* e) { e->SetCanEdit(true); });
    tree->SetOnValueChanged([&](TObject* caller, TxoDataEntity* e) {
        EXPECT_EQ(caller, tree);
        values.push_back(static_cast<TxoDataEntity_Tree*>(e)->Text());
    });
    Paint();
    a->EditText();
    ASSERT_TRUE(tree->IsEditing());
    TypeText(tree, "Beta");
    PressKey(tree, VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(a->Text(), "Beta");
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(values.back(), "Beta");
}

TEST_F(TreeEditing, AnEditedLabelThatIsTooLongKeepsTheOldText) {
    TxoDataEntity_Tree* a = Add(nullptr, "Alpha");
    tree->SetOnBeforeCanEditItem([](TObject*, TxoDataEntity* e) { e->SetCanEdit(true); });
    std::vector<std::string> shown;
    TShowMessageHandler old = SetShowMessageHandler([&](const String& s) { shown.push_back(s); });
    Paint();
    a->EditText();
    TypeText(tree, std::string(256, 'z'));
    PressKey(tree, VK_RETURN);
    SetShowMessageHandler(old);
    EXPECT_EQ(a->Text(), "Alpha");
    EXPECT_EQ(a->TreeNode()->Text(), "Alpha");
    EXPECT_EQ(shown, (std::vector<std::string>{"Treenodes only allow strings smaller than 255 chars"}));
}
