#pragma once
// List<T>: an immutable lazy cons list (the type; its interfaces are in
// basis/list.hpp).
//
// A list is a deferred value that yields either the empty list or a cell
// holding a deferred head (Lazy<T>) and the rest of the list, itself deferred.
// Nothing is computed before it is demanded, and what is computed once is
// shared by every copy, so a list may be infinite and is produced as far as
// it is read. `repeat` is cyclic: one cell in a ring, read forever at no
// further cost. Destroying a long list is a loop, not a recursion.
//
// A List is a C++ input range of `const T&` (each head forced when reached);
// copies are cheap (a reference count).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/error.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/ref.hpp"

namespace basis {

template <class T>
class List;

namespace detail {
template <class T>
struct ListCell;
template <class T>
struct ListRing : RefCounted {
  explicit ListRing(std::vector<Lazy<T>> xs) : items(std::move(xs)) {}
  std::vector<Lazy<T>> items;
};
// One evaluated step of a list: a cell, a position in a ring, or (both null)
// the empty list.
template <class T>
struct ListNode {
  Ref<ListCell<T>> cell;
  Ref<ListRing<T>> ring;
  std::size_t pos = 0;
};
}  // namespace detail

// The list's tag.
struct ListTag {
  template <class A>
  using apply = List<A>;
};

template <class T>
class List {
  using Node = detail::ListNode<T>;
  using Cell = detail::ListCell<T>;
  using Ring = detail::ListRing<T>;

 public:
  using value_type = T;

  // The empty list.
  List() : node_(Node{}) {}
  static List nil() { return List(); }
  // head in front of tail; neither is evaluated.
  static List cons(Lazy<T> head, List tail) {
    return List(Node{makeRef<Cell>(std::move(head), std::move(tail)), nullptr, 0});
  }
  // The list f() yields, computed on first demand (f returns a List<T>).
  template <class Fn>
    requires std::invocable<Fn&>
  static List lazy(Fn f) {
    return List(Lazy<Node>::defer([f = std::move(f)]() mutable -> Node { return List(f()).node_.force(); }));
  }
  // The elements of an input range, in order, evaluated now (one pass).
  template <std::ranges::input_range R>
  static List fromRange(R&& r) {
    List out;
    if constexpr (std::ranges::bidirectional_range<R> && std::ranges::common_range<R>) {
      for (auto it = std::ranges::end(r); it != std::ranges::begin(r);) {
        --it;
        out = cons(Lazy<T>(*it), std::move(out));
      }
    } else {
      std::vector<Lazy<T>> xs;
      for (auto&& x : r) xs.push_back(Lazy<T>(x));
      for (auto it = xs.rbegin(); it != xs.rend(); ++it) out = cons(std::move(*it), std::move(out));
    }
    return out;
  }
  static List fromRange(std::initializer_list<T> r) { return fromRange(std::vector<T>(r)); }
  // The given elements, in order: `List<int>{1, 2, 3}`.
  List(std::initializer_list<T> r) : List(fromRange(r)) {}
  // x at every position, forever: one cell in a ring.
  static List repeat(Lazy<T> x) {
    std::vector<Lazy<T>> one;
    one.push_back(std::move(x));
    return List(Node{nullptr, makeRef<Ring>(std::move(one)), 0});
  }
  // The elements of xs over and over; throws ErrorCall "Prelude.cycle: empty
  // list" for an empty xs. Evaluates the spine of xs (which must be finite).
  static List cycle(const List& xs) {
    std::vector<Lazy<T>> items;
    List c = xs;
    while (auto u = c.uncons()) {
      items.push_back(u->first);
      c = std::move(u->second);
    }
    if (items.empty()) throw ErrorCall("Prelude.cycle: empty list");
    return List(Node{nullptr, makeRef<Ring>(std::move(items)), 0});
  }

