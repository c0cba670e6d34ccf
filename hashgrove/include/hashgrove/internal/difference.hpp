#pragma once
// Difference of two maps. The first map is walked in trie order (children in
// array order, each subtree before the next, a bucket's pairs in order); each
// key is looked up in the second map (hashing it), and the surviving pairs
// are inserted one by one into a map under construction, filled in place.
// So no node of either input is reused, a bucket of the result keeps the
// order of the first map's bucket, and each surviving key is hashed twice.
//
// `DifferenceStep` decides what a pair turns into:
//   basis::Lazy<V> absent(const basis::Lazy<V>& x);      // key not in b
//   std::optional<basis::Lazy<V>> present(const basis::Lazy<V>& x,
//                                         const basis::Lazy<W>& y);  // in b

#include <optional>
#include <utility>

#include <basis/lazy.hpp>

#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/lookup.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// Calls visit(pair) for each pair of m in trie order. Recursion is bounded by
// the trie depth.
template <class K, class V, class Visit>
void forEachPairInTrieOrder(const HashMap<K, V>& m, Visit& visit) {
  switch (m.kind()) {
    case Kind::Empty:
      return;
    case Kind::Leaf:
      visit(m.leaf());
      return;
    case Kind::Collision:
      for (std::int64_t i = 0, n = m.bucketSize(); i < n; ++i) visit(m.bucket()[i]);
      return;
    case Kind::BitmapIndexed:
    case Kind::Full:
      for (std::int64_t i = 0, n = m.childCount(); i < n; ++i) forEachPairInTrieOrder(m.children()[i], visit);
      return;
  }
}

template <class K, class V, class W, class Step>
HashMap<K, V> differenceWalk(Step& step, const HashMap<K, V>& a, const HashMap<K, W>& b) {
  HashMap<K, V> acc;
  auto visit = [&](const L<K, V>& p) {
    if (const basis::Lazy<W>* y = internal::lookup_raw(p.key, b)) {
      if (std::optional<basis::Lazy<V>> z = step.present(p.value, *y)) {
        acc = internal::unsafeInsert(p.key, std::move(*z), std::move(acc));
      }
    } else {
      acc = internal::unsafeInsert(p.key, step.absent(p.value), std::move(acc));
    }
  };
  forEachPairInTrieOrder(a, visit);
  return acc;
}

template <class V, class W>
struct DropCommonKeys {
  basis::Lazy<V> absent(const basis::Lazy<V>& x) const { return x; }
  std::optional<basis::Lazy<V>> present(const basis::Lazy<V>&, const basis::Lazy<W>&) const {
    return std::nullopt;
  }
};

// f(x, y) called at once; its Just value stored as returned.
template <class V, class W, class F>
struct CombineCommonKeys {
  basis::Lazy<V> absent(const basis::Lazy<V>& x) const { return x; }
  std::optional<basis::Lazy<V>> present(const basis::Lazy<V>& x, const basis::Lazy<W>& y) {
    auto r = f(x, y);
    if (!r) return std::nullopt;
    return basis::Lazy<V>(std::move(*r));
  }
  F& f;
};

}  // namespace detail

// The pairs of a whose keys b lacks, with a's keys and values, in new nodes
// (the shared empty map when none survive). Hashes each key of a once for the
// lookup and once more to insert it. O(n log n); throws what `hash` or `==`
// throws.
template <class K, class V, class W>
HashMap<K, V> difference(const HashMap<K, V>& a, const HashMap<K, W>& b) {
  detail::DropCommonKeys<V, W> step;
  return detail::differenceWalk(step, a, b);
}

// As `difference`, but a key of a that b also holds is kept bound to y when
// f(a's value, b's value) gives y (an optional V or basis::Lazy<V>, stored as
// returned), dropped when it gives nothing. f is called at once, in trie
// order, for each such key. Throws what f, `hash` or `==` throws.
template <class K, class V, class W, class F>
HashMap<K, V> differenceWith(F f, const HashMap<K, V>& a, const HashMap<K, W>& b) {
  detail::CombineCommonKeys<V, W, F> step{f};
  return detail::differenceWalk(step, a, b);
}

}  // namespace hashgrove::internal
