#pragma once
// The lifted interfaces: comparison, text form, parsing, hashing and deep
// evaluation of a structure given the operation for its elements.
//
//   Eq1<F>::liftEq(eq, fa, fb) -> bool                 eq(a, b) -> bool
//   Ord1<F>::liftCompare(cmp, fa, fb) -> Ordering      cmp(a, b) -> Ordering
//   Show1<F>::liftShowsPrec(sp, sl, d, fa, out)        sp(d, a, out), sl(range, out)
//   Show1<F>::liftShowList(sp, sl, range, out)
//   Read1<F>::liftReadsPrec(rp, rl, d, in) -> Parses   rp(d, in) -> Parses<A>,
//   Read1<F>::liftReadList(rp, rl, in)                 rl(in) -> Parses<vector<A>>
//   Hashable1<F>::liftHashWithSalt(h, salt, fa)        h(salt, a) -> int64_t
//   NFData1<F>::liftRnf(r, fa)                         r(a)
//
// and the two-argument forms over a two-argument tag (bifunctor.hpp):
// Eq2::liftEq2(e1, e2, x, y), Ord2::liftCompare2(c1, c2, x, y),
// Show2::liftShowsPrec2(sp1, sl1, sp2, sl2, d, x, out),
// Read2::liftReadsPrec2(rp1, rl1, rp2, rl2, d, in),
// Hashable2::liftHashWithSalt2(h1, h2, salt, x), NFData2::liftRnf2(r1, r2, x).
//
// The element operations receive plain elements (a deferred element is
// forced when it is reached). The lifted forms agree with the plain ones:
// showsPrec1 prints what showsPrec prints, hashWithSalt1 gives the salted
// hash hashWithSalt gives, and so on. Show1 and Read1 inherit Show1Defaults /
// Read1Defaults for the list slots.

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/bifunctor.hpp"
#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/functor.hpp"
#include "basis/hashable.hpp"
#include "basis/list.hpp"
#include "basis/nfdata.hpp"
#include "basis/product.hpp"
#include "basis/read.hpp"
#include "basis/semigroup.hpp"
#include "basis/show.hpp"

