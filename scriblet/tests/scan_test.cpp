// The exported scanning routines: the C API, result codes, fast kernels
// against the byte-at-a-time reference, and reads confined to the buffer.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scan_kernels.hpp"
#include "scriblet/scan.h"
#include "test_util.hpp"

extern "C" int scriblet_c_api_failures(char* report, size_t capacity);

namespace {

using scriblet::testing::Bytes;
constexpr std::uint64_t kNone = ~std::uint64_t{0};

const Bytes kFour = {0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80};

TEST(ScanCApi, EveryRoutineAnswersThroughTheSharedLibraryFromC) {
  char report[2048];
  EXPECT_EQ(scriblet_c_api_failures(report, sizeof report), 0) << report;
}

TEST(ScanRoutines, EmptyBufferGivesTheEmptyAnswers) {
  const std::uint8_t* none = nullptr;
  EXPECT_EQ(hs_scriblet_length(none, 0), 0u);
  for (std::uint64_t i : {0u, 1u, 5u}) {
    EXPECT_EQ(hs_scriblet_index_ofs(none, 0, i), 0u);
    EXPECT_EQ(hs_scriblet_index_ofs_rev(none, 0, i), 0u);
    EXPECT_EQ(hs_scriblet_index_cp(none, 0, i), kNone);
    EXPECT_EQ(hs_scriblet_index_cp_rev(none, 0, i), kNone);
  }
  EXPECT_EQ(hs_scriblet_is_valid_utf8(none, 0), 0);
  EXPECT_EQ(hs_scriblet_ascii_length(none, 0), 0u);
  EXPECT_EQ(hs_scriblet_is_ascii(none, 0), 1);
}

TEST(ScanRoutines, PositionsOfCodePointsOfEveryWidth) {
  const auto* p = kFour.data();
  EXPECT_EQ(hs_scriblet_length(p, 10), 4u);
  const std::uint64_t forward[] = {0, 1, 3, 6, 10};
  const std::uint64_t backward[] = {6, 3, 1, 0, 10};
  for (std::uint64_t i = 0; i < 5; ++i) {
    EXPECT_EQ(hs_scriblet_index_ofs(p, 10, i), forward[i]) << i;
    EXPECT_EQ(hs_scriblet_index_ofs_rev(p, 10, i), backward[i]) << i;
  }
  EXPECT_EQ(hs_scriblet_index_ofs(p, 10, 100), 10u);
  EXPECT_EQ(hs_scriblet_index_ofs_rev(p, 10, 100), 10u);
  const std::uint64_t cps[] = {0x61, 0xE9, 0x20AC, 0x1F600};
  for (std::uint64_t i = 0; i < 4; ++i) {
    EXPECT_EQ(hs_scriblet_index_cp(p, 10, i), cps[i]);
    EXPECT_EQ(hs_scriblet_index_cp_rev(p, 10, i), cps[3 - i]);
    EXPECT_EQ(hs_scriblet_ofs_cp(p, forward[i]), cps[i]);
    EXPECT_EQ(hs_scriblet_ofs_cp_rev(p, forward[i + 1]), cps[i]);
  }
  EXPECT_EQ(hs_scriblet_index_cp(p, 10, 4), kNone);
  EXPECT_EQ(hs_scriblet_index_cp_rev(p, 10, 4), kNone);
}

struct ValidityCase {
  Bytes bytes;
  std::int32_t expected;
};

TEST(ScanValidation, ResultCodesForOverlongsSurrogatesRangeAndTruncation) {
  const ValidityCase cases[] = {
      {{0x41}, 0},
      {{0xC2}, -1},
      {{0xE2}, -2},
      {{0xE2, 0x82}, -1},
      {{0xF0}, -3},
      {{0xF0, 0x90}, -2},
      {{0xF0, 0x90, 0x80}, -1},
      {{0xF4, 0x8F, 0xBF}, -1},
      {{0xE0, 0x41}, -1},  // truncation is reported before the next byte is read
      {{0xF0, 0x41, 0x41}, -1},
      {{0xC0}, 1},
      {{0xC1, 0xBF}, 1},
      {{0xC0, 0x80}, 1},
      {{0xE0, 0x80, 0x80}, 1},
      {{0xE0, 0x9F, 0xBF}, 1},
      {{0xED, 0xA0, 0x80}, 1},
      {{0xED, 0xBF, 0xBF}, 1},
      {{0xF0, 0x80, 0x80, 0x80}, 1},
      {{0xF0, 0x8F, 0xBF, 0xBF}, 1},
      {{0xF4, 0x90, 0x80, 0x80}, 1},
      {{0xF5, 0x80, 0x80, 0x80}, 1},
      {{0xFF}, 1},
      {{0x80}, 1},
      {{0x61, 0xBF}, 1},
      {{0xC3, 0x41}, 1},
      {{0xE2, 0x82, 0x41}, 1},
      {{0xF0, 0x9F, 0x98, 0x41}, 1},
      {{0xC2, 0x80}, 0},
      {{0xE0, 0xA0, 0x80}, 0},
      {{0xED, 0x9F, 0xBF}, 0},
      {{0xEE, 0x80, 0x80}, 0},
      {{0xF0, 0x90, 0x80, 0x80}, 0},
      {{0xF4, 0x8F, 0xBF, 0xBF}, 0},
      {{0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}, 0},
      {{0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98}, -1},
  };
  for (const ValidityCase& c : cases) {
    EXPECT_EQ(hs_scriblet_is_valid_utf8(c.bytes.data(), c.bytes.size()), c.expected)
        << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(scriblet::scan::validateReference(c.bytes.data(), c.bytes.size()), c.expected);
  }
}

// Each case again, placed at every offset around the vector blocks, after
// enough ASCII to take the vector path and followed by more ASCII (which
// turns a truncation into an ill-formed sequence).
TEST(ScanValidation, ResultCodesHoldAtEveryBlockPosition) {
  const Bytes samples[] = {{0xC2}, {0xE2, 0x82}, {0xF0, 0x90, 0x80}, {0xED, 0xA0, 0x80},
                           {0xF4, 0x90, 0x80, 0x80}, {0x80}, {0xE0, 0x9F, 0xBF},
                           {0xF0, 0x9F, 0x98, 0x80}, {0xC0, 0x80}, {0xFF}};
  for (const Bytes& s : samples) {
    for (std::size_t lead = 60; lead < 100; ++lead) {
      for (std::size_t tail : {0u, 1u, 5u, 40u}) {
        Bytes b(lead, 'a');
        b.insert(b.end(), s.begin(), s.end());
        b.insert(b.end(), tail, 'z');
        const std::int32_t want = scriblet::scan::validateReference(b.data(), b.size());
        ASSERT_EQ(hs_scriblet_is_valid_utf8(b.data(), b.size()), want) << lead << ' ' << tail;
      }
    }
  }
}

// Every validation kernel beside the reference: the first kernel that
// disagrees, or nothing.
std::string validatorMismatch(const Bytes& b) {
  namespace s = scriblet::scan;
  const auto* p = b.data();
  const std::size_t n = b.size();
  const std::int32_t want = s::validateReference(p, n);
  auto report = [&](const char* kernel, std::int32_t got) {
    return std::string(kernel) + " gives " + std::to_string(got) + ", the reference " +
           std::to_string(want) + " for " + ::testing::PrintToString(b);
  };
  if (const std::int32_t got = s::validatePortable(p, n); got != want) return report("portable", got);
  if (const std::int32_t got = hs_scriblet_is_valid_utf8(p, n); got != want) return report("exported", got);
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  if (n < 64) {
    if (const std::int32_t got = s::validateShortSse(p, n); got != want) return report("short", got);
  }
  if (const std::int32_t got = s::validateSse(p, n); got != want) return report("sse", got);
  if (__builtin_cpu_supports("avx2")) {
    if (const std::int32_t got = s::validateAvx2(p, n); got != want) return report("avx2", got);
  }
#endif
  return {};
}

// Samples placed at every offset across the first three 64-byte blocks, in
// ASCII or in text of one width (the sample always starts a sequence), and
// followed by nothing, by ASCII, by more text of that width or by a whole
// ASCII block and more: an error must be found (and reported as the
// reference reports it) wherever it falls, including in a block after a
// block of ASCII that follows an unfinished sequence.
TEST(ScanKernels, ValidatorsAgreeWithTheReferenceAtEveryBlockEdge) {
  const Bytes samples[] = {{0xC2}, {0xE2, 0x82}, {0xF0, 0x90, 0x80}, {0xE2}, {0xF4},
                           {0xED, 0xA0, 0x80}, {0xF4, 0x90, 0x80, 0x80}, {0x80}, {0xBF, 0xBF},
                           {0xE0, 0x9F, 0xBF}, {0xF0, 0x8F, 0xBF, 0xBF}, {0xC0, 0x80}, {0xFF},
                           {0xF0, 0x9F, 0x98, 0x80}, {0xC3, 0xA9}, {0x61}};
  const Bytes fillers[] = {{0x61}, {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}};
  for (const Bytes& filler : fillers) {
    const std::size_t w = filler.size();
    for (std::size_t lead = 0; lead < 140; ++lead) {
      Bytes prefix(lead % w, 'a');
      while (prefix.size() < lead) prefix.insert(prefix.end(), filler.begin(), filler.end());
      for (const Bytes& sample : samples) {
        for (int follow = 0; follow < 5; ++follow) {
          Bytes b = prefix;
          b.insert(b.end(), sample.begin(), sample.end());
          if (follow == 1) b.push_back('z');
          if (follow == 2) b.insert(b.end(), 7, 'z');
          if (follow == 3) {
            for (int k = 0; k < 5; ++k) b.insert(b.end(), filler.begin(), filler.end());
          }
          if (follow == 4) {
            b.insert(b.end(), 64 + 64 - b.size() % 64, 'z');
            b.insert(b.end(), {0xC3, 0xA9, 0x61});
          }
          const std::string mismatch = validatorMismatch(b);
          ASSERT_TRUE(mismatch.empty()) << mismatch;
        }
      }
    }
  }
}

// Well-formed text of every width, cut at every length (a truncated last
// sequence at every position of the blocks) and damaged at every position.
TEST(ScanKernels, ValidatorsAgreeWithTheReferenceOnEveryCutAndDamage) {
  Bytes text;
  const std::u32string chars = U"a\u00e9\u20ac\U0001F600b\u0100\uFFFD\U0010FFFFcd\u07FF\u0800";
  while (text.size() < 200) {
    const auto t = scriblet::fromString(chars);
    text.insert(text.end(), t.data(), t.data() + t.size());
  }
  for (std::size_t n = 0; n <= text.size(); ++n) {
    const std::string mismatch = validatorMismatch(Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n)));
    ASSERT_TRUE(mismatch.empty()) << mismatch;
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (std::uint8_t damage : {0x41, 0x80, 0xBF, 0xC0, 0xC2, 0xE0, 0xED, 0xF0, 0xF4, 0xF8}) {
      Bytes b = text;
      b[at] = damage;
      const std::string mismatch = validatorMismatch(b);
      ASSERT_TRUE(mismatch.empty()) << mismatch;
    }
  }
}

