// The tree control over data entities: the application builds a tree of TxoDataEntity_Tree
// (each with a list of children), and the control mirrors it into the platform's tree view
// lazily, at the next paint or at a read that needs the native state.
//
//   auto* tree = new TxoTree(form);
//   tree->SetParent(form);
//   TxoDataEntity_Tree* phase = tree->AddDataEntity(nullptr);
//   phase->SetText("Phase 1");
//   tree->AddDataEntity(phase)->SetText("Design");
//   phase->SetExpanded(true);
//   tree->SetOnCurrentDataEntityChange([](TxoTree_ComBasic*, TxoDataEntity_Tree* e) { ... });
//
// Every change of an entity or a list only marks the display out of date; the rebuild walks
// the entities once, inside one begin/end update of the native items, and keeps the
// selection, the top item and the horizontal scroll position.
#pragma once

#include "foundation/xoBeginUpdate.h"
#include "model/xoDataEntityPack.h"
#include "platform/plComCtrls.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class TxoTree_ComBasic;
class TxoDataEntity_Tree;
class TxoDataList_Tree;
class TTreeNode_xoSub;

using TOnTreeDataEntityDelete = std::function<void(TxoTree_ComBasic* theTree, TxoDataEntity_Tree* theObs)>;
using TOnCurrentDataEntityChange =
    std::function<void(TxoTree_ComBasic* theTree, TxoDataEntity_Tree* theDataEntity)>;

// ---- TxoDataEntity_Tree ---------------------------------------------------------------------
// A node of the tree: caption, images, expanded and hidden state, a font of its own, and the
// list of its children.
class TxoDataEntity_Tree : public TxoDataEntity {
public:
    TxoDataEntity_Tree();

    // Forgets the native nodes; the children go with the entity (see _DeleteItem).
    void CleanForFree() override;
    // The base, then the display is out of date.
    void SetVisible(bool Value) override;
    // Shown: the native node exists and is visible, and so is the parent entity.
    bool GetVisible() const override;
    void AfterCreate(TxoDataList* thexoDataList) override;

    // Font face of this node; empty: the control's font. Setting it repaints the control.
    const String& FontName() const { return FFontName; }
    void SetFontName(const String& Value);
    TFontStyles FontStyle() const { return FFontStyle; }
    void SetFontStyle(TFontStyles Value);

    // The native node that shows the entity; none until the display is updated.
    TTreeNode* TreeNode() const { return fTreeNode; }
    // The children. Made when first asked for (an entity that never gets children needs none).
    TxoDataList_Tree* SubDataList();
    // The children's count without making the list.
    int ChildCount() const;

    // At most 255 characters: a longer text raises "Treenodes only allow strings smaller
    // than 255 chars" and the entity keeps its text.
    const String& Text() const { return fText; }
    void SetText(const String& Value);
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return fSelectedIndex; }
    void SetSelectedIndex(int Value);
    bool Expanded() const { return fExpanded; }
    // Expands or collapses the native node; without one the display is brought up to date
    // first (when expanding) so that the node exists.
    void SetExpanded(bool Value);
    // The node and its subtree are not shown.
    bool HideNode() const { return fHideNode; }
    void Set_HideNode(bool Value);
    void SetHideNode(bool Value) { Set_HideNode(Value); }

    // Number of ancestors.
    int Level() const;
    // The control of the entity's list, or none.
    TxoTree_ComBasic* Tree() const;
    // The entity that owns the entity's list (none for a root).
    TxoDataEntity_Tree* ParentNode() const;
    // Starts label editing of the native node.
    void EditText();
    // The entities of the next / previous visible native node; none without a node.
    TxoDataEntity_Tree* GetNextVisible() const;
    TxoDataEntity_Tree* GetPrevVisible() const;

protected:
    ~TxoDataEntity_Tree() override;

