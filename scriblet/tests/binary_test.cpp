// The binary form of texts and lists of texts.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/binary.hpp>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "binary_nesting.hpp"
#include "depth_check.hpp"
#include "probes.hpp"
#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::text;
namespace bin = basis::binary;

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s += static_cast<char>(x);
  return s;
}

TEST(BinaryForm, ATextIsItsByteCountThenItsBytes) {
  EXPECT_EQ(bin::encode(ShortText()), std::string(8, '\0'));
  EXPECT_EQ(bin::encode(text({0xC3, 0xA9})), bytes({0, 0, 0, 0, 0, 0, 0, 2, 0xC3, 0xA9}));
  // The same stream as the short byte string of the same bytes.
  EXPECT_EQ(bin::encode(text(U"héllo")), bin::encode(std::string("h\xC3\xA9llo")));
}

TEST(BinaryForm, AListIsItsCountThenEachText) {
  const std::vector<ShortText> two{text(U"a"), ShortText()};
  EXPECT_EQ(bin::encode(two),
            bytes({0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0x61, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bin::encode(std::vector<ShortText>{}), std::string(8, '\0'));
  const auto back = bin::decode<std::vector<ShortText>>(bin::encode(two));
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(*back.value, two);
}

TEST(BinaryForm, DecodingValidatesTheBytes) {
  const auto ok = bin::decode<ShortText>(bytes({0, 0, 0, 0, 0, 0, 0, 2, 0xC3, 0xA9, 0x7A}));
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok.value->bytes(), "\xC3\xA9");
  EXPECT_EQ(ok.remaining, "z");
  const std::string bad[] = {
      bytes({0, 0, 0, 0, 0, 0, 0, 1, 0xFF}),
      bytes({0, 0, 0, 0, 0, 0, 0, 3, 0xED, 0xA0, 0x80}),
      bytes({0, 0, 0, 0, 0, 0, 0, 1, 0xC3, 0x41, 0x42}),
      bin::encode(std::string("\xC0\x80")),  // a short byte string that is not UTF-8
  };
  for (const std::string& s : bad) {
    const auto r = bin::decode<ShortText>(s);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, "Binary.get(ShortText): Invalid UTF-8 stream");
    // The failure is reported just after the text's bytes.
    EXPECT_EQ(r.consumed, 8 + static_cast<std::size_t>(static_cast<unsigned char>(s[7])));
  }
}

