// The tree view: nodes and their walks, notifications and their order, input through the
// platform's event path, drawing at the node rectangles, scrolling and label editing.
#include "platform/plComCtrls.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

using namespace xo::test;

namespace {

using Log = std::vector<std::string>;

std::string NodeName(TTreeNode* n) {
    return n ? n->Text() : std::string("none");
}

// A tree view that logs the framework's handlers in the order the notifications reach them.
class TLogTree : public TCustomTreeView {
public:
    TLogTree(TComponent* AOwner, Log& aLog) : TCustomTreeView(AOwner), log(aLog) {}
    Log& log;
    bool refuseExpand = false;
    bool refuseChange = false;
    int dispInfos = 0;
    std::vector<int> codes;

    using TCustomTreeView::Params;

protected:
    void CNNotify(TWMNotifyTV& Message) override {
        codes.push_back(Message.NMTreeView()->code);
        if (Message.NMTreeView()->code == TVN_GETDISPINFOW) ++dispInfos;
        TCustomTreeView::CNNotify(Message);
    }
    bool CanChange(TTreeNode* Node) override {
        log.push_back("CanChange " + NodeName(Node));
        return !refuseChange && TCustomTreeView::CanChange(Node);
    }
    void Change(TTreeNode* Node) override {
        log.push_back("Change " + NodeName(Node));
        TCustomTreeView::Change(Node);
    }
    bool CanExpand(TTreeNode* Node) override {
        log.push_back("CanExpand " + NodeName(Node) + (Node->Expanded() ? " expanded" : " collapsed"));
        return !refuseExpand && TCustomTreeView::CanExpand(Node);
    }
    void Expand(TTreeNode* Node) override {
        log.push_back("Expand " + NodeName(Node) + (Node->Expanded() ? " expanded" : " collapsed"));
        TCustomTreeView::Expand(Node);
    }
    bool CanCollapse(TTreeNode* Node) override {
        log.push_back("CanCollapse " + NodeName(Node));
        return TCustomTreeView::CanCollapse(Node);
    }
    void Collapse(TTreeNode* Node) override {
        log.push_back("Collapse " + NodeName(Node) + (Node->Expanded() ? " expanded" : " collapsed"));
        TCustomTreeView::Collapse(Node);
    }
    void Delete(TTreeNode* Node) override {
        log.push_back("Delete " + NodeName(Node));
        TCustomTreeView::Delete(Node);
    }
};

struct TreeFixture : ::testing::Test {
    std::unique_ptr<TForm> form;
    Log log;
    TLogTree* tree = nullptr;
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 240);
        tree = new TLogTree(form.get(), log);
        tree->SetParent(form.get());
        tree->SetBounds(10, 10, 200, 200);
    }
    void Show() {
        ShowForm(form.get());
        Pump();
    }
    void TearDown() override {
        ReleaseButtons();
        form.reset();
    }
    TTreeNodes* Items() { return tree->Items(); }
    // Centre of a node's text rectangle.
    TPoint Label(TTreeNode* n) {
        TRect r = n->DisplayRect(true);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // Names of the tree in depth-first order, "-" marking each level.
    std::string Outline() {
        std::string s;
        for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) {
            if (!s.empty()) s += ",";
            s += std::string(size_t(n->Level()), '-') + n->Text();
        }
        return s;
    }
};

using TreeNodes = TreeFixture;
using TreeNotifications = TreeFixture;
using TreeInput = TreeFixture;
using TreeDrawing = TreeFixture;
using TreeScrolling = TreeFixture;
using TreeEditing = TreeFixture;

} // namespace

