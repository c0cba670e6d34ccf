// The defaults of the aligning interfaces and unzipDefault, over a small
// shape of this test that gives only one operation of each pair.

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include <juxtor/internal/classes.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;

// A row of values: std::vector underneath, a shape of its own.
template <class A>
struct Row {
  std::vector<A> items;
  friend bool operator==(const Row&, const Row&) = default;
};
struct RowTag {
  template <class A>
  using apply = Row<A>;
};

int mapped = 0;  // how many elements the row's fmap has mapped

}  // namespace

template <class A>
struct basis::TagOf<Row<A>> {
  using type = RowTag;
  using element = A;
};
template <>
struct basis::Functor<RowTag> : basis::FunctorDefaults<RowTag> {
  template <class Fn, class A>
  static Row<basis::Mapped<Fn, A>> fmap(Fn f, const Row<A>& r) {
    Row<basis::Mapped<Fn, A>> out;
    for (const A& a : r.items) {
      ++mapped;
      out.items.push_back(f(a));
    }
    return out;
  }
};
template <>
struct basis::FunctorWithIndex<RowTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static Row<basis::IMapped<Fn, Index, A>> imap(Fn f, const Row<A>& r) {
    Row<basis::IMapped<Fn, Index, A>> out;
    for (std::size_t i = 0; i < r.items.size(); ++i) out.items.push_back(f(static_cast<Index>(i), r.items[i]));
    return out;
  }
};

// Only align; alignWith comes from the defaults.
template <>
struct juxtor::Juxtor<RowTag> : juxtor::JuxtorDefaults<RowTag> {
  template <class A, class B>
  static Row<These<A, B>> align(const Row<A>& a, const Row<B>& b) {
    Row<These<A, B>> out;
    for (std::size_t i = 0; i < std::max(a.items.size(), b.items.size()); ++i) {
      if (i < a.items.size() && i < b.items.size()) out.items.push_back(These<A, B>::these(a.items[i], b.items[i]));
      else if (i < a.items.size()) out.items.push_back(These<A, B>::this_(a.items[i]));
      else out.items.push_back(These<A, B>::that(b.items[i]));
    }
    return out;
  }
};
// Only unalign.
template <>
struct juxtor::Unalign<RowTag> : juxtor::UnalignDefaults<RowTag> {
  template <class A, class B>
  static std::pair<Row<A>, Row<B>> unalign(const Row<These<A, B>>& r) {
    std::pair<Row<A>, Row<B>> out;
    for (const auto& t : r.items) {
      if (auto a = t.herePtr()) out.first.items.push_back(*a);
      if (auto b = t.therePtr()) out.second.items.push_back(*b);
    }
    return out;
  }
};
// Only zipWith.
template <>
struct juxtor::Zip<RowTag> : juxtor::ZipDefaults<RowTag> {
  template <class Fn, class A, class B>
  static Row<basis::Mapped<Fn, A, B>> zipWith(Fn f, const Row<A>& a, const Row<B>& b) {
    Row<basis::Mapped<Fn, A, B>> out;
    for (std::size_t i = 0; i < std::min(a.items.size(), b.items.size()); ++i)
      out.items.push_back(f(a.items[i], b.items[i]));
    return out;
  }
};
// Only unzipWith.
template <>
struct juxtor::Unzip<RowTag> : juxtor::UnzipDefaults<RowTag> {
  template <class Fn, class C>
  static auto unzipWith(Fn f, const Row<C>& r) {
    using P = basis::Mapped<Fn, C>;
    std::pair<Row<typename P::first_type>, Row<typename P::second_type>> out;
    for (const C& c : r.items) {
      P p = f(c);
      out.first.items.push_back(p.first);
      out.second.items.push_back(p.second);
    }
    return out;
  }
};
template <>
struct juxtor::Repeat<RowTag> {
  template <class X>
  static auto repeat(X&& x) {  // three positions stand for "every" here
    return Row<std::remove_cvref_t<X>>{{x, x, x}};
  }
};
template <>
struct juxtor::JuxtorWithIndex<RowTag> : juxtor::JuxtorWithIndexDefaults<RowTag> {};
template <>
struct juxtor::ZipWithIndex<RowTag> : juxtor::ZipWithIndexDefaults<RowTag> {};
template <>
struct juxtor::RepeatWithIndex<RowTag> : juxtor::RepeatWithIndexDefaults<RowTag> {};

