#pragma once
// Bulk construction: a whole map from a range of pairs, filled in place.
//
// `unsafeInsert` and `unsafeInsertWithKey` walk and build as insertion does,
// except that where the key's path runs through an occupied slot of a branch
// they write the new child into that branch's own children array. They do so
// only while every node from the root down is referenced by nothing but the
// map being built (a count of one all the way down); below a shared node they
// copy the path as the persistent insertion does. A map the caller still
// holds elsewhere is therefore never changed: pass the map by value (moved)
// to build in place.

#include <cstdint>
#include <iterator>
#include <ranges>
#include <type_traits>
#include <utility>

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
    case Kind::BitmapIndexed: {
      const Bitmap b = t.bitmap();
      const Bitmap bit = mask(h, s);
      if ((b & bit) == 0) break;
      const auto i = static_cast<std::size_t>(sparseIndex(b, bit));
      HashMap<K, V> c2 = insertWithKeyWalk(h, k, v, combine, nextShift(s), t.children()[i]);
      return HashMap<K, V>::adopt(array::detail::updateAt(t.children(), static_cast<std::size_t>(t.childCount()),
                                                          i, std::move(c2), tagOf(Kind::BitmapIndexed), b));
    }
    case Kind::Full: {
      const auto i = static_cast<std::size_t>(index(h, s));
      HashMap<K, V> c2 = insertWithKeyWalk(h, k, v, combine, nextShift(s), t.children()[i]);
      return HashMap<K, V>::adopt(array::detail::updateAt(t.children(), static_cast<std::size_t>(t.childCount()),
                                                          i, std::move(c2), tagOf(Kind::Full), fullBitmap));
    }
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

template <class P>
struct PairTypes {
  using key = std::remove_cvref_t<decltype(std::get<0>(std::declval<P>()))>;
  using value = typename array::detail::ElementOf<std::remove_cvref_t<decltype(std::get<1>(std::declval<P>()))>>::type;
};

}  // namespace detail

// m with k bound to v, written in place into the branches of m that nothing
// else refers to (see the header comment); returns the root, m itself when
// the root was written in place. Hashes k once; O(log32 n).
template <class K, class V>
HashMap<K, V> unsafeInsert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v, HashMap<K, V> m) {
  const Hash h = internal::hash(k);
  detail::NoCombine none;
  detail::unsafeInsertInto<K, V>(m, h, k, v, none, 0);
  return m;
}

// `insert` of a map handed over by value (moved): the same result, written in
// place into the nodes that nothing else refers to (see the header comment),
// so that `m = insert(k, v, std::move(m))` copies no branch on the key's
// path. Hashes k once; O(log32 n).
template <class K, class V>
HashMap<K, V> insert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v, HashMap<K, V>&& m) {
  return unsafeInsert<K, V>(k, std::move(v), std::move(m));
}

// As `unsafeInsert`, with an equal key's value becoming g(k, v, stored value),
// g called at once and its result stored as returned.
template <class K, class V, class G>
HashMap<K, V> unsafeInsertWithKey(G&& g, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                                  HashMap<K, V> m) {
  const Hash h = internal::hash(k);
  auto combine = [&g](const K& key, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>(g(key, nv, old));
  };
  detail::unsafeInsertInto<K, V>(m, h, k, v, combine, 0);
  return m;
}

// A map of the range's pairs (std::pair or std::tuple of a key and a V or a
// basis::Lazy<V>); a repeated key keeps its last value and key. Each pair
// costs one hash and one walk; no branch array on a key's path is copied.
template <std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromList(R&& pairs) {
  HashMap<K, V> m;
  detail::NoCombine none;
  for (auto&& p : pairs) {
    const K& k = std::get<0>(p);
    const basis::Lazy<V> v(std::get<1>(p));
    detail::unsafeInsertInto<K, V>(m, internal::hash(k), k, v, none, 0);
  }
  return m;
}

// As `fromList`, a repeated key holding a deferred f(new value, stored value);
// f runs only when that value is first needed.
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromListWith(F f, R&& pairs) {
  HashMap<K, V> m;
  auto combine = [&f](const K&, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>::defer([f, nv, old]() { return f(nv, old); });
  };
  for (auto&& p : pairs) {
    const K& k = std::get<0>(p);
    const basis::Lazy<V> v(std::get<1>(p));
    detail::unsafeInsertInto<K, V>(m, internal::hash(k), k, v, combine, 0);
  }
  return m;
}

// As `fromListWith`, f also receiving the key of the pair being inserted:
// a deferred f(key, new value, stored value).
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename detail::PairTypes<P>::key, class V = typename detail::PairTypes<P>::value>
HashMap<K, V> fromListWithKey(F f, R&& pairs) {
  HashMap<K, V> m;
  auto combine = [&f](const K& key, const basis::Lazy<V>& nv, const basis::Lazy<V>& old) {
    return basis::Lazy<V>::defer([f, key, nv, old]() { return f(key, nv, old); });
  };
  for (auto&& p : pairs) {
    const K& k = std::get<0>(p);
    const basis::Lazy<V> v(std::get<1>(p));
    detail::unsafeInsertInto<K, V>(m, internal::hash(k), k, v, combine, 0);
  }
  return m;
}

}  // namespace hashgrove::internal
