// The model test of the trie rerun with the value-strict operations: random
// sequences of single-key updates and two-map combinations over keys of a
// small hash range, each result checked against std::unordered_map, for its
// invariants, and for holding no deferred value.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <optional>
#include <vector>

#include <hashgrove/strict.hpp>

#include "algebra_support.hpp"

namespace hashgrove {
namespace {

using testing::algebra::holdsExactly;
using testing::algebra::idKey;
using testing::algebra::kIdCount;
using testing::algebra::Map;
using testing::algebra::Model;
using Value = basis::Lazy<int>;

// A value that is deferred until something evaluates it.
Value deferred(int x) {
  return Value::defer([x] { return x; });
}

bool allEvaluated(const Map& m) {
  for (const auto& [k, v] : internal::toList(m)) {
    if (!v.isEvaluated()) return false;
  }
  return true;
}

// A map built from random pairs by the strict list construction.
std::pair<Map, Model> genStrictMap() {
  const auto pairs = *testing::algebra::genPairs();
  std::vector<std::pair<testing::Key, Value>> input;
  Model model;
  for (const auto& [id, v] : pairs) {
    input.emplace_back(idKey(id), deferred(v));
    model[id] = v;
  }
  return {strict::fromList(input), model};
}

RC_GTEST_PROP(StrictModel, SingleKeyUpdatesAgreeWithTheModel, ()) {
  auto [m, model] = genStrictMap();
  RC_ASSERT(holdsExactly(m, model));
  RC_ASSERT(allEvaluated(m));
  const int steps = *rc::gen::inRange(0, 60);
  for (int step = 0; step < steps; ++step) {
    const auto id = *rc::gen::inRange<std::int64_t>(0, kIdCount);
    const int v = *rc::gen::inRange(-50, 50);
    const auto found = model.find(id);
    switch (*rc::gen::inRange(0, 7)) {
      case 0:
        m = strict::insert(idKey(id), deferred(v), m);
        model[id] = v;
        break;
      case 1:
        m = strict::insertWith([](const Value& x, const Value& y) { return deferred(x.force() - y.force()); },
                               idKey(id), deferred(v), m);
        model[id] = found == model.end() ? v : v - found->second;
        break;
      case 2:
        m = strict::adjust([](const Value& x) { return deferred(x.force() * 2); }, idKey(id), m);
        if (found != model.end()) found->second *= 2;
        break;
      case 3: {
        // Removes a present key with an even value, sets every other to v.
        auto f = [v](std::optional<Value> x) -> std::optional<Value> {
          if (x && x->force() % 2 == 0) return std::nullopt;
          return deferred(v);
        };
        m = strict::alter(f, idKey(id), m);
        if (found != model.end() && found->second % 2 == 0) {
          model.erase(found);
        } else {
          model[id] = v;
        }
        break;
      }
      case 4: {
        auto f = [](const Value& x) -> std::optional<Value> {
          if (x.force() % 2 != 0) return std::nullopt;
          return deferred(x.force() + 1);
        };
        m = strict::update(f, idKey(id), m);
        if (found != model.end()) {
          if (found->second % 2 != 0) {
            model.erase(found);
          } else {
            found->second += 1;
          }
        }
        break;
      }
      case 5: {
        auto f = [v](const auto&) { return basis::Identity<std::optional<Value>>{deferred(v)}; };
        m = strict::alterF(f, idKey(id), m).value;
        model[id] = v;
        break;
      }
      default:
        m = strict::delete_(idKey(id), m);
        model.erase(id);
        break;
    }
    RC_ASSERT(holdsExactly(m, model));
    RC_ASSERT(allEvaluated(m));
  }
}

RC_GTEST_PROP(StrictModel, CombinationsOfTwoMapsAgreeWithTheModel, ()) {
  const auto [a, ma] = genStrictMap();
  const auto [b, mb] = genStrictMap();
  auto combine = [](const Value& x, const Value& y) { return deferred(x.force() * 1000 + y.force()); };
  Model united = mb;
  Model common;
  Model left;
  for (const auto& [id, v] : ma) {
    const auto it = mb.find(id);
    if (it == mb.end()) {
      united[id] = v;
      left[id] = v;
    } else {
      united[id] = v * 1000 + it->second;
      common[id] = v * 1000 + it->second;
      if ((v + it->second) % 2 == 0) left[id] = v - it->second;
    }
  }
  const Map u = strict::unionWith(combine, a, b);
  RC_ASSERT(holdsExactly(u, united));
  RC_ASSERT(allEvaluated(u));
  const Map i = strict::intersectionWith(combine, a, b);
  RC_ASSERT(holdsExactly(i, common));
  RC_ASSERT(allEvaluated(i));
  auto f = [](const Value& x, const Value& y) -> std::optional<Value> {
    if ((x.force() + y.force()) % 2 != 0) return std::nullopt;
    return deferred(x.force() - y.force());
  };
  const Map d = strict::differenceWith(f, a, b);
  RC_ASSERT(holdsExactly(d, left));
  RC_ASSERT(allEvaluated(d));
  Model doubled;
  Model evens;
  for (const auto& [id, v] : ma) {
    doubled[id] = 2 * v;
    if (v % 2 == 0) evens[id] = v / 2;
  }
  const Map mapped = strict::map([](const Value& x) { return deferred(2 * x.force()); }, a);
  RC_ASSERT(holdsExactly(mapped, doubled));
  RC_ASSERT(allEvaluated(mapped));
  const Map halves = strict::mapMaybe(
      [](const Value& x) { return x.force() % 2 == 0 ? std::optional<Value>(deferred(x.force() / 2)) : std::nullopt; },
      a);
  RC_ASSERT(holdsExactly(halves, evens));
  RC_ASSERT(allEvaluated(halves));
  const Map traversed =
      strict::traverseWithKey([](const testing::Key&, const Value& x) { return basis::Identity<Value>{deferred(2 * x.force())}; }, a)
          .value;
  RC_ASSERT(holdsExactly(traversed, doubled));
  RC_ASSERT(allEvaluated(traversed));
}

}  // namespace
}  // namespace hashgrove
