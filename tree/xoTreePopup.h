// A popup menu that offers the entities of a tree as cascading menu items: each popup builds
// the items of the root entities anew; a sub-menu is filled when the user opens it, after its
// entity was expanded in the tree (so that its children exist).
//
//   auto* menu = new TxoTreePopup(form);
//   menu->SetTree(tree);
//   menu->SetOnUserPickDataEntity([](TxoTreePopup*, TxoDataEntity_Tree* e) { ... });
//   someControl->SetPopupMenu(menu);
#pragma once

#include "platform/plMenus.h"
#include "tree/xoTree.h"

#include <functional>

class TxoTreePopup;

using TOnUserPickDataEntity = std::function<void(TxoTreePopup* theSender, TxoDataEntity_Tree* theDataEntity)>;
using TOnCheckUserPickEnable =
    std::function<bool(TxoTreePopup* theSender, TxoDataEntity_Tree* theDataEntity)>;

// A menu item of the popup; the popup removes only items of this class.
class TxoMenuItem : public TMenuItem {
public:
    explicit TxoMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}
    String ClassName() const override { return "TxoMenuItem"; }
    // The entity the item picks; none for a sub-menu item and once the entity is gone.
    TxoDataEntity_Tree* DataEntity_Tree() const;
    void SetDataEntity_Tree(TxoDataEntity_Tree* Value) { fxoDataEntity_Tree.Watch(Value); }

private:
    xo::TWatch<TxoDataEntity> fxoDataEntity_Tree;
};

class TxoTreePopup : public TPopupMenu {
public:
    explicit TxoTreePopup(TComponent* Owner);
    ~TxoTreePopup() override;
    String ClassName() const override { return "TxoTreePopup"; }

    // The source tree; cleared when it is destroyed.
    TxoTree* Tree() const { return fTree; }
    void SetTree(TxoTree* Value);
    // When set, the items are built under this menu item instead of the popup's own items;
    // cleared when it is destroyed.
    TMenuItem* AddToMenuItem() const { return fMenuToAddTo; }
    void SetAddToMenuItem(TMenuItem* Value);

    TOnUserPickDataEntity OnUserPickDataEntity() const { return fOnUserPickDataEntity; }
    void SetOnUserPickDataEntity(TOnUserPickDataEntity Value) { fOnUserPickDataEntity = std::move(Value); }
    // Answers whether an entity may be picked; its entry is greyed out otherwise.
    TOnCheckUserPickEnable OnCheckUserPickEnable() const { return FOnCheckUserPickEnable; }
    void SetOnCheckUserPickEnable(TOnCheckUserPickEnable Value) { FOnCheckUserPickEnable = std::move(Value); }

    // Removes the items of the last build (the application's own items stay) and builds the
    // items of the tree's root entities.
    void InitRootLevel();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Rebuilds the items, then the framework's popup event.
    void DoPopup(TObject* Sender) override;

private:
    void DoTreeToMenu(TxoDataEntity_Tree* theDataEntity, TMenuItem* theParent);
    void OnInitSubMenu(TObject* Sender);
    void OnPerformDataEntityAction(TObject* Sender);
    bool PickEnabled(TxoDataEntity_Tree* theDataEntity);

    TxoTree* fTree = nullptr;
    TOnUserPickDataEntity fOnUserPickDataEntity;
    TOnCheckUserPickEnable FOnCheckUserPickEnable;
    TMenuItem* fMenuToAddTo = nullptr;
};
