#pragma once
// Equality of maps.
//
// Two comparisons of different strength:
// - the structural walk (`equal1`, `equalKeys`, the map's `==`) compares two
//   tries node by node: kinds, bitmaps and hashes as words first, then keys
//   with K's `==`, then values with the caller's relation; buckets match as
//   permutations, so maps built in any insertion order compare equal;
// - the leaf-list walk (`equalKeys1`, `liftEq2`) compares the two maps'
//   Leaf and Collision nodes in trie order (`leavesAndCollisions`) with
//   caller-given relations on keys (and values), so the two maps may have
//   different key types.
// Both stop at the first difference; a word difference never calls a
// relation, and a value is only handed to the value relation once its key
// matched. In every relation the first map's element is the left argument.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <ranges>
#include <span>
#include <type_traits>
#include <utility>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/lifted.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/list.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// ---------------------------------------------------------------------------
// leavesAndCollisions

// An iterator over the Leaf and Collision nodes of a map in trie order. It
// holds the map; copying it costs one reference count and its stack.
template <class K, class V>
class LeafIterator {
 public:
  using value_type = HashMap<K, V>;
  using reference = const HashMap<K, V>&;
  using difference_type = std::ptrdiff_t;
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::forward_iterator_tag;

  LeafIterator() = default;  // the end
  explicit LeafIterator(const HashMap<K, V>& m) : root_(m) {
    switch (root_.kind()) {
      case Kind::Empty:
        break;
      case Kind::Leaf:
      case Kind::Collision:
        atRoot_ = true;
        break;
      default:
        push(root_);
        seek();
    }
  }

  reference operator*() const noexcept { return atRoot_ ? root_ : *cur_; }
  const HashMap<K, V>* operator->() const noexcept { return &**this; }
  LeafIterator& operator++() {
    atRoot_ = false;
    cur_ = nullptr;
    seek();
    return *this;
  }
  LeafIterator operator++(int) {
    LeafIterator old = *this;
    ++*this;
    return old;
  }
  friend bool operator==(const LeafIterator& a, const LeafIterator& b) noexcept {
    return a.atRoot_ == b.atRoot_ && a.cur_ == b.cur_ && (!a.atRoot_ || a.root_.node() == b.root_.node());
  }

 private:
  struct Frame {
    const HashMap<K, V>* next;
    const HashMap<K, V>* end;
  };
  void push(const HashMap<K, V>& branch) {
    if (depth_ == detail::kMaxBranchDepth) detail::throwTrieTooDeep();
    stack_[depth_++] = Frame{branch.children(), branch.children() + branch.childCount()};
  }
  void seek() {
    while (depth_ > 0) {
      Frame& f = stack_[depth_ - 1];
      if (f.next == f.end) {
        --depth_;
        continue;
      }
      const HashMap<K, V>* n = f.next++;
      if (n->kind() == Kind::Leaf || n->kind() == Kind::Collision) {
        cur_ = n;
        return;
      }
      if (n->kind() != Kind::Empty) push(*n);
    }
  }

  HashMap<K, V> root_;
  const HashMap<K, V>* cur_ = nullptr;  // points into the nodes, never at root_
  bool atRoot_ = false;
  int depth_ = 0;
  std::array<Frame, detail::kMaxBranchDepth> stack_{};
};

// The Leaf and Collision nodes of a map, produced on demand. A view, with
// the members std::ranges::view_interface would add written out (clang
// before 16 cannot instantiate view_interface with libstdc++ 12).
template <class K, class V>
class LeafRange : public std::ranges::view_base {
 public:
  LeafRange() = default;
  explicit LeafRange(HashMap<K, V> m) : map_(std::move(m)) {}
  LeafIterator<K, V> begin() const { return LeafIterator<K, V>(map_); }
  LeafIterator<K, V> end() const noexcept { return LeafIterator<K, V>(); }
  bool empty() const { return begin() == end(); }
  explicit operator bool() const { return !empty(); }
  // The first node; the range must not be empty.
  decltype(auto) front() const { return *begin(); }

 private:
  HashMap<K, V> map_;
};

// `leavesAndCollisions`: the map's Leaf and Collision nodes in trie order,
// produced on demand (the nodes of child i + 1 are reached only when the
// consumer gets there). O(1) amortised per node.
template <class K, class V>
LeafRange<K, V> leavesAndCollisions(const HashMap<K, V>& m) {
  return LeafRange<K, V>(m);
}

// ---------------------------------------------------------------------------
// Structural walk

namespace detail {

template <class K, class V1, class V2, class PairTest>
bool equalNodes(const HashMap<K, V1>& a, const HashMap<K, V2>& b, PairTest& test) {
  switch (a.kind()) {
    case Kind::Empty:
      return b.kind() == Kind::Empty;
    case Kind::BitmapIndexed:
      if (b.kind() != Kind::BitmapIndexed || a.bitmap() != b.bitmap()) return false;
      break;
    case Kind::Full:
      if (b.kind() != Kind::Full) return false;
      break;
    case Kind::Leaf:
      return b.kind() == Kind::Leaf && a.nodeHash() == b.nodeHash() && test(a.leaf(), b.leaf());
    case Kind::Collision:
      if (b.kind() != Kind::Collision || a.nodeHash() != b.nodeHash()) return false;
      return list::isPermutationBy(test, std::span(a.bucket(), static_cast<std::size_t>(a.bucketSize())),
                                   std::span(b.bucket(), static_cast<std::size_t>(b.bucketSize())));
  }
  const std::int64_t n = a.childCount();
  if (n != b.childCount()) return false;
  for (std::int64_t i = 0; i < n; ++i)
    if (!equalNodes(a.child(i), b.child(i), test)) return false;
  return true;
}

// The leaf-list walk with a test of two Leaf pairs / bucket pairs.
template <class K1, class V1, class K2, class V2, class PairTest>
bool equalLeafLists(const HashMap<K1, V1>& a, const HashMap<K2, V2>& b, PairTest& test) {
  LeafWalker<K1, V1> as(a);
  LeafWalker<K2, V2> bs(b);
  for (;;) {
    const HashMap<K1, V1>* x = as.next();
    const HashMap<K2, V2>* y = bs.next();
    if (x == nullptr) return y == nullptr;
    if (y == nullptr || x->kind() != y->kind() || x->nodeHash() != y->nodeHash()) return false;
    if (x->kind() == Kind::Leaf) {
      if (!test(x->leaf(), y->leaf())) return false;
    } else {
      if (x->bucketSize() != y->bucketSize()) return false;
      if (!list::isPermutationBy(test, std::span(x->bucket(), static_cast<std::size_t>(x->bucketSize())),
                                 std::span(y->bucket(), static_cast<std::size_t>(y->bucketSize()))))
        return false;
    }
  }
}

}  // namespace detail

