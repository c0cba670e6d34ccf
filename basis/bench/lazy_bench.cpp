// What forcing costs: a chain of cells each forcing the one below (shallow
// and a million deep, where the work moves to fresh stack segments), one
// cell at a time, and a shallow lazy fold of a list; and what running a
// shallow chain of function maps and binds costs, each level checking for
// stack room.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"
#include "basis/monad.hpp"

namespace {

using basis::Lazy;

Lazy<std::int64_t> chain(std::int64_t depth) {
  Lazy<std::int64_t> c(0);
  for (std::int64_t i = 0; i < depth; ++i) {
    c = Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

// Minor page faults of this process so far.
double pageFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_minflt);
}

// Builds a fresh chain per iteration (not timed) and forces it from the top.
// Run once with the default stack and once with `ulimit -s unlimited`: deep
// work on the default stack moves to segments, which should cost no more
// than the deeper native stack (the "faults" counter: page faults per force).
void BM_ForceChain(benchmark::State& state) {
  const std::int64_t depth = state.range(0);
  double faults = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Lazy<std::int64_t> top = chain(depth);
    const double before = pageFaults();
    state.ResumeTiming();
    benchmark::DoNotOptimize(top.force());
    state.PauseTiming();
    faults += pageFaults() - before;
    top = Lazy<std::int64_t>(0);  // freed untimed
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * depth);
  state.counters["faults"] = benchmark::Counter(faults, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ForceChain)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// Frees an unforced chain (built untimed): each cell frees the one below.
void BM_FreeChain(benchmark::State& state) {
  const std::int64_t depth = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    Lazy<std::int64_t> top = chain(depth);
    state.ResumeTiming();
    top = Lazy<std::int64_t>(0);
  }
  state.SetItemsProcessed(state.iterations() * depth);
}
BENCHMARK(BM_FreeChain)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

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

using Fn = std::function<std::int64_t(const std::int64_t&)>;

// Applies a chain of 1000 function maps (each result calls the function
// below it).
void BM_ShallowFunctionMaps(benchmark::State& state) {
  Fn f = [](const std::int64_t& e) { return e; };
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    f = basis::Functor<basis::FunctionFrom<std::int64_t>>::fmap([](std::int64_t v) { return v + 1; }, f);
  }
  std::int64_t e = 0;
  for (auto _ : state) benchmark::DoNotOptimize(f(++e));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShallowFunctionMaps)->Arg(1'000);

// Applies a left-nested chain of 1000 function binds.
void BM_ShallowFunctionBinds(benchmark::State& state) {
  Fn f = [](const std::int64_t& e) { return e; };
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    f = basis::Monad<basis::FunctionFrom<std::int64_t>>::bind(
        f, [](std::int64_t v) { return Fn([v](const std::int64_t& e) { return v + e; }); });
  }
  std::int64_t e = 0;
  for (auto _ : state) benchmark::DoNotOptimize(f(++e));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShallowFunctionBinds)->Arg(1'000);

}  // namespace

BENCHMARK_MAIN();
