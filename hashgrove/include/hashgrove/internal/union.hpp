#pragma once
// Union of two maps: one walk over both tries side by side, written once and
// instantiated with a combining step (`UnionWalk<K, V, Step>`).
//
// The walk never hashes: it reads the hashes stored in Leaf and Collision
// nodes and compares keys only where two of them are equal. Subtrees that
// only one map has are shared; every branch where the maps overlap is new
// (there is no identity shortcut). Recursion is bounded by the trie depth.
//
// A step says what happens where two pairs of one hash meet. It provides
//
//   static constexpr bool kCarriesByFields;  // a leaf-like node that meets a
//       Full node travels down as its fields: where it is placed unchanged, a
//       copy of it is placed (the value-lazy unions do this)
//   static constexpr bool kKeepsLeftLeaf;    // two Leaf nodes of equal keys
//       give the left node itself (unless it travels as its fields)
//   basis::Lazy<V> combine(const K& k, const basis::Lazy<V>& left,
//                          const basis::Lazy<V>& right);  // the stored value
//   Bucket updateOrSnoc(F& f, const K& k, const basis::Lazy<V>& v,
//                       const HashMap<K, V>& bucket);     // a Collision node:
//       the pair whose key equals k (k first) replaced by (k, f(k, v, stored)),
//       or (k, v) appended
//   [[noreturn]] void leafHashCodeError() const;   // unreachable paths
//   [[noreturn]] void patternFailure() const;
//
// The value-lazy unions (unionWithKey, unionWith, union_) live here; the
// value-strict ones in hashgrove/internal/strict.hpp. juxtor's aligning union
// builds its step on the value-lazy one (LazyUnionStepBase: its bucket update
// and errors) with a combining function of its own.

#include <bit>
#include <concepts>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/error.hpp>
#include <basis/lazy.hpp>
#include <basis/semigroup.hpp>

#include "hashgrove/internal/array.hpp"
#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The defensive errors of the value-lazy union walk: "leafHashCode" with its
// raising site, and the walk's pattern-match failure. Never reached from a
// valid map.
[[noreturn]] void throwUnionLeafHashCode();
[[noreturn]] void throwUnionPatternFailure();

// Fills `out` with the merge of two packed child arrays over their bitmaps,
// lowest bit first: f(left, right) for a bit in both (left element first),
// the element itself for a bit in one. `out` must have popcount(b1 | b2)
// slots left.
template <class S, class F>
void unionArrayInto(array::BlockFiller<S>& out, F& f, Bitmap b1, const S* a1, Bitmap b2, const S* a2) {
  std::size_t i1 = 0;
  std::size_t i2 = 0;
  for (Bitmap b = b1 | b2; b != 0;) {
    const Bitmap m = Bitmap{1} << std::countr_zero(b);
    const bool inLeft = (b1 & m) != 0;
    const bool inRight = (b2 & m) != 0;
    if (inLeft && inRight) {
      const S& x = a1[i1++];
      const S& y = a2[i2++];
      out.emplace(f(x, y));
    } else if (inLeft) {
      out.emplace(a1[i1++]);
    } else {
      out.emplace(a2[i2++]);
    }
    b &= ~m;
  }
}

// A new node with the same kind, hash and contents as the Leaf or Collision n.
template <class K, class V>
HashMap<K, V> copyLeafLike(const HashMap<K, V>& n) {
  if (n.kind() == Kind::Leaf) return makeLeaf<K, V>(n.nodeHash(), n.leaf().key, n.leaf().value);
  BucketFiller<K, V> f(static_cast<std::size_t>(n.bucketSize()), tagOf(Kind::Collision), n.nodeHash());
  f.copyFrom(n.bucket(), static_cast<std::size_t>(n.bucketSize()));
  return finish(f);
}

template <class K, class V, class Step>
class UnionWalk {
 public:
  using Map = HashMap<K, V>;

  explicit UnionWalk(Step& step) : step_(step) {}

  Map operator()(const Map& left, const Map& right) { return go(0, left, false, right, false); }

  // The merge of two branches' child arrays (a Full node has bitmap
  // fullBitmap): children in both are united, the others shared.
  Map mergeBranches(Shift s, const Map& t1, const Map& t2) {
    const Bitmap b1 = t1.kind() == Kind::Full ? fullBitmap : t1.bitmap();
    const Bitmap b2 = t2.kind() == Kind::Full ? fullBitmap : t2.bitmap();
    const Bitmap b = b1 | b2;
    auto out = fillBranch<K, V>(static_cast<std::size_t>(std::popcount(b)), b);
    auto unite = [this, s](const Map& c1, const Map& c2) { return go(nextShift(s), c1, false, c2, false); };
    unionArrayInto(out, unite, b1, t1.children(), b2, t2.children());
    return finish(out);
  }

