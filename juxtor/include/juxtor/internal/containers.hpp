#pragma once
// Aligning sequences by position and ordered and integer maps by key.
//
// Sequences hold their elements evaluated: results are built during the call,
// f applied to every position. The maps keep every value they compute
// deferred (the caller's function runs when that value is demanded), never
// evaluate a kept element, and compare keys with `<` only; unaligning
// evaluates each value far enough to tell its side.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <basis/lazy.hpp>
#include <basis/map.hpp>
#include <basis/seq.hpp>
#include <basis/seq_interfaces.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

// ---------------------------------------------------------------------------
// Sequences.

template <>
struct Juxtor<basis::SeqTag> : JuxtorDefaults<basis::SeqTag> {
  // f(These) over the common length, then f(This) or f(That) over the longer
  // sequence's rest. O(max(lx, ly)).
  template <class Fn, class A, class B>
  static basis::Seq<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const basis::Seq<A>& xs, const basis::Seq<B>& ys) {
    using T = These<A, B>;
    std::vector<basis::Mapped<Fn, T>> out;
    out.reserve(std::max(xs.size(), ys.size()));
    auto i = xs.begin();
    auto j = ys.begin();
    for (; i != xs.end() && j != ys.end(); ++i, ++j) out.push_back(f(T::these(*i, *j)));
    for (; j != ys.end(); ++j) out.push_back(f(T::that(*j)));
    for (; i != xs.end(); ++i) out.push_back(f(T::this_(*i)));
    return basis::Seq<basis::Mapped<Fn, T>>::fromRange(out);
  }
};

template <>
struct Align<basis::SeqTag> {
  template <class A>
  static basis::Seq<A> nil() {
    return {};
  }
};

template <>
struct Zip<basis::SeqTag> : ZipDefaults<basis::SeqTag> {
  // f over the common length. O(min(lx, ly)).
  template <class Fn, class A, class B>
  static basis::Seq<basis::Mapped<Fn, A, B>> zipWith(Fn f, const basis::Seq<A>& xs, const basis::Seq<B>& ys) {
    std::vector<basis::Mapped<Fn, A, B>> out;
    out.reserve(std::min(xs.size(), ys.size()));
    // Two declarations: the iterators of Seq<A> and Seq<B> differ in type.
    auto i = xs.begin();
    auto j = ys.begin();
    for (; i != xs.end() && j != ys.end(); ++i, ++j) out.push_back(f(*i, *j));
    return basis::Seq<basis::Mapped<Fn, A, B>>::fromRange(out);
  }
};

template <>
struct Unzip<basis::SeqTag> : UnzipDefaults<basis::SeqTag> {
  // The components of f's pairs, f once per element. O(n).
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::Seq<C>& xs) {
    using P = basis::Mapped<Fn, C>;
    std::vector<typename P::first_type> as;
    std::vector<typename P::second_type> bs;
    for (const C& x : xs) {
      P p = f(x);
      as.push_back(std::move(p.first));
      bs.push_back(std::move(p.second));
    }
    return std::pair(basis::Seq<typename P::first_type>::fromRange(as),
                     basis::Seq<typename P::second_type>::fromRange(bs));
  }
};

// Positions counted from 0 in the aligned (or zipped) sequence.
template <>
struct JuxtorWithIndex<basis::SeqTag> : JuxtorWithIndexDefaults<basis::SeqTag> {};
template <>
struct ZipWithIndex<basis::SeqTag> : ZipWithIndexDefaults<basis::SeqTag> {};

// ---------------------------------------------------------------------------
// Ordered and integer maps.

