#include "basis/read.hpp"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <system_error>

#include "basis/utf8.hpp"

namespace basis {

namespace detail {
ReadContext& readContext() noexcept {
  static thread_local ReadContext context;
  return context;
}

bool withinBudget() noexcept {
  const ReadContext& ctx = readContext();
  return !(ctx.active && ctx.exhausted);
}

bool chargeRead(std::size_t bytes) noexcept {
  ReadContext& ctx = readContext();
  if (!ctx.active) return true;
  if (ctx.exhausted) return false;
  const std::int64_t cost = bytes == 0 ? 1 : static_cast<std::int64_t>(bytes);
  ctx.examined += cost;
  ctx.budget -= cost;
  if (ctx.budget < 0) ctx.exhausted = true;
  return !ctx.exhausted;
}

namespace {
thread_local std::int64_t lastWork = 0;
}  // namespace

std::int64_t lastReadWork() noexcept { return lastWork; }
}  // namespace detail

namespace {

// The bytes one parse may examine: a small allowance plus a multiple of the
// input length. The library's parsers examine each byte a few times (a
// number bounded by how deeply the read type nests), so this only stops a
// parser that splits its input in ever more ways.
constexpr std::int64_t kBaseBudget = std::int64_t{1} << 16;
constexpr std::int64_t kBudgetPerByte = 1024;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool isDigitIn(int base, char c) {
  switch (base) {
    case 8: return c >= '0' && c <= '7';
    case 10: return c >= '0' && c <= '9';
    default:
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  }
}
int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}
bool isIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isIdentChar(char c) {
  return isIdentStart(c) || (c >= '0' && c <= '9') || c == '\'';
}
bool isPuncChar(char c) { return std::strchr(",;()[]{}`", c) != nullptr && c != '\0'; }
bool isSymbolChar(char c) { return std::strchr("!#$%&*+./<=>?@\\^|-~:", c) != nullptr && c != '\0'; }

constexpr std::string_view kReservedOps[] = {"..", "::", "=", "\\", "|", "<-", "->", "@", "~", "=>"};

bool isReservedOp(std::string_view sym) {
  for (std::string_view op : kReservedOps) {
    if (sym == op) return true;
  }
  return false;
}

// What lexeme a text `expect` looks for would be, judged from its characters
// alone: one punctuation character, an identifier, a run of symbol
// characters, or something else (looked for by lexing).
enum class Shape : unsigned char { Punc, Ident, Symbol, Other };
Shape shapeOf(std::string_view text) {
  if (text.empty()) return Shape::Other;
  if (text.size() == 1 && isPuncChar(text[0])) return Shape::Punc;
  auto all = [&](bool (*pred)(char)) {
    for (char c : text) {
      if (!pred(c)) return false;
    }
    return true;
  };
  if (isIdentStart(text[0]) && all(isIdentChar)) return Shape::Ident;
  if (all(isSymbolChar)) return Shape::Symbol;
  return Shape::Other;
}

// The ASCII control names an escape may use. "SOH" is listed before "SO" so
// that the longer name wins.
struct AsciiName {
  std::string_view name;
  char32_t code;
};
constexpr AsciiName kAsciiNames[] = {
    {"NUL", 0},   {"SOH", 1},   {"STX", 2},   {"ETX", 3},   {"EOT", 4},   {"ENQ", 5},
    {"ACK", 6},   {"BEL", 7},   {"BS", 8},    {"HT", 9},    {"LF", 10},   {"VT", 11},
    {"FF", 12},   {"CR", 13},   {"SO", 14},   {"SI", 15},   {"DLE", 16},  {"DC1", 17},
    {"DC2", 18},  {"DC3", 19},  {"DC4", 20},  {"NAK", 21},  {"SYN", 22},  {"ETB", 23},
    {"CAN", 24},  {"EM", 25},   {"SUB", 26},  {"ESC", 27},  {"FS", 28},   {"GS", 29},
    {"RS", 30},   {"US", 31},   {"SP", 32},   {"DEL", 127},
};

// Reads the escape after a backslash at in[i] (i points past the
// backslash); advances i. False for an unknown or out-of-range escape.
bool decodeEscape(std::string_view in, std::size_t& i, char32_t& out) {
  if (i >= in.size()) return false;
  const char c = in[i];
  switch (c) {
    case 'a': out = 7; ++i; return true;
    case 'b': out = 8; ++i; return true;
    case 'f': out = 12; ++i; return true;
    case 'n': out = 10; ++i; return true;
    case 'r': out = 13; ++i; return true;
    case 't': out = 9; ++i; return true;
    case 'v': out = 11; ++i; return true;
    case '\\': out = U'\\'; ++i; return true;
    case '"': out = U'"'; ++i; return true;
    case '\'': out = U'\''; ++i; return true;
    default: break;
  }
  // Numeric: decimal digits, or "o" octal / "x" hexadecimal digits.
  int base = 0;
  std::size_t j = i;
  if (c >= '0' && c <= '9') {
    base = 10;
  } else if (c == 'o') {
    base = 8;
    ++j;
  } else if (c == 'x') {
    base = 16;
    ++j;
  }
  if (base != 0) {
    const std::size_t start = j;
    std::uint64_t value = 0;
    while (j < in.size() && isDigitIn(base, in[j])) {
      value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digitValue(in[j]));
      ++j;
      if (value > 0x10FFFF) {
        i = j;  // the digits were examined: a failure reports where it stopped
        return false;
      }
    }
    if (j == start) return false;
    out = static_cast<char32_t>(value);
    i = j;
    return true;
  }
  // Control: "^" and a character from '@' to '_'.
  if (c == '^') {
    if (i + 1 < in.size() && in[i + 1] >= '@' && in[i + 1] <= '_') {
      out = static_cast<char32_t>(in[i + 1] - '@');
      i += 2;
      return true;
    }
    return false;
  }
  for (const AsciiName& a : kAsciiNames) {
    if (in.substr(i, a.name.size()) == a.name) {
      out = a.code;
      i += a.name.size();
      return true;
    }
  }
  return false;
}

