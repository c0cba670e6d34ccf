// ShortText itself: representation and sharing, validation, conversions,
// sizes, code-point encoding and comparison.

#include <gtest/gtest.h>
#include <malloc.h>
#include <pthread.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "scriblet/scan.h"
#include "scriblet/scriblet.hpp"
#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::fourWidths;
using scriblet::testing::text;

TEST(ShortTextRepresentation, IsOnePointerAndCopiesShareTheArray) {
  static_assert(sizeof(ShortText) == sizeof(void*));
  const ShortText a = text(U"héllo");
  const ShortText b = a;
  EXPECT_TRUE(a.sameArray(b));
  ShortText c = b;
  c = text(U"x");
  EXPECT_FALSE(c.sameArray(a));
  ShortText moved = std::move(c);
  EXPECT_EQ(bytesOf(moved), Bytes{0x78});
  EXPECT_TRUE(c.sameArray(ShortText()));  // a moved-from text is the empty text
}

TEST(ShortTextRepresentation, EveryEmptyResultIsTheOneSharedEmptyText) {
  const ShortText e;
  EXPECT_TRUE(e.sameArray(ShortText()));
  EXPECT_TRUE(fromString(U"").sameArray(e));
  EXPECT_TRUE(fromByteString("")->sameArray(e));
  EXPECT_TRUE(fromLitMUtf8Addr_raw("").sameArray(e));
  EXPECT_TRUE(slice(text(U"abc"), 7, 1).sameArray(e));
}