// `equal1`: the structural comparison with keys compared by K's `==` (first
// map's key on the left) and values by eqv(first value, second value), both
// values handed as stored. O(n) worst case; stops at the first difference.
template <class EqV, class K, class V1, class V2>
bool equal1(EqV eqv, const HashMap<K, V1>& a, const HashMap<K, V2>& b) {
  auto test = [&eqv](const L<K, V1>& x, const L<K, V2>& y) {
    return static_cast<bool>(x.key == y.key) && static_cast<bool>(eqv(x.value, y.value));
  };
  return detail::equalNodes(a, b, test);
}

// `equalKeys`: the structural comparison of the keys alone (values of any
// types, never read).
template <class K, class V1, class V2>
bool equalKeys(const HashMap<K, V1>& a, const HashMap<K, V2>& b) {
  auto test = [](const L<K, V1>& x, const L<K, V2>& y) { return static_cast<bool>(x.key == y.key); };
  return detail::equalNodes(a, b, test);
}

// `liftEq`: `equal1`.
template <class EqV, class K, class V1, class V2>
bool liftEq(EqV eqv, const HashMap<K, V1>& a, const HashMap<K, V2>& b) {
  return equal1(std::move(eqv), a, b);
}

// `equalKeys1`: the leaf-list comparison with eqk(first key, second key);
// values ignored. Leaves match by hash and eqk, buckets by hash, length and
// a permutation under eqk.
template <class EqK, class K1, class V1, class K2, class V2>
bool equalKeys1(EqK eqk, const HashMap<K1, V1>& a, const HashMap<K2, V2>& b) {
  auto test = [&eqk](const L<K1, V1>& x, const L<K2, V2>& y) { return static_cast<bool>(eqk(x.key, y.key)); };
  return detail::equalLeafLists(a, b, test);
}

// `liftEq2`: the leaf-list comparison with eqk on keys, then eqv on the
// values (as stored) of pairs whose keys matched.
template <class EqK, class EqV, class K1, class V1, class K2, class V2>
bool liftEq2(EqK eqk, EqV eqv, const HashMap<K1, V1>& a, const HashMap<K2, V2>& b) {
  auto test = [&eqk, &eqv](const L<K1, V1>& x, const L<K2, V2>& y) {
    return static_cast<bool>(eqk(x.key, y.key)) && static_cast<bool>(eqv(x.value, y.value));
  };
  return detail::equalLeafLists(a, b, test);
}

// Maps are equal when they hold equal keys with equal values, whatever the
// order they were built in (`equal1` with V's `==`; values are forced only
// where keys match). `!=` is its negation.
template <class K, class V>
  requires std::equality_comparable<K> && std::equality_comparable<V>
bool operator==(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return equal1(
      [](const basis::Lazy<V>& x, const basis::Lazy<V>& y) { return basis::applyForced(std::equal_to<>(), x, y); }, a, b);
}

// Pairs: keys first (the first pair's key on the left), values only when the
// keys are equal.
template <class K, class V>
  requires std::equality_comparable<K> && std::equality_comparable<V>
bool operator==(const L<K, V>& a, const L<K, V>& b) {
  return a.key == b.key && basis::applyForced(std::equal_to<>(), a.value, b.value);
}

}  // namespace hashgrove::internal

// The lifted equalities: values handed to the caller's relation forced.
template <class K>
struct basis::Eq1<hashgrove::HashMapOf<K>> {
  // `liftEq`: the structural walk with eq(first value, second value).
  template <class EqV, class V1, class V2>
  static bool liftEq(const EqV& eq, const hashgrove::internal::HashMap<K, V1>& a,
                     const hashgrove::internal::HashMap<K, V2>& b) {
    return hashgrove::internal::equal1(
        [&eq](const basis::Lazy<V1>& x, const basis::Lazy<V2>& y) { return basis::applyForced(eq, x, y); }, a, b);
  }
};
template <>
struct basis::Eq2<hashgrove::HashMapTag> {
  // `liftEq2`: the leaf-list walk with eqk on keys and eqv on values.
  template <class EqK, class EqV, class K1, class V1, class K2, class V2>
  static bool liftEq2(const EqK& eqk, const EqV& eqv, const hashgrove::internal::HashMap<K1, V1>& a,
                      const hashgrove::internal::HashMap<K2, V2>& b) {
    return hashgrove::internal::liftEq2(
        eqk, [&eqv](const basis::Lazy<V1>& x, const basis::Lazy<V2>& y) { return basis::applyForced(eqv, x, y); }, a,
        b);
  }
};
