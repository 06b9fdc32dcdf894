// Tree nodes and the node collection: links, walks, caches of indexes, moving and sorting.
// Children are doubly linked lists, so that adding, deleting and moving cost the same
// anywhere; indexes are cached and renumbered once after a change.
#include "platform/internal/plComCtrlsGlue.h"
#include "platform/plComCtrls.h"

#include <algorithm>
#include <cctype>

namespace {
unsigned gStampCounter = 1;
unsigned NextStamp() {
    if (++gStampCounter == 0) ++gStampCounter; // 0 means "never numbered"
    return gStampCounter;
}
} // namespace

// ---- TTreeNode ------------------------------------------------------------------------------
TTreeNode::TTreeNode(TTreeNodes* AOwner) : fOwner(AOwner) {}

TTreeNode::~TTreeNode() {
    if (!fDeleting) MarkSubtreeDeleting();
    TCustomTreeView* tv = TreeView();
    const bool wasInTree = fLinked;
    if (fLinked) {
        Unlink();
        --fOwner->fCount;
        fOwner->StructureChanged();
    }
    // The children, deepest first, without recursion (trees may be deep).
    for (TTreeNode* n = fChildren.last; n;) {
        if (n->fChildren.last) {
            n = n->fChildren.last;
            continue;
        }
        TTreeNode* p = n->fParent;
        delete n;
        n = p == this ? fChildren.last : p;
    }
    // A node that never joined the tree (refused when it was made) reports nothing.
    if (tv && wasInTree) tv->NodeDestroying(this);
}

TCustomTreeView* TTreeNode::TreeView() const {
    return fOwner ? fOwner->Owner() : nullptr;
}

TTreeNode::TChildren& TTreeNode::SiblingList() const {
    return fParent ? fParent->fChildren : fOwner->fRoots;
}

void TTreeNode::Unlink() {
    TChildren& list = SiblingList();
    if (fPrev)
        fPrev->fNext = fNext;
    else
        list.first = fNext;
    if (fNext)
        fNext->fPrev = fPrev;
    else
        list.last = fPrev;
    --list.count;
    list.stamp = NextStamp();
    fPrev = fNext = nullptr;
    fLinked = false;
}

void TTreeNode::LinkBefore(TTreeNode* aParent, TTreeNode* aNext) {
    fParent = aParent;
    TChildren& list = SiblingList();
    fNext = aNext;
    fPrev = aNext ? aNext->fPrev : list.last;
    if (fPrev)
        fPrev->fNext = this;
    else
        list.first = this;
    if (aNext)
        aNext->fPrev = this;
    else
        list.last = this;
    ++list.count;
    list.stamp = NextStamp();
    fLinked = true;
}

void TTreeNode::MarkSubtreeDeleting() {
    fDeleting = true;
    for (TTreeNode* n = fChildren.first; n && n != this;) {
        n->fDeleting = true;
        if (n->fChildren.first) {
            n = n->fChildren.first;
            continue;
        }
        while (n != this && !n->fNext)
            n = n->fParent;
        if (n != this) n = n->fNext;
    }
}

void TTreeNode::Changed(bool aResize) {
    if (TCustomTreeView* tv = TreeView()) {
        if (aResize) tv->InvalidateExtent();
        tv->NeedRepaint();
    }
}

void TTreeNode::SetText(const String& Value) {
    if (Value != fText) {
        fText = Value;
        fTextWidth = -1;
        Changed(true);
    } else {
        Changed(false);
    }
}

void TTreeNode::SetImageIndex(int Value) {
    if (Value == fImageIndex) return;
    fImageIndex = Value;
    Changed(false);
}

void TTreeNode::SetSelectedIndex(int Value) {
    if (Value == fSelectedIndex) return;
    fSelectedIndex = Value;
    Changed(false);
}

void TTreeNode::SetStateIndex(int Value) {
    if (Value == fStateIndex) return;
    fStateIndex = Value;
    Changed(false);
}

void TTreeNode::SetExpanded(bool Value) {
    if (TCustomTreeView* tv = TreeView())
        tv->DoExpand(this, Value);
    else
        fExpanded = Value;
}