// One character of a literal at in[i]: a raw character (not the quote, not
// a backslash) or an escape. `escaped` tells which.
bool decodeLiteralChar(std::string_view in, std::size_t& i, char32_t& out, bool& escaped) {
  if (i >= in.size()) return false;
  if (in[i] == '\\') {
    ++i;
    escaped = true;
    return decodeEscape(in, i, out);
  }
  escaped = false;
  const std::size_t len = detail::decodeUtf8At(in, i, out);
  i += len;
  return len != 0;
}

// Scans a string literal starting at the opening quote in[0]; calls
// sink(c) per character. Returns the length of the literal, or 0 when it
// is malformed; `examined` is set to the bytes looked at either way.
template <class Sink>
std::size_t scanString(std::string_view in, Sink&& sink, std::size_t& examined) {
  std::size_t i = 1;
  auto malformed = [&](std::size_t at) {
    examined = at < in.size() ? at + 1 : in.size();
    return std::size_t{0};
  };
  for (;;) {
    if (i >= in.size()) return malformed(i);
    const char c = in[i];
    if (c == '"') return examined = i + 1;
    if (c == '\\' && i + 1 < in.size()) {
      const char e = in[i + 1];
      if (e == '&') {  // the empty escape
        i += 2;
        continue;
      }
      if (isBlank(e)) {  // a gap: blanks between two backslashes
        std::size_t j = i + 1;
        while (j < in.size() && isBlank(in[j])) ++j;
        if (j >= in.size() || in[j] != '\\') return malformed(j);
        i = j + 1;
        continue;
      }
    }
    char32_t ch;
    bool escaped;
    if (!decodeLiteralChar(in, i, ch, escaped)) return malformed(i + 4);
    sink(ch);
  }
}
template <class Sink>
std::size_t scanString(std::string_view in, Sink&& sink) {
  std::size_t examined;
  return scanString(in, std::forward<Sink>(sink), examined);
}

