// The grid engine's model: two axes of rows and columns per grid cell that keep only a window of
// items loaded, a matrix of cells for the loaded rows and columns, nested grid cells, merging of
// equal cells, the layout pass, the drawing walk, hit testing, focus and selection.
//
// The engine knows nothing of painting: the grid view binds its callbacks on the root cell
// (TBabGridCellForViewer) and listens to the root's events.
#pragma once

#include "foundation/xoEventHandling.h"
#include "platform/plClassRef.h"
#include "platform/plTypes.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class TCanvas; // the view's; the engine only passes it through to frame-line handlers

class TAxisContentItem;
class TAxisContentList;
class TUserSizeItem;
class TBabCell;
class TBabSimpleCell;
class TBabGridCell;
class TBabGridCellForViewer;
class TBabCellData;
class TBabSimpleCellData;
class TBabGridCellData;
class TCellMatris;
class TLayoutProp;

// ---- Enumerations ---------------------------------------------------------------------------
enum TBabCellType { babCellTypeSimple, babCellTypeGrid };
enum TBabDrawState { babFixed, babSelected, babFocused };
using TBabDrawStateSet = TSet<TBabDrawState, 4>;
enum TBabDirection {
    babdirNone,
    babdirLeft,
    babdirRight,
    babdirUp,
    babdirDown,
    babdirInwards,
    babdirPageUp,
    babdirPageDown,
    babdirHomeRow,
    babdirEndRow,
    babdirHomeCell,
    babdirEndCell
};
enum TFrameOption { foLeft, foRight, foTop, foBottom };
using TFrameOptions = TSet<TFrameOption, 4>;
enum TFrameKind { fkNormal, fk3d };

// ---- Callback types -------------------------------------------------------------------------
// Virtual axis protocol: theCaller is the grid cell that owns the axis, theRowNotColumn is true
// for its Y axis.
using TOnVirtualLoad =
    std::function<void(TBabGridCell* theCaller, TAxisContentItem* theAxisItem, bool theRowNotColumn)>;
using TOnVirtualUnLoad = std::function<void(TBabGridCell* theCaller, TAxisContentItem* theAxisItem,
                                            bool theRowNotColumn, bool UnloadPerform, bool& CanUnload)>;
using TOnKeepAfterUnloadCheck = std::function<void(TBabGridCell* theCaller, TAxisContentItem* theAxisItem,
                                                   bool theRowNotColumn, bool& KeepAfterUnload)>;
using TOnUnloadIntervall = std::function<void(TBabGridCell* theCaller, TAxisContentItem* theAxisItem,
                                              bool theRowNotColumn, int& Start, int& Stop)>;
using TOnDeleteOfUnloaded =
    std::function<void(TBabGridCell* theCaller, bool theRowNotColumn, int& Start, int& Stop)>;

using TOnInternalSelectionChanged =
    std::function<void(TBabGridCell* theCaller, TBabCell* theBabCell, bool theValue)>;
using TOnCellRectTampering =
    std::function<void(TBabGridCell* theCaller, TBabCell* theBabCell, TRect& theRect)>;
using TOnScaleRect = std::function<void(TRect& theRect)>;
using TOnDeInitCell = std::function<void(TBabCell* theCell)>;
using TOnCheckCellGrouping = std::function<bool(TBabCell* aGroupingCell, TBabCell* aTestCell)>;
using TOnCreateCell = std::function<TBabCellType(TBabGridCell* theCaller, TAxisContentItem* theXAxisItem,
                                                 TAxisContentItem* theYAxisItem)>;
using TOnMeasureHeight = std::function<void(TBabGridCell* theCaller, TBabCell* theBabCell, int& theHeight)>;
using TOnDrawBabCell =
    std::function<void(const TRect& theDrawRect, TBabCell* theBabCell, TBabDrawStateSet theBabDrawState)>;
using TOnInitCellData = std::function<void(TBabGridCell* theCaller, TBabCellData* theCellData)>;
using TOnLineDraw = std::function<void(TLayoutProp* aLayoutProp, TFrameOption aFrameOption, TBabCell* aCell,
                                       const TRect& aDrawRect, TPoint aStartPix, TPoint aStopPix,
                                       bool& aDoDefaultDraw, TCanvas* aCanvas)>;

