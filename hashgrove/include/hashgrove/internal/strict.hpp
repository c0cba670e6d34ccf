#pragma once
// The value-strict operations: every value an operation stores is evaluated
// first (forced; the evaluated `basis::Lazy` handle is what is stored), so a
// map built only through them holds no deferred value. Evaluation is shallow:
// a value is computed, parts inside it stay as they are. Where a combining
// function meets a stored value, only the function's result is evaluated, not
// the new value handed to it.
//
// These are the lazy module's workers and walks instantiated with a
// value-forcing step: the union walk (union.hpp), the intersection walk
// (intersection.hpp), the difference walk (difference.hpp), the mapping,
// filter and traversal walks (map.hpp, filter.hpp, traverse.hpp), and the
// single-key workers. `adjust` and `insertWith` walk on their own: they
// rebuild every node on the key's path and never return a node they were
// given. Maps are the same `HashMap` type as the value-lazy module's.

#include <cstdint>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>

#include <basis/error.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal.hpp"

namespace hashgrove::internal::strict {

namespace detail {

using internal::detail::BranchFiller;
using internal::detail::BucketFiller;
using internal::detail::makeLeaf;
using internal::detail::tagOf;

// x evaluated: forced, the same handle kept. Throws what evaluating x throws.
template <class V>
basis::Lazy<V> evaluated(basis::Lazy<V> x) {
  x.force();
  return x;
}
// A function's result (a V or a basis::Lazy<V>) evaluated.
template <class V, class R>
basis::Lazy<V> evaluatedResult(R&& r) {
  return evaluated(basis::Lazy<V>(std::forward<R>(r)));
}

// A new bucket block (tag and word given): the pair whose key equals k (k
// first in `==`) replaced by (k, f(k, v, stored)) evaluated, or (k, v)
// appended with v evaluated. f runs, and its result is evaluated, before
// anything is allocated.
template <class K, class V, class F>
array::Block<L<K, V>>* updateOrSnocBlock(F& f, const K& k, const basis::Lazy<V>& v, const L<K, V>* pairs,
                                         std::int64_t n, std::uint8_t tag, std::uint64_t word) {
  const std::int64_t i = internal::detail::bucketIndexOf(k, pairs, n);
  if (i >= 0) {
    basis::Lazy<V> r = evaluatedResult<V>(f(k, v, pairs[i].value));
    return array::detail::updateAt(pairs, static_cast<std::size_t>(n), static_cast<std::size_t>(i),
                                   L<K, V>{k, std::move(r)}, tag, word);
  }
  basis::Lazy<V> x = evaluated(v);
  return array::detail::snocTo(pairs, static_cast<std::size_t>(n), L<K, V>{k, std::move(x)}, tag, word);
}

// A new bucket block with the pair whose key equals k holding (k, f(stored))
// evaluated, or null when no key equals k (f not called).
template <class K, class V, class F>
array::Block<L<K, V>>* updateWithBlock(F& f, const K& k, const L<K, V>* pairs, std::int64_t n, std::uint8_t tag,
                                       std::uint64_t word) {
  const std::int64_t i = internal::detail::bucketIndexOf(k, pairs, n);
  if (i < 0) return nullptr;
  basis::Lazy<V> r = evaluatedResult<V>(f(pairs[i].value));
  return array::detail::updateAt(pairs, static_cast<std::size_t>(n), static_cast<std::size_t>(i),
                                 L<K, V>{k, std::move(r)}, tag, word);
}

// The defensive errors of the value-strict union walk ("leafHashCode" and
// the walk's pattern-match failure), and the three alterF probes.
[[noreturn]] void throwUnionLeafHashCode();
[[noreturn]] void throwUnionPatternFailure();
const basis::ErrorCall& testBottomError();
const basis::ErrorCall& bogusError();
const basis::ErrorCall& impossibleAdjustError();

// The value-strict union step: combined values evaluated, appended pairs
// evaluated, no node carried by its fields.
template <class K, class V, class F>
struct UnionStep {
  static constexpr bool kCarriesByFields = false;
  static constexpr bool kKeepsLeftLeaf = false;
  basis::Lazy<V> combine(const K& k, const basis::Lazy<V>& x, const basis::Lazy<V>& y) {
    return evaluatedResult<V>(f(k, x, y));
  }
  template <class G>
  HashMap<K, V> updateOrSnoc(G& g, const K& k, const basis::Lazy<V>& v, const HashMap<K, V>& bucket) const {
    return HashMap<K, V>::adopt(strict::detail::updateOrSnocBlock<K, V>(g, k, v, bucket.bucket(), bucket.bucketSize(),
                                                        tagOf(Kind::Collision), bucket.nodeHash()));
  }
  [[noreturn]] void leafHashCodeError() const { throwUnionLeafHashCode(); }
  [[noreturn]] void patternFailure() const { throwUnionPatternFailure(); }
  F& f;
};

// The value-strict intersection step: f called at the match, its result
// evaluated.
template <class K, class V1, class V2, class R, class F>
struct IntersectionStep {
  static constexpr bool kKeepsFirst = false;
  basis::Lazy<R> value(const K& k, const basis::Lazy<V1>& x1, const basis::Lazy<V2>& x2) {
    return evaluatedResult<R>(f(k, x1, x2));
  }
  F& f;
};

// The value-strict difference step: kept values evaluated.
template <class V, class W, class F>
struct DifferenceStep {
  basis::Lazy<V> absent(const basis::Lazy<V>& x) const { return evaluated(x); }
  std::optional<basis::Lazy<V>> present(const basis::Lazy<V>& x, const basis::Lazy<W>& y) {
    auto r = f(x, y);
    const auto& option = internal::detail::settled(r);
    if (!option) return std::nullopt;
    return evaluatedResult<V>(*option);
  }
  F& f;
};

// An alteration's answer (an optional V or basis::Lazy<V>) with its value
// evaluated.
template <class V, class R>
std::optional<basis::Lazy<V>> evaluatedAnswer(R&& r) {
  std::optional<basis::Lazy<V>> a = internal::detail::answer<V>(std::forward<R>(r));
  if (a) a->force();
  return a;
}

template <class K, class V, class F>
HashMap<K, V> adjustWalk(Hash h, const K& k, F& f, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Leaf: {
      const L<K, V>& p = t.leaf();
      if (t.nodeHash() != h || !(p.key == k)) return t;
      return makeLeaf<K, V>(h, k, evaluatedResult<V>(f(p.value)));
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return internal::detail::descend<false>(
          h, s, t, [&](const HashMap<K, V>& c) { return strict::detail::adjustWalk(h, k, f, nextShift(s), c); },
          [&](auto&) { return t; });
    case Kind::Collision: {
      if (t.nodeHash() != h) return t;
      array::Block<L<K, V>>* changed =
          strict::detail::updateWithBlock<K, V>(f, k, t.bucket(), t.bucketSize(), tagOf(Kind::Collision), h);
      if (changed != nullptr) return HashMap<K, V>::adopt(changed);
      BucketFiller<K, V> copy(static_cast<std::size_t>(t.bucketSize()), tagOf(Kind::Collision), h);
      copy.copyFrom(t.bucket(), static_cast<std::size_t>(t.bucketSize()));
      return internal::detail::finish(copy);
    }
    case Kind::Empty:
      return t;
  }
  return t;
}

// The walk of `insertWith`: f(k, x, stored) for a present key, evaluated; x
// evaluated where it is stored as a new pair. Every node on the path is new.
template <class K, class V, class F>
HashMap<K, V> insertWithWalk(Hash h, const K& k, const basis::Lazy<V>& x, F& f, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return makeLeaf<K, V>(h, k, evaluated(x));
    case Kind::Leaf: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, evaluated(x), hy, t);
      const L<K, V>& p = t.leaf();
      if (p.key == k) return makeLeaf<K, V>(h, k, evaluatedResult<V>(f(k, x, p.value)));
      return collision(h, p, L<K, V>{k, evaluated(x)});
    }
    case Kind::BitmapIndexed:
    case Kind::Full:
      return internal::detail::descend<false>(
          h, s, t, [&](const HashMap<K, V>& c) { return strict::detail::insertWithWalk(h, k, x, f, nextShift(s), c); },
          [&](auto& grow) { return grow(makeLeaf<K, V>(h, k, evaluated(x))); });
    case Kind::Collision: {
      const Hash hy = t.nodeHash();
      if (hy != h) return two<K, V>(s, h, k, evaluated(x), hy, t);
      return HashMap<K, V>::adopt(
          strict::detail::updateOrSnocBlock<K, V>(f, k, x, t.bucket(), t.bucketSize(), tagOf(Kind::Collision), h));
    }
  }
  return t;
}

