#pragma once
// Aligning, zipping and unzipping vectors.
//
// `alignVectorWith` aligns two vectors of any vector family with a generic
// vector interface (basis::GenericVector) by running the stream aligner over
// their elements in its pure form and writing the result into one allocation
// of the exact length max(nA, nB). Zipping allocates the shorter length once;
// unzipping builds each side from deferred selections. No operation evaluates
// an element: each result element is a deferred computation.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <basis/lazy.hpp>
#include <basis/stream.hpp>
#include <basis/vector.hpp>

#include "juxtor/internal/classes.hpp"
#include "juxtor/internal/stream.hpp"

namespace juxtor {

namespace detail {

// The element stream of a vector in the pure form: Yield element i (as
// stored) with state i + 1 while i < n, then Done.
template <class V, class VA>
auto indexStep(const VA& xs) {
  using A = basis::element_of<VA>;
  const std::size_t n = basis::GenericVector<V>::basicLength(xs);
  return [&xs, n](std::size_t i) {
    using R = Step<std::size_t, A>;
    return i < n ? R::yield(basis::GenericVector<V>::basicUnsafeIndexM(xs, i), i + 1) : R::done();
  };
}

// Runs the pure aligner over two vectors and hands each element to emit(i,
// element) with its position; returns the count.
template <class R, class V, class Fn, class VA, class VB, class Emit>
std::size_t runAligned(const std::shared_ptr<Fn>& f, const VA& xs, const VB& ys, Emit emit) {
  using A = basis::element_of<VA>;
  auto stepA = indexStep<V>(xs);
  auto stepB = indexStep<V>(ys);
  AlignerState<std::size_t, std::size_t, A> st{0, 0, std::nullopt, false};
  std::size_t i = 0;
  for (;;) {
    auto r = alignStepPure<R>(f, stepA, stepB, st);
    if (r.kind == StepKind::Done) return i;
    if (r.kind == StepKind::Yield) emit(i++, std::move(*r.element));
    st = std::move(*r.next);
  }
}

}  // namespace detail

// The vector of length max(|xs|, |ys|) whose element i is the deferred
// f(These xs[i] ys[i]) below both lengths, f(This xs[i]) or f(That ys[i])
// beyond the shorter. One allocation; no element evaluated.
template <class Fn, class VA, class VB>
auto alignVectorWith(Fn f, const VA& xs, const VB& ys) {
  using V = basis::tag_of<VA>;
  using G = basis::GenericVector<V>;
  using R = basis::Mapped<Fn, These<basis::element_of<VA>, basis::element_of<VB>>>;
  const std::size_t n = std::max(G::basicLength(xs), G::basicLength(ys));
  auto out = G::template basicUnsafeNew<R>(n);
  const std::size_t filled = detail::runAligned<R, V>(
      std::make_shared<Fn>(std::move(f)), xs, ys,
      [&out](std::size_t i, basis::Lazy<R> x) { G::basicUnsafeWrite(out, i, std::move(x)); });
  return G::basicUnsafeFreeze(std::move(out), filled);
}

template <>
struct Juxtor<basis::BoxedVectorTag> : JuxtorDefaults<basis::BoxedVectorTag> {
  template <class Fn, class A, class B>
  static auto alignWith(Fn f, const basis::Vector<A>& xs, const basis::Vector<B>& ys) {
    return alignVectorWith(std::move(f), xs, ys);
  }
};

template <>
struct Align<basis::BoxedVectorTag> {
  // The empty vector.
  template <class A>
  static basis::Vector<A> nil() {
    return {};
  }
};

namespace detail {
// The vector of n = min(|xs|, |ys|) elements at(i) in one pass.
template <class R, class A, class B, class At>
basis::Vector<R> zipVectors(const basis::Vector<A>& xs, const basis::Vector<B>& ys, At at) {
  const std::size_t n = std::min(xs.size(), ys.size());
  std::vector<basis::Lazy<R>> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(at(i, xs.lazyAt(i), ys.lazyAt(i)));
  return basis::Vector<R>::fromLazy(std::move(out));
}
}  // namespace detail

template <>
struct Zip<basis::BoxedVectorTag> {
  // The pairs (xs[i], ys[i]) below the shorter length, each built when read.
  template <class A, class B>
  static basis::Vector<std::pair<A, B>> zip(const basis::Vector<A>& xs, const basis::Vector<B>& ys) {
    using P = std::pair<A, B>;
    return detail::zipVectors<P>(xs, ys, [](std::size_t, const basis::Lazy<A>& x, const basis::Lazy<B>& y) {
      return basis::Lazy<P>::defer([x, y] { return basis::applyForced(detail::MakePair{}, x, y); });
    });
  }
  // The deferred f(xs[i], ys[i]) below the shorter length.
  template <class Fn, class A, class B>
  static auto zipWith(Fn f, const basis::Vector<A>& xs, const basis::Vector<B>& ys) {
    using R = basis::Mapped<Fn, A, B>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return detail::zipVectors<R>(xs, ys, [&fp](std::size_t, const basis::Lazy<A>& x, const basis::Lazy<B>& y) {
      return basis::Lazy<R>::defer([fp, x, y] { return R(basis::applyForced(*fp, x, y)); });
    });
  }
};

template <>
struct Unzip<basis::BoxedVectorTag> {
  // Two vectors of the deferred components; no element is evaluated.
  template <class A, class B>
  static std::pair<basis::Vector<A>, basis::Vector<B>> unzip(const basis::Vector<std::pair<A, B>>& xs) {
    return {basis::Functor<basis::BoxedVectorTag>::fmap(detail::First{}, xs),
            basis::Functor<basis::BoxedVectorTag>::fmap(detail::Second{}, xs)};
  }
  // unzip of the vector of deferred f(x); f at most once per element.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::Vector<C>& xs) {
    return unzip(basis::Functor<basis::BoxedVectorTag>::fmap(std::move(f), xs));
  }
};

template <>
struct JuxtorWithIndex<basis::BoxedVectorTag> {
  // The deferred f(i, t) for each position i of the alignment, counted while
  // filling the one result array.
  template <class Fn, class A, class B>
  static auto ialignWith(Fn f, const basis::Vector<A>& xs, const basis::Vector<B>& ys) {
    using T = These<A, B>;
    using R = basis::IMapped<Fn, std::int64_t, T>;
    auto fp = std::make_shared<Fn>(std::move(f));
    basis::MVector<R> out(std::max(xs.size(), ys.size()));
    const std::size_t filled = detail::runAligned<T, basis::BoxedVectorTag>(
        std::make_shared<detail::Id>(), xs, ys, [&out, &fp](std::size_t i, basis::Lazy<T> t) {
          out.write(i, basis::Lazy<R>::defer([fp, i, t] { return R((*fp)(static_cast<std::int64_t>(i), t.force())); }));
        });
    return std::move(out).freeze(filled);
  }
};

template <>
struct ZipWithIndex<basis::BoxedVectorTag> {
  // The deferred f(i, xs[i], ys[i]) below the shorter length.
  template <class Fn, class A, class B>
  static auto izipWith(Fn f, const basis::Vector<A>& xs, const basis::Vector<B>& ys) {
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const std::int64_t&, const A&, const B&>>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return detail::zipVectors<R>(xs, ys, [&fp](std::size_t i, const basis::Lazy<A>& x, const basis::Lazy<B>& y) {
      return basis::Lazy<R>::defer([fp, i, x, y] { return R(basis::applyForced(*fp, static_cast<std::int64_t>(i), x, y)); });
    });
  }
};

}  // namespace juxtor
