#pragma once
// Intersection of two maps: one walk over both tries together
// (`IntersectionWalk`), instantiated with what a key found in both maps
// stores.
//
// The walk never hashes: a Leaf of one map is looked up in the other map's
// subtree by its stored hash, a bucket is carried down the other map's
// branches by its hash, and two branches intersect child by child. The
// result is a new trie: every branch and bucket is built afresh (the
// left-biased `intersection` alone reuses the first map's Leaf nodes and
// pairs). Keys in the result are key objects of the inputs; the searched key
// is always the first operand of `==`.
//
// A match step provides
//
//   static constexpr bool kKeepsFirst;  // store the first map's value, reusing
//       its Leaf nodes and pairs (then R is the first map's value type)
//   basis::Lazy<R> value(const K& k, const basis::Lazy<V1>& x1,
//                        const basis::Lazy<V2>& x2);  // called at each match

#include <algorithm>
#include <bit>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/lazy.hpp>

#include "hashgrove/internal/array.hpp"
#include "hashgrove/internal/node.hpp"
#include "hashgrove/internal/subtree_lookup.hpp"

namespace hashgrove::internal {

namespace detail {

// Finishes a branch filled with fewer children than allocated: cut down in
// place to the children written, with bitmap b (Full when b == fullBitmap).
template <class K, class V>
HashMap<K, V> finishShrunkBranch(BranchFiller<K, V>& f, Bitmap b) {
  auto* block = f.block();
  block->length = f.filled();
  block->word = b;
  block->tag = tagOf(b == fullBitmap ? Kind::Full : Kind::BitmapIndexed);
  return finish(f);
}
// The same for a bucket: cut down to the pairs written.
template <class K, class V>
HashMap<K, V> finishShrunkBucket(BucketFiller<K, V>& f) {
  f.block()->length = f.filled();
  return finish(f);
}

template <class K, class V1, class V2, class R, class Match>
class IntersectionWalk {
 public:
  using Map1 = HashMap<K, V1>;
  using Map2 = HashMap<K, V2>;
  using Out = HashMap<K, R>;

  explicit IntersectionWalk(Match& match) : match_(match) {}

  Out operator()(const Map1& m1, const Map2& m2) { return go(0, m1, m2); }

 private:
  Out go(Shift s, const Map1& t1, const Map2& t2) {
    if (t2.kind() == Kind::Empty || t1.kind() == Kind::Empty) return Out();
    if (t1.kind() == Kind::Leaf) {
      const L<K, V1>& p1 = t1.leaf();
      const basis::Lazy<V2>* x2 = lookupInSubtree(t1.nodeHash(), p1.key, t2, s);
      if (x2 == nullptr) return Out();
      if constexpr (Match::kKeepsFirst) {
        return t1;
      } else {
        return makeLeaf<K, R>(t1.nodeHash(), p1.key, match_.value(p1.key, p1.value, *x2));
      }
    }
    if (t2.kind() == Kind::Leaf) {
      // The second map's key is stored, with the first map's value found.
      const L<K, V2>& p2 = t2.leaf();
      const basis::Lazy<V1>* x1 = lookupInSubtree(t2.nodeHash(), p2.key, t1, s);
      if (x1 == nullptr) return Out();
      return makeLeaf<K, R>(t2.nodeHash(), p2.key, match_.value(p2.key, *x1, p2.value));
    }
    if (t1.kind() == Kind::Collision) {
      const Hash h1 = t1.nodeHash();
      if (t2.kind() == Kind::Collision) return t2.nodeHash() == h1 ? buckets(h1, t1, t2) : Out();
      const Bitmap b2 = bitmapOf(t2);
      const Bitmap m = mask(h1, s);
      if ((b2 & m) == 0) return Out();
      return go(nextShift(s), t1, t2.children()[sparseIndex(b2, m)]);
    }
    const Bitmap b1 = bitmapOf(t1);
    if (t2.kind() == Kind::Collision) {
      const Bitmap m = mask(t2.nodeHash(), s);
      if ((b1 & m) == 0) return Out();
      return go(nextShift(s), t1.children()[sparseIndex(b1, m)], t2);
    }
    return childArrays(s, b1, t1.children(), bitmapOf(t2), t2.children());
  }

  template <class V>
  static Bitmap bitmapOf(const HashMap<K, V>& branch) noexcept {
    return branch.kind() == Kind::Full ? fullBitmap : branch.bitmap();
  }

  // Two branches: their common children intersected in slot order, written
  // straight into one array of the common size, cut down at the end. A lone
  // surviving Leaf or Collision replaces the branch.
  Out childArrays(Shift s, Bitmap b1, const Map1* a1, Bitmap b2, const Map2* a2) {
    const Bitmap common = b1 & b2;
    if (common == 0) return Out();
    auto out = fillBranch<K, R>(static_cast<std::size_t>(std::popcount(common)), common);
    Bitmap kept = common;
    for (Bitmap pending = common; pending != 0;) {
      const Bitmap m = Bitmap{1} << std::countr_zero(pending);
      Out r = go(nextShift(s), a1[sparseIndex(b1, m)], a2[sparseIndex(b2, m)]);
      if (r.kind() == Kind::Empty) {
        kept &= ~m;
      } else {
        out.emplace(std::move(r));
      }
      pending &= ~m;
    }
    const std::uint32_t n = out.filled();
    if (n == 0) return Out();
    if (n == 1 && isLeafOrCollision(out.block()->slots()[0])) return out.block()->slots()[0];
    return finishShrunkBranch(out, kept);
  }