namespace basis {

template <class F>
struct Eq1;
template <class F>
struct Ord1;
template <class F>
struct Show1;
template <class F>
struct Read1;
template <class F>
struct Hashable1;
template <class F>
struct NFData1;
template <class P>
struct Eq2;
template <class P>
struct Ord2;
template <class P>
struct Show2;
template <class P>
struct Read2;
template <class P>
struct Hashable2;
template <class P>
struct NFData2;

// ---------------------------------------------------------------------------
// The element operations of the plain interfaces.

namespace lifted {
inline constexpr auto eq = [](const auto& a, const auto& b) -> bool { return a == b; };
inline constexpr auto cmp = [](const auto& a, const auto& b) -> Ordering { return basis::compare(a, b); };
template <class A>
inline constexpr auto sp = [](int d, const A& a, std::string& out) { Show<A>::showsPrec(d, a, out); };
template <class A>
inline constexpr auto sl = [](const auto& xs, std::string& out) { basis::showList<A>(xs, out); };
template <class A>
inline constexpr auto rp = [](int d, std::string_view in) { return Read<A>::readsPrec(d, in); };
template <class A>
inline constexpr auto rl = [](std::string_view in) { return Read<A>::readList(in); };
inline constexpr auto hws = [](std::int64_t s, const auto& a) -> std::int64_t { return basis::hashWithSalt(s, a); };
inline constexpr auto rnf = [](const auto& a) { basis::rnf(a); };
}  // namespace lifted

// ---------------------------------------------------------------------------
// Defaults.

template <class F>
struct Show1Defaults {
  // The list form of the structures in xs, each at precedence 0.
  template <class SP, class SL, class R>
  static void liftShowList(const SP& sp, const SL& sl, const R& xs, std::string& out) {
    showListWith([&](const auto& x, std::string& o) { Show1<F>::liftShowsPrec(sp, sl, 0, forced(x), o); },
                 xs, out);
  }
};

template <class F>
struct Read1Defaults {
  // Every parse of the list form of structures.
  template <class RP, class RL>
  static auto liftReadList(const RP& rp, const RL& rl, std::string_view in) {
    return readListWith([&](int d, std::string_view s) { return Read1<F>::liftReadsPrec(rp, rl, d, s); },
                        in);
  }
};

template <class P>
struct Show2Defaults {
  template <class SP1, class SL1, class SP2, class SL2, class R>
  static void liftShowList2(const SP1& sp1, const SL1& sl1, const SP2& sp2, const SL2& sl2, const R& xs,
                            std::string& out) {
    showListWith(
        [&](const auto& x, std::string& o) { Show2<P>::liftShowsPrec2(sp1, sl1, sp2, sl2, 0, x, o); }, xs,
        out);
  }
};

namespace detail {
// `name x` at precedence 10 with x read by p at 11.
template <class R, class P, class Make>
Parses<R> readUnaryWith(const P& p, int d, std::string_view in, std::string_view name, const Make& make) {
  Parses<R> out;
  if (d > 10) return out;
  auto after = expectIdent(in, name);
  if (!after) return out;
  for (auto& [x, rest] : p(11, *after)) out.emplace_back(make(x), rest);
  return out;
}
// `name x y` at precedence 10 with x read by p at 11, then y by q at 11.
template <class R, class P, class Q, class Make>
Parses<R> readBinaryWith(const P& p, const Q& q, int d, std::string_view in, std::string_view name,
                         const Make& make) {
  Parses<R> out;
  if (d > 10) return out;
  auto after = expectIdent(in, name);
  if (!after) return out;
  for (auto& [x, mid] : p(11, *after))
    for (auto& [y, rest] : q(11, mid)) out.emplace_back(make(x, y), rest);
  return out;
}
// Appends `name x` (x printed by show at 11), in parentheses when d > 10.
template <class ShowX>
void showUnaryWith(const ShowX& show, int d, std::string_view name, std::string& out) {
  showParen(d > 10, out, [&](std::string& o) {
    o += name;
    o += ' ';
    show(11, o);
  });
}
}  // namespace detail

// ---------------------------------------------------------------------------
// Front ends with the element type's own operations.

// Equality and ordering of structures through Eq1 / Ord1.
template <HasTag FA>
bool eq1(const FA& a, const FA& b) {
  return Eq1<tag_of<FA>>::liftEq(lifted::eq, a, b);
}
template <HasTag FA>
Ordering compare1(const FA& a, const FA& b) {
  return Ord1<tag_of<FA>>::liftCompare(lifted::cmp, a, b);
}
// Appends the text of x at precedence d through Show1.
template <HasTag FA>
void showsPrec1(int d, const FA& x, std::string& out) {
  using A = element_of<FA>;
  Show1<tag_of<FA>>::liftShowsPrec(lifted::sp<A>, lifted::sl<A>, d, x, out);
}
// Every parse of an FA at precedence d through Read1.
template <HasTag FA>
Parses<FA> readsPrec1(int d, std::string_view in) {
  using A = element_of<FA>;
  return withReadScope(in, [&] { return Read1<tag_of<FA>>::liftReadsPrec(lifted::rp<A>, lifted::rl<A>, d, in); });
}
template <HasTag FA>
std::int64_t hashWithSalt1(std::int64_t salt, const FA& x) {
  return Hashable1<tag_of<FA>>::liftHashWithSalt(lifted::hws, salt, x);
}
template <HasTag FA>
void rnf1(const FA& x) {
  NFData1<tag_of<FA>>::liftRnf(lifted::rnf, x);
}

template <HasBiTag PAB>
bool eq2(const PAB& a, const PAB& b) {
  return Eq2<bitag_of<PAB>>::liftEq2(lifted::eq, lifted::eq, a, b);
}
template <HasBiTag PAB>
Ordering compare2(const PAB& a, const PAB& b) {
  return Ord2<bitag_of<PAB>>::liftCompare2(lifted::cmp, lifted::cmp, a, b);
}
template <HasBiTag PAB>
void showsPrec2(int d, const PAB& x, std::string& out) {
  using A = first_of<PAB>;
  using B = second_of<PAB>;
  Show2<bitag_of<PAB>>::liftShowsPrec2(lifted::sp<A>, lifted::sl<A>, lifted::sp<B>, lifted::sl<B>, d, x, out);
}
template <HasBiTag PAB>
Parses<PAB> readsPrec2(int d, std::string_view in) {
  using A = first_of<PAB>;
  using B = second_of<PAB>;
  return withReadScope(in, [&] {
    return Read2<bitag_of<PAB>>::liftReadsPrec2(lifted::rp<A>, lifted::rl<A>, lifted::rp<B>, lifted::rl<B>, d, in);
  });
}
template <HasBiTag PAB>
std::int64_t hashWithSalt2(std::int64_t salt, const PAB& x) {
  return Hashable2<bitag_of<PAB>>::liftHashWithSalt2(lifted::hws, lifted::hws, salt, x);
}
template <HasBiTag PAB>
void rnf2(const PAB& x) {
  NFData2<bitag_of<PAB>>::liftRnf2(lifted::rnf, lifted::rnf, x);
}

// Completeness of the lifted specialisations (checked at element int).
template <class F>
concept Eq1Tag = requires(const Apply<F, int>& x) {
  { Eq1<F>::liftEq(lifted::eq, x, x) } -> std::same_as<bool>;
};
template <class F>
concept Ord1Tag = Eq1Tag<F> && requires(const Apply<F, int>& x) {
  { Ord1<F>::liftCompare(lifted::cmp, x, x) } -> std::same_as<Ordering>;
};
template <class F>
concept Show1Tag = requires(const Apply<F, int>& x, const std::vector<Apply<F, int>>& xs, std::string& out) {
  Show1<F>::liftShowsPrec(lifted::sp<int>, lifted::sl<int>, 0, x, out);
  Show1<F>::liftShowList(lifted::sp<int>, lifted::sl<int>, xs, out);
};
template <class F>
concept Read1Tag = requires(std::string_view in) {
  { Read1<F>::liftReadsPrec(lifted::rp<int>, lifted::rl<int>, 0, in) } -> std::same_as<Parses<Apply<F, int>>>;
  {
    Read1<F>::liftReadList(lifted::rp<int>, lifted::rl<int>, in)
  } -> std::same_as<Parses<std::vector<Apply<F, int>>>>;
};
template <class F>
concept Hashable1Tag = requires(const Apply<F, int>& x) {
  { Hashable1<F>::liftHashWithSalt(lifted::hws, std::int64_t{0}, x) } -> std::same_as<std::int64_t>;
};
template <class F>
concept NFData1Tag = requires(const Apply<F, int>& x) { NFData1<F>::liftRnf(lifted::rnf, x); };

// ---------------------------------------------------------------------------
// The two-argument forms for Either, These, std::pair and Const.

template <>
struct Eq2<EitherTag> {
  template <class E1, class E2, class A, class B, class C, class D>
  static bool liftEq2(const E1& e1, const E2& e2, const Either<A, B>& x, const Either<C, D>& y) {
    if (x.isLeft() != y.isLeft()) return false;
    if (x.isLeft()) return e1(x.fromLeft(), y.fromLeft());
    return e2(x.fromRight(), y.fromRight());
  }
};
template <>
struct Ord2<EitherTag> {
  // Left before Right.
  template <class C1, class C2, class A, class B, class C, class D>
  static Ordering liftCompare2(const C1& c1, const C2& c2, const Either<A, B>& x, const Either<C, D>& y) {
    if (x.isLeft() != y.isLeft()) return x.isLeft() ? LT : GT;
    if (x.isLeft()) return c1(x.fromLeft(), y.fromLeft());
    return c2(x.fromRight(), y.fromRight());
  }
};
template <>
struct Show2<EitherTag> : Show2Defaults<EitherTag> {
  template <class SP1, class SL1, class SP2, class SL2, class A, class B>
  static void liftShowsPrec2(const SP1& sp1, const SL1&, const SP2& sp2, const SL2&, int d,
                             const Either<A, B>& x, std::string& out) {
    if (const A* a = x.leftPtr()) {
      detail::showUnaryWith([&](int p, std::string& o) { sp1(p, *a, o); }, d, "Left", out);
    } else {
      detail::showUnaryWith([&](int p, std::string& o) { sp2(p, x.fromRight(), o); }, d, "Right", out);
    }
  }
};
template <>
struct Read2<EitherTag> {
  template <class RP1, class RL1, class RP2, class RL2>
  static auto liftReadsPrec2(const RP1& rp1, const RL1&, const RP2& rp2, const RL2&, int d, std::string_view in) {
    using A = ParsedType<RP1>;
    using B = ParsedType<RP2>;
    using E = Either<A, B>;
    return runParens(
        [&](int p, std::string_view s) {
          auto out = detail::readUnaryWith<E>(rp1, p, s, "Left", [](const A& a) { return E::left(a); });
          appendParses(out, detail::readUnaryWith<E>(rp2, p, s, "Right", [](const B& b) { return E::right(b); }));
          return out;
        },
        d, in);
  }
};
template <>
struct Hashable2<EitherTag> {
  // As Hashable<Either>: 0 or 1 mixed first, then the value.
  template <class H1, class H2, class A, class B>
  static std::int64_t liftHashWithSalt2(const H1& h1, const H2& h2, std::int64_t s, const Either<A, B>& x) {
    if (const A* a = x.leftPtr()) return h1(Hashable<std::int64_t>::hashWithSalt(s, 0), *a);
    return h2(Hashable<std::int64_t>::hashWithSalt(s, 1), x.fromRight());
  }
};
template <>
struct NFData2<EitherTag> {
  template <class R1, class R2, class A, class B>
  static void liftRnf2(const R1& r1, const R2& r2, const Either<A, B>& x) {
    if (const A* a = x.leftPtr()) {
      r1(*a);
    } else {
      r2(x.fromRight());
    }
  }
};

template <>
struct Eq2<TheseTag> {
  template <class E1, class E2, class A, class B, class C, class D>
  static bool liftEq2(const E1& e1, const E2& e2, const These<A, B>& x, const These<C, D>& y) {
    if (x.kind() != y.kind()) return false;
    if (x.herePtr() && !e1(*x.herePtr(), *y.herePtr())) return false;
    return !x.therePtr() || e2(*x.therePtr(), *y.therePtr());
  }
};
template <>
struct Ord2<TheseTag> {
  // This before That before These; then the left value, then the right.
  template <class C1, class C2, class A, class B, class C, class D>
  static Ordering liftCompare2(const C1& c1, const C2& c2, const These<A, B>& x, const These<C, D>& y) {
    if (x.kind() != y.kind()) return x.kind() < y.kind() ? LT : GT;
    if (x.herePtr()) {
      Ordering o = c1(*x.herePtr(), *y.herePtr());
      if (o != EQ) return o;
    }
    return x.therePtr() ? c2(*x.therePtr(), *y.therePtr()) : EQ;
  }
};
template <>
struct Show2<TheseTag> : Show2Defaults<TheseTag> {
  template <class SP1, class SL1, class SP2, class SL2, class A, class B>
  static void liftShowsPrec2(const SP1& sp1, const SL1&, const SP2& sp2, const SL2&, int d,
                             const These<A, B>& x, std::string& out) {
    x.fold([&](const A& a) { detail::showUnaryWith([&](int p, std::string& o) { sp1(p, a, o); }, d, "This", out); },
           [&](const B& b) { detail::showUnaryWith([&](int p, std::string& o) { sp2(p, b, o); }, d, "That", out); },
           [&](const A& a, const B& b) {
             showParen(d > 10, out, [&](std::string& o) {
               o += "These ";
               sp1(11, a, o);
               o += ' ';
               sp2(11, b, o);
             });
           });
  }
};
template <>
struct Read2<TheseTag> {
  template <class RP1, class RL1, class RP2, class RL2>
  static auto liftReadsPrec2(const RP1& rp1, const RL1&, const RP2& rp2, const RL2&, int d, std::string_view in) {
    using A = ParsedType<RP1>;
    using B = ParsedType<RP2>;
    using T = These<A, B>;
    return runParens(
        [&](int p, std::string_view s) {
          auto out = detail::readUnaryWith<T>(rp1, p, s, "This", [](const A& a) { return T::this_(a); });
          appendParses(out, detail::readUnaryWith<T>(rp2, p, s, "That", [](const B& b) { return T::that(b); }));
          appendParses(out, detail::readBinaryWith<T>(rp1, rp2, p, s, "These",
                                                      [](const A& a, const B& b) { return T::these(a, b); }));
          return out;
        },
        d, in);
  }
};
template <>
struct Hashable2<TheseTag> {
  // 0, 1 or 2 for the case, then the values left to right.
  template <class H1, class H2, class A, class B>
  static std::int64_t liftHashWithSalt2(const H1& h1, const H2& h2, std::int64_t s, const These<A, B>& x) {
    s = Hashable<std::int64_t>::hashWithSalt(s, static_cast<std::int64_t>(x.kind()));
    if (const A* a = x.herePtr()) s = h1(s, *a);
    if (const B* b = x.therePtr()) s = h2(s, *b);
    return s;
  }
};
template <>
struct NFData2<TheseTag> {
  template <class R1, class R2, class A, class B>
  static void liftRnf2(const R1& r1, const R2& r2, const These<A, B>& x) {
    if (const A* a = x.herePtr()) r1(*a);
    if (const B* b = x.therePtr()) r2(*b);
  }
};

template <>
struct Eq2<PairTag> {
  template <class E1, class E2, class A, class B, class C, class D>
  static bool liftEq2(const E1& e1, const E2& e2, const std::pair<A, B>& x, const std::pair<C, D>& y) {
    return e1(x.first, y.first) && e2(x.second, y.second);
  }
};
template <>
struct Ord2<PairTag> {
  template <class C1, class C2, class A, class B, class C, class D>
  static Ordering liftCompare2(const C1& c1, const C2& c2, const std::pair<A, B>& x, const std::pair<C, D>& y) {
    Ordering o = c1(x.first, y.first);
    return o != EQ ? o : c2(x.second, y.second);
  }
};
template <>
struct Show2<PairTag> : Show2Defaults<PairTag> {
  // «(a,b)».
  template <class SP1, class SL1, class SP2, class SL2, class A, class B>
  static void liftShowsPrec2(const SP1& sp1, const SL1&, const SP2& sp2, const SL2&, int,
                             const std::pair<A, B>& x, std::string& out) {
    out += '(';
    sp1(0, x.first, out);
    out += ',';
    sp2(0, x.second, out);
    out += ')';
  }
};
template <>
struct Read2<PairTag> {
  template <class RP1, class RL1, class RP2, class RL2>
  static auto liftReadsPrec2(const RP1& rp1, const RL1&, const RP2& rp2, const RL2&, int d, std::string_view in) {
    using A = ParsedType<RP1>;
    using B = ParsedType<RP2>;
    return runParens(
        [&](int, std::string_view s) {
          Parses<std::pair<A, B>> out;
          NestingGuard guard;
          if (!guard) return out;
          auto open = expectPunc(s, "(");
          if (!open) return out;
          for (auto& [a, mid] : rp1(0, *open)) {
            auto comma = expectPunc(mid, ",");
            if (!comma) continue;
            for (auto& [b, rest] : rp2(0, *comma)) {
              if (auto close = expectPunc(rest, ")")) out.emplace_back(std::pair<A, B>(a, b), *close);
            }
          }
          return out;
        },
        d, in);
  }
};
template <>
struct Hashable2<PairTag> {
  // As Hashable<pair>: the first component, then the second.
  template <class H1, class H2, class A, class B>
  static std::int64_t liftHashWithSalt2(const H1& h1, const H2& h2, std::int64_t s, const std::pair<A, B>& x) {
    return h2(h1(s, x.first), x.second);
  }
};
template <>
struct NFData2<PairTag> {
  template <class R1, class R2, class A, class B>
  static void liftRnf2(const R1& r1, const R2& r2, const std::pair<A, B>& x) {
    r1(x.first);
    r2(x.second);
  }
};

template <>
struct Eq2<ConstTag> {
  template <class E1, class E2, class A, class B, class C, class D>
  static bool liftEq2(const E1& e1, const E2&, const Const<A, B>& x, const Const<C, D>& y) {
    return e1(x.value, y.value);
  }
};
template <>
struct Ord2<ConstTag> {
  template <class C1, class C2, class A, class B, class C, class D>
  static Ordering liftCompare2(const C1& c1, const C2&, const Const<A, B>& x, const Const<C, D>& y) {
    return c1(x.value, y.value);
  }
};
template <>
struct Show2<ConstTag> : Show2Defaults<ConstTag> {
  // «Const x».
  template <class SP1, class SL1, class SP2, class SL2, class A, class B>
  static void liftShowsPrec2(const SP1& sp1, const SL1&, const SP2&, const SL2&, int d, const Const<A, B>& x,
                             std::string& out) {
    detail::showUnaryWith([&](int p, std::string& o) { sp1(p, x.value, o); }, d, "Const", out);
  }
};
template <>
struct Read2<ConstTag> {
  template <class RP1, class RL1, class RP2, class RL2>
  static auto liftReadsPrec2(const RP1& rp1, const RL1&, const RP2&, const RL2&, int d, std::string_view in) {
    using A = ParsedType<RP1>;
    using B = ParsedType<RP2>;
    return runParens(
        [&](int p, std::string_view s) {
          return detail::readUnaryWith<Const<A, B>>(rp1, p, s, "Const", [](const A& a) { return Const<A, B>{a}; });
        },
        d, in);
  }
};
template <>
struct Hashable2<ConstTag> {
  template <class H1, class H2, class A, class B>
  static std::int64_t liftHashWithSalt2(const H1& h1, const H2&, std::int64_t s, const Const<A, B>& x) {
    return h1(s, x.value);
  }
};
template <>
struct NFData2<ConstTag> {
  template <class R1, class R2, class A, class B>
  static void liftRnf2(const R1& r1, const R2&, const Const<A, B>& x) {
    r1(x.value);
  }
};

// ---------------------------------------------------------------------------
// One-argument forms of the partially applied two-argument constructors:
// the fixed argument uses its type's own operations.

namespace detail {
template <class P, class F>
struct Lifted1From2 {
  template <class E, class X, class Y>
  static bool liftEq(const E& e, const X& x, const Y& y) {
    return Eq2<P>::liftEq2(lifted::eq, e, x, y);
  }
  template <class C, class X, class Y>
  static Ordering liftCompare(const C& c, const X& x, const Y& y) {
    return Ord2<P>::liftCompare2(lifted::cmp, c, x, y);
  }
  template <class SP, class SL, class X>
  static void liftShowsPrec(const SP& sp, const SL& sl, int d, const X& x, std::string& out) {
    using L = first_of<X>;
    Show2<P>::liftShowsPrec2(lifted::sp<L>, lifted::sl<L>, sp, sl, d, x, out);
  }
  template <class H, class X>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const X& x) {
    return Hashable2<P>::liftHashWithSalt2(lifted::hws, h, s, x);
  }
  template <class R, class X>
  static void liftRnf(const R& r, const X& x) {
    NFData2<P>::liftRnf2(lifted::rnf, r, x);
  }
};
}  // namespace detail

