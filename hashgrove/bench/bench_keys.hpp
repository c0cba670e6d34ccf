#pragma once
// The benchmarks' inputs: random 64-bit draws (splitmix64), and the key sets
// of core_bench and of the instruction-count mode (count.cpp), which measures
// the very inputs core_bench times.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace hashgrove_bench {

// The next draw of the splitmix64 sequence whose state is s.
inline std::uint64_t splitmix(std::uint64_t& s) {
  std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// --- keys ------------------------------------------------------------------

struct Random {
  using K = std::int64_t;
  static constexpr const char* name = "random";
};
struct Sequential {
  using K = std::int64_t;
  static constexpr const char* name = "sequential";
};
struct String16 {
  using K = std::string;
  static constexpr const char* name = "string16";
};

// n distinct keys for the map, n distinct keys absent from it, and a second
// key set that shares half of `present` (for union and intersection).
template <class K>
struct Keys {
  std::vector<K> present, absent, other;
};

inline std::string text16(std::uint64_t r) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(r));
  return std::string(buf, 16);
}

template <class KK>
const Keys<typename KK::K>& keys(std::int64_t n) {
  using K = typename KK::K;
  static std::unordered_map<std::int64_t, Keys<K>> cache;
  if (auto it = cache.find(n); it != cache.end()) return it->second;
  Keys<K> k;
  const auto un = static_cast<std::size_t>(n);
  if constexpr (std::is_same_v<KK, Sequential>) {
    for (std::int64_t i = 0; i < n; ++i) k.present.push_back(i);
    for (std::int64_t i = 0; i < n; ++i) k.absent.push_back(n + i);
    for (std::int64_t i = 0; i < n; ++i) k.other.push_back(n / 2 + i);
  } else {
    // Random draws of 64 bits collide too rarely to matter; 16 hex digits
    // of distinct draws are distinct.
    std::uint64_t seed = 42 + static_cast<std::uint64_t>(n);
    auto draw = [&] {
      if constexpr (std::is_same_v<KK, Random>) {
        return static_cast<std::int64_t>(splitmix(seed));
      } else {
        return text16(splitmix(seed));
      }
    };
    for (std::size_t i = 0; i < un; ++i) k.present.push_back(draw());
    for (std::size_t i = 0; i < un; ++i) k.absent.push_back(draw());
    for (std::size_t i = 0; i < un / 2; ++i) k.other.push_back(k.present[i]);
    while (k.other.size() < un) k.other.push_back(draw());
  }
  return cache.emplace(n, std::move(k)).first->second;
}

template <class K>
std::vector<std::pair<K, std::int64_t>> pairsOf(const std::vector<K>& ks) {
  std::vector<std::pair<K, std::int64_t>> ps;
  ps.reserve(ks.size());
  for (std::size_t i = 0; i < ks.size(); ++i) ps.emplace_back(ks[i], static_cast<std::int64_t>(i));
  return ps;
}

// The keys in a fixed shuffled order: probing in insertion order would walk
// the nodes in the order they were allocated, which favours whichever map
// happens to lay its nodes out in insertion order.
template <class K>
std::vector<K> shuffled(std::vector<K> ks) {
  std::mt19937_64 g(7);
  std::shuffle(ks.begin(), ks.end(), g);
  return ks;
}

}  // namespace hashgrove_bench
