#pragma once
// Vector<T>: an immutable boxed vector, a shared array of deferred elements
// seen through an offset and a length (a slice shares its array). Building
// one fills a fresh MVector and freezes it; nothing writes into a frozen
// array. Elements are basis::Lazy<T>: no operation here forces an element
// unless it hands back a plain T.
//
// Interfaces (BoxedVectorTag): Functor (elements deferred), FunctorWithIndex
// (the position), Foldable, Traversable, and `==` (forced elements).

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/functor_with_index.hpp"
#include "basis/lazy.hpp"
#include "basis/ref.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class T>
class Vector;

// A vector under construction: slots are written once each, in any order
// within the length given at allocation (the bundle fills front to back).
template <class T>
class MVector {
 public:
  // A fresh vector of n slots, none written yet.
  explicit MVector(std::size_t n) : length_(n) { slots_.reserve(n); }
  std::size_t size() const noexcept { return length_; }
  // Stores x at slot i. Slots are written front to back (i is the count of
  // slots written so far) or rewritten; anything else is a logic error.
  void write(std::size_t i, Lazy<T> x) {
    assert(i <= slots_.size() && i < length_);
    if (i == slots_.size()) {
      slots_.push_back(std::move(x));
    } else {
      slots_[i] = std::move(x);
    }
  }
  // The first n slots, all written, as a vector; the builder is used up.
  Vector<T> freeze(std::size_t n) &&;

 private:
  std::vector<Lazy<T>> slots_;
  std::size_t length_;
};

template <class T>
class Vector {
  struct Block : RefCounted {
    explicit Block(std::vector<Lazy<T>> xs) : items(std::move(xs)) {}
    std::vector<Lazy<T>> items;
  };

 public:
  using value_type = T;

  // The empty vector.
  Vector() = default;
  Vector(std::initializer_list<T> xs) : Vector(fromList(std::vector<T>(xs))) {}
  // The elements of a finite range, evaluated, in order. O(n).
  template <class R>
  static Vector fromList(const R& xs) {
    std::vector<Lazy<T>> items;
    for (const auto& x : xs) items.push_back(Lazy<T>(x));
    return fromLazy(std::move(items));
  }
  // A vector of the given stored elements. O(1) beyond the move.
  static Vector fromLazy(std::vector<Lazy<T>> items) {
    Vector v;
    v.length_ = items.size();
    if (!items.empty()) v.block_ = makeRef<Block>(std::move(items));
    return v;
  }

  std::size_t size() const noexcept { return length_; }
  bool empty() const noexcept { return length_ == 0; }
  // Where this vector starts in its array.
  std::size_t offset() const noexcept { return offset_; }
  // Element i as stored, unchecked (i < size(); checked in debug builds).
  const Lazy<T>& lazyAt(std::size_t i) const noexcept {
    assert(i < length_);
    return block_->items[offset_ + i];
  }
  // Element i, forced; throws std::out_of_range past the end.
  const T& at(std::size_t i) const {
    if (i >= length_) throw std::out_of_range("Data.Vector: index out of bounds");
    return lazyAt(i).force();
  }
  // The n elements from position i (clamped to the vector), sharing the array.
  Vector slice(std::size_t i, std::size_t n) const {
    Vector v = *this;
    i = std::min(i, length_);
    v.offset_ = offset_ + i;
    v.length_ = std::min(n, length_ - i);
    return v;
  }
  // The elements, forced, in order.
  std::vector<T> toVector() const {
    std::vector<T> out;
    out.reserve(length_);
    for (std::size_t i = 0; i < length_; ++i) out.push_back(lazyAt(i).force());
    return out;
  }

  // Same length and equal forced elements.
  friend bool operator==(const Vector& a, const Vector& b)
    requires std::equality_comparable<T>
  {
    if (a.length_ != b.length_) return false;
    for (std::size_t i = 0; i < a.length_; ++i)
      if (!applyForced(std::equal_to<>(), a.lazyAt(i), b.lazyAt(i))) return false;
    return true;
  }

 private:
  Ref<Block> block_;
  std::size_t offset_ = 0;
  std::size_t length_ = 0;
};