template <class E>
struct Eq1<EitherOf<E>> : detail::Lifted1From2<EitherTag, EitherOf<E>> {};
template <class E>
struct Ord1<EitherOf<E>> : detail::Lifted1From2<EitherTag, EitherOf<E>> {};
template <class E>
struct Show1<EitherOf<E>> : detail::Lifted1From2<EitherTag, EitherOf<E>>, Show1Defaults<EitherOf<E>> {};
template <class E>
struct Hashable1<EitherOf<E>> : detail::Lifted1From2<EitherTag, EitherOf<E>> {};
template <class E>
struct NFData1<EitherOf<E>> : detail::Lifted1From2<EitherTag, EitherOf<E>> {};
template <class E>
struct Read1<EitherOf<E>> : Read1Defaults<EitherOf<E>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    return Read2<EitherTag>::liftReadsPrec2(lifted::rp<E>, lifted::rl<E>, rp, rl, d, in);
  }
};

template <class L>
struct Eq1<TheseOf<L>> : detail::Lifted1From2<TheseTag, TheseOf<L>> {};
template <class L>
struct Ord1<TheseOf<L>> : detail::Lifted1From2<TheseTag, TheseOf<L>> {};
template <class L>
struct Show1<TheseOf<L>> : detail::Lifted1From2<TheseTag, TheseOf<L>>, Show1Defaults<TheseOf<L>> {};
template <class L>
struct Hashable1<TheseOf<L>> : detail::Lifted1From2<TheseTag, TheseOf<L>> {};
template <class L>
struct NFData1<TheseOf<L>> : detail::Lifted1From2<TheseTag, TheseOf<L>> {};
template <class L>
struct Read1<TheseOf<L>> : Read1Defaults<TheseOf<L>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    return Read2<TheseTag>::liftReadsPrec2(lifted::rp<L>, lifted::rl<L>, rp, rl, d, in);
  }
};

