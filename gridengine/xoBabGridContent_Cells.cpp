// Cells, their data and the root cell that holds the viewer's callbacks and events.
#include "gridengine/xoBabGridContent.h"

#include <algorithm>

// ---- TBabCellData ---------------------------------------------------------------------------

TAxisContentItem* TBabCellData::AxisContentItemX() const {
    return fBabCell ? fBabCell->AxisContentItemX() : nullptr;
}

TAxisContentItem* TBabCellData::AxisContentItemY() const {
    return fBabCell ? fBabCell->AxisContentItemY() : nullptr;
}

TBabCellType TBabCellData::CellType() const {
    return fBabCell && fBabCell->AsGridCell() ? babCellTypeGrid : babCellTypeSimple;
}

// ---- TBabCell -------------------------------------------------------------------------------

TBabCell::TBabCell(TBabGridCell* theBabGridCell) : fBabGridCell(theBabGridCell) {}

TBabCell::~TBabCell() {
    ReleaseData();
    // Focus and anchor may be held by any grid cell up the tree (a click selects in the root).
    for (TBabGridCell* p = fBabGridCell; p; p = p->fBabGridCell) {
        if (p->fFocusedCell == this) p->fFocusedCell = nullptr;
        if (p->fAnchor == this) p->fAnchor = nullptr;
    }
}

void TBabCell::CreateOwnData() {
    if (!fBabGridCell) return;
    try {
        LinkData(fBabGridCell->CreateBabCellData(this));
    } catch (...) {
        // The cell never existed for the viewer: do not report it on the way out.
        fDataReleased = true;
        throw;
    }
}

void TBabCell::LinkData(TBabCellData* theData) {
    fBabCellData = theData;
    if (theData) theData->fBabCell = this;
}

void TBabCell::ReleaseData() {
    if (fDataReleased) return;
    fDataReleased = true;
    if (TBabGridCellForViewer* viewer = GetViewerGridCell())
        if (viewer->OnCellDeInit()) {
            const TOnDeInitCell& handler = viewer->OnCellDeInit();
            handler(this);
        }
    TBabCellData* data = fBabCellData;
    fBabCellData = nullptr;
    delete data;
}

TBabGridCellForViewer* TBabCell::GetViewerGridCell() const {
    if (fBabGridCell) return fBabGridCell->fViewerGridCell;
    TBabGridCell* grid = AsGridCell();
    return grid ? grid->fViewerGridCell : nullptr;
}

int TBabCell::GetMinHeight() {
    int result = 20;
    if (fLayoutProp) {
        TBabGridCellForViewer* viewer = GetViewerGridCell();
        if (fLayoutProp->WrapTextAndFit && viewer && viewer->OnMeasureHeight()) {
            fCurrentHeight = fLayoutProp->MinHeight;
            if (fReEvalSize) {
                const TOnMeasureHeight& handler = viewer->OnMeasureHeight();
                handler(viewer, this, fCachedMinHeight);
            }
            result = fCachedMinHeight;
        } else {
            result = fLayoutProp->MinHeight;
        }
    }
    fReEvalSize = false;
    return result;
}

int TBabCell::GetMinWidth() {
    return fLayoutProp ? fLayoutProp->MinWidth : 20;
}

void TBabCell::SetMinHeight(int Value) {
    if (fLayoutProp) fLayoutProp->MinHeight = Value;
}

void TBabCell::SetMinWidth(int Value) {
    if (fLayoutProp) fLayoutProp->MinWidth = Value;
}

void TBabCell::CalculateSizes() {
    fReEvalSize = true;
    fCurrentHeight = std::max(fCurrentHeight, GetMinHeight());
    fCurrentWidth = std::max(fCurrentWidth, GetMinWidth());
}

int TBabCell::GetCalculatedHeight() {
    return fCurrentHeight;
}

int TBabCell::GetCalculatedWidth() {
    return fCurrentWidth;
}

bool TBabCell::GetSelected() {
    return fSelected;
}

void TBabCell::SetSelected(bool Value) {
    if (Value == fSelected) return;
    TBabGridCellForViewer* viewer = GetViewerGridCell();
    if (viewer) viewer->InternalSelectionChanged(this, Value);
    fSelected = Value;
    TBabGridCell* parent = fBabGridCell;
    if (parent && parent->RowSelect() && fAxisContentItemY && parent->AxisContentListX()) {
        const int y = fAxisContentItemY->ListIndex();
        parent->AreaSelect(Value, TRect(parent->FixedCols(), y, parent->AxisContentListX()->Count() - 1, y));
    }
    if (viewer && !viewer->Destroying()) viewer->SelectionChangeEvent()->TriggerEvent(this);
}

