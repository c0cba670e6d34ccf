#pragma once
// Small value types the libraries share: Unit, Void, Ordering, Either, These,
// Identity.

#include <compare>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace basis {

// The unit value: one value, equal to itself.
struct Unit {
  friend constexpr bool operator==(Unit, Unit) noexcept { return true; }
  friend constexpr std::strong_ordering operator<=>(Unit, Unit) noexcept {
    return std::strong_ordering::equal;
  }
};
inline constexpr Unit unit{};

// The type with no values; a function taking Void can never be called.
struct Void {
  Void() = delete;
  friend constexpr bool operator==(const Void&, const Void&) noexcept { return true; }
};
// Any type from an impossible value.
template <class T>
[[noreturn]] T absurd(const Void&) {
  __builtin_unreachable();
}

// The result of a three-way comparison, ordered LT < EQ < GT.
enum class Ordering : signed char { LT = -1, EQ = 0, GT = 1 };
inline constexpr Ordering LT = Ordering::LT;
inline constexpr Ordering EQ = Ordering::EQ;
inline constexpr Ordering GT = Ordering::GT;

constexpr std::strong_ordering operator<=>(Ordering a, Ordering b) noexcept {
  return static_cast<signed char>(a) <=> static_cast<signed char>(b);
}
// The Ordering of a C++ comparison result.
template <class Cmp>
constexpr Ordering toOrdering(Cmp c) noexcept {
  return c < 0 ? LT : (c > 0 ? GT : EQ);
}
constexpr std::strong_ordering toStdOrdering(Ordering o) noexcept {
  return o == LT ? std::strong_ordering::less
                 : (o == GT ? std::strong_ordering::greater : std::strong_ordering::equal);
}
// Three-way comparison by `<` and `==` only.
template <class T>
constexpr Ordering compare(const T& a, const T& b) {
  if constexpr (std::three_way_comparable<T>) {
    return toOrdering(a <=> b);
  } else {
    return a == b ? EQ : (a < b ? LT : GT);
  }
}

// ---------------------------------------------------------------------------
// Either: a left or a right value; `Left x` and `Right x` differ even when
// both sides have one type. Left and Right are aggregates: `Right{3}` builds
// one with every compiler; `Right(3)` needs parenthesised aggregate
// initialisation, which clang has only from version 16.

template <class A>
struct Left {
  A value;
};
template <class A>
Left(A) -> Left<A>;
template <class B>
struct Right {
  B value;
};
template <class B>
Right(B) -> Right<B>;

template <class A, class B>
class Either {
 public:
  template <class U>
    requires std::is_constructible_v<A, U&&>
  Either(Left<U> l) : v_(std::in_place_index<0>, std::move(l.value)) {}
  template <class U>
    requires std::is_constructible_v<B, U&&>
  Either(Right<U> r) : v_(std::in_place_index<1>, std::move(r.value)) {}

  static Either left(A a) { return Either(Left<A>{std::move(a)}); }
  static Either right(B b) { return Either(Right<B>{std::move(b)}); }

  bool isLeft() const noexcept { return v_.index() == 0; }
  bool isRight() const noexcept { return v_.index() == 1; }
  // The left value; undefined behaviour checked by std::get: throws
  // std::bad_variant_access when this is a Right.
  const A& fromLeft() const { return std::get<0>(v_); }
  const B& fromRight() const { return std::get<1>(v_); }
  const A* leftPtr() const noexcept { return std::get_if<0>(&v_); }
  const B* rightPtr() const noexcept { return std::get_if<1>(&v_); }

  // f(left) or g(right).
  template <class F, class G>
  decltype(auto) either(F&& f, G&& g) const {
    if (isLeft()) return std::forward<F>(f)(fromLeft());
    return std::forward<G>(g)(fromRight());
  }

  friend bool operator==(const Either& a, const Either& b) { return a.v_ == b.v_; }
  // Every Left orders before every Right.
  friend auto operator<=>(const Either& a, const Either& b)
    requires std::three_way_comparable<A> && std::three_way_comparable<B>
  {
    return a.v_ <=> b.v_;
  }

 private:
  std::variant<A, B> v_;
};

// ---------------------------------------------------------------------------
// These: a left value, a right value, or both.

template <class A, class B>
class These {
 public:
  enum class Kind : unsigned char { This, That, These };

  static These this_(A a) { return These(std::in_place_index<0>, std::move(a)); }
  static These that(B b) { return These(std::in_place_index<1>, std::move(b)); }
  static These these(A a, B b) {
    return These(std::in_place_index<2>, std::pair<A, B>(std::move(a), std::move(b)));
  }

  Kind kind() const noexcept { return static_cast<Kind>(v_.index()); }
  bool isThis() const noexcept { return v_.index() == 0; }
  bool isThat() const noexcept { return v_.index() == 1; }
  bool isThese() const noexcept { return v_.index() == 2; }

  // The left value when there is one (This or These).
  const A* herePtr() const noexcept {
    if (auto p = std::get_if<0>(&v_)) return p;
    if (auto p = std::get_if<2>(&v_)) return &p->first;
    return nullptr;
  }
  // The right value when there is one (That or These).
  const B* therePtr() const noexcept {
    if (auto p = std::get_if<1>(&v_)) return p;
    if (auto p = std::get_if<2>(&v_)) return &p->second;
    return nullptr;
  }

  // f(a), g(b) or h(a, b), by case.
  template <class F, class G, class H>
  decltype(auto) fold(F&& f, G&& g, H&& h) const {
    switch (v_.index()) {
      case 0: return std::forward<F>(f)(std::get<0>(v_));
      case 1: return std::forward<G>(g)(std::get<1>(v_));
      default: {
        const auto& p = std::get<2>(v_);
        return std::forward<H>(h)(p.first, p.second);
      }
    }
  }

  friend bool operator==(const These& a, const These& b) { return a.v_ == b.v_; }
  // This < That < These, then by contents.
  friend auto operator<=>(const These& a, const These& b)
    requires std::three_way_comparable<A> && std::three_way_comparable<B>
  {
    return a.v_ <=> b.v_;
  }

 private:
  template <std::size_t I, class X>
  These(std::in_place_index_t<I> i, X&& x) : v_(i, std::forward<X>(x)) {}
  std::variant<A, B, std::pair<A, B>> v_;
};

// The left value of a This or These, or nothing.
template <class A, class B>
std::optional<A> justHere(const These<A, B>& t) {
  if (auto p = t.herePtr()) return *p;
  return std::nullopt;
}
// The right value of a That or These, or nothing.
template <class A, class B>
std::optional<B> justThere(const These<A, B>& t) {
  if (auto p = t.therePtr()) return *p;
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// Identity: a value in a trivial wrapper.

template <class A>
struct Identity {
  A value;
  const A& runIdentity() const noexcept { return value; }
  friend bool operator==(const Identity&, const Identity&) = default;
  friend auto operator<=>(const Identity&, const Identity&) = default;
};
template <class A>
Identity(A) -> Identity<A>;

}  // namespace basis