void TTreeNode::Expand(bool Recurse) {
    SetExpanded(true);
    if (!Recurse) return;
    TCustomTreeView* tv = TreeView();
    if (!tv) return;
    xo::TNodeWatch self(xo::TTreeViewAccess::Impl(tv), this);
    for (xo::TNodeWatch child(xo::TTreeViewAccess::Impl(tv), fChildren.first); self && child;) {
        child.Get()->Expand(true);
        // A handler that deleted the child ends the walk (its siblings are not known any more).
        TTreeNode* next = child ? child.Get()->fNext : nullptr;
        child.Set(next);
    }
}

void TTreeNode::Collapse(bool Recurse) {
    TCustomTreeView* tv = TreeView();
    if (Recurse && tv) {
        xo::TNodeWatch self(xo::TTreeViewAccess::Impl(tv), this);
        for (xo::TNodeWatch child(xo::TTreeViewAccess::Impl(tv), fChildren.first); self && child;) {
            child.Get()->Collapse(true);
            TTreeNode* next = child ? child.Get()->fNext : nullptr;
            child.Set(next);
        }
        if (!self) return;
    }
    SetExpanded(false);
}

void TTreeNode::SetHasChildren(bool Value) {
    if (Value == fHasChildren) return;
    fHasChildren = Value;
    Changed(false);
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* p = fParent; p; p = p->fParent)
        ++level;
    return level;
}

int TTreeNode::Index() const {
    if (!fLinked) return -1;
    const TChildren& list = SiblingList();
    if (fIndexStamp != list.stamp) {
        int i = 0;
        for (TTreeNode* n = list.first; n; n = n->fNext) {
            n->fIndex = i++;
            n->fIndexStamp = list.stamp;
        }
    }
    return fIndex;
}

TTreeNode* TTreeNode::Item(int Index) const {
    if (Index < 0 || Index >= fChildren.count) return nullptr;
    if (Index < fChildren.count / 2) {
        TTreeNode* n = fChildren.first;
        while (Index-- > 0)
            n = n->fNext;
        return n;
    }
    TTreeNode* n = fChildren.last;
    for (int i = fChildren.count - 1; i > Index; --i)
        n = n->fPrev;
    return n;
}

TTreeNode* TTreeNode::GetNext() const {
    if (fChildren.first) return fChildren.first;
    for (const TTreeNode* n = this; n; n = n->fParent)
        if (n->fNext) return n->fNext;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    if (fPrev) {
        TTreeNode* n = fPrev;
        while (n->fChildren.last)
            n = n->fChildren.last;
        return n;
    }
    return fParent;
}

TTreeNode* TTreeNode::GetNextVisible() const {
    if (!IsVisible()) return nullptr;
    if (fExpanded && fChildren.first) return fChildren.first;
    for (const TTreeNode* n = this; n; n = n->fParent)
        if (n->fNext) return n->fNext;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
    if (!IsVisible()) return nullptr;
    if (fPrev) {
        TTreeNode* n = fPrev;
        while (n->fExpanded && n->fChildren.last)
            n = n->fChildren.last;
        return n;
    }
    return fParent;
}

