// Data lists: the loaded window, list indexes, insertion, deletion, selection and visibility.
#include "model/xoDataEntityPack.h"

#include "model/xoDataEntityPack_Internal.h"

#include <climits>

TxoDataList::TxoDataList() = default;

TxoDataList::~TxoDataList() {
    // A list destroyed without CleanForFree still owns its entities: they go quietly.
    while (!fItems.empty()) {
        TxoDataEntity* e = fItems.back();
        fItems.pop_back();
        e->fInWindow = false;
        e->fDataList = nullptr;
        try {
            e->FreeWheneverPossible();
        } catch (...) {
        }
    }
    for (TxoDataList2lev* h : fHolders)
        h->Forget(this);
}

void TxoDataList::AfterCreate(TxoListController* theListController, TxoDataEntityClass theDataEntityClass) {
    fListController = theListController;
    fDataEntityClass = theDataEntityClass;
    ListIndexesOutOfDate(0);
}

void TxoDataList::CleanForFree() {
    xo::TWatch<TxoDataList> self(this);
    // Each entity leaves from the front as if unloaded, so that the ones still waiting keep
    // their indexes and the count stays as it was until the end.
    while (!fItems.empty()) {
        FreeTakenOut(TakeOut(0, TTakeOut::UnloadFront), true);
        if (!self) return;
    }
    fUnloadedPreCount = fUnloadedPostCount = 0;
    ResetIndexState();
    ++fWindowStamp;
}

void TxoDataList::FreeDataEntity(TxoDataEntity* theDataEntity) {
    if (theDataEntity) theDataEntity->FreeWheneverPossible();
}

void TxoDataList::CheckRoomFor(int64_t more) const {
    if (int64_t(Count()) + more > INT_MAX) throw Exception("Too many entities for one data list");
}

TxoDataEntity* TxoDataList::GetLoaded(int position) const {
    if (position < 0 || position >= LoadedCount()) xo::ListIndexError(position);
    return fItems[size_t(position)];
}

// ---- List indexes ---------------------------------------------------------------------------

int TxoDataList::TrueIndex(const TxoDataEntity* e) {
    int64_t t = e->fListIndex + fIndexBias;
    if (fListIndexesOutOfDate && t >= fOutOfDateFromIndex) {
        EnsureListIndexes();
        t = e->fListIndex + fIndexBias;
    }
    return int(t);
}

void TxoDataList::IndexesShifted(int delta) {
    fIndexBias += delta;
    if (fListIndexesOutOfDate) fOutOfDateFromIndex += delta;
}

void TxoDataList::ResetIndexState() {
    fListIndexesOutOfDate = false;
    fIndexBias = 0;
    fOutOfDateFromIndex = Count();
}

void TxoDataList::EnsureListIndexes() {
    if (fListIndexesOutOfDate) UpdateListIndexesFrom(fOutOfDateFromIndex);
    fListIndexesOutOfDate = false;
    fOutOfDateFromIndex = Count();
}

void TxoDataList::ListIndexesOutOfDate(int from) {
    if (!fListIndexesOutOfDate || from < fOutOfDateFromIndex) fOutOfDateFromIndex = from;
    fListIndexesOutOfDate = true;
}

void TxoDataList::UpdateListIndexesFrom(int from) {
    const int64_t n = LoadedCount();
    const int64_t p0 = std::max<int64_t>(int64_t(from) - fUnloadedPreCount, 0);
    if (p0 >= n) return;
    if (p0 == 0) fIndexBias = 0;
    const int64_t base = int64_t(fUnloadedPreCount) - fIndexBias;
    int64_t p = p0;
    for (auto it = fItems.begin() + p0; it != fItems.end(); ++it, ++p)
        (*it)->fListIndex = base + p;
}

// ---- The window -----------------------------------------------------------------------------

void TxoDataList::PutAt(int position, TxoDataEntity* e) {
    const int n = LoadedCount();
    const int index = fUnloadedPreCount + position;
    if (n == 0) {
        ResetIndexState();
        fItems.push_back(e);
    } else if (position == 0) {
        fItems.push_front(e);
        IndexesShifted(+1);
    } else if (position == n) {
        fItems.push_back(e);
    } else {
        fItems.insert(fItems.begin() + position, e);
        ListIndexesOutOfDate(index);
    }
    e->fListIndex = index - fIndexBias;
    e->fDataList = this;
    e->fInWindow = true;
    if (e->fSelected) ++fSelectedCount;
    ++fWindowStamp;
}