// Scans a character literal starting at the opening quote in[0]; the length,
// or 0 when malformed; `examined` as for scanString.
std::size_t scanChar(std::string_view in, char32_t& out, std::size_t& examined) {
  std::size_t i = 1;
  bool escaped;
  const bool decoded = decodeLiteralChar(in, i, out, escaped);
  examined = std::min(i + 4, in.size());
  if (!decoded) return 0;
  if (!escaped && out == U'\'') return 0;
  if (i >= in.size() || in[i] != '\'') return 0;
  return examined = i + 1;
}
std::size_t scanChar(std::string_view in, char32_t& out) {
  std::size_t examined;
  return scanChar(in, out, examined);
}

// Scans a number at in[0] (a digit), filling n; returns its length.
std::size_t scanNumber(std::string_view in, Number& n) {
  n = Number{};
  if (in.size() >= 3 && in[0] == '0') {
    int base = 0;
    if (in[1] == 'x' || in[1] == 'X') base = 16;
    if (in[1] == 'o' || in[1] == 'O') base = 8;
    if (base != 0 && isDigitIn(base, in[2])) {
      std::size_t j = 2;
      while (j < in.size() && isDigitIn(base, in[j])) ++j;
      n.base = base;
      n.digits = in.substr(2, j - 2);
      return j;
    }
  }
  std::size_t j = 0;
  while (j < in.size() && isDigitIn(10, in[j])) ++j;
  n.digits = in.substr(0, j);
  if (j + 1 < in.size() && in[j] == '.' && isDigitIn(10, in[j + 1])) {
    std::size_t k = j + 1;
    while (k < in.size() && isDigitIn(10, in[k])) ++k;
    n.hasFraction = true;
    n.fraction = in.substr(j + 1, k - j - 1);
    j = k;
  }
  if (j < in.size() && (in[j] == 'e' || in[j] == 'E')) {
    std::size_t k = j + 1;
    bool negative = false;
    if (k < in.size() && (in[k] == '-' || in[k] == '+')) {
      negative = in[k] == '-';
      ++k;
    }
    const std::size_t start = k;
    while (k < in.size() && isDigitIn(10, in[k])) ++k;
    if (k > start) {
      n.hasExponent = true;
      n.negativeExponent = negative;
      n.exponentDigits = in.substr(start, k - start);
      j = k;
    }
  }
  return j;
}

// The lexeme at the front of `in` (after blanks), as `lexeme` describes;
// `examined` is set to the bytes of `in` looked at, blanks included.
std::optional<std::pair<Lexeme, std::string_view>> lexAt(std::string_view in,
                                                         std::size_t& examined) {
  using K = Lexeme::Kind;
  const std::size_t blanks = in.size() - skipSpaces(in).size();
  in.remove_prefix(blanks);
  examined = blanks + 1;
  auto make = [&](K kind, std::size_t len) {
    examined = blanks + len;
    return std::optional<std::pair<Lexeme, std::string_view>>(
        std::pair<Lexeme, std::string_view>(Lexeme{kind, in.substr(0, len)}, in.substr(len)));
  };
  if (in.empty()) return make(K::EndOfInput, 0);
  const char c = in[0];
  if (c == '\'') {
    char32_t ch;
    std::size_t scanned;
    const std::size_t len = scanChar(in, ch, scanned);
    examined = blanks + scanned;
    if (len == 0) return std::nullopt;
    return make(K::Char, len);
  }
  if (c == '"') {
    std::size_t scanned;
    const std::size_t len = scanString(in, [](char32_t) {}, scanned);
    examined = blanks + scanned;
    if (len == 0) return std::nullopt;
    return make(K::String, len);
  }
  if (isPuncChar(c)) return make(K::Punc, 1);
  if (isSymbolChar(c)) {
    std::size_t j = 1;
    while (j < in.size() && isSymbolChar(in[j])) ++j;
    const std::string_view sym = in.substr(0, j);
    return make(isReservedOp(sym) ? K::Punc : K::Symbol, j);
  }
  if (isIdentStart(c)) {
    std::size_t j = 1;
    while (j < in.size() && isIdentChar(in[j])) ++j;
    return make(K::Ident, j);
  }
  if (isDigitIn(10, c)) {
    Number n;
    return make(K::Number, scanNumber(in, n));
  }
  return std::nullopt;
}

}  // namespace

