// The tree's entities, their lists and the control's native nodes.
#include "tree/xoTree.h"

namespace {
const char* const kTextTooLong = "Treenodes only allow strings smaller than 255 chars";
constexpr size_t kMaxTextChars = 255;

// Characters are code points of the UTF-8 text.
size_t CodePoints(const String& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}
} // namespace

// ---- TxoDataEntity_Tree ---------------------------------------------------------------------
TxoDataEntity_Tree::TxoDataEntity_Tree() = default;

TxoDataEntity_Tree::~TxoDataEntity_Tree() {
    ForgetNodes();
    // Freed without CleanForFree: the children must not outlive their entity.
    if (TxoDataList_Tree* sub = fSubDataList) {
        fSubDataList = nullptr;
        sub->fOwningDataEntity = nullptr;
        sub->FreeWheneverPossible();
    }
}

void TxoDataEntity_Tree::ForgetNodes() {
    if (auto* n = static_cast<TTreeNode_xoSub*>(fTreeNode)) {
        if (n->fxoEntity == this) n->fxoEntity = nullptr;
        if (n->Data() == this) n->SetData(nullptr);
    }
    if (auto* p = static_cast<TTreeNode_xoSub*>(fExpanderSubNode))
        if (p->fxoPlaceholderOf == this) p->fxoPlaceholderOf = nullptr;
    fTreeNode = nullptr;
    fExpanderSubNode = nullptr;
}

void TxoDataEntity_Tree::CleanForFree() {
    TxoDataEntity::CleanForFree();
    // The control frees the children when it hears of the removal; a list that reaches no
    // control leaves them to the entity.
    if (TxoDataList_Tree* sub = fSubDataList) {
        fSubDataList = nullptr;
        sub->fOwningDataEntity = nullptr;
        sub->FreeWheneverPossible();
    }
    ForgetNodes();
}

void TxoDataEntity_Tree::SetVisible(bool Value) {
    TxoDataEntity::SetVisible(Value);
    if (TxoTree_ComBasic* t = Tree()) t->DisplayOutOfDate();
}

bool TxoDataEntity_Tree::GetVisible() const {
    for (const TxoDataEntity_Tree* e = this; e; e = e->ParentNode())
        if (!e->fTreeNode || !e->fTreeNode->IsVisible()) return false;
    return true;
}

void TxoDataEntity_Tree::AfterCreate(TxoDataList* thexoDataList) {
    TxoDataEntity::AfterCreate(thexoDataList);
}

void TxoDataEntity_Tree::SetFontName(const String& Value) {
    FFontName = Value;
    if (TxoTree_ComBasic* t = Tree()) t->Invalidate();
}

void TxoDataEntity_Tree::SetFontStyle(TFontStyles Value) {
    FFontStyle = Value;
    if (TxoTree_ComBasic* t = Tree()) t->Invalidate();
}

TxoDataList_Tree* TxoDataEntity_Tree::SubDataList() {
    if (!fSubDataList)
        if (TxoTree_ComBasic* t = Tree()) t->CreateSubDataList(this);
    return fSubDataList;
}

int TxoDataEntity_Tree::ChildCount() const {
    return fSubDataList ? fSubDataList->Count() : 0;
}

void TxoDataEntity_Tree::SetText(const String& Value) {
    if (CodePoints(Value) > kMaxTextChars) throw Exception(kTextTooLong);
    if (fTreeNode) fTreeNode->SetText(Value);
    fText = Value;
}

void TxoDataEntity_Tree::SetImageIndex(int Value) {
    fImageIndex = Value;
    if (fTreeNode) fTreeNode->SetImageIndex(Value);
}

void TxoDataEntity_Tree::SetSelectedIndex(int Value) {
    fSelectedIndex = Value;
    if (fTreeNode) fTreeNode->SetSelectedIndex(Value);
}

void TxoDataEntity_Tree::SetExpanded(bool Value) {
    fExpanded = Value;
    if (fTreeNode) {
        fTreeNode->SetExpanded(Value);
        return;
    }
    TxoTree_ComBasic* t = Tree();
    if (!t) return;
    t->DisplayOutOfDate();
    if (Value && !t->fUpdating && !t->fExpanding) {
        t->EnsureDisplayUpToDate();
        t->DisplayOutOfDate();
    }
}

void TxoDataEntity_Tree::Set_HideNode(bool Value) {
    fHideNode = Value;
    if (TxoTree_ComBasic* t = Tree()) t->DisplayOutOfDate();
}

int TxoDataEntity_Tree::Level() const {
    int level = 0;
    for (const TxoDataEntity_Tree* e = ParentNode(); e; e = e->ParentNode())
        ++level;
    return level;
}

TxoTree_ComBasic* TxoDataEntity_Tree::Tree() const {
    if (!fDataList) return nullptr;
    auto* c = dynamic_cast<TxoListController_Tree*>(fDataList->ListController());
    return c ? c->OwningTree() : nullptr;
}

TxoDataEntity_Tree* TxoDataEntity_Tree::ParentNode() const {
    auto* list = dynamic_cast<TxoDataList_Tree*>(fDataList);
    return list ? list->fOwningDataEntity : nullptr;
}

void TxoDataEntity_Tree::EditText() {
    if (fTreeNode) fTreeNode->EditText();
}

TxoDataEntity_Tree* TxoDataEntity_Tree::GetNextVisible() const {
    TxoTree_ComBasic* t = Tree();
    return t && fTreeNode ? t->GetDataEntityFromNode(fTreeNode->GetNextVisible()) : nullptr;
}

TxoDataEntity_Tree* TxoDataEntity_Tree::GetPrevVisible() const {
    TxoTree_ComBasic* t = Tree();
    return t && fTreeNode ? t->GetDataEntityFromNode(fTreeNode->GetPrevVisible()) : nullptr;
}

// ---- TxoDataList_Tree -----------------------------------------------------------------------
TxoDataList_Tree::TxoDataList_Tree() = default;

TxoDataList_Tree::~TxoDataList_Tree() {
    if (fOwningDataEntity && fOwningDataEntity->fSubDataList == this)
        fOwningDataEntity->fSubDataList = nullptr;
}

// ---- TTreeNode_xoSub ------------------------------------------------------------------------
TTreeNode_xoSub::~TTreeNode_xoSub() {
    fxoDeleting = true;
    if (fxoEntity) {
        if (fxoEntity->fTreeNode == this) fxoEntity->fTreeNode = nullptr;
        fxoEntity = nullptr;
    }
    if (fxoPlaceholderOf) {
        if (fxoPlaceholderOf->fExpanderSubNode == this) fxoPlaceholderOf->fExpanderSubNode = nullptr;
        fxoPlaceholderOf = nullptr;
    }
    if (auto* tree = dynamic_cast<TxoTree_ComBasic*>(TreeView())) tree->NodeGone(this);
}