 private:
  // `carried1` / `carried2`: the node travels as its fields (see the step's
  // kCarriesByFields) and is copied wherever it would be placed unchanged.
  Map go(Shift s, const Map& t1, bool carried1, const Map& t2, bool carried2) {
    const Kind k1 = t1.kind();
    const Kind k2 = t2.kind();
    if (k2 == Kind::Empty) return place(t1, carried1);
    if (k1 == Kind::Empty) return place(t2, carried2);
    const bool leafy1 = k1 == Kind::Leaf || k1 == Kind::Collision;
    const bool leafy2 = k2 == Kind::Leaf || k2 == Kind::Collision;
    if (leafy1 && leafy2) {
      const Hash h1 = leafHashCode(t1);
      const Hash h2 = leafHashCode(t2);
      if (h1 == h2) return pairs(h1, t1, carried1, t2);
      return branchTwoHashes(s, h1, h2, place(t1, carried1), place(t2, carried2));
    }
    if (leafy1 && k2 == Kind::BitmapIndexed) return intoSparse(s, t1, carried1, t2, true);
    if (k1 == Kind::BitmapIndexed && leafy2) return intoSparse(s, t2, carried2, t1, false);
    if (leafy1 && k2 == Kind::Full) return intoFull(s, t1, carried1 || Step::kCarriesByFields, t2, true);
    if (k1 == Kind::Full && k2 == Kind::Leaf) {
      return intoFull(s, t2, carried2 || Step::kCarriesByFields, t1, false);
    }
    if (k1 == Kind::Full && k2 == Kind::Collision) return intoFull(s, t2, carried2, t1, false);
    const bool branch1 = k1 == Kind::BitmapIndexed || k1 == Kind::Full;
    const bool branch2 = k2 == Kind::BitmapIndexed || k2 == Kind::Full;
    if (branch1 && branch2) return mergeBranches(s, t1, t2);
    step_.patternFailure();
  }

  Map place(const Map& n, bool carried) { return carried ? copyLeafLike(n) : n; }

  Hash leafHashCode(const Map& n) {
    if (n.kind() != Kind::Leaf && n.kind() != Kind::Collision) step_.leafHashCodeError();
    return n.nodeHash();
  }

  // Two leaf-like nodes of the same hash h; the left one's hash is kept.
  Map pairs(Hash h, const Map& t1, bool carried1, const Map& t2) {
    if (t1.kind() == Kind::Leaf && t2.kind() == Kind::Leaf) {
      const L<K, V>& p1 = t1.leaf();
      const L<K, V>& p2 = t2.leaf();
      if (p1.key == p2.key) {
        if constexpr (Step::kKeepsLeftLeaf) {
          if (!carried1) return t1;
        }
        return makeLeaf<K, V>(h, p1.key, step_.combine(p1.key, p1.value, p2.value));
      }
      return collision(h, p1, p2);
    }
    if (t1.kind() == Kind::Leaf) {
      const L<K, V>& p1 = t1.leaf();
      auto given = [this](const K& k, const basis::Lazy<V>& x, const basis::Lazy<V>& found) {
        return step_.combine(k, x, found);
      };
      return step_.updateOrSnoc(given, p1.key, p1.value, t2);
    }
    if (t2.kind() == Kind::Leaf) {
      const L<K, V>& p2 = t2.leaf();
      // The left value still comes first; the right key is stored.
      auto swapped = [this](const K& k, const basis::Lazy<V>& y, const basis::Lazy<V>& found) {
        return step_.combine(k, found, y);
      };
      return step_.updateOrSnoc(swapped, p2.key, p2.value, t1);
    }
    auto merge = [this](const K& k, const basis::Lazy<V>& x, const basis::Lazy<V>& y) {
      return step_.combine(k, x, y);
    };
    return Collision(h, updateOrConcatWithKey(merge, t1.bucketArray(), t2.bucketArray()));
  }

  // The smallest branch holding two leaf-like nodes of different hashes,
  // ordered by fragment; never Full.
  Map branchTwoHashes(Shift s, Hash h1, Hash h2, Map t1, Map t2) {
    Shift d = s;
    while (mask(h1, d) == mask(h2, d)) d = nextShift(d);
    const Bitmap m1 = mask(h1, d);
    const Bitmap m2 = mask(h2, d);
    auto two = fillBranch<K, V>(2, m1 | m2);
    if (m1 < m2) {
      two.emplace(std::move(t1));
      two.emplace(std::move(t2));
    } else {
      two.emplace(std::move(t2));
      two.emplace(std::move(t1));
    }
    Map node = finish(two);
    while (d > s) {
      d -= bitsPerSubkey;
      auto one = fillBranch<K, V>(1, mask(h1, d));
      one.emplace(std::move(node));
      node = finish(one);
    }
    return node;
  }