TEST(ShortTextRepresentation, CopiesAcrossThreadsKeepTheCountRight) {
  const ShortText shared = text(U"shared by many threads");
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&] {
      for (int k = 0; k < 10000; ++k) {
        ShortText copy = shared;
        ShortText other = copy;
        ASSERT_TRUE(other.sameArray(shared));
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(toString(shared), U"shared by many threads");
}

// Blocks of small texts are reused: texts of every small size made, dropped
// and made again, in one thread and across threads (made in one, dropped in
// another), and shrunk from large to small, always hold their own bytes.
TEST(ShortTextRepresentation, ReusedBlocksHoldTheirOwnBytes) {
  auto make = [](std::size_t n, char c) { return fromByteStringUnsafe(std::string(n, c)); };
  auto holds = [](const ShortText& t, std::size_t n, char c) { return t.bytes() == std::string(n, c); };
  for (int round = 0; round < 3; ++round) {
    std::vector<ShortText> kept;
    for (std::size_t n = 0; n <= 100; ++n) {
      for (int k = 0; k < 80; ++k) make(n, 'x');  // made and dropped at once
      kept.push_back(make(n, static_cast<char>('a' + n % 26)));
    }
    for (std::size_t n = 0; n <= 100; ++n) {
      ASSERT_TRUE(holds(kept[n], n, static_cast<char>('a' + n % 26))) << n;
    }
  }
  // Large builders shrunk to small texts, freed, and their blocks reused.
  for (std::size_t n = 1; n <= 70; n += 3) {
    std::size_t seen = 0;
    ShortText head = scriblet::filter([&](char32_t) { return seen++ < n; }, make(200, 'q'));
    ASSERT_TRUE(holds(head, n, 'q'));
    head = ShortText();
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(holds(make(n, 'r'), n, 'r'));
  }
  std::vector<ShortText> handed(4000);
  std::thread maker([&] {
    for (std::size_t i = 0; i < handed.size(); ++i) handed[i] = make(1 + i % 70, 'm');
  });
  maker.join();
  std::thread dropper([&] {
    for (int k = 0; k < 100; ++k) make(1 + k % 70, 'd');
    handed.clear();
    for (std::size_t i = 0; i < 2000; ++i) ASSERT_TRUE(holds(make(1 + i % 70, 'e'), 1 + i % 70, 'e'));
  });
  dropper.join();
  // A thread-local text that outlives the thread's lists is freed too.
  std::thread late([&] {
    thread_local ShortText outliving;
    outliving = make(12, 'z');
    for (int k = 0; k < 10; ++k) make(12, 'y');
  });
  late.join();
}

// A thread's last texts may be freed after its thread-local objects are gone:
// by a destructor of thread-specific data, which runs after them. Such a text
// goes back to the allocator, whether it is the first text the thread frees
// or the thread had freed others before; many threads ending so leave the
// heap as it was.
TEST(ShortTextRepresentation, TextsFreedAsAThreadEndsGoBackToTheAllocator) {
  pthread_key_t key;
  ASSERT_EQ(pthread_key_create(&key, [](void* t) { delete static_cast<ShortText*>(t); }), 0);
  const struct {
    const char* name;
    int freedBefore;  // small texts the thread makes and frees before it ends
  } cases[] = {{"first free at the end", 0}, {"after other frees", 5}};
  constexpr int kThreads = 300;
  for (const auto& c : cases) {
    auto run = [&] {
      std::thread t([&] {
        for (int k = 0; k < c.freedBefore; ++k) fromByteStringUnsafe(std::string(20, 'f'));
        pthread_setspecific(key, new ShortText(fromByteStringUnsafe(std::string(20, 'k'))));
      });
      t.join();
    };
    run();  // the allocator's own first-use costs, outside the count
    const std::size_t before = mallinfo2().uordblks;
    for (int r = 0; r < kThreads; ++r) run();
    const std::size_t after = mallinfo2().uordblks;
    EXPECT_LT(after - std::min(after, before), std::size_t{kThreads} * 8) << c.name;
  }
  pthread_key_delete(key);
}

TEST(ShortTextRepresentation, ByteCountsHaveTheMachineWordsArithmetic) {
  static_assert((B{7} + B{5}).unB == 12 && (B{7} - B{5}).unB == 2 && (B{7} * B{5}).unB == 35);
  static_assert(negate(B{4}).unB == -4 && (-B{4}).unB == -4 && fromInteger(9) == B{9});
  static_assert(abs(B{-3}).unB == 3 && abs(B{3}).unB == 3);
  static_assert(signum(B{-8}).unB == -1 && signum(B{0}).unB == 0 && signum(B{8}).unB == 1);
  static_assert(B{1} < B{2} && B{2} >= B{2} && B{3} != B{2});
  // Overflow wraps instead of being undefined.
  constexpr B most{INT64_MAX};
  constexpr B least{INT64_MIN};
  static_assert((most + B{1}) == least && (least - B{1}) == most && -least == least);
  static_assert(abs(least) == least && (most * B{2}).unB == -2);
}

TEST(ShortTextValidation, FromByteStringAcceptsExactlyWellFormedBytes) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {{"\xC3\xA9", true},      {"", true},         {"\xC3", false},
                        {"\xED\xA0\x80", false}, {"\xC0\x80", false}, {"\xF4\x90\x80\x80", false},
                        {"\xFF", false},         {"a\xE2\x82\xAC", true}};
  for (const Case& c : cases) {
    const auto t = fromByteString(c.bytes);
    EXPECT_EQ(t.has_value(), c.valid) << ::testing::PrintToString(c.bytes);
    if (t) {
      EXPECT_EQ(t->bytes(), c.bytes);
    }
  }
  EXPECT_EQ(length(*fromByteString("\xC3\xA9")), 1);
}

// Short inputs take a path of their own (read as two overlapping words):
// every length up to past that path, with a non-ASCII, a stray or a
// truncating byte at every position, gives exactly what the full check says,
// and the text holds exactly the input's bytes.
TEST(ShortTextValidation, ShortInputsOfEveryLengthAndEveryBytePosition) {
  const std::string plain = "abcdefghijklmnopqrstuvwxyz0123456789";
  const std::string inserts[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\x80", "\xC3",
                                 "\xFF", std::string(1, '\0')};
  for (std::size_t n = 1; n <= 34; ++n) {
    const std::string ascii = plain.substr(0, n);
    ASSERT_EQ(fromByteString(ascii).value_or(ShortText()).bytes(), ascii) << n;
    for (std::size_t at = 0; at < n; ++at) {
      for (const std::string& ins : inserts) {
        std::string s = ascii;
        s.replace(at, std::min(ins.size(), n - at), ins.substr(0, n - at));
        const bool valid = hs_scriblet_is_valid_utf8(s.data(), s.size()) == 0;
        const auto t = fromByteString(s);
        ASSERT_EQ(t.has_value(), valid) << ::testing::PrintToString(s);
        if (t) {
          ASSERT_EQ(t->bytes(), s);
        }
      }
    }
  }
}

