// Validation and code-point counting beside the obvious alternatives (a byte
// loop, std::count_if, utfcpp where installed), and text operations beside
// the same job on std::string / std::u32string. Throughput is reported in
// bytes/s.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scan_kernels.hpp"
#include "scriblet/partial.hpp"
#include "scriblet/scan.h"
#include "scriblet/scriblet.hpp"

#if __has_include(<utf8.h>)
#include <utf8.h>
#define SCRIBLET_BENCH_UTFCPP 1
#endif

namespace {

// ASCII prose, or a mix of Latin, accented Latin, CJK and emoji.
std::string sampleText(std::size_t bytes, bool mixed) {
  static const char* const ascii[] = {"the ", "quick ", "brown ", "fox ", "jumps ", "over ", "lazy ", "dogs. "};
  static const char* const multi[] = {"caf\xC3\xA9 ", "na\xC3\xAFve ", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E ",
                                      "\xE4\xB8\xAD\xE6\x96\x87 ", "\xF0\x9F\x98\x80 ", "text ",
                                      "\xC3\xBC\x62\x65r ", "\xE2\x82\xAC\x35 "};
  std::mt19937 rng(42);
  std::string s;
  const char* const* words = mixed ? multi : ascii;
  while (s.size() < bytes) s += words[rng() % 8];
  // Cut at a code-point boundary.
  s.resize(bytes);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
  return s;
}

const std::string& input(std::int64_t size, bool mixed) {
  static std::map<std::pair<std::int64_t, bool>, std::string> cache;
  auto [it, fresh] = cache.try_emplace({size, mixed});
  if (fresh) it->second = sampleText(static_cast<std::size_t>(size), mixed);
  return it->second;
}

template <class F>
void run(benchmark::State& state, bool mixed, F f) {
  const std::string& s = input(state.range(0), mixed);
  for (auto _ : state) benchmark::DoNotOptimize(f(s));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(s.size()));
}

