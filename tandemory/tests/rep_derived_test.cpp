// The operations derived from tabulate and index.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "basis/cofree.hpp"
#include "basis/seq.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/internal/co.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Fn = basis::FunctionFrom<Int>;
using Str = basis::FunctionFrom<std::string>;
using IntTable = std::function<Int(const Int&)>;
using StrTable = std::function<std::string(const std::string&)>;

// A function table that records every position it is read at.
struct Recorder {
  std::shared_ptr<std::vector<Int>> reads = std::make_shared<std::vector<Int>>();
  IntTable table(Int offset) const {
    return [reads = reads, offset](const Int& k) {
      reads->push_back(k);
      return k + offset;
    };
  }
};

TEST(ReaderOperations, AskYieldsThePositionAndLocalShiftsIt) {
  auto ask = askRep<Fn>();
  auto shifted = localRep([](Int k) { return k * 10; }, ask);
  for (Int k : {-3, 0, 7}) {
    EXPECT_EQ(index(ask, k), k);
    EXPECT_EQ(index(shifted, k), k * 10);
  }
}

TEST(ReaderOperations, PureHoldsItsValueEverywhereWithoutForcingIt) {
  auto failing = basis::Lazy<Int>::raise(std::runtime_error("demanded"));
  auto p = pureRep<Fn>(failing);
  basis::Lazy<Int> at3 = index(p, 3);
  EXPECT_FALSE(at3.isEvaluated());
  EXPECT_THROW(at3.force(), std::runtime_error);
  EXPECT_EQ(index(pureRep<basis::ComplexTag>(std::string("x")), true), "x");
}

// A deferred value held by a Cofree (and by Co over a Cofree) is handed back
// as it is: reading a position does not force it.
TEST(ReaderOperations, PureOfADeferredValueKeepsItDeferredInEveryShape) {
  using C = basis::CofreeOf<basis::IdentityTag>;
  const auto failing = basis::Lazy<Int>::raise(std::runtime_error("demanded"));
  const basis::Seq<basis::Unit> root, below{basis::Unit{}, basis::Unit{}};
  for (const auto& path : {root, below}) {
    basis::Lazy<Int> at = index(pureRep<C>(failing), path);
    EXPECT_FALSE(at.isEvaluated());
    EXPECT_THROW(at.force(), std::runtime_error);
    basis::Lazy<Int> viaCo = index(pureRep<CoOf<C>>(failing), path);
    EXPECT_THROW(viaCo.force(), std::runtime_error);
  }
}

TEST(ReaderOperations, BindReadsBothTablesOnlyOnTheDiagonal) {
  Recorder outer, inner;
  auto m = outer.table(100);
  auto bound = bindRep(m, [inner](Int v) { return inner.table(v); });
  EXPECT_TRUE(outer.reads->empty());  // building reads nothing
  EXPECT_EQ(index(bound, 4), 4 + 104);
  EXPECT_EQ(*outer.reads, std::vector<Int>{4});
  EXPECT_EQ(*inner.reads, std::vector<Int>{4});
}

TEST(ReaderOperations, BuildingCallsNoFunctionOfTheCaller) {
  int calls = 0;
  IntTable w = [&calls](const Int& k) {
    ++calls;
    return k;
  };
  auto counted = [&calls](Int x) {
    ++calls;
    return x;
  };
  auto a = fmapRep(counted, w);
  auto b = mzipWithRep([&calls](Int x, Int y) { return ++calls, x + y; }, w, w);
  auto c = extendRepBy(std::plus<Int>(), [&calls](const IntTable& t) { return ++calls, t(0); }, w);
  auto d = imapRep([&calls](Int k, Int x) { return ++calls, k * x; }, w);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(index(a, 2), 2);
  EXPECT_EQ(calls, 2);
  (void)b, (void)c, (void)d;
}

TEST(ReaderOperations, ApZipAndLiftCombinePositionByPosition) {
  IntTable xs = [](const Int& k) { return k + 1; };
  IntTable ys = [](const Int& k) { return k * 2; };
  std::function<std::function<Int(Int)>(const Int&)> fs = [](const Int& k) {
    return std::function<Int(Int)>([k](Int x) { return x - k; });
  };
  auto add3 = [](Int a, Int b, Int c) { return a * 100 + b * 10 + c; };
  for (Int k : {0, 1, 5}) {
    EXPECT_EQ(index(apRep(fs, xs), k), 1);
    EXPECT_EQ(index(mzipRep(xs, ys), k), std::make_pair(k + 1, k * 2));
    EXPECT_EQ(index(liftR2(std::plus<Int>(), xs, ys), k), index(mzipWithRep(std::plus<Int>(), xs, ys), k));
    EXPECT_EQ(index(liftR3(add3, xs, ys, xs), k), (k + 1) * 100 + k * 20 + k + 1);
  }
}