// ---- Axis content ---------------------------------------------------------------------------

// A dragged size that several axis items share.
class TUserSizeItem : public TObject {
public:
    bool UserSizeActive() const { return fUserSizeActive; }
    void SetUserSizeActive(bool Value) { fUserSizeActive = Value; }
    int UserSize() const { return fUserSize; }
    void SetUserSize(int Value) { fUserSize = Value; }

private:
    bool fUserSizeActive = false;
    int fUserSize = 0;
};

// One row or column of a grid cell: the application object it stands for, its size and place in
// the latest layout pass, a user size and whether it is hidden. Cells live in the cell matrix.
class TAxisContentItem : public TObject {
public:
    TAxisContentItem(TAxisContentList* theAxisContentList, TObject* theValue);

    TObject* Value() const { return fValue; }
    void SetValue(TObject* aValue) { fValue = aValue; }
    TObject* Value2() const { return fValue2; }
    void SetValue2(TObject* aValue) { fValue2 = aValue; }
    TAxisContentList* AxisContentList() const { return fAxisContentList; }
    // Size and offset from the latest layout pass; meaningful only while IsOnScreen.
    int CalculatedSize() const { return fCalculatedSize; }
    int AcumSize() const { return fAcumSize; }
    bool IsOnScreen() const { return fIsOnScreen; }

    // Index in the whole axis (unloaded items counted), brought up to date on demand.
    int ListIndex();
    int LoadedListIndex();

    // Read from the shared holder when one is assigned.
    int GetUserSize() const;
    bool GetUserSizeActive() const;
    int UserSize() const { return GetUserSize(); }
    bool UserSizeActive() const { return GetUserSizeActive(); }
    // Writes the holder (if any) and the item, then tells the viewer's UserSizeEvent.
    void SetUserSize(int Value);
    void SetUserSizeActive(bool Value);
    TUserSizeItem* UserSizeItem() const { return fUserSizeItem; }
    void SetUserSizeItem(TUserSizeItem* Value) { fUserSizeItem = Value; }

    bool Hide() const { return fHide; }
    // Hidden items take no space; a change is reported through the viewer's AxisChangeEvent.
    void SetHide(bool Value);

private:
    friend class TAxisContentList;
    friend class TBabGridCell;
    TObject* fValue = nullptr;
    TObject* fValue2 = nullptr;
    TAxisContentList* fAxisContentList;
    int fCalculatedSize = 0;
    int fAcumSize = 0;
    int fUserSize = 0;
    bool fUserSizeActive = false;
    TUserSizeItem* fUserSizeItem = nullptr;
    bool fHide = false;
    int fListIndex = 0;
    bool fIsOnScreen = false;
};

// The items of one axis. Only a window of consecutive items is loaded; the items between the
// fixed items and the window, and after the window, exist only as two counts:
//   axis 0..F-1 fixed | F..F+P-1 unloaded | F+P..P+L-1 loaded window | P+L..P+L+Q-1 unloaded
// (F fixed items, P and Q unloaded counts, L loaded items including the fixed ones).
class TAxisContentList : public TObject {
public:
    // The window grows by contiguous loading while it stays within this many items; beyond it
    // everything that may go is unloaded and the window restarts at the requested item.
    static constexpr int MaxLoadWindow = 500;

    explicit TAxisContentList(TBabGridCell* theBabGridCell);
    ~TAxisContentList() override;

    int Count() const { return fUnloadedPreCount + LoadedCount() + fUnloadedPostCount; }
    int LoadedCount() const { return int(fList.size()); }
    int VisibleCount() const { return int(fVisibleList.size()); }
    int UnloadedPreCount() const { return fUnloadedPreCount; }
    int UnloadedPostCount() const { return fUnloadedPostCount; }

