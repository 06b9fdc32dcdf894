// Popup menus: the item tree, popping up with a test handler as the user, the posted click,
// sub-menus filled when opened, and a control's popup menu on a right click.
#include "platform/plForms.h"
#include "platform/plMenus.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace xo::test;

TMenuItem* NewItem(TComponent* aOwner, const String& aCaption, std::vector<String>* aLog = nullptr) {
    auto* item = new TMenuItem(aOwner);
    item->SetCaption(aCaption);
    if (aLog) item->SetOnClick([aLog, aCaption](TObject*) { aLog->push_back(aCaption); });
    return item;
}

// Sets a test handler for the life of the object.
class UserPlays {
public:
    explicit UserPlays(TPopupMenuTestHandler h) : fOld(SetPopupMenuTestHandler(std::move(h))) {}
    ~UserPlays() { SetPopupMenuTestHandler(fOld); }

private:
    TPopupMenuTestHandler fOld;
};

// ---- The item tree ---------------------------------------------------------------------------
TEST(MenuItems, AddInsertDeleteAndPositions) {
    TPopupMenu menu(nullptr);
    TMenuItem* root = menu.Items();
    TMenuItem* a = NewItem(&menu, "a");
    TMenuItem* b = NewItem(&menu, "b");
    TMenuItem* c = NewItem(&menu, "c");
    root->Add(a);
    root->Add(c);
    root->Insert(1, b);
    ASSERT_EQ(root->Count(), 3);
    EXPECT_EQ(root->Items(0), a);
    EXPECT_EQ(root->Items(1), b);
    EXPECT_EQ(root->Items(2), c);
    EXPECT_EQ(root->Items(3), nullptr);
    EXPECT_EQ(root->Items(-1), nullptr);
    EXPECT_EQ(b->Parent(), root);
    EXPECT_EQ(b->MenuIndex(), 1);
    EXPECT_EQ(b->GetParentMenu(), &menu);
    EXPECT_EQ(root->IndexOf(c), 2);
    EXPECT_EQ(root->Find("b"), b);
    EXPECT_EQ(root->Find("x"), nullptr);

    c->SetMenuIndex(0);
    EXPECT_EQ(root->Items(0), c);
    c->SetMenuIndex(99);
    EXPECT_EQ(root->Items(2), c);

    // Delete takes the item out without freeing it; its owner still frees it.
    root->Delete(0);
    EXPECT_EQ(root->Count(), 2);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(a->MenuIndex(), -1);
    EXPECT_EQ(a->GetParentMenu(), nullptr);
    root->Remove(c);
    EXPECT_EQ(root->Count(), 1);
    root->Remove(c); // not a sub-item any more: nothing happens
    EXPECT_EQ(root->Count(), 1);
}

TEST(MenuItems, MisuseRaisesMenuErrors) {
    TPopupMenu menu(nullptr);
    TMenuItem* root = menu.Items();
    TMenuItem* a = NewItem(&menu, "a");
    TMenuItem* sub = NewItem(&menu, "sub");
    root->Add(a);
    a->Add(sub);
    EXPECT_THROW(root->Add(a), EMenuError); // inserted twice
    EXPECT_THROW(root->Add(nullptr), EMenuError);
    EXPECT_THROW(root->Insert(5, NewItem(&menu, "x")), EMenuError);
    EXPECT_THROW(root->Insert(-1, NewItem(&menu, "y")), EMenuError);
    EXPECT_THROW(root->Delete(1), EMenuError);
    EXPECT_THROW(root->Delete(-1), EMenuError);
    a->Delete(0);
    EXPECT_THROW(sub->Add(sub), EMenuError); // into itself
    sub->Add(NewItem(&menu, "leaf"));
    EXPECT_THROW(sub->Items(0)->Add(sub), EMenuError); // into its own descendant
    EXPECT_EQ(root->Count(), 1);
    EXPECT_EQ(a->Count(), 0);
}

TEST(MenuItems, AParentFreesItsSubItemsAndAFreedItemLeavesItsParent) {
    TPopupMenu menu(nullptr);
    auto* parent = new TMenuItem(nullptr);
    menu.Items()->Add(parent);
    parent->Add(new TMenuItem(nullptr));
    parent->Add(new TMenuItem(&menu)); // owned by the menu, freed by its parent item
    parent->Items(0)->Add(new TMenuItem(nullptr));
    delete parent->Items(1);
    EXPECT_EQ(parent->Count(), 1);
    delete parent; // frees the rest (the sanitizer checks)
    EXPECT_EQ(menu.Items()->Count(), 0);
    menu.Items()->Add(new TMenuItem(nullptr));
    menu.Items()->Clear();
    EXPECT_EQ(menu.Items()->Count(), 0);
}

