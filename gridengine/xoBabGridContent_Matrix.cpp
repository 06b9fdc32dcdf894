// The cell matrix: one column list per loaded column, one entry per loaded row, kept in step
// with the axes through the owner's axis calls.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

TCellMatris::TCellMatris(TBabGridCell* theBabGridCell) : fBabGridCell(theBabGridCell) {}

TCellMatris::~TCellMatris() {
    while (!fCellListList.empty()) {
        FreeCells(fCellListList.back());
        fCellListList.pop_back();
    }
}

namespace {
// Passes over entries that a viewer refills while their cells are being freed.
constexpr int MaxFreePasses = 4;
} // namespace

// Frees every cell of a column list and leaves its entries empty. A cell is taken out of its
// entry before it is freed, so the viewer's OnCellDeInit never sees a freed cell in the matrix.
void TCellMatris::FreeCells(std::deque<TBabCell*>& theColumn) {
    bool any = true;
    for (int pass = 0; any && pass < MaxFreePasses; ++pass) {
        any = false;
        for (auto& entry : theColumn) {
            if (!entry) continue;
            TBabCell* cell = entry;
            entry = nullptr;
            delete cell;
            any = true;
        }
    }
}

int TCellMatris::CountX() const {
    TAxisContentList* x = fBabGridCell->AxisContentListX();
    return x ? x->Count() : 0;
}

int TCellMatris::CountY() const {
    TAxisContentList* y = fBabGridCell->AxisContentListY();
    return y ? y->Count() : 0;
}

int TCellMatris::LoadedCountX() const {
    TAxisContentList* x = fBabGridCell->AxisContentListX();
    return x ? x->LoadedCount() : 0;
}

int TCellMatris::LoadedCountY() const {
    TAxisContentList* y = fBabGridCell->AxisContentListY();
    return y ? y->LoadedCount() : 0;
}

TBabCell* TCellMatris::LoadedCell(int lx, int ly) const {
    if (lx < 0 || lx >= int(fCellListList.size())) return nullptr;
    const auto& column = fCellListList[lx];
    if (ly < 0 || ly >= int(column.size())) return nullptr;
    return column[ly];
}

TBabCell* TCellMatris::getCell(int x, int y) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    if (!X || !Y || x < 0 || y < 0 || x >= X->Count() || y >= Y->Count()) return nullptr;
    X->EnsureLoadedItem(x);
    Y->EnsureLoadedItem(y);
    if (!X->IsLoaded(x) || !Y->IsLoaded(y)) { // a load callback moved the other window away
        X->EnsureLoadedItem(x);
        Y->EnsureLoadedItem(y);
    }
    const int lx = X->IndexConvert_RealToLoaded(x), ly = Y->IndexConvert_RealToLoaded(y);
    if (lx < 0 || lx >= int(fCellListList.size())) return nullptr;
    if (ly < 0 || ly >= int(fCellListList[lx].size())) return nullptr;
    if (TBabCell* cell = fCellListList[lx][ly]) return cell;
    return CreateAndStore(x, y);
}

// Creates the cell for (x, y) and stores it in its entry. The creation runs the application's
// callbacks, so the entry is looked up again afterwards by the cell's own row and column.
TBabCell* TCellMatris::CreateAndStore(int x, int y) {
    TBabCell* cell = fBabGridCell->CreateCell(x, y);
    if (!cell) return nullptr;
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    TAxisContentItem* itemX = cell->AxisContentItemX();
    TAxisContentItem* itemY = cell->AxisContentItemY();
    const int lx = itemX->LoadedListIndex(), ly = itemY->LoadedListIndex();
    const bool placed = lx >= 0 && lx < X->LoadedCount() && X->getLoadedAxisContentItem(lx) == itemX &&
                        ly >= 0 && ly < Y->LoadedCount() && Y->getLoadedAxisContentItem(ly) == itemY &&
                        lx < int(fCellListList.size()) && ly < int(fCellListList[lx].size());
    if (!placed) {
        delete cell;
        return nullptr;
    }
    TBabCell*& entry = fCellListList[lx][ly];
    if (entry) { // filled meanwhile
        delete cell;
        return entry;
    }
    entry = cell;
    return cell;
}

void TCellMatris::InsertX(int x) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    X->EnsureLoadedItem(x);
    const int lx = std::clamp(X->IndexConvert_RealToLoaded(x), 0, int(fCellListList.size()));
    // The empty column goes in first so that the matrix matches the axes even if creating a
    // cell fails; empty entries are filled on demand.
    fCellListList.insert(fCellListList.begin() + lx, std::deque<TBabCell*>(Y->LoadedCount(), nullptr));
    for (int ly = 0; ly < Y->LoadedCount(); ++ly) {
        const int y = Y->IndexConvert_LoadedToReal(ly);
        if (!LoadedCell(X->IndexConvert_RealToLoaded(x), ly)) CreateAndStore(x, y);
    }
}

