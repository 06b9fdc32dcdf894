// Data entities: selection, visibility, editability, their index, moving within a list and
// changing lists.
#include "model/xoDataEntityPack.h"

#include "model/xoDataEntityPack_Internal.h"

#include <climits>

void xo::ListIndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TxoDataList* xo::NewDataList(TxoDataListClass theListClass, TxoListController* theListController,
                             TxoDataEntityClass theDataEntityClass) {
    TxoDataList* list = theListClass.Create();
    try {
        list->AfterCreate(theListController, theDataEntityClass);
    } catch (...) {
        list->FreeWheneverPossible();
        throw;
    }
    return list;
}

TxoDataEntity::TxoDataEntity() = default;

TxoDataEntity::~TxoDataEntity() {
    // Freed without going through CleanForFree (deleted through a TObject pointer): leave the
    // window quietly, so that the list never holds a freed entity.
    if (fInWindow && fDataList)
        fDataList->TakeOut(fDataList->PositionOf(this), TxoDataList::TTakeOut::Remove);
}

void TxoDataEntity::CleanForFree() {
    if (fCleaning) return;
    TxoDataList* list = fDataList;
    if (!list) return;
    fCleaning = true;
    struct Done {
        TxoDataEntity* e;
        ~Done() {
            e->fDataList = nullptr;
            e->fCleaning = false;
        }
    } done{this};
    // An application that frees an entity of a list directly gets what Remove would do.
    if (fInWindow) list->TakeOut(list->PositionOf(this), TxoDataList::TTakeOut::Remove);
    xo::TWatch<TxoDataList> listAlive(list);
    if (TxoListController* c = list->fListController) xo::Fire(c->OnDeleteItem(), this);
    if (!listAlive) return;
    if (TxoListController* c = list->fListController) xo::Fire(c->OnContentChanged(), list);
}

bool TxoDataEntity::CanDelete() {
    return !fCleaning && TxoExposable::CanDelete();
}

void TxoDataEntity::SetVisible(bool Value) {
    if (fVisible == Value) return;
    fVisible = Value;
    if (fDataList && fDataList->fListController)
        xo::Fire(fDataList->fListController->OnVisibleChanged(), this);
}

bool TxoDataEntity::GetVisible() const {
    return fVisible;
}

void TxoDataEntity::AfterCreate(TxoDataList* thexoDataList) {
    if (fInWindow && thexoDataList != fDataList)
        throw Exception("An entity that is in a list cannot be created again for another list");
    fDataList = thexoDataList;
    SetVisible(true);
}

void TxoDataEntity::SetSelected(bool Value) {
    if (fSelected == Value) return;
    fSelected = Value;
    if (!fDataList) return;
    if (fInWindow) fDataList->fSelectedCount += Value ? 1 : -1;
    fDataList->SelectionChanged(fDataList, this);
}

bool TxoDataEntity::GetCanEdit() {
    if (fDataList && fDataList->fListController) {
        xo::TWatch<TxoDataEntity> self(this);
        xo::Fire(fDataList->fListController->OnBeforeCanEditItem(), this);
        if (!self) return false;
    }
    return fCanEdit;
}

void TxoDataEntity::DoInfoPush() {
    if (fDataList && fDataList->fListController) xo::Fire(fDataList->fListController->OnInfoPush(), this);
}

int TxoDataEntity::ListIndex() {
    if (!fInWindow || !fDataList) return int(fListIndex);
    return fDataList->TrueIndex(this);
}

void TxoDataEntity::Move(int theNewIndex) {
    TxoDataList* list = fDataList;
    if (!list || !fInWindow) return;
    if (theNewIndex < 0 || theNewIndex >= list->Count()) xo::ListIndexError(theNewIndex);
    const int old = ListIndex();
    xo::TWatch<TxoDataEntity> self(this);
    xo::TWatch<TxoDataList> listAlive(list);
    if (!list->IsLoaded(theNewIndex)) {
        // Loading the target may unload; the moving entity itself must stay.
        TxoDataEntity* pinnedBefore = list->fPinned;
        list->fPinned = this;
        struct Unpin {
            xo::TWatch<TxoDataList>& list;
            TxoDataEntity* before;
            ~Unpin() {
                if (list) list->fPinned = before;
            }
        } unpin{listAlive, pinnedBefore};
        list->EnsureLoadedItem(theNewIndex);
    }
    if (!self || !listAlive || fDataList != list || !fInWindow) return;
    if (!list->IsLoaded(theNewIndex)) xo::ListIndexError(theNewIndex);
    const int from = list->PositionOf(this);
    const int to = theNewIndex - list->fUnloadedPreCount;
    if (from != to) {
        auto b = list->fItems.begin();
        if (from < to)
            std::rotate(b + from, b + from + 1, b + to + 1);
        else
            std::rotate(b + to, b + from, b + from + 1);
        list->ListIndexesOutOfDate(list->fUnloadedPreCount + std::min(from, to));
        ++list->fWindowStamp;
    }
    if (TxoListController* c = list->fListController)
        xo::Fire(c->OnHandlePerformedMove(), this, old, theNewIndex);
}

void TxoDataEntity::ChangeOwner(TxoDataList* theNewOwner, int theIndex) {
    TxoDataList* oldOwner = fDataList;
    if (!theNewOwner || !oldOwner || theNewOwner == oldOwner || !fInWindow) return;
    if (!theNewOwner->fDataEntityClass.IsInstance(this)) return;
    if (theIndex < 0 || theIndex > theNewOwner->LoadedCount()) xo::ListIndexError(theIndex);
    theNewOwner->CheckRoomFor(1);
    xo::TWatch<TxoDataEntity> self(this);
    xo::TWatch<TxoDataList> oldAlive(oldOwner), newAlive(theNewOwner);
    if (TxoListController* c = oldOwner->fListController) xo::Fire(c->OnLeaveOwnerBeforeChange(), this);
    // The callback may have removed or moved the entity, or freed a list: then there is
    // nothing left to do.
    if (!self || !oldAlive || !newAlive || fDataList != oldOwner || !fInWindow) return;
    if (theIndex > theNewOwner->LoadedCount()) xo::ListIndexError(theIndex);
    oldOwner->TakeOut(oldOwner->PositionOf(this), TxoDataList::TTakeOut::Remove);
    theNewOwner->PutAt(theIndex, this);
    if (TxoListController* c = theNewOwner->fListController) xo::Fire(c->OnEnterOwnerAfterChange(), this);
    if (newAlive)
        if (TxoListController* c = theNewOwner->fListController) xo::Fire(c->OnContentChanged(), theNewOwner);
    if (oldAlive)
        if (TxoListController* c = oldOwner->fListController) xo::Fire(c->OnContentChanged(), oldOwner);
}
