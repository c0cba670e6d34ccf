#pragma once
// Aligning and zipping hash maps key by key, on hashgrove's trie nodes.
//
// Aligning rebuilds each map once with its values wrapped (That on the right,
// This on the left) by hashgrove's mapping walk, then unites the two rebuilt
// tries with hashgrove's union walk, whose combining step turns a This and a
// That of one key into These. Subtrees only one map has are shared from its
// rebuilt trie; collision buckets merge through hashgrove's bucket updates.
// Zipping is hashgrove's value-strict intersection; unaligning its
// value-strict partial mapping; unzipping its value mapping. No operation
// hashes a key: everything works on the hashes stored in the nodes and
// compares keys with `==` only where those are equal.
//
// Aligning evaluates no value of either map: a wrapped value whose element is
// already evaluated is built at once, any other is a deferred These, built
// (and its elements evaluated) when it is demanded. The index of the indexed
// forms is the key.

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include <basis/functor_with_index.hpp>
#include <basis/lazy.hpp>

#include <hashgrove/internal/map.hpp>
#include <hashgrove/internal/strict.hpp>
#include <hashgrove/internal/union.hpp>

#include "juxtor/internal/classes.hpp"
#include "juxtor/internal/errors.hpp"

// The keyed mapping of hash maps (index: the key): `mapWithKey`, values deferred.
template <class K>
struct basis::FunctorWithIndex<hashgrove::HashMapOf<K>> {
  using Index = K;
  template <class Fn, class V>
  static auto imap(Fn f, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::mapWithKey(
        [f = std::move(f)](const K& k, const basis::Lazy<V>& v) { return f(k, v.force()); }, m);
  }
};

