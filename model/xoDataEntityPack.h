// The data entity model: entities held in owning data lists with virtual (unloaded) content,
// the list controller through which every change reaches the owning component, and the
// non-owning lists of lists that a component shows together.
#pragma once

#include "foundation/xoExposable.h"
#include "platform/plClassRef.h"
#include "platform/plTypes.h"

#include <any>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class TxoDataEntity;
class TxoDataList;
class TxoListController;
class TxoDataList2lev;
class TxoDataList3lev;

using TxoDataEntityClass = TClassRef<TxoDataEntity>;
using TxoDataListClass = TClassRef<TxoDataList>;

// ---- Callback types -------------------------------------------------------------------------
using TOnDataEntityNotify = std::function<void(TxoDataEntity* theDataEntity)>;
using TOnDataEntityUnloadNotify = std::function<void(TxoDataEntity* theDataEntity, bool& CanUnload)>;
using TOnDataListNotify = std::function<void(TxoDataList* thexoDataList)>;
using TOnDataListDataEntityNotify =
    std::function<void(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity)>;
// Negative when the1 sorts first, 0 when equal, positive when the2 sorts first.
using TOnEntityCompare = std::function<int(TxoDataEntity* the1, TxoDataEntity* the2)>;
using TOnHandlePerformedMove =
    std::function<void(TxoDataEntity* thexoDataEntity, int theOldIndex, int theNewIndex)>;
using TOnMissingIndex = std::function<void(TxoExposable* theCaller, int theIndex, bool& theFixable)>;
using TSelectedDataEntityEvent = std::function<void(TxoDataList* theDataList, TxoDataEntity* theDataEntity)>;
using TFindFunc = std::function<bool(TxoDataEntity* thexoDataEntity)>;
// The components' public events that pass the controllers' notifications on to the application.
using TOnContentChanged = std::function<void(TObject* Caller, TxoDataList* thexoDataList)>;
using TOnSelectionChanged =
    std::function<void(TObject* Caller, TxoDataList* thexoDataList, TxoDataEntity* theDataEntity)>;
using TOnDeleteItem = std::function<void(TObject* Caller, TxoDataEntity* theDataEntity)>;
using TOnInsertItem = std::function<void(TObject* Caller, TxoDataEntity* theDataEntity)>;
using TOnInfoPush = std::function<void(TObject* Caller, TxoDataEntity* theDataEntity)>;
using TOnBeforeCanEditItem = std::function<void(TObject* Caller, TxoDataEntity* theDataEntity)>;

// ---- Weak references ------------------------------------------------------------------------
namespace xo {

class TWatchAnchor;

// Links a weak reference to the object it watches; the anchor clears it when the object goes.
class TWatchLink {
public:
    TWatchLink() = default;
    TWatchLink(const TWatchLink&) = delete;
    TWatchLink& operator=(const TWatchLink&) = delete;
    ~TWatchLink() { Detach(); }

protected:
    void Attach(TWatchAnchor* anAnchor);
    void Detach();
    bool Attached() const { return fAnchor != nullptr; }

private:
    friend class TWatchAnchor;
    TWatchAnchor* fAnchor = nullptr;
    TWatchLink* fPrev = nullptr;
    TWatchLink* fNext = nullptr;
};

// A member of a watchable object: when it is destroyed, every watch on the object reads none.
class TWatchAnchor {
public:
    TWatchAnchor() = default;
    TWatchAnchor(const TWatchAnchor&) = delete;
    TWatchAnchor& operator=(const TWatchAnchor&) = delete;
    ~TWatchAnchor();

private:
    friend class TWatchLink;
    TWatchLink* fFirst = nullptr;
};

// A weak reference to an entity, a data list or a list of lists: Get() answers none once the
// object has been freed. Lets a caller hold on to a model object across callbacks that may free it.
template <class T> class TWatch : public TWatchLink {
public:
    TWatch() = default;
    explicit TWatch(T* anObject) { Watch(anObject); }
    void Watch(T* anObject) {
        Detach();
        fObject = anObject;
        if (anObject) Attach(&anObject->fWatchAnchor);
    }
    T* Get() const { return Attached() ? fObject : nullptr; }
    explicit operator bool() const { return Attached(); }
    T* operator->() const { return Get(); }

private:
    T* fObject = nullptr;
};

// Watches usually live on the stack of an operation; they unlink themselves when they go, which
// the compiler's dangling-pointer analysis cannot see.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
inline void TWatchLink::Attach(TWatchAnchor* anAnchor) {
    fAnchor = anAnchor;
    fPrev = nullptr;
    fNext = anAnchor->fFirst;
    if (fNext) fNext->fPrev = this;
    anAnchor->fFirst = this;
}
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif

inline void TWatchLink::Detach() {
    if (!fAnchor) return;
    if (fPrev)
        fPrev->fNext = fNext;
    else
        fAnchor->fFirst = fNext;
    if (fNext) fNext->fPrev = fPrev;
    fAnchor = nullptr;
    fPrev = fNext = nullptr;
}

inline TWatchAnchor::~TWatchAnchor() {
    for (TWatchLink* l = fFirst; l;) {
        TWatchLink* next = l->fNext;
        l->fAnchor = nullptr;
        l->fPrev = l->fNext = nullptr;
        l = next;
    }
}

} // namespace xo

