// The tree popup menu: the items built from the tree at every popup, the sub-menus filled at
// their first opening, and the picks.
#include "tree/xoTreePopup.h"

namespace {
constexpr int kItemsPerColumn = 30;
const char* const kSeparator = "-";

// Frees the popup's own items of a menu level, the last first; the others stay.
void RemoveBuiltItems(TMenuItem* aParent) {
    for (int i = aParent->Count() - 1; i >= 0; --i)
        if (auto* x = dynamic_cast<TxoMenuItem*>(aParent->Items(i))) delete x;
}
} // namespace

TxoDataEntity_Tree* TxoMenuItem::DataEntity_Tree() const {
    return static_cast<TxoDataEntity_Tree*>(fxoDataEntity_Tree.Get());
}

TxoTreePopup::TxoTreePopup(TComponent* Owner) : TPopupMenu(Owner) {}

TxoTreePopup::~TxoTreePopup() {
    SetTree(nullptr);
    SetAddToMenuItem(nullptr);
}

void TxoTreePopup::SetTree(TxoTree* Value) {
    if (Value == fTree) return;
    if (fTree) fTree->RemoveFreeNotification(this);
    fTree = Value;
    if (fTree) fTree->FreeNotification(this);
}

void TxoTreePopup::SetAddToMenuItem(TMenuItem* Value) {
    if (Value == fMenuToAddTo) return;
    if (fMenuToAddTo) fMenuToAddTo->RemoveFreeNotification(this);
    fMenuToAddTo = Value;
    if (fMenuToAddTo) fMenuToAddTo->FreeNotification(this);
}

void TxoTreePopup::Notification(TComponent* AComponent, TOperation Operation) {
    TPopupMenu::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == fTree) fTree = nullptr;
    if (AComponent == fMenuToAddTo) fMenuToAddTo = nullptr;
}

void TxoTreePopup::DoPopup(TObject* Sender) {
    InitRootLevel();
    TPopupMenu::DoPopup(Sender);
}

void TxoTreePopup::InitRootLevel() {
    if (fMenuToAddTo) RemoveBuiltItems(fMenuToAddTo);
    RemoveBuiltItems(Items());
    TMenuItem* target = fMenuToAddTo ? fMenuToAddTo : Items();
    if (!fTree) return;
    (void)fTree->CurrentDataEntity(); // brings the tree's display up to date
    SetImages(fTree->Images());
    TxoDataList_Tree* roots = fTree->RootDataEntities();
    for (int i = 0; roots && i < roots->Count(); ++i)
        if (auto* e = static_cast<TxoDataEntity_Tree*>(roots->Items(i))) DoTreeToMenu(e, target);
}

bool TxoTreePopup::PickEnabled(TxoDataEntity_Tree* theDataEntity) {
    return !FOnCheckUserPickEnable || FOnCheckUserPickEnable(this, theDataEntity);
}

void TxoTreePopup::DoTreeToMenu(TxoDataEntity_Tree* theDataEntity, TMenuItem* theParent) {
    auto* item = new TxoMenuItem(this);
    item->SetCaption(theDataEntity->Text());
    item->SetImageIndex(theDataEntity->ImageIndex());
    theParent->Add(item);
    if (fTree && fTree->NeedsDummyNode(theDataEntity)) {
        // A sub-menu whose only entry, until it is opened, picks the entity itself.
        auto* pick = new TxoMenuItem(this);
        pick->SetCaption(theDataEntity->Text());
        pick->SetImageIndex(theDataEntity->ImageIndex());
        pick->SetDataEntity_Tree(theDataEntity);
        pick->SetOnClick([this](TObject* s) { OnPerformDataEntityAction(s); });
        pick->SetEnabled(PickEnabled(theDataEntity));
        item->Add(pick);
        item->SetOnClick([this](TObject* s) { OnInitSubMenu(s); });
    } else {
        item->SetDataEntity_Tree(theDataEntity);
        item->SetOnClick([this](TObject* s) { OnPerformDataEntityAction(s); });
        item->SetEnabled(PickEnabled(theDataEntity));
    }
    if (theParent->Count() % kItemsPerColumn == 0) item->SetBreak(mbBarBreak);
}

void TxoTreePopup::OnInitSubMenu(TObject* Sender) {
    auto* item = dynamic_cast<TxoMenuItem*>(Sender);
    if (!item) return;
    item->SetOnClick(nullptr); // once per build
    if (item->Count() != 1 || !fTree) return;
    auto* pick = dynamic_cast<TxoMenuItem*>(item->Items(0));
    TxoDataEntity_Tree* e = pick ? pick->DataEntity_Tree() : nullptr;
    if (!e) return;
    // Expanding lets the tree (or the application) make the children.
    e->SetExpanded(true);
    (void)fTree->CurrentDataEntity();
    e = pick->DataEntity_Tree();
    if (!e || e->ChildCount() == 0) return; // the entity itself stays the only entry
    auto* separator = new TxoMenuItem(this);
    separator->SetCaption(kSeparator);
    item->Add(separator);
    TxoDataList_Tree* children = e->SubDataList();
    for (int i = 0; children && i < children->Count(); ++i)
        if (auto* c = static_cast<TxoDataEntity_Tree*>(children->Items(i))) DoTreeToMenu(c, item);
    pick->SetVisible(false);
    separator->SetVisible(false);
}

void TxoTreePopup::OnPerformDataEntityAction(TObject* Sender) {
    auto* item = dynamic_cast<TxoMenuItem*>(Sender);
    TxoDataEntity_Tree* e = item ? item->DataEntity_Tree() : nullptr;
    if (e && fOnUserPickDataEntity) fOnUserPickDataEntity(this, e);
}
