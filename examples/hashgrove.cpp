// hashgrove: a persistent hash map. Every update returns a new map that
// shares all unchanged nodes with the old one; the old map stays as it was.
#include <hashgrove/internal/debug.hpp>
#include <hashgrove/lazy.hpp>

#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace hm = hashgrove::lazy;

int main() {
  // Build from a list; a repeated key keeps its last value.
  const std::vector<std::pair<std::string, int>> stock{{"apples", 3}, {"pears", 5}, {"apples", 4}};
  const hm::HashMap<std::string, int> before = hm::fromList(stock);
  std::cout << "fromList: " << hm::size(before) << " keys, apples = " << hm::at(before, "apples") << '\n';

  // Updates return new maps; `before` is unchanged.
  const auto after = hm::insert("plums", 7, hm::delete_("pears", before));
  std::cout << "after insert/delete: pears? " << hm::member("pears", after) << ", plums = " << hm::at(after, "plums")
            << "; before still has pears = " << hm::at(before, "pears") << '\n';

  // Values are stored unevaluated: insertWith stores f(new, old) and runs it
  // only when the value is read.
  int runs = 0;
  const auto summed = hm::insertWith([&runs](int n, int o) { return ++runs, n + o; }, "apples", 10, after);
  std::cout << "insertWith stored, runs so far = " << runs << "; apples = " << hm::at(summed, "apples")
            << ", runs now = " << runs << '\n';

  // Alteration decides insert, replace or remove through one function.
  const auto halved = hm::alter(
      [](std::optional<basis::Lazy<int>> v) { return v ? std::optional<int>(v->force() / 2) : std::nullopt; },
      std::string("apples"), summed);
  std::cout << "alter halves apples: " << hm::at(halved, "apples") << '\n';

  // A missing key: lookup answers nothing, `at` raises with a fixed message.
  std::cout << "lookup of figs finds something? " << hm::lookup("figs", halved).has_value() << '\n';
  try {
    (void)hm::at(halved, "figs");
  } catch (const basis::ErrorCall& e) {
    std::cout << "at(figs) raised: " << e.what() << '\n';
  }

  // The validator checks the trie's ten structural invariants.
  std::cout << "valid: " << basis::show(hashgrove::internal::debug::valid(halved)) << '\n';
}
