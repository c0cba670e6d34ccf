#pragma once
// Merging and padding built on the aligning interfaces: `salign` combines the
// elements two containers share with their semigroup, `padZip` and
// `padZipWith` pair up optional values for every aligning shape, and the
// list-only `lpadZip(With)` / `rpadZip(With)` keep the positions of one list.

#include <memory>
#include <optional>
#include <utility>

#include <basis/lazy.hpp>
#include <basis/list.hpp>
#include <basis/semigroup.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

// The merge of a and b: an element held by one side alone is kept as it is,
// two elements at one position give left <> right. One alignWith; throws what
// the semigroup throws, when the shape applies it.
template <class FA>
FA salign(const FA& a, const FA& b) {
  using A = shape_element_of<FA>;
  return Juxtor<shape_of<FA>>::alignWith(
      [](const These<A, A>& t) -> A {
        return t.fold([](const A& x) { return x; }, [](const A& y) { return y; },
                      [](const A& x, const A& y) { return basis::combine(x, y); });
      },
      a, b);
}

// Every position of either side as a pair of optional values. One alignWith.
template <class FA, class FB>
auto padZip(const FA& a, const FB& b) {
  using A = shape_element_of<FA>;
  using B = shape_element_of<FB>;
  using P = std::pair<std::optional<A>, std::optional<B>>;
  return Juxtor<shape_of<FA>>::alignWith(
      [](const These<A, B>& t) -> P {
        return t.fold([](const A& x) { return P(x, std::nullopt); }, [](const B& y) { return P(std::nullopt, y); },
                      [](const A& x, const B& y) { return P(x, y); });
      },
      a, b);
}

// f of the two optional values at every position of either side.
template <class Fn, class FA, class FB>
auto padZipWith(Fn f, const FA& a, const FB& b) {
  using A = shape_element_of<FA>;
  using B = shape_element_of<FB>;
  using OA = std::optional<A>;
  using OB = std::optional<B>;
  return Juxtor<shape_of<FA>>::alignWith(
      [f = std::move(f)](const These<A, B>& t) {
        return t.fold([&](const A& x) { return f(OA(x), OB()); }, [&](const B& y) { return f(OA(), OB(y)); },
                      [&](const A& x, const B& y) { return f(OA(x), OB(y)); });
      },
      a, b);
}

namespace detail {

// One element per element of ys: f(x, y) while xs lasts, then f(nothing, y).
// Examines ys first at each position, as the list alignment does, and stops
// as soon as ys ends (the rest of xs is never examined).
template <class R, class Fn, class A, class B>
basis::List<R> leftPadded(const std::shared_ptr<Fn>& f, const basis::List<A>& xs, const basis::List<B>& ys) {
  using basis::Lazy;
  using basis::List;
  return List<R>::lazy([f, xs, ys]() -> List<R> {
    auto v = ys.uncons();
    if (!v) return List<R>();
    auto u = xs.uncons();
    if (!u) {
      return basis::Functor<basis::ListTag>::fmap([f](const B& y) { return R((*f)(std::optional<A>(), y)); }, ys);
    }
    const Lazy<R> head = Lazy<R>::defer(
        [f, x = u->first, y = v->first] {
          std::optional<A> just(x.force());  // the left element first
          return R((*f)(std::move(just), y.force()));
        });
    return List<R>::cons(head, leftPadded<R>(f, u->second, v->second));
  });
}

}  // namespace detail

// f(optional x, y) for each y of ys, in order: x present while xs has a
// partner position, absent after. Lazy; each element deferred.
template <class Fn, class A, class B>
auto lpadZipWith(Fn f, const basis::List<A>& xs, const basis::List<B>& ys) {
  using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const std::optional<A>&, const B&>>;
  return detail::leftPadded<R>(std::make_shared<Fn>(std::move(f)), xs, ys);
}

// (optional x, y) for each y of ys.
template <class A, class B>
basis::List<std::pair<std::optional<A>, B>> lpadZip(const basis::List<A>& xs, const basis::List<B>& ys) {
  return lpadZipWith([](const std::optional<A>& x, const B& y) { return std::pair(x, y); }, xs, ys);
}

// f(x, optional y) for each x of xs, in order; positions of ys alone are
// dropped. The same as lpadZipWith with the arguments swapped.
template <class Fn, class A, class B>
auto rpadZipWith(Fn f, const basis::List<A>& xs, const basis::List<B>& ys) {
  return lpadZipWith([f = std::move(f)](const std::optional<B>& y, const A& x) { return f(x, y); }, ys, xs);
}

// (x, optional y) for each x of xs.
template <class A, class B>
basis::List<std::pair<A, std::optional<B>>> rpadZip(const basis::List<A>& xs, const basis::List<B>& ys) {
  return lpadZipWith([](const std::optional<B>& y, const A& x) { return std::pair(x, y); }, ys, xs);
}

}  // namespace juxtor
