// A map of the installed hashgrove; a missing key raises from the library.
#include <hashgrove/lazy.hpp>

#include <string>
#include <utility>
#include <vector>

int main() {
  namespace hm = hashgrove::lazy;
  const auto m = hm::insert(std::string("c"), 3, hm::fromList(std::vector<std::pair<std::string, int>>{{"a", 1}}));
  if (hm::at(m, "c") != 3 || hm::size(m) != 2) return 1;
  try {
    (void)hm::at(m, "z");
  } catch (const std::exception&) {
    return 0;
  }
  return 1;
}