namespace detail {

template <class K, class V, class Kind>
using KMap = basis::KeyedMap<K, V, Kind>;

// The merge of two maps in key order: onlyLeft(k, x), onlyRight(k, y),
// both(k, x, y) give the stored value of each key. O(n + m).
template <class W, class K, class A, class B, class Kind, class L, class R, class Both>
KMap<K, W, Kind> mergeMaps(const KMap<K, A, Kind>& m1, const KMap<K, B, Kind>& m2, L onlyLeft, R onlyRight, Both both) {
  typename KMap<K, W, Kind>::Store out;
  auto i = m1.begin();
  auto j = m2.begin();
  while (i != m1.end() || j != m2.end()) {
    if (j == m2.end() || (i != m1.end() && i->first < j->first)) {
      out.emplace_hint(out.end(), i->first, onlyLeft(i->first, i->second));
      ++i;
    } else if (i == m1.end() || j->first < i->first) {
      out.emplace_hint(out.end(), j->first, onlyRight(j->first, j->second));
      ++j;
    } else {
      out.emplace_hint(out.end(), i->first, both(i->first, i->second, j->second));
      ++i;
      ++j;
    }
  }
  return KMap<K, W, Kind>::fromStore(std::move(out));
}

// The keys in both maps with both(k, x, y). O(n + m).
template <class W, class K, class A, class B, class Kind, class Both>
KMap<K, W, Kind> intersectMaps(const KMap<K, A, Kind>& m1, const KMap<K, B, Kind>& m2, Both both) {
  typename KMap<K, W, Kind>::Store out;
  auto i = m1.begin();
  auto j = m2.begin();
  while (i != m1.end() && j != m2.end()) {
    if (i->first < j->first) {
      ++i;
    } else if (j->first < i->first) {
      ++j;
    } else {
      out.emplace_hint(out.end(), i->first, both(i->first, i->second, j->second));
      ++i;
      ++j;
    }
  }
  return KMap<K, W, Kind>::fromStore(std::move(out));
}

// The pairs for which pick(value) gives a value, that value stored.
template <class W, class K, class V, class Kind, class Pick>
KMap<K, W, Kind> pickValues(const KMap<K, V, Kind>& m, Pick pick) {
  typename KMap<K, W, Kind>::Store out;
  for (const auto& [k, v] : m) {
    std::optional<W> w = pick(v.force());
    if (w) out.emplace_hint(out.end(), k, basis::Lazy<W>(std::move(*w)));
  }
  return KMap<K, W, Kind>::fromStore(std::move(out));
}

template <class Tag, class K, class Kind>
struct KeyedJuxtor {
  template <class V>
  using M = KMap<K, V, Kind>;

  // Every key of either map with the deferred f(This x), f(That y) or
  // f(These x y).
  template <class Fn, class A, class B>
  static M<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const M<A>& m1, const M<B>& m2) {
    using T = These<A, B>;
    using R = basis::Mapped<Fn, T>;
    using basis::Lazy;
    auto fp = std::make_shared<Fn>(std::move(f));
    return mergeMaps<R>(
        m1, m2, [&fp](const K&, const Lazy<A>& x) { return Lazy<R>::defer([fp, x] { return R((*fp)(T::this_(x.force()))); }); },
        [&fp](const K&, const Lazy<B>& y) { return Lazy<R>::defer([fp, y] { return R((*fp)(T::that(y.force()))); }); },
        [&fp](const K&, const Lazy<A>& x, const Lazy<B>& y) {
          return Lazy<R>::defer([fp, x, y] { return R((*fp)(basis::applyForced(&T::these, x, y))); });
        });
  }
  template <class A, class B>
  static M<These<A, B>> align(const M<A>& m1, const M<B>& m2) {
    return alignWith(Id{}, m1, m2);
  }
};

template <class Tag, class K, class Kind>
struct KeyedUnalign {
  template <class V>
  using M = KMap<K, V, Kind>;
  // The left elements and the right elements; evaluates every value.
  template <class A, class B>
  static std::pair<M<A>, M<B>> unalign(const M<These<A, B>>& m) {
    return {pickValues<A>(m, [](const These<A, B>& t) { return basis::justHere(t); }),
            pickValues<B>(m, [](const These<A, B>& t) { return basis::justThere(t); })};
  }
  // unalign of the deferred values f(v); f once per value, shared.
  template <class Fn, class C>
  static auto unalignWith(Fn f, const M<C>& m) {
    return unalign(basis::Functor<Tag>::fmap(std::move(f), m));
  }
};

