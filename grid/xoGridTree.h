// A tree of data entities shown as the rows of a grid cell: every node owns at most one row of
// the cell's Y axis, rows stand in depth-first tree order, and the rows of collapsed or hidden
// nodes are hidden. Children are created lazily through the owner the first time a node is
// expanded. The root level may be virtual: the root list and the row axis then count the same
// unloaded roots, rows are bound to their nodes as the grid loads them, and a root's whole
// subtree is unloaded as one block.
//
// What the owner (the grid component) does for the tree:
//   - creates it with the callback that fills a node's children (TOnTreeControllerCallBackInitSubList);
//   - sets GridCell to the grid cell whose Y axis shows the tree, before nodes are added;
//   - forwards the virtual-row protocol of that Y axis, after its own handling:
//       OnVirtualLoad            -> _OnGridRowReload
//       OnVirtualUnLoad          -> _OnGridRowUnload        (when CanUnload is still true)
//       OnKeepAfterUnloadCheck   -> _OnKeepGridRowAfterUnload (when KeepAfterUnload is still true)
//       OnUnloadIntervall        -> _OnUnloadIntervall
//       OnDeleteOfUnloaded       -> _OnDeleteOfUnloaded
//   - calls IntegrationTargetInvalidate when its layout changed;
//   - frees the tree before the grid cell (or sets GridCell to none first).
//
//   TxoGridTree tree([](TxoGridTree* t, TxoDataEntity_GridTreeNode* n) { t->AddDataEntity(n); });
//   tree.SetGridCell(cell);                                        // a TBabGridCell of the grid
//   TxoDataEntity_GridTreeNode* root = tree.AddDataEntity(nullptr); // a row after the fixed rows
//   root->SetExpanded(true);                                       // asks for the children once
//   tree.RootDataEntities()->AddUnloaded(1000000);                 // virtual roots, bound as shown
#pragma once

#include "model/xoDataEntityPack.h"
#include "platform/plTypes.h"

#include <functional>
#include <memory>

class TAxisContentItem;
class TAxisContentList;
class TBabGridCell;

class TxoGridTree;
class TxoDataEntity_GridTreeNode;
class TxoDataList_GridTree;

// ---- Types ----------------------------------------------------------------------------------
enum TIntegrationEventKind {
    ieInsert,
    ieRemove,
    ieSelectionChanged,
    ieVisibleChanged,
    ieMovePerfomed,
    ieUnload,
    ieLoad,
    ieInvalidate
};

using TOnIntegrationEvent =
    std::function<void(TIntegrationEventKind aIntegrationEventKind, TxoDataEntity* aDataEntity)>;
using TOnContentChangeEvent =
    std::function<void(TxoGridTree* aGridTree, TxoDataEntity_GridTreeNode* aDataEntity)>;
using TOnExpandCollapseEvent =
    std::function<void(TxoGridTree* aGridTree, TxoDataEntity_GridTreeNode* aDataEntity, bool& allow)>;
// Asked to fill a node's children, the first time the node is expanded.
using TOnTreeControllerCallBackInitSubList =
    std::function<void(TxoGridTree* aGridTree, TxoDataEntity_GridTreeNode* aDataEntity_GridTreeNode)>;

// ---- TxoDataEntity_GridTreeNode -------------------------------------------------------------
// One node of a grid tree. Created by its list (AddDataEntity, InsertDataEntity or loading), freed
// through the list or the tree.
class TxoDataEntity_GridTreeNode : public TxoDataEntity {
public:
    TxoDataEntity_GridTreeNode();

    // Drops the node's row from the axis, frees its children, then reports the removal.
    void CleanForFree() override;
    // The base, then CanEdit true.
    void AfterCreate(TxoDataList* thexoDataList) override;

    // A slot for an integrating component (the Gantt chart keeps the node's row here).
    TObject* IntegrationCookie() const { return fIntegrationCookie; }
    void SetIntegrationCookie(TObject* Value) { fIntegrationCookie = Value; }
    int ImageIndex() const { return fImageIndex; }
    // Repaints the grid when the value changes.
    void SetImageIndex(int Value);
    int SelectedIndex() const { return fSelectedIndex; }
    void SetSelectedIndex(int Value);
    bool Expanded() const { return fExpanded; }
    // Asks OnExpand / OnCollapse first; the first expansion asks the owner for the children.
    void SetExpanded(bool Value);
    bool SubDataListInitiated() const { return fSubDataListInitiated; }
    // The node's grid row; none while the node has no row (unloaded region, no grid cell).
    TAxisContentItem* AxisContentItem() const { return fAxisContentItem; }
    bool HideNode() const { return fHideNode; }
    bool Get_HideNode() const { return fHideNode; }
    // Hides (or shows again) the node's row and its whole subtree's rows.
    void Set_HideNode(bool Value);
    void SetHideNode(bool Value) { Set_HideNode(Value); }

