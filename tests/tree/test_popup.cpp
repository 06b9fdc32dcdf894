// The tree popup menu, played through the menu test handler: the items built from the tree,
// sub-menus filled when opened, picks, greyed entries, columns, and the references it keeps.
#include "TreeTestKit.h"
#include "tree/xoTreePopup.h"

using namespace treetest;
using namespace xo::test;

namespace {
struct TreePopup : TreeFixture {
    TxoTreePopup* menu = nullptr;
    std::vector<std::string> picks;
    TPopupMenuTestHandler previous;
    void SetUp() override {
        TreeFixture::SetUp();
        menu = new TxoTreePopup(form.get());
        menu->SetTree(tree);
        menu->SetOnUserPickDataEntity([this](TxoTreePopup* sender, TxoDataEntity_Tree* e) {
            EXPECT_EQ(sender, menu);
            picks.push_back(e->Text());
        });
    }
    void TearDown() override {
        SetPopupMenuTestHandler(previous);
        TreeFixture::TearDown();
    }
    // Pops the menu up; the handler plays the user and answers the item chosen.
    void PopupAndChoose(std::function<TMenuItem*(TPopupMenu*)> user) {
        previous = SetPopupMenuTestHandler([user](TPopupMenu* m, TPoint) { return user(m); });
        menu->Popup(100, 100);
        SetPopupMenuTestHandler(previous);
        Paint(); // the choice is posted
    }
    static std::vector<std::string> Shown(TMenuItem* parent) {
        std::vector<std::string> r;
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i)->Visible()) r.push_back(parent->Items(i)->Caption());
        return r;
    }
};
} // namespace

TEST_F(TreePopup, RootsWithoutChildrenOfferThemselvesInTheirSubMenus) {
    for (const char* s : {"Phase 1", "Phase 2", "Phase 3"})
        Add(nullptr, s);
    TxoDataEntity_Tree* second = static_cast<TxoDataEntity_Tree*>(tree->RootDataEntities()->Items(1));
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        EXPECT_EQ(Shown(m->Items()), (std::vector<std::string>{"Phase 1", "Phase 2", "Phase 3"}));
        TMenuItem* sub = m->Items()->Items(1);
        EXPECT_EQ(sub->Count(), 1);
        EXPECT_TRUE(PopupMenuOpenSubMenu(sub));
        EXPECT_TRUE(second->Expanded());
        EXPECT_EQ(Shown(sub), (std::vector<std::string>{"Phase 2"}));
        return sub->Items(0);
    });
    EXPECT_EQ(picks, (std::vector<std::string>{"Phase 2"}));
}

TEST_F(TreePopup, ChildrenMadeWhenTheEntityExpandsReplaceItsOwnEntry) {
    TxoDataEntity_Tree* root = Add(nullptr, "Phase");
    // The application makes the children when the node is first expanded.
    tree->SetOnExpanding([&](TObject*, TTreeNode* n, bool&) {
        TxoDataEntity_Tree* e = tree->GetDataEntityFromNode(n);
        if (e == root && root->ChildCount() == 0) {
            Add(root, "Design");
            Add(root, "Build");
        }
    });
    Paint();
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        TMenuItem* sub = m->Items()->Items(0);
        EXPECT_TRUE(PopupMenuOpenSubMenu(sub));
        EXPECT_EQ(Shown(sub), (std::vector<std::string>{"Design", "Build"}));
        TMenuItem* build = sub->Items(sub->Count() - 1);
        EXPECT_EQ(build->Count(), 1); // a sub-menu again
        EXPECT_TRUE(PopupMenuOpenSubMenu(build));
        return build->Items(0);
    });
    EXPECT_EQ(picks, (std::vector<std::string>{"Build"}));
}

TEST_F(TreePopup, EntitiesThatMayNotBePickedAreGreyedOut) {
    Add(nullptr, "Open");
    Add(nullptr, "Locked");
    menu->SetOnCheckUserPickEnable(
        [](TxoTreePopup*, TxoDataEntity_Tree* e) { return e->Text() != "Locked"; });
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        EXPECT_TRUE(m->Items()->Items(0)->Items(0)->Enabled());
        EXPECT_FALSE(m->Items()->Items(1)->Items(0)->Enabled());
        PopupMenuOpenSubMenu(m->Items()->Items(1));
        return m->Items()->Items(1)->Items(0); // the user cannot choose it
    });
    EXPECT_TRUE(picks.empty());
}

TEST_F(TreePopup, EveryThirtiethItemStartsANewColumn) {
    for (int i = 1; i <= 65; ++i)
        Add(nullptr, "Root " + std::to_string(i));
    std::vector<int> breaks;
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        for (int i = 0; i < m->Items()->Count(); ++i)
            if (m->Items()->Items(i)->Break() == mbBarBreak) breaks.push_back(i + 1);
        return nullptr;
    });
    EXPECT_EQ(breaks, (std::vector<int>{30, 60}));
}

TEST_F(TreePopup, EachPopupRebuildsAndTheApplicationsItemsStay) {
    Add(nullptr, "A");
    auto* own = new TMenuItem(form.get());
    own->SetCaption("Refresh");
    menu->Items()->Add(own);
    PopupAndChoose([&](TPopupMenu*) -> TMenuItem* { return nullptr; });
    Add(nullptr, "B");
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        EXPECT_EQ(Shown(m->Items()), (std::vector<std::string>{"Refresh", "A", "B"}));
        return nullptr;
    });
    // Under another menu item instead.
    TPopupMenu other(nullptr);
    auto* holder = new TMenuItem(&other);
    holder->SetCaption("Go to");
    other.Items()->Add(holder);
    auto* keep = new TMenuItem(&other);
    keep->SetCaption("Kept");
    holder->Add(keep);
    menu->SetAddToMenuItem(holder);
    menu->InitRootLevel();
    EXPECT_EQ(Shown(holder), (std::vector<std::string>{"Kept", "A", "B"}));
    EXPECT_EQ(Shown(menu->Items()), (std::vector<std::string>{"Refresh"}));
    menu->InitRootLevel();
    EXPECT_EQ(Shown(holder), (std::vector<std::string>{"Kept", "A", "B"}));
}

TEST_F(TreePopup, TheTreeAndTheMenuItemAreForgottenWhenDestroyed) {
    Add(nullptr, "A");
    {
        TPopupMenu other(nullptr);
        auto* holder = new TMenuItem(&other);
        other.Items()->Add(holder);
        menu->SetAddToMenuItem(holder);
    }
    EXPECT_EQ(menu->AddToMenuItem(), nullptr);
    delete tree;
    tree = nullptr;
    EXPECT_EQ(menu->Tree(), nullptr);
    PopupAndChoose([&](TPopupMenu* m) -> TMenuItem* {
        EXPECT_EQ(m->Items()->Count(), 0);
        return nullptr;
    });
}

TEST_F(TreePopup, AnEntityRemovedBeforeThePostedPickIsNotReported) {
    TxoDataEntity_Tree* a = Add(nullptr, "A");
    previous = SetPopupMenuTestHandler([&](TPopupMenu* m, TPoint) -> TMenuItem* {
        PopupMenuOpenSubMenu(m->Items()->Items(0));
        return m->Items()->Items(0)->Items(0);
    });
    menu->Popup(10, 10);
    SetPopupMenuTestHandler(previous);
    tree->RemoveDataEntity(a); // before the message loop delivers the choice
    Paint();
    EXPECT_TRUE(picks.empty());
}
