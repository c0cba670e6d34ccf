// basis: the deferred value every library shares.
#include <basis/basis.hpp>

#include <iostream>

int main() {
  int runs = 0;
  auto answer = basis::Lazy<int>::defer([&] { return ++runs, 6 * 7; });
  std::cout << "deferred, evaluated yet? " << answer.isEvaluated() << '\n';
  std::cout << "forced: " << answer.force() << ", again: " << answer.force()
            << ", computations run: " << runs << '\n';
}
