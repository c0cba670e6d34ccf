#pragma once
// Feeding the bytes of wider integers, most significant first, into a
// function that takes its bytes one at a time.
//
// A byte consumer is any callable that takes unsigned bytes as its arguments,
// e.g. `buildFromBytes(version)`, which waits for 16. `feed(consumer, x)`
// hands it the bytes of x: when that completes its arguments the result is
// the consumer's result; otherwise it is a new consumer waiting for the rest,
// so feeding composes, `feed(feed(c, a), b)` giving c the bytes of a and then
// those of b.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace stampwell {

// The bytes a source type feeds: `size` bytes, most significant first.
template <class T>
struct ByteSource;

template <class T>
concept ByteSourceType = requires(const T& x) {
  { ByteSource<T>::size } -> std::convertible_to<std::size_t>;
  { ByteSource<T>::bytes(x) } -> std::same_as<std::array<std::uint8_t, ByteSource<T>::size>>;
};

namespace detail {

// The low `N` bytes of x, most significant first.
template <std::size_t N>
constexpr std::array<std::uint8_t, N> bigEndianBytes(std::uint64_t x) noexcept {
  std::array<std::uint8_t, N> out{};
  for (std::size_t i = 0; i < N; ++i) {
    out[i] = static_cast<std::uint8_t>(x >> (8 * (N - 1 - i)));
  }
  return out;
}

}  // namespace detail

template <>
struct ByteSource<std::uint8_t> {
  static constexpr std::size_t size = 1;
  static constexpr std::array<std::uint8_t, 1> bytes(std::uint8_t x) noexcept { return {x}; }
};
template <>
struct ByteSource<std::uint16_t> {
  static constexpr std::size_t size = 2;
  static constexpr std::array<std::uint8_t, 2> bytes(std::uint16_t x) noexcept {
    return detail::bigEndianBytes<2>(x);
  }
};
template <>
struct ByteSource<std::uint32_t> {
  static constexpr std::size_t size = 4;
  static constexpr std::array<std::uint8_t, 4> bytes(std::uint32_t x) noexcept {
    return detail::bigEndianBytes<4>(x);
  }
};
template <>
struct ByteSource<std::uint64_t> {
  static constexpr std::size_t size = 8;
  static constexpr std::array<std::uint8_t, 8> bytes(std::uint64_t x) noexcept {
    return detail::bigEndianBytes<8>(x);
  }
};
// A signed machine integer feeds only the low 32 bits of its two's-complement
// form.
template <>
struct ByteSource<std::int64_t> {
  static constexpr std::size_t size = 4;
  static constexpr std::array<std::uint8_t, 4> bytes(std::int64_t x) noexcept {
    return detail::bigEndianBytes<4>(static_cast<std::uint64_t>(x));
  }
};

// C++ has two 64-bit integer types of each signedness (`long` and `long
// long`); the one that is not std::uint64_t or std::int64_t feeds as that
// one does, so a literal such as 0x0102030405060708ULL is a source too.
template <class T>
  requires(std::unsigned_integral<T> && sizeof(T) == 8 && !std::same_as<T, std::uint64_t>)
struct ByteSource<T> : ByteSource<std::uint64_t> {};
template <class T>
  requires(std::signed_integral<T> && sizeof(T) == 8 && !std::same_as<T, std::int64_t>)
struct ByteSource<T> : ByteSource<std::int64_t> {};
// A plain `int` (the type of an unsuffixed literal such as -1) is a machine
// integer of that value: it feeds the same 4 bytes as std::int64_t does.
template <>
struct ByteSource<int> {
  static constexpr std::size_t size = 4;
  static constexpr std::array<std::uint8_t, 4> bytes(int x) noexcept {
    return ByteSource<std::int64_t>::bytes(x);
  }
};

namespace detail {

template <class F, class Indices, class... Rest>
struct InvocableWithBytesImpl;
template <class F, std::size_t... I, class... Rest>
struct InvocableWithBytesImpl<F, std::index_sequence<I...>, Rest...>
    : std::is_invocable<F, decltype((void)I, std::uint8_t{})..., Rest...> {};

// Whether F can be called with N bytes followed by arguments of types Rest.
template <class F, std::size_t N, class... Rest>
inline constexpr bool invocableWithBytes =
    InvocableWithBytesImpl<F, std::make_index_sequence<N>, Rest...>::value;

}  // namespace detail

// A consumer that has been given its first N bytes and waits for the rest.
template <class F, std::size_t N>
class FedConsumer {
 public:
  FedConsumer(F f, std::array<std::uint8_t, N> given) : f_(std::move(f)), given_(given) {}

  // The consumer's result for the bytes given so far followed by `rest`.
  template <class... Rest>
    requires detail::invocableWithBytes<const F&, N, Rest...>
  decltype(auto) operator()(Rest&&... rest) const {
    return callWith(std::make_index_sequence<N>{}, std::forward<Rest>(rest)...);
  }

  const F& consumer() const noexcept { return f_; }
  const std::array<std::uint8_t, N>& given() const noexcept { return given_; }

 private:
  template <std::size_t... I, class... Rest>
  decltype(auto) callWith(std::index_sequence<I...>, Rest&&... rest) const {
    return f_(given_[I]..., std::forward<Rest>(rest)...);
  }

  F f_;
  std::array<std::uint8_t, N> given_;
};

namespace detail {

template <class F>
struct IsFed : std::false_type {};
template <class F, std::size_t N>
struct IsFed<FedConsumer<F, N>> : std::true_type {};

template <class F, std::size_t N, std::size_t... I>
decltype(auto) applyBytes(const F& f, const std::array<std::uint8_t, N>& b, std::index_sequence<I...>) {
  return f(b[I]...);
}

// Gives f the bytes b: calls it when they complete its arguments, otherwise
// keeps them for later.
template <class F, std::size_t N>
decltype(auto) giveBytes(F f, const std::array<std::uint8_t, N>& b) {
  if constexpr (invocableWithBytes<const F&, N>) {
    return applyBytes(f, b, std::make_index_sequence<N>{});
  } else {
    return FedConsumer<F, N>(std::move(f), b);
  }
}

template <std::size_t N, std::size_t M>
std::array<std::uint8_t, N + M> concatBytes(const std::array<std::uint8_t, N>& a,
                                            const std::array<std::uint8_t, M>& b) {
  std::array<std::uint8_t, N + M> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = a[i];
  for (std::size_t i = 0; i < M; ++i) out[N + i] = b[i];
  return out;
}

}  // namespace detail

// `consumer` applied to the bytes of `source`, most significant first: its
// result when they complete its arguments, else a consumer of the remaining
// bytes. O(bytes fed); throws only what the consumer throws.
template <class F, ByteSourceType S>
decltype(auto) feed(F&& consumer, const S& source) {
  using Consumer = std::decay_t<F>;
  const auto bytes = ByteSource<S>::bytes(source);
  if constexpr (detail::IsFed<Consumer>::value) {
    return detail::giveBytes(consumer.consumer(), detail::concatBytes(consumer.given(), bytes));
  } else {
    return detail::giveBytes(Consumer(std::forward<F>(consumer)), bytes);
  }
}

}  // namespace stampwell