    // The item at axis index i, loading it (and everything between it and the window) when it
    // is unloaded; none out of range.
    TAxisContentItem* getAxisContentItem(int i) {
        const int j = IndexConvert_RealToLoaded(i);
        if (IsLoaded(i) && j < LoadedCount()) return fList[j];
        return LoadAxisContentItem(i);
    }
    TAxisContentItem* Items(int i) { return getAxisContentItem(i); }
    // By loaded index, never loads; raises EListError out of range.
    TAxisContentItem* getLoadedAxisContentItem(int j) const;
    TAxisContentItem* Loaded(int j) const { return getLoadedAxisContentItem(j); }
    // The k-th item placed on screen by the latest layout pass; raises EListError out of range.
    TAxisContentItem* getVisibleAxisContentItem(int k) const;
    TAxisContentItem* Visibles(int k) const { return getVisibleAxisContentItem(k); }
    // Loaded hidden items only.
    int GetHiddenRowCount() const { return int(fHiddenItemsList.size()); }
    int HiddenRowCount() const { return GetHiddenRowCount(); }
    TBabGridCell* getGridCell() const { return fBabGridCell; }

    // A new item at axis index i (0..Count). Raises "Not allowed to add items during load" from
    // inside a load callback and EListError outside 0..Count.
    TAxisContentItem* InsertNew(int i, TObject* theValue);
    // A new item at the end of the axis (the tail is loaded first).
    TAxisContentItem* AddNew(TObject* theValue);
    // Grows the axis by n unloaded items after the window; creates nothing.
    void AddUnloaded(int n);
    // Removes item i for good (loaded or not); nothing out of range.
    void Drop(int i);
    // Moves the item at curIndex to newIndex; raises EListError out of range.
    void Move(int curIndex, int newIndex);
    void Clear();
    void ClearKeepFixedItems();
    void ClearVisibles();
    bool IsLoaded(int i) const {
        return i >= 0 && (i < fFixedItems ||
                          (i >= fFixedItems + fUnloadedPreCount && i < fUnloadedPreCount + LoadedCount()));
    }
    // Deselects the owner's cells and unloads everything that may go.
    void UnloadAll();
    // Unloads from both ends of the window what may be unloaded (never what is on screen or was
    // loaded by the latest load).
    void Purge();

    bool LoadOperationInFront() const { return fLoadOperationInFront; }
    TObject* NextItemReferenceMailbox() const { return fNextItemReferenceMailbox; }
    void SetNextItemReferenceMailbox(TObject* Value) { fNextItemReferenceMailbox = Value; }
    int FixedItems() const { return fFixedItems; }
    void SetFixedItems(int Value);
    int UnloadProtectedStart() const { return fUnloadProtectedStart; }
    int UnloadProtectedStop() const { return fUnloadProtectedStop; }

    // Used by the cells and the layout pass.
    TAxisContentItem* EnsureLoadedItem(int i);
    int IndexConvert_RealToLoaded(int i) const { return i < fFixedItems ? i : i - fUnloadedPreCount; }
    int IndexConvert_LoadedToReal(int j) const { return j < fFixedItems ? j : j + fUnloadedPreCount; }
    void AddToVisible(TAxisContentItem* theItem);
    void EnsureListIndexes();
    void ListIndexesOutOfDate(int i);
    // True when this list is its owner's Y axis.
    bool IsRowAxis() const;

private:
    friend class TAxisContentItem;
    friend class TBabGridCell;
    TAxisContentItem* LoadAxisContentItem(int i);
    TAxisContentItem* EnsureLoaded(int i, bool allowJump);
    bool RangeToLoad(int i, int& start, int& stop, bool& inFront) const;
    void LoadItems(int start, int stop, bool inFront);
    bool CanUnload(TAxisContentItem* theItem);
    void UnloadIntervall(TAxisContentItem* theItem, int& Start, int& Stop);
    void Unload(int i, bool inFront);
    void CommonClear(int theFromLoadedIndex);
    bool IsProtected(int i) const;
    int FindLoaded(const TAxisContentItem* theItem) const;
    void ForgetItem(TAxisContentItem* theItem);
    TBabGridCellForViewer* Viewer() const;

    bool fLoadOperationInFront = false;
    int fInLoadItems = 0;
    TObject* fNextItemReferenceMailbox = nullptr;
    std::deque<TAxisContentItem*> fList;
    std::vector<TAxisContentItem*> fVisibleList;
    std::vector<TAxisContentItem*> fHiddenItemsList;
    TBabGridCell* fBabGridCell;
    bool fListIndexesOutOfDate = true;
    int fOutOfDateFromIndex = 0;
    int fUnloadedPreCount = 0;
    int fUnloadedPostCount = 0;
    int fFixedItems = 0;
    int fUnloadProtectedStart = 0;
    int fUnloadProtectedStop = 0;
};

