// The trie's single-key operations beside std::unordered_map: lookup of
// present and absent keys, insertion (persistent here, in place for the
// unordered map, which has no persistent form), construction from a list,
// deletion of every key, and memory per entry.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <basis/hashable.hpp>
#include <hashgrove/lazy.hpp>

namespace {

using hashgrove::HashMap;

std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

template <class K>
K makeKey(std::uint64_t r);
template <>
std::int64_t makeKey<std::int64_t>(std::uint64_t r) {
  return static_cast<std::int64_t>(r);
}
// Short text keys of 8 to 12 characters.
template <>
std::string makeKey<std::string>(std::uint64_t r) {
  char buf[24];
  const int len = std::snprintf(buf, sizeof buf, "k%llu", static_cast<unsigned long long>(r % 100000000000ULL));
  return std::string(buf, static_cast<std::size_t>(len));
}

// n distinct keys present in the map, and n keys absent from it.
template <class K>
struct Keys {
  std::vector<K> present, absent;
};
template <class K>
const Keys<K>& keys(std::int64_t n) {
  static std::unordered_map<std::int64_t, Keys<K>> cache;
  auto it = cache.find(n);
  if (it != cache.end()) return it->second;
  Keys<K> k;
  std::uint64_t seed = 42 + static_cast<std::uint64_t>(n);
  std::unordered_map<K, bool, basis::StdHash<K>> seen;
  while (static_cast<std::int64_t>(k.present.size()) < n) {
    K key = makeKey<K>(splitmix(seed));
    if (seen.emplace(key, true).second) k.present.push_back(key);
  }
  while (static_cast<std::int64_t>(k.absent.size()) < n) {
    K key = makeKey<K>(splitmix(seed));
    if (seen.emplace(key, false).second) k.absent.push_back(key);
  }
  return cache.emplace(n, std::move(k)).first->second;
}

template <class K>
HashMap<K, std::int64_t> trie(const std::vector<K>& ks) {
  std::vector<std::pair<K, std::int64_t>> pairs;
  pairs.reserve(ks.size());
  for (std::size_t i = 0; i < ks.size(); ++i) pairs.emplace_back(ks[i], static_cast<std::int64_t>(i));
  return hashgrove::lazy::fromList(pairs);
}
template <class K>
using Unordered = std::unordered_map<K, std::int64_t, basis::StdHash<K>>;
template <class K>
Unordered<K> unordered(const std::vector<K>& ks) {
  Unordered<K> m;
  m.reserve(ks.size());
  for (std::size_t i = 0; i < ks.size(); ++i) m.emplace(ks[i], static_cast<std::int64_t>(i));
  return m;
}

template <class K>
void Hashgrove_LookupPresent(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto m = trie(k.present);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(hashgrove::lazy::lookup(k.present[i], m));
    if (++i == k.present.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
template <class K>
void Unordered_LookupPresent(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto m = unordered(k.present);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.find(k.present[i]));
    if (++i == k.present.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
template <class K>
void Hashgrove_LookupAbsent(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto m = trie(k.present);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(hashgrove::lazy::lookup(k.absent[i], m));
    if (++i == k.absent.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
template <class K>
void Unordered_LookupAbsent(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto m = unordered(k.present);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.find(k.absent[i]));
    if (++i == k.absent.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

// Builds the whole map by persistent insertion, one key at a time.
template <class K>
void Hashgrove_InsertPersistent(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  for (auto _ : state) {
    HashMap<K, std::int64_t> m;
    for (std::size_t i = 0; i < k.present.size(); ++i) m = hashgrove::lazy::insert(k.present[i], std::int64_t(i), m);
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
// The same with the map moved into each insertion: nothing else holds it, so
// the path is written in place.
template <class K>
void Hashgrove_InsertMoved(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  for (auto _ : state) {
    HashMap<K, std::int64_t> m;
    for (std::size_t i = 0; i < k.present.size(); ++i) {
      m = hashgrove::lazy::insert(k.present[i], std::int64_t(i), std::move(m));
    }
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
// The mutable insert, without reserve: the nearest peer the unordered map has.
template <class K>
void Unordered_InsertMutable(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  for (auto _ : state) {
    Unordered<K> m;
    for (std::size_t i = 0; i < k.present.size(); ++i) m.emplace(k.present[i], std::int64_t(i));
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class K>
void Hashgrove_FromList(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  std::vector<std::pair<K, std::int64_t>> pairs;
  for (std::size_t i = 0; i < k.present.size(); ++i) pairs.emplace_back(k.present[i], std::int64_t(i));
  for (auto _ : state) benchmark::DoNotOptimize(hashgrove::lazy::fromList(pairs));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
template <class K>
void Unordered_ReserveInsert(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(unordered(k.present));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Deletes every key one by one (persistently) from a full map.
template <class K>
void Hashgrove_DeleteAll(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto full = trie(k.present);
  for (auto _ : state) {
    auto m = full;
    for (const K& key : k.present) m = hashgrove::lazy::delete_(key, m);
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
template <class K>
void Unordered_EraseAll(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const auto full = unordered(k.present);
  for (auto _ : state) {
    state.PauseTiming();
    auto m = full;
    state.ResumeTiming();
    for (const K& key : k.present) m.erase(key);
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Resident memory now, in bytes.
std::int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}
// Bytes the allocator has handed out now.
std::int64_t allocatedBytes() {
  const struct mallinfo2 mi = mallinfo2();
  return static_cast<std::int64_t>(mi.uordblks + mi.hblkhd);
}
// Memory the map holds per entry (its keys and values included): bytes
// allocated, and resident memory added (meaningful when run first, alone).
template <class K, bool Trie>
void MemoryPerEntry(benchmark::State& state) {
  const auto& k = keys<K>(state.range(0));
  const double n = double(k.present.size());
  for (auto _ : state) {
    malloc_trim(0);  // give freed pages back, so that new ones show in the resident set
    const std::int64_t rss = residentBytes();
    const std::int64_t heap = allocatedBytes();
    auto record = [&](const auto& m) {
      state.counters["bytes_per_entry"] = double(allocatedBytes() - heap) / n;
      state.counters["rss_bytes_per_entry"] = double(residentBytes() - rss) / n;
      benchmark::DoNotOptimize(m);
    };
    if constexpr (Trie) {
      record(trie(k.present));
    } else {
      record(unordered(k.present));
    }
  }
}

void sizes(benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(100000)->Arg(1000000); }

BENCHMARK(Hashgrove_LookupPresent<std::int64_t>)->Apply(sizes);
BENCHMARK(Unordered_LookupPresent<std::int64_t>)->Apply(sizes);
BENCHMARK(Hashgrove_LookupAbsent<std::int64_t>)->Apply(sizes);
BENCHMARK(Unordered_LookupAbsent<std::int64_t>)->Apply(sizes);
BENCHMARK(Hashgrove_LookupPresent<std::string>)->Apply(sizes);
BENCHMARK(Unordered_LookupPresent<std::string>)->Apply(sizes);
BENCHMARK(Hashgrove_LookupAbsent<std::string>)->Apply(sizes);
BENCHMARK(Unordered_LookupAbsent<std::string>)->Apply(sizes);
BENCHMARK(Hashgrove_InsertPersistent<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Hashgrove_InsertMoved<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Unordered_InsertMutable<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Hashgrove_InsertPersistent<std::string>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Unordered_InsertMutable<std::string>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Hashgrove_FromList<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Unordered_ReserveInsert<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Hashgrove_DeleteAll<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(Unordered_EraseAll<std::int64_t>)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryPerEntry<std::int64_t, true>)->Arg(1000)->Arg(1000000)->Iterations(1);
BENCHMARK(MemoryPerEntry<std::int64_t, false>)->Arg(1000)->Arg(1000000)->Iterations(1);

}  // namespace
