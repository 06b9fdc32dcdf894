// Virtual content: loading entities on demand, unloading them through the controller, and
// sorting (which needs every entity loaded).
#include "model/xoDataEntityPack.h"

#include "model/xoDataEntityPack_Internal.h"

#include <memory>

namespace {
// A window that grows through EnsureLoadedItem holds at most this many entities plus one.
constexpr int64_t kMaxWindowGrowth = 500;
} // namespace

TxoDataList::TRun TxoDataList::ChooseRun(int index) const {
    const int windowEnd = fUnloadedPreCount + LoadedCount();
    if (index < fUnloadedPreCount) return {index, fUnloadedPreCount - 1, true}; // the gap up to the window
    if (index > windowEnd && windowEnd > 0) return {windowEnd, index, false};   // the gap after it
    return {index, index, false};
}

TxoDataEntity* TxoDataList::EnsureLoadedItem(int index) {
    if (index < 0 || index >= Count()) return nullptr;
    if (IsLoaded(index)) return fItems[size_t(index - fUnloadedPreCount)];
    xo::TWatch<TxoDataList> self(this);
    TRun run = ChooseRun(index);
    if (int64_t(run.stop) - run.start + LoadedCount() > kMaxWindowGrowth) {
        UnloadAll();
        if (!self || index >= Count()) return nullptr;
        if (IsLoaded(index)) return fItems[size_t(index - fUnloadedPreCount)];
        // With nothing left the window moves to the index (LoadItems re-bases an empty window).
        // With refused entities left, the gap is measured again from where the window now ends.
        run = fItems.empty() ? TRun{index, index, false} : ChooseRun(index);
    }
    LoadItems(run.start, run.stop, run.inFront);
    if (!self || !IsLoaded(index)) return nullptr;
    return fItems[size_t(index - fUnloadedPreCount)];
}

void TxoDataList::LoadItems(int start, int stop, bool inFront) {
    if (start > stop) return;
    auto adjoins = [&] {
        if (start < 0 || stop >= Count()) return false;
        if (fItems.empty()) return true;
        return inFront ? stop == fUnloadedPreCount - 1 : start == fUnloadedPreCount + LoadedCount();
    };
    if (!adjoins()) xo::ListIndexError(inFront ? stop : start);
    const int n = stop - start + 1;
    xo::TWatch<TxoDataList> self(this);
    std::vector<TxoDataEntity*> made;
    made.reserve(size_t(n));
    auto discardAll = [&made] {
        for (TxoDataEntity* e : made)
            DiscardUnplaced(e);
        made.clear();
    };
    const uint64_t stamp = fWindowStamp;
    try {
        for (int k = 0; k < n; ++k) {
            TxoDataEntity* e = CreateItem();
            if (e) made.push_back(e);
            if (!e || !self) {
                discardAll();
                return;
            }
        }
    } catch (...) {
        discardAll();
        throw;
    }
    // Creation callbacks that changed the list may have moved the window away from the run.
    if (fWindowStamp != stamp && !adjoins()) {
        discardAll();
        return;
    }

    if (fItems.empty()) {
        const int count = Count();
        fUnloadedPreCount = start;
        fUnloadedPostCount = count - start - n;
        ResetIndexState();
        for (TxoDataEntity* e : made)
            fItems.push_back(e);
    } else if (inFront) {
        for (int k = n - 1; k >= 0; --k)
            fItems.push_front(made[size_t(k)]);
        fUnloadedPreCount -= n;
    } else {
        for (TxoDataEntity* e : made)
            fItems.push_back(e);
        fUnloadedPostCount -= n;
    }
    for (int k = 0; k < n; ++k) {
        TxoDataEntity* e = made[size_t(k)];
        e->fListIndex = int64_t(start) + k - fIndexBias;
        e->fDataList = this;
        e->fInWindow = true;
        if (e->fSelected) ++fSelectedCount;
    }
    ++fWindowStamp;

    if (!fListController || !fListController->OnLoadItem()) return;
    // The application fills each entity, nearest to the old window first. Its callbacks may
    // unload or free entities of the run that have not been filled yet: those are skipped.
    std::unique_ptr<xo::TWatch<TxoDataEntity>[]> watch(new xo::TWatch<TxoDataEntity>[size_t(n)]);
    for (int k = 0; k < n; ++k)
        watch[size_t(k)].Watch(made[size_t(k)]);
    for (int i = 0; i < n; ++i) {
        TxoDataEntity* e = watch[size_t(inFront ? n - 1 - i : i)].Get();
        if (!e || e->fDataList != this || !e->fInWindow) continue;
        if (!fListController) return;
        xo::Fire(fListController->OnLoadItem(), e);
        if (!self) return;
    }
}