TEST(ScanAscii, WordsThenTailBytesAreTested) {
  const std::uint8_t c3 = 0xC3;
  EXPECT_EQ(hs_scriblet_is_ascii(&c3, 1), 0);  // a single high byte is read and tested
  const std::uint8_t a = 0x41;
  EXPECT_EQ(hs_scriblet_is_ascii(&a, 1), 1);
  const Bytes tailHigh = {0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0xC3, 0xA9};
  EXPECT_EQ(hs_scriblet_is_ascii(tailHigh.data(), tailHigh.size()), 0);
  EXPECT_EQ(hs_scriblet_ascii_length(tailHigh.data(), tailHigh.size()), 8u);
  for (std::size_t n = 0; n < 80; ++n) {
    for (std::size_t at = 0; at <= n; ++at) {
      Bytes b(n, 'x');
      if (at < n) b[at] = 0x80;
      ASSERT_EQ(hs_scriblet_ascii_length(b.data(), n), at);
      ASSERT_EQ(hs_scriblet_is_ascii(b.data(), n), at == n ? 1 : 0);
    }
  }
}

TEST(ScanLiterals, ModifiedUtf8IsMeasuredAndTranscoded) {
  struct Case {
    const char* literal;
    std::int64_t length;
    Bytes transcoded;
  };
  const Case cases[] = {
      {"a\xC0\x80" "b", -3, {0x61, 0x00, 0x62}},
      {"\xED\xA0\x80", -3, {0xEF, 0xBF, 0xBD}},
      {"abc", 3, {0x61, 0x62, 0x63}},
      {"", 0, {}},
      {"\xC0\x80\xC0\x80", -2, {0x00, 0x00}},
      {"\xC3\xA9\xED\xB0\x80x", -6, {0xC3, 0xA9, 0xEF, 0xBF, 0xBD, 0x78}},
      {"\xF0\x9F\x98\x80", 4, {0xF0, 0x9F, 0x98, 0x80}},
      // A NUL inside a sequence ends the literal there; nothing past it is read.
      {"a\xF0", 2, {0x61, 0xF0}},
      {"\xE2\x82", 2, {0xE2, 0x82}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hs_scriblet_mutf8_strlen(c.literal), c.length) << c.literal;
    Bytes out(c.transcoded.size() + 4, 0xAA);
    hs_scriblet_mutf8_trans(c.literal, out.data());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(c.transcoded.size())),
              c.transcoded);
    EXPECT_EQ(out[c.transcoded.size()], 0xAA) << "wrote past the transcoding";
  }
}