// Walks the indices a layout pass may place on screen: the fixed items, then the items from
// the scroll position on. Hidden items are not skipped here.
class TVisibleIterator {
public:
    TVisibleIterator(int theCountFromZero, int theCountFromMiddle, int theEndCount);
    void Reset();
    void Next();
    // (EOF is a C library macro, hence the spelling.)
    bool Eof() const { return fIndex >= fEndCount; }
    int Index() const { return fIndex; }

private:
    int fCountFromZero;
    int fCountFromMiddle;
    int fEndCount;
    int fIndex = 0;
};

// ---- Cell data ------------------------------------------------------------------------------

// The application side's value of a cell; the classes are chosen by the viewer.
class TBabCellData : public TObject {
public:
    TBabCellData() = default;
    // Fills the data once the cell sits in its row and column (the view's classes do it).
    virtual void InitContent() {}

    TBabCell* BabCell() const { return fBabCell; }
    TObject* UserReference() const { return fUserReference; }
    void SetUserReference(TObject* Value) { fUserReference = Value; }
    TAxisContentItem* AxisContentItemX() const;
    TAxisContentItem* AxisContentItemY() const;
    TBabCellType CellType() const;

private:
    friend class TBabCell;
    TBabCell* fBabCell = nullptr;
    TObject* fUserReference = nullptr;
};

class TBabSimpleCellData : public TBabCellData {};
class TBabGridCellData : public TBabCellData {};

// Class references to the cell data classes the viewer chooses (unassigned by default):
// TBabSimpleCellDataClass::Of<TMyData>() or ClassOf<TMyData>().
using TBabSimpleCellDataClass = TClassRef<TBabSimpleCellData>;
using TBabGridCellDataClass = TClassRef<TBabGridCellData>;

// ---- Layout properties ----------------------------------------------------------------------

// Layout shared by all cells that point to it; values only (the view makes fonts of them).
class TLayoutProp : public TObject {
public:
    String Name;
    TColor BackColor = 0;
    TColor FrontColor = 0;
    bool UseFontInfo = false;
    TColor FontColor = 0;
    String FontName;
    int FontSize = 0;
    TFontStyles FontStyle;
    int MinWidth = 0;
    int MinHeight = 0;
    bool WrapTextAndFit = false;
    bool FlagDraw = false;
    uint32_t Flags = 0;
    TFrameOptions FrameOptions;
    TFrameKind FrameKind = fkNormal;
    TColor FrameColor = 0;
    bool FrameOptionsUse = false;
    bool HorzAlignRight = false;
    bool HorzAlignCenter = false;
    bool VertAlignCenter = false;
    bool EndEllipsis = false;
    TOnLineDraw OnFrameLineDraw;
};

// ---- Cells ----------------------------------------------------------------------------------

// A cell of a grid cell's matrix: a leaf (TBabSimpleCell) or a nested grid (TBabGridCell).
class TBabCell : public TObject {
public:
    explicit TBabCell(TBabGridCell* theBabGridCell);
    // Reports the cell to the viewer's OnCellDeInit, frees its data and clears every focus and
    // anchor up the tree that points to it.
    ~TBabCell() override;

    virtual int GetCalculatedHeight();
    virtual int GetCalculatedWidth();
    virtual bool GetSelected();
    // Tells the viewer before and after; with RowSelect the whole row follows.
    virtual void SetSelected(bool Value);
    // The latest drawn rectangle passed through the viewer's OnCellRectTampering.
    virtual TRect getVisibleRect();
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // Asks for a new measurement and grows the cell to its minimum size.
    virtual void CalculateSizes();

