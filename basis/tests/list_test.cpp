#include "basis/list.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using basis::ErrorCall;
using basis::Lazy;
using basis::List;

static_assert(std::ranges::input_range<List<int>>);
static_assert(std::is_same_v<std::ranges::range_value_t<List<std::string>>, std::string>);

// The natural numbers from n, produced on demand; counts the cells built.
List<std::int64_t> from(std::int64_t n, std::shared_ptr<int> built) {
  ++*built;
  return List<std::int64_t>::cons(n, List<std::int64_t>::lazy([n, built] { return from(n + 1, built); }));
}

TEST(List, RightFoldOverAnInfiniteListStopsEarly) {
  auto built = std::make_shared<int>(0);
  auto nats = from(0, built);
  auto sumBelow10 = basis::foldr(
      [](const Lazy<std::int64_t>& x, const Lazy<std::int64_t>& rest) -> std::int64_t {
        return x.force() >= 10 ? 0 : x.force() + rest.force();
      },
      std::int64_t{0}, nats);
  EXPECT_EQ(sumBelow10, 45);
  EXPECT_EQ(*built, 11);
  // The cells are shared: folding again builds nothing new.
  basis::foldr([](std::int64_t x, const Lazy<bool>& rest) { return x >= 10 || rest.force(); }, false,
               nats);
  EXPECT_EQ(*built, 11);
}