TEST(ShortTextValidation, UncheckedTextsCanBeTestedAfterwards) {
  EXPECT_FALSE(isValidUtf8(text({0xE2})));  // a truncated tail counts as ill-formed
  EXPECT_FALSE(isValidUtf8(text({0x80})));
  EXPECT_TRUE(isValidUtf8(fourWidths()));
  EXPECT_EQ(fromByteStringUnsafe("\xFF").bytes(), "\xFF");
  EXPECT_EQ(toByteString(fourWidths()), std::string(fourWidths().bytes()));
}

TEST(ShortTextSizes, NullLengthAndByteCount) {
  EXPECT_TRUE(null(ShortText()));
  EXPECT_FALSE(null(text(U"a")));
  const ShortText t = text({0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC});
  EXPECT_EQ(length(t), 3);
  EXPECT_EQ(toLength(t), 6);
  EXPECT_EQ(length(ShortText()), 0);
}

TEST(ShortTextLiterals, ByteAndModifiedUtf8Literals) {
  EXPECT_EQ(bytesOf(fromLitMUtf8Addr_raw("a\xC0\x80" "b")), (Bytes{0x61, 0x00, 0x62}));
  EXPECT_EQ(bytesOf(fromLitMUtf8Addr_raw("ab")), (Bytes{0x61, 0x62}));
  EXPECT_EQ(bytesOf(fromLitMUtf8Addr_raw("\xED\xA0\x80")), (Bytes{0xEF, 0xBF, 0xBD}));
  EXPECT_TRUE(null(fromLitMUtf8Addr_raw("")));
  EXPECT_EQ(fromLitAsciiAddr_raw("plain").bytes(), "plain");
  EXPECT_TRUE(null(fromLitAsciiAddr_raw("")));
}

TEST(ShortTextEncoding, SingletonOfEveryWidthAndTheSurrogateRange) {
  struct Case {
    char32_t c;
    Bytes bytes;
  };
  const Case cases[] = {
      {0x61, {0x61}},
      {0xE9, {0xC3, 0xA9}},
      {0x20AC, {0xE2, 0x82, 0xAC}},
      {0x1F600, {0xF0, 0x9F, 0x98, 0x80}},
      {0xD800, {0xEF, 0xBF, 0xBD}},
      {0xDBFF, {0xEF, 0xBF, 0xBD}},
      {0xDFFF, {0xEF, 0xBF, 0xBD}},
      {0xD7FF, {0xED, 0x9F, 0xBF}},
      {0xE000, {0xEE, 0x80, 0x80}},
      {0x10FFFF, {0xF4, 0x8F, 0xBF, 0xBF}},
      {0x110000, {0xEF, 0xBF, 0xBD}},  // no code point: stored as U+FFFD too
      {0x7F, {0x7F}},
      {0x80, {0xC2, 0x80}},
      {0x7FF, {0xDF, 0xBF}},
      {0x800, {0xE0, 0xA0, 0x80}},
      {0xFFFF, {0xEF, 0xBF, 0xBF}},
      {0x10000, {0xF0, 0x90, 0x80, 0x80}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesOf(singleton(c.c)), c.bytes) << std::hex << static_cast<std::uint32_t>(c.c);
  }
  EXPECT_TRUE(singleton(0xD800).sameArray(replacementText()));
  EXPECT_TRUE(fromString(U"\xDC00").sameArray(replacementText()));
  EXPECT_EQ(bytesOf(singleton_(0x20AC)), (Bytes{0xE2, 0x82, 0xAC}));
}

TEST(ShortTextEncoding, ConsAndSnocReplaceSurrogatesAndActAsSingletonOnEmpty) {
  const ShortText ab = text(U"ab");
  EXPECT_EQ(bytesOf(cons(0xD800, ab)), (Bytes{0xEF, 0xBF, 0xBD, 0x61, 0x62}));
  EXPECT_EQ(bytesOf(snoc(ab, 0xD800)), (Bytes{0x61, 0x62, 0xEF, 0xBF, 0xBD}));
  EXPECT_EQ(bytesOf(cons(0x1F600, ab)), (Bytes{0xF0, 0x9F, 0x98, 0x80, 0x61, 0x62}));
  EXPECT_EQ(bytesOf(snoc(ab, 0xE9)), (Bytes{0x61, 0x62, 0xC3, 0xA9}));
  EXPECT_TRUE(cons(0xD800, ShortText()).sameArray(replacementText()));
  EXPECT_EQ(cons(U'x', ShortText()), singleton(U'x'));
  EXPECT_EQ(snoc(ShortText(), U'é'), singleton(U'é'));
}