    // Number of ancestors.
    int GetLevel() const;
    int Level() const { return GetLevel(); }
    // The children, created on first request.
    TxoDataList_GridTree* GetSubDataList();
    TxoDataList_GridTree* SubDataList() { return GetSubDataList(); }
    // The number of children, counting unloaded ones; 0 without creating the sub-list.
    int SubDataListCount() const;
    TxoGridTree* GridTree() const;
    // The node that owns this node's list; none for a root.
    TxoDataEntity_GridTreeNode* ParentNode() const;

    // Depth-first order, children directly after their parent; unloaded entities on the way are
    // loaded. None past either end.
    TxoDataEntity_GridTreeNode* GetNext();
    TxoDataEntity_GridTreeNode* GetPrev();
    TxoDataEntity_GridTreeNode* GetNextVisible();
    TxoDataEntity_GridTreeNode* GetPrevVisible();
    // Not hidden itself, and (for a child) its parent is expanded and visible.
    bool IsVisible() const;

    // Gives the node its grid row at its place in tree order.
    void InitGridRow();
    // Row Hide := not IsVisible and Visible := not Hide, for the node and its subtree (nodes
    // with rows only).
    void UpdateVisibility();

protected:
    ~TxoDataEntity_GridTreeNode() override;

private:
    friend class TxoGridTree;
    friend class TxoDataList_GridTree;
    // Takes the sub-list out of the tree's list of lists and frees it with its children.
    void DeInitSubList();
    void RequestRepaint();

    TObject* fIntegrationCookie = nullptr;
    TxoDataList_GridTree* fSubDataList = nullptr; // owned
    int fImageIndex = 0;
    int fSelectedIndex = 0;
    bool fExpanded = false;
    bool fSubDataListInitiated = false;
    TAxisContentItem* fAxisContentItem = nullptr;
    bool fHideNode = false;
};

// ---- TxoDataList_GridTree -------------------------------------------------------------------
// The root list or a node's children.
class TxoDataList_GridTree : public TxoDataList {
public:
    TxoDataList_GridTree();

    // The base; for the root list the grid's row axis grows by the same number of unloaded rows,
    // so that virtual roots and virtual rows stay in step.
    void AddUnloaded(int count) override;

    // The parent node; none for the root list.
    TxoDataEntity_GridTreeNode* OwningDataEntity() const { return fOwningDataEntity; }
    TxoGridTree* GridTree() const { return fGridTree; }

protected:
    ~TxoDataList_GridTree() override;

private:
    friend class TxoGridTree;
    friend class TxoDataEntity_GridTreeNode;
    TxoDataEntity_GridTreeNode* fOwningDataEntity = nullptr;
    TxoGridTree* fGridTree = nullptr;
};

// ---- TxoGridTree ----------------------------------------------------------------------------
class TxoGridTree : public TObject {
public:
    explicit TxoGridTree(TOnTreeControllerCallBackInitSubList aTreeControllerCallBackInitSubList);
    // Forgets the nodes' rows (the grid keeps its rows, without nodes), then frees the nodes, the
    // list of lists and the controller.
    ~TxoGridTree() override;
    TxoGridTree(const TxoGridTree&) = delete;
    TxoGridTree& operator=(const TxoGridTree&) = delete;

    // Events.
    const TOnIntegrationEvent& OnIntegrationEvents() const { return fOnIntegrationEvents; }
    void SetOnIntegrationEvents(TOnIntegrationEvent Value) { fOnIntegrationEvents = std::move(Value); }
    const TOnContentChangeEvent& OnInsertItem() const { return fOnInsertItem; }
    void SetOnInsertItem(TOnContentChangeEvent Value) { fOnInsertItem = std::move(Value); }
    const TOnContentChangeEvent& OnDeleteItem() const { return fOnDeleteItem; }
    void SetOnDeleteItem(TOnContentChangeEvent Value) { fOnDeleteItem = std::move(Value); }
    const TOnExpandCollapseEvent& OnExpand() const { return fOnExpand; }
    void SetOnExpand(TOnExpandCollapseEvent Value) { fOnExpand = std::move(Value); }
    const TOnExpandCollapseEvent& OnCollapse() const { return fOnCollapse; }
    void SetOnCollapse(TOnExpandCollapseEvent Value) { fOnCollapse = std::move(Value); }

    TxoDataList* RootDataEntities();
    // The root list and every sub-list created (not owned by it).
    TxoDataList2lev* AllSubLists();
    TBabGridCell* GridCell() const { return fGridCell; }
    // Set by the grid before nodes are added. Setting none forgets the nodes' rows; moving a tree
    // that holds nodes to another grid cell raises Exception.
    void SetGridCell(TBabGridCell* Value);

    // A new node at the end of theOwningNode's children, or of the roots for none.
    TxoDataEntity_GridTreeNode* AddDataEntity(TxoDataEntity_GridTreeNode* theOwningNode);
    // A new node at index theIndex (0..count) of theOwningNode's children or of the roots.
    TxoDataEntity_GridTreeNode* InsertDataEntity(TxoDataEntity_GridTreeNode* theOwningNode, int theIndex);
    // Removes the node (and its subtree) from its list; nothing for none or a node without list.
    void RemoveDataEntity(TxoDataEntity_GridTreeNode* theDataEntity);

