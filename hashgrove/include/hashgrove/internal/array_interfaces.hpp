#pragma once
// The text form, deep evaluation and expression building of small arrays.
//
// Text form: the element list's form (the element type's `showList` of the
// elements), at every precedence, with no prefix and no parentheses.
// Expression: `fromList' n [elements]` of module Data.HashMap.Internal.Array.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <ranges>
#include <string>
#include <vector>

#include <basis/expr.hpp>
#include <basis/lift.hpp>
#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>
#include <basis/show.hpp>

#include "hashgrove/internal/array_block.hpp"

namespace hashgrove::internal::array {

// Applies the deep evaluation f to every element in index order (forcing a
// deferred slot first); returns the unit value. O(n).
template <class F, class E>
basis::Unit liftRnfArray(F&& f, const Array<E>& a) {
  for (const Slot<E>& x : a) f(slotValue<E>(x));
  return basis::unit;
}
// `rnfArray`: the same with the element type's deep evaluation given as f.
template <class F, class E>
basis::Unit rnfArray(F&& f, const Array<E>& a) {
  return liftRnfArray(std::forward<F>(f), a);
}

// The tag of the type constructor Array, for the lifted interfaces.
struct ArrayTag {
  template <class A>
  using apply = Array<A>;
};

namespace detail {
// The elements of an array in index order, each forced as it is read (what
// std::views::transform over the slots gives; clang before 16 cannot compile
// the standard's range adaptors with libstdc++ 12).
template <class E>
class SlotValues {
 public:
  class iterator {
   public:
    using value_type = E;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;
    iterator() = default;
    explicit iterator(const Slot<E>* p) : p_(p) {}
    const E& operator*() const { return slotValue<E>(*p_); }
    iterator& operator++() {
      ++p_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++p_;
      return old;
    }
    friend bool operator==(const iterator&, const iterator&) = default;

   private:
    const Slot<E>* p_ = nullptr;
  };
  explicit SlotValues(const Array<E>& a) : a_(&a) {}
  iterator begin() const { return iterator(a_->begin()); }
  iterator end() const { return iterator(a_->end()); }

 private:
  const Array<E>* a_;
};
}  // namespace detail

// The elements of a, forced, as a vector (for printers and lifting).
template <class E>
std::vector<E> forcedElements(const Array<E>& a) {
  std::vector<E> out;
  out.reserve(static_cast<std::size_t>(a.size()));
  for (const Slot<E>& x : a) out.push_back(slotValue<E>(x));
  return out;
}

}  // namespace hashgrove::internal::array

template <class E>
struct basis::Show<hashgrove::internal::array::Array<E>> : basis::ShowDefaults<hashgrove::internal::array::Array<E>> {
  static void showsPrec(int, const hashgrove::internal::array::Array<E>& a, std::string& out) {
    basis::showList<E>(hashgrove::internal::array::detail::SlotValues<E>(a), out);
  }
};

template <class E>
struct basis::NFData<hashgrove::internal::array::Array<E>> {
  static void rnf(const hashgrove::internal::array::Array<E>& a) {
    hashgrove::internal::array::rnfArray([](const E& x) { basis::NFData<E>::rnf(x); }, a);
  }
};

template <class E>
struct basis::TagOf<hashgrove::internal::array::Array<E>> {
  using type = hashgrove::internal::array::ArrayTag;
  using element = E;
};

// `liftRnf` is `liftRnfArray`.
template <>
struct basis::NFData1<hashgrove::internal::array::ArrayTag> {
  template <class R, class E>
  static void liftRnf(const R& r, const hashgrove::internal::array::Array<E>& a) {
    hashgrove::internal::array::liftRnfArray(r, a);
  }
};

template <class E>
struct basis::Lift<hashgrove::internal::array::Array<E>> : basis::LiftDefaults<hashgrove::internal::array::Array<E>> {
  static basis::expr::Exp lift(const hashgrove::internal::array::Array<E>& a) {
    using namespace basis::expr;
    const Exp fromList = VarE(mkNameG_v("hashgrove", "Data.HashMap.Internal.Array", "fromList'"));
    const Exp count = LitE(IntegerL(static_cast<std::int64_t>(a.size())));
    return AppE(AppE(fromList, count), basis::lift(hashgrove::internal::array::forcedElements(a)));
  }
};
