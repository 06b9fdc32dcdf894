// Runs a callable when the scope ends, on every exit: state changed for a while (update
// counts, printing ranges, clip regions, origins) is restored through these.
#pragma once

#include <utility>

namespace xo {

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : fF(std::move(f)) {}
    ~ScopeExit() {
        if (fActive) fF();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Dismiss() { fActive = false; }

private:
    F fF;
    bool fActive = true;
};

} // namespace xo
