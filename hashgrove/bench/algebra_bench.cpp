// Union, intersection and difference of two maps beside the same operation on
// std::unordered_map (which copies and probes; it has no persistent form).
// Three pairs of inputs of n keys each: disjoint, half overlapping, and the
// second derived from the first by 100 insertions (so the tries share all but
// 100 paths).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include <basis/hashable.hpp>
#include <hashgrove/lazy.hpp>

#include "bench_keys.hpp"

namespace {

using hashgrove::HashMap;
using Trie = HashMap<std::int64_t, std::int64_t>;
using Unordered = std::unordered_map<std::int64_t, std::int64_t, basis::StdHash<std::int64_t>>;

enum class Overlap { Disjoint, Half, Derived };

using hashgrove_bench::splitmix;

struct Inputs {
  Trie left, right;
  Unordered leftU, rightU;
};

Inputs makeInputs(Overlap overlap, std::int64_t n) {
  std::uint64_t seed = 7 + static_cast<std::uint64_t>(n);
  std::vector<std::int64_t> a;
  std::vector<std::int64_t> b;
  for (std::int64_t i = 0; i < n; ++i) a.push_back(static_cast<std::int64_t>(splitmix(seed)));
  std::vector<std::pair<std::int64_t, std::int64_t>> pairs;
  for (std::int64_t k : a) pairs.emplace_back(k, k);
  Inputs in;
  in.left = hashgrove::lazy::fromList(pairs);
  in.leftU = Unordered(pairs.begin(), pairs.end());
  switch (overlap) {
    case Overlap::Disjoint:
    case Overlap::Half: {
      const std::int64_t shared = overlap == Overlap::Half ? n / 2 : 0;
      pairs.clear();
      for (std::int64_t i = 0; i < shared; ++i) pairs.emplace_back(a[i], -a[i]);
      for (std::int64_t i = shared; i < n; ++i) {
        const auto k = static_cast<std::int64_t>(splitmix(seed));
        pairs.emplace_back(k, k);
      }
      in.right = hashgrove::lazy::fromList(pairs);
      in.rightU = Unordered(pairs.begin(), pairs.end());
      break;
    }
    case Overlap::Derived:
      in.right = in.left;
      in.rightU = in.leftU;
      for (int i = 0; i < 100; ++i) {
        const auto k = static_cast<std::int64_t>(splitmix(seed));
        in.right = hashgrove::lazy::insert(k, k, in.right);
        in.rightU.emplace(k, k);
      }
      break;
  }
  return in;
}

const Inputs& inputs(Overlap overlap, std::int64_t n) {
  static std::unordered_map<std::int64_t, Inputs> cache[3];
  auto& c = cache[static_cast<int>(overlap)];
  auto it = c.find(n);
  if (it == c.end()) it = c.emplace(n, makeInputs(overlap, n)).first;
  return it->second;
}

template <Overlap O>
void Hashgrove_Union(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::lazy::union_(in.left, in.right));
}
template <Overlap O>
void Unordered_Union(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) {
    Unordered u = in.leftU;
    u.insert(in.rightU.begin(), in.rightU.end());  // the left value wins
    benchmark::DoNotOptimize(u);
  }
}

template <Overlap O>
void Hashgrove_Intersection(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::lazy::intersection(in.left, in.right));
}
template <Overlap O>
void Unordered_Intersection(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) {
    Unordered r;
    for (const auto& [k, v] : in.leftU) {
      if (in.rightU.count(k)) r.emplace(k, v);
    }
    benchmark::DoNotOptimize(r);
  }
}

template <Overlap O>
void Hashgrove_Difference(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::lazy::difference(in.left, in.right));
}
template <Overlap O>
void Unordered_Difference(benchmark::State& state) {
  const Inputs& in = inputs(O, state.range(0));
  for (auto _ : state) {
    Unordered r;
    for (const auto& [k, v] : in.leftU) {
      if (!in.rightU.count(k)) r.emplace(k, v);
    }
    benchmark::DoNotOptimize(r);
  }
}

// The CTest smoke run takes only the /1000 sizes.
void sizes(benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond); }

#define ALGEBRA_BENCHMARKS(OP)                                   \
  BENCHMARK(Hashgrove_##OP<Overlap::Disjoint>)->Apply(sizes);   \
  BENCHMARK(Unordered_##OP<Overlap::Disjoint>)->Apply(sizes);   \
  BENCHMARK(Hashgrove_##OP<Overlap::Half>)->Apply(sizes);       \
  BENCHMARK(Unordered_##OP<Overlap::Half>)->Apply(sizes);       \
  BENCHMARK(Hashgrove_##OP<Overlap::Derived>)->Apply(sizes);    \
  BENCHMARK(Unordered_##OP<Overlap::Derived>)->Apply(sizes)

ALGEBRA_BENCHMARKS(Union);
ALGEBRA_BENCHMARKS(Intersection);
ALGEBRA_BENCHMARKS(Difference);

}  // namespace
