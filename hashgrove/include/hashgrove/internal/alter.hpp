#pragma once
// Alteration: one decision, through the caller's function, that inserts,
// replaces, removes or leaves a key alone, hashing the key once.
//
// `alter`, `update` and `alterFEager` look the key up once and, when
// something changes, walk again steered only by the hash bits and the bucket
// position (`insertKeyExists`, `deleteKeyExists`, `insertNewKey`), with no
// further key comparison. `alterF` defers the lookup until the function or a
// `Nothing` answer looks at it, and finishes with `insert'` or `delete'`.
//
// The caller's function receives the stored value as `basis::Lazy<V>` and
// answers with a std::optional of a V or a basis::Lazy<V>; answering the very
// value object it was given (same `basis::Lazy` cell) leaves the map itself.

#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>

#include <basis/error.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal/delete.hpp"
#include "hashgrove/internal/insert.hpp"
#include "hashgrove/internal/lookup.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// Position-steered walks: `w` holds the hash bits not yet consumed. A slot or
// position outside its array (a broken precondition) leaves the node as it is.
template <class K, class V>
HashMap<K, V> insertKeyExistsWalk(std::int64_t p, Hash w, const K& k, const basis::Lazy<V>& x, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return t;
    case Kind::Leaf:
      return makeLeaf<K, V>(t.nodeHash(), k, x);
    case Kind::BitmapIndexed: {
      const Bitmap b = t.bitmap();
      const auto i = static_cast<std::size_t>(sparseIndex(b, Bitmap{1} << (w & subkeyMask)));
      const auto n = static_cast<std::size_t>(t.childCount());
      if (i >= n) return t;
      HashMap<K, V> sub = insertKeyExistsWalk(p, w >> bitsPerSubkey, k, x, t.children()[i]);
      return HashMap<K, V>::adopt(
          array::detail::updateAt(t.children(), n, i, std::move(sub), tagOf(Kind::BitmapIndexed), b));
    }
    case Kind::Full: {
      const auto i = static_cast<std::size_t>(w & subkeyMask);
      const auto n = static_cast<std::size_t>(t.childCount());
      if (i >= n) return t;
      HashMap<K, V> sub = insertKeyExistsWalk(p, w >> bitsPerSubkey, k, x, t.children()[i]);
      return HashMap<K, V>::adopt(
          array::detail::updateAt(t.children(), n, i, std::move(sub), tagOf(Kind::Full), fullBitmap));
    }
    case Kind::Collision: {
      if (p < 0) return HashMap<K, V>();
      const auto n = static_cast<std::size_t>(t.bucketSize());
      if (static_cast<std::size_t>(p) >= n) return t;
      return HashMap<K, V>::adopt(array::detail::updateAt(t.bucket(), n, static_cast<std::size_t>(p),
                                                          L<K, V>{k, x}, tagOf(Kind::Collision), t.nodeHash()));
    }
  }
  __builtin_unreachable();
}

template <class K, class V>
HashMap<K, V> deleteKeyExistsWalk(std::int64_t p, Hash w, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return t;
    case Kind::Leaf:
      return HashMap<K, V>();
    case Kind::BitmapIndexed: {
      const Bitmap b = t.bitmap();
      const Bitmap bit = Bitmap{1} << (w & subkeyMask);
      const auto i = static_cast<std::size_t>(sparseIndex(b, bit));
      if (i >= static_cast<std::size_t>(t.childCount())) return t;
      HashMap<K, V> sub = deleteKeyExistsWalk<K, V>(p, w >> bitsPerSubkey, t.children()[i]);
      return branchWithNewChild(t, b, bit, i, std::move(sub));
    }
    case Kind::Full: {
      const auto i = static_cast<std::size_t>(w & subkeyMask);
      if (i >= static_cast<std::size_t>(t.childCount())) return t;
      HashMap<K, V> sub = deleteKeyExistsWalk<K, V>(p, w >> bitsPerSubkey, t.children()[i]);
      return fullWithNewChild(t, i, std::move(sub));
    }
    case Kind::Collision: {
      const auto n = static_cast<std::size_t>(t.bucketSize());
      if (n == 2) return bucketWithout(t, p == 0 ? 0 : 1);
      if (p < 0 || static_cast<std::size_t>(p) >= n) return t;
      return bucketWithout(t, static_cast<std::size_t>(p));
    }
  }
  __builtin_unreachable();
}

// An answer as std::optional<basis::Lazy<V>>: the caller's function may
// answer with an optional of V or of basis::Lazy<V>.
template <class V, class R>
std::optional<basis::Lazy<V>> answer(R&& r) {
  if (!r) return std::nullopt;
  return basis::Lazy<V>(*std::forward<R>(r));
}

// The decision table of `alter` and `alterFEager`.
template <class K, class V>
HashMap<K, V> decide(const LookupHit<V>& found, std::optional<basis::Lazy<V>> answer, Hash h, const K& k,
                     const HashMap<K, V>& m) {
  if (!found) {
    if (!answer) return m;
    return insertNewKey<K, V>(h, k, std::move(*answer), m);
  }
  if (!answer) return deleteKeyExistsWalk<K, V>(found.position, h, m);
  if (basis::identical(*answer, *found.value)) return m;
  return insertKeyExistsWalk<K, V>(found.position, h, k, *answer, m);
}

}  // namespace detail

