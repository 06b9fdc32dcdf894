// A small viewer for the engine tests: it owns a root cell, binds the root's callbacks to
// recorders and switches, and gives cells a text so that tests can tell them apart.
#pragma once

#include "gridengine/xoBabGridContent.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gridtest {

class TTestViewer;

// Reaches the viewer the way the real view's data classes do: through the root's Viewer.
inline TTestViewer* ViewerOf(TBabCellData* theData);

class TTestSimpleData : public TBabSimpleCellData {
public:
    String Text;
    void InitContent() override;
};

class TTestGridData : public TBabGridCellData {
public:
    void InitContent() override;
};

// An application object bound to an axis item.
struct TTag : TObject {
    int Id;
    explicit TTag(int anId) : Id(anId) {}
};

class TTestViewer : public TObject {
public:
    std::unique_ptr<TBabGridCellForViewer> Root;
    // Filled by InitContent of the cells' data.
    std::function<void(TTestSimpleData*)> OnInitSimple;
    std::function<void(TTestGridData*)> OnInitGrid;
    // Virtual rows: whether the application lets an item go, and what OnVirtualLoad saw.
    bool AllowUnload = true;
    std::function<bool(TAxisContentItem*)> CanUnloadItem;
    std::vector<int> LoadedIndices;
    std::vector<bool> LoadedInFront;
    int UnloadPerformed = 0;
    int AxisChanges = 0;
    int Selections = 0;
    int FocusChanges = 0;
    int DeInits = 0;

    explicit TTestViewer(bool theVirtualHandlers = true) {
        Root = std::make_unique<TBabGridCellForViewer>(this, TBabSimpleCellDataClass::Of<TTestSimpleData>(),
                                                       TBabGridCellDataClass::Of<TTestGridData>());
        if (theVirtualHandlers) {
            Root->SetOnVirtualLoad([this](TBabGridCell*, TAxisContentItem* item, bool) {
                LoadedIndices.push_back(item->ListIndex());
                LoadedInFront.push_back(item->AxisContentList()->LoadOperationInFront());
            });
            Root->SetOnVirtualUnLoad(
                [this](TBabGridCell*, TAxisContentItem* item, bool, bool perform, bool& can) {
                    if (perform)
                        ++UnloadPerformed;
                    else
                        can = AllowUnload && (!CanUnloadItem || CanUnloadItem(item));
                });
        }
        Root->SetOnCellDeInit([this](TBabCell*) { ++DeInits; });
        fAxis = std::make_unique<TSingleEventListener>(
            Root->AxisChangeEvent(), [this](TSingleEventListener*) { ++AxisChanges; }, false);
        fSelection = std::make_unique<TSingleEventListener>(
            Root->SelectionChangeEvent(), [this](TSingleEventListener*) { ++Selections; }, false);
        fFocus = std::make_unique<TSingleEventListener>(
            Root->FocusedCellChangeEvent(), [this](TSingleEventListener*) { ++FocusChanges; }, false);
    }
    ~TTestViewer() override {
        fAxis.reset();
        fSelection.reset();
        fFocus.reset();
        Root.reset();
    }

    TBabGridCellForViewer* root() const { return Root.get(); }

    // Columns and rows appended to a grid cell (fixed ones first).
    static void Fill(TBabGridCell* theGrid, int theCols, int theRows, int theFixedCols = 0,
                     int theFixedRows = 0) {
        theGrid->SetFixedCols(theFixedCols);
        theGrid->SetFixedRows(theFixedRows);
        for (int i = 0; i < theCols; ++i)
            theGrid->AxisContentListX()->AddNew(nullptr);
        for (int i = 0; i < theRows; ++i)
            theGrid->AxisContentListY()->AddNew(nullptr);
    }

private:
    std::unique_ptr<TSingleEventListener> fAxis, fSelection, fFocus;
};

inline TTestViewer* ViewerOf(TBabCellData* theData) {
    if (!theData->BabCell()) return nullptr;
    TBabGridCellForViewer* root = theData->BabCell()->GetViewerGridCell();
    return root ? dynamic_cast<TTestViewer*>(root->Viewer()) : nullptr;
}

inline void TTestSimpleData::InitContent() {
    if (TTestViewer* v = ViewerOf(this))
        if (v->OnInitSimple) v->OnInitSimple(this);
}

inline void TTestGridData::InitContent() {
    if (TTestViewer* v = ViewerOf(this))
        if (v->OnInitGrid) v->OnInitGrid(this);
}

// "x,y" of a cell in its own grid cell.
inline std::string Where(TBabCell* theCell) {
    if (!theCell) return "none";
    return std::to_string(theCell->AxisContentItemX()->ListIndex()) + "," +
           std::to_string(theCell->AxisContentItemY()->ListIndex());
}

} // namespace gridtest
