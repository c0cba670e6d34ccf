#pragma once
// Positional operations: indexing by code point from either end, the byte
// range copy under every cut, splits at a count, first and last character,
// byte-wise prefix and suffix tests, and splitting at separators.

#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>

#include "scriblet/export.h"
#include "scriblet/internal/core.hpp"
#include "scriblet/internal/utf8.hpp"

namespace scriblet {

// Code point i from the start, or nothing (also for negative i). O(i).
SCRIBLET_API std::optional<char32_t> indexMaybe(const ShortText& t, std::int64_t i) noexcept;
// Code point i from the end (0 = last), or nothing. O(i).
SCRIBLET_API std::optional<char32_t> indexEndMaybe(const ShortText& t, std::int64_t i) noexcept;

// A fresh copy of `count` bytes of t from byte `offset`, clamped to t's end;
// the empty text when nothing remains. O(count). Throws basis::ErrorCall
// "invalid offset" / "invalid length" for a negative offset / count.
SCRIBLET_API ShortText slice(const ShortText& t, std::int64_t offset, std::int64_t count);

// (the first k code points, the rest); t itself stands for a whole side. O(n).
SCRIBLET_API std::pair<ShortText, ShortText> splitAt(std::int64_t k, const ShortText& t);
// (all but the last k code points, the last k code points). O(n).
SCRIBLET_API std::pair<ShortText, ShortText> splitAtEnd(std::int64_t k, const ShortText& t);

// The first character and the rest, or nothing for the empty text. O(n).
SCRIBLET_API std::optional<std::pair<char32_t, ShortText>> uncons(const ShortText& t);
// All but the last character and the last character, or nothing. O(n).
SCRIBLET_API std::optional<std::pair<ShortText, char32_t>> unsnoc(const ShortText& t);

// True when p's bytes begin t. One memcmp at most.
SCRIBLET_API bool isPrefixOf(const ShortText& p, const ShortText& t) noexcept;
// True when s's bytes end t. One memcmp at most.
SCRIBLET_API bool isSuffixOf(const ShortText& s, const ShortText& t) noexcept;
// t without the prefix p (t itself when p is empty), or nothing. O(n).
SCRIBLET_API std::optional<ShortText> stripPrefix(const ShortText& p, const ShortText& t);
// t without the suffix s (t itself when s is empty), or nothing. O(n).
SCRIBLET_API std::optional<ShortText> stripSuffix(const ShortText& s, const ShortText& t);

namespace detail {
// The bytes [from, to) of t as a text: t itself for the whole range, the
// empty text for an empty one, else a fresh copy. No checks.
SCRIBLET_API ShortText sliceRange(const ShortText& t, std::size_t from, std::size_t to);
}  // namespace detail

namespace detail {

// Whether a default-made Pred answers c in a constant expression.
template <class Pred, char32_t c>
concept AnswersInConstantExpression =
    requires { typename std::bool_constant<static_cast<bool>(Pred{}(c))>; };

template <class Pred, std::size_t... c>
constexpr bool answersEveryAscii(std::index_sequence<c...>) noexcept {
  return (AnswersInConstantExpression<Pred, static_cast<char32_t>(c)> && ...);
}

// The answers of a predicate on the ASCII characters, when they are known at
// compile time: the predicate is an empty type (a lambda without captures,
// say) whose default-made value answers each of them in a constant
// expression. Its answer there is then a function of the character alone,
// with no effect, so the table can stand in for the call.
template <class Pred>
struct AsciiAnswers {
  static constexpr bool known = [] {
    if constexpr (std::is_empty_v<Pred> && std::is_default_constructible_v<Pred> &&
                  std::is_invocable_v<const Pred&, char32_t>) {
      return answersEveryAscii<Pred>(std::make_index_sequence<128>());
    } else {
      return false;
    }
  }();
  static constexpr std::array<bool, 128> table = [] {
    std::array<bool, 128> t{};
    if constexpr (known) {
      for (char32_t c = 0; c < 128; ++c) t[c] = static_cast<bool>(Pred{}(c));
    }
    return t;
  }();
  // The one ASCII character it accepts, or -1.
  static constexpr int only = [] {
    int found = -1;
    for (int c = 0; c < 128; ++c) {
      if (!table[static_cast<std::size_t>(c)]) continue;
      if (found >= 0) return -1;
      found = c;
    }
    return found;
  }();
};

// The first offset from j that holds the byte c (below 0x80) or a byte of
// 0x80 and above, or n: eight bytes a word. In a word the lowest flagged
// byte is exact (a borrow runs only upwards from a byte equal to c).
inline std::size_t findByteOrHigh(const unsigned char* p, std::size_t n, std::size_t j,
                                  unsigned char c) noexcept {
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  constexpr std::uint64_t highs = 0x8080808080808080ULL;
  for (; j + 8 <= n; j += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + j, sizeof w);
    const std::uint64_t x = w ^ (ones * c);
    const std::uint64_t flagged = (w & highs) | ((x - ones) & ~x & highs);
    if (flagged != 0) return j + static_cast<std::size_t>(__builtin_ctzll(flagged)) / 8;
  }
  while (j < n && p[j] != c && p[j] < 0x80) ++j;
  return j;
}

}  // namespace detail

