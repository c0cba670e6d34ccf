#include "basis/binary.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "binary_nesting.hpp"
#include "depth_check.hpp"

namespace {

using basis::binary::decode;
using basis::binary::encode;
using basis::binary::Get;
using basis::binary::Put;
using basis::binary::Rest;
using basis::binary::Result;

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string bytes(std::initializer_list<int> bs) {
  std::string out;
  for (int b : bs) out += static_cast<char>(b);
  return out;
}

TEST(BinaryEncoding, WritesTheDocumentedBytes) {
  struct Case {
    std::string encoded;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {encode(std::int64_t{-2}), "ff ff ff ff ff ff ff fe"},
      {encode(std::uint64_t{1}), "00 00 00 00 00 00 00 01"},
      {encode(std::uint32_t{0x12345678}), "12 34 56 78"},
      {encode(std::uint16_t{0x1234}), "12 34"},
      {encode(std::int8_t{-1}), "ff"},
      {encode(true), "01"},
      {encode(false), "00"},
      {encode(U'a'), "61"},
      {encode(U'\u00e9'), "c3 a9"},
      {encode(U'\u20ac'), "e2 82 ac"},
      {encode(char32_t{0xD800}), "ed a0 80"},
      {encode(char32_t{0x10FFFF}), "f4 8f bf bf"},
      {encode(char32_t{0x110000}), "ef bf bd"},
      {encode(std::string()), "00 00 00 00 00 00 00 00"},
      {encode(std::string("\xc3\xa9")), "00 00 00 00 00 00 00 02 c3 a9"},
      {encode(std::u32string(U"a\u00e9")), "00 00 00 00 00 00 00 02 61 c3 a9"},
      {encode(std::vector<std::string>{"a", ""}),
       "00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 01 61 00 00 00 00 00 00 00 00"},
      {encode(std::vector<std::uint16_t>{}), "00 00 00 00 00 00 00 00"},
  };
  for (const Case& c : cases) EXPECT_EQ(hex(c.encoded), c.expected);
}

TEST(BinaryEncoding, PutAppendsToALentSink) {
  std::string sink = "x";
  Put p(sink);
  p.putWord16be(0x0102);
  p.putByteString("yz");
  basis::Binary<std::int64_t>::put(3, p);
  EXPECT_EQ(sink, std::string("x\x01\x02yz") + bytes({0, 0, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(&p.bytes(), &sink);
}

TEST(BinaryDecoding, ReadsValuesAndLeavesTheRest) {
  auto r = decode<std::uint32_t>(bytes({0x12, 0x34, 0x56, 0x78, 0xaa}));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r.value, 0x12345678u);
  EXPECT_EQ(r.consumed, 4u);
  EXPECT_EQ(r.remaining, bytes({0xaa}));
  const std::string rest = r.remaining;  // still reads as a string
  EXPECT_EQ(rest, bytes({0xaa}));
  EXPECT_EQ(decode<std::int64_t>(encode(std::numeric_limits<std::int64_t>::min())).value,
            std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(decode<std::string>(bytes({0, 0, 0, 0, 0, 0, 0, 2, 0xc3, 0xa9})).value,
            std::string("\xc3\xa9"));
  // A negative length reads as the empty byte string.
  auto neg = decode<std::string>(bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 7}));
  EXPECT_EQ(neg.value, std::string());
  EXPECT_EQ(neg.consumed, 8u);
}

TEST(BinaryDecoding, BadValuesFailWithTheirMessages) {
  auto b = decode<bool>(bytes({2}));
  EXPECT_FALSE(b.ok());
  EXPECT_EQ(b.message, "Could not map value 2 to Bool");
  auto c = decode<char32_t>(bytes({0xf4, 0x90, 0x80, 0x80}));
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.message, "Not a valid Unicode code point!");
  EXPECT_EQ(c.consumed, 4u);
  // Continuation bytes are not checked when reading a character.
  // C3 29 reads as 0x29 ^ 0x80 = 0xA9 combined with (0xC3 ^ 0xC0) << 6 = 0xC0.
  EXPECT_EQ(decode<char32_t>(bytes({0xc3, 0x29})).value, char32_t{0xE9});
}

TEST(BinaryDecoding, TruncatedInputFailsWithoutReadingPastTheEnd) {
  const std::vector<std::string> encodings = {
      encode(std::uint64_t{0x0102030405060708}),
      encode(std::string("hello")),
      encode(std::u32string(U"h\u00e9\U0001F600")),
      encode(std::vector<std::int32_t>{1, 2, 3}),
      encode(std::vector<std::string>{"ab", "c"}),
  };
  for (const std::string& full : encodings) {
    for (std::size_t n = 0; n < full.size(); ++n) {
      // A copy sized exactly n, so that ASan reports any read past it.
      const std::string prefix = full.substr(0, n);
      auto check = [&](auto r) {
        EXPECT_FALSE(r.ok()) << hex(full) << " cut at " << n;
        EXPECT_EQ(r.message, "not enough bytes");
        EXPECT_LE(r.consumed, n);
        EXPECT_EQ(r.remaining, prefix.substr(r.consumed));
      };
      switch (&full - encodings.data()) {
        case 0: check(decode<std::uint64_t>(prefix)); break;
        case 1: check(decode<std::string>(prefix)); break;
        case 2: check(decode<std::u32string>(prefix)); break;
        case 3: check(decode<std::vector<std::int32_t>>(prefix)); break;
        default: check(decode<std::vector<std::string>>(prefix)); break;
      }
    }
  }
}

TEST(BinaryDecoding, HugeCountsFailBeforeAnyAllocation) {
  const std::string hugeCount = bytes({0x7f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 1, 2});
  auto s = decode<std::string>(hugeCount);
  EXPECT_EQ(s.message, "not enough bytes");
  EXPECT_EQ(s.consumed, 8u);
  EXPECT_EQ(s.remaining, bytes({1, 2}));
  auto v = decode<std::vector<std::int64_t>>(hugeCount);
  EXPECT_EQ(v.message, "not enough bytes");
  auto neg = decode<std::vector<std::uint8_t>>(
      bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xfe, 1, 2}));
  EXPECT_EQ(neg.message, "not enough bytes");
}