// ---- TxoDataEntity --------------------------------------------------------------------------
// One item of a data list. Created only by its list (through the list's entity class and then
// AfterCreate), and freed only through the list or FreeWheneverPossible.
class TxoDataEntity : public TxoExposable {
public:
    TxoDataEntity();

    // Reports OnDeleteItem and OnContentChanged while the entity still knows its list, then
    // forgets the list. An entity that is still in its list's window leaves it first.
    void CleanForFree() override;
    // False while the entity is being cleaned, so that a second free request from inside its own
    // removal callbacks cannot free it under its first one.
    bool CanDelete() override;
    virtual void SetVisible(bool Value);
    virtual bool GetVisible() const;
    // The entity's constructor as far as the list is concerned: remembers the list, then makes
    // the entity visible (reporting OnVisibleChanged). Descendants call the base first.
    virtual void AfterCreate(TxoDataList* thexoDataList);

    bool GetSelected() const { return fSelected; }
    // Reports OnSelectionChanged (list, entity) when the value changes and the entity has a list.
    void SetSelected(bool Value);
    bool Selected() const { return fSelected; }
    // Reports OnBeforeCanEditItem first (the component may change CanEdit there).
    bool GetCanEdit();
    bool CanEdit() { return GetCanEdit(); }
    void SetCanEdit(bool Value) { fCanEdit = Value; }
    bool Visible() const { return GetVisible(); }

    TxoDataList* GetDataList() const { return fDataList; }
    TxoDataList* OwningDataList() const { return fDataList; }
    void* GetUserReference() const { return fUserReference; }
    void SetUserReference(void* Value) { fUserReference = Value; }
    void* UserReference() const { return fUserReference; }
    int UserIntegerReference() const { return fUserIntegerReference; }
    void SetUserIntegerReference(int Value) { fUserIntegerReference = Value; }
    const std::any& UserVariantReference() const { return fVariantReference; }
    void SetUserVariantReference(std::any Value) { fVariantReference = std::move(Value); }

    // Reports OnInfoPush; descendants call it after their values changed.
    void DoInfoPush();
    // The entity's index in its list, counting the unloaded entities in front. An entity that
    // is not in a list's window (being created or removed) answers the last index it had, or -1.
    int ListIndex();
    // Moves the entity to list index theNewIndex of its own list and reports
    // OnHandlePerformedMove. An index outside 0..Count-1 raises EListError.
    void Move(int theNewIndex);
    // Moves the entity to position theIndex of theNewOwner's loaded window, keeping the object,
    // its payload and references. Does nothing for none, the same list, an entity without list
    // or an entity that is not of theNewOwner's entity class. A position outside the window
    // raises EListError.
    void ChangeOwner(TxoDataList* theNewOwner, int theIndex);

protected:
    ~TxoDataEntity() override;

    bool fVisible = false;
    bool fCanEdit = false;
    TxoDataList* fDataList = nullptr;
    void* fUserReference = nullptr;
    int fUserIntegerReference = 0;
    std::any fVariantReference;

private:
    friend class TxoDataList;
    template <class> friend class xo::TWatch;

