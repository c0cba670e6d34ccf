#pragma once
// Layer functors the tests tie structures from: a list layer (empty, or an
// element and one child) and a binary-tree layer (a leaf with a label, or a
// node with a label and two children), with their Functor and Traversable;
// and the lists and coalgebras the tests build from the list layer.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <basis/basis.hpp>
#include <knotloom/knotloom.hpp>

namespace knotloom_test {

// Nil, or Cons of a head and a tail.
template <class E, class A>
struct ListF {
  std::optional<std::pair<E, A>> cell;

  static ListF nil() { return ListF{}; }
  static ListF cons(E head, A tail) { return ListF{std::pair<E, A>(std::move(head), std::move(tail))}; }
  bool isNil() const { return !cell.has_value(); }
  const E& head() const { return cell->first; }
  const A& tail() const { return cell->second; }

  friend bool operator==(const ListF&, const ListF&) = default;
};

template <class E>
struct ListOf {
  template <class A>
  using apply = ListF<E, A>;
};

// Leaf label, or Node label left right.
template <class A>
struct TreeF {
  int label = 0;
  std::optional<std::pair<A, A>> children;

  static TreeF leaf(int l) { return TreeF{l, std::nullopt}; }
  static TreeF node(int l, A left, A right) {
    return TreeF{l, std::pair<A, A>(std::move(left), std::move(right))};
  }
};

struct TreeOf {
  template <class A>
  using apply = TreeF<A>;
};

}  // namespace knotloom_test

template <class E, class A>
struct basis::TagOf<knotloom_test::ListF<E, A>> {
  using type = knotloom_test::ListOf<E>;
  using element = A;
};

template <class A>
struct basis::TagOf<knotloom_test::TreeF<A>> {
  using type = knotloom_test::TreeOf;
  using element = A;
};

template <class E>
struct basis::Functor<knotloom_test::ListOf<E>> : basis::FunctorDefaults<knotloom_test::ListOf<E>> {
  template <class Fn, class A>
  static knotloom_test::ListF<E, basis::Mapped<Fn, A>> fmap(Fn f, const knotloom_test::ListF<E, A>& l) {
    if (l.isNil()) return {};
    return knotloom_test::ListF<E, basis::Mapped<Fn, A>>::cons(l.head(), f(l.tail()));
  }
};

template <class E>
struct basis::Foldable<knotloom_test::ListOf<E>> : basis::FoldableDefaults<knotloom_test::ListOf<E>> {
  template <class Fn, class B, class A>
  static B foldr(Fn f, B z, const knotloom_test::ListF<E, A>& l) {
    if (l.isNil()) return z;
    return f(l.tail(), basis::Lazy<B>(std::move(z)));
  }
};

template <class E>
struct basis::Traversable<knotloom_test::ListOf<E>>
    : basis::TraversableDefaults<knotloom_test::ListOf<E>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const knotloom_test::ListF<E, A>& l) {
    using GB = basis::Action<Fn, A>;
    using G = basis::tag_of<GB>;
    using B = basis::element_of<GB>;
    using R = knotloom_test::ListF<E, B>;
    if (l.isNil()) return basis::Applicative<G>::pure(R::nil());
    return basis::Functor<G>::fmap([h = l.head()](const B& b) { return R::cons(h, b); },
                                   basis::demand(g(l.tail())));
  }
};

template <>
struct basis::Functor<knotloom_test::TreeOf> : basis::FunctorDefaults<knotloom_test::TreeOf> {
  template <class Fn, class A>
  static knotloom_test::TreeF<basis::Mapped<Fn, A>> fmap(Fn f, const knotloom_test::TreeF<A>& t) {
    using R = knotloom_test::TreeF<basis::Mapped<Fn, A>>;
    if (!t.children) return R::leaf(t.label);
    auto left = f(t.children->first);
    return R::node(t.label, std::move(left), f(t.children->second));
  }
};