private:
    friend class TxoTree_ComBasic;
    friend class TxoDataList_Tree;
    friend class TTreeNode_xoSub;
    void ForgetNodes();

    String FFontName;
    TFontStyles FFontStyle;
    TTreeNode* fTreeNode = nullptr;
    TxoDataList_Tree* fSubDataList = nullptr;
    String fText;
    int fImageIndex = 0;
    int fSelectedIndex = 0;
    bool fExpanded = false;
    TTreeNode* fExpanderSubNode = nullptr;
    bool fHideNode = false;
};

// ---- TxoDataList_Tree -----------------------------------------------------------------------
// The children of one entity (or the roots).
class TxoDataList_Tree : public TxoDataList {
public:
    TxoDataList_Tree();
    // None for the root list.
    TxoDataEntity_Tree* OwningDataEntity() const { return fOwningDataEntity; }
    // The native order of this list's nodes must be brought in line with the list's order.
    bool NeedsSort() const { return fNeedsSort; }
    void SetNeedsSort(bool Value) { fNeedsSort = Value; }

protected:
    ~TxoDataList_Tree() override;

private:
    friend class TxoTree_ComBasic;
    friend class TxoDataEntity_Tree;
    TxoDataEntity_Tree* fOwningDataEntity = nullptr;
    bool fNeedsSort = false;
};

// ---- TxoListController_Tree -----------------------------------------------------------------
class TxoListController_Tree : public TxoListController {
public:
    explicit TxoListController_Tree(TxoTree_ComBasic* theTree) : fOwningTree(theTree) {}
    TxoTree_ComBasic* OwningTree() const { return fOwningTree; }

private:
    friend class TxoTree_ComBasic;
    TxoTree_ComBasic* fOwningTree;
};

// ---- TTreeNode_xoSub ------------------------------------------------------------------------
// The native nodes of the control. A node that is destroyed lets go of its entity and of the
// control's references to it.
class TTreeNode_xoSub : public TTreeNode {
public:
    explicit TTreeNode_xoSub(TTreeNodes* AOwner) : TTreeNode(AOwner) {}
    ~TTreeNode_xoSub() override;
    String ClassName() const override { return "TTreeNode_xoSub"; }
    bool xoDeleting() const { return fxoDeleting; }

private:
    friend class TxoTree_ComBasic;
    friend class TxoDataEntity_Tree;
    bool fxoDeleting = false;
    // The entity the node shows, or whose placeholder it is (kept apart from the node's
    // Data, which the application may read).
    TxoDataEntity_Tree* fxoEntity = nullptr;
    TxoDataEntity_Tree* fxoPlaceholderOf = nullptr;
    int fxoQueueIndex = -1; // position in the control's deletion queue, -1: not queued
};

// ---- TxoTree_ComBasic -----------------------------------------------------------------------
class TxoTree_ComBasic : public TCustomTreeView {
public:
    explicit TxoTree_ComBasic(TComponent* Owner);
    ~TxoTree_ComBasic() override;
    String ClassName() const override { return "TxoTree_ComBasic"; }

    // Empties the native nodes and builds the lists and the controller (the constructor calls
    // it; calling it again starts over with an empty tree).
    void Initialize();

    // ---- content
    // A new entity at the end of theOwningNode's children (a root when none).
    TxoDataEntity_Tree* AddDataEntity(TxoDataEntity_Tree* theOwningNode);
    // A new entity at theIndex of theOwningNode's children (EListError outside 0..Count).
    TxoDataEntity_Tree* InsertDataEntity(TxoDataEntity_Tree* theOwningNode, int theIndex);
    void RemoveDataEntity(TxoDataEntity_Tree* theDataEntity);
    // Moves an entity (with its subtree) to the end of theNewOwner's children. Nothing for
    // none, the same entity, or a new owner inside the moved subtree.
    void ChangeOwner(TxoDataEntity_Tree* theDataEntityMoved, TxoDataEntity_Tree* theNewOwner);
    void Clear();
    TxoDataList_Tree* RootDataEntities() const { return fRootDataList; }
    // Every list of the tree, the root list first.
    TxoDataList2lev* ListOfDataListListInstances() const { return fListOfDataListListInstances; }
    TxoDataList2lev* AllSubLists() const { return fListOfDataListListInstances; }

