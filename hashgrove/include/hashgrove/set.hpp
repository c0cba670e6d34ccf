#pragma once
// The hash set. Every name here is the operation of hashgrove::internal::set
// of the same name; the interfaces (basis::Show, basis::Read, basis::Hashable,
// basis::Foldable, ...) come with the type.

#include "hashgrove/internal/set.hpp"

namespace hashgrove::set {

using internal::set::HashSet;

// Construction and size.
using internal::set::empty;
using internal::set::fromList;
using internal::set::fromListN;
using internal::set::null;
using internal::set::singleton;
using internal::set::size;  // O(n): walks the whole set (no stored count); null is O(1)

// Elements.
using internal::set::delete_;
using internal::set::insert;
using internal::set::member;

// Combining sets.
using internal::set::difference;
using internal::set::intersection;
using internal::set::isSubsetOf;
using internal::set::union_;
using internal::set::unions;

// Folds, filtering, lists and mapping.
using internal::set::filter;
using internal::set::foldl;
using internal::set::foldl_;
using internal::set::foldr;
using internal::set::foldr_;
using internal::set::map;
using internal::set::toList;

// Conversions between sets and maps.
using internal::set::asMap;
using internal::set::fromMap;
using internal::set::keysSet;
using internal::set::toMap;

// Generic descriptions.
using internal::set::fromListConstr;
using internal::set::hashSetDataType;

// Comparison, hashing and deep evaluation.
using internal::set::compare;
using internal::set::hash;
using internal::set::hashWithSalt;
using internal::set::liftCompare;
using internal::set::liftEq;
using internal::set::liftHashWithSalt;
using internal::set::liftRnf;
using internal::set::liftShowsPrec;
using internal::set::max;
using internal::set::min;
using internal::set::rnf;

}  // namespace hashgrove::set
