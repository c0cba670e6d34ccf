#pragma once
// The standard interfaces of ShortText: text form and parser (those of the
// string of its characters), concatenation as semigroup and monoid, hashing
// of its bytes, deep evaluation, the expression that rebuilds it, list and string-literal conversions, formatted printing, the
// generic view (one constructor "fromString" holding the characters), and
// std::hash / operator<< for the standard library.

#include <basis/generic.hpp>
#include <basis/hashable.hpp>
#include <basis/lift.hpp>
#include <basis/nfdata.hpp>
#include <basis/read.hpp>
#include <basis/semigroup.hpp>
#include <basis/show.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <ranges>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "scriblet/export.h"
#include "scriblet/internal/building.hpp"
#include "scriblet/internal/core.hpp"
#include "scriblet/internal/errors.hpp"

namespace scriblet {

// ---- List and string-literal conversions ------------------------------------

// The text of the characters (surrogates become U+FFFD). A character array
// ending in U+0000 is a string literal: its terminator is not a character of
// the text. O(n).
template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, char32_t>
ShortText fromList(R&& chars) {
  if constexpr (std::ranges::contiguous_range<R> &&
                std::is_same_v<std::ranges::range_value_t<R>, char32_t>) {
    std::u32string_view s(std::ranges::data(chars), std::ranges::size(chars));
    if constexpr (std::is_array_v<std::remove_cvref_t<R>>) {
      if (!s.empty() && s.back() == U'\0') s.remove_suffix(1);
    }
    return fromString(s);
  } else {
    std::u32string s;
    for (auto&& c : chars) s += static_cast<char32_t>(c);
    return fromString(s);
  }
}
inline ShortText fromList(std::initializer_list<char32_t> chars) {
  return fromString(std::u32string_view(chars.begin(), chars.size()));
}
// The same as fromList; the count is ignored (the whole list is converted).
template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, char32_t>
ShortText fromListN(std::int64_t, R&& chars) {
  return scriblet::fromList(std::forward<R>(chars));
}
inline ShortText fromListN(std::int64_t, std::initializer_list<char32_t> chars) {
  return scriblet::fromList(chars);
}
// The characters. O(n).
inline std::u32string toList(const ShortText& t) { return toString(t); }

namespace literals {
// U"..."_st: the text of a string literal (surrogates become U+FFFD).
inline ShortText operator""_st(const char32_t* s, std::size_t n) {
  return fromString(std::u32string_view(s, n));
}
}  // namespace literals

// ---- Formatted printing -----------------------------------------------------

// One field of a format string, as `%-8.3s` describes it.
struct FieldFormat {
  std::optional<std::int64_t> width;
  std::optional<std::int64_t> precision;
  bool leftAdjust = false;
  char32_t conversion = U's';
};

// t formatted as a string argument: at most `precision` characters, padded
// with blanks to `width` (after the text when left-adjusted). O(n). Throws
// basis::ErrorCall "printf: bad formatting char 'c'" for a conversion other
// than 's' or 'v'.
SCRIBLET_API std::string formatArg(const ShortText& t, const FieldFormat& format);
// The field a format string starts with, for a text argument: its first
// character as the conversion with no modifiers, and the rest. Throws
// basis::ErrorCall "printf: formatting string ended prematurely" for an
// empty format.
SCRIBLET_API std::pair<FieldFormat, std::u32string> parseFormat(const ShortText& t,
                                                                std::u32string_view format);

// ---- Generic view -------------------------------------------------------------

// The description of the type: "Data.Scriblet", algebraic, one constructor.
SCRIBLET_API const basis::generic::DataType& shortTextDataType();
// Its constructor "fromString" (prefix, no field names).
SCRIBLET_API const basis::generic::Constr& packConstr();

// Prints the text's UTF-8 bytes as they stand.
inline std::ostream& operator<<(std::ostream& out, const ShortText& t) {
  return out.write(reinterpret_cast<const char*>(t.data()), static_cast<std::streamsize>(t.size()));
}

}  // namespace scriblet

// The text form of a text is the string literal of its characters.
template <>
struct basis::Show<scriblet::ShortText> : basis::ShowDefaults<scriblet::ShortText> {
  static void showsPrec(int, const scriblet::ShortText& t, std::string& out) {
    basis::showUtf8StringLiteral(t.bytes(), out);
  }
};

// Reads what a string reads (a string literal, in any parentheses); a
// surrogate escape is stored as U+FFFD, so the result is always UTF-8.
template <>
struct basis::Read<scriblet::ShortText> : basis::ReadDefaults<scriblet::ShortText> {
  static basis::Parses<scriblet::ShortText> readsPrec(int d, std::string_view in) {
    basis::Parses<scriblet::ShortText> out;
    for (auto& [chars, rest] : basis::Read<std::u32string>::readsPrec(d, in)) {
      out.emplace_back(scriblet::fromString(chars), rest);
    }
    return out;
  }
};

