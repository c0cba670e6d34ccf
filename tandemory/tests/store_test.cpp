// The representable store: building, reading, the comonad and the store
// interface.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/cofree.hpp"
#include "tandemory/comonad/representable/store.hpp"
#include "probes.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using S = std::string;
using G = basis::FunctionFrom<S>;  // positions are strings under concatenation
using Id = basis::IdentityTag;
template <class A>
using Plain = StoreT<G, Id, A>;
using PTag = StoreTOf<G, Id>;
using Store = basis::ComonadStore<PTag>;

Plain<S> brackets(const S& focus) {
  return store<G>([](const S& k) { return "[" + k + "]"; }, focus);
}

TEST(StoreInterfaces, AreComplete) {
  static_assert(basis::ComonadTag<PTag>);
  static_assert(basis::ExtendTag<PTag>);
  static_assert(basis::ApplicativeTag<PTag>);
  static_assert(basis::SemiapplicativeTag<PTag>);
}

TEST(StoreBuilding, ExtractAndRunStoreReadTheTable) {
  auto st = brackets("ab");
  EXPECT_EQ(basis::Comonad<PTag>::extract(st), "[ab]");
  auto [read, focus] = runStore(st);
  EXPECT_EQ(read("x"), "[x]");
  EXPECT_EQ(focus.force(), "ab");
  auto at = store<G>([](const S& k) { return k.size(); });
  EXPECT_EQ(basis::Comonad<PTag>::extract(at("four")), 4u);
  EXPECT_EQ(at("a").tables.cellAddress(), at("b").tables.cellAddress());  // one shared table
  auto tracked = storeT<G>(std::vector<std::function<S(const S&)>>{[](const S& k) { return k + "!"; }}, S("z"));
  auto [readers, f2] = runStoreT(tracked);
  EXPECT_EQ(readers.force()[0]("q"), "q!");
  EXPECT_EQ(f2.force(), "z");
}

TEST(StoreBuilding, NothingIsEvaluatedUntilRead) {
  int calls = 0;
  auto st = store<G>([&calls](const S& k) { return ++calls, k; }, basis::Lazy<S>::raise(std::runtime_error("focus")));
  auto mapped = basis::Functor<PTag>::fmap([](const S& v) { return v + "?"; }, st);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(mapped.tables.isEvaluated());
  EXPECT_THROW(basis::Comonad<PTag>::extract(mapped), std::runtime_error);
  EXPECT_EQ(Store::peek("k", mapped), "k?");
}

TEST(StoreZipping, CombinesTheFocusesLeftFirst) {
  using App = basis::Semiapplicative<PTag>;
  auto left = brackets("ab");
  auto right = brackets("cd");
  EXPECT_EQ(Store::pos(App::liftF2([](const S& a, const S& b) { return a + b; }, left, right)), "abcd");
  EXPECT_EQ(Store::pos(App::seqRightF(left, right)), "abcd");
  EXPECT_EQ(Store::pos(App::seqLeftF(left, right)), "abcd");
  auto zipped = App::liftF2([](const S& a, const S& b) { return a + "+" + b; }, left, right);
  EXPECT_EQ(Store::peek("x", zipped), "[x]+[x]");
  EXPECT_EQ(basis::Comonad<PTag>::extract(basis::Applicative<PTag>::seqLeft(left, right)), "[abcd]");
  using CA = basis::ComonadApply<PTag>;
  auto kept = CA::seqLeftW(left, right);
  EXPECT_EQ(Store::pos(kept), "abcd");
  EXPECT_EQ(Store::peek("x", kept), "[x]");
  auto taken = CA::seqRightW(left, basis::Functor<PTag>::fmap([](const S& v) { return v + "!"; }, right));
  EXPECT_EQ(Store::pos(taken), "abcd");
  EXPECT_EQ(basis::Comonad<PTag>::extract(taken), "[abcd]!");
}

using probes::firstFailure;

