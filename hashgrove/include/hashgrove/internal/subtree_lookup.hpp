#pragma once
// The search for a key by a hash already known, started below the root: the
// two-map walks (intersection, sub-map test) use it to look a key of one map
// up in the subtree of the other that sits at the same place.

#include <cstdint>

#include <basis/lazy.hpp>

#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal::detail {

// The value bound to k (whose full hash is h) in the subtree t that sits at
// shift s, or null. Compares hashes before keys, the searched key first.
// Allocates nothing; never forces a value.
template <class K, class V>
const basis::Lazy<V>* lookupInSubtree(Hash h, const K& k, const HashMap<K, V>& subtree, Shift s) {
  const HashMap<K, V>* t = &subtree;
  for (;;) {
    switch (t->kind()) {
      case Kind::Empty:
        return nullptr;
      case Kind::BitmapIndexed: {
        const Bitmap b = t->bitmap();
        const Bitmap m = mask(h, s);
        if ((b & m) == 0) return nullptr;
        t = &t->children()[sparseIndex(b, m)];
        s = nextShift(s);
        break;
      }
      case Kind::Full:
        t = &t->children()[index(h, s)];
        s = nextShift(s);
        break;
      case Kind::Leaf:
        if (t->nodeHash() == h && k == t->leaf().key) return &t->leaf().value;
        return nullptr;
      case Kind::Collision: {
        if (t->nodeHash() != h) return nullptr;
        const L<K, V>* pairs = t->bucket();
        for (std::int64_t i = 0, n = t->bucketSize(); i < n; ++i) {
          if (k == pairs[i].key) return &pairs[i].value;
        }
        return nullptr;
      }
      default:
        return nullptr;
    }
  }
}

}  // namespace hashgrove::internal::detail
