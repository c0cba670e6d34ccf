#pragma once
// Folds: reducing a whole map to one result, walking the pairs in trie order.
//
// The caller's functions receive each value as stored (`const basis::Lazy<V>&`,
// which converts to `const V&` by forcing): no fold forces a value on its own
// account. The deferred folds (`foldr`, `foldrWithKey`, `foldl`,
// `foldlWithKey`) hand the caller a `basis::Lazy<A>` for the rest of the fold,
// created but not run: a function that never forces it ends the walk there,
// and no node after that point is visited. A rest holds the nodes it still
// has to walk, so it stays valid after the map is gone. The eager folds
// (`foldl_`, `foldr_`, `...WithKey_`) call the function once per pair and use
// no stack beyond the trie's depth.
//
// A fold's accumulator type A is that of its initial value z (a plain A or a
// `basis::Lazy<A>`); the caller's function may return an A or a Lazy<A>.

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/bifunctor.hpp>
#include <basis/foldable.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/semigroup.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The result of a caller's function as an A: a Lazy result is forced.
template <class A, class R>
A settle(R&& r) {
  if constexpr (basis::detail::IsLazy<std::remove_cvref_t<R>>::value) {
    return A(r.force());
  } else {
    return A(std::forward<R>(r));
  }
}
// An initial value as a Lazy<A>: a Lazy is shared, a value is held evaluated.
template <class A, class Z>
basis::Lazy<A> asLazy(Z&& z) {
  if constexpr (basis::detail::IsLazy<std::remove_cvref_t<Z>>::value) {
    return std::forward<Z>(z);
  } else {
    return basis::Lazy<A>(A(std::forward<Z>(z)));
  }
}
// An initial value as an A: a Lazy is forced.
template <class A, class Z>
A asValue(Z&& z) {
  return settle<A>(std::forward<Z>(z));
}

// --- deferred right fold: step(pair, rest) with rest the deferred remainder.

template <class A, class K, class V, class Step>
A foldrNode(const std::shared_ptr<Step>& step, const HashMap<K, V>& node, const basis::Lazy<A>& rest);

template <class A, class K, class V, class Step>
A foldrBucketFrom(const std::shared_ptr<Step>& step, const HashMap<K, V>& node, std::int64_t i,
                  const basis::Lazy<A>& rest) {
  const std::int64_t n = node.bucketSize();
  if (i >= n) return rest.force();
  if (i + 1 == n) return (*step)(node.bucket()[i], rest);
  return (*step)(node.bucket()[i], basis::Lazy<A>::defer([step, node, i, rest]() -> A {
                   return foldrBucketFrom<A>(step, node, i + 1, rest);
                 }));
}

template <class A, class K, class V, class Step>
A foldrChildrenFrom(const std::shared_ptr<Step>& step, const HashMap<K, V>& node, std::int64_t i,
                    const basis::Lazy<A>& rest) {
  const std::int64_t n = node.childCount();
  if (i >= n) return rest.force();
  if (i + 1 == n) return foldrNode<A>(step, node.child(i), rest);
  return foldrNode<A>(step, node.child(i), basis::Lazy<A>::defer([step, node, i, rest]() -> A {
                        return foldrChildrenFrom<A>(step, node, i + 1, rest);
                      }));
}

template <class A, class K, class V, class Step>
A foldrNode(const std::shared_ptr<Step>& step, const HashMap<K, V>& node, const basis::Lazy<A>& rest) {
  switch (node.kind()) {
    case Kind::Empty:
      return rest.force();
    case Kind::Leaf:
      return (*step)(node.leaf(), rest);
    case Kind::Collision:
      return foldrBucketFrom<A>(step, node, 0, rest);
    case Kind::BitmapIndexed:
    case Kind::Full:
      return foldrChildrenFrom<A>(step, node, 0, rest);
  }
  return rest.force();
}

// --- deferred left fold: step(acc, pair) with acc the deferred fold of what
// precedes the pair; the walk starts at the end of every array.

template <class A, class K, class V, class Step>
A foldlNode(const std::shared_ptr<Step>& step, const basis::Lazy<A>& acc, const HashMap<K, V>& node);

template <class A, class K, class V, class Step>
A foldlBucketUpTo(const std::shared_ptr<Step>& step, const basis::Lazy<A>& acc, const HashMap<K, V>& node,
                  std::int64_t i) {
  if (i < 0) return acc.force();
  if (i == 0) return (*step)(acc, node.bucket()[0]);
  return (*step)(basis::Lazy<A>::defer([step, acc, node, i]() -> A {
                   return foldlBucketUpTo<A>(step, acc, node, i - 1);
                 }),
                 node.bucket()[i]);
}

