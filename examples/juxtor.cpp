// juxtor: pairing up two containers of one shape. Aligning keeps every
// position (This: left only, That: right only, These: both); zipping keeps the
// positions both hold; unaligning and unzipping split one container in two.
#include <juxtor/crosswalk.hpp>
#include <juxtor/juxtor.hpp>
#include <juxtor/zip.hpp>

#include <basis/show.hpp>
#include <hashgrove/lazy.hpp>

#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using basis::List;
using basis::These;

// The text of a These.
template <class A, class B>
std::string text(const These<A, B>& t) {
  return t.fold([](const A& a) { return "This " + basis::show(a); }, [](const B& b) { return "That " + basis::show(b); },
                [](const A& a, const B& b) { return "These " + basis::show(a) + " " + basis::show(b); });
}

int main() {
  // Lists align position by position; the longer side's extra elements stay.
  const auto xs = List<int>::fromRange(std::vector<int>{1, 2, 3});
  const auto ys = List<std::string>::fromRange(std::vector<std::string>{"a", "b"});
  std::cout << "align [1,2,3] [\"a\",\"b\"]:";
  for (const auto& t : juxtor::align(xs, ys)) std::cout << ' ' << text(t) << ';';
  std::cout << "\nzip drops the unpartnered: " << basis::show(juxtor::zip(xs, ys).toVector()) << '\n';

  // Results are lazy: aligning with an endless list works as far as it is read.
  const auto ones = juxtor::repeat<basis::ListTag>(1);
  std::cout << "first 4 of align (repeat 1) [1,2,3]: "
            << basis::show(juxtor::alignWith([](const These<int, int>& t) { return t.isThese() ? 2 : 1; }, ones, xs)
                               .take(4)
                               .toVector())
            << '\n';

  // Padding: every position of either side as a pair of optional values.
  std::cout << "padZip: " << basis::show(juxtor::padZip(xs, ys).toVector()) << '\n';

  // Hash maps align key by key on hashgrove's tries.
  const auto stock = hashgrove::lazy::fromList(std::vector<std::pair<std::string, int>>{{"apples", 3}, {"pears", 5}});
  const auto price = hashgrove::lazy::fromList(std::vector<std::pair<std::string, double>>{{"apples", 0.5}, {"plums", 2.0}});
  const auto both = juxtor::align(stock, price);
  for (const std::string fruit : {"apples", "pears", "plums"}) {
    std::cout << fruit << ": " << text(hashgrove::lazy::lookup(fruit, both)->force()) << '\n';
  }
  const auto value = juxtor::zipWith([](int n, double p) { return n * p; }, stock, price);
  std::cout << "stock value of apples: " << hashgrove::lazy::lookup(std::string("apples"), value)->force() << '\n';

  // Unaligning splits the sides back.
  const auto [left, right] = juxtor::unalign(both);
  std::cout << "unalign: " << hashgrove::lazy::size(left) << " stock keys, " << hashgrove::lazy::size(right)
            << " price keys\n";

  // Crosswalk: a list of optional values into an optional list of the present ones.
  const auto maybes = List<std::optional<int>>::fromRange(std::vector<std::optional<int>>{1, std::nullopt, 3});
  std::cout << "sequenceL [Just 1, Nothing, Just 3] = " << basis::show(juxtor::sequenceL(maybes)->toVector()) << '\n';

  // Zippy: position-wise combination as a semigroup.
  using Z = juxtor::Zippy<basis::ListTag, std::string>;
  const Z a{List<std::string>::fromRange(std::vector<std::string>{"a", "b"})};
  const Z b{List<std::string>::fromRange(std::vector<std::string>{"c", "d", "e"})};
  std::cout << "Zippy [\"a\",\"b\"] <> Zippy [\"c\",\"d\",\"e\"] = " << basis::show(basis::combine(a, b)) << '\n';
}