template <class Tag, class K, class Kind>
struct KeyedZip {
  template <class V>
  using M = KMap<K, V, Kind>;
  // The keys in both maps with the deferred f(x, y).
  template <class Fn, class A, class B>
  static M<basis::Mapped<Fn, A, B>> zipWith(Fn f, const M<A>& m1, const M<B>& m2) {
    using R = basis::Mapped<Fn, A, B>;
    using basis::Lazy;
    auto fp = std::make_shared<Fn>(std::move(f));
    return intersectMaps<R>(m1, m2, [&fp](const K&, const Lazy<A>& x, const Lazy<B>& y) {
      return Lazy<R>::defer([fp, x, y] { return R(basis::applyForced(*fp, x, y)); });
    });
  }
  template <class A, class B>
  static M<std::pair<A, B>> zip(const M<A>& m1, const M<B>& m2) {
    return zipWith(MakePair{}, m1, m2);
  }
  // The keys in both maps with the deferred f(k, x, y).
  template <class Fn, class A, class B>
  static auto izipWith(Fn f, const M<A>& m1, const M<B>& m2) {
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&, const A&, const B&>>;
    using basis::Lazy;
    auto fp = std::make_shared<Fn>(std::move(f));
    return intersectMaps<R>(m1, m2, [&fp](const K& k, const Lazy<A>& x, const Lazy<B>& y) {
      return Lazy<R>::defer([fp, k, x, y] { return R(basis::applyForced(*fp, k, x, y)); });
    });
  }
};

template <class Tag, class K, class Kind>
struct KeyedUnzip {
  template <class V>
  using M = KMap<K, V, Kind>;
  // Two maps of m's keys holding the deferred first and second components.
  template <class A, class B>
  static std::pair<M<A>, M<B>> unzip(const M<std::pair<A, B>>& m) {
    return {basis::Functor<Tag>::fmap(First{}, m), basis::Functor<Tag>::fmap(Second{}, m)};
  }
  // unzip of the deferred values f(v); f at most once per value.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const M<C>& m) {
    return unzip(basis::Functor<Tag>::fmap(std::move(f), m));
  }
};

template <class Tag, class K, class Kind>
struct KeyedIndexed {
  template <class V>
  using M = KMap<K, V, Kind>;
  // align, then each value v under k the deferred f(k, v).
  template <class Fn, class A, class B>
  static auto ialignWith(Fn f, const M<A>& m1, const M<B>& m2) {
    return basis::FunctorWithIndex<Tag>::imap(std::move(f), KeyedJuxtor<Tag, K, Kind>::align(m1, m2));
  }
};

}  // namespace detail

template <class K>
struct Juxtor<basis::MapOf<K>> : detail::KeyedJuxtor<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};
template <class K>
struct Align<basis::MapOf<K>> {
  template <class A>
  static basis::Map<K, A> nil() {
    return {};
  }
};
template <class K>
struct Unalign<basis::MapOf<K>> : detail::KeyedUnalign<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};
template <class K>
struct Zip<basis::MapOf<K>> : detail::KeyedZip<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};
template <class K>
struct Unzip<basis::MapOf<K>> : detail::KeyedUnzip<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};
template <class K>
struct JuxtorWithIndex<basis::MapOf<K>> : detail::KeyedIndexed<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};
template <class K>
struct ZipWithIndex<basis::MapOf<K>> : detail::KeyedZip<basis::MapOf<K>, K, basis::detail::OrderedKeys> {};

template <>
struct Juxtor<basis::IntMapTag> : detail::KeyedJuxtor<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};
template <>
struct Align<basis::IntMapTag> {
  template <class A>
  static basis::IntMap<A> nil() {
    return {};
  }
};
template <>
struct Unalign<basis::IntMapTag> : detail::KeyedUnalign<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};
template <>
struct Zip<basis::IntMapTag> : detail::KeyedZip<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};
template <>
struct Unzip<basis::IntMapTag> : detail::KeyedUnzip<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};
template <>
struct JuxtorWithIndex<basis::IntMapTag> : detail::KeyedIndexed<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};
template <>
struct ZipWithIndex<basis::IntMapTag> : detail::KeyedZip<basis::IntMapTag, std::int64_t, basis::detail::IntKeys> {};

}  // namespace juxtor