    bool IsGroupedCell() const { return fIsGroupedCell; }
    bool IsMasterGroupCell() const { return fIsMasterGroupCell; }
    TAxisContentItem* AxisContentItemX() const { return fAxisContentItemX; }
    void SetAxisContentItemX(TAxisContentItem* Value) { fAxisContentItemX = Value; }
    TAxisContentItem* AxisContentItemY() const { return fAxisContentItemY; }
    void SetAxisContentItemY(TAxisContentItem* Value) { fAxisContentItemY = Value; }
    TEvent* CellChangeEvent() { return &fCellChangeEvent; }
    int CurrentHeight() const { return fCurrentHeight; }
    void SetCurrentHeight(int Value) { fCurrentHeight = Value; }
    int CurrentWidth() const { return fCurrentWidth; }
    void SetCurrentWidth(int Value) { fCurrentWidth = Value; }
    bool Selected() { return GetSelected(); }
    // (-1, -1, -1, -1) when the latest draw found the cell off screen.
    TRect VisibleRect_Untampered() const { return fLastDrawnRect; }
    TBabCellData* BabCellData() const { return fBabCellData; }
    TLayoutProp* LayoutProp() const { return fLayoutProp; }
    void SetLayoutProp(TLayoutProp* Value) { fLayoutProp = Value; }

    // 20 without a layout; with a wrapping layout and a measuring viewer, the measured height.
    int GetMinHeight();
    int GetMinWidth();
    // Write into the layout, so every cell sharing it changes.
    void SetMinHeight(int Value);
    void SetMinWidth(int Value);
    int MinHeight() { return GetMinHeight(); }
    int MinWidth() { return GetMinWidth(); }
    int CalculatedHeight() { return GetCalculatedHeight(); }
    int CalculatedWidth() { return GetCalculatedWidth(); }
    bool GetIsFixed();
    bool IsFixed() { return GetIsFixed(); }

    // The root of the tree of cells (the root answers itself); none for a detached grid cell.
    TBabGridCellForViewer* GetViewerGridCell() const;
    TBabGridCell* getGridCell() const { return fBabGridCell; }
    // The lowest cell of the merged group this cell belongs to (itself when not merged).
    TBabCell* GetGroupMaster();
    // This cell as a grid cell, or none for a leaf.
    TBabGridCell* AsGridCell() const;

protected:
    // Creates the cell's data through the parent; called by the constructors of the concrete
    // cells, once the cell's class is known.
    void CreateOwnData();
    void LinkData(TBabCellData* theData);
    // Tells the viewer and frees the data; does nothing the second time.
    void ReleaseData();
    // The kind of cell, known without a dynamic_cast on the paths that visit every cell.
    bool fIsSimpleCell = false;
    bool fIsGridCell = false;

private:
    friend class TBabGridCell;
    friend class TCellMatris;
    bool fIsGroupedCell = false;
    bool fIsMasterGroupCell = false;
    TBabGridCell* fBabGridCell;
    TAxisContentItem* fAxisContentItemX = nullptr;
    TAxisContentItem* fAxisContentItemY = nullptr;
    TEvent fCellChangeEvent{nullptr};
    int fCurrentHeight = 0;
    int fCurrentWidth = 0;
    bool fSelected = false;
    TRect fLastDrawnRect{-1, -1, -1, -1};
    TBabCellData* fBabCellData = nullptr;
    TLayoutProp* fLayoutProp = nullptr;
    bool fReEvalSize = false;
    int fCachedMinHeight = 0;
    bool fDataReleased = false;
};

// A leaf cell that shows one value.
class TBabSimpleCell : public TBabCell {
public:
    explicit TBabSimpleCell(TBabGridCell* theBabGridCell);
};

// The matrix of a grid cell: one column list per loaded column, each with one entry per loaded
// row, in loaded order. Every operation takes axis indices.
class TCellMatris : public TObject {
public:
    explicit TCellMatris(TBabGridCell* theBabGridCell);
    ~TCellMatris() override;

    int CountX() const;
    int CountY() const;
    int LoadedCountX() const;
    int LoadedCountY() const;
    // Loads the column and the row, creates the cell when its entry is empty; none out of range.
    TBabCell* getCell(int x, int y);
    // The cell at loaded indices, never loading or creating; none when empty or out of range.
    TBabCell* LoadedCell(int lx, int ly) const;
    void InsertX(int x);
    void InsertY(int y);
    void DropX(int x);
    void DropY(int y);
    void MoveX(int a, int b);
    void MoveY(int a, int b);
    // Frees the cells of a column or row and leaves empty entries (recreated on demand).
    void UnloadX(int x);
    void UnloadY(int y);
    bool HasColumnSelections(int x);
    bool HasRowSelections(int y);

private:
    TBabCell* CreateAndStore(int x, int y);
    static void FreeCells(std::deque<TBabCell*>& theColumn);
    TBabGridCell* fBabGridCell;
    std::vector<std::deque<TBabCell*>> fCellListList;
};

