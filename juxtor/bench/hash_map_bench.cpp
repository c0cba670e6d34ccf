// Aligning and zipping two hash maps key by key: juxtor's hash-map instance
// (hashgrove's mapping, union and intersection walks on the stored hashes)
// beside the loops a C++ user writes by hand: one over two hashgrove maps
// that looks every key up in the other map and builds the result with
// fromList, and one over two std::unordered_maps.
//
// Both maps hold n keys; half of the keys of each are in the other. Every
// benchmark builds the result and then reads every value of it (forcing the
// values juxtor defers), so deferred work is paid inside the timing.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include <basis/hashable.hpp>
#include <hashgrove/lazy.hpp>
#include <juxtor/juxtor.hpp>

namespace {

using Int = std::int64_t;
using Trie = hashgrove::HashMap<Int, Int>;
using Unordered = std::unordered_map<Int, Int, basis::StdHash<Int>>;
using T = basis::These<Int, Int>;

std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

struct Inputs {
  Trie left, right;
  Unordered leftU, rightU;
};

// n random keys on the left; the right keeps the first n/2 of them (with
// other values) and adds n - n/2 keys of its own.
Inputs makeInputs(Int n) {
  std::uint64_t seed = 11 + static_cast<std::uint64_t>(n);
  std::vector<std::pair<Int, Int>> a;
  std::vector<std::pair<Int, Int>> b;
  for (Int i = 0; i < n; ++i) {
    const auto k = static_cast<Int>(splitmix(seed));
    a.emplace_back(k, i);
    if (i < n / 2) b.emplace_back(k, -i);
  }
  for (Int i = n / 2; i < n; ++i) b.emplace_back(static_cast<Int>(splitmix(seed)), -i);
  Inputs in;
  in.left = hashgrove::lazy::fromList(a);
  in.right = hashgrove::lazy::fromList(b);
  in.leftU = Unordered(a.begin(), a.end());
  in.rightU = Unordered(b.begin(), b.end());
  return in;
}

const Inputs& inputs(Int n) {
  static std::unordered_map<Int, Inputs> cache;
  auto it = cache.find(n);
  if (it == cache.end()) it = cache.emplace(n, makeInputs(n)).first;
  return it->second;
}

// One number from an aligned pair of values.
Int weigh(const T& t) {
  return t.fold([](Int x) { return 3 * x; }, [](Int y) { return y; }, [](Int x, Int y) { return 3 * x + y; });
}

// The sum of every value of a result, each forced.
template <class V, class Read>
Int readAll(const hashgrove::HashMap<Int, V>& m, Read read) {
  Int s = 0;
  for (const auto& [k, v] : m) s += read(v.force());
  return s;
}
template <class V, class Read>
Int readAll(const std::unordered_map<Int, V, basis::StdHash<Int>>& m, Read read) {
  Int s = 0;
  for (const auto& [k, v] : m) s += read(v);
  return s;
}

constexpr auto plain = [](Int x) { return x; };
constexpr auto sumPair = [](const std::pair<Int, Int>& p) { return p.first + p.second; };

// ---------------------------------------------------------------------------
// align: every key of either map with This, That or These.

void BM_AlignHashMap(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::align(in.left, in.right);
    benchmark::DoNotOptimize(readAll(r, weigh));
    benchmark::DoNotOptimize(r);
  }
}

// Looks every key up in the other map, then builds the result in one go.
hashgrove::HashMap<Int, T> alignByLookup(const Trie& a, const Trie& b) {
  std::vector<std::pair<Int, T>> out;
  out.reserve(static_cast<std::size_t>(hashgrove::lazy::size(a) + hashgrove::lazy::size(b)));
  for (const auto& [k, v] : a) {
    const auto w = hashgrove::lazy::lookup(k, b);
    out.emplace_back(k, w ? T::these(v.force(), w->force()) : T::this_(v.force()));
  }
  for (const auto& [k, w] : b) {
    if (!hashgrove::lazy::member(k, a)) out.emplace_back(k, T::that(w.force()));
  }
  return hashgrove::lazy::fromList(out);
}

void BM_AlignHashMapLookupLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = alignByLookup(in.left, in.right);
    benchmark::DoNotOptimize(readAll(r, weigh));
    benchmark::DoNotOptimize(r);
  }
}

void BM_AlignUnorderedHandLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::unordered_map<Int, T, basis::StdHash<Int>> r;
    r.reserve(in.leftU.size() + in.rightU.size());
    for (const auto& [k, v] : in.leftU) {
      const auto w = in.rightU.find(k);
      r.emplace(k, w != in.rightU.end() ? T::these(v, w->second) : T::this_(v));
    }
    for (const auto& [k, w] : in.rightU) {
      if (!in.leftU.count(k)) r.emplace(k, T::that(w));
    }
    benchmark::DoNotOptimize(readAll(r, weigh));
    benchmark::DoNotOptimize(r);
  }
}

