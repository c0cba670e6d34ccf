#include "basis/nfdata.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using basis::Lazy;

// A deferred integer that counts how often it is computed.
Lazy<std::int64_t> counted(int& runs, std::int64_t value) {
  return Lazy<std::int64_t>::defer([&runs, value] {
    ++runs;
    return value;
  });
}

TEST(DeepEvaluation, ForcesEveryLazyReachableThroughStandardTypes) {
  int runs = 0;
  using L = Lazy<std::int64_t>;
  std::vector<std::pair<L, std::optional<L>>> xs = {{counted(runs, 1), counted(runs, 2)},
                                                    {counted(runs, 3), std::nullopt}};
  auto nested = Lazy<std::vector<L>>::defer([&] {
    ++runs;
    return std::vector<L>{counted(runs, 4)};
  });
  std::tuple<basis::Either<L, bool>, basis::These<L, L>, basis::Identity<L>> t{
      basis::Either<L, bool>::left(counted(runs, 5)),
      basis::These<L, L>::these(counted(runs, 6), counted(runs, 7)),
      basis::Identity<L>{counted(runs, 8)}};
  EXPECT_EQ(runs, 0);
  basis::rnf(xs);
  EXPECT_EQ(runs, 3);
  basis::rnf(nested);
  EXPECT_EQ(runs, 5);
  basis::rnf(t);
  EXPECT_EQ(runs, 9);
  EXPECT_TRUE(xs[0].first.isEvaluated());
  EXPECT_TRUE(std::get<1>(t).therePtr()->isEvaluated());
  basis::rnf(xs);  // a second pass computes nothing again
  EXPECT_EQ(runs, 9);
}

TEST(DeepEvaluation, LetsAFailingComputationThrough) {
  std::vector<Lazy<std::int64_t>> xs{1, Lazy<std::int64_t>::raise(std::runtime_error("bottom"))};
  EXPECT_THROW(basis::rnf(xs), std::runtime_error);
  EXPECT_THROW(basis::deepseq(xs, 0), std::runtime_error);
  EXPECT_EQ(basis::deepseq(std::vector<std::int64_t>{1}, 7), 7);
}

TEST(DeepEvaluation, PlainValuesNeedNothing) {
  basis::rnf(std::int64_t{1});
  basis::rnf(std::string("x"));
  basis::rnf(std::u32string(U"x"));
  basis::rnf(basis::unit);
  basis::rnf(basis::GT);
  basis::rnf(std::optional<double>());
  SUCCEED();
}

}  // namespace