template <class A, class K, class V, class Step>
A foldlChildrenUpTo(const std::shared_ptr<Step>& step, const basis::Lazy<A>& acc, const HashMap<K, V>& node,
                    std::int64_t i) {
  if (i < 0) return acc.force();
  if (i == 0) return foldlNode<A>(step, acc, node.child(0));
  return foldlNode<A>(step,
                      basis::Lazy<A>::defer([step, acc, node, i]() -> A {
                        return foldlChildrenUpTo<A>(step, acc, node, i - 1);
                      }),
                      node.child(i));
}

template <class A, class K, class V, class Step>
A foldlNode(const std::shared_ptr<Step>& step, const basis::Lazy<A>& acc, const HashMap<K, V>& node) {
  switch (node.kind()) {
    case Kind::Empty:
      return acc.force();
    case Kind::Leaf:
      return (*step)(acc, node.leaf());
    case Kind::Collision:
      return foldlBucketUpTo<A>(step, acc, node, node.bucketSize() - 1);
    case Kind::BitmapIndexed:
    case Kind::Full:
      return foldlChildrenUpTo<A>(step, acc, node, node.childCount() - 1);
  }
  return acc.force();
}

// --- eager folds: acc = step(acc, pair) in trie order, or in reverse.

template <class A, class K, class V, class Step>
void foldlStrictNode(A& acc, const HashMap<K, V>& node, Step& step) {
  switch (node.kind()) {
    case Kind::Empty:
      return;
    case Kind::Leaf:
      acc = step(std::move(acc), node.leaf());
      return;
    case Kind::Collision: {
      const L<K, V>* p = node.bucket();
      for (std::int64_t i = 0, n = node.bucketSize(); i < n; ++i) acc = step(std::move(acc), p[i]);
      return;
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = 0, n = node.childCount(); i < n; ++i) foldlStrictNode(acc, c[i], step);
      return;
    }
  }
}

template <class A, class K, class V, class Step>
void foldrStrictNode(A& acc, const HashMap<K, V>& node, Step& step) {
  switch (node.kind()) {
    case Kind::Empty:
      return;
    case Kind::Leaf:
      acc = step(node.leaf(), std::move(acc));
      return;
    case Kind::Collision: {
      const L<K, V>* p = node.bucket();
      for (std::int64_t i = node.bucketSize() - 1; i >= 0; --i) acc = step(p[i], std::move(acc));
      return;
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = node.childCount() - 1; i >= 0; --i) foldrStrictNode(acc, c[i], step);
      return;
    }
  }
}

// --- monoid fold: per(pair) for every pair, combined by `mappend` nested to
// the right within every array (x0 <> (x1 <> x2)), no `mempty` after the
// last element. The per-pair results are computed in trie order.

template <class M, class Parts>
M combineFromRight(Parts& parts) {
  if (parts.empty()) return basis::mempty<M>();
  M acc = std::move(parts.back());
  for (std::size_t i = parts.size() - 1; i-- > 0;) acc = basis::mappend<M>(parts[i], acc);
  return acc;
}

template <class M, class K, class V, class Per>
M foldMapNode(const HashMap<K, V>& node, Per& per) {
  switch (node.kind()) {
    case Kind::Empty:
      break;
    case Kind::Leaf:
      return M(per(node.leaf()));
    case Kind::Collision: {
      std::vector<M> parts;
      parts.reserve(static_cast<std::size_t>(node.bucketSize()));
      const L<K, V>* p = node.bucket();
      for (std::int64_t i = 0, n = node.bucketSize(); i < n; ++i) parts.push_back(M(per(p[i])));
      return combineFromRight<M>(parts);
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      std::vector<M> parts;
      parts.reserve(static_cast<std::size_t>(node.childCount()));
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = 0, n = node.childCount(); i < n; ++i) parts.push_back(foldMapNode<M>(c[i], per));
      return combineFromRight<M>(parts);
    }
  }
  return basis::mempty<M>();
}

// The result type of a caller's function, a Lazy result standing for its value.
template <class F, class... Args>
using FoldResult = basis::lazy_value_t<std::invoke_result_t<F&, const Args&...>>;

}  // namespace detail

// ---------------------------------------------------------------------------
// Deferred folds

// `foldrWithKey`: f(k0, v0, rest) where rest is the deferred
// f(k1, v1, ...) and the last rest yields z. f is applied to the first pair
// at once; each later pair is reached only when f forces its rest. O(1) per
// pair reached (one deferred cell per position).
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldrWithKey(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::move(f)](const L<K, V>& p, const basis::Lazy<A>& rest) -> A {
    return detail::settle<A>(f(p.key, p.value, rest));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldrNode<A>(sp, m, detail::asLazy<A>(std::forward<Z>(z)));
}

