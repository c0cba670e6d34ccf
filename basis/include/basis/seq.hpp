#pragma once
// Seq<T>: an immutable finite sequence, viewed from the front (`viewl`) and
// grown at the front (`<|`, here `cons`) in O(1), sharing its tail with the
// sequence it was built from. Appending two sequences (its Semigroup) copies
// the left one. Destroying a long sequence is a loop, not a recursion.

#include <compare>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ranges>
#include <utility>
#include <vector>

#include "basis/ref.hpp"
#include "basis/semigroup.hpp"

namespace basis {

template <class T>
class Seq {
  struct Node : RefCounted {
    Node(T v, Ref<Node> n) : value(std::move(v)), next(std::move(n)) {}
    // Unlinks the tail node by node while this node holds its only reference.
    ~Node() {
      Ref<Node> p = std::move(next);
      while (p && p.isUnique()) {
        Ref<Node> after = std::move(p->next);
        p = std::move(after);
      }
    }
    T value;
    Ref<Node> next;
  };

 public:
  using value_type = T;

  // The empty sequence.
  Seq() = default;
  Seq(std::initializer_list<T> xs) : Seq(fromRange(std::vector<T>(xs))) {}

  // The elements of a finite input range, in order. O(n).
  template <std::ranges::input_range R>
  static Seq fromRange(R&& r) {
    std::vector<T> xs;
    for (auto&& x : r) xs.push_back(T(x));
    Seq s;
    for (auto it = xs.rbegin(); it != xs.rend(); ++it) s = cons(std::move(*it), std::move(s));
    return s;
  }

  // x in front of s (the platform's `<|`). O(1); shares s.
  static Seq cons(T x, Seq s) {
    Seq r;
    r.size_ = s.size_ + 1;
    r.head_ = makeRef<Node>(std::move(x), std::move(s.head_));
    return r;
  }

  // The first element and the rest, or nothing for the empty sequence
  // (the platform's `viewl`). O(1); the rest shares this sequence's cells.
  std::optional<std::pair<T, Seq>> viewl() const {
    if (!head_) return std::nullopt;
    Seq rest;
    rest.head_ = head_->next;
    rest.size_ = size_ - 1;
    return std::pair<T, Seq>(head_->value, std::move(rest));
  }

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }

  class const_iterator {
   public:
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;
    using reference = const T&;
    using pointer = const T*;
    const_iterator() = default;
    explicit const_iterator(const Node* n) : n_(n) {}
    const T& operator*() const { return n_->value; }
    const T* operator->() const { return &n_->value; }
    const_iterator& operator++() {
      n_ = n_->next.get();
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator c = *this;
      ++*this;
      return c;
    }
    friend bool operator==(const const_iterator&, const const_iterator&) = default;

   private:
    const Node* n_ = nullptr;
  };
  const_iterator begin() const { return const_iterator(head_.get()); }
  const_iterator end() const { return const_iterator(); }

  std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }

  // Element by element, then by length.
  friend bool operator==(const Seq& a, const Seq& b) {
    if (a.size_ != b.size_) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
      if (!(*i == *j)) return false;
    return true;
  }
  // Lexicographic.
  friend auto operator<=>(const Seq& a, const Seq& b)
    requires std::three_way_comparable<T>
  {
    auto i = a.begin(), j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j)
      if (auto c = *i <=> *j; c != 0) return c;
    return a.size_ <=> b.size_;
  }

 private:
  Ref<Node> head_;
  std::size_t size_ = 0;
};

// Concatenation: copies the left sequence, shares the right one.
template <class T>
struct Semigroup<Seq<T>> : SemigroupDefaults<Seq<T>> {
  static Seq<T> combine(const Seq<T>& a, const Seq<T>& b) {
    std::vector<T> xs = a.toVector();
    Seq<T> r = b;
    for (auto it = xs.rbegin(); it != xs.rend(); ++it) r = Seq<T>::cons(std::move(*it), std::move(r));
    return r;
  }
};
template <class T>
struct Monoid<Seq<T>> : MonoidDefaults<Seq<T>> {
  static Seq<T> mempty() { return {}; }
};

}  // namespace basis
