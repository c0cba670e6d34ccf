// Deep Fix, Mu and Nu values: every fold, unfold, refold, hoist and
// conversion, the monadic forms, the standard interfaces and freeing, a
// million layers deep, on the default stack and on a 256 KiB thread stack.
// Each computation that reads down to the bottom layer is also run with a
// bottom that throws (the exception must reach the top unchanged) and with a
// bottom that demands the computation's own result (NonTermination).

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/basis.hpp>
#include <knotloom/interfaces.hpp>
#include <knotloom/knotloom.hpp>

#include "depth_check.hpp"
#include "layers.hpp"

namespace {

using basis::Lazy;
using depth_check::Case;
using depth_check::Stack;
using knotloom::Fix;
using knotloom::Mu;
using knotloom::Nu;
using knotloom_test::ListF;
using knotloom_test::ListOf;

using L = ListOf<std::int64_t>;
using Layer = ListF<std::int64_t, Fix<L>>;
using Step = ListF<std::int64_t, std::int64_t>;

// A tenth under the sanitizers, whose frames and checks cost ten times more.
constexpr std::int64_t kDepth = depth_check::kSanitized ? 100'000 : 1'000'000;
// Exceptions and demand cycles are caught and rethrown by every deferred
// value on their way up; those runs are ten times shorter, as are the cases
// that cost more than a second at full depth (a heap cell or more and a few
// deferred values per layer).
constexpr std::int64_t kShort = kDepth / 10;

// What the bottom layer gives: 0, a throw, or a demand of the result itself.
using Bottom = std::function<std::int64_t()>;

// A list of `depth` ones whose bottom layer, when computed, calls `bottom`
// and adds what it gives.
Fix<L> ones(std::int64_t depth, const Bottom& bottom) {
  Fix<L> x(Lazy<Layer>::defer([bottom] { return bottom() == 0 ? Layer::nil() : Layer::cons(0, knotloom_test::fixNil<std::int64_t>()); }));
  for (std::int64_t i = 0; i < depth; ++i) x = knotloom_test::fixCons<std::int64_t>(1, std::move(x));
  return x;
}

// The coalgebra of the same list from its length; the bottom called at 0.
struct CountDown {
  Bottom bottom;
  Step operator()(std::int64_t n) const {
    if (n == 0) {
      if (bottom() != 0) return Step::cons(0, 0);
      return Step::nil();
    }
    return Step::cons(1, n - 1);
  }
};

std::int64_t sum(const ListF<std::int64_t, std::int64_t>& l) { return l.isNil() ? 0 : l.head() + l.tail(); }
std::int64_t sumDeferred(const ListF<std::int64_t, Lazy<std::int64_t>>& l) {
  return l.isNil() ? 0 : l.head() + l.tail().force();
}
std::optional<std::int64_t> sumM(const ListF<std::int64_t, std::int64_t>& l) { return sum(l); }
std::optional<Step> countDownM(const CountDown& c, std::int64_t n) { return c(n); }

// The Mu of the list: wrapMu layers over an unfoldMu bottom.
Mu<L> onesMu(std::int64_t depth, const Bottom& bottom) {
  Mu<L> m = knotloom::unfoldMu(CountDown{bottom}, std::int64_t{0});
  for (std::int64_t i = 0; i < depth; ++i) m = knotloom::wrapMu<L>(ListF<std::int64_t, Mu<L>>::cons(1, std::move(m)));
  return m;
}
// The Nu of the list: wrapNu layers over an unfoldNu bottom.
Nu<L> onesNu(std::int64_t depth, const Bottom& bottom) {
  Nu<L> n = knotloom::unfoldNu(CountDown{bottom}, std::int64_t{0});
  for (std::int64_t i = 0; i < depth; ++i) n = knotloom::wrapNu<L>(ListF<std::int64_t, Nu<L>>::cons(1, std::move(n)));
  return n;
}

// The identity natural transformation of list layers.
struct Same {
  template <class A>
  ListF<std::int64_t, A> operator()(const ListF<std::int64_t, A>& l) const {
    return l;
  }
};

// A deep computation: the number it works out over `depth` layers whose
// bottom is `bottom`; `depth` when the bottom gives 0.
struct Deep {
  const char* name;
  std::int64_t depth;
  std::function<std::int64_t(std::int64_t, const Bottom&)> run;
};

const Bottom kZero = [] { return std::int64_t{0}; };

// The structure, built with a bottom of 0, and `depth` when `same` holds.
std::int64_t depthIf(bool same, std::int64_t depth) { return same ? depth : -1; }

const std::vector<Deep>& deeps() {
  static const std::vector<Deep> table = {
      // Fix
      {"foldFix, folded children", kDepth,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldFix(sum, ones(d, b)); }},
      {"foldFix, deferred children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldFix(sumDeferred, ones(d, b)); }},
      {"refold, folded children", kDepth,
       [](std::int64_t d, const Bottom& b) { return knotloom::refold(sum, CountDown{b}, d); }},
      {"refold, deferred children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::refold(sumDeferred, CountDown{b}, d); }},
      {"unfoldFix, folded over deferred children", kShort,
       [](std::int64_t d, const Bottom& b) {
         return knotloom::foldFix(sumDeferred, knotloom::unfoldFix(CountDown{b}, d));
       }},
      {"hoistFix, folded", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldFix(sum, knotloom::hoistFix(Same{}, ones(d, b))); }},
      {"hoistFix_, folded", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldFix(sum, knotloom::hoistFix_(Same{}, ones(d, b))); }},
      {"foldFixM in optional", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldFixM(sumM, ones(d, b)).value(); }},
      {"unfoldFixM in optional, folded", kShort,
       [](std::int64_t d, const Bottom& b) {
         const CountDown c{b};
         auto x = knotloom::unfoldFixM([c](std::int64_t n) { return countDownM(c, n); }, d);
         return knotloom::foldFix(sum, x.value());
       }},
      {"refoldM in optional", kShort,
       [](std::int64_t d, const Bottom& b) {
         const CountDown c{b};
         return knotloom::refoldM(sumM, [c](std::int64_t n) { return countDownM(c, n); }, d).value();
       }},
      // Mu
      {"foldMu of wrapMu layers, folded children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldMu(sum, onesMu(d, b)); }},
      {"foldMu of wrapMu layers, deferred children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldMu(sumDeferred, onesMu(d, b)); }},
      {"foldMu of unfoldMu", kDepth,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldMu(sum, knotloom::unfoldMu(CountDown{b}, d)); }},
      {"hoistMu of wrapMu layers, folded", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldMu(sum, knotloom::hoistMu(Same{}, onesMu(d, b))); }},
      {"unwrapMu of wrapMu layers", kShort,
       [](std::int64_t d, const Bottom& b) {
         return 1 + knotloom::foldMu(sum, knotloom::unwrapMu(onesMu(d, b)).tail());
       }},
      // Nu
      {"foldNu of unfoldNu", kDepth,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldNu(sum, knotloom::unfoldNu(CountDown{b}, d)); }},
      {"foldNu of wrapNu layers, folded children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldNu(sum, onesNu(d, b)); }},
      {"foldNu of wrapNu layers, deferred children", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldNu(sumDeferred, onesNu(d, b)); }},
      {"hoistNu of wrapNu layers, folded", kShort,
       [](std::int64_t d, const Bottom& b) { return knotloom::foldNu(sum, knotloom::hoistNu(Same{}, onesNu(d, b))); }},
      // Conversions
      {"Mu to Fix", kShort,
       [](std::int64_t d, const Bottom& b) {
         return knotloom::foldFix(sum, knotloom::foldMu(&knotloom::wrapFix<L>, onesMu(d, b)));
       }},
      {"Nu to Fix", kShort,
       [](std::int64_t d, const Bottom& b) {
         const Nu<L> n = onesNu(d, b);
         return knotloom::foldFix(sum, knotloom::unfoldFix<L>(n.step(), n.seed()));
       }},
      {"Fix to Mu", kDepth,
       [](std::int64_t d, const Bottom& b) {
         return knotloom::foldMu(sum, knotloom::unfoldMu(&knotloom::unFix<L>, ones(d, b)));
       }},
      {"Fix to Nu", kShort,
       [](std::int64_t d, const Bottom& b) {
         return knotloom::foldNu(sum, knotloom::unfoldNu(&knotloom::unFix<L>, ones(d, b)));
       }},
      // A layer whose fmap keeps its function (basis::List): each child is
      // folded as the algebra reads it.
      {"foldFix of a layer with a lazy fmap, folded children", kShort,
       [](std::int64_t d, const Bottom& b) {
         using Rose = Fix<basis::ListTag>;
         using Kids = basis::List<Rose>;
         Rose x(Lazy<Kids>::defer([b] { return b() == 0 ? Kids() : Kids::fromRange({Rose(Kids())}); }));
         for (std::int64_t i = 0; i < d; ++i) x = Rose(Kids::fromRange({x}));
         return knotloom::foldFix(
             [](const basis::List<std::int64_t>& kids) -> std::int64_t { return kids.isNil() ? 0 : 1 + kids.head(); },
             x);
       }},
      // The standard interfaces
      {"Fix ==", kDepth, [](std::int64_t d, const Bottom& b) { return depthIf(ones(d, b) == ones(d, kZero), d); }},
      {"Fix compare", kDepth,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::compare(ones(d, b), ones(d, kZero)) == basis::EQ, d); }},
      {"Fix hashWithSalt", kDepth,
       [](std::int64_t d, const Bottom& b) {
         return depthIf(basis::hashWithSalt(7, ones(d, b)) == basis::hashWithSalt(7, ones(d, kZero)), d);
       }},
      {"Fix show", kShort,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::show(ones(d, b)) == basis::show(ones(d, kZero)), d); }},
      {"Fix rnf", kDepth,
       [](std::int64_t d, const Bottom& b) {
         basis::rnf(ones(d, b));
         return d;
       }},
      {"Mu ==", kShort, [](std::int64_t d, const Bottom& b) { return depthIf(onesMu(d, b) == onesMu(d, kZero), d); }},
      {"Mu compare", kShort,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::compare(onesMu(d, b), onesMu(d, kZero)) == basis::EQ, d); }},
      {"Mu show", kShort,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::show(onesMu(d, b)) == basis::show(onesMu(d, kZero)), d); }},
      {"Nu ==", kShort, [](std::int64_t d, const Bottom& b) { return depthIf(onesNu(d, b) == onesNu(d, kZero), d); }},
      {"Nu compare", kShort,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::compare(onesNu(d, b), onesNu(d, kZero)) == basis::EQ, d); }},
      {"Nu show", kShort,
       [](std::int64_t d, const Bottom& b) { return depthIf(basis::show(onesNu(d, b)) == basis::show(onesNu(d, kZero)), d); }},
      // Text forms read back
      {"Fix read back", kShort,
       [](std::int64_t d, const Bottom& b) {
         return depthIf(basis::read<Fix<L>>(basis::show(ones(d, b))) == std::optional<Fix<L>>(ones(d, kZero)), d);
       }},
      {"Mu read back", kShort,
       [](std::int64_t d, const Bottom& b) {
         return depthIf(basis::read<Mu<L>>(basis::show(onesMu(d, b))) == std::optional<Mu<L>>(onesMu(d, kZero)), d);
       }},
      {"Nu read back", kShort,
       [](std::int64_t d, const Bottom& b) {
         return depthIf(basis::read<Nu<L>>(basis::show(onesNu(d, b))) == std::optional<Nu<L>>(onesNu(d, kZero)), d);
       }},
  };
  return table;
}

