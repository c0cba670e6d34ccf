#pragma once
// The node model of the hash array mapped trie.
//
// ## Reading a node
//
// `HashMap<K, V>` is one counted pointer to a node; a map *is* its root node,
// and a branch's children are `HashMap<K, V>` values. `m.kind()` gives the
// node's `Kind` (ordinals fixed: Empty 0, BitmapIndexed 1, Leaf 2, Full 3,
// Collision 4). By kind:
//
//   Empty          no fields. One shared immortal node; only ever a whole map.
//   BitmapIndexed  m.bitmap(): 64-bit occupancy word (bits 0..31 used);
//                  m.childCount(), m.children()[i] / m.child(i): the children,
//                  packed in ascending bit order (child for fragment f at
//                  sparseIndex(bitmap, 1 << f)).
//   Leaf           m.nodeHash(): the key's full hash; m.leaf(): the pair L
//                  (m.leaf().key, m.leaf().value, a basis::Lazy<V>).
//   Full           m.childCount() == 32 children, indexed by fragment;
//                  no bitmap (m.bitmap() reads fullBitmap).
//   Collision      m.nodeHash(): the shared hash; m.bucketSize(),
//                  m.bucket()[i]: the pairs L, in insertion order.
//
// m.childArray() / m.bucketArray() hand out the children or the pairs as an
// `array::Array` that shares the node's own block (no copy).
//
// ## Building a node
//
// The builders named after the kinds take the fields in declared order:
// `Leaf(h, L<K, V>{k, v})`, `BitmapIndexed(bitmap, children)`,
// `Full(children)`, `Collision(h, pairs)`, with `array::Array` arguments. They
// check nothing (the validator does), so they can build damaged tries for
// tests. When the array handed in is the only reference to its block (a
// fresh array, moved in), the block becomes the node with no copy; otherwise
// the slots are copied. `bitmapIndexedOrFull(b, children)` picks `Full` when
// b == fullBitmap. Inside the library the walks build nodes with
// `detail::makeLeaf`, `detail::fillBranch` and `array::detail::insertAt` /
// `deleteAt` / `updateAt` directly into a fresh block.
//
// ## Counts and sharing
//
// Every node is one allocation: a 16-byte header (atomic count, kind tag, one
// word holding the bitmap or hash) followed by the pair (Leaf) or by a 32-bit
// length and the child / pair slots, exactly sized. Copying a HashMap bumps
// the count; the last release frees the node and releases its children
// (depth is bounded by 13 branch levels). The Empty node is never counted.
// Nodes are immutable once handed out: an update copies the path to the
// change and shares everything else. `ptrEq(a, b)` (same node) is how the
// single-key updates tell that nothing changed below them. A node may be
// written in place only by an owner whose reference is the only one
// (`m.isUniqueNode()`), which the bulk builders check.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/functor.hpp>
#include <basis/hashable.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal/array_block.hpp"

namespace hashgrove::internal {

// ---------------------------------------------------------------------------
// Scalars and constants

// The full hash of a key: the key's 64 hash bits, unsigned.
using Hash = std::uint64_t;
// Occupancy of a sparse branch: bit i set means a child for fragment i.
using Bitmap = std::uint64_t;
// Hash bits consumed above a node: 0, 5, ..., 60.
using Shift = std::int64_t;

inline constexpr std::int64_t bitsPerSubkey = 5;
inline constexpr std::int64_t maxChildren = 32;
inline constexpr std::uint64_t subkeyMask = 31;
inline constexpr std::uint64_t fullBitmap = 0xffffffff;

enum class Kind : std::uint8_t { Empty = 0, BitmapIndexed = 1, Leaf = 2, Full = 3, Collision = 4 };

// One key with its value, as a Leaf or a bucket slot stores it: the key
// evaluated, the value possibly deferred.
template <class K, class V>
struct L {
  K key;
  basis::Lazy<V> value;
};
template <class K, class V>
L(K, basis::Lazy<V>) -> L<K, V>;

template <class K, class V>
class HashMap;

// Range-for over a map (defined in hashgrove/internal/iterate.hpp).
template <class K, class V, class Proj>
class TrieIterator;
namespace detail {
template <class K, class V>
struct AsStoredPair;
}  // namespace detail

namespace detail {

using array::BlockHeader;

// The one empty node, shared by every map of every type; never counted.
inline constinit BlockHeader emptyNode{array::kEmptyTag, 0};

template <class K, class V>
struct LeafBlock final : BlockHeader {
  template <class... Args>
  LeafBlock(Hash h, Args&&... args) : BlockHeader(static_cast<std::uint8_t>(Kind::Leaf), h),
                                      pair{std::forward<Args>(args)...} {}
  L<K, V> pair;
};

template <class K, class V>
using BranchBlock = array::Block<HashMap<K, V>>;
template <class K, class V>
using BucketBlock = array::Block<L<K, V>>;

inline constexpr std::uint8_t tagOf(Kind k) noexcept { return static_cast<std::uint8_t>(k); }

}  // namespace detail

// ---------------------------------------------------------------------------
// HashMap<K, V>: a persistent map from K to V, the handle of its root node.

template <class K, class V>
class HashMap {
 public:
  using key_type = K;
  using mapped_type = V;
  using pair_type = L<K, V>;

