#pragma once
// Walking a map in trie order without recursion: the pairs as C++ ranges.
//
// Trie order is the order in which every whole-map walk meets the pairs: a
// branch's children in array order (ascending 5-bit fragment), each subtree
// completely before the next, and a bucket's pairs in array order. Ranges and
// iterators here walk it with an explicit stack of at most 13 branch levels
// (the deepest a trie of 64-bit hashes goes), so a map of any size is walked
// in constant stack space.
//
// - `for (const auto& [k, v] : m)` iterates a map's pairs `L<K, V>` in place
//   (v is the stored `basis::Lazy<V>`, not forced).
// - `toList(m)`, `keys(m)`, `elems(m)` are ranges produced on demand: each
//   step walks to the next pair only. A range or iterator holds its map, so
//   it stays valid after the map it came from is gone.

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <ranges>
#include <stdexcept>
#include <utility>

#include <basis/lazy.hpp>

#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The deepest chain of branches above a Leaf or Collision: shifts 0 to 60.
inline constexpr int kMaxBranchDepth = 13;

[[noreturn]] inline void throwTrieTooDeep() {
  throw std::logic_error("hashgrove: a trie deeper than 13 branch levels cannot be walked");
}

// The Leaf and Collision nodes of a trie in trie order, one at a time. It
// points into the trie: the caller keeps the root alive while it walks.
template <class K, class V>
class LeafWalker {
 public:
  using Map = HashMap<K, V>;

  LeafWalker() noexcept = default;
  explicit LeafWalker(const Map& root) {
    switch (root.kind()) {
      case Kind::Empty:
        break;
      case Kind::Leaf:
      case Kind::Collision:
        pending_ = &root;
        break;
      default:
        push(root);
    }
  }

  // The next Leaf or Collision node, or null after the last one.
  const Map* next() {
    if (pending_ != nullptr) return std::exchange(pending_, nullptr);
    while (depth_ > 0) {
      Frame& f = stack_[depth_ - 1];
      if (f.next == f.end) {
        --depth_;
        continue;
      }
      const Map* n = f.next++;
      switch (n->kind()) {
        case Kind::Leaf:
        case Kind::Collision:
          return n;
        case Kind::BitmapIndexed:
        case Kind::Full:
          push(*n);
          break;
        case Kind::Empty:
          break;  // never a child in a valid trie; nothing to visit
      }
    }
    return nullptr;
  }

 private:
  struct Frame {
    const Map* next;
    const Map* end;
  };
  void push(const Map& branch) {
    if (depth_ == kMaxBranchDepth) throwTrieTooDeep();
    stack_[depth_++] = Frame{branch.children(), branch.children() + branch.childCount()};
  }

  std::array<Frame, kMaxBranchDepth> stack_{};
  int depth_ = 0;
  const Map* pending_ = nullptr;
};

// The pairs of a trie in trie order. It holds the root, so a copy is valid on
// its own; every pointer it keeps points into the nodes, never into itself.
template <class K, class V>
class PairCursor {
 public:
  using Map = HashMap<K, V>;
  using Pair = L<K, V>;

  PairCursor() noexcept = default;  // past the end
  explicit PairCursor(Map root) : root_(std::move(root)) {
    if (root_.kind() == Kind::Empty) return;
    if (root_.kind() == Kind::Leaf || root_.kind() == Kind::Collision) {
      enter(root_);  // points into the root node, which is on the heap
      return;
    }
    push(root_);
    seek();
  }

  const Pair* pair() const noexcept { return cur_; }
  bool atEnd() const noexcept { return cur_ == nullptr; }

  void advance() {
    if (++cur_ != curEnd_) return;
    cur_ = curEnd_ = nullptr;
    seek();
  }

 private:
  struct Frame {
    const Map* next;
    const Map* end;
  };
  void push(const Map& branch) {
    if (depth_ == kMaxBranchDepth) throwTrieTooDeep();
    stack_[depth_++] = Frame{branch.children(), branch.children() + branch.childCount()};
  }
  void enter(const Map& n) noexcept {
    if (n.kind() == Kind::Leaf) {
      cur_ = &n.leaf();
      curEnd_ = cur_ + 1;
    } else {
      cur_ = n.bucket();
      curEnd_ = cur_ + n.bucketSize();
    }
  }
  // Moves to the first pair of the next Leaf or Collision on the stack.
  void seek() {
    while (depth_ > 0) {
      Frame& f = stack_[depth_ - 1];
      if (f.next == f.end) {
        --depth_;
        continue;
      }
      const Map* n = f.next++;
      switch (n->kind()) {
        case Kind::Leaf:
        case Kind::Collision:
          enter(*n);
          if (cur_ != curEnd_) return;
          cur_ = curEnd_ = nullptr;
          break;
        case Kind::BitmapIndexed:
        case Kind::Full:
          push(*n);
          break;
        case Kind::Empty:
          break;
      }
    }
  }