// A text holds nothing deferred: evaluating it deeply does nothing more.
template <>
struct basis::NFData<scriblet::ShortText> {
  static void rnf(const scriblet::ShortText&) noexcept {}
};

// The expression `fromString "..."`: the global variable fromString of the
// library's internal module applied to a string literal of the characters.
template <>
struct basis::Lift<scriblet::ShortText> : basis::LiftDefaults<scriblet::ShortText> {
  static basis::expr::Exp lift(const scriblet::ShortText& t) {
    return basis::expr::AppE(
        basis::expr::VarE(basis::expr::mkNameG_v(scriblet::kPackage, "Data.Scriblet.Internal", "fromString")),
        basis::liftString(scriblet::toString(t)));
  }
};

// Byte concatenation.
template <>
struct basis::Semigroup<scriblet::ShortText> {
  static scriblet::ShortText combine(const scriblet::ShortText& a, const scriblet::ShortText& b) {
    const scriblet::ShortText pieces[2] = {a, b};
    return scriblet::detail::joinPieces(pieces, 2, nullptr);
  }
  // The texts of a non-empty range joined; throws std::invalid_argument for
  // an empty one. One allocation.
  template <std::ranges::input_range R>
  static scriblet::ShortText sconcat(R&& xs) {
    auto&& all = scriblet::detail::gatherTexts(std::forward<R>(xs));
    if (std::ranges::size(all) == 0) throw std::invalid_argument("sconcat: empty list");
    return scriblet::detail::joinPieces(std::ranges::data(all), std::ranges::size(all), nullptr);
  }
  // n copies of x (the empty text for 0). Throws basis::ErrorCall
  // "stimes: negative multiplier" for n < 0.
  static scriblet::ShortText stimes(std::int64_t n, const scriblet::ShortText& x) {
    if (n < 0) throw basis::ErrorCall("stimes: negative multiplier");
    return scriblet::replicate(n, x);
  }
};
template <>
struct basis::Monoid<scriblet::ShortText> {
  static scriblet::ShortText mempty() noexcept { return scriblet::ShortText(); }
  static scriblet::ShortText mappend(const scriblet::ShortText& a, const scriblet::ShortText& b) {
    return basis::Semigroup<scriblet::ShortText>::combine(a, b);
  }
  template <std::ranges::input_range R>
  static scriblet::ShortText mconcat(R&& xs) {
    auto&& all = scriblet::detail::gatherTexts(std::forward<R>(xs));
    return scriblet::detail::joinPieces(std::ranges::data(all), std::ranges::size(all), nullptr);
  }
};

// A text hashes exactly as its bytes do.
template <>
struct basis::Hashable<scriblet::ShortText> {
  static std::int64_t hashWithSalt(std::int64_t s, const scriblet::ShortText& t) noexcept {
    return basis::Hashable<std::string_view>::hashWithSalt(s, t.bytes());
  }
  static std::int64_t hash(const scriblet::ShortText& t) noexcept {
    return basis::Hashable<std::string_view>::hash(t.bytes());
  }
};

template <>
struct std::hash<scriblet::ShortText> {
  std::size_t operator()(const scriblet::ShortText& t) const noexcept {
    return static_cast<std::size_t>(basis::Hashable<scriblet::ShortText>::hash(t));
  }
};

template <>
struct basis::generic::Typeable<scriblet::ShortText> {
  static basis::generic::TypeRep typeRep() {
    return basis::generic::mkTyConApp("ShortText", "Data.Scriblet.Internal");
  }
};

// The generic view: one constructor, "fromString", whose single child is the
// text's characters.
template <>
struct basis::Data<scriblet::ShortText> : basis::DataDefaults<scriblet::ShortText> {
  static basis::generic::DataType dataTypeOf(const scriblet::ShortText&) {
    return scriblet::shortTextDataType();
  }
  static basis::generic::Constr toConstr(const scriblet::ShortText&) { return scriblet::packConstr(); }
  static std::tuple<std::u32string> fields(const scriblet::ShortText& t) {
    return {scriblet::toString(t)};
  }
  static scriblet::ShortText fromFields(std::u32string chars) { return scriblet::fromString(chars); }
  // Rebuilds a text through fromString for the constructor of index 1.
  // Throws basis::ErrorCall "gunfold" for another index, and the generic
  // library's own error for a constructor of a non-algebraic type.
  template <class K, class Z>
  static auto gunfold(K&& k, Z&& z, const basis::generic::Constr& c) {
    if (c.constrIndex() != 1) scriblet::detail::raise(scriblet::detail::ErrorSite::Gunfold);
    return gunfoldWith(k, z);
  }
  static std::nullopt_t dataCast1() noexcept { return std::nullopt; }
  static std::nullopt_t dataCast2() noexcept { return std::nullopt; }
};
