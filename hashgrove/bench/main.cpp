// The one entry point of hashgrove_bench; every bench/*.cpp only registers benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
