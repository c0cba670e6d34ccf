#pragma once
// The hash set: a set of elements stored as the hash map from each element to
// the unit value (namespace hashgrove::internal::set), with its operations,
// comparison, hashing, folds, monoid, text form and parser, generic view,
// expression building and deep evaluation.

#include "hashgrove/internal/set/compare.hpp"
#include "hashgrove/internal/set/foldable.hpp"
#include "hashgrove/internal/set/generic.hpp"
#include "hashgrove/internal/set/hash_set.hpp"
#include "hashgrove/internal/set/operations.hpp"
#include "hashgrove/internal/set/text.hpp"