  // The empty map.
  HashMap() noexcept : p_(&detail::emptyNode) {}
  HashMap(const HashMap& o) noexcept : p_(o.p_) { p_->retain(); }
  HashMap(HashMap&& o) noexcept : p_(std::exchange(o.p_, &detail::emptyNode)) {}
  HashMap& operator=(const HashMap& o) noexcept {
    o.p_->retain();
    drop(std::exchange(p_, o.p_));
    return *this;
  }
  HashMap& operator=(HashMap&& o) noexcept {
    if (this != &o) drop(std::exchange(p_, std::exchange(o.p_, &detail::emptyNode)));
    return *this;
  }
  ~HashMap() { drop(p_); }

  // The number of pairs; visits every node. O(n).
  std::int64_t size() const;

  // The stored pairs L<K, V> in trie order: `for (const auto& [k, v] : m)`,
  // v the stored basis::Lazy<V>. O(1) per step, stack bounded by the trie's
  // depth. Defined in hashgrove/internal/iterate.hpp.
  TrieIterator<K, V, detail::AsStoredPair<K, V>> begin() const;
  TrieIterator<K, V, detail::AsStoredPair<K, V>> end() const noexcept;

  // --- the node ---
  Kind kind() const noexcept { return static_cast<Kind>(p_->tag); }
  // BitmapIndexed: the bitmap (Full: fullBitmap).
  Bitmap bitmap() const noexcept { return p_->word; }
  // Leaf, Collision: the stored full hash.
  Hash nodeHash() const noexcept { return p_->word; }
  // BitmapIndexed, Full: the children.
  std::int64_t childCount() const noexcept { return branch()->length; }
  const HashMap* children() const noexcept { return branch()->slots(); }
  const HashMap& child(std::int64_t i) const noexcept {
    HASHGROVE_ASSERT(i >= 0 && i < childCount());
    return children()[i];
  }
  // Leaf: the pair.
  const L<K, V>& leaf() const noexcept { return static_cast<const detail::LeafBlock<K, V>*>(opaque(p_))->pair; }
  // Collision: the pairs.
  std::int64_t bucketSize() const noexcept { return bucketBlock()->length; }
  const L<K, V>* bucket() const noexcept { return bucketBlock()->slots(); }
  // The children / pairs as an array sharing this node's block.
  array::Array<HashMap> childArray() const {
    return array::Array<HashMap>::share(const_cast<detail::BranchBlock<K, V>*>(branch()));
  }
  array::Array<L<K, V>> bucketArray() const {
    return array::Array<L<K, V>>::share(const_cast<detail::BucketBlock<K, V>*>(bucketBlock()));
  }

  // The node itself: identity, and the right to write in place.
  const array::BlockHeader* node() const noexcept { return p_; }
  bool isUniqueNode() const noexcept { return p_->isUnique(); }

  // Takes over a node under no reference yet (count 0) or already counted for
  // this handle (`adoptCounted`).
  static HashMap adopt(array::BlockHeader* p) noexcept {
    p->retain();
    return HashMap(p);
  }
  static HashMap adoptCounted(array::BlockHeader* p) noexcept { return HashMap(p); }