template <>
struct basis::Foldable<knotloom_test::TreeOf> : basis::FoldableDefaults<knotloom_test::TreeOf> {
  template <class Fn, class B, class A>
  static B foldr(Fn f, B z, const knotloom_test::TreeF<A>& t) {
    if (!t.children) return z;
    const auto& [l, r] = *t.children;
    return f(l, basis::Lazy<B>::defer([&, &r = r] { return f(r, basis::Lazy<B>(z)); }));
  }
};

// Left child first, then right.
template <>
struct basis::Traversable<knotloom_test::TreeOf> : basis::TraversableDefaults<knotloom_test::TreeOf> {
  template <class Fn, class A>
  static auto traverse(Fn g, const knotloom_test::TreeF<A>& t) {
    using GB = basis::Action<Fn, A>;
    using G = basis::tag_of<GB>;
    using B = basis::element_of<GB>;
    using R = knotloom_test::TreeF<B>;
    if (!t.children) return basis::Applicative<G>::pure(R::leaf(t.label));
    const auto& [l, r] = *t.children;
    return basis::Applicative<G>::liftA2(
        [label = t.label](const B& a, const B& b) { return R::node(label, a, b); },
        basis::demand(g(l)), basis::Lazy<GB>::defer([g, r = r] { return basis::demand(g(r)); }));
  }
};

// The list layer's text form: «Nil», «Cons h t» (h and t at precedence 11).
// Its lifted equality, ordering (Nil first, then by head, then by tail),
// hashing and deep evaluation follow the same shape.
template <class E>
struct basis::Eq1<knotloom_test::ListOf<E>> {
  template <class Eq, class A, class B>
  static bool liftEq(const Eq& eq, const knotloom_test::ListF<E, A>& x, const knotloom_test::ListF<E, B>& y) {
    if (x.isNil() || y.isNil()) return x.isNil() == y.isNil();
    return x.head() == y.head() && eq(x.tail(), y.tail());
  }
};

template <class E>
struct basis::Ord1<knotloom_test::ListOf<E>> {
  template <class Cmp, class A, class B>
  static basis::Ordering liftCompare(const Cmp& cmp, const knotloom_test::ListF<E, A>& x,
                                     const knotloom_test::ListF<E, B>& y) {
    if (x.isNil() || y.isNil()) {
      if (x.isNil() && y.isNil()) return basis::EQ;
      return x.isNil() ? basis::LT : basis::GT;
    }
    const basis::Ordering o = basis::compare(x.head(), y.head());
    return o != basis::EQ ? o : cmp(x.tail(), y.tail());
  }
};

template <class E>
struct basis::Show1<knotloom_test::ListOf<E>> : basis::Show1Defaults<knotloom_test::ListOf<E>> {
  template <class SP, class SL, class A>
  static void liftShowsPrec(const SP& sp, const SL&, int d, const knotloom_test::ListF<E, A>& l, std::string& out) {
    if (l.isNil()) {
      out += "Nil";
      return;
    }
    basis::showParen(d > 10, out, [&](std::string& o) {
      o += "Cons ";
      basis::showsPrec(11, l.head(), o);
      o += ' ';
      sp(11, l.tail(), o);
    });
  }
};

template <class E>
struct basis::Read1<knotloom_test::ListOf<E>> : basis::Read1Defaults<knotloom_test::ListOf<E>> {
  template <class RP, class RL>
  static auto liftReadsPrec(const RP& rp, const RL&, int d, std::string_view in) {
    using A = basis::ParsedType<RP>;
    using R = knotloom_test::ListF<E, A>;
    return basis::runParens(
        [&](int p, std::string_view s) {
          auto out = basis::readNullary(s, "Nil", R::nil());
          if (p > 10) return out;
          auto cons = basis::expectIdent(s, "Cons");
          if (!cons) return out;
          for (auto& [h, mid] : basis::Read<E>::readsPrec(11, *cons)) {
            for (auto& [t, rest] : rp(11, mid)) out.emplace_back(R::cons(h, t), rest);
          }
          return out;
        },
        d, in);
  }
};

