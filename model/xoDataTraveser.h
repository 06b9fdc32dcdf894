// Walks the entities of one data list, of every list of a TxoDataList2lev, or of every list of
// every list of a TxoDataList3lev, as one flat sequence with a cursor.
//
//   auto t = TDataListTrav::CreateMulti(theLayers);
//   for (t.First(); !t.Eof(); t.Next()) use(t.DataEntity());
//   for (t.Last(); !t.BOF(); t.Prev()) use(t.DataEntity());
#pragma once

#include "model/xoDataEntityPack.h"

#include <initializer_list>
#include <span>
#include <vector>

enum TTravMode { trmMultiList, trmMulti, trmSingle };

class TDataListTrav : public TObject {
public:
    explicit TDataListTrav(TxoDataList* theDataList);
    explicit TDataListTrav(TxoDataList2lev* theDataListList);
    TDataListTrav(TxoDataList2lev* theDataListList, int theStart);
    TDataListTrav(TxoDataList2lev* theDataListList, std::span<const int> theDrawingOrderArray);
    TDataListTrav(TxoDataList2lev* theDataListList, std::initializer_list<int> theDrawingOrderArray)
        : TDataListTrav(theDataListList,
                        std::span<const int>(theDrawingOrderArray.begin(), theDrawingOrderArray.size())) {}
    explicit TDataListTrav(TxoDataList3lev* theDataListListList);

    // The same constructors under their own names.
    static TDataListTrav Create(TxoDataList* theDataList) { return TDataListTrav(theDataList); }
    static TDataListTrav CreateMulti(TxoDataList2lev* theDataListList) {
        return TDataListTrav(theDataListList);
    }
    // Starts with list theStart (0 <= theStart < Count of a non-empty 2lev, else EListError)
    // and wraps round to list 0.
    static TDataListTrav CreateMultiWithMidStart(TxoDataList2lev* theDataListList, int theStart) {
        return TDataListTrav(theDataListList, theStart);
    }
    // Walks the lists at the indexes of the drawing order, in its order; -1 skips an entry.
    static TDataListTrav CreateMultiFromIntegerArray(TxoDataList2lev* theDataListList,
                                                     std::span<const int> theDrawingOrderArray) {
        return TDataListTrav(theDataListList, theDrawingOrderArray);
    }
    static TDataListTrav CreateMultiFromIntegerArray(TxoDataList2lev* theDataListList,
                                                     std::initializer_list<int> theDrawingOrderArray) {
        return TDataListTrav(theDataListList, theDrawingOrderArray);
    }
    static TDataListTrav CreateMultiList(TxoDataList3lev* theDataListListList) {
        return TDataListTrav(theDataListListList);
    }

    // Rebuild the lists to walk (those with entities, loaded or not) and put the cursor on the
    // first or the last entity.
    void First();
    void Last();
    // Next at Eof raises EListError.
    void Next();
    void Prev();
    // The entity under the cursor, loaded on demand; EListError at Eof or BOF.
    TxoDataEntity* DataEntity();
    // Past the last entity (or before the first list).
    bool Eof() const;
    // Before the first entity.
    bool BOF() const;
    // Count of the i-th list walked; EListError for an invalid i.
    int GetObsCountInList(int i) const;
    void InitTravList();

    TTravMode Mode() const { return itsMode; }
    int CurrentIndex() const { return itsCurrentIndex; }
    int CurrentListIndex() const { return itsCurrentListIndex; }
    int TravListCount() const { return int(itsTravList.size()); }
    // The list under the cursor; none off the lists.
    TxoDataList* CurrentList() const;

private:
    TxoDataList* itsDataList = nullptr;
    TxoDataList2lev* itsDataListList = nullptr;
    TxoDataList3lev* itsDataListListList = nullptr;
    int itsCurrentIndex = 0;
    int itsCurrentListIndex = 0;
    TTravMode itsMode = trmSingle;
    std::vector<TxoDataList*> itsTravList;
    int itsMidStart = 0;
    std::vector<int> itsDrawingOrderArray; // grows past the classic 11 entries when needed
    int itsDrawingOrderArrayCount = 0;
    bool itsUseDrawingOrderList = false;
};