  // A leaf-like node n against a BitmapIndexed node: n placed at its free bit,
  // or united with the child at its bit. `nIsLeft` keeps the sides.
  Map intoSparse(Shift s, const Map& n, bool carried, const Map& branch, bool nIsLeft) {
    const Hash h = leafHashCode(n);
    const Bitmap b = branch.bitmap();
    const Bitmap m = mask(h, s);
    const auto p = static_cast<std::size_t>(sparseIndex(b, m));
    const auto count = static_cast<std::size_t>(branch.childCount());
    if ((b & m) == 0) {
      const Bitmap nb = b | m;
      const Kind kind = nb == fullBitmap ? Kind::Full : Kind::BitmapIndexed;
      return Map::adopt(array::detail::insertAt(branch.children(), count, p, place(n, carried), tagOf(kind), nb));
    }
    const Map& c = branch.children()[p];
    Map united = nIsLeft ? go(nextShift(s), n, carried, c, false) : go(nextShift(s), c, false, n, carried);
    return Map::adopt(
        array::detail::updateAt(branch.children(), count, p, std::move(united), tagOf(Kind::BitmapIndexed), b));
  }

  // A leaf-like node n against a Full node: united with the child at its
  // fragment.
  Map intoFull(Shift s, const Map& n, bool carried, const Map& full, bool nIsLeft) {
    const auto i = static_cast<std::size_t>(index(leafHashCode(n), s));
    const Map& c = full.children()[i];
    Map united = nIsLeft ? go(nextShift(s), n, carried, c, false) : go(nextShift(s), c, false, n, carried);
    return Map::adopt(array::detail::updateAt(full.children(), static_cast<std::size_t>(maxChildren), i,
                                              std::move(united), tagOf(Kind::Full), fullBitmap));
  }

  Step& step_;
};

// The value-lazy steps share their bucket update and their errors.
template <class K, class V>
struct LazyUnionStepBase {
  static constexpr bool kCarriesByFields = true;

  template <class F>
  HashMap<K, V> updateOrSnoc(F& f, const K& k, const basis::Lazy<V>& v, const HashMap<K, V>& bucket) const {
    return HashMap<K, V>::adopt(updateOrSnocBlock<K, V>(f, k, v, bucket.bucket(), bucket.bucketSize(),
                                                        tagOf(Kind::Collision), bucket.nodeHash()));
  }
  [[noreturn]] void leafHashCodeError() const { throwUnionLeafHashCode(); }
  [[noreturn]] void patternFailure() const { throwUnionPatternFailure(); }
};

// A key in both maps gets the deferred application f(k, left, right).
template <class K, class V, class F>
struct DeferredUnionStep : LazyUnionStepBase<K, V> {
  static constexpr bool kKeepsLeftLeaf = false;
  explicit DeferredUnionStep(F fn) : f(std::move(fn)) {}
  basis::Lazy<V> combine(const K& k, const basis::Lazy<V>& x, const basis::Lazy<V>& y) const {
    return basis::Lazy<V>::defer([f = f, k, x, y]() mutable { return f(k, x, y); });
  }
  F f;
};

// A key in both maps keeps the left pair; nothing is deferred.
template <class K, class V>
struct LeftBiasedUnionStep : LazyUnionStepBase<K, V> {
  static constexpr bool kKeepsLeftLeaf = true;
  basis::Lazy<V> combine(const K&, const basis::Lazy<V>& x, const basis::Lazy<V>&) const { return x; }
};

}  // namespace detail

// The merge of two packed child arrays over their bitmaps: popcount(b1 | b2)
// elements in bit order, f(left, right) where both have the bit (called as the
// slot is filled, left first), the element itself where one has it. The arrays
// must hold popcount(b1) and popcount(b2) elements; nothing is checked beyond
// that (std::out_of_range when they do not). O(popcount(b1 | b2)) plus f.
template <class E, class F>
array::Array<E> unionArrayBy(F&& f, Bitmap b1, Bitmap b2, const array::Array<E>& a1, const array::Array<E>& a2) {
  if (a1.size() != std::popcount(b1) || a2.size() != std::popcount(b2)) {
    throw std::out_of_range("Data.HashMap.Internal.unionArrayBy: array length differs from its bitmap");
  }
  array::BlockFiller<array::Slot<E>> out(static_cast<std::size_t>(std::popcount(b1 | b2)));
  detail::unionArrayInto(out, f, b1, a1.data(), b2, a2.data());
  return array::Array<E>::adopt(out.finish());
}