  // Mutable access for a holder of the only reference (bulk building).
  HashMap* mutableChildren() noexcept {
    HASHGROVE_ASSERT(p_->isUnique());
    return const_cast<detail::BranchBlock<K, V>*>(branch())->slots();
  }

 private:
  explicit HashMap(array::BlockHeader* p) noexcept : p_(p) {}
  // The node as the block its kind says it is. The empty barrier hides from
  // the optimiser that a handle may point at the static 16-byte empty node,
  // which no caller reads as a branch, bucket or leaf (the kind is tested
  // first), but which would otherwise draw array-bounds warnings.
  static const array::BlockHeader* opaque(const array::BlockHeader* p) noexcept {
    __asm__("" : "+r"(p));
    return p;
  }
  const detail::BranchBlock<K, V>* branch() const noexcept {
    HASHGROVE_ASSERT(kind() == Kind::BitmapIndexed || kind() == Kind::Full);
    return static_cast<const detail::BranchBlock<K, V>*>(opaque(p_));
  }
  const detail::BucketBlock<K, V>* bucketBlock() const noexcept {
    HASHGROVE_ASSERT(kind() == Kind::Collision);
    return static_cast<const detail::BucketBlock<K, V>*>(opaque(p_));
  }
  static void drop(array::BlockHeader* p) noexcept {
    // The explicit test keeps the compiler from following a moved-from
    // handle (pointing at the static empty node) into `destroy`.
    if (p == &detail::emptyNode) return;
    if (p->release()) destroy(p);
  }
  // Frees p and every node only it kept alive, with a loop: the dead nodes
  // waiting to be freed are chained through their (no longer needed) word,
  // so a deep damaged trie cannot exhaust the stack and nothing allocates.
  static void destroy(array::BlockHeader* p) noexcept {
    p->word = 0;
    array::BlockHeader* pending = p;
    while (pending != nullptr) {
      array::BlockHeader* n = pending;
      pending = reinterpret_cast<array::BlockHeader*>(static_cast<std::uintptr_t>(n->word));
      switch (static_cast<Kind>(n->tag)) {
        case Kind::Leaf:
          delete static_cast<detail::LeafBlock<K, V>*>(n);
          break;
        case Kind::Collision:
          detail::BucketBlock<K, V>::destroy(static_cast<detail::BucketBlock<K, V>*>(n));
          break;
        case Kind::Empty:
          break;
        default: {
          auto* b = static_cast<detail::BranchBlock<K, V>*>(n);
          const HashMap* c = b->slots();
          for (std::uint32_t i = 0, e = b->length; i < e; ++i) {
            array::BlockHeader* child = c[i].p_;
            if (child != &detail::emptyNode && child->release()) {
              child->word = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pending));
              pending = child;
            }
          }
          detail::BranchBlock<K, V>::freeStorage(b);
          break;
        }
      }
    }
  }

  array::BlockHeader* p_;
};

// `ptrEq`: true exactly when x and y are the same node. O(1).
template <class K, class V>
bool ptrEq(const HashMap<K, V>& x, const HashMap<K, V>& y) noexcept {
  return x.node() == y.node();
}
// `ptrEq` of two values: the same stored object (see basis::identical).
template <class V>
bool ptrEq(const basis::Lazy<V>& x, const basis::Lazy<V>& y) noexcept {
  return basis::identical(x, y);
}

}  // namespace hashgrove::internal

namespace hashgrove::internal::array {
// Child maps and bucket pairs are held in their slots as they are.
template <class K, class V>
struct StrictElement<HashMap<K, V>> : std::true_type {
  static HashMap<K, V> undefined() { return HashMap<K, V>(); }
};
template <class K, class V>
struct StrictElement<L<K, V>> : std::true_type {
  static L<K, V> undefined()
    requires std::default_initializable<K>
  {
    return L<K, V>{K{}, basis::Lazy<V>::defer([]() -> V { throw undefinedElementError(); })};
  }
};
}  // namespace hashgrove::internal::array