void TCellMatris::InsertY(int y) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    Y->EnsureLoadedItem(y);
    const int ly = Y->IndexConvert_RealToLoaded(y);
    for (auto& column : fCellListList)
        column.insert(column.begin() + std::clamp(ly, 0, int(column.size())), nullptr);
    for (int lx = 0; lx < int(fCellListList.size()) && lx < X->LoadedCount(); ++lx) {
        const int x = X->IndexConvert_LoadedToReal(lx);
        if (!LoadedCell(lx, Y->IndexConvert_RealToLoaded(y))) CreateAndStore(x, y);
    }
}

void TCellMatris::DropX(int x) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    if (!X || x < 0) return;
    const int lx = X->IndexConvert_RealToLoaded(x);
    if (lx < 0 || lx >= int(fCellListList.size())) return;
    FreeCells(fCellListList[lx]);
    if (lx < int(fCellListList.size())) fCellListList.erase(fCellListList.begin() + lx);
}

void TCellMatris::DropY(int y) {
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    if (!Y || y < 0) return;
    const int ly = Y->IndexConvert_RealToLoaded(y);
    if (ly < 0) return;
    UnloadY(y);
    for (auto& column : fCellListList)
        if (ly < int(column.size())) column.erase(column.begin() + ly);
}

void TCellMatris::MoveX(int a, int b) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    X->EnsureLoadedItem(a);
    X->EnsureLoadedItem(b);
    const int la = X->IndexConvert_RealToLoaded(a), lb = X->IndexConvert_RealToLoaded(b);
    const int n = int(fCellListList.size());
    if (la < 0 || la >= n || lb < 0 || lb >= n || la == lb) return;
    std::deque<TBabCell*> column = std::move(fCellListList[la]);
    fCellListList.erase(fCellListList.begin() + la);
    fCellListList.insert(fCellListList.begin() + lb, std::move(column));
}

void TCellMatris::MoveY(int a, int b) {
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    Y->EnsureLoadedItem(a);
    Y->EnsureLoadedItem(b);
    const int la = Y->IndexConvert_RealToLoaded(a), lb = Y->IndexConvert_RealToLoaded(b);
    if (la < 0 || lb < 0 || la == lb) return;
    for (auto& column : fCellListList) {
        const int n = int(column.size());
        if (la >= n || lb >= n) continue;
        TBabCell* cell = column[la];
        column.erase(column.begin() + la);
        column.insert(column.begin() + lb, cell);
    }
}

void TCellMatris::UnloadX(int x) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    if (!X || x < 0) return;
    const int lx = X->IndexConvert_RealToLoaded(x);
    if (lx >= 0 && lx < int(fCellListList.size())) FreeCells(fCellListList[lx]);
}

void TCellMatris::UnloadY(int y) {
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    if (!Y || y < 0) return;
    const int ly = Y->IndexConvert_RealToLoaded(y);
    if (ly < 0) return;
    bool any = true;
    for (int pass = 0; any && pass < MaxFreePasses; ++pass) {
        any = false;
        for (auto& column : fCellListList) {
            if (ly >= int(column.size()) || !column[ly]) continue;
            TBabCell* cell = column[ly];
            column[ly] = nullptr;
            delete cell;
            any = true;
        }
    }
}

bool TCellMatris::HasColumnSelections(int x) {
    TAxisContentList* X = fBabGridCell->AxisContentListX();
    if (!X || x < 0 || x >= X->Count()) return false;
    X->EnsureLoadedItem(x);
    const int lx = X->IndexConvert_RealToLoaded(x);
    if (lx < 0 || lx >= int(fCellListList.size())) return false;
    for (TBabCell* cell : fCellListList[lx])
        if (cell && cell->Selected()) return true;
    return false;
}

bool TCellMatris::HasRowSelections(int y) {
    TAxisContentList* Y = fBabGridCell->AxisContentListY();
    if (!Y || y < 0 || y >= Y->Count()) return false;
    Y->EnsureLoadedItem(y);
    const int ly = Y->IndexConvert_RealToLoaded(y);
    if (ly < 0) return false;
    for (const auto& column : fCellListList)
        if (ly < int(column.size()) && column[ly] && column[ly]->Selected()) return true;
    return false;
}
