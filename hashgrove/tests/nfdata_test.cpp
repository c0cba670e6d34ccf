// Deep evaluation of maps and pairs, and the list conversion.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>
#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using basis::Lazy;
using Ints = HashMap<std::int64_t, std::int64_t>;

static_assert(basis::NFData1Tag<HashMapOf<std::int64_t>>);

// A deferred value that records when it is forced.
Lazy<std::int64_t> recorded(std::vector<std::int64_t>& log, std::int64_t v) {
  return Lazy<std::int64_t>::defer([&log, v] {
    log.push_back(v);
    return v;
  });
}

TEST(DeepEvaluation, ForcesEveryValueInTrieOrderAndStopsAtTheFirstFailure) {
  std::vector<std::int64_t> log;
  Ints m;
  for (std::int64_t k : {std::int64_t{3}, std::int64_t{33}, std::int64_t{1}, std::int64_t{0}})
    m = insert(k, recorded(log, k), m);
  basis::rnf(m);
  EXPECT_EQ(log, (std::vector<std::int64_t>{0, 1, 33, 3}));  // 1 and 33 share fragment 1
  for (const auto& [k, v] : m) EXPECT_TRUE(v.isEvaluated());
  basis::rnf(Ints());

  // A failing value in a bucket: the pairs before it have been forced, the
  // ones after it have not.
  using testing::key;
  std::vector<std::int64_t> seen;
  HashMap<testing::Key, std::int64_t> b;
  b = insert(key(1, 7), recorded(seen, 1), b);
  b = insert(key(2, 7), testing::failing<std::int64_t>(), b);
  b = insert(key(3, 7), recorded(seen, 3), b);
  b = insert(key(0, 0), recorded(seen, 0), b);
  EXPECT_THROW(
      liftRnf2([](const testing::Key&) {}, [](const Lazy<std::int64_t>& v) { basis::rnf(v); }, b),
      std::runtime_error);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 1}));
}

TEST(DeepEvaluation, LiftedFormsTakeTheForcingFunctions) {
  std::vector<std::int64_t> log;
  Ints m;
  m = insert(std::int64_t{1}, recorded(log, 10), m);
  m = insert(std::int64_t{2}, recorded(log, 20), m);
  // A forcing function that does nothing forces no value.
  liftRnf([](const Lazy<std::int64_t>&) {}, m);
  basis::NFData1<HashMapOf<std::int64_t>>::liftRnf([](const auto&) {}, m);
  EXPECT_TRUE(log.empty());
  std::vector<std::string> order;
  liftRnf2([&](std::int64_t k) { order.push_back("k" + std::to_string(k)); },
           [&](const Lazy<std::int64_t>& v) { order.push_back("v" + std::to_string(v.force())); }, m);
  EXPECT_EQ(order, (std::vector<std::string>{"k1", "v10", "k2", "v20"}));
  basis::rnf1(m);
  basis::rnf2(m);
}

TEST(DeepEvaluation, PairsForceTheKeyFirst) {
  std::vector<std::string> order;
  const L<std::int64_t, std::int64_t> p{5, 6};
  liftRnf2([&](std::int64_t) { order.push_back("key"); }, [&](const Lazy<std::int64_t>&) { order.push_back("value"); },
           p);
  EXPECT_EQ(order, (std::vector<std::string>{"key", "value"}));
  const L<std::int64_t, std::int64_t> failing{5, testing::failing<std::int64_t>()};
  EXPECT_THROW(basis::rnf(failing), std::runtime_error);
  liftRnf([](const Lazy<std::int64_t>&) {}, failing);  // the value untouched
}

TEST(DeepEvaluation, PairsHaveTheLiftedInterfaces) {
  using Pair = L<std::int64_t, std::int64_t>;
  static_assert(basis::NFData1Tag<LeafOf<std::int64_t>>);
  std::vector<std::int64_t> log;
  const Pair p{5, recorded(log, 6)};
  basis::NFData1<LeafOf<std::int64_t>>::liftRnf([](const auto&) {}, p);
  EXPECT_TRUE(log.empty());
  basis::rnf1(p);
  EXPECT_EQ(log, (std::vector<std::int64_t>{6}));

  std::vector<std::string> order;
  basis::NFData2<LeafTag>::liftRnf2([&](std::int64_t) { order.push_back("key"); },
                                    [&](const Lazy<std::int64_t>&) { order.push_back("value"); }, p);
  EXPECT_EQ(order, (std::vector<std::string>{"key", "value"}));
  // The key's failure is the one seen when both would fail.
  const Pair failing{5, testing::failing<std::int64_t>()};
  EXPECT_THROW(basis::NFData2<LeafTag>::liftRnf2([](std::int64_t) { throw std::logic_error("key"); },
                                                 [](const Lazy<std::int64_t>& v) { v.force(); }, failing),
               std::logic_error);
  EXPECT_THROW(basis::rnf2(failing), std::runtime_error);
  EXPECT_THROW(basis::rnf1(failing), std::runtime_error);
}

TEST(ListConversion, FromListNIgnoresTheCountAndToListRoundTrips) {
  const std::vector<std::pair<std::int64_t, std::int64_t>> ps{{1, 1}, {2, 2}, {1, 3}};
  const Ints viaN = fromListN(std::int64_t{-7}, ps);
  EXPECT_EQ(viaN, Ints(fromList(ps)));
  EXPECT_EQ(size(viaN), 2);
  std::vector<std::pair<std::int64_t, std::int64_t>> back;
  for (const auto& [k, v] : toList(viaN)) back.push_back({k, v.force()});
  EXPECT_EQ(back, (std::vector<std::pair<std::int64_t, std::int64_t>>{{1, 3}, {2, 2}}));
}

}  // namespace
}  // namespace hashgrove::internal