namespace hashgrove::internal {

// ---------------------------------------------------------------------------
// Hash fragments

// `hash`: the key's 64 hash bits as a Hash. Throws what the key's hash throws.
template <class K>
Hash hash(const K& k) {
  return static_cast<Hash>(basis::hash(k));
}
// The fragment of h at shift s, 0 to 31 (0 past the hash's end, which only
// a damaged trie deeper than 13 levels can reach).
constexpr std::int64_t index(Hash h, Shift s) noexcept {
  return s < 64 ? static_cast<std::int64_t>((h >> s) & subkeyMask) : 0;
}
// The bitmap with the one bit of h's fragment at s.
constexpr Bitmap mask(Hash h, Shift s) noexcept { return Bitmap{1} << index(h, s); }
// The position of m's child in a packed child array: popcount(b & (m - 1)).
constexpr std::int64_t sparseIndex(Bitmap b, Bitmap m) noexcept { return std::popcount(b & (m - 1)); }
constexpr Shift nextShift(Shift s) noexcept { return s + bitsPerSubkey; }

// ---------------------------------------------------------------------------
// Node builders

namespace detail {

template <class K, class V, class KK, class VV>
HashMap<K, V> makeLeaf(Hash h, KK&& k, VV&& v) {
  return HashMap<K, V>::adopt(new LeafBlock<K, V>(h, std::forward<KK>(k), std::forward<VV>(v)));
}

template <class K, class V>
using BranchFiller = array::BlockFiller<HashMap<K, V>>;
template <class K, class V>
using BucketFiller = array::BlockFiller<L<K, V>>;

// A branch of n children (tag BitmapIndexed or Full) to fill slot by slot.
template <class K, class V>
BranchFiller<K, V> fillBranch(std::size_t n, Bitmap b) {
  return BranchFiller<K, V>(n, tagOf(b == fullBitmap ? Kind::Full : Kind::BitmapIndexed), b);
}
template <class K, class V>
HashMap<K, V> finish(BranchFiller<K, V>& f) {
  return HashMap<K, V>::adopt(f.finish());
}
template <class K, class V>
HashMap<K, V> finish(BucketFiller<K, V>& f) {
  return HashMap<K, V>::adopt(f.finish());
}
// Makes the block of `a` a node with the given tag and word: in place when
// the array handle is the block's only reference, otherwise in a copy.
template <class E, class K, class V>
HashMap<K, V> nodeFromArray(array::Array<E>&& a, Kind kind, std::uint64_t word) {
  using Blk = array::Block<E>;
  Blk* b;
  if (a.isUnique()) {
    b = a.detach();
    b->tag = tagOf(kind);
    b->word = word;
    return HashMap<K, V>::adoptCounted(b);
  }
  array::BlockFiller<E> f(static_cast<std::size_t>(a.size()), tagOf(kind), word);
  f.copyFrom(a.data(), static_cast<std::size_t>(a.size()));
  return HashMap<K, V>::adopt(f.finish());
}

}  // namespace detail

// A Leaf node with hash h holding p.
template <class K, class V>
HashMap<K, V> Leaf(Hash h, L<K, V> p) {
  return detail::makeLeaf<K, V>(h, std::move(p.key), std::move(p.value));
}
// A BitmapIndexed node with bitmap b over the children (not checked).
template <class K, class V>
HashMap<K, V> BitmapIndexed(Bitmap b, array::Array<HashMap<K, V>> children) {
  return detail::nodeFromArray<HashMap<K, V>, K, V>(std::move(children), Kind::BitmapIndexed, b);
}
// A Full node over the children (not checked).
template <class K, class V>
HashMap<K, V> Full(array::Array<HashMap<K, V>> children) {
  return detail::nodeFromArray<HashMap<K, V>, K, V>(std::move(children), Kind::Full, fullBitmap);
}
// A Collision node with hash h over the pairs (not checked).
template <class K, class V>
HashMap<K, V> Collision(Hash h, array::Array<L<K, V>> pairs) {
  return detail::nodeFromArray<L<K, V>, K, V>(std::move(pairs), Kind::Collision, h);
}

// A Full node when b == fullBitmap, else a BitmapIndexed node with bitmap b;
// the caller gives popcount(b) children in bit order.
template <class K, class V>
HashMap<K, V> bitmapIndexedOrFull(Bitmap b, array::Array<HashMap<K, V>> children) {
  if (b == fullBitmap) return Full(std::move(children));
  return BitmapIndexed(b, std::move(children));
}

// True for Leaf and Collision nodes.
template <class K, class V>
bool isLeafOrCollision(const HashMap<K, V>& t) noexcept {
  return t.kind() == Kind::Leaf || t.kind() == Kind::Collision;
}

// A Collision with hash h and the bucket [p1, p2].
template <class K, class V>
HashMap<K, V> collision(Hash h, L<K, V> p1, L<K, V> p2) {
  detail::BucketFiller<K, V> f(2, detail::tagOf(Kind::Collision), h);
  f.emplace(std::move(p1));
  f.emplace(std::move(p2));
  return detail::finish(f);
}

// ---------------------------------------------------------------------------
// Small operations on whole maps

// The empty map (the shared Empty node). O(1).
template <class K, class V>
HashMap<K, V> empty() noexcept {
  return HashMap<K, V>();
}

// A map of one pair, a Leaf; the value is stored unevaluated. O(1); hashes k
// once.
template <class K, class X, class V = typename array::detail::ElementOf<std::remove_cvref_t<X>>::type>
HashMap<K, V> singleton(const K& k, X&& v) {
  const Hash h = internal::hash(k);
  return detail::makeLeaf<K, V>(h, k, basis::Lazy<V>(std::forward<X>(v)));
}

// True exactly when the map is empty. O(1).
template <class K, class V>
bool null(const HashMap<K, V>& m) noexcept {
  return m.kind() == Kind::Empty;
}

// The number of pairs. O(n), linear in the size: nodes keep no counts, so
// every call walks the whole trie; keep the count beside the map rather than
// asking per operation (`null` is O(1)). Walks with an explicit stack, so
// even a damaged, arbitrarily deep trie is counted safely.
template <class K, class V>
std::int64_t size(const HashMap<K, V>& m) {
  std::int64_t n = 0;
  std::vector<const HashMap<K, V>*> stack{&m};
  while (!stack.empty()) {
    const HashMap<K, V>* t = stack.back();
    stack.pop_back();
    switch (t->kind()) {
      case Kind::Empty:
        break;
      case Kind::Leaf:
        n += 1;
        break;
      case Kind::Collision:
        n += t->bucketSize();
        break;
      default:
        for (std::int64_t i = 0, e = t->childCount(); i < e; ++i) stack.push_back(&t->children()[i]);
        break;
    }
  }
  return n;
}

template <class K, class V>
std::int64_t HashMap<K, V>::size() const {
  return internal::size(*this);
}

// ---------------------------------------------------------------------------
// LookupRes: a lookup's result with the key's position in its bucket.

template <class V>
class LookupRes {
 public:
  enum class Tag : std::uint8_t { Absent = 0, Present = 1 };