ReadScope::ReadScope(std::string_view input) noexcept {
  detail::ReadContext& ctx = detail::readContext();
  owner_ = !ctx.active;
  if (owner_) {
    ctx.active = true;
    ctx.exhausted = false;
    ctx.examined = 0;
    const auto size = static_cast<std::int64_t>(
        std::min<std::size_t>(input.size(), std::numeric_limits<std::int64_t>::max() / (2 * kBudgetPerByte)));
    ctx.budget = kBaseBudget + kBudgetPerByte * size;
    ctx.begin = input.data();
    ctx.size = input.size();
  }
}

ReadScope::~ReadScope() {
  if (owner_) {
    detail::ReadContext& ctx = detail::readContext();
    ctx.active = false;
    ctx.exhausted = false;
    ctx.begin = nullptr;
    ctx.size = 0;
    detail::lastWork = ctx.examined;
    // A thread keeps small tables for its next parse and gives back large ones.
    constexpr std::size_t kKept = std::size_t{64} << 10;
    if (ctx.groups.capacity() > kKept) {
      std::vector<unsigned char>().swap(ctx.groups);
    } else {
      ctx.groups.clear();
    }
    if (ctx.open.capacity() > kKept / sizeof(std::uint32_t)) {
      std::vector<std::uint32_t>().swap(ctx.open);
    } else {
      ctx.open.clear();
    }
  }
}

std::string_view skipSpaces(std::string_view in) noexcept {
  std::size_t i = 0;
  while (i < in.size() && isBlank(in[i])) ++i;
  return in.substr(i);
}

std::optional<std::pair<Lexeme, std::string_view>> lexeme(std::string_view in) {
  if (!detail::withinBudget()) return std::nullopt;
  std::size_t examined = 0;
  auto lx = lexAt(in, examined);
  if (!detail::chargeRead(examined)) return std::nullopt;
  return lx;
}

std::optional<std::string_view> expect(std::string_view in, Lexeme::Kind kind,
                                       std::string_view text) {
  using K = Lexeme::Kind;
  const Shape shape = shapeOf(text);
  const bool direct = (kind == K::Punc && shape == Shape::Punc) ||
                      (kind == K::Ident && shape == Shape::Ident) ||
                      ((kind == K::Symbol || kind == K::Punc) && shape == Shape::Symbol);
  if (!direct) {
    auto lx = lexeme(in);
    if (!lx || !lx->first.is(kind, text)) return std::nullopt;
    return lx->second;
  }
  // The lexeme is (kind, text) exactly when the input starts with text and
  // the character after it cannot continue a lexeme of that shape: the
  // rest of a long literal is never looked at.
  if (!detail::withinBudget()) return std::nullopt;
  const std::string_view s = skipSpaces(in);
  if (!detail::chargeRead(in.size() - s.size() + text.size())) return std::nullopt;
  if (!s.starts_with(text)) return std::nullopt;
  const std::string_view rest = s.substr(text.size());
  const char next = rest.empty() ? '\0' : rest[0];
  switch (shape) {
    case Shape::Punc: return rest;
    case Shape::Ident:
      if (isIdentChar(next)) return std::nullopt;
      return rest;
    default: break;
  }
  if (isSymbolChar(next) || isReservedOp(text) != (kind == K::Punc)) return std::nullopt;
  return rest;
}

