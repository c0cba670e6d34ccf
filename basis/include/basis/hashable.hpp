#pragma once
// Hashable<T>: hashing of keys and values to signed 64-bit integers.
//
// A type is made hashable by specialising basis::Hashable (static `hash` and
// `hashWithSalt`), or by providing std::hash, which the primary template
// falls back to.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/types.hpp"

namespace basis {

// The salt `hash` starts from where a type has no cheaper hash of its own.
inline constexpr std::int64_t defaultSalt = static_cast<std::int64_t>(0xcbf29ce484222325ULL);

// Mixes the word x into the salt s: the high and low halves of the 128-bit
// product s*x folded together, added to the byte-reversed x and s, then the
// 64-bit MurmurHash3 finaliser. Every integer's salted hash is this.
__extension__ typedef unsigned __int128 UInt128;

constexpr std::uint64_t hashWordWithSalt(std::uint64_t s, std::uint64_t x) noexcept {
  const UInt128 p = static_cast<UInt128>(s) * x;
  const std::uint64_t f = static_cast<std::uint64_t>(p >> 64) ^ static_cast<std::uint64_t>(p);
  std::uint64_t t = __builtin_bswap64(x) + s + f;
  t ^= t >> 33;
  t *= 0xff51afd7ed558ccdULL;
  t ^= t >> 33;
  t *= 0xc4ceb9fe1a85ec53ULL;
  t ^= t >> 33;
  return t;
}

// The salted hash of a byte sequence (XXH3 seeded with the salt).
std::int64_t hashBytesWithSalt(std::int64_t salt, const void* data, std::size_t size) noexcept;

template <class T>
struct Hashable;

template <class T>
concept HashableType = requires(const T& x, std::int64_t s) {
  { Hashable<T>::hash(x) } -> std::convertible_to<std::int64_t>;
  { Hashable<T>::hashWithSalt(s, x) } -> std::convertible_to<std::int64_t>;
};

// The fallback: a type that only has std::hash.
template <class T>
struct Hashable {
  static std::int64_t hash(const T& x) noexcept(noexcept(std::hash<T>{}(x)))
    requires requires { std::hash<T>{}(x); }
  {
    return static_cast<std::int64_t>(std::hash<T>{}(x));
  }
  static std::int64_t hashWithSalt(std::int64_t s, const T& x)
    requires requires { std::hash<T>{}(x); }
  {
    return static_cast<std::int64_t>(
        hashWordWithSalt(static_cast<std::uint64_t>(s), std::hash<T>{}(x)));
  }
};

// The hash of x.
template <class T>
std::int64_t hash(const T& x) {
  return Hashable<T>::hash(x);
}
// The hash of x mixed into the salt s.
template <class T>
std::int64_t hashWithSalt(std::int64_t s, const T& x) {
  return Hashable<T>::hashWithSalt(s, x);
}

// Integers (and bool, characters): `hash` is the value itself, so a test can
// choose the hash of its keys; the salted hash mixes the value as a word.
template <class T>
  requires(std::is_integral_v<T> || std::is_enum_v<T>)
struct Hashable<T> {
  static constexpr std::int64_t hash(T x) noexcept {
    if constexpr (std::is_enum_v<T>) {
      return static_cast<std::int64_t>(static_cast<std::underlying_type_t<T>>(x));
    } else {
      return static_cast<std::int64_t>(x);
    }
  }
  static constexpr std::int64_t hashWithSalt(std::int64_t s, T x) noexcept {
    return static_cast<std::int64_t>(
        hashWordWithSalt(static_cast<std::uint64_t>(s), static_cast<std::uint64_t>(hash(x))));
  }
};

template <>
struct Hashable<Unit> {
  static constexpr std::int64_t hash(Unit) noexcept { return 0; }
  static constexpr std::int64_t hashWithSalt(std::int64_t s, Unit) noexcept {
    return Hashable<std::int64_t>::hashWithSalt(s, 0);
  }
};

template <>
struct Hashable<Ordering> {
  static constexpr std::int64_t hash(Ordering o) noexcept {
    return static_cast<std::int64_t>(o) + 1;
  }
  static constexpr std::int64_t hashWithSalt(std::int64_t s, Ordering o) noexcept {
    return Hashable<std::int64_t>::hashWithSalt(s, hash(o));
  }
};

// Byte strings: XXH3 over the bytes, seeded with the salt, with the length
// mixed in after.
template <class CharT>
  requires(sizeof(CharT) == 1)
struct Hashable<std::basic_string_view<CharT>> {
  static std::int64_t hashWithSalt(std::int64_t s, std::basic_string_view<CharT> x) noexcept {
    return Hashable<std::uint64_t>::hashWithSalt(hashBytesWithSalt(s, x.data(), x.size()),
                                                 x.size());
  }
  static std::int64_t hash(std::basic_string_view<CharT> x) noexcept {
    return hashWithSalt(defaultSalt, x);
  }
};
template <class CharT>
  requires(sizeof(CharT) == 1)
struct Hashable<std::basic_string<CharT>> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::basic_string<CharT>& x) noexcept {
    return Hashable<std::basic_string_view<CharT>>::hashWithSalt(s, x);
  }
  static std::int64_t hash(const std::basic_string<CharT>& x) noexcept {
    return hashWithSalt(defaultSalt, x);
  }
};

