// The control's own interface: content operations and their events, class references, bad
// input, the scroll bar switches, and a tree without a window.
#include "TreeTestKit.h"

using namespace treetest;

namespace {
using TreeControl = TreeFixture;

class TTaggedEntity : public TxoDataEntity_Tree {};
class TOtherEntity : public TxoDataEntity {};
} // namespace

TEST_F(TreeControl, ContentEventsNameTheControlAndTheEntity) {
    std::vector<std::string> log;
    tree->SetOnInsertItem([&](TObject* c, TxoDataEntity*) {
        EXPECT_EQ(c, tree);
        log.push_back("insert");
    });
    tree->SetOnDeleteItem([&](TObject* c, TxoDataEntity* e) {
        EXPECT_EQ(c, tree);
        log.push_back("delete " + static_cast<TxoDataEntity_Tree*>(e)->Text());
    });
    tree->SetOnDataEntityDelete([&](TxoTree_ComBasic* t, TxoDataEntity_Tree* e) {
        EXPECT_EQ(t, tree);
        log.push_back("entity delete " + e->Text());
    });
    tree->SetOnContentChanged([&](TObject* c, TxoDataList*) {
        EXPECT_EQ(c, tree);
        log.push_back("content");
    });
    tree->SetOnSelectionChanged([&](TObject* c, TxoDataList*, TxoDataEntity*) {
        EXPECT_EQ(c, tree);
        log.push_back("selection");
    });
    TxoDataEntity_Tree* a = tree->AddDataEntity(nullptr);
    a->SetText("A");
    TxoDataEntity_Tree* a1 = tree->InsertDataEntity(a, 0);
    a1->SetText("A1");
    a1->SetSelected(true);
    tree->RemoveDataEntity(a);
    EXPECT_EQ(log, (std::vector<std::string>{"insert", "content", "insert", "content", "selection",
                                             "entity delete A", "delete A", "entity delete A1", "delete A1",
                                             "content", "content"}));
    EXPECT_EQ(tree->RootDataEntities()->Count(), 0);
    EXPECT_EQ(tree->ListOfDataListListInstances()->Count(), 1); // the root list alone again
}

TEST_F(TreeControl, BadInputRaisesOrDoesNothing) {
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    EXPECT_THROW(tree->InsertDataEntity(a, 5), EListError);
    EXPECT_THROW(tree->InsertDataEntity(nullptr, -1), EListError);
    TxoTree other(form.get());
    TxoDataEntity_Tree* foreign = other.AddDataEntity(nullptr);
    EXPECT_THROW(tree->AddDataEntity(foreign), Exception);
    tree->ChangeOwner(a, foreign); // another tree's entity: nothing
    EXPECT_EQ(a->ParentNode(), nullptr);
    EXPECT_EQ(a->OwningDataList(), tree->RootDataEntities());
    tree->RemoveDataEntity(nullptr);
    tree->ChangeOwner(nullptr, a);
    EXPECT_EQ(tree->GetDataEntityFromNode(nullptr), nullptr);
    EXPECT_EQ(tree->GetDataEntityFromRow(-1), nullptr);
    EXPECT_EQ(tree->GetNextVisible(nullptr), nullptr);
    EXPECT_THROW(tree->SetClassOfDataEntity_Tree(ClassOf<TOtherEntity>()), Exception);
    EXPECT_THROW(tree->SetClassOfDataList_Tree(ClassOf<TxoDataList>()), Exception);
}

TEST_F(TreeControl, NewEntitiesAreOfTheEntityClass) {
    tree->SetClassOfDataEntity_Tree(ClassOf<TTaggedEntity>());
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    TxoDataEntity_Tree* a1 = Add(a, "A1");
    EXPECT_NE(dynamic_cast<TTaggedEntity*>(a1), nullptr);
    Paint();
    EXPECT_EQ(MirrorDifference(tree), "");
}

TEST_F(TreeControl, ClearEmptiesEverythingAndInitializeStartsOver) {
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    Add(Add(a, "A1"), "A11");
    Paint();
    tree->Clear();
    Paint();
    EXPECT_EQ(tree->Items()->Count(), 0);
    EXPECT_EQ(tree->ListOfDataListListInstances()->Count(), 1);
    Add(nullptr, "B");
    tree->Initialize();
    Paint();
    EXPECT_EQ(tree->RootDataEntities()->Count(), 0);
    EXPECT_EQ(tree->Items()->Count(), 0);
    EXPECT_EQ(tree->MaxLevels(), -1);
    Add(nullptr, "C");
    Paint();
    EXPECT_EQ(MirrorDifference(tree), "");
}

TEST_F(TreeControl, TheScrollBarSwitchesHideTheBars) {
    for (int i = 0; i < 100; ++i)
        Add(nullptr, std::string(60, 'W') + std::to_string(i));
    Paint();
    const int width = tree->ClientWidth(), height = tree->ClientHeight();
    tree->SetScrollBarVert(false);
    tree->SetScrollBarHorz(false);
    Paint();
    EXPECT_GT(tree->ClientWidth(), width);
    EXPECT_GT(tree->ClientHeight(), height);
    TScrollInfo si;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_VERT, &si)); // the rows still scroll
    EXPECT_EQ(si.nMax, 99);
}

TEST_F(TreeControl, ATreeWithoutAWindowAnswersNoRectangles) {
    TxoTree loose(nullptr);
    TxoDataEntity_Tree* a = loose.AddDataEntity(nullptr);
    a->SetText("A");
    EXPECT_EQ(loose.GetRect(a), TRect(-1, -1, -1, -1));
    EXPECT_EQ(loose.CurrentDataEntity(), nullptr); // brings the nodes up to date
    EXPECT_NE(a->TreeNode(), nullptr);
    EXPECT_EQ(loose.GetRect(a), TRect(-1, -1, -1, -1));
    EXPECT_EQ(loose.ClassName(), "TxoTree");
}