TEST_F(TreeNodes, AddingInsertingAndWalking) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* c = Items()->Add(a, "C");
    TTreeNode* b = Items()->Insert(c, "B");
    TTreeNode* a2 = Items()->AddChild(a, "A2");
    TTreeNode* a1 = Items()->AddChildFirst(a, "A1");
    TTreeNode* a0 = Items()->AddFirst(a1, "A0");
    EXPECT_EQ(Outline(), "A,-A0,-A1,-A2,B,C");
    EXPECT_EQ(Items()->Count(), 6);
    EXPECT_EQ(a->Count(), 3);
    EXPECT_EQ(a->getFirstChild(), a0);
    EXPECT_EQ(a->GetLastChild(), a2);
    EXPECT_EQ(a->Item(1), a1);
    EXPECT_EQ(a->Item(3), nullptr);
    EXPECT_EQ(a1->GetNextSibling(), a2);
    EXPECT_EQ(a1->GetPrevSibling(), a0);
    EXPECT_EQ(a2->GetNext(), b);
    EXPECT_EQ(b->GetPrev(), a2);
    EXPECT_EQ(a1->Parent(), a);
    EXPECT_EQ(a1->Level(), 1);
    EXPECT_EQ(a1->Index(), 1);
    EXPECT_EQ(c->Index(), 2);
    EXPECT_EQ(a2->AbsoluteIndex(), 3);
    EXPECT_EQ(Items()->Item(4), b);
    EXPECT_EQ(Items()->Item(6), nullptr);
    EXPECT_EQ(Items()->Item(-1), nullptr);
    // Collapsed: the children are not among the visible nodes.
    EXPECT_FALSE(a1->IsVisible());
    EXPECT_EQ(a->GetNextVisible(), b);
    a->SetExpanded(true);
    EXPECT_TRUE(a1->IsVisible());
    EXPECT_EQ(a->GetNextVisible(), a0);
    EXPECT_EQ(b->GetPrevVisible(), a2);
    EXPECT_EQ(tree->VisibleRowCount(), 6);
}

TEST_F(TreeNodes, MovingKeepsTheNodeAndItsChildren) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* b = Items()->Add(nullptr, "B");
    TTreeNode* b1 = Items()->AddChild(b, "B1");
    TTreeNode* c = Items()->Add(nullptr, "C");
    struct Case {
        TTreeNode* node;
        TTreeNode* dest;
        TNodeAttachMode mode;
        const char* outline;
    };
    const Case cases[] = {
        {b, a, naAddChild, "A,-B,--B1,C"},
        {b, c, naInsert, "A,B,-B1,C"},
        {c, nullptr, naAddChildFirst, "C,A,B,-B1"},
        {a, b1, naAdd, "C,B,-B1,-A"},
        {a, nullptr, naAdd, "C,B,-B1,A"},
        {b, b1, naAddChild, "C,B,-B1,A"}, // under its own child: nothing
        {b, b, naInsert, "C,B,-B1,A"},    // relative to itself: nothing
    };
    for (const Case& k : cases) {
        k.node->MoveTo(k.dest, k.mode);
        EXPECT_EQ(Outline(), k.outline);
    }
    EXPECT_EQ(b1->Parent(), b);
    EXPECT_EQ(Items()->Count(), 4);
}

TEST_F(TreeNodes, SortingIsStableAndByTheCallback) {
    for (const char* s : {"b", "A", "c", "a"})
        Items()->Add(nullptr, s);
    Items()->AlphaSort();
    EXPECT_EQ(Outline(), "A,a,b,c");
    Items()->CustomSort([](TTreeNode* x, TTreeNode* y) { return int(y->Text()[0]) - int(x->Text()[0]); });
    EXPECT_EQ(Outline(), "c,b,a,A");
}

TEST_F(TreeNodes, DeletingTakesTheChildrenAndReportsEachNode) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* a1 = Items()->AddChild(a, "A1");
    Items()->AddChild(a1, "A11");
    Items()->Add(nullptr, "B");
    a->Delete();
    EXPECT_EQ(Outline(), "B");
    EXPECT_EQ(Items()->Count(), 1);
    EXPECT_EQ(log, (Log{"Delete A11", "Delete A1", "Delete A"}));
    Items()->Clear();
    EXPECT_EQ(Items()->Count(), 0);
    EXPECT_EQ(Items()->GetFirstNode(), nullptr);
}