// The process's address space in bytes, from the kernel's "VmSize" (or
// "VmPeak") line.
std::size_t addressSpace(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stoull(line.substr(key.size())) << 10;
  }
  return 0;
}

// What one decode did in a forked child whose address space may grow by at
// most `room` bytes: its failure message ("" when it decoded, or the
// exception or signal that ended it) and how far the address space grew.
struct Outcome {
  bool decoded = false;
  std::string message;
  std::size_t growth = 0;
};

Outcome decodeInChild(const std::function<Outcome()>& run, std::size_t room) {
  // The child's report is "outcome <decoded> <growth> <message>"; anything
  // else is how it died.
  const std::string report = depth_check::isolated(depth_check::Stack::Default, [&]() -> std::string {
    // A fresh child's peak starts at its present size.
    const std::size_t before = addressSpace("VmSize");
    const rlimit limit{before + room, before + room};
    Outcome o;
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
      o.message = "setrlimit failed";
    } else {
      try {
        o = run();
      } catch (const std::bad_alloc&) {
        o.message = "threw std::bad_alloc";
      } catch (...) {
        o.message = "threw";
      }
    }
    o.growth = addressSpace("VmPeak") - before;
    return "outcome " + std::to_string(o.decoded) + ' ' + std::to_string(o.growth) + ' ' + o.message;
  });
  constexpr std::string_view tag = "outcome ";
  if (!report.starts_with(tag)) return {false, "the child died (" + report + ")", 0};
  Outcome o;
  const std::size_t a = report.find(' ', tag.size()), b = report.find(' ', a + 1);
  o.decoded = report[tag.size()] == '1';
  o.growth = std::stoull(report.substr(a + 1, b - a - 1));
  o.message = report.substr(b + 1);
  return o;
}

