// Popup menus: items with captions, click handlers, a default item, separators and cascading
// sub-menus, run modally at a screen point.
//
//   TPopupMenu menu(nullptr);
//   auto* item = new TMenuItem(&menu);
//   item->SetCaption("Öppna");
//   item->SetOnClick([](TObject*) { ... });
//   menu.Items()->Add(item);
//   menu.Popup(x, y);
//
// As in the framework, the click of the chosen item is posted: it runs once the message loop
// (or Application()->ProcessMessages()) has handled the events queued before it, after Popup
// returned. Opening a sub-menu calls the Click of its item first, so a handler can fill the
// sub-menu when it is first opened.
//
// Without a display (the offscreen platform of the tests) nobody can answer a menu, so a popup
// is dismissed at once unless a test handler plays the user (SetPopupMenuTestHandler).
#pragma once

#include "platform/plClasses.h"
#include "platform/plTypes.h"

#include <functional>
#include <vector>

class TCustomImageList;
class TPopupMenu;

// Misuse of menu items (inserting an item twice, an index out of range).
class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// mbBreak and mbBarBreak start a new column of the menu (mbBarBreak with a bar); the Qt menus
// of this platform arrange columns themselves, so the value is kept for the application.
enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

// ---- TMenuItem ------------------------------------------------------------------------------
// An item of a menu; it can hold sub-items, which then form its sub-menu. A parent item frees
// its sub-items when it is destroyed; an item that is destroyed leaves its parent.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    String ClassName() const override { return "TMenuItem"; }

    // "-" makes the item a separator.
    const String& Caption() const { return fCaption; }
    void SetCaption(const String& Value) { fCaption = Value; }
    bool IsLine() const { return fCaption == "-"; }
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool Value) { fEnabled = Value; }
    bool Visible() const { return fVisible; }
    void SetVisible(bool Value) { fVisible = Value; }
    bool Checked() const { return fChecked; }
    void SetChecked(bool Value) { fChecked = Value; }
    // The default item is shown in bold; at most one item of a menu level is the default one:
    // setting it clears the flag of its siblings.
    bool Default() const { return fDefault; }
    void SetDefault(bool Value);
    // Index into the menu's Images, -1 for none.
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int Value) { fImageIndex = Value; }
    TMenuBreak Break() const { return fBreak; }
    void SetBreak(TMenuBreak Value) { fBreak = Value; }
    const String& Hint() const { return fHint; }
    void SetHint(const String& Value) { fHint = Value; }

    TNotifyEvent OnClick() const { return fOnClick; }
    void SetOnClick(TNotifyEvent Value) { fOnClick = std::move(Value); }

    // ---- sub-items
    int Count() const { return int(fItems.size()); }
    // nullptr when out of range.
    TMenuItem* Items(int Index) const;
    // Appends Item; raises EMenuError when Item already has a parent ("Menu inserted twice")
    // or would become its own descendant.
    void Add(TMenuItem* Item);
    // Inserts Item before position Index (0..Count); EMenuError "Menu index out of range"
    // otherwise, and as Add for an item that cannot go here.
    void Insert(int Index, TMenuItem* Item);
    // Takes the item at Index out of this item without freeing it (it still belongs to its
    // owner); EMenuError when Index is out of range.
    void Delete(int Index);
    // Takes Item out when it is a sub-item of this one.
    void Remove(TMenuItem* Item);
    // Frees every sub-item.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The first sub-item with this caption ("&" markers ignored), or nullptr.
    TMenuItem* Find(const String& ACaption) const;

    TMenuItem* Parent() const { return fParent; }
    // Position within the parent item (-1 without one); moving is clipped to the range.
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    // The popup menu whose item tree holds this item, or nullptr.
    TPopupMenu* GetParentMenu() const;

    // What choosing the item does: raises OnClick when the item is enabled. Also called when
    // the item's sub-menu is about to open.
    virtual void Click();

    // Private to the platform layer: the identity of the item while it lives, so that a click
    // posted for it can find it (or learn that it is gone).
    unsigned Command() const { return fCommand; }

private:
    friend class TPopupMenu;
    String fCaption;
    bool fEnabled = true;
    bool fVisible = true;
    bool fChecked = false;
    bool fDefault = false;
    int fImageIndex = -1;
    TMenuBreak fBreak = mbNone;
    String fHint;
    TNotifyEvent fOnClick;
    std::vector<TMenuItem*> fItems;
    TMenuItem* fParent = nullptr;
    TPopupMenu* fMenu = nullptr; // set on the root item of a popup menu
    unsigned fCommand = 0;
};

// ---- TPopupMenu -----------------------------------------------------------------------------
// A menu that pops up at a point. A control whose PopupMenu is one shows it when the right
// button is released over it (or with the context-menu key), with PopupComponent set to the
// control, unless AutoPopup is off.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    String ClassName() const override { return "TPopupMenu"; }

    // The root item: its sub-items are the menu's items.
    TMenuItem* Items() const { return fItems; }

    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* Value);
    // The control (or other component) the menu was last popped up for; cleared when it is
    // freed.
    TComponent* PopupComponent() const { return fPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    bool AutoPopup() const { return fAutoPopup; }
    void SetAutoPopup(bool Value) { fAutoPopup = Value; }
    // The screen point of the last Popup.
    TPoint PopupPoint() const { return fPopupPoint; }

    // Raises OnPopup (DoPopup), then runs the menu at the screen point until the user chooses
    // an item or dismisses it. The chosen item's Click is posted (see the top of this file).
    virtual void Popup(int X, int Y);

    TNotifyEvent OnPopup() const { return fOnPopup; }
    void SetOnPopup(TNotifyEvent Value) { fOnPopup = std::move(Value); }

protected:
    // Called before the menu shows; raises OnPopup. Descendants rebuild their items here.
    virtual void DoPopup(TObject* Sender);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TMenuItem* fItems = nullptr;
    TCustomImageList* fImages = nullptr;
    TComponent* fPopupComponent = nullptr;
    bool fAutoPopup = true;
    TPoint fPopupPoint;
    TNotifyEvent fOnPopup;
};

// ---- Playing the user in tests and headless runs --------------------------------------------
// While a handler is set, every popup calls it instead of showing a menu: it stands for the
// user, may open sub-menus (PopupMenuOpenSubMenu) and answers the item chosen, or nullptr to
// dismiss the menu. An answer the user could not have chosen (a separator, a disabled or
// hidden item, an item with a sub-menu, an item of another menu) dismisses the menu too.
// Answers the previous handler; an empty handler restores the platform's own behaviour.
using TPopupMenuTestHandler = std::function<TMenuItem*(TPopupMenu* Menu, TPoint ScreenPos)>;
TPopupMenuTestHandler SetPopupMenuTestHandler(TPopupMenuTestHandler aHandler);

// Opens Item's sub-menu as pointing at it would: the item's Click runs first (so that it can
// fill the sub-menu). False, and nothing happens, when the item is disabled, hidden, or has
// no sub-items.
bool PopupMenuOpenSubMenu(TMenuItem* Item);
