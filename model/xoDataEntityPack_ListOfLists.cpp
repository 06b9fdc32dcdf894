// Lists of data lists and lists of those: non-owning, with selection over all their entities.
#include "model/xoDataEntityPack.h"
#include "model/xoDataTraveser.h"

#include <algorithm>

namespace {
template <class T> void EraseOne(std::vector<T*>& v, T* item) {
    auto it = std::find(v.begin(), v.end(), item);
    if (it != v.end()) v.erase(it);
}
} // namespace

void TxoDataList::Unhold(TxoDataList2lev* h) {
    EraseOne(fHolders, h);
}

// ---- TxoDataList2lev ------------------------------------------------------------------------

TxoDataList2lev::TxoDataList2lev() = default;

TxoDataList2lev::~TxoDataList2lev() {
    Clear();
    for (TxoDataList3lev* h : fHolders)
        h->Forget(this);
}

void TxoDataList2lev::CleanForFree() {
    Clear();
}

void TxoDataList2lev::AfterCreate() {
    Clear();
}

void TxoDataList2lev::Unhold(TxoDataList3lev* h) {
    EraseOne(fHolders, h);
}

void TxoDataList2lev::Forget(TxoDataList* theDataList) {
    std::replace(fList.begin(), fList.end(), theDataList, static_cast<TxoDataList*>(nullptr));
}

void TxoDataList2lev::Add(TxoDataList* theDataList) {
    if (!theDataList || IndexOf(theDataList) >= 0) return;
    fList.push_back(theDataList);
    theDataList->Hold(this);
}

void TxoDataList2lev::Remove(TxoDataList* theDataList) {
    const int i = IndexOf(theDataList);
    if (i >= 0) Delete(i);
}

void TxoDataList2lev::Delete(int theIndex) {
    if (theIndex < 0 || theIndex >= Count()) xo::ListIndexError(theIndex);
    TxoDataList* l = fList[size_t(theIndex)];
    fList.erase(fList.begin() + theIndex);
    if (l) l->Unhold(this);
}

int TxoDataList2lev::IndexOf(TxoDataList* theDataList) const {
    if (!theDataList) return -1;
    auto it = std::find(fList.begin(), fList.end(), theDataList);
    return it == fList.end() ? -1 : int(it - fList.begin());
}

void TxoDataList2lev::Clear() {
    std::vector<TxoDataList*> lists;
    lists.swap(fList);
    for (TxoDataList* l : lists)
        if (l) l->Unhold(this);
}

TxoDataList* TxoDataList2lev::GetDataList(int index) {
    if (index < 0) return nullptr;
    xo::TWatch<TxoDataList2lev> self(this);
    while (index >= Count()) {
        if (!fOnMissingIndex) return nullptr;
        bool fixable = false;
        const int before = Count();
        const TOnMissingIndex handler = fOnMissingIndex;
        handler(this, index, fixable);
        // A handler that claims a fix but adds nothing would be asked forever.
        if (!self || !fixable || Count() <= before) return nullptr;
    }
    return fList[size_t(index)];
}

void TxoDataList2lev::SetDataList(int index, TxoDataList* theDataList) {
    if (index < 0 || index >= Count()) xo::ListIndexError(index);
    TxoDataList*& slot = fList[size_t(index)];
    if (slot == theDataList) return;
    if (slot) slot->Unhold(this);
    slot = theDataList;
    if (theDataList) theDataList->Hold(this);
}

void TxoDataList2lev::ClearSelections() {
    xo::TWatch<TxoDataList2lev> self(this);
    for (int li = 0; self && li < Count(); ++li) {
        xo::TWatch<TxoDataList> list(fList[size_t(li)]);
        for (int i = 0; list && i < list->Count(); ++i) {
            TxoDataEntity* e = list->GetItems(i);
            if (!self) return;
            if (e && list) e->SetSelected(false);
        }
    }
}

