#pragma once
// Read<T>: parsing text forms back into values.
//
// A parser here is a list-of-successes precedence parser: given a precedence
// d (0 at top level, 11 for a constructor argument) and the input, it returns
// every parse as a (value, remaining input) pair; alternatives are all tried,
// none wins by order. A specialisation of Read<T> supplies
//
//   static Parses<T> readsPrec(int d, std::string_view in);
//
// and may inherit ReadDefaults<T> for `readList` (the list form "[a,b]").
//
// Input is UTF-8. Lexemes follow the platform's conventions: identifiers,
// operator symbols, punctuation, numbers, character and string literals with
// every escape the printer writes; blanks may stand before every lexeme.
//
// Hostile input is safe: parsers never throw on bad input (only
// std::bad_alloc passes), nested brackets beyond kMaxNesting levels yield no
// parse instead of deepening the stack, and the library's parsers read any
// text in work linear in its length: a run of parentheses is counted once,
// and a reader whose form starts with "(" (tuples, pairs of a map) first asks
// whether the bracket group there can hold it (mayHoldTuple), which lexes each
// group once per read. One parse that would read more than its budget (a
// large multiple of the input length, far above what any of these parsers
// needs) still gives up with no parse, a last guard for parsers written
// elsewhere.

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/lazy.hpp"
#include "basis/stack.hpp"
#include "basis/types.hpp"

namespace basis {

// Every parse of a value of type T with the input left after it.
template <class T>
using Parses = std::vector<std::pair<T, std::string_view>>;

template <class T>
struct Read;

template <class T>
concept ReadType = requires(std::string_view s) {
  { Read<T>::readsPrec(0, s) } -> std::convertible_to<Parses<T>>;
};

// ---------------------------------------------------------------------------
// Lexer.

// A number lexeme as written: decimal with optional fraction and exponent,
// or hexadecimal ("0x1F") / octal ("0o17") digits.
struct Number {
  int base = 10;
  std::string_view digits;    // the integer part's digits
  std::string_view fraction;  // the digits after ".", empty when there is none
  bool hasFraction = false;
  bool hasExponent = false;
  bool negativeExponent = false;
  std::string_view exponentDigits;

  // The value when the number is integral (no fraction, no exponent) and
  // fits in 64 bits; otherwise nothing. O(digits).
  std::optional<std::uint64_t> toWord() const;
  // The nearest double; huge exponents give infinity or zero.
  double toDouble() const;
};

// One lexeme. `text` is its source text exactly as written (literals with
// their quotes and escapes).
struct Lexeme {
  enum class Kind : unsigned char { Char, String, Punc, Ident, Symbol, Number, EndOfInput };
  Kind kind = Kind::EndOfInput;
  std::string_view text;