  Map root_;
  const Pair* cur_ = nullptr;
  const Pair* curEnd_ = nullptr;
  int depth_ = 0;
  std::array<Frame, kMaxBranchDepth> stack_{};
};

// What an iterator hands out for each pair.
template <class K, class V>
struct AsStoredPair {  // the stored pair itself
  using reference = const L<K, V>&;
  using value_type = L<K, V>;
  static reference get(const L<K, V>& p) noexcept { return p; }
};
template <class K, class V>
struct AsStdPair {  // a (key, value) pair, the value as stored
  using reference = std::pair<K, basis::Lazy<V>>;
  using value_type = std::pair<K, basis::Lazy<V>>;
  static reference get(const L<K, V>& p) { return reference(p.key, p.value); }
};
template <class K, class V>
struct AsKey {
  using reference = const K&;
  using value_type = K;
  static reference get(const L<K, V>& p) noexcept { return p.key; }
};
template <class K, class V>
struct AsValue {  // the value as stored, not forced
  using reference = const basis::Lazy<V>&;
  using value_type = basis::Lazy<V>;
  static reference get(const L<K, V>& p) noexcept { return p.value; }
};

}  // namespace detail

// An iterator over the pairs of a map in trie order; `Proj` picks what it
// hands out. Advancing costs O(1) amortised; copying costs one reference
// count and the walk's stack (about 250 bytes).
template <class K, class V, class Proj>
class TrieIterator {
 public:
  using value_type = typename Proj::value_type;
  using reference = typename Proj::reference;
  using difference_type = std::ptrdiff_t;
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::conditional_t<std::is_reference_v<reference>,
                                               std::forward_iterator_tag, std::input_iterator_tag>;
  using pointer = void;

  TrieIterator() noexcept = default;  // the end
  explicit TrieIterator(const HashMap<K, V>& m) : cursor_(m) {}

  reference operator*() const { return Proj::get(*cursor_.pair()); }
  const L<K, V>* operator->() const noexcept
    requires std::is_same_v<Proj, detail::AsStoredPair<K, V>>
  {
    return cursor_.pair();
  }
  TrieIterator& operator++() {
    cursor_.advance();
    return *this;
  }
  TrieIterator operator++(int) {
    TrieIterator old = *this;
    cursor_.advance();
    return old;
  }
  friend bool operator==(const TrieIterator& a, const TrieIterator& b) noexcept {
    return a.cursor_.pair() == b.cursor_.pair();
  }
  friend bool operator==(const TrieIterator& a, std::default_sentinel_t) noexcept {
    return a.cursor_.atEnd();
  }

 private:
  detail::PairCursor<K, V> cursor_;
};

// The pairs of a map in trie order, produced on demand. Holds the map.
// A view (std::ranges::view_base); the members std::ranges::view_interface
// would add are written out, as clang before 16 cannot instantiate
// view_interface with libstdc++ 12.
template <class K, class V, class Proj>
class TrieRange : public std::ranges::view_base {
 public:
  using iterator = TrieIterator<K, V, Proj>;

  TrieRange() = default;
  explicit TrieRange(HashMap<K, V> m) : map_(std::move(m)) {}

  iterator begin() const { return iterator(map_); }
  iterator end() const noexcept { return iterator(); }
  bool empty() const noexcept { return map_.kind() == Kind::Empty; }
  explicit operator bool() const noexcept { return !empty(); }
  // The first element; the range must not be empty.
  decltype(auto) front() const { return *begin(); }

 private:
  HashMap<K, V> map_;
};

template <class K, class V>
using PairIterator = TrieIterator<K, V, detail::AsStoredPair<K, V>>;

// `toList`: the (key, value) pairs in trie order, produced on demand; values
// as stored. O(1) to make, O(1) amortised per step.
template <class K, class V>
TrieRange<K, V, detail::AsStdPair<K, V>> toList(const HashMap<K, V>& m) {
  return TrieRange<K, V, detail::AsStdPair<K, V>>(m);
}
// `keys`: the keys in trie order, produced on demand.
template <class K, class V>
TrieRange<K, V, detail::AsKey<K, V>> keys(const HashMap<K, V>& m) {
  return TrieRange<K, V, detail::AsKey<K, V>>(m);
}
// `elems`: the values in trie order as stored (not forced), produced on demand.
template <class K, class V>
TrieRange<K, V, detail::AsValue<K, V>> elems(const HashMap<K, V>& m) {
  return TrieRange<K, V, detail::AsValue<K, V>>(m);
}

// Range-for over a map: its stored pairs in trie order.
template <class K, class V>
PairIterator<K, V> HashMap<K, V>::begin() const {
  return PairIterator<K, V>(*this);
}
template <class K, class V>
PairIterator<K, V> HashMap<K, V>::end() const noexcept {
  return PairIterator<K, V>();
}

}  // namespace hashgrove::internal

template <class K, class V, class Proj>
inline constexpr bool std::ranges::enable_borrowed_range<hashgrove::internal::TrieRange<K, V, Proj>> =
    true;
