// Components with ownership, persistent objects, collections and string lists.
#pragma once

#include "platform/plTypes.h"

#include <functional>
#include <memory>
#include <vector>

using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---- TPersistent ----------------------------------------------------------------------------
class TPersistent : public TObject {
public:
    // Copies Source's properties; the base asks Source to AssignTo this object and raises
    // Exception "Cannot assign a <Source> to a <this>" when neither side knows how.
    virtual void Assign(TPersistent* Source);
    virtual String ClassName() const;

protected:
    virtual void AssignTo(TPersistent* Dest);
};

// ---- TComponent -----------------------------------------------------------------------------
enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateItem, 8>;
enum TOperation { opInsert, opRemove };

// A component frees the components it owns, in reverse order of creation, when it is
// destroyed; components that asked with FreeNotification hear of its removal.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return fOwner; }
    int ComponentCount() const { return int(fComponents.size()); }
    // nullptr when out of range.
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    // The owned component of that name, or nullptr.
    TComponent* FindComponent(const String& AName) const;

    const String& Name() const { return fName; }
    virtual void SetName(const String& NewName) { fName = NewName; }
    int Tag() const { return fTag; }
    void SetTag(int aTag) { fTag = aTag; }

    TComponentState ComponentState() const { return fComponentState; }
    void SetDesigning(bool Value);
    // Loading: the state between reading the properties of a form and Loaded.
    void BeginLoading();
    void EndLoading(); // calls Loaded

    // Ask to hear (through Notification) when AComponent is destroyed, and the other way.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Moves a component to this owner (out of its previous one).
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees the owned components now, last created first.
    void DestroyComponents();

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded();
    // Called first thing by the destructor chain of descendants that need their
    // csDestroying state visible while their own fields still exist.
    void Destroying();

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* fOwner = nullptr;
    std::vector<TComponent*> fComponents;
    std::vector<TComponent*> fFreeNotifies;
    String fName;
    int fTag = 0;
    TComponentState fComponentState;
};

// ---- Collections ----------------------------------------------------------------------------
class TCollection;

class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* aCollection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return fCollection; }
    void SetCollection(TCollection* aCollection);
    int Index() const;
    void SetIndex(int Value);
    int ID() const { return fID; }
    virtual String DisplayName() const;

protected:
    // Tells the collection that this item changed (AllItems: every item).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* fCollection = nullptr;
    int fID = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An owning, ordered list of items of one class.
class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(TItemFactory aItemFactory);
    ~TCollection() override;

    TCollectionItem* Add();
    // Index is clipped to 0..Count.
    TCollectionItem* Insert(int Index);
    // Raises EListError when Index is out of range.
    void Delete(int Index);
    void Clear();
    int Count() const { return int(fItems.size()); }
    // Raises EListError when Index is out of range.
    TCollectionItem* Items(int Index) const;
    TCollectionItem* FindItemID(int ID) const;
    void Assign(TPersistent* Source) override;

    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return fUpdateCount; }

protected:
    // Item is the changed item, or nullptr when all changed; not called while updating.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item, int Index);
    void RemoveItem(TCollectionItem* Item);
    void MoveItem(int From, int To);

    TItemFactory fItemFactory;
    std::vector<TCollectionItem*> fItems;
    int fNextID = 0;
    int fUpdateCount = 0;
    bool fClearing = false;
};

// ---- String lists ---------------------------------------------------------------------------
class TStrings : public TPersistent {
public:
    virtual int Count() const = 0;
    // Raise EListError when Index is out of range.
    virtual String Strings(int Index) const = 0;
    virtual void SetStrings(int Index, const String& S) = 0;
    virtual TObject* Objects(int Index) const = 0;
    virtual void SetObjects(int Index, TObject* AObject) = 0;
    virtual void Insert(int Index, const String& S) = 0;
    virtual void InsertObject(int Index, const String& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    virtual int Add(const String& S);
    virtual int AddObject(const String& S, TObject* AObject);
    // Exact match; -1 when absent.
    virtual int IndexOf(const String& S) const;
    int IndexOfObject(TObject* AObject) const;
    // The lines joined with "\n"; SetText splits on "\n" (a "\r" before it is dropped).
    String Text() const;
    void SetText(const String& Value);
    void Assign(TPersistent* Source) override;
    void BeginUpdate() { ++fUpdateCount; }
    void EndUpdate() { if (fUpdateCount > 0) --fUpdateCount; }

protected:
    int fUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
    int Count() const override { return int(fItems.size()); }
    String Strings(int Index) const override;
    void SetStrings(int Index, const String& S) override;
    TObject* Objects(int Index) const override;
    void SetObjects(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void InsertObject(int Index, const String& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    int AddObject(const String& S, TObject* AObject) override;
    int IndexOf(const String& S) const override;

    // A sorted list keeps its strings in ascending byte order; Insert raises then.
    bool Sorted() const { return fSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return fDuplicates; }
    void SetDuplicates(TDuplicates Value) { fDuplicates = Value; }
    // Binary search in a sorted list: true when found; Index is where it is or would go.
    bool Find(const String& S, int& Index) const;
    void Sort();
    // When set, the list frees the objects it holds as they are deleted.
    bool OwnsObjects() const { return fOwnsObjects; }
    void SetOwnsObjects(bool Value) { fOwnsObjects = Value; }
    ~TStringList() override;

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }

private:
    struct Item {
        String S;
        TObject* Obj = nullptr;
    };
    void CheckIndex(int Index) const;
    void Changed();
    std::vector<Item> fItems;
    bool fSorted = false;
    bool fOwnsObjects = false;
    TDuplicates fDuplicates = dupIgnore;
    TNotifyEvent fOnChange;
};
