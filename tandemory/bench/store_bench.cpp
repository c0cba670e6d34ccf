// A blur over a square grid (each cell the sum of itself and its four
// neighbours, the edges wrapping round) as the store comonad's extend, beside
// the hand loop over std::vectors (its buffers allocated once, outside the
// timing, as a hand-written stencil keeps them). The store's table is the function from a
// position (row, column) to the cell; every benchmark produces the blurred
// value of every cell and sums them.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include <tandemory/comonad/representable/store.hpp>

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Pos = std::pair<Int, Int>;
using G = basis::FunctionFrom<Pos>;
using STag = StoreTOf<G, basis::IdentityTag>;
using Store = basis::ComonadStore<STag>;
using Co = basis::Comonad<STag>;

std::vector<Int> makeGrid(Int side) {
  std::vector<Int> g(static_cast<std::size_t>(side * side));
  for (std::size_t i = 0; i < g.size(); ++i) g[i] = static_cast<Int>((i * 2654435761u) % 97);
  return g;
}

Int wrap(Int i, Int side) { return ((i % side) + side) % side; }

// The blur of the store at its focus: five reads around the focus.
struct Blur {
  Int side;
  template <class S>
  Int operator()(const S& st) const {
    const Pos& p = Store::pos(st);
    const Int r = p.first;
    const Int c = p.second;
    return Store::peek(Pos(r, c), st) + Store::peek(Pos(wrap(r - 1, side), c), st) +
           Store::peek(Pos(wrap(r + 1, side), c), st) + Store::peek(Pos(r, wrap(c - 1, side)), st) +
           Store::peek(Pos(r, wrap(c + 1, side)), st);
  }
};

// The store over the grid, focused at (0, 0).
auto gridStore(const std::vector<Int>& grid, Int side) {
  return store<G>([&grid, side](const Pos& p) { return grid[static_cast<std::size_t>(p.first * side + p.second)]; },
                  Pos(0, 0));
}

// The sum of the store's values over every cell.
template <class S>
Int readAll(const S& st, Int side) {
  Int total = 0;
  for (Int r = 0; r < side; ++r) {
    for (Int c = 0; c < side; ++c) total += Store::peek(Pos(r, c), st);
  }
  return total;
}

// The blur of g written into out (a buffer of the same size).
void blurLoop(const std::vector<Int>& g, std::vector<Int>& out, Int side) {
  auto at = [&g, side](Int r, Int c) { return g[static_cast<std::size_t>(wrap(r, side) * side + wrap(c, side))]; };
  for (Int r = 0; r < side; ++r) {
    for (Int c = 0; c < side; ++c) {
      out[static_cast<std::size_t>(r * side + c)] = at(r, c) + at(r - 1, c) + at(r + 1, c) + at(r, c - 1) + at(r, c + 1);
    }
  }
}

Int sum(const std::vector<Int>& g) {
  Int total = 0;
  for (Int x : g) total += x;
  return total;
}

// One blur: extend, then every cell read.
void BM_StoreExtendBlur(benchmark::State& state) {
  const Int side = state.range(0);
  const std::vector<Int> grid = makeGrid(side);
  for (auto _ : state) {
    const auto blurred = Co::extend(Blur{side}, gridStore(grid, side));
    benchmark::DoNotOptimize(readAll(blurred, side));
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_GridBlurHandLoop(benchmark::State& state) {
  const Int side = state.range(0);
  const std::vector<Int> grid = makeGrid(side);
  std::vector<Int> out(grid.size());
  for (auto _ : state) {
    blurLoop(grid, out, side);
    benchmark::DoNotOptimize(sum(out));
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

// Two blurs in a row. The function table keeps no cell, so each cell of the
// second blur reads five cells of the first, each of them five of the grid:
// 25 reads per cell against the hand loop's 10.
void BM_StoreExtendBlurTwice(benchmark::State& state) {
  const Int side = state.range(0);
  const std::vector<Int> grid = makeGrid(side);
  for (auto _ : state) {
    const auto once = Co::extend(Blur{side}, gridStore(grid, side));
    const auto twice = Co::extend(Blur{side}, once);
    benchmark::DoNotOptimize(readAll(twice, side));
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

void BM_GridBlurTwiceHandLoop(benchmark::State& state) {
  const Int side = state.range(0);
  const std::vector<Int> grid = makeGrid(side);
  std::vector<Int> once(grid.size());
  std::vector<Int> out(grid.size());
  for (auto _ : state) {
    blurLoop(grid, once, side);
    blurLoop(once, out, side);
    benchmark::DoNotOptimize(sum(out));
  }
  state.SetItemsProcessed(state.iterations() * side * side);
}

// Grids of 32 x 32 and 256 x 256 cells; the CTest smoke run takes only the
// /32 size.
void sides(benchmark::internal::Benchmark* b) { b->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond); }

BENCHMARK(BM_StoreExtendBlur)->Apply(sides);
BENCHMARK(BM_GridBlurHandLoop)->Apply(sides);
BENCHMARK(BM_StoreExtendBlurTwice)->Apply(sides);
BENCHMARK(BM_GridBlurTwiceHandLoop)->Apply(sides);

}  // namespace

BENCHMARK_MAIN();