template <class L>
struct Eq1<PairOf<L>> : detail::Lifted1From2<PairTag, PairOf<L>> {};
template <class L>
struct Ord1<PairOf<L>> : detail::Lifted1From2<PairTag, PairOf<L>> {};
template <class L>
struct Show1<PairOf<L>> : detail::Lifted1From2<PairTag, PairOf<L>>, Show1Defaults<PairOf<L>> {};
template <class L>
struct Hashable1<PairOf<L>> : detail::Lifted1From2<PairTag, PairOf<L>> {};
template <class L>
struct NFData1<PairOf<L>> : detail::Lifted1From2<PairTag, PairOf<L>> {};
template <class L>
struct Read1<PairOf<L>> : Read1Defaults<PairOf<L>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    return Read2<PairTag>::liftReadsPrec2(lifted::rp<L>, lifted::rl<L>, rp, rl, d, in);
  }
};

template <class M>
struct Eq1<ConstOf<M>> : detail::Lifted1From2<ConstTag, ConstOf<M>> {};
template <class M>
struct Ord1<ConstOf<M>> : detail::Lifted1From2<ConstTag, ConstOf<M>> {};
template <class M>
struct Show1<ConstOf<M>> : detail::Lifted1From2<ConstTag, ConstOf<M>>, Show1Defaults<ConstOf<M>> {};
template <class M>
struct Hashable1<ConstOf<M>> : detail::Lifted1From2<ConstTag, ConstOf<M>> {};
template <class M>
struct NFData1<ConstOf<M>> : detail::Lifted1From2<ConstTag, ConstOf<M>> {};
template <class M>
struct Read1<ConstOf<M>> : Read1Defaults<ConstOf<M>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    return Read2<ConstTag>::liftReadsPrec2(lifted::rp<M>, lifted::rl<M>, rp, rl, d, in);
  }
};

