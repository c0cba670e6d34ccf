// The validator: every invariant broken on purpose with the raw node
// builders, with the exact text of the report; the reports' equality, text
// forms and semigroup.

#include <gtest/gtest.h>

#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

namespace hashgrove::internal::debug {
namespace {

using Map = HashMap<std::int64_t, int>;
using Pair = L<std::int64_t, int>;

Map leaf(std::int64_t k, Hash h) { return Leaf(h, Pair{k, 0}); }
Map leaf(std::int64_t k) { return leaf(k, static_cast<Hash>(k)); }
array::Array<Map> kids(std::vector<Map> xs) { return array::fromList(static_cast<std::int64_t>(xs.size()), xs); }
array::Array<Pair> pairs(std::vector<Pair> xs) { return array::fromList(static_cast<std::int64_t>(xs.size()), xs); }
Map bucket(Hash h, std::vector<std::int64_t> keys) {
  std::vector<Pair> ps;
  for (auto k : keys) ps.push_back(Pair{k, 0});
  return Collision(h, pairs(ps));
}
std::vector<Map> leaves(int n) {
  std::vector<Map> out;
  for (int i = 0; i < n; ++i) out.push_back(leaf(i));
  return out;
}

// Keys hash to themselves; a key whose stored hash differs breaks INV7.
TEST(Valid, ReportsTheFirstViolationWithItsPath) {
  struct Case {
    const char* name;
    Map map;
    const char* report;
  };
  const Map full = Full(kids(leaves(32)));
  const Case cases[] = {
      {"empty map", Map(), "Valid"},
      {"root leaf with a wrong hash", leaf(5, 6), "Invalid (INV7_key_hash_mismatch 5 6) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"empty child", BitmapIndexed(0b1000, kids({Map()})),
       "Invalid INV1_internal_Empty (SubHashPath {partialHash = 3, lengthInBits = 5})"},
      {"bit 40 and a wrong size", BitmapIndexed(Bitmap{1} << 40, kids({})),
       "Invalid (INV2_Bitmap_unexpected_1_bits 1099511627776) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"no children", BitmapIndexed(0, kids({})),
       "Invalid (INV3_bad_BitmapIndexed_size 0) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"32 children under a bitmap", BitmapIndexed(fullBitmap, kids(leaves(32))),
       "Invalid (INV3_bad_BitmapIndexed_size 32) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"bitmap and array disagree", BitmapIndexed(0b111, kids({leaf(0), leaf(1)})),
       "Invalid (INV4_bitmap_array_size_mismatch 7 2) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"one leaf under a branch", BitmapIndexed(0b10, kids({leaf(9, 7)})),
       "Invalid INV5_BitmapIndexed_invalid_single_subtree (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"misplaced leaf at bit 3", BitmapIndexed(0b1001, kids({leaf(0), leaf(4)})),
       "Invalid (INV6_misplaced_hash 4) (SubHashPath {partialHash = 3, lengthInBits = 5})"},
      {"second child of bits 1 and 3", BitmapIndexed(0b1010, kids({leaf(1), leaf(7, 7)})),
       "Invalid (INV6_misplaced_hash 7) (SubHashPath {partialHash = 3, lengthInBits = 5})"},
      {"child 7 of a full node", Full(array::update(full.childArray(), 7, leaf(8))),
       "Invalid (INV6_misplaced_hash 8) (SubHashPath {partialHash = 7, lengthInBits = 5})"},
      {"full node of 31", Full(kids(leaves(31))),
       "Invalid (INV8_bad_Full_size 31) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"bucket of one", bucket(4, {4}), "Invalid (INV9_Collision_size 1) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"misplaced bucket of one", BitmapIndexed(0b11, kids({leaf(0), bucket(4, {4})})),
       "Invalid (INV6_misplaced_hash 4) (SubHashPath {partialHash = 1, lengthInBits = 5})"},
      {"duplicate key", bucket(3, {3, 3}),
       "Invalid (INV10_Collision_duplicate_key 3 3) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"wrong hash beats duplicate", bucket(3, {3, 4, 3}),
       "Invalid (INV7_key_hash_mismatch 4 3) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
      {"earlier child first", BitmapIndexed(0b100100, kids({leaf(0), leaf(1)})),
       "Invalid (INV6_misplaced_hash 0) (SubHashPath {partialHash = 2, lengthInBits = 5})"},
      {"a node before its children", BitmapIndexed(0b11, kids({leaf(0), BitmapIndexed(0, kids({}))})),
       "Invalid (INV3_bad_BitmapIndexed_size 0) (SubHashPath {partialHash = 1, lengthInBits = 5})"},
      {"all hash values print unsigned", leaf(-1, 0),
       "Invalid (INV7_key_hash_mismatch (-1) 0) (SubHashPath {partialHash = 0, lengthInBits = 0})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(basis::show(valid(c.map)), c.report);
  }
}

TEST(Valid, DuplicateKeyIsReportedForItsFirstPosition) {
  std::vector<Pair> ps{Pair{3, 0}, Pair{35, 0}, Pair{3, 0}};
  HashMap<std::int64_t, int> m = Collision<std::int64_t, int>(3, pairs(ps));
  // 35 hashes to 35: the hash pass reports it before the duplicate pass.
  EXPECT_EQ(valid(m), Invalid(INV7_key_hash_mismatch<std::int64_t>(35, 3), SubHashPath{0, 0}));
}

TEST(Valid, LeavesBelowTheDeepestBranchMatchTheirWholeHash) {
  // Twelve one-child levels, then a fork at length 60: the leaves sit at
  // length 65, where the path fixes all 64 bits.
  const std::int64_t top = static_cast<std::int64_t>(0x8000000000000000ULL);
  Map m = insert(top, 1, insert(std::int64_t{0}, 0, Map()));
  EXPECT_TRUE(valid(m).isValid());
  // The same shape with the second leaf's hash off in bit 0.
  Map damaged = insert(top, 1, insert(std::int64_t{0}, 0, Map()));
  std::vector<const Map*> path{&damaged};
  while (path.back()->childCount() == 1) path.push_back(&path.back()->child(0));
  Map fork = BitmapIndexed(path.back()->bitmap(), kids({path.back()->child(0), leaf(top + 1, static_cast<Hash>(top))}));
  for (std::size_t i = path.size() - 1; i-- > 0;) fork = BitmapIndexed(path[i]->bitmap(), kids({fork}));
  EXPECT_EQ(basis::show(valid(fork)),
            "Invalid (INV7_key_hash_mismatch (-9223372036854775807) 9223372036854775808) "
            "(SubHashPath {partialHash = 9223372036854775808, lengthInBits = 65})");
}

TEST(Valid, AcceptsEveryMapTheOperationsBuild) {
  Map m;
  for (std::int64_t i = 0; i < 2000; ++i) m = insert(i * 977 % 4096, 0, m);
  EXPECT_TRUE(valid(m).isValid());
  for (std::int64_t i = 0; i < 2000; i += 3) m = delete_(i * 977 % 4096, m);
  EXPECT_TRUE(valid(m).isValid());
}

TEST(Reports, TextForms) {
  using E = Error<std::int64_t>;
  const SubHashPath root{0, 0};
  EXPECT_EQ(basis::show(Invalid(E::INV3_bad_BitmapIndexed_size(32), root)),
            "Invalid (INV3_bad_BitmapIndexed_size 32) (SubHashPath {partialHash = 0, lengthInBits = 0})");
  EXPECT_EQ(basis::show(Invalid(E::INV1_internal_Empty(), SubHashPath{3, 5})),
            "Invalid INV1_internal_Empty (SubHashPath {partialHash = 3, lengthInBits = 5})");
  EXPECT_EQ(basis::show(Invalid(E::INV4_bitmap_array_size_mismatch(7, 2), SubHashPath{1, 5})),
            "Invalid (INV4_bitmap_array_size_mismatch 7 2) (SubHashPath {partialHash = 1, lengthInBits = 5})");
  EXPECT_EQ(basis::showsPrec(11, Valid<std::int64_t>()), "Valid");
  EXPECT_EQ(basis::showsPrec(11, E::INV1_internal_Empty()), "INV1_internal_Empty");
  EXPECT_EQ(basis::showsPrec(11, E::INV5_BitmapIndexed_invalid_single_subtree()),
            "INV5_BitmapIndexed_invalid_single_subtree");
  EXPECT_EQ(basis::showsPrec(0, E::INV9_Collision_size(-1)), "INV9_Collision_size (-1)");
  EXPECT_EQ(basis::showsPrec(11, E::INV8_bad_Full_size(31)), "(INV8_bad_Full_size 31)");
  EXPECT_EQ(basis::show(E::INV6_misplaced_hash(~Hash{0})), "INV6_misplaced_hash 18446744073709551615");
  EXPECT_EQ(basis::show(E::INV2_Bitmap_unexpected_1_bits(~Bitmap{0})),
            "INV2_Bitmap_unexpected_1_bits 18446744073709551615");
  EXPECT_EQ(basis::show(E::INV10_Collision_duplicate_key(-4, 1)), "INV10_Collision_duplicate_key (-4) 1");
  EXPECT_EQ(basis::show(SubHashPath{5, -1}), "SubHashPath {partialHash = 5, lengthInBits = -1}");
  EXPECT_EQ(basis::showsPrec(11, SubHashPath{5, 1}), "(SubHashPath {partialHash = 5, lengthInBits = 1})");
  EXPECT_EQ(basis::show(Invalid(E::INV8_bad_Full_size(1), SubHashPath{0, -1})),
            "Invalid (INV8_bad_Full_size 1) (SubHashPath {partialHash = 0, lengthInBits = -1})");
  EXPECT_EQ(basis::showsPrec(11, Invalid(E::INV1_internal_Empty(), root)),
            "(Invalid INV1_internal_Empty (SubHashPath {partialHash = 0, lengthInBits = 0}))");
  std::string list;
  basis::Show<Validity<std::int64_t>>::showList(std::vector<Validity<std::int64_t>>{Valid<std::int64_t>(), Valid<std::int64_t>()}, list);
  EXPECT_EQ(list, "[Valid,Valid]");
  list.clear();
  basis::Show<Validity<std::int64_t>>::showList(std::vector<Validity<std::int64_t>>{}, list);
  EXPECT_EQ(list, "[]");
}

TEST(Reports, Equality) {
  using E = Error<std::int64_t>;
  EXPECT_NE(E::INV3_bad_BitmapIndexed_size(2), E::INV8_bad_Full_size(2));
  EXPECT_NE(E::INV7_key_hash_mismatch(1, 2), E::INV7_key_hash_mismatch(1, 3));
  EXPECT_EQ(E::INV7_key_hash_mismatch(1, 2), E::INV7_key_hash_mismatch(1, 2));
  EXPECT_NE(Valid<std::int64_t>(), Invalid(E::INV1_internal_Empty(), SubHashPath{}));
  EXPECT_NE(Invalid(E::INV1_internal_Empty(), SubHashPath{0, 5}), Invalid(E::INV1_internal_Empty(), SubHashPath{0, 0}));
  EXPECT_EQ((SubHashPath{1, 2}), (SubHashPath{1, 2}));
  EXPECT_EQ(partialHash(SubHashPath{4, 5}), 4u);
  EXPECT_EQ(lengthInBits(SubHashPath{4, 5}), 5);
}

TEST(Reports, FirstInvalidWinsWithoutExaminingTheRest) {
  using VK = Validity<std::int64_t>;
  const VK bad = Invalid(Error<std::int64_t>::INV9_Collision_size(1), SubHashPath{});
  const VK worse = Invalid(Error<std::int64_t>::INV8_bad_Full_size(1), SubHashPath{});
  const auto boom = basis::Lazy<VK>::defer([]() -> VK { throw std::runtime_error("examined"); });
  EXPECT_EQ(basis::Semigroup<VK>::combine(bad, boom), bad);
  EXPECT_EQ(basis::combine(Valid<std::int64_t>(), worse), worse);
  EXPECT_EQ(basis::sconcat<VK>(std::vector<basis::Lazy<VK>>{VK(), bad, boom}), bad);
  EXPECT_EQ(basis::sconcat<VK>(std::vector<VK>{bad}), bad);
  EXPECT_EQ(basis::mconcat<VK>(std::vector<basis::Lazy<VK>>{bad, boom}), bad);
  EXPECT_EQ(basis::mconcat<VK>(std::vector<VK>{}), VK());
  EXPECT_EQ(basis::mempty<VK>(), VK());
  EXPECT_EQ(basis::mappend(VK(), bad), bad);
  EXPECT_EQ(basis::stimes(3, bad), bad);
  EXPECT_THROW(basis::stimes(0, bad), basis::ErrorCall);
}

}  // namespace
}  // namespace hashgrove::internal::debug