namespace juxtor {

namespace detail {

namespace hg = hashgrove::internal;

// side(x) stored for the stored value x: at once when x is evaluated,
// deferred otherwise.
template <class T, class X, class Side>
basis::Lazy<T> wrapStored(const basis::Lazy<X>& x, Side side) {
  if (const X* v = x.peek()) return basis::Lazy<T>(side(*v));
  return basis::Lazy<T>::defer([x, side] { return side(x.force()); });
}

// `mergeThisThat`: These a b from This a and That b; any other pair raises
// "Data.Align: internal error: Align HashMap: merge".
template <class A, class B>
These<A, B> mergeThisThat(const These<A, B>& x, const These<A, B>& y) {
  if (!x.isThis() || !y.isThat()) throwAlignHashMapMerge();
  return These<A, B>::these(*x.herePtr(), *y.therePtr());
}

// The union step of an alignment: a key in both maps gets the merge of its
// left This and right That, at once when both are evaluated, else deferred.
// Nothing is evaluated; buckets update through hashgrove's bucket workers.
template <class K, class A, class B>
struct AlignUnionStep : hg::detail::LazyUnionStepBase<K, These<A, B>> {
  using T = These<A, B>;
  static constexpr bool kCarriesByFields = false;
  static constexpr bool kKeepsLeftLeaf = false;
  basis::Lazy<T> combine(const K&, const basis::Lazy<T>& x, const basis::Lazy<T>& y) const {
    const T* l = x.peek();
    const T* r = y.peek();
    if (l != nullptr && r != nullptr) return basis::Lazy<T>(mergeThisThat(*l, *r));
    return basis::Lazy<T>::defer([x, y] { return basis::applyForced(mergeThisThat<A, B>, x, y); });
  }
};

// The elements of a stored value, forced, handed to f.
template <class Fn>
struct Forcing {
  Fn f;
  template <class... X>
  auto operator()(const X&... x) const {
    return f(basis::forced(x)...);
  }
};
template <class Fn>
Forcing<Fn> forcing(Fn f) {
  return {std::move(f)};
}

}  // namespace detail

template <class K>
struct Juxtor<hashgrove::HashMapOf<K>> {
  // Every key of either map with This a, That b or These a b. Evaluates no
  // value; O(n + m) for the two rebuilds plus the union of the overlap.
  template <class A, class B>
  static hashgrove::internal::HashMap<K, These<A, B>> align(const hashgrove::internal::HashMap<K, A>& m1,
                                                            const hashgrove::internal::HashMap<K, B>& m2) {
    using T = These<A, B>;
    namespace hg = hashgrove::internal;
    auto thatStep = [](const hg::L<K, B>& p) { return detail::wrapStored<T>(p.value, [](const B& b) { return T::that(b); }); };
    auto thisStep = [](const hg::L<K, A>& p) { return detail::wrapStored<T>(p.value, [](const A& a) { return T::this_(a); }); };
    hg::HashMap<K, T> right = hg::mapWalk<T>(m2, thatStep);
    hg::HashMap<K, T> left = hg::mapWalk<T>(m1, thisStep);
    detail::AlignUnionStep<K, A, B> step;
    return hg::detail::UnionWalk<K, T, decltype(step)>(step)(left, right);
  }
  // align, then each value v the deferred f(v).
  template <class Fn, class A, class B>
  static auto alignWith(Fn f, const hashgrove::internal::HashMap<K, A>& m1, const hashgrove::internal::HashMap<K, B>& m2) {
    return hashgrove::internal::map(detail::forcing(std::move(f)), align(m1, m2));
  }
};

template <class K>
struct Align<hashgrove::HashMapOf<K>> {
  // The shared empty map.
  template <class A>
  static hashgrove::internal::HashMap<K, A> nil() {
    return {};
  }
};

template <class K>
struct Unalign<hashgrove::HashMapOf<K>> {
  // The left elements and the right elements, each side a value-strict
  // partial mapping (keys without an element of that side dropped, branches
  // compacted). Evaluates every value far enough to tell its side.
  template <class A, class B>
  static auto unalign(const hashgrove::internal::HashMap<K, These<A, B>>& m) {
    namespace st = hashgrove::internal::strict;
    using T = These<A, B>;
    return std::pair(st::mapMaybe([](const basis::Lazy<T>& t) { return basis::justHere(t.force()); }, m),
                     st::mapMaybe([](const basis::Lazy<T>& t) { return basis::justThere(t.force()); }, m));
  }
  // unalign of the deferred values f(v); f runs once per value, shared by
  // both sides.
  template <class Fn, class C>
  static auto unalignWith(Fn f, const hashgrove::internal::HashMap<K, C>& m) {
    return unalign(hashgrove::internal::map(detail::forcing(std::move(f)), m));
  }
};

template <class K>
struct Zip<hashgrove::HashMapOf<K>> {
  // The keys in both maps with the pair of their values (evaluated).
  template <class A, class B>
  static auto zip(const hashgrove::internal::HashMap<K, A>& m1, const hashgrove::internal::HashMap<K, B>& m2) {
    return hashgrove::internal::strict::intersectionWith(detail::forcing(detail::MakePair{}), m1, m2);
  }
  // The keys in both maps with f(a, b), evaluated during the call.
  template <class Fn, class A, class B>
  static auto zipWith(Fn f, const hashgrove::internal::HashMap<K, A>& m1, const hashgrove::internal::HashMap<K, B>& m2) {
    return hashgrove::internal::strict::intersectionWith(detail::forcing(std::move(f)), m1, m2);
  }
};

template <class K>
struct Unzip<hashgrove::HashMapOf<K>> {
  // The maps of first and of second components, each value a deferred
  // selection; no value is evaluated.
  template <class A, class B>
  static auto unzip(const hashgrove::internal::HashMap<K, std::pair<A, B>>& m) {
    return std::pair(hashgrove::internal::map(detail::forcing(detail::First{}), m),
                     hashgrove::internal::map(detail::forcing(detail::Second{}), m));
  }
  // unzip of the deferred values f(v); f runs at most once per value.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const hashgrove::internal::HashMap<K, C>& m) {
    return unzip(hashgrove::internal::map(detail::forcing(std::move(f)), m));
  }
};

template <class K>
struct JuxtorWithIndex<hashgrove::HashMapOf<K>> {
  // align, then each value v under key k the deferred f(k, v).
  template <class Fn, class A, class B>
  static auto ialignWith(Fn f, const hashgrove::internal::HashMap<K, A>& m1,
                         const hashgrove::internal::HashMap<K, B>& m2) {
    return hashgrove::internal::mapWithKey(detail::forcing(std::move(f)), Juxtor<hashgrove::HashMapOf<K>>::align(m1, m2));
  }
};

template <class K>
struct ZipWithIndex<hashgrove::HashMapOf<K>> {
  // The keys in both maps with f(k, a, b), evaluated during the call.
  template <class Fn, class A, class B>
  static auto izipWith(Fn f, const hashgrove::internal::HashMap<K, A>& m1,
                       const hashgrove::internal::HashMap<K, B>& m2) {
    return hashgrove::internal::strict::intersectionWithKey(detail::forcing(std::move(f)), m1, m2);
  }
};

}  // namespace juxtor