TEST_F(TreeNodes, AVeryDeepTreeIsDeletedWithoutRecursion) {
    TTreeNode* n = Items()->Add(nullptr, "root");
    for (int i = 0; i < 200000; ++i)
        n = Items()->AddChild(n, "x");
    EXPECT_EQ(n->Level(), 200000);
    Items()->Clear();
    EXPECT_EQ(Items()->Count(), 0);
}

TEST_F(TreeNodes, AddingUnderANodeOfAnotherTreeRaises) {
    Log otherLog;
    TLogTree other(nullptr, otherLog);
    TTreeNode* foreign = other.Items()->Add(nullptr, "F");
    EXPECT_THROW(Items()->AddChild(foreign, "x"), Exception);
    EXPECT_EQ(Items()->Count(), 0);
}

TEST_F(TreeNodes, ADeletionHandlerThatDeletesOtherNodesIsSafe) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* a1 = Items()->AddChild(a, "A1");
    TTreeNode* b = Items()->Add(nullptr, "B");
    tree->SetOnDeletion([&](TObject*, TTreeNode* n) {
        if (n == a1) {
            a->Delete(); // already going: ignored
            b->Delete(); // another node: deleted now
        }
    });
    a->Delete();
    EXPECT_EQ(Items()->Count(), 0);
}

TEST_F(TreeNotifications, ExpandingAsksFirstThenReports) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    Items()->AddChild(a, "A1");
    a->SetExpanded(true);
    EXPECT_EQ(log, (Log{"CanExpand A collapsed", "Expand A expanded"}));
    log.clear();
    a->SetExpanded(true); // already expanded: nothing
    EXPECT_TRUE(log.empty());
    a->SetExpanded(false);
    EXPECT_EQ(log, (Log{"CanCollapse A", "Collapse A collapsed"}));
    log.clear();
    tree->refuseExpand = true;
    a->SetExpanded(true);
    EXPECT_FALSE(a->Expanded());
    EXPECT_EQ(log, (Log{"CanExpand A collapsed"}));
}

TEST_F(TreeNotifications, SelectionAsksThenReportsAndMayBeRefused) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* b = Items()->Add(nullptr, "B");
    tree->SetSelected(a);
    EXPECT_EQ(log, (Log{"CanChange A", "Change A"}));
    log.clear();
    tree->refuseChange = true;
    tree->SetSelected(b);
    EXPECT_EQ(tree->Selected(), a);
    EXPECT_EQ(log, (Log{"CanChange B"}));
}

TEST_F(TreeNotifications, SelectingAHiddenNodeExpandsItsAncestors) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* a1 = Items()->AddChild(a, "A1");
    TTreeNode* a11 = Items()->AddChild(a1, "A11");
    tree->SetSelected(a11);
    EXPECT_TRUE(a->Expanded());
    EXPECT_TRUE(a1->Expanded());
    EXPECT_TRUE(a11->IsVisible());
}

TEST_F(TreeNotifications, CollapsingTakesTheSelectionFromHiddenDescendants) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    TTreeNode* a1 = Items()->AddChild(a, "A1");
    tree->SetSelected(a1);
    log.clear();
    a->SetExpanded(false);
    EXPECT_EQ(tree->Selected(), a);
    EXPECT_EQ(log, (Log{"CanCollapse A", "Collapse A collapsed", "CanChange A", "Change A"}));
}

TEST_F(TreeNotifications, DeletingTheSelectedNodeLeavesNoSelection) {
    TTreeNode* a = Items()->Add(nullptr, "A");
    tree->SetSelected(a);
    log.clear();
    a->Delete();
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(log, (Log{"Delete A", "Change none"}));
}

