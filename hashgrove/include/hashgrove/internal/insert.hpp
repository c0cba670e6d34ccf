#pragma once
// Insertion: one key with its value into a map, copying only the path.
//
// Each rebuilt level costs one array copy (n + 1 slots when a branch gains a
// child, n when a child is replaced, 32 in a Full node); every other node is
// shared. Re-inserting a key held in a Leaf with the very same value object
// returns the map itself without allocating. A key that lands in a collision
// bucket always yields a new bucket.

#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {
// node, the subtrie at shift d of keys sharing the fragments of h above it,
// under the one-child branches that lead to it from shift s (s <= d).
template <class K, class V>
HashMap<K, V> underOneChildBranches(HashMap<K, V> node, Hash h, Shift d, Shift s) {
  while (d > s) {
    d -= bitsPerSubkey;
    auto g = fillBranch<K, V>(1, mask(h, d));
    g.emplace(std::move(node));
    node = finish(g);
  }
  return node;
}
}  // namespace detail

// The smallest branch at shift s holding a new Leaf (h1, k1, x1) and t2, a
// Leaf or Collision of hash h2: one-child BitmapIndexed nodes while the two
// hashes share a fragment, then a two-child node ordered by fragment. t2 is
// shared. O(levels). Throws std::invalid_argument when h1 == h2.
template <class K, class V>
HashMap<K, V> two(Shift s, Hash h1, const std::type_identity_t<K>& k1, std::type_identity_t<basis::Lazy<V>> x1,
                  Hash h2, const HashMap<K, V>& t2) {
  if (h1 == h2) throw std::invalid_argument("hashgrove::internal::two: equal hashes");
  Shift d = s;
  while (index(h1, d) == index(h2, d)) d = nextShift(d);
  HashMap<K, V> leaf = detail::makeLeaf<K, V>(h1, k1, std::move(x1));
  const Bitmap b = mask(h1, d) | mask(h2, d);
  auto f = detail::fillBranch<K, V>(2, b);
  if (index(h1, d) < index(h2, d)) {
    f.emplace(std::move(leaf));
    f.emplace(t2);
  } else {
    f.emplace(t2);
    f.emplace(std::move(leaf));
  }
  return detail::underOneChildBranches(detail::finish(f), h1, d, s);
}

namespace detail {

// The pair (k, v) replaced or appended, as insertion stores it in a bucket.
template <class K, class V>
struct KeepNewValue {
  basis::Lazy<V> operator()(const K&, const basis::Lazy<V>& v, const basis::Lazy<V>&) const { return v; }
};

// One branch level of a single-key update. t is a BitmapIndexed or Full node;
// the child on h's path at shift s becomes down(child), and with
// `ShareUnchanged` t itself is kept when down answers that very child. Where
// the path has no child, absent(grow) answers: grow(node) is t with node
// added on the path (a Full node when that fills the bitmap).
template <bool ShareUnchanged, class K, class V, class Down, class Absent>
[[gnu::always_inline]] inline HashMap<K, V> descend(Hash h, Shift s, const HashMap<K, V>& t, Down&& down,
                                                   Absent&& absent) {
  const auto n = static_cast<std::size_t>(t.childCount());
  const Bitmap b = t.bitmap();
  std::size_t i;
  if (t.kind() == Kind::Full) {
    i = static_cast<std::size_t>(index(h, s));
  } else {
    const Bitmap bit = mask(h, s);
    i = static_cast<std::size_t>(sparseIndex(b, bit));
    if ((b & bit) == 0) {
      auto grow = [&](HashMap<K, V> node) {
        const Bitmap nb = b | bit;
        const Kind kind = nb == fullBitmap ? Kind::Full : Kind::BitmapIndexed;
        return HashMap<K, V>::adopt(array::detail::insertAt(t.children(), n, i, std::move(node), tagOf(kind), nb));
      };
      return absent(grow);
    }
  }
  const HashMap<K, V>& c = t.children()[i];
  HashMap<K, V> c2 = down(c);
  if constexpr (ShareUnchanged) {
    if (ptrEq(c, c2)) return t;
  }
  return HashMap<K, V>::adopt(array::detail::updateAt(t.children(), n, i, std::move(c2), tagOf(t.kind()), b));
}

template <class K, class V>
HashMap<K, V> insertWalk(Hash h, const K& k, const basis::Lazy<V>& v, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return makeLeaf<K, V>(h, k, v);
    case Kind::Leaf: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, v, hy, t);
      const L<K, V>& p = t.leaf();
      if (p.key == k) {
        if (basis::identical(v, p.value)) return t;
        return makeLeaf<K, V>(h, k, v);
      }
      return collision(h, p, L<K, V>{k, v});
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return descend<true>(
          h, s, t, [&](const HashMap<K, V>& c) { return insertWalk(h, k, v, nextShift(s), c); },
          [&](auto& grow) { return grow(makeLeaf<K, V>(h, k, v)); });
    case Kind::Collision: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, v, hy, t);
      KeepNewValue<K, V> keep;
      return HashMap<K, V>::adopt(
          updateOrSnocBlock<K, V>(keep, k, v, t.bucket(), t.bucketSize(), tagOf(Kind::Collision), h));
    }
  }
  __builtin_unreachable();
}

template <class K, class V>
HashMap<K, V> insertNewKeyWalk(Hash h, const K& k, const basis::Lazy<V>& v, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return makeLeaf<K, V>(h, k, v);
    case Kind::Leaf: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, v, hy, t);
      return collision(h, t.leaf(), L<K, V>{k, v});
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return descend<false>(
          h, s, t, [&](const HashMap<K, V>& c) { return insertNewKeyWalk(h, k, v, nextShift(s), c); },
          [&](auto& grow) { return grow(makeLeaf<K, V>(h, k, v)); });
    case Kind::Collision: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, v, hy, t);
      return HashMap<K, V>::adopt(array::detail::snocTo(t.bucket(), static_cast<std::size_t>(t.bucketSize()),
                                                        L<K, V>{k, v}, tagOf(Kind::Collision), h));
    }
  }
  __builtin_unreachable();
}

}  // namespace detail

// `insert'`: m with k (whose hash is h) bound to v, stored unevaluated. The
// map itself when k is in a Leaf with the very same value object.
// O(log32 n) plus one copied array per level; throws what `==` throws.
template <class K, class V>
HashMap<K, V> insert_(Hash h, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                      const HashMap<K, V>& m) {
  return detail::insertWalk<K, V>(h, k, v, 0, m);
}

// m with k bound to v (unevaluated); the caller's key replaces an equal stored
// key. Hashes k once; O(log32 n); throws what `hash` or `==` throws.
template <class K, class V>
HashMap<K, V> insert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                     const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return detail::insertWalk<K, V>(h, k, v, 0, m);
}

// m with k, which the caller knows to be absent, bound to v: no key
// comparison, the whole path always copied. O(log32 n).
template <class K, class V>
HashMap<K, V> insertNewKey(Hash h, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                           const HashMap<K, V>& m) {
  return detail::insertNewKeyWalk<K, V>(h, k, v, 0, m);
}

}  // namespace hashgrove::internal