TEST(ShortTextStrings, FromStringAndToString) {
  EXPECT_TRUE(null(fromString(U"")));
  EXPECT_EQ(bytesOf(fromString(std::u32string{0x61, 0xD800, 0x62})), (Bytes{0x61, 0xEF, 0xBF, 0xBD, 0x62}));
  EXPECT_EQ(toString(fourWidths()), (std::u32string{0x61, 0xE9, 0x20AC, 0x1F600}));
  EXPECT_EQ(toString(ShortText()), U"");
  EXPECT_EQ(fromStringLit(U"abc"), fromString(U"abc"));
  EXPECT_EQ(cp2ch(0x1F600), U'\U0001F600');
}

RC_GTEST_PROP(ShortTextStrings, ToStringAfterFromStringReplacesOnlySurrogates,
              (const std::u32string& raw)) {
  std::u32string chars;
  for (char32_t c : raw) chars += static_cast<char32_t>(c % 0x110000);
  const ShortText t = fromString(chars);
  RC_ASSERT(isValidUtf8(t));
  std::u32string expected;
  for (char32_t c : chars) expected += detail::isSurrogate(c) ? U'\uFFFD' : c;
  RC_ASSERT(toString(t) == expected);
  RC_ASSERT(length(t) == static_cast<std::int64_t>(expected.size()));
}

TEST(ShortTextComparison, ByteOrderIsCodePointOrder) {
  using basis::Ordering;
  struct Case {
    ShortText a, b;
    Ordering expected;
  };
  const Case cases[] = {
      {ShortText(), ShortText(), Ordering::EQ},
      {ShortText(), text(U"a"), Ordering::LT},
      {text(U"a"), text(U"ab"), Ordering::LT},
      {text(U"ab"), text(U"a"), Ordering::GT},
      {text({0xC3, 0xA9}), text({0x7A}), Ordering::GT},
      {text({0xEF, 0xBF, 0xBD}), text({0xF0, 0x9F, 0x98, 0x80}), Ordering::LT},
      {text(U"abc"), text(U"abd"), Ordering::LT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare(c.a, c.b), c.expected);
    EXPECT_EQ(c.a < c.b, c.expected == Ordering::LT);
    EXPECT_EQ(c.a == c.b, c.expected == Ordering::EQ);
    EXPECT_EQ(c.a != c.b, c.expected != Ordering::EQ);
  }
  EXPECT_EQ(text(U"same"), fromString(U"same"));
  EXPECT_NE(text({0x61}), text({0x61, 0x00}));
}

TEST(ShortTextComparison, MaxAndMinReturnTheArgumentsThemselvesOnTies) {
  const ShortText a = text(U"tie");
  const ShortText b = text(U"tie");
  EXPECT_EQ(&scriblet::max(a, b), &b);
  EXPECT_EQ(&scriblet::min(a, b), &a);
  const ShortText big = text(U"z");
  EXPECT_EQ(&scriblet::max(big, a), &big);
  EXPECT_EQ(&scriblet::min(big, a), &a);
}

RC_GTEST_PROP(ShortTextComparison, AgreesWithTheCodePointOrderOfTheStrings,
              (const std::u32string& x, const std::u32string& y)) {
  auto clean = [](std::u32string s) {
    for (char32_t& c : s) c = detail::storable(c % 0x110000);
    return s;
  };
  const std::u32string a = clean(x), b = clean(y);
  const ShortText ta = fromString(a), tb = fromString(b);
  RC_ASSERT(compare(ta, tb) == basis::toOrdering(a.compare(b)));
  RC_ASSERT((ta < tb) == (tb > ta));
  RC_ASSERT((ta >= tb) == (tb <= ta));
  RC_ASSERT((ta == tb) == (a == b));
}

}  // namespace
