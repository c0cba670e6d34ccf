#pragma once
// Bulk construction: a whole map from a range of pairs, laid out at once, and
// insertion into a map under construction, filled in place.
//
// `unsafeInsert` and `unsafeInsertWithKey` walk and build as insertion does,
// except that where the key's path runs through an occupied slot of a branch
// they write the new child into that branch's own children array. They do so
// only while every node from the root down is referenced by nothing but the
// map being built (a count of one all the way down); below a shared node they
// copy the path as the persistent insertion does. A map the caller still
// holds elsewhere is therefore never changed: pass the map by value (moved)
// to build in place.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/lazy.hpp>

#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/insert.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// No combining function: an equal key in a Leaf with the same value object
// leaves the Leaf, any other value replaces the pair.
struct NoCombine {};

// The persistent form of `unsafeInsertWithKey`'s walk, for shared subtrees.
template <class K, class V, class G>
HashMap<K, V> insertWithKeyWalk(Hash h, const K& k, const basis::Lazy<V>& v, G& combine, Shift s,
                                const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Leaf: {
      const Hash hy = t.nodeHash();
      if (hy == h && t.leaf().key == k) return makeLeaf<K, V>(h, k, basis::Lazy<V>(combine(k, v, t.leaf().value)));
      break;
    }
    case Kind::Collision:
      if (t.nodeHash() == h) {
        return HashMap<K, V>::adopt(
            updateOrSnocBlock<K, V>(combine, k, v, t.bucket(), t.bucketSize(), tagOf(Kind::Collision), h));
      }
      break;
    case Kind::BitmapIndexed:
    case Kind::Full:
      return descend<false>(
          h, s, t, [&](const HashMap<K, V>& c) { return insertWithKeyWalk(h, k, v, combine, nextShift(s), c); },
          [&](auto& grow) { return grow(makeLeaf<K, V>(h, k, v)); });
    case Kind::Empty:
      break;
  }
  // No equal key on this path: the same node as plain insertion builds.
  return insertNewKeyWalk<K, V>(h, k, v, s, t);
}

template <class K, class V, class G>
void unsafeInsertInto(HashMap<K, V>& slot, Hash h, const K& k, const basis::Lazy<V>& v, G& combine, Shift s) {
  switch (slot.kind()) {
    case Kind::Empty:
      slot = makeLeaf<K, V>(h, k, v);
      return;
    case Kind::Leaf: {
      const Hash hy = slot.nodeHash();
      if (hy != h) {
        slot = two<K, V>(s, h, k, v, hy, slot);
        return;
      }
      const L<K, V>& p = slot.leaf();
      if (p.key == k) {
        if constexpr (std::is_same_v<G, NoCombine>) {
          if (!basis::identical(v, p.value)) slot = makeLeaf<K, V>(h, k, v);
        } else {
          basis::Lazy<V> r(combine(k, v, p.value));
          slot = makeLeaf<K, V>(h, k, std::move(r));
        }
        return;
      }
      slot = collision(h, p, L<K, V>{k, v});
      return;
    }
    case Kind::BitmapIndexed: {
      const Bitmap b = slot.bitmap();
      const Bitmap bit = mask(h, s);
      const auto i = static_cast<std::size_t>(sparseIndex(b, bit));
      if ((b & bit) == 0) {
        const Bitmap nb = b | bit;
        const Kind kind = nb == fullBitmap ? Kind::Full : Kind::BitmapIndexed;
        HashMap<K, V> leaf = makeLeaf<K, V>(h, k, v);
        const auto n = static_cast<std::size_t>(slot.childCount());
        // The only owner hands its children over to the grown node (no count
        // changes, no visit to the children); a shared node is copied.
        slot = HashMap<K, V>::adopt(
            slot.isUniqueNode()
                ? array::detail::insertAtMoving(slot.mutableChildren(), n, i, std::move(leaf), tagOf(kind), nb)
                : array::detail::insertAt(slot.children(), n, i, std::move(leaf), tagOf(kind), nb));
        return;
      }
      if (!slot.isUniqueNode()) break;
      unsafeInsertInto(slot.mutableChildren()[i], h, k, v, combine, nextShift(s));
      return;
    }
    case Kind::Full: {
      if (!slot.isUniqueNode()) break;
      unsafeInsertInto(slot.mutableChildren()[index(h, s)], h, k, v, combine, nextShift(s));
      return;
    }
    case Kind::Collision: {
      const Hash hy = slot.nodeHash();
      if (hy != h) {
        slot = two<K, V>(s, h, k, v, hy, slot);
        return;
      }
      if constexpr (std::is_same_v<G, NoCombine>) {
        KeepNewValue<K, V> keep;
        slot = HashMap<K, V>::adopt(
            updateOrSnocBlock<K, V>(keep, k, v, slot.bucket(), slot.bucketSize(), tagOf(Kind::Collision), h));
      } else {
        slot = HashMap<K, V>::adopt(
            updateOrSnocBlock<K, V>(combine, k, v, slot.bucket(), slot.bucketSize(), tagOf(Kind::Collision), h));
      }
      return;
    }
  }
  // A shared branch: copy the path below it, as the persistent insertion does.
  if constexpr (std::is_same_v<G, NoCombine>) {
    slot = insertWalk<K, V>(h, k, v, s, slot);
  } else {
    slot = insertWithKeyWalk<K, V>(h, k, v, combine, s, slot);
  }
}

