// Mirroring the entities into the native tree: the lazy rebuild, the synchronisation of one
// entity with its node, the deletion queue, the ordering pass and the automatic expansion.
#include "tree/xoTree.h"

#include <deque>

namespace {
const char* const kPlaceholderText = "Not initiated";
} // namespace

void TxoTree_ComBasic::DisplayOutOfDate() {
    fDisplayOutOfDate = true;
    if (fUpdating) fChangedWhileUpdating = true;
    RequestRepaint();
}

void TxoTree_ComBasic::EnsureDisplayUpToDate() {
    if (!fDisplayOutOfDate || fUpdating || fExpanding) return;
    fDisplayOutOfDate = false;
    fChangedWhileUpdating = false;
    if (fRealoadOfTreeNodesDetected) {
        // Nodes that the control did not make: start the mirror afresh.
        fRealoadOfTreeNodesDetected = false;
        Items()->Clear();
    }
    auto alive = fAlive;
    UpdateDisplay();
    if (!*alive) return;
    ++fUpdateDisplayCount;
    // Entities changed by handlers while the display was updated are shown at the next paint.
    fDisplayOutOfDate = fChangedWhileUpdating;
    fChangedWhileUpdating = false;
    if (fDisplayOutOfDate) Invalidate();
    HandleAutoExpand();
}