// A grid nested in a cell of its parent (or, as TBabGridCellForViewer, the root): two axes, a
// cell matrix, a scroll position, focus and selection.
class TBabGridCell : public TBabCell {
public:
    explicit TBabGridCell(TBabGridCell* theBabGridCell);
    ~TBabGridCell() override;

    // max(minimum, sum of the loaded items' CalculatedSize).
    int GetCalculatedHeight() override;
    int GetCalculatedWidth() override;
    // Also (de)selects every loaded non-fixed cell.
    void SetSelected(bool Value) override;
    void CalculateSizes() override {}
    // Data of a new cell, of the viewer's class for its kind; raises "CreateBabCellData" when no
    // class is set up to the root.
    virtual TBabCellData* CreateBabCellData(TBabCell* theCell);

    bool MultiSelect() const { return fMultiSelect; }
    void SetMultiSelect(bool Value) { fMultiSelect = Value; }
    TAxisContentList* AxisContentListX() const { return fAxisContentListX.get(); }
    TAxisContentList* AxisContentListY() const { return fAxisContentListY.get(); }
    TCellMatris* CellMatris() const { return fCellMatris.get(); }
    TEvent* TopLeftChangedEvent() { return &fTopLeftChangedEvent; }
    TEvent* FocusedCellChangeEvent() { return &fFocusedCellChangeEvent; }
    int Top() const { return fTop; }
    int Left() const { return fLeft; }
    void SetTop(int v);
    void SetLeft(int v);
    int GetTop_ScrollVal();
    int GetLeft_ScrollVal();
    void SetTop_ScrollVal(int v);
    void SetLeft_ScrollVal(int v);
    int Top_ScrollVal() { return GetTop_ScrollVal(); }
    int Left_ScrollVal() { return GetLeft_ScrollVal(); }
    int GetFixedRows() const;
    int GetFixedCols() const;
    void SetFixedRows(int Value);
    void SetFixedCols(int Value);
    int FixedRows() const { return GetFixedRows(); }
    int FixedCols() const { return GetFixedCols(); }
    TBabCell* FocusedCell() const { return fFocusedCell; }
    void SetFocusedCell(TBabCell* Value);
    // The deepest focused cell down the nested grids.
    TBabCell* GetFocusedCellDownTrack() const;
    TBabCell* FocusedCellDownTrack() const { return GetFocusedCellDownTrack(); }
    TBabCell* Anchor() const { return fAnchor; }
    int VisibleColCount() const { return fVisibleColCount; }
    int VisibleRowCount() const { return fVisibleRowCount; }
    bool LastColumnShow() const { return fLastColumnShow; }
    bool LastRowShow() const { return fLastRowShow; }
    int BrokenColumn() const { return fBrokenColumn; }
    bool RowSelect() const { return fRowSelect; }
    void SetRowSelect(bool Value) { fRowSelect = Value; }
    // The rectangle of the latest layout pass or draw.
    TRect DrawRect() const { return fDrawRect; }

    // A new leaf or grid cell for column x and row y, with its data initialised.
    TBabCell* CreateCell(int x, int y);

    // Calls of the axes (theList is one of this cell's two axes).
    void InsertingAxisItem(TAxisContentList* theList, int i);
    void DroppingAxisItem(TAxisContentList* theList, int i);
    void MowingAxisItem(TAxisContentList* theList, int curIndex, int newIndex);
    void ChangeInUnloaded(TAxisContentList* theList);

    bool IsFixedCell(int x, int y);
    void CellExtents(TAxisContentItem* theItem, int theFixedCount, int theOrigin, int& theStart,
                     int& theStop);
    // Axis indices (X = column, Y = row) of the on-screen column and row under the point, -1
    // for either when none.
    TPoint GridCoordsFromPix(int X, int Y);
    // The cell under the point (the group master of a merged cell); with recurse, the deepest
    // cell inside nested grids.
    TBabCell* CellFromPix(int X, int Y, bool recurse);
    // Selects every matrix cell of the column and row range (either order, inclusive).
    void AreaSelect(bool Value, const TRect& theRect);
    // Click and key selection: plain selects one cell, shift the rectangle from the anchor,
    // control toggles.
    void UpdateMultiSelect(TBabCell* theBabCell, TShiftState Shift);
    // The cell keyboard navigation moves to from theBabCell, through nested grids.
    TBabCell* FindNeighbourCell(TBabCell* theBabCell, TBabDirection theDirection, bool recurse);
    TBabCell* ClosestVisibleNeighbour(int theStartRow, TAxisContentList* theList, TBabCell* theCell);
    int Convert_TrueIndexToVisible(TAxisContentList* theList, int i);
    int Convert_VisibleIndexToTrue(TAxisContentList* theList, int v);

