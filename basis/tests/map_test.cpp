// The ordered and integer maps, and the interfaces of Seq.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <basis/map.hpp>
#include <basis/seq_interfaces.hpp>

namespace {

using basis::IntMap;
using basis::Map;
using basis::Seq;

TEST(Map, KeepsKeysInOrderAndTheLastOfEqualKeys) {
  auto m = Map<std::string, int>::fromList(std::vector<std::pair<std::string, int>>{{"b", 1}, {"a", 2}, {"b", 3}});
  EXPECT_EQ(m.size(), 2u);
  EXPECT_EQ(m.lookup("b")->force(), 3);
  EXPECT_FALSE(m.lookup("c"));
  EXPECT_EQ(basis::toList(m).toVector(), (std::vector<int>{2, 3}));
  EXPECT_TRUE(m == (Map<std::string, int>{{"a", 2}, {"b", 3}}));
  EXPECT_FALSE(m == (Map<std::string, int>{{"a", 2}}));
}

TEST(Map, MapsLazilyWithAndWithoutKeys) {
  IntMap<int> m{{1, 10}, {2, 20}};
  int calls = 0;
  auto f = basis::fmap([&calls](int v) { return ++calls, v + 1; }, m);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(f.lookup(2)->force(), 21);
  EXPECT_EQ(calls, 1);
  auto g = basis::imap([](std::int64_t k, int v) { return k * v; }, m);
  EXPECT_EQ(basis::toList(g).toVector(), (std::vector<std::int64_t>{10, 40}));
  auto t = basis::traverse([](int v) { return v > 0 ? std::optional<int>(v) : std::nullopt; }, m);
  EXPECT_TRUE(t && *t == m);
  EXPECT_EQ(basis::foldr([](const auto& v, const basis::Lazy<int>& r) { return v + 2 * r.force(); }, 0, m), 50);
}

TEST(SeqInterfaces, MapFoldAndIndexFrontToBack) {
  Seq<int> s{1, 2, 3};
  EXPECT_EQ(basis::fmap([](int x) { return x * 2; }, s), (Seq<int>{2, 4, 6}));
  EXPECT_EQ(basis::imap([](std::int64_t i, int x) { return i + x; }, s), (Seq<std::int64_t>{1, 3, 5}));
  EXPECT_EQ(basis::toList(s).toVector(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(basis::length(s), 3);
  auto t = basis::traverse([](int x) { return std::optional<int>(x); }, s);
  EXPECT_TRUE(t && *t == s);
}

}  // namespace
