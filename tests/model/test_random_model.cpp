// A long random sequence of operations on a virtual list (and a second, plain list for changes
// of owner), checked after every step against a plain reference model of both lists: counts,
// the loaded window, each loaded entity's index and selection, and the callbacks in order.
#include "ModelTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

using namespace mt;
using Log = std::vector<std::string>;

namespace {

// The reference: the rules of loading, unloading and changing, over plain vectors.
struct TRefList {
    explicit TRefList(std::string aTag) : tag(std::move(aTag)) {}
    std::string tag;
    int pre = 0, post = 0;
    std::vector<int> win; // entity ids of the loaded window
    int Count() const { return pre + int(win.size()) + post; }
    bool IsLoaded(int i) const { return i >= pre && i < pre + int(win.size()); }
};

enum class THandler { None, Agree, Refuse, Picky };

struct TRefModel {
    TRefList a{"A"}, b{"B"};
    std::vector<bool> selected; // by entity id
    int nextId = 0;
    Log log;
    THandler handler = THandler::None;
    int pinned = -1;

    static bool PickyAgrees(int id) { return id % 5 != 0; }
    std::string E(int id) const { return "e" + std::to_string(id); }
    void Put(const TRefList& l, const std::string& s) { log.push_back(l.tag + ":" + s); }
    int Create(TRefList& l) {
        const int id = nextId++;
        selected.resize(size_t(nextId), false);
        Put(l, "Visible(" + E(id) + ")");
        return id;
    }
    void SetSelected(TRefList& l, int id, bool v) {
        if (selected[size_t(id)] == v) return;
        selected[size_t(id)] = v;
        Put(l, "Select(" + l.tag + "," + E(id) + ")");
    }
    void WindowEmptied(TRefList& l) {
        if (l.win.empty()) {
            l.post += l.pre;
            l.pre = 0;
        }
    }
    void Freed(TRefList& l, int id) {
        Put(l, "Delete(" + E(id) + ")");
        Put(l, "Content(" + l.tag + ")");
    }

