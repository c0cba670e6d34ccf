#pragma once
// HashMap as a two-argument type constructor (keys, values), for the
// interfaces over such constructors: Bifoldable, Eq2, Ord2, Show2, Hashable2,
// NFData2. (The one-argument form `HashMapOf<K>`, values only, is in node.hpp.)

#include <basis/bifunctor.hpp>

#include "hashgrove/internal/node.hpp"

namespace hashgrove {
struct HashMapTag {
  template <class K, class V>
  using apply = internal::HashMap<K, V>;
};
}  // namespace hashgrove

template <class K, class V>
struct basis::BiTagOf<hashgrove::internal::HashMap<K, V>> {
  using type = hashgrove::HashMapTag;
  using first = K;
  using second = V;
};