// ---------------------------------------------------------------------------
// std::optional: Nothing before Just; «Nothing», «Just x».

template <>
struct Eq1<OptionalTag> {
  template <class E, class A, class B>
  static bool liftEq(const E& e, const std::optional<A>& x, const std::optional<B>& y) {
    if (x.has_value() != y.has_value()) return false;
    return !x || e(*x, *y);
  }
};
template <>
struct Ord1<OptionalTag> {
  template <class C, class A, class B>
  static Ordering liftCompare(const C& c, const std::optional<A>& x, const std::optional<B>& y) {
    if (x.has_value() != y.has_value()) return x ? GT : LT;
    return x ? c(*x, *y) : EQ;
  }
};
template <>
struct Show1<OptionalTag> : Show1Defaults<OptionalTag> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL&, int d, const std::optional<A>& x, std::string& out) {
    if (!x) {
      out += "Nothing";
      return;
    }
    detail::showUnaryWith([&](int p, std::string& o) { sp(p, *x, o); }, d, "Just", out);
  }
};
template <>
struct Read1<OptionalTag> : Read1Defaults<OptionalTag> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL&, int d, std::string_view in) {
    using A = ParsedType<RP>;
    return runParens(
        [&](int p, std::string_view s) {
          auto out = readNullary(s, "Nothing", std::optional<A>());
          appendParses(out, detail::readUnaryWith<std::optional<A>>(rp, p, s, "Just",
                                                                    [](const A& a) { return std::optional<A>(a); }));
          return out;
        },
        d, in);
  }
};
template <>
struct Hashable1<OptionalTag> {
  // As Hashable<optional>: 0 for Nothing; a fixed word, then the value.
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const std::optional<A>& x) {
    if (!x) return Hashable<std::int64_t>::hashWithSalt(s, 0);
    return h(Hashable<std::int64_t>::hashWithSalt(s, Hashable<std::optional<A>>::kJust), *x);
  }
};
template <>
struct NFData1<OptionalTag> {
  template <class R, class A>
  static void liftRnf(const R& r, const std::optional<A>& x) {
    if (x) r(*x);
  }
};

