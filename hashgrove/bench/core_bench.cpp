// The trie beside the mutable hash maps, side by side in one process:
// hashgrove (lazy and strict), std::unordered_map and, when abseil is built
// in, absl::flat_hash_map. Every benchmark is named
//   <operation>/<map>/<keys>/<n>
// with keys random 64-bit integers, sequential integers (0..n-1) or 16-byte
// std::string keys, each to a 64-bit value. run_table.py turns a run into one
// table of figures and ratios to std::unordered_map.
//
// The mutable maps have no persistent form: their "persistent" insert and
// fromList are in-place insertion without reserve, their delete erases in
// place from a copy made outside the timed region, and their union and
// intersection copy and probe. InsertMoved is the trie's insertion into a map
// handed over by value (`insert(k, v, std::move(m))`); for the mutable maps it
// is their insertion again.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <malloc.h>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <hashgrove/lazy.hpp>
#include <hashgrove/strict.hpp>

#include "bench_keys.hpp"

#ifdef HASHGROVE_BENCH_WITH_ABSL
#include <absl/container/flat_hash_map.h>
#endif

namespace {

using hashgrove::HashMap;
using namespace hashgrove_bench;

// --- the maps --------------------------------------------------------------

// hashgrove, lazy (`strict` false) or value-strict.
template <bool Strict>
struct Trie {
  static constexpr const char* name = Strict ? "hashgrove_strict" : "hashgrove_lazy";
  template <class K>
  using Map = HashMap<K, std::int64_t>;

  template <class K>
  static Map<K> build(const std::vector<std::pair<K, std::int64_t>>& ps) {
    if constexpr (Strict) {
      return hashgrove::strict::fromList(ps);
    } else {
      return hashgrove::lazy::fromList(ps);
    }
  }
  template <class K>
  static void insert(Map<K>& m, const K& k, std::int64_t v) {
    if constexpr (Strict) {
      m = hashgrove::strict::insert(k, v, m);
    } else {
      m = hashgrove::lazy::insert(k, v, m);
    }
  }
  // Insertion into a map handed over by value, written in place.
  template <class K>
  static void insertMoved(Map<K>& m, const K& k, std::int64_t v) {
    if constexpr (Strict) {
      m = hashgrove::strict::insert(k, v, std::move(m));
    } else {
      m = hashgrove::lazy::insert(k, v, std::move(m));
    }
  }
  template <class K>
  static bool find(const Map<K>& m, const K& k) {
    return hashgrove::lazy::lookup(k, m).has_value();
  }
  template <class K>
  static Map<K> copyForErase(const Map<K>& m) {
    return m;  // O(1): the deletions copy paths and share the rest
  }
  template <class K>
  static void erase(Map<K>& m, const K& k) {
    m = hashgrove::lazy::delete_(k, m);
  }
  template <class K>
  static std::int64_t sum(const Map<K>& m) {
    std::int64_t s = 0;
    for (const auto& [k, v] : m) s += v.force();
    return s;
  }
  template <class K>
  static Map<K> unite(const Map<K>& a, const Map<K>& b) {
    return hashgrove::lazy::union_(a, b);
  }
  template <class K>
  static Map<K> intersect(const Map<K>& a, const Map<K>& b) {
    return hashgrove::lazy::intersection(a, b);
  }
};

// A mutable map type M<K> (std::unordered_map, absl::flat_hash_map).
template <template <class> class M, const char* const* Name>
struct Mutable {
  static constexpr const char* name = *Name;
  template <class K>
  using Map = M<K>;