TEST(MenuItems, OneDefaultItemPerLevel) {
    TPopupMenu menu(nullptr);
    TMenuItem* a = NewItem(&menu, "a");
    TMenuItem* b = NewItem(&menu, "b");
    menu.Items()->Add(a);
    menu.Items()->Add(b);
    a->SetDefault(true);
    b->SetDefault(true);
    EXPECT_FALSE(a->Default());
    EXPECT_TRUE(b->Default());
    TMenuItem* c = NewItem(&menu, "c");
    c->SetDefault(true);
    menu.Items()->Add(c);
    EXPECT_FALSE(b->Default());
    EXPECT_TRUE(c->Default());
}

TEST(MenuItems, ClickRunsOnlyWhenEnabled) {
    std::vector<String> log;
    TMenuItem item(nullptr);
    item.SetCaption("x");
    item.SetOnClick([&](TObject* s) { log.push_back(s == &item ? "x" : "?"); });
    item.Click();
    item.SetEnabled(false);
    item.Click();
    EXPECT_EQ(log, std::vector<String>{"x"});
}

// ---- Popping up ---------------------------------------------------------------------------------
TEST(PopupMenu, TheChosenItemsClickIsPostedAfterTheMenuCloses) {
    std::vector<String> log;
    TPopupMenu menu(nullptr);
    menu.Items()->Add(NewItem(&menu, "Öppna", &log));
    menu.Items()->Add(NewItem(&menu, "Spara", &log));
    menu.SetOnPopup([&](TObject* s) { log.push_back(s == &menu ? "popup" : "?"); });
    TPoint seen;
    UserPlays user([&](TPopupMenu* m, TPoint at) {
        log.push_back("open");
        seen = at;
        return m->Items()->Items(1);
    });
    menu.Popup(120, 80);
    EXPECT_EQ(log, (std::vector<String>{"popup", "open"}));
    EXPECT_EQ(seen, TPoint(120, 80));
    EXPECT_EQ(menu.PopupPoint(), TPoint(120, 80));
    Pump();
    EXPECT_EQ(log, (std::vector<String>{"popup", "open", "Spara"}));
    Pump();
    EXPECT_EQ(log.size(), 3u);
}

TEST(PopupMenu, WhatTheUserCannotChooseDismissesTheMenu) {
    std::vector<String> log;
    TPopupMenu menu(nullptr), other(nullptr);
    TMenuItem* plain = NewItem(&menu, "plain", &log);
    TMenuItem* disabled = NewItem(&menu, "disabled", &log);
    disabled->SetEnabled(false);
    TMenuItem* hidden = NewItem(&menu, "hidden", &log);
    hidden->SetVisible(false);
    TMenuItem* line = NewItem(&menu, "-", &log);
    TMenuItem* sub = NewItem(&menu, "sub", &log);
    TMenuItem* insideDisabled = NewItem(&menu, "insideDisabled", &log);
    TMenuItem* closed = NewItem(&menu, "closed", &log);
    closed->SetEnabled(false);
    closed->Add(insideDisabled);
    sub->Add(NewItem(&menu, "leaf", &log));
    for (TMenuItem* i : {plain, disabled, hidden, line, sub, closed})
        menu.Items()->Add(i);
    TMenuItem* foreign = NewItem(&other, "foreign", &log);
    other.Items()->Add(foreign);

    for (TMenuItem* answer :
         {disabled, hidden, line, sub, insideDisabled, foreign, static_cast<TMenuItem*>(nullptr)}) {
        UserPlays user([answer](TPopupMenu*, TPoint) { return answer; });
        menu.Popup(0, 0);
        Pump();
    }
    EXPECT_TRUE(log.empty());
    UserPlays user([plain](TPopupMenu*, TPoint) { return plain; });
    menu.Popup(0, 0);
    Pump();
    EXPECT_EQ(log, std::vector<String>{"plain"});
}