// ---------------------------------------------------------------------------
// Identity: «Identity x».

template <>
struct Eq1<IdentityTag> {
  template <class E, class A, class B>
  static bool liftEq(const E& e, const Identity<A>& x, const Identity<B>& y) {
    return e(x.value, y.value);
  }
};
template <>
struct Ord1<IdentityTag> {
  template <class C, class A, class B>
  static Ordering liftCompare(const C& c, const Identity<A>& x, const Identity<B>& y) {
    return c(x.value, y.value);
  }
};
template <>
struct Show1<IdentityTag> : Show1Defaults<IdentityTag> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL&, int d, const Identity<A>& x, std::string& out) {
    detail::showUnaryWith([&](int p, std::string& o) { sp(p, x.value, o); }, d, "Identity", out);
  }
};
template <>
struct Read1<IdentityTag> : Read1Defaults<IdentityTag> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL&, int d, std::string_view in) {
    using A = ParsedType<RP>;
    return runParens(
        [&](int p, std::string_view s) {
          return detail::readUnaryWith<Identity<A>>(rp, p, s, "Identity", [](const A& a) { return Identity<A>{a}; });
        },
        d, in);
  }
};
template <>
struct Hashable1<IdentityTag> {
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const Identity<A>& x) {
    return h(s, x.value);
  }
};
template <>
struct NFData1<IdentityTag> {
  template <class R, class A>
  static void liftRnf(const R& r, const Identity<A>& x) {
    r(x.value);
  }
};

// ---------------------------------------------------------------------------
// Sequences (std::vector and List): element by element, shorter first on a
// common prefix; the list form; the elements then the length for hashing.

namespace detail {
template <class F>
struct LiftedSequence {
  template <class E, class X, class Y>
  static bool liftEq(const E& e, const X& x, const Y& y) {
    auto i = std::ranges::begin(x);
    auto j = std::ranges::begin(y);
    for (; i != std::ranges::end(x) && j != std::ranges::end(y); ++i, ++j)
      if (!e(*i, *j)) return false;
    return i == std::ranges::end(x) && j == std::ranges::end(y);
  }
  template <class C, class X, class Y>
  static Ordering liftCompare(const C& c, const X& x, const Y& y) {
    auto i = std::ranges::begin(x);
    auto j = std::ranges::begin(y);
    for (; i != std::ranges::end(x) && j != std::ranges::end(y); ++i, ++j) {
      Ordering o = c(*i, *j);
      if (o != EQ) return o;
    }
    if (i == std::ranges::end(x)) return j == std::ranges::end(y) ? EQ : LT;
    return GT;
  }
  template <class SP, class SL, class X>
  static void liftShowsPrec(const SP&, const SL& sl, int, const X& x, std::string& out) {
    sl(x, out);
  }
  template <class H, class X>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const X& x) {
    std::uint64_t n = 0;
    for (const auto& a : x) {
      s = h(s, a);
      ++n;
    }
    return Hashable<std::uint64_t>::hashWithSalt(s, n);
  }
  template <class R, class X>
  static void liftRnf(const R& r, const X& x) {
    for (const auto& a : x) r(a);
  }
};
}  // namespace detail

template <>
struct Eq1<VectorTag> : detail::LiftedSequence<VectorTag> {};
template <>
struct Ord1<VectorTag> : detail::LiftedSequence<VectorTag> {};
template <>
struct Show1<VectorTag> : detail::LiftedSequence<VectorTag>, Show1Defaults<VectorTag> {};
template <>
struct Hashable1<VectorTag> : detail::LiftedSequence<VectorTag> {};
template <>
struct NFData1<VectorTag> : detail::LiftedSequence<VectorTag> {};
template <>
struct Read1<VectorTag> : Read1Defaults<VectorTag> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP&, const RL& rl, int, std::string_view in) {
    return rl(in);
  }
};

