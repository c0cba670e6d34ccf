// Parsing and printing the canonical text, and hashing, beside the usual
// alternatives: sscanf/snprintf, a plain character loop, and libuuid.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "stampwell/stampwell.hpp"

#ifdef STAMPWELL_BENCH_LIBUUID
#include <uuid/uuid.h>
#endif

namespace {

using stampwell::UUID;

// A fixed mix of texts, upper and lower case, so that no branch predictor
// learns one input.
const std::vector<std::string>& sampleTexts() {
  static const std::vector<std::string> texts = [] {
    std::mt19937_64 g(7);
    std::vector<std::string> out;
    for (int i = 0; i < 256; ++i) {
      std::string t = stampwell::toASCIIBytes(UUID(g(), g()));
      if (i % 2) for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      out.push_back(t);
    }
    return out;
  }();
  return texts;
}

const std::vector<UUID>& sampleUUIDs() {
  static const std::vector<UUID> uuids = [] {
    std::vector<UUID> out;
    for (const std::string& t : sampleTexts()) out.push_back(*stampwell::fromASCIIBytes(t));
    return out;
  }();
  return uuids;
}

void BM_Parse_Stampwell(benchmark::State& state) {
  const auto& texts = sampleTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    auto u = stampwell::fromASCIIBytes(texts[i++ & 255]);
    benchmark::DoNotOptimize(u);
  }
}
BENCHMARK(BM_Parse_Stampwell);

void BM_Parse_Sscanf(benchmark::State& state) {
  const auto& texts = sampleTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    unsigned a, b, c, d;
    unsigned long long f;
    int n = std::sscanf(texts[i++ & 255].c_str(), "%8x-%4x-%4x-%4x-%12llx", &a, &b, &c, &d, &f);
    std::optional<UUID> u;
    if (n == 5) u = UUID(std::uint64_t{a} << 32 | b << 16 | c, std::uint64_t{d} << 48 | f);
    benchmark::DoNotOptimize(u);
  }
}
BENCHMARK(BM_Parse_Sscanf);

// The obvious loop: one character at a time, a branch per character.
std::optional<UUID> naiveParse(const std::string& s) {
  if (s.size() != 36) return std::nullopt;
  std::uint64_t w[2] = {0, 0};
  int digits = 0;
  for (std::size_t i = 0; i < 36; ++i) {
    const char c = s[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return std::nullopt;
      continue;
    }
    unsigned v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else return std::nullopt;
    w[digits / 16] = w[digits / 16] << 4 | v;
    ++digits;
  }
  return UUID(w[0], w[1]);
}

void BM_Parse_NaiveLoop(benchmark::State& state) {
  const auto& texts = sampleTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    auto u = naiveParse(texts[i++ & 255]);
    benchmark::DoNotOptimize(u);
  }
}
BENCHMARK(BM_Parse_NaiveLoop);

void BM_Print_Stampwell_Buffer(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  char out[36];
  std::size_t i = 0;
  for (auto _ : state) {
    stampwell::writeCanonical(uuids[i++ & 255], out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Print_Stampwell_Buffer);

void BM_Print_Stampwell_String(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  std::size_t i = 0;
  for (auto _ : state) {
    std::string s = stampwell::toASCIIBytes(uuids[i++ & 255]);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Print_Stampwell_String);

void BM_Print_Snprintf(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  char out[37];
  std::size_t i = 0;
  for (auto _ : state) {
    const UUID u = uuids[i++ & 255];
    const std::uint64_t f = u.firstWord(), s = u.secondWord();
    std::snprintf(out, sizeof out, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(f >> 32),
                  static_cast<unsigned>(f >> 16 & 0xffff), static_cast<unsigned>(f & 0xffff),
                  static_cast<unsigned>(s >> 48),
                  static_cast<unsigned long long>(s & 0xffffffffffffULL));
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Print_Snprintf);

void BM_Hash_Stampwell(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(basis::hash(uuids[i++ & 255]));
  }
}
BENCHMARK(BM_Hash_Stampwell);

void BM_HashWithSalt_Stampwell(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(basis::hashWithSalt(basis::defaultSalt, uuids[i++ & 255]));
  }
}
BENCHMARK(BM_HashWithSalt_Stampwell);

#ifdef STAMPWELL_BENCH_LIBUUID
void BM_Parse_Libuuid(benchmark::State& state) {
  const auto& texts = sampleTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    uuid_t out;
    int rc = uuid_parse(texts[i++ & 255].c_str(), out);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_Parse_Libuuid);

void BM_Print_Libuuid(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  std::vector<std::array<unsigned char, 16>> raw;
  for (UUID u : uuids) raw.push_back(stampwell::toList(u));
  char out[37];
  std::size_t i = 0;
  for (auto _ : state) {
    uuid_unparse_lower(raw[i++ & 255].data(), out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Print_Libuuid);

// The same text as a std::string, as a caller of the C library would make it.
void BM_Print_Libuuid_String(benchmark::State& state) {
  const auto& uuids = sampleUUIDs();
  std::vector<std::array<unsigned char, 16>> raw;
  for (UUID u : uuids) raw.push_back(stampwell::toList(u));
  std::size_t i = 0;
  for (auto _ : state) {
    char out[37];
    uuid_unparse_lower(raw[i++ & 255].data(), out);
    std::string s(out, 36);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Print_Libuuid_String);
#endif

}  // namespace

BENCHMARK_MAIN();