TxoDataEntity* TxoDataList::TakeOut(int position, TTakeOut how) {
    const int n = LoadedCount();
    TxoDataEntity* e = fItems[size_t(position)];
    e->fListIndex = fUnloadedPreCount + position; // remembered as a plain index
    switch (how) {
    case TTakeOut::Remove:
        if (position == 0) {
            fItems.pop_front();
            IndexesShifted(-1);
        } else if (position == n - 1) {
            fItems.pop_back();
        } else {
            fItems.erase(fItems.begin() + position);
            ListIndexesOutOfDate(fUnloadedPreCount + position);
        }
        break;
    case TTakeOut::UnloadFront:
        fItems.pop_front();
        ++fUnloadedPreCount;
        break;
    case TTakeOut::UnloadBack:
        fItems.pop_back();
        ++fUnloadedPostCount;
        break;
    }
    e->fInWindow = false;
    if (e->fSelected) --fSelectedCount;
    if (fItems.empty()) {
        // Without a window every unloaded entity counts as behind it.
        fUnloadedPostCount += fUnloadedPreCount;
        fUnloadedPreCount = 0;
        ResetIndexState();
    }
    ++fWindowStamp;
    return e;
}

void TxoDataList::FreeTakenOut(TxoDataEntity* e, bool throughFreeDataEntity) {
    xo::TWatch<TxoDataEntity> watch(e);
    try {
        if (throughFreeDataEntity)
            FreeDataEntity(e);
        else
            e->FreeWheneverPossible();
    } catch (...) {
        // A removal callback raised. The entity has left the window already; once its own
        // detaching is done it is freed anyway, and the exception goes on to the caller.
        TxoDataEntity* left = watch.Get();
        if (left && !left->fDataList && !left->fInWindow) TxoExposable::FreeCall(left);
        throw;
    }
}

void TxoDataList::DiscardUnplaced(TxoDataEntity* e) {
    // An entity made for the list that never joined it: freed without removal callbacks.
    e->fDataList = nullptr;
    e->fInWindow = false;
    try {
        e->FreeWheneverPossible();
    } catch (...) {
    }
}

// ---- Creation and insertion -----------------------------------------------------------------

TxoDataEntity* TxoDataList::CreateItem() {
    TxoDataEntity* e = fDataEntityClass.Create();
    xo::TWatch<TxoDataEntity> watch(e);
    try {
        e->AfterCreate(this);
    } catch (...) {
        if (watch) DiscardUnplaced(e);
        throw;
    }
    if (!watch) return nullptr; // a creation callback freed it
    e->fDataList = this;
    return e;
}

TxoDataEntity* TxoDataList::InsertItem(int position) {
    if (position < 0 || position > LoadedCount()) xo::ListIndexError(position);
    CheckRoomFor(1);
    xo::TWatch<TxoDataList> self(this);
    TxoDataEntity* e = CreateItem();
    if (!e) return nullptr;
    if (!self) {
        DiscardUnplaced(e);
        return nullptr;
    }
    // Creation callbacks may have changed the window meanwhile.
    if (position > LoadedCount() || int64_t(Count()) + 1 > INT_MAX) {
        DiscardUnplaced(e);
        xo::ListIndexError(position);
    }
    const bool selected = e->fSelected;
    e->fSelected = false;
    PutAt(position, e);
    xo::TWatch<TxoDataEntity> entity(e);
    if (fListController) xo::Fire(fListController->OnInsertItem(), e);
    if (!self) return entity.Get();
    if (fListController) xo::Fire(fListController->OnContentChanged(), this);
    if (selected && entity && entity->fDataList == this) entity->SetSelected(true);
    return entity.Get();
}

TxoDataEntity* TxoDataList::Insert(int theIndex) {
    if (theIndex < 0 || theIndex > Count()) xo::ListIndexError(theIndex);
    CheckRoomFor(1);
    xo::TWatch<TxoDataList> self(this);
    // The new entity joins the window: load the entity it goes in front of, or the last one.
    if (theIndex < Count())
        EnsureLoadedItem(theIndex);
    else if (theIndex > 0)
        EnsureLoadedItem(theIndex - 1);
    if (!self) return nullptr;
    const int position = theIndex - fUnloadedPreCount;
    if (position < 0 || position > LoadedCount()) xo::ListIndexError(theIndex);
    return InsertItem(position);
}

// ---- Deletion -------------------------------------------------------------------------------

void TxoDataList::Delete(int theIndex) {
    if (theIndex < 0 || theIndex >= Count()) return;
    if (IsLoaded(theIndex)) {
        FreeTakenOut(TakeOut(theIndex - fUnloadedPreCount, TTakeOut::Remove), true);
    } else if (theIndex < fUnloadedPreCount) {
        --fUnloadedPreCount;
        IndexesShifted(-1);
        ++fWindowStamp;
    } else {
        --fUnloadedPostCount;
        ++fWindowStamp;
    }
}

