// A function read as a table, through the installed tandemory.
#include <tandemory/functor/rep.hpp>

#include <functional>

int main() {
  using namespace tandemory;
  std::function<int(const int&)> sq = [](const int& k) { return k * k; };
  return index(localRep([](const int& k) { return k + 1; }, sq), 4) == 25 ? 0 : 1;
}