  bool is(Kind k, std::string_view t) const noexcept { return kind == k && text == t; }
  // The character of a Char lexeme.
  char32_t charValue() const;
  // The characters of a String lexeme, escapes decoded (a gap or `\&`
  // contributes nothing).
  std::u32string stringValue() const;
  // The parts of a Number lexeme.
  basis::Number numberValue() const;
};

// The input with leading blanks (space, \t, \n, \r, \f, \v) removed.
std::string_view skipSpaces(std::string_view in) noexcept;

// The lexeme after any blanks and the input after it, or nothing when the
// input does not start with a well-formed lexeme (an unterminated literal, an
// unknown escape, a non-ASCII character outside a literal). At the end of the
// input the lexeme is EndOfInput. Never throws; O(length of the lexeme).
std::optional<std::pair<Lexeme, std::string_view>> lexeme(std::string_view in);

// The input after the next lexeme when that lexeme is exactly (kind, text);
// nothing otherwise. A longer identifier or symbol never matches a prefix.
std::optional<std::string_view> expect(std::string_view in, Lexeme::Kind kind,
                                       std::string_view text);
inline std::optional<std::string_view> expectPunc(std::string_view in, std::string_view p) {
  return expect(in, Lexeme::Kind::Punc, p);
}
inline std::optional<std::string_view> expectIdent(std::string_view in, std::string_view name) {
  return expect(in, Lexeme::Kind::Ident, name);
}
inline std::optional<std::string_view> expectSymbol(std::string_view in, std::string_view s) {
  return expect(in, Lexeme::Kind::Symbol, s);
}

// ---------------------------------------------------------------------------
// Safety limits shared by every parser on a thread.

// The deepest bracket nesting ("(", "[", "{") a parse follows.
inline constexpr int kMaxNesting = 512;

namespace detail {
struct ReadContext {
  bool active = false;
  bool exhausted = false;
  int depth = 0;
  std::int64_t budget = 0;
  std::int64_t examined = 0;
  // The input of the outermost parse, and what is known of the bracket group
  // opened at each of its "(" (filled as groups are lexed).
  const char* begin = nullptr;
  std::size_t size = 0;
  std::vector<unsigned char> groups;
  std::vector<std::uint32_t> open;
};
ReadContext& readContext() noexcept;
bool withinBudget() noexcept;
bool chargeRead(std::size_t bytes) noexcept;
// The bytes the last outermost parse on this thread examined (lexed or
// compared): the measure of a parse's work. O(1).
std::int64_t lastReadWork() noexcept;
}  // namespace detail

// False when the next two lexemes are "(" and the group the first opens
// (brackets of every kind nest; it ends at the closing bracket of its depth)
// never closes, or closes holding no comma outside inner brackets: a tuple of
// two or more elements cannot start there. True otherwise (one "(" alone
// leaves no way to split a run), and for input that is not the tail of the
// running parse's input. The first call for a group lexes it; later ones are
// O(1). Throws only std::bad_alloc.
bool mayHoldTuple(std::string_view in);
// False when the next lexeme is "(" and the bracket group it opens never
// closes; true otherwise (as mayHoldTuple). Amortised O(1).
bool mayClose(std::string_view in);

// Opens the budget of one parse when none is open on this thread; nested
// scopes join the outer one. A parser that owns the scope discards its
// results when the budget ran out.
class ReadScope {
 public:
  explicit ReadScope(std::string_view input) noexcept;
  ~ReadScope();
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;
  bool owner() const noexcept { return owner_; }
  bool exhausted() const noexcept { return detail::readContext().exhausted; }

 private:
  bool owner_;
};

// Enters `levels` bracket levels for as long as it lives; false (converts to
// false) when that would pass kMaxNesting, and the caller must then give up.
class NestingGuard {
 public:
  explicit NestingGuard(int levels = 1) noexcept : levels_(levels) {
    detail::readContext().depth += levels;
  }
  ~NestingGuard() { detail::readContext().depth -= levels_; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
  explicit operator bool() const noexcept { return detail::readContext().depth <= kMaxNesting; }

 private:
  int levels_;
};

// The bracket nesting of the parse running on this thread.
inline int nestingDepth() noexcept { return detail::readContext().depth; }

// Counts the nesting from `depth` levels for as long as it lives, then puts
// the count back. For the reader of a recursive type that reads each of its
// levels with stack room (withStackRoom): counted from the depth at which
// its outermost level began, each level may hold up to kMaxNesting brackets
// of its own, and the levels themselves are limited by memory alone.
class NestingRebase {
 public:
  explicit NestingRebase(int depth) noexcept : saved_(detail::readContext().depth) {
    detail::readContext().depth = depth;
  }
  ~NestingRebase() { detail::readContext().depth = saved_; }
  NestingRebase(const NestingRebase&) = delete;
  NestingRebase& operator=(const NestingRebase&) = delete;