int TTreeNode::AbsoluteIndex() const {
    if (!fLinked) return -1;
    fOwner->EnsureAbsolute();
    return fAbsIndex;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const {
    if (!Value) return false;
    for (const TTreeNode* p = fParent; p; p = p->fParent)
        if (p == Value) return true;
    return false;
}

bool TTreeNode::IsVisible() const {
    if (!fLinked) return false;
    for (const TTreeNode* p = fParent; p; p = p->fParent)
        if (!p->fExpanded || !p->fLinked) return false;
    return true;
}

bool TTreeNode::Selected() const {
    TCustomTreeView* tv = TreeView();
    return tv && tv->Selected() == this;
}

void TTreeNode::SetSelected(bool Value) {
    TCustomTreeView* tv = TreeView();
    if (!tv) return;
    if (Value)
        tv->SetSelected(this);
    else if (tv->Selected() == this)
        tv->SetSelected(nullptr);
}

bool TTreeNode::Focused() const {
    TCustomTreeView* tv = TreeView();
    return tv && tv->Selected() == this && tv->Focused();
}

void TTreeNode::Delete() {
    if (fDeleting) return;
    MarkSubtreeDeleting();
    delete this;
}

void TTreeNode::DeleteChildren() {
    while (fChildren.last && !fChildren.last->fDeleting)
        fChildren.last->Delete();
}

void TTreeNode::MoveTo(TTreeNode* Destination, TNodeAttachMode Mode) {
    if (fDeleting || !fLinked) return;
    if (Destination && (Destination->fDeleting || !Destination->fLinked || Destination->fOwner != fOwner ||
                        Destination == this || Destination->HasAsParent(this)))
        return;
    TTreeNode* parent = nullptr;
    TTreeNode* next = nullptr;
    switch (Mode) {
    case naAdd:
        parent = Destination ? Destination->fParent : nullptr;
        break;
    case naAddFirst:
        parent = Destination ? Destination->fParent : nullptr;
        next = parent ? parent->fChildren.first : fOwner->fRoots.first;
        break;
    case naAddChild:
        parent = Destination;
        break;
    case naAddChildFirst:
        parent = Destination;
        next = parent ? parent->fChildren.first : fOwner->fRoots.first;
        break;
    case naInsert:
        parent = Destination ? Destination->fParent : nullptr;
        next = Destination;
        break;
    }
    if (next == this) next = fNext; // already in place
    if (parent == fParent && next == fNext) return;
    Unlink();
    LinkBefore(parent, next);
    fOwner->StructureChanged();
}

void TTreeNode::MakeVisible() {
    TCustomTreeView* tv = TreeView();
    if (!tv || !fLinked) return;
    xo::TNodeWatch self(xo::TTreeViewAccess::Impl(tv), this);
    // Top-down, so that each expansion can show the next level.
    std::vector<TTreeNode*> ancestors;
    for (TTreeNode* p = fParent; p; p = p->fParent)
        ancestors.push_back(p);
    for (auto it = ancestors.rbegin(); it != ancestors.rend() && self; ++it) {
        xo::TNodeWatch a(xo::TTreeViewAccess::Impl(tv), *it);
        if (a && !a.Get()->fExpanded) a.Get()->SetExpanded(true);
    }
    if (self) tv->ScrollIntoView(this);
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
    TCustomTreeView* tv = TreeView();
    if (!tv || !IsVisible()) return TRect();
    auto* self = const_cast<TTreeNode*>(this);
    int row = tv->RowOf(self);
    if (row < 0) return TRect();
    int h = tv->ItemHeight();
    int top = (row - tv->fTopRow) * h;
    if (!TextOnly) return TRect(0, top, tv->fClientWidth, top + h);
    TCustomTreeView::TRowGeometry g = tv->GeometryOf(self);
    return TRect(g.textLeft, top, g.textRight, top + h);
}

bool TTreeNode::EditText() {
    TCustomTreeView* tv = TreeView();
    return tv && tv->BeginEdit(this);
}

void TTreeNode::EndEdit(bool Cancel) {
    TCustomTreeView* tv = TreeView();
    if (tv && tv->fEditNode == this) tv->FinishEdit(Cancel);
}

namespace {
// A stable merge sort that stays within bounds whatever the comparison answers: an
// application's comparison need not be a strict weak order.
template <class Less> void SafeStableSort(std::vector<TTreeNode*>& a, Less less) {
    const size_t n = a.size();
    std::vector<TTreeNode*> buf(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buf[k++] = less(a[j], a[i]) ? a[j++] : a[i++];
            while (i < mid)
                buf[k++] = a[i++];
            while (j < hi)
                buf[k++] = a[j++];
        }
        a.swap(buf);
    }
}

int CompareTextNoCase(const String& a, const String& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
} // namespace

bool TTreeNode::SortChildren(TChildren& aList, const TTVCompare& aProc, std::vector<TTreeNode*>& aSorted) {
    std::vector<TTreeNode*> nodes;
    nodes.reserve(size_t(aList.count));
    for (TTreeNode* n = aList.first; n; n = n->fNext)
        nodes.push_back(n);
    aSorted = nodes;
    SafeStableSort(aSorted, [&aProc](TTreeNode* a, TTreeNode* b) { return aProc(a, b) < 0; });
    if (aSorted == nodes) return false;
    TTreeNode* prev = nullptr;
    for (TTreeNode* n : aSorted) {
        n->fPrev = prev;
        if (prev) prev->fNext = n;
        prev = n;
    }
    if (prev) prev->fNext = nullptr;
    aList.first = aSorted.empty() ? nullptr : aSorted.front();
    aList.last = prev;
    aList.stamp = NextStamp();
    return true;
}

bool TTreeNode::CustomSort(const TTVCompare& SortProc, bool Recurse) {
    if (!SortProc || fDeleting) return false;
    std::vector<TTreeNode*> sorted;
    if (SortChildren(fChildren, SortProc, sorted)) fOwner->StructureChanged();
    TCustomTreeView* tv = TreeView();
    if (Recurse && tv) {
        for (TTreeNode* n : sorted) {
            xo::TNodeWatch child(xo::TTreeViewAccess::Impl(tv), n);
            if (child) child.Get()->CustomSort(SortProc, true);
        }
    }
    return true;
}

bool TTreeNode::AlphaSort(bool Recurse) {
    return CustomSort([](TTreeNode* a, TTreeNode* b) { return CompareTextNoCase(a->Text(), b->Text()); },
                      Recurse);
}

// ---- TTreeNodes -----------------------------------------------------------------------------
TTreeNodes::TTreeNodes(TCustomTreeView* AOwner) : fOwner(AOwner) {}

TTreeNodes::~TTreeNodes() {
    Clear();
}

TTreeNode* TTreeNodes::Item(int Index) const {
    if (Index < 0 || Index >= fCount) return nullptr;
    EnsureAbsolute();
    return fAbsolute[size_t(Index)];
}

void TTreeNodes::EnsureAbsolute() const {
    if (fAbsoluteValid) return;
    fAbsolute.clear();
    fAbsolute.reserve(size_t(fCount));
    for (TTreeNode* n = fRoots.first; n; n = n->GetNext()) {
        n->fAbsIndex = int(fAbsolute.size());
        fAbsolute.push_back(n);
    }
    fAbsoluteValid = true;
}

void TTreeNodes::StructureChanged() {
    fAbsoluteValid = false;
    if (fOwner) fOwner->InvalidateRows();
}

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* aParent, TTreeNode* aNext, const String& S, void* Ptr) {
    if (aParent && aParent->fOwner != this) throw Exception("The node belongs to another tree view");
    if (aParent && (aParent->fDeleting || !aParent->fLinked))
        throw Exception("Cannot add a node to a node that is being deleted");
    TTreeNode* n = fOwner ? fOwner->CreateNode() : new TTreeNode(this);
    if (!n) throw Exception("The tree view created no node");
    if (n->fOwner != this) {
        delete n;
        throw Exception("The tree view created a node of another tree");
    }
    n->fText = S;
    n->fData = Ptr;
    n->LinkBefore(aParent, aNext);
    ++fCount;
    StructureChanged();
    return n;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const String& S, void* Ptr) {
    return InternalAdd(Sibling ? Sibling->fParent : nullptr, nullptr, S, Ptr);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const String& S, void* Ptr) {
    TTreeNode* parent = Sibling ? Sibling->fParent : nullptr;
    return InternalAdd(parent, parent ? parent->fChildren.first : fRoots.first, S, Ptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const String& S, void* Ptr) {
    return InternalAdd(Parent, nullptr, S, Ptr);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const String& S, void* Ptr) {
    return InternalAdd(Parent, Parent ? Parent->fChildren.first : fRoots.first, S, Ptr);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const String& S, void* Ptr) {
    if (Sibling && (Sibling->fDeleting || !Sibling->fLinked))
        throw Exception("Cannot insert next to a node that is being deleted");
    return InternalAdd(Sibling ? Sibling->fParent : nullptr, Sibling, S, Ptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (Node && Node->fOwner == this) Node->Delete();
}

void TTreeNodes::Clear() {
    if (!fRoots.first) return;
    BeginUpdate();
    while (TTreeNode* r = fRoots.last) {
        if (r->fDeleting) break;
        r->Delete();
    }
    EndUpdate();
}

void TTreeNodes::BeginUpdate() {
    ++fUpdateCount;
}

void TTreeNodes::EndUpdate() {
    if (fUpdateCount <= 0) return;
    if (--fUpdateCount == 0 && fOwner) fOwner->NeedRepaint();
}

bool TTreeNodes::CustomSort(const TTVCompare& SortProc, bool Recurse) {
    if (!SortProc) return false;
    std::vector<TTreeNode*> sorted;
    if (TTreeNode::SortChildren(fRoots, SortProc, sorted)) StructureChanged();
    if (Recurse && fOwner) {
        for (TTreeNode* n : sorted) {
            xo::TNodeWatch child(xo::TTreeViewAccess::Impl(fOwner), n);
            if (child) child.Get()->CustomSort(SortProc, true);
        }
    }
    return true;
}

bool TTreeNodes::AlphaSort(bool Recurse) {
    return CustomSort([](TTreeNode* a, TTreeNode* b) { return CompareTextNoCase(a->Text(), b->Text()); },
                      Recurse);
}