    // Layout pass: measures what fits in theDrawRect from the scroll position, places it and
    // unloads what is no longer on screen.
    void CalcVisibleArea(const TRect& theDrawRect);
    // Calls theOnDrawBabCell for every on-screen cell, column by column, nested grids right
    // after their own cell; merged cells are drawn growing, the master last.
    void Draw(const TRect& theDrawRect, const TOnDrawBabCell& theOnDrawBabCell);

    bool Destroying() const { return fDestroying; }

protected:
    // Frees the cells and both axes; used by the destructors.
    void DestroyContent();
    bool fDestroying = false;
    // The root, taken from the parent at creation (every cell asks for it on its hot paths).
    TBabGridCellForViewer* fViewerGridCell = nullptr;

private:
    friend class TBabCell;
    friend class TAxisContentItem;
    friend class TAxisContentList;
    TAxisContentList* AxisOf(TAxisContentList* theList, bool& isRow) const;
    void TriggerAxisChange();
    void CheckScrollPosition(TAxisContentList* theList);
    int StepIndex(TBabDirection theDirection, bool theColumn, int theIndex);
    TBabCell* StepCell(TBabCell* theFrom, TBabDirection theDirection);
    bool CellIsHidden(TBabCell* theCell) const;

    bool fMultiSelect = true;
    std::unique_ptr<TAxisContentList> fAxisContentListX;
    std::unique_ptr<TAxisContentList> fAxisContentListY;
    std::unique_ptr<TCellMatris> fCellMatris;
    TEvent fTopLeftChangedEvent{this};
    TEvent fFocusedCellChangeEvent{this};
    int fTop = 0;
    int fLeft = 0;
    TRect fDrawRect;
    int fVisibleColCount = 0;
    int fVisibleRowCount = 0;
    bool fLastColumnShow = true;
    int fBrokenColumn = 0;
    bool fLastRowShow = true;
    TBabCell* fFocusedCell = nullptr;
    TBabCell* fAnchor = nullptr;
    bool fRowSelect = false;
};

inline TBabGridCell* TBabCell::AsGridCell() const {
    return fIsGridCell ? static_cast<TBabGridCell*>(const_cast<TBabCell*>(this)) : nullptr;
}

// The root of a tree of cells, owned by one viewer (the grid view). It holds the viewer's
// callbacks and the events that tell the viewer what changed anywhere in the tree.
class TBabGridCellForViewer : public TBabGridCell {
public:
    // createByViewer: the root with its own grid-cell data (InitContent already called).
    TBabGridCellForViewer(TObject* theViewer, TBabSimpleCellDataClass theBabSimpleCellDataClass,
                          TBabGridCellDataClass theBabGridCellDataClass);
    ~TBabGridCellForViewer() override;

    // False when unassigned or when either cell is none.
    bool CheckCellGrouping(TBabCell* aGroupingCell, TBabCell* aTestCell);
    void CellRectTampering(TBabCell* theCell, TRect& theRect);
    void ScaleRect(TRect& theRect);
    void InternalSelectionChanged(TBabCell* theCell, bool theValue);
    TObject* GetViewer() const { return fViewer; }
    TObject* Viewer() const { return fViewer; }
    virtual void DoLoadAxisContentItem(TAxisContentItem*) {}

    // Triggered after any cell's selection changed (message: the cell), on any change of any
    // axis of the tree (no message) and when an item's user size is set (message: the item).
    TEvent* SelectionChangeEvent() { return &fSelectionChangeEvent; }
    TEvent* AxisChangeEvent() { return &fAxisChangeEvent; }
    TEvent* UserSizeEvent() { return &fUserSizeEvent; }