    bool fSelected = false; // only through SetSelected: the list counts its selected entities
    bool fInWindow = false; // in fDataList's loaded window
    bool fCleaning = false;
    // Cached list index: in a window relative to the list's index bias (see TxoDataList),
    // outside one the last index the entity had (-1 before it joined a list).
    int64_t fListIndex = -1;
    xo::TWatchAnchor fWatchAnchor;
};

// ---- TxoListController ----------------------------------------------------------------------
// The callbacks of one owning component, shared by all the lists it creates. Unassigned
// callbacks are skipped.
class TxoListController : public TObject {
public:
    const TOnDataEntityNotify& OnDeleteItem() const { return fDeleteItem; }
    void SetOnDeleteItem(TOnDataEntityNotify Value) { fDeleteItem = std::move(Value); }
    const TOnDataEntityNotify& OnInsertItem() const { return fInsertItem; }
    void SetOnInsertItem(TOnDataEntityNotify Value) { fInsertItem = std::move(Value); }
    const TOnDataEntityNotify& OnEnterOwnerAfterChange() const { return fOnEnterOwnerAfterChange; }
    void SetOnEnterOwnerAfterChange(TOnDataEntityNotify Value) {
        fOnEnterOwnerAfterChange = std::move(Value);
    }
    const TOnDataEntityNotify& OnLeaveOwnerBeforeChange() const { return fOnLeaveOwnerBeforeChange; }
    void SetOnLeaveOwnerBeforeChange(TOnDataEntityNotify Value) {
        fOnLeaveOwnerBeforeChange = std::move(Value);
    }
    const TOnEntityCompare& OnSortCompare() const { return fOnSortCompare; }
    void SetOnSortCompare(TOnEntityCompare Value) { fOnSortCompare = std::move(Value); }
    const TOnHandlePerformedMove& OnHandlePerformedMove() const { return fOnHandlePerformedMove; }
    void SetOnHandlePerformedMove(TOnHandlePerformedMove Value) { fOnHandlePerformedMove = std::move(Value); }
    const TOnDataListDataEntityNotify& OnSelectionChanged() const { return fOnSelectionChanged; }
    void SetOnSelectionChanged(TOnDataListDataEntityNotify Value) { fOnSelectionChanged = std::move(Value); }
    const TOnDataListNotify& OnContentChanged() const { return fOnContentChanged; }
    void SetOnContentChanged(TOnDataListNotify Value) { fOnContentChanged = std::move(Value); }
    const TOnDataEntityNotify& OnVisibleChanged() const { return fOnVisibleChanged; }
    void SetOnVisibleChanged(TOnDataEntityNotify Value) { fOnVisibleChanged = std::move(Value); }
    const TOnDataEntityNotify& OnBeforeCanEditItem() const { return fBeforeCanEditItem; }
    void SetOnBeforeCanEditItem(TOnDataEntityNotify Value) { fBeforeCanEditItem = std::move(Value); }
    const TOnDataEntityNotify& OnInfoPush() const { return fOnInfoPush; }
    void SetOnInfoPush(TOnDataEntityNotify Value) { fOnInfoPush = std::move(Value); }
    const TOnDataEntityNotify& OnLoadItem() const { return fOnLoadItem; }
    void SetOnLoadItem(TOnDataEntityNotify Value) { fOnLoadItem = std::move(Value); }
    const TOnDataEntityUnloadNotify& OnUnLoadItem() const { return fOnUnLoadItem; }
    void SetOnUnLoadItem(TOnDataEntityUnloadNotify Value) { fOnUnLoadItem = std::move(Value); }
    const TOnDataListNotify& OnUnLoadedContentChanged() const { return fOnUnLoadedContentChanged; }
    void SetOnUnLoadedContentChanged(TOnDataListNotify Value) {
        fOnUnLoadedContentChanged = std::move(Value);
    }

private:
    TOnDataEntityNotify fDeleteItem;
    TOnDataEntityNotify fInsertItem;
    TOnDataEntityNotify fOnEnterOwnerAfterChange;
    TOnDataEntityNotify fOnLeaveOwnerBeforeChange;
    TOnEntityCompare fOnSortCompare;
    TOnHandlePerformedMove fOnHandlePerformedMove;
    TOnDataListDataEntityNotify fOnSelectionChanged;
    TOnDataListNotify fOnContentChanged;
    TOnDataEntityNotify fOnVisibleChanged;
    TOnDataEntityNotify fBeforeCanEditItem;
    TOnDataEntityNotify fOnInfoPush;
    TOnDataEntityNotify fOnLoadItem;
    TOnDataEntityUnloadNotify fOnUnLoadItem;
    TOnDataListNotify fOnUnLoadedContentChanged;
};

