// Whole-map walks beside the standard containers: iterating every pair with
// range-for, summing the values with foldl', and the same iteration over
// std::unordered_map and std::map of the same keys; filter keeping half.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include <hashgrove/lazy.hpp>

namespace {

using Map = hashgrove::HashMap<std::int64_t, std::int64_t>;

std::uint64_t mixBits(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// n pseudo-random keys (an integer's hash is itself, so the keys spread over
// the trie as random hashes do), each with the value i.
const std::vector<std::pair<std::int64_t, std::int64_t>>& pairs(std::int64_t n) {
  static std::map<std::int64_t, std::vector<std::pair<std::int64_t, std::int64_t>>> cache;
  auto& ps = cache[n];
  if (ps.empty()) {
    ps.reserve(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i)
      ps.push_back({static_cast<std::int64_t>(mixBits(static_cast<std::uint64_t>(i) + 1)), i});
  }
  return ps;
}

const Map& hashMap(std::int64_t n) {
  static std::map<std::int64_t, Map> cache;
  auto it = cache.find(n);
  if (it == cache.end()) it = cache.emplace(n, hashgrove::lazy::fromList(pairs(n))).first;
  return it->second;
}

void BM_HashMapRangeFor(benchmark::State& state) {
  const Map& m = hashMap(state.range(0));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto& [k, v] : m) sum += v.force();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HashMapFoldlSum(benchmark::State& state) {
  const Map& m = hashMap(state.range(0));
  for (auto _ : state) {
    const std::int64_t sum = hashgrove::lazy::foldl_(
        [](std::int64_t acc, const basis::Lazy<std::int64_t>& v) { return acc + v.force(); }, std::int64_t{0}, m);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_UnorderedMapRangeFor(benchmark::State& state) {
  const auto& ps = pairs(state.range(0));
  const std::unordered_map<std::int64_t, std::int64_t> m(ps.begin(), ps.end());
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto& [k, v] : m) sum += v;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_StdMapRangeFor(benchmark::State& state) {
  const auto& ps = pairs(state.range(0));
  const std::map<std::int64_t, std::int64_t> m(ps.begin(), ps.end());
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto& [k, v] : m) sum += v;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HashMapFilterHalf(benchmark::State& state) {
  const Map& m = hashMap(state.range(0));
  for (auto _ : state) {
    Map half = hashgrove::lazy::filter([](const basis::Lazy<std::int64_t>& v) { return v.force() % 2 == 0; }, m);
    benchmark::DoNotOptimize(half);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same filter over a std::unordered_map copy, for scale.
void BM_UnorderedMapCopyHalf(benchmark::State& state) {
  const auto& ps = pairs(state.range(0));
  const std::unordered_map<std::int64_t, std::int64_t> m(ps.begin(), ps.end());
  for (auto _ : state) {
    std::unordered_map<std::int64_t, std::int64_t> half;
    half.reserve(m.size() / 2);
    for (const auto& [k, v] : m)
      if (v % 2 == 0) half.emplace(k, v);
    benchmark::DoNotOptimize(half);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_HashMapRangeFor)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_HashMapFoldlSum)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_UnorderedMapRangeFor)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_StdMapRangeFor)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_HashMapFilterHalf)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_UnorderedMapCopyHalf)->Arg(1000)->Arg(1000000);

}  // namespace