// A list count that the bytes after it could never hold, with those bytes
// all zero (each list or byte string in them reads as empty): decoding it
// fails without a throw and takes no more memory than a valid list of the
// same size, that is its count / 8 empty elements, even when the count is
// just under the input's size.
TEST(BinaryDecoding, AHostileCountTakesNoMoreMemoryThanAValidListOfTheSameSize) {
  if (depth_check::kSanitized) GTEST_SKIP() << "a sanitizer reserves address space of its own";
  constexpr std::size_t size = std::size_t{2} << 20;
  auto input = [](std::uint64_t count) {
    std::string s = encode(static_cast<std::int64_t>(count));
    s.resize(size, '\0');
    return s;
  };
  struct Case {
    const char* type;
    std::size_t least;  // bytes per element at the least
    std::function<Outcome(const std::string&)> decode;
  };
  auto as = [](const char* type, auto tag) {
    using T = decltype(tag);
    return Case{type, basis::binary::leastEncodedSize<typename T::value_type>(), [](const std::string& in) {
                  auto r = decode<T>(in);
                  return Outcome{r.ok(), r.message, 0};
                }};
  };
  const std::vector<Case> cases = {
      as("[ByteString]", std::vector<std::string>{}),
      as("[String]", std::vector<std::u32string>{}),
      as("[[Int]]", std::vector<std::vector<std::int64_t>>{}),
      as("[[[ByteString]]]", std::vector<std::vector<std::vector<std::string>>>{}),
      as("[Int]", std::vector<std::int64_t>{}),
  };
  // Room for the input, its copy in the result, and a few times its size.
  constexpr std::size_t room = 8 * size + (std::size_t{16} << 20);
  for (const Case& c : cases) {
    const std::size_t fits = (size - 8) / c.least;
    const Outcome valid = decodeInChild([&] { return c.decode(input(fits)); }, room);
    EXPECT_TRUE(valid.decoded) << c.type << ": " << valid.message;
    for (const std::size_t hostile : {size - 8, fits + 1}) {
      const Outcome o = decodeInChild([&] { return c.decode(input(hostile)); }, room);
      EXPECT_FALSE(o.decoded) << c.type << " count " << hostile;
      EXPECT_EQ(o.message, "not enough bytes") << c.type << " count " << hostile;
      // The address space grows by no more than a valid list's, give or take
      // the input's size.
      EXPECT_LE(o.growth, 2 * valid.growth + 2 * size)
          << c.type << " count " << hostile << ": grew by " << o.growth << " bytes against "
          << valid.growth << " for the valid list";
    }
  }
}

TEST(BinaryDecoding, ChunkedInputIsReadAcrossBoundaries) {
  const std::string all = encode(std::uint64_t{0x1122334455667788}) + encode(std::uint64_t{9}) + "z";
  std::vector<std::string_view> chunks = {std::string_view(all).substr(0, 5),
                                          std::string_view(), std::string_view(all).substr(5, 11),
                                          std::string_view(all).substr(16)};
  Get g(chunks);
  EXPECT_EQ(g.getWord64be(), 0x1122334455667788u);
  EXPECT_EQ(g.getWord64be(), 9u);
  EXPECT_EQ(g.bytesRead(), 16u);
  EXPECT_EQ(g.remainingBytes(), "z");
  EXPECT_EQ(g.remainingChunks().size(), 1u);
  auto r = decode<std::uint64_t>(std::vector<std::string_view>{"\x01\x02", "\x03"});
  EXPECT_EQ(r.message, "not enough bytes");
  EXPECT_EQ(r.consumed, 0u);
  EXPECT_EQ(r.remaining, "\x01\x02\x03");
}