// `foldr`: f(v0, rest) as `foldrWithKey` without the keys.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldr(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::move(f)](const L<K, V>& p, const basis::Lazy<A>& rest) -> A {
    return detail::settle<A>(f(p.value, rest));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldrNode<A>(sp, m, detail::asLazy<A>(std::forward<Z>(z)));
}

// `foldlWithKey`: f(acc, k_last, v_last) where acc is the deferred fold of
// the pairs before the last one in trie order: f is applied first to the
// last pair, the earlier ones only through the accumulator.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldlWithKey(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::move(f)](const basis::Lazy<A>& acc, const L<K, V>& p) -> A {
    return detail::settle<A>(f(acc, p.key, p.value));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldlNode<A>(sp, detail::asLazy<A>(std::forward<Z>(z)), m);
}

// `foldl`: f(acc, v) as `foldlWithKey` without the keys.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldl(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::move(f)](const basis::Lazy<A>& acc, const L<K, V>& p) -> A {
    return detail::settle<A>(f(acc, p.value));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldlNode<A>(sp, detail::asLazy<A>(std::forward<Z>(z)), m);
}

// ---------------------------------------------------------------------------
// Eager folds

// `foldlWithKey'`: acc = f(acc, k, v) for every pair in trie order, each
// result settled before the next call; z is evaluated first, also for an
// empty map. O(n), no allocation of its own.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldlWithKey_(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  A acc = detail::asValue<A>(std::forward<Z>(z));
  auto step = [&f](A a, const L<K, V>& p) -> A { return detail::settle<A>(f(std::move(a), p.key, p.value)); };
  detail::foldlStrictNode(acc, m, step);
  return acc;
}

// `foldl'`: acc = f(acc, v) for every value in trie order.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldl_(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  A acc = detail::asValue<A>(std::forward<Z>(z));
  auto step = [&f](A a, const L<K, V>& p) -> A { return detail::settle<A>(f(std::move(a), p.value)); };
  detail::foldlStrictNode(acc, m, step);
  return acc;
}

// `foldrWithKey'`: acc = f(k, v, acc) for every pair in REVERSE trie order
// (first call on the last pair, with z), each result settled before the next
// call. O(n).
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldrWithKey_(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  A acc = detail::asValue<A>(std::forward<Z>(z));
  auto step = [&f](const L<K, V>& p, A a) -> A { return detail::settle<A>(f(p.key, p.value, std::move(a))); };
  detail::foldrStrictNode(acc, m, step);
  return acc;
}

// `foldr'`: acc = f(v, acc) for every value in reverse trie order.
template <class F, class Z, class K, class V>
basis::lazy_value_t<Z> foldr_(F f, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  A acc = detail::asValue<A>(std::forward<Z>(z));
  auto step = [&f](const L<K, V>& p, A a) -> A { return detail::settle<A>(f(p.value, std::move(a))); };
  detail::foldrStrictNode(acc, m, step);
  return acc;
}

// ---------------------------------------------------------------------------
// Monoid folds

// `foldMapWithKey`: f(k, v) for every pair, combined by the result type's
// `basis::Monoid` nested to the right within each node (x0 <> (x1 <> x2)),
// `mempty` only for an empty map. f is called in trie order. O(n).
template <class F, class K, class V>
auto foldMapWithKey(F f, const HashMap<K, V>& m) {
  using M = detail::FoldResult<F, K, basis::Lazy<V>>;
  auto per = [&f](const L<K, V>& p) { return detail::settle<M>(f(p.key, p.value)); };
  return detail::foldMapNode<M>(m, per);
}

// ---------------------------------------------------------------------------
// Over keys and values together (the two-argument folding interface)

// `bifoldMap`: f(k) <> g(v) for every pair, combined as `foldMapWithKey`.
template <class F, class G, class K, class V>
auto bifoldMap(F f, G g, const HashMap<K, V>& m) {
  using M = detail::FoldResult<F, K>;
  auto per = [&f, &g](const L<K, V>& p) {
    return basis::mappend<M>(detail::settle<M>(f(p.key)), detail::settle<M>(g(p.value)));
  };
  return detail::foldMapNode<M>(m, per);
}

// `bifold`: k <> v for every pair (keys and values of one monoid type).
template <class K, class V>
K bifold(const HashMap<K, V>& m)
  requires std::is_same_v<K, V>
{
  auto per = [](const L<K, V>& p) { return basis::mappend<K>(p.key, p.value.force()); };
  return detail::foldMapNode<K>(m, per);
}