// Two operands that both fail: the one on the left (the functions) is
// demanded first, whatever order the compiler gives an argument list.
TEST(Zipping, DemandsTheLeftOperandFirst) {
  using Fn = std::function<S(const S&)>;
  auto storeOf = [](const char* what) { return basis::Lazy<Plain<Fn>>::raise(std::runtime_error(what)); };
  auto argOf = [](const char* what) { return basis::Lazy<Plain<S>>::raise(std::runtime_error(what)); };
  auto focusOf = [](const char* what) {
    return Plain<S>{basis::Identity<Fn>{[](const S& k) { return k; }}, basis::Lazy<S>::raise(std::runtime_error(what))};
  };
  using CoTag = CoOf<G>;
  auto coOf = [](const char* what) { return basis::Lazy<Co<G, Fn>>::raise(std::runtime_error(what)); };
  auto coArgOf = [](const char* what) { return basis::Lazy<Co<G, S>>::raise(std::runtime_error(what)); };
  const auto fs = storeOf("left");
  const auto xs = argOf("right");
  const std::function<void()> cases[] = {
      [&] { basis::Applicative<PTag>::ap(storeOf("left"), argOf("right")); },
      [&] { basis::Applicative<PTag>::ap(fs, xs); },
      [&] { basis::Semiapplicative<PTag>::apF(storeOf("left"), argOf("right")); },
      [&] { basis::Semiapplicative<PTag>::apF(fs, xs); },
      [&] { basis::Applicative<PTag>::ap([&] { return fs.force(); }, [&] { return xs.force(); }); },
      [&] { basis::Semiapplicative<PTag>::apF([&] { return fs.force(); }, [&] { return xs.force(); }); },
      [&] { Store::pos(basis::Semiapplicative<PTag>::liftF2(std::plus<S>(), focusOf("left"), focusOf("right"))); },
      [&] { Store::pos(basis::Applicative<PTag>::liftA2(std::plus<S>(), focusOf("left"), focusOf("right"))); },
      [&] { basis::Comonad<PTag>::extract(basis::ComonadApply<PTag>::apW(
                Plain<Fn>{basis::Lazy<basis::Identity<std::function<Fn(const S&)>>>::raise(std::runtime_error("left")),
                          S("f")},
                focusOf("right"))); },
      [&] { basis::Applicative<CoTag>::ap(coOf("left"), coArgOf("right")); },
      [&] { basis::Semiapplicative<CoTag>::liftF2(std::plus<S>(), coArgOf("left"), coArgOf("right")); },
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(firstFailure(cases[i]), "left") << "case " << i;
}

TEST(StoreApplicative, PureFocusesAtMempty) {
  auto p = basis::Applicative<PTag>::pure(Int(7));
  EXPECT_EQ(Store::pos(p), "");
  EXPECT_EQ(basis::Comonad<PTag>::extract(p), 7);
  auto sum = basis::Applicative<PTag>::liftA2(std::plus<Int>(), p, basis::Applicative<PTag>::pure(Int(1)));
  EXPECT_EQ(basis::Comonad<PTag>::extract(sum), 8);
}

TEST(StoreComonad, DuplicateHoldsTheStoreRefocusedEverywhere) {
  using W = basis::Comonad<PTag>;
  auto st = brackets("f");
  auto d = W::duplicate(st);
  auto back = W::extract(d);
  EXPECT_EQ(Store::pos(back), "f");
  EXPECT_EQ(Store::peek("a", d).tables.cellAddress(), Store::peek("b", d).tables.cellAddress());  // one shared context
  auto moved = Store::peek("s1", d);
  EXPECT_EQ(Store::pos(moved), "s1");
  EXPECT_EQ(W::extract(moved), "[s1]");
  auto ext = W::extend([](const Plain<S>& x) { return Store::pos(x).size(); }, st);
  EXPECT_EQ(Store::peek("abc", ext), 3u);
  auto extd = basis::Extend<PTag>::extended([](const Plain<S>& x) { return W::extract(x) + "."; }, st);
  EXPECT_EQ(W::extract(extd), "[f].");
}

RC_GTEST_PROP(StoreComonadLaws, HoldForFunctionTables, (std::string focus, std::string other, int shift)) {
  using W = basis::Comonad<PTag>;
  auto st = store<G>([shift](const S& k) { return Int(k.size()) * 7 + shift; }, focus);
  auto viaDup = W::extract(W::duplicate(st));
  auto mappedBack = basis::Functor<PTag>::fmap([](const Plain<Int>& x) { return W::extract(x); }, W::duplicate(st));
  RC_ASSERT(W::extract(viaDup) == W::extract(st));
  RC_ASSERT(Store::peek(other, viaDup) == Store::peek(other, st));
  RC_ASSERT(Store::peek(other, mappedBack) == Store::peek(other, st));
  RC_ASSERT(W::extract(basis::Functor<PTag>::fmap([](Int v) { return v * 2; }, st)) == W::extract(st) * 2);
}

TEST(StoreInterface, MovesTheFocusAndReadsAnyPosition) {
  auto st = brackets("here");
  EXPECT_EQ(Store::pos(Store::seek(S("there"), st)), "there");
  EXPECT_EQ(Store::peek("p", st), "[p]");
  EXPECT_EQ(Store::peeks([](const S& s) { return s + "s"; }, st), "[heres]");
  EXPECT_EQ(Store::pos(Store::seeks([](const S& s) { return s + "!"; }, st)), "here!");
  auto failing = Store::seeks([](const S&) -> S { throw std::runtime_error("seeks"); }, st);
  EXPECT_THROW(Store::pos(failing), std::runtime_error);
  auto both = Store::experiment([](const S& s) { return std::vector<S>{s + "1", s + "2"}; }, st);
  EXPECT_EQ(both, (std::vector<S>{"[here1]", "[here2]"}));
  // A k that takes the focus deferred reads it only when it needs it.
  auto unfocused = store<G>([](const S& k) { return "<" + k + ">"; }, basis::Lazy<S>::raise(std::runtime_error("focus")));
  auto fixed = Store::experiment([](const basis::Lazy<S>&) { return std::vector<S>{"p", "q"}; }, unfocused);
  EXPECT_EQ(fixed, (std::vector<S>{"<p>", "<q>"}));
  auto used = [&] { Store::experiment([](const basis::Lazy<S>& s) { return std::vector<S>{s.force()}; }, unfocused); };
  EXPECT_THROW(used(), std::runtime_error);
}

TEST(StoreTransformer, LowerAndCohoist) {
  auto st = brackets("x");
  EXPECT_EQ(lower(st), basis::Identity<S>{"[x]"});
  auto moved = cohoist([](const auto& w) { return std::vector<basis::element_of<std::decay_t<decltype(w)>>>{w.value}; }, st);
  EXPECT_EQ(Store::pos(st), moved.focus.force());
  EXPECT_EQ(moved.tables.force().size(), 1u);
  EXPECT_EQ(moved.tables.force()[0]("y"), "[y]");
}

TEST(StoreClasses, AskReadsTheEnvironmentWithoutTheFocusOrTheValues) {
  using E = basis::PairOf<Int>;
  using ETag = StoreTOf<G, E>;
  using Table = std::function<S(const S&)>;
  using Env = basis::ComonadEnv<ETag>;
  auto failing = [](const char* what) { return [what](const S&) -> S { throw std::runtime_error(what); }; };
  const StoreT<G, E, S> fine{std::pair<Int, Table>(5, [](const S& k) { return k; }), S("f")};
  const StoreT<G, E, S> cases[] = {
      // the focus fails
      {std::pair<Int, Table>(5, [](const S& k) { return k; }), basis::Lazy<S>::raise(std::runtime_error("focus"))},
      // the value at the focus fails
      {std::pair<Int, Table>(5, failing("value at the focus")), S("f")},
      // a sought position fails
      basis::ComonadStore<ETag>::seek(basis::Lazy<S>::raise(std::runtime_error("sought")), fine),
      basis::ComonadStore<ETag>::seeks(failing("seeks"), fine),
      // a mapped value fails
      basis::Functor<ETag>::fmap(failing("mapped"), fine),
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NO_THROW(EXPECT_EQ(Env::ask(cases[i]), 5));
  }
  // A store inside a store: the inner store's focus is not read either.
  using Inner = StoreTOf<G, E>;
  using Outer = StoreTOf<G, Inner>;
  StoreT<G, Inner, S> nested{StoreT<G, E, Table>{std::pair<Int, std::function<Table(const S&)>>(
                                                     7, [](const S&) -> Table { throw std::runtime_error("inner table"); }),
                                                 basis::Lazy<S>::raise(std::runtime_error("inner focus"))},
                             basis::Lazy<S>::raise(std::runtime_error("outer focus"))};
  EXPECT_EQ(basis::ComonadEnv<Outer>::ask(nested), 7);
}

TEST(StoreInterface, PosOfATemporaryIsAValue) {
  const S s(40, 'p');  // longer than a string's inline buffer
  static_assert(!std::is_reference_v<decltype(Store::pos(brackets(s)))>);
  const auto& p = Store::pos(brackets(s));
  EXPECT_EQ(p, s);
}

TEST(StoreClasses, PassTheInnerComonadsCapabilities) {
  // Traced: the tables under functions from a string trace.
  using T = basis::FunctionFrom<S>;
  StoreT<G, T, S> traced{std::function<std::function<S(const S&)>(const S&)>([](const S& t) {
                           return std::function<S(const S&)>([t](const S& k) { return t + ":" + k; });
                         }),
                         S("f")};
  using Traced = basis::ComonadTraced<StoreTOf<G, T>>;
  EXPECT_EQ(Traced::trace("tr", traced), "tr:f");
  // Env: an environment beside the tables.
  using E = basis::PairOf<Int>;
  StoreT<G, E, S> env{std::pair<Int, std::function<S(const S&)>>(5, [](const S& k) { return k; }), S("f")};
  using Env = basis::ComonadEnv<StoreTOf<G, E>>;
  EXPECT_EQ(Env::ask(env), 5);
  // Cofree: each child context carries the same focus.
  using C = basis::CofreeOf<basis::VectorTag>;
  using Node = basis::Cofree<basis::VectorTag, std::function<S(const S&)>>;
  std::function<S(const S&)> table = [](const S& k) { return k; };
  Node leaf(table, std::vector<Node>{});
  Node root(table, std::vector<Node>{leaf, leaf});
  StoreT<G, C, S> tree{root, S("f")};
  auto children = basis::ComonadCofree<StoreTOf<G, C>>::unwrap(tree);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0].focus.force(), "f");
  EXPECT_EQ(children[1].focus.force(), "f");
}

}  // namespace
