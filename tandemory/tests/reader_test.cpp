// The representable reader: building, running, and its monad interfaces.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/monad/representable/reader.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Fn = basis::FunctionFrom<Int>;
using Id = basis::IdentityTag;
using Log = basis::PairOf<std::string>;  // the writer (log, value)
template <class B>
using R = ReaderT<Fn, Id, B>;
using RTag = ReaderTOf<Fn, Id>;

TEST(ReaderInterfaces, AreComplete) {
  static_assert(basis::MonadTag<RTag>);
  static_assert(basis::BindTag<RTag>);
  static_assert(basis::MonadTag<ReaderTOf<Fn, Log>>);
  static_assert(RepresentableTag<ReaderTOf<Fn, basis::ComplexTag>>);
  static_assert(basis::ComonadTag<ReaderTOf<basis::FunctionFrom<std::string>, basis::FunctionFrom<std::string>>>);
  static_assert(basis::TraversableTag<ReaderTOf<basis::ComplexTag, basis::VectorTag>>);
}

TEST(ReaderRunning, RunsTheComputationAtThePosition) {
  auto x = readerT<Fn>([](const Int& e) { return basis::Identity<Int>{e * 3}; });
  EXPECT_EQ(runReaderT(x, 4), basis::Identity<Int>{12});
  EXPECT_EQ(runReaderT(x)(5), basis::Identity<Int>{15});
  EXPECT_EQ(runReader(x, 6), 18);
  EXPECT_EQ(getReaderT(x)(1).value, 3);
}

TEST(ReaderMonadReader, AskReaderAndLocal) {
  using MR = basis::MonadReader<RTag>;
  EXPECT_EQ(runReader(MR::ask(), 9), 9);
  EXPECT_EQ(runReader(MR::reader([](const Int& e) { return std::to_string(e); }), 12), "12");
  auto x = readerT<Fn>([](const Int& e) { return basis::Identity<Int>{e + 1}; });
  EXPECT_EQ(runReader(MR::local([](const Int& e) { return e * 10; }, x), 2), 21);
}

TEST(ReaderMonad, BindReadsTheContinuationAtTheSamePosition) {
  auto reads = std::make_shared<std::vector<Int>>();
  auto x = readerT<Fn>([](const Int& e) { return basis::Identity<Int>{e + 100}; });
  auto bound = basis::Monad<RTag>::bind(x, [reads](const Int& v) {
    return readerT<Fn>([reads, v](const Int& e) {
      reads->push_back(e);
      return basis::Identity<Int>{v * 1000 + e};
    });
  });
  EXPECT_TRUE(reads->empty());
  EXPECT_EQ(runReader(bound, 7), 107 * 1000 + 7);
  EXPECT_EQ(*reads, std::vector<Int>{7});
}

TEST(ReaderApplicative, SequencingKeepsBothEffectsInOrder) {
  using W = ReaderTOf<Fn, Log>;
  auto x = readerT<Fn>([](const Int& e) { return std::pair<std::string, Int>("x", e); });
  auto y = readerT<Fn>([](const Int& e) { return std::pair<std::string, Int>("y", -e); });
  EXPECT_EQ(runReaderT(basis::Applicative<W>::seqRight(x, y), 3), (std::pair<std::string, Int>("xy", -3)));
  EXPECT_EQ(runReaderT(basis::Applicative<W>::seqLeft(x, y), 3), (std::pair<std::string, Int>("xy", 3)));
  EXPECT_EQ(runReaderT(basis::Semiapplicative<W>::seqRightF(x, y), 3), (std::pair<std::string, Int>("xy", -3)));
  EXPECT_EQ(runReaderT(basis::Semiapplicative<W>::seqLeftF(x, y), 3), (std::pair<std::string, Int>("xy", 3)));
  auto sum = basis::Applicative<W>::liftA2(std::plus<Int>(), x, y);
  auto sumF = basis::Semiapplicative<W>::liftF2(std::plus<Int>(), x, y);
  EXPECT_EQ(runReaderT(sum, 3), (std::pair<std::string, Int>("xy", 0)));
  EXPECT_EQ(runReaderT(sumF, 3), runReaderT(sum, 3));
  EXPECT_EQ(runReaderT(basis::Monad<W>::then(x, y), 2), (std::pair<std::string, Int>("xy", -2)));
}

TEST(ReaderSharing, PureLiftAndTellHoldOneComputationEverywhere) {
  using W = ReaderTOf<Fn, Log>;
  auto token = std::make_shared<int>(1);
  auto p = basis::Applicative<RTag>::pure(token);
  EXPECT_EQ(runReader(p, 1).get(), runReader(p, 2).get());
  auto lifted = basis::lift<ReaderTTrans<Fn>>(basis::Identity<std::shared_ptr<int>>{token});
  EXPECT_EQ(runReader(lifted, 5).get(), token.get());
  auto told = basis::MonadWriter<W>::tell("log");
  EXPECT_EQ(runReaderT(told, 1).first, "log");
  EXPECT_EQ(runReaderT(told, 2).first, "log");
}

TEST(ReaderMonadIO, HoldsOneLiftedActionAtEveryPosition) {
  using IOR = ReaderTOf<Fn, basis::IOTag>;
  static_assert(basis::MonadTag<IOR>);
  auto runs = std::make_shared<int>(0);
  basis::IO<Int> io{[runs] { return Int(++*runs); }};
  auto lifted = basis::MonadIO<IOR>::liftIO(io);
  EXPECT_EQ(*runs, 0);  // building runs nothing
  EXPECT_EQ(runReaderT(lifted, 1).run(), 1);
  EXPECT_EQ(runReaderT(lifted, 2).run(), 2);
  auto both = basis::Monad<IOR>::then(lifted, basis::MonadReader<IOR>::ask());
  EXPECT_EQ(runReaderT(both, 9).run(), 9);
  EXPECT_EQ(*runs, 3);
}

TEST(ReaderMonadWriter, PassesTheInnerWriterPositionByPosition) {
  using W = ReaderTOf<Fn, Log>;
  using MW = basis::MonadWriter<W>;
  auto w = MW::writer(std::pair<Int, std::string>(4, "four"));
  EXPECT_EQ(runReaderT(w, 0), (std::pair<std::string, Int>("four", 4)));
  auto x = readerT<Fn>([](const Int& e) { return std::pair<std::string, Int>(std::to_string(e), e); });
  auto heard = runReaderT(MW::listen(x), 8);
  EXPECT_EQ(heard.second, (std::pair<Int, std::string>(8, "8")));
  using Change = std::function<std::string(const std::string&)>;
  Change twice = [](const std::string& s) { return s + s; };
  auto upper = readerT<Fn>([twice](const Int& e) {
    return std::pair<std::string, std::pair<Int, Change>>("ab", std::pair<Int, Change>(e, twice));
  });
  EXPECT_EQ(runReaderT(MW::pass(upper), 1), (std::pair<std::string, Int>("abab", 1)));
}

TEST(ReaderFunctor, MapsInsideEveryComputation) {
  auto x = readerT<Fn>([](const Int& e) { return basis::Identity<Int>{e}; });
  EXPECT_EQ(runReader(basis::Functor<RTag>::fmap([](Int v) { return v * v; }, x), 7), 49);
  EXPECT_EQ(runReader(basis::Functor<RTag>::replace(std::string("c"), x), 7), "c");
}

}  // namespace
