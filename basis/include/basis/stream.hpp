#pragma once
// Step-driven sequences: Stream<M, A>, a step action in a monad M with a
// current state, and Bundle<M, A>, a stream with its chunk stream, an
// optional source vector and a size hint.
//
// A stream is consumed by running its step on the current state, then on the
// state that step returns, until Done. Each stream's state type is its own: a
// Stream holds it erased (a shared immutable value that only its step reads).
// Elements are deferred values; no operation here forces one. Chunks write
// their elements into an MVector at a position. Interfaces: Functor of
// StreamOf<M> and BundleOf<M> (elements mapped, deferred).

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/monad.hpp"
#include "basis/vector.hpp"

namespace basis {

enum class StepKind : unsigned char { Yield, Skip, Done };

// One step's result: Yield (an element and the next state), Skip (the next
// state) or Done.
template <class S, class A>
struct Step {
  StepKind kind = StepKind::Done;
  std::optional<Lazy<A>> element;
  std::optional<S> next;

  static Step yield(Lazy<A> x, S s) { return {StepKind::Yield, std::move(x), std::move(s)}; }
  static Step skip(S s) { return {StepKind::Skip, std::nullopt, std::move(s)}; }
  static Step done() { return {StepKind::Done, std::nullopt, std::nullopt}; }
};

// A size hint: exactly n, at most n, or unknown.
struct Size {
  enum class Kind : unsigned char { Exact, Max, Unknown };
  Kind kind = Kind::Unknown;
  std::int64_t n = 0;
  static Size exact(std::int64_t n) { return {Kind::Exact, n}; }
  static Size max(std::int64_t n) { return {Kind::Max, n}; }
  static Size unknown() { return {}; }
  // The bound a builder may allocate, when there is one.
  std::optional<std::int64_t> upperBound() const {
    return kind == Kind::Unknown ? std::nullopt : std::optional<std::int64_t>(n);
  }
  friend bool operator==(const Size&, const Size&) = default;
};
// The hint of a sequence as long as the longer of two.
inline Size larger(const Size& a, const Size& b) {
  using K = Size::Kind;
  if (a.kind == K::Unknown || b.kind == K::Unknown) return Size::unknown();
  const std::int64_t m = std::max(a.n, b.n);
  return a.kind == K::Exact && b.kind == K::Exact ? Size::exact(m) : Size::max(m);
}
// The hint of a sequence as long as the shorter of two.
inline Size smaller(const Size& a, const Size& b) {
  using K = Size::Kind;
  if (a.kind == K::Unknown && b.kind == K::Unknown) return Size::unknown();
  if (a.kind == K::Unknown) return Size::max(b.n);
  if (b.kind == K::Unknown) return Size::max(a.n);
  const std::int64_t m = std::min(a.n, b.n);
  return a.kind == K::Exact && b.kind == K::Exact ? Size::exact(m) : Size::max(m);
}

// A stream's erased state.
using StreamState = std::shared_ptr<const void>;

template <class M, class A>
struct Stream {
  using StepResult = Step<StreamState, A>;
  std::function<Apply<M, StepResult>(const StreamState&)> step;
  StreamState state;
};

// The stream of a typed step function and initial state.
template <class M, class A, class S, class StepFn>
Stream<M, A> makeStream(StepFn step, S initial) {
  using R = Step<StreamState, A>;
  auto erased = [step = std::move(step)](const StreamState& s) {
    return Functor<M>::fmap(
        [](const Step<S, A>& r) {
          if (r.kind == StepKind::Done) return R::done();
          StreamState next = std::make_shared<const S>(*r.next);
          return R{r.kind, r.element, std::move(next)};
        },
        demand(step(*static_cast<const S*>(s.get()))));
  };
  return Stream<M, A>{std::move(erased), std::make_shared<const S>(std::move(initial))};
}

// The elements of a vector, front to back.
template <class M, class A>
Stream<M, A> streamFromVector(const Vector<A>& xs) {
  return makeStream<M, A, std::size_t>(
      [xs](std::size_t i) {
        using R = Step<std::size_t, A>;
        return Applicative<M>::pure(i < xs.size() ? R::yield(xs.lazyAt(i), i + 1) : R::done());
      },
      std::size_t{0});
}

// In a monad whose values are at hand (M = IdentityTag): every step of the
// stream run in order, the elements as stored.
template <class A>
std::vector<Lazy<A>> runPure(const Stream<IdentityTag, A>& s) {
  std::vector<Lazy<A>> out;
  StreamState st = s.state;
  for (;;) {
    Step<StreamState, A> r = s.step(st).value;
    if (r.kind == StepKind::Done) return out;
    if (r.kind == StepKind::Yield) out.push_back(*r.element);
    st = *r.next;
  }
}

template <class M>
struct StreamOf {
  template <class A>
  using apply = Stream<M, A>;
};
template <class M, class A>
struct TagOf<Stream<M, A>> {
  using type = StreamOf<M>;
  using element = A;
};

// Each element the deferred f(x); the steps otherwise unchanged.
template <class M>
struct Functor<StreamOf<M>> : FunctorDefaults<StreamOf<M>> {
  template <class Fn, class A>
  static Stream<M, Mapped<Fn, A>> fmap(Fn f, const Stream<M, A>& s) {
    using B = Mapped<Fn, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto step = [fp, inner = s.step](const StreamState& st) {
      return Functor<M>::fmap(
          [fp](const Step<StreamState, A>& r) {
            if (r.kind != StepKind::Yield) return Step<StreamState, B>{r.kind, std::nullopt, r.next};
            return Step<StreamState, B>::yield(Lazy<B>::defer([fp, x = *r.element] { return B((*fp)(x.force())); }),
                                               *r.next);
          },
          inner(st));
    };
    return Stream<M, B>{std::move(step), s.state};
  }
};

// A count of elements and the writer that stores them into a vector under
// construction from a position on.
template <class A>
struct Chunk {
  std::int64_t count = 0;
  std::function<void(MVector<A>&, std::size_t)> write;
};

// The chunk stream of an element stream: one chunk of one element per Yield,
// writing it at the position it is given.
template <class M, class A>
Stream<M, Chunk<A>> chunksOf(const Stream<M, A>& s) {
  using C = Chunk<A>;
  auto step = [inner = s.step](const StreamState& st) {
    return Functor<M>::fmap(
        [](const Step<StreamState, A>& r) {
          if (r.kind != StepKind::Yield) return Step<StreamState, C>{r.kind, std::nullopt, r.next};
          C chunk{1, [x = *r.element](MVector<A>& v, std::size_t at) { v.write(at, x); }};
          return Step<StreamState, C>::yield(Lazy<C>(std::move(chunk)), *r.next);
        },
        inner(st));
  };
  return Stream<M, C>{std::move(step), s.state};
}

template <class M, class A>
struct Bundle {
  Stream<M, A> elements;
  Stream<M, Chunk<A>> chunks;
  std::optional<Vector<A>> source;
  Lazy<Size> size;
};

// The bundle of an element stream: chunks derived from it, no source vector.
template <class M, class A>
Bundle<M, A> bundleOf(Stream<M, A> s, Lazy<Size> size) {
  auto chunks = chunksOf(s);
  return Bundle<M, A>{std::move(s), std::move(chunks), std::nullopt, std::move(size)};
}
// The bundle of a vector: its elements, its chunks, itself as the source,
// the exact size.
template <class M, class A>
Bundle<M, A> bundleFromVector(const Vector<A>& xs) {
  Bundle<M, A> b = bundleOf(streamFromVector<M, A>(xs), Lazy<Size>(Size::exact(static_cast<std::int64_t>(xs.size()))));
  b.source = xs;
  return b;
}
// The vector a pure bundle describes: one allocation of the hint's bound,
// chunks written front to back (growing past an unknown bound).
template <class A>
Vector<A> vectorFromBundle(const Bundle<IdentityTag, A>& b) {
  const auto bound = b.size.force().upperBound();
  std::vector<Lazy<Chunk<A>>> chunks = runPure(b.chunks);
  std::size_t total = 0;
  for (const auto& c : chunks) total += static_cast<std::size_t>(c.force().count);
  MVector<A> out(bound ? std::max(total, static_cast<std::size_t>(*bound)) : total);
  std::size_t at = 0;
  for (const auto& c : chunks) {
    c.force().write(out, at);
    at += static_cast<std::size_t>(c.force().count);
  }
  return std::move(out).freeze(at);
}

template <class M>
struct BundleOf {
  template <class A>
  using apply = Bundle<M, A>;
};
template <class M, class A>
struct TagOf<Bundle<M, A>> {
  using type = BundleOf<M>;
  using element = A;
};

// The element stream mapped; chunks derived anew; the size kept.
template <class M>
struct Functor<BundleOf<M>> : FunctorDefaults<BundleOf<M>> {
  template <class Fn, class A>
  static Bundle<M, Mapped<Fn, A>> fmap(Fn f, const Bundle<M, A>& b) {
    return bundleOf(Functor<StreamOf<M>>::fmap(std::move(f), b.elements), b.size);
  }
};

}  // namespace basis