    bool CanUnload(TRefList& l, int id) {
        if (handler == THandler::None) return false;
        const bool can = handler == THandler::Agree || (handler == THandler::Picky && PickyAgrees(id));
        Put(l, "Unload?(" + E(id) + (can ? ",yes" : ",no") + ")");
        return can;
    }
    void Purge(TRefList& l) {
        while (!l.win.empty() && l.win.front() != pinned && CanUnload(l, l.win.front())) {
            const int id = l.win.front();
            l.win.erase(l.win.begin());
            ++l.pre;
            WindowEmptied(l);
            Freed(l, id);
        }
        while (!l.win.empty() && l.win.back() != pinned && CanUnload(l, l.win.back())) {
            const int id = l.win.back();
            l.win.pop_back();
            ++l.post;
            WindowEmptied(l);
            Freed(l, id);
        }
    }
    void UnloadAll(TRefList& l) {
        for (int id : l.win)
            SetSelected(l, id, false);
        Purge(l);
    }
    void LoadItems(TRefList& l, int start, int stop, bool inFront) {
        const int n = stop - start + 1;
        std::vector<int> made;
        for (int k = 0; k < n; ++k)
            made.push_back(Create(l));
        if (l.win.empty()) {
            const int count = l.Count();
            l.pre = start;
            l.post = count - start - n;
            l.win = made;
        } else if (inFront) {
            l.win.insert(l.win.begin(), made.begin(), made.end());
            l.pre -= n;
        } else {
            l.win.insert(l.win.end(), made.begin(), made.end());
            l.post -= n;
        }
        for (int i = 0; i < n; ++i)
            Put(l, "Load(" + E(made[size_t(inFront ? n - 1 - i : i)]) + ")");
    }
    struct Run {
        int start, stop;
        bool inFront;
    };
    Run Choose(const TRefList& l, int index) const {
        const int end = l.pre + int(l.win.size());
        if (index < l.pre) return {index, l.pre - 1, true};
        if (index > end && end > 0) return {end, index, false};
        return {index, index, false};
    }
    void Ensure(TRefList& l, int index) {
        if (index < 0 || index >= l.Count() || l.IsLoaded(index)) return;
        Run run = Choose(l, index);
        if (run.stop - run.start + int(l.win.size()) > 500) {
            UnloadAll(l);
            run = l.win.empty() ? Run{index, index, false} : Choose(l, index);
        }
        LoadItems(l, run.start, run.stop, run.inFront);
    }
    void InsertItem(TRefList& l, int position) {
        const int id = Create(l);
        l.win.insert(l.win.begin() + position, id);
        Put(l, "Insert(" + E(id) + ")");
        Put(l, "Content(" + l.tag + ")");
    }
    void Insert(TRefList& l, int index) {
        if (index < l.Count())
            Ensure(l, index);
        else if (index > 0)
            Ensure(l, index - 1);
        InsertItem(l, index - l.pre);
    }
    void Delete(TRefList& l, int index) {
        if (index < 0 || index >= l.Count()) return;
        if (l.IsLoaded(index)) {
            const int id = l.win[size_t(index - l.pre)];
            l.win.erase(l.win.begin() + (index - l.pre));
            WindowEmptied(l);
            Freed(l, id);
        } else if (index < l.pre) {
            --l.pre;
        } else {
            --l.post;
        }
    }
    void AddUnloaded(TRefList& l, int n) {
        l.post += n;
        Put(l, "Content(" + l.tag + ")");
        Put(l, "Unloaded(" + l.tag + ")");
    }
    void Move(TRefList& l, int position, int newIndex) {
        const int id = l.win[size_t(position)];
        const int old = l.pre + position;
        if (!l.IsLoaded(newIndex)) {
            pinned = id;
            Ensure(l, newIndex);
            pinned = -1;
        }
        const int from = int(std::find(l.win.begin(), l.win.end(), id) - l.win.begin());
        l.win.erase(l.win.begin() + from);
        l.win.insert(l.win.begin() + (newIndex - l.pre), id);
        Put(l, "Move(" + E(id) + "," + std::to_string(old) + "," + std::to_string(newIndex) + ")");
    }
    void ChangeOwner(TRefList& from, int position, TRefList& to, int toPosition) {
        const int id = from.win[size_t(position)];
        Put(from, "Leave(" + E(id) + ")");
        from.win.erase(from.win.begin() + position);
        WindowEmptied(from);
        to.win.insert(to.win.begin() + toPosition, id);
        Put(to, "Enter(" + E(id) + ")");
        Put(to, "Content(" + to.tag + ")");
        Put(from, "Content(" + from.tag + ")");
    }
    static unsigned Key(int id) { return unsigned(id) * 2654435761u; }
    void Sort(TRefList& l, bool descending) {
        if (l.pre > 0) LoadItems(l, 0, l.pre - 1, true);
        while (l.post > 0)
            LoadItems(l, l.pre + int(l.win.size()), l.pre + int(l.win.size()), false);
        std::sort(l.win.begin(), l.win.end(), [](int x, int y) { return Key(x) < Key(y); });
        if (descending) std::reverse(l.win.begin(), l.win.end());
        Put(l, "Content(" + l.tag + ")");
    }
    void Clear(TRefList& l) {
        while (!l.win.empty()) {
            const int id = l.win.back();
            l.win.pop_back();
            Freed(l, id);
        }
        l.pre = l.post = 0;
        Put(l, "Unloaded(" + l.tag + ")");
    }
};

class RandomModel : public ::testing::Test {
protected:
    Log shared;
    TRecorder ra, rb;
    TRefModel m;
    std::unique_ptr<TOwned<>> a, b;

    void SetUp() override {
        for (TRecorder* r : {&ra, &rb}) {
            r->Sink = &shared;
            r->Name = [](TxoDataEntity* e) { return "e" + std::to_string(IdOf(e)); };
        }
        ra.Prefix = "A:";
        rb.Prefix = "B:";
        ra.ListName = [](TxoDataList*) { return std::string("A"); };
        rb.ListName = [](TxoDataList*) { return std::string("B"); };
        ra.C.SetOnSortCompare([](TxoDataEntity* x, TxoDataEntity* y) {
            const unsigned kx = TRefModel::Key(IdOf(x)), ky = TRefModel::Key(IdOf(y));
            return kx < ky ? -1 : kx > ky ? 1 : 0;
        });
        TTestEntity::sNextId = 0;
        a = std::make_unique<TOwned<>>(NewList(ra));
        b = std::make_unique<TOwned<>>(NewList(rb));
    }
    void TearDown() override {
        b.reset();
        a.reset();
    }

