// Maps and sets whose keys and values are themselves maps and sets: every
// operation compiles for them (the library's own names, called inside it,
// must not pick up the operation of the same name for sets or maps through
// the argument types) and behaves as it does over plain keys.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include <basis/hashable.hpp>
#include <basis/nfdata.hpp>
#include <basis/read.hpp>
#include <basis/semigroup.hpp>
#include <basis/show.hpp>
#include <hashgrove/lazy.hpp>
#include <hashgrove/set.hpp>
#include <hashgrove/strict.hpp>

namespace {

namespace lazy = hashgrove::lazy;
namespace strict = hashgrove::strict;
namespace set = hashgrove::set;
using hashgrove::HashMap;
using hashgrove::HashSet;

using Ints = HashSet<std::int64_t>;
using IntMap = HashMap<std::int64_t, std::int64_t>;

// The i-th of a family of distinct values of each type: a number, or a map
// or set holding the i-th and (i+1)-th values of its own element types.
template <class T>
struct Sample;
template <>
struct Sample<std::int64_t> {
  static std::int64_t at(std::int64_t i) { return i; }
};
template <class T>
struct Sample<HashSet<T>> {
  static HashSet<T> at(std::int64_t i) {
    return set::fromList(std::vector<T>{Sample<T>::at(i), Sample<T>::at(i + 1)});
  }
};
template <class K, class V>
struct Sample<HashMap<K, V>> {
  static HashMap<K, V> at(std::int64_t i) {
    return lazy::fromList(std::vector<std::pair<K, V>>{{Sample<K>::at(i), Sample<V>::at(i)},
                                                       {Sample<K>::at(i + 1), Sample<V>::at(i + 2)}});
  }
};
template <class T>
T sample(std::int64_t i) {
  return Sample<T>::at(i);
}

// The map operations, lazy and strict, over keys K and values V.
template <class K, class V>
void exerciseMap() {
  using M = HashMap<K, V>;
  using Pairs = std::vector<std::pair<K, V>>;
  const Pairs pairs = {{sample<K>(1), sample<V>(1)}, {sample<K>(3), sample<V>(3)},
                       {sample<K>(5), sample<V>(5)}};
  const M m = lazy::fromList(pairs);
  const M s = strict::fromList(pairs);
  EXPECT_EQ(m, s);
  EXPECT_EQ(lazy::size(m), 3);
  EXPECT_EQ(lazy::lookup(sample<K>(3), m), std::optional<V>(sample<V>(3)));
  EXPECT_FALSE(lazy::member(sample<K>(2), m));
  const auto first = [](const auto& a, const auto&) { return a; };

  const M grown = lazy::insert(sample<K>(2), sample<V>(2), m);
  EXPECT_EQ(strict::insert(sample<K>(2), sample<V>(2), m), grown);
  EXPECT_EQ(lazy::delete_(sample<K>(2), grown), m);
  EXPECT_EQ(lazy::insertWith(first, sample<K>(1), sample<V>(7), m), lazy::insert(sample<K>(1), sample<V>(7), m));
  EXPECT_EQ(strict::insertWith(first, sample<K>(1), sample<V>(7), m), lazy::insert(sample<K>(1), sample<V>(7), m));
  EXPECT_EQ(lazy::fromListWith(first, pairs), m);
  EXPECT_EQ(hashgrove::internal::fromListN(3, pairs), m);
  EXPECT_EQ(strict::fromListWith(first, pairs), m);
  EXPECT_EQ(lazy::singleton(sample<K>(1), sample<V>(1)), strict::singleton(sample<K>(1), sample<V>(1)));
  const auto toSeven = [](const auto&) { return sample<V>(7); };
  EXPECT_EQ(lazy::adjust(toSeven, sample<K>(1), m), lazy::insert(sample<K>(1), sample<V>(7), m));
  EXPECT_EQ(strict::adjust(toSeven, sample<K>(1), m), lazy::insert(sample<K>(1), sample<V>(7), m));
  const auto gone = [](const auto&) { return std::optional<V>(); };
  EXPECT_EQ(lazy::alter(gone, sample<K>(1), m), lazy::delete_(sample<K>(1), m));
  EXPECT_EQ(strict::alter(gone, sample<K>(1), m), lazy::delete_(sample<K>(1), m));
  EXPECT_EQ(lazy::update(gone, sample<K>(1), m), lazy::delete_(sample<K>(1), m));
  EXPECT_EQ(strict::update(gone, sample<K>(1), m), lazy::delete_(sample<K>(1), m));

  EXPECT_EQ(lazy::union_(m, grown), grown);
  EXPECT_EQ(lazy::unions(std::vector<M>{m, grown, s}), grown);
  EXPECT_EQ(lazy::unionWith(first, m, grown), grown);
  EXPECT_EQ(strict::unionWith(first, m, grown), grown);
  EXPECT_EQ(lazy::intersection(m, grown), m);
  EXPECT_EQ(lazy::intersectionWith(first, m, grown), m);
  EXPECT_EQ(strict::intersectionWith(first, m, grown), m);
  EXPECT_EQ(lazy::difference(grown, m), lazy::singleton(sample<K>(2), sample<V>(2)));
  EXPECT_EQ(lazy::differenceWith([](const auto&, const auto&) { return std::optional<V>(); }, grown, m),
            lazy::singleton(sample<K>(2), sample<V>(2)));
  EXPECT_TRUE(lazy::isSubmapOf(m, grown));
  EXPECT_EQ(basis::mappend(m, grown), grown);

  const auto same = [](const auto& v) { return v; };
  EXPECT_EQ(lazy::map(same, m), m);
  EXPECT_EQ(strict::map(same, m), m);
  EXPECT_EQ(lazy::mapWithKey([](const auto&, const auto& v) { return v; }, m), m);
  EXPECT_EQ(lazy::mapKeys(same, m), m);
  EXPECT_EQ(lazy::mapKeys([](const K&) { return sample<K>(0); }, m).size(), 1);
  EXPECT_EQ(lazy::filter([](const auto&) { return true; }, m), m);
  EXPECT_EQ(lazy::filterWithKey([](const K& k, const auto&) { return k == sample<K>(3); }, m),
            lazy::singleton(sample<K>(3), sample<V>(3)));
  const auto kept = [](const auto& v) { return std::optional<V>(v); };
  EXPECT_EQ(lazy::mapMaybe(kept, m), m);
  EXPECT_EQ(strict::mapMaybe(kept, m), m);
  EXPECT_EQ(lazy::foldr([](const auto&, std::int64_t n) { return n + 1; }, std::int64_t{0}, m), 3);
  EXPECT_EQ(lazy::foldrWithKey([](const K&, const auto&, std::int64_t n) { return n + 1; }, std::int64_t{0}, m),
            3);
  EXPECT_EQ(std::ranges::distance(lazy::keys(m)), 3);
  EXPECT_EQ(std::ranges::distance(lazy::elems(m)), 3);
  EXPECT_EQ(lazy::fromList(lazy::toList(m)), m);
  EXPECT_EQ(set::toMap(set::keysSet(m)).size(), 3);

  EXPECT_EQ(basis::compare(m, m), basis::Ordering::EQ);
  EXPECT_EQ(basis::hash(m), basis::hash(s));
  basis::rnf(m);
  const std::string shown = basis::show(m);
  EXPECT_EQ(basis::read<M>(shown), std::optional<M>(m)) << shown;
  EXPECT_EQ(basis::read<M>("(" + shown + ")"), std::optional<M>(m)) << shown;
}

// The set operations over elements T.
template <class T>
void exerciseSet() {
  using S = HashSet<T>;
  const std::vector<T> xs = {sample<T>(1), sample<T>(3), sample<T>(5)};
  const S a = set::fromList(xs);
  const S b = set::insert(sample<T>(2), a);
  EXPECT_EQ(set::size(a), 3);
  EXPECT_TRUE(set::member(sample<T>(2), b));
  EXPECT_EQ(set::delete_(sample<T>(2), b), a);
  EXPECT_EQ(set::fromListN(3, xs), a);
  EXPECT_EQ(set::union_(a, b), b);
  EXPECT_EQ(set::unions(std::vector<S>{a, b}), b);
  EXPECT_EQ(set::intersection(a, b), a);
  EXPECT_EQ(set::difference(b, a), set::singleton(sample<T>(2)));
  EXPECT_TRUE(set::isSubsetOf(a, b));
  EXPECT_EQ(set::map([](const T& x) { return x; }, a), a);
  EXPECT_EQ(set::filter([](const T&) { return true; }, a), a);
  EXPECT_EQ(set::foldr([](const T&, std::int64_t n) { return n + 1; }, std::int64_t{0}, a), 3);
  EXPECT_EQ(set::fromList(set::toList(a)), a);
  EXPECT_EQ(set::fromMap(set::toMap(a)), a);
  EXPECT_EQ(set::keysSet(set::toMap(a)), a);
  EXPECT_EQ(basis::mappend(a, b), b);
  EXPECT_EQ(basis::compare(a, a), basis::Ordering::EQ);
  EXPECT_EQ(basis::hash(a), basis::hash(set::fromList(xs)));
  basis::rnf(a);
  const std::string shown = basis::show(a);
  EXPECT_EQ(basis::read<S>(shown), std::optional<S>(a)) << shown;
}

TEST(NestedContainers, MapsOfSetsAndMaps) {
  exerciseMap<std::int64_t, Ints>();
  exerciseMap<Ints, std::int64_t>();
  exerciseMap<IntMap, Ints>();
  exerciseMap<HashSet<Ints>, HashMap<Ints, IntMap>>();
}

TEST(NestedContainers, SetsOfSetsAndMaps) {
  exerciseSet<Ints>();
  exerciseSet<IntMap>();
  exerciseSet<HashMap<Ints, HashSet<Ints>>>();
}

TEST(NestedContainers, TheTextsOfMapsOfSetsReadBack) {
  using M = HashMap<std::int64_t, Ints>;
  const auto m = basis::read<M>("fromList [(1,fromList [2])]");
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(*m, lazy::singleton(std::int64_t{1}, set::singleton(std::int64_t{2})));
  EXPECT_EQ(lazy::mapKeys([](std::int64_t x) { return x + 1; }, *m),
            lazy::singleton(std::int64_t{2}, set::singleton(std::int64_t{2})));
  const auto ss = basis::read<HashSet<Ints>>("fromList [fromList [1,2],fromList []]");
  ASSERT_TRUE(ss.has_value());
  EXPECT_EQ(set::size(*ss), 2);
  using Nested = HashMap<IntMap, Ints>;
  const Nested one = lazy::singleton(lazy::singleton(std::int64_t{1}, std::int64_t{2}), set::singleton(std::int64_t{3}));
  EXPECT_EQ(basis::read<Nested>("fromList [(fromList [(1,2)],fromList [3])]"), std::optional<Nested>(one));
}

}  // namespace
