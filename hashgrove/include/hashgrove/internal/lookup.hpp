#pragma once
// Lookup: finding one key, with or without its position in a bucket.
//
// The search walks from the root with shift 0: a BitmapIndexed node tests the
// fragment's bit and steps to the child at popcount(bitmap & (bit - 1)); a
// Full node indexes its children by fragment; a Leaf or Collision compares
// full hashes first and keys (searched key first) only on equal hashes. It
// allocates nothing and never forces a stored value. The walk is inlined into
// `lookup`, `member` and the other single-key reads, which are inlined in
// turn: a lookup is one short loop at the caller, with no call.

#include <bit>
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

namespace detail {

// The walk reads nodes by pointer, as node.hpp lays them out: the kind tag and
// the word (bitmap or hash) in the header, a branch's child handles in its
// slots, a Leaf's pair after its header. Going from node to node, rather than
// from handle to handle, saves a load per level.

// The root node of m behind a barrier: the optimiser may not follow a handle
// it knows to be empty into the static 16-byte empty node and then warn about
// the branch reads it cannot see are never made there.
template <class K, class V>
const array::BlockHeader* rootNode(const HashMap<K, V>& m) noexcept {
  const array::BlockHeader* n = m.node();
  __asm__("" : "+r"(n));
  return n;
}

// The node where the path of hash h leaves the branches (a Leaf, Collision or
// Empty node), or null when a BitmapIndexed node on the path has no child for
// h's fragment. A Full node indexes its children by fragment. A sparse node
// shifts its 32 bitmap bits left by 31 - fragment: the fragment's bit lands
// in the top bit, which tells whether the child is there, and the bits left
// at and below it, counted, are the child's position plus one. `rest` is h
// shifted past the fragments used so far (its low five bits are the next
// fragment, and their complement is 31 - fragment; 0 once the hash is used
// up, which only a damaged trie deeper than 13 levels reaches). Inlined into
// every lookup: a kind test and a few instructions per level, no call.
template <class K, class V>
[[gnu::always_inline]] inline const array::BlockHeader* pathEnd(Hash h, const HashMap<K, V>& m) noexcept {
  const array::BlockHeader* n = rootNode(m);
  Hash rest = h;
  for (;;) {
    const std::uint8_t tag = n->tag;
    if (tag == tagOf(Kind::Full)) {
      n = static_cast<const BranchBlock<K, V>*>(n)->slots()[rest & subkeyMask].node();
    } else if (tag == tagOf(Kind::BitmapIndexed)) {
      const std::uint32_t atTop = static_cast<std::uint32_t>(n->word) << (~rest & subkeyMask);
      if (static_cast<std::int32_t>(atTop) >= 0) return nullptr;
      n = static_cast<const BranchBlock<K, V>*>(n)->slots()[std::popcount(atTop) - 1].node();
    } else {
      return n;
    }
    rest >>= bitsPerSubkey;
  }
}

// The first pair of a bucket whose key equals k (k first), or null. Out of
// line: buckets are rare, and the walks that inline the lookup stay short.
template <class K, class V>
[[gnu::noinline]] const L<K, V>* bucketFind(const K& k, const L<K, V>* pairs, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) {
    if (k == pairs[i].key) return &pairs[i];
  }
  return nullptr;
}

// The stored pair of k, whose hash is h, in the node n where its path ends
// (null: no such node), or null: the full hash is compared first, the keys
// (searched key first) only on an equal hash.
template <class K, class V>
[[gnu::always_inline]] inline const L<K, V>* pairAt(const array::BlockHeader* n, Hash h, const K& k) {
  if (n == nullptr || n->word != h) return nullptr;
  if (n->tag == tagOf(Kind::Leaf)) {
    const L<K, V>& p = static_cast<const LeafBlock<K, V>*>(n)->pair;
    return k == p.key ? &p : nullptr;
  }
  if (n->tag != tagOf(Kind::Collision)) return nullptr;  // the empty map
  const auto* b = static_cast<const BucketBlock<K, V>*>(n);
  return bucketFind<K, V>(k, b->slots(), b->length);
}

// The stored value of k, whose hash is h, or null.
template <class K, class V>
[[gnu::always_inline]] inline const basis::Lazy<V>* findValue(Hash h, const K& k, const HashMap<K, V>& m) {
  const L<K, V>* p = pairAt<K, V>(pathEnd(h, m), h, k);
  return p == nullptr ? nullptr : &p->value;
}

// The stored value v as a lookup hands it out, or nothing for null. An
// evaluated value is built afresh from the plain value, so that the caller's
// optimiser sees which alternative the copy holds and drops its tests of it.
template <class V>
[[gnu::always_inline]] inline std::optional<basis::Lazy<V>> copyOut(const basis::Lazy<V>* v) {
  if (v == nullptr) return std::nullopt;
  if (const V* x = v->inlineValue()) return std::optional<basis::Lazy<V>>(std::in_place, *x);
  return *v;
}

}  // namespace detail

// `lookupRecordCollision#`: the value bound to k (whose hash is h) and its
// position, or absent. O(log32 n); allocates nothing; never forces the value.
template <class K, class V>
LookupHit<V> lookupRecordCollision_raw(Hash h, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const array::BlockHeader* n = detail::pathEnd(h, m);
  const L<K, V>* p = detail::pairAt<K, V>(n, h, k);
  if (p == nullptr) return {};
  if (n->tag == detail::tagOf(Kind::Leaf)) return {&p->value, -1};
  return {&p->value, p - static_cast<const detail::BucketBlock<K, V>*>(n)->slots()};
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
  return detail::copyOut(detail::findValue<K, V>(h, k, m));
}

// `lookup#`: a pointer to the value bound to k as stored, or null. Hashes k
// once; O(log32 n); no allocation; the pointer lives as long as the map.
template <class K, class V>
[[gnu::always_inline]] inline const basis::Lazy<V>* lookup_raw(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return detail::findValue<K, V>(internal::hash(k), k, m);
}

// The value bound to k, unevaluated, or nothing. Hashes k once; O(log32 n).
template <class K, class V>
[[gnu::always_inline]] inline std::optional<basis::Lazy<V>> lookup(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return detail::copyOut(lookup_raw(k, m));
}

// True when k is bound in m; never forces the value. O(log32 n).
template <class K, class V>
[[gnu::always_inline]] inline bool member(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
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
