// A small owner for grid tree tests: a root grid cell with one column whose Y axis shows the
// tree, forwarding the virtual-row protocol the way the grid component does; a recorder of the
// tree's notifications; and a check of the row axis against a depth-first walk of the nodes.
#pragma once

#include "grid/xoGridTree.h"
#include "gridengine/xoBabGridContent.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace gridtreetest {

using TNode = TxoDataEntity_GridTreeNode;

inline TNode* AsNode(TObject* e) {
    return dynamic_cast<TNode*>(e);
}

class TOwner : public TObject {
public:
    std::unique_ptr<TBabGridCellForViewer> Root;
    std::unique_ptr<TxoGridTree> Tree;
    // Whether the application lets rows go.
    bool AllowUnload = true;
    // Fills a node's children when the tree asks for them.
    std::function<void(TNode*)> Fill;
    std::vector<TNode*> FillAsked;
    std::vector<std::pair<TIntegrationEventKind, TxoDataEntity*>> Events;
    // The UserIntegerReference of each event's entity at the time of the event (-1 for none).
    std::vector<int> EventIds;
    int Repaints = 0;
    static constexpr int kRowHeight = 20; // cells without a layout

    explicit TOwner(int theFixedRows = 1) {
        Root =
            std::make_unique<TBabGridCellForViewer>(this, TBabSimpleCellDataClass::Of<TBabSimpleCellData>(),
                                                    TBabGridCellDataClass::Of<TBabGridCellData>());
        Root->AxisContentListX()->AddNew(nullptr);
        Root->SetFixedRows(theFixedRows);
        for (int i = 0; i < theFixedRows; ++i)
            Root->AxisContentListY()->AddNew(nullptr);
        Tree = std::make_unique<TxoGridTree>([this](TxoGridTree*, TNode* n) {
            FillAsked.push_back(n);
            if (Fill) Fill(n);
        });
        Tree->SetGridCell(Root.get());
        Tree->SetOnIntegrationEvents([this](TIntegrationEventKind k, TxoDataEntity* e) {
            Events.push_back({k, e});
            EventIds.push_back(e ? e->UserIntegerReference() : -1);
        });
        Root->SetOnVirtualLoad([this](TBabGridCell* caller, TAxisContentItem* item, bool isRow) {
            if (isRow && Tree && caller == Tree->GridCell()) Tree->_OnGridRowReload(item);
        });
        Root->SetOnVirtualUnLoad(
            [this](TBabGridCell* caller, TAxisContentItem* item, bool isRow, bool perform, bool& can) {
                if (!isRow) return; // columns stay
                if (!perform) can = AllowUnload;
                if (can && Tree && caller == Tree->GridCell()) Tree->_OnGridRowUnload(item, perform, can);
            });
        Root->SetOnKeepAfterUnloadCheck(
            [this](TBabGridCell* caller, TAxisContentItem* item, bool isRow, bool& keep) {
                if (isRow && keep && Tree && caller == Tree->GridCell())
                    Tree->_OnKeepGridRowAfterUnload(item, keep);
            });
        Root->SetOnUnloadIntervall(
            [this](TBabGridCell* caller, TAxisContentItem* item, bool isRow, int& start, int& stop) {
                if (isRow && Tree && caller == Tree->GridCell()) Tree->_OnUnloadIntervall(item, start, stop);
            });
        Root->SetOnDeleteOfUnloaded([this](TBabGridCell* caller, bool isRow, int& start, int& stop) {
            if (isRow && Tree && caller == Tree->GridCell())
                Tree->_OnDeleteOfUnloaded(caller->AxisContentListY(), start, stop);
        });
        fRepaint = std::make_unique<TSingleEventListener>(
            Root->SelectionChangeEvent(), [this](TSingleEventListener*) { ++Repaints; }, false);
    }
    ~TOwner() override {
        Tree.reset(); // the tree goes before the grid cell whose rows it uses
        fRepaint.reset();
        Root.reset();
    }

    TAxisContentList* Rows() const { return Root->AxisContentListY(); }
    int Fixed() const { return Root->FixedRows(); }
    TxoDataList* Roots() const { return Tree->RootDataEntities(); }
    // The node of the row at an axis index (loading the row).
    TNode* NodeAt(int theRow) const {
        TAxisContentItem* item = Rows()->getAxisContentItem(theRow);
        return item ? AsNode(item->Value2()) : nullptr;
    }
    // A layout pass of theRows rows from the scroll position theTop.
    void Layout(int theTop, int theRows) {
        Root->SetTop(theTop);
        Root->CalcVisibleArea(TRect(0, 0, 100, theRows * kRowHeight));
    }
    int Count(TIntegrationEventKind theKind) const {
        int n = 0;
        for (const auto& e : Events)
            if (e.first == theKind) ++n;
        return n;
    }
    // Events of that kind for entities whose UserIntegerReference was theId.
    int Count(TIntegrationEventKind theKind, int theId) const {
        int n = 0;
        for (size_t k = 0; k < Events.size(); ++k)
            if (Events[k].first == theKind && EventIds[k] == theId) ++n;
        return n;
    }
    void ClearEvents() {
        Events.clear();
        EventIds.clear();
    }

private:
    std::unique_ptr<TSingleEventListener> fRepaint;
};

