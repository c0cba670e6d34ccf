#include "basis/binary.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "depth_check.hpp"

namespace {

using basis::binary::decode;
using basis::binary::encode;
using basis::binary::Get;
using basis::binary::Put;

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

TEST(BinaryDecoding, TheFirstFailureSticks) {
  Get g(bytes({1, 2, 3}));
  EXPECT_EQ(g.getWord32be(), std::nullopt);
  EXPECT_TRUE(g.failed());
  g.fail("later");
  EXPECT_EQ(g.message(), "not enough bytes");
  EXPECT_EQ(g.getWord8(), std::nullopt);
  EXPECT_EQ(g.bytesRead(), 0u);
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
