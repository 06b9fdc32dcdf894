// The layout pass, the drawing walk over the on-screen cells, and hit testing.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

namespace {
// What a cell asks of its row (height) or column (width): with an active user size, that size
// but never below the cell's minimum; otherwise the cell's calculated size.
int Demand(TAxisContentItem* theItem, TBabCell* theCell, bool theHeight) {
    if (theItem->GetUserSizeActive())
        return std::max(theItem->GetUserSize(), theHeight ? theCell->GetMinHeight() : theCell->GetMinWidth());
    return theHeight ? theCell->CalculatedHeight() : theCell->CalculatedWidth();
}
} // namespace

// Measures the rows and columns that fit in theDrawRect, starting with the fixed ones and then
// from Top and Left, places them on screen and unloads what no longer is.
//
// Every measured or placed item takes at least one pixel of the budget, so that items of size
// zero cannot make a pass walk a whole virtual axis.
void TBabGridCell::CalcVisibleArea(const TRect& theDrawRect) {
    TAxisContentList* X = AxisContentListX();
    TAxisContentList* Y = AxisContentListY();
    if (!X || !Y) return;
    X->ClearVisibles();
    Y->ClearVisibles();
    const int W = theDrawRect.Width(), H = theDrawRect.Height();

    // Measuring.
    bool firstColumn = true;
    int runningWidth = 0;
    for (TVisibleIterator ix(FixedCols(), fLeft, X->Count()); !ix.Eof(); ix.Next()) {
        const int x = ix.Index();
        TAxisContentItem* column = X->getAxisContentItem(x);
        if (!column) continue;
        column->fAcumSize = 0;
        column->fCalculatedSize = 0;
        if (column->Hide()) continue;
        const bool resetRows = firstColumn;
        firstColumn = false;
        int runningHeight = 0;
        for (TVisibleIterator iy(FixedRows(), fTop, Y->Count()); !iy.Eof(); iy.Next()) {
            const int y = iy.Index();
            TAxisContentItem* row = Y->getAxisContentItem(y);
            if (!row) continue;
            if (resetRows) {
                row->fAcumSize = 0;
                row->fCalculatedSize = 0;
            }
            if (row->Hide()) continue;
            if (TBabCell* cell = fCellMatris->getCell(x, y)) {
                if (TBabGridCell* grid = cell->AsGridCell())
                    grid->CalcVisibleArea(theDrawRect);
                else
                    cell->CalculateSizes();
                // The cell's work ran callbacks; take both items again.
                column = X->getAxisContentItem(x);
                row = Y->getAxisContentItem(y);
                if (!column || !row) break;
                row->fCalculatedSize = std::max(row->fCalculatedSize, Demand(row, cell, true));
                column->fCalculatedSize = std::max(column->fCalculatedSize, Demand(column, cell, false));
            }
            runningHeight += std::max(row->fCalculatedSize, 1);
            if (runningHeight > H) break;
        }
        if (!column) break;
        runningWidth += std::max(column->fCalculatedSize, 1);
        if (runningWidth > W) break;
    }

    fDrawRect = theDrawRect;
    fVisibleColCount = 0;
    fVisibleRowCount = 0;
    fLastColumnShow = true;
    fLastRowShow = true;
    fBrokenColumn = 0;

    // Placing the columns; a column cut by the right edge is counted.
    int offset = 0, budget = 0;
    for (TVisibleIterator ix(FixedCols(), fLeft, X->Count()); !ix.Eof(); ix.Next()) {
        TAxisContentItem* column = X->getAxisContentItem(ix.Index());
        if (!column || column->Hide()) continue;
        ++fVisibleColCount;
        column->fAcumSize = offset;
        offset += column->fCalculatedSize;
        budget += std::max(column->fCalculatedSize, 1);
        X->AddToVisible(column);
        if (offset > W) {
            fLastColumnShow = false;
            fBrokenColumn = ix.Index();
            break;
        }
        if (budget > W) break;
    }

    // Placing the rows; a row cut by the bottom edge is placed and drawn but not counted.
    offset = 0;
    budget = 0;
    for (TVisibleIterator iy(FixedRows(), fTop, Y->Count()); !iy.Eof(); iy.Next()) {
        TAxisContentItem* row = Y->getAxisContentItem(iy.Index());
        if (!row || row->Hide()) continue;
        ++fVisibleRowCount;
        row->fAcumSize = offset;
        offset += row->fCalculatedSize;
        budget += std::max(row->fCalculatedSize, 1);
        Y->AddToVisible(row);
        if (offset > H) {
            --fVisibleRowCount;
            fLastRowShow = false;
            break;
        }
        if (budget > H) break;
    }

    X->Purge();
    Y->Purge();
}

