#pragma once
// Text: a text held as well-formed UTF-8 in a std::string. Every Text holds
// valid UTF-8: the checked constructors validate, and the unchecked one is
// for callers that have just validated (checked again in debug builds).

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "basis/nfdata.hpp"
#include "basis/show.hpp"

namespace basis {

// True when `bytes` is well-formed UTF-8: shortest forms only, no encoded
// surrogates, nothing above U+10FFFF. O(n); never reads past the view.
bool isValidUtf8(std::string_view bytes) noexcept;

class Text {
 public:
  // The empty text.
  Text() noexcept = default;

  // The text of `bytes`, or nothing when they are not valid UTF-8. O(n).
  static std::optional<Text> fromUtf8(std::string bytes);
  // The text of `bytes`, which the caller guarantees to be valid UTF-8.
  // O(1) (O(n) in debug builds, which check and abort on invalid bytes).
  static Text fromUtf8Unchecked(std::string bytes);
  // The text of the characters; a surrogate, or a value above U+10FFFF,
  // becomes U+FFFD. O(n).
  static Text pack(std::u32string_view chars);

  // The UTF-8 bytes.
  const std::string& utf8() const noexcept { return bytes_; }
  std::string_view view() const noexcept { return bytes_; }
  std::size_t byteCount() const noexcept { return bytes_.size(); }
  bool empty() const noexcept { return bytes_.empty(); }
  // The characters. O(n).
  std::u32string unpack() const;

  friend bool operator==(const Text&, const Text&) = default;
  // Byte order, which for UTF-8 is code-point order.
  friend std::strong_ordering operator<=>(const Text& a, const Text& b) noexcept {
    return a.bytes_.compare(b.bytes_) <=> 0;
  }

 private:
  explicit Text(std::string bytes) noexcept : bytes_(std::move(bytes)) {}
  std::string bytes_;
};

// The text whose characters are the bytes' values (U+0000 to U+00FF). O(n).
Text decodeLatin1(std::string_view bytes);

// The string literal of its characters, as for a String.
template <>
struct Show<Text> : ShowDefaults<Text> {
  static void showsPrec(int, const Text& t, std::string& out) {
    showUtf8StringLiteral(t.view(), out);
  }
};

// Holds nothing deferred.
template <>
struct NFData<Text> {
  static void rnf(const Text&) noexcept {}
};

}  // namespace basis
