#include "platform/plClasses.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

// ---- TPersistent ----------------------------------------------------------------------------
String TPersistent::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    String r = (status == 0 && demangled) ? String(demangled) : String(mangled);
    std::free(demangled);
    return r;
}

void TPersistent::Assign(TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw Exception("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) {
    throw Exception("Cannot assign a " + ClassName() + " to a " + (Dest ? Dest->ClassName() : String("nil")));
}

// ---- TComponent -----------------------------------------------------------------------------
TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Tell everyone who asked, then forget them (they remove themselves from our list
    // through RemoveFreeNotification, so walk a copy).
    std::vector<TComponent*> notifies;
    notifies.swap(fFreeNotifies);
    for (TComponent* c : notifies) {
        auto& theirs = c->fFreeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (fOwner) fOwner->RemoveComponent(this);
}

void TComponent::Destroying() { fComponentState.Include(csDestroying); }

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= int(fComponents.size())) return nullptr;
    return fComponents[size_t(Index)];
}

int TComponent::ComponentIndex() const {
    if (!fOwner) return -1;
    auto& list = fOwner->fComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : fComponents)
        if (c->fName == AName) return c;
    return nullptr;
}

void TComponent::SetDesigning(bool Value) {
    if (Value)
        fComponentState.Include(csDesigning);
    else
        fComponentState.Exclude(csDesigning);
    for (TComponent* c : fComponents) c->SetDesigning(Value);
}

void TComponent::BeginLoading() { fComponentState.Include(csLoading); }

void TComponent::EndLoading() {
    fComponentState.Exclude(csLoading);
    Loaded();
}

void TComponent::Loaded() {}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveNotification(AComponent);
    // Owned components hear of every removal among their siblings, as in the framework.
    for (TComponent* c : std::vector<TComponent*>(fComponents))
        if (c != AComponent) c->Notification(AComponent, Operation);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), AComponent),
                        fFreeNotifies.end());
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(fFreeNotifies.begin(), fFreeNotifies.end(), AComponent) == fFreeNotifies.end())
        fFreeNotifies.push_back(AComponent);
    if (std::find(AComponent->fFreeNotifies.begin(), AComponent->fFreeNotifies.end(), this) ==
        AComponent->fFreeNotifies.end())
        AComponent->fFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->fOwner == this) return;
    if (AComponent->fOwner) AComponent->fOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    if (fComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->fOwner != this) return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
    fComponents.push_back(AComponent);
    AComponent->fOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
    auto it = std::find(fComponents.begin(), fComponents.end(), AComponent);
    if (it != fComponents.end()) fComponents.erase(it);
    AComponent->fOwner = nullptr;
}

void TComponent::DestroyComponents() {
    // Last created first; each destructor takes itself out of our list.
    while (!fComponents.empty()) {
        TComponent* c = fComponents.back();
        Remove(c);
        delete c;
    }
}

// ---- TCollectionItem ------------------------------------------------------------------------
TCollectionItem::TCollectionItem(TCollection* aCollection) { SetCollection(aCollection); }

TCollectionItem::~TCollectionItem() {
    if (fCollection) fCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* aCollection) {
    if (fCollection == aCollection) return;
    if (fCollection) fCollection->RemoveItem(this);
    if (aCollection) aCollection->InsertItem(this, aCollection->Count());
}

int TCollectionItem::Index() const {
    if (!fCollection) return -1;
    auto& items = fCollection->fItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int cur = Index();
    if (cur < 0 || cur == Value) return;
    fCollection->MoveItem(cur, Value);
}

String TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::Changed(bool AllItems) {
    if (fCollection && fCollection->fUpdateCount == 0) fCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ----------------------------------------------------------------------------
TCollection::TCollection(TItemFactory aItemFactory) : fItemFactory(std::move(aItemFactory)) {
    if (!fItemFactory) fItemFactory = [](TCollection* c) { return new TCollectionItem(c); };
}

TCollection::~TCollection() {
    fUpdateCount = 1; // no Update calls while tearing down
    Clear();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = fItemFactory(this);
    if (item && item->fCollection != this) item->SetCollection(this);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(std::clamp(Index, 0, Count() - 1));
    return item;
}

void TCollection::Delete(int Index) {
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);
    delete item;
}

void TCollection::Clear() {
    if (fItems.empty()) return;
    BeginUpdate();
    while (!fItems.empty()) {
        TCollectionItem* item = fItems.back();
        Notify(item, cnDeleting);
        delete item;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= int(fItems.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return fItems[size_t(Index)];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* i : fItems)
        if (i->fID == ID) return i;
    return nullptr;
}

void TCollection::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    Clear();
    for (TCollectionItem* i : src->fItems) Add()->Assign(i);
    EndUpdate();
}

void TCollection::BeginUpdate() { ++fUpdateCount; }