void TBabGridCell::Draw(const TRect& theDrawRect, const TOnDrawBabCell& theOnDrawBabCell) {
    if (!theOnDrawBabCell) return;
    TAxisContentList* X = AxisContentListX();
    TAxisContentList* Y = AxisContentListY();
    if (!X || !Y) return;
    fDrawRect = theDrawRect;
    TBabGridCellForViewer* viewer = fViewerGridCell;
    // Walked by index: a drawing callback that drops items shortens the lists meanwhile.
    for (int ci = 0; ci < X->VisibleCount(); ++ci) {
        TBabCell* previous = nullptr;
        TBabDrawStateSet previousState;
        for (int ri = 0; ri < Y->VisibleCount() && ci < X->VisibleCount(); ++ri) {
            TAxisContentItem* column = X->fVisibleList[ci];
            TAxisContentItem* row = Y->fVisibleList[ri];
            const int left = theDrawRect.Left + column->AcumSize(), top = theDrawRect.Top + row->AcumSize();
            TRect r(left, top, left + column->CalculatedSize(), top + row->CalculatedSize());
            if (viewer) viewer->ScaleRect(r);
            TBabCell* cell = fCellMatris->LoadedCell(column->LoadedListIndex(), row->LoadedListIndex());
            if (!cell) cell = fCellMatris->getCell(column->ListIndex(), row->ListIndex());
            if (!cell) {
                previous = nullptr;
                continue;
            }
            cell->fIsGroupedCell = false;
            cell->fIsMasterGroupCell = false;
            if (r.Top < theDrawRect.Top || r.Left < theDrawRect.Left || r.Top > theDrawRect.Bottom ||
                r.Left > theDrawRect.Right || r.IsEmpty()) {
                cell->fLastDrawnRect = TRect(-1, -1, -1, -1);
                previous = nullptr;
                continue;
            }
            r.Right = std::min(r.Right, theDrawRect.Right);
            r.Bottom = std::min(r.Bottom, theDrawRect.Bottom);
            TBabDrawStateSet state;
            if (previous && viewer && viewer->CheckCellGrouping(previous, cell)) {
                previous->fIsMasterGroupCell = false;
                cell->fIsMasterGroupCell = true;
                previous->fIsGroupedCell = true;
                cell->fIsGroupedCell = true;
                r.Top = previous->fLastDrawnRect.Top;
                state = previousState;
            }
            if (cell->IsFixed()) state.Include(babFixed);
            if (cell == fFocusedCell) state.Include(babFocused);
            if (cell->Selected()) state.Include(babSelected);
            cell->fLastDrawnRect = r;
            theOnDrawBabCell(cell->getVisibleRect(), cell, state);
            if (TBabGridCell* grid = cell->AsGridCell())
                grid->Draw(TRect(left, top, r.Right, r.Bottom), theOnDrawBabCell);
            previous = cell;
            previousState = state;
        }
    }
}

void TBabGridCell::CellExtents(TAxisContentItem* theItem, int, int theOrigin, int& theStart, int& theStop) {
    theStart = theOrigin + (theItem ? theItem->AcumSize() : 0);
    theStop = theStart + (theItem ? theItem->CalculatedSize() : 0);
}

TPoint TBabGridCell::GridCoordsFromPix(int X, int Y) {
    TPoint result(-1, -1);
    if (TAxisContentList* columns = AxisContentListX())
        for (int k = 0; k < columns->VisibleCount(); ++k) {
            TAxisContentItem* item = columns->fVisibleList[k];
            const int start = fDrawRect.Left + item->AcumSize();
            if (start <= X && X <= start + item->CalculatedSize()) {
                result.X = item->ListIndex();
                break;
            }
        }
    if (TAxisContentList* rows = AxisContentListY())
        for (int k = 0; k < rows->VisibleCount(); ++k) {
            TAxisContentItem* item = rows->fVisibleList[k];
            const int start = fDrawRect.Top + item->AcumSize();
            if (start <= Y && Y <= start + item->CalculatedSize()) {
                result.Y = item->ListIndex();
                break;
            }
        }
    return result;
}

TBabCell* TBabGridCell::CellFromPix(int X, int Y, bool recurse) {
    const TPoint p = GridCoordsFromPix(X, Y);
    if (p.X < 0 || p.Y < 0 || !fCellMatris || p.X >= fCellMatris->CountX() || p.Y >= fCellMatris->CountY())
        return nullptr;
    TBabCell* cell = fCellMatris->getCell(p.X, p.Y);
    if (!cell) return nullptr;
    cell = cell->GetGroupMaster();
    if (recurse)
        if (TBabGridCell* grid = cell->AsGridCell()) {
            TBabCell* inner = grid->CellFromPix(X, Y, true);
            return inner ? inner->GetGroupMaster() : grid;
        }
    return cell;
}