TxoDataEntity* TxoDataList2lev::FindSelected() {
    xo::TWatch<TxoDataList2lev> self(this);
    for (int li = 0; self && li < Count(); ++li) {
        xo::TWatch<TxoDataList> list(fList[size_t(li)]);
        for (int i = 0; list && i < list->Count(); ++i) {
            TxoDataEntity* e = list->GetItems(i);
            if (!self) return nullptr;
            if (e && list && e->Selected()) return e;
        }
    }
    return nullptr;
}

void TxoDataList2lev::SelectDataEntity(TxoDataEntity* theElement) {
    if (theElement) theElement->SetSelected(true);
}

void TxoDataList2lev::SelectNext() {
    SelectStep(true);
}

void TxoDataList2lev::SelectPrev() {
    SelectStep(false);
}

void TxoDataList2lev::SelectStep(bool forward) {
    xo::TWatch<TxoDataList2lev> self(this);
    auto trav = TDataListTrav::CreateMulti(this);
    trav.First();
    while (!trav.Eof()) {
        TxoDataEntity* e = trav.DataEntity();
        if (!self) return;
        if (e && e->Selected()) break;
        trav.Next();
    }
    auto onEntity = [&trav] { return !trav.Eof() && !trav.BOF(); };
    if (!onEntity()) {
        // Nothing selected: the first (or last) entity becomes the selection.
        if (forward)
            trav.First();
        else
            trav.Last();
    } else {
        ClearSelections();
        if (!self) return;
        if (forward) {
            trav.Next();
            if (!onEntity()) trav.First();
        } else {
            trav.Prev();
            if (!onEntity()) trav.Last();
        }
    }
    if (onEntity())
        if (TxoDataEntity* e = trav.DataEntity()) e->SetSelected(true);
}

// ---- TxoDataList3lev ------------------------------------------------------------------------

TxoDataList3lev::TxoDataList3lev() = default;

TxoDataList3lev::~TxoDataList3lev() {
    Clear();
}

void TxoDataList3lev::CleanForFree() {
    Clear();
}

void TxoDataList3lev::AfterCreate() {
    Clear();
}

void TxoDataList3lev::Forget(TxoDataList2lev* theDataListList) {
    std::replace(fList.begin(), fList.end(), theDataListList, static_cast<TxoDataList2lev*>(nullptr));
}

void TxoDataList3lev::Add(TxoDataList2lev* thexoDataListList) {
    if (!thexoDataListList) return;
    fList.push_back(thexoDataListList);
    thexoDataListList->Hold(this);
}

void TxoDataList3lev::Remove(TxoDataList2lev* thexoDataListList) {
    const int i = IndexOf(thexoDataListList);
    if (i >= 0) Delete(i);
}

void TxoDataList3lev::Delete(int theIndex) {
    if (theIndex < 0 || theIndex >= Count()) xo::ListIndexError(theIndex);
    TxoDataList2lev* l = fList[size_t(theIndex)];
    fList.erase(fList.begin() + theIndex);
    if (l) l->Unhold(this);
}

int TxoDataList3lev::IndexOf(TxoDataList2lev* thexoDataListList) const {
    if (!thexoDataListList) return -1;
    auto it = std::find(fList.begin(), fList.end(), thexoDataListList);
    return it == fList.end() ? -1 : int(it - fList.begin());
}

void TxoDataList3lev::Clear() {
    std::vector<TxoDataList2lev*> lists;
    lists.swap(fList);
    for (TxoDataList2lev* l : lists)
        if (l) l->Unhold(this);
}

TxoDataList2lev* TxoDataList3lev::GetDataListList(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return fList[size_t(index)];
}

void TxoDataList3lev::SetDataListList(int index, TxoDataList2lev* theDataListList) {
    if (index < 0 || index >= Count()) xo::ListIndexError(index);
    TxoDataList2lev*& slot = fList[size_t(index)];
    if (slot == theDataListList) return;
    if (slot) slot->Unhold(this);
    slot = theDataListList;
    if (theDataListList) theDataListList->Hold(this);
}