// The pieces of a text between the characters that satisfy a predicate,
// produced as they are reached: the predicate runs once per character, in
// order, only as far as the range is read (on ASCII characters, a predicate
// whose answers there are known at compile time is not called: see
// detail::AsciiAnswers). A text with no separator gives one piece, the text
// itself; every separator adds one piece, so adjacent, leading and trailing
// separators give empty pieces.
template <class Pred>
class SplitView {
 public:
  class iterator {
   public:
    using value_type = ShortText;
    using difference_type = std::ptrdiff_t;
    using reference = const ShortText&;
    using pointer = const ShortText*;
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::input_iterator_tag;

    iterator() = default;
    const ShortText& operator*() const { return piece_; }
    const ShortText* operator->() const { return &piece_; }
    iterator& operator++() {
      advance();
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      advance();
      return before;
    }
    // Iterators compare equal when both are past the last piece (or are the
    // same position of one walk).
    friend bool operator==(const iterator& a, const iterator& b) noexcept {
      if (a.done_ || b.done_) return a.done_ == b.done_;
      return a.view_ == b.view_ && a.scan_ == b.scan_ && a.finished_ == b.finished_;
    }
    friend bool operator==(const iterator& it, std::default_sentinel_t) noexcept { return it.done_; }

   private:
    friend class SplitView;
    explicit iterator(SplitView* view) : view_(view), done_(false) { advance(); }

    // Finds the next separator (or the end) from the scan position and
    // makes the piece before it.
    void advance() {
      const ShortText& t = view_->text_;
      const unsigned char* p = t.data();
      const std::size_t n = t.size();
      if (finished_) {
        done_ = true;
        piece_ = ShortText();
        return;
      }
      std::size_t j = scan_;
      while (j < n) {
        if constexpr (detail::AsciiAnswers<Pred>::known) {
          // ASCII characters are answered by the table: the walk stops only
          // at an accepted one or at a byte of 0x80 and above.
          using Answers = detail::AsciiAnswers<Pred>;
          if constexpr (Answers::only >= 0) {
            j = detail::findByteOrHigh(p, n, j, static_cast<unsigned char>(Answers::only));
          } else {
            while (j < n && p[j] < 0x80 && !Answers::table[p[j]]) ++j;
          }
          if (j == n) break;
          if (p[j] < 0x80) {
            piece_ = detail::sliceRange(t, start_, j);
            start_ = scan_ = j + 1;
            return;
          }
        }
        const detail::Step s = detail::stepForward(p, n, j);
        if (view_->pred_(cp2ch(s.cp))) {
          piece_ = detail::sliceRange(t, start_, j);
          start_ = scan_ = s.next;
          return;
        }
        j = s.next;
      }
      // The last piece: the text itself when nothing split it.
      piece_ = start_ == 0 ? t : detail::sliceRange(t, start_ < n ? start_ : n, n);
      finished_ = true;
    }

    SplitView* view_ = nullptr;
    ShortText piece_;
    std::size_t start_ = 0;
    std::size_t scan_ = 0;
    bool finished_ = false;
    bool done_ = true;  // a default iterator is the end
  };

  SplitView(Pred pred, ShortText text) : pred_(std::move(pred)), text_(std::move(text)) {}
  // Starts the walk and computes the first piece: call once, and keep the
  // view alive while its iterator is in use.
  iterator begin() { return iterator(this); }
  iterator end() const noexcept { return iterator(); }

 private:
  Pred pred_;
  ShortText text_;
};

// The pieces of t between the characters that satisfy p (see SplitView).
// O(n) when read to the end; each piece is one fresh copy (or t itself).
template <class Pred>
SplitView<Pred> split(Pred p, const ShortText& t) {
  return SplitView<Pred>(std::move(p), t);
}

}  // namespace scriblet