    // ---- current entity and top item
    // The entity of the native selection (the display is brought up to date first).
    TxoDataEntity_Tree* CurrentDataEntity();
    // Selects the entity's node once the current event has been handled.
    void SetCurrentDataEntity(TxoDataEntity_Tree* Value);
    // The entity of the native top row.
    TxoDataEntity_Tree* TopItem();
    void SetTopItem(TxoDataEntity_Tree* Value);

    // ---- reads
    TxoDataEntity_Tree* GetDataEntityFromNode(TTreeNode* theNode) const;
    TxoDataEntity_Tree* GetDataEntityAt(int X, int Y);
    // The native text rectangle of the entity's node; (-1, -1, -1, -1) without a window or node.
    TRect GetRect(TxoDataEntity_Tree* theDataEntity);
    TxoDataEntity_Tree* GetNextVisible(TxoDataEntity_Tree* theDataEntity);
    TxoDataEntity_Tree* GetPrevVisible(TxoDataEntity_Tree* theDataEntity);
    // The visible entity at row theRow (0 based, depth first); none beyond the end.
    TxoDataEntity_Tree* GetDataEntityFromRow(int theRow);
    // Whether a childless entity gets the placeholder child that gives it an expand button.
    virtual bool NeedsDummyNode(TxoDataEntity_Tree* theDataEntity);

    // ---- display
    // Runs the automatic expansion once with AutoExpandLevels = levels.
    void ExpandLevels(int levels);
    void DisplayOutOfDate();
    void EnsureDisplayUpToDate();
    void BeginUpdate() { Items()->BeginUpdate(); }
    void EndUpdate() { Items()->EndUpdate(); }
    // Display rebuilds done so far (one per paint or read that found the display out of date).
    int UpdateDisplayCount() const { return fUpdateDisplayCount; }

    // ---- properties
    bool ScrollBarHorz() const { return fScrollBarHorz; }
    void SetScrollBarHorz(bool Value);
    bool ScrollBarVert() const { return fScrollBarVert; }
    void SetScrollBarVert(bool Value);
    bool DrawGridLines() const { return FDrawGridLines; }
    void SetDrawGridLines(bool Value);
    int AutoExpandLevels() const { return fAutoExpandLevels; }
    void SetAutoExpandLevels(int Value);
    // Placeholders are made only for nodes above this level (-1: no limit).
    int MaxLevels() const { return fMaxLevels; }
    void SetMaxLevels(int Value);
    bool MultiSelect() const { return fMultiSelect; }
    void SetMultiSelect(bool Value) { fMultiSelect = Value; }
    TxoDataListClass ClassOfDataList_Tree() const { return fClassOfDataList_Tree; }
    // Raises Exception for a class that is not a TxoDataList_Tree.
    void SetClassOfDataList_Tree(TxoDataListClass Value);
    TxoDataEntityClass ClassOfDataEntity_Tree() const { return fClassOfDataEntity_Tree; }
    // Raises Exception for a class that is not a TxoDataEntity_Tree.
    void SetClassOfDataEntity_Tree(TxoDataEntityClass Value);

