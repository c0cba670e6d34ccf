#pragma once
// Deep evaluation of maps and pairs, and the map's list conversion.
//
// `rnf` forces every key and value of a map in trie order, each key right
// before its own value; the first failure ends the walk and nothing after it
// is forced. The lifted forms take the forcing function for values (and for
// keys), which receives the value as stored (`const basis::Lazy<V>&`), so a
// function that does nothing forces no value.

#include <cstdint>
#include <ranges>
#include <utility>

#include <basis/lazy.hpp>
#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {
template <class K, class V, class FK, class FV>
void rnfNode(const HashMap<K, V>& node, FK& fk, FV& fv) {
  switch (node.kind()) {
    case Kind::Empty:
      return;
    case Kind::Leaf:
      fk(node.leaf().key);
      fv(node.leaf().value);
      return;
    case Kind::Collision: {
      const L<K, V>* p = node.bucket();
      for (std::int64_t i = 0, n = node.bucketSize(); i < n; ++i) {
        fk(p[i].key);
        fv(p[i].value);
      }
      return;
    }
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = 0, n = node.childCount(); i < n; ++i) rnfNode(c[i], fk, fv);
      return;
    }
  }
}
}  // namespace detail

// `liftRnf2` of a map: fk(key) then fv(value as stored) for every pair in
// trie order. O(n); recursion only as deep as the trie.
template <class FK, class FV, class K, class V>
void liftRnf2(FK fk, FV fv, const HashMap<K, V>& m) {
  detail::rnfNode(m, fk, fv);
}
// `liftRnf` of a map: K's own `rnf` on keys, fv on values (as stored).
template <class FV, class K, class V>
void liftRnf(FV fv, const HashMap<K, V>& m) {
  auto fk = [](const K& k) { basis::rnf(k); };
  detail::rnfNode(m, fk, fv);
}
// `liftRnf2` of a pair: fk(key), then fv(value as stored).
template <class FK, class FV, class K, class V>
void liftRnf2(FK fk, FV fv, const L<K, V>& p) {
  fk(p.key);
  fv(p.value);
}
// `liftRnf` of a pair: K's own `rnf` on the key, then fv on the value.
template <class FV, class K, class V>
void liftRnf(FV fv, const L<K, V>& p) {
  basis::rnf(p.key);
  fv(p.value);
}

// `fromListN`: `fromList` of the pairs; the count is ignored.
template <class N, std::ranges::input_range R>
auto fromListN(const N&, R&& pairs) {
  return internal::fromList(std::forward<R>(pairs));
}

}  // namespace hashgrove::internal

// rnf of a pair: the key, then the value.
template <class K, class V>
struct basis::NFData<hashgrove::internal::L<K, V>> {
  static void rnf(const hashgrove::internal::L<K, V>& p) {
    basis::rnf(p.key);
    basis::rnf(p.value);
  }
};

// rnf of a map: every key and value in trie order.
template <class K, class V>
struct basis::NFData<hashgrove::internal::HashMap<K, V>> {
  static void rnf(const hashgrove::internal::HashMap<K, V>& m) {
    hashgrove::internal::liftRnf2([](const K& k) { basis::rnf(k); },
                                  [](const basis::Lazy<V>& v) { basis::rnf(v); }, m);
  }
};

template <class K>
struct basis::NFData1<hashgrove::HashMapOf<K>> {
  template <class R, class V>
  static void liftRnf(const R& r, const hashgrove::internal::HashMap<K, V>& m) {
    hashgrove::internal::liftRnf(r, m);
  }
};

// The pair type as a type constructor: `LeafOf<K>` over the value, `LeafTag`
// over key and value, for the lifted deep evaluation of a single pair.
namespace hashgrove {
template <class K>
struct LeafOf {
  template <class V>
  using apply = internal::L<K, V>;
};
struct LeafTag {
  template <class K, class V>
  using apply = internal::L<K, V>;
};
}  // namespace hashgrove

template <class K, class V>
struct basis::TagOf<hashgrove::internal::L<K, V>> {
  using type = hashgrove::LeafOf<K>;
  using element = V;
};
template <class K, class V>
struct basis::BiTagOf<hashgrove::internal::L<K, V>> {
  using type = hashgrove::LeafTag;
  using first = K;
  using second = V;
};

// `liftRnf` of a pair: K's own `rnf` on the key, then r on the value as
// stored.
template <class K>
struct basis::NFData1<hashgrove::LeafOf<K>> {
  template <class R, class V>
  static void liftRnf(const R& r, const hashgrove::internal::L<K, V>& p) {
    hashgrove::internal::liftRnf(r, p);
  }
};

// `liftRnf2` of a pair: rk on the key, then rv on the value as stored.
template <>
struct basis::NFData2<hashgrove::LeafTag> {
  template <class RK, class RV, class K, class V>
  static void liftRnf2(const RK& rk, const RV& rv, const hashgrove::internal::L<K, V>& p) {
    hashgrove::internal::liftRnf2(rk, rv, p);
  }
};

template <>
struct basis::NFData2<hashgrove::HashMapTag> {
  template <class RK, class RV, class K, class V>
  static void liftRnf2(const RK& rk, const RV& rv, const hashgrove::internal::HashMap<K, V>& m) {
    hashgrove::internal::liftRnf2(rk, rv, m);
  }
};
