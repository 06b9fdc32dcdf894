// Popup menus over Qt's QMenu, the posted click of the chosen item, and the test handler.
#include "platform/plMenus.h"

#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"
#include "platform/plControls.h"
#include "platform/plGraphics.h"
#include "platform/plMessages.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include <algorithm>
#include <unordered_map>

namespace {

// Live items by command number: a posted click, or a Qt action of an open menu, names its
// item by number, so an item freed in between is simply not found.
struct TItemRegistry {
    std::unordered_map<unsigned, TMenuItem*> items;
    unsigned next = 0;
};

TItemRegistry& Registry() {
    static TItemRegistry r;
    return r;
}

TMenuItem* FindItem(unsigned aCommand) {
    auto& items = Registry().items;
    auto it = items.find(aCommand);
    return it == items.end() ? nullptr : it->second;
}

TPopupMenuTestHandler& TestHandler() {
    static TPopupMenuTestHandler handler;
    return handler;
}

// Whether the user could choose the item in this menu: it is shown, enabled and a leaf.
bool Choosable(const TMenuItem* aItem, const TPopupMenu* aMenu) {
    if (!aItem || aItem->IsLine() || aItem->Count() > 0 || aItem->GetParentMenu() != aMenu) return false;
    for (const TMenuItem* i = aItem; i->Parent(); i = i->Parent())
        if (!i->Visible() || !i->Enabled()) return false;
    return true;
}

// The framework delivers a menu's command through the message queue, after the menu closed.
void PostClick(unsigned aCommand) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [aCommand] {
            if (TMenuItem* item = FindItem(aCommand)) item->Click();
        },
        Qt::QueuedConnection);
}

void InstallPopupHook() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    SetPopupMenuHook([](TComponent* aMenu, TControl* aControl, TPoint aScreenPos) {
        auto* menu = dynamic_cast<TPopupMenu*>(aMenu);
        if (!menu || !menu->AutoPopup()) return false;
        menu->SetPopupComponent(aControl);
        menu->Popup(aScreenPos.X, aScreenPos.Y);
        return true;
    });
}

// ---- Qt menus (a desktop) -------------------------------------------------------------------
QIcon IconOf(const TPopupMenu* aMenu, const TMenuItem* aItem) {
    TCustomImageList* images = aMenu->Images();
    if (!images || aItem->ImageIndex() < 0) return QIcon();
    TBitmap bmp;
    if (!images->GetBitmap(aItem->ImageIndex(), &bmp)) return QIcon();
    return QIcon(QPixmap::fromImage(bmp.Data().image));
}

// Fills aQMenu with the visible sub-items of aParent, an item of the menu whose root item has
// the command aRoot. Sub-menus are filled when they open, after their item's Click, which may
// change them; by then the menu or the item may be gone.
void Fill(QMenu* aQMenu, unsigned aRoot, TMenuItem* aParent) {
    aQMenu->clear();
    TMenuItem* root = FindItem(aRoot);
    TPopupMenu* menu = root ? root->GetParentMenu() : nullptr;
    if (!menu || aParent->GetParentMenu() != menu) return;
    for (int i = 0; i < aParent->Count(); ++i) {
        TMenuItem* item = aParent->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            aQMenu->addSeparator();
            continue;
        }
        QString caption = xo::qt::ToQString(item->Caption());
        if (item->Count() > 0) {
            QMenu* sub = aQMenu->addMenu(IconOf(menu, item), caption);
            sub->setEnabled(item->Enabled());
            unsigned command = item->Command();
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, aRoot, command] {
                if (TMenuItem* it = FindItem(command)) it->Click();
                if (TMenuItem* it = FindItem(command)) Fill(sub, aRoot, it);
            });
            continue;
        }
        QAction* action = aQMenu->addAction(IconOf(menu, item), caption);
        action->setEnabled(item->Enabled());
        action->setCheckable(item->Checked());
        action->setChecked(item->Checked());
        action->setData(item->Command());
        if (item->Default()) aQMenu->setDefaultAction(action);
    }
}

} // namespace

// ---- TMenuItem ------------------------------------------------------------------------------
TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    TItemRegistry& r = Registry();
    do {
        fCommand = ++r.next;
    } while (fCommand == 0 || r.items.count(fCommand));
    r.items[fCommand] = this;
}

TMenuItem::~TMenuItem() {
    Destroying();
    if (fParent) fParent->Remove(this);
    while (!fItems.empty())
        delete fItems.back(); // each takes itself out of the list
    Registry().items.erase(fCommand);
}