TEST_F(TreeNotifications, DestroyingTheTreeReportsNothing) {
    Items()->Add(nullptr, "A");
    form.reset();
    EXPECT_TRUE(log.empty());
}

TEST_F(TreeInput, ClicksSelectAndToggleAndKeysNavigate) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    TTreeNode* a1 = Items()->AddChild(a, "Alpha one");
    TTreeNode* b = Items()->Add(nullptr, "Beta");
    Show();
    TPoint p = Label(b);
    Click(tree, p.X, p.Y);
    EXPECT_EQ(tree->Selected(), b);
    EXPECT_TRUE(tree->Focused());
    // The expand button sits in the indent column left of the text.
    TRect r = a->DisplayRect(true);
    EXPECT_TRUE(tree->GetHitTestInfoAt(r.Left - 10, (r.Top + r.Bottom) / 2).Contains(htOnButton));
    Click(tree, r.Left - 10, (r.Top + r.Bottom) / 2);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(tree->Selected(), b); // the button does not select
    PressKey(tree, VK_UP);
    EXPECT_EQ(tree->Selected(), a1);
    PressKey(tree, VK_LEFT); // a leaf: to its parent
    EXPECT_EQ(tree->Selected(), a);
    PressKey(tree, VK_LEFT); // expanded: collapses
    EXPECT_FALSE(a->Expanded());
    PressKey(tree, VK_RIGHT);
    EXPECT_TRUE(a->Expanded());
    PressKey(tree, VK_RIGHT);
    EXPECT_EQ(tree->Selected(), a1);
    PressKey(tree, VK_END);
    EXPECT_EQ(tree->Selected(), b);
    PressKey(tree, VK_HOME);
    EXPECT_EQ(tree->Selected(), a);
}

TEST_F(TreeInput, ADoubleClickOnALabelTogglesTheNode) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    Items()->AddChild(a, "Alpha one");
    Show();
    TPoint p = Label(a);
    DblClick(tree, p.X, p.Y);
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(tree->Selected(), a);
}

TEST_F(TreeInput, DraggingFromANodeReportsTheBeginOfADrag) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    Items()->Add(nullptr, "Beta");
    Show();
    TPoint p = Label(a);
    MouseDown(tree, mbLeft, p.X, p.Y);
    MouseMove(tree, p.X + 2, p.Y + 30);
    MouseUp(tree, mbLeft, p.X + 2, p.Y + 30);
    int begins = int(std::count(tree->codes.begin(), tree->codes.end(), TVN_BEGINDRAGW));
    EXPECT_EQ(begins, 1);
}

TEST_F(TreeInput, TheWheelScrollsThreeRowsANotch) {
    for (int i = 0; i < 60; ++i)
        Items()->Add(nullptr, "Row " + std::to_string(i));
    Show();
    Wheel(tree, 50, 50, -WHEEL_DELTA);
    EXPECT_EQ(tree->TopItem(), Items()->Item(3));
    Wheel(tree, 50, 50, WHEEL_DELTA);
    EXPECT_EQ(tree->TopItem(), Items()->Item(0));
}

TEST_F(TreeDrawing, TheSelectedNodeIsHighlightedWhereItsTextIs) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    TTreeNode* b = Items()->Add(nullptr, "Beta");
    Show();
    tree->SetFocus();
    tree->SetSelected(b);
    Pump();
    TRect rb = b->DisplayRect(true);
    TRect ra = a->DisplayRect(true);
    EXPECT_EQ(ra.Bottom, rb.Top);
    EXPECT_EQ(rb.Height(), tree->ItemHeight());
    EXPECT_EQ(ShownPixel(tree, rb.Left + 1, rb.Top + 3), ColorToRGB(clHighlight));
    EXPECT_EQ(ShownPixel(tree, rb.Right - 2, rb.Bottom - 3), ColorToRGB(clHighlight));
    EXPECT_EQ(ShownPixel(tree, rb.Right + 2, rb.Top + 3), ColorToRGB(clWindow)); // right of the text
    EXPECT_EQ(ShownPixel(tree, ra.Left + 1, ra.Top + 3), ColorToRGB(clWindow));
    // Without the focus and with HideSelection off, the selection shows in button face.
    tree->SetHideSelection(false);
    form->SetActiveControl(nullptr);
    Pump();
    if (!tree->Focused()) {
        EXPECT_EQ(ShownPixel(tree, rb.Left + 1, rb.Top + 3), ColorToRGB(clBtnFace));
    }
}