// The loaded nodes of a list and their loaded descendants, depth first.
inline void Walk(TxoDataList* theList, std::vector<TNode*>& theOut) {
    if (!theList) return;
    for (int p = 0; p < theList->LoadedCount(); ++p) {
        TNode* n = AsNode(theList->GetLoaded(p));
        theOut.push_back(n);
        if (n->SubDataListCount() > 0) Walk(n->SubDataList(), theOut);
    }
}

inline bool ShownByWalk(TNode* n) {
    for (; n; n = n->ParentNode()) {
        if (n->HideNode()) return false;
        if (n->ParentNode() && !n->ParentNode()->Expanded()) return false;
    }
    return true;
}

// Empty when the rows agree with the tree, else the first disagreement: the loaded window of the
// row axis holds, after the fixed rows, exactly the rows of the roots that have rows and of all
// their loaded descendants, in depth-first order, each bound both ways and hidden exactly when
// its node is not shown; roots without rows have no loaded descendants; the unloaded rows in front
// of and behind the window are the roots before and after.
inline std::string Verify(TOwner& theOwner) {
    std::ostringstream err;
    TxoGridTree* tree = theOwner.Tree.get();
    TAxisContentList* Y = theOwner.Rows();
    TxoDataList* roots = tree->RootDataEntities();
    const int F = Y->FixedItems(), P = Y->UnloadedPreCount(), Q = Y->UnloadedPostCount(),
              L = Y->LoadedCount();
    std::vector<TNode*> expected;
    int firstRowed = -1, lastRowed = -1;
    for (int p = 0; p < roots->LoadedCount(); ++p) {
        TNode* r = AsNode(roots->GetLoaded(p));
        const int index = r->ListIndex();
        if (r->Level() != 0) return "a root has a level";
        if (r->AxisContentItem()) {
            if (lastRowed >= 0 && index != lastRowed + 1) {
                err << "roots with rows are not consecutive: " << lastRowed << " then " << index;
                return err.str();
            }
            if (firstRowed < 0) firstRowed = index;
            lastRowed = index;
            expected.push_back(r);
            if (r->SubDataListCount() > 0) Walk(r->SubDataList(), expected);
        } else if (r->SubDataListCount() > 0 && r->SubDataList()->LoadedCount() > 0) {
            err << "root " << index << " has no row but loaded children";
            return err.str();
        }
    }
    if (L - F != int(expected.size())) {
        err << "loaded rows " << L - F << ", nodes with rows expected " << expected.size();
        return err.str();
    }
    int hidden = 0;
    for (int k = 0; k < int(expected.size()); ++k) {
        TAxisContentItem* row = Y->getLoadedAxisContentItem(F + k);
        TNode* n = expected[size_t(k)];
        if (row->Value2() != n || n->AxisContentItem() != row) {
            err << "row " << row->ListIndex() << " is not bound to node " << k << " of the walk";
            return err.str();
        }
        const bool shown = ShownByWalk(n);
        if (row->Hide() != !shown || n->IsVisible() != shown || n->Visible() != shown) {
            err << "row " << row->ListIndex() << ": hide " << row->Hide() << ", shown " << shown
                << ", visible " << n->Visible();
            return err.str();
        }
        if (row->Hide()) ++hidden;
        int level = 0;
        for (TNode* a = n->ParentNode(); a; a = a->ParentNode())
            ++level;
        if (n->Level() != level) return "wrong level";
    }
    if (Y->HiddenRowCount() != hidden) {
        err << "hidden rows " << Y->HiddenRowCount() << ", expected " << hidden;
        return err.str();
    }
    if (firstRowed >= 0) {
        if (P != firstRowed || Q != roots->Count() - 1 - lastRowed) {
            err << "unloaded rows " << P << " + " << Q << ", roots before and after the window " << firstRowed
                << " + " << roots->Count() - 1 - lastRowed;
            return err.str();
        }
    } else if (P + Q != roots->Count()) {
        err << "unloaded rows " << P + Q << " for " << roots->Count() << " roots without rows";
        return err.str();
    }
    return "";
}

} // namespace gridtreetest