// ---------------------------------------------------------------------------
// alignWith: a number from every aligned pair.

void BM_AlignWithHashMap(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::alignWith(weigh, in.left, in.right);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_AlignWithHashMapLookupLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::vector<std::pair<Int, Int>> out;
    out.reserve(static_cast<std::size_t>(hashgrove::lazy::size(in.left) + hashgrove::lazy::size(in.right)));
    for (const auto& [k, v] : in.left) {
      const auto w = hashgrove::lazy::lookup(k, in.right);
      out.emplace_back(k, weigh(w ? T::these(v.force(), w->force()) : T::this_(v.force())));
    }
    for (const auto& [k, w] : in.right) {
      if (!hashgrove::lazy::member(k, in.left)) out.emplace_back(k, weigh(T::that(w.force())));
    }
    auto r = hashgrove::lazy::fromList(out);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_AlignWithUnorderedHandLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    Unordered r;
    r.reserve(in.leftU.size() + in.rightU.size());
    for (const auto& [k, v] : in.leftU) {
      const auto w = in.rightU.find(k);
      r.emplace(k, weigh(w != in.rightU.end() ? T::these(v, w->second) : T::this_(v)));
    }
    for (const auto& [k, w] : in.rightU) {
      if (!in.leftU.count(k)) r.emplace(k, weigh(T::that(w)));
    }
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

// ---------------------------------------------------------------------------
// zip: the keys in both maps with the pair of their values.

void BM_ZipHashMap(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::zip(in.left, in.right);
    benchmark::DoNotOptimize(readAll(r, sumPair));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipHashMapLookupLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::vector<std::pair<Int, std::pair<Int, Int>>> out;
    for (const auto& [k, v] : in.left) {
      if (const auto w = hashgrove::lazy::lookup(k, in.right)) out.emplace_back(k, std::pair(v.force(), w->force()));
    }
    auto r = hashgrove::lazy::fromList(out);
    benchmark::DoNotOptimize(readAll(r, sumPair));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipUnorderedHandLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::unordered_map<Int, std::pair<Int, Int>, basis::StdHash<Int>> r;
    for (const auto& [k, v] : in.leftU) {
      const auto w = in.rightU.find(k);
      if (w != in.rightU.end()) r.emplace(k, std::pair(v, w->second));
    }
    benchmark::DoNotOptimize(readAll(r, sumPair));
    benchmark::DoNotOptimize(r);
  }
}

// ---------------------------------------------------------------------------
// zipWith: a number from the two values of every shared key.

constexpr auto combineValues = [](Int x, Int y) { return 3 * x + y; };

void BM_ZipWithHashMap(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    auto r = juxtor::zipWith(combineValues, in.left, in.right);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipWithHashMapLookupLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    std::vector<std::pair<Int, Int>> out;
    for (const auto& [k, v] : in.left) {
      if (const auto w = hashgrove::lazy::lookup(k, in.right)) out.emplace_back(k, combineValues(v.force(), w->force()));
    }
    auto r = hashgrove::lazy::fromList(out);
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

void BM_ZipWithUnorderedHandLoop(benchmark::State& state) {
  const Inputs& in = inputs(state.range(0));
  for (auto _ : state) {
    Unordered r;
    for (const auto& [k, v] : in.leftU) {
      const auto w = in.rightU.find(k);
      if (w != in.rightU.end()) r.emplace(k, combineValues(v, w->second));
    }
    benchmark::DoNotOptimize(readAll(r, plain));
    benchmark::DoNotOptimize(r);
  }
}

// The CTest smoke run takes only the /1000 sizes.
void sizes(benchmark::internal::Benchmark* b) { b->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMicrosecond); }

BENCHMARK(BM_AlignHashMap)->Apply(sizes);
BENCHMARK(BM_AlignHashMapLookupLoop)->Apply(sizes);
BENCHMARK(BM_AlignUnorderedHandLoop)->Apply(sizes);
BENCHMARK(BM_AlignWithHashMap)->Apply(sizes);
BENCHMARK(BM_AlignWithHashMapLookupLoop)->Apply(sizes);
BENCHMARK(BM_AlignWithUnorderedHandLoop)->Apply(sizes);
BENCHMARK(BM_ZipHashMap)->Apply(sizes);
BENCHMARK(BM_ZipHashMapLookupLoop)->Apply(sizes);
BENCHMARK(BM_ZipUnorderedHandLoop)->Apply(sizes);
BENCHMARK(BM_ZipWithHashMap)->Apply(sizes);
BENCHMARK(BM_ZipWithHashMapLookupLoop)->Apply(sizes);
BENCHMARK(BM_ZipWithUnorderedHandLoop)->Apply(sizes);

}  // namespace
