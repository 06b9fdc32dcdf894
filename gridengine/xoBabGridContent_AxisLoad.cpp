// Virtual loading of an axis: the demand loader with its window jump, loading through the
// viewer's load callback, and unloading from both ends of the window after a layout pass.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

namespace {
// Raises a counter for the life of a scope, whatever way the scope is left.
struct TNestingGuard {
    int& fCount;
    explicit TNestingGuard(int& aCount) : fCount(aCount) { ++fCount; }
    ~TNestingGuard() { --fCount; }
    TNestingGuard(const TNestingGuard&) = delete;
    TNestingGuard& operator=(const TNestingGuard&) = delete;
};
} // namespace

bool TAxisContentList::RangeToLoad(int i, int& start, int& stop, bool& inFront) const {
    const int F = fFixedItems, P = fUnloadedPreCount, L = LoadedCount();
    if (i >= F && i < F + P) {
        start = i;
        stop = F + P - 1;
        inFront = true;
        return true;
    }
    if (i >= P + L && i >= F) {
        start = P + L;
        stop = i;
        inFront = false;
        return true;
    }
    return false;
}

TAxisContentItem* TAxisContentList::EnsureLoadedItem(int i) {
    return EnsureLoaded(i, true);
}

// Returns item i (none below the fixed items or out of range), loading it and every item
// between it and the window. When that would take the window past MaxLoadWindow and jumps are
// allowed, everything that may go is unloaded first and the window restarts at i.
TAxisContentItem* TAxisContentList::EnsureLoaded(int i, bool allowJump) {
    if (i < fFixedItems || i >= Count()) return nullptr;
    int start = 0, stop = 0;
    bool inFront = false;
    if (RangeToLoad(i, start, stop, inFront)) {
        if (allowJump && (stop - start) + LoadedCount() > MaxLoadWindow) {
            UnloadAll();
            if (i >= Count()) i = Count() - 1; // items that refused to stay may have left the axis
            if (i < fFixedItems) return nullptr;
            if (LoadedCount() <= fFixedItems) {
                // The window is empty: re-base it on i. The pre-count never exceeds what is
                // unloaded, so that the post-count cannot turn negative near the end.
                const int unloaded = fUnloadedPreCount + fUnloadedPostCount;
                fUnloadedPreCount = std::min(i, unloaded);
                fUnloadedPostCount = unloaded - fUnloadedPreCount;
                ListIndexesOutOfDate(0);
                return EnsureLoaded(i, false);
            }
            // Some items stayed: grow from the window as it is now.
            if (!RangeToLoad(i, start, stop, inFront)) start = -1;
        }
        if (start >= 0) LoadItems(start, stop, inFront);
    }
    const int j = IndexConvert_RealToLoaded(i);
    return j >= 0 && j < LoadedCount() ? fList[j] : nullptr;
}

// Creates the items start..stop in front of or behind the window, lets the owner create their
// cells, then binds them through OnVirtualLoad: from the highest index down in front (each from
// its neighbour after it), upwards behind (each from its neighbour before it).
void TAxisContentList::LoadItems(int start, int stop, bool inFront) {
    TNestingGuard guard(fInLoadItems);
    fUnloadProtectedStart = start;
    fUnloadProtectedStop = stop;
    for (int k = start; k <= stop; ++k) {
        auto* item = new TAxisContentItem(this, nullptr);
        if (inFront) {
            fList.insert(fList.begin() + std::min(fFixedItems, LoadedCount()), item);
            item->fListIndex = stop + start - k;
            if (fUnloadedPreCount > 0) --fUnloadedPreCount;
        } else {
            fList.push_back(item);
            item->fListIndex = k;
            if (fUnloadedPostCount > 0) --fUnloadedPostCount;
        }
        if (fBabGridCell) fBabGridCell->InsertingAxisItem(this, item->fListIndex);
    }
    TBabGridCellForViewer* viewer = Viewer();
    if (viewer && viewer->OnVirtualLoad()) {
        const bool isRow = IsRowAxis();
        fLoadOperationInFront = inFront;
        for (int n = 0; n <= stop - start; ++n) {
            const int idx = inFront ? stop - n : start + n;
            const int j = IndexConvert_RealToLoaded(idx);
            if (j < 0 || j >= LoadedCount()) continue;
            const TOnVirtualLoad& handler = viewer->OnVirtualLoad();
            handler(fBabGridCell, fList[j], isRow);
        }
    }
    if (fBabGridCell) fBabGridCell->ChangeInUnloaded(this);
}

bool TAxisContentList::IsProtected(int i) const {
    return fUnloadProtectedStart >= 0 && i >= fUnloadProtectedStart && i <= fUnloadProtectedStop;
}