void TCollection::EndUpdate() {
    if (fUpdateCount <= 0) return;
    if (--fUpdateCount == 0) Changed();
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
    if (fUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item, int Index) {
    fItems.insert(fItems.begin() + std::clamp(Index, 0, Count()), Item);
    Item->fCollection = this;
    Item->fID = fNextID++;
    Notify(Item, cnAdded);
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto it = std::find(fItems.begin(), fItems.end(), Item);
    if (it != fItems.end()) fItems.erase(it);
    Item->fCollection = nullptr;
    Changed();
}

void TCollection::MoveItem(int From, int To) {
    To = std::clamp(To, 0, Count() - 1);
    TCollectionItem* item = fItems[size_t(From)];
    fItems.erase(fItems.begin() + From);
    fItems.insert(fItems.begin() + To, item);
    Changed();
}

// ---- TStrings -------------------------------------------------------------------------------
void TStrings::InsertObject(int Index, const String& S, TObject* AObject) {
    Insert(Index, S);
    SetObjects(Index, AObject);
}

int TStrings::Add(const String& S) { return AddObject(S, nullptr); }

int TStrings::AddObject(const String& S, TObject* AObject) {
    int idx = Count();
    InsertObject(idx, S, AObject);
    return idx;
}

int TStrings::IndexOf(const String& S) const {
    for (int i = 0; i < Count(); ++i)
        if (Strings(i) == S) return i;
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == AObject) return i;
    return -1;
}

String TStrings::Text() const {
    String r;
    for (int i = 0; i < Count(); ++i) {
        r += Strings(i);
        r += '\n';
    }
    return r;
}

void TStrings::SetText(const String& Value) {
    BeginUpdate();
    Clear();
    size_t start = 0;
    while (start < Value.size()) {
        size_t nl = Value.find('\n', start);
        size_t end = nl == String::npos ? Value.size() : nl;
        size_t len = end - start;
        if (len > 0 && Value[end - 1] == '\r') --len;
        Add(Value.substr(start, len));
        if (nl == String::npos) break;
        start = nl + 1;
    }
    EndUpdate();
}

void TStrings::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TStrings*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    Clear();
    for (int i = 0; i < src->Count(); ++i) AddObject(src->Strings(i), src->Objects(i));
    EndUpdate();
}

// ---- TStringList ----------------------------------------------------------------------------
TStringList::~TStringList() {
    fOnChange = nullptr;
    Clear();
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= int(fItems.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStringList::Changed() {
    if (fUpdateCount == 0 && fOnChange) fOnChange(this);
}

String TStringList::Strings(int Index) const {
    CheckIndex(Index);
    return fItems[size_t(Index)].S;
}

void TStringList::SetStrings(int Index, const String& S) {
    if (fSorted) throw EListError("Operation not allowed on sorted list");
    CheckIndex(Index);
    fItems[size_t(Index)].S = S;
    Changed();
}

TObject* TStringList::Objects(int Index) const {
    CheckIndex(Index);
    return fItems[size_t(Index)].Obj;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
    CheckIndex(Index);
    fItems[size_t(Index)].Obj = AObject;
    Changed();
}

void TStringList::Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
    if (fSorted) throw EListError("Operation not allowed on sorted list");
    if (Index < 0 || Index > int(fItems.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    fItems.insert(fItems.begin() + Index, Item{S, AObject});
    Changed();
}

int TStringList::AddObject(const String& S, TObject* AObject) {
    if (!fSorted) {
        fItems.push_back(Item{S, AObject});
        Changed();
        return int(fItems.size()) - 1;
    }
    int idx;
    if (Find(S, idx)) {
        if (fDuplicates == dupIgnore) return idx;
        if (fDuplicates == dupError) throw EListError("String list does not allow duplicates");
    }
    fItems.insert(fItems.begin() + idx, Item{S, AObject});
    Changed();
    return idx;
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    TObject* obj = fItems[size_t(Index)].Obj;
    fItems.erase(fItems.begin() + Index);
    if (fOwnsObjects) delete obj;
    Changed();
}

void TStringList::Clear() {
    if (fItems.empty()) return;
    std::vector<Item> old;
    old.swap(fItems);
    if (fOwnsObjects)
        for (auto& i : old) delete i.Obj;
    Changed();
}

int TStringList::IndexOf(const String& S) const {
    if (!fSorted) return TStrings::IndexOf(S);
    int idx;
    return Find(S, idx) ? idx : -1;
}

bool TStringList::Find(const String& S, int& Index) const {
    auto it = std::lower_bound(fItems.begin(), fItems.end(), S,
                               [](const Item& a, const String& b) { return a.S < b; });
    Index = int(it - fItems.begin());
    return it != fItems.end() && it->S == S;
}

void TStringList::Sort() {
    std::stable_sort(fItems.begin(), fItems.end(), [](const Item& a, const Item& b) { return a.S < b.S; });
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (fSorted == Value) return;
    if (Value) Sort();
    fSorted = Value;
}