TEST_F(TreeDrawing, CustomDrawDecidesTheColoursAndMayDrawItself) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    TTreeNode* b = Items()->Add(nullptr, "Beta");
    tree->SetOnCustomDrawItem(
        [&](TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState, bool& DefaultDraw) {
            TCanvas* c = Sender->Canvas();
            if (Node == a) c->Brush()->SetColor(clYellow);
            if (Node == b) {
                TRect row = Node->DisplayRect(false);
                c->Brush()->SetColor(clLime);
                c->FillRect(row);
                DefaultDraw = false;
            }
        });
    Show();
    TRect ra = a->DisplayRect(true);
    TRect rb = b->DisplayRect(false);
    EXPECT_EQ(ShownPixel(tree, ra.Left + 1, ra.Top + 3), ColorToRGB(clYellow));
    EXPECT_EQ(ShownPixel(tree, ra.Right + 3, ra.Top + 3), ColorToRGB(clWindow));
    EXPECT_EQ(ShownPixel(tree, rb.Left, rb.Top), ColorToRGB(clLime));
    EXPECT_EQ(ShownPixel(tree, rb.Right - 1, rb.Bottom - 1), ColorToRGB(clLime));
}

TEST_F(TreeDrawing, EachDrawnNodeIsAskedForItsDisplayInformation) {
    for (int i = 0; i < 3; ++i)
        Items()->Add(nullptr, "N" + std::to_string(i));
    Show();
    int before = tree->dispInfos;
    tree->Repaint();
    EXPECT_EQ(tree->dispInfos - before, 3);
}

TEST_F(TreeDrawing, HitTestsFollowTheRowGeometry) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    Show();
    TRect r = a->DisplayRect(true);
    TRect row = a->DisplayRect(false);
    EXPECT_EQ(row.Left, 0);
    EXPECT_EQ(row.Top, r.Top);
    EXPECT_EQ(tree->GetNodeAt(r.Left + 2, r.Top + 2), a);
    EXPECT_EQ(tree->GetNodeAt(row.Right - 1, r.Top), a); // anywhere on its row
    EXPECT_EQ(tree->GetNodeAt(5, r.Bottom + 1), nullptr);
    EXPECT_TRUE(tree->GetHitTestInfoAt(r.Left + 2, r.Top + 2).Contains(htOnLabel));
    EXPECT_TRUE(tree->GetHitTestInfoAt(r.Left + 2, r.Top + 2).Contains(htOnItem));
    EXPECT_TRUE(tree->GetHitTestInfoAt(r.Right + 4, r.Top + 2).Contains(htOnRight));
    EXPECT_TRUE(tree->GetHitTestInfoAt(5, r.Bottom + 1).Contains(htNowhere));
    EXPECT_TRUE(tree->GetHitTestInfoAt(-1, 5).Contains(htToLeft));
}

TEST_F(TreeScrolling, VerticalPositionIsTheTopRow) {
    for (int i = 0; i < 100; ++i)
        Items()->Add(nullptr, "Row " + std::to_string(i));
    Show();
    TScrollInfo si;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_VERT, &si));
    int page = tree->ClientHeight() / tree->ItemHeight();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(int(si.nPage), page);
    EXPECT_EQ(si.nPos, 0);
    tree->SetTopItem(Items()->Item(40));
    EXPECT_EQ(tree->TopItem(), Items()->Item(40));
    GetScrollInfo(tree->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nPos, 40);
    // The last rows cannot scroll above the bottom.
    tree->SetTopItem(Items()->Item(99));
    EXPECT_EQ(tree->TopItem(), Items()->Item(100 - page));
    TScrollInfo set;
    set.fMask = SIF_POS;
    set.nPos = 10;
    SetScrollInfo(tree->Handle(), SB_VERT, set, false);
    EXPECT_EQ(tree->TopItem(), Items()->Item(10));
    EXPECT_EQ(Items()->Item(10)->DisplayRect(false).Top, 0);
}

