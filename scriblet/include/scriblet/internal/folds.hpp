#pragma once
// Folds and predicate-driven searches, trims and filter over the code points
// of a text. They walk the UTF-8 bytes directly, one code point at a time,
// and build no list of characters. Every caller-given function runs once per
// character it is applied to, in text order (right folds in the order their
// results are demanded), except where `dropAround` and `filter` say that a
// walk tests a character again; whatever it throws passes through unchanged.
//
// A step function may take its accumulator as basis::Lazy<A> (by value or
// const reference): `foldl` then leaves accumulators the step never reads
// unevaluated, and `foldr` (and `foldr1`) resume the walk only when the step
// forces its second argument, so a step that ignores it stops the walk at
// once. Forcing the rest of a lazy right fold recurses once per character it
// demands. A step taking plain values is run eagerly and, for the right
// folds, iteratively from the end.

#include <basis/lazy.hpp>

#include <cstdint>
#include <exception>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "scriblet/internal/core.hpp"
#include "scriblet/internal/errors.hpp"
#include "scriblet/internal/slicing.hpp"
#include "scriblet/internal/utf8.hpp"
#include "scriblet/scan.h"

namespace scriblet {
namespace detail {

template <class T>
struct Unlazy {
  using type = T;
};
template <class T>
struct Unlazy<basis::Lazy<T>> {
  using type = T;
};
template <class T>
using Unlazy_t = typename Unlazy<std::remove_cvref_t<T>>::type;

template <class T>
inline constexpr bool isLazy = false;
template <class T>
inline constexpr bool isLazy<basis::Lazy<T>> = true;

// The parameter types of a callable with one, non-template call operator (or
// of a function pointer); unknown for generic lambdas and overload sets.
template <class Sig>
struct ParamsOf {
  static constexpr bool known = false;
};
template <class R, class... P>
struct ParamsOf<R (*)(P...)> {
  static constexpr bool known = true;
  using type = std::tuple<P...>;
};
template <class R, class... P>
struct ParamsOf<R (*)(P...) noexcept> : ParamsOf<R (*)(P...)> {};
template <class R, class C, class... P>
struct ParamsOf<R (C::*)(P...)> : ParamsOf<R (*)(P...)> {};
template <class R, class C, class... P>
struct ParamsOf<R (C::*)(P...) const> : ParamsOf<R (*)(P...)> {};
template <class R, class C, class... P>
struct ParamsOf<R (C::*)(P...) noexcept> : ParamsOf<R (*)(P...)> {};
template <class R, class C, class... P>
struct ParamsOf<R (C::*)(P...) const noexcept> : ParamsOf<R (*)(P...)> {};

template <class F, class = void>
struct CallParams : ParamsOf<std::decay_t<F>> {};
template <class F>
struct CallParams<F, std::void_t<decltype(&std::decay_t<F>::operator())>>
    : ParamsOf<decltype(&std::decay_t<F>::operator())> {};

// True when the I-th parameter of f is a basis::Lazy.
template <class F, std::size_t I>
constexpr bool takesLazyAt() {
  using P = CallParams<F>;
  if constexpr (P::known) {
    if constexpr (I < std::tuple_size_v<typename P::type>) {
      return isLazy<std::remove_cvref_t<std::tuple_element_t<I, typename P::type>>>;
    }
  }
  return false;
}

// A deferred value that rethrows the exception it was made from.
template <class A>
basis::Lazy<A> failedWith(std::exception_ptr e) {
  return basis::Lazy<A>::defer([e]() -> A { std::rethrow_exception(e); });
}

// The left fold from byte offset `from`, run now. A lazy step receives each
// accumulator unforced; a step that throws leaves a failed accumulator that
// rethrows only if a later step (or the caller) reads it.
template <class A, class F>
basis::Lazy<A> foldlFrom(F& f, basis::Lazy<A> acc, const ShortText& t, std::size_t from) {
  const unsigned char* p = t.data();
  const std::size_t n = t.size();
  if constexpr (takesLazyAt<F, 0>()) {
    for (std::size_t o = from; o < n;) {
      const Step s = stepForward(p, n, o);
      try {
        acc = basis::Lazy<A>(std::invoke(f, std::as_const(acc), cp2ch(s.cp)));
      } catch (...) {
        acc = failedWith<A>(std::current_exception());
      }
      o = s.next;
    }
    return acc;
  } else {
    A value = acc.force();
    for (std::size_t o = from; o < n;) {
      const Step s = stepForward(p, n, o);
      value = std::invoke(f, std::move(value), cp2ch(s.cp));
      o = s.next;
    }
    return basis::Lazy<A>(std::move(value));
  }
}

// The strict left fold from byte offset `from`.
template <class A, class F>
A foldlStrictFrom(F& f, A acc, const ShortText& t, std::size_t from) {
  const unsigned char* p = t.data();
  const std::size_t n = t.size();
  for (std::size_t o = from; o < n;) {
    const Step s = stepForward(p, n, o);
    if constexpr (takesLazyAt<F, 0>()) {
      acc = std::invoke(f, basis::Lazy<A>(std::move(acc)), cp2ch(s.cp));
    } else {
      acc = std::invoke(f, std::move(acc), cp2ch(s.cp));
    }
    o = s.next;
  }
  return acc;
}

// The lazy right fold at byte offset o < n: step(c, rest) with the rest of
// the walk deferred; `last` closes the walk after the final character.
template <class B, class F, class Last>
B foldrLazyAt(const std::shared_ptr<F>& f, const ShortText& t, std::size_t o, const Last& last) {
  const Step s = stepForward(t.data(), t.size(), o);
  if (s.next >= t.size()) return last(s.cp);
  basis::Lazy<B> rest = basis::Lazy<B>::defer(
      [f, t, next = s.next, last]() -> B { return foldrLazyAt<B>(f, t, next, last); });
  return std::invoke(*f, cp2ch(s.cp), std::as_const(rest));
}

// Offset of the first character failing p, or n.
template <class Pred>
std::size_t spanOffset(Pred& p, const ShortText& t) {
  const unsigned char* b = t.data();
  const std::size_t n = t.size();
  std::size_t o = 0;
  while (o < n) {
    const Step s = stepForward(b, n, o);
    if (!std::invoke(p, cp2ch(s.cp))) return o;
    o = s.next;
  }
  return n;
}

// End offset of the last character failing p (walking from the end), or 0
// when every character satisfies p.
template <class Pred>
std::size_t spanEndOffset(Pred& p, const ShortText& t) {
  const unsigned char* b = t.data();
  std::size_t e = t.size();
  while (e > 0) {
    const Step s = stepBackward(b, e);
    if (!std::invoke(p, cp2ch(s.cp))) return e;
    e = s.next;
  }
  return 0;
}

}  // namespace detail

// ---- Folds ------------------------------------------------------------------

// The left fold of step(acc, c) over the characters from `seed`. With a
// deferred seed (a basis::Lazy<A>) the result is deferred too: nothing runs
// until it is forced, and the empty text gives the seed itself, unforced.
// With a plain seed the fold runs at once and gives an A. O(n).
template <class F, class Z>
auto foldl(F step, Z seed, const ShortText& t) {
  using A = detail::Unlazy_t<Z>;
  if constexpr (detail::isLazy<std::remove_cvref_t<Z>>) {
    basis::Lazy<A> z(std::move(seed));
    if (t.size() == 0) return z;
    return basis::Lazy<A>::defer([step = std::move(step), z, t]() mutable -> basis::Lazy<A> {
      return detail::foldlFrom<A>(step, z, t, 0);
    });
  } else {
    return A(detail::foldlFrom<A>(step, basis::Lazy<A>(std::move(seed)), t, 0).force());
  }
}

// The left fold evaluated at once: the seed is forced first (also for the
// empty text), then every step in order. O(n).
template <class F, class Z>
detail::Unlazy_t<Z> foldl_(F step, const Z& seed, const ShortText& t) {
  using A = detail::Unlazy_t<Z>;
  A acc = basis::Lazy<A>(seed).force();
  return detail::foldlStrictFrom<A>(step, std::move(acc), t, 0);
}

// The left fold of step(acc, c) from the first character over the rest; a
// text of one character gives it without calling step. O(n). Throws
// basis::ErrorCall "foldl1: empty ShortText" for the empty text.
template <class F>
char32_t foldl1(F step, const ShortText& t) {
  if (t.size() == 0) detail::raise(detail::ErrorSite::Foldl1);
  const detail::Step first = detail::stepForward(t.data(), t.size(), 0);
  return detail::foldlFrom<char32_t>(step, basis::Lazy<char32_t>(cp2ch(first.cp)), t, first.next)
      .force();
}

// foldl1 with every step evaluated at once. O(n). Throws basis::ErrorCall
// "foldl1: empty ShortText" for the empty text.
template <class F>
char32_t foldl1_(F step, const ShortText& t) {
  if (t.size() == 0) detail::raise(detail::ErrorSite::Foldl1Strict);
  const detail::Step first = detail::stepForward(t.data(), t.size(), 0);
  return detail::foldlStrictFrom<char32_t>(step, cp2ch(first.cp), t, first.next);
}

namespace detail {
// The right fold as a deferred value (see foldr).
template <class A, class F>
basis::Lazy<A> foldrDeferred(F step, basis::Lazy<A> z, const ShortText& t) {
  if (t.size() == 0) return z;
  if constexpr (takesLazyAt<F, 1>()) {
    auto f = std::make_shared<F>(std::move(step));
    return basis::Lazy<A>::defer([f, z, t]() -> A {
      auto last = [f, z](std::uint32_t c) -> A { return std::invoke(*f, cp2ch(c), z); };
      return foldrLazyAt<A>(f, t, 0, last);
    });
  } else {
    return basis::Lazy<A>::defer([step = std::move(step), z, t]() mutable -> A {
      A acc = z.force();
      for (std::size_t e = t.size(); e > 0;) {
        const Step s = stepBackward(t.data(), e);
        acc = std::invoke(step, cp2ch(s.cp), std::move(acc));
        e = s.next;
      }
      return acc;
    });
  }
}
}  // namespace detail

// step(c0, step(c1, ... step(ck-1, seed))). With a lazy step the walk
// advances only as the step forces its second argument. With a deferred seed
// the result is deferred (the empty text gives the seed itself, unforced);
// with a plain seed it is computed at once. O(characters demanded).
template <class F, class Z>
auto foldr(F step, Z seed, const ShortText& t) {
  using A = detail::Unlazy_t<Z>;
  basis::Lazy<A> result = detail::foldrDeferred<A>(std::move(step), basis::Lazy<A>(std::move(seed)), t);
  if constexpr (detail::isLazy<std::remove_cvref_t<Z>>) {
    return result;
  } else {
    return A(result.force());
  }
}

// step(c0, step(c1, ... ck-1)); a text of one character gives it without
// calling step. O(characters demanded). Throws basis::ErrorCall
// "foldr1: empty ShortText" for the empty text.
template <class F>
char32_t foldr1(F step, const ShortText& t) {
  if (t.size() == 0) detail::raise(detail::ErrorSite::Foldr1);
  if constexpr (detail::takesLazyAt<F, 1>()) {
    auto f = std::make_shared<F>(std::move(step));
    auto last = [](std::uint32_t c) -> char32_t { return cp2ch(c); };
    return detail::foldrLazyAt<char32_t>(f, t, 0, last);
  } else {
    detail::Step s = detail::stepBackward(t.data(), t.size());
    char32_t acc = cp2ch(s.cp);
    for (std::size_t e = s.next; e > 0;) {
      s = detail::stepBackward(t.data(), e);
      acc = std::invoke(step, cp2ch(s.cp), acc);
      e = s.next;
    }
    return acc;
  }
}

// ---- Searches, trims, filter ------------------------------------------------

// (the longest prefix whose characters satisfy p, the rest); t itself for a
// whole side, the empty text for an empty one. O(n).
template <class Pred>
std::pair<ShortText, ShortText> span(Pred p, const ShortText& t) {
  const std::size_t o = detail::spanOffset(p, t);
  return {detail::sliceRange(t, 0, o), detail::sliceRange(t, o, t.size())};
}

// (everything before the longest suffix whose characters satisfy p, that
// suffix), walking from the end. O(n).
template <class Pred>
std::pair<ShortText, ShortText> spanEnd(Pred p, const ShortText& t) {
  const std::size_t e = detail::spanEndOffset(p, t);
  return {detail::sliceRange(t, 0, e), detail::sliceRange(t, e, t.size())};
}

// True when every character satisfies p (stops at the first that does not).
// O(n).
template <class Pred>
bool all(Pred p, const ShortText& t) {
  return detail::spanOffset(p, t) >= t.size();
}

// The first character satisfying p, or nothing. O(n).
template <class Pred>
std::optional<char32_t> find(Pred p, const ShortText& t) {
  const unsigned char* b = t.data();
  const std::size_t n = t.size();
  for (std::size_t o = 0; o < n;) {
    const detail::Step s = detail::stepForward(b, n, o);
    if (std::invoke(p, cp2ch(s.cp))) return cp2ch(s.cp);
    o = s.next;
  }
  return std::nullopt;
}

// The code-point index of the first character satisfying p, or nothing.
// O(n).
template <class Pred>
std::optional<std::int64_t> findIndex(Pred p, const ShortText& t) {
  const unsigned char* b = t.data();
  const std::size_t n = t.size();
  std::int64_t i = 0;
  for (std::size_t o = 0; o < n; ++i) {
    const detail::Step s = detail::stepForward(b, n, o);
    if (std::invoke(p, cp2ch(s.cp))) return i;
    o = s.next;
  }
  return std::nullopt;
}

// t without its longest prefix and longest suffix of characters satisfying
// p: t itself when nothing is dropped, else one fresh copy. O(n). The walk
// from the end runs back to the first character that fails p, so the
// character where both walks stop is tested twice. Throws basis::ErrorCall
// "dropAround: the impossible happened" when p answers one character both
// ways and the walks cross.
template <class Pred>
ShortText dropAround(Pred p, const ShortText& t) {
  const std::size_t n = t.size();
  const std::size_t s = detail::spanOffset(p, t);
  if (s >= n) return ShortText();
  const std::size_t e = detail::spanEndOffset(p, t);
  if (e <= s) detail::raise(detail::ErrorSite::DropAround);
  return detail::sliceRange(t, s, e);
}

// The characters satisfying p, in order: t itself when all do, else one
// array sized for the kept prefix and the bytes from the first kept
// character after it, shrunk to the kept bytes. O(n). The first dropped
// character and the first kept one after it are tested twice: once by the
// walk that finds them and once by the walk that follows.
template <class Pred>
ShortText filter(Pred p, const ShortText& t) {
  const unsigned char* b = t.data();
  const std::size_t n = t.size();
  const std::size_t k = detail::spanOffset(p, t);
  if (k >= n) return t;
  // From k (tested again), skip the dropped run up to the first kept
  // character j.
  std::size_t j = k;
  while (j < n) {
    const detail::Step s = detail::stepForward(b, n, j);
    if (std::invoke(p, cp2ch(s.cp))) break;
    j = s.next;
  }
  if (j >= n) return detail::sliceRange(t, 0, k);
  detail::TextBuilder out(k + (n - j));
  unsigned char* const first = out.data();
  unsigned char* const limit = first + k + (n - j);
  std::memcpy(first, b, k);
  unsigned char* w = first + k;
  // From j (tested again), write every kept character.
  for (std::size_t o = j; o < n;) {
    const detail::Step s = detail::stepForward(b, n, o);
    if (std::invoke(p, cp2ch(s.cp))) {
      if (detail::encodedLength(s.cp) > static_cast<std::size_t>(limit - w)) {
        detail::raiseFilterUndefined();
      }
      w = detail::encode(s.cp, w);
    }
    o = s.next;
  }
  out.shrink(static_cast<std::size_t>(w - first));
  return out.freeze();
}

// True when no byte is 0x80 or above. O(n), vectorised; decodes nothing.
inline bool isAscii(const ShortText& t) noexcept { return hs_scriblet_is_ascii(t.data(), t.size()) != 0; }

}  // namespace scriblet