namespace {

// What is known of the bracket group opened at one "(" of the parse's input.
enum GroupState : unsigned char { kUnknown = 0, kUnclosed = 1, kPlain = 2, kWithComma = 3 };

// Stack entries while a group is lexed: the opening bracket's offset, and
// two flags in the top bits.
constexpr std::uint32_t kIsParen = std::uint32_t{1} << 31;
constexpr std::uint32_t kHasComma = std::uint32_t{1} << 30;
constexpr std::uint32_t kOffsetMask = kHasComma - 1;

// The state of the group opened by the "(" at the front of `in` (after
// blanks), lexing it when it is not known yet and `lex` allows; kUnknown when
// it stays unknown, or `in` is not the tail of the running parse's input (or
// that input is too long to index).
GroupState groupAt(std::string_view in, bool lex = true) {
  detail::ReadContext& ctx = detail::readContext();
  const std::string_view s = skipSpaces(in);
  if (!ctx.active || s.empty() || s[0] != '(') return kUnknown;
  if (ctx.size > kOffsetMask || s.data() < ctx.begin ||
      s.data() + s.size() != ctx.begin + ctx.size) {
    return kUnknown;
  }
  const std::size_t start = static_cast<std::size_t>(s.data() - ctx.begin);
  if (start < ctx.groups.size() && ctx.groups[start] != kUnknown) {
    return static_cast<GroupState>(ctx.groups[start]);
  }
  if (!lex) return kUnknown;
  // One pass over the group, recording every group closed inside it too.
  // Brackets of every kind nest alike: a well-formed text nests them
  // properly, so this finds its groups; any other text yields no parse.
  auto record = [&](std::uint32_t entry, GroupState state) {
    if (!(entry & kIsParen)) return;
    const std::size_t at = entry & kOffsetMask;
    if (at >= ctx.groups.size()) {
      ctx.groups.resize(std::min(std::max(at + 1, 2 * ctx.groups.size()), ctx.size), kUnknown);
    }
    ctx.groups[at] = state;
  };
  std::vector<std::uint32_t>& open = ctx.open;
  open.clear();
  std::string_view rest = s;
  for (;;) {
    std::size_t examined = 0;
    auto lx = lexAt(rest, examined);
    detail::chargeRead(examined);
    if (!lx || lx->first.kind == Lexeme::Kind::EndOfInput) break;
    const Lexeme& l = lx->first;
    rest = lx->second;
    if (l.kind != Lexeme::Kind::Punc || l.text.size() != 1) continue;
    const char c = l.text[0];
    if (c == '(' || c == '[' || c == '{') {
      const auto offset = static_cast<std::uint32_t>(l.text.data() - ctx.begin);
      open.push_back(offset | (c == '(' ? kIsParen : 0));
    } else if (c == ')' || c == ']' || c == '}') {
      const std::uint32_t entry = open.back();
      open.pop_back();
      record(entry, (entry & kHasComma) ? kWithComma : kPlain);
      if (open.empty()) return static_cast<GroupState>(ctx.groups[start]);
    } else if (c == ',') {
      open.back() |= kHasComma;
    }
  }
  // The input ended, or a lexeme could not be read, with groups still open.
  for (std::uint32_t entry : open) record(entry, kUnclosed);
  open.clear();
  return kUnclosed;
}

}  // namespace

bool mayHoldTuple(std::string_view in) {
  // Only where "(" follows "(" can a tuple be confused with the parentheses
  // around it or around its first element; elsewhere each run of
  // parentheses tries it once, so the group is lexed only for the former
  // (what an earlier pass found is used either way).
  const std::string_view s = skipSpaces(in);
  if (s.empty() || s[0] != '(') return true;
  const GroupState state = groupAt(s, skipSpaces(s.substr(1)).starts_with('('));
  return state != kUnclosed && state != kPlain;
}

bool mayClose(std::string_view in) { return groupAt(in) != kUnclosed; }

namespace detail {
std::optional<std::string_view> closeParens(std::string_view in, int count) {
  for (int i = 0; i < count; ++i) {
    auto close = expectPunc(in, ")");
    if (!close) return std::nullopt;
    in = *close;
  }
  return in;
}
}  // namespace detail

char32_t Lexeme::charValue() const {
  char32_t c = 0;
  scanChar(text, c);
  return c;
}

std::u32string Lexeme::stringValue() const {
  std::u32string out;
  scanString(text, [&](char32_t c) { out += c; });
  return out;
}

Number Lexeme::numberValue() const {
  Number n;
  scanNumber(text, n);
  return n;
}

