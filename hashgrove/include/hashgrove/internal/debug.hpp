#pragma once
// The structural validator of the trie and its reports.
//
// `valid(m)` checks m against the ten invariants every operation keeps and
// answers `Valid`, or `Invalid` with the first violation met in a depth-first
// walk (a node's own tests before its children, children in ascending bit
// order) and the path of the offending node:
//
//   INV1  Empty occurs only as the whole map.
//   INV2  a BitmapIndexed bitmap has no 1 in bits 32..63.
//   INV3  a BitmapIndexed node has 1 to 31 children.
//   INV4  ... exactly as many as its bitmap has 1 bits.
//   INV5  the only child of a one-child BitmapIndexed node is a branch.
//   INV6  a Leaf's or Collision's hash agrees with its path.
//   INV7  every key hashes to the hash stored in its node.
//   INV8  a Full node has exactly 32 children.
//   INV9  a Collision holds at least 2 pairs.
//   INV10 the keys of one Collision are pairwise distinct.

#include <cstdint>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include <basis/functor.hpp>
#include <basis/semigroup.hpp>
#include <basis/show.hpp>

#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal::debug {

// Where a node sits: the low `lengthInBits` hash bits its path fixes.
struct SubHashPath {
  std::uint64_t partialHash = 0;
  std::int64_t lengthInBits = 0;

  friend bool operator==(const SubHashPath& a, const SubHashPath& b) noexcept {
    return a.partialHash == b.partialHash && a.lengthInBits == b.lengthInBits;
  }
};
inline std::uint64_t partialHash(const SubHashPath& p) noexcept { return p.partialHash; }
inline std::int64_t lengthInBits(const SubHashPath& p) noexcept { return p.lengthInBits; }

// A broken invariant with the values that break it.
template <class K>
class Error {
 public:
  enum class Kind : std::uint8_t {
    INV1_internal_Empty = 0,
    INV2_Bitmap_unexpected_1_bits = 1,
    INV3_bad_BitmapIndexed_size = 2,
    INV4_bitmap_array_size_mismatch = 3,
    INV5_BitmapIndexed_invalid_single_subtree = 4,
    INV6_misplaced_hash = 5,
    INV7_key_hash_mismatch = 6,
    INV8_bad_Full_size = 7,
    INV9_Collision_size = 8,
    INV10_Collision_duplicate_key = 9,
  };

  static Error INV1_internal_Empty() { return Error(Kind::INV1_internal_Empty); }
  static Error INV2_Bitmap_unexpected_1_bits(Bitmap b) { return Error(Kind::INV2_Bitmap_unexpected_1_bits, b); }
  static Error INV3_bad_BitmapIndexed_size(std::int64_t n) {
    return Error(Kind::INV3_bad_BitmapIndexed_size, 0, n);
  }
  static Error INV4_bitmap_array_size_mismatch(Bitmap b, std::int64_t n) {
    return Error(Kind::INV4_bitmap_array_size_mismatch, b, n);
  }
  static Error INV5_BitmapIndexed_invalid_single_subtree() {
    return Error(Kind::INV5_BitmapIndexed_invalid_single_subtree);
  }
  static Error INV6_misplaced_hash(Hash h) { return Error(Kind::INV6_misplaced_hash, h); }
  static Error INV7_key_hash_mismatch(K k, Hash h) {
    return Error(Kind::INV7_key_hash_mismatch, h, 0, std::move(k));
  }
  static Error INV8_bad_Full_size(std::int64_t n) { return Error(Kind::INV8_bad_Full_size, 0, n); }
  static Error INV9_Collision_size(std::int64_t n) { return Error(Kind::INV9_Collision_size, 0, n); }
  static Error INV10_Collision_duplicate_key(K k, Hash h) {
    return Error(Kind::INV10_Collision_duplicate_key, h, 0, std::move(k));
  }

  Kind kind() const noexcept { return kind_; }
  // The bitmap (INV2, INV4) or hash (INV6, INV7, INV10) field.
  std::uint64_t word() const noexcept { return word_; }
  // The size field (INV3, INV4, INV8, INV9).
  std::int64_t size() const noexcept { return size_; }
  // The key field (INV7, INV10).
  const K& key() const { return *key_; }

