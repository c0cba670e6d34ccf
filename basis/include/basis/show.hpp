#pragma once
// Show<T>: the text form of a value, at a precedence.
//
// A specialisation supplies `static void showsPrec(int d, const T& x,
// std::string& out)`, which appends the text of x as it reads in a context of
// precedence d (0 at top level, 11 for an argument of a constructor
// application). It may inherit ShowDefaults<T> for `show` and `showList`
// (the list form "[a,b,c]"); characters override `showList` to print a
// string literal. Every printer appends to a sink and never builds a part of
// the text twice. Printing forces every Lazy it reaches and lets what that
// throws pass through.

#include <charconv>
#include <concepts>
#include <cstdint>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/lazy.hpp"
#include "basis/types.hpp"

namespace basis {

template <class T>
struct Show;

template <class T>
concept ShowType = requires(const T& x, std::string& out) { Show<T>::showsPrec(0, x, out); };

// Appends the text of x at precedence d. Cost: that of the type's printer.
template <class T>
void showsPrec(int d, const T& x, std::string& out) {
  Show<T>::showsPrec(d, x, out);
}
// The text of x at precedence d.
template <class T>
std::string showsPrec(int d, const T& x) {
  std::string out;
  Show<T>::showsPrec(d, x, out);
  return out;
}
// The text of x at precedence 0.
template <class T>
std::string show(const T& x) {
  return showsPrec(0, x);
}

// Writes "(" body ")" when `parenthesise`, else body alone; `body(out)`
// appends the inner text.
template <class F>
void showParen(bool parenthesise, std::string& out, F&& body) {
  if (parenthesise) out += '(';
  std::forward<F>(body)(out);
  if (parenthesise) out += ')';
}

// The standard list form: "[", the elements separated by "," with no
// blanks, "]"; `shows(x, out)` appends one element. Walks the range once.
template <std::ranges::input_range R, class F>
void showListWith(F&& shows, R&& xs, std::string& out) {
  out += '[';
  bool first = true;
  for (auto&& x : xs) {
    if (!first) out += ',';
    first = false;
    shows(x, out);
  }
  out += ']';
}

// The defaults of a Show specialisation, from its `showsPrec`.
template <class T>
struct ShowDefaults {
  // The text of x at precedence 0.
  static std::string show(const T& x) {
    std::string out;
    Show<T>::showsPrec(0, x, out);
    return out;
  }
  // Appends the list form of xs, each element at precedence 0.
  template <std::ranges::input_range R>
  static void showList(R&& xs, std::string& out) {
    showListWith([](const auto& x, std::string& o) { Show<T>::showsPrec(0, x, o); },
                 std::forward<R>(xs), out);
  }
};

// Appends the list form of xs with the element type's own `showList` (so a
// list of characters prints as a string literal), or the standard list form
// when T's printer gives only `showsPrec`.
template <class T, std::ranges::input_range R>
void showList(R&& xs, std::string& out) {
  if constexpr (requires { Show<T>::showList(xs, out); }) {
    Show<T>::showList(std::forward<R>(xs), out);
  } else {
    ShowDefaults<T>::showList(std::forward<R>(xs), out);
  }
}

// ---------------------------------------------------------------------------
// Building blocks for constructor forms.

// Appends a constructor application: the name alone when there are no
// arguments, else the name and each argument at precedence 11 after one
// blank, all in parentheses when d > 10.
template <class... Args>
void showConstructor(int d, std::string& out, std::string_view name, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    out += name;
  } else {
    showParen(d > 10, out, [&](std::string& o) {
      o += name;
      ((o += ' ', basis::showsPrec(11, args, o)), ...);
    });
  }
}

// The fields of a record form, written by showRecord's callback.
class RecordFields {
 public:
  explicit RecordFields(std::string& out) : out_(out) {}
  // Appends "name = " and the value at precedence 0, after ", " unless first.
  template <class V>
  RecordFields& field(std::string_view name, const V& value) {
    return fieldWith(name, [&](std::string& o) { basis::showsPrec(0, value, o); });
  }
  // The same with a printer of one's own: `body(out)` appends the value.
  template <class F>
  RecordFields& fieldWith(std::string_view name, F&& body) {
    if (!first_) out_ += ", ";
    first_ = false;
    out_ += name;
    out_ += " = ";
    std::forward<F>(body)(out_);
    return *this;
  }