std::optional<std::uint64_t> Number::toWord() const {
  if (hasFraction || hasExponent || digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto b = static_cast<std::uint64_t>(base);
  for (char c : digits) {
    const auto v = static_cast<std::uint64_t>(digitValue(c));
    if (value > (std::numeric_limits<std::uint64_t>::max() - v) / b) return std::nullopt;
    value = value * b + v;
  }
  return value;
}

double Number::toDouble() const {
  if (base != 10) {
    // The digits as hexadecimal ones (octal regrouped three bits to four), so
    // one correctly rounded conversion makes the value; more than a double
    // holds is infinity.
    std::string hex;
    std::string_view bits = digits;
    if (base == 8) {
      std::string binary;
      binary.reserve(3 * digits.size() + 3);
      const std::size_t pad = (4 - (3 * digits.size()) % 4) % 4;
      binary.append(pad, '0');
      for (char c : digits) {
        const int v = digitValue(c);
        binary += static_cast<char>('0' + ((v >> 2) & 1));
        binary += static_cast<char>('0' + ((v >> 1) & 1));
        binary += static_cast<char>('0' + (v & 1));
      }
      hex.reserve(binary.size() / 4);
      for (std::size_t i = 0; i < binary.size(); i += 4) {
        const int v = (binary[i] - '0') * 8 + (binary[i + 1] - '0') * 4 + (binary[i + 2] - '0') * 2 +
                      (binary[i + 3] - '0');
        hex += "0123456789abcdef"[v];
      }
      bits = hex;
    }
    double value = 0;
    const auto r = std::from_chars(bits.data(), bits.data() + bits.size(), value,
                                   std::chars_format::hex);
    if (r.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
    return value;
  }
  // Decimal: the exponent saturates, so absurd exponents still round to
  // infinity or zero.
  std::int64_t exponent = 0;
  for (char c : exponentDigits) {
    exponent = exponent > 100000000 ? exponent : exponent * 10 + (c - '0');
  }
  if (negativeExponent) exponent = -exponent;
  std::string text(digits);
  if (hasFraction) {
    text += '.';
    text += fraction;
  }
  text += 'e';
  text += std::to_string(exponent);
  double value = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec == std::errc::result_out_of_range) {
    // Decide between overflow and underflow from the leading digit's place.
    std::int64_t place = exponent;
    std::size_t lead = digits.find_first_not_of('0');
    if (lead != std::string_view::npos) {
      place += static_cast<std::int64_t>(digits.size() - lead);
    } else {
      std::size_t f = fraction.find_first_not_of('0');
      if (f == std::string_view::npos) return 0.0;
      place -= static_cast<std::int64_t>(f);
    }
    return place > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return value;
}

namespace detail {

Parses<double> readDouble(int d, std::string_view in) {
  Parses<double> out;
  auto lx = lexeme(in);
  if (!lx) return out;
  auto value = [](const Lexeme& l) -> std::optional<double> {
    if (l.kind == Lexeme::Kind::Number) return l.numberValue().toDouble();
    if (l.is(Lexeme::Kind::Ident, "NaN")) return std::numeric_limits<double>::quiet_NaN();
    if (l.is(Lexeme::Kind::Ident, "Infinity")) return std::numeric_limits<double>::infinity();
    return std::nullopt;
  };
  if (auto v = value(lx->first)) {
    out.emplace_back(*v, lx->second);
  } else if (d <= 6 && lx->first.is(Lexeme::Kind::Symbol, "-")) {
    if (auto n = lexeme(lx->second)) {
      if (auto v = value(n->first)) out.emplace_back(-*v, n->second);
    }
  }
  return out;
}

Parses<char32_t> readCharLiteral(std::string_view in) {
  Parses<char32_t> out;
  auto lx = lexeme(in);
  if (lx && lx->first.kind == Lexeme::Kind::Char) out.emplace_back(lx->first.charValue(), lx->second);
  return out;
}

Parses<std::u32string> readStringLiteral(std::string_view in) {
  Parses<std::u32string> out;
  auto lx = lexeme(in);
  // Decoding a literal into code points costs a few times lexing it: it is
  // charged so, or a parser that tries one long literal in many ways would
  // spend far more than its budget says.
  if (lx && lx->first.kind == Lexeme::Kind::String && chargeRead(4 * lx->first.text.size())) {
    out.emplace_back(lx->first.stringValue(), lx->second);
  }
  return out;
}

}  // namespace detail

}  // namespace basis