template <>
struct Eq1<ListTag> : detail::LiftedSequence<ListTag> {};
template <>
struct Ord1<ListTag> : detail::LiftedSequence<ListTag> {};
template <>
struct Show1<ListTag> : detail::LiftedSequence<ListTag>, Show1Defaults<ListTag> {};
template <>
struct Hashable1<ListTag> : detail::LiftedSequence<ListTag> {};
template <>
struct NFData1<ListTag> : detail::LiftedSequence<ListTag> {};
template <>
struct Read1<ListTag> : Read1Defaults<ListTag> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP&, const RL& rl, int, std::string_view in) {
    using A = ParsedType<RP>;
    Parses<List<A>> out;
    for (auto& [xs, rest] : rl(in)) out.emplace_back(List<A>::fromRange(xs), rest);
    return out;
  }
};

// ---------------------------------------------------------------------------
// Compose: the outer structure's operation with the inner one's as its
// element operation; «Compose x».

template <class F, class G>
struct Eq1<ComposeOf<F, G>> {
  template <class E, class A, class B>
  static bool liftEq(const E& e, const Compose<F, G, A>& x, const Compose<F, G, B>& y) {
    return Eq1<F>::liftEq([&](const auto& a, const auto& b) { return Eq1<G>::liftEq(e, a, b); }, x.value, y.value);
  }
};
template <class F, class G>
struct Ord1<ComposeOf<F, G>> {
  template <class C, class A, class B>
  static Ordering liftCompare(const C& c, const Compose<F, G, A>& x, const Compose<F, G, B>& y) {
    return Ord1<F>::liftCompare([&](const auto& a, const auto& b) { return Ord1<G>::liftCompare(c, a, b); },
                                x.value, y.value);
  }
};
template <class F, class G>
struct Show1<ComposeOf<F, G>> : Show1Defaults<ComposeOf<F, G>> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL& sl, int d, const Compose<F, G, A>& x, std::string& out) {
    auto spG = [&](int p, const auto& g, std::string& o) { Show1<G>::liftShowsPrec(sp, sl, p, g, o); };
    auto slG = [&](const auto& gs, std::string& o) { Show1<G>::liftShowList(sp, sl, gs, o); };
    detail::showUnaryWith([&](int p, std::string& o) { Show1<F>::liftShowsPrec(spG, slG, p, x.value, o); }, d,
                          "Compose", out);
  }
};
template <class F, class G>
struct Read1<ComposeOf<F, G>> : Read1Defaults<ComposeOf<F, G>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    using A = ParsedType<RP>;
    auto rpG = [&](int p, std::string_view s) { return Read1<G>::liftReadsPrec(rp, rl, p, s); };
    auto rlG = [&](std::string_view s) { return Read1<G>::liftReadList(rp, rl, s); };
    auto rpF = [&](int p, std::string_view s) { return Read1<F>::liftReadsPrec(rpG, rlG, p, s); };
    using C = Compose<F, G, A>;
    return runParens(
        [&](int p, std::string_view s) {
          return detail::readUnaryWith<C>(rpF, p, s, "Compose", [](const Apply<F, Apply<G, A>>& v) { return C{v}; });
        },
        d, in);
  }
};
template <class F, class G>
struct Hashable1<ComposeOf<F, G>> {
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const Compose<F, G, A>& x) {
    return Hashable1<F>::liftHashWithSalt(
        [&](std::int64_t t, const auto& g) { return Hashable1<G>::liftHashWithSalt(h, t, g); }, s, x.value);
  }
};
template <class F, class G>
struct NFData1<ComposeOf<F, G>> {
  template <class R, class A>
  static void liftRnf(const R& r, const Compose<F, G, A>& x) {
    NFData1<F>::liftRnf([&](const auto& g) { NFData1<G>::liftRnf(r, g); }, x.value);
  }
};

// ---------------------------------------------------------------------------
// functor::Product: the first part, then the second; «Pair x y».

template <class F, class G>
struct Eq1<ProductOf<F, G>> {
  template <class E, class A, class B>
  static bool liftEq(const E& e, const functor::Product<F, G, A>& x, const functor::Product<F, G, B>& y) {
    return Eq1<F>::liftEq(e, x.fst(), y.fst()) && Eq1<G>::liftEq(e, x.snd(), y.snd());
  }
};
template <class F, class G>
struct Ord1<ProductOf<F, G>> {
  template <class C, class A, class B>
  static Ordering liftCompare(const C& c, const functor::Product<F, G, A>& x, const functor::Product<F, G, B>& y) {
    Ordering o = Ord1<F>::liftCompare(c, x.fst(), y.fst());
    return o != EQ ? o : Ord1<G>::liftCompare(c, x.snd(), y.snd());
  }
};
template <class F, class G>
struct Show1<ProductOf<F, G>> : Show1Defaults<ProductOf<F, G>> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL& sl, int d, const functor::Product<F, G, A>& x,
                            std::string& out) {
    showParen(d > 10, out, [&](std::string& o) {
      o += "Pair ";
      Show1<F>::liftShowsPrec(sp, sl, 11, x.fst(), o);
      o += ' ';
      Show1<G>::liftShowsPrec(sp, sl, 11, x.snd(), o);
    });
  }
};
template <class F, class G>
struct Read1<ProductOf<F, G>> : Read1Defaults<ProductOf<F, G>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL& rl, int d, std::string_view in) {
    using A = ParsedType<RP>;
    using P = functor::Product<F, G, A>;
    auto rpF = [&](int p, std::string_view s) { return Read1<F>::liftReadsPrec(rp, rl, p, s); };
    auto rpG = [&](int p, std::string_view s) { return Read1<G>::liftReadsPrec(rp, rl, p, s); };
    return runParens(
        [&](int p, std::string_view s) {
          return detail::readBinaryWith<P>(rpF, rpG, p, s, "Pair",
                                           [](const Apply<F, A>& a, const Apply<G, A>& b) { return P{a, b}; });
        },
        d, in);
  }
};
template <class F, class G>
struct Hashable1<ProductOf<F, G>> {
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const functor::Product<F, G, A>& x) {
    return Hashable1<G>::liftHashWithSalt(h, Hashable1<F>::liftHashWithSalt(h, s, x.fst()), x.snd());
  }
};
template <class F, class G>
struct NFData1<ProductOf<F, G>> {
  template <class R, class A>
  static void liftRnf(const R& r, const functor::Product<F, G, A>& x) {
    NFData1<F>::liftRnf(r, x.fst());
    NFData1<G>::liftRnf(r, x.snd());
  }
};

