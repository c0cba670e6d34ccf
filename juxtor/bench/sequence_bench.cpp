// Aligning and zipping by position: juxtor on basis::Vector and basis::List
// beside the index loop (or std::transform) over std::vector a C++ user
// writes by hand. The left side has n elements, the right n/2, so an
// alignment has a tail of one side alone. Every benchmark builds the result
// and reads every element of it (forcing the elements juxtor defers).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <basis/list.hpp>
#include <basis/vector.hpp>
#include <juxtor/juxtor.hpp>

namespace {

using Int = std::int64_t;
using T = basis::These<Int, Int>;

struct Inputs {
  std::vector<Int> xs, ys;
  basis::Vector<Int> xv, yv;
  basis::List<Int> xl, yl;
};

Inputs makeInputs(Int n) {
  Inputs in;
  for (Int i = 0; i < n; ++i) in.xs.push_back(i * 7 + 1);
  for (Int i = 0; i < n / 2; ++i) in.ys.push_back(i * 5 - 3);
  in.xv = basis::Vector<Int>::fromList(in.xs);
  in.yv = basis::Vector<Int>::fromList(in.ys);
  in.xl = basis::List<Int>::fromRange(in.xs);
  in.yl = basis::List<Int>::fromRange(in.ys);
  return in;
}

const Inputs& inputs(Int n) {
  static std::vector<std::pair<Int, Inputs>> cache;
  for (const auto& [m, in] : cache) {
    if (m == n) return in;
  }
  cache.emplace_back(n, makeInputs(n));
  return cache.back().second;
}

constexpr auto combineValues = [](Int x, Int y) { return 3 * x + y; };

Int weigh(const T& t) {
  return t.fold([](Int x) { return 3 * x; }, [](Int y) { return y; }, [](Int x, Int y) { return 3 * x + y; });
}

// The sum of every element of a vector, each forced.
template <class A, class Read>
Int readAll(const basis::Vector<A>& v, Read read) {
  Int s = 0;
  for (std::size_t i = 0; i < v.size(); ++i) s += read(v.at(i));
  return s;
}

constexpr auto plain = [](Int x) { return x; };
constexpr auto sumPair = [](const std::pair<Int, Int>& p) { return p.first + p.second; };

// ---------------------------------------------------------------------------
// zipWith over vectors.

void BM_ZipWithVector(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::zipWith(combineValues, in.xv, in.yv);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipWithStdTransform(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    const std::size_t n = std::min(in.xs.size(), in.ys.size());
    std::vector<Int> r(n);
    std::transform(in.xs.begin(), in.xs.begin() + static_cast<std::ptrdiff_t>(n), in.ys.begin(), r.begin(),
                   combineValues);
    Int s = 0;
    for (Int x : r) s += x;
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(r);
  }
}

// zip over vectors.

void BM_ZipVector(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::zip(in.xv, in.yv);
    benchmark::DoNotOptimize(readAll(r, sumPair));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipIndexLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    const std::size_t n = std::min(in.xs.size(), in.ys.size());
    std::vector<std::pair<Int, Int>> r;
    r.reserve(n);
    for (std::size_t i = 0; i < n; ++i) r.emplace_back(in.xs[i], in.ys[i]);
    Int s = 0;
    for (const auto& p : r) s += sumPair(p);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(r);
  }
}

// ---------------------------------------------------------------------------
// alignWith over vectors.

void BM_AlignWithVector(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::alignWith(weigh, in.xv, in.yv);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_AlignWithIndexLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    const std::size_t nx = in.xs.size();
    const std::size_t ny = in.ys.size();
    std::vector<Int> r;
    r.reserve(std::max(nx, ny));
    for (std::size_t i = 0; i < std::max(nx, ny); ++i) {
      if (i < nx && i < ny) {
        r.push_back(weigh(T::these(in.xs[i], in.ys[i])));
      } else if (i < nx) {
        r.push_back(weigh(T::this_(in.xs[i])));
      } else {
        r.push_back(weigh(T::that(in.ys[i])));
      }
    }
    Int s = 0;
    for (Int x : r) s += x;
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(r);
  }
}

// ---------------------------------------------------------------------------
// padZip over lists: every position as a pair of optional values.

using PadPair = std::pair<std::optional<Int>, std::optional<Int>>;

Int weighPad(const PadPair& p) { return 3 * p.first.value_or(0) + p.second.value_or(0); }

void BM_PadZipList(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::padZip(in.xl, in.yl);
    Int s = 0;
    for (const PadPair& p : r) s += weighPad(p);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(r);
  }
}

void BM_PadZipIndexLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    const std::size_t nx = in.xs.size();
    const std::size_t ny = in.ys.size();
    std::vector<PadPair> r;
    r.reserve(std::max(nx, ny));
    for (std::size_t i = 0; i < std::max(nx, ny); ++i) {
      r.emplace_back(i < nx ? std::optional<Int>(in.xs[i]) : std::nullopt,
                     i < ny ? std::optional<Int>(in.ys[i]) : std::nullopt);
    }
    Int s = 0;
    for (const PadPair& p : r) s += weighPad(p);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(r);
  }
}

// The CTest smoke run takes only the /1000 sizes.
void sizes(benchmark::internal::Benchmark* b) { b->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMicrosecond); }

BENCHMARK(BM_ZipWithVector)->Apply(sizes);
BENCHMARK(BM_ZipWithStdTransform)->Apply(sizes);
BENCHMARK(BM_ZipVector)->Apply(sizes);
BENCHMARK(BM_ZipIndexLoop)->Apply(sizes);
BENCHMARK(BM_AlignWithVector)->Apply(sizes);
BENCHMARK(BM_AlignWithIndexLoop)->Apply(sizes);
BENCHMARK(BM_PadZipList)->Apply(sizes);
BENCHMARK(BM_PadZipIndexLoop)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
