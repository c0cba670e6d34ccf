// The boxed Vector, its builder, and pure streams and bundles over it.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#include <basis/stream.hpp>
#include <basis/vector.hpp>

namespace {

using basis::Vector;

TEST(Vector, SlicesShareTheArray) {
  Vector<int> v{1, 2, 3, 4};
  auto s = v.slice(1, 2);
  EXPECT_EQ(s.toVector(), (std::vector<int>{2, 3}));
  EXPECT_EQ(s.offset(), 1u);
  EXPECT_EQ(v.slice(3, 10).size(), 1u);
  EXPECT_THROW(s.at(2), std::out_of_range);
  EXPECT_TRUE(s == (Vector<int>{2, 3}));
}

TEST(Vector, MapsLazilyAndFoldsInOrder) {
  auto bad = Vector<int>::fromLazy({basis::Lazy<int>::raise(std::runtime_error("x")), basis::Lazy<int>(2)});
  auto m = basis::fmap([](int x) { return x * 10; }, bad);
  EXPECT_EQ(m.at(1), 20);
  EXPECT_THROW(m.at(0), std::runtime_error);
  Vector<int> v{1, 2, 3};
  EXPECT_EQ(basis::toList(basis::imap([](std::int64_t i, int x) { return i * x; }, v)).toVector(),
            (std::vector<std::int64_t>{0, 2, 6}));
  auto listed = basis::toList(bad);  // its elements as stored, forced when read
  EXPECT_EQ(listed.tail().head(), 2);
  EXPECT_THROW(listed.head(), std::runtime_error);
  EXPECT_EQ(basis::foldr([](const auto& x, const basis::Lazy<int>& r) { return x + 10 * r.force(); }, 0, v), 321);
  auto t = basis::traverse([](int x) { return std::optional<int>(x); }, v);
  EXPECT_TRUE(t && *t == v);
}

TEST(Vector, BuilderFreezesTheWrittenPrefix) {
  basis::MVector<int> m(3);
  m.write(0, 5);
  m.write(1, 6);
  auto v = std::move(m).freeze(2);
  EXPECT_EQ(v.toVector(), (std::vector<int>{5, 6}));
}

TEST(Stream, FromAVectorAndBackThroughABundle) {
  Vector<int> v{7, 8, 9};
  auto s = basis::streamFromVector<basis::IdentityTag>(v);
  std::vector<int> got;
  for (const auto& x : basis::runPure(s)) got.push_back(x.force());
  EXPECT_EQ(got, (std::vector<int>{7, 8, 9}));
  auto b = basis::fmap([](int x) { return x + 1; }, basis::bundleFromVector<basis::IdentityTag>(v));
  EXPECT_EQ(basis::vectorFromBundle(b).toVector(), (std::vector<int>{8, 9, 10}));
}

}  // namespace
