// Focus, selection and keyboard navigation through nested grids.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

namespace {
// Whether theCell lies somewhere below theGrid.
bool IsBelow(const TBabCell* theCell, const TBabGridCell* theGrid) {
    for (const TBabGridCell* p = theCell ? theCell->getGridCell() : nullptr; p; p = p->getGridCell())
        if (p == theGrid) return true;
    return false;
}

int ColumnOf(TBabCell* theCell) {
    return theCell->AxisContentItemX() ? theCell->AxisContentItemX()->ListIndex() : -1;
}

int RowOf(TBabCell* theCell) {
    return theCell->AxisContentItemY() ? theCell->AxisContentItemY()->ListIndex() : -1;
}
} // namespace

// ---- Focus ----------------------------------------------------------------------------------

// Focuses Value among this grid cell's cells. A cell of a nested grid is focused there, and
// every grid cell on the way down focuses the next one. Fixed cells cannot take the focus.
void TBabGridCell::SetFocusedCell(TBabCell* Value) {
    if (Value && Value->getGridCell() != this) {
        if (!IsBelow(Value, this)) return; // not a cell of this tree of cells
        TBabGridCell* parent = Value->getGridCell();
        parent->SetFocusedCell(Value);
        SetFocusedCell(parent);
        return;
    }
    if (Value == fFocusedCell) return;
    TBabCell* previous = fFocusedCell;
    fFocusedCell = Value && !Value->IsFixed() ? Value : nullptr;
    if (TBabGridCell* grid = previous ? previous->AsGridCell() : nullptr) grid->SetFocusedCell(nullptr);
    fFocusedCellChangeEvent.TriggerEvent(nullptr);
}

TBabCell* TBabGridCell::GetFocusedCellDownTrack() const {
    TBabCell* cell = fFocusedCell;
    while (TBabGridCell* grid = cell ? cell->AsGridCell() : nullptr) {
        if (!grid->fFocusedCell) break;
        cell = grid->fFocusedCell;
    }
    return cell;
}

// ---- Selection ------------------------------------------------------------------------------

void TBabGridCell::SetSelected(bool Value) {
    TBabCell::SetSelected(Value);
    TAxisContentList* X = AxisContentListX();
    TAxisContentList* Y = AxisContentListY();
    if (!X || !Y || X->LoadedCount() <= X->FixedItems() || Y->LoadedCount() <= Y->FixedItems()) return;
    AreaSelect(Value, TRect(X->IndexConvert_LoadedToReal(X->FixedItems()),
                            Y->IndexConvert_LoadedToReal(Y->FixedItems()),
                            X->IndexConvert_LoadedToReal(X->LoadedCount() - 1),
                            Y->IndexConvert_LoadedToReal(Y->LoadedCount() - 1)));
}

void TBabGridCell::AreaSelect(bool Value, const TRect& theRect) {
    TAxisContentList* X = AxisContentListX();
    TAxisContentList* Y = AxisContentListY();
    if (!X || !Y || !fCellMatris) return;
    // Indices outside the axes hold no cells.
    const int x0 = std::max(0, std::min(theRect.Left, theRect.Right));
    const int x1 = std::min(X->Count() - 1, std::max(theRect.Left, theRect.Right));
    const int y0 = std::max(0, std::min(theRect.Top, theRect.Bottom));
    const int y1 = std::min(Y->Count() - 1, std::max(theRect.Top, theRect.Bottom));
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y) {
            if (!fCellMatris) return;
            if (TBabCell* cell = fCellMatris->getCell(x, y)) cell->SetSelected(Value);
        }
}

void TBabGridCell::UpdateMultiSelect(TBabCell* theBabCell, TShiftState Shift) {
    if (!theBabCell || !IsBelow(theBabCell, this) || theBabCell->IsFixed()) return;
    const bool shift = fMultiSelect && Shift.Contains(ssShift);
    const bool control = fMultiSelect && Shift.Contains(ssCtrl);
    if (!shift && !control) {
        fAnchor = theBabCell;
        SetSelected(false);
        theBabCell->SetSelected(true);
    } else if (shift) {
        if (!fAnchor) fAnchor = theBabCell;
        TBabGridCell* grid = theBabCell->getGridCell();
        if (fAnchor->getGridCell() == grid) {
            const TRect area(ColumnOf(fAnchor), RowOf(fAnchor), ColumnOf(theBabCell), RowOf(theBabCell));
            if (!control) grid->SetSelected(false);
            grid->AreaSelect(true, area);
        }
    } else {
        fAnchor = theBabCell;
        theBabCell->SetSelected(!theBabCell->Selected());
    }
}

// ---- Navigation -----------------------------------------------------------------------------