TEST(BinaryForm, TruncatedOrCorruptedStreamsFailWithoutReadingPastTheInput) {
  struct Case {
    std::string input;
    const char* message;
  };
  const Case cases[] = {
      {"", "not enough bytes"},
      {bytes({0, 0, 0}), "not enough bytes"},
      {bytes({0, 0, 0, 0, 0, 0, 0, 3, 0x61}), "not enough bytes"},
      // A negative count, and counts far beyond the input: refused before
      // anything of that size is allocated.
      {bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x61}), "not enough bytes"},
      {bytes({0x80, 0, 0, 0, 0, 0, 0, 0}), "not enough bytes"},
      {bytes({0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x62}), "not enough bytes"},
      {bytes({0, 0, 0x10, 0, 0, 0, 0, 0, 0x61}), "not enough bytes"},
  };
  for (const Case& c : cases) {
    // Exactly the input's bytes on the heap: a read past them is caught by
    // AddressSanitizer.
    const std::vector<char> heap(c.input.begin(), c.input.end());
    const auto r = bin::decode<ShortText>(std::string_view(heap.data(), heap.size()));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, c.message);
    const auto list = bin::decode<std::vector<ShortText>>(std::string_view(heap.data(), heap.size()));
    EXPECT_FALSE(list.ok());
  }
  // A list announcing more texts than its bytes could hold fails at once.
  const auto huge = bin::decode<std::vector<ShortText>>(
      bytes({0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(huge.ok());
  EXPECT_EQ(huge.message, "not enough bytes");
  // A list whose second text is cut off fails with the text's failure.
  const auto cut = bin::decode<std::vector<ShortText>>(
      bytes({0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0x61, 0, 0, 0, 0, 0, 0, 0, 5, 0x61}));
  EXPECT_FALSE(cut.ok());
}

TEST(BinaryForm, InputInChunksDecodesTheSame) {
  const std::string whole = bin::encode(std::vector<ShortText>{text(U"aé"), text(U"€😀"), ShortText()});
  for (std::size_t a = 0; a <= whole.size(); ++a) {
    for (std::size_t b = a; b <= whole.size(); b += 3) {
      const std::string_view w(whole);
      const auto r = bin::decode<std::vector<ShortText>>(
          std::vector<std::string_view>{w.substr(0, a), w.substr(a, b - a), w.substr(b)});
      ASSERT_TRUE(r.ok()) << a << ' ' << b;
      EXPECT_EQ(toString(r.value->at(1)), U"€😀");
    }
  }
}

// The least thread CPU times of a few runs of f and of g, taken in turns so
// that a slow spell of the machine (a cold cache, a slower clock) weighs on
// both alike, in seconds. Time spent waiting for a core does not count.
template <class F, class G>
std::pair<double, double> leastTimes(int runs, F&& f, G&& g) {
  auto seconds = [](auto&& h) {
    const double start = probes::threadCpuSeconds();
    h();
    return probes::threadCpuSeconds() - start;
  };
  std::pair<double, double> best(1e30, 1e30);
  for (int i = 0; i < runs; ++i) {
    best.first = std::min(best.first, seconds(f));
    best.second = std::min(best.second, seconds(g));
  }
  return best;
}

// Decoding many short texts from small chunks costs a bounded factor more
// than from one chunk: the work per text does not grow with the chunks that
// follow it.
TEST(BinaryForm, ChunkedInputDecodesInTimeLinearInItsSize) {
  struct Case {
    std::size_t chunk;  // bytes per chunk
    std::size_t texts;
    const char32_t* text;
    double bound;  // on the time against one chunk
  };
  const std::vector<Case> cases = {
      {1, std::size_t{1} << 12, U"abcdéfg", 20},
      {7, std::size_t{1} << 14, U"abcdéfg", 10},
      {std::size_t{4} << 10, std::size_t{1} << 18, U"", 4},
      {std::size_t{32} << 10, std::size_t{1} << 20, U"", 4},
  };
  // A sanitizer build times a quarter of the texts: its checks cost alike
  // in both forms.
  const std::size_t scale = depth_check::kSanitized ? 4 : 1;
  for (const Case& c : cases) {
    const std::vector<ShortText> texts(c.texts / scale, text(c.text));
    const std::string whole = bin::encode(texts);
    std::vector<std::string_view> chunks;
    for (std::size_t at = 0; at < whole.size(); at += c.chunk) {
      chunks.push_back(std::string_view(whole).substr(at, c.chunk));
    }
    bool same = true;
    // Eight turns each: under a loaded machine (a parallel test run) four
    // left the least times of the short one-chunk runs at a slow spell.
    const auto [one, chunked] = leastTimes(
        8, [&] { same = same && bin::decode<std::vector<ShortText>>(whole).value == texts; },
        [&] { same = same && bin::decode<std::vector<ShortText>>(chunks).value == texts; });
    EXPECT_TRUE(same) << c.chunk;
    EXPECT_LE(chunked, c.bound * one + 2e-3)
        << whole.size() << " bytes in chunks of " << c.chunk << ": " << chunked << " s against "
        << one << " s in one chunk";
  }
}

// Lists of lists of texts, and maps and sets of them: every nesting uses the
// texts' own list form at its innermost level.
TEST(BinaryForm, ListsOfListsMapsAndSetsOfTextsRoundTrip) {
  binary_nesting::expectNestingsRoundTrip(std::vector<ShortText>{ShortText(), text(U"a"), text(U"h\u00e9llo \U0001F600")});
  // A list of lists whose inner text is not UTF-8 fails with the texts' message.
  std::string bad = bin::encode(std::vector<std::vector<ShortText>>{{text(U"ab")}});
  bad.back() = '\xff';
  EXPECT_EQ(bin::decode<std::vector<std::vector<ShortText>>>(bad).message, kInvalidUtf8Stream);
}

RC_GTEST_PROP(BinaryForm, RoundTripsTextsAndLists, ()) {
  const auto strings = *rc::gen::container<std::vector<std::u32string>>(scriblet::testing::genString());
  std::vector<ShortText> texts;
  for (const auto& s : strings) texts.push_back(fromString(s));
  const auto list = bin::decode<std::vector<ShortText>>(bin::encode(texts));
  RC_ASSERT(list.ok());
  RC_ASSERT(*list.value == texts);
  RC_ASSERT(list.remaining.empty());
  for (const ShortText& t : texts) {
    const auto one = bin::decode<ShortText>(bin::encode(t) + "rest");
    RC_ASSERT(one.ok());
    RC_ASSERT(*one.value == t);
    RC_ASSERT(one.remaining == "rest");
  }
}

}  // namespace