  // True for the empty list; evaluates the first step only.
  bool isNil() const { return !node().cell && !node().ring; }
  // The first element as stored and the rest, or nothing for the empty list.
  std::optional<std::pair<Lazy<T>, List>> uncons() const {
    const Node& n = node();
    if (n.cell) return std::pair<Lazy<T>, List>(n.cell->head, n.cell->tail);
    if (n.ring) {
      const std::size_t next = n.pos + 1 == n.ring->items.size() ? 0 : n.pos + 1;
      return std::pair<Lazy<T>, List>(n.ring->items[n.pos], List(Node{nullptr, n.ring, next}));
    }
    return std::nullopt;
  }
  // The first element, as stored; throws ErrorCall "Prelude.head: empty list".
  const Lazy<T>& headLazy() const {
    const Node& n = node();
    if (n.cell) return n.cell->head;
    if (n.ring) return n.ring->items[n.pos];
    throw ErrorCall("Prelude.head: empty list");
  }
  // The first element, forced; throws ErrorCall "Prelude.head: empty list".
  const T& head() const { return headLazy().force(); }
  // All but the first element; throws ErrorCall "Prelude.tail: empty list".
  List tail() const {
    auto u = uncons();
    if (!u) throw ErrorCall("Prelude.tail: empty list");
    return std::move(u->second);
  }
  // The first n elements (all when shorter), produced on demand.
  List take(std::int64_t n) const {
    if (n <= 0) return List();
    return lazy([xs = *this, n]() -> List {
      auto u = xs.uncons();
      if (!u) return List();
      return cons(std::move(u->first), u->second.take(n - 1));
    });
  }
  // The elements, forced into a vector; the list must be finite.
  std::vector<T> toVector() const {
    std::vector<T> out;
    for (const T& x : *this) out.push_back(x);
    return out;
  }

  // Input iteration: each step evaluates one cell and forces its head.
  class iterator {
   public:
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::input_iterator_tag;
    iterator() = default;
    explicit iterator(List xs) : rest_(std::move(xs)) {}
    const T& operator*() const { return rest_.head(); }
    const T* operator->() const { return &rest_.head(); }
    iterator& operator++() {
      rest_ = rest_.tail();
      return *this;
    }
    void operator++(int) { ++*this; }
    friend bool operator==(const iterator& it, std::default_sentinel_t) { return it.rest_.isNil(); }

   private:
    List rest_;
  };
  iterator begin() const { return iterator(*this); }
  std::default_sentinel_t end() const { return {}; }

  // Element by element with T's ==; evaluates both lists as far as they agree
  // (never returns for two equal infinite lists).
  friend bool operator==(const List& a, const List& b)
    requires std::equality_comparable<T>
  {
    List x = a, y = b;
    for (;;) {
      auto u = x.uncons();
      auto v = y.uncons();
      if (!u || !v) return !u && !v;
      if (!applyForced(std::equal_to<>(), u->first, v->first)) return false;
      x = std::move(u->second);
      y = std::move(v->second);
    }
  }

  // The evaluated first step (the list's own cell and ring, for the
  // interfaces' walks).
  const Node& node() const { return node_.force(); }

 private:
  template <class>
  friend struct detail::ListCell;
  explicit List(Node n) : node_(std::move(n)) {}
  explicit List(Lazy<Node> n) : node_(std::move(n)) {}
  Lazy<Node> node_;
};

namespace detail {
template <class T>
struct ListCell : RefCounted {
  ListCell(Lazy<T> h, List<T> t) : head(std::move(h)), tail(std::move(t)) {}
  // Unlinks the rest of the list cell by cell while this destructor holds the
  // only reference to the next cell, so no destructor recurses into the next.
  ~ListCell() {
    List<T> rest = std::exchange(tail, List<T>());
    for (;;) {
      const ListNode<T>* n = rest.node_.peek();
      if (n == nullptr || !n->cell) return;
      Ref<ListCell<T>> next = n->cell;
      rest = List<T>();  // drops the step that held `next`
      if (!next.isUnique()) return;
      rest = std::exchange(next->tail, List<T>());
    }
  }
  Lazy<T> head;
  List<T> tail;
};
}  // namespace detail

template <class T>
struct TagOf<List<T>> {
  using type = ListTag;
  using element = T;
};

}  // namespace basis
