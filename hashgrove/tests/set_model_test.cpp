// The set against std::unordered_set: random sequences of element
// operations and whole-set combinations over elements drawn from a tiny hash
// range, so that collision buckets, deep paths and Full nodes occur; the
// validator and a full membership check run after every step.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <unordered_set>
#include <vector>

#include <hashgrove/internal/debug.hpp>
#include <hashgrove/set.hpp>

#include "walks_support.hpp"  // orders Key by id

namespace hashgrove::internal::set {
namespace {

using testing::Key;
using Set = HashSet<Key>;
using Model = std::unordered_set<std::int64_t>;

constexpr std::int64_t kIds = 96;

// Ids 0..95: ids equal modulo 24 share low fragments; ids equal modulo 48
// collide fully; the rest part only at shift 55.
Key modelKey(std::int64_t id) {
  const std::uint64_t h = static_cast<std::uint64_t>(id % 24) | (static_cast<std::uint64_t>(id / 48) << 58);
  return Key{id, h};
}

Set fromIds(const std::vector<std::int64_t>& ids) {
  std::vector<Key> keys;
  for (std::int64_t id : ids) keys.push_back(modelKey(id));
  return fromList(keys);
}
Model modelOf(const std::vector<std::int64_t>& ids) { return Model(ids.begin(), ids.end()); }

void checkAgainst(const Set& s, const Model& model) {
  RC_ASSERT(debug::valid(s.asMap()).isValid());
  RC_ASSERT(size(s) == static_cast<std::int64_t>(model.size()));
  RC_ASSERT(null(s) == model.empty());
  for (std::int64_t id = 0; id < kIds; ++id) RC_ASSERT(member(modelKey(id), s) == model.contains(id));
  Model listed;
  for (const Key& k : toList(s)) RC_ASSERT(listed.insert(k.id).second);
  RC_ASSERT(listed == model);
}

enum class Op { Insert, Delete, Union, Intersection, Difference, Filter, Map, FromList, Subset };

struct Step {
  Op op;
  std::int64_t id;
  std::vector<std::int64_t> others;
};

rc::Gen<Step> genStep() {
  return rc::gen::apply(
      [](int op, std::int64_t id, std::vector<std::int64_t> others) { return Step{static_cast<Op>(op), id, others}; },
      rc::gen::inRange(0, 9), rc::gen::inRange<std::int64_t>(0, kIds),
      rc::gen::container<std::vector<std::int64_t>>(rc::gen::inRange<std::int64_t>(0, kIds)));
}

void apply(const Step& st, Set& s, Model& model) {
  const Set other = fromIds(st.others);
  const Model otherModel = modelOf(st.others);
  switch (st.op) {
    case Op::Insert:
      s = insert(modelKey(st.id), s);
      model.insert(st.id);
      break;
    case Op::Delete: {
      const Set before = s;
      s = delete_(modelKey(st.id), s);
      RC_ASSERT(ptrEq(s, before) == !model.contains(st.id));
      model.erase(st.id);
      break;
    }
    case Op::Union:
      s = union_(s, other);
      model.insert(otherModel.begin(), otherModel.end());
      break;
    case Op::Intersection:
      s = intersection(s, other);
      std::erase_if(model, [&](std::int64_t x) { return !otherModel.contains(x); });
      break;
    case Op::Difference:
      s = difference(s, other);
      std::erase_if(model, [&](std::int64_t x) { return otherModel.contains(x); });
      break;
    case Op::Filter: {
      const std::int64_t k = st.id % 3 + 2;
      s = filter([k](const Key& x) { return x.id % k != 0; }, s);
      std::erase_if(model, [k](std::int64_t x) { return x % k == 0; });
      break;
    }
    case Op::Map: {
      // A renumbering that merges some elements and moves others to new hashes.
      auto f = [](std::int64_t id) { return (id * 7 + 5) % kIds / 2 * 2; };
      s = map([&f](const Key& x) { return modelKey(f(x.id)); }, s);
      Model images;
      for (std::int64_t x : model) images.insert(f(x));
      model = images;
      break;
    }
    case Op::FromList:
      s = other;
      model = otherModel;
      break;
    case Op::Subset: {
      const bool expected =
          std::all_of(model.begin(), model.end(), [&](std::int64_t x) { return otherModel.contains(x); });
      RC_ASSERT(isSubsetOf(s, other) == expected);
      RC_ASSERT(isSubsetOf(s, union_(s, other)));
      break;
    }
  }
}

RC_GTEST_PROP(SetModel, BehavesAsAnUnorderedSet, ()) {
  const auto steps = *rc::gen::container<std::vector<Step>>(genStep());
  Set s;
  Model model;
  for (const Step& st : steps) {
    apply(st, s, model);
    checkAgainst(s, model);
  }
}

RC_GTEST_PROP(SetModel, EqualityOrderingAndHashIgnoreInsertionOrder, ()) {
  const auto ids = *rc::gen::container<std::vector<std::int64_t>>(rc::gen::inRange<std::int64_t>(0, kIds));
  std::vector<std::int64_t> reordered = ids;
  std::mt19937 shuffle(*rc::gen::arbitrary<std::uint32_t>());
  std::shuffle(reordered.begin(), reordered.end(), shuffle);
  reordered.insert(reordered.end(), ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(ids.size() / 2));
  const Set a = fromIds(ids);
  const Set b = fromIds(reordered);
  RC_ASSERT(a == b);
  RC_ASSERT(!(a != b));
  RC_ASSERT(compare(a, b) == basis::EQ);
  RC_ASSERT(a <= b && a >= b && !(a < b) && !(a > b));
  RC_ASSERT(hash(a) == hash(b));
  RC_ASSERT(std::hash<Set>{}(a) == std::hash<Set>{}(b));
  const auto salt = *rc::gen::arbitrary<std::int64_t>();
  RC_ASSERT(hashWithSalt(salt, a) == hashWithSalt(salt, b));
  RC_ASSERT(basis::hashWithSalt(salt, a) == basis::hashWithSalt(salt, b));
  const auto h = [](std::int64_t s, const Key& k) { return basis::hashWithSalt(s, k.id); };
  RC_ASSERT(liftHashWithSalt(h, salt, a) == liftHashWithSalt(h, salt, b));
  // One more element breaks equality, and the order is antisymmetric.
  const auto extra = *rc::gen::inRange<std::int64_t>(0, kIds);
  const Set c = insert(modelKey(extra), a);
  const bool grew = std::find(ids.begin(), ids.end(), extra) == ids.end();
  RC_ASSERT((a == c) == !grew);
  RC_ASSERT((a != c) == grew);
  RC_ASSERT((compare(a, c) == basis::EQ) == !grew);
  RC_ASSERT(static_cast<int>(compare(a, c)) == -static_cast<int>(compare(c, a)));
}

}  // namespace
}  // namespace hashgrove::internal::set