// ---- TxoDataList ----------------------------------------------------------------------------
// An ordered, owning list of entities of one entity class. Count entities exist as far as the
// application is concerned; only a contiguous window of them is in memory ("loaded"), with
// fUnloadedPreCount unloaded entities in front of it and fUnloadedPostCount behind it.
// Created through a class reference, then AfterCreate; freed through FreeWheneverPossible.
// Every change is reported through the list controller; callbacks may raise or free entities
// (or the list) and the list stays consistent.
class TxoDataList : public TxoExposable {
public:
    TxoDataList();

    // Frees every loaded entity, first to last (each reporting OnDeleteItem and
    // OnContentChanged), then resets both unloaded counts without a further callback. The
    // entities still waiting keep their indexes meanwhile.
    void CleanForFree() override;
    // Disposes of an entity that has been taken out of the window; the base frees it.
    virtual void FreeDataEntity(TxoDataEntity* theDataEntity);
    virtual void AfterCreate(TxoListController* theListController, TxoDataEntityClass theDataEntityClass);
    // Announces count more unloaded entities behind the window (virtual content).
    virtual void AddUnloaded(int count);

    int Count() const { return fUnloadedPreCount + LoadedCount() + fUnloadedPostCount; }
    int LoadedCount() const { return int(fItems.size()); }
    bool IsLoaded(int index) const {
        return index >= fUnloadedPreCount && index - fUnloadedPreCount < LoadedCount();
    }
    // Selected entities among the loaded ones.
    int SelectedCount() const { return fSelectedCount; }
    int UnloadedPreCount() const { return fUnloadedPreCount; }
    int UnloadedPostCount() const { return fUnloadedPostCount; }
    // The entity at a position of the loaded window, without loading; EListError outside it.
    TxoDataEntity* GetLoaded(int position) const;
    TxoDataEntity* Loaded(int position) const { return GetLoaded(position); }
    // The entity at a list index, loaded on demand; none outside 0..Count-1.
    TxoDataEntity* GetItems(int index) {
        if (IsLoaded(index)) return fItems[size_t(index - fUnloadedPreCount)];
        return EnsureLoadedItem(index);
    }
    TxoDataEntity* Items(int index) { return GetItems(index); }
    // Returns the entity at a list index, loading it (and the gap up to the window) first when
    // needed. When the window would grow past 501 entities, everything unloadable is unloaded
    // first and the window moves to the index.
    TxoDataEntity* EnsureLoadedItem(int index);

    // A new entity of the entity class, after its AfterCreate; not yet in the list.
    TxoDataEntity* CreateItem();
    // A new entity at a position of the loaded window (0..LoadedCount, else EListError).
    TxoDataEntity* InsertItem(int position);
    // A new entity at a list index (0..Count, else EListError).
    TxoDataEntity* Insert(int theIndex);
    TxoDataEntity* Add() { return Insert(Count()); }
    // Removes the entity at a list index; nothing outside 0..Count-1.
    void Delete(int theIndex);
    // Removes an entity of this list; nothing for none or an entity that is not in the list.
    void Remove(TxoDataEntity* theDataEntity);
    // Removes every loaded entity, last first, and forgets the unloaded ones.
    void Clear();

