#include "basis/show.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "basis/utf8.hpp"

namespace basis {

namespace {

constexpr const char* kAsciiControlNames[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "a",   "b",  "t",  "n",
    "v",   "f",   "r",   "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

bool isAsciiDigit(std::int64_t c) { return c >= '0' && c <= '9'; }

void appendDecimal(std::uint64_t x, std::string& out) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, x);
  out.append(buf, r.ptr);
}

// One character inside a string literal: `"` is escaped, `'` is not.
void showStringChar(char32_t c, std::int64_t next, std::string& out) {
  if (c == U'"') {
    out += "\\\"";
  } else {
    showLitChar(c, next, out);
  }
}

}  // namespace

void showLitChar(char32_t c, std::int64_t next, std::string& out) {
  if (c > 0x7F) {
    out += '\\';
    appendDecimal(c, out);
    if (isAsciiDigit(next)) out += "\\&";
    return;
  }
  if (c == 0x7F) {
    out += "\\DEL";
    return;
  }
  if (c == U'\\') {
    out += "\\\\";
    return;
  }
  if (c >= U' ') {
    out += static_cast<char>(c);
    return;
  }
  out += '\\';
  out += kAsciiControlNames[c];
  if (c == 0x0E && next == 'H') out += "\\&";
}

void showStringLiteral(std::u32string_view s, std::string& out) {
  out.reserve(out.size() + s.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    showStringChar(s[i], i + 1 < s.size() ? static_cast<std::int64_t>(s[i + 1]) : -1, out);
  }
  out += '"';
}

void showByteStringLiteral(std::string_view bytes, std::string& out) {
  out.reserve(out.size() + bytes.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::int64_t next =
        i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : -1;
    showStringChar(static_cast<unsigned char>(bytes[i]), next, out);
  }
  out += '"';
}

void showUtf8StringLiteral(std::string_view utf8, std::string& out) {
  out.reserve(out.size() + utf8.size() + 2);
  out += '"';
  std::size_t i = 0;
  if (i < utf8.size()) {
    char32_t c = detail::decodeUtf8OrReplace(utf8, i);
    while (i < utf8.size()) {
      char32_t next = detail::decodeUtf8OrReplace(utf8, i);
      showStringChar(c, next, out);
      c = next;
    }
    showStringChar(c, -1, out);
  }
  out += '"';
}

void showCharLiteral(char32_t c, std::string& out) {
  if (c == U'\'') {
    out += "'\\''";
    return;
  }
  out += '\'';
  showLitChar(c, '\'', out);
  out += '\'';
}

void showSignedInteger(int d, std::int64_t x, std::string& out) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, x);
  const bool paren = x < 0 && d > 6;
  if (paren) out += '(';
  out.append(buf, r.ptr);
  if (paren) out += ')';
}

void showUnsignedInteger(std::uint64_t x, std::string& out) { appendDecimal(x, out); }

void showDouble(int d, double x, std::string& out) {
  if (std::isnan(x)) {
    out += "NaN";
    return;
  }
  const bool negative = std::signbit(x);
  if (negative) {
    if (d > 6) out += '(';
    out += '-';
    x = -x;
  }
  if (std::isinf(x)) {
    out += "Infinity";
  } else {
    // The shortest digits d1 d2 ... dn with x = 0.d1d2...dn * 10^e.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    std::string digits;
    const char* p = buf;
    for (; p != r.ptr && *p != 'e'; ++p) {
      if (*p != '.') digits += *p;
    }
    int exponent = 0;
    if (p != r.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, exponent);
    int e = exponent + 1;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    if (x == 0) {
      out += "0.0";
    } else if (e >= 1 && e <= 7) {
      // Fixed notation: the first e digits, a point, the rest (or "0").
      const auto whole = static_cast<std::size_t>(e);
      if (digits.size() <= whole) {
        out += digits;
        out.append(whole - digits.size(), '0');
        out += ".0";
      } else {
        out.append(digits, 0, whole);
        out += '.';
        out.append(digits, whole);
      }
    } else if (e == 0) {
      out += "0.";
      out += digits;
    } else {
      out += digits[0];
      out += '.';
      if (digits.size() == 1) {
        out += '0';
      } else {
        out.append(digits, 1);
      }
      out += 'e';
      char ebuf[16];
      auto er = std::to_chars(ebuf, ebuf + sizeof ebuf, e - 1);
      out.append(ebuf, er.ptr);
    }
  }
  if (negative && d > 6) out += ')';
}

}  // namespace basis