    // ---- events
    TNotifyEvent OnTopItemChanged() const { return fOnTopItemChanged; }
    void SetOnTopItemChanged(TNotifyEvent Value) { fOnTopItemChanged = std::move(Value); }
    TOnTreeDataEntityDelete OnDataEntityDelete() const { return fOnDataEntityDelete; }
    void SetOnDataEntityDelete(TOnTreeDataEntityDelete Value) { fOnDataEntityDelete = std::move(Value); }
    TOnEntityCompare OnSortCompare() const { return fOnSortCompare; }
    void SetOnSortCompare(TOnEntityCompare Value) { fOnSortCompare = std::move(Value); }
    TOnCurrentDataEntityChange OnCurrentDataEntityChange() const { return fOnCurrentDataEntityChange; }
    void SetOnCurrentDataEntityChange(TOnCurrentDataEntityChange Value) {
        fOnCurrentDataEntityChange = std::move(Value);
    }
    TOnContentChanged OnContentChanged() const { return fOnContentChanged; }
    void SetOnContentChanged(TOnContentChanged Value) { fOnContentChanged = std::move(Value); }
    TOnSelectionChanged OnSelectionChanged() const { return fOnSelectionChanged; }
    void SetOnSelectionChanged(TOnSelectionChanged Value) { fOnSelectionChanged = std::move(Value); }
    TOnDeleteItem OnDeleteItem() const { return fOnDeleteItem; }
    void SetOnDeleteItem(TOnDeleteItem Value) { fOnDeleteItem = std::move(Value); }
    TOnInsertItem OnInsertItem() const { return fOnInsertItem; }
    void SetOnInsertItem(TOnInsertItem Value) { fOnInsertItem = std::move(Value); }
    TOnInfoPush OnValueChanged() const { return fOnInfoPush; }
    void SetOnValueChanged(TOnInfoPush Value) { fOnInfoPush = std::move(Value); }
    TOnBeforeCanEditItem OnBeforeCanEditItem() const { return fOnBeforeCanEditItem; }
    void SetOnBeforeCanEditItem(TOnBeforeCanEditItem Value) { fOnBeforeCanEditItem = std::move(Value); }
    TOnCurrentDataEntityChange OnRightClick() const { return fOnRightClick; }
    void SetOnRightClick(TOnCurrentDataEntityChange Value) { fOnRightClick = std::move(Value); }

    // Focus through the parent form when there is one, else the window directly.
    void SetFocus() override;
    void WndProc(TMessage& Message) override;

protected:
    // ---- receivers of the controller's callbacks
    virtual void _DeleteItem(TxoDataEntity* theDataEntity);
    virtual void _InsertItem(TxoDataEntity* theDataEntity);
    virtual void _OnInfoPush(TxoDataEntity* theDataEntity);
    virtual void _SelectionChanged(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity);
    virtual void _ContentChanged(TxoDataList* thexoDataList);
    virtual int _SortCompare(TxoDataEntity* the1, TxoDataEntity* the2);
    virtual void _OnBeforeCanEditItem(TxoDataEntity* theDataEntity);
    virtual void _LeaveOwnerBeforeChange(TxoDataEntity* theDataEntity);
    virtual void _EnterOwnerAfterChange(TxoDataEntity* theDataEntity);
    virtual void _OnVisibleChanged(TxoDataEntity* theDataEntity);
    // Expands every visible entity above AutoExpandLevels (nothing when it is 0).
    virtual void HandleAutoExpand();
    virtual void PerformAutoExpandItem(TxoDataEntity_Tree* theDataEntity);
    virtual void xoCustomDrawItem(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State,
                                  bool& DefaultDraw);
    virtual void xoAdvancedCustomDrawItem(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State,
                                          TCustomDrawStage Stage, bool& PaintImages, bool& DefaultDraw);
    virtual TxoDataList2lev* CreateDataList2Lev();
    virtual void InitializeInConstructor();
    // An entity moved within its list: its node follows at the next display update.
    void OnHandlePerformedMove(TxoDataEntity* theDataEntity, int theOldIndex, int theNewIndex);

    // ---- the framework's handlers
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    TTreeNode* CreateNode() final;
    void CNNotify(TWMNotifyTV& Message) override;
    void Change(TTreeNode* Node) override;
    void Expand(TTreeNode* Node) override;
    void Collapse(TTreeNode* Node) override;
    bool CanEdit(TTreeNode* Node) override;
    void Edit(TTreeNode* Node, String& S) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    bool Updating() const { return fUpdating; }

private:
    friend class TxoDataEntity_Tree;
    friend class TTreeNode_xoSub;