std::string expectEq(std::int64_t got, std::int64_t want) {
  return got == want ? "" : "got " + std::to_string(got) + ", want " + std::to_string(want);
}

// The deep computation gives its depth with a bottom of 0.
std::string givesItsDepth(const Deep& deep) { return expectEq(deep.run(deep.depth, kZero), deep.depth); }

// A bottom that throws: the same exception arrives at the top.
std::string passesTheBottomsException(const Deep& deep) {
  try {
    deep.run(deep.depth / 10, [] () -> std::int64_t { throw std::runtime_error("bottom"); });
    return "no exception";
  } catch (const std::runtime_error& e) {
    return std::string(e.what()) == "bottom" ? "" : std::string("message ") + e.what();
  }
}

// A bottom that demands the whole computation's result: NonTermination.
std::string throwsNonTerminationOnItsOwnDemand(const Deep& deep) {
  auto self = std::make_shared<Lazy<std::int64_t>>();
  *self = Lazy<std::int64_t>::defer(
      [self, &deep] { return deep.run(deep.depth / 10, [self] { return self->force(); }); });
  std::string report = "no exception";
  try {
    self->force();
  } catch (const basis::NonTermination&) {
    report = "";
  }
  *self = Lazy<std::int64_t>(0);  // break the ring so it is freed
  return report;
}