// Whether the item may be unloaded now: never while on screen or holding a selected cell, and
// only when the application's OnVirtualUnLoad agrees.
bool TAxisContentList::CanUnload(TAxisContentItem* theItem) {
    const int j = IndexConvert_RealToLoaded(theItem->ListIndex());
    if (j < 0 || j >= LoadedCount() || fList[j] != theItem) throw Exception("Index fu");
    if (theItem->fIsOnScreen) return false;
    const bool isRow = IsRowAxis();
    if (fBabGridCell && fBabGridCell->CellMatris()) {
        TCellMatris* m = fBabGridCell->CellMatris();
        if (isRow ? m->HasRowSelections(theItem->fListIndex) : m->HasColumnSelections(theItem->fListIndex))
            return false;
    }
    bool canUnload = false;
    TBabGridCellForViewer* viewer = Viewer();
    if (viewer && viewer->OnVirtualUnLoad()) {
        const TOnVirtualUnLoad& handler = viewer->OnVirtualUnLoad();
        handler(fBabGridCell, theItem, isRow, false, canUnload);
    }
    return canUnload;
}

void TAxisContentList::UnloadIntervall(TAxisContentItem* theItem, int& Start, int& Stop) {
    Start = Stop = theItem->ListIndex();
    TBabGridCellForViewer* viewer = Viewer();
    if (viewer && viewer->OnUnloadIntervall()) {
        const TOnUnloadIntervall& handler = viewer->OnUnloadIntervall();
        handler(fBabGridCell, theItem, IsRowAxis(), Start, Stop);
    }
    if (Stop < Start) throw Exception("Incorrect intervall");
}

void TAxisContentList::Purge() {
    // From the front: whole groups while every member may go.
    while (LoadedCount() > fFixedItems) {
        const int first = IndexConvert_LoadedToReal(fFixedItems);
        if (IsProtected(first)) break;
        int Start = 0, Stop = 0;
        UnloadIntervall(fList[fFixedItems], Start, Stop);
        // The group is cut to the window: items outside it are unloaded already.
        const int last = fUnloadedPreCount + LoadedCount() - 1;
        const int blockStop = std::max(first, std::min(Stop, last));
        bool ok = true;
        for (int k = first; k <= blockStop && ok; ++k) {
            const int j = IndexConvert_RealToLoaded(k);
            ok = j >= fFixedItems && j < LoadedCount() && !IsProtected(k) && CanUnload(fList[j]);
        }
        if (!ok) break;
        for (int n = blockStop - first + 1; n > 0 && LoadedCount() > fFixedItems; --n)
            Unload(IndexConvert_LoadedToReal(fFixedItems), true);
    }
    // From the back, the same, checked and unloaded from the last item down.
    while (LoadedCount() > fFixedItems) {
        const int last = fUnloadedPreCount + LoadedCount() - 1;
        if (IsProtected(last)) break;
        int Start = 0, Stop = 0;
        UnloadIntervall(fList.back(), Start, Stop);
        const int first = IndexConvert_LoadedToReal(fFixedItems);
        const int blockStart = std::min(last, std::max(Start, first));
        bool ok = true;
        for (int k = last; k >= blockStart && ok; --k) {
            const int j = IndexConvert_RealToLoaded(k);
            ok = j >= fFixedItems && j < LoadedCount() && !IsProtected(k) && CanUnload(fList[j]);
        }
        if (!ok) break;
        for (int n = last - blockStart + 1; n > 0 && LoadedCount() > fFixedItems; --n)
            Unload(fUnloadedPreCount + LoadedCount() - 1, false);
    }
}

// Destroys loaded item i at one end of the window. Kept items go back to the unloaded count of
// that end; the others leave the axis.
void TAxisContentList::Unload(int i, bool inFront) {
    TAxisContentItem* item = getAxisContentItem(i);
    if (!item) return;
    bool keepAfterUnload = true;
    const bool isRow = IsRowAxis();
    if (TBabGridCellForViewer* viewer = Viewer()) {
        if (viewer->OnKeepAfterUnloadCheck()) {
            const TOnKeepAfterUnloadCheck& handler = viewer->OnKeepAfterUnloadCheck();
            handler(fBabGridCell, item, isRow, keepAfterUnload);
        }
        if (viewer->OnVirtualUnLoad()) {
            bool canUnload = true;
            const TOnVirtualUnLoad& handler = viewer->OnVirtualUnLoad();
            handler(fBabGridCell, item, isRow, true, canUnload);
        }
    }
    int j = FindLoaded(item);
    if (j < 0) return;
    ForgetItem(item);
    if (fBabGridCell) fBabGridCell->DroppingAxisItem(this, IndexConvert_LoadedToReal(j));
    j = FindLoaded(item);
    if (j < 0) return;
    fList.erase(fList.begin() + j);
    delete item;
    if (keepAfterUnload) {
        if (inFront)
            ++fUnloadedPreCount;
        else
            ++fUnloadedPostCount;
    } else {
        if (inFront) ListIndexesOutOfDate(fUnloadedPreCount);
        if (fBabGridCell) fBabGridCell->CheckScrollPosition(this);
    }
}

void TAxisContentList::UnloadAll() {
    if (fBabGridCell) fBabGridCell->SetSelected(false);
    ClearVisibles();
    fUnloadProtectedStart = -1;
    fUnloadProtectedStop = -1;
    Purge();
}