    void SetHandler(THandler h) {
        m.handler = h;
        switch (h) {
        case THandler::None:
            ra.SetUnloadHandler(nullptr);
            break;
        case THandler::Agree:
            ra.SetUnloadHandler([](TxoDataEntity*) { return true; });
            break;
        case THandler::Refuse:
            ra.SetUnloadHandler([](TxoDataEntity*) { return false; });
            break;
        case THandler::Picky:
            ra.SetUnloadHandler([](TxoDataEntity* e) { return TRefModel::PickyAgrees(IdOf(e)); });
            break;
        }
    }

    void Check(TxoDataList* l, const TRefList& ref, bool allIndexes, std::mt19937& rng, int step) {
        ASSERT_EQ(l->Count(), ref.Count()) << ref.tag << " step " << step;
        ASSERT_EQ(l->LoadedCount(), int(ref.win.size())) << ref.tag << " step " << step;
        ASSERT_EQ(l->UnloadedPreCount(), ref.pre) << ref.tag << " step " << step;
        int selected = 0;
        for (int p = 0; p < l->LoadedCount(); ++p) {
            TxoDataEntity* e = l->GetLoaded(p);
            ASSERT_EQ(IdOf(e), ref.win[size_t(p)]) << ref.tag << " step " << step << " position " << p;
            ASSERT_EQ(e->Selected(), bool(m.selected[size_t(IdOf(e))])) << ref.tag << " step " << step;
            selected += e->Selected();
        }
        ASSERT_EQ(l->SelectedCount(), selected) << ref.tag << " step " << step;
        // Reading every index forces renumbering; most steps read one, so stale indexes pile up.
        if (allIndexes) {
            for (int p = 0; p < l->LoadedCount(); ++p)
                ASSERT_EQ(l->GetLoaded(p)->ListIndex(), ref.pre + p) << ref.tag << " step " << step;
        } else if (l->LoadedCount() > 0) {
            const int p = int(rng() % unsigned(l->LoadedCount()));
            ASSERT_EQ(l->GetLoaded(p)->ListIndex(), ref.pre + p) << ref.tag << " step " << step;
        }
    }
};

} // namespace