bool TxoDataList::CanUnload(TxoDataEntity* theDataEntity) {
    bool can = false;
    if (fListController) xo::Fire(fListController->OnUnLoadItem(), theDataEntity, can);
    return can;
}

void TxoDataList::Unload(int index, bool inFront) {
    if (!IsLoaded(index)) return;
    const int position = index - fUnloadedPreCount;
    // Only the ends of the window can be unloaded without breaking it in two.
    if (position != (inFront ? 0 : LoadedCount() - 1))
        throw EListError("Only the first or the last loaded entity can be unloaded");
    FreeTakenOut(TakeOut(position, inFront ? TTakeOut::UnloadFront : TTakeOut::UnloadBack), false);
}

void TxoDataList::Purge() {
    if (fUnloadSuspended > 0) return;
    xo::TWatch<TxoDataList> self(this);
    for (const bool front : {true, false}) {
        while (!fItems.empty()) {
            TxoDataEntity* e = front ? fItems.front() : fItems.back();
            if (e == fPinned) break;
            const uint64_t stamp = fWindowStamp;
            const bool agreed = CanUnload(e);
            if (!self) return;
            if (fWindowStamp != stamp) continue; // the window changed meanwhile: ask about its new end
            if (!agreed) break;
            Unload(front ? fUnloadedPreCount : fUnloadedPreCount + LoadedCount() - 1, front);
            if (!self) return;
        }
    }
}

void TxoDataList::UnloadAll() {
    xo::TWatch<TxoDataList> self(this);
    ClearSelections();
    if (self) Purge();
}

void TxoDataList::Sort(bool theDescending) {
    if (!fListController || !fListController->OnSortCompare()) return;
    if (fSorting) throw Exception("The list is already being sorted");
    const TOnEntityCompare compare = fListController->OnSortCompare();
    xo::TWatch<TxoDataList> self(this);
    fSorting = true;
    ++fUnloadSuspended;
    struct Done {
        xo::TWatch<TxoDataList>& list;
        ~Done() {
            if (!list) return;
            list->fSorting = false;
            --list->fUnloadSuspended;
        }
    } done{self};

    // Every entity takes part, so everything is loaded (and, while sorting, nothing unloaded).
    if (fUnloadedPreCount > 0) LoadItems(0, fUnloadedPreCount - 1, true);
    while (self && fUnloadedPostCount > 0) {
        const int next = fUnloadedPreCount + LoadedCount();
        const uint64_t stamp = fWindowStamp;
        LoadItems(next, next, false);
        if (self && fWindowStamp == stamp) break; // nothing was loaded
    }
    if (!self) return;

    std::vector<TxoDataEntity*> sorted(fItems.begin(), fItems.end());
    const uint64_t stamp = fWindowStamp;
    xo::MergeSort(sorted, [&](TxoDataEntity* a, TxoDataEntity* b) {
        const int r = compare(a, b);
        if (!self || fWindowStamp != stamp) throw Exception("The list changed while it was being sorted");
        return r < 0;
    });
    if (theDescending) std::reverse(sorted.begin(), sorted.end());
    std::copy(sorted.begin(), sorted.end(), fItems.begin());
    ++fWindowStamp;
    ListIndexesOutOfDate(0);
    if (fListController) xo::Fire(fListController->OnContentChanged(), this);
}