// ---------------------------------------------------------------------------
// The plain interfaces of List, Const, Compose and functor::Product, through
// the lifted forms with the element type's own operations.

template <class T>
struct Show<List<T>> : ShowDefaults<List<T>> {
  // The list form; a list of characters prints as a string literal.
  static void showsPrec(int, const List<T>& xs, std::string& out) { basis::showList<T>(xs, out); }
};
template <class T>
struct Read<List<T>> : ReadDefaults<List<T>> {
  static Parses<List<T>> readsPrec(int d, std::string_view in) {
    return Read1<ListTag>::liftReadsPrec(lifted::rp<T>, lifted::rl<T>, d, in);
  }
};
template <class T>
struct Hashable<List<T>> {
  static std::int64_t hashWithSalt(std::int64_t s, const List<T>& xs) { return hashWithSalt1(s, xs); }
  static std::int64_t hash(const List<T>& xs) { return hashWithSalt(defaultSalt, xs); }
};
template <class T>
struct NFData<List<T>> {
  // Evaluates the whole spine and every element; the list must be finite.
  static void rnf(const List<T>& xs) { rnf1(xs); }
};

template <class M, class A>
struct Show<Const<M, A>> : ShowDefaults<Const<M, A>> {
  static void showsPrec(int d, const Const<M, A>& x, std::string& out) { showsPrec1(d, x, out); }
};
template <class M, class A>
struct Read<Const<M, A>> : ReadDefaults<Const<M, A>> {
  static Parses<Const<M, A>> readsPrec(int d, std::string_view in) { return readsPrec1<Const<M, A>>(d, in); }
};
template <class M, class A>
struct Hashable<Const<M, A>> {
  static std::int64_t hashWithSalt(std::int64_t s, const Const<M, A>& x) { return basis::hashWithSalt(s, x.value); }
  static std::int64_t hash(const Const<M, A>& x) { return basis::hash(x.value); }
};
template <class M, class A>
struct NFData<Const<M, A>> {
  static void rnf(const Const<M, A>& x) { basis::rnf(x.value); }
};

template <class F, class G, class A>
struct Show<Compose<F, G, A>> : ShowDefaults<Compose<F, G, A>> {
  static void showsPrec(int d, const Compose<F, G, A>& x, std::string& out) { showsPrec1(d, x, out); }
};
template <class F, class G, class A>
struct Read<Compose<F, G, A>> : ReadDefaults<Compose<F, G, A>> {
  static Parses<Compose<F, G, A>> readsPrec(int d, std::string_view in) {
    return Read1<ComposeOf<F, G>>::liftReadsPrec(lifted::rp<A>, lifted::rl<A>, d, in);
  }
};
template <class F, class G, class A>
struct Hashable<Compose<F, G, A>> {
  static std::int64_t hashWithSalt(std::int64_t s, const Compose<F, G, A>& x) { return hashWithSalt1(s, x); }
  static std::int64_t hash(const Compose<F, G, A>& x) { return hashWithSalt(defaultSalt, x); }
};
template <class F, class G, class A>
struct NFData<Compose<F, G, A>> {
  static void rnf(const Compose<F, G, A>& x) { rnf1(x); }
};

template <class F, class G, class A>
struct Show<functor::Product<F, G, A>> : ShowDefaults<functor::Product<F, G, A>> {
  static void showsPrec(int d, const functor::Product<F, G, A>& x, std::string& out) { showsPrec1(d, x, out); }
};
template <class F, class G, class A>
struct Read<functor::Product<F, G, A>> : ReadDefaults<functor::Product<F, G, A>> {
  static Parses<functor::Product<F, G, A>> readsPrec(int d, std::string_view in) {
    return Read1<ProductOf<F, G>>::liftReadsPrec(lifted::rp<A>, lifted::rl<A>, d, in);
  }
};
template <class F, class G, class A>
struct Hashable<functor::Product<F, G, A>> {
  static std::int64_t hashWithSalt(std::int64_t s, const functor::Product<F, G, A>& x) {
    return hashWithSalt1(s, x);
  }
  static std::int64_t hash(const functor::Product<F, G, A>& x) { return hashWithSalt(defaultSalt, x); }
};
template <class F, class G, class A>
struct NFData<functor::Product<F, G, A>> {
  static void rnf(const functor::Product<F, G, A>& x) { rnf1(x); }
};

}  // namespace basis