  // Same kind and equal fields in declared order; keys first (left key as
  // the first operand of `==`), so hashes are compared only for equal keys.
  friend bool operator==(const Error& a, const Error& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
      case Kind::INV7_key_hash_mismatch:
      case Kind::INV10_Collision_duplicate_key:
        return *a.key_ == *b.key_ && a.word_ == b.word_;
      case Kind::INV4_bitmap_array_size_mismatch:
        return a.word_ == b.word_ && a.size_ == b.size_;
      default:
        return a.word_ == b.word_ && a.size_ == b.size_;
    }
  }

 private:
  explicit Error(Kind kind, std::uint64_t word = 0, std::int64_t size = 0, std::optional<K> key = std::nullopt)
      : kind_(kind), word_(word), size_(size), key_(std::move(key)) {}
  Kind kind_;
  std::uint64_t word_;
  std::int64_t size_;
  std::optional<K> key_;
};

// The constructors of Error as free functions.
template <class K>
Error<K> INV1_internal_Empty() {
  return Error<K>::INV1_internal_Empty();
}
template <class K>
Error<K> INV2_Bitmap_unexpected_1_bits(Bitmap b) {
  return Error<K>::INV2_Bitmap_unexpected_1_bits(b);
}
template <class K>
Error<K> INV3_bad_BitmapIndexed_size(std::int64_t n) {
  return Error<K>::INV3_bad_BitmapIndexed_size(n);
}
template <class K>
Error<K> INV4_bitmap_array_size_mismatch(Bitmap b, std::int64_t n) {
  return Error<K>::INV4_bitmap_array_size_mismatch(b, n);
}
template <class K>
Error<K> INV5_BitmapIndexed_invalid_single_subtree() {
  return Error<K>::INV5_BitmapIndexed_invalid_single_subtree();
}
template <class K>
Error<K> INV6_misplaced_hash(Hash h) {
  return Error<K>::INV6_misplaced_hash(h);
}
template <class K>
Error<K> INV7_key_hash_mismatch(K k, Hash h) {
  return Error<K>::INV7_key_hash_mismatch(std::move(k), h);
}
template <class K>
Error<K> INV8_bad_Full_size(std::int64_t n) {
  return Error<K>::INV8_bad_Full_size(n);
}
template <class K>
Error<K> INV9_Collision_size(std::int64_t n) {
  return Error<K>::INV9_Collision_size(n);
}
template <class K>
Error<K> INV10_Collision_duplicate_key(K k, Hash h) {
  return Error<K>::INV10_Collision_duplicate_key(std::move(k), h);
}

// The validator's answer: `Valid`, or `Invalid` with the first violation and
// the path of the node where it was found. Default-constructed: `Valid`.
template <class K>
class Validity {
 public:
  enum class Tag : std::uint8_t { Invalid = 0, Valid = 1 };

  Validity() = default;
  static Validity Valid() { return Validity(); }
  static Validity Invalid(Error<K> e, SubHashPath p) { return Validity(std::move(e), p); }

  Tag tag() const noexcept { return invalid_ ? Tag::Invalid : Tag::Valid; }
  bool isValid() const noexcept { return !invalid_; }
  const Error<K>& error() const { return invalid_->first; }
  const SubHashPath& path() const { return invalid_->second; }

  friend bool operator==(const Validity& a, const Validity& b) {
    if (a.isValid() || b.isValid()) return a.isValid() && b.isValid();
    return a.error() == b.error() && a.path() == b.path();
  }

 private:
  Validity(Error<K> e, SubHashPath p) : invalid_(std::in_place, std::move(e), p) {}
  std::optional<std::pair<Error<K>, SubHashPath>> invalid_;
};

template <class K>
Validity<K> Valid() {
  return Validity<K>::Valid();
}
template <class K>
Validity<K> Invalid(Error<K> e, SubHashPath p) {
  return Validity<K>::Invalid(std::move(e), p);
}

namespace detail {

inline std::uint64_t pathMask(std::int64_t length) noexcept {
  return length >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << length) - 1;
}
inline SubHashPath childPath(const SubHashPath& p, std::uint64_t bitPosition) noexcept {
  const std::uint64_t bits = p.lengthInBits < 64 ? bitPosition << p.lengthInBits : 0;
  return SubHashPath{p.partialHash | bits, p.lengthInBits + bitsPerSubkey};
}