  // Two buckets of hash h: the first bucket's pairs whose keys the second
  // holds, in the first bucket's order. Each pair of the second bucket is
  // matched at most once: a matched pair's place in the search window takes
  // the window's first pair, and the window shrinks by one.
  Out buckets(Hash h, const Map1& t1, const Map2& t2) {
    const L<K, V1>* first = t1.bucket();
    const L<K, V2>* second = t2.bucket();
    const auto n1 = static_cast<std::size_t>(t1.bucketSize());
    const auto n2 = static_cast<std::size_t>(t2.bucketSize());
    std::vector<std::uint32_t> window(n2);
    for (std::size_t p = 0; p < n2; ++p) window[p] = static_cast<std::uint32_t>(p);
    BucketFiller<K, R> out(std::min(n1, n2), tagOf(Kind::Collision), h);
    std::size_t j = 0;
    for (std::size_t i = 0; i < n1 && j < n2; ++i) {
      const L<K, V1>& p1 = first[i];
      for (std::size_t p = j; p < n2; ++p) {
        const L<K, V2>& p2 = second[window[p]];
        if (!(p1.key == p2.key)) continue;
        window[p] = window[j];
        if constexpr (Match::kKeepsFirst) {
          out.emplace(p1);
        } else {
          out.emplace(L<K, R>{p1.key, match_.value(p1.key, p1.value, p2.value)});
        }
        ++j;
        break;
      }
    }
    if (j == 0) return Out();
    if (j == 1) {
      const L<K, R>& only = out.block()->slots()[0];
      return makeLeaf<K, R>(h, only.key, only.value);
    }
    return finishShrunkBucket(out);
  }

  Match& match_;
};

template <class K, class V1, class V2, class R, class Match>
HashMap<K, R> intersectWith(Match& match, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  return IntersectionWalk<K, V1, V2, R, Match>(match)(m1, m2);
}

// The first map's value, its Leaf nodes and its pairs.
template <class K, class V1, class V2>
struct KeepFirstMatch {
  static constexpr bool kKeepsFirst = true;
  basis::Lazy<V1> value(const K&, const basis::Lazy<V1>& x1, const basis::Lazy<V2>&) const { return x1; }
};

// f(k, x1, x2) called at the match, its result stored as returned.
template <class K, class V1, class V2, class R, class F>
struct CalledMatch {
  static constexpr bool kKeepsFirst = false;
  basis::Lazy<R> value(const K& k, const basis::Lazy<V1>& x1, const basis::Lazy<V2>& x2) {
    return basis::Lazy<R>(f(k, x1, x2));
  }
  F& f;
};

// The deferred application f(k, x1, x2), run when the value is first needed.
template <class K, class V1, class V2, class R, class F>
struct DeferredMatch {
  static constexpr bool kKeepsFirst = false;
  basis::Lazy<R> value(const K& k, const basis::Lazy<V1>& x1, const basis::Lazy<V2>& x2) const {
    return basis::Lazy<R>::defer([f = f, k, x1, x2]() mutable { return f(k, x1, x2); });
  }
  F f;
};

// The value type that f(key, first value, second value) yields, a returned
// basis::Lazy<R> counting as R.
template <class F, class K, class V1, class V2>
using KeyedResult = typename array::detail::ElementOf<
    std::remove_cvref_t<std::invoke_result_t<F&, const K&, const basis::Lazy<V1>&, const basis::Lazy<V2>&>>>::type;
template <class F, class V1, class V2>
using PlainResult = typename array::detail::ElementOf<
    std::remove_cvref_t<std::invoke_result_t<F&, const basis::Lazy<V1>&, const basis::Lazy<V2>&>>>::type;

}  // namespace detail

// The pairs of m1 whose keys m2 also holds, with m1's keys and values (m1's
// own Leaf nodes where a Leaf of m1 is found; where a Leaf of m2 is found in a
// larger subtree of m1, m2's key with m1's value). Never hashes; every branch
// is new. O(n + m) at most; throws what `==` throws.
template <class K, class V1, class V2>
HashMap<K, V1> intersection(const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  detail::KeepFirstMatch<K, V1, V2> match;
  return detail::intersectWith<K, V1, V2, V1>(match, m1, m2);
}

// `intersectionWithKey#`: the keys in both maps, each bound to f(key, first
// value, second value) as f returns it (a V or a basis::Lazy<V>); f is called
// during the intersection, in the order the walk meets the keys. Throws what
// f or `==` throws.
template <class K, class V1, class V2, class F, class R = detail::KeyedResult<F, K, V1, V2>>
HashMap<K, R> intersectionWithKey_raw(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  detail::CalledMatch<K, V1, V2, R, F> match{f};
  return detail::intersectWith<K, V1, V2, R>(match, m1, m2);
}

// The keys in both maps, each bound to the deferred f(key, first value, second
// value), run when the value is first needed. Throws what `==` throws.
template <class K, class V1, class V2, class F, class R = detail::KeyedResult<F, K, V1, V2>>
HashMap<K, R> intersectionWithKey(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  detail::DeferredMatch<K, V1, V2, R, F> match{std::move(f)};
  return detail::intersectWith<K, V1, V2, R>(match, m1, m2);
}

// The keys in both maps, each bound to the deferred f(first value, second
// value). Throws what `==` throws.
template <class K, class V1, class V2, class F, class R = detail::PlainResult<F, V1, V2>>
HashMap<K, R> intersectionWith(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  auto g = [f = std::move(f)](const K&, const basis::Lazy<V1>& x1, const basis::Lazy<V2>& x2) mutable {
    return f(x1, x2);
  };
  detail::DeferredMatch<K, V1, V2, R, decltype(g)> match{std::move(g)};
  return detail::intersectWith<K, V1, V2, R>(match, m1, m2);
}

}  // namespace hashgrove::internal
