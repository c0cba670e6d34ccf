// Expression building for maps: one constructor application per node, the
// stored hashes and bitmaps as unsigned literals, pairs as `L k $! v`.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <basis/expr.hpp>
#include <basis/lift.hpp>
#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using namespace basis::expr;
using Ints = HashMap<std::int64_t, std::int64_t>;

Exp con(const char* name) { return ConE(mkNameG_d("hashgrove", "Data.HashMap.Internal", name)); }
Exp array(std::int64_t n, std::vector<Exp> elems) {
  return AppE(AppE(VarE(mkNameG_v("hashgrove", "Data.HashMap.Internal.Array", "fromList'")), LitE(IntegerL(n))),
              ListE(std::move(elems)));
}
Exp pair(std::int64_t k, std::int64_t v) {
  return InfixE(AppE(con("L"), LitE(IntegerL(k))), VarE(mkNameG_v("base", "GHC.Base", "$!")), LitE(IntegerL(v)));
}

TEST(MapExpressions, OneConstructorApplicationPerNode) {
  EXPECT_EQ(basis::lift(Ints()), con("Empty"));
  Ints one;
  one = insert(std::int64_t{5}, std::int64_t{6}, one);
  EXPECT_EQ(basis::lift(one), AppE(AppE(con("Leaf"), LitE(IntegerL(std::uint64_t{5}))), pair(5, 6)));
  // Keys 1 and 33 share fragment 1: a one-bit branch over a two-bit branch.
  Ints branch;
  branch = insert(std::int64_t{1}, std::int64_t{10}, branch);
  branch = insert(std::int64_t{33}, std::int64_t{20}, branch);
  const Exp inner = AppE(AppE(con("BitmapIndexed"), LitE(IntegerL(std::uint64_t{3}))),
                         array(2, {AppE(AppE(con("Leaf"), LitE(IntegerL(std::uint64_t{1}))), pair(1, 10)),
                                   AppE(AppE(con("Leaf"), LitE(IntegerL(std::uint64_t{33}))), pair(33, 20))}));
  EXPECT_EQ(basis::lift(branch), AppE(AppE(con("BitmapIndexed"), LitE(IntegerL(std::uint64_t{2}))), array(1, {inner})));
  EXPECT_EQ(basis::liftTyped(branch).unType, basis::lift(branch));
}

TEST(MapExpressions, BucketsFullNodesAndTopBitWords) {
  using testing::key;
  HashMap<testing::Key, std::int64_t> bucket;
  const std::uint64_t top = 0x8000000000000007ULL;
  bucket = insert(key(2, top), std::int64_t{20}, bucket);
  bucket = insert(key(1, top), std::int64_t{10}, bucket);
  const std::string text = render(basis::lift(bucket));
  EXPECT_NE(text.find("IntegerL 9223372036854775815"), std::string::npos) << text;
  EXPECT_LT(text.find("id = 2"), text.find("id = 1")) << text;  // bucket order kept
  Ints full;
  for (std::int64_t i = 0; i < 32; ++i) full = insert(i, i, full);
  ASSERT_EQ(full.kind(), Kind::Full);
  const std::string fullText = render(basis::lift(full));
  EXPECT_EQ(fullText.rfind("AppE (ConE hashgrove:Data.HashMap.Internal.Full) (AppE (AppE (VarE "
                           "hashgrove:Data.HashMap.Internal.Array.fromList') (LitE (IntegerL 32)))",
                           0),
            0u)
      << fullText;
}

}  // namespace
}  // namespace hashgrove::internal

template <>
struct basis::Lift<hashgrove::testing::Key> : basis::LiftDefaults<hashgrove::testing::Key> {
  static basis::expr::Exp lift(const hashgrove::testing::Key& k) {
    return basis::expr::VarE(basis::expr::mkNameS("id = " + std::to_string(k.id)));
  }
};
