#pragma once
// Aligning and zipping step-driven streams and bundles.
//
// The aligner runs two streams side by side: it takes one left element, then
// runs the right stream until it yields or ends, and only then takes the next
// left element. Both yielding give f(These x y); after the right stream ends
// each further left element gives f(This x) (the right step is run again on
// its final state, so it must report Done again); after the left stream ends
// each further right element gives f(That y). Every left step and every right
// Skip is a Skip of the aligned stream. The zipper stops at the first Done of
// either side. Elements are deferred: f runs when an element is demanded, and
// no input element is evaluated.
//
// The step logic is written once over the step results; the monadic streams
// sequence the steps with the monad's bind and return, and vector aligning
// runs the same logic on plain index states.

#include <memory>
#include <optional>
#include <utility>

#include <basis/lazy.hpp>
#include <basis/monad.hpp>
#include <basis/stream.hpp>

#include "juxtor/internal/classes.hpp"
#include "juxtor/internal/errors.hpp"

namespace juxtor {

namespace detail {

using basis::Step;
using basis::StepKind;

// The aligner's state: left state, right state, the left element taken and
// not yet emitted, and whether the left stream has ended.
template <class SA, class SB, class A>
struct AlignerState {
  SA left;
  SB right;
  std::optional<basis::Lazy<A>> pending;
  bool leftDone = false;
};

// The aligned step after the left stream stepped: always a Skip.
template <class R, class SA, class SB, class A>
Step<AlignerState<SA, SB, A>, R> afterLeft(const AlignerState<SA, SB, A>& st, const Step<SA, A>& r) {
  using S = AlignerState<SA, SB, A>;
  using Out = Step<S, R>;
  switch (r.kind) {
    case StepKind::Yield:
      return Out::skip(S{*r.next, st.right, r.element, false});
    case StepKind::Skip:
      return Out::skip(S{*r.next, st.right, std::nullopt, false});
    case StepKind::Done:
      break;
  }
  return Out::skip(S{st.left, st.right, std::nullopt, true});
}

// The aligned step after the right stream stepped.
template <class R, class Fn, class SA, class SB, class A, class B>
Step<AlignerState<SA, SB, A>, R> afterRight(const std::shared_ptr<Fn>& f, const AlignerState<SA, SB, A>& st,
                                            const Step<SB, B>& r) {
  using S = AlignerState<SA, SB, A>;
  using Out = Step<S, R>;
  using T = These<A, B>;
  using basis::Lazy;
  switch (r.kind) {
    case StepKind::Yield: {
      const Lazy<B>& y = *r.element;
      Lazy<R> out = st.pending ? Lazy<R>::defer([f, x = *st.pending, y] { return R((*f)(basis::applyForced(&T::these, x, y))); })
                               : Lazy<R>::defer([f, y] { return R((*f)(T::that(y.force()))); });
      return Out::yield(std::move(out), S{st.left, *r.next, std::nullopt, st.leftDone});
    }
    case StepKind::Skip:
      return Out::skip(S{st.left, *r.next, st.pending, st.leftDone});
    case StepKind::Done:
      break;
  }
  if (st.leftDone) return Out::done();
  if (!st.pending) throwAlignStreamCase();
  return Out::yield(Lazy<R>::defer([f, x = *st.pending] { return R((*f)(T::this_(x.force()))); }),
                    S{st.left, st.right, std::nullopt, false});
}

// One aligned step with the side steps called directly (the pure form).
template <class R, class Fn, class StepA, class StepB, class SA, class SB, class A>
Step<AlignerState<SA, SB, A>, R> alignStepPure(const std::shared_ptr<Fn>& f, StepA& stepA, StepB& stepB,
                                               const AlignerState<SA, SB, A>& st) {
  if (!st.pending && !st.leftDone) return afterLeft<R>(st, stepA(st.left));
  return afterRight<R>(f, st, stepB(st.right));
}

// A step result with its typed state erased.
template <class S, class R>
Step<basis::StreamState, R> erase(Step<S, R>&& r) {
  if (r.kind == StepKind::Done) return Step<basis::StreamState, R>::done();
  basis::StreamState next = std::make_shared<const S>(std::move(*r.next));
  return Step<basis::StreamState, R>{r.kind, std::move(r.element), std::move(next)};
}

// The zipper's state: left state, right state, the left element taken.
template <class A>
struct ZipperState {
  basis::StreamState left;
  basis::StreamState right;
  std::optional<basis::Lazy<A>> pending;
};

}  // namespace detail

// ---------------------------------------------------------------------------
// Streams, for any monad M.

template <class M>
struct Juxtor<basis::StreamOf<M>> : JuxtorDefaults<basis::StreamOf<M>> {
  // The aligned stream; nothing is stepped until it is run.
  template <class Fn, class A, class B>
  static auto alignWith(Fn f, const basis::Stream<M, A>& l, const basis::Stream<M, B>& r) {
    using R = basis::Mapped<Fn, These<A, B>>;
    using SS = basis::StreamState;
    using S = detail::AlignerState<SS, SS, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto step = [fp, ls = l.step, rs = r.step](const SS& erased) {
      const S& st = *static_cast<const S*>(erased.get());
      if (!st.pending && !st.leftDone) {
        return basis::Monad<M>::bind(ls(st.left), [st](const basis::Step<SS, A>& x) {
          return basis::Applicative<M>::pure(detail::erase(detail::afterLeft<R>(st, x)));
        });
      }
      return basis::Monad<M>::bind(rs(st.right), [fp, st](const basis::Step<SS, B>& y) {
        return basis::Applicative<M>::pure(detail::erase(detail::afterRight<R>(fp, st, y)));
      });
    };
    return basis::Stream<M, R>{std::move(step), std::make_shared<const S>(S{l.state, r.state, std::nullopt, false})};
  }
};

template <class M>
struct Align<basis::StreamOf<M>> {
  // Done at once, whatever the state.
  template <class A>
  static basis::Stream<M, A> nil() {
    using R = basis::Step<basis::StreamState, A>;
    auto done = basis::Applicative<M>::pure(R::done());
    return {[done](const basis::StreamState&) { return done; }, std::make_shared<const basis::Unit>()};
  }
};

template <class M>
struct Zip<basis::StreamOf<M>> : ZipDefaults<basis::StreamOf<M>> {
  // f of the elements both streams yield, up to the first Done of either; a
  // left element taken just before the right stream ends is dropped.
  template <class Fn, class A, class B>
  static auto zipWith(Fn f, const basis::Stream<M, A>& l, const basis::Stream<M, B>& r) {
    using R = basis::Mapped<Fn, A, B>;
    using SS = basis::StreamState;
    using S = detail::ZipperState<A>;
    using Out = basis::Step<SS, R>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto next = [](S s) -> SS { return std::make_shared<const S>(std::move(s)); };
    auto step = [fp, next, ls = l.step, rs = r.step](const SS& erased) {
      const S& st = *static_cast<const S*>(erased.get());
      if (!st.pending) {
        return basis::Monad<M>::bind(ls(st.left), [st, next](const basis::Step<SS, A>& x) {
          switch (x.kind) {
            case basis::StepKind::Yield: return basis::Applicative<M>::pure(Out::skip(next(S{*x.next, st.right, x.element})));
            case basis::StepKind::Skip: return basis::Applicative<M>::pure(Out::skip(next(S{*x.next, st.right, std::nullopt})));
            case basis::StepKind::Done: break;
          }
          return basis::Applicative<M>::pure(Out::done());
        });
      }
      return basis::Monad<M>::bind(rs(st.right), [fp, st, next](const basis::Step<SS, B>& y) {
        switch (y.kind) {
          case basis::StepKind::Yield: {
            auto z = basis::Lazy<R>::defer([fp, a = *st.pending, b = *y.element] { return R(basis::applyForced(*fp, a, b)); });
            return basis::Applicative<M>::pure(Out::yield(std::move(z), next(S{st.left, *y.next, std::nullopt})));
          }
          case basis::StepKind::Skip: return basis::Applicative<M>::pure(Out::skip(next(S{st.left, *y.next, st.pending})));
          case basis::StepKind::Done: break;
        }
        return basis::Applicative<M>::pure(Out::done());
      });
    };
    return basis::Stream<M, R>{std::move(step), next(S{l.state, r.state, std::nullopt})};
  }
};

// ---------------------------------------------------------------------------
// Bundles: the element streams aligned or zipped, chunks derived from the
// result, no source vector, the size hint the deferred larger (aligning) or
// smaller (zipping) of the two.

template <class M>
struct Juxtor<basis::BundleOf<M>> : JuxtorDefaults<basis::BundleOf<M>> {
  template <class Fn, class A, class B>
  static auto alignWith(Fn f, const basis::Bundle<M, A>& a, const basis::Bundle<M, B>& b) {
    auto size = basis::Lazy<basis::Size>::defer([x = a.size, y = b.size] { return basis::applyForced(basis::larger, x, y); });
    return basis::bundleOf(Juxtor<basis::StreamOf<M>>::alignWith(std::move(f), a.elements, b.elements), size);
  }
};

template <class M>
struct Align<basis::BundleOf<M>> {
  template <class A>
  static basis::Bundle<M, A> nil() {
    return basis::bundleOf(Align<basis::StreamOf<M>>::template nil<A>(), basis::Lazy<basis::Size>(basis::Size::exact(0)));
  }
};

template <class M>
struct Zip<basis::BundleOf<M>> : ZipDefaults<basis::BundleOf<M>> {
  template <class Fn, class A, class B>
  static auto zipWith(Fn f, const basis::Bundle<M, A>& a, const basis::Bundle<M, B>& b) {
    auto size = basis::Lazy<basis::Size>::defer([x = a.size, y = b.size] { return basis::applyForced(basis::smaller, x, y); });
    return basis::bundleOf(Zip<basis::StreamOf<M>>::zipWith(std::move(f), a.elements, b.elements), size);
  }
};

}  // namespace juxtor