  template <class K>
  static Map<K> build(const std::vector<std::pair<K, std::int64_t>>& ps) {
    Map<K> m;  // no reserve: insertion grows the table as it goes
    for (const auto& [k, v] : ps) m.emplace(k, v);
    return m;
  }
  template <class K>
  static void insert(Map<K>& m, const K& k, std::int64_t v) {
    m.emplace(k, v);
  }
  template <class K>
  static void insertMoved(Map<K>& m, const K& k, std::int64_t v) {
    m.emplace(k, v);
  }
  template <class K>
  static bool find(const Map<K>& m, const K& k) {
    return m.find(k) != m.end();
  }
  template <class K>
  static void erase(Map<K>& m, const K& k) {
    m.erase(k);
  }
  template <class K>
  static std::int64_t sum(const Map<K>& m) {
    std::int64_t s = 0;
    for (const auto& kv : m) s += kv.second;
    return s;
  }
  template <class K>
  static Map<K> unite(const Map<K>& a, const Map<K>& b) {
    Map<K> r = a;
    for (const auto& kv : b) r.emplace(kv.first, kv.second);
    return r;
  }
  template <class K>
  static Map<K> intersect(const Map<K>& a, const Map<K>& b) {
    Map<K> r;
    for (const auto& kv : a) {
      if (b.find(kv.first) != b.end()) r.emplace(kv.first, kv.second);
    }
    return r;
  }
};

template <class K>
using StdUnordered = std::unordered_map<K, std::int64_t>;
constexpr const char* kUnorderedName = "unordered_map";
using Unordered = Mutable<StdUnordered, &kUnorderedName>;
#ifdef HASHGROVE_BENCH_WITH_ABSL
template <class K>
using AbslFlat = absl::flat_hash_map<K, std::int64_t>;
constexpr const char* kAbslName = "absl_flat";
using Absl = Mutable<AbslFlat, &kAbslName>;
#endif

// --- the operations --------------------------------------------------------

template <class Impl, class KK, bool Present>
void Lookup(benchmark::State& state) {
  const auto& k = keys<KK>(state.range(0));
  const auto m = Impl::build(pairsOf(k.present));
  const auto probe = shuffled(Present ? k.present : k.absent);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Impl::find(m, probe[i]));
    if (++i == probe.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}

// The whole map built by insertion one key at a time: persistent for the
// trie (every intermediate map stays valid), or (`Moved`) into the map handed
// over by value, which the trie writes in place.
template <class Impl, class KK, bool Moved = false>
void Insert(benchmark::State& state) {
  const auto& k = keys<KK>(state.range(0));
  for (auto _ : state) {
    typename Impl::template Map<typename KK::K> m;
    for (std::size_t i = 0; i < k.present.size(); ++i) {
      if constexpr (Moved) {
        Impl::insertMoved(m, k.present[i], std::int64_t(i));
      } else {
        Impl::insert(m, k.present[i], std::int64_t(i));
      }
    }
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Impl, class KK>
void FromList(benchmark::State& state) {
  const auto ps = pairsOf(keys<KK>(state.range(0)).present);
  for (auto _ : state) benchmark::DoNotOptimize(Impl::build(ps));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Every key deleted one by one from a full map.
template <class Impl, class KK>
void Delete(benchmark::State& state) {
  const auto& k = keys<KK>(state.range(0));
  const auto full = Impl::build(pairsOf(k.present));
  for (auto _ : state) {
    state.PauseTiming();
    auto m = full;
    state.ResumeTiming();
    for (const auto& key : k.present) Impl::erase(m, key);
    benchmark::DoNotOptimize(m);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <class Impl, class KK>
void Iterate(benchmark::State& state) {
  const auto m = Impl::build(pairsOf(keys<KK>(state.range(0)).present));
  for (auto _ : state) benchmark::DoNotOptimize(Impl::sum(m));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Two maps of n keys sharing n/2 of them.
template <class Impl, class KK, bool IsUnion>
void Combine(benchmark::State& state) {
  const auto& k = keys<KK>(state.range(0));
  const auto a = Impl::build(pairsOf(k.present));
  const auto b = Impl::build(pairsOf(k.other));
  for (auto _ : state) {
    if constexpr (IsUnion) {
      benchmark::DoNotOptimize(Impl::unite(a, b));
    } else {
      benchmark::DoNotOptimize(Impl::intersect(a, b));
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Bytes the allocator has handed out now.
std::int64_t allocatedBytes() {
  const struct mallinfo2 mi = mallinfo2();
  return static_cast<std::int64_t>(mi.uordblks + mi.hblkhd);
}
// Heap bytes the map holds per entry, its keys and values included (a
// string key's own buffer too), as the allocator counts them.
template <class Impl, class KK>
void Memory(benchmark::State& state) {
  const auto ps = pairsOf(keys<KK>(state.range(0)).present);
  for (auto _ : state) {
    const std::int64_t before = allocatedBytes();
    const auto m = Impl::build(ps);
    state.counters["bytes_per_entry"] = double(allocatedBytes() - before) / double(ps.size());
    benchmark::DoNotOptimize(m);
  }
}

void sizes(benchmark::internal::Benchmark* b) { b->Arg(1000)->Arg(100000)->Arg(1000000); }

template <class Impl, class KK>
void registerAll() {
  const std::string tail = std::string("/") + Impl::name + "/" + KK::name;
  auto reg = [&](const char* op, void (*fn)(benchmark::State&), bool perOpTimes) {
    auto* b = benchmark::RegisterBenchmark((op + tail).c_str(), fn)->Apply(sizes);
    if (!perOpTimes) b->Unit(benchmark::kMillisecond);
    return b;
  };
  reg("LookupPresent", Lookup<Impl, KK, true>, true);
  reg("LookupAbsent", Lookup<Impl, KK, false>, true);
  reg("Insert", Insert<Impl, KK>, false);
  reg("InsertMoved", Insert<Impl, KK, true>, false);
  reg("FromList", FromList<Impl, KK>, false);
  reg("Delete", Delete<Impl, KK>, false);
  reg("Iterate", Iterate<Impl, KK>, false);
  reg("Union", Combine<Impl, KK, true>, false);
  reg("Intersection", Combine<Impl, KK, false>, false);
  reg("Memory", Memory<Impl, KK>, false)->Iterations(1);
}

template <class Impl>
void registerKeys() {
  registerAll<Impl, Random>();
  registerAll<Impl, Sequential>();
  registerAll<Impl, String16>();
}

const int registered = [] {
  registerKeys<Trie<false>>();
  registerKeys<Trie<true>>();
  registerKeys<Unordered>();
#ifdef HASHGROVE_BENCH_WITH_ABSL
  registerKeys<Absl>();
#endif
  return 0;
}();

}  // namespace
