#pragma once
// Support for the tests of the two-map operations: keys from a small hash
// range (so that leaves, buckets and branches meet at every depth), random
// maps beside a std::unordered_map model, and the checks every result gets.

#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::testing::algebra {

using internal::HashMap;
using Map = HashMap<Key, int>;
using Model = std::unordered_map<std::int64_t, int>;

inline constexpr std::int64_t kIdCount = 128;

// The hash of key id. Ids 0..39 spread over every root fragment (32..39 share
// fragments 0..7 and split one level down); ids 40..87 take the hashes 0..15,
// three ids each, so they form buckets and meet the leaves of ids 0..15; ids
// 88..127 have hashes that agree up to bit 55 and split deep down, at shift
// 55 or 60, some of them colliding.
inline std::uint64_t hashOfId(std::int64_t id) {
  if (id < 40) return static_cast<std::uint64_t>(id);
  if (id < 88) return static_cast<std::uint64_t>((id - 40) / 3);
  const auto d = static_cast<std::uint64_t>(id - 88);
  return (std::uint64_t{1} << 63) | ((d % 5) << 55) | ((d / 5) % 3);
}

inline Key idKey(std::int64_t id, int tag = 0) { return Key{id, hashOfId(id), tag}; }

// A map and its model, built from the same pairs in the same order.
struct Sample {
  Map map;
  Model model;
};

inline Sample build(const std::vector<std::pair<std::int64_t, int>>& pairs, int tag = 0) {
  Sample s;
  for (const auto& [id, v] : pairs) {
    s.map = internal::insert(idKey(id, tag), v, s.map);
    s.model[id] = v;
  }
  return s;
}

// The trie's invariants hold, and the map holds exactly the model's pairs.
inline ::testing::AssertionResult holdsExactly(const Map& m, const Model& model) {
  const auto validity = internal::debug::valid(m);
  if (!validity.isValid()) return ::testing::AssertionFailure() << "invalid trie";
  if (internal::size(m) != static_cast<std::int64_t>(model.size())) {
    return ::testing::AssertionFailure() << "size " << internal::size(m) << ", model " << model.size();
  }
  for (const auto& [id, v] : model) {
    const auto found = internal::lookup(idKey(id), m);
    if (!found) return ::testing::AssertionFailure() << "key " << id << " missing";
    if (found->force() != v) {
      return ::testing::AssertionFailure() << "key " << id << " holds " << found->force() << ", model " << v;
    }
  }
  return ::testing::AssertionSuccess();
}

// A generator of pair lists over the small id range: sparse or dense, and
// sometimes holding every id 0..31 so that the root is Full.
inline rc::Gen<std::vector<std::pair<std::int64_t, int>>> genPairs() {
  return rc::gen::exec([] {
    auto pairs = *rc::gen::container<std::vector<std::pair<std::int64_t, int>>>(
        rc::gen::pair(rc::gen::inRange<std::int64_t>(0, kIdCount), rc::gen::inRange(-100, 100)));
    if (*rc::gen::inRange(0, 4) == 0) {
      for (std::int64_t id = 0; id < 32; ++id) pairs.emplace_back(id, static_cast<int>(id));
    }
    return pairs;
  });
}

// Two samples: independent, or the second derived from the first by a few
// insertions (so that the two tries share subtrees).
inline std::pair<Sample, Sample> genTwoSamples() {
  Sample a = build(*genPairs(), 1);
  if (*rc::gen::inRange(0, 3) == 0) {
    Sample b{a.map, a.model};
    const auto extra = *genPairs();
    for (const auto& [id, v] : extra) {
      b.map = internal::insert(idKey(id, 2), v, b.map);
      b.model[id] = v;
    }
    return {std::move(a), std::move(b)};
  }
  Sample b = build(*genPairs(), 2);
  return {std::move(a), std::move(b)};
}

}  // namespace hashgrove::testing::algebra