template <class F, class K, class V1, class V2>
using KeyedResult = internal::detail::KeyedResult<F, K, V1, V2>;
template <class F, class V1, class V2>
using PlainResult = internal::detail::PlainResult<F, V1, V2>;

}  // namespace detail

// ---------------------------------------------------------------------------
// Collision buckets

// `updateWith`: a bucket with the pair whose key equals k (k first) holding
// (k, f(stored value)) evaluated, f called at once; `a` itself when no key
// equals k (f not called). O(n); throws what f, forcing or `==` throws.
template <class K, class V, class F>
array::Array<L<K, V>> updateWith(F f, const std::type_identity_t<K>& k, const array::Array<L<K, V>>& a) {
  array::Block<L<K, V>>* b = strict::detail::updateWithBlock<K, V>(f, k, a.data(), a.size(), array::kPlainArrayTag, 0);
  if (b == nullptr) return a;
  return array::Array<L<K, V>>::adopt(b);
}

// A new bucket: the pair whose key equals k (k first) replaced at its
// position by (k, f(k, v, stored value)) evaluated, f called at once with v
// unevaluated; or (k, v) appended with v evaluated. O(n); throws what f,
// forcing or `==` throws. juxtor calls this with a Collision's pairs.
template <class K, class V, class F>
array::Array<L<K, V>> updateOrSnocWithKey(F f, const std::type_identity_t<K>& k,
                                          std::type_identity_t<basis::Lazy<V>> v, const array::Array<L<K, V>>& a) {
  return array::Array<L<K, V>>::adopt(
      strict::detail::updateOrSnocBlock<K, V>(f, k, v, a.data(), a.size(), array::kPlainArrayTag, 0));
}