template <class K, class V>
std::optional<Error<K>> checkOwn(const HashMap<K, V>& t, const SubHashPath& p) {
  using E = Error<K>;
  switch (t.kind()) {
    case Kind::Empty:
      return E::INV1_internal_Empty();
    case Kind::Leaf: {
      const Hash h = t.nodeHash();
      if ((h & pathMask(p.lengthInBits)) != p.partialHash) return E::INV6_misplaced_hash(h);
      if (internal::hash(t.leaf().key) != h) return E::INV7_key_hash_mismatch(t.leaf().key, h);
      return std::nullopt;
    }
    case Kind::Collision: {
      const Hash h = t.nodeHash();
      if ((h & pathMask(p.lengthInBits)) != p.partialHash) return E::INV6_misplaced_hash(h);
      const std::int64_t n = t.bucketSize();
      if (n < 2) return E::INV9_Collision_size(n);
      const L<K, V>* pairs = t.bucket();
      for (std::int64_t j = 0; j < n; ++j) {
        if (internal::hash(pairs[j].key) != h) return E::INV7_key_hash_mismatch(pairs[j].key, h);
      }
      for (std::int64_t j = 0; j < n; ++j) {
        const K& k = pairs[j].key;
        std::int64_t equal = 0;
        for (std::int64_t i = 0; i < n; ++i) equal += (pairs[i].key == k) ? 1 : 0;
        if (equal != 1) return E::INV10_Collision_duplicate_key(k, h);
      }
      return std::nullopt;
    }
    case Kind::BitmapIndexed: {
      const Bitmap b = t.bitmap();
      const std::int64_t n = t.childCount();
      if ((b & ~fullBitmap) != 0) return E::INV2_Bitmap_unexpected_1_bits(b);
      if (n < 1 || n > 31) return E::INV3_bad_BitmapIndexed_size(n);
      if (std::popcount(b) != n) return E::INV4_bitmap_array_size_mismatch(b, n);
      if (n == 1 && isLeafOrCollision(t.child(0))) return E::INV5_BitmapIndexed_invalid_single_subtree();
      return std::nullopt;
    }
    case Kind::Full: {
      const std::int64_t n = t.childCount();
      if (n != maxChildren) return E::INV8_bad_Full_size(n);
      return std::nullopt;
    }
  }
  __builtin_unreachable();
}

}  // namespace detail

// The first violation of the trie's invariants in m, or `Valid`. Visits each
// node at most once with an explicit stack (no recursion); hashes each key
// once and compares the keys of a bucket of n pairs n * n times. Throws what
// the key's `hash` or `==` throws.
template <class K, class V>
Validity<K> valid(const HashMap<K, V>& m) {
  if (m.kind() == Kind::Empty) return Validity<K>::Valid();
  std::vector<std::pair<const HashMap<K, V>*, SubHashPath>> stack;
  stack.emplace_back(&m, SubHashPath{0, 0});
  while (!stack.empty()) {
    const auto [t, p] = stack.back();
    stack.pop_back();
    if (auto e = detail::checkOwn(*t, p)) return Validity<K>::Invalid(std::move(*e), p);
    if (t->kind() != Kind::BitmapIndexed && t->kind() != Kind::Full) continue;
    const Bitmap b = t->kind() == Kind::Full ? fullBitmap : t->bitmap();
    // Children pushed highest bit first so that the lowest is visited first.
    for (std::int64_t bitPos = 31; bitPos >= 0; --bitPos) {
      const Bitmap bit = Bitmap{1} << bitPos;
      if ((b & bit) == 0) continue;
      stack.emplace_back(&t->child(sparseIndex(b, bit)), detail::childPath(p, static_cast<std::uint64_t>(bitPos)));
    }
  }
  return Validity<K>::Valid();
}

}  // namespace hashgrove::internal::debug

// ---------------------------------------------------------------------------
// Text forms, equality and the semigroup of the reports.

template <>
struct basis::Show<hashgrove::internal::debug::SubHashPath>
    : basis::ShowDefaults<hashgrove::internal::debug::SubHashPath> {
  static void showsPrec(int d, const hashgrove::internal::debug::SubHashPath& p, std::string& out) {
    basis::showRecord(d, out, "SubHashPath", [&](basis::RecordFields& f) {
      f.field("partialHash", p.partialHash);
      f.field("lengthInBits", p.lengthInBits);
    });
  }
};

