// A key's hash, its `==` or a combining function that throws part way
// through an update leaves a map handed over by value (`m = op(..., std::move(m))`)
// with exactly the pairs it had, whether the update would have written into
// the map's own nodes in place or copied a shared path.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <basis/hashable.hpp>
#include <basis/lazy.hpp>
#include <hashgrove/internal.hpp>
#include <hashgrove/internal/strict.hpp>
#include <hashgrove/lazy.hpp>
#include <hashgrove/set.hpp>
#include <hashgrove/strict.hpp>

namespace {

struct Boom {};

// Calls of a key's hash and `==` and of the combining functions left before
// one throws; negative: none throws.
thread_local long callsBeforeThrow = -1;
void mayThrow() {
  if (callsBeforeThrow < 0) return;
  if (callsBeforeThrow == 0) throw Boom{};
  --callsBeforeThrow;
}

struct Fragile {
  int id = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const Fragile& a, const Fragile& b) {
    mayThrow();
    return a.id == b.id;
  }
};

}  // namespace

template <>
struct basis::Hashable<Fragile> {
  static std::int64_t hash(const Fragile& k) {
    mayThrow();
    return static_cast<std::int64_t>(k.hash);
  }
  static std::int64_t hashWithSalt(std::int64_t s, const Fragile& k) {
    return basis::hashWithSalt(s, static_cast<std::int64_t>(k.hash));
  }
};

