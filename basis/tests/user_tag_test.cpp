// A user's own constructor whose names are basis's too (Tree, TreeTag), given
// its interfaces as basis/functor.hpp shows: inside a specialisation of a
// basis template, names are looked up in basis first, so the user's own names
// are written from the global namespace (::Tree, ::TreeTag).
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "basis/functor.hpp"
#include "basis/list.hpp"
#include "basis/tree.hpp"

namespace {

// A tree that holds its labels plainly, with the names basis uses for its own.
template <class A>
struct Tree {
  A label;
  std::vector<Tree> children;
  friend bool operator==(const Tree&, const Tree&) = default;
};
struct TreeTag {
  template <class A>
  using apply = Tree<A>;
};

}  // namespace

template <class A>
struct basis::TagOf<::Tree<A>> {
  using type = ::TreeTag;
  using element = A;
};
template <>
struct basis::Functor<::TreeTag> : basis::FunctorDefaults<::TreeTag> {
  template <class Fn, class A>
  static ::Tree<basis::Mapped<Fn, A>> fmap(Fn f, const ::Tree<A>& t) {
    ::Tree<basis::Mapped<Fn, A>> out{f(t.label), {}};
    for (const auto& c : t.children) out.children.push_back(fmap(f, c));
    return out;
  }
};

namespace {

static_assert(basis::FunctorTag<::TreeTag>);
static_assert(std::is_same_v<basis::tag_of<::Tree<int>>, ::TreeTag>);
// basis's own tree keeps its own tag.
static_assert(std::is_same_v<basis::tag_of<basis::Tree<int>>, basis::TreeTag>);

TEST(UserTag, ATagNamedAsBasisNamesOneGetsTheInterfacesItsUserGaveIt) {
  const ::Tree<int> t{1, {{2, {}}, {3, {{4, {}}}}}};
  EXPECT_EQ(basis::fmap([](int x) { return std::to_string(10 * x); }, t),
            (::Tree<std::string>{"10", {{"20", {}}, {"30", {{"40", {}}}}}}));
  // The operations the defaults give from fmap reach the user's fmap too.
  EXPECT_EQ(basis::replace('x', t), (::Tree<char>{'x', {{'x', {}}, {'x', {{'x', {}}}}}}));
}

TEST(UserTag, BasisOwnTreeStillMapsThroughItsOwnTag) {
  using T = basis::Tree<int>;
  const T t = T::node(1, basis::List<T>{T::node(2)});
  EXPECT_EQ(basis::fmap([](int x) { return x + 1; }, t), T::node(2, basis::List<T>{T::node(3)}));
}

}  // namespace
