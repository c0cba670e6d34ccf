#pragma once
// The hash array mapped trie: its nodes, buckets and single-key operations
// (namespace hashgrove::internal).

#include "hashgrove/internal/adjust.hpp"
#include "hashgrove/internal/alter.hpp"
#include "hashgrove/internal/array.hpp"
#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/delete.hpp"
#include "hashgrove/internal/filter.hpp"
#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/insert.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/lookup.hpp"
#include "hashgrove/internal/map.hpp"
#include "hashgrove/internal/node.hpp"
#include "hashgrove/internal/traverse.hpp"
