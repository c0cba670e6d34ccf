#include "basis/binary.hpp"

#include <cstring>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "basis/utf8.hpp"

namespace basis::binary {

namespace {
constexpr const char* kNotEnoughBytes = "not enough bytes";
}  // namespace

Rest Rest::view(std::string_view bytes) {
  Rest r;
  r.head_ = bytes;
  r.size_ = bytes.size();
  return r;
}

Rest Rest::take(std::string bytes) {
  Rest r;
  r.owned_ = std::make_shared<const std::string>(std::move(bytes));
  r.head_ = *r.owned_;
  r.size_ = r.head_.size();
  return r;
}

std::vector<std::string_view> Rest::chunks() const {
  std::vector<std::string_view> out;
  if (size_ == 0) return out;
  out.push_back(head_);
  if (pieces_) out.insert(out.end(), pieces_->begin() + static_cast<std::ptrdiff_t>(next_), pieces_->end());
  return out;
}

std::string Rest::str() const {
  std::string out;
  out.reserve(size_);
  for (std::string_view c : chunks()) out.append(c);
  return out;
}

bool operator==(const Rest& r, std::string_view bytes) noexcept {
  if (r.size_ != bytes.size()) return false;
  if (r.size_ == 0) return true;
  if (bytes.substr(0, r.head_.size()) != r.head_) return false;
  bytes.remove_prefix(r.head_.size());
  for (std::size_t i = r.next_; !bytes.empty(); ++i) {
    const std::string_view piece = (*r.pieces_)[i];
    if (bytes.substr(0, piece.size()) != piece) return false;
    bytes.remove_prefix(piece.size());
  }
  return true;
}

std::ostream& operator<<(std::ostream& os, const Rest& r) {
  for (std::string_view c : r.chunks()) os.write(c.data(), static_cast<std::streamsize>(c.size()));
  return os;
}

Get::Get(std::string_view input) : in_(Rest::view(input)) {}

Get::Get(std::vector<std::string_view> chunks) {
  std::erase_if(chunks, [](std::string_view c) { return c.empty(); });
  if (chunks.empty()) return;
  for (std::string_view c : chunks) in_.size_ += c.size();
  in_.head_ = chunks.front();
  in_.next_ = 1;
  if (chunks.size() > 1) in_.pieces_ = std::make_shared<const std::vector<std::string_view>>(std::move(chunks));
}

Get::Get(Rest input) noexcept : in_(std::move(input)) {}

void Get::fail(std::string message) {
  if (failed_) return;
  failed_ = true;
  message_ = std::move(message);
}

bool Get::readInto(char* dst, std::size_t n) {
  if (failed_) return false;
  if (n > in_.size_) {
    fail(kNotEnoughBytes);
    return false;
  }
  consumed_ += n;
  in_.size_ -= n;
  while (n > 0) {
    const std::size_t take = std::min(n, in_.head_.size());
    if (dst != nullptr) {
      std::memcpy(dst, in_.head_.data(), take);
      dst += take;
    }
    in_.head_.remove_prefix(take);
    n -= take;
    // Step to the next piece, so that head_ is empty only at the end.
    if (in_.head_.empty() && in_.pieces_ && in_.next_ < in_.pieces_->size()) in_.head_ = (*in_.pieces_)[in_.next_++];
  }
  return true;
}

template <class W>
std::optional<W> Get::getBigEndian(std::size_t width) {
  unsigned char buf[8];
  if (!readInto(reinterpret_cast<char*>(buf), width)) return std::nullopt;
  std::uint64_t x = 0;
  for (std::size_t i = 0; i < width; ++i) x = (x << 8) | buf[i];
  return static_cast<W>(x);
}

std::optional<std::uint8_t> Get::getWord8() { return getBigEndian<std::uint8_t>(1); }
std::optional<std::uint16_t> Get::getWord16be() { return getBigEndian<std::uint16_t>(2); }
std::optional<std::uint32_t> Get::getWord32be() { return getBigEndian<std::uint32_t>(4); }
std::optional<std::uint64_t> Get::getWord64be() { return getBigEndian<std::uint64_t>(8); }
std::optional<std::int64_t> Get::getInt64be() {
  auto w = getWord64be();
  if (!w) return std::nullopt;
  return static_cast<std::int64_t>(*w);
}

std::optional<std::string> Get::getByteString(std::size_t n) {
  if (failed_) return std::nullopt;
  if (n > in_.size_) {
    fail(kNotEnoughBytes);
    return std::nullopt;
  }
  std::string out(n, '\0');
  readInto(out.data(), n);
  return out;
}

bool Get::getBytesInto(char* dst, std::size_t n) { return readInto(dst, n); }

bool Get::skip(std::size_t n) { return readInto(nullptr, n); }

}  // namespace basis::binary

namespace basis {

std::optional<bool> Binary<bool>::get(binary::Get& g) {
  auto w = g.getWord8();
  if (!w) return std::nullopt;
  if (*w > 1) {
    g.fail("Could not map value " + std::to_string(*w) + " to Bool");
    return std::nullopt;
  }
  return *w == 1;
}

void Binary<char32_t>::put(char32_t c, binary::Put& p) {
  char bytes[4];
  p.putByteString(std::string_view(bytes, detail::encodeUtf8(c > 0x10FFFF ? 0xFFFD : c, bytes)));
}

std::optional<char32_t> Binary<char32_t>::get(binary::Get& g) {
  // The lead byte decides how many bytes follow; each following byte has its
  // marker bits flipped off by xor, exactly as the platform decodes.
  auto lead = g.getWord8();
  if (!lead) return std::nullopt;
  const std::uint32_t w = *lead;
  auto next = [&]() -> std::optional<std::uint32_t> {
    auto b = g.getWord8();
    if (!b) return std::nullopt;
    return static_cast<std::uint32_t>(*b) ^ 0x80u;
  };
  std::uint32_t r;
  if (w < 0x80) {
    r = w;
  } else if (w < 0xE0) {
    auto x = next();
    if (!x) return std::nullopt;
    r = *x | ((w ^ 0xC0u) << 6);
  } else if (w < 0xF0) {
    auto x = next();
    auto y = x ? next() : std::nullopt;
    if (!y) return std::nullopt;
    r = *y | ((*x | ((w ^ 0xE0u) << 6)) << 6);
  } else {
    auto x = next();
    auto y = x ? next() : std::nullopt;
    auto z = y ? next() : std::nullopt;
    if (!z) return std::nullopt;
    r = *z | ((*y | ((*x | ((w ^ 0xF0u) << 6)) << 6)) << 6);
  }
  if (r > 0x10FFFF) {
    g.fail("Not a valid Unicode code point!");
    return std::nullopt;
  }
  return static_cast<char32_t>(r);
}

std::optional<std::string> Binary<std::string>::get(binary::Get& g) {
  auto n = g.getInt64be();
  if (!n) return std::nullopt;
  if (*n < 0) {
    // A negative length reads as an empty byte string, as the platform does.
    return std::string();
  }
  return g.getByteString(static_cast<std::size_t>(*n));
}

std::optional<std::u32string> Binary<std::u32string>::get(binary::Get& g) {
  auto cs = binary::getListWith<char32_t>([](binary::Get& h) { return Binary<char32_t>::get(h); }, g);
  if (!cs) return std::nullopt;
  return std::u32string(cs->begin(), cs->end());
}

}  // namespace basis
