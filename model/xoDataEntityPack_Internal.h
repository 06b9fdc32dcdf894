// Helpers shared by the files of xoDataEntityPack; not part of its interface.
#pragma once

#include "model/xoDataEntityPack.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace xo {

// Calls a controller callback through a copy, so that the callback may reassign its own slot
// (or the controller's other slots) while it runs. Unassigned callbacks are skipped.
template <class F, class... A> inline void Fire(const F& f, A&&... a) {
    if (f) {
        F copy(f);
        copy(std::forward<A>(a)...);
    }
}

// A stable merge sort that stays within bounds whatever the comparison answers (an
// application's comparison need not be a strict weak order). When less raises, a still holds
// the same elements, in some order.
template <class T, class Less> void MergeSort(std::vector<T>& a, Less less) {
    const size_t n = a.size();
    if (n < 2) return;
    constexpr size_t kRun = 16;
    for (size_t lo = 0; lo < n; lo += kRun) {
        const size_t hi = std::min(lo + kRun, n);
        for (size_t i = lo + 1; i < hi; ++i) {
            size_t j = i;
            while (j > lo && less(a[j], a[j - 1])) {
                std::swap(a[j], a[j - 1]);
                --j;
            }
        }
    }
    if (n <= kRun) return;
    std::vector<T> buf(n);
    for (size_t width = kRun; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buf[k++] = less(a[j], a[i]) ? a[j++] : a[i++];
            while (i < mid)
                buf[k++] = a[i++];
            while (j < hi)
                buf[k++] = a[j++];
        }
        a.swap(buf);
    }
}

} // namespace xo
