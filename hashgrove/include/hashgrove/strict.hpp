#pragma once
// The value-strict hash map: every value an operation stores is evaluated
// first. The same `HashMap` type as hashgrove::lazy, and the same names: the
// value-storing operations are those of hashgrove::internal::strict, every
// other name is hashgrove::lazy's (qualified lookup finds a name declared
// here before one of the namespace it uses). A map built by one namespace's
// operations is used by the other's freely.

#include "hashgrove/internal/strict.hpp"
#include "hashgrove/lazy.hpp"

namespace hashgrove::strict {

using namespace hashgrove::lazy;

// Construction.
using internal::strict::fromList;
using internal::strict::fromListWith;
using internal::strict::fromListWithKey;
using internal::strict::singleton;

// Single-key updates.
using internal::strict::adjust;
using internal::strict::alter;
using internal::strict::alterF;
using internal::strict::insert;
using internal::strict::insertWith;
using internal::strict::update;

// Combining two maps.
using internal::strict::differenceWith;
using internal::strict::intersectionWith;
using internal::strict::intersectionWithKey;
using internal::strict::unionWith;
using internal::strict::unionWithKey;

// Whole-map walks.
using internal::strict::map;
using internal::strict::mapMaybe;
using internal::strict::mapMaybeWithKey;
using internal::strict::mapWithKey;
using internal::strict::traverseWithKey;

}  // namespace hashgrove::strict
