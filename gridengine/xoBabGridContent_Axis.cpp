// Axis items and the structure of an axis list: index spaces, insertion, removal, moves,
// clearing, the on-screen list and the visible iterator. Virtual loading is in _AxisLoad.cpp.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>
#include <climits>

namespace {
[[noreturn]] void RaiseIndexError(int i) {
    throw EListError("List index out of bounds (" + std::to_string(i) + ")");
}

template <class V, class T> void EraseValue(V& theList, T* theValue) {
    auto it = std::find(theList.begin(), theList.end(), theValue);
    if (it != theList.end()) theList.erase(it);
}
} // namespace

// ---- TAxisContentItem -----------------------------------------------------------------------

TAxisContentItem::TAxisContentItem(TAxisContentList* theAxisContentList, TObject* theValue)
    : fValue(theValue), fAxisContentList(theAxisContentList) {}

int TAxisContentItem::ListIndex() {
    if (fAxisContentList) fAxisContentList->EnsureListIndexes();
    return fListIndex;
}

int TAxisContentItem::LoadedListIndex() {
    int i = ListIndex();
    return fAxisContentList ? fAxisContentList->IndexConvert_RealToLoaded(i) : i;
}

int TAxisContentItem::GetUserSize() const {
    return fUserSizeItem ? fUserSizeItem->UserSize() : fUserSize;
}

bool TAxisContentItem::GetUserSizeActive() const {
    return fUserSizeItem ? fUserSizeItem->UserSizeActive() : fUserSizeActive;
}

void TAxisContentItem::SetUserSize(int Value) {
    if (fUserSizeItem) fUserSizeItem->SetUserSize(Value);
    fUserSize = Value;
    TBabGridCell* owner = fAxisContentList ? fAxisContentList->getGridCell() : nullptr;
    if (!owner) return;
    for (TBabGridCell* p = owner; p; p = p->getGridCell())
        if (p->Destroying()) return;
    if (TBabGridCellForViewer* viewer = owner->fViewerGridCell) viewer->UserSizeEvent()->TriggerEvent(this);
}

void TAxisContentItem::SetUserSizeActive(bool Value) {
    if (fUserSizeItem) fUserSizeItem->SetUserSizeActive(Value);
    fUserSizeActive = Value;
}

void TAxisContentItem::SetHide(bool Value) {
    if (Value == fHide) return;
    fHide = Value;
    if (!fAxisContentList) return;
    if (Value)
        fAxisContentList->fHiddenItemsList.push_back(this);
    else
        EraseValue(fAxisContentList->fHiddenItemsList, this);
    if (TBabGridCell* owner = fAxisContentList->getGridCell()) owner->TriggerAxisChange();
}

// ---- TAxisContentList: structure ------------------------------------------------------------

TAxisContentList::TAxisContentList(TBabGridCell* theBabGridCell) : fBabGridCell(theBabGridCell) {}

TAxisContentList::~TAxisContentList() {
    for (int j = LoadedCount() - 1; j >= 0; --j) {
        if (j >= LoadedCount()) continue;
        Drop(IndexConvert_LoadedToReal(j));
    }
    // Whatever a reentrant caller left behind is freed without further calls.
    for (TAxisContentItem* item : fList)
        delete item;
    fList.clear();
    fVisibleList.clear();
    fHiddenItemsList.clear();
    fUnloadedPreCount = 0;
    fUnloadedPostCount = 0;
}

TBabGridCellForViewer* TAxisContentList::Viewer() const {
    return fBabGridCell ? fBabGridCell->fViewerGridCell : nullptr;
}

bool TAxisContentList::IsRowAxis() const {
    return fBabGridCell && fBabGridCell->AxisContentListY() == this;
}

void TAxisContentList::SetFixedItems(int Value) {
    fFixedItems = std::max(0, Value);
    ListIndexesOutOfDate(0);
}

TAxisContentItem* TAxisContentList::LoadAxisContentItem(int i) {
    if (i < 0 || i >= Count()) return nullptr;
    EnsureLoadedItem(i);
    int j = IndexConvert_RealToLoaded(i);
    return j >= 0 && j < LoadedCount() ? fList[j] : nullptr;
}