void TxoDataList::Remove(TxoDataEntity* theDataEntity) {
    if (!theDataEntity || theDataEntity->fDataList != this || !theDataEntity->fInWindow) return;
    Delete(TrueIndex(theDataEntity));
}

void TxoDataList::Clear() {
    xo::TWatch<TxoDataList> self(this);
    while (!fItems.empty()) {
        FreeTakenOut(TakeOut(LoadedCount() - 1, TTakeOut::Remove), true);
        if (!self) return;
    }
    fUnloadedPreCount = fUnloadedPostCount = 0;
    ResetIndexState();
    ++fWindowStamp;
    if (fListController) xo::Fire(fListController->OnUnLoadedContentChanged(), this);
}

void TxoDataList::AddUnloaded(int count) {
    if (count < 0) return;
    CheckRoomFor(count);
    fUnloadedPostCount += count;
    ++fWindowStamp;
    xo::TWatch<TxoDataList> self(this);
    if (fListController) xo::Fire(fListController->OnContentChanged(), this);
    if (!self) return;
    if (fListController) xo::Fire(fListController->OnUnLoadedContentChanged(), this);
}

int TxoDataList::IndexOf(TxoDataEntity* theDataEntity) {
    if (!theDataEntity || theDataEntity->fDataList != this) return -1;
    return theDataEntity->ListIndex();
}

// ---- Selection ------------------------------------------------------------------------------

void TxoDataList::WalkLoaded(bool selectedOnly, const std::function<bool(TxoDataEntity*)>& visit) {
    xo::TWatch<TxoDataList> self(this);
    xo::TWatch<TxoDataEntity> current;
    size_t p = 0;
    while (p < fItems.size()) {
        if (selectedOnly && fSelectedCount == 0) return;
        TxoDataEntity* e = fItems[p];
        if (selectedOnly && !e->fSelected) {
            ++p;
            continue;
        }
        const uint64_t stamp = fWindowStamp;
        current.Watch(e);
        const bool more = visit(e);
        if (!self || !more) return;
        if (fWindowStamp == stamp) {
            ++p;
        } else if (TxoDataEntity* c = current.Get(); c && c->fDataList == this && c->fInWindow) {
            p = size_t(PositionOf(c)) + 1;
        }
        // Otherwise the visited entity has gone and its follower now sits near p.
    }
}

void TxoDataList::ClearSelections() {
    if (fSelectedCount == 0) return;
    WalkLoaded(true, [](TxoDataEntity* e) {
        e->SetSelected(false);
        return true;
    });
}

void TxoDataList::IteratorOfSelectedDataEntities(const TSelectedDataEntityEvent& theCall) {
    if (!theCall || fSelectedCount == 0) return;
    const TSelectedDataEntityEvent call = theCall;
    WalkLoaded(true, [this, &call](TxoDataEntity* e) {
        call(this, e);
        return true;
    });
}

TxoDataEntity* TxoDataList::FindDataEntity(const TFindFunc& theFindFunc) {
    if (!theFindFunc) return nullptr;
    const TFindFunc find = theFindFunc;
    TxoDataEntity* found = nullptr;
    WalkLoaded(false, [&](TxoDataEntity* e) {
        xo::TWatch<TxoDataEntity> watch(e);
        if (find(e) && watch) {
            found = e;
            return false;
        }
        return true;
    });
    return found;
}

void TxoDataList::SelectionChanged(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity) {
    if (fListController) xo::Fire(fListController->OnSelectionChanged(), thexoDataList, theDataEntity);
}

// ---- Visibility -----------------------------------------------------------------------------

int TxoDataList::VisibleCount() const {
    int n = 0;
    for (TxoDataEntity* e : fItems)
        if (e->GetVisible()) ++n;
    return n;
}

bool TxoDataList::VisibleIndexDataEntity(int theDataEntityIndex) {
    if (!ValidIndexDataEntity(theDataEntityIndex)) return false;
    TxoDataEntity* e = GetItems(theDataEntityIndex);
    return e && e->GetVisible();
}

int TxoDataList::ListIndexToVisibleIndex(int theIndex) {
    if (theIndex < 0) return -1;
    xo::TWatch<TxoDataList> self(this);
    int visible = 0;
    for (int i = 0; i <= theIndex && i < Count(); ++i) {
        TxoDataEntity* e = GetItems(i);
        if (!self) return -1;
        if (e && e->GetVisible()) ++visible;
    }
    return visible - 1;
}

int TxoDataList::VisibleIndexToListIndex(int theIndex) {
    if (Count() == 0 || theIndex < 0) return -1;
    xo::TWatch<TxoDataList> self(this);
    int running = -1;
    for (int i = 0; i < Count(); ++i) {
        TxoDataEntity* e = GetItems(i);
        if (!self) return -1;
        if (e && e->GetVisible() && ++running == theIndex) return i;
    }
    return -1;
}
