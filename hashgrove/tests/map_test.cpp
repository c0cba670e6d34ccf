// Value mapping and key mapping: the shape is kept, values are deferred, the
// replaced value is the very object given, key mapping resolves equal new
// keys by trie order, and the Functor of maps.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/functor.hpp>
#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using basis::Lazy;
using testing::build;
using testing::failing;
using testing::Key;
using testing::key;
using testing::Pairs;
using testing::sameShape;
using testing::trieOrder;
using Map = HashMap<Key, int>;

static_assert(basis::FunctorTag<HashMapOf<Key>>);

// A map with a Full root, nested branches and a bucket: hashes 0..31 fill the
// root; 32 and 64 share fragment 0 with 0; key 200 collides with key 8.
Map mixedShapes() {
  Pairs ps = testing::consecutive(32);
  ps.push_back({key(32), 32});
  ps.push_back({key(64), 64});
  ps.push_back({key(200, 8), 200});
  return build(ps);
}

TEST(ValueMapping, KeepsTheShapeAndBuildsEveryNodeAnew) {
  const Map m = mixedShapes();
  ASSERT_EQ(m.kind(), Kind::Full);
  const auto strings = map([](int v) { return std::to_string(v); }, m);
  EXPECT_TRUE(sameShape(m, strings));
  EXPECT_TRUE(testing::isValid(strings));
  for (const auto& [k, v] : strings) EXPECT_EQ(v.force(), std::to_string(k.id == 200 ? 200 : k.id));
  const auto same = map([](int v) { return v; }, m);
  EXPECT_FALSE(testing::sharesANode(m, same));
  const auto keyed = mapWithKey([](const Key& k, int v) { return k.id * 1000 + v; }, m);
  EXPECT_TRUE(sameShape(m, keyed));
  for (const auto& [k, v] : keyed) EXPECT_EQ(v.force(), k.id * 1001);
}

TEST(ValueMapping, RunsTheFunctionOnlyForValuesThatAreRead) {
  int calls = 0;
  const Map m = build(testing::consecutive(100));
  const auto mapped = map(
      [&](int v) {
        ++calls;
        if (v == 7) throw std::runtime_error("seven");
        return v * 2;
      },
      m);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lookup(key(3), mapped)->force(), 6);
  EXPECT_EQ(lookup(key(3), mapped)->force(), 6);
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(lookup(key(7), mapped)->force(), std::runtime_error);
  EXPECT_EQ(lookup(key(8), mapped)->force(), 16);
  // The old values are read only through the mapping: a failing old value
  // fails only its own new value.
  Map withFailing = insert(key(5), failing(), m);
  const auto plusOne = map([](int v) { return v + 1; }, withFailing);
  EXPECT_THROW(lookup(key(5), plusOne)->force(), std::runtime_error);
  EXPECT_EQ(lookup(key(6), plusOne)->force(), 7);
}

TEST(ValueMapping, EmptyMapGivesTheSharedEmptyNode) {
  const Map empty;
  EXPECT_EQ(map([](int v) { return v; }, empty).node(), empty.node());
  EXPECT_EQ(replace(1, empty).node(), empty.node());
}

TEST(ValueMapping, ReplaceStoresTheGivenObjectEverywhere) {
  const Map m = mixedShapes();
  const Lazy<std::string> x = Lazy<std::string>::defer([] { return std::string("x"); });
  const auto replaced = replace(x, m);
  EXPECT_TRUE(sameShape(m, replaced));
  EXPECT_FALSE(x.isEvaluated());
  for (const auto& [k, v] : replaced) EXPECT_TRUE(basis::identical(v, x));
  // Through the Functor interface.
  const auto units = basis::replace(basis::unit, m);
  EXPECT_EQ(size(units), size(m));
  const auto doubled = basis::fmap([](int v) { return 2 * v; }, m);
  EXPECT_EQ(lookup(key(31), doubled)->force(), 62);
}

TEST(KeyMapping, LaterPairInTrieOrderWinsOnEqualNewKeys) {
  const Map m = mixedShapes();
  std::int64_t lastId = -1;
  int lastValue = 0;
  for (const auto& [k, v] : m) {
    lastId = k.id;
    lastValue = v.force();
  }
  const HashMap<int, int> one = mapKeys([](const Key&) { return 0; }, m);
  ASSERT_EQ(size(one), 1);
  EXPECT_EQ(lookup(0, one)->force(), lastValue);
  EXPECT_EQ(lastId, 31);
}

RC_GTEST_PROP(KeyMapping, InjectiveFunctionRebuildsByTheNewHashes, ()) {
  const Pairs ps = *testing::genPairs();
  const Map m = build(ps);
  // New keys with new hashes (an odd multiplier is a bijection on words).
  auto rekey = [](const Key& k) { return Key{k.id + 1000000, k.hash * 0x9e3779b97f4a7c15ULL + 1}; };
  const Map rekeyed = mapKeys(rekey, m);
  RC_ASSERT(size(rekeyed) == size(m));
  RC_ASSERT(testing::isValid(rekeyed));
  for (const auto& [k, v] : m) {
    const auto found = lookup(rekey(k), rekeyed);
    RC_ASSERT(found.has_value());
    RC_ASSERT(found->force() == v.force());
  }
}

TEST(KeyMapping, FailsWhileBuildingWhenTheFunctionFailsAndKeepsValuesUnforced) {
  Map m = build(testing::consecutive(10));
  EXPECT_THROW(mapKeys(
                   [](const Key& k) {
                     if (k.id == 4) throw std::runtime_error("no key for 4");
                     return k.id;
                   },
                   m),
               std::runtime_error);
  m = insert(key(3), failing(), m);
  const HashMap<std::int64_t, int> byId = mapKeys([](const Key& k) { return k.id; }, m);
  EXPECT_EQ(size(byId), 10);
  EXPECT_THROW(lookup(std::int64_t{3}, byId)->force(), std::runtime_error);
}

}  // namespace
}  // namespace hashgrove::internal