TEST_F(TreeScrolling, ContentThatFitsReadsZeros) {
    Items()->Add(nullptr, "Only");
    Show();
    TScrollInfo si;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_VERT, &si));
    EXPECT_EQ(si.nMax, 0);
    EXPECT_EQ(si.nPage, 0u);
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_HORZ, &si));
    EXPECT_EQ(si.nMax, 0);
    TForm other(nullptr);
    EXPECT_FALSE(GetScrollInfo(other.Handle(), SB_VERT, &si));
}

TEST_F(TreeScrolling, TheTopNodeStaysOnTopWhenRowsAboveItChange) {
    for (int i = 0; i < 50; ++i)
        Items()->Add(nullptr, "Row " + std::to_string(i));
    Show();
    TTreeNode* top = Items()->Item(20);
    tree->SetTopItem(top);
    Items()->AddFirst(nullptr, "New first");
    Items()->Item(5)->Delete();
    EXPECT_EQ(tree->TopItem(), top);
    // The top node goes: its row stays.
    int row = top->AbsoluteIndex();
    top->Delete();
    EXPECT_EQ(tree->TopItem(), Items()->Item(row));
}

TEST_F(TreeScrolling, HorizontalScrollingShiftsTheRows) {
    TTreeNode* a = Items()->Add(nullptr, std::string(80, 'W'));
    Show();
    TScrollInfo si;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_HORZ, &si));
    EXPECT_GT(si.nMax, int(si.nPage));
    int left = a->DisplayRect(true).Left;
    TScrollInfo set;
    set.fMask = SIF_POS;
    set.nPos = 30;
    EXPECT_EQ(SetScrollInfo(tree->Handle(), SB_HORZ, set, false), 30);
    EXPECT_EQ(a->DisplayRect(true).Left, left - 30);
}

TEST_F(TreeScrolling, AHiddenScrollBarStaysHiddenAndGivesItsRoomToTheRows) {
    for (int i = 0; i < 100; ++i)
        Items()->Add(nullptr, "Row " + std::to_string(i));
    Show();
    int width = tree->ClientWidth();
    ShowScrollBar(tree->Handle(), SB_VERT, false);
    EXPECT_GT(tree->ClientWidth(), width);
    TScrollInfo si;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_VERT, &si)); // still scrolls
    EXPECT_EQ(si.nMax, 99);
}

TEST_F(TreeScrolling, ScrollMessagesMoveTheTopRow) {
    for (int i = 0; i < 100; ++i)
        Items()->Add(nullptr, "Row " + std::to_string(i));
    Show();
    tree->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    tree->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(tree->TopItem(), Items()->Item(2));
    tree->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    TScrollInfo si;
    GetScrollInfo(tree->Handle(), SB_VERT, &si);
    EXPECT_EQ(si.nPos, si.nMax - int(si.nPage) + 1);
    tree->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(tree->TopItem(), Items()->Item(0));
}