    void ExpandAll();
    void CollapseAll();
    // Children first, then each entity of the list in order.
    void SetExpandedState(TxoDataList* theList, bool Value);
    // Reports ieInvalidate (the grid calls it when its layout changed).
    void IntegrationTargetInvalidate();

    // Grid-side handlers for the rows of GridCell's Y axis (see the top of this file).
    void _OnGridRowReload(TAxisContentItem* aAxisContentItem);
    void _OnGridRowUnload(TAxisContentItem* aAxisContentItem, bool UnloadPerform, bool& CanUnload);
    void _OnKeepGridRowAfterUnload(TAxisContentItem* aAxisContentItem, bool& KeepAfterUnload);
    void _OnUnloadIntervall(TAxisContentItem* aAxisContentItem, int& Start, int& Stop);
    void _OnDeleteOfUnloaded(TAxisContentList* aAxisContentList, int Start, int Stop);

protected:
    // Receivers of the list controller's callbacks.
    virtual void _DeleteItem(TxoDataEntity* theDataEntity);
    virtual void _InsertItem(TxoDataEntity* theDataEntity);
    virtual void _SelectionChanged(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity);
    virtual void _ContentChanged(TxoDataList* thexoDataList);
    virtual void _OnUnLoadedContentChanged(TxoDataList* thexoDataList);
    // 0 for every pair: grid-tree lists are not ordered through the data-list sort (the grid
    // moves rows and nodes itself), so that sort keeps their order.
    virtual int _SortCompare(TxoDataEntity* the1, TxoDataEntity* the2);
    virtual void _OnVisibleChanged(TxoDataEntity* theDataEntity);
    virtual void _InitSubDataList(TxoDataEntity_GridTreeNode* theDataEntity);
    virtual void _OnHandlePerformedMove(TxoDataEntity* thexoDataEntity, int theOldIndex, int theNewIndex);
    virtual void _OnEnterOwnerAfterChange(TxoDataEntity* theDataEntity);
    virtual void _OnLoadItem(TxoDataEntity* theDataEntity);
    virtual void _OnUnloadItem(TxoDataEntity* theDataEntity, bool& CanUnload);
    // Creation operations. A C++ constructor cannot reach a descendant's overrides, so the
    // tree's lists are made through them on first use rather than in the constructor.
    virtual TxoDataList_GridTree* CreateDataList_GridTree();
    virtual TxoDataList2lev* CreateDataList2Lev();
    virtual TxoDataEntityClass GetClassOfDataEntity_GridTreeNode();

private:
    friend class TxoDataEntity_GridTreeNode;
    friend class TxoDataList_GridTree;
    using TNode = TxoDataEntity_GridTreeNode;

    void EnsureLists();
    void Report(TIntegrationEventKind aKind, TxoDataEntity* aDataEntity);
    TAxisContentList* RowAxis() const;
    TNode* NodeOfRow(TAxisContentItem* theRow) const;
    TxoDataList_GridTree* NewSubList(TNode* theOwner);
    void OnLeaveOwner(TxoDataEntity* theDataEntity);

    // Rows (xoGridTree_Rows.cpp).
    void InitRowOf(TNode* theNode);
    void InsertRowAt(TNode* theNode, int theIndex);
    bool LoadRowOfRoot(TNode* theRoot);
    void PlaceSubtree(TNode* theNode);
    void DropSubtreeRows(TNode* theNode);
    void MoveSubtreeRows(TNode* theNode);
    void HandleMoveOfTreeNode(TNode* theNode);
    void UpdateVisibilityOf(TNode* theNode);
    void UpdateVisibilityBelow(TNode* theNode, bool theShown);
    void ForgetRows(TxoDataList* theList);
    void AdoptSubLists(TNode* theNode);
    void FollowListOrder(TxoDataList* theList);
    bool RowWindowRoots(int& theFirst, int& theLast);
    bool CanSync() const;
    void SyncUnloadedRootRows();
    void PurgeUpwards(TNode* theNode);

    TOnIntegrationEvent fOnIntegrationEvents;
    TOnContentChangeEvent fOnInsertItem;
    TOnContentChangeEvent fOnDeleteItem;
    int fGridReload = 0;
    int fGridUnload = 0;
    TOnExpandCollapseEvent fOnExpand;
    TOnExpandCollapseEvent fOnCollapse;
    TxoDataList_GridTree* fRootDataEntities = nullptr; // owned
    TxoDataList2lev* fAllSubLists = nullptr;           // owned, the lists in it are not
    TBabGridCell* fGridCell = nullptr;
    std::unique_ptr<TxoListController> fListController;
    TOnTreeControllerCallBackInitSubList fTreeControllerCallBackInitSubList;

    bool fDestroying = false;
    bool fSyncing = false;
    int fDeleteOfUnloaded = 0;
    // The node whose row is being placed: it is never unloaded meanwhile.
    TNode* fPendingNode = nullptr;
    // The list being sorted through the data list (its comparison was asked), until the sort's
    // closing OnContentChanged; the rows then follow the list's new order.
    xo::TWatch<TxoDataList> fSortedList;
};