// Strings of characters: the code points as bytes, then the length.
template <>
struct Hashable<std::u32string_view> {
  static std::int64_t hashWithSalt(std::int64_t s, std::u32string_view x) noexcept {
    return Hashable<std::uint64_t>::hashWithSalt(
        hashBytesWithSalt(s, x.data(), x.size() * sizeof(char32_t)), x.size());
  }
  static std::int64_t hash(std::u32string_view x) noexcept { return hashWithSalt(defaultSalt, x); }
};
template <>
struct Hashable<std::u32string> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::u32string& x) noexcept {
    return Hashable<std::u32string_view>::hashWithSalt(s, x);
  }
  static std::int64_t hash(const std::u32string& x) noexcept { return hashWithSalt(defaultSalt, x); }
};

// Nothing mixes 0; Just x mixes a distinguishing word, then x.
template <class T>
struct Hashable<std::optional<T>> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::optional<T>& x) {
    if (!x) return Hashable<std::int64_t>::hashWithSalt(s, 0);
    return basis::hashWithSalt(Hashable<std::int64_t>::hashWithSalt(s, kJust), *x);
  }
  static std::int64_t hash(const std::optional<T>& x) {
    return x ? basis::hashWithSalt(kJust, *x) : 0;
  }
  static constexpr std::int64_t kJust = static_cast<std::int64_t>(0x087fc72c);
};

// Pairs and tuples: the components mixed left to right; `hash` starts from
// the first component's hash.
template <class A, class B>
struct Hashable<std::pair<A, B>> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::pair<A, B>& p) {
    return basis::hashWithSalt(basis::hashWithSalt(s, p.first), p.second);
  }
  static std::int64_t hash(const std::pair<A, B>& p) {
    return basis::hashWithSalt(basis::hash(p.first), p.second);
  }
};
template <class... Ts>
struct Hashable<std::tuple<Ts...>> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::tuple<Ts...>& t) {
    return std::apply(
        [&](const auto&... xs) {
          ((s = basis::hashWithSalt(s, xs)), ...);
          return s;
        },
        t);
  }
  static std::int64_t hash(const std::tuple<Ts...>& t) { return hashWithSalt(defaultSalt, t); }
};

// Sequences: the elements mixed in order, then the length.
template <class T, class Alloc>
struct Hashable<std::vector<T, Alloc>> {
  static std::int64_t hashWithSalt(std::int64_t s, const std::vector<T, Alloc>& xs) {
    for (const T& x : xs) s = basis::hashWithSalt(s, x);
    return Hashable<std::uint64_t>::hashWithSalt(s, xs.size());
  }
  static std::int64_t hash(const std::vector<T, Alloc>& xs) { return hashWithSalt(defaultSalt, xs); }
};

template <class A, class B>
struct Hashable<Either<A, B>> {
  static std::int64_t hashWithSalt(std::int64_t s, const Either<A, B>& e) {
    return e.either(
        [&](const A& a) { return basis::hashWithSalt(Hashable<std::int64_t>::hashWithSalt(s, 0), a); },
        [&](const B& b) { return basis::hashWithSalt(Hashable<std::int64_t>::hashWithSalt(s, 1), b); });
  }
  static std::int64_t hash(const Either<A, B>& e) { return hashWithSalt(defaultSalt, e); }
};

template <class A>
struct Hashable<Identity<A>> {
  static std::int64_t hashWithSalt(std::int64_t s, const Identity<A>& x) {
    return basis::hashWithSalt(s, x.value);
  }
  static std::int64_t hash(const Identity<A>& x) { return basis::hash(x.value); }
};

// Adapts Hashable to the standard containers' hasher slot.
template <class T>
struct StdHash {
  std::size_t operator()(const T& x) const { return static_cast<std::size_t>(basis::hash(x)); }
};

}  // namespace basis
