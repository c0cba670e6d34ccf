// What forcing costs: a chain of cells each forcing the one below (shallow
// and a million deep, where the work moves to fresh stack segments), one
// cell at a time, and a shallow lazy fold of a list.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"

namespace {

using basis::Lazy;

Lazy<std::int64_t> chain(std::int64_t depth) {
  Lazy<std::int64_t> c(0);
  for (std::int64_t i = 0; i < depth; ++i) {
    c = Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

// Builds a fresh chain per iteration (not timed) and forces it from the top.
void BM_ForceChain(benchmark::State& state) {
  const std::int64_t depth = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    Lazy<std::int64_t> top = chain(depth);
    state.ResumeTiming();
    benchmark::DoNotOptimize(top.force());
    state.PauseTiming();
    top = Lazy<std::int64_t>(0);  // freed untimed
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * depth);
}
BENCHMARK(BM_ForceChain)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// Defers and forces one cell: the cost every shallow force pays.
void BM_DeferAndForceOne(benchmark::State& state) {
  std::int64_t i = 0;
  for (auto _ : state) {
    auto x = Lazy<std::int64_t>::defer([&i] { return ++i; });
    benchmark::DoNotOptimize(x.force());
  }
}
BENCHMARK(BM_DeferAndForceOne);

// A lazy right fold of a 1000-element list whose step forces the rest.
void BM_ShallowFold(benchmark::State& state) {
  std::vector<std::int64_t> xs(static_cast<std::size_t>(state.range(0)), 1);
  const auto list = basis::List<std::int64_t>::fromRange(xs);
  for (auto _ : state) {
    benchmark::DoNotOptimize(basis::foldr(
        [](const Lazy<std::int64_t>& x, const Lazy<std::int64_t>& rest) { return x.force() + rest.force(); },
        std::int64_t{0}, list));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShallowFold)->Arg(1'000);

}  // namespace

BENCHMARK_MAIN();
