#pragma once
// Random version-4 UUIDs from any uniform random bit generator of 64-bit
// words (std::mt19937_64, or KernelEntropy for the operating system's
// entropy): two draws per UUID, the first giving bytes 0-7 and the second
// bytes 8-15, then the version (4) and the variant (bits 1 0) stamped as
// `buildFromBytes` stamps them.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <ranges>
#include <utility>

#include <basis/error.hpp>

#include "stampwell/internal/builder.hpp"
#include "stampwell/internal/representation.hpp"

namespace stampwell {

// A generator whose every draw is a uniform 64-bit word (its result type
// an unsigned 64-bit integer, whether spelled `long` or `long long`).
template <class G>
concept Word64Generator =
    std::uniform_random_bit_generator<G> && sizeof(typename G::result_type) == 8 &&
    G::min() == 0 && G::max() == std::numeric_limits<typename G::result_type>::max();

namespace detail {

// The version-4 UUID of the words a (bytes 0-7) and b (bytes 8-15): version 4
// in the top of byte 6 and the variant bits 1 0 in the top of byte 8, as
// `buildFromBytes(4)` stamps them.
constexpr UUID version4(std::uint64_t a, std::uint64_t b) noexcept {
  return UUID((a & ~std::uint64_t{0xF000}) | std::uint64_t{0x4000},
              (b & ~(std::uint64_t{0xC0} << 56)) | (std::uint64_t{0x80} << 56));
}

// A generator that can make several draws at once: `g.fill(out, k)` writes
// the next k draws to out[0..k), in order.
template <class G>
concept FillsWords = requires(G& g, std::uint64_t* out, std::size_t k) { g.fill(out, k); };

}  // namespace detail

// A version-4 UUID drawn from g, which advances by exactly two draws (taken
// together when g can fill several at once). O(1); throws only what g throws.
template <Word64Generator G>
inline UUID uniformM(G& g) {
  if constexpr (detail::FillsWords<G>) {
    std::uint64_t w[2];
    g.fill(w, 2);
    return detail::version4(w[0], w[1]);
  } else {
    const std::uint64_t a = g();
    const std::uint64_t b = g();
    return detail::version4(a, b);
  }
}

// 64-bit words from the operating system's entropy source (getrandom on
// Linux). Each call reads the kernel afresh and no bytes are kept between
// calls, so a forked process never repeats its parent's draws.
class KernelEntropy {
 public:
  using result_type = std::uint64_t;
  static constexpr result_type min() noexcept { return 0; }
  static constexpr result_type max() noexcept { return ~result_type{0}; }

  // One draw: one 8-byte read. Throws std::system_error when the source fails.
  result_type operator()() {
    result_type w;
    fill(&w, 1);
    return w;
  }
  // The next k draws written to out, with one read of 8k bytes (so
  // `uniformM` makes one read per UUID). Throws std::system_error when the
  // source fails.
  void fill(std::uint64_t* out, std::size_t k);
};

// A version-4 UUID drawn from a copy of g, with that copy advanced by
// exactly two draws; g itself is untouched. O(1); throws only what g throws.
template <Word64Generator G>
std::pair<UUID, G> random(G g) {
  const UUID u = uniformM(g);
  return {u, std::move(g)};
}

// The whole UUID range, nil to ffffffff-ffff-ffff-ffff-ffffffffffff: the one
// range the range forms accept, with its bounds in either order (a range's
// bounds name the same values whichever comes first).
inline constexpr std::pair<UUID, UUID> wholeRange{UUID(0, 0), UUID(~0ULL, ~0ULL)};

namespace detail {
[[noreturn]] void throwRangeNotWhole();

constexpr bool isWholeRange(const std::pair<UUID, UUID>& range) noexcept {
  return range == wholeRange ||
         (range.first == wholeRange.second && range.second == wholeRange.first);
}
}  // namespace detail

// `random(g)` for the whole range. A random UUID is a version-4 UUID, which
// a narrower range need not contain, so any other range is rejected: throws
// basis::ErrorCall unless `range` is `wholeRange`, in either order, and
// otherwise only what g throws. O(1).
template <Word64Generator G>
std::pair<UUID, G> randomR(std::pair<UUID, UUID> range, G g) {
  if (!detail::isWholeRange(range)) detail::throwRangeNotWhole();
  return random(std::move(g));
}

// The endless sequence of version-4 UUIDs drawn from g: element 0 is
// `random(g).first`, and each next element is drawn from the generator the
// previous one left. An element is drawn when it is first dereferenced (an
// element stepped over unread still takes its two draws, to reach the next),
// so walking n elements draws 2n words and no more. Every `begin()` starts
// again from g. An iterator caches the element it stands on: dereferencing
// one iterator object from several threads at once is a data race. A view,
// with the members std::ranges::view_interface would add written out (clang
// before 16 cannot instantiate view_interface with libstdc++ 12).
template <Word64Generator G>
class RandomUUIDs : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = UUID;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;
    // Elements are handed out by value, which the older iterator
    // requirements allow only for input iterators.
    using iterator_category = std::input_iterator_tag;

    iterator() = default;
    explicit iterator(const G& g) : g_(g) {}

    // The element here, drawn on first demand. Throws what g throws.
    UUID operator*() const {
      if (!drawn_) {
        current_ = uniformM(g_);
        drawn_ = true;
      }
      return current_;
    }
    // Steps to the next element; draws the one left only if it was never read.
    iterator& operator++() {
      if (!drawn_) (void)uniformM(g_);
      drawn_ = false;
      ++position_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    // Iterators over one sequence are equal at the same position.
    friend bool operator==(const iterator& a, const iterator& b) noexcept {
      return a.position_ == b.position_;
    }
    friend bool operator==(const iterator&, std::unreachable_sentinel_t) noexcept { return false; }

   private:
    mutable G g_{};
    mutable UUID current_{};
    mutable bool drawn_ = false;
    std::ptrdiff_t position_ = 0;
  };

  RandomUUIDs() = default;
  explicit RandomUUIDs(G g) : g_(std::move(g)) {}

  iterator begin() const { return iterator(g_); }
  std::unreachable_sentinel_t end() const noexcept { return {}; }
  // Never empty.
  constexpr bool empty() const noexcept { return false; }
  constexpr explicit operator bool() const noexcept { return true; }
  // Element 0, `random(g).first`. Throws what g throws.
  UUID front() const { return *begin(); }

 private:
  G g_{};
};

// The endless sequence of random UUIDs from g (see RandomUUIDs). O(1) until
// iterated; two draws per element reached.
template <Word64Generator G>
RandomUUIDs<G> randoms(G g) {
  return RandomUUIDs<G>(std::move(g));
}

// `randoms(g)` for the whole range; throws basis::ErrorCall for any other
// range, as `randomR` does. O(1) until iterated.
template <Word64Generator G>
RandomUUIDs<G> randomRs(std::pair<UUID, UUID> range, G g) {
  if (!detail::isWholeRange(range)) detail::throwRangeNotWhole();
  return randoms(std::move(g));
}

}  // namespace stampwell