 private:
  std::string& out_;
  bool first_ = true;
};

// Appends the record form «C {f = v, g = w}», in parentheses when d >= 11;
// `fields(RecordFields&)` writes the fields in order.
template <class F>
void showRecord(int d, std::string& out, std::string_view name, F&& fields) {
  showParen(d >= 11, out, [&](std::string& o) {
    o += name;
    o += " {";
    RecordFields sink(o);
    std::forward<F>(fields)(sink);
    o += '}';
  });
}

// ---------------------------------------------------------------------------
// Characters and strings with the platform's escapes.

// Appends c as it appears inside a literal, escaped: `\\`, `\a`..`\v`, the
// ASCII control names (`\NUL`, `\SOH`, ..., `\DEL`) and a decimal escape
// (`\233`) for anything above `\DEL`. `next` is the character printed right
// after (or -1 for none): a decimal escape before a digit, and `\SO` before
// 'H', are followed by the empty escape `\&`. Neither quote is escaped here.
void showLitChar(char32_t c, std::int64_t next, std::string& out);
// Appends the string literal of s: the characters escaped as above, `"` as
// `\"`, between double quotes. O(length).
void showStringLiteral(std::u32string_view s, std::string& out);
// The same for a byte string, each byte read as the character of its value.
void showByteStringLiteral(std::string_view bytes, std::string& out);
// The same for UTF-8 text, each code point read as one character. A byte that
// does not start a well-formed sequence is read as U+FFFD.
void showUtf8StringLiteral(std::string_view utf8, std::string& out);
// Appends the character literal of c: «'a'», «'\''», «'\n'», «'\233'».
void showCharLiteral(char32_t c, std::string& out);

// Appends a signed integer in decimal, in parentheses when it is negative
// and d > 6.
void showSignedInteger(int d, std::int64_t x, std::string& out);
// Appends an unsigned integer in decimal, never signed or parenthesised.
void showUnsignedInteger(std::uint64_t x, std::string& out);
// Appends a double in the platform's form: the shortest digits that read
// back to the same value, fixed notation («0.1», «1.0», «1234567.0») for
// magnitudes in [0.1, 10^7), else «1.0e-2» / «1.2345678e7»; «NaN»,
// «Infinity»; negative values (and -0.0) in parentheses when d > 6.
void showDouble(int d, double x, std::string& out);

// ---------------------------------------------------------------------------
// Standard instances.

namespace detail {
template <class T>
inline constexpr bool isCharacterType =
    std::is_same_v<T, char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> ||
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;
}  // namespace detail

// Integers in decimal; signed ones negative in parentheses above precedence 6.
// (`char` and the other character types are not integers here.)
template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !detail::isCharacterType<T>)
struct Show<T> : ShowDefaults<T> {
  static void showsPrec(int d, T x, std::string& out) {
    if constexpr (std::is_signed_v<T>) {
      showSignedInteger(d, static_cast<std::int64_t>(x), out);
    } else {
      (void)d;
      showUnsignedInteger(static_cast<std::uint64_t>(x), out);
    }
  }
};

template <>
struct Show<double> : ShowDefaults<double> {
  static void showsPrec(int d, double x, std::string& out) { showDouble(d, x, out); }
};

template <>
struct Show<bool> : ShowDefaults<bool> {
  static void showsPrec(int, bool x, std::string& out) { out += x ? "True" : "False"; }
};

// A character prints as a character literal; a list of characters as a
// string literal.
template <>
struct Show<char32_t> {
  static void showsPrec(int, char32_t c, std::string& out) { showCharLiteral(c, out); }
  static std::string show(char32_t c) {
    std::string out;
    showCharLiteral(c, out);
    return out;
  }
  template <std::ranges::input_range R>
  static void showList(R&& xs, std::string& out) {
    if constexpr (std::ranges::contiguous_range<R> &&
                  std::is_same_v<std::ranges::range_value_t<R>, char32_t>) {
      showStringLiteral(std::u32string_view(std::ranges::data(xs), std::ranges::size(xs)), out);
    } else {
      std::u32string s;
      for (auto&& c : xs) s += static_cast<char32_t>(c);
      showStringLiteral(s, out);
    }
  }
};

