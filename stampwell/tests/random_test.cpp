#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <ranges>
#include <set>
#include <stdexcept>
#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;

// A generator that hands out a fixed list of words, then zeros.
struct Scripted {
  using result_type = std::uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~0ULL; }
  std::vector<std::uint64_t> words;
  std::size_t next = 0;
  result_type operator()() { return next < words.size() ? words[next++] : 0; }
};

// The first n elements of an endless range, walked as std::views::take walks
// them: a counted iterator and the default sentinel (clang before 16 cannot
// compile std::views::take with libstdc++ 12).
template <class R>
struct Take {
  R range;
  std::ptrdiff_t n;
  auto begin() { return std::counted_iterator(range.begin(), n); }
  std::default_sentinel_t end() const { return std::default_sentinel; }
};
template <class R>
Take(R, std::ptrdiff_t) -> Take<R>;

bool isVersion4(UUID u) {
  const auto b = stampwell::toList(u);
  return (b[6] >> 4) == 4 && (b[8] >> 6) == 2;
}

TEST(RandomUUID, DrawsFillBytesInOrderThenStamp) {
  Scripted ones{{~0ULL, ~0ULL}};
  EXPECT_EQ(stampwell::toASCIIBytes(stampwell::uniformM(ones)),
            "ffffffff-ffff-4fff-bfff-ffffffffffff");
  Scripted zeros{{0, 0}};
  EXPECT_EQ(stampwell::toASCIIBytes(stampwell::uniformM(zeros)),
            "00000000-0000-4000-8000-000000000000");
  Scripted counting{{0x0011223344556677ULL, 0x8899aabbccddeeffULL}};
  const auto [u, after] = stampwell::random(counting);
  EXPECT_EQ(stampwell::toASCIIBytes(u), "00112233-4455-4677-8899-aabbccddeeff");
  EXPECT_EQ(after.next, 2u);
  EXPECT_EQ(counting.next, 0u);  // the caller's generator is not advanced
}

TEST(RandomUUID, SeededGeneratorGivesAFixedSequence) {
  const std::vector<std::string> expected = {
      "c151df7d-6ee5-42d6-a397-8fb9b92502a8",
      "c08c967f-0e5e-4b0a-a2e2-c43f8a1ad34e",
      "e73ca28e-4d36-4955-9814-dc629c7f4f7c",
  };
  std::vector<std::string> got;
  for (UUID u : Take{stampwell::randoms(std::mt19937_64(42)), 3}) {
    got.push_back(stampwell::toASCIIBytes(u));
  }
  EXPECT_EQ(got, expected);
}

TEST(RandomUUID, RandomsThreadsTheGeneratorFromEachElementToTheNext) {
  const std::mt19937_64 g(7);
  const auto [first, g1] = stampwell::random(g);
  const auto [second, g2] = stampwell::random(g1);
  auto xs = stampwell::randoms(g);
  auto it = xs.begin();
  EXPECT_EQ(*it, first);
  EXPECT_EQ(*++it, second);
  // Every begin starts again from the same generator.
  EXPECT_EQ(*xs.begin(), first);
  static_assert(std::ranges::forward_range<decltype(xs)>);
  static_assert(std::ranges::view<decltype(xs)>);
}

// A generator that counts its draws in a shared counter and throws once a
// limit is passed.
struct Counting {
  using result_type = std::uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~0ULL; }
  std::shared_ptr<int> draws = std::make_shared<int>(0);
  int limit = 1000;
  result_type operator()() {
    if (++*draws > limit) throw std::runtime_error("generator exhausted");
    return static_cast<result_type>(*draws);
  }
};

TEST(RandomUUID, RandomsDrawsOnlyTheElementsReached) {
  Counting g;
  g.limit = 6;
  std::vector<UUID> got;
  for (UUID u : Take{stampwell::randoms(g), 3}) got.push_back(u);
  EXPECT_EQ(got.size(), 3u);
  EXPECT_EQ(*g.draws, 6);

  *g.draws = 0;
  const auto xs = stampwell::randoms(g);
  auto it = xs.begin();
  EXPECT_EQ(*g.draws, 0);  // nothing is drawn before the first element is read
  std::ranges::advance(it, 2);
  EXPECT_EQ(*g.draws, 4);  // the two elements stepped over still take their draws
  const UUID third = *it;
  EXPECT_EQ(*it, third);   // read again: no new draw
  EXPECT_EQ(*g.draws, 6);
  EXPECT_THROW(*++it, std::runtime_error);
}