    // Loads list indexes start..stop, which must adjoin the window (in front of it when inFront)
    // or may be anywhere when nothing is loaded; EListError otherwise.
    void LoadItems(int start, int stop, bool inFront);
    // Unloads the entity at index, which must be the first loaded one (inFront) or the last
    // (EListError otherwise; nothing when index is not loaded). Does not ask the controller.
    void Unload(int index, bool inFront);
    // Asks the controller's OnUnLoadItem; false without that callback.
    bool CanUnload(TxoDataEntity* theDataEntity);
    // Unloads from the front while the controller agrees, then from the back likewise.
    void Purge();
    void UnloadAll();

    void EnsureListIndexes();
    // Marks the cached indexes from list index from on as possibly stale.
    void ListIndexesOutOfDate(int from);
    void UpdateListIndexesFrom(int from);

    // The entity's ListIndex, or -1 for none or an entity of another list.
    int IndexOf(TxoDataEntity* theDataEntity);
    // Sorts all entities through the controller's OnSortCompare (nothing without it), equal
    // ones keeping their order. Loads every unloaded entity first and keeps them loaded. A
    // comparison that changes the list raises Exception and leaves the order as it was.
    void Sort(bool theDescending);
    void ClearSelections();
    void IteratorOfSelectedDataEntities(const TSelectedDataEntityEvent& theCall);
    TxoDataEntity* FindDataEntity(const TFindFunc& theFindFunc);
    void SelectionChanged(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity);
    int VisibleCount() const;
    bool ValidIndexDataEntity(int theDataEntityIndex) const {
        return theDataEntityIndex >= 0 && theDataEntityIndex < Count();
    }
    bool VisibleIndexDataEntity(int theDataEntityIndex);
    int ListIndexToVisibleIndex(int theIndex);
    int VisibleIndexToListIndex(int theIndex);

    TxoListController* ListController() const { return fListController; }
    TxoDataEntityClass DataEntityClass() const { return fDataEntityClass; }
    TObject* MiscObjectPointer() const { return fMiscObjectPointer; }
    void SetMiscObjectPointer(TObject* Value) { fMiscObjectPointer = Value; }

protected:
    ~TxoDataList() override;

    std::deque<TxoDataEntity*> fItems; // the loaded window, owning
    TObject* fMiscObjectPointer = nullptr;
    TxoListController* fListController = nullptr;
    TxoDataEntityClass fDataEntityClass;
    bool fListIndexesOutOfDate = false;
    int fOutOfDateFromIndex = 0;
    int fUnloadedPreCount = 0;
    int fUnloadedPostCount = 0;

private:
    friend class TxoDataEntity;
    friend class TxoDataList2lev;
    template <class> friend class xo::TWatch;
    enum class TTakeOut { Remove, UnloadFront, UnloadBack };
    struct TRun {
        int start, stop;
        bool inFront;
    };

    // Index bookkeeping. An entity's true list index is its fListIndex + fIndexBias; a cached
    // value is trusted when the indexes are up to date or it lies below fOutOfDateFromIndex.
    // Shifts of the whole window (changes at its front) only move the bias.
    int TrueIndex(const TxoDataEntity* e);
    void IndexesShifted(int delta);
    void ResetIndexState();
    int PositionOf(TxoDataEntity* e) { return TrueIndex(e) - fUnloadedPreCount; }

    TRun ChooseRun(int index) const;
    void PutAt(int position, TxoDataEntity* e);
    TxoDataEntity* TakeOut(int position, TTakeOut how);
    void FreeTakenOut(TxoDataEntity* e, bool throughFreeDataEntity);
    static void DiscardUnplaced(TxoDataEntity* e);
    void CheckRoomFor(int64_t more) const;
    // Visits the loaded entities first to last while visit answers true, surviving callbacks
    // that change the window or free entities (and the list itself).
    void WalkLoaded(bool selectedOnly, const std::function<bool(TxoDataEntity*)>& visit);
    void Hold(TxoDataList2lev* h) { fHolders.push_back(h); }
    void Unhold(TxoDataList2lev* h);

    int64_t fIndexBias = 0;
    uint64_t fWindowStamp = 0; // changes with every change of the window or of the counts
    int fSelectedCount = 0;    // selected entities in the window
    int fUnloadSuspended = 0;  // while sorting nothing is unloaded
    bool fSorting = false;
    TxoDataEntity* fPinned = nullptr;       // the entity being moved is never unloaded
    std::vector<TxoDataList2lev*> fHolders; // lists of lists that hold this list (one per slot)
    xo::TWatchAnchor fWatchAnchor;
};

