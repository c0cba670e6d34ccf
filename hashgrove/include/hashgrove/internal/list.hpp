#pragma once
// Order-insensitive comparison of two lists, as two collision buckets that
// may hold the same pairs in different orders are compared. Every function
// given here is called with an element of the first list first and an
// element of the second list second.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <ranges>
#include <utility>
#include <vector>

#include <basis/types.hpp>

namespace hashgrove::internal::list {

namespace detail {
template <class R>
auto toVector(R&& xs) {
  using T = std::ranges::range_value_t<R>;
  std::vector<T> v;
  for (auto&& x : xs) v.push_back(x);
  return v;
}
}  // namespace detail

// Orders two lists regardless of the order of their elements: each element
// is keyed by (count of the other list's elements below it, minus the count
// above it) under c, both lists are stably sorted by key, then compared
// element by element with c. Equals the comparison of the two lists sorted by
// c when c is a total order. O(n * m) calls of c plus the sorts.
template <class C, std::ranges::input_range RA, std::ranges::input_range RB>
basis::Ordering unorderedCompare(C&& c, RA&& as_, RB&& bs_) {
  const auto as = detail::toVector(std::forward<RA>(as_));
  const auto bs = detail::toVector(std::forward<RB>(bs_));
  using Key = std::pair<std::int64_t, std::int64_t>;
  std::vector<std::pair<Key, std::size_t>> ka, kb;
  ka.reserve(as.size());
  kb.reserve(bs.size());
  for (std::size_t j = 0; j < bs.size(); ++j) {
    std::int64_t below = 0, above = 0;
    for (const auto& a : as) {
      const basis::Ordering o = c(a, bs[j]);
      below += o == basis::LT;
      above += o == basis::GT;
    }
    kb.push_back({{below, -above}, j});
  }
  for (std::size_t i = 0; i < as.size(); ++i) {
    std::int64_t below = 0, above = 0;
    for (const auto& b : bs) {
      const basis::Ordering o = c(as[i], b);
      below += o == basis::GT;
      above += o == basis::LT;
    }
    ka.push_back({{below, -above}, i});
  }
  auto byKey = [](const auto& x, const auto& y) { return x.first < y.first; };
  std::stable_sort(kb.begin(), kb.end(), byKey);
  std::stable_sort(ka.begin(), ka.end(), byKey);
  for (std::size_t i = 0;; ++i) {
    if (i == ka.size()) return i == kb.size() ? basis::EQ : basis::LT;
    if (i == kb.size()) return basis::GT;
    const basis::Ordering o = c(as[ka[i].second], bs[kb[i].second]);
    if (o != basis::EQ) return o;
  }
}

// The list without its first element y for which eq(x, y) holds, or nothing
// when none does. O(n).
template <class Eq, class X, std::ranges::input_range R>
auto deleteBy(Eq&& eq, const X& x, R&& xs_) -> std::optional<std::vector<std::ranges::range_value_t<R>>> {
  auto xs = detail::toVector(std::forward<R>(xs_));
  for (auto it = xs.begin(); it != xs.end(); ++it) {
    if (eq(x, *it)) {
      xs.erase(it);
      return xs;
    }
  }
  return std::nullopt;
}

// True when the two lists hold the same elements under f in any order,
// pairing greedily from the front (exact for an equivalence across the two
// element types). O(n * m) calls of f.
template <class F, std::ranges::input_range RX, std::ranges::input_range RY>
bool isPermutationBy(F&& f, RX&& xs_, RY&& ys_) {
  auto xs = detail::toVector(std::forward<RX>(xs_));
  auto ys = detail::toVector(std::forward<RY>(ys_));
  // xs[xi..] and ys[yi..] are what is left; removals erase in place.
  std::size_t xi = 0, yi = 0;
  for (;;) {
    const bool xEmpty = xi == xs.size();
    const bool yEmpty = yi == ys.size();
    if (xEmpty || yEmpty) return xEmpty && yEmpty;
    const auto& x = xs[xi];
    const auto& y = ys[yi];
    if (f(x, y)) {
      ++xi;
      ++yi;
      continue;
    }
    auto xMatch = std::find_if(xs.begin() + static_cast<std::ptrdiff_t>(xi) + 1, xs.end(),
                               [&](const auto& x2) { return static_cast<bool>(f(x2, y)); });
    if (xMatch == xs.end()) return false;
    auto yMatch = std::find_if(ys.begin() + static_cast<std::ptrdiff_t>(yi) + 1, ys.end(),
                               [&](const auto& y2) { return static_cast<bool>(f(x, y2)); });
    if (yMatch == ys.end()) return false;
    xs.erase(xMatch);
    ys.erase(yMatch);
    ++xi;
    ++yi;
  }
}

}  // namespace hashgrove::internal::list
