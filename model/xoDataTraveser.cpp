#include "model/xoDataTraveser.h"

#include <algorithm>

TDataListTrav::TDataListTrav(TxoDataList* theDataList) : itsDataList(theDataList), itsMode(trmSingle) {}

TDataListTrav::TDataListTrav(TxoDataList2lev* theDataListList)
    : itsDataListList(theDataListList), itsMode(trmMulti) {}

TDataListTrav::TDataListTrav(TxoDataList2lev* theDataListList, int theStart)
    : itsDataListList(theDataListList), itsMode(trmMulti), itsMidStart(theStart) {
    if (theDataListList && theDataListList->Count() > 0 &&
        (theStart < 0 || theStart >= theDataListList->Count()))
        xo::ListIndexError(theStart);
}

TDataListTrav::TDataListTrav(TxoDataList2lev* theDataListList, std::span<const int> theDrawingOrderArray)
    : itsDataListList(theDataListList), itsMode(trmMulti), itsUseDrawingOrderList(true) {
    const size_t lists = theDataListList ? size_t(theDataListList->Count()) : 0;
    const size_t n = std::min(theDrawingOrderArray.size(), lists);
    itsDrawingOrderArray.assign(theDrawingOrderArray.begin(), theDrawingOrderArray.begin() + n);
    itsDrawingOrderArrayCount = int(n);
}

TDataListTrav::TDataListTrav(TxoDataList3lev* theDataListListList)
    : itsDataListListList(theDataListListList), itsMode(trmMultiList) {}

void TDataListTrav::InitTravList() {
    itsTravList.clear();
    auto take = [this](TxoDataList* l) {
        if (l && l->Count() > 0) itsTravList.push_back(l);
    };
    switch (itsMode) {
    case trmMultiList:
        if (!itsDataListListList) break;
        for (int i = 0; i < itsDataListListList->Count(); ++i)
            if (TxoDataList2lev* l2 = itsDataListListList->GetDataListList(i))
                for (int j = 0; j < l2->Count(); ++j)
                    take(l2->GetDataList(j));
        break;
    case trmMulti:
        if (!itsDataListList) break;
        if (itsUseDrawingOrderList) {
            for (int k = 0; k < itsDrawingOrderArrayCount; ++k)
                if (itsDrawingOrderArray[size_t(k)] >= 0)
                    take(itsDataListList->GetDataList(itsDrawingOrderArray[size_t(k)]));
        } else {
            const int n = itsDataListList->Count();
            // The 2lev may have shrunk since construction: wrap the start into range.
            const int start = n > 0 ? ((itsMidStart % n) + n) % n : 0;
            for (int s = 0; s < n; ++s)
                take(itsDataListList->GetDataList((start + s) % n));
        }
        break;
    case trmSingle:
        take(itsDataList);
        break;
    }
}

int TDataListTrav::GetObsCountInList(int i) const {
    if (i < 0 || i >= TravListCount()) xo::ListIndexError(i);
    return itsTravList[size_t(i)]->Count();
}

TxoDataList* TDataListTrav::CurrentList() const {
    if (itsCurrentListIndex < 0 || itsCurrentListIndex >= TravListCount()) return nullptr;
    return itsTravList[size_t(itsCurrentListIndex)];
}

void TDataListTrav::First() {
    InitTravList();
    itsCurrentIndex = 0;
    itsCurrentListIndex = 0;
}

void TDataListTrav::Last() {
    InitTravList();
    itsCurrentListIndex = TravListCount() - 1;
    if (itsCurrentListIndex < 0) return;
    itsCurrentIndex = GetObsCountInList(itsCurrentListIndex) - 1;
    while (itsCurrentIndex < 0 && itsCurrentListIndex >= 0)
        Prev();
}

void TDataListTrav::Next() {
    if (itsCurrentListIndex < 0 || itsCurrentListIndex >= TravListCount())
        xo::ListIndexError(itsCurrentListIndex);
    ++itsCurrentIndex;
    if (itsCurrentIndex < GetObsCountInList(itsCurrentListIndex)) return;
    // Counts are read live: a list that has been emptied since First is passed over.
    ++itsCurrentListIndex;
    while (itsCurrentListIndex < TravListCount() && GetObsCountInList(itsCurrentListIndex) == 0)
        ++itsCurrentListIndex;
    if (itsCurrentListIndex < TravListCount()) itsCurrentIndex = 0;
}

void TDataListTrav::Prev() {
    if (itsCurrentListIndex < 0) return;
    if (itsCurrentListIndex >= TravListCount()) {
        // Back from past the end: onto the last entity.
        itsCurrentListIndex = TravListCount();
        itsCurrentIndex = 0;
    } else {
        --itsCurrentIndex;
        if (itsCurrentIndex >= 0) return;
    }
    while (--itsCurrentListIndex >= 0) {
        itsCurrentIndex = GetObsCountInList(itsCurrentListIndex) - 1;
        if (itsCurrentIndex >= 0) return;
    }
}

bool TDataListTrav::Eof() const {
    if (itsCurrentListIndex < 0 || itsCurrentListIndex >= TravListCount()) return true;
    return itsCurrentIndex >= GetObsCountInList(itsCurrentListIndex);
}

bool TDataListTrav::BOF() const {
    return itsCurrentListIndex < 0 || itsCurrentIndex < 0;
}

TxoDataEntity* TDataListTrav::DataEntity() {
    if (BOF() || Eof()) xo::ListIndexError(itsCurrentIndex);
    return itsTravList[size_t(itsCurrentListIndex)]->GetItems(itsCurrentIndex);
}