TEST(PopupMenu, SubMenusAreFilledWhenOpened) {
    // As a tree menu does it: the sub-menu item's click adds the entries the first time.
    std::vector<String> log;
    TPopupMenu menu(nullptr);
    TMenuItem* branch = NewItem(&menu, "Gren");
    branch->Add(NewItem(&menu, "placeholder"));
    branch->SetOnClick([&](TObject* s) {
        auto* item = static_cast<TMenuItem*>(s);
        log.push_back("fill");
        item->SetOnClick(nullptr);
        item->Items(0)->SetVisible(false);
        item->Add(NewItem(&menu, "Löv 1", &log));
        item->Add(NewItem(&menu, "Löv 2", &log));
    });
    menu.Items()->Add(branch);
    auto pick = [&](TPopupMenu* m, TPoint) -> TMenuItem* {
        TMenuItem* b = m->Items()->Items(0);
        EXPECT_TRUE(PopupMenuOpenSubMenu(b));
        EXPECT_TRUE(PopupMenuOpenSubMenu(b)); // the second opening finds it filled
        return b->Find("Löv 2");
    };
    {
        UserPlays user(pick);
        menu.Popup(5, 5);
    }
    Pump();
    EXPECT_EQ(log, (std::vector<String>{"fill", "Löv 2"}));

    TMenuItem* leaf = branch->Items(1);
    EXPECT_FALSE(PopupMenuOpenSubMenu(leaf)); // no sub-menu
    EXPECT_FALSE(PopupMenuOpenSubMenu(nullptr));
    branch->SetEnabled(false);
    EXPECT_FALSE(PopupMenuOpenSubMenu(branch));
}

TEST(PopupMenu, AnItemFreedBeforeItsClickArrivesIsForgotten) {
    std::vector<String> log;
    TPopupMenu menu(nullptr);
    TMenuItem* item = NewItem(&menu, "weg", &log);
    menu.Items()->Add(item);
    {
        UserPlays user([item](TPopupMenu*, TPoint) { return item; });
        menu.Popup(0, 0);
    }
    delete item;
    Pump();
    EXPECT_TRUE(log.empty());
}

TEST(PopupMenu, MenuFreedWhileItRuns) {
    auto* menu = new TPopupMenu(nullptr);
    menu->Items()->Add(new TMenuItem(menu));
    menu->SetOnPopup([menu](TObject*) { delete menu; });
    int asked = 0;
    UserPlays user([&](TPopupMenu*, TPoint) {
        ++asked;
        return nullptr;
    });
    menu->Popup(0, 0); // the menu is gone after OnPopup: nothing more happens
    Pump();
    EXPECT_EQ(asked, 0);
}

TEST(PopupMenu, WithoutADisplayOrHandlerItIsDismissedAtOnce) {
    std::vector<String> log;
    TPopupMenu menu(nullptr);
    menu.Items()->Add(NewItem(&menu, "a", &log));
    UserPlays nobody(nullptr);
    menu.Popup(10, 10);
    Pump();
    EXPECT_TRUE(log.empty());
}

TEST(PopupMenu, ForgetsFreedComponents) {
    TPopupMenu menu(nullptr);
    auto* images = new TImageList(nullptr);
    auto* panel = new TPanel(nullptr);
    menu.SetImages(images);
    menu.SetPopupComponent(panel);
    delete images;
    delete panel;
    EXPECT_EQ(menu.Images(), nullptr);
    EXPECT_EQ(menu.PopupComponent(), nullptr);
}

// ---- A control's popup menu ---------------------------------------------------------------------
TEST(PopupMenu, ARightClickOnAControlPopsItsMenuUp) {
    std::vector<String> log;
    TForm form(nullptr);
    form.SetBounds(40, 50, 300, 200);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 20, 150, 100);
    TPopupMenu menu(nullptr);
    menu.Items()->Add(NewItem(&menu, "Egenskaper", &log));
    panel->SetPopupMenu(&menu);
    ShowForm(&form);

    TPoint at;
    UserPlays user([&](TPopupMenu* m, TPoint p) {
        at = p;
        return m->Items()->Items(0);
    });
    Click(panel, 30, 40, mbRight);
    Pump();
    EXPECT_EQ(log, std::vector<String>{"Egenskaper"});
    EXPECT_EQ(at, panel->ClientToScreen(TPoint(30, 40)));
    EXPECT_EQ(menu.PopupComponent(), panel);

    // The left button does not, nor does a menu that does not pop up by itself.
    Click(panel, 30, 40, mbLeft);
    menu.SetAutoPopup(false);
    Click(panel, 30, 40, mbRight);
    Pump();
    EXPECT_EQ(log.size(), 1u);
}

} // namespace
