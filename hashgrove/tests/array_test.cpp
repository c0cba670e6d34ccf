// The small-array layer: creation, access, copies, updates, and the bounds
// checks of its exported entry points.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include <hashgrove/internal/array.hpp>

namespace hashgrove::internal::array {
namespace {

std::vector<int> elements(const Array<int>& a) {
  std::vector<int> out;
  for (std::int64_t i = 0; i < length(a); ++i) out.push_back(index(a, i));
  return out;
}

Array<int> oneTwoThree() { return fromList(3, std::vector<int>{1, 2, 3}); }

void expectUndefinedElement(const basis::Lazy<int>& x) {
  try {
    (void)x.force();
    FAIL() << "no exception";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.HashMap.Internal.Array: Undefined element");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0],
              (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal.Array", "./Data/HashMap/Internal/Array",
                               432, 17, 432, 22}));
  }
}

TEST(Array, CreationFormsHoldTheirElementsInOrder) {
  EXPECT_EQ(elements(singleton(5)), (std::vector<int>{5}));
  EXPECT_EQ(elements(singletonM(5)), (std::vector<int>{5}));
  EXPECT_EQ(elements(pair(1, 2)), (std::vector<int>{1, 2}));
  EXPECT_EQ(elements(oneTwoThree()), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(elements(fromList_(2, std::vector<int>{4, 5})), (std::vector<int>{4, 5}));
  EXPECT_EQ(length(Array<int>()), 0);
}

TEST(Array, FromListStoresElementsUnevaluatedAndFromListPrimeEvaluates) {
  int runs = 0;
  std::vector<basis::Lazy<int>> xs{basis::Lazy<int>::defer([&] { return ++runs; })};
  Array<int> lazy = fromList(1, xs);
  EXPECT_EQ(runs, 0);
  Array<int> strict = fromList_(1, xs);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(index_raw(strict, 0).isEvaluated());
  EXPECT_EQ(index(lazy, 0), 1);
}

TEST(Array, ShortListLeavesUndefinedElements) {
  Array<int> a = fromList(3, std::vector<int>{1, 2});
  const basis::Lazy<int>& slot = index_raw(a, 2);  // reading the slot does not raise
  EXPECT_FALSE(slot.isEvaluated());
  expectUndefinedElement(slot);
  expectUndefinedElement(slot);  // and it raises again every time
  EXPECT_THROW((void)index(a, 2), basis::ErrorCall);
  expectUndefinedElement(read(new_<int>(2), 1));
}

TEST(Array, CopyingUpdates) {
  Array<int> a = oneTwoThree();
  EXPECT_EQ(elements(insert(a, 0, 9)), (std::vector<int>{9, 1, 2, 3}));
  EXPECT_EQ(elements(insert(a, 3, 9)), elements(snoc(a, 9)));
  EXPECT_EQ(elements(insertM(a, 1, 9)), (std::vector<int>{1, 9, 2, 3}));
  EXPECT_EQ(elements(delete_(a, 1)), (std::vector<int>{1, 3}));
  EXPECT_EQ(length(delete_(singleton(1), 0)), 0);
  EXPECT_EQ(elements(update(a, 2, 7)), (std::vector<int>{1, 2, 7}));
  EXPECT_EQ(elements(updateWith_(a, 0, [](int x) { return x * 10; })), (std::vector<int>{10, 2, 3}));
  EXPECT_EQ(elements(a), (std::vector<int>{1, 2, 3}));  // the input is untouched
}

TEST(Array, UpdatesAlwaysReturnANewArray) {
  Array<int> a = oneTwoThree();
  EXPECT_FALSE(unsafeSameArray(a, update(a, 0, index_raw(a, 0))));
  EXPECT_FALSE(unsafeSameArray(a, updateWith_(a, 0, [](int x) { return x; })));
  EXPECT_TRUE(unsafeSameArray(a, Array<int>(a)));
}

TEST(Array, UpdateWithPrimeEvaluatesItsResultBeforeCopying) {
  Array<int> a = oneTwoThree();
  EXPECT_THROW(updateWith_(a, 1, [](int) -> basis::Lazy<int> {
                 return basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("f"); });
               }),
               std::runtime_error);
  Array<int> b = updateWith_(a, 1, [](int x) { return basis::Lazy<int>::defer([x] { return x + 1; }); });
  EXPECT_TRUE(index_raw(b, 1).isEvaluated());
}

