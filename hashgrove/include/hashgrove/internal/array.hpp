#pragma once
// The small arrays under the trie (namespace hashgrove::internal::array):
// blocks, creation, access, copies and updates, then traversals and folds,
// then the text form, deep evaluation and expression building.

#include "hashgrove/internal/array_block.hpp"
#include "hashgrove/internal/array_folds.hpp"
#include "hashgrove/internal/array_interfaces.hpp"