template <>
struct Show<Unit> : ShowDefaults<Unit> {
  static void showsPrec(int, Unit, std::string& out) { out += "()"; }
};

template <>
struct Show<Ordering> : ShowDefaults<Ordering> {
  static void showsPrec(int, Ordering o, std::string& out) {
    out += o == LT ? "LT" : (o == EQ ? "EQ" : "GT");
  }
};

// «Nothing», «Just x».
template <class T>
struct Show<std::optional<T>> : ShowDefaults<std::optional<T>> {
  static void showsPrec(int d, const std::optional<T>& x, std::string& out) {
    if (x) {
      showConstructor(d, out, "Just", *x);
    } else {
      out += "Nothing";
    }
  }
};

// «Left x», «Right y».
template <class A, class B>
struct Show<Either<A, B>> : ShowDefaults<Either<A, B>> {
  static void showsPrec(int d, const Either<A, B>& e, std::string& out) {
    if (const A* a = e.leftPtr()) {
      showConstructor(d, out, "Left", *a);
    } else {
      showConstructor(d, out, "Right", *e.rightPtr());
    }
  }
};

// «This a», «That b», «These a b».
template <class A, class B>
struct Show<These<A, B>> : ShowDefaults<These<A, B>> {
  static void showsPrec(int d, const These<A, B>& t, std::string& out) {
    t.fold([&](const A& a) { showConstructor(d, out, "This", a); },
           [&](const B& b) { showConstructor(d, out, "That", b); },
           [&](const A& a, const B& b) { showConstructor(d, out, "These", a, b); });
  }
};

// «Identity x».
template <class A>
struct Show<Identity<A>> : ShowDefaults<Identity<A>> {
  static void showsPrec(int d, const Identity<A>& x, std::string& out) {
    showConstructor(d, out, "Identity", x.value);
  }
};

// A deferred value prints as its value (forcing it).
template <class T>
struct Show<Lazy<T>> : ShowDefaults<Lazy<T>> {
  static void showsPrec(int d, const Lazy<T>& x, std::string& out) {
    Show<T>::showsPrec(d, x.force(), out);
  }
};

// «(a,b)», «(a,b,c)»: components at precedence 0, no blanks.
template <class A, class B>
struct Show<std::pair<A, B>> : ShowDefaults<std::pair<A, B>> {
  static void showsPrec(int, const std::pair<A, B>& p, std::string& out) {
    out += '(';
    basis::showsPrec(0, p.first, out);
    out += ',';
    basis::showsPrec(0, p.second, out);
    out += ')';
  }
};
template <class... Ts>
struct Show<std::tuple<Ts...>> : ShowDefaults<std::tuple<Ts...>> {
  static void showsPrec(int, const std::tuple<Ts...>& t, std::string& out) {
    out += '(';
    std::apply(
        [&](const auto&... xs) {
          bool first = true;
          ((out += first ? "" : ",", first = false, basis::showsPrec(0, xs, out)), ...);
        },
        t);
    out += ')';
  }
};

// A list prints with the element type's `showList`: «[1,2]», «"ab"».
template <class T, class Alloc>
struct Show<std::vector<T, Alloc>> : ShowDefaults<std::vector<T, Alloc>> {
  static void showsPrec(int, const std::vector<T, Alloc>& xs, std::string& out) {
    basis::showList<T>(xs, out);
  }
};

// The platform's String: «"abc"» with escapes.
template <>
struct Show<std::u32string> : ShowDefaults<std::u32string> {
  static void showsPrec(int, const std::u32string& s, std::string& out) {
    showStringLiteral(s, out);
  }
};
template <>
struct Show<std::u32string_view> : ShowDefaults<std::u32string_view> {
  static void showsPrec(int, std::u32string_view s, std::string& out) {
    showStringLiteral(s, out);
  }
};

// A byte string prints as the string literal of its bytes, each byte the
// character of its value: «"a\255"».
template <>
struct Show<std::string> : ShowDefaults<std::string> {
  static void showsPrec(int, const std::string& s, std::string& out) {
    showByteStringLiteral(s, out);
  }
};
template <>
struct Show<std::string_view> : ShowDefaults<std::string_view> {
  static void showsPrec(int, std::string_view s, std::string& out) {
    showByteStringLiteral(s, out);
  }
};

}  // namespace basis
