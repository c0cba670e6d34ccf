#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "basis/transformers.hpp"

namespace {

using Id = basis::IdentityTag;
using Fn = basis::FunctionFrom<int>;

TEST(Transformers, MapThroughTheirInnerStructure) {
  auto inc = [](int x) { return x + 1; };
  EXPECT_EQ(basis::fmap(inc, basis::IdentityT<Id, int>{{1}}).runIdentityT.value, 2);
  basis::ReaderT<int, Id, int> r{[](const int& e) { return basis::Identity<int>{e * 2}; }};
  EXPECT_EQ(basis::fmap(inc, r).runReaderT(5).value, 11);
  basis::WriterT<std::string, Id, int> w{{{3, "log"}}};
  EXPECT_EQ(basis::fmap(inc, w).runWriterT.value, (std::pair<int, std::string>(4, "log")));
  basis::EnvT<std::string, Id, int> env{"e", {7}};
  EXPECT_EQ(basis::fmap(inc, env), (basis::EnvT<std::string, Id, int>{"e", {8}}));
  basis::TracedT<int, Id, int> t{{[](const int& s) { return s * 3; }}};
  EXPECT_EQ(basis::fmap(inc, t).runTracedT.value(2), 7);
  EXPECT_EQ(basis::fmap(inc, basis::Backwards<Id, int>{{1}}).forwards.value, 2);
  EXPECT_EQ(basis::fmap(inc, basis::Reverse<Id, int>{{1}}).getReverse.value, 2);
}

TEST(Transformers, DistributeThroughTheirInnerStructure) {
  using RT = basis::ReaderT<int, Fn, int>;
  std::vector<RT> readers{RT{[](const int& e) { return std::function<int(const int&)>([e](const int& k) { return e + k; }); }},
                          RT{[](const int& e) { return std::function<int(const int&)>([e](const int& k) { return e * k; }); }}};
  auto d = basis::distribute<basis::ReaderTOf<int, Fn>>(readers);
  EXPECT_EQ(d.runReaderT(2)(5), (std::vector<int>{7, 10}));
  using TT = basis::TracedT<int, Id, int>;
  std::vector<TT> traced{TT{{[](const int& s) { return s; }}}, TT{{[](const int& s) { return -s; }}}};
  auto dt = basis::distribute<basis::TracedTOf<int, Id>>(traced);
  EXPECT_EQ(dt.runTracedT.value(4), (std::vector<int>{4, -4}));
  auto di = basis::distribute<basis::IdentityTOf<Id>>(std::vector<basis::IdentityT<Id, int>>{{{1}}, {{2}}});
  EXPECT_EQ(di.runIdentityT.value, (std::vector<int>{1, 2}));
}

}  // namespace