TAxisContentItem* TAxisContentList::getLoadedAxisContentItem(int j) const {
    if (j < 0 || j >= LoadedCount()) RaiseIndexError(j);
    return fList[j];
}

TAxisContentItem* TAxisContentList::getVisibleAxisContentItem(int k) const {
    if (k < 0 || k >= VisibleCount()) RaiseIndexError(k);
    return fVisibleList[k];
}

int TAxisContentList::FindLoaded(const TAxisContentItem* theItem) const {
    // Unloading works at the two ends of the window, so look there first.
    const int n = LoadedCount();
    if (n == 0) return -1;
    if (fList.back() == theItem) return n - 1;
    const int f = std::min(fFixedItems, n - 1);
    if (fList[f] == theItem) return f;
    for (int j = 0; j < n; ++j)
        if (fList[j] == theItem) return j;
    return -1;
}

void TAxisContentList::ForgetItem(TAxisContentItem* theItem) {
    if (theItem->fHide) EraseValue(fHiddenItemsList, theItem);
    if (theItem->fIsOnScreen) EraseValue(fVisibleList, theItem);
    theItem->fIsOnScreen = false;
}

// ---- List indices ---------------------------------------------------------------------------

void TAxisContentList::ListIndexesOutOfDate(int i) {
    fOutOfDateFromIndex = fListIndexesOutOfDate ? std::min(fOutOfDateFromIndex, i) : i;
    fListIndexesOutOfDate = true;
}

void TAxisContentList::EnsureListIndexes() {
    if (!fListIndexesOutOfDate) return;
    const int n = LoadedCount();
    for (int j = std::max(0, IndexConvert_RealToLoaded(fOutOfDateFromIndex)); j < n; ++j)
        fList[j]->fListIndex = IndexConvert_LoadedToReal(j);
    fListIndexesOutOfDate = false;
    fOutOfDateFromIndex = Count();
}

// ---- Insertion and removal ------------------------------------------------------------------

TAxisContentItem* TAxisContentList::InsertNew(int i, TObject* theValue) {
    if (fInLoadItems > 0) throw Exception("Not allowed to add items during load");
    if (i < 0 || i > Count()) RaiseIndexError(i);
    if (i == Count() && fUnloadedPostCount > 0)
        EnsureLoadedItem(Count() - 1); // the end of the axis must be inside the window
    else
        EnsureLoadedItem(i);
    if (i > Count()) i = Count();
    if (fNextItemReferenceMailbox) {
        theValue = fNextItemReferenceMailbox;
        fNextItemReferenceMailbox = nullptr;
    }
    auto* item = new TAxisContentItem(this, theValue);
    const int j = std::clamp(IndexConvert_RealToLoaded(i), 0, LoadedCount());
    fList.insert(fList.begin() + j, item);
    item->fListIndex = IndexConvert_LoadedToReal(j);
    ListIndexesOutOfDate(i);
    if (fBabGridCell) fBabGridCell->InsertingAxisItem(this, item->ListIndex());
    return item;
}

TAxisContentItem* TAxisContentList::AddNew(TObject* theValue) {
    if (Count() > 0) EnsureLoadedItem(Count() - 1);
    auto* item = new TAxisContentItem(this, theValue);
    fList.push_back(item);
    item->fListIndex = IndexConvert_LoadedToReal(LoadedCount() - 1);
    if (fBabGridCell) fBabGridCell->InsertingAxisItem(this, item->fListIndex);
    return item;
}

void TAxisContentList::AddUnloaded(int n) {
    if (n <= 0) return;
    if (n > INT_MAX - Count()) throw EListError("Axis count overflow");
    fUnloadedPostCount += n;
    if (fBabGridCell) fBabGridCell->ChangeInUnloaded(this);
}

void TAxisContentList::Drop(int i) {
    if (i < 0 || i >= Count()) return;
    if (IsLoaded(i)) {
        const int j = IndexConvert_RealToLoaded(i);
        if (j >= LoadedCount()) return;
        TAxisContentItem* item = fList[j];
        ForgetItem(item);
        if (fBabGridCell) fBabGridCell->DroppingAxisItem(this, i);
        // The owner's listeners may have changed the list; usually the item is still at j.
        const int k = (j < LoadedCount() && fList[j] == item) ? j : FindLoaded(item);
        if (k < 0) return;
        fList.erase(fList.begin() + k);
        ListIndexesOutOfDate(i);
        delete item;
    } else {
        if (i < fFixedItems + fUnloadedPreCount)
            --fUnloadedPreCount;
        else
            --fUnloadedPostCount;
        // Loaded items after an unloaded one move down by one.
        ListIndexesOutOfDate(i);
        if (fBabGridCell) fBabGridCell->ChangeInUnloaded(this);
    }
    if (fBabGridCell) fBabGridCell->CheckScrollPosition(this);
}