TEST(RandomUUID, AcceptsAGeneratorOfUnsignedLongLongWords) {
  struct LongLongWords {
    using result_type = unsigned long long;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return ~0ULL; }
    result_type operator()() { return ~0ULL; }
  };
  static_assert(stampwell::Word64Generator<LongLongWords>);
  static_assert(!stampwell::Word64Generator<std::mt19937>);  // 32-bit words
  LongLongWords g;
  EXPECT_EQ(stampwell::toASCIIBytes(stampwell::uniformM(g)),
            "ffffffff-ffff-4fff-bfff-ffffffffffff");
}

TEST(RandomUUID, RangeFormsTakeOnlyTheWholeRange) {
  const std::mt19937_64 g(7);
  const std::pair<UUID, UUID> reversed{stampwell::wholeRange.second, stampwell::wholeRange.first};
  for (const auto& whole : {stampwell::wholeRange, reversed}) {
    EXPECT_EQ(stampwell::randomR(whole, g).first, stampwell::random(g).first);
    EXPECT_EQ(*stampwell::randomRs(whole, g).begin(), stampwell::random(g).first);
  }
  const std::pair<UUID, UUID> narrow{UUID(0, 0), UUID(0, 10)};
  const std::pair<UUID, UUID> narrowReversed{UUID(0, 10), UUID(0, 0)};
  const std::pair<UUID, UUID> almostWhole{UUID(0, 1), UUID(~0ULL, ~0ULL)};
  for (const auto& range : {narrow, narrowReversed, almostWhole}) {
    EXPECT_THROW((void)stampwell::randomR(range, g), basis::ErrorCall);
    EXPECT_THROW((void)stampwell::randomRs(range, g), basis::ErrorCall);
  }
}

TEST(RandomUUID, EveryDrawIsVersion4WithTheRfcVariantAndDistinct) {
  std::set<UUID> seen;
  for (UUID u : Take{stampwell::randoms(std::mt19937_64(1)), 2000}) {
    EXPECT_TRUE(isVersion4(u)) << u;
    seen.insert(u);
  }
  EXPECT_EQ(seen.size(), 2000u);
}

RC_GTEST_PROP(RandomUUID, KeepsEveryOtherBitOfTheDraws, (std::uint64_t a, std::uint64_t b)) {
  Scripted g{{a, b}};
  const UUID u = stampwell::uniformM(g);
  RC_ASSERT(isVersion4(u));
  RC_ASSERT(u.firstWord() == ((a & ~0xf000ULL) | 0x4000ULL));
  RC_ASSERT(u.secondWord() == ((b & ~(3ULL << 62)) | (1ULL << 63)));
  // The same UUID as the sixteen bytes fed one at a time to the builder.
  RC_ASSERT(u == stampwell::feed(stampwell::feed(stampwell::buildFromBytes(4), a), b));
}

// A generator that can also hand out several words at once, counting how it
// was asked.
struct Filling {
  using result_type = std::uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~0ULL; }
  std::uint64_t next = 1;
  int singles = 0;
  int fills = 0;
  result_type operator()() {
    ++singles;
    return next++;
  }
  void fill(std::uint64_t* out, std::size_t k) {
    ++fills;
    for (std::size_t i = 0; i < k; ++i) out[i] = next++;
  }
};

TEST(RandomUUID, AGeneratorThatFillsGivesBothWordsInOneCallInDrawOrder) {
  Filling g;
  const UUID u = stampwell::uniformM(g);
  EXPECT_EQ(g.fills, 1);
  EXPECT_EQ(g.singles, 0);
  Scripted same{{1, 2}};
  EXPECT_EQ(u, stampwell::uniformM(same));
  EXPECT_EQ(stampwell::uniformM(g), UUID(0x4003, 0x8000000000000004ULL));
}

TEST(KernelEntropy, DrawsVersion4UUIDsThatDiffer) {
  static_assert(stampwell::Word64Generator<stampwell::KernelEntropy>);
  stampwell::KernelEntropy g;
  std::set<UUID> seen;
  for (int i = 0; i < 200; ++i) {
    const UUID u = stampwell::uniformM(g);
    EXPECT_TRUE(isVersion4(u)) << u;
    seen.insert(u);
  }
  EXPECT_EQ(seen.size(), 200u);
  EXPECT_TRUE(isVersion4(stampwell::random(g).first));
  // Single draws and fills larger than one read of the source.
  std::set<std::uint64_t> words{g(), g()};
  std::vector<std::uint64_t> many(100, 0);
  g.fill(many.data(), many.size());
  words.insert(many.begin(), many.end());
  EXPECT_EQ(words.size(), 102u);
}

}  // namespace