void TMenuItem::SetDefault(bool Value) {
    if (Value && fParent)
        for (TMenuItem* sibling : fParent->fItems)
            sibling->fDefault = false;
    fDefault = Value;
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return fItems[size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) throw EMenuError("Menu item is missing");
    if (Item->fParent) throw EMenuError("Menu inserted twice");
    for (const TMenuItem* p = this; p; p = p->fParent)
        if (p == Item) throw EMenuError("Menu inserted into itself");
    if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
    fItems.insert(fItems.begin() + Index, Item);
    Item->fParent = this;
    if (Item->fDefault) Item->SetDefault(true);
}

void TMenuItem::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
    TMenuItem* item = fItems[size_t(Index)];
    fItems.erase(fItems.begin() + Index);
    item->fParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* Item) {
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
}

void TMenuItem::Clear() {
    while (!fItems.empty())
        delete fItems.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(fItems.begin(), fItems.end(), Item);
    return it == fItems.end() ? -1 : int(it - fItems.begin());
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
    auto strip = [](const String& s) {
        String r;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '&') {
                if (i + 1 < s.size() && s[i + 1] == '&') r += s[++i]; // "&&" is a literal "&"
                continue;
            }
            r += s[i];
        }
        return r;
    };
    String wanted = strip(ACaption);
    for (TMenuItem* item : fItems)
        if (strip(item->fCaption) == wanted) return item;
    return nullptr;
}

int TMenuItem::MenuIndex() const {
    return fParent ? fParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int Value) {
    if (!fParent) return;
    auto& list = fParent->fItems;
    list.erase(list.begin() + MenuIndex());
    Value = std::clamp(Value, 0, int(list.size()));
    list.insert(list.begin() + Value, this);
}

TPopupMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->fParent)
        root = root->fParent;
    return root->fMenu;
}

void TMenuItem::Click() {
    if (!fEnabled) return;
    // A copy: the handler may free this item.
    if (TNotifyEvent handler = fOnClick) handler(this);
}

// ---- TPopupMenu -----------------------------------------------------------------------------
TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
    InstallPopupHook();
    fItems = new TMenuItem(this);
    fItems->fMenu = this;
}

TPopupMenu::~TPopupMenu() {
    Destroying();
    delete fItems;
    fItems = nullptr;
    SetImages(nullptr);
    SetPopupComponent(nullptr);
}

void TPopupMenu::SetImages(TCustomImageList* Value) {
    if (Value == fImages) return;
    if (fImages) fImages->RemoveFreeNotification(this);
    fImages = Value;
    if (fImages) fImages->FreeNotification(this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (Value == fPopupComponent) return;
    if (fPopupComponent) fPopupComponent->RemoveFreeNotification(this);
    fPopupComponent = Value;
    if (fPopupComponent) fPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == fImages) fImages = nullptr;
    if (AComponent == fPopupComponent) fPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
    if (fOnPopup) fOnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
    fPopupPoint = TPoint(X, Y);
    // The menu may be freed by the handlers that run while it is open: know it by its root.
    // Command numbers count up and are not handed out again, so a number that is still found
    // is still this menu's.
    unsigned root = fItems->Command();
    auto alive = [root] { return FindItem(root) != nullptr; };
    TPoint at(X, Y);
    DoPopup(this);
    if (!alive()) return;

    TMenuItem* chosen = nullptr;
    if (TPopupMenuTestHandler handler = TestHandler()) {
        chosen = handler(this, at);
        if (!alive()) return;
        if (!Choosable(chosen, this)) chosen = nullptr;
    } else if (Application()->HasDisplay()) {
        QMenu menu;
        Fill(&menu, root, fItems);
        QAction* action = menu.exec(QPoint(at.X, at.Y));
        if (!alive()) return;
        if (action) chosen = FindItem(action->data().toUInt());
        if (!Choosable(chosen, this)) chosen = nullptr;
    }
    if (chosen) PostClick(chosen->Command());
}

// ---- Test handler ---------------------------------------------------------------------------
TPopupMenuTestHandler SetPopupMenuTestHandler(TPopupMenuTestHandler aHandler) {
    TPopupMenuTestHandler old = std::move(TestHandler());
    TestHandler() = std::move(aHandler);
    return old;
}

bool PopupMenuOpenSubMenu(TMenuItem* Item) {
    if (!Item || Item->Count() == 0 || !Item->Visible() || !Item->Enabled()) return false;
    Item->Click();
    return true;
}