// ---------------------------------------------------------------------------
// Single keys

// A map of one pair; v is evaluated first, then k hashed. Throws what
// evaluating v or hashing k throws.
template <class K, class X, class V = typename array::detail::ElementOf<std::remove_cvref_t<X>>::type>
HashMap<K, V> singleton(const K& k, X&& v) {
  basis::Lazy<V> x = detail::evaluated(basis::Lazy<V>(std::forward<X>(v)));
  return internal::singleton(k, std::move(x));
}

// m with k bound to v evaluated (m itself when k is in a Leaf with the very
// same value object). O(log32 n); throws what evaluating v, `hash` or `==`
// throws, before anything is built.
template <class K, class V>
HashMap<K, V> insert(const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                     const HashMap<K, V>& m) {
  basis::Lazy<V> x = detail::evaluated(std::move(v));
  return internal::insert<K, V>(k, std::move(x), m);
}

// `insert` of a map handed over by value (moved): v evaluated first, then the
// lazy insertion of a moved map, which writes in place into the nodes nothing
// else refers to, so that `m = insert(k, v, std::move(m))` copies no branch on
// the key's path; a map also held elsewhere is not changed. O(log32 n);
// throws what evaluating v (before m is taken over), `hash` or `==` throws.
template <class K, class V>
[[gnu::always_inline]] inline HashMap<K, V> insert(const std::type_identity_t<K>& k,
                                                   std::type_identity_t<basis::Lazy<V>> v, HashMap<K, V>&& m) {
  v.force();
  return internal::insert<K, V>(k, std::move(v), std::move(m));
}

// `alter` with f's answer evaluated before it is stored: m itself for an
// answer of nothing on an absent key or of the very stored value.
template <class K, class V, class F>
HashMap<K, V> alter(F&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return internal::alter<K, V>(
      [&f](std::optional<basis::Lazy<V>> given) { return detail::evaluatedAnswer<V>(f(std::move(given))); }, k, m);
}