template <class E>
struct basis::Hashable1<knotloom_test::ListOf<E>> {
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const knotloom_test::ListF<E, A>& l) {
    if (l.isNil()) return basis::hashWithSalt(s, std::int64_t{0});
    return h(basis::hashWithSalt(basis::hashWithSalt(s, std::int64_t{1}), l.head()), l.tail());
  }
};

template <class E>
struct basis::NFData1<knotloom_test::ListOf<E>> {
  template <class R, class A>
  static void liftRnf(const R& r, const knotloom_test::ListF<E, A>& l) {
    if (!l.isNil()) r(l.tail());
  }
};

// The tree layer's lifted equality, ordering (label, then left, then right;
// a leaf before a node) and hashing (label, then left, then right).
template <>
struct basis::Eq1<knotloom_test::TreeOf> {
  template <class Eq, class A, class B>
  static bool liftEq(const Eq& eq, const knotloom_test::TreeF<A>& x, const knotloom_test::TreeF<B>& y) {
    if (x.label != y.label || x.children.has_value() != y.children.has_value()) return false;
    return !x.children || (eq(x.children->first, y.children->first) && eq(x.children->second, y.children->second));
  }
};

template <>
struct basis::Ord1<knotloom_test::TreeOf> {
  template <class Cmp, class A, class B>
  static basis::Ordering liftCompare(const Cmp& cmp, const knotloom_test::TreeF<A>& x,
                                     const knotloom_test::TreeF<B>& y) {
    if (x.label != y.label) return x.label < y.label ? basis::LT : basis::GT;
    if (!x.children || !y.children) {
      if (!x.children && !y.children) return basis::EQ;
      return !x.children ? basis::LT : basis::GT;
    }
    const basis::Ordering o = cmp(x.children->first, y.children->first);
    return o != basis::EQ ? o : cmp(x.children->second, y.children->second);
  }
};

template <>
struct basis::Hashable1<knotloom_test::TreeOf> {
  template <class H, class A>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t s, const knotloom_test::TreeF<A>& t) {
    s = basis::hashWithSalt(s, std::int64_t{t.label});
    if (!t.children) return s;
    return h(h(s, t.children->first), t.children->second);
  }
};

namespace knotloom_test {

// Nil and Cons tied into Fix.
template <class E>
knotloom::Fix<ListOf<E>> fixNil() {
  return knotloom::Fix<ListOf<E>>(ListF<E, knotloom::Fix<ListOf<E>>>::nil());
}
template <class E>
knotloom::Fix<ListOf<E>> fixCons(E head, knotloom::Fix<ListOf<E>> tail) {
  return knotloom::Fix<ListOf<E>>(ListF<E, knotloom::Fix<ListOf<E>>>::cons(std::move(head), std::move(tail)));
}
// The Fix list of the elements, built from the last one (a loop, however long).
template <class E>
knotloom::Fix<ListOf<E>> fixList(const std::vector<E>& xs) {
  knotloom::Fix<ListOf<E>> out = fixNil<E>();
  for (auto it = xs.rbegin(); it != xs.rend(); ++it) out = fixCons(*it, std::move(out));
  return out;
}

// The algebra that gathers a list's elements into a vector, in order.
template <class E>
std::vector<E> gatherAlg(const ListF<E, std::vector<E>>& l) {
  if (l.isNil()) return {};
  std::vector<E> out{l.head()};
  out.insert(out.end(), l.tail().begin(), l.tail().end());
  return out;
}

// The coalgebra that counts down from n to 1, one element per layer.
inline ListF<int, int> countDown(int n) {
  return n <= 0 ? ListF<int, int>::nil() : ListF<int, int>::cons(n, n - 1);
}
// The coalgebra of the naturals from n, without end.
inline ListF<int, int> countUp(int n) { return ListF<int, int>::cons(n, n + 1); }

// A coalgebra that counts its calls in *calls, then calls `step`.
struct CountedStep {
  int* calls;
  ListF<int, int> (*step)(int);
  ListF<int, int> operator()(int n) const {
    ++*calls;
    return step(n);
  }
};

}  // namespace knotloom_test