 private:
  int saved_;
};

// Runs `body()` (which returns a Parses) inside a ReadScope over `in`;
// discards the parses when this call owned the scope and the budget ran out.
template <class F>
auto withReadScope(std::string_view in, F&& body) {
  ReadScope scope(in);
  auto parses = std::forward<F>(body)();
  if (scope.owner() && scope.exhausted()) parses.clear();
  return parses;
}

// ---------------------------------------------------------------------------
// Combinators. A parser is any callable p(int d, std::string_view in)
// returning Parses<T>; the combinators return new parsers.

template <class P>
using ParsesOf = std::invoke_result_t<const P&, int, std::string_view>;
template <class P>
using ParsedType = typename ParsesOf<P>::value_type::first_type;

// Appends every parse of `more` to `out`.
template <class T>
void appendParses(Parses<T>& out, Parses<T>&& more) {
  if (out.empty()) {
    out = std::move(more);
  } else {
    out.insert(out.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
}

// The parser of T's own Read.
template <class T>
auto readPrecOf() {
  return [](int d, std::string_view in) { return Read<T>::readsPrec(d, in); };
}

// Every parse of p and every parse of q.
template <class P, class Q>
auto alt(P p, Q q) {
  return [p = std::move(p), q = std::move(q)](int d, std::string_view in) {
    auto out = p(d, in);
    appendParses(out, q(d, in));
    return out;
  };
}

// p at precedence n, admitted only when the context precedence is at most n.
template <class P>
auto prec(int n, P p) {
  return [n, p = std::move(p)](int d, std::string_view in) -> ParsesOf<P> {
    if (d > n) return {};
    return p(n, in);
  };
}
// p one precedence level higher (an argument of an application).
template <class P>
auto step(P p) {
  return [p = std::move(p)](int d, std::string_view in) { return p(d + 1, in); };
}
// p at precedence 0 (inside brackets).
template <class P>
auto reset(P p) {
  return [p = std::move(p)](int, std::string_view in) { return p(0, in); };
}

// "(", p at precedence 0, ")": exactly one pair of parentheses.
template <class P>
auto paren(P p) {
  return [p = std::move(p)](int, std::string_view in) -> ParsesOf<P> {
    NestingGuard guard;
    if (!guard) return {};
    auto open = expectPunc(in, "(");
    if (!open) return {};
    ParsesOf<P> out;
    for (auto& [x, rest] : p(0, *open)) {
      if (auto close = expectPunc(rest, ")")) out.emplace_back(std::move(x), *close);
    }
    return out;
  };
}

namespace detail {
// The input after `count` closing parentheses, or nothing. O(count).
std::optional<std::string_view> closeParens(std::string_view in, int count);
}  // namespace detail

// Runs `parens(p)` at precedence d: p at d, and p at 0 inside any number of
// enclosing parentheses. The run of opening parentheses is walked once, p
// tried after each of them, and each parse kept when as many closing ones
// follow it; more than the nesting limit gives no parse. Runs where the stack
// has room (withStackRoom), so nested reads never run out of stack.
template <class P>
ParsesOf<P> runParens(const P& p, int d, std::string_view in) {
  auto run = [&] {
    ParsesOf<P> out = p(d, in);
    // After k opening parentheses: p at 0, then k closing ones.
    std::string_view at = in;
    int k = 0;
    const int room = kMaxNesting - detail::readContext().depth;
    while (auto open = expectPunc(at, "(")) {
      ++k;
      if (k > room) return ParsesOf<P>{};
      at = *open;
      NestingGuard guard(k);
      for (auto& [x, rest] : p(0, at)) {
        if (auto after = detail::closeParens(rest, k)) out.emplace_back(std::move(x), *after);
      }
    }
    return out;
  };
  return withStackRoom([&] { return withReadScope(in, run); });
}
// p in any number of enclosing parentheses (see runParens).
template <class P>
auto parens(P p) {
  return [p = std::move(p)](int d, std::string_view in) { return runParens(p, d, in); };
}

// The list form "[x1,x2,...]" (or "[]") with each element read by elem at
// precedence 0, in any number of enclosing parentheses. Elements are read in
// a loop, so a long list costs no stack.
template <class P>
Parses<std::vector<ParsedType<P>>> readListWith(const P& elem, std::string_view in) {
  using T = ParsedType<P>;
  auto body = [&elem](int, std::string_view s) -> Parses<std::vector<T>> {
    NestingGuard guard;
    if (!guard) return {};
    auto open = expectPunc(s, "[");
    if (!open) return {};
    Parses<std::vector<T>> out;
    if (auto close = expectPunc(*open, "]")) out.emplace_back(std::vector<T>{}, *close);
    Parses<std::vector<T>> pending;
    pending.emplace_back(std::vector<T>{}, *open);
    while (!pending.empty()) {
      Parses<std::vector<T>> next;
      for (auto& [done, rest] : pending) {
        auto elems = elem(0, rest);
        for (std::size_t i = 0; i < elems.size(); ++i) {
          std::vector<T> xs = i + 1 == elems.size() ? std::move(done) : done;
          xs.push_back(std::move(elems[i].first));
          std::string_view after = elems[i].second;
          if (auto close = expectPunc(after, "]")) {
            out.emplace_back(std::move(xs), *close);
          } else if (auto comma = expectPunc(after, ",")) {
            next.emplace_back(std::move(xs), *comma);
          }
        }
      }
      pending = std::move(next);
    }
    return out;
  };
  return runParens(body, 0, in);
}

namespace detail {

// Reads the arguments Ts... in order: before argument i, `sep(i, in)` gives
// the input where it starts (or nothing to fail); each argument is read at
// precedence d. Calls emit(rest, args...) for every complete parse.
template <class... Ts>
struct ArgReader;
template <>
struct ArgReader<> {
  template <class Sep, class Emit, class... Done>
  static void run(int, std::string_view in, std::size_t, const Sep&, Emit& emit, Done&... done) {
    emit(in, done...);
  }
};
template <class T, class... Ts>
struct ArgReader<T, Ts...> {
  template <class Sep, class Emit, class... Done>
  static void run(int d, std::string_view in, std::size_t i, const Sep& sep, Emit& emit,
                  Done&... done) {
    std::optional<std::string_view> at = sep(i, in);
    if (!at) return;
    for (auto& [x, rest] : Read<T>::readsPrec(d, *at)) {
      ArgReader<Ts...>::run(d, rest, i + 1, sep, emit, done..., x);
    }
  }
};

}  // namespace detail

// A nullary constructor: the identifier `name`, giving `value`.
template <class R>
Parses<R> readNullary(std::string_view in, std::string_view name, const R& value) {
  Parses<R> out;
  if (auto after = expectIdent(in, name)) out.emplace_back(value, *after);
  return out;
}

// A constructor application `name a1 ... an` at precedence 10 (so admitted
// only when d <= 10), each argument read by its type's Read at 11, giving
// make(a1, ..., an). Call it inside parens.
template <class R, class... Args, class Make>
Parses<R> readConstructor(int d, std::string_view in, std::string_view name, const Make& make) {
  Parses<R> out;
  if (d > 10) return out;
  auto after = expectIdent(in, name);
  if (!after) return out;
  auto sep = [](std::size_t, std::string_view s) { return std::optional<std::string_view>(s); };
  auto emit = [&](std::string_view rest, Args&... args) { out.emplace_back(make(args...), rest); };
  detail::ArgReader<Args...>::run(11, *after, 0, sep, emit);
  return out;
}

// A record `name {f1 = v1, ..., fn = vn}` at precedence 11 (admitted when
// d <= 11), the fields in exactly this order, each value read by its type's
// Read at 0, giving make(v1, ..., vn). Call it inside parens.
template <class R, class... Fields, class Make>
Parses<R> readRecord(int d, std::string_view in, std::string_view name,
                     const std::array<std::string_view, sizeof...(Fields)>& fieldNames,
                     const Make& make) {
  Parses<R> out;
  if (d > 11) return out;
  auto after = expectIdent(in, name);
  if (!after) return out;
  NestingGuard guard;
  if (!guard) return out;
  auto open = expectPunc(*after, "{");
  if (!open) return out;
  auto sep = [&](std::size_t i, std::string_view s) -> std::optional<std::string_view> {
    if (i > 0) {
      auto comma = expectPunc(s, ",");
      if (!comma) return std::nullopt;
      s = *comma;
    }
    auto label = expectIdent(s, fieldNames[i]);
    if (!label) return std::nullopt;
    return expectPunc(*label, "=");
  };
  auto emit = [&](std::string_view rest, Fields&... fields) {
    if (auto close = expectPunc(rest, "}")) out.emplace_back(make(fields...), *close);
  };
  detail::ArgReader<Fields...>::run(0, *open, 0, sep, emit);
  return out;
}

// The tuple body "(a,b,...)" with elements at precedence 0; call it inside
// parens. Two or more elements are tried only where the bracket group can
// hold them (mayHoldTuple), so a run of parentheses is not read again for
// each way of splitting it.
template <class... Ts>
Parses<std::tuple<Ts...>> readTuple(std::string_view in) {
  Parses<std::tuple<Ts...>> out;
  NestingGuard guard;
  if (!guard) return out;
  auto open = expectPunc(in, "(");
  if (!open) return out;
  if constexpr (sizeof...(Ts) >= 2) {
    if (!mayHoldTuple(in)) return out;
  }
  auto sep = [](std::size_t i, std::string_view s) -> std::optional<std::string_view> {
    if (i == 0) return s;
    return expectPunc(s, ",");
  };
  auto emit = [&](std::string_view rest, Ts&... xs) {
    if (auto close = expectPunc(rest, ")")) out.emplace_back(std::tuple<Ts...>(xs...), *close);
  };
  detail::ArgReader<Ts...>::run(0, *open, 0, sep, emit);
  return out;
}

// ---------------------------------------------------------------------------
// Entry points.

// Every parse of a T at precedence d, with the input left after each.
template <class T>
Parses<T> readsPrec(int d, std::string_view in) {
  return withReadScope(in, [&] { return Read<T>::readsPrec(d, in); });
}
// Every parse of a T at precedence 0.
template <class T>
Parses<T> reads(std::string_view in) {
  return readsPrec<T>(0, in);
}
// The one parse of a T that consumes the whole text (trailing blanks
// allowed), or nothing when there is none or more than one. Never throws
// on bad input.
template <class T>
std::optional<T> read(std::string_view text) {
  Parses<T> parses = readsPrec<T>(0, text);
  std::size_t complete = parses.size();
  for (std::size_t i = 0; i < parses.size(); ++i) {
    if (!skipSpaces(parses[i].second).empty()) continue;
    if (complete != parses.size()) return std::nullopt;
    complete = i;
  }
  if (complete == parses.size()) return std::nullopt;
  return std::optional<T>(std::move(parses[complete].first));
}

// The defaults of a Read specialisation, from its `readsPrec`.
template <class T>
struct ReadDefaults {
  // Every parse of the list form of T values.
  static Parses<std::vector<T>> readList(std::string_view in) {
    return readListWith(readPrecOf<T>(), in);
  }
};

// ---------------------------------------------------------------------------
// Standard instances.

namespace detail {
template <class T>
inline constexpr bool isReadCharacterType =
    std::is_same_v<T, char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> ||
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

// A number lexeme or "-" and a number (at precedence 6 at most, for signed
// types), in range of T.
template <class T>
Parses<T> readIntegral(int d, std::string_view in) {
  Parses<T> out;
  auto lx = lexeme(in);
  if (!lx) return out;
  auto& [l, rest] = *lx;
  if (l.kind == Lexeme::Kind::Number) {
    if (auto w = l.numberValue().toWord();
        w && *w <= static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
      out.emplace_back(static_cast<T>(*w), rest);
    }
  } else if constexpr (std::is_signed_v<T>) {
    if (d <= 6 && l.is(Lexeme::Kind::Symbol, "-")) {
      auto n = lexeme(rest);
      if (n && n->first.kind == Lexeme::Kind::Number) {
        auto w = n->first.numberValue().toWord();
        const auto limit = static_cast<std::uint64_t>(std::numeric_limits<T>::max()) + 1;
        if (w && *w <= limit) {
          out.emplace_back(static_cast<T>(-static_cast<std::int64_t>(*w - 1) - 1), n->second);
        }
      }
    }
  }
  return out;
}

Parses<double> readDouble(int d, std::string_view in);
Parses<char32_t> readCharLiteral(std::string_view in);
Parses<std::u32string> readStringLiteral(std::string_view in);
}  // namespace detail

// Integers: decimal, hexadecimal ("0x") or octal ("0o") digits; signed types
// also "-" and a number at precedence 6 or below. A value out of range of
// the type is no parse.
template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
           !detail::isReadCharacterType<T>)
struct Read<T> : ReadDefaults<T> {
  static Parses<T> readsPrec(int d, std::string_view in) {
    return runParens([](int p, std::string_view s) { return detail::readIntegral<T>(p, s); }, d, in);
  }
};

// Doubles: any number lexeme, "NaN", "Infinity", and their negations at
// precedence 6 or below.
template <>
struct Read<double> : ReadDefaults<double> {
  static Parses<double> readsPrec(int d, std::string_view in) {
    return runParens(detail::readDouble, d, in);
  }
};

template <>
struct Read<bool> : ReadDefaults<bool> {
  static Parses<bool> readsPrec(int d, std::string_view in) {
    return runParens(
        [](int, std::string_view s) {
          auto out = readNullary(s, "False", false);
          appendParses(out, readNullary(s, "True", true));
          return out;
        },
        d, in);
  }
};

// A character literal; a list of characters is a string literal or the
// list form of character literals.
template <>
struct Read<char32_t> {
  static Parses<char32_t> readsPrec(int d, std::string_view in) {
    return runParens([](int, std::string_view s) { return detail::readCharLiteral(s); }, d, in);
  }
  static Parses<std::vector<char32_t>> readList(std::string_view in) {
    Parses<std::vector<char32_t>> out;
    for (auto& [s, rest] : runParens(
             [](int, std::string_view x) { return detail::readStringLiteral(x); }, 0, in)) {
      out.emplace_back(std::vector<char32_t>(s.begin(), s.end()), rest);
    }
    appendParses(out, readListWith(readPrecOf<char32_t>(), in));
    return out;
  }
};

template <>
struct Read<Unit> : ReadDefaults<Unit> {
  static Parses<Unit> readsPrec(int d, std::string_view in) {
    return runParens(paren([](int, std::string_view s) { return Parses<Unit>{{Unit{}, s}}; }), d,
                     in);
  }
};

template <>
struct Read<Ordering> : ReadDefaults<Ordering> {
  static Parses<Ordering> readsPrec(int d, std::string_view in) {
    return runParens(
        [](int, std::string_view s) {
          auto out = readNullary(s, "LT", LT);
          appendParses(out, readNullary(s, "EQ", EQ));
          appendParses(out, readNullary(s, "GT", GT));
          return out;
        },
        d, in);
  }
};

// «Nothing», «Just x».
template <class T>
struct Read<std::optional<T>> : ReadDefaults<std::optional<T>> {
  static Parses<std::optional<T>> readsPrec(int d, std::string_view in) {
    return runParens(
        [](int p, std::string_view s) {
          auto out = readNullary(s, "Nothing", std::optional<T>());
          appendParses(out, readConstructor<std::optional<T>, T>(
                                p, s, "Just", [](const T& x) { return std::optional<T>(x); }));
          return out;
        },
        d, in);
  }
};

// «Left x», «Right y».
template <class A, class B>
struct Read<Either<A, B>> : ReadDefaults<Either<A, B>> {
  static Parses<Either<A, B>> readsPrec(int d, std::string_view in) {
    using E = Either<A, B>;
    return runParens(
        [](int p, std::string_view s) {
          auto out = readConstructor<E, A>(p, s, "Left", [](const A& a) { return E::left(a); });
          appendParses(out,
                       readConstructor<E, B>(p, s, "Right", [](const B& b) { return E::right(b); }));
          return out;
        },
        d, in);
  }
};

// «This a», «That b», «These a b».
template <class A, class B>
struct Read<These<A, B>> : ReadDefaults<These<A, B>> {
  static Parses<These<A, B>> readsPrec(int d, std::string_view in) {
    using T = These<A, B>;
    return runParens(
        [](int p, std::string_view s) {
          auto out = readConstructor<T, A>(p, s, "This", [](const A& a) { return T::this_(a); });
          appendParses(out,
                       readConstructor<T, B>(p, s, "That", [](const B& b) { return T::that(b); }));
          appendParses(out, readConstructor<T, A, B>(
                                p, s, "These", [](const A& a, const B& b) { return T::these(a, b); }));
          return out;
        },
        d, in);
  }
};

// «Identity x».
template <class A>
struct Read<Identity<A>> : ReadDefaults<Identity<A>> {
  static Parses<Identity<A>> readsPrec(int d, std::string_view in) {
    return runParens(
        [](int p, std::string_view s) {
          return readConstructor<Identity<A>, A>(p, s, "Identity",
                                                 [](const A& a) { return Identity<A>{a}; });
        },
        d, in);
  }
};

// A deferred value reads as its value, held evaluated.
template <class T>
struct Read<Lazy<T>> : ReadDefaults<Lazy<T>> {
  static Parses<Lazy<T>> readsPrec(int d, std::string_view in) {
    Parses<Lazy<T>> out;
    for (auto& [x, rest] : Read<T>::readsPrec(d, in)) out.emplace_back(Lazy<T>(std::move(x)), rest);
    return out;
  }
};

// «(a,b)», «(a,b,c)», in any number of parentheses; components at 0.
template <class A, class B>
struct Read<std::pair<A, B>> : ReadDefaults<std::pair<A, B>> {
  static Parses<std::pair<A, B>> readsPrec(int d, std::string_view in) {
    Parses<std::pair<A, B>> out;
    for (auto& [t, rest] :
         runParens([](int, std::string_view s) { return readTuple<A, B>(s); }, d, in)) {
      out.emplace_back(std::pair<A, B>(std::move(std::get<0>(t)), std::move(std::get<1>(t))), rest);
    }
    return out;
  }
};
template <class... Ts>
struct Read<std::tuple<Ts...>> : ReadDefaults<std::tuple<Ts...>> {
  static Parses<std::tuple<Ts...>> readsPrec(int d, std::string_view in) {
    return runParens([](int, std::string_view s) { return readTuple<Ts...>(s); }, d, in);
  }
};

// A list reads with the element type's `readList`.
template <class T, class Alloc>
struct Read<std::vector<T, Alloc>> : ReadDefaults<std::vector<T, Alloc>> {
  static Parses<std::vector<T, Alloc>> readsPrec(int, std::string_view in) {
    if constexpr (std::is_same_v<Alloc, std::allocator<T>>) {
      return Read<T>::readList(in);
    } else {
      Parses<std::vector<T, Alloc>> out;
      for (auto& [xs, rest] : Read<T>::readList(in)) {
        out.emplace_back(std::vector<T, Alloc>(xs.begin(), xs.end()), rest);
      }
      return out;
    }
  }
};

// The platform's String: a string literal (or a list of character literals).
template <>
struct Read<std::u32string> : ReadDefaults<std::u32string> {
  static Parses<std::u32string> readsPrec(int, std::string_view in) {
    Parses<std::u32string> out;
    for (auto& [cs, rest] : Read<char32_t>::readList(in)) {
      out.emplace_back(std::u32string(cs.begin(), cs.end()), rest);
    }
    return out;
  }
};

// A byte string: a string literal whose characters are all below 256, each
// the byte of its value. A character above 255 is no parse.
template <>
struct Read<std::string> : ReadDefaults<std::string> {
  static Parses<std::string> readsPrec(int, std::string_view in) {
    Parses<std::string> out;
    for (auto& [cs, rest] : Read<char32_t>::readList(in)) {
      std::string bytes;
      bytes.reserve(cs.size());
      bool fits = true;
      for (char32_t c : cs) {
        if (c > 0xFF) {
          fits = false;
          break;
        }
        bytes += static_cast<char>(static_cast<unsigned char>(c));
      }
      if (fits) out.emplace_back(std::move(bytes), rest);
    }
    return out;
  }
};

}  // namespace basis