TEST(Array, MutableArraysCopyShrinkAndFreeze) {
  MArray<int> m = newFilled<int>(4, 0);
  EXPECT_EQ(lengthM(m), 4);
  copy(oneTwoThree(), 1, m, 0, 2);
  write(m, 3, 8);
  MArray<int> c = cloneM(m, 1, 2);
  copyM(m, 0, m, 1, 3);  // overlapping, forward
  shrink(m, 3);
  Array<int> frozen = unsafeFreeze(std::move(m));
  EXPECT_EQ(elements(frozen), (std::vector<int>{2, 2, 3}));
  EXPECT_EQ(elements(unsafeFreeze(std::move(c))), (std::vector<int>{3, 0}));
  EXPECT_EQ(elements(run([] {
              MArray<int> t = thaw(Array<int>(fromList(3, std::vector<int>{1, 2, 3})), 1, 2);
              write(t, 0, 5);
              return t;
            })),
            (std::vector<int>{5, 3}));
}

TEST(Array, InPlaceUpdatesNeverChangeAnotherHoldersArray) {
  Array<int> a = oneTwoThree();
  Array<int> other = a;
  unsafeUpdateM(a, 0, 9);  // shared: a now refers to a private copy
  EXPECT_EQ(elements(a), (std::vector<int>{9, 2, 3}));
  EXPECT_EQ(elements(other), (std::vector<int>{1, 2, 3}));
  const void* before = a.block();
  unsafeUpdateM(a, 1, 8);  // sole holder: written in place
  EXPECT_EQ(static_cast<const void*>(a.block()), before);
  EXPECT_EQ(elements(a), (std::vector<int>{9, 8, 3}));

  MArray<int> thawed = unsafeThaw(Array<int>(other));  // `other` still holds it: copied
  write(thawed, 0, 0);
  EXPECT_EQ(elements(other), (std::vector<int>{1, 2, 3}));
  const void* sole = a.data();
  MArray<int> same = unsafeThaw(std::move(a));
  EXPECT_EQ(static_cast<const void*>(same.data()), sole);  // the same block, no copy
  EXPECT_EQ(elements(unsafeFreeze(std::move(same))), (std::vector<int>{9, 8, 3}));
}

TEST(Array, ExportedEntryPointsRejectOutOfRangeArguments) {
  Array<int> a = oneTwoThree();
  MArray<int> m = newFilled<int>(2, 0);
  EXPECT_THROW((void)index(a, 3), std::out_of_range);
  EXPECT_THROW((void)index(a, -1), std::out_of_range);
  EXPECT_THROW((void)index_raw(a, 3), std::out_of_range);
  EXPECT_THROW((void)indexM(a, 3), std::out_of_range);
  EXPECT_THROW((void)read(m, 2), std::out_of_range);
  EXPECT_THROW(write(m, -1, 1), std::out_of_range);
  EXPECT_THROW(copy(a, 2, m, 0, 2), std::out_of_range);
  EXPECT_THROW(copy(a, 0, m, 1, 2), std::out_of_range);
  EXPECT_THROW(copy(a, 0, m, 0, -1), std::out_of_range);
  EXPECT_THROW(copyM(m, 1, m, 0, 2), std::out_of_range);
  EXPECT_THROW(cloneM(m, 1, 2), std::out_of_range);
  EXPECT_THROW(thaw(a, 2, 2), std::out_of_range);
  EXPECT_THROW(shrink(m, 3), std::out_of_range);
  EXPECT_THROW(insert(a, 4, 1), std::out_of_range);
  EXPECT_THROW(delete_(a, 3), std::out_of_range);
  EXPECT_THROW(update(a, 3, 1), std::out_of_range);
  EXPECT_THROW(updateWith_(a, 3, [](int x) { return x; }), std::out_of_range);
  EXPECT_THROW(unsafeUpdateM(a, 3, 1), std::out_of_range);
  EXPECT_THROW(newFilled<int>(-1, 0), std::out_of_range);
  EXPECT_THROW(fromList(2, std::vector<int>{1, 2, 3}), std::length_error);
  EXPECT_THROW(fromList(-1, std::vector<int>{}), std::out_of_range);
  EXPECT_EQ(elements(a), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace hashgrove::internal::array
