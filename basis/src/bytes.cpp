#include "basis/bytes.hpp"

#include <algorithm>
#include <cstring>

namespace basis {

LazyByteString LazyByteString::fromChunks(std::vector<std::string> chunks) {
  LazyByteString out;
  for (std::string& c : chunks) {
    if (!c.empty()) out.chunks_.push_back(std::move(c));
  }
  return out;
}

LazyByteString LazyByteString::fromStrict(std::string bytes) {
  LazyByteString out;
  if (!bytes.empty()) out.chunks_.push_back(std::move(bytes));
  return out;
}

std::string LazyByteString::toStrict() const {
  if (chunks_.size() == 1) return chunks_.front();
  std::string out;
  out.reserve(static_cast<std::size_t>(length()));
  for (const std::string& c : chunks_) out += c;
  return out;
}

std::int64_t LazyByteString::length() const noexcept {
  std::int64_t n = 0;
  for (const std::string& c : chunks_) n += static_cast<std::int64_t>(c.size());
  return n;
}

int LazyByteString::compareBytes(const LazyByteString& a, const LazyByteString& b) noexcept {
  std::size_t ia = 0, oa = 0, ib = 0, ob = 0;
  for (;;) {
    const bool endA = ia == a.chunks_.size();
    const bool endB = ib == b.chunks_.size();
    if (endA || endB) return endA == endB ? 0 : (endA ? -1 : 1);
    const std::string& ca = a.chunks_[ia];
    const std::string& cb = b.chunks_[ib];
    const std::size_t n = std::min(ca.size() - oa, cb.size() - ob);
    if (int c = std::memcmp(ca.data() + oa, cb.data() + ob, n); c != 0) return c < 0 ? -1 : 1;
    oa += n;
    ob += n;
    if (oa == ca.size()) {
      ++ia;
      oa = 0;
    }
    if (ob == cb.size()) {
      ++ib;
      ob = 0;
    }
  }
}

std::vector<std::uint8_t> unpackBytes(const LazyByteString& bytes) {
  std::vector<std::uint8_t> out;
  for (const std::string& c : bytes.chunks()) out.insert(out.end(), c.begin(), c.end());
  return out;
}

Ordering compareLength(const LazyByteString& bytes, std::int64_t n) noexcept {
  std::int64_t seen = 0;
  for (const std::string& c : bytes.chunks()) {
    seen += static_cast<std::int64_t>(c.size());
    if (seen > n) return GT;
  }
  return seen == n ? EQ : (seen < n ? LT : GT);
}

}  // namespace basis
