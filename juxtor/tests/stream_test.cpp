// The stream aligner and zipper, and aligning bundles.

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include <basis/stream.hpp>
#include <juxtor/internal/stream.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::IdentityTag;
using basis::Lazy;
using basis::Step;
using basis::StepKind;
using basis::Stream;
using basis::Vector;
using T = These<int, int>;
using SK = StepKind;

// A pure stream from a script of steps: 'y' yields the next value, 's'
// skips; after the script, Done (again and again). Counts its step calls.
struct Scripted {
  std::vector<char> script;
  std::vector<int> values;
  std::shared_ptr<int> calls = std::make_shared<int>(0);
  Stream<IdentityTag, int> stream() const {
    auto self = *this;
    return basis::makeStream<IdentityTag, int, std::pair<std::size_t, std::size_t>>(
        [self](const std::pair<std::size_t, std::size_t>& st) {
          using R = Step<std::pair<std::size_t, std::size_t>, int>;
          ++*self.calls;
          auto [at, next] = st;
          if (at >= self.script.size()) return basis::Identity<R>{R::done()};
          if (self.script[at] == 's') return basis::Identity<R>{R::skip({at + 1, next})};
          return basis::Identity<R>{R::yield(Lazy<int>(self.values[next]), {at + 1, next + 1})};
        },
        std::pair<std::size_t, std::size_t>(0, 0));
  }
};
Scripted yields(std::vector<int> values) {
  return Scripted{std::vector<char>(values.size(), 'y'), values};
}

// Every step of a pure stream: its kind, and the yielded elements forced.
template <class A>
std::pair<std::vector<SK>, std::vector<A>> run(const Stream<IdentityTag, A>& s) {
  std::pair<std::vector<SK>, std::vector<A>> out;
  basis::StreamState st = s.state;
  for (int guard = 0; guard < 1000; ++guard) {
    auto r = s.step(st).value;
    out.first.push_back(r.kind);
    if (r.kind == SK::Done) break;
    if (r.kind == SK::Yield) out.second.push_back(r.element->force());
    st = *r.next;
  }
  return out;
}

TEST(StreamAlign, TwoEmptyStreamsSkipThenEnd) {
  auto r = run(juxtor::align(yields({}).stream(), yields({}).stream()));
  EXPECT_EQ(r.first, (std::vector<SK>{SK::Skip, SK::Done}));
}

TEST(StreamAlign, TheLongerLeftKeepsSteppingTheEndedRight) {
  auto right = yields({10});
  auto r = run(juxtor::align(yields({1, 2, 3}).stream(), right.stream()));
  EXPECT_EQ(r.second, (std::vector<T>{Both(1, 10), This<int, int>(2), This<int, int>(3)}));
  EXPECT_EQ(*right.calls, 4);  // one Yield, three Done
}

TEST(StreamAlign, TheLongerRightYieldsThat) {
  auto r = run(juxtor::align(yields({1}).stream(), yields({10, 20, 30}).stream()));
  EXPECT_EQ(r.second, (std::vector<T>{Both(1, 10), That<int, int>(20), That<int, int>(30)}));
  auto s = run(juxtor::align(yields({1}).stream(), yields({}).stream()));
  EXPECT_EQ(s.first, (std::vector<SK>{SK::Skip, SK::Yield, SK::Skip, SK::Done}));
  EXPECT_EQ(s.second, (std::vector<T>{This<int, int>(1)}));
}

TEST(StreamAlign, ARightSkipKeepsTheLeftElementPending) {
  Scripted right{{'s', 's', 'y'}, {10}};
  auto r = run(juxtor::align(yields({1}).stream(), right.stream()));
  EXPECT_EQ(r.second, (std::vector<T>{Both(1, 10)}));
}

