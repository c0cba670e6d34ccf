// Drawing version-4 UUIDs beside Boost.Uuid's generators over the same
// engines (where Boost is installed) and libuuid's uuid_generate_random.

#include <benchmark/benchmark.h>
#include <sys/random.h>

#include <cstdint>
#include <random>
#include <stdexcept>

#include "stampwell/stampwell.hpp"

#ifdef STAMPWELL_BENCH_LIBUUID
#include <uuid/uuid.h>
#endif

#if __has_include(<boost/uuid/random_generator.hpp>)
#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid.hpp>
#define STAMPWELL_BENCH_BOOST 1
#endif

namespace {

// A cheap seeded engine (splitmix64), under which the cost of building the
// UUID is not hidden by the engine's own.
struct SplitMix64 {
  using result_type = std::uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~result_type{0}; }
  std::uint64_t state = 1;
  result_type operator()() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
};

// The kernel's entropy as a user would wrap it for a 64-bit generator: one
// read per draw.
struct WordPerRead {
  using result_type = std::uint64_t;
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return ~result_type{0}; }
  result_type operator()() {
    std::uint64_t w;
    if (getrandom(&w, sizeof w, 0) != sizeof w) throw std::runtime_error("getrandom");
    return w;
  }
};

template <class G>
void stampwellOver(benchmark::State& state) {
  G g{};
  for (auto _ : state) benchmark::DoNotOptimize(stampwell::uniformM(g));
}
void BM_Generate_Stampwell_Mt19937_64(benchmark::State& state) { stampwellOver<std::mt19937_64>(state); }
void BM_Generate_Stampwell_SplitMix64(benchmark::State& state) { stampwellOver<SplitMix64>(state); }
void BM_Generate_Stampwell_WordPerRead(benchmark::State& state) { stampwellOver<WordPerRead>(state); }
BENCHMARK(BM_Generate_Stampwell_Mt19937_64);
BENCHMARK(BM_Generate_Stampwell_SplitMix64);
BENCHMARK(BM_Generate_Stampwell_WordPerRead);
void BM_Generate_Stampwell_KernelEntropy(benchmark::State& state) {
  stampwellOver<stampwell::KernelEntropy>(state);
}
BENCHMARK(BM_Generate_Stampwell_KernelEntropy);

#ifdef STAMPWELL_BENCH_BOOST
template <class G>
void boostOver(benchmark::State& state) {
  G engine{};
  boost::uuids::basic_random_generator<G> gen(&engine);
  for (auto _ : state) benchmark::DoNotOptimize(gen());
}
void BM_Generate_Boost_Mt19937_64(benchmark::State& state) { boostOver<std::mt19937_64>(state); }
void BM_Generate_Boost_SplitMix64(benchmark::State& state) { boostOver<SplitMix64>(state); }
BENCHMARK(BM_Generate_Boost_Mt19937_64);
BENCHMARK(BM_Generate_Boost_SplitMix64);

// Boost's default generator: 16 bytes of the kernel's entropy per UUID.
void BM_Generate_Boost_Entropy(benchmark::State& state) {
  boost::uuids::random_generator gen;
  for (auto _ : state) benchmark::DoNotOptimize(gen());
}
BENCHMARK(BM_Generate_Boost_Entropy);
#endif

#ifdef STAMPWELL_BENCH_LIBUUID
void BM_Generate_Libuuid_Random(benchmark::State& state) {
  uuid_t out;
  for (auto _ : state) {
    uuid_generate_random(out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Generate_Libuuid_Random);
#endif

}  // namespace
