// Where one operation demands two operands (two containers, two elements, two
// functions' results), the left one goes first, whatever order the compiler
// would give an argument list.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <basis/map.hpp>
#include <basis/vector.hpp>
#include <juxtor/crosswalk.hpp>
#include <juxtor/internal.hpp>
#include <juxtor/internal/zippy.hpp>

#include "support.hpp"
#include "probes.hpp"

namespace {

using namespace juxtor_test;
using basis::Lazy;

using probes::firstFailure;

template <class T>
Lazy<T> raise(const char* what) {
  return Lazy<T>::raise(std::runtime_error(what));
}
auto thrower(const char* what) {
  return std::function<int(int)>([what](int) -> int { throw std::runtime_error(what); });
}

TEST(EvaluationOrder, LeftOperandFirst) {
  using Fn = std::function<int(int)>;
  using ZL = juxtor::ZippyOf<basis::ListTag>;
  using ZApply = basis::Semiapplicative<ZL>;
  using OTag = basis::OptionalTag;
  using P = basis::functor::Product<OTag, OTag, int>;
  auto leftHalf = [](const char* what) { return P{raise<std::optional<int>>(what), std::optional<int>(1)}; };
  auto headOf = [](const char* what) { return List<int>::cons(raise<int>(what), List<int>()); };
  auto plus = [](int a, int b) { return a + b; };
  using Pairs = std::vector<std::pair<int, Lazy<int>>>;
  auto mapOf = [](const char* what) { return basis::Map<int, int>::fromList(Pairs{{1, raise<int>(what)}}); };
  auto vectorOf = [](const char* what) { return basis::Vector<int>::fromLazy({raise<int>(what)}); };
  const std::function<void()> cases[] = {
      [&] { ZApply::apF(raise<juxtor::Zippy<basis::ListTag, Fn>>("left"), raise<juxtor::Zippy<basis::ListTag, int>>("right")); },
      [&] { ZApply::liftF2(plus, raise<juxtor::Zippy<basis::ListTag, int>>("left"), raise<juxtor::Zippy<basis::ListTag, int>>("right")); },
      [&] { juxtor::align(leftHalf("left"), leftHalf("right")).fst(); },
      [&] { juxtor::zipWith(plus, leftHalf("left"), leftHalf("right")).fst(); },
      [&] { juxtor::zipWith(plus, headOf("left"), headOf("right")).head(); },
      [&] { juxtor::alignWith([](const These<int, int>&) { return 0; }, headOf("left"), headOf("right")).head(); },
      [&] { juxtor::lpadZipWith([](const std::optional<int>&, int) { return 0; }, headOf("left"), headOf("right")).head(); },
      [&] { juxtor::zipWith(plus, mapOf("left"), mapOf("right")).lookup(1)->force(); },
      [&] { juxtor::zip(vectorOf("left"), vectorOf("right")).lazyAt(0).force(); },
      [&] { juxtor::zipWith(plus, thrower("left"), thrower("right"))(1); },
      [&] { juxtor::alignWith([](const These<int, int>&) { return 0; }, thrower("left"), thrower("right"))(1); },
      [&] {
        juxtor::bicrosswalk([](int) -> std::optional<int> { throw std::runtime_error("left"); },
                            [](int) -> std::optional<int> { throw std::runtime_error("right"); }, These<int, int>::these(1, 2));
      },
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(firstFailure(cases[i]), "left") << "case " << i;
}

}  // namespace