// The union; a key in both maps is bound to the deferred f(key, left value,
// right value), which runs only when that value is demanded. Never hashes;
// shares the subtrees only one map has; a map united with an empty one is
// returned itself. O(n + m) in the overlap; throws what key `==` throws.
template <class K, class V, class F>
HashMap<K, V> unionWithKey(F f, const HashMap<K, V>& left, const HashMap<K, V>& right) {
  detail::DeferredUnionStep<K, V, F> step(std::move(f));
  return detail::UnionWalk<K, V, decltype(step)>(step)(left, right);
}

// The union; a key in both maps is bound to the deferred f(left value, right
// value). As `unionWithKey` otherwise.
template <class K, class V, class F>
HashMap<K, V> unionWith(F f, const HashMap<K, V>& left, const HashMap<K, V>& right) {
  auto g = [f = std::move(f)](const K&, const basis::Lazy<V>& x, const basis::Lazy<V>& y) mutable {
    return f(x, y);
  };
  detail::DeferredUnionStep<K, V, decltype(g)> step(std::move(g));
  return detail::UnionWalk<K, V, decltype(step)>(step)(left, right);
}

// `union`: the left-biased union; a key in both maps keeps the left pair (the
// left Leaf node itself where two leaves meet). Never hashes, never defers; a
// map united with an empty one is returned itself. Throws what `==` throws.
template <class K, class V>
HashMap<K, V> union_(const HashMap<K, V>& left, const HashMap<K, V>& right) {
  detail::LeftBiasedUnionStep<K, V> step;
  return detail::UnionWalk<K, V, decltype(step)>(step)(left, right);
}

// The union of a range of maps from the first on, the earliest map winning a
// key: ((empty ∪ m1) ∪ m2) ∪ ..., each union done before the next map is read.
template <std::ranges::input_range R,
          class M = std::remove_cvref_t<std::ranges::range_reference_t<R>>>
M unions(R&& maps) {
  M acc;
  for (auto&& m : maps) acc = union_(acc, static_cast<const M&>(m));
  return acc;
}

namespace detail {
template <class K, class V, class R>
std::vector<HashMap<K, V>> collectMaps(R&& maps) {
  std::vector<HashMap<K, V>> all;
  for (auto&& m : maps) all.push_back(m);
  return all;
}
// m1 ∪ (m2 ∪ (... ∪ mn)): united from the end. No maps give the empty map.
template <class K, class V>
HashMap<K, V> unionsFromTheRight(std::vector<HashMap<K, V>> all) {
  if (all.empty()) return HashMap<K, V>();
  HashMap<K, V> acc = std::move(all.back());
  for (auto it = std::next(all.rbegin()); it != all.rend(); ++it) acc = union_(*it, acc);
  return acc;
}
}  // namespace detail

}  // namespace hashgrove::internal

// Maps combine by left-biased union; the empty map is the identity.
template <class K, class V>
struct basis::Semigroup<hashgrove::internal::HashMap<K, V>> {
  using Map = hashgrove::internal::HashMap<K, V>;

  // `<>`: union_(a, b).
  static Map combine(const Map& a, const Map& b) { return hashgrove::internal::union_(a, b); }
  // The union of a non-empty range, earliest map winning; united from the end
  // (m1 ∪ (m2 ∪ ...)). A single map comes back itself. Throws
  // std::invalid_argument for an empty range.
  template <std::ranges::input_range R>
  static Map sconcat(R&& maps) {
    auto all = hashgrove::internal::detail::collectMaps<K, V>(std::forward<R>(maps));
    if (all.empty()) throw std::invalid_argument("sconcat: empty list");
    return hashgrove::internal::detail::unionsFromTheRight<K, V>(std::move(all));
  }
  // The empty map for n == 0, m itself for n > 0 (union is idempotent; no
  // union is done). Throws basis::ErrorCall "stimesIdempotentMonoid: negative
  // multiplier" for n < 0.
  template <std::integral N>
  static Map stimes(N n, const Map& m) {
    if (n < N(0)) throw basis::ErrorCall("stimesIdempotentMonoid: negative multiplier");
    if (n == N(0)) return Map();
    return m;
  }
};

template <class K, class V>
struct basis::Monoid<hashgrove::internal::HashMap<K, V>> {
  using Map = hashgrove::internal::HashMap<K, V>;

  static Map mempty() { return Map(); }
  static Map mappend(const Map& a, const Map& b) { return hashgrove::internal::union_(a, b); }
  // m1 ∪ (m2 ∪ (... ∪ (mn ∪ empty))): the empty map for an empty range, a
  // single map itself.
  template <std::ranges::input_range R>
  static Map mconcat(R&& maps) {
    return hashgrove::internal::detail::unionsFromTheRight<K, V>(
        hashgrove::internal::detail::collectMaps<K, V>(std::forward<R>(maps)));
  }
};
