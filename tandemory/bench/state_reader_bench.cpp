// The representable state and reader monads and tabulate/index of stored
// representable functors, each beside the plain C++ it abstracts: a loop with
// a local variable, a plain function of the environment, a struct built and
// read directly.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include <basis/complex.hpp>
#include <basis/compose.hpp>
#include <tandemory/functor/rep.hpp>
#include <tandemory/monad/representable/reader.hpp>
#include <tandemory/monad/representable/state.hpp>

namespace {

using namespace tandemory;
using Int = std::int64_t;
using P = std::pair<Int, Int>;

// ---------------------------------------------------------------------------
// Counting over n steps with the state: each step yields the current count
// and adds 3 to it. The state is an Int (the functions from Int are the
// table), the inner monad Identity.

using G = basis::FunctionFrom<Int>;
using STag = StateTOf<G, basis::IdentityTag>;
using St = basis::MonadState<STag>;
using Mon = basis::Monad<STag>;

auto tick() {
  return St::state([](const Int& s) { return P(s, s + 3); });
}

// One state action run n times from a C++ loop, the state threaded through
// runState: the cost of one step of the representable state.
void BM_CountStateSteps(benchmark::State& state) {
  const Int n = state.range(0);
  const auto step = tick();
  for (auto _ : state) {
    Int s = 0;
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      const P r = runState(step, s);
      total += r.first;
      s = r.second;
    }
    benchmark::DoNotOptimize(total);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// One state computation of n steps chained by bind (each continuation adds
// the current count to the total carried in the results), from
// return 0. Running it nests one call per bound step.
auto chain(Int n) {
  auto t = Mon::return_(Int(0));
  for (Int i = 0; i < n; ++i) {
    t = Mon::bind(t, [](const Int& total) { return St::state([total](const Int& s) { return P(total + s, s + 3); }); });
  }
  return t;
}

// The chain built and run once per iteration. Each bind maps over the
// previous table; a mapped function table holds the function it maps over
// through a shared pointer, so each bind is O(1) and the chain builds in
// time linear in n.
void BM_CountStateBinds(benchmark::State& state) {
  const Int n = state.range(0);
  for (auto _ : state) benchmark::DoNotOptimize(runState(chain(n), 0));
  state.SetItemsProcessed(state.iterations() * n);
}

// The chain built once, run once per iteration.
void BM_CountStateBindsRunOnly(benchmark::State& state) {
  const Int n = state.range(0);
  const auto t = chain(n);
  for (auto _ : state) benchmark::DoNotOptimize(runState(t, 0));
  state.SetItemsProcessed(state.iterations() * n);
}

// The same count with a local variable.
void BM_CountPlainLoop(benchmark::State& state) {
  const Int n = state.range(0);
  for (auto _ : state) {
    Int s = 0;
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      benchmark::DoNotOptimize(s);
      total += s;
      s += 3;
    }
    benchmark::DoNotOptimize(total);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// ---------------------------------------------------------------------------
// A reader of an Int environment combining two derived values (liftA2 of two
// readers), run in n environments, beside the plain function.

using RTag = ReaderTOf<G, basis::IdentityTag>;

void BM_ReaderRun(benchmark::State& state) {
  const Int n = state.range(0);
  using Rd = basis::MonadReader<RTag>;
  const auto twice = Rd::reader([](const Int& e) { return e * 2; });
  const auto plusOne = Rd::reader([](const Int& e) { return e + 1; });
  const auto both = basis::Applicative<RTag>::liftA2(std::plus<Int>(), twice, plusOne);
  for (auto _ : state) {
    Int total = 0;
    for (Int e = 0; e < n; ++e) total += runReader(both, e);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_ReaderPlainFunction(benchmark::State& state) {
  const Int n = state.range(0);
  const std::function<Int(Int)> both = [](Int e) { return e * 2 + (e + 1); };
  for (auto _ : state) {
    Int total = 0;
    for (Int e = 0; e < n; ++e) total += both(e);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// ---------------------------------------------------------------------------
// tabulate and index of stored tables, n times: a pair (Complex: positions
// false and true) and a 2x2 grid (Complex of Complex: positions (row,
// column)), beside the struct or array built and read directly. The position
// counter goes through DoNotOptimize in every variant, so no loop is folded
// into a closed form.

void BM_TabulateIndexComplex(benchmark::State& state) {
  const Int n = state.range(0);
  for (auto _ : state) {
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      benchmark::DoNotOptimize(i);
      const auto w = tabulate<basis::ComplexTag>([i](const bool& im) { return im ? i * 2 : i + 1; });
      total += index(w, false) + index(w, true);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_ComplexDirect(benchmark::State& state) {
  const Int n = state.range(0);
  for (auto _ : state) {
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      benchmark::DoNotOptimize(i);
      const basis::Complex<Int> w{i + 1, i * 2};
      total += w.realPart + w.imagPart;
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

using Grid2 = basis::ComposeOf<basis::ComplexTag, basis::ComplexTag>;
using Cell = std::pair<bool, bool>;

void BM_TabulateIndexGrid2x2(benchmark::State& state) {
  const Int n = state.range(0);
  constexpr std::array<Cell, 4> cells{Cell(false, false), Cell(false, true), Cell(true, false), Cell(true, true)};
  for (auto _ : state) {
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      benchmark::DoNotOptimize(i);
      const auto w = tabulate<Grid2>([i](const Cell& c) { return i * (c.first ? 2 : 1) + (c.second ? 1 : 0); });
      for (const Cell& c : cells) total += index(w, c);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_Grid2x2ArrayDirect(benchmark::State& state) {
  const Int n = state.range(0);
  for (auto _ : state) {
    Int total = 0;
    for (Int i = 0; i < n; ++i) {
      benchmark::DoNotOptimize(i);
      std::array<std::array<Int, 2>, 2> w{};
      for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) w[r][c] = i * (r + 1) + c;
      }
      for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) total += w[r][c];
      }
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// The CTest smoke run takes only the /1000 sizes.
void sizes(benchmark::internal::Benchmark* b) { b->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMicrosecond); }
// Chains of 10^3 to 10^5 binds: building and running both grow linearly.
void chainSizes(benchmark::internal::Benchmark* b) {
  b->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_CountStateSteps)->Apply(sizes);
BENCHMARK(BM_CountStateBinds)->Apply(chainSizes);
BENCHMARK(BM_CountStateBindsRunOnly)->Apply(chainSizes);
BENCHMARK(BM_CountPlainLoop)->Apply(sizes);
BENCHMARK(BM_ReaderRun)->Apply(sizes);
BENCHMARK(BM_ReaderPlainFunction)->Apply(sizes);
BENCHMARK(BM_TabulateIndexComplex)->Apply(sizes);
BENCHMARK(BM_ComplexDirect)->Apply(sizes);
BENCHMARK(BM_TabulateIndexGrid2x2)->Apply(sizes);
BENCHMARK(BM_Grid2x2ArrayDirect)->Apply(sizes);

}  // namespace