TEST_F(TreeEditing, EnterKeepsTheTextAndEscapeCancels) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    Log edits;
    tree->SetOnEdited([&](TObject*, TTreeNode* n, String& s) {
        edits.push_back(n->Text() + " -> " + s);
        s += "!";
    });
    Show();
    ASSERT_TRUE(a->EditText());
    EXPECT_TRUE(tree->IsEditing());
    EXPECT_EQ(tree->EditingNode(), a);
    TypeText(tree, "Gamma"); // the editor has the focus: the selected text is replaced
    PressKey(tree, VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(edits, (Log{"Alpha -> Gamma"}));
    EXPECT_EQ(a->Text(), "Gamma!");
    ASSERT_TRUE(a->EditText());
    TypeText(tree, "Delta");
    PressKey(tree, VK_ESCAPE);
    EXPECT_EQ(a->Text(), "Gamma!");
    EXPECT_EQ(edits.size(), 1u);
}

TEST_F(TreeEditing, OnEditingAndReadOnlyRefuse) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    Show();
    tree->SetOnEditing([](TObject*, TTreeNode*, bool& allow) { allow = false; });
    EXPECT_FALSE(a->EditText());
    tree->SetOnEditing(nullptr);
    tree->SetReadOnly(true);
    EXPECT_FALSE(a->EditText());
    tree->SetReadOnly(false);
    EXPECT_TRUE(a->EditText());
    a->Delete(); // the edited node goes: the edit ends without a word
    EXPECT_FALSE(tree->IsEditing());
}

TEST_F(TreeEditing, TheEditorsKeysReachTheTreesKeyHandlersFirst) {
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    std::string typed;
    tree->SetOnKeyPress([&](TObject*, char32_t& c) {
        typed += char(c);
        if (c == 'x') c = 0; // swallowed: the editor does not get it
    });
    Show();
    ASSERT_TRUE(a->EditText());
    TypeText(tree, "axb");
    PressKey(tree, VK_RETURN);
    EXPECT_EQ(typed, "axb");
    EXPECT_EQ(a->Text(), "ab");
}

TEST_F(TreeInput, HasChildrenGivesAButtonAndTheChildrenMayComeOnExpanding) {
    TTreeNode* a = Items()->Add(nullptr, "Lazy");
    a->SetHasChildren(true);
    tree->SetOnExpanding([&](TObject*, TTreeNode* n, bool&) {
        if (n == a && a->Count() == 0) Items()->AddChild(a, "Loaded");
    });
    Show();
    TRect r = a->DisplayRect(true);
    ASSERT_TRUE(tree->GetHitTestInfoAt(r.Left - 10, r.Top + 3).Contains(htOnButton));
    Click(tree, r.Left - 10, r.Top + 3);
    EXPECT_TRUE(a->Expanded());
    ASSERT_EQ(a->Count(), 1);
    EXPECT_TRUE(a->getFirstChild()->IsVisible());
    EXPECT_EQ(tree->VisibleRowCount(), 2);
}

TEST_F(TreeDrawing, ImagesStandLeftOfTheTextAndTheSelectedOneShowsForTheSelection) {
    TImageList images(form.get(), 12, 12);
    for (TColor colour : {clRed, clBlue}) {
        TBitmap b(12, 12);
        b.Canvas()->Brush()->SetColor(colour);
        b.Canvas()->FillRect(TRect(0, 0, 12, 12));
        images.Add(&b);
    }
    tree->SetImages(&images);
    TTreeNode* a = Items()->Add(nullptr, "Alpha");
    TTreeNode* b = Items()->Add(nullptr, "Beta");
    a->SetImageIndex(0);
    a->SetSelectedIndex(1);
    b->SetImageIndex(0);
    Show();
    TRect r = a->DisplayRect(true);
    const int x = r.Left - 2 - 6, y = (r.Top + r.Bottom) / 2; // the image's centre
    EXPECT_EQ(ShownPixel(tree, x, y), ColorToRGB(clRed));
    tree->SetSelected(a);
    Pump();
    EXPECT_EQ(ShownPixel(tree, x, y), ColorToRGB(clBlue));
    EXPECT_GE(tree->ItemHeight(), 14);
    // The image list goes: no images, the text moves left.
    tree->SetImages(nullptr);
    Pump();
    EXPECT_EQ(a->DisplayRect(true).Left, r.Left - 14);
}