void TAxisContentList::Move(int curIndex, int newIndex) {
    if (curIndex < 0 || curIndex >= Count()) RaiseIndexError(curIndex);
    if (newIndex < 0 || newIndex >= Count()) RaiseIndexError(newIndex);
    // Both ends must be loaded at once, so the window only grows here: a restart for the
    // second end would unload the first.
    EnsureLoaded(curIndex, false);
    EnsureLoaded(newIndex, false);
    const int a = IndexConvert_RealToLoaded(curIndex), b = IndexConvert_RealToLoaded(newIndex);
    if (a < 0 || a >= LoadedCount() || b < 0 || b >= LoadedCount()) return;
    TAxisContentItem* item = fList[a];
    fList.erase(fList.begin() + a);
    fList.insert(fList.begin() + b, item);
    ListIndexesOutOfDate(std::min(curIndex, newIndex));
    if (fBabGridCell) fBabGridCell->MowingAxisItem(this, curIndex, newIndex);
}

void TAxisContentList::Clear() {
    CommonClear(0);
}

void TAxisContentList::ClearKeepFixedItems() {
    CommonClear(fFixedItems);
}

void TAxisContentList::CommonClear(int theFromLoadedIndex) {
    for (int j = LoadedCount() - 1; j >= std::max(0, theFromLoadedIndex); --j) {
        if (j >= LoadedCount()) continue;
        Drop(IndexConvert_LoadedToReal(j));
    }
    TBabGridCellForViewer* viewer = Viewer();
    const bool isRow = IsRowAxis();
    bool changed = false;
    if (fUnloadedPostCount > 0) {
        int start = fUnloadedPreCount + LoadedCount(), stop = start + fUnloadedPostCount - 1;
        if (viewer && viewer->OnDeleteOfUnloaded())
            viewer->OnDeleteOfUnloaded()(fBabGridCell, isRow, start, stop);
        fUnloadedPostCount = 0;
        changed = true;
    }
    if (fUnloadedPreCount > 0) {
        int start = fFixedItems, stop = fFixedItems + fUnloadedPreCount - 1;
        if (viewer && viewer->OnDeleteOfUnloaded())
            viewer->OnDeleteOfUnloaded()(fBabGridCell, isRow, start, stop);
        fUnloadedPreCount = 0;
        changed = true;
    }
    if (changed) {
        ListIndexesOutOfDate(0);
        if (fBabGridCell) {
            fBabGridCell->ChangeInUnloaded(this);
            fBabGridCell->CheckScrollPosition(this);
        }
    }
}

// ---- On-screen list -------------------------------------------------------------------------

void TAxisContentList::ClearVisibles() {
    for (TAxisContentItem* item : fVisibleList)
        item->fIsOnScreen = false;
    fVisibleList.clear();
    fUnloadProtectedStart = -1;
    fUnloadProtectedStop = -1;
}

void TAxisContentList::AddToVisible(TAxisContentItem* theItem) {
    if (!theItem || theItem->fIsOnScreen) return;
    theItem->fIsOnScreen = true;
    fVisibleList.push_back(theItem);
}

// ---- TVisibleIterator -----------------------------------------------------------------------

TVisibleIterator::TVisibleIterator(int theCountFromZero, int theCountFromMiddle, int theEndCount)
    : fCountFromZero(theCountFromZero), fCountFromMiddle(theCountFromMiddle), fEndCount(theEndCount) {
    Reset();
}

void TVisibleIterator::Reset() {
    fIndex = fCountFromZero > 0 ? 0 : fCountFromMiddle;
}

void TVisibleIterator::Next() {
    ++fIndex;
    if (fIndex >= fCountFromZero && fIndex < fCountFromMiddle) fIndex = fCountFromMiddle;
}