// m with k's pair replaced by (k, x), steered by k's hash h and its bucket
// position p (-1 in a Leaf) without comparing keys. Requires k present at p;
// a bucket reached with p < 0 becomes Empty, and a slot or position outside
// its array leaves that node unchanged. O(log32 n).
template <class K, class V>
HashMap<K, V> insertKeyExists(std::int64_t p, Hash h, const std::type_identity_t<K>& k,
                              std::type_identity_t<basis::Lazy<V>> x, const HashMap<K, V>& m) {
  return detail::insertKeyExistsWalk<K, V>(p, h, k, x, m);
}

// m without k, steered by its hash h and bucket position p, without comparing
// keys; collapses as `delete_` does. Requires k present at p; a slot or
// position outside its array leaves that node unchanged. O(log32 n).
template <class K, class V>
HashMap<K, V> deleteKeyExists(std::int64_t p, Hash h, const std::type_identity_t<K>& /*k*/, const HashMap<K, V>& m) {
  return detail::deleteKeyExistsWalk<K, V>(p, h, m);
}

// m with k inserted, replaced, removed or left alone as f (called at once
// with the stored value, or nothing) answers; m itself for an answer of
// nothing on an absent key or of the very stored value object. Hashes k once.
template <class K, class V, class F>
HashMap<K, V> alter(F&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  const LookupHit<V> found = lookupRecordCollision_raw(h, k, m);
  std::optional<basis::Lazy<V>> given;
  if (found) given = *found.value;
  return detail::decide<K, V>(found, detail::answer<V>(std::forward<F>(f)(std::move(given))), h, k, m);
}

// `alter` consulting f only for a present key: f(value) answers the new
// value or nothing (removal). m itself for an absent key.
template <class K, class V, class F>
HashMap<K, V> update(F&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  const LookupHit<V> found = lookupRecordCollision_raw(h, k, m);
  if (!found) return m;
  return detail::decide<K, V>(found, detail::answer<V>(std::forward<F>(f)(*found.value)), h, k, m);
}

// `alterF` with the lookup done first: f receives the stored value (or
// nothing) as a std::optional<basis::Lazy<V>>, and answers a functor value F
// of optional values; the result is that functor value mapped to maps. The
// functor is the answer's tag (basis::Functor). Hashes k once.
template <class K, class V, class Fn>
auto alterFEager(Fn&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  const LookupHit<V> found = lookupRecordCollision_raw(h, k, m);
  std::optional<basis::Lazy<V>> given;
  if (found) given = *found.value;
  const auto fa = std::forward<Fn>(f)(std::move(given));
  return basis::fmap([found, h, k, m](const auto& a) { return detail::decide<K, V>(found, detail::answer<V>(a), h, k, m); },
                     fa);
}

// `alterF`: as `alterFEager`, but the lookup is a deferred value
// (basis::Lazy<std::optional<basis::Lazy<V>>>, handed to f when f takes one)
// that runs only when f or an answer of nothing examines it; an answer of a
// value is stored with `insert'`, nothing with `delete'`.
template <class K, class V, class Fn>
auto alterF(Fn&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  using Found = std::optional<basis::Lazy<V>>;
  auto mv = basis::Lazy<Found>::defer([h, k, m]() -> Found { return lookup_<K, V>(h, k, m); });
  // f sees the lookup deferred when it takes a basis::Lazy; a function that
  // takes the optional value itself demands it, and gets it forced.
  const auto fa = [&] {
    if constexpr (std::is_invocable_v<Fn&, const basis::Lazy<Found>&>) {
      return f(mv);
    } else {
      return f(mv.force());
    }
  }();
  return basis::fmap(
      [mv, h, k, m](const auto& a) {
        std::optional<basis::Lazy<V>> ans = detail::answer<V>(a);
        if (!ans) {
          if (!mv.force()) return m;
          return delete_<K, V>(h, k, m);
        }
        return insert_<K, V>(h, k, std::move(*ans), m);
      },
      fa);
}

// `alterFEager` under the entry point that takes two probe values, which it
// neither evaluates nor uses.
template <class K, class V, class P1, class P2, class Fn>
auto alterFWeird(const P1& /*probe1*/, const P2& /*probe2*/, Fn&& f, const std::type_identity_t<K>& k,
                 const HashMap<K, V>& m) {
  return alterFEager<K, V>(std::forward<Fn>(f), k, m);
}

// The errors of the internal-error probes, built once.
const basis::ErrorCall& testBottomError();
const basis::ErrorCall& bogusError();

// A constant whose evaluation always raises "Data.HashMap.alterF internal
// error: hit test_bottom".
template <class A = basis::Unit>
const basis::Lazy<A>& test_bottom() {
  static const basis::Lazy<A> bottom = basis::Lazy<A>::defer([]() -> A { throw testBottomError(); });
  return bottom;
}

// `bogus#`: raises "Data.HashMap.alterF internal error: hit bogus#".
[[noreturn]] void bogus_raw();

}  // namespace hashgrove::internal