// ---- One pass -------------------------------------------------------------------------------
void TxoTree_ComBasic::UpdateDisplay() {
    if (ComponentState().Contains(csDestroying) || !fRootDataList) return;
    fUpdating = true;
    fUpdating_Selected = Selected();
    fUpdating_TopItem = TCustomTreeView::TopItem();
    fScrollInfo_Before = TScrollInfo();
    fScrollInfo_Before.fMask = SIF_POS;
    const bool haveHorz = HandleAllocated() && GetScrollInfo(Handle(), SB_HORZ, &fScrollInfo_Before);
    auto alive = fAlive;
    auto restore = [this, &alive, haveHorz] {
        if (!*alive) return;
        // A remembered node that ended up inside a collapsed parent stays where the collapse
        // put the selection: restoring it would expand the parent again.
        TTreeNode* sel = fUpdating_Selected;
        if (sel != Selected() && (!sel || sel->IsVisible())) TCustomTreeView::SetSelected(sel);
        if (!*alive) return;
        TTreeNode* top = fUpdating_TopItem;
        if (top && top->IsVisible()) TCustomTreeView::SetTopItem(top);
        if (haveHorz && fScrollInfo_Before.nPos >= 0) {
            fScrollInfo_After = TScrollInfo();
            fScrollInfo_After.fMask = SIF_POS;
            GetScrollInfo(Handle(), SB_HORZ, &fScrollInfo_After);
            if (fScrollInfo_After.nPos != fScrollInfo_Before.nPos)
                SetScrollInfo(Handle(), SB_HORZ, fScrollInfo_Before, false);
        }
    };
    struct Done {
        TxoTree_ComBasic* t;
        std::shared_ptr<bool> alive;
        ~Done() {
            if (!*alive) return;
            t->fUpdating_Selected = nullptr;
            t->fUpdating_TopItem = nullptr;
            t->fUpdating = false;
        }
    } done{this, alive};
    // The guard ends the native update (if one began) after the restoring.
    TxoBeginUpdate guard([this] { Items()->BeginUpdate(); },
                         [this, alive] {
                             if (*alive) Items()->EndUpdate();
                         });
    try {
        SyncAll(guard);
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
}

void TxoTree_ComBasic::SyncAll(TxoBeginUpdate& guard) {
    auto alive = fAlive;
    // Every entity with its node, top-down, roots first.
    // The lists walked are the tree's own, so their entities are TxoDataEntity_Tree.
    struct Frame {
        xo::TWatch<TxoDataList> list;
        int pos = 0;
        bool visible; // the nodes of this list's entities are visible natively
        Frame(TxoDataList* l, bool v) : list(l), visible(v) {}
    };
    std::deque<Frame> stack;
    stack.emplace_back(fRootDataList, true);
    while (!stack.empty() && *alive) {
        Frame& f = stack.back();
        TxoDataList* list = f.list.Get();
        if (!list || f.pos >= list->LoadedCount()) {
            stack.pop_back();
            continue;
        }
        const bool visible = f.visible;
        auto* e = static_cast<TxoDataEntity_Tree*>(list->GetLoaded(f.pos++));
        bool childrenVisible = false;
        TxoDataList_Tree* children = SyncEntity(e, visible, guard, childrenVisible);
        if (children && *alive) stack.emplace_back(children, childrenVisible);
    }
    if (!*alive) return;

    // The queued nodes, one by one; each takes itself out of the queue as it goes.
    while (!fListOfTreeNodesToDelete.empty() && *alive) {
        TTreeNode_xoSub* n = fListOfTreeNodesToDelete.back();
        if (n == fUpdating_Selected) fUpdating_Selected = nullptr;
        if (n == fUpdating_TopItem) fUpdating_TopItem = nullptr;
        if (n->Deleting()) {
            Dequeue(n);
            continue;
        }
        guard.Mark();
        n->Delete();
    }
    if (!*alive) return;
    SortPass(guard);
}

// Brings one entity's node in line with the entity; answers the list of children to walk
// next (none when the node's children wait behind a placeholder, or the entity is hidden).
TxoDataList_Tree* TxoTree_ComBasic::SyncEntity(TxoDataEntity_Tree* E, bool aNodeVisible,
                                               TxoBeginUpdate& aGuard, bool& aChildrenVisible) {
    TTreeNode* N = E->fTreeNode;
    if (E->fHideNode) {
        if (N || E->fExpanderSubNode) {
            aGuard.Mark();
            CleanTreeNode(E);
        }
        return nullptr;
    }
    TxoDataEntity_Tree* P = static_cast<TxoDataList_Tree*>(E->OwningDataList())->fOwningDataEntity;
    TTreeNode* parentNode = P ? P->fTreeNode : nullptr;
    if (P && !parentNode) return nullptr; // the parent is not shown
    xo::TWatch<TxoDataEntity> alive(E);
    if (!N) {
        aGuard.Mark();
        if (P && P->fExpanderSubNode) {
            // The parent's placeholder becomes the first child's node.
            N = P->fExpanderSubNode;
            P->fExpanderSubNode = nullptr;
            static_cast<TTreeNode_xoSub*>(N)->fxoPlaceholderOf = nullptr;
        } else {
            N = Items()->AddChildObject(parentNode, E->fText, E);
            Bind(E, N);
            // Appended: the ordering pass puts it among its siblings.
            static_cast<TxoDataList_Tree*>(E->OwningDataList())->fNeedsSort = true;
            if (P && P->fExpanded && !parentNode->Expanded()) {
                xo::TWatch<TxoDataEntity> parentAlive(P);
                parentNode->SetExpanded(true);
                if (!alive || !parentAlive || E->fTreeNode != N || P->fTreeNode != parentNode) return nullptr;
            }
        }
        if (E->ChildCount() == 0 && !E->fExpanderSubNode && NeedsDummyNode(E) &&
            (fMaxLevels == -1 || N->Level() < fMaxLevels - 1)) {
            TTreeNode* ph = Items()->AddChildObject(N, kPlaceholderText, nullptr);
            static_cast<TTreeNode_xoSub*>(ph)->fxoPlaceholderOf = E;
            E->fExpanderSubNode = ph;
        }
    } else if (N->Parent() != parentNode) {
        // A node left behind by a change the control did not follow: under its owner again.
        aGuard.Mark();
        N->MoveTo(parentNode, naAddChild);
        if (auto* own = dynamic_cast<TxoDataList_Tree*>(E->OwningDataList())) own->fNeedsSort = true;
    }
    Bind(E, N);
    if (N->Text() != E->fText) {
        aGuard.Mark();
        N->SetText(E->fText);
    }
    if (N->ImageIndex() != E->fImageIndex) {
        aGuard.Mark();
        N->SetImageIndex(E->fImageIndex);
    }
    if (N->SelectedIndex() != E->fSelectedIndex) {
        aGuard.Mark();
        N->SetSelectedIndex(E->fSelectedIndex);
    }
    if (N->Expanded() != E->fExpanded) {
        aGuard.Mark();
        N->SetExpanded(E->fExpanded);
        if (!alive || E->fTreeNode != N) return nullptr;
    }
    aChildrenVisible = aNodeVisible && N->Expanded();
    if (aNodeVisible || !E->fExpanderSubNode) return E->fSubDataList;
    return nullptr;
}

void TxoTree_ComBasic::Bind(TxoDataEntity_Tree* E, TTreeNode* N) {
    auto* x = static_cast<TTreeNode_xoSub*>(N);
    if (E->fTreeNode && E->fTreeNode != N) {
        auto* old = static_cast<TTreeNode_xoSub*>(E->fTreeNode);
        if (old->fxoEntity == E) old->fxoEntity = nullptr;
    }
    if (x->fxoEntity && x->fxoEntity != E && x->fxoEntity->fTreeNode == N) x->fxoEntity->fTreeNode = nullptr;
    E->fTreeNode = N;
    x->fxoEntity = E;
    if (N->Data() != E) N->SetData(E);
}

// ---- The deletion queue ---------------------------------------------------------------------
void TxoTree_ComBasic::CleanTreeNode(TxoDataEntity_Tree* theDataEntity) {
    std::vector<TxoDataEntity_Tree*> todo{theDataEntity};
    while (!todo.empty()) {
        TxoDataEntity_Tree* e = todo.back();
        todo.pop_back();
        if (e->fTreeNode) RemoveNode(e->fTreeNode);
        if (e->fExpanderSubNode) RemoveNode(e->fExpanderSubNode);
        if (TxoDataList_Tree* sub = e->fSubDataList)
            for (int i = 0; i < sub->LoadedCount(); ++i)
                todo.push_back(static_cast<TxoDataEntity_Tree*>(sub->GetLoaded(i)));
    }
}

void TxoTree_ComBasic::RemoveNode(TTreeNode* theNode) {
    auto* x = static_cast<TTreeNode_xoSub*>(theNode);
    if (x->fxoQueueIndex < 0 && !x->fxoDeleting && !x->Deleting()) {
        x->fxoQueueIndex = int(fListOfTreeNodesToDelete.size());
        fListOfTreeNodesToDelete.push_back(x);
    }
    theNode->SetData(nullptr);
    if (TxoDataEntity_Tree* e = x->fxoEntity) {
        if (e->fTreeNode == theNode) e->fTreeNode = nullptr;
        x->fxoEntity = nullptr;
    }
    if (TxoDataEntity_Tree* e = x->fxoPlaceholderOf) {
        if (e->fExpanderSubNode == theNode) e->fExpanderSubNode = nullptr;
        x->fxoPlaceholderOf = nullptr;
    }
}

void TxoTree_ComBasic::Dequeue(TTreeNode_xoSub* theNode) {
    int i = theNode->fxoQueueIndex;
    if (i < 0 || i >= int(fListOfTreeNodesToDelete.size()) || fListOfTreeNodesToDelete[size_t(i)] != theNode)
        return;
    TTreeNode_xoSub* last = fListOfTreeNodesToDelete.back();
    fListOfTreeNodesToDelete[size_t(i)] = last;
    last->fxoQueueIndex = i;
    fListOfTreeNodesToDelete.pop_back();
    theNode->fxoQueueIndex = -1;
}

void TxoTree_ComBasic::NodeGone(TTreeNode_xoSub* theNode) {
    if (fAnchor == theNode) fAnchor = nullptr;
    if (fEditNode == theNode) fEditNode = nullptr;
    if (fLastSelectedItem == theNode) fLastSelectedItem = nullptr;
    if (fUpdating_Selected == theNode) fUpdating_Selected = nullptr;
    if (fUpdating_TopItem == theNode) fUpdating_TopItem = nullptr;
    if (ComponentState().Contains(csDestroying)) {
        theNode->fxoQueueIndex = -1;
        return;
    }
    theNode->SetData(nullptr);
    Dequeue(theNode);
}

// ---- Ordering -------------------------------------------------------------------------------
void TxoTree_ComBasic::SortPass(TxoBeginUpdate& aGuard) {
    TxoDataList2lev* lists = fListOfDataListListInstances;
    if (!lists) return;
    auto key = [this](TTreeNode* n) {
        TxoDataEntity_Tree* e = GetDataEntityFromNode(n);
        return e ? e->ListIndex() : -1;
    };
    // Children before their parents: the lists were made top-down.
    for (int i = lists->Count() - 1; i >= 0; --i) {
        auto* l = dynamic_cast<TxoDataList_Tree*>(lists->Items(i));
        if (!l || !l->fNeedsSort) continue;
        l->fNeedsSort = false;
        if (l->Count() == 0) continue;
        TxoDataEntity_Tree* owner = l->fOwningDataEntity;
        if (owner && !owner->fTreeNode) continue;
        TTreeNode* first = owner ? owner->fTreeNode->getFirstChild() : Items()->GetFirstNode();
        bool inOrder = true;
        int previous = -2;
        for (TTreeNode* n = first; n && inOrder; n = n->GetNextSibling()) {
            int k = key(n);
            inOrder = k >= previous;
            previous = k;
        }
        if (inOrder) continue;
        aGuard.Mark();
        auto byIndex = [&key](TTreeNode* a, TTreeNode* b) { return key(a) - key(b); };
        if (owner)
            owner->fTreeNode->CustomSort(byIndex, false);
        else
            Items()->CustomSort(byIndex, false);
    }
}

// ---- Automatic expansion --------------------------------------------------------------------
void TxoTree_ComBasic::HandleAutoExpand() {
    if (fAutoExpandLevels <= 0 || !fListOfDataListListInstances) return;
    auto alive = fAlive;
    try {
        ++fAutoExpanding;
        ExpandToLevels();
        if (*alive) --fAutoExpanding;
    } catch (...) {
        if (*alive) {
            --fAutoExpanding;
            try {
                EnsureDisplayUpToDate();
            } catch (...) {
            }
        }
        throw;
    }
    if (*alive) EnsureDisplayUpToDate();
}

void TxoTree_ComBasic::ExpandToLevels() {
    auto alive = fAlive;
    xo::TWatch<TxoDataList2lev> lists(fListOfDataListListInstances);
    for (int li = 0; lists && li < lists->Count(); ++li) {
        xo::TWatch<TxoDataList> list(lists->Items(li));
        auto* tl = dynamic_cast<TxoDataList_Tree*>(list.Get());
        if (!tl) continue;
        // The level of a list's entities: one below its owner.
        int level = tl->fOwningDataEntity ? tl->fOwningDataEntity->Level() + 1 : 0;
        if (level >= fAutoExpandLevels) continue;
        for (int i = 0; list && i < list->LoadedCount(); ++i) {
            auto* e = dynamic_cast<TxoDataEntity_Tree*>(list->GetLoaded(i));
            if (e && !e->fExpanded && e->GetVisible()) PerformAutoExpandItem(e);
            if (!*alive) return;
        }
    }
}

void TxoTree_ComBasic::PerformAutoExpandItem(TxoDataEntity_Tree* theDataEntity) {
    theDataEntity->SetExpanded(true);
}

void TxoTree_ComBasic::ExpandLevels(int levels) {
    int saved = fAutoExpandLevels;
    fAutoExpandLevels = levels;
    struct Restore {
        int& v;
        int saved;
        ~Restore() { v = saved; }
    } restore{fAutoExpandLevels, saved};
    HandleAutoExpand();
}
