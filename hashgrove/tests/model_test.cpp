// The map against a simple model: random sequences of every single-key
// operation and of bulk construction, over keys drawn from a tiny hash range
// so that collision buckets and deep paths occur; the validator runs after
// every step.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <optional>
#include <unordered_map>
#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using Map = HashMap<Key, int>;
using Model = std::unordered_map<std::int64_t, int>;

// Ids 0..63: ids equal modulo 16 collide fully; the rest agree in their low
// bits and differ in bits 58..59, so they part only at shift 55.
Key modelKey(std::int64_t id) {
  const std::uint64_t h = static_cast<std::uint64_t>(id % 4) | (static_cast<std::uint64_t>(id / 4 % 4) << 58);
  return Key{id, h};
}

enum class Op { Insert, Lookup, Delete, Alter, Update, Adjust, InsertWith, FromList, UnsafeInsert, AlterF };

struct Step {
  Op op;
  std::int64_t id;
  int value;
  std::vector<std::pair<std::int64_t, int>> pairs;
};

void checkAgainst(const Map& m, const Model& model) {
  const auto v = debug::valid(m);
  RC_ASSERT(v.isValid());
  RC_ASSERT(size(m) == static_cast<std::int64_t>(model.size()));
  for (std::int64_t id = 0; id < 64; ++id) {
    const auto found = lookup(modelKey(id), m);
    const auto it = model.find(id);
    RC_ASSERT(found.has_value() == (it != model.end()));
    if (found) RC_ASSERT(found->force() == it->second);
  }
}

void apply(const Step& s, Map& m, Model& model) {
  const Key k = modelKey(s.id);
  const auto it = model.find(s.id);
  switch (s.op) {
    case Op::Insert:
      // A moved map is written in place where nothing else holds its nodes.
      m = s.value % 2 == 0 ? insert(k, s.value, m) : insert(k, s.value, std::move(m));
      model[s.id] = s.value;
      break;
    case Op::Lookup:
      RC_ASSERT(member(k, m) == (it != model.end()));
      break;
    case Op::Delete:
      m = delete_(k, m);
      model.erase(s.id);
      break;
    case Op::Alter: {
      // Even values insert or replace, odd values remove.
      const int v = s.value;
      m = alter([v](std::optional<basis::Lazy<int>>) { return v % 2 == 0 ? std::optional<int>(v) : std::nullopt; }, k, m);
      if (v % 2 == 0) {
        model[s.id] = v;
      } else {
        model.erase(s.id);
      }
      break;
    }
    case Op::Update: {
      const int v = s.value;
      m = update([v](int old) { return v % 2 == 0 ? std::optional<int>(old + v) : std::nullopt; }, k, m);
      if (it != model.end()) {
        if (v % 2 == 0) {
          it->second += v;
        } else {
          model.erase(it);
        }
      }
      break;
    }
    case Op::Adjust:
      m = adjust([](int old) { return old * 3; }, k, m);
      if (it != model.end()) it->second *= 3;
      break;
    case Op::InsertWith:
      m = insertWith([](int n, int o) { return n - o; }, k, s.value, m);
      model[s.id] = it != model.end() ? s.value - it->second : s.value;
      break;
    case Op::FromList: {
      std::vector<std::pair<Key, int>> pairs;
      model.clear();
      for (const auto& [id, v] : s.pairs) {
        pairs.emplace_back(modelKey(id), v);
        model[id] = v;
      }
      m = fromList(pairs);
      break;
    }
    case Op::UnsafeInsert: {
      const Map before = m;  // a second holder: must stay as it was
      const std::int64_t sizeBefore = size(before);
      m = unsafeInsert(k, s.value, m);
      RC_ASSERT(size(before) == sizeBefore);
      model[s.id] = s.value;
      break;
    }
    case Op::AlterF: {
      const int v = s.value;
      auto results = alterF(
          [v](const basis::Lazy<std::optional<basis::Lazy<int>>>& old) {
            std::vector<std::optional<int>> answers{std::nullopt, v};
            if (old.force()) answers.push_back(old.force()->force() + 1);
            return answers;
          },
          k, m);
      RC_ASSERT(results.size() == (it != model.end() ? 3u : 2u));
      RC_ASSERT(!member(k, results[0]));
      const int next = it != model.end() ? it->second + 1 : v;
      m = results.back();
      model[s.id] = next;
      break;
    }
  }
}

rc::Gen<Step> genStep() {
  return rc::gen::apply(
      [](int opIndex, std::int64_t id, int value, std::vector<std::pair<std::int64_t, int>> pairs) {
        return Step{static_cast<Op>(opIndex), id, value, std::move(pairs)};
      },
      rc::gen::weightedElement<int>({{6, 0}, {2, 1}, {4, 2}, {2, 3}, {2, 4}, {1, 5}, {2, 6}, {1, 7}, {2, 8}, {1, 9}}),
      rc::gen::inRange<std::int64_t>(0, 64), rc::gen::inRange(-50, 50),
      rc::gen::container<std::vector<std::pair<std::int64_t, int>>>(
          rc::gen::pair(rc::gen::inRange<std::int64_t>(0, 64), rc::gen::inRange(0, 100))));
}

RC_GTEST_PROP(Model, EveryOperationAgreesWithAnUnorderedMap, ()) {
  const auto steps = *rc::gen::container<std::vector<Step>>(genStep());
  Map m;
  Model model;
  for (const Step& s : steps) {
    apply(s, m, model);
    checkAgainst(m, model);
  }
}

RC_GTEST_PROP(Model, PersistentVersionsNeverChange, ()) {
  const auto steps = *rc::gen::container<std::vector<Step>>(genStep());
  Map m;
  Model model;
  std::vector<std::pair<Map, Model>> history;
  for (const Step& s : steps) {
    apply(s, m, model);
    history.emplace_back(m, model);
  }
  for (const auto& [old, oldModel] : history) checkAgainst(old, oldModel);
}

}  // namespace
}  // namespace hashgrove::internal