TEST_F(RandomModel, MatchesTheReferenceAfterEveryStep) {
    const unsigned seed = 20240611;
    std::cout << "[ RandomModel ] seed " << seed << std::endl;
    RecordProperty("seed", int(seed));
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return n <= 0 ? 0 : int(rng() % unsigned(n)); };
    TxoDataList* la = a->get();
    TxoDataList* lb = b->get();
    std::vector<std::string> trail; // the last operations, for the failure message

    for (int step = 0; step < 5000; ++step) {
        std::string op;
        const int roll = pick(100);
        if (roll < 8) {
            op = "Add";
            la->Add();
            m.Insert(m.a, m.a.Count());
        } else if (roll < 16) {
            const int i = pick(m.a.Count() + 1);
            op = "Insert " + std::to_string(i);
            la->Insert(i);
            m.Insert(m.a, i);
        } else if (roll < 26) {
            const int i = pick(m.a.Count() + 2) - 1;
            op = "Delete " + std::to_string(i);
            la->Delete(i);
            m.Delete(m.a, i);
        } else if (roll < 30) {
            const int n = m.a.Count() > 4000 ? 0 : pick(1200);
            op = "AddUnloaded " + std::to_string(n);
            la->AddUnloaded(n);
            m.AddUnloaded(m.a, n);
        } else if (roll < 44) {
            const int i = pick(m.a.Count() + 2) - 1;
            op = "GetItems far " + std::to_string(i);
            TxoDataEntity* e = la->GetItems(i);
            m.Ensure(m.a, i);
            if (i >= 0 && i < m.a.Count())
                ASSERT_EQ(IdOf(e), m.a.win[size_t(i - m.a.pre)]) << op;
            else
                ASSERT_EQ(e, nullptr) << op;
        } else if (roll < 56) {
            // Near the window: a few entities in front of it or behind it.
            const int end = m.a.pre + int(m.a.win.size());
            const int i = pick(2) ? m.a.pre - 1 - pick(8) : end + pick(8);
            op = "GetItems near " + std::to_string(i);
            la->GetItems(i);
            m.Ensure(m.a, i);
        } else if (roll < 62) {
            if (m.a.win.empty() || m.a.Count() == 0) continue;
            const int p = pick(int(m.a.win.size()));
            // Mostly within reach of the window, sometimes anywhere.
            const int target =
                pick(4) ? std::clamp(m.a.pre + p + pick(40) - 20, 0, m.a.Count() - 1) : pick(m.a.Count());
            op = "Move " + std::to_string(p) + " to " + std::to_string(target);
            la->GetLoaded(p)->Move(target);
            m.Move(m.a, p, target);
        } else if (roll < 66) {
            if (m.a.win.empty()) continue;
            const int p = pick(int(m.a.win.size()));
            const int q = pick(int(m.b.win.size()) + 1);
            op = "ChangeOwner A" + std::to_string(p) + " to B" + std::to_string(q);
            la->GetLoaded(p)->ChangeOwner(lb, q);
            m.ChangeOwner(m.a, p, m.b, q);
        } else if (roll < 69) {
            if (m.b.win.empty()) continue;
            const int p = pick(int(m.b.win.size()));
            const int q = pick(int(m.a.win.size()) + 1);
            op = "ChangeOwner B" + std::to_string(p) + " to A" + std::to_string(q);
            lb->GetLoaded(p)->ChangeOwner(la, q);
            m.ChangeOwner(m.b, p, m.a, q);
        } else if (roll < 70) {
            if (m.a.Count() > 2500) continue; // sorting loads everything
            const bool desc = pick(2);
            op = std::string("Sort ") + (desc ? "descending" : "ascending");
            la->Sort(desc);
            m.Sort(m.a, desc);
        } else if (roll < 84) {
            if (m.a.win.empty()) continue;
            const int p = pick(int(m.a.win.size()));
            const bool v = pick(3) != 0;
            op = "Select " + std::to_string(p) + (v ? " on" : " off");
            la->GetLoaded(p)->SetSelected(v);
            m.SetSelected(m.a, m.a.win[size_t(p)], v);
        } else if (roll < 86) {
            op = "ClearSelections";
            la->ClearSelections();
            for (int id : m.a.win)
                m.SetSelected(m.a, id, false);
        } else if (roll < 88) {
            op = "Purge";
            la->Purge();
            m.Purge(m.a);
        } else if (roll < 89) {
            if (pick(4)) continue;
            op = "Clear";
            la->Clear();
            m.Clear(m.a);
        } else if (roll < 94) {
            const THandler h = THandler(pick(4));
            op = "Handler " + std::to_string(int(h));
            SetHandler(h);
        } else if (roll < 97) {
            const int i = pick(m.b.Count() + 1);
            op = "Insert into B " + std::to_string(i);
            lb->Insert(i);
            m.Insert(m.b, i);
        } else if (roll < 99) {
            if (m.b.win.empty()) continue;
            const int p = pick(int(m.b.win.size()));
            op = "Select in B " + std::to_string(p);
            lb->GetLoaded(p)->SetSelected(true);
            m.SetSelected(m.b, m.b.win[size_t(p)], true);
        } else {
            op = "ClearSelections of B";
            lb->ClearSelections();
            for (int id : m.b.win)
                m.SetSelected(m.b, id, false);
        }
        trail.push_back(op);
        if (trail.size() > 12) trail.erase(trail.begin());
        std::string recent;
        for (const std::string& t : trail)
            recent += "\n  " + t;

        ASSERT_EQ(shared, m.log) << "callbacks differ at step " << step << " (seed " << seed << ")" << recent;
        shared.clear();
        m.log.clear();
        const bool all = pick(4) == 0;
        Check(la, m.a, all, rng, step);
        Check(lb, m.b, all, rng, step);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "seed " << seed << ", last operations:" << recent;
            return;
        }
    }
}
