#pragma once
// Helpers shared by the aligning tests: reading lazy lists, failing values.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include <basis/lazy.hpp>
#include <basis/list.hpp>
#include <basis/types.hpp>

namespace juxtor_test {

using basis::List;
using basis::These;

// The error every deliberately failing value raises.
struct Boom : std::runtime_error {
  Boom() : std::runtime_error("boom") {}
};

template <class T>
List<T> list(std::initializer_list<T> xs) {
  return List<T>::fromRange(std::vector<T>(xs));
}

// A list whose first step fails.
template <class T>
List<T> failingList() {
  return List<T>::lazy([]() -> List<T> { throw Boom(); });
}

// A deferred value that fails when forced.
template <class T>
basis::Lazy<T> failing() {
  return basis::Lazy<T>::raise(Boom());
}

// The first n elements (all when fewer), forced.
template <class T>
std::vector<T> take(const List<T>& xs, std::int64_t n) {
  return xs.take(n).toVector();
}

template <class A, class B>
These<A, B> This(A a) {
  return These<A, B>::this_(a);
}
template <class A, class B>
These<A, B> That(B b) {
  return These<A, B>::that(b);
}
template <class A, class B>
These<A, B> Both(A a, B b) {
  return These<A, B>::these(a, b);
}

}  // namespace juxtor_test