TEST(ScanLiterals, TakeByteBuffersAsWellAsCharacterLiterals) {
  const std::uint8_t literal[] = {0x61, 0xC0, 0x80, 0x62, 0x00};
  EXPECT_EQ(hs_scriblet_mutf8_strlen(literal), -3);
  std::uint8_t out[3] = {};
  hs_scriblet_mutf8_trans(literal, out);
  EXPECT_EQ(Bytes(out, out + 3), (Bytes{0x61, 0x00, 0x62}));
  EXPECT_EQ(scriblet::testing::bytesOf(scriblet::fromLitMUtf8Addr_raw(literal)), (Bytes{0x61, 0x00, 0x62}));
  const std::uint8_t ascii[] = {0x61, 0x62, 0x00};
  EXPECT_EQ(scriblet::fromLitAsciiAddr_raw(ascii).bytes(), "ab");
}

// Bytes placed against an inaccessible page, so that any read past the end
// (or, with `atStart`, before the start) faults.
class GuardedBuffer {
 public:
  GuardedBuffer(const Bytes& bytes, bool atStart) {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = (bytes.size() + page_ - 1) / page_ + 2;
    size_ = pages * page_;
    base_ = static_cast<std::uint8_t*>(
        mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_, page_, PROT_NONE);
    mprotect(base_ + size_ - page_, page_, PROT_NONE);
    data_ = atStart ? base_ + page_ : base_ + size_ - page_ - bytes.size();
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
  }
  ~GuardedBuffer() { munmap(base_, size_); }
  const std::uint8_t* data() const { return data_; }