// `update` with f's answer evaluated; m itself for an absent key (f not
// called).
template <class K, class V, class F>
HashMap<K, V> update(F&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return internal::update<K, V>([&f](const basis::Lazy<V>& v) { return detail::evaluatedAnswer<V>(f(v)); }, k, m);
}

// m with the value of a present k replaced by f(stored value), evaluated, and
// the caller's key stored. Every node the walk descends into is rebuilt, also
// when k is absent below it. O(log32 n); throws what f, forcing, `hash` or
// `==` throws.
template <class K, class V, class F>
HashMap<K, V> adjust(F f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return strict::detail::adjustWalk<K, V>(h, k, f, 0, m);
}

// m with v (evaluated) bound to an absent k, or k bound to f(v, stored value)
// evaluated (v handed to f unevaluated). Rebuilds every node on the path.
// O(log32 n); throws what f, forcing, `hash` or `==` throws.
template <class K, class V, class F>
HashMap<K, V> insertWith(F f, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                         const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  auto g = [&f](const K&, const basis::Lazy<V>& x, const basis::Lazy<V>& y) { return f(x, y); };
  return strict::detail::insertWithWalk<K, V>(h, k, v, g, 0, m);
}

// The in-place insertion of a map under construction (see `unsafeInsert`):
// an equal key's value becomes f(k, v, stored value), evaluated; otherwise
// (k, v) is stored with v evaluated. k is hashed, and an unevaluated v forced
// when k is absent, before m is touched: when `hash`, `==`, f or forcing
// throws, m keeps exactly its pairs.
template <class K, class V, class F>
HashMap<K, V> unsafeInsertWithKey(F&& f, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                                  HashMap<K, V>&& m) {
  const Hash h = internal::hash(k);
  // A new pair stores v itself, so v is evaluated first; an equal key hands
  // it to f unevaluated.
  if (!v.isEvaluated() && !lookupRecordCollision_raw<K, V>(h, k, m)) v.force();
  auto g = [&f](const K& key, const basis::Lazy<V>& x, const basis::Lazy<V>& old) {
    return detail::evaluatedResult<V>(f(key, x, old));
  };
  internal::detail::unsafeInsertInto<K, V>(m, h, k, v, g, 0);
  return std::move(m);
}
// The same for a map the caller keeps (its path is copied).
template <class K, class V, class F>
HashMap<K, V> unsafeInsertWithKey(F&& f, const std::type_identity_t<K>& k, std::type_identity_t<basis::Lazy<V>> v,
                                  const HashMap<K, V>& m) {
  return strict::unsafeInsertWithKey<K, V>(std::forward<F>(f), k, std::move(v), HashMap<K, V>(m));
}

// A map of the range's pairs, each value evaluated (also one a later pair
// replaces, in input order, each before its key is hashed); a repeated key
// keeps its last value. Laid out at once as the lazy `fromList` is: O(n) per
// trie level, 32 bytes of scratch per pair.
template <std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename internal::detail::PairTypes<P>::key,
          class V = typename internal::detail::PairTypes<P>::value>
HashMap<K, V> fromList(R&& pairs) {
  internal::detail::NoCombine none;
  return internal::detail::layOutPairs<K, V, true>(std::forward<R>(pairs), none);
}

// A map of the range's pairs; a repeated key holds f(key, later value,
// accumulated value), evaluated. For values a, b, c of one key: f(k, c,
// f(k, b, a)).
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename internal::detail::PairTypes<P>::key,
          class V = typename internal::detail::PairTypes<P>::value>
HashMap<K, V> fromListWithKey(F f, R&& pairs) {
  HashMap<K, V> m;
  for (auto&& p : pairs) {
    m = strict::unsafeInsertWithKey<K, V>(f, std::get<0>(p), basis::Lazy<V>(std::get<1>(p)), std::move(m));
  }
  return m;
}

// As `fromListWithKey` with f(later value, accumulated value).
template <class F, std::ranges::input_range R, class P = std::ranges::range_value_t<R>,
          class K = typename internal::detail::PairTypes<P>::key,
          class V = typename internal::detail::PairTypes<P>::value>
HashMap<K, V> fromListWith(F f, R&& pairs) {
  return strict::fromListWithKey([&f](const K&, const basis::Lazy<V>& x, const basis::Lazy<V>& y) { return f(x, y); },
                         std::forward<R>(pairs));
}

