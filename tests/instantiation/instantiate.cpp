// Uses of the public templates that compile with one compiler and not
// another: a header can be correct C++20 on its own and still fail only when
// a template in it is instantiated. Built (and run) beside the one-header
// units; each check prints what differed and the program fails.
#include <cstdint>
#include <iostream>
#include <optional>
#include <random>
#include <ranges>
#include <string>
#include <vector>

#include <basis/foldable1.hpp>
#include <basis/map.hpp>
#include <basis/non_empty.hpp>
#include <basis/seq.hpp>
#include <basis/show.hpp>
#include <hashgrove/internal.hpp>
#include <hashgrove/lazy.hpp>
#include <hashgrove/set.hpp>
#include <juxtor/juxtor.hpp>
#include <knotloom/knotloom.hpp>
#include <stampwell/stampwell.hpp>

namespace {

int failures = 0;

template <class A, class B>
void check(const char* what, const A& got, const B& expected) {
  if (got == expected) return;
  ++failures;
  std::cerr << what << ": not as expected\n";
}

namespace hm = hashgrove::lazy;
using Map = hashgrove::HashMap<std::int64_t, std::string>;

// The map's ranges are views, and the view members read the map.
static_assert(std::ranges::view<decltype(hm::toList(std::declval<const Map&>()))>);
static_assert(std::ranges::forward_range<decltype(hm::keys(std::declval<const Map&>()))>);
static_assert(std::ranges::view<decltype(hashgrove::internal::leavesAndCollisions(std::declval<const Map&>()))>);
static_assert(std::ranges::view<stampwell::RandomUUIDs<std::mt19937_64>>);

void maps() {
  const Map m = hm::fromList(std::vector<std::pair<std::int64_t, std::string>>{{1, "a"}, {2, "b"}});
  const Map same = hm::insert(2, std::string("b"), hm::singleton(std::int64_t{1}, std::string("a")));
  check("map ==", m == same, true);
  check("map compare", basis::compare(m, same), basis::EQ);
  check("keys of the empty map, empty()", hm::keys(Map()).empty(), true);
  check("keys, front()", hm::keys(hm::singleton(std::int64_t{7}, std::string("x"))).front(), 7);
  check("leaves, operator bool", static_cast<bool>(hashgrove::internal::leavesAndCollisions(m)), true);
  check("mapKeys", hm::mapKeys([](std::int64_t k) { return k * 10; }, m),
        hm::fromList(std::vector<std::pair<std::int64_t, std::string>>{{10, "a"}, {20, "b"}}));
  check("show of a set", basis::show(hashgrove::set::fromList(std::vector<std::int64_t>{5})), std::string("fromList [5]"));
  const auto a = hashgrove::internal::array::fromList(2, std::vector<int>{3, 4});
  check("show of an array", basis::show(a), std::string("[3,4]"));
}

void sequences() {
  const basis::NonEmpty<int> xs{1, {2, 3}};
  check("traverse1",
        basis::Traversable1<basis::NonEmptyTag>::traverse1([](int v) { return std::optional<int>(v * 2); }, xs),
        std::optional<basis::NonEmpty<int>>(basis::NonEmpty<int>{2, {4, 6}}));
  check("toNonEmpty", basis::Foldable1<basis::NonEmptyTag>::toNonEmpty(xs), xs);
  const auto ints = basis::Seq<int>::fromRange(std::vector<int>{1, 2, 3});
  const auto texts = basis::Seq<std::string>::fromRange(std::vector<std::string>{"a", "b"});
  check("zipWith of two element types",
        juxtor::zipWith([](int i, const std::string& s) { return s + std::to_string(i); }, ints, texts).toVector(),
        std::vector<std::string>{"a1", "b2"});
  const basis::Map<std::string, int> m{{"a", 1}, {"b", 2}};
  check("fmap over a Map", basis::fmap([](int v) { return v + 1; }, m), (basis::Map<std::string, int>{{"a", 2}, {"b", 3}}));
}

void others() {
  using Nat = knotloom::Fix<basis::OptionalTag>;
  const Nat zero{std::optional<Nat>()};
  const Nat one{std::optional<Nat>(zero)};
  check("Fix ==", one == Nat{std::optional<Nat>(zero)}, true);
  check("read of a Fix text", basis::read<Nat>("Fix (Just (Fix Nothing))"), std::optional<Nat>(one));
  using Rose = knotloom::Fix<basis::VectorTag>;
  const Rose leaf{std::vector<Rose>{}};
  check("read of a rose tree", basis::read<Rose>("Fix [Fix [],(Fix [])]"), std::optional<Rose>(Rose{std::vector<Rose>{leaf, leaf}}));
  const auto uuids = stampwell::randoms(std::mt19937_64(1));
  check("randoms, front()", uuids.front(), stampwell::random(std::mt19937_64(1)).first);
  check("randoms, empty()", uuids.empty(), false);
}

}  // namespace

int main() {
  maps();
  sequences();
  others();
  return failures == 0 ? 0 : 1;
}