// `bifoldr`: f(k0, deferred g(v0, rest)) where rest is the deferred fold of
// the remaining pairs; the last rest yields z.
template <class F, class G, class Z, class K, class V>
basis::lazy_value_t<Z> bifoldr(F f, G g, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::move(f), g = std::make_shared<G>(std::move(g))](const L<K, V>& p,
                                                                        const basis::Lazy<A>& rest) -> A {
    basis::Lazy<V> v = p.value;
    return detail::settle<A>(
        f(p.key, basis::Lazy<A>::defer([g, v, rest]() -> A { return detail::settle<A>((*g)(v, rest)); })));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldrNode<A>(sp, m, detail::asLazy<A>(std::forward<Z>(z)));
}

// `bifoldl`: g(deferred f(acc, k), v) at each pair, built from the last pair
// as `foldl`.
template <class F, class G, class Z, class K, class V>
basis::lazy_value_t<Z> bifoldl(F f, G g, Z&& z, const HashMap<K, V>& m) {
  using A = basis::lazy_value_t<Z>;
  auto step = [f = std::make_shared<F>(std::move(f)), g = std::move(g)](const basis::Lazy<A>& acc,
                                                                        const L<K, V>& p) -> A {
    K k = p.key;
    return detail::settle<A>(
        g(basis::Lazy<A>::defer([f, acc, k]() -> A { return detail::settle<A>((*f)(acc, k)); }), p.value));
  };
  auto sp = std::make_shared<decltype(step)>(std::move(step));
  return detail::foldlNode<A>(sp, detail::asLazy<A>(std::forward<Z>(z)), m);
}

}  // namespace hashgrove::internal

// ---------------------------------------------------------------------------
// Foldable of HashMap K: the values, in trie order.

template <class K>
struct basis::Foldable<hashgrove::HashMapOf<K>> : basis::FoldableDefaults<hashgrove::HashMapOf<K>> {
  template <class Fn, class Z, class V>
  static basis::lazy_value_t<Z> foldr(Fn f, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::foldr(std::move(f), std::forward<Z>(z), m);
  }
  template <class Fn, class Z, class V>
  static basis::lazy_value_t<Z> foldl(Fn f, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::foldl(std::move(f), std::forward<Z>(z), m);
  }
  template <class Fn, class Z, class V>
  static basis::lazy_value_t<Z> foldr_(Fn f, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::foldr_(std::move(f), std::forward<Z>(z), m);
  }
  template <class Fn, class Z, class V>
  static basis::lazy_value_t<Z> foldl_(Fn f, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::foldl_(std::move(f), std::forward<Z>(z), m);
  }
  // f(v) for every value, combined by mappend nested to the right per node.
  template <class Fn, class V>
  static auto foldMap(Fn f, const hashgrove::internal::HashMap<K, V>& m) {
    using M = hashgrove::internal::detail::FoldResult<Fn, basis::Lazy<V>>;
    auto per = [&f](const hashgrove::internal::L<K, V>& p) {
      return hashgrove::internal::detail::settle<M>(f(p.value));
    };
    return hashgrove::internal::detail::foldMapNode<M>(m, per);
  }
  // The values themselves, combined as foldMap.
  template <class V>
  static V fold(const hashgrove::internal::HashMap<K, V>& m) {
    auto per = [](const hashgrove::internal::L<K, V>& p) { return p.value.force(); };
    return hashgrove::internal::detail::foldMapNode<V>(m, per);
  }
  // The values in trie order as stored, produced on demand (as `elems`).
  template <class V>
  static auto toList(const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::elems(m);
  }
  // True exactly for the empty map. O(1).
  template <class V>
  static bool null(const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::null(m);
  }
  // The number of pairs. O(n).
  template <class V>
  static std::int64_t length(const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::size(m);
  }
  // Whether x == v for some value (x on the left), stopping at the first.
  template <class X, class V>
  static bool elem(const X& x, const hashgrove::internal::HashMap<K, V>& m) {
    for (const auto& v : hashgrove::internal::elems(m))
      if (x == v.force()) return true;
    return false;
  }
};

// Bifoldable of HashMap: keys (first) and values (second, as stored), pair by
// pair in trie order.
template <>
struct basis::Bifoldable<hashgrove::HashMapTag> : basis::BifoldableDefaults<hashgrove::HashMapTag> {
  template <class Fn, class Gn, class Z, class K, class V>
  static basis::lazy_value_t<Z> bifoldr(Fn f, Gn g, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::bifoldr(std::move(f), std::move(g), std::forward<Z>(z), m);
  }
  template <class Fn, class Gn, class Z, class K, class V>
  static basis::lazy_value_t<Z> bifoldl(Fn f, Gn g, Z&& z, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::bifoldl(std::move(f), std::move(g), std::forward<Z>(z), m);
  }
  template <class Fn, class Gn, class K, class V>
  static auto bifoldMap(Fn f, Gn g, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::bifoldMap(std::move(f), std::move(g), m);
  }
  template <class K>
  static K bifold(const hashgrove::internal::HashMap<K, K>& m) {
    return hashgrove::internal::bifold(m);
  }
};