namespace detail {
// f with each optional value of its functor answer evaluated (mapped over
// the answer, so evaluated when the answer's functor applies the mapping).
// Takes what f takes, so that the lazy alterF hands it the lookup deferred
// exactly when f accepts that.
template <class V, class Fn>
auto evaluatingAnswers(Fn& f) {
  return [&f]<class A>(A&& given)
    requires std::is_invocable_v<Fn&, A>
  {
    return basis::fmap([](const auto& a) { return evaluatedAnswer<V>(a); }, f(std::forward<A>(given)));
  };
}
}  // namespace detail

// `alterFEager` with each answer evaluated before it is stored: the lookup is
// made at once; the result is f's functor value mapped to maps.
template <class K, class V, class Fn>
auto alterFEager(Fn&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return internal::alterFEager<K, V>(detail::evaluatingAnswers<V>(f), k, m);
}

// `alterF` with each answer evaluated before it is stored: the lookup is a
// deferred value that runs only when f or an answer of nothing examines it.
template <class K, class V, class Fn>
auto alterF(Fn&& f, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return internal::alterF<K, V>(detail::evaluatingAnswers<V>(f), k, m);
}

// `alterFEager` under the entry point that takes two probe values, which it
// neither evaluates nor uses.
template <class K, class V, class P1, class P2, class Fn>
auto alterFWeird(const P1& /*probe1*/, const P2& /*probe2*/, Fn&& f, const std::type_identity_t<K>& k,
                 const HashMap<K, V>& m) {
  return strict::alterFEager<K, V>(std::forward<Fn>(f), k, m);
}

// A constant whose evaluation raises "Data.HashMap.alterF internal error:
// hit test_bottom".
template <class A = basis::Unit>
const basis::Lazy<A>& test_bottom() {
  static const basis::Lazy<A> bottom = basis::Lazy<A>::defer([]() -> A { throw detail::testBottomError(); });
  return bottom;
}
// `bogus#`: raises "Data.HashMap.alterF internal error: hit bogus#".
[[noreturn]] void bogus_raw();
// A constant whose evaluation raises "Data.HashMap.alterF internal error:
// impossible adjust".
template <class A = basis::Unit>
const basis::Lazy<A>& impossibleAdjust() {
  static const basis::Lazy<A> bottom =
      basis::Lazy<A>::defer([]() -> A { throw detail::impossibleAdjustError(); });
  return bottom;
}

// ---------------------------------------------------------------------------
// Two maps

// The union; a key in both maps is bound to f(key, left value, right value),
// evaluated during the call (the left key is stored, but the right one where
// a left bucket meets a right leaf). Pairs of one map keep their values,
// except a pair appended to the other map's bucket, whose value is evaluated.
// Never hashes; shares the subtrees only one map has; an empty side gives the
// other map itself. Throws what f, forcing or `==` throws.
template <class K, class V, class F>
HashMap<K, V> unionWithKey(F f, const HashMap<K, V>& left, const HashMap<K, V>& right) {
  detail::UnionStep<K, V, F> step{f};
  return internal::detail::UnionWalk<K, V, decltype(step)>(step)(left, right);
}

// As `unionWithKey` with f(left value, right value).
template <class K, class V, class F>
HashMap<K, V> unionWith(F f, const HashMap<K, V>& left, const HashMap<K, V>& right) {
  auto g = [&f](const K&, const basis::Lazy<V>& x, const basis::Lazy<V>& y) { return f(x, y); };
  detail::UnionStep<K, V, decltype(g)> step{g};
  return internal::detail::UnionWalk<K, V, decltype(step)>(step)(left, right);
}

// The keys in both maps, each bound to f(key, first value, second value)
// evaluated during the call; every node of the result is new. Never hashes.
// Throws what f, forcing or `==` throws.
template <class K, class V1, class V2, class F, class R = detail::KeyedResult<F, K, V1, V2>>
HashMap<K, R> intersectionWithKey(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  detail::IntersectionStep<K, V1, V2, R, F> step{f};
  return internal::detail::intersectWith<K, V1, V2, R>(step, m1, m2);
}