TEST(ReaderOperations, MfixTiesTheValueToItself) {
  auto ignoring = mfixRep<Fn, Int>([](const basis::Lazy<Int>&) { return IntTable([](const Int& k) { return k * k; }); });
  EXPECT_EQ(index(ignoring, 6), 36);
  // The deferred value reaches the table h builds without being forced.
  auto lazyUse = mfixRep<Fn>([](const basis::Lazy<Int>& v) {
    return IntTable([v](const Int& k) { return v.isEvaluated() ? -1 : k + 1; });
  });
  EXPECT_EQ(index(lazyUse, 9), 10);
  auto forcing = mfixRep<Fn, Int>([](const basis::Lazy<Int>& v) {
    Int x = v.force();
    return IntTable([x](const Int&) { return x; });
  });
  EXPECT_THROW(index(forcing, 1), basis::NonTermination);
}

TEST(ComonadOperations, DuplicateShiftsByTheOuterPositionFirst) {
  StrTable w = [](const std::string& s) { return "<" + s + ">"; };
  auto plus = [](const std::string& a, const std::string& b) { return a + "|" + b; };
  auto d = duplicateRepBy(plus, w);
  EXPECT_EQ(index(index(d, std::string("a")), std::string("b")), "<a|b>");
  auto e = extractRepBy(std::string("z"), d);
  EXPECT_EQ(index(e, std::string("q")), "<z|q>");
  auto ext = extendRepBy(plus, [](const StrTable& t) { return t("x"); }, w);
  EXPECT_EQ(index(ext, std::string("o")), "<o|x>");
}

TEST(ComonadOperations, ExtractReadsAtMemptyAndExtendOfExtractIsIdentity) {
  StrTable w = [](const std::string& s) { return "[" + s + "]"; };
  EXPECT_EQ(extractRep(w), "[]");
  auto same = extendRep([](const StrTable& t) { return extractRep(t); }, w);
  auto sameByExtended = extendedRep([](const StrTable& t) { return extractRep(t); }, w);
  auto shifted = extractRep(duplicateRep(w));
  for (std::string k : {"", "ab", "xyz"}) {
    EXPECT_EQ(index(same, k), w(k));
    EXPECT_EQ(index(sameByExtended, k), w(k));
    EXPECT_EQ(index(shifted, k), w(k));
    EXPECT_EQ(index(index(duplicatedRep(w), k), std::string("!")), w(k + "!"));
  }
}

TEST(DistributionOperations, DistributeAndCollectReadEveryTableAtOnePosition) {
  std::vector<IntTable> tables{[](const Int& k) { return k; }, [](const Int& k) { return -k; }};
  auto d = distributeRep(tables);
  EXPECT_EQ(index(d, 3), (std::vector<Int>{3, -3}));
  auto c = collectRep([](Int n) { return IntTable([n](const Int& k) { return n * k; }); }, std::vector<Int>{1, 2, 3});
  EXPECT_EQ(index(c, 2), (std::vector<Int>{2, 4, 6}));
}

TEST(IndexedOperations, FoldAndTraverseFollowTheFunctorsOrder) {
  basis::Complex<std::string> z{"re", "im"};
  auto labelled = [](bool k, const std::string& s) { return std::string(k ? "I:" : "R:") + s + ";"; };
  EXPECT_EQ(ifoldMapRep(labelled, z), "R:re;I:im;");
  auto ok = itraverseRep([](bool, const std::string& s) { return std::optional<Int>(Int(s.size())); }, z);
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(*ok, (basis::Complex<Int>{2, 2}));
  std::vector<bool> visited;
  auto failing = itraverseRep(
      [&visited](bool k, const std::string&) {
        visited.push_back(k);
        return k ? std::nullopt : std::optional<Int>(1);
      },
      z);
  EXPECT_FALSE(failing.has_value());
  EXPECT_EQ(visited, (std::vector<bool>{false, true}));
}

TEST(Tabulated, TabulatesTheInputAndReadsTheOutput) {
  using In = basis::Complex<Int>;
  using Out = basis::Identity<IntTable>;
  std::function<Out(const In&)> p = [](const In& z) {
    return Out{[z](const Int& k) { return z.realPart * k + z.imagPart; }};
  };
  auto q = tabulated<basis::ComplexTag, Fn, basis::IdentityTag>(p);
  auto result = q([](const bool& b) { return b ? Int(5) : Int(2); });
  EXPECT_EQ(result.value(10), 25);
}

TEST(Tabulated, TakesALambdaForTheProfunctorValue) {
  using In = basis::Complex<Int>;
  auto p = [](In z) { return basis::Identity<IntTable>{[z](const Int& k) { return z.realPart * k - z.imagPart; }}; };
  auto q = tabulated<basis::ComplexTag, Fn, basis::IdentityTag>(p);
  EXPECT_EQ(q([](const bool& b) { return b ? Int(5) : Int(2); }).value(10), 15);
}

}  // namespace