// --- Laying out a whole trie at once ---------------------------------------
//
// A bulk build from an indexable input hashes every key once, in input order,
// then sorts the keys by hash fragment level by level (a stable counting sort
// per level) and builds each node once, exactly sized, children before their
// branch. The trie is the one insertion in input order builds: its shape
// depends only on the hashes, and keys sharing a whole hash go into their
// Leaf or Collision by the very insertion steps, in input order.

// A key of a bulk build: its hash and its position in the input.
struct Staged {
  Hash hash;
  std::size_t at;
};

// The subtrie at shift s of the n keys in `es`, which agree on every fragment
// below s; `scratch` has room for n keys. Recursion depth: one per fragment.
template <class K, class V, class Source, class G>
HashMap<K, V> layOut(Staged* es, Staged* scratch, std::size_t n, Shift s, Source& src, G& combine) {
  const Hash h0 = es[0].hash;
  if (n == 1) return makeLeaf<K, V>(h0, src.key(es[0].at), src.value(es[0].at));
  Hash differ = 0;
  for (std::size_t j = 1; j < n; ++j) differ |= es[j].hash ^ h0;
  if (differ == 0) {
    HashMap<K, V> t;
    for (std::size_t j = 0; j < n; ++j) {
      unsafeInsertInto<K, V>(t, h0, src.key(es[j].at), src.value(es[j].at), combine, s);
    }
    return t;
  }
  // The keys part at fragment d; above it they share one-child branches.
  const Shift d = std::countr_zero(differ) / bitsPerSubkey * bitsPerSubkey;
  // A stable counting sort by that fragment into scratch; the loops over
  // fragments visit only the occupied ones.
  std::size_t count[maxChildren] = {};
  Bitmap b = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const std::int64_t f = index(es[j].hash, d);
    ++count[f];
    b |= Bitmap{1} << f;
  }
  std::size_t cursor[maxChildren];
  std::size_t at = 0;
  for (Bitmap r = b; r != 0; r &= r - 1) {
    const int f = std::countr_zero(r);
    cursor[f] = at;
    at += count[f];
  }
  for (std::size_t j = 0; j < n; ++j) scratch[cursor[index(es[j].hash, d)]++] = es[j];
  auto fill = fillBranch<K, V>(static_cast<std::size_t>(std::popcount(b)), b);
  for (Bitmap r = b; r != 0; r &= r - 1) {
    const int f = std::countr_zero(r);
    const std::size_t hi = cursor[f], lo = hi - count[f];
    fill.emplace(layOut<K, V>(scratch + lo, es + lo, hi - lo, nextShift(d), src, combine));
  }
  return underOneChildBranches(finish(fill), h0, d, s);
}

// The map of src's n keys with their values: src.hash(i) is called once per
// key in input order (and may do the input's other per-key work first),
// src.key(i) and src.value(i) when the key's node is built; keys sharing a
// hash meet `combine` as insertion in input order meets it.
template <class K, class V, class Source, class G>
HashMap<K, V> layOutAll(std::size_t n, Source& src, G& combine) {
  if (n == 0) return HashMap<K, V>();
  auto staged = std::make_unique_for_overwrite<Staged[]>(2 * n);
  for (std::size_t i = 0; i < n; ++i) staged[i] = Staged{src.hash(i), i};
  return layOut<K, V>(staged.get(), staged.get() + n, n, 0, src, combine);
}

// A range whose elements can be read in place by index, as often as needed.
template <class R>
concept IndexableInPlace = std::ranges::random_access_range<R> && std::ranges::sized_range<R> &&
                           std::is_lvalue_reference_v<std::ranges::range_reference_t<R>>;
// Element i of such a range.
template <IndexableInPlace R>
decltype(auto) nth(R& r, std::size_t i) {
  return std::ranges::begin(r)[static_cast<std::ranges::range_difference_t<R>>(i)];
}

// Key-value pairs read in place from an indexable range; `Force` evaluates
// each value, in input order, before its key is hashed.
template <class K, class V, class R, bool Force = false>
struct PairsInPlace {
  R& pairs;
  decltype(auto) at(std::size_t i) const { return nth(pairs, i); }
  Hash hash(std::size_t i) const {
    if constexpr (Force) {
      using Stored = std::remove_cvref_t<decltype(std::get<1>(at(i)))>;
      if constexpr (basis::detail::IsLazy<Stored>::value) std::get<1>(at(i)).force();
    }
    return internal::hash(key(i));
  }
  const K& key(std::size_t i) const { return std::get<0>(at(i)); }
  basis::Lazy<V> value(std::size_t i) const { return basis::Lazy<V>(std::get<1>(at(i))); }
};