  // `Absent`.
  LookupRes() = default;
  // `Present` with the value (unevaluated) and the position (-1 for a Leaf).
  LookupRes(basis::Lazy<V> value, std::int64_t position)
      : value_(std::move(value)), position_(position) {}

  Tag tag() const noexcept { return value_ ? Tag::Present : Tag::Absent; }
  bool isPresent() const noexcept { return value_.has_value(); }
  const basis::Lazy<V>& value() const { return *value_; }
  std::int64_t position() const noexcept { return position_; }

 private:
  std::optional<basis::Lazy<V>> value_;
  std::int64_t position_ = 0;
};

template <class V>
LookupRes<V> Absent() {
  return LookupRes<V>();
}
template <class V>
LookupRes<V> Present(basis::Lazy<V> value, std::int64_t position) {
  return LookupRes<V>(std::move(value), position);
}

// The value of a Present result, nothing for Absent; the value unevaluated.
template <class V>
std::optional<basis::Lazy<V>> lookupResToMaybe(const LookupRes<V>& r) {
  if (!r.isPresent()) return std::nullopt;
  return r.value();
}

}  // namespace hashgrove::internal

namespace hashgrove {
using internal::HashMap;

// The tag of the type constructor `HashMap K`, for the interfaces over type
// constructors (Functor, Foldable, Traversable).
template <class K>
struct HashMapOf {
  template <class A>
  using apply = HashMap<K, A>;
};
}  // namespace hashgrove

template <class K, class V>
struct basis::TagOf<hashgrove::internal::HashMap<K, V>> {
  using type = hashgrove::HashMapOf<K>;
  using element = V;
};
