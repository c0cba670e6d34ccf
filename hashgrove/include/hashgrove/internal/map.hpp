#pragma once
// Value mapping and key mapping.
//
// `map`, `mapWithKey` and `replace` (the platform's `<$`) give a map new
// values and keep everything else: the result has the input's node kinds,
// bitmaps, hashes, array lengths, pair order and key objects, and every node
// of it is new. The new values are deferred: f runs when a value is first
// read, at most once, and never for a value nobody reads.
//
// `mapWalk` is the rebuild itself, a template over the per-pair step, which
// the value-strict mapping and the aligning library instantiate with steps of
// their own. The rebuild builds the whole trie in one depth-first pass during
// the call (child slots of a branch hold nodes, not deferred nodes), one new
// block per node; only the values stay deferred.

#include <cstdint>
#include <memory>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// The trie of `node` rebuilt with the value of each pair p replaced by
// step(p) (a W, or a basis::Lazy<W> stored as it is). Same shape, new nodes,
// the same keys; step runs once per pair, in trie order. An Empty input gives
// the shared Empty node. O(n); recursion only as deep as the trie. What step
// throws passes through, and nothing half-built escapes.
template <class W, class K, class V, class Step>
HashMap<K, W> mapWalk(const HashMap<K, V>& node, Step& step) {
  switch (node.kind()) {
    case Kind::Empty:
      return HashMap<K, W>();
    case Kind::Leaf: {
      const L<K, V>& p = node.leaf();
      return detail::makeLeaf<K, W>(node.nodeHash(), p.key, basis::Lazy<W>(step(p)));
    }
    case Kind::Collision: {
      const std::int64_t n = node.bucketSize();
      detail::BucketFiller<K, W> out(static_cast<std::size_t>(n), detail::tagOf(Kind::Collision), node.nodeHash());
      const L<K, V>* p = node.bucket();
      for (std::int64_t i = 0; i < n; ++i) out.emplace(L<K, W>{p[i].key, basis::Lazy<W>(step(p[i]))});
      return detail::finish(out);
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const std::int64_t n = node.childCount();
      detail::BranchFiller<K, W> out(static_cast<std::size_t>(n), detail::tagOf(node.kind()), node.bitmap());
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = 0; i < n; ++i) out.emplace(mapWalk<W>(c[i], step));
      return detail::finish(out);
    }
  }
  return HashMap<K, W>();
}

namespace detail {
// The value type a mapping function produces (a Lazy result stands for its value).
template <class F, class... Args>
using MapResult = basis::lazy_value_t<std::invoke_result_t<F&, const Args&...>>;
}  // namespace detail

// `map`: the map with every value v replaced by the deferred f(v). O(n) to
// build; f runs when a value is first read. Throws only what allocation throws.
template <class F, class K, class V>
HashMap<K, detail::MapResult<F, basis::Lazy<V>>> map(F f, const HashMap<K, V>& m) {
  using W = detail::MapResult<F, basis::Lazy<V>>;
  auto fp = std::make_shared<F>(std::move(f));
  auto step = [&fp](const L<K, V>& p) {
    return basis::Lazy<W>::defer([fp, v = p.value]() -> W { return detail::settle<W>((*fp)(v)); });
  };
  return mapWalk<W>(m, step);
}

// `mapWithKey`: the map with every value v under key k replaced by the
// deferred f(k, v). O(n) to build; f runs when a value is first read.
template <class F, class K, class V>
HashMap<K, detail::MapResult<F, K, basis::Lazy<V>>> mapWithKey(F f, const HashMap<K, V>& m) {
  using W = detail::MapResult<F, K, basis::Lazy<V>>;
  auto fp = std::make_shared<F>(std::move(f));
  auto step = [&fp](const L<K, V>& p) {
    return basis::Lazy<W>::defer([fp, k = p.key, v = p.value]() -> W { return detail::settle<W>((*fp)(k, v)); });
  };
  return mapWalk<W>(m, step);
}

// `<$`: the map with every value replaced by x itself (the same stored
// object, neither evaluated nor copied into a new computation). O(n).
template <class X, class K, class V>
HashMap<K, basis::lazy_value_t<X>> replace(const X& x, const HashMap<K, V>& m) {
  using W = basis::lazy_value_t<X>;
  const basis::Lazy<W> value(x);
  auto step = [&value](const L<K, V>&) -> const basis::Lazy<W>& { return value; };
  return mapWalk<W>(m, step);
}

// `mapKeys`: a new map holding (f(k), v) for every pair (k, v), built by
// `fromList` from the pairs in trie order, so that of several keys sent to
// equal new keys the one later in trie order wins. Values are not forced.
// O(n) hashes of new keys; what f or the new key's hashing throws passes
// through.
template <class F, class K, class V>
HashMap<std::remove_cvref_t<std::invoke_result_t<F&, const K&>>, V> mapKeys(F f, const HashMap<K, V>& m) {
  using K2 = std::remove_cvref_t<std::invoke_result_t<F&, const K&>>;
  // The new pairs in trie order, then fromList of them: fromList would copy a
  // range it cannot index into such a vector anyway (and clang before 16
  // cannot compile std::views::transform with libstdc++ 12).
  std::vector<std::pair<K2, basis::Lazy<V>>> pairs;
  for (const auto& [k, v] : m) pairs.emplace_back(f(k), v);
  return internal::fromList(pairs);
}

}  // namespace hashgrove::internal

// Functor of HashMap K: `fmap` is `map`, `replace` is `<$`.
template <class K>
struct basis::Functor<hashgrove::HashMapOf<K>> {
  template <class Fn, class V>
  static auto fmap(Fn f, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::map(std::move(f), m);
  }
  template <class B, class V>
  static auto replace(const B& b, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::replace(b, m);
  }
};