int TBabGridCell::StepIndex(TBabDirection theDirection, bool theColumn, int theIndex) {
    const int countX = AxisContentListX()->Count(), countY = AxisContentListY()->Count();
    const int fixedCols = FixedCols(), fixedRows = FixedRows();
    const int page = fVisibleRowCount - fixedRows;
    if (theColumn) {
        switch (theDirection) {
        case babdirLeft:
            return std::max(theIndex - 1, fixedCols);
        case babdirRight:
            return std::min(theIndex + 1, countX - 1);
        case babdirHomeCell:
            return fixedCols;
        case babdirEndCell:
            return std::max(fixedCols, countX - 1);
        default:
            return theIndex;
        }
    }
    switch (theDirection) {
    case babdirUp:
        return std::max(theIndex - 1, fixedRows);
    case babdirDown:
        return std::min(theIndex + 1, countY - 1);
    // A page step never goes the wrong way, even before the first layout pass.
    case babdirPageUp:
        return std::min(theIndex, std::max(theIndex - page, fixedRows));
    case babdirPageDown:
        return std::max(theIndex, std::min(theIndex + page, countY - 1));
    case babdirHomeRow:
        return fixedRows;
    case babdirEndRow:
        return std::max(fixedRows, countY - 1);
    default:
        return theIndex;
    }
}

TBabCell* TBabGridCell::StepCell(TBabCell* theFrom, TBabDirection theDirection) {
    const int x = StepIndex(theDirection, true, ColumnOf(theFrom));
    const int y = StepIndex(theDirection, false, RowOf(theFrom));
    TBabCell* result = fCellMatris->getCell(x, y);
    if (!result) result = fCellMatris->getCell(x, y); // a load may have made room for it
    return result;
}

bool TBabGridCell::CellIsHidden(TBabCell* theCell) const {
    return (theCell->AxisContentItemX() && theCell->AxisContentItemX()->Hide()) ||
           (theCell->AxisContentItemY() && theCell->AxisContentItemY()->Hide());
}

// Steps over hidden cells and over the non-master members of merged groups. When a step finds
// no way on (the edge of the grid), navigation leaves a nested grid through its own cell in
// the parent.
TBabCell* TBabGridCell::FindNeighbourCell(TBabCell* theBabCell, TBabDirection theDirection, bool recurse) {
    if (!theBabCell || theBabCell->getGridCell() != this || !fCellMatris) return nullptr;
    if (TBabGridCell* grid = theBabCell->AsGridCell();
        grid && recurse && (grid->FocusedCell() || theDirection == babdirInwards)) {
        TBabCell* inner = grid->FocusedCell();
        if (!inner && grid->CellMatris()) {
            inner = grid->CellMatris()->getCell(grid->FixedCols(), grid->FixedRows());
            if (inner) grid->SetFocusedCell(inner);
        }
        return inner ? grid->FindNeighbourCell(inner, theDirection, true) : nullptr;
    }

    TBabCell* current = theBabCell;
    TBabCell* result = StepCell(current, theDirection);
    // Each pass moves one step; an axis is never longer than its count.
    const int limit = AxisContentListX()->Count() + AxisContentListY()->Count() + 2;
    for (int pass = 0; result && pass < limit; ++pass) {
        if (result->IsGroupedCell() && !result->IsMasterGroupCell()) {
            if (result == current) {
                result = result->GetGroupMaster();
                break;
            }
        } else if (result == current || !CellIsHidden(result)) {
            break;
        }
        current = result;
        result = StepCell(current, theDirection);
    }
    if (!result) return nullptr;

    if (result == current && current != theBabCell && CellIsHidden(result)) {
        // Stuck on a hidden cell at the edge: leave the nested grid, or come back to the
        // closest visible row towards the start (the start itself when all between are hidden).
        TBabGridCell* parent = getGridCell();
        if (parent && parent->FocusedCell() && theDirection != babdirInwards)
            return parent->FindNeighbourCell(parent->FocusedCell(), theDirection, false);
        result = ClosestVisibleNeighbour(RowOf(theBabCell), AxisContentListY(), result);
        if (CellIsHidden(result)) result = theBabCell;
    }

    if (result == theBabCell && theDirection != babdirInwards) {
        TBabGridCell* parent = getGridCell();
        if (parent && parent->FocusedCell())
            return parent->FindNeighbourCell(parent->FocusedCell(), theDirection, false);
    }
    return result;
}

TBabCell* TBabGridCell::ClosestVisibleNeighbour(int theStartRow, TAxisContentList* theList,
                                                TBabCell* theCell) {
    if (!theCell || theList != AxisContentListY() || !theList || !theCell->AxisContentItemY()) return theCell;
    int row = RowOf(theCell);
    const int step = theStartRow < row ? -1 : 1;
    for (;;) {
        TAxisContentItem* item = theList->getAxisContentItem(row);
        if (!item) return theCell;
        if (!item->Hide()) break;
        if (row == theStartRow) return theCell; // passed the start row
        row += step;
    }
    TBabCell* found = fCellMatris->getCell(ColumnOf(theCell), row);
    return found ? found : theCell;
}