 private:
  std::size_t page_ = 0, size_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

// Ill-formed buffers that walk naive scans off either end.
TEST(ScanBounds, PositionalRoutinesNeverReadOutsideIllFormedBuffers) {
  const Bytes cases[] = {{0x61, 0xF0, 0x61, 0x61}, {0xF0}, {0x61, 0xF0}, {0xE2, 0x82},
                         {0x80, 0x80, 0x80},       {0x80}, {0xBF, 0x61}, {0xF4, 0x80, 0x80},
                         {0x61, 0xE2, 0x61},       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  for (const Bytes& b : cases) {
    for (bool atStart : {false, true}) {
      GuardedBuffer g(b, atStart);
      const std::uint64_t n = b.size();
      for (std::uint64_t i = 0; i <= n + 1; ++i) {
        EXPECT_LE(hs_scriblet_index_ofs(g.data(), n, i), n);
        EXPECT_LE(hs_scriblet_index_ofs_rev(g.data(), n, i), n);
        hs_scriblet_index_cp(g.data(), n, i);
        hs_scriblet_index_cp_rev(g.data(), n, i);
      }
      hs_scriblet_length(g.data(), n);
      hs_scriblet_is_valid_utf8(g.data(), n);
      hs_scriblet_ascii_length(g.data(), n);
      hs_scriblet_is_ascii(g.data(), n);
    }
  }
  // The case that used to read one byte past its end.
  GuardedBuffer g({0x61, 0xF0, 0x61, 0x61}, false);
  EXPECT_EQ(hs_scriblet_index_cp(g.data(), 4, 3), kNone);
}

// The validators read short buffers and the last partial block in whole
// words and vectors, never past either end: every length up to two blocks,
// against both guard pages.
TEST(ScanBounds, ValidationNeverReadsOutsideItsBuffer) {
  const auto t = scriblet::fromString(U"a\u00e9\u20ac\U0001F600bcdefgh\u00e9\u20ac\U0001F600xyz");
  Bytes text;
  while (text.size() < 130) text.insert(text.end(), t.data(), t.data() + t.size());
  for (std::size_t n = 0; n <= 130; ++n) {
    const Bytes b(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    const std::int32_t want = scriblet::scan::validateReference(b.data(), n);
    for (bool atStart : {false, true}) {
      GuardedBuffer g(b, atStart);
      ASSERT_EQ(hs_scriblet_is_valid_utf8(g.data(), n), want) << n;
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
      ASSERT_EQ(scriblet::scan::validateSse(g.data(), n), want) << n;
      if (n < 64) {
        ASSERT_EQ(scriblet::scan::validateShortSse(g.data(), n), want) << n;
      }
      if (__builtin_cpu_supports("avx2")) {
        ASSERT_EQ(scriblet::scan::validateAvx2(g.data(), n), want) << n;
      }
#endif
    }
  }
}

// Buffers that stress the vector kernels: runs of ASCII and of every width,
// with random damage (a byte replaced, dropped or cut off at the end).
rc::Gen<Bytes> genAdversarialBytes() {
  return rc::gen::exec([] {
    const auto pieces = *rc::gen::container<std::vector<std::u32string>>(
        rc::gen::oneOf(rc::gen::container<std::u32string>(rc::gen::inRange<char32_t>(0, 0x80)),
                       rc::gen::container<std::u32string>(scriblet::testing::genChar())));
    Bytes b;
    for (const auto& piece : pieces) {
      const auto t = scriblet::fromString(piece);
      b.insert(b.end(), t.data(), t.data() + t.size());
    }
    const int damage = *rc::gen::inRange(0, 4);
    if (!b.empty() && damage == 1) {
      b[*rc::gen::inRange<std::size_t>(0, b.size())] = *rc::gen::arbitrary<std::uint8_t>();
    } else if (!b.empty() && damage == 2) {
      b.erase(b.begin() + *rc::gen::inRange<std::ptrdiff_t>(0, static_cast<std::ptrdiff_t>(b.size())));
    } else if (!b.empty() && damage == 3) {
      b.resize(*rc::gen::inRange<std::size_t>(0, b.size()));
    }
    return b;
  });
}

void checkKernelsAgree(const Bytes& b) {
  namespace s = scriblet::scan;
  const auto* p = b.data();
  const std::size_t n = b.size();
  const std::int32_t valid = s::validateReference(p, n);
  RC_ASSERT(s::validatePortable(p, n) == valid);
  RC_ASSERT(hs_scriblet_is_valid_utf8(p, n) == valid);
  const std::uint64_t length = s::lengthReference(p, n);
  RC_ASSERT(s::lengthPortable(p, n) == length);
  RC_ASSERT(hs_scriblet_length(p, n) == length);
  const std::uint64_t ascii = s::asciiLengthReference(p, n);
  RC_ASSERT(s::asciiLengthPortable(p, n) == ascii);
  RC_ASSERT(hs_scriblet_ascii_length(p, n) == ascii);
  RC_ASSERT(hs_scriblet_is_ascii(p, n) == (ascii == n ? 1 : 0));
  RC_ASSERT(s::isAsciiPortable(p, n) == (ascii == n));
#if defined(SCRIBLET_X86)
  RC_ASSERT(s::lengthSse(p, n) == length);
  RC_ASSERT(s::asciiLengthSse(p, n) == ascii);
  RC_ASSERT(s::isAsciiSse(p, n) == (ascii == n));
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  RC_ASSERT(s::validateSse(p, n) == valid);
#endif
  if (__builtin_cpu_supports("avx2")) {
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
    RC_ASSERT(s::validateAvx2(p, n) == valid);
#endif
    RC_ASSERT(s::lengthAvx2(p, n) == length);
  }
#endif
}

RC_GTEST_PROP(ScanKernels, AgreeWithTheReferenceOnRandomBytes, (const Bytes& b)) {
  checkKernelsAgree(b);
}

RC_GTEST_PROP(ScanKernels, AgreeWithTheReferenceOnDamagedUtf8, ()) {
  checkKernelsAgree(*genAdversarialBytes());
}

// Long runs of ASCII (often whole blocks of it) between characters, now and
// then cut short or replaced by random bytes: unfinished sequences before
// blocks of ASCII, errors after them.
RC_GTEST_PROP(ScanKernels, ValidatorsAgreeWithTheReferenceAcrossAsciiRuns, ()) {
  const auto piece = rc::gen::exec([] {
    const auto t = scriblet::fromString(std::u32string(1, *scriblet::testing::genChar()));
    Bytes b(t.data(), t.data() + t.size());
    const int damage = *rc::gen::inRange(0, 8);
    if (damage <= 1) b.resize(*rc::gen::inRange<std::size_t>(0, b.size()));
    if (damage == 2) b = *rc::gen::resize(4, rc::gen::container<Bytes>(rc::gen::arbitrary<std::uint8_t>()));
    return b;
  });
  const auto parts = *rc::gen::container<std::vector<std::pair<std::size_t, Bytes>>>(
      rc::gen::pair(rc::gen::inRange<std::size_t>(0, 200), piece));
  Bytes b;
  for (const auto& [run, bytes] : parts) {
    b.insert(b.end(), run, 'a');
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  const std::string mismatch = validatorMismatch(b);
  RC_ASSERT(mismatch.empty());
}

// The step counts to try in a buffer of n bytes: every count through the
// first blocks, then every 13th, and every count near the end and past it.
std::vector<std::uint64_t> stepCounts(std::uint64_t n) {
  std::vector<std::uint64_t> is;
  for (std::uint64_t i = 0; i <= n + 2; ++i) {
    if (i <= 140 || i % 13 == 0 || i + 70 >= n) is.push_back(i);
  }
  return is;
}

// The counts to try from the end: those above, and every count around the
// number of code points, where the walk from the end runs out.
std::vector<std::uint64_t> stepCountsFromEnd(const Bytes& b) {
  std::vector<std::uint64_t> is = stepCounts(b.size());
  const std::uint64_t count = scriblet::scan::lengthReference(b.data(), b.size());
  for (std::uint64_t i = count > 70 ? count - 70 : 0; i <= count + 2; ++i) is.push_back(i);
  return is;
}

// Every form of the offset walk from the end beside the step-by-step one:
// nothing, or the first that disagrees.
std::string reverseOffsetMismatch(const Bytes& b, std::uint64_t i) {
  namespace s = scriblet::scan;
  const auto* p = b.data();
  const std::uint64_t n = b.size();
  const std::uint64_t want = s::indexOffsetRevReference(p, n, i);
  auto report = [&](const char* form, std::uint64_t got) {
    return std::string(form) + " gives " + std::to_string(got) + ", the reference " + std::to_string(want) +
           " for i = " + std::to_string(i) + " in " + ::testing::PrintToString(b);
  };
  if (const std::uint64_t got = hs_scriblet_index_ofs_rev(p, n, i); got != want) return report("exported", got);
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  if (const std::uint64_t got = s::indexOffsetRevSse(p, n, i); got != want) return report("sse", got);
  if (__builtin_cpu_supports("avx2")) {
    if (const std::uint64_t got = s::indexOffsetRevAvx2(p, n, i); got != want) return report("avx2", got);
  }
#endif
  return {};
}

// The block-counting offset walks beside the step-by-step ones, on any bytes.
void checkOffsetsAgree(const Bytes& b) {
  namespace s = scriblet::scan;
  const auto* p = b.data();
  const std::uint64_t n = b.size();
  for (std::uint64_t i : stepCounts(n)) {
    const std::uint64_t want = s::indexOffsetReference(p, n, i);
    RC_ASSERT(hs_scriblet_index_ofs(p, n, i) == want);
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
    RC_ASSERT(s::indexOffsetSse(p, n, i) == want);
    if (__builtin_cpu_supports("avx2")) RC_ASSERT(s::indexOffsetAvx2(p, n, i) == want);
#endif
  }
  RC_ASSERT(hs_scriblet_index_ofs(p, n, kNone) == s::indexOffsetReference(p, n, kNone));
  for (std::uint64_t i : stepCountsFromEnd(b)) {
    const std::string mismatch = reverseOffsetMismatch(b, i);
    RC_ASSERT(mismatch.empty());
  }
  RC_ASSERT(reverseOffsetMismatch(b, kNone).empty());
}

RC_GTEST_PROP(ScanKernels, OffsetsAgreeWithTheStepwiseWalkOnDamagedUtf8, ()) {
  checkOffsetsAgree(*genAdversarialBytes());
}

RC_GTEST_PROP(ScanKernels, OffsetsAgreeWithTheStepwiseWalkOnRandomBytes, (const Bytes& b)) {
  checkOffsetsAgree(b);
}

// Text of every width in long runs, whole and with a byte replaced at every
// position of its first blocks: each block is counted or walked, and the
// walk resumes after a sequence that runs past a block's end.
TEST(ScanKernels, OffsetsAgreeWithTheStepwiseWalkAcrossBlocks) {
  const std::u32string pieces[] = {std::u32string(70, U'a'), std::u32string(40, U'\u00e9'),
                                   U"x\U0001F600\u20ac", std::u32string(30, U'\u20ac'),
                                   std::u32string(20, U'\U0001F600'), std::u32string(65, U'b')};
  Bytes text;
  for (int round = 0; round < 2; ++round) {
    for (const auto& piece : pieces) {
      const auto t = scriblet::fromString(piece);
      text.insert(text.end(), t.data(), t.data() + t.size());
    }
  }
  auto check = [](const Bytes& b) {
    for (std::uint64_t i : stepCounts(b.size())) {
      const std::uint64_t want = scriblet::scan::indexOffsetReference(b.data(), b.size(), i);
      ASSERT_EQ(hs_scriblet_index_ofs(b.data(), b.size(), i), want) << i;
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
      ASSERT_EQ(scriblet::scan::indexOffsetSse(b.data(), b.size(), i), want) << i;
#endif
    }
    for (std::uint64_t i : stepCountsFromEnd(b)) {
      const std::string mismatch = reverseOffsetMismatch(b, i);
      ASSERT_TRUE(mismatch.empty()) << mismatch;
    }
  };
  check(text);
  // The first blocks for the walk from the start, the last ones for the
  // walk from the end.
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (at >= 200 && at + 200 < text.size()) continue;
    for (std::uint8_t damage : {0x41, 0x80, 0xE2, 0xFF}) {
      Bytes b = text;
      b[at] = damage;
      SCOPED_TRACE(at);
      check(b);
    }
  }
}

// Samples placed at every offset across the last three 64-byte blocks of
// text of one width, with 200 bytes of it before them: runs of continuation
// bytes and lead bytes cut short meet a block's edge at every position, in
// the blocks counted from the end and in those after a block walked a step
// at a time.
TEST(ScanKernels, OffsetsFromTheEndAgreeWithTheStepwiseWalkAtEveryBlockEdge) {
  const Bytes samples[] = {{0x80}, {0x80, 0x80}, {0x80, 0x80, 0x80}, {0x80, 0x80, 0x80, 0x80},
                           {0xBF, 0xBF, 0xBF, 0xBF, 0xBF}, {0xC3}, {0xE2}, {0xF0}, {0xFF},
                           {0xE2, 0x82}, {0xF0, 0x9F, 0x98}, {0x61, 0x80, 0x80, 0x80},
                           {0xC3, 0xA9}, {0xF0, 0x9F, 0x98, 0x80}};
  const Bytes fillers[] = {{0x61}, {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}};
  for (const Bytes& filler : fillers) {
    Bytes prefix;
    while (prefix.size() < 200) prefix.insert(prefix.end(), filler.begin(), filler.end());
    for (std::size_t tail = 0; tail < 140; ++tail) {
      Bytes suffix(tail % filler.size(), 'z');
      while (suffix.size() < tail) suffix.insert(suffix.end(), filler.begin(), filler.end());
      for (const Bytes& sample : samples) {
        Bytes b = prefix;
        b.insert(b.end(), sample.begin(), sample.end());
        b.insert(b.end(), suffix.begin(), suffix.end());
        const std::uint64_t count = scriblet::scan::lengthReference(b.data(), b.size());
        for (std::uint64_t i = 0; i <= count + 2; i += i + 3 >= count ? 1 : 11) {
          const std::string mismatch = reverseOffsetMismatch(b, i);
          ASSERT_TRUE(mismatch.empty()) << mismatch;
        }
      }
    }
  }
}

// Well-formed text in runs of one character (whole blocks of ASCII or of
// one width, sequences across their edges) or of mixed characters, of every
// length across a few 64-byte blocks.
rc::Gen<Bytes> genTextInRuns() {
  return rc::gen::exec([] {
    const auto runs = *rc::gen::container<std::vector<std::pair<std::size_t, std::u32string>>>(
        rc::gen::pair(rc::gen::inRange<std::size_t>(1, 80),
                      rc::gen::resize(6, rc::gen::nonEmpty(scriblet::testing::genString()))));
    std::u32string chars;
    for (const auto& [repeats, piece] : runs) {
      for (std::size_t k = 0; k < repeats && chars.size() < 2000; ++k) chars += piece;
    }
    const auto t = scriblet::fromString(chars);
    return Bytes(t.data(), t.data() + t.size());
  });
}

// On well-formed text the offset of code point i from the end is the start
// of the (i + 1)th code point met going back a byte at a time, or n past the
// first: every i from 0 to one past the count.
RC_GTEST_PROP(ScanRoutines, OffsetsFromTheEndAreTheCodePointStartsGoingBack, ()) {
  const Bytes b = *genTextInRuns();
  const std::uint64_t n = b.size();
  std::vector<std::uint64_t> starts;
  for (std::uint64_t pos = n; pos-- > 0;) {
    if ((b[pos] & 0xC0) != 0x80) starts.push_back(pos);
  }
  for (std::uint64_t i = 0; i <= starts.size() + 1; ++i) {
    const std::uint64_t want = i < starts.size() ? starts[i] : n;
    RC_ASSERT(hs_scriblet_index_ofs_rev(b.data(), n, i) == want);
    const std::string mismatch = reverseOffsetMismatch(b, i);
    RC_ASSERT(mismatch.empty());
  }
  RC_ASSERT(hs_scriblet_index_ofs_rev(b.data(), n, kNone) == n);
}

RC_GTEST_PROP(ScanRoutines, ForwardAndBackwardPositionsAgreeOnWellFormedText,
              (const std::u32string& raw)) {
  std::u32string chars;
  for (char32_t c : raw) chars += scriblet::detail::storable(c % 0x110000);
  const auto t = scriblet::fromString(chars);
  const std::uint64_t n = t.size();
  const std::uint64_t k = chars.size();
  RC_ASSERT(hs_scriblet_length(t.data(), n) == k);
  std::uint64_t offset = 0;
  for (std::uint64_t i = 0; i < k; ++i) {
    RC_ASSERT(hs_scriblet_index_ofs(t.data(), n, i) == offset);
    RC_ASSERT(hs_scriblet_index_ofs_rev(t.data(), n, k - 1 - i) == offset);
    RC_ASSERT(hs_scriblet_index_cp(t.data(), n, i) == chars[i]);
    RC_ASSERT(hs_scriblet_index_cp_rev(t.data(), n, k - 1 - i) == chars[i]);
    offset += scriblet::detail::encodedLength(chars[i]);
  }
  RC_ASSERT(hs_scriblet_index_ofs(t.data(), n, k) == (k == 0 ? 0 : n));
  RC_ASSERT(hs_scriblet_index_cp(t.data(), n, k) == kNone);
}

}  // namespace