TEST(List, RepeatIsCyclicAndEndless) {
  auto ones = List<int>::repeat(1);
  auto first = ones.uncons();
  ASSERT_TRUE(first);
  auto second = first->second.uncons();
  ASSERT_TRUE(second);
  // One cell in a ring: every step reads the same stored element.
  EXPECT_EQ(first->first.cellAddress(), second->first.cellAddress());
  EXPECT_FALSE(basis::null(ones));
  EXPECT_TRUE(basis::elem(1, ones));
  EXPECT_EQ(basis::sum(ones.take(100'000)), 100'000);
  auto cyc = List<int>::cycle(List<int>::fromRange({1, 2, 3}));
  EXPECT_EQ(cyc.take(7).toVector(), (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
  EXPECT_THROW(List<int>::cycle(List<int>()), ErrorCall);
}

TEST(List, IteratesAsAnInputRangeForcingEachHeadWhenReached) {
  auto xs = List<int>::cons(Lazy<int>(1), List<int>::cons(Lazy<int>::raise(std::runtime_error("2")),
                                                          List<int>()));
  auto it = xs.begin();
  EXPECT_EQ(*it, 1);
  ++it;
  EXPECT_FALSE(it == xs.end());
  EXPECT_THROW(*it, std::runtime_error);
  ++it;
  EXPECT_TRUE(it == xs.end());
  // Unforced heads leave length and null undisturbed.
  EXPECT_EQ(basis::length(xs), 2);
  std::vector<std::string> out;
  for (const std::string& s : List<std::string>::fromRange({"a", "b"})) out.push_back(s);
  EXPECT_EQ(out, (std::vector<std::string>{"a", "b"}));
}

TEST(List, HeadAndTailOfTheEmptyListRaise) {
  struct Case {
    std::function<void()> run;
    const char* message;
  };
  const Case cases[] = {{[] { List<int>().head(); }, "Prelude.head: empty list"},
                        {[] { List<int>().tail(); }, "Prelude.tail: empty list"}};
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << c.message;
    } catch (const ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(List, MappingIsLazyPerCellAndPerElement) {
  int applied = 0;
  auto built = std::make_shared<int>(0);
  auto doubled = basis::fmap(
      [&](std::int64_t x) {
        ++applied;
        return x * 2;
      },
      from(0, built));
  EXPECT_EQ(applied, 0);
  EXPECT_EQ(doubled.take(3).toVector(), (std::vector<std::int64_t>{0, 2, 4}));
  EXPECT_EQ(applied, 3);
  // A failing element fails only when read.
  auto xs = basis::fmap([](int x) { return x == 2 ? throw std::runtime_error("two"), 0 : x; },
                        List<int>::fromRange({1, 2, 3}));
  EXPECT_EQ(basis::length(xs), 3);
  EXPECT_EQ(xs.head(), 1);
  EXPECT_THROW(xs.tail().head(), std::runtime_error);
}

TEST(List, MonadAndApplicativeWorkOnInfiniteLists) {
  auto built = std::make_shared<int>(0);
  auto pairs = basis::bind(from(1, built), [](std::int64_t n) {
    return List<std::int64_t>::fromRange(std::vector<std::int64_t>(static_cast<std::size_t>(n % 3), n));
  });
  EXPECT_EQ(pairs.take(5).toVector(), (std::vector<std::int64_t>{1, 2, 2, 4, 5}));
  auto combos = basis::liftA2([](int a, char b) { return std::to_string(a) + b; },
                              List<int>::fromRange({1, 2}), List<char>::fromRange({'a', 'b'}));
  EXPECT_EQ(combos.toVector(), (std::vector<std::string>{"1a", "1b", "2a", "2b"}));
  auto endless = basis::liftA2([](int a, int b) { return a + b; }, List<int>::fromRange({10}),
                               List<int>::repeat(1));
  EXPECT_EQ(endless.take(3).toVector(), (std::vector<int>{11, 11, 11}));
  EXPECT_TRUE(basis::liftA2([](int a, int b) { return a + b; }, List<int>(),
                            Lazy<List<int>>::raise(std::logic_error("demanded")))
                  .isNil());
}

// A recursive destructor would use more than the whole stack on these.
TEST(List, LongListsAreDestroyedWithoutRecursion) {
  // Built eagerly: cells linked directly.
  {
    auto xs = List<int>::fromRange(std::vector<int>(10'000'000, 7));
    EXPECT_EQ(basis::length(xs), 10'000'000);
  }
  // Produced on demand: each rest sits in an evaluated deferred value.
  {
    auto built = std::make_shared<int>(0);
    auto xs = from(0, built);
    EXPECT_EQ(basis::length(xs.take(2'000'000)), 2'000'000);
    EXPECT_EQ(*built, 2'000'000);
  }
  // Mapped on demand and held from the head while consumed.
  {
    auto xs = basis::fmap([](int x) { return x + 1; }, List<int>::repeat(0).take(1'000'000));
    EXPECT_EQ(basis::sum(xs), 1'000'000);
  }
}

TEST(List, SharedCellsSurviveTheirOtherOwners) {
  auto xs = List<int>::fromRange({1, 2, 3, 4});
  auto rest = xs.tail().tail();
  xs = List<int>();
  EXPECT_EQ(rest.toVector(), (std::vector<int>{3, 4}));
}

TEST(List, ConcurrentReadersShareOneEvaluation) {
  auto built = std::make_shared<int>(0);
  std::atomic<int> applied{0};
  auto xs = basis::fmap([&](std::int64_t x) { return ++applied, x; },
                        List<std::int64_t>::fromRange(std::vector<std::int64_t>(1000, 1)));
  std::vector<std::thread> readers;
  std::atomic<std::int64_t> total{0};
  for (int t = 0; t < 4; ++t) readers.emplace_back([&] { total += basis::sum(xs); });
  for (auto& r : readers) r.join();
  EXPECT_EQ(total.load(), 4000);
  EXPECT_EQ(applied.load(), 1000);
}

RC_GTEST_PROP(ListModel, AgreesWithVector, (std::vector<int> xs, std::int64_t n)) {
  auto list = List<int>::fromRange(xs);
  RC_ASSERT(list.toVector() == xs);
  RC_ASSERT(list == List<int>::fromRange(xs));
  const auto k = static_cast<std::size_t>(std::clamp<std::int64_t>(n % 50, 0, 50));
  std::vector<int> prefix(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(std::min(k, xs.size())));
  RC_ASSERT(list.take(static_cast<std::int64_t>(k)).toVector() == prefix);
  RC_ASSERT(basis::toList(list) == list);
  if (!xs.empty()) {
    RC_ASSERT(list.head() == xs.front());
    RC_ASSERT(list.tail().toVector() == std::vector<int>(xs.begin() + 1, xs.end()));
    RC_ASSERT(!(list == list.tail()));
  }
}

}  // namespace