    const TOnInternalSelectionChanged& OnInternalSelectionChanged() const {
        return fOnInternalSelectionChanged;
    }
    void SetOnInternalSelectionChanged(TOnInternalSelectionChanged h) {
        fOnInternalSelectionChanged = std::move(h);
    }
    const TOnCellRectTampering& OnCellRectTampering() const { return fOnCellRectTampering; }
    void SetOnCellRectTampering(TOnCellRectTampering h) { fOnCellRectTampering = std::move(h); }
    const TOnScaleRect& OnScaleRect() const { return fOnScaleRect; }
    void SetOnScaleRect(TOnScaleRect h) { fOnScaleRect = std::move(h); }
    const TOnDeInitCell& OnCellDeInit() const { return fOnDeInitCell; }
    void SetOnCellDeInit(TOnDeInitCell h) { fOnDeInitCell = std::move(h); }
    const TOnCheckCellGrouping& OnCheckCellGrouping() const { return fOnCheckCellGrouping; }
    void SetOnCheckCellGrouping(TOnCheckCellGrouping h) { fOnCheckCellGrouping = std::move(h); }
    const TOnVirtualLoad& OnVirtualLoad() const { return fOnVirtualLoad; }
    void SetOnVirtualLoad(TOnVirtualLoad h) { fOnVirtualLoad = std::move(h); }
    const TOnVirtualUnLoad& OnVirtualUnLoad() const { return fOnVirtualUnLoad; }
    void SetOnVirtualUnLoad(TOnVirtualUnLoad h) { fOnVirtualUnLoad = std::move(h); }
    const TOnKeepAfterUnloadCheck& OnKeepAfterUnloadCheck() const { return fOnKeepAfterUnloadCheck; }
    void SetOnKeepAfterUnloadCheck(TOnKeepAfterUnloadCheck h) { fOnKeepAfterUnloadCheck = std::move(h); }
    const TOnUnloadIntervall& OnUnloadIntervall() const { return fOnUnloadIntervall; }
    void SetOnUnloadIntervall(TOnUnloadIntervall h) { fOnUnloadIntervall = std::move(h); }
    const TOnDeleteOfUnloaded& OnDeleteOfUnloaded() const { return fOnDeleteOfUnloaded; }
    void SetOnDeleteOfUnloaded(TOnDeleteOfUnloaded h) { fOnDeleteOfUnloaded = std::move(h); }
    const TOnCreateCell& OnCreateCell() const { return fOnCreateCell; }
    void SetOnCreateCell(TOnCreateCell h) { fOnCreateCell = std::move(h); }
    const TOnMeasureHeight& OnMeasureHeight() const { return fOnMeasureHeight; }
    void SetOnMeasureHeight(TOnMeasureHeight h) { fOnMeasureHeight = std::move(h); }
    TBabSimpleCellDataClass BabSimpleCellDataClass() const { return fBabSimpleCellDataClass; }
    void SetBabSimpleCellDataClass(TBabSimpleCellDataClass c) { fBabSimpleCellDataClass = c; }
    TBabGridCellDataClass BabGridCellDataClass() const { return fBabGridCellDataClass; }
    void SetBabGridCellDataClass(TBabGridCellDataClass c) { fBabGridCellDataClass = c; }

private:
    friend class TBabCell;
    TOnInternalSelectionChanged fOnInternalSelectionChanged;
    TOnCellRectTampering fOnCellRectTampering;
    TOnScaleRect fOnScaleRect;
    TEvent fSelectionChangeEvent{this};
    TOnDeInitCell fOnDeInitCell;
    TOnCheckCellGrouping fOnCheckCellGrouping;
    TOnVirtualLoad fOnVirtualLoad;
    TOnVirtualUnLoad fOnVirtualUnLoad;
    TOnKeepAfterUnloadCheck fOnKeepAfterUnloadCheck;
    TOnUnloadIntervall fOnUnloadIntervall;
    TOnDeleteOfUnloaded fOnDeleteOfUnloaded;
    TEvent fAxisChangeEvent{this};
    TEvent fUserSizeEvent{this};
    TBabSimpleCellDataClass fBabSimpleCellDataClass;
    TBabGridCellDataClass fBabGridCellDataClass;
    TObject* fViewer;
    TOnCreateCell fOnCreateCell;
    TOnMeasureHeight fOnMeasureHeight;
};
