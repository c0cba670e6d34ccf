// Drawing version-4 UUIDs beside libuuid's uuid_generate_random.

#include <benchmark/benchmark.h>

#include <random>

#include "stampwell/stampwell.hpp"

#ifdef STAMPWELL_BENCH_LIBUUID
#include <uuid/uuid.h>
#endif

namespace {

void BM_Generate_Stampwell_Mt19937_64(benchmark::State& state) {
  std::mt19937_64 g(1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(stampwell::uniformM(g));
  }
}
BENCHMARK(BM_Generate_Stampwell_Mt19937_64);

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