template <class T>
Vector<T> MVector<T>::freeze(std::size_t n) && {
  if (n > slots_.size()) throw std::logic_error("MVector::freeze: slot not written");
  slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(n), slots_.end());
  return Vector<T>::fromLazy(std::move(slots_));
}

// The generic vector interface a vector family VTag provides for building
// vectors element by element: length, unchecked stored element, a fresh
// mutable vector, unchecked write, and freezing without a copy.
template <class VTag>
struct GenericVector;

struct BoxedVectorTag {
  template <class A>
  using apply = Vector<A>;
};
template <class T>
struct TagOf<Vector<T>> {
  using type = BoxedVectorTag;
  using element = T;
};

template <>
struct GenericVector<BoxedVectorTag> {
  template <class A>
  using Mutable = MVector<A>;
  template <class A>
  static std::size_t basicLength(const Vector<A>& v) noexcept {
    return v.size();
  }
  template <class A>
  static const Lazy<A>& basicUnsafeIndexM(const Vector<A>& v, std::size_t i) noexcept {
    return v.lazyAt(i);
  }
  template <class A>
  static MVector<A> basicUnsafeNew(std::size_t n) {
    return MVector<A>(n);
  }
  template <class A>
  static void basicUnsafeWrite(MVector<A>& m, std::size_t i, Lazy<A> x) {
    m.write(i, std::move(x));
  }
  template <class A>
  static Vector<A> basicUnsafeFreeze(MVector<A>&& m, std::size_t n) {
    return std::move(m).freeze(n);
  }
};

// Every element the deferred f(x). O(n).
template <>
struct Functor<BoxedVectorTag> : FunctorDefaults<BoxedVectorTag> {
  template <class Fn, class A>
  static Vector<Mapped<Fn, A>> fmap(Fn f, const Vector<A>& xs) {
    using B = Mapped<Fn, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    std::vector<Lazy<B>> out;
    out.reserve(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
      out.push_back(Lazy<B>::defer([fp, x = xs.lazyAt(i)] { return B((*fp)(x.force())); }));
    }
    return Vector<B>::fromLazy(std::move(out));
  }
};

// Element i the deferred f(i, x).
template <>
struct FunctorWithIndex<BoxedVectorTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static Vector<IMapped<Fn, Index, A>> imap(Fn f, const Vector<A>& xs) {
    using B = IMapped<Fn, Index, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    std::vector<Lazy<B>> out;
    out.reserve(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
      out.push_back(Lazy<B>::defer([fp, i, x = xs.lazyAt(i)] { return B((*fp)(static_cast<Index>(i), x.force())); }));
    }
    return Vector<B>::fromLazy(std::move(out));
  }
};

// Elements in order, handed as stored (const Lazy<A>&).
template <>
struct Foldable<BoxedVectorTag> : FoldableDefaults<BoxedVectorTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const Vector<A>& xs) {
    return go<lazy_value_t<Z>>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), xs, 0);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const Vector<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    for (std::size_t i = 0; i < xs.size(); ++i) acc = f(std::move(acc), xs.lazyAt(i));
    return acc;
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const Vector<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    for (std::size_t i = xs.size(); i > 0; --i) acc = f(xs.lazyAt(i - 1), std::move(acc));
    return acc;
  }
  template <class A>
  static std::int64_t length(const Vector<A>& xs) {
    return static_cast<std::int64_t>(xs.size());
  }

 private:
  template <class B, class Fn, class A>
  static B go(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const Vector<A>& xs, std::size_t i) {
    if (i == xs.size()) return z.force();
    return (*f)(xs.lazyAt(i), Lazy<B>::defer([f, z, xs, i] { return go<B>(f, z, xs, i + 1); }));
  }
};

// The actions in order; the vector rebuilt inside the applicative.
template <>
struct Traversable<BoxedVectorTag> : TraversableDefaults<BoxedVectorTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Vector<A>& xs) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    return Functor<tag_of<GB>>::fmap([](const std::vector<B>& ys) { return Vector<B>::fromList(ys); },
                                     Traversable<VectorTag>::traverse(std::move(g), xs.toVector()));
  }
};

}  // namespace basis
