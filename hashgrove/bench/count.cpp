// The instruction-count mode of hashgrove_bench:
//
//   hashgrove_bench --count OPERATION N REPEATS
//
// builds its input (core_bench's N random 64-bit keys, bench_keys.hpp),
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
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <hashgrove/lazy.hpp>
#include <hashgrove/strict.hpp>

#include "bench_keys.hpp"

int countMain(int argc, char** argv);

namespace {

using Map = hashgrove::HashMap<std::int64_t, std::int64_t>;
namespace lazy = hashgrove::lazy;
namespace strict = hashgrove::strict;
using hashgrove_bench::pairsOf;
using hashgrove_bench::shuffled;

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

using Keys = hashgrove_bench::Keys<std::int64_t>;

// One operation, run `repeats` times on core_bench's keys and on m, the map of
// the present keys. Each is called through a pointer, so that none is inlined
// into another's surroundings and each compiles the same in every build.
struct Operation {
  const char* name;
  bool building;  // one unit per key: repeats <= n
  void (*run)(const Keys& in, const Map& m, std::int64_t repeats);
};

// The value of k in m, read, or -1: what a caller of `lookup` does. Inlined
// into the probe loop, as `lookup` itself is into its callers.
[[gnu::always_inline]] inline std::int64_t valueOf(const Map& m, std::int64_t k) {
  if (const auto v = lazy::lookup(k, m)) return v->force();
  return -1;
}

const Operation operations[] = {
    {"probe-only", false,
     [](const Keys& in, const Map&, std::int64_t r) { probeLoop(in.present, r, [](std::int64_t k) { return k; }); }},
    {"lookup-present", false,
     [](const Keys& in, const Map& m, std::int64_t r) {
       probeLoop(in.present, r, [&](std::int64_t k) { return valueOf(m, k); });
     }},
    {"lookup-absent", false,
     [](const Keys& in, const Map& m, std::int64_t r) {
       probeLoop(in.absent, r, [&](std::int64_t k) { return valueOf(m, k); });
     }},
    {"member-present", false,
     [](const Keys& in, const Map& m, std::int64_t r) {
       probeLoop(in.present, r, [&](std::int64_t k) { return lazy::member(k, m); });
     }},
    {"member-absent", false,
     [](const Keys& in, const Map& m, std::int64_t r) {
       probeLoop(in.absent, r, [&](std::int64_t k) { return lazy::member(k, m); });
     }},
    {"insert-lazy", true,
     [](const Keys& in, const Map&, std::int64_t r) {
       buildLoop(in.present, r, [](Map& t, std::int64_t k) { t = lazy::insert(k, k, t); });
     }},
    {"insert-strict", true,
     [](const Keys& in, const Map&, std::int64_t r) {
       buildLoop(in.present, r, [](Map& t, std::int64_t k) { t = strict::insert(k, k, t); });
     }},
    {"insert-moved-lazy", true,
     [](const Keys& in, const Map&, std::int64_t r) {
       buildLoop(in.present, r, [](Map& t, std::int64_t k) { t = lazy::insert(k, k, std::move(t)); });
     }},
    {"insert-moved-strict", true,
     [](const Keys& in, const Map&, std::int64_t r) {
       buildLoop(in.present, r, [](Map& t, std::int64_t k) { t = strict::insert(k, k, std::move(t)); });
     }},
    {"delete", true,
     [](const Keys& in, const Map& m, std::int64_t r) {
       Map t = m;
       for (std::int64_t i = 0; i < r; ++i) t = lazy::delete_(in.present[static_cast<std::size_t>(i)], t);
       benchmark::DoNotOptimize(t);
     }},
    {"fromlist", false,
     [](const Keys& in, const Map&, std::int64_t r) {
       const auto ps = pairsOf(in.present);
       for (std::int64_t i = 0; i < r; ++i) benchmark::DoNotOptimize(lazy::fromList(ps));
     }},
    {"iterate", false,
     [](const Keys&, const Map& m, std::int64_t r) {
       for (std::int64_t i = 0; i < r; ++i) {
         std::int64_t s = 0;
         for (const auto& [k, v] : m) s += v.force();
         benchmark::DoNotOptimize(s);
       }
     }},
    {"union", false,
     [](const Keys& in, const Map& m, std::int64_t r) {
       const Map b = lazy::fromList(pairsOf(in.other));
       for (std::int64_t i = 0; i < r; ++i) benchmark::DoNotOptimize(lazy::union_(m, b));
     }},
};

int usage() {
  std::fprintf(stderr, "usage: hashgrove_bench --count OPERATION N REPEATS (see bench/count.cpp)\n");
  return 2;
}

}  // namespace

int countMain(int argc, char** argv) {
  if (argc != 5) return usage();
  const std::string name = argv[2];
  const std::int64_t n = std::atoll(argv[3]);
  const std::int64_t repeats = std::atoll(argv[4]);
  const Operation* op = std::find_if(std::begin(operations), std::end(operations),
                                     [&](const Operation& o) { return name == o.name; });
  if (op == std::end(operations) || n <= 0 || repeats < 0 || (op->building && repeats > n)) return usage();
  const Keys& in = hashgrove_bench::keys<hashgrove_bench::Random>(n);
  const Map m = lazy::fromList(pairsOf(in.present));
  // Through a volatile pointer: the call cannot be resolved, so not inlined.
  void (*volatile run)(const Keys&, const Map&, std::int64_t) = op->run;
  run(in, m, repeats);
  return 0;
}