const unsigned char* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// 1 KiB and 64 KiB are the sizes the figures quote; 4 KiB is the smoke run's.
#define SCAN_BENCH(name, expr)                                                   \
  void name##_Ascii(benchmark::State& st) { run(st, false, [](const std::string& s) { return expr; }); } \
  void name##_Mixed(benchmark::State& st) { run(st, true, [](const std::string& s) { return expr; }); } \
  BENCHMARK(name##_Ascii)->Arg(1024)->Arg(4096)->Arg(65536);                     \
  BENCHMARK(name##_Mixed)->Arg(1024)->Arg(4096)->Arg(65536)

SCAN_BENCH(Validate_Exported, hs_scriblet_is_valid_utf8(s.data(), s.size()));
SCAN_BENCH(Validate_Portable, scriblet::scan::validatePortable(bytes(s), s.size()));
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
SCAN_BENCH(Validate_Sse, scriblet::scan::validateSse(bytes(s), s.size()));
#endif
SCAN_BENCH(Validate_ByteLoop, scriblet::scan::validateReference(bytes(s), s.size()));
SCAN_BENCH(Length_Exported, hs_scriblet_length(s.data(), s.size()));
SCAN_BENCH(Length_Portable, scriblet::scan::lengthPortable(bytes(s), s.size()));
SCAN_BENCH(Length_ByteLoop, scriblet::scan::lengthReference(bytes(s), s.size()));
// What a user would write: count the bytes that are not continuation bytes.
SCAN_BENCH(Length_CountIf, std::count_if(s.begin(), s.end(), [](char c) {
             return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
           }));
#if defined(SCRIBLET_BENCH_UTFCPP)
SCAN_BENCH(Validate_Utfcpp, utf8::is_valid(s.begin(), s.end()));
SCAN_BENCH(Length_Utfcpp, utf8::unchecked::distance(s.begin(), s.end()));
#endif

// Checked construction from a few bytes, beside a plain std::string copy
// (which does not validate) and a std::string copy validated by utfcpp.
void FromBytes_ShortText(benchmark::State& st) {
  const std::string s = input(st.range(0), st.range(1) != 0);
  for (auto _ : st) {
    benchmark::DoNotOptimize(s.data());
    benchmark::DoNotOptimize(scriblet::fromByteString(s));
  }
}
void FromBytes_StdString(benchmark::State& st) {
  const std::string s = input(st.range(0), st.range(1) != 0);
  for (auto _ : st) {
    benchmark::DoNotOptimize(s.data());
    std::string copy(s.data(), s.size());
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(FromBytes_ShortText)->ArgsProduct({{8, 16, 20, 32}, {0, 1}});
BENCHMARK(FromBytes_StdString)->ArgsProduct({{8, 16, 20, 32}, {0, 1}});
#if defined(SCRIBLET_BENCH_UTFCPP)
void FromBytes_StdStringUtfcpp(benchmark::State& st) {
  const std::string s = input(st.range(0), st.range(1) != 0);
  for (auto _ : st) {
    benchmark::DoNotOptimize(s.data());
    std::optional<std::string> copy;
    if (utf8::is_valid(s.begin(), s.end())) copy.emplace(s.data(), s.size());
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(FromBytes_StdStringUtfcpp)->ArgsProduct({{8, 16, 20, 32}, {0, 1}});
#endif

// Splitting comma-separated fields: every piece is made (a text, or a
// std::string from a find loop).
const std::string& fields(std::int64_t size) {
  static std::map<std::int64_t, std::string> cache;
  std::string& s = cache[size];
  if (s.empty()) {
    s = input(size, false);
    std::replace(s.begin(), s.end(), ' ', ',');
  }
  return s;
}
void Split_ShortText(benchmark::State& st) {
  const auto t = scriblet::fromByteStringUnsafe(fields(st.range(0)));
  for (auto _ : st) {
    for (const scriblet::ShortText& piece : scriblet::split([](char32_t c) { return c == U','; }, t)) {
      benchmark::DoNotOptimize(piece);
    }
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size()));
}
void Split_StdStringFind(benchmark::State& st) {
  const std::string& s = fields(st.range(0));
  for (auto _ : st) {
    std::size_t from = 0;
    for (;;) {
      const std::size_t at = s.find(',', from);
      std::string piece = s.substr(from, at == std::string::npos ? std::string::npos : at - from);
      benchmark::DoNotOptimize(piece);
      if (at == std::string::npos) break;
      from = at + 1;
    }
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(s.size()));
}
BENCHMARK(Split_ShortText)->Arg(4096)->Arg(65536);
BENCHMARK(Split_StdStringFind)->Arg(4096)->Arg(65536);

// Positions by code point near the end of a 64 MiB text, beside counting
// the whole of it. Not part of the smoke run.
const scriblet::ShortText& huge(bool mixed) {
  static scriblet::ShortText texts[2];
  scriblet::ShortText& t = texts[mixed];
  if (t.size() == 0) {
    t = scriblet::replicate(64, scriblet::fromByteStringUnsafe(input(1 << 20, mixed)));
  }
  return t;
}
template <class F>
void onHuge(benchmark::State& st, F f) {
  const scriblet::ShortText& t = huge(st.range(0) != 0);
  const std::int64_t near = scriblet::length(t) - 10;
  for (auto _ : st) f(t, near);
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size()));
}
void Huge_Length(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t) { benchmark::DoNotOptimize(scriblet::length(t)); });
}
void Huge_IndexNearEnd(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) {
    benchmark::DoNotOptimize(scriblet::partial::index(t, k));
  });
}
void Huge_DropNearEnd(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) { benchmark::DoNotOptimize(scriblet::drop(k, t)); });
}
// The result is a copy of nearly the whole text: the copy is most of it.
void Huge_TakeNearEnd(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) { benchmark::DoNotOptimize(scriblet::take(k, t)); });
}
// The same from the end: all but 10 code points counted back, so the walk
// from the end crosses nearly the whole text.
void Huge_IndexEndNearStart(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) {
    benchmark::DoNotOptimize(scriblet::indexEndMaybe(t, k));
  });
}
void Huge_DropEndNearStart(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) { benchmark::DoNotOptimize(scriblet::dropEnd(k, t)); });
}
// A copy of nearly the whole text, as with take.
void Huge_TakeEndNearStart(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t k) { benchmark::DoNotOptimize(scriblet::takeEnd(k, t)); });
}
void Huge_StdStringCopy(benchmark::State& st) {
  onHuge(st, [](const scriblet::ShortText& t, std::int64_t) {
    std::string copy(t.bytes().substr(0, t.size() - 10));
    benchmark::DoNotOptimize(copy);
  });
}
BENCHMARK(Huge_Length)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_IndexNearEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_DropNearEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_TakeNearEnd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_IndexEndNearStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_DropEndNearStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_TakeEndNearStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Huge_StdStringCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Operations: ShortText beside the same job on the standard strings.
void Op_Reverse_ShortText(benchmark::State& st) {
  const auto t = *scriblet::fromByteString(input(st.range(0), true));
  for (auto _ : st) benchmark::DoNotOptimize(scriblet::reverse(t));
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size()));
}
void Op_Reverse_U32String(benchmark::State& st) {
  const auto t = *scriblet::fromByteString(input(st.range(0), true));
  for (auto _ : st) {
    // Decode, reverse, encode: the job done through a character string.
    std::u32string chars = scriblet::toString(t);
    std::reverse(chars.begin(), chars.end());
    benchmark::DoNotOptimize(scriblet::fromString(chars));
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size()));
}
void Op_TakeCodePoints_ShortText(benchmark::State& st) {
  const auto t = *scriblet::fromByteString(input(st.range(0), true));
  const std::int64_t half = scriblet::length(t) / 2;
  for (auto _ : st) benchmark::DoNotOptimize(scriblet::take(half, t));
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size() / 2));
}
void Op_TakeCodePoints_U32String(benchmark::State& st) {
  const auto t = *scriblet::fromByteString(input(st.range(0), true));
  const std::u32string chars = scriblet::toString(t);
  for (auto _ : st) benchmark::DoNotOptimize(chars.substr(0, chars.size() / 2));
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size() / 2));
}
void Op_Equal_ShortText(benchmark::State& st) {
  const auto a = *scriblet::fromByteString(input(st.range(0), true));
  const auto b = scriblet::fromByteStringUnsafe(input(st.range(0), true));
  for (auto _ : st) benchmark::DoNotOptimize(a == b);
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(a.size()));
}
void Op_Equal_StdString(benchmark::State& st) {
  const std::string a = input(st.range(0), true);
  const std::string b = a;
  for (auto _ : st) benchmark::DoNotOptimize(a == b);
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(a.size()));
}
void Op_Filter_ShortText(benchmark::State& st) {
  const auto t = *scriblet::fromByteString(input(st.range(0), true));
  for (auto _ : st) benchmark::DoNotOptimize(scriblet::filter([](char32_t c) { return c != U' '; }, t));
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(t.size()));
}
void Op_Filter_StdString(benchmark::State& st) {
  const std::string s = input(st.range(0), true);
  for (auto _ : st) {
    std::string out;
    for (char c : s) {
      if (c != ' ') out += c;
    }
    benchmark::DoNotOptimize(out);
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(s.size()));
}
BENCHMARK(Op_Reverse_ShortText)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_Reverse_U32String)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_TakeCodePoints_ShortText)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_TakeCodePoints_U32String)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_Equal_ShortText)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_Equal_StdString)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_Filter_ShortText)->Arg(4096)->Arg(1 << 20);
BENCHMARK(Op_Filter_StdString)->Arg(4096)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
