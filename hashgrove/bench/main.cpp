// The one entry point of hashgrove_bench; every other bench/*.cpp registers
// benchmarks, except count.cpp, which `--count` runs instead (for callgrind).
#include <benchmark/benchmark.h>

#include <cstring>

int countMain(int argc, char** argv);

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--count") == 0) return countMain(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
