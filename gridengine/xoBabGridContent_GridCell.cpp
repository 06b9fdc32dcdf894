// Grid cells: construction, cell creation, keeping the matrix in step with the axes, the
// scroll position and the conversions between axis and visible indices.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

TBabGridCell::TBabGridCell(TBabGridCell* theBabGridCell) : TBabCell(theBabGridCell) {
    fIsGridCell = true;
    if (theBabGridCell) fViewerGridCell = theBabGridCell->fViewerGridCell;
    fAxisContentListX = std::make_unique<TAxisContentList>(this);
    fAxisContentListY = std::make_unique<TAxisContentList>(this);
    fCellMatris = std::make_unique<TCellMatris>(this);
    CreateOwnData();
}

TBabGridCell::~TBabGridCell() {
    // The data goes first, while the cell it may look at is still whole.
    fDestroying = true;
    ReleaseData();
    DestroyContent();
    fIsGridCell = false; // what is left is a plain cell on its way out
}

void TBabGridCell::DestroyContent() {
    fDestroying = true;
    // reset() clears the member before deleting, so calls made meanwhile see no matrix.
    fCellMatris.reset();
    fAxisContentListX.reset();
    fAxisContentListY.reset();
}

int TBabGridCell::GetCalculatedWidth() {
    int sum = 0;
    if (TAxisContentList* x = AxisContentListX())
        for (int j = 0; j < x->LoadedCount(); ++j)
            sum += x->getLoadedAxisContentItem(j)->CalculatedSize();
    return std::max(GetMinWidth(), sum);
}

int TBabGridCell::GetCalculatedHeight() {
    int sum = 0;
    if (TAxisContentList* y = AxisContentListY())
        for (int j = 0; j < y->LoadedCount(); ++j)
            sum += y->getLoadedAxisContentItem(j)->CalculatedSize();
    return std::max(GetMinHeight(), sum);
}

TBabCellData* TBabGridCell::CreateBabCellData(TBabCell* theCell) {
    TBabGridCellForViewer* viewer = fViewerGridCell;
    if (viewer) {
        if (theCell && theCell->fIsSimpleCell) {
            if (viewer->BabSimpleCellDataClass()) return viewer->BabSimpleCellDataClass().Create();
        } else if (viewer->BabGridCellDataClass()) {
            return viewer->BabGridCellDataClass().Create();
        }
    }
    if (getGridCell()) return getGridCell()->CreateBabCellData(theCell);
    throw Exception("CreateBabCellData");
}

TBabCell* TBabGridCell::CreateCell(int x, int y) {
    TAxisContentItem* itemX = fAxisContentListX ? fAxisContentListX->getAxisContentItem(x) : nullptr;
    TAxisContentItem* itemY = fAxisContentListY ? fAxisContentListY->getAxisContentItem(y) : nullptr;
    if (!itemX || !itemY) return nullptr;
    TBabCellType kind = babCellTypeSimple;
    TBabGridCellForViewer* viewer = fViewerGridCell;
    if (viewer && viewer->OnCreateCell()) {
        const TOnCreateCell& handler = viewer->OnCreateCell();
        kind = handler(this, itemX, itemY);
    }
    std::unique_ptr<TBabCell> cell;
    if (kind == babCellTypeGrid)
        cell = std::make_unique<TBabGridCell>(this);
    else
        cell = std::make_unique<TBabSimpleCell>(this);
    cell->fAxisContentItemX = fAxisContentListX->getAxisContentItem(x);
    cell->fAxisContentItemY = fAxisContentListY->getAxisContentItem(y);
    if (cell->BabCellData()) cell->BabCellData()->InitContent();
    if (TBabGridCell* grid = cell->AsGridCell()) {
        // Focus changes anywhere below reach the root; the listener goes with the child's event.
        new TSingleEventListener(
            grid->FocusedCellChangeEvent(),
            [this](TSingleEventListener*) { fFocusedCellChangeEvent.TriggerEvent(nullptr); }, true);
    }
    return cell.release();
}

// ---- Calls of the axes ----------------------------------------------------------------------

TAxisContentList* TBabGridCell::AxisOf(TAxisContentList* theList, bool& isRow) const {
    if (theList && theList == fAxisContentListX.get()) {
        isRow = false;
        return theList;
    }
    if (theList && theList == fAxisContentListY.get()) {
        isRow = true;
        return theList;
    }
    // An axis of another grid cell, or one of ours while it is being freed.
    if (fDestroying) return nullptr;
    throw Exception("");
}

void TBabGridCell::TriggerAxisChange() {
    for (TBabGridCell* p = this; p; p = p->getGridCell())
        if (p->fDestroying) return;
    if (TBabGridCellForViewer* viewer = fViewerGridCell) viewer->AxisChangeEvent()->TriggerEvent(nullptr);
}

void TBabGridCell::InsertingAxisItem(TAxisContentList* theList, int i) {
    if (fDestroying) return;
    bool isRow = false;
    if (!AxisOf(theList, isRow)) return;
    if (fCellMatris) {
        if (isRow)
            fCellMatris->InsertY(i);
        else
            fCellMatris->InsertX(i);
    }
    TriggerAxisChange();
}

