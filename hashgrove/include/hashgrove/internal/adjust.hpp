#pragma once
// Insert-with and adjust: the value of one key changed through a function of
// its old value, in one walk with the key hashed once.
//
// A modifier (of `insertModifying` and `adjust#`) is called at once with the
// stored value (a basis::Lazy<V>) and its result, a V or a basis::Lazy<V>, is
// stored as it is; answering the very stored object leaves the map itself.
// `insertWith` and `adjust` store a deferred application of the caller's
// function instead and never call it themselves.

#include <cstdint>
#include <type_traits>
#include <utility>

#include <basis/lazy.hpp>

#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/insert.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

template <class K, class V, class F>
HashMap<K, V> insertModifyingWalk(Hash h, const K& k, const basis::Lazy<V>& x, F& modify, Shift s,
                                  const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return makeLeaf<K, V>(h, k, x);
    case Kind::Leaf: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, x, hy, t);
      const L<K, V>& p = t.leaf();
      if (p.key == k) {
        basis::Lazy<V> v2(modify(p.value));
        if (basis::identical(v2, p.value)) return t;
        return makeLeaf<K, V>(h, k, std::move(v2));
      }
      return collision(h, p, L<K, V>{k, x});
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return descend<true>(
          h, s, t, [&](const HashMap<K, V>& c) { return insertModifyingWalk(h, k, x, modify, nextShift(s), c); },
          [&](auto& grow) { return grow(makeLeaf<K, V>(h, k, x)); });
    case Kind::Collision: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, x, hy, t);
      const auto n = static_cast<std::size_t>(t.bucketSize());
      const std::int64_t i = bucketIndexOf(k, t.bucket(), t.bucketSize());
      if (i < 0) {
        return HashMap<K, V>::adopt(array::detail::snocTo(t.bucket(), n, L<K, V>{k, x}, tagOf(Kind::Collision), h));
      }
      const basis::Lazy<V>& old = t.bucket()[i].value;
      basis::Lazy<V> v2(modify(old));
      if (basis::identical(v2, old)) return t;
      return HashMap<K, V>::adopt(array::detail::updateAt(t.bucket(), n, static_cast<std::size_t>(i),
                                                          L<K, V>{k, std::move(v2)}, tagOf(Kind::Collision), h));
    }
  }
  __builtin_unreachable();
}

template <class K, class V, class F>
HashMap<K, V> adjustWalk(Hash h, const K& k, F& modify, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return t;
    case Kind::Leaf: {
      if (t.nodeHash() != h) return t;
      const L<K, V>& p = t.leaf();
      if (!(p.key == k)) return t;
      basis::Lazy<V> v2(modify(p.value));
      if (basis::identical(v2, p.value)) return t;
      return makeLeaf<K, V>(h, k, std::move(v2));
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return descend<true>(
          h, s, t, [&](const HashMap<K, V>& c) { return adjustWalk(h, k, modify, nextShift(s), c); },
          [&](auto&) { return t; });
    case Kind::Collision: {
      if (t.nodeHash() != h) return t;
      const auto n = static_cast<std::size_t>(t.bucketSize());
      const std::int64_t i = bucketIndexOf(k, t.bucket(), t.bucketSize());
      if (i < 0) return t;
      const basis::Lazy<V>& old = t.bucket()[i].value;
      basis::Lazy<V> v2(modify(old));
      if (basis::identical(v2, old)) return t;
      return HashMap<K, V>::adopt(array::detail::updateAt(t.bucket(), n, static_cast<std::size_t>(i),
                                                          L<K, V>{k, std::move(v2)}, tagOf(Kind::Collision), h));
    }
  }
  __builtin_unreachable();
}

}  // namespace detail

// m with x bound to an absent k, or the stored value of k replaced by
// modify(stored value) (called at once, its result stored as returned; the
// very stored object leaves m itself). Hashes k once; O(log32 n).
template <class K, class V, class F>
HashMap<K, V> insertModifying(std::type_identity_t<basis::Lazy<V>> x, F&& modify, const std::type_identity_t<K>& k,
                              const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return detail::insertModifyingWalk<K, V>(h, k, x, modify, 0, m);
}

// m with v bound to an absent k, or k bound to a deferred f(v, stored value);
// f is not called here. Hashes k once; O(log32 n).
template <class K, class V, class F>
HashMap<K, V> insertWith(F f, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                         const HashMap<K, V>& m) {
  auto modify = [&f, &v](const basis::Lazy<V>& old) {
    return basis::Lazy<V>::defer([f, v, old]() { return f(v, old); });
  };
  return insertModifying<K, V>(v, modify, k, m);
}

// `adjust#`: m with the value of a present k replaced by modify(stored value)
// (called at once, stored as returned); m itself when k is absent or modify
// answers the stored object. Hashes k once; O(log32 n).
template <class K, class V, class F>
HashMap<K, V> adjust_raw(F&& modify, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return detail::adjustWalk<K, V>(h, k, modify, 0, m);
}

// m with the value of a present k replaced by a deferred f(stored value); m
// itself when k is absent. f is not called here. O(log32 n).
template <class K, class V, class F>
HashMap<K, V> adjust(F f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  auto modify = [&f](const basis::Lazy<V>& old) { return basis::Lazy<V>::defer([f, old]() { return f(old); }); };
  return adjust_raw<K, V>(modify, k, m);
}

}  // namespace hashgrove::internal