// Freeing deep values never nests a destructor per layer.
const std::vector<Case>& freeings() {
  static const std::vector<Case> table = {
      {"a Fix is freed", [] {
         { const Fix<L> x = ones(kDepth, kZero); }
         return std::string();
       }},
      {"an unfolded Fix read to the bottom is freed", [] {
         {
           const Fix<L> x = knotloom::unfoldFix(CountDown{kZero}, kDepth);
           basis::rnf(x);
         }
         return std::string();
       }},
      {"a Mu of wrapMu layers is freed", [] {
         { const Mu<L> m = onesMu(kDepth, kZero); }
         return std::string();
       }},
      {"a Nu of wrapNu layers is freed", [] {
         { const Nu<L> n = onesNu(kDepth, kZero); }
         return std::string();
       }},
      {"a Nu converted to a Fix and read to the bottom is freed", [] {
         {
           const Nu<L> n = onesNu(kShort, kZero);
           basis::rnf(knotloom::unfoldFix<L>(n.step(), n.seed()));
         }
         return std::string();
       }},
  };
  return table;
}

TEST(Depth, DeepComputationsWorkOnEveryStack) {
  for (Stack stack : {Stack::Default, Stack::Small}) {
    for (const Deep& deep : deeps()) {
      const std::string where = std::string(deep.name) + " on the " + depth_check::name(stack);
      EXPECT_EQ(depth_check::isolated(stack, [&deep] { return givesItsDepth(deep); }), "") << where;
      EXPECT_EQ(depth_check::isolated(stack, [&deep] { return passesTheBottomsException(deep); }), "")
          << "exception: " << where;
      EXPECT_EQ(depth_check::isolated(stack, [&deep] { return throwsNonTerminationOnItsOwnDemand(deep); }), "")
          << "NonTermination: " << where;
    }
  }
}

TEST(Depth, DeepValuesAreFreedOnEveryStack) {
  EXPECT_EQ(depth_check::failuresOnEveryStack(freeings()), "");
}

}  // namespace