template <class K>
struct basis::Show<hashgrove::internal::debug::Error<K>> : basis::ShowDefaults<hashgrove::internal::debug::Error<K>> {
  using E = hashgrove::internal::debug::Error<K>;
  using Kind = typename E::Kind;
  static void showsPrec(int d, const E& e, std::string& out) {
    switch (e.kind()) {
      case Kind::INV1_internal_Empty:
        out += "INV1_internal_Empty";
        return;
      case Kind::INV2_Bitmap_unexpected_1_bits:
        return basis::showConstructor(d, out, "INV2_Bitmap_unexpected_1_bits", e.word());
      case Kind::INV3_bad_BitmapIndexed_size:
        return basis::showConstructor(d, out, "INV3_bad_BitmapIndexed_size", e.size());
      case Kind::INV4_bitmap_array_size_mismatch:
        return basis::showConstructor(d, out, "INV4_bitmap_array_size_mismatch", e.word(), e.size());
      case Kind::INV5_BitmapIndexed_invalid_single_subtree:
        out += "INV5_BitmapIndexed_invalid_single_subtree";
        return;
      case Kind::INV6_misplaced_hash:
        return basis::showConstructor(d, out, "INV6_misplaced_hash", e.word());
      case Kind::INV7_key_hash_mismatch:
        return basis::showConstructor(d, out, "INV7_key_hash_mismatch", e.key(), e.word());
      case Kind::INV8_bad_Full_size:
        return basis::showConstructor(d, out, "INV8_bad_Full_size", e.size());
      case Kind::INV9_Collision_size:
        return basis::showConstructor(d, out, "INV9_Collision_size", e.size());
      case Kind::INV10_Collision_duplicate_key:
        return basis::showConstructor(d, out, "INV10_Collision_duplicate_key", e.key(), e.word());
    }
  }
};

template <class K>
struct basis::Show<hashgrove::internal::debug::Validity<K>>
    : basis::ShowDefaults<hashgrove::internal::debug::Validity<K>> {
  static void showsPrec(int d, const hashgrove::internal::debug::Validity<K>& v, std::string& out) {
    if (v.isValid()) {
      out += "Valid";
      return;
    }
    basis::showConstructor(d, out, "Invalid", v.error(), v.path());
  }
};

// The first Invalid wins; the right operand (or any later element) is not
// examined once an Invalid is found.
template <class K>
struct basis::Semigroup<hashgrove::internal::debug::Validity<K>> {
  using T = hashgrove::internal::debug::Validity<K>;
  static T combine(const T& a, const T& b) { return a.isValid() ? b : a; }
  // With a deferred right operand, forced only when the left one is Valid.
  static T combine(const T& a, const basis::Lazy<T>& b) { return a.isValid() ? b.force() : a; }
  // The first Invalid element of a non-empty range, or Valid; elements after
  // it are not demanded. Throws std::invalid_argument for an empty range.
  template <std::ranges::input_range R>
  static T sconcat(R&& xs) {
    auto it = std::ranges::begin(xs);
    const auto end = std::ranges::end(xs);
    if (it == end) throw std::invalid_argument("sconcat: empty list");
    for (; it != end; ++it) {
      const T& x = basis::forced(*it);
      if (!x.isValid()) return x;
    }
    return T::Valid();
  }
  // x itself for n >= 1; n < 1 fails as the default does.
  static T stimes(std::int64_t n, const T& x) {
    if (n < 1) return basis::SemigroupDefaults<T>::stimes(n, x);
    return x;
  }
};

template <class K>
struct basis::Monoid<hashgrove::internal::debug::Validity<K>> {
  using T = hashgrove::internal::debug::Validity<K>;
  static T mempty() { return T::Valid(); }
  static T mappend(const T& a, const T& b) { return basis::Semigroup<T>::combine(a, b); }
  // The first Invalid element, or Valid (also for an empty range).
  template <std::ranges::input_range R>
  static T mconcat(R&& xs) {
    for (auto&& x0 : xs) {
      const T& x = basis::forced(x0);
      if (!x.isValid()) return x;
    }
    return T::Valid();
  }
};
