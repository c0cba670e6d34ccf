#pragma once
// Lists of lists, maps and sets of an element type with a binary form: each
// nesting has a binary form (checked at compile time), and a value of it built
// from sample elements decodes back to itself, leaves what follows it, and
// fails on its encoding cut short by one byte.

#include <basis/binary.hpp>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace binary_nesting {

template <class N>
void expectRoundTrip(const N& value) {
  static_assert(basis::binary::BinaryType<N>);
  const std::string bytes = basis::binary::encode(value);
  const auto back = basis::binary::decode<N>(bytes + "tail");
  ASSERT_TRUE(back.ok()) << typeid(N).name() << ": " << back.message;
  EXPECT_TRUE(*back.value == value) << typeid(N).name();
  EXPECT_EQ(back.consumed, bytes.size()) << typeid(N).name();
  EXPECT_EQ(back.remaining, "tail") << typeid(N).name();
  if (!bytes.empty()) {
    EXPECT_FALSE(basis::binary::decode<N>(std::string_view(bytes).substr(0, bytes.size() - 1)).ok())
        << typeid(N).name();
  }
}

// `samples` holds at least two distinct elements, ordered by `<`.
template <class X>
void expectNestingsRoundTrip(const std::vector<X>& samples) {
  ASSERT_GE(samples.size(), 2u);
  using List = std::vector<X>;
  const List one{samples[1]};
  const std::vector<List> lists{{}, samples, one};
  expectRoundTrip(lists);
  expectRoundTrip(std::vector<std::vector<List>>{lists, {}, {one}});

  std::map<X, List> byElement;
  for (const X& x : samples) byElement.emplace(x, samples);
  expectRoundTrip(byElement);
  expectRoundTrip(std::map<List, std::vector<List>>{{samples, lists}, {one, {}}});
  expectRoundTrip(std::vector<std::map<X, List>>{byElement, {}});

  expectRoundTrip(std::set<List>(lists.begin(), lists.end()));
  expectRoundTrip(std::vector<std::set<X>>{std::set<X>(samples.begin(), samples.end()), {}});
  expectRoundTrip(std::set<std::set<X>>{std::set<X>(samples.begin(), samples.end()), std::set<X>{samples[0]}});
  expectRoundTrip(std::vector<std::pair<X, List>>{{samples[0], samples}, {samples[1], {}}});
}

}  // namespace binary_nesting
