// The instruction-count mode of hashgrove_bench:
//
//   hashgrove_bench --count OPERATION N REPEATS
//
// builds its input (N random 64-bit keys, drawn as core_bench draws them),
// runs the operation REPEATS times and exits, outside the benchmark library's
// timing loop. Under `valgrind --tool=callgrind` a run with REPEATS = 0 counts
// everything but the operation, so the difference of two runs divided by the
// number of units is the cost of one unit: count_table.py does exactly that.
//
// Operations and their unit:
//   probe-only                       one step of the lookups' loop, no lookup
//   lookup-present, lookup-absent    one `lookup` in a map of N keys, the
//                                    value found read
//   member-present, member-absent    one `member` in a map of N keys
//   insert-lazy, insert-strict       one persistent insert, building a map of
//                                    REPEATS keys from empty (REPEATS <= N)
//   insert-moved-lazy,               the same with the map moved in
//   insert-moved-strict
//   delete                           one persistent delete from a map of N
//                                    keys, REPEATS keys (REPEATS <= N)
//   fromlist                         one key of REPEATS builds of N keys
//   iterate                          one pair of REPEATS passes over N pairs
//   union                            one key of REPEATS unions of two maps of
//                                    N keys sharing N/2

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <hashgrove/lazy.hpp>
#include <hashgrove/strict.hpp>

int countMain(int argc, char** argv);

namespace {

using Map = hashgrove::HashMap<std::int64_t, std::int64_t>;
namespace lazy = hashgrove::lazy;
namespace strict = hashgrove::strict;

std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

struct Input {
  std::vector<std::int64_t> present, absent, other;
};

Input input(std::int64_t n) {
  Input in;
  std::uint64_t seed = 42 + static_cast<std::uint64_t>(n);
  for (std::int64_t i = 0; i < n; ++i) in.present.push_back(static_cast<std::int64_t>(splitmix(seed)));
  for (std::int64_t i = 0; i < n; ++i) in.absent.push_back(static_cast<std::int64_t>(splitmix(seed)));
  in.other.assign(in.present.begin(), in.present.begin() + n / 2);
  while (static_cast<std::int64_t>(in.other.size()) < n) in.other.push_back(static_cast<std::int64_t>(splitmix(seed)));
  return in;
}

std::vector<std::pair<std::int64_t, std::int64_t>> pairsOf(const std::vector<std::int64_t>& ks) {
  std::vector<std::pair<std::int64_t, std::int64_t>> ps;
  for (std::size_t i = 0; i < ks.size(); ++i) ps.emplace_back(ks[i], static_cast<std::int64_t>(i));
  return ps;
}

// The probes in a fixed shuffled order, as core_bench probes.
std::vector<std::int64_t> shuffled(std::vector<std::int64_t> ks) {
  std::mt19937_64 g(7);
  std::shuffle(ks.begin(), ks.end(), g);
  return ks;
}

// `repeats` probes, through the keys in shuffled order as often as needed.
template <class Probe>
void probeLoop(const std::vector<std::int64_t>& keys, std::int64_t repeats, Probe probe) {
  const std::vector<std::int64_t> order = shuffled(keys);
  const std::int64_t* const first = order.data();
  const auto size = static_cast<std::int64_t>(order.size());
  for (std::int64_t done = 0; done < repeats;) {
    const std::int64_t* const last = first + std::min(size, repeats - done);
    for (const std::int64_t* k = first; k != last; ++k) benchmark::DoNotOptimize(probe(*k));
    done += last - first;
  }
}

template <class Step>
void buildLoop(const std::vector<std::int64_t>& keys, std::int64_t repeats, Step step) {
  Map m;
  for (std::int64_t i = 0; i < repeats; ++i) step(m, keys[static_cast<std::size_t>(i)]);
  benchmark::DoNotOptimize(m);
}

int usage() {
  std::fprintf(stderr, "usage: hashgrove_bench --count OPERATION N REPEATS (see bench/count.cpp)\n");
  return 2;
}

}  // namespace

int countMain(int argc, char** argv) {
  if (argc != 5) return usage();
  const std::string op = argv[2];
  const std::int64_t n = std::atoll(argv[3]);
  const std::int64_t repeats = std::atoll(argv[4]);
  if (n <= 0 || repeats < 0) return usage();
  const Input in = input(n);
  const bool building = op.starts_with("insert") || op == "delete";
  if (building && repeats > n) return usage();
  const Map m = lazy::fromList(pairsOf(in.present));

  if (op == "probe-only") {
    probeLoop(in.present, repeats, [](std::int64_t k) { return k; });
  } else if (op == "lookup-present" || op == "lookup-absent") {
    probeLoop(op == "lookup-present" ? in.present : in.absent, repeats,
              [&](std::int64_t k) -> std::int64_t {
                if (const auto v = lazy::lookup(k, m)) return v->force();
                return -1;
              });
  } else if (op == "member-present" || op == "member-absent") {
    probeLoop(op == "member-present" ? in.present : in.absent, repeats,
              [&](std::int64_t k) { return lazy::member(k, m); });
  } else if (op == "insert-lazy") {
    buildLoop(in.present, repeats, [](Map& t, std::int64_t k) { t = lazy::insert(k, k, t); });
  } else if (op == "insert-strict") {
    buildLoop(in.present, repeats, [](Map& t, std::int64_t k) { t = strict::insert(k, k, t); });
  } else if (op == "insert-moved-lazy") {
    buildLoop(in.present, repeats, [](Map& t, std::int64_t k) { t = lazy::insert(k, k, std::move(t)); });
  } else if (op == "insert-moved-strict") {
    buildLoop(in.present, repeats, [](Map& t, std::int64_t k) { t = strict::insert(k, k, std::move(t)); });
  } else if (op == "delete") {
    Map t = m;
    for (std::int64_t i = 0; i < repeats; ++i) t = lazy::delete_(in.present[static_cast<std::size_t>(i)], t);
    benchmark::DoNotOptimize(t);
  } else if (op == "fromlist") {
    const auto ps = pairsOf(in.present);
    for (std::int64_t r = 0; r < repeats; ++r) benchmark::DoNotOptimize(lazy::fromList(ps));
  } else if (op == "iterate") {
    for (std::int64_t r = 0; r < repeats; ++r) {
      std::int64_t s = 0;
      for (const auto& [k, v] : m) s += v.force();
      benchmark::DoNotOptimize(s);
    }
  } else if (op == "union") {
    const Map b = lazy::fromList(pairsOf(in.other));
    for (std::int64_t r = 0; r < repeats; ++r) benchmark::DoNotOptimize(lazy::union_(m, b));
  } else {
    return usage();
  }
  return 0;
}
