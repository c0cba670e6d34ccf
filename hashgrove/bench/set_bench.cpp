// The hash set beside std::unordered_set: building a set one element at a
// time and from a list, membership (hits and misses), inserting an element
// already present, union of two half-overlapping sets, and a full walk.
// std::unordered_set updates in place; the hash set keeps every version.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <basis/hashable.hpp>
#include <hashgrove/set.hpp>

#include "bench_keys.hpp"

namespace {

using Trie = hashgrove::HashSet<std::int64_t>;
using Unordered = std::unordered_set<std::int64_t, basis::StdHash<std::int64_t>>;

using hashgrove_bench::splitmix;

struct Inputs {
  std::vector<std::int64_t> elements;  // n distinct random elements
  std::vector<std::int64_t> absent;    // n elements in neither set
  Trie set, other;                     // other: half of set's elements, half new
  Unordered setU, otherU;
};

const Inputs& inputs(std::int64_t n) {
  static std::unordered_map<std::int64_t, Inputs> cache;
  auto it = cache.find(n);
  if (it != cache.end()) return it->second;
  Inputs in;
  std::uint64_t seed = 11 + static_cast<std::uint64_t>(n);
  for (std::int64_t i = 0; i < n; ++i) in.elements.push_back(static_cast<std::int64_t>(splitmix(seed)));
  for (std::int64_t i = 0; i < n; ++i) in.absent.push_back(static_cast<std::int64_t>(splitmix(seed)));
  std::vector<std::int64_t> other(in.elements.begin(), in.elements.begin() + n / 2);
  for (std::int64_t i = n / 2; i < n; ++i) other.push_back(static_cast<std::int64_t>(splitmix(seed)));
  in.set = hashgrove::set::fromList(in.elements);
  in.other = hashgrove::set::fromList(other);
  in.setU = Unordered(in.elements.begin(), in.elements.end());
  in.otherU = Unordered(other.begin(), other.end());
  return cache.emplace(n, std::move(in)).first->second;
}

void Hashgrove_InsertOneByOne(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    Trie s;
    for (std::int64_t x : in.elements) s = hashgrove::set::insert(x, s);
    benchmark::DoNotOptimize(s);
  }
}
void Unordered_InsertOneByOne(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    Unordered s;
    for (std::int64_t x : in.elements) s.insert(x);
    benchmark::DoNotOptimize(s);
  }
}

void Hashgrove_FromList(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::set::fromList(in.elements));
}
void Unordered_FromRange(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Unordered(in.elements.begin(), in.elements.end()));
}

void Hashgrove_MemberHit(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state)
    for (std::int64_t x : in.elements) benchmark::DoNotOptimize(hashgrove::set::member(x, in.set));
}
void Unordered_MemberHit(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state)
    for (std::int64_t x : in.elements) benchmark::DoNotOptimize(in.setU.contains(x));
}

void Hashgrove_MemberMiss(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state)
    for (std::int64_t x : in.absent) benchmark::DoNotOptimize(hashgrove::set::member(x, in.set));
}
void Unordered_MemberMiss(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state)
    for (std::int64_t x : in.absent) benchmark::DoNotOptimize(in.setU.contains(x));
}

// Re-inserting present elements: the hash set returns itself, building nothing.
void Hashgrove_InsertPresent(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state)
    for (std::int64_t x : in.elements) benchmark::DoNotOptimize(hashgrove::set::insert(x, in.set));
}
void Unordered_InsertPresent(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  Unordered s = in.setU;
  for (auto _ : state)
    for (std::int64_t x : in.elements) benchmark::DoNotOptimize(s.insert(x));
}

void Hashgrove_Union(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::set::union_(in.set, in.other));
}
void Unordered_Union(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    Unordered u = in.setU;
    u.insert(in.otherU.begin(), in.otherU.end());
    benchmark::DoNotOptimize(u);
  }
}

void Hashgrove_Walk(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (std::int64_t x : in.set) sum += x;
    benchmark::DoNotOptimize(sum);
  }
}
void Unordered_Walk(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (std::int64_t x : in.setU) sum += x;
    benchmark::DoNotOptimize(sum);
  }
}

// The CTest smoke run takes only the /1000 sizes.
void sizes(benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond); }

BENCHMARK(Hashgrove_InsertOneByOne)->Apply(sizes);
BENCHMARK(Unordered_InsertOneByOne)->Apply(sizes);
BENCHMARK(Hashgrove_FromList)->Apply(sizes);
BENCHMARK(Unordered_FromRange)->Apply(sizes);
BENCHMARK(Hashgrove_MemberHit)->Apply(sizes);
BENCHMARK(Unordered_MemberHit)->Apply(sizes);
BENCHMARK(Hashgrove_MemberMiss)->Apply(sizes);
BENCHMARK(Unordered_MemberMiss)->Apply(sizes);
BENCHMARK(Hashgrove_InsertPresent)->Apply(sizes);
BENCHMARK(Unordered_InsertPresent)->Apply(sizes);
BENCHMARK(Hashgrove_Union)->Apply(sizes);
BENCHMARK(Unordered_Union)->Apply(sizes);
BENCHMARK(Hashgrove_Walk)->Apply(sizes);
BENCHMARK(Unordered_Walk)->Apply(sizes);

}  // namespace