// As `intersectionWithKey` with f(first value, second value).
template <class K, class V1, class V2, class F, class R = detail::PlainResult<F, V1, V2>>
HashMap<K, R> intersectionWith(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  auto g = [&f](const K&, const basis::Lazy<V1>& x1, const basis::Lazy<V2>& x2) { return f(x1, x2); };
  detail::IntersectionStep<K, V1, V2, R, decltype(g)> step{g};
  return internal::detail::intersectWith<K, V1, V2, R>(step, m1, m2);
}

// The pairs of a whose keys b lacks, values evaluated; a key in both kept
// with f(a's value, b's value) evaluated when f gives a value, dropped when
// it gives nothing. Built anew by in-place insertion; each surviving key
// hashed twice. Throws what f, forcing, `hash` or `==` throws.
template <class K, class V, class W, class F>
HashMap<K, V> differenceWith(F f, const HashMap<K, V>& a, const HashMap<K, W>& b) {
  detail::DifferenceStep<V, W, F> step{f};
  return internal::detail::differenceWalk(step, a, b);
}

// ---------------------------------------------------------------------------
// Whole-map walks

// The map with every value v replaced by f(v), evaluated during the call, in
// trie order; same shape, every node new. O(n); throws what f or forcing
// throws.
template <class F, class K, class V, class W = internal::detail::MapResult<F, basis::Lazy<V>>>
HashMap<K, W> map(F f, const HashMap<K, V>& m) {
  auto step = [&f](const L<K, V>& p) { return detail::evaluatedResult<W>(f(p.value)); };
  return mapWalk<W>(m, step);
}

// The map with every value v under key k replaced by f(k, v), evaluated.
template <class F, class K, class V, class W = internal::detail::MapResult<F, K, basis::Lazy<V>>>
HashMap<K, W> mapWithKey(F f, const HashMap<K, V>& m) {
  auto step = [&f](const L<K, V>& p) { return detail::evaluatedResult<W>(f(p.key, p.value)); };
  return mapWalk<W>(m, step);
}

// The pairs (k, v) for which f(k, v) gives a value w, bound to w evaluated;
// the trie compacted as the value-lazy `mapMaybeWithKey` does. O(n).
template <class F, class K, class V, class W = internal::detail::MaybeValue<F, K, basis::Lazy<V>>>
HashMap<K, W> mapMaybeWithKey(F f, const HashMap<K, V>& m) {
  struct Step {
    F& f;
    HashMap<K, W> leaf(const HashMap<K, V>& t) {
      const L<K, V>& x = t.leaf();
      auto res = f(x.key, x.value);
      const auto& r = internal::detail::settled(res);
      if (!r) return HashMap<K, W>();
      return detail::makeLeaf<K, W>(t.nodeHash(), x.key, detail::evaluatedResult<W>(*r));
    }
    std::optional<L<K, W>> pair(const L<K, V>& x) {
      auto res = f(x.key, x.value);
      const auto& r = internal::detail::settled(res);
      if (!r) return std::nullopt;
      return L<K, W>{x.key, detail::evaluatedResult<W>(*r)};
    }
  } step{f};
  return filterWalk<W>(m, step);
}

// As `mapMaybeWithKey` with f given the value only.
template <class F, class K, class V, class W = internal::detail::MaybeValue<F, basis::Lazy<V>>>
HashMap<K, W> mapMaybe(F f, const HashMap<K, V>& m) {
  return strict::mapMaybeWithKey([&f](const K&, const basis::Lazy<V>& v) { return f(v); }, m);
}

namespace detail {
// Stores a traversal's new value evaluated.
struct StoreEvaluated {
  template <class B>
  basis::Lazy<basis::lazy_value_t<B>> operator()(const B& b) const {
    return evaluated(basis::Lazy<basis::lazy_value_t<B>>(b));
  }
};
}  // namespace detail

// `traverseWithKey` with each new value evaluated when its Leaf or pair is
// built inside the applicative; the same shape, every node new.
template <class G, class K, class V>
auto traverseWithKey(G g, const HashMap<K, V>& m) {
  return traverseWalk(m, [g = std::move(g)](const L<K, V>& p) { return g(p.key, p.value); },
                      detail::StoreEvaluated{});
}

}  // namespace hashgrove::internal::strict