// The rest of a decode is the input's own bytes, never a copy: a view into
// the caller's buffer or chunks, or the taken-over string itself.
TEST(BinaryDecoding, TheRestSharesTheInputsBytes) {
  const std::string buf = encode(std::uint32_t{7}) + "tail";
  auto r = decode<std::uint32_t>(std::string_view(buf));
  ASSERT_EQ(r.remaining.chunks().size(), 1u);
  EXPECT_EQ(r.remaining.chunks()[0].data(), buf.data() + 4);

  // Continuing from a rest shares it again.
  auto again = decode<std::uint16_t>(r.remaining);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.remaining.chunks().at(0).data(), buf.data() + 6);
  EXPECT_EQ(again.remaining, "il");

  // Chunks: the rest is views of the caller's chunks, from the one it ends in.
  const std::string_view all(buf);
  auto c = decode<std::uint16_t>(std::vector<std::string_view>{all.substr(0, 1), all.substr(1, 3), all.substr(4)});
  const std::vector<std::string_view> pieces = c.remaining.chunks();
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].data(), buf.data() + 2);
  EXPECT_EQ(pieces[1].data(), buf.data() + 4);
  EXPECT_EQ(c.remaining, std::string_view(buf).substr(2));
  auto c2 = decode<std::uint16_t>(c.remaining);
  EXPECT_EQ(c2.value, 7u);
  EXPECT_EQ(c2.remaining.chunks().at(0).data(), buf.data() + 4);

  // A temporary string is taken over: its rest outlives the expression, and
  // a copy of the result keeps it after the result itself is gone.
  Result<std::uint32_t> kept;
  {
    auto t = decode<std::uint32_t>(encode(std::uint32_t{1}) + std::string(100, 'x'));
    kept = t;
  }
  EXPECT_EQ(kept.remaining, std::string(100, 'x'));
  EXPECT_EQ(kept.remaining.str(), std::string(100, 'x'));
  EXPECT_EQ(decode<std::string>(Rest::take(encode(std::string("ab")))).value, "ab");
  EXPECT_TRUE(Rest().empty());
  EXPECT_EQ(Rest::view("abc"), "abc");
  EXPECT_FALSE(Rest::view("abc") == "abd");
}

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Decoding n values one after another from one buffer (or from one chunk
// per value), each decode continuing from the last one's rest. The work per
// value must not grow with what is left: at 16 times the values, the least
// thread CPU time of a few runs stays well under 16 * 16 times as long.
TEST(BinaryDecoding, DecodingOneValueAfterAnotherIsLinear) {
  using Pair = std::pair<std::uint64_t, std::uint64_t>;
  auto leastTime = [](std::size_t n, bool chunked) {
    std::string buf;
    for (std::size_t i = 0; i < n; ++i) buf += encode(Pair{i, ~i});
    std::vector<std::string_view> chunks;
    for (std::size_t i = 0; i < n; ++i) chunks.push_back(std::string_view(buf).substr(16 * i, 16));
    double least = 1e9;
    for (int turn = 0; turn < 7; ++turn) {
      const double start = threadCpuSeconds();
      auto r = chunked ? decode<Pair>(chunks) : decode<Pair>(std::string_view(buf));
      std::size_t count = 0;
      while (r.ok()) {
        EXPECT_EQ(r.value->first, count);
        ++count;
        r = decode<Pair>(r.remaining);
      }
      least = std::min(least, threadCpuSeconds() - start);
      EXPECT_EQ(count, n);
    }
    return least;
  };
  for (bool chunked : {false, true}) {
    const double small = leastTime(1000, chunked);
    const double large = leastTime(16000, chunked);
    EXPECT_LT(large, 64 * small + 1e-3) << (chunked ? "chunked: " : "one buffer: ") << small << " s for 1000 values, "
                                        << large << " s for 16000";
  }
}

TEST(BinaryDecoding, TheFirstFailureSticks) {
  Get g(bytes({1, 2, 3}));
  EXPECT_EQ(g.getWord32be(), std::nullopt);
  EXPECT_TRUE(g.failed());
  g.fail("later");
  EXPECT_EQ(g.message(), "not enough bytes");
  EXPECT_EQ(g.getWord8(), std::nullopt);
  EXPECT_EQ(g.bytesRead(), 0u);
}

// Lists of lists, maps and sets of every standard type with a binary form.
template <class X>
class BinaryNesting : public ::testing::Test {};
template <class X>
std::vector<X> nestingSamples() {
  if constexpr (std::is_same_v<X, bool>) {
    return {false, true};
  } else if constexpr (std::is_same_v<X, std::string>) {
    return {"", "a", std::string("\0\xff", 2)};
  } else if constexpr (std::is_same_v<X, std::u32string>) {
    return {U"", U"\u00e9t\u00e9", U"\U0010FFFF"};
  } else if constexpr (std::is_same_v<X, char32_t>) {
    return {U'a', U'\u00e9', U'\U0001F600'};
  } else {
    return {std::numeric_limits<X>::min(), X{0}, X{1}, std::numeric_limits<X>::max()};
  }
}
using NestedElements = ::testing::Types<std::int8_t, std::uint8_t, std::int16_t, std::uint16_t, std::int32_t,
                                        std::uint32_t, std::int64_t, std::uint64_t, bool, char32_t, std::string,
                                        std::u32string>;
TYPED_TEST_SUITE(BinaryNesting, NestedElements);
TYPED_TEST(BinaryNesting, ListsMapsAndSetsOfItRoundTrip) {
  binary_nesting::expectNestingsRoundTrip(nestingSamples<TypeParam>());
}

// A Binary that writes no list form of its own still has one, nested at any
// depth: the count, then each element.
struct Plain {
  std::uint8_t x;
  bool operator==(const Plain&) const = default;
  auto operator<=>(const Plain&) const = default;
};
}  // namespace
template <>
struct basis::Binary<Plain> {
  static void put(const Plain& p, basis::binary::Put& out) { out.putWord8(p.x); }
  static std::optional<Plain> get(basis::binary::Get& g) {
    auto w = g.getWord8();
    if (!w) return std::nullopt;
    return Plain{*w};
  }
};
namespace {
TEST(BinaryNesting, ATypeWithoutAListFormOfItsOwnNests) {
  EXPECT_EQ(encode(std::vector<Plain>{{1}, {2}}), bytes({0, 0, 0, 0, 0, 0, 0, 2, 1, 2}));
  binary_nesting::expectNestingsRoundTrip(std::vector<Plain>{{1}, {2}, {3}});
}

TEST(BinaryNesting, MapsAndSetsAreTheirCountThenTheirElementsInOrder) {
  EXPECT_EQ(encode(std::map<std::uint8_t, bool>{{2, true}, {1, false}}),
            bytes({0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 2, 1}));
  EXPECT_EQ(encode(std::set<std::uint8_t>{3, 1}), bytes({0, 0, 0, 0, 0, 0, 0, 2, 1, 3}));
  using Flags = std::map<std::uint8_t, bool>;
  // Read back in any order; a repeated key keeps its last value.
  EXPECT_EQ(decode<Flags>(bytes({0, 0, 0, 0, 0, 0, 0, 3, 2, 1, 1, 0, 2, 0})).value,
            (Flags{{1, false}, {2, false}}));
  EXPECT_EQ(decode<std::set<std::uint8_t>>(bytes({0, 0, 0, 0, 0, 0, 0, 3, 3, 1, 3})).value,
            (std::set<std::uint8_t>{1, 3}));
  // A count the bytes left cannot back fails at once.
  EXPECT_EQ(decode<Flags>(bytes({0x7f, 0, 0, 0, 0, 0, 0, 0, 1})).message, "not enough bytes");
  EXPECT_EQ(decode<std::set<std::uint8_t>>(bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff})).message,
            "not enough bytes");
}

RC_GTEST_PROP(BinaryRoundTrip, DecodeAfterEncodeGivesTheValueBack,
              (std::int64_t a, std::uint16_t b, std::string s, std::vector<std::int32_t> xs,
               std::vector<std::string> ss)) {
  RC_ASSERT(decode<std::int64_t>(encode(a)).value == a);
  RC_ASSERT(decode<std::uint16_t>(encode(b)).value == b);
  RC_ASSERT(decode<std::string>(encode(s)).value == s);
  RC_ASSERT(decode<std::vector<std::int32_t>>(encode(xs)).value == xs);
  RC_ASSERT(decode<std::vector<std::string>>(encode(ss)).value == ss);
  const auto cs = *rc::gen::container<std::u32string>(rc::gen::inRange<char32_t>(0, 0x110000));
  auto r = decode<std::u32string>(encode(cs) + "tail");
  RC_ASSERT(r.value == cs);
  RC_ASSERT(r.remaining == std::string("tail"));
}

}  // namespace
