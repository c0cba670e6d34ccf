#pragma once
// The value-lazy hash map: values are stored unevaluated (basis::Lazy).
// Every name here is the operation of hashgrove::internal of the same name.

#include "hashgrove/internal.hpp"

namespace hashgrove::lazy {

using internal::HashMap;

// Construction and size.
using internal::empty;
using internal::fromList;
using internal::fromListWith;
using internal::fromListWithKey;
using internal::null;
using internal::singleton;
using internal::size;  // O(n): walks the whole map (no stored count); null is O(1)

// Lookup.
using internal::at;
using internal::atMaybe;
using internal::findWithDefault;
using internal::lookup;
using internal::lookupDefault;
using internal::member;

// Single-key updates.
using internal::adjust;
using internal::alter;
using internal::alterF;
using internal::delete_;
using internal::insert;
using internal::insertWith;
using internal::update;

// Combining two maps.
using internal::difference;
using internal::differenceWith;
using internal::intersection;
using internal::intersectionWith;
using internal::intersectionWithKey;
using internal::isSubmapOf;
using internal::isSubmapOfBy;
using internal::union_;
using internal::unions;
using internal::unionWith;
using internal::unionWithKey;

// Folds and lists (trie order).
using internal::elems;
using internal::foldl;
using internal::foldl_;
using internal::foldlWithKey;
using internal::foldlWithKey_;
using internal::foldMapWithKey;
using internal::foldr;
using internal::foldr_;
using internal::foldrWithKey;
using internal::foldrWithKey_;
using internal::keys;
using internal::toList;

// Mapping, filtering, traversal.
using internal::compose;
using internal::filter;
using internal::filterWithKey;
using internal::map;
using internal::mapKeys;
using internal::mapMaybe;
using internal::mapMaybeWithKey;
using internal::mapWithKey;
using internal::traverseWithKey;

}  // namespace hashgrove::lazy
