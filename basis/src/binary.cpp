#include "basis/binary.hpp"

#include <cstring>
#include <utility>
#include <vector>

#include "basis/utf8.hpp"

namespace basis::binary {

namespace {
constexpr const char* kNotEnoughBytes = "not enough bytes";
}  // namespace

Get::Get(std::string_view input) {
  if (!input.empty()) chunks_.push_back(input);
  remaining_ = input.size();
}

Get::Get(std::vector<std::string_view> chunks) : chunks_(std::move(chunks)) {
  std::erase_if(chunks_, [](std::string_view c) { return c.empty(); });
  for (std::string_view c : chunks_) remaining_ += c.size();
}

void Get::fail(std::string message) {
  if (failed_) return;
  failed_ = true;
  message_ = std::move(message);
}

bool Get::readInto(char* dst, std::size_t n) {
  if (failed_) return false;
  if (n > remaining_) {
    fail(kNotEnoughBytes);
    return false;
  }
  while (n > 0) {
    std::string_view c = chunks_[chunk_];
    const std::size_t take = std::min(n, c.size() - offset_);
    if (dst != nullptr) {
      std::memcpy(dst, c.data() + offset_, take);
      dst += take;
    }
    offset_ += take;
    n -= take;
    consumed_ += take;
    remaining_ -= take;
    if (offset_ == c.size()) {
      ++chunk_;
      offset_ = 0;
    }
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
  if (n > remaining_) {
    fail(kNotEnoughBytes);
    return std::nullopt;
  }
  std::string out(n, '\0');
  readInto(out.data(), n);
  return out;
}

bool Get::getBytesInto(char* dst, std::size_t n) { return readInto(dst, n); }

bool Get::skip(std::size_t n) { return readInto(nullptr, n); }

std::vector<std::string_view> Get::remainingChunks() const {
  std::vector<std::string_view> out;
  for (std::size_t i = chunk_; i < chunks_.size(); ++i) {
    out.push_back(i == chunk_ ? chunks_[i].substr(offset_) : chunks_[i]);
  }
  return out;
}

std::string Get::remainingBytes() const {
  std::string out;
  out.reserve(remaining_);
  for (std::string_view c : remainingChunks()) out.append(c);
  return out;
}

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