namespace {

using T = These<int, char>;
const Row<int> xs{{1, 2, 3}};
const Row<char> ys{{'a'}};

static_assert(juxtor::UnalignTag<RowTag>);
static_assert(juxtor::UnzipTag<RowTag>);

TEST(Defaults, AlignWithIsFmapOverAlign) {
  auto aligned = juxtor::align(xs, ys);
  EXPECT_EQ(aligned, (Row<T>{{T::these(1, 'a'), T::this_(2), T::this_(3)}}));
  EXPECT_EQ(juxtor::alignWith(juxtor::detail::Id{}, xs, ys), aligned);
  auto kinds = juxtor::alignWith([](const T& t) { return t.isThese(); }, xs, ys);
  EXPECT_EQ(kinds, (Row<bool>{{true, false, false}}));
}

TEST(Defaults, UnalignWithIsUnalignOverFmap) {
  auto [l, r] = juxtor::unalignWith(
      [](int x) { return x % 2 == 0 ? These<int, int>::that(x) : These<int, int>::these(x, -x); }, xs);
  EXPECT_EQ(l, (Row<int>{{1, 3}}));
  EXPECT_EQ(r, (Row<int>{{-1, 2, -3}}));
  EXPECT_EQ(juxtor::unalign(juxtor::align(xs, ys)), std::pair(xs, ys));
}

TEST(Defaults, ZipIsZipWithThePairConstructor) {
  EXPECT_EQ(juxtor::zip(xs, ys), (Row<std::pair<int, char>>{{{1, 'a'}}}));
  auto [a, b] = juxtor::unzip(juxtor::zip(xs, xs));
  EXPECT_EQ(a, xs);
  EXPECT_EQ(b, xs);
}

TEST(Defaults, IndexedFormsMapWithTheIndex) {
  using P = std::pair<std::int64_t, T>;
  EXPECT_EQ(juxtor::ialignWith([](std::int64_t i, const T& t) { return P(i, t); }, xs, ys),
            (Row<P>{{P(0, T::these(1, 'a')), P(1, T::this_(2)), P(2, T::this_(3))}}));
  EXPECT_EQ(juxtor::izipWith([](std::int64_t i, int x, int y) { return i * 100 + x * y; }, xs, xs),
            (Row<std::int64_t>{{1, 104, 209}}));
  EXPECT_EQ(juxtor::irepeat<RowTag>([](std::int64_t i) { return i * i; }), (Row<std::int64_t>{{0, 1, 4}}));
}

TEST(Defaults, UnzipDefaultNeedsOnlyTheFunctorAndMapsOncePerSide) {
  const Row<std::pair<int, char>> pairs{{{1, 'a'}, {2, 'b'}}};
  mapped = 0;
  auto [l, r] = juxtor::unzipDefault(pairs);
  EXPECT_EQ(l, (Row<int>{{1, 2}}));
  EXPECT_EQ(r, (Row<char>{{'a', 'b'}}));
  EXPECT_EQ(mapped, 4);
}

TEST(Defaults, UnzipDefaultOnALazyListExaminesNothing) {
  using P = std::pair<int, int>;
  auto [l, r] = juxtor::unzipDefault(failingList<P>());
  EXPECT_THROW(l.isNil(), Boom);
  EXPECT_THROW(r.isNil(), Boom);
  auto [a, b] = juxtor::unzipDefault(list({P(1, 2), P(3, 4)}));
  EXPECT_EQ(a.toVector(), (std::vector<int>{1, 3}));
  EXPECT_EQ(b.toVector(), (std::vector<int>{2, 4}));
}

}  // namespace