// The map of a range of pairs, laid out at once: in place when the range is
// indexable, else from a copy of its pairs taken in order.
template <class K, class V, bool Force = false, class R, class G>
HashMap<K, V> layOutPairs(R&& pairs, G& combine) {
  if constexpr (IndexableInPlace<std::remove_reference_t<R>>) {
    PairsInPlace<K, V, std::remove_reference_t<R>, Force> src{pairs};
    return layOutAll<K, V>(static_cast<std::size_t>(std::ranges::size(pairs)), src, combine);
  } else {
    std::vector<std::pair<K, basis::Lazy<V>>> taken;
    if constexpr (std::ranges::sized_range<R>) taken.reserve(static_cast<std::size_t>(std::ranges::size(pairs)));
    for (auto&& p : pairs) taken.emplace_back(std::get<0>(p), basis::Lazy<V>(std::get<1>(p)));
    return layOutPairs<K, V, Force>(taken, combine);
  }
}

template <class P>
struct PairTypes {
  using key = std::remove_cvref_t<decltype(std::get<0>(std::declval<P>()))>;
  using value = typename array::detail::ElementOf<std::remove_cvref_t<decltype(std::get<1>(std::declval<P>()))>>::type;
};

}  // namespace detail

// m with k bound to v, written in place into the branches of m that nothing
// else refers to (see the header comment); returns the root, m itself when
// the root was written in place. Hashes k once, before m is touched; O(log32
// n). When `hash` or `==` throws, m keeps exactly its pairs: the walk writes
// a node only once everything that node needs is computed.
template <class K, class V>
HashMap<K, V> unsafeInsert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                           HashMap<K, V>&& m) {
  const Hash h = internal::hash(k);
  detail::NoCombine none;
  detail::unsafeInsertInto<K, V>(m, h, k, v, none, 0);
  return std::move(m);
}
// The same for a map the caller keeps: its nodes are shared, so the path is
// copied as the persistent insertion copies it.
template <class K, class V>
HashMap<K, V> unsafeInsert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                           const HashMap<K, V>& m) {
  return unsafeInsert<K, V>(k, std::move(v), HashMap<K, V>(m));
}

// `insert` of a map handed over by value (moved): the same result, written in
// place into the nodes that nothing else refers to (see the header comment),
// so that `m = insert(k, v, std::move(m))` copies no branch on the key's
// path. Hashes k once, before m is touched; O(log32 n). When `hash` or `==`
// throws, m keeps exactly its pairs. Inlined: a call to the in-place walk.
template <class K, class V>
[[gnu::always_inline]] inline HashMap<K, V> insert(const std::type_identity_t<K>& k,
                                                   std::type_identity_t<basis::Lazy<V>> v, HashMap<K, V>&& m) {
  const Hash h = internal::hash(k);
  detail::NoCombine none;
  detail::unsafeInsertInto<K, V>(m, h, k, v, none, 0);
  return std::move(m);
}

// As `unsafeInsert`, with an equal key's value becoming g(k, v, stored value),
// g called at once and its result stored as returned. When `hash`, `==` or g
// throws, m keeps exactly its pairs.
template <class K, class V, class G>
HashMap<K, V> unsafeInsertWithKey(G&& g, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                                  HashMap<K, V>&& m) {
  const Hash h = internal::hash(k);
  auto combine = [&g](const K& key, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>(g(key, nv, old));
  };
  detail::unsafeInsertInto<K, V>(m, h, k, v, combine, 0);
  return std::move(m);
}
// The same for a map the caller keeps (its path is copied).
template <class K, class V, class G>
HashMap<K, V> unsafeInsertWithKey(G&& g, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                                  const HashMap<K, V>& m) {
  return unsafeInsertWithKey<K, V>(std::forward<G>(g), k, std::move(v), HashMap<K, V>(m));
}

// A map of the range's pairs (std::pair or std::tuple of a key and a V or a
// basis::Lazy<V>); a repeated key keeps its last value and key. Hashes each
// key once, then builds every node once, exactly sized: O(n) per trie level,
// 32 bytes of scratch per pair (plus a copy of the pairs when the range cannot
// be read in place by index).
template <std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromList(R&& pairs) {
  detail::NoCombine none;
  return detail::layOutPairs<K, V>(std::forward<R>(pairs), none);
}

// As `fromList`, a repeated key holding a deferred f(new value, stored value);
// f runs only when that value is first needed.
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromListWith(F f, R&& pairs) {
  auto combine = [&f](const K&, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>::defer([f, nv, old]() { return f(nv, old); });
  };
  return detail::layOutPairs<K, V>(std::forward<R>(pairs), combine);
}

// As `fromListWith`, f also receiving the key of the pair being inserted:
// a deferred f(key, new value, stored value).
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromListWithKey(F f, R&& pairs) {
  auto combine = [&f](const K& key, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>::defer([f, key, nv, old]() { return f(key, nv, old); });
  };
  return detail::layOutPairs<K, V>(std::forward<R>(pairs), combine);
}

}  // namespace hashgrove::internal
