// A number unfolded into layers and folded back by the installed knotloom.
#include <knotloom/knotloom.hpp>

#include <optional>

int main() {
  using Nat = knotloom::Fix<basis::OptionalTag>;
  auto pred = [](int n) { return n == 0 ? std::nullopt : std::optional<int>(n - 1); };
  auto toInt = [](const std::optional<int>& l) -> int { return l ? *l + 1 : 0; };
  const Nat three = knotloom::unfoldFix(pred, 3);
  return knotloom::foldFix(toInt, three) == 3 && knotloom::refold(toInt, pred, 100000) == 100000 ? 0 : 1;
}