void TBabGridCell::DroppingAxisItem(TAxisContentList* theList, int i) {
    if (fDestroying) return;
    bool isRow = false;
    if (!AxisOf(theList, isRow)) return;
    TriggerAxisChange();
    if (fCellMatris) {
        if (isRow)
            fCellMatris->DropY(i);
        else
            fCellMatris->DropX(i);
    }
    CheckScrollPosition(theList);
}

void TBabGridCell::MowingAxisItem(TAxisContentList* theList, int curIndex, int newIndex) {
    if (fDestroying) return;
    bool isRow = false;
    if (!AxisOf(theList, isRow)) return;
    if (fCellMatris) {
        if (isRow)
            fCellMatris->MoveY(curIndex, newIndex);
        else
            fCellMatris->MoveX(curIndex, newIndex);
    }
    TriggerAxisChange();
}

void TBabGridCell::ChangeInUnloaded(TAxisContentList* theList) {
    if (fDestroying) return;
    bool isRow = false;
    if (!AxisOf(theList, isRow)) return;
    TriggerAxisChange();
}

// A scroll position past the end of its axis returns to the first scrolled item.
void TBabGridCell::CheckScrollPosition(TAxisContentList* theList) {
    if (fDestroying || !theList) return;
    if (theList == fAxisContentListX.get() && fLeft >= theList->Count())
        SetLeft(0);
    else if (theList == fAxisContentListY.get() && fTop >= theList->Count())
        SetTop(0);
}

// ---- Scroll position ------------------------------------------------------------------------

void TBabGridCell::SetTop(int v) {
    if (v == fTop) return;
    fTop = std::max(v, FixedRows());
    if (!fDestroying) fTopLeftChangedEvent.TriggerEvent(nullptr);
}

void TBabGridCell::SetLeft(int v) {
    if (v == fLeft) return;
    fLeft = std::max(v, FixedCols());
    if (!fDestroying) fTopLeftChangedEvent.TriggerEvent(nullptr);
}

int TBabGridCell::GetTop_ScrollVal() {
    return Convert_TrueIndexToVisible(AxisContentListY(), fTop);
}

int TBabGridCell::GetLeft_ScrollVal() {
    return Convert_TrueIndexToVisible(AxisContentListX(), fLeft);
}

void TBabGridCell::SetTop_ScrollVal(int v) {
    SetTop(Convert_VisibleIndexToTrue(AxisContentListY(), v));
}

void TBabGridCell::SetLeft_ScrollVal(int v) {
    SetLeft(Convert_VisibleIndexToTrue(AxisContentListX(), v));
}

int TBabGridCell::GetFixedRows() const {
    return fAxisContentListY ? fAxisContentListY->FixedItems() : 0;
}

int TBabGridCell::GetFixedCols() const {
    return fAxisContentListX ? fAxisContentListX->FixedItems() : 0;
}

void TBabGridCell::SetFixedRows(int Value) {
    if (fAxisContentListY) fAxisContentListY->SetFixedItems(Value);
}

void TBabGridCell::SetFixedCols(int Value) {
    if (fAxisContentListX) fAxisContentListX->SetFixedItems(Value);
}

bool TBabGridCell::IsFixedCell(int x, int y) {
    if (x < FixedCols() || y < FixedRows() || x < 0 || y < 0) return true;
    return getGridCell() ? GetIsFixed() : false;
}

// ---- Index conversions ----------------------------------------------------------------------

int TBabGridCell::Convert_TrueIndexToVisible(TAxisContentList* theList, int i) {
    if (!theList) return i;
    int hiddenBelow = 0;
    for (int k = 0; k < theList->HiddenRowCount(); ++k)
        if (theList->fHiddenItemsList[k]->ListIndex() < i) ++hiddenBelow;
    return i - hiddenBelow;
}

// The axis index of visible item number v: the inverse of Convert_TrueIndexToVisible, in which
// unloaded items count as visible (their state is unknown until they are loaded). Past the end
// it answers the last item; -1 when the axis has nothing beyond its fixed items.
int TBabGridCell::Convert_VisibleIndexToTrue(TAxisContentList* theList, int v) {
    if (!theList || v < 0) return v;
    const int F = theList->FixedItems(), P = theList->UnloadedPreCount(), Q = theList->UnloadedPostCount();
    const int L = theList->LoadedCount();
    if (theList->Count() <= F) return -1;
    if (theList->HiddenRowCount() == 0) return std::min(v, theList->Count() - 1);
    int counted = -1; // visible number of the latest item walked
    const int loadedFixed = std::min(F, L);
    for (int j = 0; j < loadedFixed; ++j) {
        if (!theList->fList[j]->Hide()) ++counted;
        if (counted == v) return j;
    }
    if (v - counted <= P) return F + (v - counted - 1);
    counted += P;
    for (int j = F; j < L; ++j) {
        if (!theList->fList[j]->Hide()) ++counted;
        if (counted == v) return theList->IndexConvert_LoadedToReal(j);
    }
    if (Q > 0) return std::min(P + L + (v - counted - 1), theList->Count() - 1);
    return theList->Count() - 1;
}