// ---- Lists of lists -------------------------------------------------------------------------
// A non-owning list of data lists (the layers of a row, the sub-lists of a tree). A data list
// that is freed while held leaves an empty slot (none) rather than shifting the others.
class TxoDataList2lev : public TxoExposable {
public:
    TxoDataList2lev();
    // Empties the list; the data lists themselves are not freed.
    void CleanForFree() override;
    void AfterCreate();

    // Appends unless already present (or none).
    void Add(TxoDataList* theDataList);
    void Remove(TxoDataList* theDataList);
    // EListError outside 0..Count-1.
    void Delete(int theIndex);
    int IndexOf(TxoDataList* theDataList) const;
    int Count() const { return int(fList.size()); }
    void Clear();
    // The list at index; for a missing index OnMissingIndex may add lists and set theFixable.
    // None when the index stays missing.
    TxoDataList* GetDataList(int index);
    TxoDataList* Items(int index) { return GetDataList(index); }
    // Replaces the list at index (EListError outside 0..Count-1).
    void SetDataList(int index, TxoDataList* theDataList);
    void SetItems(int index, TxoDataList* theDataList) { SetDataList(index, theDataList); }

    // Selection over the entities of all lists, list by list, index by index (loading them).
    void ClearSelections();
    TxoDataEntity* FindSelected();
    void SelectDataEntity(TxoDataEntity* theElement);
    void SelectNext();
    void SelectPrev();

    const TOnMissingIndex& OnMissingIndex() const { return fOnMissingIndex; }
    void SetOnMissingIndex(TOnMissingIndex Value) { fOnMissingIndex = std::move(Value); }

protected:
    ~TxoDataList2lev() override;

    std::vector<TxoDataList*> fList;
    TOnMissingIndex fOnMissingIndex;

private:
    friend class TxoDataList;
    friend class TxoDataList3lev;
    template <class> friend class xo::TWatch;
    void Forget(TxoDataList* theDataList); // the list is being destroyed
    void Hold(TxoDataList3lev* h) { fHolders.push_back(h); }
    void Unhold(TxoDataList3lev* h);
    void SelectStep(bool forward);

    std::vector<TxoDataList3lev*> fHolders;
    xo::TWatchAnchor fWatchAnchor;
};

// A non-owning list of lists of data lists (the layer groups of all Gantt rows); duplicates
// are allowed. A held list of lists that is freed leaves an empty slot.
class TxoDataList3lev : public TxoExposable {
public:
    TxoDataList3lev();
    void CleanForFree() override;
    void AfterCreate();

    void Add(TxoDataList2lev* thexoDataListList);
    void Remove(TxoDataList2lev* thexoDataListList);
    void Delete(int theIndex);
    int IndexOf(TxoDataList2lev* thexoDataListList) const;
    int Count() const { return int(fList.size()); }
    void Clear();
    // None outside 0..Count-1.
    TxoDataList2lev* GetDataListList(int index) const;
    TxoDataList2lev* Items(int index) const { return GetDataListList(index); }
    // EListError outside 0..Count-1.
    void SetDataListList(int index, TxoDataList2lev* theDataListList);
    void SetItems(int index, TxoDataList2lev* theDataListList) { SetDataListList(index, theDataListList); }

protected:
    ~TxoDataList3lev() override;

    std::vector<TxoDataList2lev*> fList;

private:
    friend class TxoDataList2lev;
    template <class> friend class xo::TWatch;
    void Forget(TxoDataList2lev* theDataListList);
    xo::TWatchAnchor fWatchAnchor;
};

namespace xo {
// Raises EListError "List index out of bounds (index)".
[[noreturn]] void ListIndexError(int index);
// A list of class theListClass, ready for use (created, then AfterCreate).
TxoDataList* NewDataList(TxoDataListClass theListClass, TxoListController* theListController,
                         TxoDataEntityClass theDataEntityClass);
} // namespace xo
