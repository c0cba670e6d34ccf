#pragma once
// Lookup: finding one key, with or without its position in a bucket.
//
// The search walks from the root with shift 0: a BitmapIndexed node tests the
// fragment's bit and steps to the child at popcount(bitmap & (bit - 1)); a
// Full node indexes its children by fragment; a Leaf or Collision compares
// full hashes first and keys (searched key first) only on equal hashes. It
// allocates nothing and never forces a stored value.

#include <cstdint>
#include <optional>
#include <type_traits>

#include <basis/error.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// `lookupRecordCollision#`'s result: the stored value (null when absent) and
// the key's position in its bucket, -1 in a Leaf. The pointer stays valid as
// long as the map it was found in.
template <class V>
struct LookupHit {
  const basis::Lazy<V>* value = nullptr;
  std::int64_t position = 0;
  explicit operator bool() const noexcept { return value != nullptr; }
};

// `lookupRecordCollision#`: the value bound to k (whose hash is h) and its
// position, or absent. O(log32 n); allocates nothing; never forces the value.
template <class K, class V>
LookupHit<V> lookupRecordCollision_raw(Hash h, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const HashMap<K, V>* t = &m;
  // Branch levels first, in a tight loop: Full nodes (the common kind near
  // the root of a large map) index directly, sparse ones count bits. `rest`
  // is h shifted past the fragments used so far: its low five bits are the
  // next fragment (index(h, s)), and 0 once the hash is used up.
  Hash rest = h;
  for (;;) {
    const Kind kind = t->kind();
    if (kind == Kind::Full) {
      t = &t->children()[rest & subkeyMask];
    } else if (kind == Kind::BitmapIndexed) {
      const Bitmap b = t->bitmap();
      const Bitmap bit = Bitmap{1} << (rest & subkeyMask);
      if ((b & bit) == 0) return {};
      t = &t->children()[sparseIndex(b, bit)];
    } else {
      break;
    }
    rest >>= bitsPerSubkey;
  }
  switch (t->kind()) {
    case Kind::Leaf: {
      if (t->nodeHash() != h) return {};
      const L<K, V>& p = t->leaf();
      if (k == p.key) return {&p.value, -1};
      return {};
    }
    case Kind::Collision: {
      if (t->nodeHash() != h) return {};
      const L<K, V>* pairs = t->bucket();
      for (std::int64_t i = 0, n = t->bucketSize(); i < n; ++i) {
        if (k == pairs[i].key) return {&pairs[i].value, i};
      }
      return {};
    }
    default:
      return {};
  }
}

// `lookupRecordCollision`: `Present` with the value and position, or `Absent`.
template <class K, class V>
LookupRes<V> lookupRecordCollision(Hash h, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const LookupHit<V> r = lookupRecordCollision_raw(h, k, m);
  if (!r) return Absent<V>();
  return Present<V>(*r.value, r.position);
}

// `lookup'`: the value bound to k, whose hash is h, or nothing.
template <class K, class V>
std::optional<basis::Lazy<V>> lookup_(Hash h, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const LookupHit<V> r = lookupRecordCollision_raw(h, k, m);
  if (!r) return std::nullopt;
  return *r.value;
}

// `lookup#`: a pointer to the value bound to k as stored, or null. Hashes k
// once; O(log32 n); no allocation; the pointer lives as long as the map.
template <class K, class V>
const basis::Lazy<V>* lookup_raw(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return lookupRecordCollision_raw(h, k, m).value;
}

// The value bound to k, unevaluated, or nothing. Hashes k once; O(log32 n).
template <class K, class V>
std::optional<basis::Lazy<V>> lookup(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  if (const basis::Lazy<V>* v = lookup_raw(k, m)) return *v;
  return std::nullopt;
}

// True when k is bound in m; never forces the value. O(log32 n).
template <class K, class V>
bool member(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return lookup_raw(k, m) != nullptr;
}

// `!?`: `lookup` with the map first.
template <class K, class V>
std::optional<basis::Lazy<V>> atMaybe(const HashMap<K, V>& m, const std::type_identity_t<K>& k) {
  return lookup(k, m);
}

// The value bound to k, forced, or the default d (forced only when k is
// absent). Throws what forcing the value throws.
template <class K, class V>
V findWithDefault(std::type_identity_t<basis::Lazy<V>> d, const std::type_identity_t<K>& k,
                  const HashMap<K, V>& m) {
  if (const basis::Lazy<V>* v = lookup_raw(k, m)) return v->force();
  return d.force();
}
// The same as `findWithDefault`.
template <class K, class V>
V lookupDefault(std::type_identity_t<basis::Lazy<V>> d, const std::type_identity_t<K>& k,
                const HashMap<K, V>& m) {
  return findWithDefault<K, V>(std::move(d), k, m);
}

// Raises "Data.HashMap.Internal.(!): key not found" with the raising site of
// `!` on top of the caller's chain (the chain unchanged when frozen).
[[noreturn]] void throwKeyNotFound(const basis::CallStack& callers);

// `!`: the value bound to k, forced. Throws basis::ErrorCall "Data.HashMap.
// Internal.(!): key not found" when k is absent; what forcing throws
// otherwise. `callers` is the caller's call-site chain.
template <class K, class V>
const V& at(const HashMap<K, V>& m, const std::type_identity_t<K>& k, const basis::CallStack& callers = {}) {
  if (const basis::Lazy<V>* v = lookup_raw(k, m)) return v->force();
  throwKeyNotFound(callers);
}

}  // namespace hashgrove::internal