    // (xoTree_Display.cpp)
    void UpdateDisplay();
    void SyncAll(TxoBeginUpdate& aGuard);
    void ExpandToLevels();
    TxoDataList_Tree* SyncEntity(TxoDataEntity_Tree* E, bool aNodeVisible, TxoBeginUpdate& aGuard,
                                 bool& aChildrenVisible);
    void SortPass(TxoBeginUpdate& aGuard);
    void CleanTreeNode(TxoDataEntity_Tree* theDataEntity);
    void RemoveNode(TTreeNode* theNode);
    void Dequeue(TTreeNode_xoSub* theNode);
    void Bind(TxoDataEntity_Tree* E, TTreeNode* N);
    void NodeGone(TTreeNode_xoSub* theNode);

    // (xoTree_Control.cpp)
    TxoDataList_Tree* CreateSubDataList(TxoDataEntity_Tree* theDataEntity);
    void FreeStructures();
    void ReportTopItemChanged();
    void SetCurrentDataEntity_Async(TObject* theData);
    void MakeSure_SelectedAndFocusedAreTheSame_Async(TObject* theData);
    void ApplyScrollBarSwitches();

    // (xoTree_Input.cpp)
    void UpdateMultiSelect(TxoDataEntity_Tree* theDataEntity, TShiftState theShift);
    void ClearAllSelections();

    TNotifyEvent fOnTopItemChanged;
    bool fScrollBarHorz = true;
    bool fScrollBarVert = true;
    TDateTime fFocusSwitchTime = 0;
    TScrollInfo fScrollInfo_Before;
    TScrollInfo fScrollInfo_After;
    bool FDrawGridLines = false;
    TxoDataList2lev* fListOfDataListListInstances = nullptr;
    TTreeNode* fEditNode = nullptr;
    String fOrgString;
    bool fExpanding = false;
    int fAutoExpandLevels = 0;
    int fAutoExpanding = 0;
    int fMaxLevels = -1;
    TOnTreeDataEntityDelete fOnDataEntityDelete;
    bool fMultiSelect = false;
    TTreeNode* fAnchor = nullptr;
    bool fSelectionsWasDoneOnDownButton = false;
    TShiftState fSelectionsWasDoneWithKeys;
    bool fDragging = false;
    TxoDataEntity_Tree* fLastTopItem = nullptr;
    TTreeNode* fLastSelectedItem = nullptr;
    TxoDataList_Tree* fRootDataList = nullptr;
    std::unique_ptr<TxoListController_Tree> fListController;
    bool fDisplayOutOfDate = false;
    bool fUpdating = false;
    TTreeNode* fUpdating_Selected = nullptr;
    TTreeNode* fUpdating_TopItem = nullptr;
    std::vector<TTreeNode_xoSub*> fListOfTreeNodesToDelete;
    TOnEntityCompare fOnSortCompare;
    TxoDataListClass fClassOfDataList_Tree;
    TxoDataEntityClass fClassOfDataEntity_Tree;
    TOnCurrentDataEntityChange fOnCurrentDataEntityChange;
    TOnContentChanged fOnContentChanged;
    TOnSelectionChanged fOnSelectionChanged;
    TOnDeleteItem fOnDeleteItem;
    TOnInsertItem fOnInsertItem;
    TOnInfoPush fOnInfoPush;
    TOnBeforeCanEditItem fOnBeforeCanEditItem;
    TOnCurrentDataEntityChange fOnRightClick;
    bool fRealoadOfTreeNodesDetected = false;
    TxoDataEntity_Tree* fCurrentDataEntity_Async_Mailbox = nullptr;

    bool fChangedWhileUpdating = false; // the display went out of date during its own update
    int fUpdateDisplayCount = 0;
    std::shared_ptr<bool> fAlive = std::make_shared<bool>(true);
};

// ---- TxoTree --------------------------------------------------------------------------------
// The published form of the control.
class TxoTree : public TxoTree_ComBasic {
public:
    using TxoTree_ComBasic::TxoTree_ComBasic;
    String ClassName() const override { return "TxoTree"; }
};
