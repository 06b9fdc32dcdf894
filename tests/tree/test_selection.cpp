// Selection: multi-selection with anchor, shift and control through real clicks and keys,
// the release rule that lets a selection be dragged, the deferred current entity, the top item.
#include "TreeTestKit.h"

using namespace treetest;
using namespace xo::test;

namespace {
struct TreeSelection : TreeFixture {
    std::vector<TxoDataEntity_Tree*> rows;
    void SetUp() override {
        TreeFixture::SetUp();
        tree->SetMultiSelect(true);
        for (const char* s : {"A", "B", "C", "D", "E", "F"})
            rows.push_back(Add(nullptr, s));
        Paint();
    }
    TxoDataEntity_Tree* Row(char c) { return rows[size_t(c - 'A')]; }
};
} // namespace

TEST_F(TreeSelection, ShiftAndControlClicksBuildARangeFromTheAnchor) {
    ClickOn(Row('A'));
    EXPECT_EQ(SelectedTexts(), "A");
    EXPECT_EQ(tree->CurrentDataEntity(), Row('A'));
    ClickOn(Row('D'), {ssShift});
    EXPECT_EQ(SelectedTexts(), "A,B,C,D");
    ClickOn(Row('C'), {ssCtrl});
    EXPECT_EQ(SelectedTexts(), "A,B,D");
    // Control and shift: the range from the anchor (C, the last control-click) is added.
    ClickOn(Row('F'), {ssCtrl, ssShift});
    EXPECT_EQ(SelectedTexts(), "A,B,C,D,E,F");
    // Shift alone starts the range over from the anchor.
    ClickOn(Row('B'), {ssShift});
    EXPECT_EQ(SelectedTexts(), "B,C");
}

TEST_F(TreeSelection, WithoutMultiSelectAClickSelectsOneEntity) {
    tree->SetMultiSelect(false);
    ClickOn(Row('A'));
    ClickOn(Row('C'), {ssShift});
    EXPECT_EQ(SelectedTexts(), "C");
    ClickOn(Row('E'), {ssCtrl});
    EXPECT_EQ(SelectedTexts(), "E");
}

TEST_F(TreeSelection, AClickInsideASelectionSelectsOnRelease) {
    ClickOn(Row('B'));
    ClickOn(Row('E'), {ssShift});
    ASSERT_EQ(SelectedTexts(), "B,C,D,E");
    // Pressed and dragged: the selection stays, to be dragged along.
    TPoint p = Label(Row('C'));
    MouseDown(tree, mbLeft, p.X, p.Y);
    MouseMove(tree, p.X + 1, p.Y + 40);
    MouseUp(tree, mbLeft, p.X + 1, p.Y + 40);
    Paint();
    EXPECT_EQ(SelectedTexts(), "B,C,D,E");
    // Pressed and released in place: the entity alone.
    ClickOn(Row('C'));
    EXPECT_EQ(SelectedTexts(), "C");
}

TEST_F(TreeSelection, KeysMoveTheCurrentEntityAndShiftExtends) {
    ClickOn(Row('B'));
    PressKey(tree, VK_DOWN);
    Paint();
    EXPECT_EQ(tree->CurrentDataEntity(), Row('C'));
    EXPECT_EQ(SelectedTexts(), "C");
    PressKey(tree, VK_DOWN, {ssShift});
    PressKey(tree, VK_DOWN, {ssShift});
    Paint();
    EXPECT_EQ(tree->CurrentDataEntity(), Row('E'));
    EXPECT_EQ(SelectedTexts(), "C,D,E");
}

TEST_F(TreeSelection, SettingTheCurrentEntityTwiceSelectsTheSecondOnce) {
    std::vector<std::string> changes;
    tree->SetOnCurrentDataEntityChange(
        [&](TxoTree_ComBasic*, TxoDataEntity_Tree* e) { changes.push_back(e ? e->Text() : "none"); });
    tree->SetCurrentDataEntity(Row('B'));
    tree->SetCurrentDataEntity(Row('D'));
    EXPECT_EQ(tree->Selected(), nullptr); // not before the message loop runs
    Paint();
    EXPECT_EQ(tree->CurrentDataEntity(), Row('D'));
    EXPECT_EQ(changes, (std::vector<std::string>{"D"}));
    tree->SetCurrentDataEntity(nullptr);
    Paint();
    EXPECT_EQ(tree->CurrentDataEntity(), nullptr);
}

TEST_F(TreeSelection, AClickBeforeThePendingCurrentEntityWins) {
    tree->SetCurrentDataEntity(Row('B'));
    // The click's own deferred choice is the one that runs.
    ClickOn(Row('E'));
    EXPECT_EQ(tree->CurrentDataEntity(), Row('E'));
}

TEST_F(TreeSelection, RightClickMakesTheEntityCurrentAndReportsIt) {
    std::vector<std::string> right;
    tree->SetOnRightClick(
        [&](TxoTree_ComBasic*, TxoDataEntity_Tree* e) { right.push_back(e ? e->Text() : "none"); });
    TPoint p = Label(Row('D'));
    Click(tree, p.X, p.Y, mbRight);
    Paint();
    EXPECT_EQ(right, (std::vector<std::string>{"D"}));
    EXPECT_EQ(tree->CurrentDataEntity(), Row('D'));
}

TEST_F(TreeSelection, TheTopItemIsReportedWhenItChanges) {
    for (int i = 0; i < 40; ++i)
        Add(nullptr, "R" + std::to_string(i));
    Paint();
    int reports = 0;
    tree->SetOnTopItemChanged([&](TObject*) { ++reports; });
    TxoDataEntity_Tree* r10 = static_cast<TxoDataEntity_Tree*>(tree->RootDataEntities()->Items(10));
    tree->SetTopItem(r10);
    EXPECT_EQ(tree->TopItem(), r10);
    EXPECT_EQ(reports, 1);
    tree->SetTopItem(r10);
    EXPECT_EQ(reports, 1);
    Wheel(tree, 20, 20, -WHEEL_DELTA); // three rows, one at a time
    EXPECT_EQ(reports, 4);
    EXPECT_EQ(tree->TopItem(), tree->RootDataEntities()->Items(13));
    EXPECT_EQ(tree->GetDataEntityFromRow(13), tree->TopItem());
    EXPECT_EQ(tree->GetDataEntityFromRow(1000), nullptr);
}

TEST_F(TreeSelection, RemovingTheSelectedCurrentAnchorAndTopEntityLeavesNothingDangling) {
    ClickOn(Row('C'));
    ClickOn(Row('D'), {ssShift});
    tree->SetTopItem(Row('C'));
    tree->RemoveDataEntity(Row('C'));
    tree->RootDataEntities()->Remove(Row('D')); // through the list: the node is queued
    rows.erase(rows.begin() + 2, rows.begin() + 4);
    Paint();
    EXPECT_EQ(tree->CurrentDataEntity(), nullptr);
    EXPECT_NE(tree->TopItem(), nullptr);
    // The anchor went with its node: a shift-click starts a new range.
    ClickOn(rows[3], {ssShift}); // F
    EXPECT_EQ(SelectedTexts(), "F");
    EXPECT_EQ(MirrorDifference(tree), "");
}

TEST_F(TreeSelection, DestroyingTheTreeWithPendingCallsIsSafe) {
    tree->SetCurrentDataEntity(Row('B'));
    ClickOn(Row('A'));
    PressKey(tree, VK_DOWN);
    tree->SetCurrentDataEntity(Row('E'));
    form.reset();
    Paint();
}
