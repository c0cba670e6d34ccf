// knotloom: recursive structures tied out of one layer type, and folded,
// unfolded and printed one layer at a time.
#include <knotloom/knotloom.hpp>

#include <iostream>
#include <optional>
#include <string>

// The natural numbers as layers of std::optional: Nothing is zero, Just n is
// one more than n. basis already knows how to map, print and compare them.
using Nat = knotloom::Fix<basis::OptionalTag>;

// A coalgebra: one layer from a seed. An algebra: one result from a layer.
std::optional<int> predecessor(int n) { return n == 0 ? std::nullopt : std::optional<int>(n - 1); }
int toInt(const std::optional<int>& layer) { return layer ? *layer + 1 : 0; }

int main() {
  // Unfold 3 into layers, print them, and fold them back.
  const Nat three = knotloom::unfoldFix(predecessor, 3);
  std::cout << "3 as a Fix:    " << basis::show(three) << '\n'
            << "folded back:   " << knotloom::foldFix(toInt, three) << '\n'
            << "refold, no Fix: " << knotloom::refold(toInt, predecessor, 3) << '\n';

  // The same structure as a fold (Mu) and as a seed with a step (Nu).
  const auto asMu = knotloom::unfoldMu(predecessor, 2);
  const auto asNu = knotloom::unfoldNu(predecessor, 2);
  std::cout << "2 as a Mu:     " << basis::show(asMu) << '\n'
            << "2 as a Nu:     " << basis::show(asNu) << '\n'
            << "the Mu's text reads back to an equal Mu: " << std::boolalpha
            << (basis::read<knotloom::Mu<basis::OptionalTag>>(basis::show(asMu)) == asMu) << '\n';

  // An infinite structure: built as it is read, so reading 4 layers runs the step 4 times.
  int steps = 0;
  const Nat infinity = knotloom::unfoldFix(
      [&steps](int n) {
        ++steps;
        return std::optional<int>(n + 1);
      },
      0);
  const Nat* at = &infinity;
  for (int i = 0; i < 4; ++i) at = &*at->unFix();
  std::cout << "read 4 layers of an infinite Nat, steps run: " << steps << '\n';

  // A million layers fold, print, compare and free without deep recursion.
  const Nat big = knotloom::unfoldFix(predecessor, 1'000'000);
  std::cout << "a million layers: fold = " << knotloom::foldFix(toInt, big)
            << ", text length = " << basis::show(big).size() << ", equal to itself: " << (big == big) << '\n';
}