TEST(StreamAlign, EvaluatesNoElementAndDefersTheFunction) {
  auto bad = basis::makeStream<IdentityTag, int, int>(
      [](int i) {
        using R = Step<int, int>;
        return basis::Identity<R>{i < 2 ? R::yield(failing<int>(), i + 1) : R::done()};
      },
      0);
  int calls = 0;
  auto s = juxtor::alignWith([&calls](const T&) { return ++calls; }, bad, yields({1}).stream());
  std::size_t yielded = 0;
  basis::StreamState st = s.state;
  for (;;) {
    auto r = s.step(st).value;
    if (r.kind == SK::Done) break;
    if (r.kind == SK::Yield) ++yielded;
    st = *r.next;
  }
  EXPECT_EQ(yielded, 2u);
  EXPECT_EQ(calls, 0);
}

TEST(StreamAlign, TheUnreachableStateIsAPatternMatchFailure) {
  using S = juxtor::detail::AlignerState<int, int, int>;
  auto f = std::make_shared<juxtor::detail::Id>();
  try {
    (void)juxtor::detail::afterRight<T>(f, S{0, 0, std::nullopt, false}, Step<int, int>::done());
    FAIL();
  } catch (const basis::PatternMatchFail& e) {
    EXPECT_STREQ(e.what(), "src/Data/Juxtor/Internal:(684,25)-(686,43)|case");
  }
}

TEST(StreamZip, EndsAtTheFirstDone) {
  auto r = run(juxtor::zip(yields({1, 2}).stream(), yields({10}).stream()));
  EXPECT_EQ(r.second, (std::vector<std::pair<int, int>>{{1, 10}}));
  EXPECT_EQ(r.first.back(), SK::Done);
  auto w = run(juxtor::zipWith([](int a, int b) { return a * b; }, yields({2, 3}).stream(), yields({5, 7, 9}).stream()));
  EXPECT_EQ(w.second, (std::vector<int>{10, 21}));
}

TEST(StreamNil, IsDoneAtOnce) {
  auto r = run(juxtor::nil<basis::StreamOf<IdentityTag>, int>());
  EXPECT_EQ(r.first, (std::vector<SK>{SK::Done}));
  auto b = juxtor::nil<basis::BundleOf<IdentityTag>, int>();
  EXPECT_EQ(b.size.force(), basis::Size::exact(0));
  EXPECT_EQ(basis::vectorFromBundle(b).size(), 0u);
}

TEST(BundleAlign, SizeHintsAreLargerAndSmaller) {
  auto a = basis::bundleFromVector<IdentityTag>(Vector<int>{1, 2, 3});
  auto b = basis::bundleFromVector<IdentityTag>(Vector<int>{10, 20, 30, 40, 50});
  auto aligned = juxtor::align(a, b);
  EXPECT_EQ(aligned.size.force(), basis::Size::exact(5));
  EXPECT_FALSE(aligned.source.has_value());
  auto v = basis::vectorFromBundle(aligned);
  EXPECT_EQ(v.toVector(), (std::vector<T>{Both(1, 10), Both(2, 20), Both(3, 30), That<int, int>(40), That<int, int>(50)}));
  auto zipped = juxtor::zip(a, b);
  EXPECT_EQ(zipped.size.force(), basis::Size::exact(3));
  EXPECT_EQ(basis::vectorFromBundle(zipped).size(), 3u);
  auto w = juxtor::zipWith([](int x, int y) { return x + y; }, a, b);
  EXPECT_EQ(basis::vectorFromBundle(w).toVector(), (std::vector<int>{11, 22, 33}));
}

TEST(SizeHints, CombineAsTheLongerOrShorterSequence) {
  using basis::Size;
  EXPECT_EQ(basis::larger(Size::exact(3), Size::exact(5)), Size::exact(5));
  EXPECT_EQ(basis::smaller(Size::exact(3), Size::exact(5)), Size::exact(3));
  EXPECT_EQ(basis::larger(Size::exact(3), Size::max(2)), Size::max(3));
  EXPECT_EQ(basis::larger(Size::unknown(), Size::max(2)), Size::unknown());
  EXPECT_EQ(basis::smaller(Size::unknown(), Size::exact(4)), Size::max(4));
}

}  // namespace