TRect TBabCell::getVisibleRect() {
    TRect r = fLastDrawnRect;
    if (TBabGridCellForViewer* viewer = GetViewerGridCell()) viewer->CellRectTampering(this, r);
    return r;
}

bool TBabCell::GetIsFixed() {
    if (!fBabGridCell) return false;
    const int x = fAxisContentItemX ? fAxisContentItemX->ListIndex() : -1;
    const int y = fAxisContentItemY ? fAxisContentItemY->ListIndex() : -1;
    return fBabGridCell->IsFixedCell(x, y);
}

// A grouped cell that is not the master belongs to the group continued by the cell of its
// column in the next visible row below; the master is the lowest cell of the group.
TBabCell* TBabCell::GetGroupMaster() {
    TBabCell* cell = this;
    for (;;) {
        if (!cell->fIsGroupedCell || cell->fIsMasterGroupCell) return cell;
        TBabGridCell* parent = cell->fBabGridCell;
        if (!parent || !cell->fAxisContentItemX || !cell->fAxisContentItemY) return cell;
        TAxisContentList* rows = parent->AxisContentListY();
        const int y = cell->fAxisContentItemY->ListIndex();
        const int next =
            parent->Convert_VisibleIndexToTrue(rows, parent->Convert_TrueIndexToVisible(rows, y) + 1);
        if (next <= y) return cell;
        TBabCell* below = parent->CellMatris()->getCell(cell->fAxisContentItemX->ListIndex(), next);
        if (!below) return cell;
        cell = below;
    }
}

// ---- TBabSimpleCell -------------------------------------------------------------------------

TBabSimpleCell::TBabSimpleCell(TBabGridCell* theBabGridCell) : TBabCell(theBabGridCell) {
    fIsSimpleCell = true;
    CreateOwnData();
}

// ---- TBabGridCellForViewer ------------------------------------------------------------------

TBabGridCellForViewer::TBabGridCellForViewer(TObject* theViewer,
                                             TBabSimpleCellDataClass theBabSimpleCellDataClass,
                                             TBabGridCellDataClass theBabGridCellDataClass)
    : TBabGridCell(nullptr), fBabSimpleCellDataClass(theBabSimpleCellDataClass),
      fBabGridCellDataClass(theBabGridCellDataClass), fViewer(theViewer) {
    fViewerGridCell = this;
    try {
        LinkData(CreateBabCellData(this));
        if (BabCellData()) BabCellData()->InitContent();
    } catch (...) {
        // The base destructors that run now must not take this half-made object for a root.
        fDestroying = true;
        ReleaseData();
        DestroyContent();
        fViewerGridCell = nullptr;
        throw;
    }
}

TBabGridCellForViewer::~TBabGridCellForViewer() {
    // The tree goes while the viewer's callbacks and the events still exist; nothing is
    // reported to the viewer through the events any more.
    fDestroying = true;
    ReleaseData();
    DestroyContent();
    fViewerGridCell = nullptr; // no longer one once this destructor is left
}

bool TBabGridCellForViewer::CheckCellGrouping(TBabCell* aGroupingCell, TBabCell* aTestCell) {
    if (!fOnCheckCellGrouping || !aGroupingCell || !aTestCell) return false;
    const TOnCheckCellGrouping& handler = fOnCheckCellGrouping;
    return handler(aGroupingCell, aTestCell);
}

void TBabGridCellForViewer::CellRectTampering(TBabCell* theCell, TRect& theRect) {
    if (!fOnCellRectTampering) return;
    const TOnCellRectTampering& handler = fOnCellRectTampering;
    handler(this, theCell, theRect);
}

void TBabGridCellForViewer::ScaleRect(TRect& theRect) {
    if (!fOnScaleRect) return;
    const TOnScaleRect& handler = fOnScaleRect;
    handler(theRect);
}

void TBabGridCellForViewer::InternalSelectionChanged(TBabCell* theCell, bool theValue) {
    if (!fOnInternalSelectionChanged) return;
    const TOnInternalSelectionChanged& handler = fOnInternalSelectionChanged;
    handler(this, theCell, theValue);
}