namespace {

using Map = hashgrove::internal::HashMap<Fragile, int>;
using Set = hashgrove::set::HashSet<Fragile>;
using Pairs = std::vector<std::pair<int, int>>;
using Lazy = basis::Lazy<int>;

Fragile key(int id, std::uint64_t hash) { return Fragile{id, hash}; }

// Keys spread over every fragment of the first two levels, a bucket of five
// keys sharing hash 7 (with key 7) and one of two sharing hash 1000.
std::vector<Fragile> sampleKeys() {
  std::vector<Fragile> ks;
  for (int i = 0; i < 70; ++i) ks.push_back(key(i, static_cast<std::uint64_t>(i) * 33));
  for (int i = 100; i < 104; ++i) ks.push_back(key(i, 7 * 33));
  ks.push_back(key(200, 1000));
  ks.push_back(key(201, 1000));
  return ks;
}

// A map of the sample keys (key i bound to i) that nothing else refers to.
Map freshMap() {
  Map m;
  for (const Fragile& k : sampleKeys()) m = hashgrove::lazy::insert(k, k.id, std::move(m));
  return m;
}

// The pairs of m, in key order, every value evaluated.
Pairs pairsOf(const Map& m) {
  Pairs out = hashgrove::lazy::foldlWithKey_(
      [](Pairs acc, const Fragile& k, const Lazy& v) {
        acc.emplace_back(k.id, v.force());
        return acc;
      },
      Pairs(), m);
  std::sort(out.begin(), out.end());
  return out;
}

struct Case {
  std::string name;
  std::function<void(Map&)> update;  // m = op(..., std::move(m))
};

// Runs the update of every case with the n-th call of a hash, `==` or
// combining function throwing, for every n until the update completes: after
// each throw the map holds its pairs, and the completed update gives what it
// gives when nothing throws. With `shared`, a copy of the map is kept too
// (so nothing is written in place) and must be unchanged as well.
void expectNothingLost(const std::vector<Case>& cases, bool shared) {
  const Pairs before = pairsOf(freshMap());
  for (const Case& c : cases) {
    Map reference = freshMap();
    c.update(reference);
    const Pairs after = pairsOf(reference);
    bool completed = false;
    for (long n = 0; n < 10000 && !completed; ++n) {
      Map m = freshMap();
      std::optional<Map> copy;
      if (shared) copy = m;
      callsBeforeThrow = n;
      try {
        c.update(m);
        completed = true;
      } catch (const Boom&) {
      }
      callsBeforeThrow = -1;
      if (completed) {
        EXPECT_EQ(pairsOf(m), after) << c.name << " completing after " << n << " calls";
      } else {
        ASSERT_EQ(pairsOf(m), before) << c.name << ": a throw at call " << n << " lost or changed pairs";
      }
      if (copy) {
        EXPECT_EQ(pairsOf(*copy), before) << c.name << " changed a shared map";
      }
    }
    EXPECT_TRUE(completed) << c.name;
  }
}

// A combining function of two values that may throw.
int combined(const Lazy& a, const Lazy& b) {
  mayThrow();
  return a.force() * 1000 + b.force();
}

// A value that may throw when it is evaluated.
Lazy deferred(int x) {
  return Lazy::defer([x] {
    mayThrow();
    return x;
  });
}

// The keys each operation meets: a new key on an empty fragment, a key in a
// Leaf, a new key sharing a Leaf's hash, a key in a bucket, a new key for the
// bucket, and a key beside a bucket on its fragment.
const std::vector<std::pair<std::string, Fragile>> kTargets = {
    {"new", key(500, 500)},           {"leaf", key(3, 3 * 33)},   {"collides", key(300, 3 * 33)},
    {"bucket", key(102, 7 * 33)},     {"bucketNew", key(104, 7 * 33)}, {"bucket2", key(201, 1000)},
    {"nearBucket", key(400, 7 * 33 + (std::uint64_t{1} << 40))},
};

template <bool Strict>
std::vector<Case> mapCases() {
  std::vector<Case> cases;
  for (const auto& t : kTargets) {
    const std::string& where = t.first;
    const Fragile target = t.second;
    auto add = [&cases, &where](const std::string& op, std::function<void(Map&)> f) {
      cases.push_back({op + " " + where, std::move(f)});
    };
    if constexpr (Strict) {
      namespace ns = hashgrove::strict;
      add("insert", [target](Map& m) { m = ns::insert(target, 9, std::move(m)); });
      add("insertDeferred", [target](Map& m) { m = ns::insert(target, deferred(9), std::move(m)); });
      add("insertWith", [target](Map& m) { m = ns::insertWith(combined, target, 9, std::move(m)); });
      add("adjust", [target](Map& m) {
        m = ns::adjust([](const Lazy& v) { return combined(v, v); }, target, std::move(m));
      });
      add("alter", [target](Map& m) {
        m = ns::alter(
            [](std::optional<Lazy> v) -> std::optional<int> {
              mayThrow();
              return v ? std::optional<int>() : std::optional<int>(8);
            },
            target, std::move(m));
      });
      add("update", [target](Map& m) {
        m = ns::update([](const Lazy& v) { return std::optional<int>(combined(v, v)); }, target, std::move(m));
      });
      add("unsafeInsertWithKey", [target](Map& m) {
        m = hashgrove::internal::strict::unsafeInsertWithKey<Fragile, int>(
            [](const Fragile&, const Lazy& a, const Lazy& b) { return combined(a, b); }, target, deferred(9),
            std::move(m));
      });
    } else {
      namespace ns = hashgrove::lazy;
      add("insert", [target](Map& m) { m = ns::insert(target, 9, std::move(m)); });
      add("insertWith", [target](Map& m) { m = ns::insertWith(combined, target, 9, std::move(m)); });
      add("adjust", [target](Map& m) {
        m = ns::adjust([](const Lazy& v) { return combined(v, v); }, target, std::move(m));
      });
      add("alter", [target](Map& m) {
        m = ns::alter(
            [](std::optional<Lazy> v) -> std::optional<int> {
              mayThrow();
              return v ? std::optional<int>() : std::optional<int>(8);
            },
            target, std::move(m));
      });
      add("update", [target](Map& m) {
        m = ns::update(
            [](const Lazy& v) -> std::optional<int> {
              mayThrow();
              return v.force() % 2 ? std::optional<int>() : std::optional<int>(v.force() + 1);
            },
            target, std::move(m));
      });
      add("unsafeInsert", [target](Map& m) { m = hashgrove::internal::unsafeInsert<Fragile, int>(target, 9, std::move(m)); });
      add("unsafeInsertWithKey", [target](Map& m) {
        m = hashgrove::internal::unsafeInsertWithKey<Fragile, int>(
            [](const Fragile&, const Lazy& a, const Lazy& b) { return combined(a, b); }, target, 9, std::move(m));
      });
    }
    add("delete", [target](Map& m) { m = hashgrove::lazy::delete_(target, std::move(m)); });
  }
  return cases;
}

TEST(MovedMapUnderThrowingUserCode, TheLazyMapKeepsItsPairs) {
  expectNothingLost(mapCases<false>(), false);
  expectNothingLost(mapCases<false>(), true);
}

TEST(MovedMapUnderThrowingUserCode, TheStrictMapKeepsItsPairs) {
  expectNothingLost(mapCases<true>(), false);
  expectNothingLost(mapCases<true>(), true);
}

TEST(MovedMapUnderThrowingUserCode, TheSetKeepsItsElements) {
  auto elements = [](const Set& s) {
    std::vector<int> out = hashgrove::set::foldl_(
        [](std::vector<int> acc, const Fragile& x) {
          acc.push_back(x.id);
          return acc;
        },
        std::vector<int>(), s);
    std::sort(out.begin(), out.end());
    return out;
  };
  auto fresh = [] {
    Set s;
    for (const Fragile& k : sampleKeys()) s = hashgrove::set::insert(k, std::move(s));
    return s;
  };
  const std::vector<int> before = elements(fresh());
  for (const auto& [where, target] : kTargets) {
    for (bool remove : {false, true}) {
      bool completed = false;
      for (long n = 0; n < 10000 && !completed; ++n) {
        Set s = fresh();
        callsBeforeThrow = n;
        try {
          s = remove ? hashgrove::set::delete_(target, std::move(s)) : hashgrove::set::insert(target, std::move(s));
          completed = true;
        } catch (const Boom&) {
        }
        callsBeforeThrow = -1;
        if (!completed) {
          ASSERT_EQ(elements(s), before) << (remove ? "delete " : "insert ") << where << " at " << n;
        }
      }
      EXPECT_TRUE(completed);
    }
  }
}

}  // namespace
